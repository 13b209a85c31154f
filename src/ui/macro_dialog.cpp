// "Macro Setting": saving the job as a macro in the printer, or inserting a
// stored macro into every page or one page of the job.
#include "ui/setting_dialogs.h"

#include "settings/devmode_bits.h"
#include "ui/context_help.h"
#include "ui/decimal_entry.h"
#include "ui/printer_macros.h"
#include "ui/setting_dialog_support.h"
#include "ui/sheet_session.h"

#include <cwchar>

namespace {

const WORD kMacroTemplate = 109;

const int kIdMacroId = 562;
const int kIdSave = 563;
const int kIdToMemory = 564;
const int kIdToStorage = 565;
const int kIdInsert = 566;
const int kIdAllPages = 567;
const int kIdOnePage = 568;
const int kIdPage = 569;
const int kIdMacroName = 570;
const int kIdTopOfPage = 571;
const int kIdEndOfPage = 574;

const UINT kOutOfRange = 389;
const UINT kPageOutOfRange = 418;
const UINT kNotInPrinter = 419;
const UINT kPrinterHasNone = 420;
const UINT kReplaceExisting = 421;
const UINT kMayReplace = 422;
const UINT kWarningTitle = 1128;
const UINT kErrorTitle = 3067;

const unsigned long kMinPage = 1;
const unsigned long kMaxPage = 255;

// A check box or radio and the flag bit it stands for when checked.
const ButtonBit kFlagButtons[] = {
    {kIdSave, kMacroSave},           {kIdInsert, kMacroInsert},   {kIdToStorage, kMacroToStorage},
    {kIdOnePage, kMacroOnePage},     {kIdEndOfPage, kMacroAtEnd},
};

// The radios each check box rules over.
const int kSaveChoices[] = {kIdToMemory, kIdToStorage};
const int kInsertChoices[] = {kIdAllPages, kIdOnePage, kIdPage, kIdTopOfPage, kIdEndOfPage};

struct MacroDialog {
    PrinterMacroList* list;   // null while none is known
    RemoteToolInquiry inquiry;
};

BYTE FlagsOfButtons(HWND dialog)
{
    return static_cast<BYTE>(CheckedButtonBits(dialog, kFlagButtons, ARRAYSIZE(kFlagButtons)));
}

void EnableChoices(HWND dialog)
{
    const BYTE flags = FlagsOfButtons(dialog);
    for (int id : kSaveChoices)
        EnableWindow(GetDlgItem(dialog, id), (flags & kMacroSave) != 0);
    for (int id : kInsertChoices)
        EnableWindow(GetDlgItem(dialog, id), (flags & kMacroInsert) != 0);
}

void ShowFlags(HWND dialog, BYTE flags)
{
    CheckDlgButton(dialog, kIdSave, (flags & kMacroSave) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kIdInsert, (flags & kMacroInsert) ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, kIdToMemory, kIdToStorage, (flags & kMacroToStorage) ? kIdToStorage : kIdToMemory);
    CheckRadioButton(dialog, kIdAllPages, kIdOnePage, (flags & kMacroOnePage) ? kIdOnePage : kIdAllPages);
    CheckRadioButton(dialog, kIdTopOfPage, kIdEndOfPage, (flags & kMacroAtEnd) ? kIdEndOfPage : kIdTopOfPage);
    EnableChoices(dialog);
}

// The name that goes with an id: the printer's macro of that id, else the
// list's last entry.
void SelectNameOf(HWND dialog, unsigned long id)
{
    HWND names = GetDlgItem(dialog, kIdMacroName);
    const LRESULT count = SendMessageW(names, CB_GETCOUNT, 0, 0);
    if (count <= 0)
        return;
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(names, CB_GETITEMDATA, i, 0) == static_cast<LRESULT>(id)) {
            SendMessageW(names, CB_SETCURSEL, i, 0);
            return;
        }
    }
    SendMessageW(names, CB_SETCURSEL, count - 1, 0);
}

