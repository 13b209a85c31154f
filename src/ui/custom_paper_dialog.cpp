// "User Defined Size": the DEVMODE's user-defined size and the printer's
// list of named sizes. The list is edited in the session and reaches the
// printer only on OK; Cancel reads it back from the printer.
#include "ui/custom_paper_dialog.h"

#include "core/driver_strings.h"
#include "core/model_queries.h"
#include "core/module_state.h"
#include "platform/driverui.h"
#include "settings/printer_data.h"
#include "ui/context_help.h"
#include "ui/custom_paper_rules.h"
#include "ui/decimal_entry.h"
#include "ui/dialog_placement.h"
#include "ui/sheet_session.h"

#include <winspool.h>

namespace {

const WORD kTemplateId = 144;

enum ControlId : WORD {
    kIdName = 570,
    kIdMillimetres = 572,
    kIdInches = 573,
    kIdWidthLower = 575,
    kIdWidthUpper = 576,
    kIdHeightLower = 578,
    kIdHeightUpper = 579,
    kIdWidth = 581,
    kIdHeight = 583,
    kIdSave = 584,
    kIdDelete = 585,
    kIdHint = 515,
};

const UINT kTitleId = 386;
const UINT kFullListId = 5100;
const UINT kNameTakenId = 5102;

// Per dimension: its edit, its range texts and its out-of-range message.
struct DimensionRow {
    WORD edit;
    WORD lower;
    WORD upper;
    UINT rangeMessage;
};
const DimensionRow kDimensionRows[kPaperDimensions] = {
    {kIdWidth, kIdWidthLower, kIdWidthUpper, 387},
    {kIdHeight, kIdHeightLower, kIdHeightUpper, 388},
};

struct ControlHint {
    WORD control;
    UINT hint;
};
const ControlHint kHints[] = {
    {kIdName, 380},  {kIdWidth, 381},  {kIdHeight, 382},      {kIdSave, 383},
    {kIdDelete, 384}, {kIdMillimetres, 385}, {kIdInches, 385},
};

const ControlHelp kHelpTable[] = {
    {kIdName, kHelpUserDefinedSize},   {kIdMillimetres, kHelpUserDefinedSize},
    {kIdInches, kHelpUserDefinedSize}, {kIdWidth, kHelpUserDefinedSize},
    {kIdHeight, kHelpUserDefinedSize}, {kIdSave, kHelpUserDefinedSize},
    {kIdDelete, kHelpUserDefinedSize}, {0, 0},
};

const int kNameChars = kCustomPaperNameChars + 1;
const int kEntryChars = 16;
const int kMessageChars = 512;
const int kFormNameChars = 64;

// The fields the dialog edits, as they were when it opened: Cancel puts
// them back.
struct CustomSizeFields {
    WCHAR name[ARRAYSIZE(PrivateSettings::customPaperName)];
    WORD unit;
    WORD width;
    WORD length;
};

struct PaperDialog {
    UiSession* session;
    PaperUnit unit;
    LONG lastValid[kPaperDimensions];   // shown values in unit
    BOOL listEditable;                  // the printer takes the list and the caller may change it
    BOOL validating;                    // a refusal's message box is up
    BOOL filling;                       // the dialog itself is writing the edits
    BOOL closing;                       // the entries no longer matter
    int hintControl;
    short paperCode;
    CustomSizeFields opened;
};

PaperDialog* DialogState(HWND dialog)
{
    return reinterpret_cast<PaperDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int ShowMessage(HWND dialog, UINT textId, UINT type)
{
    WCHAR text[kMessageChars], title[kMessageChars];
    LoadDriverString(textId, text, kMessageChars);
    LoadDriverString(kTitleId, title, kMessageChars);
    return MessageBoxW(dialog, text, title, type);
}

void ShowValue(HWND dialog, PaperDialog* state, PaperDimension dimension, LONG shown)
{
    WCHAR text[kEntryChars];
    FormatDecimalEntry(shown, UnitDecimals(state->unit), text, kEntryChars);
    state->filling = TRUE;
    SetDlgItemTextW(dialog, kDimensionRows[dimension].edit, text);
    state->filling = FALSE;
}

void ShowUnit(HWND dialog, PaperDialog* state)
{
    CheckRadioButton(dialog, kIdMillimetres, kIdInches,
                     state->unit == kUnitInch ? kIdInches : kIdMillimetres);
    for (int d = 0; d < kPaperDimensions; ++d) {
        const auto dimension = static_cast<PaperDimension>(d);
        const ShownRange range = CustomSizeRange(dimension, state->unit);
        WCHAR text[kEntryChars];
        FormatDecimalEntry(range.lower, UnitDecimals(state->unit), text, kEntryChars);
        SetDlgItemTextW(dialog, kDimensionRows[d].lower, text);
        FormatDecimalEntry(range.upper, UnitDecimals(state->unit), text, kEntryChars);
        SetDlgItemTextW(dialog, kDimensionRows[d].upper, text);
        ShowValue(dialog, state, dimension, state->lastValid[d]);
    }
}

// Shows a size in its unit; sizes outside the printer's range (a damaged
// value) are shown at the nearer bound.
void ShowSize(HWND dialog, PaperDialog* state, WORD unit, LONG widthTenthsMm, LONG lengthTenthsMm)
{
    state->unit = PaperUnitOf(unit);
    const LONG tenths[kPaperDimensions] = {widthTenthsMm, lengthTenthsMm};
    for (int d = 0; d < kPaperDimensions; ++d) {
        const auto dimension = static_cast<PaperDimension>(d);
        state->lastValid[d] = NearerBound(ShownOfTenthsMm(tenths[d], state->unit),
                                          CustomSizeRange(dimension, state->unit));
    }
    ShowUnit(dialog, state);
}

void EnableListButtons(HWND dialog, const PaperDialog* state, BOOL save, BOOL remove)
{
    EnableWindow(GetDlgItem(dialog, kIdSave), state->listEditable && save);
    EnableWindow(GetDlgItem(dialog, kIdDelete), state->listEditable && remove);
}

void FillNames(HWND dialog, const UiSession* session)
{
    HWND combo = GetDlgItem(dialog, kIdName);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const ProfileCustomPaperList& list = session->customPapers;
    for (uint32_t i = 0; i < list.count && i < kMaxCustomPapers; ++i)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.papers[i].name));
}

