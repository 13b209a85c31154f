// The watermark previews of the editor and of the Advanced page: the page
// of the current paper with the watermark drawn on it as the printer would
// place it.
#include "ui/watermark_editor_parts.h"
#include "ui/watermark_editor.h"

#include <cmath>

namespace {

const SIZE kFallbackPaper = {2100, 2970};   // A4 in tenths of a millimetre
const int kPageMargin = 6;
const int kBitmapDpi = 300;                 // bitmap pixels print at this resolution
const double kPi = 3.14159265358979323846;

SIZE UsablePaper(SIZE paper)
{
    return paper.cx > 0 && paper.cy > 0 ? paper : kFallbackPaper;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

// Where the watermark's centre lies on the page outline.
POINT WatermarkCentre(const RECT& page, const WatermarkDefinition& definition)
{
    const int halfWidth = (page.right - page.left) / 2, halfHeight = (page.bottom - page.top) / 2;
    POINT centre = {page.left + halfWidth, page.top + halfHeight};
    if (!definition.autoCentre) {
        centre.x += MulDiv(definition.offsetX, halfWidth, 100);
        centre.y += MulDiv(definition.offsetY, halfHeight, 100);
    }
    return centre;
}

// Turns the drawing about the watermark's centre by its angle
// (counter-clockwise, as the printed text turns).
void RotateAbout(HDC dc, POINT centre, int escapement)
{
    const double radians = escapement / 10.0 * kPi / 180.0;
    const XFORM turn = {static_cast<FLOAT>(std::cos(radians)), static_cast<FLOAT>(-std::sin(radians)),
                        static_cast<FLOAT>(std::sin(radians)), static_cast<FLOAT>(std::cos(radians)),
                        static_cast<FLOAT>(centre.x), static_cast<FLOAT>(centre.y)};
    SetGraphicsMode(dc, GM_ADVANCED);
    SetWorldTransform(dc, &turn);
}

// Tenths of a millimetre on the paper to pixels of the outline.
int PaperToPixels(int tenths, const RECT& page, SIZE paper)
{
    return MulDiv(tenths, page.bottom - page.top, paper.cy);
}

// The text turns with its font, so it draws as the printer's text does;
// its baseline is placed so that the middle of its cell lies on centre.
void DrawWatermarkText(HDC dc, const RECT& page, SIZE paper, POINT centre,
                       const WatermarkDefinition& definition)
{
    if (!definition.text[0])
        return;
    LOGFONTW font = {};
    // Points to tenths of a millimetre: 254 per 72 points.
    const int height = PaperToPixels(MulDiv(definition.size, 254, 72), page, paper);
    font.lfHeight = -(height > 0 ? height : 1);
    font.lfEscapement = font.lfOrientation = definition.escapement;
    font.lfWeight = (definition.style & 2) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = static_cast<BYTE>(definition.style & 1);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, definition.face, LF_FACESIZE);
    HFONT handle = CreateFontIndirectW(&font);
    if (!handle)
        return;
    HGDIOBJ previous = SelectObject(dc, handle);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const double radians = definition.escapement / 10.0 * kPi / 180.0;
    const double lift = (metrics.tmAscent - metrics.tmDescent) / 2.0;
    const int x = centre.x + static_cast<int>(std::lround(lift * std::sin(radians)));
    const int y = centre.y + static_cast<int>(std::lround(lift * std::cos(radians)));
    const int level = 255 - MulDiv(Clamp(definition.darkness, 0, 100), 255, 100);
    SetTextColor(dc, RGB(level, level, level));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_BASELINE | TA_NOUPDATECP);
    TextOutW(dc, x, y, definition.text, lstrlenW(definition.text));
    SelectObject(dc, previous);
    DeleteObject(handle);
}

void DrawWatermarkBitmap(HDC dc, const RECT& page, SIZE paper, const WatermarkDefinition& definition, HGLOBAL dib)
{
    const auto* info = static_cast<const BITMAPINFO*>(GlobalLock(dib));
    if (!info)
        return;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const BYTE* bits = reinterpret_cast<const BYTE*>(info) + header.biSize + header.biClrUsed * sizeof(RGBQUAD);
    // Pixels to tenths of a millimetre at the printing resolution, scaled.
    const int width = PaperToPixels(MulDiv(header.biWidth * 254, definition.scale, kBitmapDpi * 100), page, paper);
    const int height = PaperToPixels(MulDiv(header.biHeight * 254, definition.scale, kBitmapDpi * 100), page, paper);
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, -width / 2, -height / 2, width > 0 ? width : 1, height > 0 ? height : 1, 0, 0,
                  header.biWidth, header.biHeight, bits, info, DIB_RGB_COLORS, SRCAND);
    GlobalUnlock(dib);
}

