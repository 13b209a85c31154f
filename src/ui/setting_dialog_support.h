// What the setting dialogs share: their strings and message boxes, the
// session kept as each dialog's DWLP_USER value, the model's defaults they
// reload, and the small value texts they show.
#pragma once

#include "core/ui_session.h"

#include <windows.h>

// The language module the dialogs take templates and strings from: the
// sheet's, or the module-wide one when the dialog runs outside a sheet.
HMODULE SettingStrings(const UiSession* session);

// String id of the language module; FALSE (and an empty text) when missing.
BOOL LoadSettingString(const UiSession* session, UINT id, WCHAR* text, int capacity);

// What makes one setting dialog: its template and help, and what it does
// beyond what every setting dialog does (keep the session as DWLP_USER,
// place itself over its owner, end with Cancel, open its help).
struct SettingDialogKind {
    WORD templateId;
    DWORD helpContext;
    void (*init)(HWND dialog, UiSession* session);
    // OK: stores what the dialog keeps until then; false keeps it open.
    // Null: OK just ends the dialog.
    bool (*confirm)(HWND dialog, UiSession* session);
    // Every other message after WM_INITDIALOG; null when there are none.
    INT_PTR (*handle)(HWND dialog, UiSession* session, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_DESTROY, or null.
    void (*end)(HWND dialog, UiSession* session);
};

// Runs the modal dialog of kind over owner for the session, with state as
// the dialog's own working record (may be null); -1 when the dialog cannot
// be created.
INT_PTR RunSettingDialog(HWND owner, UiSession* session, const SettingDialogKind& kind,
                         void* state = nullptr);

// The working record given to RunSettingDialog.
void* SettingDialogState(HWND dialog);

// Check boxes and radios that each stand for a bit when checked.
struct ButtonBit {
    int id;
    DWORD bit;
};
DWORD CheckedButtonBits(HWND dialog, const ButtonBit* buttons, size_t count);

// Shows message textId titled titleId (0: no title) and returns the answer.
int ShowSettingMessage(HWND dialog, const UiSession* session, UINT textId, UINT titleId, UINT style);

// Refuses a dialog's OK: the message, then the focus on the control, its
// text selected.
void RefuseEntry(HWND dialog, const UiSession* session, int controlId, UINT textId, UINT titleId);

// The printer's default record (model, then the settings profile beside the
// driver), for the Default buttons. Null when it cannot be built; free with
// HeapFree on the session's heap.
DriverDevmode* BuildSessionDefaults(UiSession* session);

// A signed level as the dialogs show it: "%d", "+%d" above 0.
void FormatSignedLevel(int value, WCHAR* text, size_t capacity);
