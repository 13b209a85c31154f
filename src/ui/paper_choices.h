// The papers and paper sources the pages offer: exactly what the driver
// reports to applications for the session's printer and settings, so a
// page never offers what DeviceCapabilities would not.
#pragma once

#include "core/ui_session.h"

#include <windows.h>

// Fills the combo box with the printer's papers (the model's, then the
// saved custom sizes by name), item data = paper code. The number of
// entries, 0 when none can be had.
int FillPaperCombo(HWND combo, UiSession* session);

// Fills the combo box with the sources of the fitted trays, item data =
// the DMBIN code. The number of entries, 0 when none can be had.
int FillSourceCombo(HWND combo, UiSession* session);

// The name the driver lists for a paper or source code, at most capacity
// characters with the terminator; FALSE when it lists no such code.
BOOL PaperNameOf(UiSession* session, WORD code, WCHAR* name, int capacity);
BOOL SourceNameOf(UiSession* session, WORD code, WCHAR* name, int capacity);

// Selects the entry whose item data is value; FALSE (and no selection
// change) when no entry has it.
BOOL SelectComboByData(HWND combo, LRESULT value);

// The item data of the selected entry, or fallback when nothing is
// selected.
LRESULT SelectedComboData(HWND combo, LRESULT fallback);
