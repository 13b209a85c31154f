// The macros stored in the printer, as the remote-setup tool reports them.
// The driver starts the tool with a global atom that the tool deletes when
// it is done, and reads its answer from the exchange file afterwards.
#pragma once

#include "core/ui_session.h"
#include "lifecycle/macro_list.h"

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

// The tool's exchange file in the per-user data folder; FALSE when the
// folder is unknown or the path does not fit.
BOOL MacroExchangePath(WCHAR* path, size_t capacity);

// Reads the tool's answer: FALSE when the tool reported no success
// ("MacResult" of section "Model" missing or 0). Ids above the macro range
// are left out; a name the file lacks is empty.
BOOL ReadMacroExchange(const WCHAR* path, PrinterMacroList* list);

// The macro with this id, or null.
const PrinterMacro* FindPrinterMacro(const PrinterMacroList* list, LONG id);

// One inquiry of the printer's macros.
struct MacroInquiry {
    WCHAR exchangePath[MAX_PATH];
    const WCHAR* atomName;    // null unless the tool was started
    UINT ticks;
};

// Ticks of the dialog's timer while the tool runs, and how many it waits
// at most (two minutes).
constexpr UINT_PTR kMacroInquiryTimer = 13;
constexpr UINT kMacroInquiryTickMs = 500;
constexpr UINT kMacroInquiryMaxTicks = 241;

// Starts the tool for the session's printer. FALSE when the tool could not
// be asked (no exchange file, no atom, no start): there is then no list.
BOOL StartMacroInquiry(const UiSession* session, MacroInquiry* inquiry);

// One tick of the wait: TRUE while the tool is still working and the wait
// has not run out; FALSE once it is over (the atom is then gone).
BOOL MacroInquiryPending(MacroInquiry* inquiry);

// Gives up waiting (the dialog closes first): the atom goes, so that the
// next inquiry starts clean.
void EndMacroInquiry(MacroInquiry* inquiry);
