// "User Defined Size" (template 144): the DEVMODE's user-defined size and
// the printer's named custom sizes ("CstPaper").
#pragma once

#include "core/ui_session.h"

#include <windows.h>

// Runs the dialog over the Basic page. IDOK with the paper code the Basic
// page's list should select in *paperCode (256, or 300 to 315 for a saved
// size), IDCANCEL, or -1 when the dialog cannot be created.
INT_PTR RunCustomPaperDialog(HWND owner, UiSession* session, short* paperCode);
