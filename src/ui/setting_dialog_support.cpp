// Shared pieces of the setting dialogs.
#include "ui/setting_dialog_support.h"

#include "core/module_state.h"
#include "settings/devmode_defaults.h"
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

struct DialogStart {
    UiSession* session;
    void* state;
};

} // namespace

INT_PTR RunSettingDialog(HWND owner, UiSession* session, WORD templateId, DLGPROC procedure,
                         void* state)
{
    if (!IsUiSession(session))
        return -1;
    DialogStart start = {session, state};
    return DialogBoxParamW(SettingStrings(session), MAKEINTRESOURCEW(templateId), owner, procedure,
                           reinterpret_cast<LPARAM>(&start));
}

UiSession* BeginSettingDialog(HWND dialog, LPARAM lParam)
{
    const auto* start = reinterpret_cast<const DialogStart*>(lParam);
    UiSession* session = start && IsUiSession(start->session) ? start->session : nullptr;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    if (session && start->state)
        SetPropW(dialog, kStateProperty, start->state);
    PlaceDialog(dialog);
    return session;
}

void* SettingDialogState(HWND dialog)
{
    return GetPropW(dialog, kStateProperty);
}

void EndSettingDialog(HWND dialog)
{
    RemovePropW(dialog, kStateProperty);
}

UiSession* SettingDialogSession(HWND dialog)
{
    auto* session = reinterpret_cast<UiSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return IsUiSession(session) ? session : nullptr;
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

BOOL ReadWholeNumber(const WCHAR* text, LONG* value)
{
    const size_t kMaxDigits = 9;
    size_t length = wcslen(text);
    if (length == 0 || length > kMaxDigits)
        return FALSE;
    LONG number = 0;
    for (const WCHAR* c = text; *c; ++c) {
        if (*c < L'0' || *c > L'9')
            return FALSE;
        number = number * 10 + (*c - L'0');
    }
    *value = number;
    return TRUE;
}
