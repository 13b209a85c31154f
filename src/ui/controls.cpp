// The replacement procedures the driver's dialogs put on standard controls,
// and the helpers that put them on and take them off again.
#include "ui/controls.h"

#include "settings/devmode_bits.h"

#include <cwchar>

namespace {

// A subclassed control keeps the behaviour of its class: the replacement
// hands every message it does not take itself to the class procedure
// captured at process attach.
LRESULT ForwardToClass(ControlClassSlot slot, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam)
{
    WNDPROC original = g_module.classProcs[slot];
    return original ? CallWindowProcW(original, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

template <ControlClassSlot Slot>
LRESULT CALLBACK ForwardToClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ForwardToClass(Slot, window, message, wParam, lParam);
}

// The Advanced page's category buttons light up under the mouse: the hand
// shows the button is a link, and the page's timer redraws the hovered
// button until the mouse has left it.
LRESULT CALLBACK CategoryButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEMOVE) {
        HCURSOR hand = LoadCursorW(g_module.moduleHandle, MAKEINTRESOURCEW(kCategoryHandCursor));
        SetCursor(hand ? hand : LoadCursorW(nullptr, IDC_HAND));
        if (HWND page = GetParent(window))
            SetTimer(page, kCategoryHoverTimer, kCategoryHoverMs, nullptr);
    }
    return ForwardToClass(kSlotButton, window, message, wParam, lParam);
}

// Characters a job or user name sent to the printer may not contain.
const WCHAR kRefusedNameCharacters[] = L"\"*+,/;=?\\|";

bool IsRefusedNameCharacter(WPARAM character, bool narrow)
{
    if (narrow && character > 0xFF)
        return true;
    return character != 0 && character <= 0xFFFF &&
           wcschr(kRefusedNameCharacters, static_cast<WCHAR>(character)) != nullptr;
}

// Pasting is refused as a whole: the filter sees only typed characters.
LRESULT FilterNameEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool narrow)
{
    if (message == WM_PASTE)
        return 0;
    if (message == WM_CHAR && IsRefusedNameCharacter(wParam, narrow))
        return 0;
    return ForwardToClass(kSlotEdit, window, message, wParam, lParam);
}

const WNDPROC kReplacementProcs[kControlClassSlots] = {
    CategoryButtonProc,           ForwardToClassProc<kSlotComboBox>,
    NarrowNameEditProc,           ForwardToClassProc<kSlotListBox>,
    ForwardToClassProc<kSlotScrollBar>, ForwardToClassProc<kSlotSpin>,
};

WNDPROC ReplaceProcedure(HWND control, WNDPROC procedure)
{
    if (!IsWindow(control) || !procedure)
        return nullptr;
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

} // namespace

LRESULT CALLBACK NarrowNameEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return FilterNameEdit(window, message, wParam, lParam, true);
}

LRESULT CALLBACK WideNameEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return FilterNameEdit(window, message, wParam, lParam, false);
}

WNDPROC ControlReplacementProc(ControlClassSlot slot)
{
    return (slot >= 0 && slot < kControlClassSlots) ? kReplacementProcs[slot] : nullptr;
}

WNDPROC SubclassControl(HWND control, ControlClassSlot slot)
{
    if (slot < 0 || slot >= kControlClassSlots)
        return nullptr;
    return ReplaceProcedure(control, g_module.replacementProcs[slot]);
}

WNDPROC SubclassNameEdit(HWND edit, DWORD modelCaps)
{
    return ReplaceProcedure(edit, (modelCaps & kCapsWideJobNames) ? WideNameEditProc
                                                                  : NarrowNameEditProc);
}

BOOL RestoreControl(HWND control, ControlClassSlot slot)
{
    if (slot < 0 || slot >= kControlClassSlots)
        return FALSE;
    return ReplaceProcedure(control, g_module.classProcs[slot]) != nullptr;
}
