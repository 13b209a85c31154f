// The spin and hint-line controls on real windows: created from their
// window text as a dialog template creates them, driven by the messages the
// pages send and the mouse input a user produces, observed through what
// the parent is told and what the controls paint.
#include "ui/controls.h"

#include "support/process_usage.h"
#include "ui/control_record.h"
#include "ui/test_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int kSpinId = 547;
const int kSpinWidth = 16;
const int kSpinHeight = 24;

const DWORD kVertical = kControlVertical | kControlNumbersInText;
const DWORD kHorizontal = kControlHorizontal | kControlNumbersInText;

struct Range {
    SHORT lower;
    SHORT upper;
    SHORT position;
};

class SpinControl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(parent_.window(), nullptr) << "the tests need a display"; }

    HWND Spin(const WCHAR* text, DWORD style = kVertical)
    {
        HWND spin = parent_.CreateChild(L"TX3300UD_1", text, style, kSpinId, kSpinWidth, kSpinHeight);
        EXPECT_NE(spin, nullptr);
        return spin;
    }
    static Range RangeOf(HWND spin)
    {
        const LRESULT range = SendMessageW(spin, kSpinGetRange, 0, 0);
        return {static_cast<SHORT>(LOWORD(range)), static_cast<SHORT>(HIWORD(range)),
                static_cast<SHORT>(SendMessageW(spin, kSpinGetPosition, 0, 0))};
    }
    // A click as the user makes it: press and release over one half.
    static void Click(HWND spin, bool upperHalf, DWORD style)
    {
        const bool vertical = style & kControlVertical;
        const int x = vertical ? kSpinWidth / 2 : (upperHalf ? kSpinWidth - 2 : 1);
        const int y = vertical ? (upperHalf ? 1 : kSpinHeight - 2) : kSpinHeight / 2;
        SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    const std::vector<RecordedMessage>& Told() const { return parent_.messages(); }

    RecordingParent parent_;
};

void ExpectRange(HWND spin, const Range& expected, const char* what)
{
    const LRESULT range = SendMessageW(spin, kSpinGetRange, 0, 0);
    EXPECT_EQ(static_cast<SHORT>(LOWORD(range)), expected.lower) << what;
    EXPECT_EQ(static_cast<SHORT>(HIWORD(range)), expected.upper) << what;
    EXPECT_EQ(static_cast<SHORT>(SendMessageW(spin, kSpinGetPosition, 0, 0)), expected.position)
        << what;
}

TEST_F(SpinControl, TakesItsRangeFromTheCreationText)
{
    struct Case {
        const WCHAR* text;
        DWORD style;
        Range expected;
    };
    const Case cases[] = {
        {L"1,999,1", kVertical, {1, 999, 1}},
        {L"0,200,100", kVertical, {0, 200, 100}},
        {L"25,400,100", kHorizontal, {25, 400, 100}},
        {L" 3 , 7 ,4", kVertical, {3, 7, 4}},
        {L"-360,360,-360", kVertical, {-360, 360, -360}},
        // A position outside the range starts in the middle.
        {L"10,20,30", kVertical, {10, 20, 15}},
        {L"-5,2,9", kVertical, {-5, 2, -1}},
        // Unreadable ranges fall back to 0..9 at 5.
        {L"", kVertical, {0, 9, 5}},
        {L"abc", kVertical, {0, 9, 5}},
        {L"1,999", kVertical, {0, 9, 5}},
        {L"1,999,x", kVertical, {0, 9, 5}},
        {L"5,5,5", kVertical, {0, 9, 5}},
        {L"9,1,5", kVertical, {0, 9, 5}},
        {L"1,40000,2", kVertical, {0, 9, 5}},
        // Without the style bit the text is not a range.
        {L"1,999,1", kControlVertical, {0, 9, 5}},
    };
    for (const Case& c : cases) {
        HWND spin = Spin(c.text, c.style);
        ExpectRange(spin, c.expected, std::string(c.text, c.text + wcslen(c.text)).c_str());
        DestroyWindow(spin);
    }
}

