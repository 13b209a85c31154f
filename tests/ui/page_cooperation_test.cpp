// The Basic and Advanced pages keep each other consistent: a choice on one
// shows on the other at once, and the result carries both.
#include "settings/devmode_bits.h"
#include "support/sheet_script.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

namespace {

const WORD kBasicTemplate = 145;
const WORD kAdvancedTemplate = 146;
const int kMultiPage = 172;
const int kOtherPages = 189;
const int kDuplexCategory = 195;
const int kDuplex = 261;
const int kBooklet = 284;

SheetStep Click(int id)
{
    return [id](HWND sheet) { SendDlgItemMessageW(CurrentPage(sheet), id, BM_CLICK, 0, 0); };
}

SheetStep ChooseData(int id, LRESULT data)
{
    return [id, data](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND combo = GetDlgItem(page, id);
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == data)
                SendMessageW(combo, CB_SETCURSEL, i, 0);
        }
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}

LRESULT SelectedData(HWND page, int id)
{
    HWND combo = GetDlgItem(page, id);
    return SendMessageW(combo, CB_GETITEMDATA, SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
}

using PageCooperation = PropertySheets;

TEST_F(PageCooperation, BookletOnTheAdvancedPageSetsTheBasicPagesLayout)
{
    LRESULT multiPage = -1;
    BOOL multiPageEnabled = -1, otherPagesEnabled = -1;
    host_.Script({host_.ShowPage(kAdvancedTemplate), Click(kDuplexCategory), Click(kDuplex), Click(kBooklet),
                  host_.ShowPage(kBasicTemplate),
                  [&](HWND sheet) {
                      HWND page = CurrentPage(sheet);
                      multiPage = SelectedData(page, kMultiPage);
                      multiPageEnabled = IsWindowEnabled(GetDlgItem(page, kMultiPage));
                      otherPagesEnabled = IsWindowEnabled(GetDlgItem(page, kOtherPages));
                      Press(sheet, PSBTN_OK);
                  }});
    ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDOK);

    EXPECT_EQ(multiPage, 2);
    EXPECT_FALSE(multiPageEnabled);
    EXPECT_FALSE(otherPagesEnabled);
    EXPECT_TRUE(out_.priv.booklet & kBookletOn);
    EXPECT_EQ(out_.priv.multiPage, 2);
    EXPECT_EQ(out_.priv.anotherTray, DMBIN_AUTO);
}

TEST_F(PageCooperation, LeavingTwoUpOnTheBasicPageEndsTheAdvancedPagesBooklet)
{
    for (const int answer : {IDCANCEL, IDOK}) {
        std::wstring title;
        UINT bookletState = 99;
        host_.Script({host_.ShowPage(kAdvancedTemplate), Click(kDuplexCategory), Click(kDuplex), Click(kBooklet),
                      host_.ShowPage(kBasicTemplate), ChooseData(kMultiPage, 4),
                      [&, answer](HWND sheet) {
                          HWND box = GetLastActivePopup(sheet);
                          WCHAR text[64] = {};
                          GetWindowTextW(box, text, ARRAYSIZE(text));
                          title = text;
                          PostMessageW(box, WM_COMMAND, answer, 0);
                      },
                      host_.ShowPage(kAdvancedTemplate),
                      [&](HWND sheet) {
                          bookletState = IsDlgButtonChecked(CurrentPage(sheet), kBooklet);
                          Press(sheet, PSBTN_OK);
                      }});
        ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDOK);

        EXPECT_EQ(title, L"Booklet Printing");
        const bool kept = answer == IDCANCEL;
        EXPECT_EQ(bookletState, kept ? UINT(BST_CHECKED) : UINT(BST_UNCHECKED)) << answer;
        EXPECT_EQ(bool(out_.priv.booklet & kBookletOn), kept) << answer;
        EXPECT_EQ(out_.priv.multiPage, kept ? 2 : 4) << answer;
    }
}

} // namespace
