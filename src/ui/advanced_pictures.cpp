// The Advanced page's illustrations: the dot grid of the chosen
// resolution, how the sheet is bound for duplex printing, the scaled page
// on its output paper and the current watermark on the page. The pictures
// come from the model resource module; a plain sheet stands in for a
// missing one.
#include "resources/resource_ids.h"
#include "settings/devmode_bits.h"
#include "ui/advanced_page_internal.h"
#include "ui/preview_drawing.h"
#include "ui/sheet_session.h"
#include "ui/watermark_editor.h"

#include <cwchar>

namespace {

const int kSheetMargin = 8;           // pixels around a drawn sheet
const int kPrintableShare = 94;       // percent of the sheet's width inside its margins
const COLORREF kContentColour = RGB(232, 232, 232);
const COLORREF kTextLineColour = RGB(150, 150, 150);
const int kTextLineStep = 6;

// Duplex layout codes: 0 left, 1 right, 2 top, 3 bottom edge, then top and
// bottom without reversing.
bool BindsOnSide(BYTE layout)
{
    return layout <= 1;
}

bool MirrorsBinding(BYTE layout)
{
    return layout == 1 || layout == 3 || layout == 5;
}

void DrawPictureOrSheet(const DRAWITEMSTRUCT* item, const UiSession* session, UINT pictureId,
                        bool mirrorAcross = false, bool mirrorDown = false)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (DrawModelPicture(item->hDC, SheetOf(session)->modelResources, pictureId, item->rcItem, mirrorAcross,
                         mirrorDown))
        return;
    RECT sheet = item->rcItem;
    InflateRect(&sheet, -kSheetMargin, -kSheetMargin);
    DrawPlainSheet(item->hDC, sheet);
}

UINT QualityPicture(short printQuality)
{
    return printQuality >= 1200 ? IDB_QUALITY_1200 : printQuality >= 600 ? IDB_QUALITY_600 : IDB_QUALITY_300;
}

void DrawDuplexPicture(const DRAWITEMSTRUCT* item, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    if (priv.booklet & kBookletOn) {
        DrawPictureOrSheet(item, session, IDB_BOOKLET);
        return;
    }
    if (!(priv.duplex & kDuplexOn)) {
        DrawPictureOrSheet(item, session, IDB_DUPLEX_OFF);
        return;
    }
    const BYTE layout = static_cast<BYTE>(priv.duplex & kDuplexLayoutMask);
    const bool mirror = MirrorsBinding(layout);
    if (BindsOnSide(layout))
        DrawPictureOrSheet(item, session, IDB_DUPLEX_SIDE, mirror, false);
    else
        DrawPictureOrSheet(item, session, IDB_DUPLEX_TOP, false, mirror);
}

// The output paper, upright or turned, as large as the item allows.
RECT OutputSheetIn(const RECT& box, bool wide)
{
    RECT sheet = box;
    InflateRect(&sheet, -kSheetMargin, -kSheetMargin);
    const int width = sheet.right - sheet.left, height = sheet.bottom - sheet.top;
    // A4 proportions, 210 x 297.
    const int across = wide ? 297 : 210, down = wide ? 210 : 297;
    if (MulDiv(width, down, across) <= height) {
        const int fitted = MulDiv(width, down, across);
        sheet.top += (height - fitted) / 2;
        sheet.bottom = sheet.top + fitted;
    } else {
        const int fitted = MulDiv(height, across, down);
        sheet.left += (width - fitted) / 2;
        sheet.right = sheet.left + fitted;
    }
    return sheet;
}

// Where the scaled page lies on the output sheet. Off and the printable
// area leave it on the printable area, the paper size fills the sheet,
// free scaling grows or shrinks it from the top left corner as the printer
// does, cut at the paper's edge.
RECT ScaledContent(const RECT& sheet, const PrivateSettings& priv)
{
    if (priv.scaling == kScalingFitPaper)
        return sheet;
    const int width = sheet.right - sheet.left, height = sheet.bottom - sheet.top;
    const int inset = MulDiv(width, 100 - kPrintableShare, 200);
    const int percent = priv.scaling == kScalingFree ? priv.scalingSize : 100;
    RECT content = {sheet.left + inset, sheet.top + inset, 0, 0};
    content.right = content.left + MulDiv(width - 2 * inset, percent, 100);
    content.bottom = content.top + MulDiv(height - 2 * inset, percent, 100);
    IntersectRect(&content, &content, &sheet);
    return content;
}

// The document's page: a light area with lines of text.
void DrawPageContent(HDC dc, const RECT& content)
{
    HBRUSH fill = CreateSolidBrush(kContentColour);
    if (fill) {
        FillRect(dc, &content, fill);
        DeleteObject(fill);
    }
    HPEN line = CreatePen(PS_SOLID, 1, kTextLineColour);
    if (!line)
        return;
    HGDIOBJ old = SelectObject(dc, line);
    const int margin = (content.right - content.left) / 8;
    for (int y = content.top + margin; y < content.bottom - margin; y += kTextLineStep) {
        MoveToEx(dc, content.left + margin, y, nullptr);
        LineTo(dc, content.right - margin, y);
    }
    SelectObject(dc, old);
    DeleteObject(line);
}

void DrawScalingPicture(const DRAWITEMSTRUCT* item, const UiSession* session)
{
    HDC dc = item->hDC;
    const PrivateSettings& priv = session->devmode.priv;
    FillRect(dc, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const bool wide = session->devmode.pub.dmOrientation == DMORIENT_LANDSCAPE;
    const RECT sheet = OutputSheetIn(item->rcItem, wide);
    if (!DrawModelPicture(dc, SheetOf(session)->modelResources, wide ? IDB_SHEET_WIDE : IDB_SHEET_TALL, sheet))
        DrawPlainSheet(dc, sheet);
    DrawPageContent(dc, ScaledContent(sheet, priv));
    if (priv.scaling != kScalingFree)
        return;
    WCHAR text[16];
    swprintf(text, ARRAYSIZE(text), L"%u %%", priv.scalingSize);
    const int mode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT label = sheet;
    DrawTextW(dc, text, -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, font);
    SetBkMode(dc, mode);
}

} // namespace

BOOL DrawAdvancedPicture(const UiSession* session, const DRAWITEMSTRUCT* item)
{
    switch (item->CtlID) {
    case kIdQualityPicture:
        DrawPictureOrSheet(item, session, QualityPicture(session->devmode.pub.dmPrintQuality));
        return TRUE;
    case kIdDuplexPicture: DrawDuplexPicture(item, session); return TRUE;
    case kIdScalingPicture: DrawScalingPicture(item, session); return TRUE;
    case kIdWatermarkPreview: DrawPageWatermarkPreview(session, item); return TRUE;
    default: return FALSE;
    }
}
