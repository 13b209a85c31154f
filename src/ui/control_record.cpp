#include "ui/control_record.h"

#include <climits>
#include <cstdlib>

namespace {

// The system colours behind the five slots when none is set.
const int kDefaultColourIndex[kControlColourSlots] = {
    COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_BTNFACE,
};

const UINT kSetColour = WM_USER + 11;
const UINT kGetColour = WM_USER + 12;

// Creation texts are short ("25,400,100"); a longer one is not a range.
const int kNumberTextChars = 64;

} // namespace

BOOL AttachControlRecord(HWND window, const CREATESTRUCTW* create, size_t size)
{
    auto* record = static_cast<ControlRecord*>(LocalAlloc(LPTR, size));
    if (!record)
        return FALSE;
    record->notify = create ? create->hwndParent : nullptr;
    DWORD style = create ? static_cast<DWORD>(create->style) & kControlStyleMask : 0;
    if (style & kControlVertical)
        style &= ~kControlHorizontal;
    record->style = style;
    for (COLORREF& colour : record->colours)
        colour = kControlDefaultColour;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(record));
    return TRUE;
}

void DetachControlRecord(HWND window)
{
    if (HLOCAL record = reinterpret_cast<HLOCAL>(SetWindowLongPtrW(window, 0, 0)))
        LocalFree(record);
}

COLORREF ControlColour(const ControlRecord* record, int slot)
{
    if (slot < 0 || slot >= kControlColourSlots)
        return 0;
    const COLORREF chosen = record ? record->colours[slot] : kControlDefaultColour;
    return chosen != kControlDefaultColour ? chosen : GetSysColor(kDefaultColourIndex[slot]);
}

BOOL HandleColourMessage(HWND window, ControlRecord* record, UINT message, WPARAM wParam,
                         LPARAM lParam, LRESULT* result)
{
    if (message != kSetColour && message != kGetColour)
        return FALSE;
    *result = 0;
    if (wParam >= static_cast<WPARAM>(kControlColourSlots))
        return TRUE;
    COLORREF& colour = record->colours[wParam];
    *result = colour;
    if (message == kSetColour) {
        colour = static_cast<COLORREF>(lParam);
        InvalidateRect(window, nullptr, TRUE);
    }
    return TRUE;
}

BOOL HandlePaintMessage(HWND window, UINT message, WPARAM wParam, ControlPainter paint,
                        LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_ERASEBKGND:
        *result = 1;
        return TRUE;
    case WM_PRINTCLIENT:
        paint(window, reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        paint(window, dc);
        EndPaint(window, &ps);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void DrawControlEdge(HDC dc, const RECT& box, COLORREF topLeft, COLORREF bottomRight)
{
    HPEN first = CreatePen(PS_SOLID, 1, topLeft);
    HPEN second = CreatePen(PS_SOLID, 1, bottomRight);
    HGDIOBJ old = SelectObject(dc, first);
    MoveToEx(dc, box.left, box.bottom - 1, nullptr);
    LineTo(dc, box.left, box.top);
    LineTo(dc, box.right - 1, box.top);
    SelectObject(dc, second);
    LineTo(dc, box.right - 1, box.bottom - 1);
    LineTo(dc, box.left, box.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(first);
    DeleteObject(second);
}

void FillControlArea(HDC dc, const RECT& area, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

int ParseControlNumbers(const char* text, SHORT* numbers, int capacity)
{
    int count = 0;
    const char* cursor = text;
    while (cursor && count < capacity) {
        char* end = nullptr;
        const long value = std::strtol(cursor, &end, 10);
        if (end == cursor || value < SHRT_MIN || value > SHRT_MAX)
            break;
        while (*end == ' ' || *end == '\t')
            ++end;
        if (*end != ',' && *end != '\0')
            break;
        numbers[count++] = static_cast<SHORT>(value);
        cursor = *end == ',' ? end + 1 : nullptr;
    }
    return count;
}

int ParseTextNumbers(const WCHAR* text, SHORT* numbers, int capacity)
{
    // Dialog templates may give an ordinal instead of a text.
    if (!text || IS_INTRESOURCE(text))
        return 0;
    char narrow[kNumberTextChars] = {};
    if (!WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr))
        return 0;
    return ParseControlNumbers(narrow, numbers, capacity);
}