void SelectName(HWND dialog, const WCHAR* name)
{
    HWND combo = GetDlgItem(dialog, kIdName);
    const LRESULT item =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (item >= 0)
        SendMessageW(combo, CB_SETCURSEL, item, 0);
}

void ReadName(HWND dialog, WCHAR (&name)[kNameChars])
{
    GetDlgItemTextW(dialog, kIdName, name, kNameChars);
}

// Whether the caller may change the printer's list: the printer takes a
// value written through a handle of its own, and the sheet edits the
// defaults with the right to change them.
BOOL ProbeListEditable(const UiSession* session)
{
    const SheetSession* sheet = SheetOf(session);
    const DWORD probe = 1;
    return SetPrinterDataReopened(session->printer, L"SAVE", REG_DWORD, &probe, sizeof(probe)) &&
           sheet->userDefault && sheet->hasPermission;
}

BOOL InitDialog(HWND dialog, PaperDialog* state)
{
    UiSession* session = state->session;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    if (!ReadCustomPapers(session->printer, &session->customPapers))
        return FALSE;
    TidyCustomPaperList(&session->customPapers);
    PlaceDialog(dialog);
    const PrivateSettings& priv = session->devmode.priv;
    FillNames(dialog, session);
    SendDlgItemMessageW(dialog, kIdName, CB_LIMITTEXT, kCustomPaperNameChars, 0);
    WCHAR name[kNameChars];
    lstrcpynW(name, priv.customPaperName, kNameChars);
    SetDlgItemTextW(dialog, kIdName, name);
    ShowSize(dialog, state, priv.customPaperUnit, priv.customPaperWidth, priv.customPaperLength);
    state->listEditable = ProbeListEditable(session);
    const BOOL haveList = session->customPapers.count > 0;
    EnableListButtons(dialog, state, haveList, haveList);
    SetDlgItemTextW(dialog, kIdHint, L"");
    return TRUE;
}

// Gives the focus to control once the focus change under way (the one
// that had the entry checked) is over; taking it back in the middle of
// that change would have the entry lose it once more.
void FocusLater(HWND dialog, WORD control)
{
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, control)), TRUE);
}

void RefuseEntry(HWND dialog, HWND edit)
{
    SendMessageW(edit, EM_SETSEL, 0, -1);
    FocusLater(dialog, static_cast<WORD>(GetDlgCtrlID(edit)));
}

