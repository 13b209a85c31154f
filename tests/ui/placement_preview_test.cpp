// Where the modal dialogs open, and how the owner-drawn previews are drawn.
#include "ui/dialog_placement.h"
#include "ui/preview_drawing.h"

#include "support/test_paths.h"
#include "ui/test_windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DialogPlacement, CentresAcrossTwoFifthsDownAndStaysOnTheScreen)
{
    const RECT screen = {0, 0, 1024, 768};
    struct Case {
        RECT anchor;
        SIZE dialog;
        POINT expected;
    };
    const Case cases[] = {
        {{100, 100, 700, 500}, {200, 100}, {300, 220}},
        {{0, 0, 1024, 768}, {400, 300}, {312, 187}},
        // Anchors reaching over an edge: pulled back inside.
        {{900, 100, 1300, 500}, {200, 100}, {824, 220}},
        {{-300, -200, 100, 100}, {200, 100}, {0, 0}},
        {{100, 600, 500, 900}, {200, 200}, {200, 568}},
        // A dialog larger than its anchor goes up and to the left of it.
        {{300, 300, 400, 350}, {200, 150}, {250, 260}},
        // Larger than the screen: its top-left corner stays visible.
        {{0, 0, 1024, 768}, {1200, 900}, {0, 0}},
    };
    for (const Case& c : cases) {
        const POINT corner = PlaceDialogRect(c.anchor, c.dialog, screen);
        EXPECT_EQ(corner.x, c.expected.x) << c.anchor.left << "," << c.anchor.top;
        EXPECT_EQ(corner.y, c.expected.y) << c.anchor.left << "," << c.anchor.top;
    }
}

struct WindowChain {
    std::vector<HWND> windows;   // outermost first
    ~WindowChain()
    {
        if (!windows.empty())
            DestroyWindow(windows.front());
    }
    // A top-level window of the given size with children nested depth deep.
    WindowChain(int depth, SIZE top, SIZE inner)
    {
        HWND outer = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, top.cx, top.cy, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(outer);
        for (int i = 0; outer && i < depth; ++i) {
            outer = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, inner.cx, inner.cy, outer,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
            windows.push_back(outer);
        }
    }
};

TEST(DialogPlacement, AnchorIsTheLargestAncestorWithinReach)
{
    struct Case {
        int depth;            // children below the top-level window
        bool topIsAnchor;     // else: the dialog's own parent
    };
    // The dialog is the innermost window; its ancestors are the rest.
    const Case cases[] = {{1, true}, {5, true}, {31, true}, {32, false}, {40, false}};
    for (const Case& c : cases) {
        WindowChain chain(c.depth, {800, 600}, {300, 200});
        ASSERT_EQ(chain.windows.size(), static_cast<size_t>(c.depth + 1));
        ASSERT_NE(chain.windows.back(), nullptr);
        HWND dialog = chain.windows.back();
        HWND expected = c.topIsAnchor ? chain.windows.front() : GetParent(dialog);
        EXPECT_EQ(PlacementAnchor(dialog), expected) << c.depth;
    }
    WindowChain alone(0, {300, 200}, {0, 0});
    EXPECT_EQ(PlacementAnchor(alone.windows.front()), nullptr);
}

TEST(DialogPlacement, DialogMovesOverItsOwner)
{
    HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 100, 50, 600, 500, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr) << "the tests need a display";
    HWND dialog = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 200, 100, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    PlaceDialog(dialog);
    RECT placed;
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.left, 300);
    EXPECT_EQ(placed.top, 50 + (500 - 100) * 2 / 5);
    EXPECT_EQ(placed.right - placed.left, 200);
    DestroyWindow(dialog);
    DestroyWindow(owner);
}

TEST(PreviewMetrics, ComeFromTheModelModuleWhenItHasThem)
{
    const std::wstring bin = TestBinDirectory();
    HMODULE model = LoadLibraryExW((bin + L"\\KVUIMODL.DLL").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
    HMODULE language = LoadLibraryExW((bin + L"\\KVUILANG.DLL").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(model, nullptr);
    ASSERT_NE(language, nullptr);
    SIZE size = {-1, -1};
    EXPECT_TRUE(ReadPreviewMetrics(model, &size));
    EXPECT_EQ(size.cx, 175);
    EXPECT_EQ(size.cy, 122);
    SIZE untouched = {-1, -1};
    EXPECT_FALSE(ReadPreviewMetrics(language, &untouched));
    EXPECT_FALSE(ReadPreviewMetrics(nullptr, &untouched));
    EXPECT_EQ(untouched.cx, -1);
    EXPECT_EQ(LoadPreviewPicture(model, 9999), nullptr);
    FreeLibrary(language);
    FreeLibrary(model);
}

TEST(PreviewDrawing, PictureIsCentredAndKeptInsideTheItem)
{
    const COLORREF kPicture = RGB(10, 20, 200);
    const COLORREF kFace = GetSysColor(COLOR_BTNFACE);
    struct Case {
        const SIZE* size;
        RECT inked;       // where the picture lands in the 40x30 item
    };
    const SIZE small = {10, 6};
    const SIZE huge = {400, 300};
    const Case cases[] = {
        {nullptr, {18, 13, 22, 17}},   // its own 4x4 pixels
        {&small, {15, 12, 25, 18}},
        {&huge, {0, 0, 40, 30}},
    };
    PaintTarget pictureTarget(4, 4);
    HBITMAP picture = CreateCompatibleBitmap(pictureTarget.dc(), 4, 4);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, picture);
        HBRUSH brush = CreateSolidBrush(kPicture);
        RECT all = {0, 0, 4, 4};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    for (const Case& c : cases) {
        PaintTarget target(40, 30);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.hDC = target.dc();
        item.rcItem = {0, 0, 40, 30};
        DrawPreviewItem(&item, picture, c.size);
        const int area = (c.inked.right - c.inked.left) * (c.inked.bottom - c.inked.top);
        EXPECT_EQ(target.Count(c.inked, kPicture), area);
        EXPECT_EQ(target.Count({0, 0, 40, 30}, kPicture), area);
    }
    // Without a picture the item is the button face.
    PaintTarget target(40, 30);
    DRAWITEMSTRUCT item = {};
    item.hDC = target.dc();
    item.rcItem = {0, 0, 40, 30};
    DrawPreviewItem(&item, nullptr, nullptr);
    EXPECT_EQ(target.Count({0, 0, 40, 30}, kFace), 40 * 30);
    DeleteObject(picture);
}

} // namespace
