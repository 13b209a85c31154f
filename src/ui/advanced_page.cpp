// The Advanced page's frame: its state, the category buttons and the
// showing of each category's controls, the sheet's notifications and
// "Default". The categories' own controls live in the advanced_*.cpp
// modules.
#include "ui/advanced_page.h"

#include "core/module_state.h"
#include "settings/devmode_sync.h"
#include "ui/advanced_page_internal.h"
#include "ui/context_help.h"
#include "ui/controls.h"
#include "ui/preview_drawing.h"
#include "ui/setting_dialog_support.h"
#include "ui/sheet_session.h"

#include <commctrl.h>
#include <prsht.h>
#include <windowsx.h>

#include <cwchar>

namespace {

const WCHAR kStateProperty[] = L"KvAdvancedPage";
const UINT kCategoryNameBase = 595;   // + kind
const UINT kCategoryData = 13513;     // model module: count, then a kind per button

// Each category's control ids.
struct IdRange {
    WORD first;
    WORD last;
};
const IdRange kCategoryRanges[kCategoryDestination + 1] = {
    {232, 255}, {256, 285}, {286, 315}, {203, 231}, {316, 423}, {424, 446},
};
const IdRange kExtraDeviceRanges[] = {{1020, 1021}, {1050, 1064}};

const DWORD kCategoryHelp[kCategoryDestination + 1] = {
    kHelpPrintQuality, kHelpDuplex, kHelpWatermark, kHelpPageSetting, kHelpDeviceOptions, kHelpDestination,
};

const ControlHelp kControlHelp[] = {
    {kIdResolution1200, kHelpResolution}, {kIdResolution600, kHelpResolution},
    {kIdResolution300, kHelpResolution}, {kIdTonerSaveOff, kHelpTonerSave}, {kIdTonerSaveOn, kHelpTonerSave},
    {249, kHelpPrintSetting}, {250, kHelpPrintSetting}, {251, kHelpPrintSetting}, {252, kHelpPrintSetting},
    {kIdManualSetting, kHelpManualSetting}, {kIdQualityPicture, kHelpPrintQuality},
    {kIdDuplex, kHelpDuplex}, {kIdDuplexUnit, kHelpDuplex}, {kIdManualDuplex, kHelpDuplex},
    {kIdBooklet, kHelpBooklet}, {266, kHelpDuplexType}, {267, kHelpDuplexType}, {268, kHelpDuplexType},
    {269, kHelpDuplexType}, {270, kHelpDuplexType}, {271, kHelpDuplexType},
    {kIdBindingOffset, kHelpBindingOffset}, {kIdBindingOffsetEdit, kHelpBindingOffset},
    {kIdBindingMillimetres, kHelpBindingOffset}, {kIdBindingInches, kHelpBindingOffset},
    {kIdUseWatermark, kHelpWatermark}, {kIdWatermarkList, kHelpWatermarkList},
    {kIdWatermarkNew, kHelpWatermarkEditor}, {kIdWatermarkEdit, kHelpWatermarkEditor},
    {kIdWatermarkDelete, kHelpWatermarkList}, {kIdTransparent, kHelpWatermark},
    {kIdOutlineText, kHelpWatermark}, {kIdWatermarkPages, kHelpWatermarkPages},
    {kIdCustomPage, kHelpWatermarkPages}, {kIdCustomPageWatermark, kHelpWatermarkPages},
    {kIdCustomPageAdd, kHelpWatermarkPages}, {kIdCustomPageDelete, kHelpWatermarkPages},
    {kIdScalingOff, kHelpScaling}, {kIdScalingFitPaper, kHelpFitToPaperSize}, {kIdScalingFree, kHelpScaling},
    {kIdScalingPrintable, kHelpScaling}, {kIdOutputSize, kHelpFitToPaperSize}, {kIdScalingSize, kHelpScaling},
    {kIdMirror, kHelpMirrorReverse}, {kIdReverse, kHelpMirrorReverse},
    {kIdFunctionList, kHelpDeviceOptions}, {kIdReprint, kHelpJobSpooling}, {kIdSecurePrint, kHelpJobSpooling},
    {kIdUserName, kHelpJobSpooling}, {kIdJobName, kHelpJobSpooling}, {kIdPassword, kHelpJobSpooling},
    {349, kHelpQuickPrintSetup}, {350, kHelpQuickPrintSetup}, {kIdQuickSetupItems, kHelpQuickSetupItems},
    {kIdSleepAuto, kHelpSleepTime}, {kIdSleepTime, kHelpSleepTime}, {333, kHelpStatusMonitor},
    {334, kHelpStatusMonitor}, {kIdMacroSetting, kHelpMacroSetting}, {kIdPageProtect, kHelpPageProtection},
    {382, kHelpHeaderFooter}, {kIdHeaderFooterSetting, kHelpHeaderFooterSetting},
    {kIdDensityDefault, kHelpDensity}, {kIdDensityBar, kHelpDensity}, {kIdHrc, kHelpHrc},
    {kIdTransferDefault, kHelpDensity}, {360, kHelpDensity}, {361, kHelpDensity}, {362, kHelpDensity},
    {kIdTransferMode4, kHelpDensity},
    {416, kHelpErrorPrintout}, {417, kHelpErrorPrintout}, {418, kHelpErrorPrintout},
    {422, kHelpImproveOutput}, {423, kHelpImproveOutput}, {kIdXpsAdjust, kHelpXpsSetting},
    {kIdXpsOffsetX, kHelpXpsSetting}, {kIdXpsOffsetY, kHelpXpsSetting}, {kIdXpsMemory, kHelpXpsSetting},
    {kIdDefault, kHelpDefaultButton},
    {0, 0},
};

bool InRange(int id, const IdRange& range)
{
    return id >= range.first && id <= range.last;
}

bool IsCategoryControl(int id)
{
    for (const IdRange& range : kCategoryRanges)
        if (InRange(id, range))
            return true;
    for (const IdRange& range : kExtraDeviceRanges)
        if (InRange(id, range))
            return true;
    return false;
}

void ReadCategoryTable(const SheetSession* sheet, CategoryTable* table)
{
    HMODULE module = sheet->modelResources;
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(kCategoryData), MAKEINTRESOURCEW(10)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    BuildCategoryTable(data, data ? SizeofResource(module, found) : 0, table);
}

// "&1 Print Quality": the button's own mnemonic, then the category's name.
void LabelCategoryButtons(HWND page, UiSession* session, const CategoryTable& table)
{
    for (int i = 0; i < kCategoryButtons; ++i) {
        HWND button = GetDlgItem(page, kIdFirstCategoryButton + i);
        if (i >= table.count) {
            ShowWindow(button, SW_HIDE);
            EnableWindow(button, FALSE);
            continue;
        }
        WCHAR name[64], label[80];
        LoadPageString(session, kCategoryNameBase + table.kinds[i], name, ARRAYSIZE(name));
        swprintf(label, ARRAYSIZE(label), L"&%d%ls", i + 1, name);
        SetWindowTextW(button, label);
        SubclassControl(button, kSlotButton);
    }
}

void InitAdvancedPage(HWND page, const PROPSHEETPAGEW* sheetPage)
{
    auto* session = reinterpret_cast<UiSession*>(sheetPage->lParam);
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    if (!IsUiSession(session))
        return;
    auto* state = static_cast<AdvancedState*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, sizeof(AdvancedState)));
    if (!state)
        return;
    SetPropW(page, kStateProperty, state);
    state->hoveredButton = -1;
    state->loading = TRUE;
    ReadCategoryTable(SheetOf(session), &state->categories);
    SheetOf(session)->advancedWindow = page;
    state->brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    LabelCategoryButtons(page, session, state->categories);
    SubclassNameEdit(GetDlgItem(page, kIdUserName), session->devmode.priv.modelCaps);
    SubclassNameEdit(GetDlgItem(page, kIdJobName), session->devmode.priv.modelCaps);
    InitQuality(page, session);
    InitDuplex(page, session, state);
    InitWatermark(page, session);
    InitPageSetting(page, session);
    InitDeviceOptions(page, session, state);
    ShowCategoryControls(page, state);
    state->loading = FALSE;
}

