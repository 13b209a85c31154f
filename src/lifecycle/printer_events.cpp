#include "lifecycle/printer_events.h"

#include "platform/driverui.h"

#include "core/file_list.h"
#include "core/model_cache.h"
#include "core/module_entry.h"
#include "core/module_state.h"
#include "core/spooler_info.h"
#include "lifecycle/driver_files.h"
#include "lifecycle/filter_registration.h"
#include "lifecycle/printer_upgrade.h"
#include "settings/model_forms.h"
#include "settings/watermark_store.h"

#include <shlobj.h>

#include <cwchar>

namespace {

// Bit of the model's capability word that enables the status monitor's
// pop-up atom.
const DWORD kPopupAtomCapability = 1u << 25;

const WCHAR kWatermarkListSection[] = L":kvwatermark:";
const WCHAR kNoCustomPaper[] = L"__##NOUSE##__";
const int kCustomPaperChars = 1024;

typedef HANDLE(WINAPI* RevertToPrinterSelfFn)();
typedef BOOL(WINAPI* ImpersonatePrinterClientFn)(HANDLE);

// The spooler's own identity for the length of a cache refresh, which
// arrives while the spooler impersonates the calling client.
struct SpoolerIdentity {
    HMODULE spoolss;
    ImpersonatePrinterClientFn impersonate;
    HANDLE clientToken;
};

BOOL BecomeSpooler(SpoolerIdentity* identity)
{
    identity->spoolss = LoadLibraryW(L"spoolss.dll");
    if (!identity->spoolss) return FALSE;
    auto revert = reinterpret_cast<RevertToPrinterSelfFn>(
        reinterpret_cast<void*>(GetProcAddress(identity->spoolss, "RevertToPrinterSelf")));
    identity->impersonate = reinterpret_cast<ImpersonatePrinterClientFn>(
        reinterpret_cast<void*>(GetProcAddress(identity->spoolss, "ImpersonatePrinterClient")));
    if (!revert || !identity->impersonate) {
        FreeLibrary(identity->spoolss);
        return FALSE;
    }
    identity->clientToken = revert();
    return TRUE;
}

void ReturnToClient(const SpoolerIdentity& identity)
{
    if (identity.clientToken) identity.impersonate(identity.clientToken);
    FreeLibrary(identity.spoolss);
}

void WriteDword(HANDLE printer, const WCHAR* name, DWORD value)
{
    WritePrinterData(printer, name, REG_DWORD, &value, sizeof(value));
}

void WriteText(HANDLE printer, const WCHAR* name, const WCHAR* text)
{
    WritePrinterData(printer, name, REG_SZ, text,
                     static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR)));
}

// What the status monitor and the rendering side read of the model.
void WriteModelValues(HANDLE printer, const ModelContext* model, BOOL initialising)
{
    if (initialising) UpgradePrinterDataRecord(printer, model);
    WriteDword(printer, L"PXMSTSATOM", (model->modelCaps & kPopupAtomCapability) ? 1 : 0);
    RegisterModelForms(printer, model);
    WriteDword(printer, L"PrtCaps", model->modelCaps);
    WriteDword(printer, L"DeviceCaps", model->modelFeatures);
    WriteDword(printer, L"TrayCaps", model->modelTrays);
    WriteText(printer, L"LangDLL", kLanguageModuleName);
    WCHAR ids[64];
    swprintf(ids, ARRAYSIZE(ids), L"%d,%d,%d,%d,%d", L_IDR_WEEK_SUN, L_IDS_WEEKNEW_SUN,
             L_IDR_MONTH_JAN, L_IDS_AM1, L_IDS_AM2);
    WriteText(printer, L"DateTimeIDs", ids);
}

// The job processor's settings key is rebuilt by the processor itself from
// the queue's fresh values.
void RemoveProcessorKey()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\zentari", 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    RegDeleteKeyW(key, L"kvsplproc");
    RegCloseKey(key);
}

// The queue's section in the watermark store: its name without a server part.
const WCHAR* StoreSectionOf(const WCHAR* printerName)
{
    const WCHAR* slash = wcsrchr(printerName, L'\\');
    return slash ? slash + 1 : printerName;
}

// The watermarks saved with the installation become the queue's; without
// any, the model's shared ones fill the store.
void UpdateWatermarkStore(const FileList& files, const WCHAR* printerName)
{
    WCHAR store[MAX_PATH], profile[MAX_PATH], shared[MAX_PATH], first[64];
    const WCHAR* section = StoreSectionOf(printerName);
    if (!WatermarkStorePath(store, MAX_PATH) ||
        !ModuleSiblingPath(files.exDefaultFile, profile, MAX_PATH))
        return;
    if (ImportWatermarksFromProfile(store, section, profile) != 0) return;
    if (InstalledDriverFilePath(files.watermarkFile, shared, MAX_PATH))
        MergeSharedWatermarks(store, shared);
    // A queue cannot keep a current watermark of an empty store.
    GetPrivateProfileStringW(kWatermarkListSection, L"0", L"", first, ARRAYSIZE(first), store);
    if (!first[0]) WritePrivateProfileStringW(section, L"Current", nullptr, store);
}

