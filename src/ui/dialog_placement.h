// Where the driver's modal dialogs open: over the window they belong to,
// centred across and a little above the middle, never off the screen.
#pragma once

#include <windows.h>

// The top-left corner of a dialog of the given size placed over anchor:
// centred horizontally, two fifths of the free height from the top, then
// moved so that it lies inside screen (its top-left corner wins when the
// dialog is larger than the screen).
POINT PlaceDialogRect(const RECT& anchor, SIZE dialog, const RECT& screen);

// The ancestor a dialog is placed over: the largest window among the first
// 31 of its ancestors, or its parent when the chain goes further. Null for
// a dialog without a parent.
HWND PlacementAnchor(HWND dialog);

// Moves dialog (from its WM_INITDIALOG) over its anchor, or over the work
// area of its monitor when it has none.
void PlaceDialog(HWND dialog);