TEST_F(SpinControl, RangeMessagesWarnTheParentAndKeepThePositionInside)
{
    struct Case {
        const WCHAR* text;
        SHORT lower, upper;
        LRESULT result;
        Range expected;
        bool announced;     // the midpoint is announced
    };
    const Case cases[] = {
        {L"0,360,0", -360, 360, 0, {-360, 360, 0}, false},
        {L"0,10,8", 0, 4, 0, {0, 4, 2}, true},
        {L"0,10,8", -9, -3, 0, {-9, -3, -6}, true},
        {L"0,10,8", 4, 4, -1, {0, 10, 8}, false},
        {L"0,10,8", 5, 1, -1, {0, 10, 8}, false},
    };
    for (const Case& c : cases) {
        HWND spin = Spin(c.text);
        parent_.Clear();
        EXPECT_EQ(SendMessageW(spin, kSpinSetRange, 0, MAKELPARAM(c.lower, c.upper)), c.result);
        ExpectRange(spin, c.expected, "after the range message");

        std::vector<RecordedMessage> expected;
        if (c.result == 0)
            expected.push_back({WM_COMMAND, MAKEWPARAM(kSpinId, kSpinRangeChanging),
                                reinterpret_cast<LPARAM>(spin)});
        if (c.announced)
            expected.push_back({WM_VSCROLL, SB_THUMBTRACK, c.expected.position});
        ASSERT_EQ(Told().size(), expected.size()) << c.lower << ".." << c.upper;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(Told()[i].message, expected[i].message);
            EXPECT_EQ(Told()[i].wParam, expected[i].wParam);
            EXPECT_EQ(Told()[i].lParam, expected[i].lParam);
        }
        DestroyWindow(spin);
    }
}

TEST_F(SpinControl, PositionMessagesAreRefusedOutsideTheRange)
{
    struct Case {
        INT_PTR position;
        LRESULT result;
        SHORT after;
    };
    // Range -10..10, starting at 3.
    const Case cases[] = {
        {7, 3, 7}, {-10, 3, -10}, {10, 3, 10}, {11, -1, 3}, {-11, -1, 3}, {70000, -1, 3},
    };
    for (const Case& c : cases) {
        HWND spin = Spin(L"-10,10,3", kHorizontal);
        parent_.Clear();
        EXPECT_EQ(SendMessageW(spin, kSpinSetPosition, static_cast<WPARAM>(c.position), 0), c.result)
            << c.position;
        EXPECT_EQ(SendMessageW(spin, kSpinGetPosition, 0, 0), c.after);
        if (c.result == -1) {
            EXPECT_TRUE(Told().empty()) << c.position;
        } else {
            ASSERT_EQ(Told().size(), 1u);
            EXPECT_EQ(Told()[0].message, static_cast<UINT>(WM_HSCROLL));
            EXPECT_EQ(Told()[0].wParam, static_cast<WPARAM>(SB_THUMBTRACK));
            EXPECT_EQ(Told()[0].lParam, c.after);
        }
        DestroyWindow(spin);
    }
}

TEST_F(SpinControl, ClicksStepAndAnnounceToTheNotifyWindow)
{
    struct Case {
        const WCHAR* text;
        DWORD style;
        bool upperHalf;
        SHORT after;
        bool announced;
    };
    const DWORD silent = kControlSilentAtBound;
    const DWORD reversed = kControlReversed;
    const Case cases[] = {
        {L"0,9,5", kVertical, true, 6, true},
        {L"0,9,5", kVertical, false, 4, true},
        {L"0,9,5", kHorizontal, true, 6, true},
        {L"0,9,5", kHorizontal, false, 4, true},
        {L"0,9,5", kVertical | reversed, true, 4, true},
        {L"0,9,5", kVertical | reversed, false, 6, true},
        // At a bound the position stays; it is still announced unless silent.
        {L"0,9,9", kVertical, true, 9, true},
        {L"0,9,0", kVertical, false, 0, true},
        {L"0,9,9", kVertical | silent, true, 9, false},
        {L"0,9,0", kHorizontal | silent, false, 0, false},
        {L"0,9,8", kVertical | silent, true, 9, true},
        {L"0,9,9", kVertical | silent | reversed, true, 8, true},
    };
    for (const Case& c : cases) {
        HWND spin = Spin(c.text, c.style);
        parent_.Clear();
        Click(spin, c.upperHalf, c.style);
        EXPECT_EQ(SendMessageW(spin, kSpinGetPosition, 0, 0), c.after);
        ASSERT_EQ(Told().size(), c.announced ? 1u : 0u);
        if (c.announced) {
            const UINT scroll = (c.style & kControlVertical) ? WM_VSCROLL : WM_HSCROLL;
            EXPECT_EQ(Told()[0].message, scroll);
            EXPECT_EQ(Told()[0].wParam, MAKEWPARAM(c.upperHalf ? 1 : 0, c.after));
            EXPECT_EQ(Told()[0].lParam, reinterpret_cast<LPARAM>(spin));
        }
        DestroyWindow(spin);
    }
}

