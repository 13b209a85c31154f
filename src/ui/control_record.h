// The per-window record shared by the driver's two control classes. Each
// window owns one, allocated zeroed at WM_NCCREATE and kept in the window's
// one extra slot; the hint line's record is the spin's followed by its text.
#pragma once

#include <windows.h>

#include <cstddef>

// Style bits, taken from the low bits of the window style.
constexpr DWORD kControlVertical      = 0x01;   // announces with WM_VSCROLL
constexpr DWORD kControlHorizontal    = 0x02;   // cleared when vertical is set
constexpr DWORD kControlSilentAtBound = 0x04;   // a step that cannot move says nothing
constexpr DWORD kControlNumbersInText = 0x08;   // creation text carries numbers
constexpr DWORD kControlReversed      = 0x10;   // the upper half steps down
constexpr DWORD kControlStyleMask     = 0x1F;

// Colour slots; kControlDefaultColour selects the system colour of the slot.
enum ControlColourSlot { kColourFace, kColourText, kColourLight, kColourDark, kColourBackground };
constexpr int kControlColourSlots = 5;
constexpr COLORREF kControlDefaultColour = 0xFFFFFFFF;

// Which half of the spin the held mouse button pressed.
enum SpinHeld : BYTE { kSpinNotHeld, kSpinLowerHeld, kSpinUpperHeld };

constexpr int kHintLineChars = 256;

struct ControlRecord {
    HWND     notify;            // receives the scroll announcements
    DWORD    style;
    SHORT    lower;             // the hint line keeps its frame inset here
    SHORT    upper;
    SHORT    position;
    BYTE     held;              // SpinHeld, while the button repeats
    BYTE     reserved;
    COLORREF colours[kControlColourSlots];
};
static_assert(sizeof(ControlRecord) == 40, "spin record");
static_assert(offsetof(ControlRecord, style) == 8 && offsetof(ControlRecord, lower) == 12 &&
                  offsetof(ControlRecord, position) == 16 && offsetof(ControlRecord, colours) == 20,
              "spin record fields");

struct HintLineRecord {
    ControlRecord control;
    WCHAR text[kHintLineChars];
};
static_assert(sizeof(HintLineRecord) == 552, "hint line record");

// The record of a window of either class, or null before WM_NCCREATE.
inline ControlRecord* ControlRecordOf(HWND window)
{
    return reinterpret_cast<ControlRecord*>(GetWindowLongPtrW(window, 0));
}

// Allocates the zeroed record of the given size for a window being created
// and takes its notify window and style bits. FALSE when memory is short.
BOOL AttachControlRecord(HWND window, const CREATESTRUCTW* create, size_t size);

// Frees the record at WM_NCDESTROY.
void DetachControlRecord(HWND window);

// The colour in a slot, the system's default where none is set.
COLORREF ControlColour(const ControlRecord* record, int slot);

// The colour messages both classes answer; FALSE when message is not one.
BOOL HandleColourMessage(HWND window, ControlRecord* record, UINT message, WPARAM wParam,
                         LPARAM lParam, LRESULT* result);

// Paints a control's client area into dc.
using ControlPainter = void (*)(HWND window, HDC dc);

// WM_PAINT, WM_PRINTCLIENT and WM_ERASEBKGND of a control that paints its
// whole client area itself; FALSE when message is none of them.
BOOL HandlePaintMessage(HWND window, UINT message, WPARAM wParam, ControlPainter paint,
                        LRESULT* result);

// A 3-D edge around box: one colour along the top and left, the other along
// the bottom and right.
void DrawControlEdge(HDC dc, const RECT& box, COLORREF topLeft, COLORREF bottomRight);

// Fills area with a solid colour.
void FillControlArea(HDC dc, const RECT& area, COLORREF colour);

// Reads up to `capacity` comma-separated decimal numbers from text (each
// within the 16-bit signed range). Returns how many were read before the
// text ended or stopped being a list of numbers.
int ParseControlNumbers(const char* text, SHORT* numbers, int capacity);

// The same for a window's creation text, read through its 8-bit copy.
int ParseTextNumbers(const WCHAR* text, SHORT* numbers, int capacity);
