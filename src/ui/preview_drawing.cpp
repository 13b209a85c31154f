#include "ui/preview_drawing.h"

#include "core/module_state.h"

#include <cstring>

namespace {

const UINT kPreviewMetricsId = 13500;

struct PreviewMetrics {
    LONG width;
    LONG height;
};

LONG Smaller(LONG a, LONG b)
{
    return a < b ? a : b;
}

} // namespace

BOOL ReadPreviewMetrics(HMODULE modelModule, SIZE* size)
{
    if (!modelModule || !size)
        return FALSE;
    HRSRC found = FindResourceW(modelModule, MAKEINTRESOURCEW(kPreviewMetricsId), RT_RCDATA);
    if (!found || SizeofResource(modelModule, found) < sizeof(PreviewMetrics))
        return FALSE;
    HGLOBAL loaded = LoadResource(modelModule, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return FALSE;
    PreviewMetrics metrics;
    std::memcpy(&metrics, data, sizeof(metrics));
    if (metrics.width <= 0 || metrics.height <= 0)
        return FALSE;
    size->cx = metrics.width;
    size->cy = metrics.height;
    return TRUE;
}

HBITMAP LoadPreviewPicture(HMODULE modelModule, UINT pictureId)
{
    HBITMAP picture = nullptr;
    if (modelModule)
        picture = static_cast<HBITMAP>(LoadImageW(modelModule, MAKEINTRESOURCEW(pictureId),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!picture)
        picture = static_cast<HBITMAP>(LoadImageW(g_module.moduleHandle,
                                                  MAKEINTRESOURCEW(pictureId), IMAGE_BITMAP, 0,
                                                  0, LR_CREATEDIBSECTION));
    return picture;
}

BOOL DrawModelPicture(HDC dc, HMODULE modelModule, UINT pictureId, const RECT& target,
                      bool mirrorAcross, bool mirrorDown)
{
    HBITMAP picture = LoadPreviewPicture(modelModule, pictureId);
    BITMAP bits;
    if (!picture || !GetObjectW(picture, sizeof(bits), &bits)) {
        if (picture)
            DeleteObject(picture);
        return FALSE;
    }
    HDC source = CreateCompatibleDC(dc);
    if (source) {
        HGDIOBJ old = SelectObject(source, picture);
        // A negative extent from the far edge draws the picture mirrored.
        const LONG width = target.right - target.left, height = target.bottom - target.top;
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, mirrorAcross ? target.right - 1 : target.left, mirrorDown ? target.bottom - 1 : target.top,
                   mirrorAcross ? -width : width, mirrorDown ? -height : height, source, 0, 0, bits.bmWidth,
                   bits.bmHeight, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    DeleteObject(picture);
    return source != nullptr;
}

void DrawPlainSheet(HDC dc, const RECT& sheet)
{
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, sheet.left, sheet.top, sheet.right, sheet.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void DrawPreviewItem(const DRAWITEMSTRUCT* item, HBITMAP picture, const SIZE* size)
{
    if (!item || !item->hDC)
        return;
    const RECT& box = item->rcItem;
    FillRect(item->hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
    BITMAP bits;
    if (!picture || !GetObjectW(picture, sizeof(bits), &bits))
        return;
    const LONG boxWidth = box.right - box.left;
    const LONG boxHeight = box.bottom - box.top;
    const LONG width = Smaller(size ? size->cx : bits.bmWidth, boxWidth);
    const LONG height = Smaller(size ? size->cy : bits.bmHeight, boxHeight);
    if (width <= 0 || height <= 0)
        return;
    HDC source = CreateCompatibleDC(item->hDC);
    if (!source)
        return;
    HGDIOBJ old = SelectObject(source, picture);
    SetStretchBltMode(item->hDC, COLORONCOLOR);
    StretchBlt(item->hDC, box.left + (boxWidth - width) / 2, box.top + (boxHeight - height) / 2,
               width, height, source, 0, 0, bits.bmWidth, bits.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void DrawFramedCaption(const DRAWITEMSTRUCT* item, UINT extraFrame, int textColor, UINT textFormat)
{
    RECT rect = item->rcItem;
    UINT frame = DFCS_BUTTONPUSH | extraFrame;
    if (item->itemState & ODS_SELECTED)
        frame |= DFCS_PUSHED;
    if (item->itemState & ODS_DISABLED)
        frame |= DFCS_INACTIVE;
    DrawFrameControl(item->hDC, &rect, DFC_BUTTON, frame);
    WCHAR caption[128];
    GetWindowTextW(item->hwndItem, caption, ARRAYSIZE(caption));
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, GetSysColor(textColor));
    DrawTextW(item->hDC, caption, -1, &rect, DT_CENTER | DT_VCENTER | textFormat);
    if (item->itemState & ODS_FOCUS) {
        InflateRect(&rect, -3, -3);
        DrawFocusRect(item->hDC, &rect);
    }
}