TEST_F(SpinControl, StyleSwitchesReportTheirFormerState)
{
    HWND spin = Spin(L"0,9,9", kVertical | kControlSilentAtBound);
    struct Step {
        UINT message;
        WPARAM wParam;
        LRESULT result;
    };
    const Step steps[] = {
        {kSpinGetSilent, 0, 1},   {kSpinSetSilent, 0, 1},   {kSpinGetSilent, 0, 0},
        {kSpinSetSilent, 0, 0},   {kSpinSetSilent, 7, 0},   {kSpinGetSilent, 0, 1},
        {kSpinGetReversed, 0, 0}, {kSpinSetReversed, 1, 0}, {kSpinSetReversed, 1, 1},
        {kSpinGetReversed, 0, 1}, {kSpinSetReversed, 0, 1}, {kSpinGetReversed, 0, 0},
    };
    for (const Step& s : steps)
        EXPECT_EQ(SendMessageW(spin, s.message, s.wParam, 0), s.result) << s.message;

    // The switches take effect: silent at the top bound, then reversed.
    parent_.Clear();
    Click(spin, true, kVertical);
    EXPECT_TRUE(Told().empty());
    SendMessageW(spin, kSpinSetReversed, 1, 0);
    Click(spin, true, kVertical);
    EXPECT_EQ(SendMessageW(spin, kSpinGetPosition, 0, 0), 8);
}

TEST_F(SpinControl, NotifyWindowCanBeMovedOnlyToAWindow)
{
    HWND spin = Spin(L"0,9,5");
    RecordingParent other;
    ASSERT_NE(other.window(), nullptr);
    EXPECT_EQ(SendMessageW(spin, kSpinGetNotify, 0, 0), reinterpret_cast<LRESULT>(parent_.window()));
    EXPECT_EQ(SendMessageW(spin, kSpinSetNotify, reinterpret_cast<WPARAM>(spin) + 4000, 0), -1);
    EXPECT_EQ(SendMessageW(spin, kSpinGetNotify, 0, 0), reinterpret_cast<LRESULT>(parent_.window()));
    EXPECT_EQ(SendMessageW(spin, kSpinSetNotify, reinterpret_cast<WPARAM>(other.window()), 0),
              reinterpret_cast<LRESULT>(parent_.window()));

    parent_.Clear();
    Click(spin, true, kVertical);
    SendMessageW(spin, kSpinSetPosition, 2, 0);
    EXPECT_TRUE(Told().empty());
    ASSERT_EQ(other.messages().size(), 2u);
    EXPECT_EQ(other.messages()[0].wParam, MAKEWPARAM(1, 6));
    EXPECT_EQ(other.messages()[1].lParam, 2);
    // The range warning still goes to the parent.
    SendMessageW(spin, kSpinSetRange, 0, MAKELPARAM(0, 5));
    ASSERT_EQ(Told().size(), 1u);
    EXPECT_EQ(Told()[0].message, static_cast<UINT>(WM_COMMAND));
}

// Holding the button repeats after 400 ms, then every 50 ms; letting go or
// losing the capture stops it.
TEST_F(SpinControl, HeldButtonRepeatsUntilReleased)
{
    struct Case {
        const char* how;
        void (*release)(HWND spin);
    };
    const Case cases[] = {
        {"button up", [](HWND spin) { SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(8, 1)); }},
        {"capture lost", [](HWND) { ReleaseCapture(); }},
    };
    for (const Case& c : cases) {
        HWND spin = Spin(L"0,1000,0");
        SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 1));
        EXPECT_EQ(SendMessageW(spin, kSpinGetPosition, 0, 0), 1) << c.how;
        PumpMessages(200);
        EXPECT_EQ(SendMessageW(spin, kSpinGetPosition, 0, 0), 1) << c.how << ": repeated too soon";
        PumpMessages(600);
        const LRESULT held = SendMessageW(spin, kSpinGetPosition, 0, 0);
        EXPECT_GE(held, 4) << c.how;
        c.release(spin);
        const LRESULT released = SendMessageW(spin, kSpinGetPosition, 0, 0);
        PumpMessages(300);
        EXPECT_EQ(SendMessageW(spin, kSpinGetPosition, 0, 0), released) << c.how;
        DestroyWindow(spin);
    }
}

TEST_F(SpinControl, WindowsFreeTheirRecords)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [this] {
            DestroyWindow(Spin(L"0,9,5"));
            DestroyWindow(parent_.CreateChild(L"TX3300UD_3", L"2", kControlNumbersInText, 515, 200, 20));
        },
        20, 50);
    EXPECT_LT(growth.heapBlocks, 50);
    EXPECT_LT(growth.handles, 50);
}

class HintLine : public ::testing::Test {
protected:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 24;
    static constexpr COLORREF kFace = RGB(0, 200, 0);
    static constexpr COLORREF kText = RGB(0, 0, 0);
    static constexpr COLORREF kLight = RGB(255, 255, 255);
    static constexpr COLORREF kDark = RGB(0, 0, 160);
    static constexpr COLORREF kBackground = RGB(200, 0, 0);

