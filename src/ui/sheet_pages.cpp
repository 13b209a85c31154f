// Steps shared by the document and the printer property sheets.
#include "ui/sheet_pages.h"

#include "core/module_entry.h"
#include "core/module_state.h"
#include "resources/resource_ids.h"
#include "settings/profile_settings.h"

#include <cwchar>

namespace {

const WCHAR kDefaultModelResourceFile[] = L"KVUIMODL.DLL";

HMODULE LoadModelResourceModule(const UiSession* session)
{
    const WCHAR* fileName = session->devmode.priv.modelResourceFile;
    if (!fileName[0])
        fileName = kDefaultModelResourceFile;
    WCHAR path[MAX_PATH];
    const auto* dataFile = reinterpret_cast<const WCHAR*>(session->model->modelPath);
    HMODULE module = nullptr;
    if (dataFile && ModelResourcePath(dataFile, fileName, path, MAX_PATH))
        module = LoadLibraryW(path);
    return module ? module : g_module.moduleHandle;
}

const DWORD* ModelDataBlock(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_MODEL_DATA), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DWORD*>(LockResource(loaded)) : nullptr;
}

} // namespace

SheetPage NewSheetPage(UiSession* session)
{
    SheetPage sheetPage = {};
    sheetPage.page.dwSize = kSheetPageSize;
    sheetPage.page.hInstance = g_module.resourceModule;
    sheetPage.page.lParam = reinterpret_cast<LPARAM>(session);
    return sheetPage;
}

WCHAR* LoadPageTitle(UiSession* session, UINT id, int maxChars)
{
    WCHAR text[81] = {};
    if (maxChars >= static_cast<int>(ARRAYSIZE(text)))
        maxChars = ARRAYSIZE(text) - 1;
    if (LoadStringW(g_module.resourceModule, id, text, maxChars + 1) <= 0)
        return nullptr;
    const size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
    auto* copy = static_cast<WCHAR*>(HeapAlloc(session->heap, 0, bytes));
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

HANDLE InsertSheetPage(UiSession* session, const SheetPage& page, int index)
{
    const SheetSession* sheet = SheetOf(session);
    INSERTPSUIPAGE_INFO insert = {};
    insert.cbSize = sizeof(insert);
    insert.Type = PSUIPAGEINSERT_PROPSHEETPAGE;
    insert.Mode = INSPSUIPAGE_MODE_INDEX;
    insert.dwData1 = reinterpret_cast<ULONG_PTR>(&page);
    return reinterpret_cast<HANDLE>(sheet->hostCallback(
        sheet->host, CPSFUNC_INSERT_PSUIPAGEW, index, reinterpret_cast<LPARAM>(&insert)));
}
static_assert(sizeof(INSERTPSUIPAGE_INFO) == 32, "the host checks cbSize");

HANDLE AddSheetPage(UiSession* session, const SheetPage& page)
{
    const SheetSession* sheet = SheetOf(session);
    return reinterpret_cast<HANDLE>(sheet->hostCallback(
        sheet->host, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&page), 0));
}

UiSession* SheetSessionOf(const PROPSHEETUI_INFO* info)
{
    auto* session = reinterpret_cast<UiSession*>(info->UserData);
    return IsUiSession(session) ? session : nullptr;
}

void CompleteSheetInit(PROPSHEETUI_INFO* info, UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    sheet->languageModule = g_module.resourceModule;
    info->UserData = reinterpret_cast<ULONG_PTR>(session);
    info->Result = 0;
    sheet->modelResources = LoadModelResourceModule(session);
    sheet->modelData = ModelDataBlock(sheet->modelResources);
    sheet->modelDataReserved = 0;
}

void FreeModelResources(UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    if (sheet->modelResources && sheet->modelResources != g_module.moduleHandle)
        FreeLibrary(sheet->modelResources);
    sheet->modelResources = nullptr;
    sheet->modelData = nullptr;
}

LONG FillSheetHeader(LPARAM param, const WCHAR* printerName)
{
    auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(param);
    if (!header)
        return -1;
    header->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
    header->pTitle = const_cast<WCHAR*>(printerName);
    header->hInst = g_module.moduleHandle;
    header->IconID = IDI_CPSUI_PRINTER;
    return 1;
}

BOOL ModelResourcePath(const WCHAR* dataFile, const WCHAR* fileName, WCHAR* path, size_t capacity)
{
    const size_t length = wcsnlen(dataFile, MAX_PATH);
    size_t directory = 0;
    for (size_t i = 0; i < length; ++i)
        if (dataFile[i] == L'\\')
            directory = i + 1;
    if (directory + wcslen(fileName) + 1 > capacity)
        return FALSE;
    wmemcpy(path, dataFile, directory);
    wcscpy(path + directory, fileName);
    return TRUE;
}

void ReportPageApplied(UiSession* session, SheetSlot slot)
{
    const SheetSession* sheet = SheetOf(session);
    if (sheet->hostCallback)
        sheet->hostCallback(sheet->host, CPSFUNC_SET_RESULT,
                            reinterpret_cast<LPARAM>(sheet->pages[slot]), CPSUI_OK);
}

const WCHAR* ExDefaultFileOf(const UiSession* session)
{
    return session->exDefaultFile[0] ? session->exDefaultFile : L"KVE3390N.DAT";
}

void SaveRequestedProfile(UiSession* session)
{
    const WCHAR* name = ExDefaultFileOf(session);
    WCHAR profile[MAX_PATH];
    if (!IsSaveSettingEnabled(name) || !ModuleSiblingPath(name, profile, MAX_PATH))
        return;
    SaveSettingsToProfile(&session->devmode.pub, &session->devmode.priv, session->printer, profile, L"1");
}

int LoadPageString(const UiSession* session, UINT id, WCHAR* text, int capacity)
{
    HMODULE strings = SheetOf(session)->languageModule;
    int length = strings ? LoadStringW(strings, id, text, capacity) : 0;
    if (length <= 0)
        length = LoadStringW(g_module.moduleHandle, id, text, capacity);
    if (length <= 0)
        text[0] = L'\0';
    return length > 0 ? length : 0;
}