// The session's current watermark: its title and text from the store
// (the settings hold only an 8-bit copy of the text), the rest from the
// settings.
void ReadSessionWatermark(const UiSession* session, WatermarkDefinition* definition)
{
    ZeroMemory(definition, sizeof(*definition));
    const WatermarkState* state = session->sheet.watermark;
    const ProcessorBlock& block = session->devmode.priv.processor;
    const LOGFONTW& font = block.watermark.font;
    if (state && state->selectedIndex != kNoWatermarkSelected)
        ReadWatermarkListEntry(state->storePath, state->selectedIndex, definition->name, ARRAYSIZE(definition->name));
    if (!definition->name[0] || !GetPrivateProfileStringW(definition->name, L"Strings", L"", definition->text,
                                                          ARRAYSIZE(definition->text), state->storePath))
        MultiByteToWideChar(CP_ACP, 0, block.watermark.text, -1, definition->text, ARRAYSIZE(definition->text));
    definition->text[ARRAYSIZE(definition->text) - 1] = L'\0';
    lstrcpynW(definition->face, font.lfFaceName, ARRAYSIZE(definition->face));
    definition->size = font.lfHeight;
    definition->style = (font.lfItalic ? 1 : 0) | (font.lfWeight >= FW_BOLD ? 2 : 0);
    definition->darkness = static_cast<int>(block.watermarkGray);
    definition->escapement = font.lfEscapement;
    definition->autoCentre = state ? state->autoCentre : TRUE;
    definition->offsetX = block.watermarkOffsetX;
    definition->offsetY = block.watermarkOffsetY;
    definition->scale = block.watermarkScale;
    if (state && state->isBitmap) {
        definition->text[0] = L'\0';
        const auto* path = state->bitmapPath ? static_cast<const WCHAR*>(GlobalLock(state->bitmapPath)) : nullptr;
        if (path) {
            lstrcpynW(definition->file, path, ARRAYSIZE(definition->file));
            GlobalUnlock(state->bitmapPath);
        }
    }
}

} // namespace

SIZE PreviewPaperOf(const UiSession* session)
{
    const DEVMODEW& dm = session->devmode.pub;
    if (dm.dmOrientation == DMORIENT_LANDSCAPE)
        return {dm.dmPaperLength, dm.dmPaperWidth};
    return {dm.dmPaperWidth, dm.dmPaperLength};
}

RECT PreviewPageRect(const RECT& client, SIZE paper)
{
    paper = UsablePaper(paper);
    const int roomWidth = client.right - client.left - 2 * kPageMargin;
    const int roomHeight = client.bottom - client.top - 2 * kPageMargin;
    int width = roomWidth, height = roomHeight;
    if (static_cast<long long>(roomWidth) * paper.cy <= static_cast<long long>(roomHeight) * paper.cx)
        height = MulDiv(roomWidth, paper.cy, paper.cx);
    else
        width = MulDiv(roomHeight, paper.cx, paper.cy);
    const int left = client.left + (client.right - client.left - width) / 2;
    const int top = client.top + (client.bottom - client.top - height) / 2;
    return {left, top, left + width, top + height};
}

POINT PreviewOffsetsAt(const RECT& client, SIZE paper, POINT point)
{
    const RECT page = PreviewPageRect(client, paper);
    const int halfWidth = (page.right - page.left) / 2, halfHeight = (page.bottom - page.top) / 2;
    if (halfWidth <= 0 || halfHeight <= 0)
        return {0, 0};
    return {Clamp(MulDiv(point.x - page.left - halfWidth, 100, halfWidth), -100, 100),
            Clamp(MulDiv(point.y - page.top - halfHeight, 100, halfHeight), -100, 100)};
}

void DrawWatermarkPreview(HDC dc, const RECT& client, SIZE paper,
                          const WatermarkDefinition& definition, HGLOBAL dib)
{
    paper = UsablePaper(paper);
    const RECT page = PreviewPageRect(client, paper);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, page.left + 1, page.top + 1, page.right - 1, page.bottom - 1);
    const POINT centre = WatermarkCentre(page, definition);
    if (definition.file[0] && dib) {
        RotateAbout(dc, centre, definition.escapement);
        DrawWatermarkBitmap(dc, page, paper, definition, dib);
    } else if (!definition.file[0]) {
        DrawWatermarkText(dc, page, paper, centre, definition);
    }
    RestoreDC(dc, saved);
}

void DrawPageWatermarkPreview(const UiSession* session, const DRAWITEMSTRUCT* item)
{
    WatermarkDefinition definition;
    ReadSessionWatermark(session, &definition);
    const WatermarkState* state = session->sheet.watermark;
    if (!session->devmode.priv.processor.watermark.on) {
        definition.text[0] = L'\0';
        definition.file[0] = L'\0';
    }
    DrawWatermarkPreview(item->hDC, item->rcItem, PreviewPaperOf(session), definition,
                         state && state->isBitmap ? state->bitmap : nullptr);
}