void DestroyAdvancedPage(HWND page, UiSession* session)
{
    CloseHelpWindows(session);
    KillTimer(page, kCategoryHoverTimer);
    for (int i = 0; i < kCategoryButtons; ++i)
        RestoreControl(GetDlgItem(page, kIdFirstCategoryButton + i), kSlotButton);
    RestoreControl(GetDlgItem(page, kIdUserName), kSlotEdit);
    RestoreControl(GetDlgItem(page, kIdJobName), kSlotEdit);
    if (SheetOf(session)->advancedWindow == page)
        SheetOf(session)->advancedWindow = nullptr;
    if (auto* state = static_cast<AdvancedState*>(RemovePropW(page, kStateProperty))) {
        if (state->brush)
            DeleteObject(state->brush);
        HeapFree(session->heap, 0, state);
    }
}

// The checks that keep the user on the job-spooling controls.
bool SpoolingChecksPass(HWND page, UiSession* session)
{
    return CheckSecurePin(page, session) && CheckOwnNames(page, session);
}

void ReloadCategory(HWND page, UiSession* session, AdvancedState* state, AdvancedCategory category)
{
    state->loading = TRUE;
    LoadCategoryRows(page, session, category);
    switch (category) {
    case kCategoryQuality: RefreshQuality(page, session); break;
    case kCategoryDuplex: RefreshDuplex(page, session, state); break;
    case kCategoryWatermark: RefreshWatermark(page, session); break;
    case kCategoryPageSetting: RefreshPageSetting(page, session); break;
    case kCategoryDeviceOptions: FillFunctionList(page, session, state); break;
    default: break;
    }
    state->loading = FALSE;
}

