// The Basic page's three previews: the sheet layout (pages per sheet in
// page order, with border lines), the copies picture and the printer with
// the paper. Each draws the model's illustration when it has one and a
// plain drawing when it does not. The layout preview's sheet is also the
// hot spot that toggles one and two pages per sheet.
#include "core/module_state.h"
#include "resources/resource_ids.h"
#include "ui/basic_page_internal.h"
#include "ui/basic_rules.h"
#include "ui/controls.h"
#include "ui/paper_choices.h"
#include "ui/preview_drawing.h"
#include "ui/sheet_session.h"

#include <cstdio>

namespace {

const SIZE kDefaultPaperPreview = {175, 122};
const int kSheetMargin = 3;
const int kSmallestNumberedCell = 10;   // pixels; smaller cells carry no page number
const COLORREF kPageColour = RGB(224, 224, 224);
const BYTE kBorderDashed = 2;

struct GdiSelection {
    HDC dc;
    HGDIOBJ old;
    GdiSelection(HDC d, HGDIOBJ object) : dc(d), old(SelectObject(d, object)) {}
    ~GdiSelection() { SelectObject(dc, old); }
};

HMODULE ModelModuleOf(const UiSession* session)
{
    return SheetOf(session)->modelResources;
}

void DrawPageCell(HDC dc, RECT cell, int number, BYTE border)
{
    HBRUSH fill = CreateSolidBrush(kPageColour);
    if (fill) {
        FillRect(dc, &cell, fill);
        DeleteObject(fill);
    }
    if (border) {
        HPEN line = CreatePen(border == kBorderDashed ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0));
        if (line) {
            GdiSelection pen(dc, line);
            GdiSelection brush(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
        }
        if (line)
            DeleteObject(line);
    }
    if (cell.right - cell.left < kSmallestNumberedCell || cell.bottom - cell.top < kSmallestNumberedCell)
        return;
    WCHAR text[8];
    swprintf(text, ARRAYSIZE(text), L"%d", number);
    GdiSelection font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text, -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
}

LayoutPreviewState LayoutStateOf(const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    LayoutPreviewState state;
    state.pagesPerSheet = priv.multiPage < 1 ? 1 : priv.multiPage;
    state.pageOrder = priv.processor.pageOrder;
    state.borderLine = priv.processor.multiLine;
    state.landscape = session->devmode.pub.dmOrientation == DMORIENT_LANDSCAPE;
    return state;
}

void DrawLayoutPreview(const DRAWITEMSTRUCT* item, const UiSession* session)
{
    const LayoutPreviewState state = LayoutStateOf(session);
    const SheetLayout layout = LayoutOfSheet(state.pagesPerSheet, state.landscape);
    const RECT sheet = SheetRectIn(item->rcItem, layout.wideSheet);
    if (!DrawModelPicture(item->hDC, ModelModuleOf(session), layout.wideSheet ? IDB_SHEET_WIDE : IDB_SHEET_TALL, sheet))
        DrawPlainSheet(item->hDC, sheet);
    RECT area = sheet;
    InflateRect(&area, -kSheetMargin, -kSheetMargin);
    const LONG cellWidth = (area.right - area.left) / layout.columns;
    const LONG cellHeight = (area.bottom - area.top) / layout.rows;
    for (int index = 0; index < state.pagesPerSheet; ++index) {
        const POINT at = CellOfPage(layout, state.pageOrder, index);
        RECT cell = {area.left + at.x * cellWidth, area.top + at.y * cellHeight,
                     area.left + (at.x + 1) * cellWidth, area.top + (at.y + 1) * cellHeight};
        InflateRect(&cell, -1, -1);
        DrawPageCell(item->hDC, cell, index + 1, state.borderLine);
    }
    SetWindowLongPtrW(item->hwndItem, GWLP_USERDATA, PackLayoutState(state));
}

// Without the pictures: three small sheets, numbered as the printer
// delivers them.
void DrawPlainCopies(HDC dc, const RECT& box, bool collated)
{
    const LONG width = (box.right - box.left) / 3;
    for (int i = 0; i < 3; ++i) {
        RECT sheet = {box.left + i * width + 1, box.top + 2, box.left + (i + 1) * width - 1, box.bottom - 2};
        DrawPlainSheet(dc, sheet);
        WCHAR text[4];
        swprintf(text, ARRAYSIZE(text), L"%d", collated ? i + 1 : 1);
        GdiSelection font(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, -1, &sheet, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
}

void DrawCopiesPicture(const DRAWITEMSTRUCT* item, const UiSession* session)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const bool collated = session->devmode.pub.dmCollate && session->devmode.pub.dmCopies >= 2;
    if (!DrawModelPicture(item->hDC, ModelModuleOf(session), collated ? IDB_COPIES_COLLATED : IDB_COPIES_UNCOLLATED,
                          item->rcItem))
        DrawPlainCopies(item->hDC, item->rcItem, collated);
}

// The chosen paper, in its proportions and the job's orientation, on the
// printer's output tray.
void DrawPaperOnPrinter(HDC dc, const RECT& box, const DEVMODEW& pub)
{
    LONG width = pub.dmPaperWidth > 0 ? pub.dmPaperWidth : 210;
    LONG length = pub.dmPaperLength > 0 ? pub.dmPaperLength : 297;
    if (pub.dmOrientation == DMORIENT_LANDSCAPE) {
        const LONG turned = width;
        width = length;
        length = turned;
    }
    const LONG room = (box.bottom - box.top) / 2;
    const LONG longest = width > length ? width : length;
    const LONG drawnWidth = width * room / longest;
    const LONG drawnLength = length * room / longest;
    const LONG centre = (box.left + box.right) / 2;
    RECT sheet = {centre - drawnWidth / 2, box.top + 4, centre - drawnWidth / 2 + drawnWidth, box.top + 4 + drawnLength};
    DrawPlainSheet(dc, sheet);
}

void DrawPlainPrinter(HDC dc, const RECT& box)
{
    RECT body = box;
    InflateRect(&body, -4, -(box.bottom - box.top) / 4);
    body.top = box.top + (box.bottom - box.top) / 3;
    GdiSelection brush(dc, GetStockObject(LTGRAY_BRUSH));
    GdiSelection pen(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, body.left, body.top, body.right, body.bottom);
    const LONG tray = body.bottom - (body.bottom - body.top) / 4;
    MoveToEx(dc, body.left + 6, tray, nullptr);
    LineTo(dc, body.right - 6, tray);
}

void DrawPaperPreview(const DRAWITEMSTRUCT* item, const UiSession* session)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const bool booklet = (session->devmode.priv.booklet & kBookletOn) != 0;
    if (DrawModelPicture(item->hDC, ModelModuleOf(session), booklet ? IDB_BOOKLET : IDB_PRINTER_TRAYS, item->rcItem)) {
        if (!booklet)
            DrawPaperOnPrinter(item->hDC, item->rcItem, session->devmode.pub);
        return;
    }
    DrawPlainPrinter(item->hDC, item->rcItem);
    DrawPaperOnPrinter(item->hDC, item->rcItem, session->devmode.pub);
}

// Whether the cursor now lies on the layout preview's sheet.
bool CursorOnSheet(HWND preview, const UiSession* session, POINT screen)
{
    ScreenToClient(preview, &screen);
    RECT box;
    GetClientRect(preview, &box);
    const LayoutPreviewState state = LayoutStateOf(session);
    const RECT sheet = SheetRectIn(box, LayoutOfSheet(state.pagesPerSheet, state.landscape).wideSheet);
    return PtInRect(&sheet, screen) != FALSE;
}

} // namespace

