// "TX3300UD_3": the status line of the driver's dialogs, showing a hint for
// the control under the mouse. With the numbers style bit it draws a sunken
// frame, inset from its edges by the first number of its creation text.
#include "ui/control_record.h"
#include "ui/controls.h"

namespace {

// Room between the frame and the first letter.
const int kTextMargin = 2;

HintLineRecord* HintRecordOf(HWND window)
{
    return reinterpret_cast<HintLineRecord*>(ControlRecordOf(window));
}

void StoreText(HWND window, HintLineRecord* record, const WCHAR* text)
{
    lstrcpynW(record->text, text ? text : L"", kHintLineChars);
    InvalidateRect(window, nullptr, TRUE);
}

void Paint(HWND window, HDC dc)
{
    const HintLineRecord* record = HintRecordOf(window);
    const ControlRecord* control = &record->control;
    RECT area;
    GetClientRect(window, &area);
    FillControlArea(dc, area, ControlColour(control, kColourBackground));
    if (control->style & kControlNumbersInText) {
        InflateRect(&area, -control->lower, -control->lower);
        if (area.right - area.left < 2 || area.bottom - area.top < 2)
            return;
        // Sunken: dark along the top and left.
        DrawControlEdge(dc, area, ControlColour(control, kColourDark),
                        ControlColour(control, kColourLight));
        InflateRect(&area, -1, -1);
    }
    FillControlArea(dc, area, ControlColour(control, kColourFace));
    if (!record->text[0])
        return;
    area.left += kTextMargin;
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, ControlColour(control, kColourText));
    DrawTextW(dc, record->text, -1, &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

} // namespace

LRESULT CALLBACK HintLineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (!AttachControlRecord(window, create, sizeof(HintLineRecord)))
            return FALSE;
        // The creation text only sets the frame; the line starts empty.
        ControlRecord* control = ControlRecordOf(window);
        SHORT inset = 0;
        if ((control->style & kControlNumbersInText) && ParseTextNumbers(create->lpszName, &inset, 1))
            control->lower = inset > 0 ? inset : 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HintLineRecord* record = HintRecordOf(window);
    if (!record)
        return DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    if (HandleColourMessage(window, &record->control, message, wParam, lParam, &result))
        return result;

    if (HandlePaintMessage(window, message, wParam, Paint, &result))
        return result;
    if (message == WM_SETTEXT)
        StoreText(window, record, reinterpret_cast<const WCHAR*>(lParam));
    else if (message == WM_NCDESTROY)
        DetachControlRecord(window);
    return DefWindowProcW(window, message, wParam, lParam);
}