// Checks the edit's text against the unit's format and the printer's
// range. A malformed text goes back to the last valid value (or empty when
// it does not even start with a digit); a value out of range is refused
// with its message and replaced by the nearer bound. TRUE when the text
// was a valid size.
BOOL ValidateSize(HWND dialog, PaperDialog* state, PaperDimension dimension)
{
    // The refusal's message box takes the focus away again, and so does the
    // dialog's end: ignore both.
    if (state->validating || state->closing)
        return TRUE;
    const DimensionRow& row = kDimensionRows[dimension];
    HWND edit = GetDlgItem(dialog, row.edit);
    WCHAR text[kEntryChars];
    GetWindowTextW(edit, text, kEntryChars);
    LONG shown = 0;
    const DecimalEntryStatus status = ParseDecimalEntry(text, UnitDecimals(state->unit), &shown);
    if (status == kDecimalMalformed) {
        if (StartsWithDigit(text))
            ShowValue(dialog, state, dimension, state->lastValid[dimension]);
        else
            SetWindowTextW(edit, L"");
        RefuseEntry(dialog, edit);
        return FALSE;
    }
    const ShownRange range = CustomSizeRange(dimension, state->unit);
    const LONG bounded = NearerBound(shown, range);
    state->lastValid[dimension] = bounded;
    if (bounded != shown) {
        state->validating = TRUE;
        ShowMessage(dialog, row.rangeMessage, MB_OK | MB_ICONHAND);
        state->validating = FALSE;
        ShowValue(dialog, state, dimension, bounded);
        RefuseEntry(dialog, edit);
        return FALSE;
    }
    ShowValue(dialog, state, dimension, bounded);
    return TRUE;
}

BOOL ValidateSizes(HWND dialog, PaperDialog* state)
{
    for (int d = 0; d < kPaperDimensions; ++d)
        if (!ValidateSize(dialog, state, static_cast<PaperDimension>(d)))
            return FALSE;
    return TRUE;
}

void StoreSize(PaperDialog* state)
{
    PrivateSettings& priv = state->session->devmode.priv;
    priv.customPaperUnit = state->unit;
    priv.customPaperWidth =
        static_cast<WORD>(TenthsMmOfShown(state->lastValid[kPaperWidth], kPaperWidth, state->unit));
    priv.customPaperLength = static_cast<WORD>(
        TenthsMmOfShown(state->lastValid[kPaperHeight], kPaperHeight, state->unit));
}

void ChangeUnit(HWND dialog, PaperDialog* state, PaperUnit unit)
{
    if (unit == state->unit)
        return;
    // The values are checked in the unit they were typed in.
    for (int d = 0; d < kPaperDimensions; ++d)
        ValidateSize(dialog, state, static_cast<PaperDimension>(d));
    for (int d = 0; d < kPaperDimensions; ++d)
        state->lastValid[d] =
            ConvertShown(state->lastValid[d], static_cast<PaperDimension>(d), state->unit, unit);
    state->unit = unit;
    ShowUnit(dialog, state);
    EnableListButtons(dialog, state, TRUE, TRUE);
}

// Forms are listed by the spooler in one block; FALSE when it has none.
BOOL IsSpoolerFormName(HANDLE printer, const WCHAR* name)
{
    DWORD needed = 0, returned = 0;
    EnumFormsW(printer, 1, nullptr, 0, &needed, &returned);
    if (needed == 0)
        return FALSE;
    auto* forms = static_cast<FORM_INFO_1W*>(GlobalAlloc(GPTR, needed));
    BOOL found = FALSE;
    if (forms && EnumFormsW(printer, 1, reinterpret_cast<BYTE*>(forms), needed, &needed, &returned))
        for (DWORD i = 0; i < returned && !found; ++i)
            found = SamePaperName(forms[i].pName, name);
    if (forms)
        GlobalFree(forms);
    return found;
}

BOOL IsModelPaperName(const ModelContext* model, const WCHAR* name)
{
    const ModelFeature* sizes = FeatureOfKind(model, kKindPageSize);
    if (!sizes)
        return FALSE;
    for (uint32_t i = 0; i < sizes->optionCount; ++i) {
        const ModelOption& option = sizes->options[i];
        const char* texts[] = {option.keyword, option.translation};
        for (const char* text : texts) {
            WCHAR wide[kFormNameChars] = {};
            if (text && MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kFormNameChars) > 0 &&
                SamePaperName(wide, name))
                return TRUE;
        }
    }
    return FALSE;
}