bool LayoutHotSpotsActive(const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    return (priv.scaling == 0 || priv.scaling == kScalingPrintable) && !(priv.booklet & kBookletOn) &&
           SheetOf(session)->hasPermission;
}

BOOL DrawBasicPreview(HWND, UiSession* session, const DRAWITEMSTRUCT* item)
{
    if (!item || !item->hDC)
        return FALSE;
    switch (item->CtlID) {
    case kIdLayoutPreview: DrawLayoutPreview(item, session); return TRUE;
    case kIdCopiesPicture: DrawCopiesPicture(item, session); return TRUE;
    case kIdPaperPreview: DrawPaperPreview(item, session); return TRUE;
    default: return FALSE;
    }
}

BOOL SetPreviewCursor(HWND page, const UiSession* session, HWND control)
{
    if (control != GetDlgItem(page, kIdLayoutPreview) || !LayoutHotSpotsActive(session))
        return FALSE;
    POINT cursor;
    if (!GetCursorPos(&cursor) || !CursorOnSheet(control, session, cursor))
        return FALSE;
    HCURSOR hand = LoadCursorW(g_module.moduleHandle, MAKEINTRESOURCEW(kCategoryHandCursor));
    SetCursor(hand ? hand : LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

void OnLayoutPreviewClick(HWND page, UiSession* session)
{
    HWND preview = GetDlgItem(page, kIdLayoutPreview);
    const DWORD position = GetMessagePos();
    const POINT click = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (!LayoutHotSpotsActive(session) || !CursorOnSheet(preview, session, click))
        return;
    HWND combo = GetDlgItem(page, kIdMultiPage);
    if (!SelectComboByData(combo, session->devmode.priv.multiPage == 1 ? 2 : 1))
        return;
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(kIdMultiPage, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SetFocus(combo);
}

void PlacePaperPreview(HWND page, const UiSession* session)
{
    HWND preview = GetDlgItem(page, kIdPaperPreview);
    SIZE size;
    if (!ReadPreviewMetrics(ModelModuleOf(session), &size))
        size = kDefaultPaperPreview;
    RECT frame;
    GetWindowRect(preview, &frame);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&frame), 2);
    const LONG left = frame.left + (frame.right - frame.left - size.cx) / 2;
    const LONG top = frame.top + (frame.bottom - frame.top - size.cy) / 2;
    SetWindowPos(preview, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}
