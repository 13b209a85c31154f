// The Basic page's rules that need no window: what a typed copies count
// means, which page orders two pages per sheet allow, which paper changes
// need a question first, the layout the preview draws, and message titles
// made from control labels.
#pragma once

#include "settings/driver_devmode.h"

#include <windows.h>

#include <cstddef>

// A typed copies count: empty text waits for more typing; a number from 0
// to the limit is taken (0 as 1); anything else is refused.
enum CopiesEntry { kCopiesEmpty, kCopiesTaken, kCopiesRefused };
CopiesEntry ReadCopiesEntry(const WCHAR* text, int limit, int* copies);

// The page order stored when order is chosen from the list while the
// settings hold current. Two pages per sheet leave only two orders per
// orientation, so a choice there flips between them and keeps the rest.
BYTE PageOrderAfterChoice(SHORT multiPage, BYTE current, BYTE chosen, bool landscape);

// The entry the page-order list shows for the settings.
BYTE ShownPageOrder(SHORT multiPage, BYTE current, bool landscape);

// The papers booklet printing takes through the duplex unit, and the
// papers larger than the printer prints without reduction.
bool BookletTakesPaper(int paper);
bool IsOversizePaper(int paper);

// The questions a paper change must ask, in order.
enum PaperCheck : unsigned {
    kPaperAsksBooklet = 0x1,        // booklet through the duplex unit needs A4, Letter or Legal
    kPaperRefusedByScaling = 0x2,   // user sizes on both sides of fit-to-paper
    kPaperAsksFitToPaper = 0x4,     // an oversize paper needs fit-to-paper scaling
};
unsigned PaperChangeChecks(const DriverDevmode& settings, int paper);

// The questions a Multiple Page choice (its list position) must ask.
enum MultiPageCheck : unsigned {
    kMultiPageAsksBooklet = 0x1,    // booklet needs "2 in 1", the second entry
    kMultiPageAsksScaling = 0x2,    // scaling and pages per sheet exclude each other
};
unsigned MultiPageChecks(const DriverDevmode& settings, int entry);

// 1 when the other pages come from their own source.
BYTE TraySeparateModeOf(WORD firstSource, WORD otherSource);

// The sources that mean feeding by hand.
bool IsManualSource(WORD source);

// A message-box title from a control label: a trailing "(&X)" accelerator,
// optionally followed by "...", is cut, then every "&" is dropped.
void TitleFromLabel(const WCHAR* label, WCHAR* title, size_t capacity);

// The layout preview's picture of one sheet: pages as a grid of columns
// and rows, in page order, on a sheet turned wide or tall.
struct SheetLayout {
    int columns;
    int rows;
    bool wideSheet;
};
SheetLayout LayoutOfSheet(SHORT multiPage, bool landscape);

// The grid cell (column, row) of the index-th page (from 0) in order.
POINT CellOfPage(const SheetLayout& layout, BYTE order, int index);

// Where the sheet is drawn inside the preview box, and so the area a click
// on it toggles one and two pages per sheet.
RECT SheetRectIn(const RECT& box, bool wideSheet);

// What the layout preview drew last, kept on the preview window for anyone
// checking it: pages per sheet, page order, border line, orientation.
struct LayoutPreviewState {
    SHORT pagesPerSheet;
    BYTE pageOrder;
    BYTE borderLine;
    bool landscape;
};
LONG_PTR PackLayoutState(const LayoutPreviewState& state);
LayoutPreviewState UnpackLayoutState(LONG_PTR packed);