// The names the paper lists show for the model's papers (the named sizes,
// 300 to 315, are the list being edited).
BOOL IsListedPaperName(UiSession* session, const WCHAR* name)
{
    DEVMODEW* devmode = &session->devmode.pub;
    const DWORD count = DrvDeviceCapabilities(session->printer, devmode->dmDeviceName, DC_PAPERS,
                                              nullptr, devmode);
    if (count == 0 || count == GDI_ERROR)
        return FALSE;
    auto* codes = static_cast<WORD*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, count * sizeof(WORD)));
    auto* names = static_cast<WCHAR*>(
        HeapAlloc(session->heap, HEAP_ZERO_MEMORY, count * kFormNameChars * sizeof(WCHAR)));
    BOOL found = FALSE;
    if (codes && names &&
        DrvDeviceCapabilities(session->printer, devmode->dmDeviceName, DC_PAPERS, codes, devmode) == count &&
        DrvDeviceCapabilities(session->printer, devmode->dmDeviceName, DC_PAPERNAMES, names, devmode) == count) {
        for (DWORD i = 0; i < count && !found; ++i) {
            WCHAR listed[kFormNameChars + 1] = {};
            lstrcpynW(listed, names + i * kFormNameChars, kFormNameChars + 1);
            found = !IsCustomPaperCode(codes[i]) && SamePaperName(listed, name);
        }
    }
    if (names)
        HeapFree(session->heap, 0, names);
    if (codes)
        HeapFree(session->heap, 0, codes);
    return found;
}

BOOL IsOtherPaperName(UiSession* session, const WCHAR* name)
{
    return IsModelPaperName(session->model, name) || IsListedPaperName(session, name) ||
           IsSpoolerFormName(session->printer, name);
}

void SavePaper(HWND dialog, PaperDialog* state)
{
    UiSession* session = state->session;
    WCHAR name[kNameChars];
    ReadName(dialog, name);
    if (!name[0])
        return;
    if (IsOtherPaperName(session, name)) {
        ShowMessage(dialog, kNameTakenId, MB_OK | MB_ICONHAND);
        return;
    }
    if (session->customPapers.count >= kMaxCustomPapers &&
        FindCustomPaper(session->customPapers, name) < 0) {
        ShowMessage(dialog, kFullListId, MB_OK | MB_ICONHAND);
        return;
    }
    if (!ValidateSizes(dialog, state)) {
        FocusLater(dialog, kIdSave);
        return;
    }
    StoreSize(state);
    const PrivateSettings& priv = session->devmode.priv;
    SaveCustomPaper(&session->customPapers, name, state->unit, priv.customPaperWidth,
                    priv.customPaperLength, nullptr);
    FillNames(dialog, session);
    SelectName(dialog, name);
    // The size shown is the one saved: nothing new to save until an edit.
    EnableListButtons(dialog, state, FALSE, TRUE);
}

void DeletePaper(HWND dialog, PaperDialog* state)
{
    WCHAR name[kNameChars];
    ReadName(dialog, name);
    if (!DeleteCustomPaper(&state->session->customPapers, name))
        return;
    FillNames(dialog, state->session);
    EnableListButtons(dialog, state, FALSE, FALSE);
}

void PickSavedPaper(HWND dialog, PaperDialog* state)
{
    HWND combo = GetDlgItem(dialog, kIdName);
    const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const ProfileCustomPaperList& list = state->session->customPapers;
    if (item < 0 || static_cast<uint32_t>(item) >= list.count)
        return;
    const ProfileCustomPaper& paper = list.papers[item];
    ShowSize(dialog, state, static_cast<WORD>(paper.flag), static_cast<LONG>(paper.width),
             static_cast<LONG>(paper.length));
    EnableListButtons(dialog, state, FALSE, TRUE);
}

void OnNameEdited(HWND dialog, PaperDialog* state)
{
    WCHAR name[kNameChars];
    ReadName(dialog, name);
    // The stored list separates its items with these: a name cannot hold them.
    if (RemoveListSeparators(name)) {
        HWND combo = GetDlgItem(dialog, kIdName);
        SetWindowTextW(combo, name);
        const int end = lstrlenW(name);
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    }
    EnableListButtons(dialog, state, TRUE, TRUE);
}

BOOL WriteCustomPapers(const UiSession* session)
{
    WCHAR text[kCustomPaperListChars];
    const size_t length = EncodeCustomPaperList(session->customPapers, text, kCustomPaperListChars);
    return SetPrinterDataReopened(session->printer, L"CstPaper", REG_BINARY, text,
                                  static_cast<DWORD>((length + 1) * sizeof(WCHAR)));
}