// "Default": only the current category goes back to the printer's
// defaults; the other categories keep what the user chose.
void ResetCurrentCategory(HWND page, UiSession* session, AdvancedState* state)
{
    DriverDevmode* defaults = BuildSessionDefaults(session);
    if (!defaults)
        return;
    const AdvancedCategory category = CurrentCategory(state);
    switch (category) {
    case kCategoryQuality: ResetQualityDefaults(session, *defaults); break;
    case kCategoryDuplex: ResetDuplexDefaults(page, session, *defaults); break;
    case kCategoryWatermark: ResetWatermarkDefaults(page, session, *defaults); break;
    case kCategoryPageSetting: ResetPageSettingDefaults(session, *defaults); break;
    case kCategoryDeviceOptions: ResetDeviceOptionDefaults(page, session, state, *defaults); break;
    default: break;
    }
    ReloadCategory(page, session, state, category);
    if (category == kCategoryDeviceOptions)
        ShowCurrentFunction(page, session, state);
    HeapFree(session->heap, 0, defaults);
}

void OnCategoryControlCommand(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code)
{
    if (code == BN_CLICKED)
        StoreRowControl(page, session, id);
    else if (code == CBN_SELCHANGE)
        StoreComboRow(page, session, id);
    for (int kind = 0; kind <= kCategoryDestination; ++kind) {
        if (!InRange(id, kCategoryRanges[kind]))
            continue;
        switch (kind) {
        case kCategoryQuality: OnQualityCommand(page, session, id); return;
        case kCategoryDuplex: OnDuplexCommand(page, session, state, id, code); return;
        case kCategoryWatermark: OnWatermarkCommand(page, session, id, code); return;
        case kCategoryPageSetting: OnPageSettingCommand(page, session, id, code); return;
        default: break;
        }
    }
    OnDeviceOptionCommand(page, session, state, id, code);
}

void OnCategoryControlChange(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code)
{
    OnCategoryControlCommand(page, session, state, id, code);
    SyncDerivedSettings(&session->devmode.pub);
}

void OnAdvancedCommand(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code)
{
    if (state->loading)
        return;
    if (id >= kIdFirstCategoryButton && id < kIdFirstCategoryButton + kCategoryButtons) {
        if (code == BN_CLICKED)
            SwitchCategory(page, session, state, id - kIdFirstCategoryButton);
        return;
    }
    if (id == kIdDefault) {
        if (code == BN_CLICKED)
            ResetCurrentCategory(page, session, state);
        return;
    }
    if (IsCategoryControl(id))
        OnCategoryControlChange(page, session, state, id, code);
}

void ApplyRefreshBits(HWND page, UiSession* session, AdvancedState* state)
{
    SheetSession* sheet = SheetOf(session);
    const DWORD bits = sheet->advancedRefresh;
    sheet->advancedRefresh = 0;
    state->loading = TRUE;
    if (bits & kAdvancedRefreshMemory)
        SetDlgItemInt(page, kIdPrinterMemory, session->devmode.priv.printerMemory, FALSE);
    if (bits & kAdvancedRefreshDuplex) {
        LoadCategoryRows(page, session, kCategoryDuplex);
        RefreshDuplex(page, session, state);
    }
    if (bits & kAdvancedRefreshOutputSizes)
        InitPageSetting(page, session);
    LoadCategoryRows(page, session, kCategoryPageSetting);
    RefreshPageSetting(page, session);
    InvalidateRect(GetDlgItem(page, kIdDuplexPicture), nullptr, TRUE);
    state->loading = FALSE;
}

