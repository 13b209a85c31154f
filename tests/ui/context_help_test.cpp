// Help as a user asks for it on a shown sheet: the page's Help, F1 over a
// control and the control's context menu, each opening its topic of the
// driver's help file in the ">sub" window, and the sheet's end closing
// what was opened. HTML Help is the recording stand-in beside the program.
#include "core/ui_session.h"
#include "support/help_standin.h"
#include "support/sheet_script.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "ui/basic_page.h"
#include "ui/context_help.h"
#include "ui/sheet_session.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kSupportLinkButton = 491;
const int kCheckSettingButton = 494;

// The help file the sessions name: the driver's, or the spooler's fallback
// beside the drivers. It is made when the package brings none, so that
// the topics can be shown.
std::wstring SessionHelpFile(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
    std::vector<BYTE> data(needed);
    if (needed && GetPrinterDriverW(printer, nullptr, 3, data.data(), needed, &needed)) {
        const auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(data.data());
        if (driver->pHelpFile && driver->pHelpFile[0])
            return driver->pHelpFile;
    }
    WCHAR directory[MAX_PATH] = {};
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory),
                               sizeof(directory), &needed);
    return std::wstring(directory) + L"\\pscript.hlp";
}

class ContextHelp : public PropertySheets {
protected:
    void SetUp() override
    {
        PropertySheets::SetUp();
        ASSERT_TRUE(help_.Loaded()) << "the HTML Help stand-in is missing beside the test program";
        helpFile_ = SessionHelpFile(printer_);
        if (GetFileAttributesW(helpFile_.c_str()) == INVALID_FILE_ATTRIBUTES) {
            HANDLE file = CreateFileW(helpFile_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            CloseHandle(file);
            madeHelpFile_ = true;
        }
    }
    void TearDown() override
    {
        if (madeHelpFile_)
            DeleteFileW(helpFile_.c_str());
        PropertySheets::TearDown();
    }
    std::wstring TopicPath(const WCHAR* topic) const
    {
        return helpFile_ + L"::/" + topic + L">sub";
    }

    HelpStandIn help_;
    std::wstring helpFile_;
    bool madeHelpFile_ = false;
};

POINT CentreOf(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void AskContextMenu(HWND page, int control, std::initializer_list<WPARAM> keys)
{
    HWND item = GetDlgItem(page, control);
    const POINT at = CentreOf(item);
    PostMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(item), MAKELPARAM(at.x, at.y));
    // The menu's own loop takes the keys that follow in the queue.
    for (WPARAM key : keys)
        PostMessageW(page, WM_KEYDOWN, key, 0);
}

TEST_F(ContextHelp, PageHelpOpensThePageTopicAndCancelClosesIt)
{
    const struct {
        int page;
        const WCHAR* topic;
    } cases[] = {{0, L"html/idx_basic_setup.htm"}, {1, L"html/as_print_quality.htm"}, {2, L"html/idx_web_support.htm"}};
    for (const auto& c : cases) {
        help_.Reset();
        const int index = c.page;
        host_.Script({[index](HWND sheet) {
                          PropSheet_SetCurSel(sheet, nullptr, index);
                          Press(sheet, PSBTN_HELP);
                      },
                      [](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
        ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDCANCEL);

        ASSERT_EQ(help_.Commands(), (std::vector<UINT>{kHhDisplayTopic, kHhCloseAll})) << c.page;
        EXPECT_EQ(help_.Log().calls[0].path, TopicPath(c.topic));
        EXPECT_EQ(help_.Log().windowsOpen, 0);
    }
}

// The Basic page's controls and its preview's help button open their own
// topics.
TEST_F(ContextHelp, BasicPageControlsOpenTheirTopics)
{
    const auto askHelp = [](int control) {
        return [control](HWND sheet) {
            HWND page = CurrentPage(sheet);
            HWND item = GetDlgItem(page, control);
            HELPINFO info = {sizeof(info), HELPINFO_WINDOW, control, item, 0, CentreOf(item)};
            SendMessageW(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        };
    };
    host_.Script({askHelp(kIdPaperSize), askHelp(kIdCopies), askHelp(kIdOtherSource),
                  [](HWND sheet) { PostMessageW(GetDlgItem(CurrentPage(sheet), kIdPreviewHelp), BM_CLICK, 0, 0); },
                  [](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
    ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDCANCEL);

    const WCHAR* topics[] = {L"html/bs_paper_size.htm", L"html/bs_copies.htm", L"html/bs_paper_source.htm#other",
                             L"html/bs_preview.htm"};
    ASSERT_EQ(help_.Log().count, int(ARRAYSIZE(topics)) + 1);
    for (size_t i = 0; i < ARRAYSIZE(topics); ++i)
        EXPECT_EQ(help_.Log().calls[i].path, TopicPath(topics[i])) << i;
    EXPECT_EQ(help_.Log().calls[ARRAYSIZE(topics)].command, kHhCloseAll);
}

TEST_F(ContextHelp, ControlHelpOpensTheControlsTopic)
{
    host_.Script({ShowLastPage,
                  [](HWND sheet) {
                      HWND button = GetDlgItem(CurrentPage(sheet), kCheckSettingButton);
                      HELPINFO info = {sizeof(info), HELPINFO_WINDOW, kCheckSettingButton, button, 0,
                                       CentreOf(button)};
                      SendMessageW(CurrentPage(sheet), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
                  },
                  [](HWND sheet) { AskContextMenu(CurrentPage(sheet), kSupportLinkButton, {VK_DOWN, VK_RETURN}); },
                  [](HWND sheet) { AskContextMenu(CurrentPage(sheet), kSupportLinkButton, {VK_ESCAPE}); },
                  [](HWND sheet) { Press(sheet, PSBTN_OK); }});
    ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDOK);

    // The menu's Help opens the topic; an escaped menu opens nothing. The
    // pages going away with the sheet close what was opened.
    ASSERT_EQ(help_.Commands(), (std::vector<UINT>{kHhDisplayTopic, kHhDisplayTopic, kHhCloseAll}));
    EXPECT_EQ(help_.Log().calls[0].path, TopicPath(L"html/ws_settings.htm"));
    EXPECT_EQ(help_.Log().calls[1].path, TopicPath(L"html/ws_links.htm"));
    EXPECT_EQ(help_.Log().windowsOpen, 0);
}

TEST_F(ContextHelp, NothingOpensWithoutAHelpFileOrATopic)
{
    UiSession* session = OpenUiSession(printer_, nullptr);
    ASSERT_TRUE(IsUiSession(session));
    EXPECT_FALSE(ShowHelpTopic(session, nullptr, kHelpBasicPageNoTrays));
    EXPECT_FALSE(ShowHelpTopic(session, nullptr, 0));
    WCHAR missing[] = L"C:\\no such folder\\KVUIDRV.CHM";
    WCHAR* named = session->helpFile;
    session->helpFile = missing;
    EXPECT_FALSE(ShowHelpTopic(session, nullptr, kHelpSupport));
    session->helpFile = named;
    EXPECT_EQ(help_.Log().count, 0);

    // Closing without an open window asks nothing of HTML Help.
    CloseHelpWindows(session);
    EXPECT_EQ(help_.Log().count, 0);
    EXPECT_TRUE(ShowHelpTopic(session, nullptr, kHelpSupport));
    CloseHelpWindows(session);
    EXPECT_EQ(help_.Commands(), (std::vector<UINT>{kHhDisplayTopic, kHhCloseAll}));
    EXPECT_EQ(SheetOf(session)->helpWindow, nullptr);
    CloseUiSession(session);
}

TEST(HelpTopics, EveryContextButTheTraylessPageHasADistinctTopic)
{
    const DWORD contexts[] = {
        kHelpBasicPage, kHelpBasicPaperSize, kHelpBasicPaperSizeNoTrays, kHelpBasicMultiplePage,
        kHelpBasicPageOrder, kHelpBasicBorderLine, kHelpBasicOrientation, kHelpBasicCopies,
        kHelpBasicCollate, kHelpBasicMediaType, kHelpBasicFirstPage, kHelpBasicOtherPages,
        kHelpBasicPreview, kHelpUserDefinedSize, kHelpDefaultButton, kHelpAboutButton,
        kHelpPageSetting, kHelpScaling, kHelpMirrorReverse, kHelpFitToPaperSize, kHelpPrintQuality,
        kHelpResolution, kHelpTonerSave, kHelpPrintSetting, kHelpManualSetting, kHelpDuplex,
        kHelpBooklet, kHelpDuplexType, kHelpBindingOffset, kHelpWatermark, kHelpWatermarkList,
        kHelpWatermarkPages, kHelpWatermarkEditor, kHelpDeviceOptions, kHelpJobSpooling,
        kHelpQuickPrintSetup, kHelpSleepTime, kHelpStatusMonitor, kHelpMacro, kHelpPageProtection,
        kHelpHeaderFooter, kHelpDensity, kHelpHrc, kHelpErrorPrintout, kHelpImproveOutput,
        kHelpXpsSetting, kHelpMacroSetting, kHelpHeaderFooterSetting, kHelpQuickSetupItems,
        kHelpDestination, kHelpTraySettings, kHelpTrayPaperSource, kHelpTrayAutoDetect,
        kHelpTrayMemory, kHelpTraySerialNumber, kHelpSupport, kHelpSupportLinks,
        kHelpSupportSummary,
    };
    std::vector<std::wstring> seen;
    for (DWORD context : contexts) {
        const WCHAR* topic = HelpTopicOf(context);
        ASSERT_NE(topic, nullptr) << context;
        EXPECT_EQ(std::wstring(topic).rfind(L"html/", 0), 0u) << context;
        for (const std::wstring& other : seen)
            EXPECT_NE(other, topic) << context;
        seen.push_back(topic);
    }
    EXPECT_EQ(HelpTopicOf(kHelpBasicPageNoTrays), nullptr);
    EXPECT_STREQ(HelpTopicOf(kHelpResolution), L"html/as_print_quality.htm#resolution");
}

} // namespace
