// Shared pieces of the setting dialogs.
#include "ui/setting_dialog_support.h"

#include "core/module_state.h"
#include "settings/devmode_defaults.h"
#include "ui/context_help.h"
#include "ui/dialog_placement.h"
#include "ui/sheet_session.h"

#include <cwchar>

HMODULE SettingStrings(const UiSession* session)
{
    const HMODULE sheetModule = SheetOf(session)->languageModule;
    return sheetModule ? sheetModule : g_module.resourceModule;
}

BOOL LoadSettingString(const UiSession* session, UINT id, WCHAR* text, int capacity)
{
    text[0] = L'\0';
    return LoadStringW(SettingStrings(session), id, text, capacity) > 0;
}

namespace {

const WCHAR kStateProperty[] = L"KvSettingDialogState";
const WCHAR kKindProperty[] = L"KvSettingDialogKind";

struct DialogStart {
    UiSession* session;
    const SettingDialogKind* kind;
    void* state;
};

const SettingDialogKind* KindOf(HWND dialog)
{
    return static_cast<const SettingDialogKind*>(GetPropW(dialog, kKindProperty));
}

void BeginSettingDialog(HWND dialog, const DialogStart* start)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(start->session));
    SetPropW(dialog, kKindProperty, const_cast<SettingDialogKind*>(start->kind));
    if (start->state)
        SetPropW(dialog, kStateProperty, start->state);
    PlaceDialog(dialog);
    start->kind->init(dialog, start->session);
}

INT_PTR OnSettingCommand(HWND dialog, UiSession* session, const SettingDialogKind& kind, WPARAM wParam,
                         LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        if (!kind.confirm || kind.confirm(dialog, session))
            EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDHELP:
        ShowHelpTopic(session, dialog, kind.helpContext);
        return TRUE;
    default:
        return kind.handle ? kind.handle(dialog, session, WM_COMMAND, wParam, lParam) : FALSE;
    }
}

INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        BeginSettingDialog(dialog, reinterpret_cast<const DialogStart*>(lParam));
        return TRUE;
    }
    auto* session = reinterpret_cast<UiSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
    const SettingDialogKind* kind = KindOf(dialog);
    if (!session || !kind)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return OnSettingCommand(dialog, session, *kind, wParam, lParam);
    case WM_DESTROY:
        if (kind->end)
            kind->end(dialog, session);
        return FALSE;
    case WM_NCDESTROY:
        RemovePropW(dialog, kKindProperty);
        RemovePropW(dialog, kStateProperty);
        return FALSE;
    default:
        return kind->handle ? kind->handle(dialog, session, message, wParam, lParam) : FALSE;
    }
}

} // namespace

INT_PTR RunSettingDialog(HWND owner, UiSession* session, const SettingDialogKind& kind, void* state)
{
    if (!IsUiSession(session))
        return -1;
    DialogStart start = {session, &kind, state};
    return DialogBoxParamW(SettingStrings(session), MAKEINTRESOURCEW(kind.templateId), owner,
                           SettingDialogProc, reinterpret_cast<LPARAM>(&start));
}

void* SettingDialogState(HWND dialog)
{
    return GetPropW(dialog, kStateProperty);
}

DWORD CheckedButtonBits(HWND dialog, const ButtonBit* buttons, size_t count)
{
    DWORD bits = 0;
    for (size_t i = 0; i < count; ++i)
        if (IsDlgButtonChecked(dialog, buttons[i].id) == BST_CHECKED)
            bits |= buttons[i].bit;
    return bits;
}

int ShowSettingMessage(HWND dialog, const UiSession* session, UINT textId, UINT titleId, UINT style)
{
    WCHAR text[512], title[128];
    LoadSettingString(session, textId, text, ARRAYSIZE(text));
    if (titleId)
        LoadSettingString(session, titleId, title, ARRAYSIZE(title));
    else
        title[0] = L'\0';
    return MessageBoxW(dialog, text, title, style);
}

void RefuseEntry(HWND dialog, const UiSession* session, int controlId, UINT textId, UINT titleId)
{
    ShowSettingMessage(dialog, session, textId, titleId, MB_OK | MB_ICONHAND);
    HWND control = GetDlgItem(dialog, controlId);
    SetFocus(control);
    WCHAR name[16];
    GetClassNameW(control, name, ARRAYSIZE(name));
    if (lstrcmpiW(name, L"ComboBox") == 0)
        SendMessageW(control, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    else
        SendMessageW(control, EM_SETSEL, 0, -1);
}

DriverDevmode* BuildSessionDefaults(UiSession* session)
{
    auto* defaults = static_cast<DriverDevmode*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, sizeof(DriverDevmode)));
    if (defaults && !BuildDefaultDevmode(&defaults->pub, session->driverName, session->model,
                                         IsA4Locale(), session->printer)) {
        HeapFree(session->heap, 0, defaults);
        defaults = nullptr;
    }
    return defaults;
}

void FormatSignedLevel(int value, WCHAR* text, size_t capacity)
{
    swprintf(text, capacity, value > 0 ? L"+%d" : L"%d", value);
}
