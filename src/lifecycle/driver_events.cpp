// DrvDriverEvent: when the driver is removed, the files it derived from
// the model go with it, so that a reinstalled package starts afresh.
#include "platform/driverui.h"

#include "core/file_list.h"
#include "core/model_loader.h"

#include <cwchar>

namespace {

void DeleteIfPresent(const WCHAR* path)
{
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) DeleteFileW(path);
}

// The installation defaults copied into the 32-bit system directory.
void DeleteInstallationDefaults(const WCHAR* name)
{
    WCHAR system[MAX_PATH], path[MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(system, MAX_PATH);
    if (!length || length >= MAX_PATH) return;
    const int written = swprintf(path, MAX_PATH, L"%ls\\%ls", system, name);
    if (written > 0 && written < MAX_PATH) DeleteIfPresent(path);
}

}  // namespace

BOOL WINAPI DrvDriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo, LPARAM)
{
    if (dwDriverEvent != DRIVER_EVENT_DELETE || (dwLevel != 2 && dwLevel != 3) || !pDriverInfo)
        return TRUE;
    // Levels 2 and 3 begin alike.
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(pDriverInfo);
    FileList files;
    WCHAR cache[MAX_PATH];
    if (!ReadFileList(driver->pDataFile, &files)) {
        DeleteInstallationDefaults(L"KVD3390N.DAT");
        return TRUE;
    }
    DeleteInstallationDefaults(files.defaultFile);
    if (ModelCachePath(files.listPath, cache, MAX_PATH)) DeleteIfPresent(cache);
    return TRUE;
}