INT_PTR Answer(HWND page, LONG_PTR result)
{
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR OnAdvancedNotify(HWND page, UiSession* session, AdvancedState* state, const NMHDR* header)
{
    switch (header->code) {
    case PSN_SETACTIVE:
        ApplyRefreshBits(page, session, state);
        return Answer(page, 0);
    case PSN_KILLACTIVE:
        return Answer(page, SpoolingChecksPass(page, session) ? FALSE : TRUE);
    case PSN_APPLY:
        return Answer(page, ApplyAdvancedPage(page, session, state) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
    case PSN_HELP:
        ShowHelpTopic(session, page, kCategoryHelp[CurrentCategory(state)]);
        return TRUE;
    case PSN_RESET:
        CloseHelpWindows(session);
        return FALSE;
    default:
        return FALSE;
    }
}

// Right-clicking a category button opens the help of its category.
bool OnCategoryContextMenu(HWND page, UiSession* session, AdvancedState* state, HWND control)
{
    const int id = GetDlgCtrlID(control);
    const int button = id - kIdFirstCategoryButton;
    if (button < 0 || button >= state->categories.count)
        return false;
    ShowHelpTopic(session, page, kCategoryHelp[state->categories.kinds[button]]);
    return true;
}

// The category buttons: raised, the current one pressed, the hovered one
// highlighted.
void DrawCategoryButton(const AdvancedState* state, const DRAWITEMSTRUCT* item)
{
    const int button = static_cast<int>(item->CtlID) - kIdFirstCategoryButton;
    const bool hovered = button == state->hoveredButton;
    FillRect(item->hDC, &item->rcItem, state->brush);
    DrawFramedCaption(item, (button == state->button ? DFCS_PUSHED : 0) | (hovered ? DFCS_HOT : 0),
                      hovered ? COLOR_HOTLIGHT : COLOR_BTNTEXT, DT_WORDBREAK);
}

// The hover timer the buttons start: the button under the cursor is
// highlighted until the mouse leaves it.
void TrackHoveredButton(HWND page, AdvancedState* state)
{
    POINT cursor;
    GetCursorPos(&cursor);
    int hovered = -1;
    for (int i = 0; i < state->categories.count; ++i) {
        RECT rect;
        GetWindowRect(GetDlgItem(page, kIdFirstCategoryButton + i), &rect);
        if (PtInRect(&rect, cursor))
            hovered = i;
    }
    if (hovered == -1)
        KillTimer(page, kCategoryHoverTimer);
    if (hovered == state->hoveredButton)
        return;
    if (state->hoveredButton >= 0)
        InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + state->hoveredButton), nullptr, FALSE);
    state->hoveredButton = hovered;
    if (hovered >= 0)
        InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + hovered), nullptr, FALSE);
}

// The spins announce their position in the high word; the density bar
// sends the usual scroll codes.
void OnAdvancedScroll(HWND page, UiSession* session, HWND control, WPARAM wParam)
{
    const auto position = static_cast<short>(HIWORD(wParam));
    switch (GetDlgCtrlID(control)) {
    case kIdScalingSpin: OnScalingSpin(page, session, position); break;
    case kIdSleepSpin: OnSleepSpin(page, session, position); break;
    case kIdDensityBar: OnDensityScroll(page, session, LOWORD(wParam), position); break;
    default: break;
    }
}

