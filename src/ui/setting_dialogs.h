// The modal dialogs the Basic and Advanced pages open for settings that
// need more room. Each edits the session's DEVMODE in place and returns
// IDOK or IDCANCEL (-1 when the dialog cannot be created); the calling page
// saves the fields it hands over and restores them after Cancel.
#pragma once

#include "core/ui_session.h"

#include <windows.h>

// "Fit to Paper Size Setting" (template 120): the output paper size.
INT_PTR RunFitToPaperDialog(HWND owner, UiSession* session);

// "Macro Setting" (template 109).
INT_PTR RunMacroDialog(HWND owner, UiSession* session);

// "Header-Footer Print" (template 119).
INT_PTR RunHeaderFooterDialog(HWND owner, UiSession* session);

// "Manual Setting" (template 142): brightness, contrast, graphics quality.
INT_PTR RunManualSettingDialog(HWND owner, UiSession* session);

// Quick print setup items, "Setting" (template 108): edits the item mask
// kept in the printer data and writes it back when it changed.
INT_PTR RunQuickSetupItemsDialog(HWND owner, UiSession* session);
