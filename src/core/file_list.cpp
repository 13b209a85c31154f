#include "core/file_list.h"

#include "core/ini_section.h"
#include "core/spooler_info.h"

#include <winspool.h>

#include <cwchar>

namespace {

const WCHAR kSection[] = L"FileList";

struct Entry {
    const WCHAR* key;
    const WCHAR* fallback;
    size_t offset;
    size_t capacity;
};

#define KV_ENTRY(key, fallback, field) \
    {key, fallback, offsetof(FileList, field), ARRAYSIZE(FileList{}.field)}

const Entry kEntries[] = {
    KV_ENTRY(L"ExDefaultInformation", L"KVE3390N.DAT", exDefaultFile),
    KV_ENTRY(L"DefaultInformation", L"KVD3390N.DAT", defaultFile),
    KV_ENTRY(L"WatermarkInformation", L"KVW3390N.INI", watermarkFile),
    KV_ENTRY(L"PrinterInformation", L"KVI3390N.DAT", printerInfoFile),
    KV_ENTRY(L"COptionInformation", L"KVC3390N.INI", cOptionFile),
    KV_ENTRY(L"OptionInformation", L"KVO3390N.INI", optionFile),
    KV_ENTRY(L"PrintProcessor", L"KVSP207A.EXE", printProcessorFile),
    KV_ENTRY(L"LanguageResourcex64", L"KVUILANG.DLL", languageResourceFile),
    KV_ENTRY(L"ModelResourcex64", L"KVUIMODL.DLL", modelResourceFile),
};

#undef KV_ENTRY

} // namespace

BOOL ReadFileList(const WCHAR* dataFile, FileList* list)
{
    if (!dataFile || !list)
        return FALSE;
    ZeroMemory(list, sizeof(*list));
    size_t length = wcslen(dataFile);
    const WCHAR* dot = wcsrchr(dataFile, L'.');
    const WCHAR* slash = wcsrchr(dataFile, L'\\');
    if (!dot || (slash && dot < slash) || length >= MAX_PATH ||
        static_cast<size_t>(dot - dataFile) + 5 > MAX_PATH)
        return FALSE;
    wcscpy(list->dataFile, dataFile);
    size_t stem = static_cast<size_t>(dot - dataFile) + 1;
    wmemcpy(list->listPath, dataFile, stem);
    wcscpy(list->listPath + stem, L"DAT");
    size_t dirLength = slash ? static_cast<size_t>(slash - dataFile) + 1 : 0;
    wmemcpy(list->directory, dataFile, dirLength);

    IniSection section(list->listPath, kSection);
    for (const Entry& e : kEntries) {
        auto* field = reinterpret_cast<WCHAR*>(reinterpret_cast<BYTE*>(list) + e.offset);
        if (!section.Find(e.key, field, e.capacity) || !field[0])
            lstrcpynW(field, e.fallback, static_cast<int>(e.capacity));
    }
    return TRUE;
}

BOOL ReadPrinterFileList(HANDLE printer, FileList* list)
{
    auto* driver = reinterpret_cast<DRIVER_INFO_2W*>(ReadDriverInfo(printer, 2));
    BOOL ok = driver && ReadFileList(driver->pDataFile, list);
    if (driver)
        GlobalFree(driver);
    return ok;
}

BOOL FileListPath(const FileList& list, const WCHAR* name, WCHAR* path, size_t capacity)
{
    return swprintf(path, capacity, L"%ls%ls", list.directory, name) > 0;
}
