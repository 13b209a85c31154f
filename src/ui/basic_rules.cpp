#include "ui/basic_rules.h"

#include "ui/decimal_entry.h"

#include <cwchar>

namespace {

const int kLetterPaper = DMPAPER_LETTER;
const int kA4Paper = DMPAPER_A4;
const int kLegalPaper = DMPAPER_LEGAL;
const WORD kManualSource = DMBIN_MANUAL;
const WORD kManualFeedSource = 258;   // the model's manual-feed slot

// Two pages per sheet: portrait pages sit side by side (orders 0 and 2),
// landscape pages one above the other (orders 0 and 4).
struct TwoUpFlip {
    bool landscape;
    BYTE chosen;            // the list entry that flips
    bool chosenFromHigh;    // chosen may be any code from this one up
    BYTE fromMask;          // bit n: the current order n flips
};
const TwoUpFlip kTwoUpFlips[] = {
    {false, 2, false, 0x33},   // 0, 1, 4, 5 -> 2
    {false, 0, false, 0xCC},   // 2, 3, 6, 7 -> 0
    {true, 4, true, 0x0F},     // 0..3 -> 4
    {true, 0, false, 0xF0},    // 4..7 -> 0
};

bool IsSquare(int n, int* side)
{
    for (int s = 1; s * s <= n; ++s) {
        if (s * s == n) {
            *side = s;
            return true;
        }
    }
    return false;
}

} // namespace

CopiesEntry ReadCopiesEntry(const WCHAR* text, int limit, int* copies)
{
    if (!text || !text[0])
        return kCopiesEmpty;
    unsigned long value = 0;
    if (!ReadWholeNumber(text, static_cast<unsigned long>(limit), &value))
        return kCopiesRefused;
    *copies = value == 0 ? 1 : static_cast<int>(value);
    return kCopiesTaken;
}

BYTE PageOrderAfterChoice(SHORT multiPage, BYTE current, BYTE chosen, bool landscape)
{
    if (multiPage != 2)
        return chosen;
    for (const TwoUpFlip& flip : kTwoUpFlips) {
        const bool matches = flip.chosenFromHigh ? chosen >= flip.chosen : chosen == flip.chosen;
        if (flip.landscape == landscape && matches && current < 8 && (flip.fromMask & (1u << current)))
            return flip.chosen;
    }
    return current;
}

BYTE ShownPageOrder(SHORT multiPage, BYTE current, bool landscape)
{
    if (multiPage != 2)
        return current;
    if (landscape)
        return current >= 4 ? 4 : 0;
    return (current & 2) ? 2 : 0;
}

bool BookletTakesPaper(int paper)
{
    return paper == kA4Paper || paper == kLetterPaper || paper == kLegalPaper;
}

bool IsOversizePaper(int paper)
{
    return paper == DMPAPER_A3 || paper == DMPAPER_B4 || paper == DMPAPER_TABLOID;
}

unsigned PaperChangeChecks(const DriverDevmode& settings, int paper)
{
    const PrivateSettings& priv = settings.priv;
    unsigned checks = 0;
    if ((priv.booklet & kBookletOn) && (priv.duplex & kDuplexAutomatic) && !BookletTakesPaper(paper))
        checks |= kPaperAsksBooklet;
    if (priv.scaling == kScalingFitPaper && IsUserPaper(paper) && IsUserPaper(priv.fitPaperSize))
        checks |= kPaperRefusedByScaling;
    if (IsOversizePaper(paper) && priv.scaling != kScalingFitPaper)
        checks |= kPaperAsksFitToPaper;
    return checks;
}

unsigned MultiPageChecks(const DriverDevmode& settings, int entry)
{
    const PrivateSettings& priv = settings.priv;
    unsigned checks = 0;
    if ((priv.booklet & kBookletOn) && entry != 1)
        checks |= kMultiPageAsksBooklet;
    if (priv.scaling != 0 && priv.scaling != kScalingPrintable && entry != 0)
        checks |= kMultiPageAsksScaling;
    return checks;
}