void FillMacroLists(HWND dialog, const PrinterMacroList* list)
{
    HWND ids = GetDlgItem(dialog, kIdMacroId);
    HWND names = GetDlgItem(dialog, kIdMacroName);
    SendMessageW(names, CB_RESETCONTENT, 0, 0);
    WCHAR typed[16];
    GetWindowTextW(ids, typed, ARRAYSIZE(typed));
    SendMessageW(ids, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < list->count; ++i) {
        WCHAR text[16];
        swprintf(text, ARRAYSIZE(text), L"%u", list->macros[i].id);
        SendMessageW(ids, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        const LRESULT at = SendMessageW(names, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list->macros[i].name));
        SendMessageW(names, CB_SETITEMDATA, at, list->macros[i].id);
    }
    SetWindowTextW(ids, typed);
    unsigned long id = 0;
    if (ReadWholeNumber(typed, kAnyNineDigitNumber, &id))
        SelectNameOf(dialog, id);
}

void TakeInquiryResult(HWND dialog, UiSession* session, MacroDialog* state)
{
    auto* list = static_cast<PrinterMacroList*>(HeapAlloc(session->heap, 0, sizeof(PrinterMacroList)));
    if (list && ReadMacroExchange(state->inquiry.exchangePath, list)) {
        state->list = list;
        FillMacroLists(dialog, list);
    } else if (list) {
        HeapFree(session->heap, 0, list);
    }
}

MacroDialog* StateOf(HWND dialog)
{
    return static_cast<MacroDialog*>(SettingDialogState(dialog));
}

void InitMacroDialog(HWND dialog, UiSession* session)
{
    MacroDialog* state = StateOf(dialog);
    const PrivateSettings& priv = session->devmode.priv;
    SendDlgItemMessageW(dialog, kIdMacroId, CB_LIMITTEXT, 5, 0);
    SendDlgItemMessageW(dialog, kIdPage, EM_LIMITTEXT, 3, 0);
    SetDlgItemInt(dialog, kIdMacroId, priv.macroId, FALSE);
    // The page first: typing a page chooses "one page", and the flags below
    // then put the record's choice back.
    SetDlgItemInt(dialog, kIdPage, priv.macroCount, FALSE);
    ShowFlags(dialog, priv.macroFlags);
    // While the printer is asked, its names are not there to choose from.
    if (SheetOf(session)->remoteToolAvailable && StartMacroInquiry(dialog, session, &state->inquiry))
        EnableWindow(GetDlgItem(dialog, kIdMacroName), FALSE);
}

void OnInquiryTick(HWND dialog, UiSession* session, MacroDialog* state)
{
    if (!RemoteToolInquiryEnded(dialog, &state->inquiry))
        return;
    TakeInquiryResult(dialog, session, state);
    EnableWindow(GetDlgItem(dialog, kIdMacroName), TRUE);
}

void OnIdChosen(HWND dialog, WORD code)
{
    HWND ids = GetDlgItem(dialog, kIdMacroId);
    WCHAR text[16] = {};
    if (code == CBN_SELCHANGE) {
        const LRESULT at = SendMessageW(ids, CB_GETCURSEL, 0, 0);
        if (at < 0 || SendMessageW(ids, CB_GETLBTEXTLEN, at, 0) >= static_cast<LRESULT>(ARRAYSIZE(text)))
            return;
        SendMessageW(ids, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text));
    } else {
        GetWindowTextW(ids, text, ARRAYSIZE(text));
    }
    unsigned long id = 0;
    if (ReadWholeNumber(text, kAnyNineDigitNumber, &id))
        SelectNameOf(dialog, id);
}

void OnNameChosen(HWND dialog)
{
    HWND names = GetDlgItem(dialog, kIdMacroName);
    const LRESULT at = SendMessageW(names, CB_GETCURSEL, 0, 0);
    if (at >= 0)
        SetDlgItemInt(dialog, kIdMacroId, static_cast<UINT>(SendMessageW(names, CB_GETITEMDATA, at, 0)), FALSE);
}

