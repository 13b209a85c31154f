// The driver's own control classes ("TX3300UD_1", the spin whose range is
// written in its window text, and "TX3300UD_3", the hint line), and the
// replacement procedures its dialogs use to subclass standard controls.
#pragma once

#include "core/module_state.h"

// Messages of the spin control. The colour pair is answered by the hint
// line too.
enum ControlMessage : UINT {
    kSpinSetNotify = WM_USER + 1,   // wParam window; previous one, -1 when not a window
    kSpinGetNotify,
    kSpinSetRange,                  // lParam MAKELONG(lower, upper); -1 unless lower < upper
    kSpinGetRange,                  // MAKELONG(lower, upper)
    kSpinSetPosition,               // wParam position; previous one, -1 when outside
    kSpinGetPosition,
    kSpinSetSilent,                 // wParam != 0 sets; whether it was set
    kSpinGetSilent,
    kSpinSetReversed,
    kSpinGetReversed,
    kControlSetColour,              // wParam slot 0..4, lParam colour; previous colour
    kControlGetColour,
};

// WM_COMMAND notification code sent to the parent before a range changes.
constexpr WORD kSpinRangeChanging = 3;

// Timers of a held spin button: the first repeat, then the steady ones.
constexpr UINT_PTR kSpinFirstRepeatTimer = 500;
constexpr UINT_PTR kSpinRepeatTimer = 501;
constexpr UINT kSpinFirstRepeatMs = 400;
constexpr UINT kSpinRepeatMs = 50;

// The timer a hovered category button starts on its page, which redraws
// the button highlighted until the mouse leaves it.
constexpr UINT_PTR kCategoryHoverTimer = 77;
constexpr UINT kCategoryHoverMs = 300;
constexpr UINT kCategoryHandCursor = 13086;

LRESULT CALLBACK SpinControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HintLineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The replacement procedure for the class in the given slot.
WNDPROC ControlReplacementProc(ControlClassSlot slot);

// The job-spooling name edits refuse the characters a spooler name cannot
// hold, and pasting. The narrow variant also refuses characters outside
// the 8-bit range, for models whose firmware reads names as bytes.
LRESULT CALLBACK NarrowNameEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK WideNameEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts the replacement procedure of slot on control. Returns the procedure
// it replaced, null when control is not a window.
WNDPROC SubclassControl(HWND control, ControlClassSlot slot);

// Puts the name filter on a job-spooling name edit: the wide variant when
// modelCaps says the printer takes names beyond the 8-bit range.
WNDPROC SubclassNameEdit(HWND edit, DWORD modelCaps);

// Gives control back the class procedure captured at process attach.
BOOL RestoreControl(HWND control, ControlClassSlot slot);