BYTE TraySeparateModeOf(WORD firstSource, WORD otherSource)
{
    return otherSource != DMBIN_AUTO && otherSource != firstSource ? 1 : 0;
}

bool IsManualSource(WORD source)
{
    return source == kManualSource || source == kManualFeedSource;
}

void TitleFromLabel(const WCHAR* label, WCHAR* title, size_t capacity)
{
    if (!title || capacity == 0)
        return;
    title[0] = L'\0';
    if (!label)
        return;
    size_t length = wcslen(label);
    // "Copies(&C)" and "Settings(&S)..." keep only the words.
    const size_t dots = length >= 3 && wcscmp(label + length - 3, L"...") == 0 ? 3 : 0;
    const size_t end = length - dots;
    if (end >= 4 && label[end - 4] == L'(' && label[end - 3] == L'&' && label[end - 1] == L')')
        length = end - 4;
    size_t used = 0;
    for (size_t i = 0; i < length && used + 1 < capacity; ++i) {
        if (label[i] != L'&')
            title[used++] = label[i];
    }
    title[used] = L'\0';
}

SheetLayout LayoutOfSheet(SHORT multiPage, bool landscape)
{
    const int pages = multiPage < 1 ? 1 : multiPage;
    int side = 0;
    if (IsSquare(pages, &side))
        return {side, side, landscape};
    // Pages that do not tile a square turn the sheet: the long side of the
    // grid runs along the long side of the sheet.
    int rows = 1;
    for (int r = 1; r * r <= pages; ++r)
        if (pages % r == 0)
            rows = r;
    const int columns = pages / rows;
    if (landscape)
        return {rows, columns, false};
    return {columns, rows, true};
}

POINT CellOfPage(const SheetLayout& layout, BYTE order, int index)
{
    const int columns = layout.columns > 0 ? layout.columns : 1;
    const int rows = layout.rows > 0 ? layout.rows : 1;
    POINT cell;
    const bool downFirst = (order & 1) != 0;
    if (downFirst) {
        cell.y = index % rows;
        cell.x = index / rows;
    } else {
        cell.x = index % columns;
        cell.y = index / columns;
    }
    if (order & 2)
        cell.x = columns - 1 - cell.x;
    if (order & 4)
        cell.y = rows - 1 - cell.y;
    return cell;
}

RECT SheetRectIn(const RECT& box, bool wideSheet)
{
    // A sheet of about the proportions of A4 and Letter, 10:7.
    const LONG boxWidth = box.right - box.left;
    const LONG boxHeight = box.bottom - box.top;
    LONG longSide = (wideSheet ? boxWidth : boxHeight) - 8;
    LONG shortSide = longSide * 7 / 10;
    const LONG shortRoom = (wideSheet ? boxHeight : boxWidth) - 8;
    if (shortSide > shortRoom) {
        shortSide = shortRoom;
        longSide = shortSide * 10 / 7;
    }
    const LONG width = wideSheet ? longSide : shortSide;
    const LONG height = wideSheet ? shortSide : longSide;
    RECT sheet;
    sheet.left = box.left + (boxWidth - width) / 2;
    sheet.top = box.top + (boxHeight - height) / 2;
    sheet.right = sheet.left + width;
    sheet.bottom = sheet.top + height;
    return sheet;
}

LONG_PTR PackLayoutState(const LayoutPreviewState& state)
{
    return static_cast<LONG_PTR>(static_cast<WORD>(state.pagesPerSheet)) |
           (static_cast<LONG_PTR>(state.pageOrder) << 16) | (static_cast<LONG_PTR>(state.borderLine) << 24) |
           (static_cast<LONG_PTR>(state.landscape ? 1 : 0) << 32);
}

LayoutPreviewState UnpackLayoutState(LONG_PTR packed)
{
    LayoutPreviewState state;
    state.pagesPerSheet = static_cast<SHORT>(packed & 0xFFFF);
    state.pageOrder = static_cast<BYTE>((packed >> 16) & 0xFF);
    state.borderLine = static_cast<BYTE>((packed >> 24) & 0xFF);
    state.landscape = ((packed >> 32) & 1) != 0;
    return state;
}
