#include "ui/controls.h"

// The spin and hint-line controls draw nothing of their own yet; until their
// behaviour is built they act as plain windows.
LRESULT CALLBACK SpinControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK HintLineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

namespace {

// A subclassed control keeps the behaviour of its class: the replacement
// hands every message to the class procedure captured at process attach.
template <ControlClassSlot Slot>
LRESULT CALLBACK ForwardToClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = g_module.classProcs[Slot];
    return original ? CallWindowProcW(original, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

const WNDPROC kReplacementProcs[kControlClassSlots] = {
    ForwardToClassProc<kSlotButton>,  ForwardToClassProc<kSlotComboBox>,
    ForwardToClassProc<kSlotEdit>,    ForwardToClassProc<kSlotListBox>,
    ForwardToClassProc<kSlotScrollBar>, ForwardToClassProc<kSlotSpin>,
};

} // namespace

WNDPROC ControlReplacementProc(ControlClassSlot slot)
{
    return (slot >= 0 && slot < kControlClassSlots) ? kReplacementProcs[slot] : nullptr;
}