// Every user's sessions write the store and the shared watermark file.
void OpenWatermarkFiles(const FileList& files)
{
    WCHAR path[MAX_PATH];
    if (WatermarkStorePath(path, MAX_PATH)) GiveNullDacl(path);
    if (ModuleSiblingPath(files.watermarkFile, path, MAX_PATH)) GiveNullDacl(path);
}

// parent\name, created when missing, writable by every user. FALSE when
// the path does not fit.
BOOL MakeSharedDirectory(const WCHAR* parent, const WCHAR* name, WCHAR (&path)[MAX_PATH])
{
    const size_t length = wcslen(parent);
    const WCHAR* separator = length && parent[length - 1] == L'\\' ? L"" : L"\\";
    const int written = swprintf(path, MAX_PATH, L"%ls%ls%ls", parent, separator, name);
    if (written <= 0 || written >= MAX_PATH) return FALSE;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        CreateDirectoryW(path, nullptr);
    else
        FindClose(search);
    GiveNullDacl(path);
    return TRUE;
}

void MakeSharedDataDirectories()
{
    WCHAR common[MAX_PATH] = {}, company[MAX_PATH], drivers[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                common)) ||
        !common[0])
        return;
    if (MakeSharedDirectory(common, L"Zentari", company))
        MakeSharedDirectory(company, L"PrtDrv", drivers);
}

// The installation's own paper sizes, for the sessions and the paper
// lookup. Written through a handle opened on the queue's own name, as a
// handle of a client connection may not write.
void StoreCustomPapers(HANDLE printer, const FileList& files)
{
    WCHAR profile[MAX_PATH], papers[kCustomPaperChars + 1] = {};
    if (!InstalledDriverFilePath(files.exDefaultFile, profile, MAX_PATH)) profile[0] = L'\0';
    GetPrivateProfileStringW(L"Default Setting", L"UserDefinedPaper", kNoCustomPaper, papers,
                             ARRAYSIZE(papers), profile);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    HANDLE writer = info ? OpenPrinterForWriting(info->pPrinterName) : nullptr;
    if (writer) {
        WritePrinterData(writer, L"CstPaper", REG_BINARY, papers,
                         static_cast<DWORD>((wcslen(papers) + 1) * sizeof(WCHAR)));
        ClosePrinter(writer);
    }
    if (info) GlobalFree(info);
}

HANDLE OpenForEvent(WCHAR* printerName, BOOL initialising)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!printerName || !OpenPrinterW(printerName, &printer, initialising ? &access : nullptr))
        return nullptr;
    return printer;
}

// The model files the events need, from the printer's file list; the
// names the package ships with when the list cannot be read.
void ReadEventFileList(HANDLE printer, FileList* files)
{
    if (ReadPrinterFileList(printer, files)) return;
    ZeroMemory(files, sizeof(*files));
    lstrcpyW(files->watermarkFile, L"KVW3390N.INI");
    lstrcpyW(files->exDefaultFile, L"KVE3390N.DAT");
    lstrcpyW(files->defaultFile, L"KVD3390N.DAT");
}

// Everything an event does once the queue is open, in order.

void PrepareQueue(HANDLE printer, const WCHAR* printerName, BOOL initialising)
{
    SpoolerCall call(printer, printerName);
    RegisterFilterInterfaces();
    // A queue is set up from the description as installed now, never from
    // a copy cached before the package changed.
    if (ModelContext* model = AcquireModelContext(printer, kParseModelAfresh)) {
        WriteModelValues(printer, model, initialising);
        ReleaseModelContext(model);
    }
    RemoveProcessorKey();
    FileList files;
    ReadEventFileList(printer, &files);
    UpdateWatermarkStore(files, printerName);
    OpenWatermarkFiles(files);
    MakeSharedDataDirectories();
    StoreCustomPapers(printer, files);
}

}  // namespace

BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD, LPARAM)
{
    if (DriverEvent != PRINTER_EVENT_INITIALIZE && DriverEvent != PRINTER_EVENT_CACHE_REFRESH)
        return TRUE;
    const BOOL initialising = DriverEvent == PRINTER_EVENT_INITIALIZE;
    SpoolerIdentity identity = {};
    if (!initialising && !BecomeSpooler(&identity)) return FALSE;
    if (HANDLE printer = OpenForEvent(pPrinterName, initialising)) {
        PrepareQueue(printer, pPrinterName, initialising);
        ClosePrinter(printer);
    }
    if (!initialising) ReturnToClient(identity);
    return TRUE;
}