INT_PTR DispatchAdvanced(HWND page, UiSession* session, AdvancedState* state, UINT message, WPARAM wParam,
                         LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        OnAdvancedCommand(page, session, state, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnAdvancedScroll(page, session, reinterpret_cast<HWND>(lParam), wParam);
        return TRUE;
    case WM_NOTIFY:
        return OnAdvancedNotify(page, session, state, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID < kIdFirstCategoryButton || item->CtlID >= UINT(kIdFirstCategoryButton + kCategoryButtons))
            return DrawAdvancedPicture(session, item);
        DrawCategoryButton(state, item);
        return TRUE;
    }
    case WM_LBUTTONDBLCLK: {
        const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        OnDeviceOptionDoubleClick(page, session, state, point, wParam);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam != kCategoryHoverTimer)
            return FALSE;
        TrackHoveredButton(page, state);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

AdvancedState* AdvancedStateOf(HWND page)
{
    return static_cast<AdvancedState*>(GetPropW(page, kStateProperty));
}

UiSession* AdvancedSessionOf(HWND page)
{
    auto* session = reinterpret_cast<UiSession*>(GetWindowLongPtrW(page, DWLP_USER));
    return IsUiSession(session) ? session : nullptr;
}

int AdvancedMessage(HWND page, UiSession* session, UINT textId, UINT titleId, UINT type)
{
    WCHAR text[512], title[128];
    LoadPageString(session, textId, text, ARRAYSIZE(text));
    LoadPageString(session, titleId, title, ARRAYSIZE(title));
    return MessageBoxW(page, text, title, type);
}

int AdvancedMessageTitledBy(HWND page, UiSession* session, UINT textId, WORD titleControl, UINT type)
{
    WCHAR text[512], label[128], title[128];
    LoadPageString(session, textId, text, ARRAYSIZE(text));
    GetDlgItemTextW(page, titleControl, label, ARRAYSIZE(label));
    StripAccelerators(label, title, ARRAYSIZE(title));
    return MessageBoxW(page, text, title, type);
}

bool HasPermission(const UiSession* session)
{
    return SheetOf(session)->hasPermission != 0;
}

void ShowControls(HWND page, WORD first, WORD last, bool show)
{
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id < first || id > last)
            continue;
        ShowWindow(child, show ? SW_SHOWNA : SW_HIDE);
        EnableWindow(child, show);
    }
}

void EnableControl(HWND page, WORD id, bool enable)
{
    EnableWindow(GetDlgItem(page, id), enable);
}

void ShowCategoryControls(HWND page, AdvancedState* state)
{
    for (const IdRange& range : kCategoryRanges)
        ShowControls(page, range.first, range.last, false);
    for (const IdRange& range : kExtraDeviceRanges)
        ShowControls(page, range.first, range.last, false);
    UiSession* session = AdvancedSessionOf(page);
    const AdvancedCategory category = CurrentCategory(state);
    switch (category) {
    case kCategoryDeviceOptions:
        ShowControls(page, kIdFunctionLabel, kIdFunctionList, true);
        ShowCurrentFunction(page, session, state);
        return;
    case kCategoryDestination:
        return;   // this model has no destination controls
    default:
        break;
    }
    ShowControls(page, kCategoryRanges[category].first, kCategoryRanges[category].last, true);
    state->loading = TRUE;
    switch (category) {
    case kCategoryQuality: RefreshQuality(page, session); break;
    case kCategoryDuplex: RefreshDuplex(page, session, state); break;
    case kCategoryWatermark: RefreshWatermark(page, session); break;
    default: RefreshPageSetting(page, session); break;
    }
    state->loading = FALSE;
}

bool SwitchCategory(HWND page, UiSession* session, AdvancedState* state, int button)
{
    if (button >= state->categories.count)
        return false;
    if (button == state->button) {
        InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + button), nullptr, FALSE);
        return true;
    }
    if (!SpoolingChecksPass(page, session))
        return false;
    const int previous = state->button;
    state->button = button;
    InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + previous), nullptr, FALSE);
    InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + button), nullptr, FALSE);
    ShowCategoryControls(page, state);
    return true;
}

INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        InitAdvancedPage(page, reinterpret_cast<const PROPSHEETPAGEW*>(lParam));
        return TRUE;
    }
    UiSession* session = AdvancedSessionOf(page);
    AdvancedState* state = AdvancedStateOf(page);
    if (!session || !state)
        return FALSE;
    if (message == WM_DESTROY) {
        DestroyAdvancedPage(page, session);
        return FALSE;
    }
    if (message == WM_CONTEXTMENU && OnCategoryContextMenu(page, session, state, reinterpret_cast<HWND>(wParam)))
        return TRUE;
    if (HandleContextHelp(session, page, message, wParam, lParam, kControlHelp))
        return TRUE;
    return DispatchAdvanced(page, session, state, message, wParam, lParam);
}
