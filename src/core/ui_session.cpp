// Opening and closing a UiSession, and the small helpers its users share.
#include "core/ui_session.h"

#include "core/file_list.h"
#include "core/ini_section.h"
#include "core/model_cache.h"
#include "core/model_queries.h"
#include "core/module_entry.h"
#include "core/spooler_info.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_merge.h"
#include "settings/model_forms.h"
#include "settings/paper_lookup.h"
#include "settings/printer_data.h"
#include "settings/printer_setup.h"
#include "ui/quick_setup_sync.h"

#include <winspool.h>

#include <cwchar>

namespace {

const DWORD kInitialHeapSize = 8192;
const WCHAR kDriverProcessor[] = L"KvPrint";
const WCHAR kFallbackHelpFile[] = L"\\pscript.hlp";
const WCHAR kAtomPrefix[] = L"KVRBATOM_";
const WCHAR kFallbackAtomName[] = L"KVRBATOM_3390N";

WCHAR* HeapCopy(HANDLE heap, const WCHAR* text)
{
    if (!text)
        text = L"";
    const size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
    auto* copy = static_cast<WCHAR*>(HeapAlloc(heap, 0, bytes));
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

// A stored record worth merging: the driver's version and signature. The
// size may differ from this release's when the record is foreign.
bool IsStoredDriverDevmode(const DEVMODEW* dm)
{
    if (!dm || dm->dmSpecVersion != kSpecVersion)
        return false;
    return HasDriverSignature(dm, static_cast<size_t>(dm->dmSize) + dm->dmDriverExtra) != FALSE;
}

// The printer's default settings are replaced when they are not this
// driver's current record. Writing needs a handle with full rights, which
// the caller's may lack. TRUE only when the replacement was stored.
BOOL RepairStoredDefaults(HANDLE printer, const WCHAR* printerName, const DriverDevmode& defaults)
{
    BOOL replaced = FALSE;
    auto* info = reinterpret_cast<PRINTER_INFO_8W*>(ReadPrinterInfo(printer, 8));
    if (!info)
        return FALSE;
    const DEVMODEW* stored = info->pDevMode;
    if (stored && (!IsStoredDriverDevmode(stored) || stored->dmDriverExtra != kPrivateSize)) {
        if (HANDLE writer = OpenPrinterForWriting(printerName)) {
            PRINTER_INFO_8W update = {const_cast<DEVMODEW*>(&defaults.pub)};
            replaced = WritePrinterInfo(writer, 8, reinterpret_cast<BYTE*>(&update));
            ClosePrinter(writer);
        }
    }
    GlobalFree(info);
    return replaced;
}

WCHAR* HelpFileOf(HANDLE printer, HANDLE heap)
{
    WCHAR* help = nullptr;
    auto* driver = reinterpret_cast<DRIVER_INFO_3W*>(ReadDriverInfo(printer, 3));
    if (driver && driver->pHelpFile && driver->pHelpFile[0])
        help = HeapCopy(heap, driver->pHelpFile);
    if (driver)
        GlobalFree(driver);
    if (help)
        return help;
    DWORD needed = 0;
    WCHAR path[MAX_PATH + ARRAYSIZE(kFallbackHelpFile)] = {};
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(path),
                               MAX_PATH * sizeof(WCHAR), &needed);
    wcscat(path, kFallbackHelpFile);
    return HeapCopy(heap, path);
}

bool UsesDriverProcessor(const PRINTER_INFO_2W& info)
{
    if (!info.pPrintProcessor || lstrcmpiW(info.pPrintProcessor, kDriverProcessor) != 0)
        return false;
    // A job printed to a file never reaches the processor's device stage.
    return !info.pPortName ||
           (lstrcmpiW(info.pPortName, L"FILE:") != 0 && lstrcmpiW(info.pPortName, L"FILE") != 0);
}

void CopyName(WCHAR* target, const WCHAR* source)
{
    lstrcpynW(target, source, 16);
}

void ReadFileNames(UiSession* session)
{
    FileList list;
    const auto* path = reinterpret_cast<const WCHAR*>(session->model->modelPath);
    if (!path || !ReadFileList(path, &list))
        return;
    CopyName(session->watermarkFile, list.watermarkFile);
    CopyName(session->commonOptionFile, list.cOptionFile);
    CopyName(session->defaultFile, list.defaultFile);
    CopyName(session->exDefaultFile, list.exDefaultFile);
    CopyName(session->printerInfoFile, list.printerInfoFile);
    MakeAtomName(path, session->atomName, ARRAYSIZE(session->atomName));
}

// Without the driver's processor in the path nothing may ask for it.
void DetachDriverProcessor(ProcessorBlock* block)
{
    block->procDuplex &= ~kProcessorDuplexOn;
    block->procFile[0] = L'\0';
    block->forceProcessor = 0;
    block->procPagesPerSheet = 0;
    block->procDuplexMode = 0;
}

// The pages show the current watermark; the record carries its drawing.
BOOL LoadSessionWatermark(UiSession* session)
{
    DEVMODEW* dm = &session->devmode.pub;
    if (!(session->devmode.priv.processor.watermark.on & 1))
        return TRUE;
    auto* state = static_cast<WatermarkState*>(
        HeapAlloc(session->heap, HEAP_ZERO_MEMORY, sizeof(WatermarkState)));
    if (!state)
        return FALSE;
    session->sheet.watermark = state;
    InitialiseWatermarkState(state, session->printer, dm);
    state->selectedIndex = session->devmode.priv.watermarkIndex;
    LoadCurrentWatermark(state, dm, nullptr);
    return TRUE;
}

DWORD OptionCountOf(const ModelContext* model, ModelFeatureKind kind)
{
    const ModelFeature* feature = FeatureOfKind(model, kind);
    return feature ? feature->optionCount : 0;
}

// The computer's name changes only with a restart: asked once per process.
const DWORD kComputerNameChars = ARRAYSIZE(PrivateSettings::spoolComputerName);

BOOL CALLBACK ReadComputerName(PINIT_ONCE, PVOID name, PVOID*)
{
    DWORD size = kComputerNameChars;
    if (!GetComputerNameW(static_cast<WCHAR*>(name), &size))
        static_cast<WCHAR*>(name)[0] = L'\0';
    return TRUE;
}

const WCHAR* ComputerName()
{
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    static WCHAR name[kComputerNameChars];
    InitOnceExecuteOnce(&once, ReadComputerName, name, nullptr);
    return name;
}

void FillSpoolIdentity(PrivateSettings* priv)
{
    priv->textCodePage = GetACP();
    lstrcpynW(priv->spoolComputerName, ComputerName(), ARRAYSIZE(priv->spoolComputerName));
    WCHAR* user = priv->processor.spoolDefaultUserName;
    DWORD size = ARRAYSIZE(priv->processor.spoolDefaultUserName);
    if (!GetUserNameW(user, &size))
        user[0] = L'\0';
}

BOOL FillPrinterDataBlock(UiSession* session, BOOL a4)
{
    PrinterDataBlock block = {};
    if (!GetPrinterDataBlock(session->printer, session->model, a4, &block))
        return FALSE;
    session->printerData = block;
    session->printerData.version = kPrinterDataVersion;
    session->printerData.size = sizeof(PrinterDataBlock);
    // The first reserved word only means something inside the stored value.
    session->printerData.reserved[0] = 0;
    session->printerData.reserved[1] = 0;
    return TRUE;
}

// Steps after the record exists; FALSE ends the session.
BOOL FillSession(UiSession* session, const DEVMODEW* callerDevmode)
{
    HANDLE printer = session->printer;
    DriverDevmode& dm = session->devmode;
    PrivateSettings& priv = dm.priv;
    BOOL ok = FALSE;
    BOOL replaced = FALSE;
    const BOOL a4 = IsA4Locale();
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    if (!info)
        return FALSE;

    session->driverName = HeapCopy(session->heap, info->pDriverName);
    session->portName = HeapCopy(session->heap, info->pPortName);
    session->helpFile = HelpFileOf(printer, session->heap);
    if (!session->driverName || !session->portName || !session->helpFile)
        goto done;
    session->usesDriverProcessor = UsesDriverProcessor(*info) ? 1 : 0;

    if (!BuildDefaultDevmode(&dm.pub, session->driverName, session->model, a4, printer))
        goto done;
    replaced = RepairStoredDefaults(printer, info->pPrinterName, dm);
    if (replaced) {
        // The printer's settings changed under us: merge what it stores now.
        GlobalFree(info);
        info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
        if (!info)
            return FALSE;
    }
    // A stored record of another driver means the printer's settings are
    // unknown, and a caller's record cannot be judged against them.
    if (IsStoredDriverDevmode(info->pDevMode)) {
        MergeDevmode(&dm.pub, info->pDevMode, session->model, printer);
        if (!replaced)
            MergeDevmode(&dm.pub, callerDevmode, session->model, printer);
    }

    ReadTrayAndAccessoryData(printer, &priv);
    // What the user chose in the quick-setup monitor since the settings
    // were stored wins over them.
    ApplyStoredQuickSetup(printer, session->model, &dm);
    ReadFileNames(session);
    if (!session->usesDriverProcessor)
        DetachDriverProcessor(&priv.processor);
    if (!LoadSessionWatermark(session))
        goto done;
    session->multiPageOptionCount = OptionCountOf(session->model, kKindMultiplePage);
    session->hrcOptionCount = OptionCountOf(session->model, kKindHRC);
    if (dm.pub.dmFields & DM_PAPERSIZE) {
        // Only the look-up's effect on the record matters here: dmFormName
        // follows the paper, and a driver paper deleted since the record was
        // saved turns into the user-defined size.
        PaperSize size;
        LookUpPaper(printer, &dm.pub, session->model, &size);
    }
    RegisterModelForms(printer, session->model);
    FillSpoolIdentity(&priv);
    if (!FillPrinterDataBlock(session, a4))
        goto done;
    if (!ReadCustomPapers(printer, &session->customPapers))
        session->customPapers.count = 0;
    session->reserved = 0;
    ok = TRUE;
done:
    GlobalFree(info);
    return ok;
}

} // namespace

