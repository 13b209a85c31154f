// The Basic page's rules without windows: typed copies, the page orders
// two pages per sheet allow, the questions paper and pages-per-sheet
// changes ask, message titles from labels and the layout preview's grid.
#include "ui/basic_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>

namespace {

TEST(BasicRules, TypedCopies)
{
    const struct {
        const WCHAR* text;
        CopiesEntry entry;
        int copies;
    } cases[] = {
        {L"", kCopiesEmpty, -1},     {L"0", kCopiesTaken, 1},      {L"000", kCopiesTaken, 1},
        {L"1", kCopiesTaken, 1},     {L"999", kCopiesTaken, 999},  {L"0999", kCopiesTaken, 999},
        {L"1000", kCopiesRefused, -1}, {L"99999999999", kCopiesRefused, -1},
        {L"12a", kCopiesRefused, -1}, {L"-1", kCopiesRefused, -1}, {L" 5", kCopiesRefused, -1},
    };
    for (const auto& c : cases) {
        int copies = -1;
        EXPECT_EQ(ReadCopiesEntry(c.text, 999, &copies), c.entry) << c.text;
        EXPECT_EQ(copies, c.copies) << c.text;
    }
}

TEST(BasicRules, TwoPagesPerSheetFlipBetweenTheirTwoOrders)
{
    const struct {
        SHORT pages;
        bool landscape;
        BYTE current;
        BYTE chosen;
        BYTE stored;
    } cases[] = {
        // Other layouts take the choice as it is.
        {4, false, 0, 3, 3}, {1, true, 6, 1, 1}, {9, true, 2, 0, 0},
        // Portrait: side by side, 0 and 2.
        {2, false, 0, 2, 2}, {2, false, 1, 2, 2}, {2, false, 4, 2, 2}, {2, false, 5, 2, 2},
        {2, false, 3, 2, 3}, {2, false, 2, 0, 0}, {2, false, 3, 0, 0}, {2, false, 6, 0, 0},
        {2, false, 7, 0, 0}, {2, false, 1, 0, 1}, {2, false, 0, 4, 0},
        // Landscape: one above the other, 0 and 4.
        {2, true, 0, 4, 4}, {2, true, 3, 5, 4}, {2, true, 5, 4, 5}, {2, true, 4, 0, 0},
        {2, true, 7, 0, 0}, {2, true, 2, 0, 2}, {2, true, 1, 2, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PageOrderAfterChoice(c.pages, c.current, c.chosen, c.landscape), c.stored)
            << c.pages << (c.landscape ? " landscape " : " portrait ") << int(c.current) << "->" << int(c.chosen);
    }
}

TEST(BasicRules, ShownPageOrderMatchesTheListOfTheLayout)
{
    const struct {
        SHORT pages;
        bool landscape;
        BYTE current;
        BYTE shown;
    } cases[] = {
        {4, false, 3, 3}, {2, false, 0, 0}, {2, false, 5, 0}, {2, false, 2, 2}, {2, false, 7, 2},
        {2, true, 3, 0},  {2, true, 4, 4},  {2, true, 6, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownPageOrder(c.pages, c.current, c.landscape), c.shown) << int(c.current);
}

DriverDevmode Settings(BYTE booklet, WORD duplex, BYTE scaling, WORD fitPaper)
{
    DriverDevmode settings = {};
    settings.priv.booklet = booklet;
    settings.priv.duplex = duplex;
    settings.priv.scaling = scaling;
    settings.priv.fitPaperSize = fitPaper;
    return settings;
}

TEST(BasicRules, PaperChangeQuestions)
{
    const WORD automatic = kDuplexOn | kDuplexAutomatic;
    const struct {
        const char* name;
        DriverDevmode settings;
        int paper;
        unsigned checks;
    } cases[] = {
        {"plain change", Settings(0, 0, 0, 9), DMPAPER_A5, 0},
        {"booklet keeps A4", Settings(1, automatic, 0, 9), DMPAPER_A4, 0},
        {"booklet keeps Legal", Settings(1, automatic, 0, 9), DMPAPER_LEGAL, 0},
        {"booklet refuses A5", Settings(1, automatic, 0, 9), DMPAPER_A5, kPaperAsksBooklet},
        {"manual duplex booklet", Settings(1, kDuplexOn, 0, 9), DMPAPER_A5, 0},
        {"user size both sides", Settings(0, 0, 1, 256), 301, kPaperRefusedByScaling},
        {"user size to a form", Settings(0, 0, 1, 9), 256, 0},
        {"user size, free scaling", Settings(0, 0, 2, 256), 256, 0},
        {"A3 unscaled", Settings(0, 0, 0, 9), DMPAPER_A3, kPaperAsksFitToPaper},
        {"B4 scaled freely", Settings(0, 0, 2, 9), DMPAPER_B4, kPaperAsksFitToPaper},
        {"Tabloid fitted", Settings(0, 0, 1, 9), DMPAPER_TABLOID, 0},
        {"A3 with booklet", Settings(1, automatic, 0, 9), DMPAPER_A3, kPaperAsksBooklet | kPaperAsksFitToPaper},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaperChangeChecks(c.settings, c.paper), c.checks) << c.name;
}

TEST(BasicRules, MultiPageQuestions)
{
    const struct {
        const char* name;
        BYTE booklet;
        BYTE scaling;
        int entry;
        unsigned checks;
    } cases[] = {
        {"free choice", 0, 0, 2, 0},
        {"printable area allows", 0, 3, 2, 0},
        {"booklet keeps 2 in 1", 1, 0, 1, 0},
        {"booklet refuses 4 in 1", 1, 0, 2, kMultiPageAsksBooklet},
        {"booklet refuses Normal", 1, 0, 0, kMultiPageAsksBooklet},
        {"fit to paper refuses 2 in 1", 0, 1, 1, kMultiPageAsksScaling},
        {"free scaling keeps Normal", 0, 2, 0, 0},
        {"both", 1, 2, 3, kMultiPageAsksBooklet | kMultiPageAsksScaling},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MultiPageChecks(Settings(c.booklet, 0, c.scaling, 9), c.entry), c.checks) << c.name;
}

TEST(BasicRules, SourcesAndSeparateMode)
{
    const struct {
        WORD first;
        WORD other;
        BYTE mode;
    } cases[] = {{1, 7, 0}, {1, 1, 0}, {1, 2, 1}, {7, 2, 1}, {7, 7, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TraySeparateModeOf(c.first, c.other), c.mode) << c.first << "," << c.other;
    const std::pair<WORD, bool> manual[] = {{4, true}, {258, true}, {7, false}, {1, false}, {257, false}};
    for (const auto& m : manual)
        EXPECT_EQ(IsManualSource(m.first), m.second) << m.first;
}

TEST(BasicRules, TitlesDropAccelerators)
{
    const struct {
        const WCHAR* label;
        size_t capacity;
        const WCHAR* title;
    } cases[] = {
        {L"&Copies", 64, L"Copies"},
        {L"Booklet Printing", 64, L"Booklet Printing"},
        {L"Copies(&C)", 64, L"Copies"},
        {L"Setting(&S)...", 64, L"Setting"},
        {L"Fit to &Paper Size", 64, L"Fit to Paper Size"},
        {L"Print...", 64, L"Print..."},
        {L"(&C)", 64, L""},
        {L"Copies (C)", 64, L"Copies (C)"},
        {L"A&b(&X)", 64, L"Ab"},
        {L"&Copies", 4, L"Cop"},
        {L"", 8, L""},
    };
    for (const auto& c : cases) {
        WCHAR title[64];
        TitleFromLabel(c.label, title, c.capacity);
        EXPECT_STREQ(title, c.title) << c.label;
    }
}

TEST(BasicRules, LayoutGridsAndTheirSheets)
{
    const struct {
        SHORT pages;
        bool landscape;
        int columns;
        int rows;
        bool wide;
    } cases[] = {
        {1, false, 1, 1, false}, {1, true, 1, 1, true},   {-4, false, 1, 1, false},
        {2, false, 2, 1, true},  {2, true, 1, 2, false},  {4, false, 2, 2, false},
        {4, true, 2, 2, true},   {6, false, 3, 2, true},  {6, true, 2, 3, false},
        {9, false, 3, 3, false}, {16, true, 4, 4, true},
    };
    for (const auto& c : cases) {
        const SheetLayout layout = LayoutOfSheet(c.pages, c.landscape);
        EXPECT_EQ(layout.columns, c.columns) << c.pages << c.landscape;
        EXPECT_EQ(layout.rows, c.rows) << c.pages << c.landscape;
        EXPECT_EQ(layout.wideSheet, c.wide) << c.pages << c.landscape;
    }
}

TEST(BasicRules, PageOrderPlacesPages)
{
    const SheetLayout twoByTwo = {2, 2, false};
    const SheetLayout sideBySide = {2, 1, true};
    const SheetLayout stacked = {1, 2, false};
    const struct {
        const char* name;
        SheetLayout layout;
        BYTE order;
        int index;
        LONG x;
        LONG y;
    } cases[] = {
        {"right then down, 2nd", twoByTwo, 0, 1, 1, 0},
        {"right then down, 3rd", twoByTwo, 0, 2, 0, 1},
        {"down then right, 2nd", twoByTwo, 1, 1, 0, 1},
        {"left then down, 1st", twoByTwo, 2, 0, 1, 0},
        {"down then left, 2nd", twoByTwo, 3, 1, 1, 1},
        {"portrait two, left to right", sideBySide, 0, 0, 0, 0},
        {"portrait two, right to left", sideBySide, 2, 0, 1, 0},
        {"landscape two, top down", stacked, 0, 1, 0, 1},
        {"landscape two, bottom up", stacked, 4, 0, 0, 1},
    };
    for (const auto& c : cases) {
        const POINT cell = CellOfPage(c.layout, c.order, c.index);
        EXPECT_EQ(cell.x, c.x) << c.name;
        EXPECT_EQ(cell.y, c.y) << c.name;
    }
    // Every order puts every page of every layout in a cell of its own.
    for (SHORT pages : {1, 2, 4, 6, 9, 16}) {
        for (bool landscape : {false, true}) {
            const SheetLayout layout = LayoutOfSheet(pages, landscape);
            for (BYTE order = 0; order < 8; ++order) {
                std::set<std::pair<LONG, LONG>> cells;
                for (int i = 0; i < pages; ++i) {
                    const POINT cell = CellOfPage(layout, order, i);
                    EXPECT_TRUE(cell.x >= 0 && cell.x < layout.columns && cell.y >= 0 && cell.y < layout.rows);
                    cells.insert({cell.x, cell.y});
                }
                EXPECT_EQ(cells.size(), size_t(pages)) << pages << " order " << int(order);
            }
        }
    }
}

TEST(BasicRules, SheetSitsCentredInTheBoxWithItsProportions)
{
    const RECT boxes[] = {{0, 0, 174, 78}, {10, 20, 60, 200}, {0, 0, 100, 100}};
    for (const RECT& box : boxes) {
        for (bool wide : {false, true}) {
            const RECT sheet = SheetRectIn(box, wide);
            const LONG width = sheet.right - sheet.left;
            const LONG height = sheet.bottom - sheet.top;
            EXPECT_GE(sheet.left, box.left);
            EXPECT_GE(sheet.top, box.top);
            EXPECT_LE(sheet.right, box.right);
            EXPECT_LE(sheet.bottom, box.bottom);
            EXPECT_EQ(width > height, wide) << box.right << "x" << box.bottom;
            EXPECT_LE(std::abs((sheet.left - box.left) - (box.right - sheet.right)), 1);
        }
    }
}

TEST(BasicRules, LayoutStateSurvivesItsWindowWord)
{
    const LayoutPreviewState states[] = {{1, 0, 1, false}, {16, 7, 2, true}, {2, 4, 0, true}, {25, 3, 1, false}};
    for (const LayoutPreviewState& state : states) {
        const LayoutPreviewState back = UnpackLayoutState(PackLayoutState(state));
        EXPECT_EQ(back.pagesPerSheet, state.pagesPerSheet);
        EXPECT_EQ(back.pageOrder, state.pageOrder);
        EXPECT_EQ(back.borderLine, state.borderLine);
        EXPECT_EQ(back.landscape, state.landscape);
    }
}

} // namespace
