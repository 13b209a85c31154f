// "TX3300UD_1": an up-down control whose range and starting position are
// written in its window text ("min,max,position"). Every change of the
// position is announced to the notify window as a scroll message.
#include "ui/control_record.h"
#include "ui/controls.h"

namespace {

const SHORT kDefaultLower = 0;
const SHORT kDefaultUpper = 9;
const SHORT kDefaultPosition = 5;

SHORT Midpoint(SHORT lower, SHORT upper)
{
    return static_cast<SHORT>((lower + upper) / 2);
}

void InitialiseRange(ControlRecord* record, const WCHAR* text)
{
    SHORT numbers[3] = {};
    const bool fromText = (record->style & kControlNumbersInText) &&
                          ParseTextNumbers(text, numbers, 3) == 3 && numbers[0] < numbers[1];
    record->lower = fromText ? numbers[0] : kDefaultLower;
    record->upper = fromText ? numbers[1] : kDefaultUpper;
    record->position = fromText ? numbers[2] : kDefaultPosition;
    if (record->position < record->lower || record->position > record->upper)
        record->position = Midpoint(record->lower, record->upper);
}

UINT ScrollMessage(const ControlRecord* record)
{
    return (record->style & kControlVertical) ? WM_VSCROLL : WM_HSCROLL;
}

void Announce(const ControlRecord* record, WPARAM wParam, LPARAM lParam)
{
    if (record->notify && IsWindow(record->notify))
        SendMessageW(record->notify, ScrollMessage(record), wParam, lParam);
}

// A change made by message: the new position travels in lParam, so that a
// page (which acts only on its spin's own handle) does not echo it back.
void AnnounceSetByMessage(const ControlRecord* record)
{
    Announce(record, SB_THUMBTRACK, record->position);
}

// One step of the user's: the half pressed (1 upper, 0 lower) and the new
// position in wParam, the spin itself in lParam.
void Step(HWND window, ControlRecord* record, SpinHeld half)
{
    int delta = half == kSpinUpperHeld ? 1 : -1;
    if (record->style & kControlReversed)
        delta = -delta;
    const int next = record->position + delta;
    if (next < record->lower || next > record->upper) {
        if (record->style & kControlSilentAtBound)
            return;
    } else {
        record->position = static_cast<SHORT>(next);
    }
    const WORD upperHalf = half == kSpinUpperHeld ? 1 : 0;
    Announce(record, MAKEWPARAM(upperHalf, static_cast<WORD>(record->position)),
             reinterpret_cast<LPARAM>(window));
}

// The upper half is the top of a vertical spin and the right of a
// horizontal one.
SpinHeld HalfAt(HWND window, const ControlRecord* record, LPARAM point)
{
    RECT client;
    GetClientRect(window, &client);
    const int x = static_cast<SHORT>(LOWORD(point));
    const int y = static_cast<SHORT>(HIWORD(point));
    if (record->style & kControlVertical)
        return y < client.bottom / 2 ? kSpinUpperHeld : kSpinLowerHeld;
    return x >= client.right / 2 ? kSpinUpperHeld : kSpinLowerHeld;
}

void StopRepeating(HWND window, ControlRecord* record)
{
    KillTimer(window, kSpinFirstRepeatTimer);
    KillTimer(window, kSpinRepeatTimer);
    if (record->held != kSpinNotHeld) {
        record->held = kSpinNotHeld;
        InvalidateRect(window, nullptr, FALSE);
    }
}

void Press(HWND window, ControlRecord* record, LPARAM point)
{
    SetCapture(window);
    record->held = HalfAt(window, record, point);
    InvalidateRect(window, nullptr, FALSE);
    Step(window, record, static_cast<SpinHeld>(record->held));
    SetTimer(window, kSpinFirstRepeatTimer, kSpinFirstRepeatMs, nullptr);
}

void Repeat(HWND window, ControlRecord* record, UINT_PTR timer)
{
    if (record->held == kSpinNotHeld)
        return;
    if (timer == kSpinFirstRepeatTimer) {
        KillTimer(window, kSpinFirstRepeatTimer);
        SetTimer(window, kSpinRepeatTimer, kSpinRepeatMs, nullptr);
    }
    Step(window, record, static_cast<SpinHeld>(record->held));
}

LRESULT SetRange(HWND window, ControlRecord* record, LPARAM lParam)
{
    const SHORT lower = static_cast<SHORT>(LOWORD(lParam));
    const SHORT upper = static_cast<SHORT>(HIWORD(lParam));
    if (lower >= upper)
        return -1;
    if (HWND parent = GetParent(window))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), kSpinRangeChanging),
                     reinterpret_cast<LPARAM>(window));
    record->lower = lower;
    record->upper = upper;
    if (record->position < lower || record->position > upper) {
        record->position = Midpoint(lower, upper);
        AnnounceSetByMessage(record);
    }
    return 0;
}

