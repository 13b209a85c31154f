// The Tray Settings page's own state, held in the session's device-option
// block for the life of the page, and the parts of the page that show the
// device options: the tray table, its editors, the option lists and the
// illustration.
#pragma once

#include "core/ui_session.h"
#include "ui/tray_detection.h"

#include <windows.h>

constexpr int kMaxMemorySizes = 32;

struct TrayPageState {
    RemoteToolInquiry detection;
    WCHAR serial[kSerialNumberChars + 1];
    WORD memoryMinimum;              // MB
    WORD memoryMaximum;
    WORD memorySizes[kMaxMemorySizes];   // the model's sizes, ascending
    int memorySizeCount;
    WORD towerModelWord;             // for the drawing: the model's tower-feeder word
    UINT towerSupport;               // and whether the printer information enables it
    SIZE pictureSize;
    BOOL filling;                    // the page is writing its own controls
    BOOL memoryTyped;                // the memory text is the user's, not yet judged
    BOOL ramDiskTyped;               // likewise the RAM disk size
};

// The page's state, null before the page has made it.
TrayPageState* TrayStateOf(UiSession* session);

// The tray table as a list (one row per fitted tray), the paper and
// source combos, the option lists: filled from the session's settings.
void FillTrayTable(HWND page, UiSession* session);
void FillTrayCombos(HWND page, UiSession* session);
void FillOptionLists(HWND page, UiSession* session);

// Rebuilds what depends on the installed options after they changed: which
// trays exist (keeping the papers of the trays that stay) and the lists.
void RefreshAfterOptionChange(HWND page, UiSession* session);

// The table entry of the list's selected row, -1 when none is selected.
int SelectedTrayEntry(HWND page);

// Shows the selected tray's paper in the paper combo.
void ShowSelectedTrayPaper(HWND page, UiSession* session);

// Puts the paper combo's choice into the selected tray. FALSE when no tray
// or no paper is selected.
BOOL AssignSelectedTrayPaper(HWND page, UiSession* session);

// Moves the selected option of one list to the other: adding sets its
// accessory bits, removing clears them.
BOOL MoveSelectedOption(HWND page, UiSession* session, BOOL install);

// Sizes and centres the illustration in its frame; draws it.
void PlaceTrayPicture(HWND page, const TrayPageState* state);
void DrawTrayPicture(const DRAWITEMSTRUCT* item, UiSession* session);