void Confirm(HWND dialog, PaperDialog* state)
{
    if (!ValidateSizes(dialog, state))
        return;
    UiSession* session = state->session;
    PrivateSettings& priv = session->devmode.priv;
    StoreSize(state);
    WCHAR name[kNameChars];
    ReadName(dialog, name);
    const int saved = FindCustomPaper(session->customPapers, name);
    if (saved >= 0) {
        const ProfileCustomPaper& paper = session->customPapers.papers[saved];
        CopyProfileField(priv.customPaperName, paper.name, kCustomPaperNameChars);
        state->paperCode = static_cast<short>(paper.code);
    } else {
        ZeroMemory(priv.customPaperName, sizeof(priv.customPaperName));
        state->paperCode = DMPAPER_USER;
    }
    // Nothing to report when the printer refuses: the next session reads
    // the list the printer kept.
    WriteCustomPapers(session);
    ClearTraysOfDeletedPapers(priv.trayPaper, session->customPapers);
    state->closing = TRUE;
    EndDialog(dialog, IDOK);
}

void Cancel(HWND dialog, PaperDialog* state)
{
    UiSession* session = state->session;
    PrivateSettings& priv = session->devmode.priv;
    ReadCustomPapers(session->printer, &session->customPapers);
    CopyMemory(priv.customPaperName, state->opened.name, sizeof(priv.customPaperName));
    priv.customPaperUnit = state->opened.unit;
    priv.customPaperWidth = state->opened.width;
    priv.customPaperLength = state->opened.length;
    state->closing = TRUE;
    EndDialog(dialog, IDCANCEL);
}

void OnCommand(HWND dialog, PaperDialog* state, WORD id, WORD code)
{
    switch (id) {
    case kIdName:
        if (code == CBN_SELCHANGE)
            PickSavedPaper(dialog, state);
        else if (code == CBN_EDITCHANGE)
            OnNameEdited(dialog, state);
        break;
    case kIdWidth:
    case kIdHeight:
        if (code == EN_KILLFOCUS)
            ValidateSize(dialog, state, id == kIdWidth ? kPaperWidth : kPaperHeight);
        else if (code == EN_CHANGE && !state->filling)
            EnableListButtons(dialog, state, TRUE, TRUE);
        break;
    case kIdMillimetres:
    case kIdInches:
        if (code == BN_CLICKED)
            ChangeUnit(dialog, state, id == kIdInches ? kUnitInch : kUnitMillimetre);
        break;
    case kIdSave: SavePaper(dialog, state); break;
    case kIdDelete: DeletePaper(dialog, state); break;
    case IDOK: Confirm(dialog, state); break;
    case IDCANCEL: Cancel(dialog, state); break;
    case IDHELP: ShowHelpTopic(state->session, dialog, kHelpUserDefinedSize); break;
    default: break;
    }
}

// The hint line names what the control under the mouse is for.
void ShowHint(HWND dialog, PaperDialog* state, HWND under)
{
    // The name's edit is a child of the combo box.
    while (under && GetParent(under) && GetParent(under) != dialog)
        under = GetParent(under);
    const int control = under && under != dialog ? GetDlgCtrlID(under) : 0;
    if (control == state->hintControl)
        return;
    state->hintControl = control;
    WCHAR hint[kMessageChars] = {};
    for (const ControlHint& row : kHints)
        if (row.control == control)
            LoadDriverString(row.hint, hint, kMessageChars);
    SetDlgItemTextW(dialog, kIdHint, hint);
}

INT_PTR CALLBACK CustomPaperDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<PaperDialog*>(lParam);
        if (!InitDialog(dialog, state))
            EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    PaperDialog* state = DialogState(dialog);
    if (!state)
        return FALSE;
    if (HandleContextHelp(state->session, dialog, message, wParam, lParam, kHelpTable))
        return TRUE;
    switch (message) {
    case WM_COMMAND:
        OnCommand(dialog, state, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_SETCURSOR:
        ShowHint(dialog, state, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR RunCustomPaperDialog(HWND owner, UiSession* session, short* paperCode)
{
    if (!IsUiSession(session) || !paperCode)
        return -1;
    PaperDialog state = {};
    state.session = session;
    state.paperCode = DMPAPER_USER;
    const PrivateSettings& priv = session->devmode.priv;
    CopyMemory(state.opened.name, priv.customPaperName, sizeof(state.opened.name));
    state.opened.unit = priv.customPaperUnit;
    state.opened.width = priv.customPaperWidth;
    state.opened.length = priv.customPaperLength;
    const INT_PTR result = DialogBoxParamW(g_module.resourceModule, MAKEINTRESOURCEW(kTemplateId), owner,
                                           CustomPaperDialogProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK)
        *paperCode = state.paperCode;
    return result;
}
