// Window procedures of the driver's own control classes and the
// replacement procedures used to subclass standard controls in its dialogs.
#pragma once

#include "core/module_state.h"

LRESULT CALLBACK SpinControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HintLineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The replacement procedure for the class in the given slot.
WNDPROC ControlReplacementProc(ControlClassSlot slot);