    void SetUp() override { ASSERT_NE(parent_.window(), nullptr) << "the tests need a display"; }

    HWND Line(DWORD style, const WCHAR* text = L"2")
    {
        HWND line = parent_.CreateChild(L"TX3300UD_3", text, style, 515, kWidth, kHeight);
        EXPECT_NE(line, nullptr);
        const COLORREF colours[] = {kFace, kText, kLight, kDark, kBackground};
        for (int slot = 0; slot < kControlColourSlots; ++slot)
            SendMessageW(line, kControlSetColour, slot, colours[slot]);
        return line;
    }
    static void Paint(HWND line, const PaintTarget& target)
    {
        SendMessageW(line, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.dc()), PRF_CLIENT);
    }

    RecordingParent parent_;
};

TEST_F(HintLine, FrameSitsAtTheInsetOfItsCreationText)
{
    struct Case {
        DWORD style;
        const WCHAR* text;
        int inset;      // -1: no frame
    };
    const Case cases[] = {
        {kControlNumbersInText, L"2", 2},
        {kControlNumbersInText, L"5", 5},
        {kControlNumbersInText, L"0", 0},
        {kControlNumbersInText, L"", 0},
        {0, L"2", -1},
    };
    for (const Case& c : cases) {
        HWND line = Line(c.style, c.text);
        PaintTarget target(kWidth, kHeight);
        Paint(line, target);
        if (c.inset < 0) {
            EXPECT_EQ(target.Pixel(0, 0), kFace);
            EXPECT_EQ(target.Pixel(kWidth - 1, kHeight - 1), kFace);
        } else {
            const int i = c.inset;
            if (i > 0) {
                EXPECT_EQ(target.Pixel(i - 1, i - 1), kBackground) << i;
            }
            EXPECT_EQ(target.Pixel(i, i), kDark) << i;
            EXPECT_EQ(target.Pixel(kWidth / 2, i), kDark) << i;
            EXPECT_EQ(target.Pixel(kWidth - 1 - i, kHeight / 2), kLight) << i;
            EXPECT_EQ(target.Pixel(kWidth / 2, kHeight - 1 - i), kLight) << i;
            EXPECT_EQ(target.Pixel(i + 1, i + 1), kFace) << i;
        }
        // The creation text is not shown: the line starts empty.
        EXPECT_EQ(target.Count({0, 0, kWidth, kHeight}, kText), 0);
        DestroyWindow(line);
    }
}

TEST_F(HintLine, ShowsTheLastTextSet)
{
    HWND line = Line(kControlNumbersInText);
    const RECT inside = {3, 3, kWidth - 3, kHeight - 3};
    struct Step {
        const WCHAR* text;
        bool inked;
    };
    const Step steps[] = {
        {L"Click here and enter the paper width.", true},
        {L"", false},
        {L"W", true},
        {nullptr, false},
    };
    for (const Step& s : steps) {
        SendMessageW(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.text));
        PaintTarget target(kWidth, kHeight);
        Paint(line, target);
        EXPECT_EQ(target.Count(inside, kText) > 0, s.inked) << (s.text ? "text" : "null");
    }
}

TEST_F(HintLine, ColourSlotsAnswerWithTheFormerColour)
{
    HWND line = parent_.CreateChild(L"TX3300UD_3", L"2", kControlNumbersInText, 515, kWidth, kHeight);
    HWND spin = parent_.CreateChild(L"TX3300UD_1", L"0,9,5", kVertical, kSpinId, 16, 24);
    for (HWND control : {line, spin}) {
        for (WPARAM slot = 0; slot < kControlColourSlots; ++slot) {
            EXPECT_EQ(SendMessageW(control, kControlGetColour, slot, 0), kControlDefaultColour);
            EXPECT_EQ(SendMessageW(control, kControlSetColour, slot, RGB(1, 2, slot)),
                      kControlDefaultColour);
            EXPECT_EQ(SendMessageW(control, kControlGetColour, slot, 0), RGB(1, 2, slot));
        }
        EXPECT_EQ(SendMessageW(control, kControlSetColour, 5, RGB(9, 9, 9)), 0);
        EXPECT_EQ(SendMessageW(control, kControlGetColour, 5, 0), 0);
    }
    // Back to the system's colour.
    SendMessageW(line, kControlSetColour, kColourFace, kControlDefaultColour);
    PaintTarget target(kWidth, kHeight);
    Paint(line, target);
    EXPECT_EQ(target.Pixel(kWidth / 2, kHeight / 2), GetSysColor(COLOR_BTNFACE));
}

} // namespace