// Saving over a macro the printer has, or one the printer may have when
// its list is unknown, needs the user's word.
bool SaveConfirmed(HWND dialog, const UiSession* session, const MacroDialog* state, LONG id)
{
    UINT question = 0;
    if (!state->list)
        question = kMayReplace;
    else if (FindPrinterMacro(state->list, id))
        question = kReplaceExisting;
    return !question ||
           ShowSettingMessage(dialog, session, question, kWarningTitle, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// Inserting needs a macro the printer has; with no list at all the user is
// told that the printer reported none, and the setting is kept anyway.
bool InsertAccepted(HWND dialog, const UiSession* session, const MacroDialog* state, LONG id)
{
    if (!state->list) {
        ShowSettingMessage(dialog, session, kPrinterHasNone, kWarningTitle, MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    if (FindPrinterMacro(state->list, id))
        return true;
    RefuseEntry(dialog, session, kIdMacroId, kNotInPrinter, kErrorTitle);
    return false;
}

void StoreSelectedName(HWND dialog, PrivateSettings* priv)
{
    HWND names = GetDlgItem(dialog, kIdMacroName);
    const LRESULT at = SendMessageW(names, CB_GETCURSEL, 0, 0);
    WCHAR name[64] = {};
    if (at < 0 || SendMessageW(names, CB_GETLBTEXTLEN, at, 0) >= static_cast<LRESULT>(ARRAYSIZE(name)))
        return;
    SendMessageW(names, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(name));
    ZeroMemory(priv->macroName, sizeof(priv->macroName));
    lstrcpynW(priv->macroName, name, kMacroNameLimit + 1);
}

bool ConfirmMacro(HWND dialog, UiSession* session)
{
    const MacroDialog* state = StateOf(dialog);
    PrivateSettings& priv = session->devmode.priv;
    const BYTE flags = FlagsOfButtons(dialog);
    if (flags & (kMacroSave | kMacroInsert)) {
        WCHAR text[16] = {};
        GetDlgItemTextW(dialog, kIdMacroId, text, ARRAYSIZE(text));
        unsigned long id = 0;
        if (!ReadWholeNumber(text, kMaxMacroId, &id)) {
            RefuseEntry(dialog, session, kIdMacroId, kOutOfRange, 0);
            return false;
        }
        if ((flags & kMacroSave) && !SaveConfirmed(dialog, session, state, id))
            return false;
        if ((flags & kMacroInsert) && !InsertAccepted(dialog, session, state, id))
            return false;
        unsigned long page = priv.macroCount;
        if (flags & kMacroOnePage) {
            GetDlgItemTextW(dialog, kIdPage, text, ARRAYSIZE(text));
            if (!ReadWholeNumber(text, kMaxPage, &page) || page < kMinPage) {
                RefuseEntry(dialog, session, kIdPage, kPageOutOfRange, kErrorTitle);
                return false;
            }
        }
        priv.macroId = static_cast<DWORD>(id);
        priv.macroCount = static_cast<BYTE>(page);
        StoreSelectedName(dialog, &priv);
    }
    priv.macroFlags = flags;
    return true;
}

void OnMacroCommand(HWND dialog, WORD id, WORD code)
{
    switch (id) {
    case kIdMacroId:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)
            OnIdChosen(dialog, code);
        break;
    case kIdMacroName:
        if (code == CBN_SELCHANGE)
            OnNameChosen(dialog);
        break;
    case kIdPage:
        if (code == EN_CHANGE)
            CheckRadioButton(dialog, kIdAllPages, kIdOnePage, kIdOnePage);
        break;
    default:
        if (code == BN_CLICKED)
            EnableChoices(dialog);
        break;
    }
}

INT_PTR HandleMacro(HWND dialog, UiSession* session, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_COMMAND:
        OnMacroCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kRemoteToolTimer)
            OnInquiryTick(dialog, session, StateOf(dialog));
        return TRUE;
    default:
        return FALSE;
    }
}

void EndMacroDialog(HWND dialog, UiSession* session)
{
    MacroDialog* state = StateOf(dialog);
    StopRemoteToolInquiry(dialog, &state->inquiry);
    if (state->list)
        HeapFree(session->heap, 0, state->list);
    state->list = nullptr;
}

const SettingDialogKind kMacroDialog = {kMacroTemplate, kHelpMacroSetting, InitMacroDialog, ConfirmMacro,
                                        HandleMacro, EndMacroDialog};

} // namespace

INT_PTR RunMacroDialog(HWND owner, UiSession* session)
{
    MacroDialog state = {};
    return RunSettingDialog(owner, session, kMacroDialog, &state);
}