UiSession* OpenUiSession(HANDLE printer, const DEVMODEW* callerDevmode)
{
    SpoolerCall call(printer);
    HANDLE heap = HeapCreate(0, kInitialHeapSize, 0);
    if (!heap)
        return nullptr;
    auto* session = static_cast<UiSession*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(UiSession)));
    if (!session) {
        HeapDestroy(heap);
        return nullptr;
    }
    session->selfStart = session;
    session->selfEnd = session;
    session->printer = printer;
    session->heap = heap;
    lstrcpynW(session->atomName, kFallbackAtomName, ARRAYSIZE(session->atomName));

    session->model = AcquireModelContext(printer, kUseCachedModel);
    if (!session->model || !FillSession(session, callerDevmode)) {
        CloseUiSession(session);
        return nullptr;
    }
    return session;
}

void CloseUiSession(UiSession* session)
{
    if (!session)
        return;
    if (session->sheet.watermark)
        ReleaseWatermarkState(session->sheet.watermark);
    if (session->model)
        ReleaseModelContext(session->model);
    HeapDestroy(session->heap);
}

BOOL IsUiSession(const UiSession* session)
{
    return session && session->selfStart == session && session->selfEnd == session;
}

LONG CallCommonPropertySheetUI(HWND owner, PFNPROPSHEETUI callback, LPARAM param, DWORD* result)
{
    using HostEntry = LONG(APIENTRY*)(HWND, PFNPROPSHEETUI, LPARAM, LPDWORD);
    HMODULE host = LoadLibraryW(L"compstui.dll");
    if (!host)
        return -1;
    auto entry = reinterpret_cast<HostEntry>(
        reinterpret_cast<void*>(GetProcAddress(host, "CommonPropertySheetUIW")));
    const LONG answer = entry ? entry(owner, callback, param, result) : -1;
    FreeLibrary(host);
    return answer;
}

BOOL FileExists(const WCHAR* path)
{
    if (!path)
        return 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

BOOL IsSaveSettingEnabled(const WCHAR* fileName)
{
    WCHAR path[MAX_PATH];
    if (!ModuleSiblingPath(fileName, path, MAX_PATH))
        return 0;
    return IniSection(path, L"Default Setting").FindInt(L"SaveSetting", 0);
}

void MakeAtomName(const WCHAR* modelPath, WCHAR* atomName, size_t capacity)
{
    if (!atomName || capacity == 0)
        return;
    const WCHAR* name = modelPath ? wcsrchr(modelPath, L'\\') : nullptr;
    name = name ? name + 1 : modelPath;
    if (!name || !name[0]) {
        lstrcpynW(atomName, kFallbackAtomName, static_cast<int>(capacity));
        return;
    }
    const WCHAR* dot = wcschr(name + 1, L'.');
    const size_t length = dot ? static_cast<size_t>(dot - name) : wcslen(name);
    _snwprintf(atomName, capacity, L"%ls%.*ls", kAtomPrefix, static_cast<int>(length), name);
    atomName[capacity - 1] = L'\0';
}
