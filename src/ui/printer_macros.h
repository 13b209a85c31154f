// The macros stored in the printer, as the remote-setup tool reports them
// ("MACRO" inquiry).
#pragma once

#include "core/ui_session.h"
#include "lifecycle/macro_list.h"
#include "ui/remote_tool_inquiry.h"

#include <windows.h>

constexpr int kMacroNameLimit = 20;      // characters of a macro name the dialog keeps
constexpr LONG kMaxMacroId = 32767;

struct PrinterMacro {
    WORD id;
    WCHAR name[kMacroNameLimit + 1];
};

struct PrinterMacroList {
    int count;
    PrinterMacro macros[kMaxListedMacros];
};

// Reads the tool's answer: FALSE when the tool reported no success
// ("MacResult" of section "Model" missing or 0). Ids above the macro range
// are left out; a name the file lacks is empty.
BOOL ReadMacroExchange(const WCHAR* path, PrinterMacroList* list);

// The macro with this id, or null.
const PrinterMacro* FindPrinterMacro(const PrinterMacroList* list, LONG id);

// Starts the tool for the session's printer and the dialog's timer. FALSE
// when the tool could not be asked: there is then no list.
BOOL StartMacroInquiry(HWND dialog, const UiSession* session, RemoteToolInquiry* inquiry);