LRESULT SetPosition(ControlRecord* record, WPARAM wParam)
{
    const INT_PTR requested = static_cast<INT_PTR>(wParam);
    if (requested < record->lower || requested > record->upper)
        return -1;
    const SHORT previous = record->position;
    record->position = static_cast<SHORT>(requested);
    AnnounceSetByMessage(record);
    return previous;
}

LRESULT SwitchStyleBit(ControlRecord* record, DWORD bit, WPARAM on)
{
    const bool was = (record->style & bit) != 0;
    record->style = on ? (record->style | bit) : (record->style & ~bit);
    return was ? 1 : 0;
}

LRESULT SpinMessage(HWND window, ControlRecord* record, UINT message, WPARAM wParam,
                    LPARAM lParam)
{
    switch (message) {
    case kSpinSetNotify: {
        HWND next = reinterpret_cast<HWND>(wParam);
        if (!IsWindow(next))
            return -1;
        HWND previous = record->notify;
        record->notify = next;
        return reinterpret_cast<LRESULT>(previous);
    }
    case kSpinGetNotify:
        return reinterpret_cast<LRESULT>(record->notify);
    case kSpinSetRange:
        return SetRange(window, record, lParam);
    case kSpinGetRange:
        return MAKELONG(record->lower, record->upper);
    case kSpinSetPosition:
        return SetPosition(record, wParam);
    case kSpinGetPosition:
        return record->position;
    case kSpinSetSilent:
        return SwitchStyleBit(record, kControlSilentAtBound, wParam);
    case kSpinGetSilent:
        return (record->style & kControlSilentAtBound) ? 1 : 0;
    case kSpinSetReversed:
        return SwitchStyleBit(record, kControlReversed, wParam);
    case kSpinGetReversed:
        return (record->style & kControlReversed) ? 1 : 0;
    default:
        return 0;
    }
}

void DrawArrow(HDC dc, const RECT& box, SpinHeld half, bool vertical, COLORREF colour)
{
    const int cx = (box.left + box.right) / 2;
    const int cy = (box.top + box.bottom) / 2;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int size = (width < height ? width : height) / 4 + 1;
    POINT tip[3];
    if (vertical) {
        const int dir = half == kSpinUpperHeld ? -1 : 1;
        tip[0] = {cx - size, cy - dir * size / 2};
        tip[1] = {cx + size, cy - dir * size / 2};
        tip[2] = {cx, cy + dir * size / 2 + dir};
    } else {
        const int dir = half == kSpinUpperHeld ? 1 : -1;
        tip[0] = {cx - dir * size / 2, cy - size};
        tip[1] = {cx - dir * size / 2, cy + size};
        tip[2] = {cx + dir * size / 2 + dir, cy};
    }
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polygon(dc, tip, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void DrawHalf(HDC dc, const ControlRecord* record, const RECT& box, SpinHeld half, bool enabled)
{
    const bool pressed = record->held == half;
    FillControlArea(dc, box, ControlColour(record, kColourFace));
    // A raised button, sunken while it is held.
    DrawControlEdge(dc, box, ControlColour(record, pressed ? kColourDark : kColourLight),
                    ControlColour(record, pressed ? kColourLight : kColourDark));

    const COLORREF arrow = enabled ? ControlColour(record, kColourText) : GetSysColor(COLOR_GRAYTEXT);
    DrawArrow(dc, box, half, (record->style & kControlVertical) != 0, arrow);
}

void Paint(HWND window, HDC dc)
{
    const ControlRecord* record = ControlRecordOf(window);
    RECT client;
    GetClientRect(window, &client);
    RECT upper = client;
    RECT lower = client;
    if (record->style & kControlVertical) {
        upper.bottom = lower.top = client.bottom / 2;
    } else {
        lower.right = upper.left = client.right / 2;
    }
    const bool enabled = IsWindowEnabled(window) != FALSE;
    DrawHalf(dc, record, upper, kSpinUpperHeld, enabled);
    DrawHalf(dc, record, lower, kSpinLowerHeld, enabled);
}

} // namespace

LRESULT CALLBACK SpinControlWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (!AttachControlRecord(window, create, sizeof(ControlRecord)))
            return FALSE;
        InitialiseRange(ControlRecordOf(window), create->lpszName);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    ControlRecord* record = ControlRecordOf(window);
    if (!record)
        return DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    if (HandleColourMessage(window, record, message, wParam, lParam, &result))
        return result;
    if (message >= kSpinSetNotify && message <= kSpinGetReversed)
        return SpinMessage(window, record, message, wParam, lParam);
    if (HandlePaintMessage(window, message, wParam, Paint, &result))
        return result;

    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Press(window, record, lParam);
        return 0;
    case WM_TIMER:
        Repeat(window, record, wParam);
        return 0;
    case WM_LBUTTONUP:
        StopRepeating(window, record);
        if (GetCapture() == window)
            ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        StopRepeating(window, record);
        return 0;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_NCDESTROY:
        StopRepeating(window, record);
        DetachControlRecord(window);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
