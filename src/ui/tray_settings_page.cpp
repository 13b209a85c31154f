// The Tray Settings page: its messages, the memory entry, the serial
// number, the defaults and the apply.
#include "ui/tray_settings_page.h"

#include "core/driver_strings.h"
#include "core/file_list.h"
#include "core/spooler_info.h"
#include "settings/devmode_bits.h"
#include "settings/devmode_defaults.h"
#include "ui/context_help.h"
#include "ui/controls.h"
#include "ui/decimal_entry.h"
#include "ui/paper_choices.h"
#include "ui/preview_drawing.h"
#include "ui/sheet_session.h"
#include "ui/tray_page_state.h"

#include <commctrl.h>
#include <prsht.h>

#include <cwchar>

const WCHAR kUnknownSerialNumber[] = L"---------";

namespace {

const WCHAR kSerialValue[] = L"SerialNo";
const DWORD kSerialBytes = 32;
const UINT kTowerModelData = 13512;   // model module RCDATA
const UINT kRangeMessage = 389;
const UINT kWarningTitle = 1128;
const WORD kFallbackMemoryMinimum = 2;
const WORD kFallbackMemoryMaximum = 288;
const SIZE kFallbackPictureSize = {175, 122};

// The controls automatic detection may use.
const WORD kDetectionControls[] = {kIdSerialGroup, kIdAutoDetect};

const ControlHelp kTrayHelp[] = {
    {kIdTrayList, kHelpTrayPaperSource},   {kIdTrayPaper, kHelpTrayPaperSource},
    {kIdDefaultSource, kHelpTrayPaperSource}, {kIdUpdateTray, kHelpTrayPaperSource},
    {kIdAutoDetect, kHelpTrayAutoDetect},  {kIdAvailableOptions, kHelpTrayAutoDetect},
    {kIdInstalledOptions, kHelpTrayAutoDetect}, {kIdAddOption, kHelpTrayAutoDetect},
    {kIdRemoveOption, kHelpTrayAutoDetect}, {kIdMemory, kHelpTrayMemory},
    {kIdMemorySpin, kHelpTrayMemory},      {kIdRamDisk, kHelpTrayMemory},
    {kIdSerialNumber, kHelpTraySerialNumber}, {kIdSerialGroup, kHelpTraySerialNumber},
    {kIdTrayDefault, kHelpDefaultButton},  {0, 0},
};

UiSession* SessionOfPage(HWND page)
{
    auto* session = reinterpret_cast<UiSession*>(GetWindowLongPtrW(page, DWLP_USER));
    return IsUiSession(session) ? session : nullptr;
}

void MarkChanged(HWND page)
{
    PropSheet_Changed(GetParent(page), page);
}

void SetTextQuietly(HWND page, TrayPageState* state, WORD id, const WCHAR* text)
{
    state->filling = TRUE;
    SetDlgItemTextW(page, id, text);
    state->filling = FALSE;
}

void ShowMemory(HWND page, UiSession* session)
{
    WCHAR text[16];
    swprintf(text, ARRAYSIZE(text), L"%u", session->devmode.priv.printerMemory);
    TrayPageState* state = TrayStateOf(session);
    SetTextQuietly(page, state, kIdMemory, text);
    state->memoryTyped = FALSE;
    SendDlgItemMessageW(page, kIdMemorySpin, kSpinSetPosition, session->devmode.priv.printerMemory, 0);
}

// The RAM disk switch and its size in MB (empty while not set), whose
// controls are live only while the switch is on.
void ShowRamDisk(HWND page, UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    TrayPageState* state = TrayStateOf(session);
    const bool supported = (priv.modelFeatures & 1) != 0;
    const bool on = supported && (priv.ramDisk & 1);
    CheckDlgButton(page, kIdRamDisk, (priv.ramDisk & 1) ? BST_CHECKED : BST_UNCHECKED);
    WCHAR text[16] = {};
    if (priv.ramDiskSize != kRamDiskSizeNotSet)
        swprintf(text, ARRAYSIZE(text), L"%u", priv.ramDiskSize);
    SetTextQuietly(page, state, kIdRamDiskSize, text);
    state->ramDiskTyped = FALSE;
    SendDlgItemMessageW(page, kIdRamDiskSpin, kSpinSetRange, 0, MAKELONG(1, priv.printerMemory));
    if (priv.ramDiskSize != kRamDiskSizeNotSet)
        SendDlgItemMessageW(page, kIdRamDiskSpin, kSpinSetPosition, priv.ramDiskSize, 0);
    const bool editable = on && SheetOf(session)->hasPermission;
    const WORD sizeControls[] = {kIdRamDiskSize, kIdRamDiskSpin, kIdRamDiskUnit};
    for (WORD id : sizeControls)
        EnableWindow(GetDlgItem(page, id), editable);
}

// The model's memory bounds and sizes; a model without them gets the
// bounds every printer of the family takes.
void ReadMemoryChoices(const ModelContext* model, TrayPageState* state)
{
    state->memoryMinimum = model->memoryItem0 ? static_cast<WORD>(model->memoryItem0) : kFallbackMemoryMinimum;
    state->memoryMaximum = model->memoryItem1 ? static_cast<WORD>(model->memoryItem1) : kFallbackMemoryMaximum;
    const ModelFeature* memory = model->slots[kKindVMOption];
    for (uint32_t i = 0; memory && i < memory->optionCount && state->memorySizeCount < kMaxMemorySizes; ++i) {
        const WORD size = static_cast<WORD>(memory->options[i].memoryKB / 1024);
        int at = state->memorySizeCount;
        while (at > 0 && state->memorySizes[at - 1] > size) {
            state->memorySizes[at] = state->memorySizes[at - 1];
            --at;
        }
        state->memorySizes[at] = size;
        ++state->memorySizeCount;
    }
}

void ReadSerialNumber(HANDLE printer, TrayPageState* state)
{
    DWORD type = 0, needed = 0;
    BYTE data[kSerialBytes] = {};
    if (QueryPrinterData(printer, kSerialValue, &type, data, sizeof(data), &needed) == ERROR_SUCCESS &&
        type == REG_SZ)
        lstrcpynW(state->serial, reinterpret_cast<const WCHAR*>(data), kSerialBytes / sizeof(WCHAR));
}

WORD TowerModelWord(HMODULE modelResources)
{
    HRSRC found = modelResources ? FindResourceW(modelResources, MAKEINTRESOURCEW(kTowerModelData), RT_RCDATA)
                                 : nullptr;
    HGLOBAL loaded = found ? LoadResource(modelResources, found) : nullptr;
    const auto* data = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    return data && SizeofResource(modelResources, found) >= sizeof(WORD) ? data[0] : 0;
}

TrayPageState* CreatePageState(UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    if (!sheet->deviceOptions)
        sheet->deviceOptions = GlobalAlloc(GPTR, sizeof(TrayPageState));
    auto* state = TrayStateOf(session);
    if (!state)
        return nullptr;
    ReadSerialNumber(session->printer, state);
    ReadMemoryChoices(session->model, state);
    state->towerModelWord = TowerModelWord(sheet->modelResources);
    state->towerSupport = GetPrivateProfileIntW(kPrinterInfoSection, L"TfSupport", 0, session->printerInfoFile);
    if (!ReadPreviewMetrics(sheet->modelResources, &state->pictureSize))
        state->pictureSize = kFallbackPictureSize;
    return state;
}

void FreePageState(HWND page, UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    if (TrayPageState* state = TrayStateOf(session))
        StopRemoteToolInquiry(page, &state->detection);
    if (sheet->deviceOptions) {
        GlobalFree(sheet->deviceOptions);
        sheet->deviceOptions = nullptr;
    }
}

void EnableDetection(HWND page, BOOL enable)
{
    for (WORD id : kDetectionControls)
        EnableWindow(GetDlgItem(page, id), enable);
}

void RefreshDetectionAvailability(HWND page, UiSession* session)
{
    const TrayPageState* state = TrayStateOf(session);
    const BOOL running = state && state->detection.atomName;
    EnableDetection(page,
                    SheetOf(session)->hasPermission && !running && IsDetectionOffered(session));
}

void ShowDeviceOptions(HWND page, UiSession* session)
{
    TrayPageState* state = TrayStateOf(session);
    FillOptionLists(page, session);
    FillTrayCombos(page, session);
    FillTrayTable(page, session);
    ShowMemory(page, session);
    ShowRamDisk(page, session);
    SetTextQuietly(page, state, kIdSerialNumber, state->serial);
}

BOOL CALLBACK DisableControl(HWND control, LPARAM)
{
    EnableWindow(control, FALSE);
    return TRUE;
}

void InitTrayPage(HWND page, const PROPSHEETPAGEW* sheetPage)
{
    auto* session = reinterpret_cast<UiSession*>(sheetPage->lParam);
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    if (!IsUiSession(session))
        return;
    TrayPageState* state = CreatePageState(session);
    if (!state) {
        SetWindowLongPtrW(page, DWLP_USER, 0);
        return;
    }
    SendDlgItemMessageW(page, kIdSerialNumber, EM_LIMITTEXT, kSerialBytes / sizeof(WCHAR) - 1, 0);
    SendDlgItemMessageW(page, kIdMemorySpin, kSpinSetRange, 0,
                        MAKELONG(state->memoryMinimum, state->memoryMaximum));
    PlaceTrayPicture(page, state);
    ShowDeviceOptions(page, session);
    EnableWindow(GetDlgItem(page, kIdRamDisk), (session->devmode.priv.modelFeatures & 1) != 0);
    RefreshDetectionAvailability(page, session);
    if (!SheetOf(session)->hasPermission)
        EnumChildWindows(page, DisableControl, 0);
}

void WarnOutOfRange(HWND page)
{
    WCHAR text[256] = {}, title[64] = {};
    LoadDriverString(kRangeMessage, text, ARRAYSIZE(text));
    LoadDriverString(kWarningTitle, title, ARRAYSIZE(title));
    MessageBoxW(page, text, title, MB_OK);
}

// The memory text as a size within the bounds; FALSE for anything else.
BOOL ReadMemoryText(HWND page, const TrayPageState* state, WORD* megabytes)
{
    WCHAR text[16] = {};
    GetDlgItemTextW(page, kIdMemory, text, ARRAYSIZE(text));
    unsigned long value = 0;
    if (!ReadWholeNumber(text, state->memoryMaximum, &value) || value < state->memoryMinimum)
        return FALSE;
    *megabytes = static_cast<WORD>(value);
    return TRUE;
}

// A finished memory entry: taken when valid, else refused and the last
// valid size shown again. FALSE when refused.
BOOL CommitMemoryEntry(HWND page, UiSession* session)
{
    TrayPageState* state = TrayStateOf(session);
    // Only what the user typed is judged: a detected size outside the
    // model's range is what the printer has.
    if (!state->memoryTyped)
        return TRUE;
    state->memoryTyped = FALSE;
    WORD megabytes = 0;
    if (ReadMemoryText(page, state, &megabytes)) {
        session->devmode.priv.printerMemory = megabytes;
        return TRUE;
    }
    ShowMemory(page, session);
    WarnOutOfRange(page);
    return FALSE;
}

// A finished RAM disk size: empty means not set, else 1 MB up to the
// installed memory. FALSE when refused (the last valid size shown again).
BOOL CommitRamDiskEntry(HWND page, UiSession* session)
{
    TrayPageState* state = TrayStateOf(session);
    if (!state->ramDiskTyped)
        return TRUE;
    state->ramDiskTyped = FALSE;
    PrivateSettings& priv = session->devmode.priv;
    WCHAR text[16] = {};
    GetDlgItemTextW(page, kIdRamDiskSize, text, ARRAYSIZE(text));
    unsigned long value = 0;
    if (!text[0]) {
        priv.ramDiskSize = kRamDiskSizeNotSet;
        return TRUE;
    }
    if (ReadWholeNumber(text, priv.printerMemory, &value) && value >= 1) {
        priv.ramDiskSize = static_cast<WORD>(value);
        return TRUE;
    }
    ShowRamDisk(page, session);
    WarnOutOfRange(page);
    return FALSE;
}

// The RAM disk spin's new position becomes the size.
void StepRamDisk(HWND page, UiSession* session)
{
    const LRESULT position = SendDlgItemMessageW(page, kIdRamDiskSpin, kSpinGetPosition, 0, 0);
    if (position < 1)
        return;
    session->devmode.priv.ramDiskSize = static_cast<WORD>(position);
    ShowRamDisk(page, session);
    MarkChanged(page);
}

// One spin step: the next model size up or down, within the bounds.
void StepMemory(HWND page, UiSession* session, bool up)
{
    const TrayPageState* state = TrayStateOf(session);
    WORD& memory = session->devmode.priv.printerMemory;
    WORD next = memory;
    for (int i = 0; i < state->memorySizeCount; ++i) {
        const WORD size = state->memorySizes[up ? i : state->memorySizeCount - 1 - i];
        if (up ? size > memory : size < memory) {
            next = size;
            break;
        }
    }
    if (next < state->memoryMinimum) next = state->memoryMinimum;
    if (next > state->memoryMaximum) next = state->memoryMaximum;
    if (next == memory)
        return;
    memory = next;
    ShowMemory(page, session);
    MarkChanged(page);
}

// The model's device-option defaults again: its profile's accessories and
// trays, the memory the queue was installed with, no serial number.
void RestoreDefaults(HWND page, UiSession* session)
{
    auto* defaults = static_cast<DriverDevmode*>(GlobalAlloc(GPTR, sizeof(DriverDevmode)));
    if (!defaults)
        return;
    if (BuildDefaultDevmode(&defaults->pub, session->driverName, session->model, IsA4Locale(), session->printer)) {
        PrivateSettings& priv = session->devmode.priv;
        const PrivateSettings& fresh = defaults->priv;
        priv.accessories = fresh.accessories;
        priv.accessories2 = fresh.accessories2;
        memcpy(priv.trayPaper, fresh.trayPaper, sizeof(priv.trayPaper));
        priv.undefinedSourceTray = fresh.undefinedSourceTray;
        priv.ramDisk = fresh.ramDisk;
        priv.ramDiskSize = fresh.ramDiskSize;
        DWORD installed = 0;
        priv.printerMemory = ReadPrinterDataDword(session->printer, L"DEFRAM", &installed)
                                 ? static_cast<WORD>(installed)
                                 : fresh.printerMemory;
    }
    GlobalFree(defaults);
    TrayPageState* state = TrayStateOf(session);
    state->serial[0] = L'\0';
    ShowDeviceOptions(page, session);
    MarkChanged(page);
}

void StartDetection(HWND page, UiSession* session)
{
    TrayPageState* state = TrayStateOf(session);
    EnableDetection(page, FALSE);
    if (!StartTrayDetection(page, session, &state->detection))
        RefreshDetectionAvailability(page, session);
}

void OnDetectionTick(HWND page, UiSession* session)
{
    TrayPageState* state = TrayStateOf(session);
    WCHAR serial[kSerialNumberChars + 1] = {};
    const DetectionOutcome outcome = ContinueTrayDetection(page, session, &state->detection, serial);
    if (outcome == kDetectionWaiting)
        return;
    lstrcpynW(state->serial, outcome == kDetectionSucceeded ? serial : kUnknownSerialNumber,
              ARRAYSIZE(state->serial));
    ShowDeviceOptions(page, session);
    RefreshDetectionAvailability(page, session);
    MarkChanged(page);
    if (GetActiveWindow() == GetParent(page))
        SetFocus(GetDlgItem(page, kIdAutoDetect));
}

void OnTrayCommand(HWND page, UiSession* session, WORD id, WORD code)
{
    TrayPageState* state = TrayStateOf(session);
    PrivateSettings& priv = session->devmode.priv;
    switch (id) {
    case kIdAutoDetect:
        if (code == BN_CLICKED) StartDetection(page, session);
        break;
    case kIdUpdateTray:
        if (code == BN_CLICKED && AssignSelectedTrayPaper(page, session)) MarkChanged(page);
        break;
    case kIdAddOption:
    case kIdRemoveOption:
        if (code == BN_CLICKED && MoveSelectedOption(page, session, id == kIdAddOption)) MarkChanged(page);
        break;
    case kIdAvailableOptions:
    case kIdInstalledOptions:
        if (code == LBN_DBLCLK && MoveSelectedOption(page, session, id == kIdAvailableOptions))
            MarkChanged(page);
        break;
    case kIdDefaultSource:
        if (code == CBN_SELCHANGE) {
            priv.undefinedSourceTray =
                static_cast<WORD>(SelectedComboData(GetDlgItem(page, id), priv.undefinedSourceTray));
            MarkChanged(page);
        }
        break;
    case kIdRamDisk:
        if (code == BN_CLICKED) {
            priv.ramDisk = static_cast<WORD>((priv.ramDisk & ~1u) | (IsDlgButtonChecked(page, id) ? 1 : 0));
            ShowRamDisk(page, session);
            MarkChanged(page);
        }
        break;
    case kIdRamDiskSize:
        if (code == EN_KILLFOCUS && !state->filling)
            CommitRamDiskEntry(page, session);
        else if (code == EN_CHANGE && !state->filling) {
            state->ramDiskTyped = TRUE;
            MarkChanged(page);
        }
        break;
    case kIdMemory:
        if (code == EN_KILLFOCUS && !state->filling)
            CommitMemoryEntry(page, session);
        else if (code == EN_CHANGE && !state->filling) {
            state->memoryTyped = TRUE;
            MarkChanged(page);
        }
        break;
    case kIdSerialNumber:
        if (code == EN_CHANGE && !state->filling) {
            GetDlgItemTextW(page, id, state->serial, ARRAYSIZE(state->serial));
            MarkChanged(page);
        }
        break;
    case kIdTrayDefault:
        if (code == BN_CLICKED) RestoreDefaults(page, session);
        break;
    default:
        break;
    }
}

void ApplyTrayPage(UiSession* session)
{
    const TrayPageState* state = TrayStateOf(session);
    const DWORD bytes = static_cast<DWORD>((wcslen(state->serial) + 1) * sizeof(WCHAR));
    if (WritePrinterData(session->printer, kSerialValue, REG_SZ, state->serial, bytes) != ERROR_SUCCESS)
        SetPrinterDataReopened(session->printer, kSerialValue, REG_SZ, state->serial, bytes);
    ReportPageApplied(session, kSlotTraySettings);
    SaveRequestedProfile(session);
}

INT_PTR OnTrayNotify(HWND page, UiSession* session, const NMHDR* header)
{
    LONG_PTR result = PSNRET_NOERROR;
    switch (header->code) {
    case PSN_SETACTIVE:
        RefreshDetectionAvailability(page, session);
        break;
    case PSN_KILLACTIVE:
        // A memory entry still being typed is judged before the page goes.
        result = CommitMemoryEntry(page, session) && CommitRamDiskEntry(page, session) ? FALSE : TRUE;
        // The Advanced page shows the memory too.
        if (result == FALSE)
            SheetOf(session)->advancedRefresh |= kAdvancedRefreshMemory;
        break;
    case PSN_APPLY:
        ApplyTrayPage(session);
        break;
    case PSN_RESET:
        FreePageState(page, session);
        CloseHelpWindows(session);
        break;
    case PSN_HELP:
        ShowHelpTopic(session, page, kHelpTraySettings);
        break;
    case LVN_ITEMCHANGED:
        if (header->idFrom == kIdTrayList)
            ShowSelectedTrayPaper(page, session);
        return FALSE;
    default:
        return FALSE;
    }
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK TraySettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        InitTrayPage(page, reinterpret_cast<const PROPSHEETPAGEW*>(lParam));
        return TRUE;
    }
    UiSession* session = SessionOfPage(page);
    if (!session || !TrayStateOf(session))
        return FALSE;
    if (HandleContextHelp(session, page, message, wParam, lParam, kTrayHelp))
        return TRUE;
    switch (message) {
    case WM_COMMAND:
        OnTrayCommand(page, session, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(page, kIdRamDiskSpin)) {
            StepRamDisk(page, session);
            return TRUE;
        }
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(page, kIdMemorySpin))
            return FALSE;
        StepMemory(page, session, LOWORD(wParam) == 1);
        return TRUE;
    case WM_TIMER:
        if (wParam != kRemoteToolTimer)
            return FALSE;
        OnDetectionTick(page, session);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != kIdTrayPicture)
            return FALSE;
        DrawTrayPicture(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), session);
        return TRUE;
    case WM_NOTIFY:
        return OnTrayNotify(page, session, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
        FreePageState(page, session);
        CloseHelpWindows(session);
        return FALSE;
    default:
        return FALSE;
    }
}
