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

// Runs the modal dialog of templateId over owner for the session, with
// state as the dialog's own working record (may be null); -1 when the
// dialog cannot be created.
INT_PTR RunSettingDialog(HWND owner, UiSession* session, WORD templateId, DLGPROC procedure,
                         void* state = nullptr);

// WM_INITDIALOG of every setting dialog: keeps the session as DWLP_USER and
// the working record as a window property, and places the dialog over its
// owner. Returns the session, null when the dialog was not started by
// RunSettingDialog with an open session.
UiSession* BeginSettingDialog(HWND dialog, LPARAM lParam);

// The session a setting dialog keeps, null before WM_INITDIALOG.
UiSession* SettingDialogSession(HWND dialog);

// The working record given to RunSettingDialog.
void* SettingDialogState(HWND dialog);

// WM_NCDESTROY: drops the working record's property.
void EndSettingDialog(HWND dialog);

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

// Reads a whole decimal number (digits only, at most 9 of them); FALSE for
// an empty text or any other character.
BOOL ReadWholeNumber(const WCHAR* text, LONG* value);
