// The installed help file as a user reaches it from the sheet: the Help
// button opens the page's topic in the file's own help window, and
// cancelling the sheet closes that window again. The help window's caption
// comes from the window type the help file defines for the pages, so a
// help file without it, or no help file at all, fails here.
#include "support/sheet_script.h"

#include <prsht.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const WCHAR kHelpWindowCaption[] = L"Zentari TX-3390N series Help";

// The platform's HTML Help, loaded by its full path before the sheet asks
// for it by name: a recording stand-in of it may lie beside the program,
// where a load by name would find it first.
class PlatformHelp : public PropertySheets {
protected:
    void SetUp() override
    {
        PropertySheets::SetUp();
        WCHAR system[MAX_PATH];
        ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
        htmlHelp_ = LoadLibraryW((std::wstring(system) + L"\\hhctrl.ocx").c_str());
        ASSERT_NE(htmlHelp_, nullptr);
    }
    void TearDown() override
    {
        if (htmlHelp_)
            FreeLibrary(htmlHelp_);
        PropertySheets::TearDown();
    }

    HMODULE htmlHelp_ = nullptr;
};

TEST_F(PlatformHelp, HelpButtonOpensTheHelpFileAndCancelClosesIt)
{
    HWND help = nullptr;
    BOOL shown = FALSE;
    host_.Script({[](HWND sheet) { Press(sheet, PSBTN_HELP); },
                  [&](HWND sheet) {
                      help = FindWindowW(nullptr, kHelpWindowCaption);
                      shown = help && IsWindowVisible(help);
                      Press(sheet, PSBTN_CANCEL);
                  }});
    Preferences(kPrompt);
    ASSERT_NE(help, nullptr) << "no help window titled from the help file";
    EXPECT_TRUE(shown);
    EXPECT_FALSE(IsWindow(help)) << "the help window outlived the sheet";
}

} // namespace
