// The replacement procedures the dialogs put on standard controls: what
// they take away from the control, that everything else still reaches the
// class, and that the control gets its own procedure back.
#include "ui/controls.h"

#include "settings/devmode_bits.h"
#include "ui/test_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TextOf(HWND window)
{
    WCHAR text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

class Subclassing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(parent_.window(), nullptr) << "the tests need a display"; }
    HWND Edit() const { return parent_.CreateChild(L"Edit", L"", ES_AUTOHSCROLL, 601, 200, 20); }
    RecordingParent parent_;
};

TEST_F(Subclassing, ControlsGetTheirOwnProcedureBack)
{
    struct Case {
        const WCHAR* className;
        const WCHAR* text;
        DWORD style;
        ControlClassSlot slot;
    };
    const Case cases[] = {
        {L"Button", L"Quality", BS_PUSHBUTTON, kSlotButton},
        {L"ComboBox", L"", CBS_DROPDOWN, kSlotComboBox},
        {L"Edit", L"", 0, kSlotEdit},
        {L"ListBox", L"", 0, kSlotListBox},
        {L"ScrollBar", L"", SBS_HORZ, kSlotScrollBar},
        {L"TX3300UD_1", L"0,9,5", 0, kSlotSpin},
    };
    for (const Case& c : cases) {
        HWND control = parent_.CreateChild(c.className, c.text, c.style, 700, 100, 24);
        ASSERT_NE(control, nullptr);
        const auto own = GetWindowLongPtrW(control, GWLP_WNDPROC);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(SubclassControl(control, c.slot)), own);
        EXPECT_EQ(GetWindowLongPtrW(control, GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(g_module.replacementProcs[c.slot]));
        // Messages the replacement does not take still work.
        SetWindowTextW(control, L"7");
        EXPECT_EQ(TextOf(control), L"7");
        EXPECT_TRUE(RestoreControl(control, c.slot));
        EXPECT_EQ(GetWindowLongPtrW(control, GWLP_WNDPROC), own);
        DestroyWindow(control);
    }
    EXPECT_EQ(SubclassControl(nullptr, kSlotEdit), nullptr);
    EXPECT_FALSE(RestoreControl(nullptr, kSlotEdit));
}

// A spooler name may not hold these characters; models that read names as
// bytes take nothing beyond the 8-bit range.
TEST_F(Subclassing, NameEditsRefuseCharactersANameCannotHold)
{
    struct Case {
        WCHAR typed;
        bool narrowTakes;
        bool wideTakes;
    };
    const Case cases[] = {
        {L'a', true, true},     {L'7', true, true},     {L' ', true, true},
        {L'-', true, true},     {L'_', true, true},     {0x00E9, true, true},
        {L'"', false, false},   {L'*', false, false},   {L'+', false, false},
        {L',', false, false},   {L'/', false, false},   {L';', false, false},
        {L'=', false, false},   {L'?', false, false},   {L'\\', false, false},
        {L'|', false, false},   {0x0100, false, true},  {0x4E2D, false, true},
    };
    struct Variant {
        DWORD modelCaps;
        bool wide;
    };
    for (const Variant v : {Variant{0, false}, Variant{kCapsWideJobNames, true}}) {
        HWND edit = Edit();
        ASSERT_NE(SubclassNameEdit(edit, v.modelCaps), nullptr);
        for (const Case& c : cases) {
            SetWindowTextW(edit, L"");
            SendMessageW(edit, WM_CHAR, c.typed, 1);
            const bool taken = TextOf(edit) == std::wstring(1, c.typed);
            EXPECT_EQ(taken, v.wide ? c.wideTakes : c.narrowTakes)
                << "character " << static_cast<unsigned>(c.typed) << (v.wide ? " wide" : " narrow");
        }
        // Editing keys still reach the edit.
        SetWindowTextW(edit, L"ab");
        SendMessageW(edit, EM_SETSEL, 2, 2);
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
        EXPECT_EQ(TextOf(edit), L"a");
        DestroyWindow(edit);
    }
}

TEST_F(Subclassing, NameEditsRefusePasting)
{
    ASSERT_TRUE(OpenClipboard(parent_.window()));
    EmptyClipboard();
    const WCHAR clip[] = L"job;name";
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, sizeof(clip));
    memcpy(GlobalLock(data), clip, sizeof(clip));
    GlobalUnlock(data);
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, data), nullptr);
    CloseClipboard();

    // A plain edit pastes, so the clipboard holds the text...
    HWND plain = Edit();
    SendMessageW(plain, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(plain), clip);
    // ...and the filtered ones, of either variant, refuse it.
    for (DWORD caps : {0u, static_cast<unsigned>(kCapsWideJobNames)}) {
        HWND edit = Edit();
        SubclassNameEdit(edit, caps);
        SetWindowTextW(edit, L"job");
        SendMessageW(edit, WM_PASTE, 0, 0);
        EXPECT_EQ(TextOf(edit), L"job") << caps;
        DestroyWindow(edit);
    }
    DestroyWindow(plain);
}

// Hovering a category button starts the page's highlight timer; a button
// that is not subclassed does not.
TEST_F(Subclassing, HoveredCategoryButtonStartsThePageTimer)
{
    for (bool subclassed : {false, true}) {
        HWND button = parent_.CreateChild(L"Button", L"Quality", BS_PUSHBUTTON, 702, 100, 24);
        if (subclassed)
            SubclassControl(button, kSlotButton);
        parent_.Clear();
        SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        PumpMessages(kCategoryHoverMs + 200);
        bool timer = false;
        for (const RecordedMessage& m : parent_.messages())
            timer = timer || (m.message == WM_TIMER && m.wParam == kCategoryHoverTimer);
        EXPECT_EQ(timer, subclassed);
        DestroyWindow(button);
    }
}

} // namespace
