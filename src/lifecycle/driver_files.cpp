#include "lifecycle/driver_files.h"

#include <winspool.h>

#include <cwchar>

BOOL InstalledDriverFilePath(const WCHAR* name, WCHAR* path, size_t capacity)
{
    WCHAR directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory),
                                    sizeof(directory), &needed) ||
        !directory[0])
        return FALSE;
    const int written = swprintf(path, capacity, L"%ls\\3\\%ls", directory, name);
    return written > 0 && static_cast<size_t>(written) < capacity;
}

void GiveNullDacl(const WCHAR* path)
{
    SECURITY_DESCRIPTOR descriptor;
    if (InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
        SetFileSecurityW(path, DACL_SECURITY_INFORMATION, &descriptor);
}
