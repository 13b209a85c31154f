// The property sheets as the host runs them: the reason sequence, the
// pages each sheet adds, OK and Cancel as a user presses them, the
// result record, and the answers to damaged or missing input. The host
// is the stand-in beside the test program, which builds real sheets; the
// scripts act on them with the messages a user's input produces.
#include "platform/driverui.h"

#include "core/module_state.h"
#include "settings/driver_devmode.h"
#include "support/compstui/compstui_standin.h"
#include "support/process_usage.h"
#include "support/sheet_script.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "ui/quick_setup_sync.h"
#include "ui/settings_summary.h"
#include "ui/support_page.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST_F(PropertySheets, OkRunsEveryReasonAndReturnsTheEditedRecord)
{
    in_.pub.dmCopies = 7;
    in_.pub.dmOrientation = DMORIENT_LANDSCAPE;
    host_.Script({[](HWND sheet) { Press(sheet, PSBTN_OK); }});
    ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDOK);

    const StandInRecord& call = host_.Last();
    EXPECT_EQ(Reasons(call), (std::vector<int>{PROPSHEETUI_REASON_INIT, PROPSHEETUI_REASON_GET_INFO_HEADER,
                                               PROPSHEETUI_REASON_SET_RESULT, PROPSHEETUI_REASON_DESTROY}));
    EXPECT_EQ(Answers(call), (std::vector<LONG>{1, 1, 1, 1}));
    EXPECT_TRUE(call.sheetShown);
    EXPECT_EQ(call.headerFlags, DWORD(PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE));
    EXPECT_EQ(call.headerIcon, IDI_CPSUI_PRINTER);
    EXPECT_TRUE(call.headerInstance);
    EXPECT_STREQ(call.headerTitle, kTestQueueName);

    // The Basic, Advanced and Support pages, inserted in tab order, as the host is asked to.
    ASSERT_EQ(call.pageCount, 3);
    const struct {
        WORD templateId;
        const WCHAR* title;
    } expected[] = {{145, L"Basic"}, {146, L"Advanced"}, {kSupportTemplate, L"Support"}};
    for (int i = 0; i < call.pageCount; ++i) {
        const StandInPage& page = call.pages[i];
        EXPECT_EQ(page.function, UINT(CPSFUNC_INSERT_PSUIPAGEW));
        EXPECT_EQ(page.position, i);
        EXPECT_EQ(page.insertSize, 32);
        EXPECT_EQ(page.insertType, PSUIPAGEINSERT_PROPSHEETPAGE);
        EXPECT_EQ(page.insertMode, INSPSUIPAGE_MODE_INDEX);
        EXPECT_EQ(page.pageSize, 104u);
        EXPECT_EQ(page.pageFlags, DWORD(PSP_USETITLE | PSP_HASHELP));
        EXPECT_EQ(page.templateId, expected[i].templateId);
        EXPECT_STREQ(page.title, expected[i].title);
    }

    // The page shown reported OK with its own handle.
    ASSERT_EQ(call.setResultCount, 1);
    EXPECT_EQ(call.setResults[0].page, call.pages[0].handle);
    EXPECT_EQ(call.setResults[0].result, CPSUI_OK);
    EXPECT_EQ(call.destroyParam, 1);

    EXPECT_TRUE(IsDriverDevmode(&out_.pub, sizeof(out_)));
    EXPECT_EQ(out_.pub.dmCopies, 7);
    EXPECT_EQ(out_.pub.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_GE(call.firstPaintMs, 0.0);
}

// The result carries the paper's size in tenths of a millimetre: a form's
// size converted from points the way the stored records always were
// (rounded down, so A4 is 2099 wide), the user-defined size as the session
// holds it (taken from the caller's public fields when merged).
TEST_F(PropertySheets, OkStoresThePaperSizeInTheResult)
{
    const struct {
        short paper;
        short inWidth;
        short inLength;
        short width;
        short length;
    } cases[] = {
        {DMPAPER_LETTER, 1, 1, 2159, 2794},
        {DMPAPER_A4, 1, 1, 2099, 2970},
        {DMPAPER_LEGAL, 1, 1, 2159, 3556},
        {DMPAPER_USER, 1000, 1500, 1000, 1500},
    };
    for (const auto& c : cases) {
        in_.pub.dmFields |= DM_PAPERSIZE;
        in_.pub.dmPaperSize = c.paper;
        in_.pub.dmPaperWidth = c.inWidth;
        in_.pub.dmPaperLength = c.inLength;
        host_.Script({[](HWND sheet) { Press(sheet, PSBTN_OK); }});
        ASSERT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDOK);
        EXPECT_EQ(out_.pub.dmPaperSize, c.paper);
        EXPECT_EQ(out_.pub.dmPaperWidth, c.width) << c.paper;
        EXPECT_EQ(out_.pub.dmPaperLength, c.length) << c.paper;
        if (c.paper == DMPAPER_USER) {
            EXPECT_EQ(out_.priv.customPaperWidth, WORD(c.width));
            EXPECT_EQ(out_.priv.customPaperLength, WORD(c.length));
        }
    }
}

TEST_F(PropertySheets, CancelAndRefusedResultsLeaveTheOutputAlone)
{
    const struct {
        const char* name;
        DWORD mode;
        int button;
        std::vector<int> reasons;
        std::vector<LONG> answers;
    } cases[] = {
        {"cancel", kPrompt, PSBTN_CANCEL,
         {PROPSHEETUI_REASON_INIT, PROPSHEETUI_REASON_GET_INFO_HEADER, PROPSHEETUI_REASON_DESTROY}, {1, 1, 1}},
        // OK without an output request: the sheet refuses the result.
        {"no output", DM_IN_PROMPT, PSBTN_OK,
         {PROPSHEETUI_REASON_INIT, PROPSHEETUI_REASON_GET_INFO_HEADER, PROPSHEETUI_REASON_SET_RESULT,
          PROPSHEETUI_REASON_DESTROY},
         {1, 1, -1, 1}},
    };
    for (const auto& c : cases) {
        memset(&out_, kFill, sizeof(out_));
        const int button = c.button;
        host_.Script({[button](HWND sheet) { Press(sheet, button); }});
        EXPECT_EQ(Preferences(c.mode), IDCANCEL) << c.name;
        EXPECT_EQ(Reasons(host_.Last()), c.reasons) << c.name;
        EXPECT_EQ(Answers(host_.Last()), c.answers) << c.name;
        EXPECT_TRUE(OutUntouched()) << c.name;
    }
}

TEST_F(PropertySheets, SupportPageShowsIdentityAndHonoursPermission)
{
    const struct {
        DWORD mode;
        BOOL suppliesEnabled;
    } cases[] = {{kPrompt, TRUE}, {kPrompt | DM_NOPERMISSION, FALSE}};
    for (const auto& c : cases) {
        std::wstring version, date, model;
        BOOL supplies = -1;
        BITMAP logo = {}, picture = {};
        host_.Script({ShowLastPage, [&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            auto image = [page](int id) {
                return reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(page, id, STM_GETIMAGE, IMAGE_BITMAP, 0));
            };
            GetObjectW(image(kIdLogo), sizeof(logo), &logo);
            GetObjectW(image(kIdModelPicture), sizeof(picture), &picture);
            version = ControlText(page, kIdVersionText);
            date = ControlText(page, kIdBuildDate);
            model = ControlText(page, kIdModelName);
            supplies = IsWindowEnabled(GetDlgItem(page, kIdSuppliesSite));
            Press(sheet, PSBTN_CANCEL);
        }});
        Preferences(c.mode);
        EXPECT_EQ(version, L"Version 1.07");
        EXPECT_EQ(date, L"Apr 3, 2009");
        EXPECT_EQ(model, L"Zentari TX-3390N series");
        EXPECT_EQ(supplies, c.suppliesEnabled) << c.mode;
        // The model module's pictures are shown.
        EXPECT_GT(logo.bmWidth * logo.bmHeight, 0);
        EXPECT_GT(picture.bmWidth * picture.bmHeight, 0);
    }
}

// The web links launch the address through the shell's handler of web
// addresses: the browser's stand-in records what it is asked to open.
class WebAddressHandler {
public:
    explicit WebAddressHandler(const std::wstring& log)
    {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https\\shell\\open\\command", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof(previous_);
        hadPrevious_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(previous_), &size) == ERROR_SUCCESS;
        const std::wstring command =
            L"\"" + TestBinDirectory() + L"\\url_recorder.exe\" \"" + log + L"\" \"%1\"";
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(WCHAR)));
    }
    ~WebAddressHandler()
    {
        if (hadPrevious_)
            RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_),
                           static_cast<DWORD>((wcslen(previous_) + 1) * sizeof(WCHAR)));
        else
            RegDeleteValueW(key_, nullptr);
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    WCHAR previous_[1024] = {};
    bool hadPrevious_ = false;
};

// The lines of a file once it has count of them (launches are
// asynchronous), or what it has after ten seconds.
std::vector<std::wstring> WaitForLines(const std::wstring& path, size_t count)
{
    std::vector<std::wstring> lines;
    for (int tries = 0; tries < 200 && lines.size() < count; ++tries) {
        Sleep(50);
        lines.clear();
        std::wifstream file(path.c_str());
        for (std::wstring line; std::getline(file, line);)
            lines.push_back(line);
    }
    return lines;
}

std::wstring LocaleText(LCTYPE type)
{
    WCHAR text[16] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, ARRAYSIZE(text));
    return text;
}

TEST_F(PropertySheets, WebLinksOpenTheMakersAddresses)
{
    const std::wstring log = CreateScratchDirectory() + L"\\addresses.txt";
    WebAddressHandler handler(log);
    host_.Script({ShowLastPage,
                  [](HWND sheet) { SendDlgItemMessageW(CurrentPage(sheet), kIdSupportSite, BM_CLICK, 0, 0); },
                  [](HWND sheet) { SendDlgItemMessageW(CurrentPage(sheet), kIdSuppliesSite, BM_CLICK, 0, 0); },
                  [](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
    Preferences(kPrompt);

    const std::vector<std::wstring> opened = WaitForLines(log, 2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], L"https://support.zentari.example/cgi-bin/solutions.cgi?MDL=TX3390N&LNG=en&SRC=DRIVER");
    EXPECT_EQ(opened[1], L"https://supplies.zentari.example/genuine/redirect/index.aspx?CTRY=" +
                             LocaleText(LOCALE_SABBREVCTRYNAME) + L"&LANG=" +
                             LocaleText(LOCALE_SABBREVLANGNAME) + L"&MDL=TX3390N");
}

// The settings page goes to the printer as one raw job: a queue whose port
// pipes its jobs into a file shows what the printer receives.
TEST_F(PropertySheets, PrintSettingsSendsTheSettingsPage)
{
    const std::string unixPath = "/tmp/kv-settings-page-" + std::to_string(GetCurrentProcessId()) + ".prn";
    const std::wstring port = L"|cat > " + std::wstring(unixPath.begin(), unixPath.end());
    const std::wstring windowsPath = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    const WCHAR* queue = L"Zentari TX-3390N (Jobs)";
    ASSERT_TRUE(AddTestQueue(queue, L"Zentari TX-3390N series", port.c_str()));
    HANDLE jobs = OpenTestPrinter(queue);
    ASSERT_NE(jobs, nullptr);

    host_.Script({ShowLastPage,
                  [](HWND sheet) { SendDlgItemMessageW(CurrentPage(sheet), kIdPrintSettings, BM_CLICK, 0, 0); },
                  [](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
    // Through the spooler, so that the installed module (and its copy of the
    // page) answers.
    DocumentPropertiesW(nullptr, jobs, const_cast<WCHAR*>(queue), &out_.pub, nullptr, kPrompt);

    std::string printed;
    for (int tries = 0; tries < 200 && printed.size() < 4783; ++tries) {
        Sleep(50);
        std::ifstream file(windowsPath.c_str(), std::ios::binary);
        printed.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    DeleteFileW(windowsPath.c_str());
    DeletePrinter(jobs);
    ClosePrinter(jobs);
    EXPECT_EQ(printed.size(), 4783u);
    EXPECT_EQ(printed.substr(0, 4), std::string("PK\x03\x04", 4)) << "an XPS package";
}

// The check-setting button opens the summary over the sheet; OK closes it.
TEST_F(PropertySheets, CheckSettingShowsTheSummary)
{
    const struct {
        SHORT pagesPerSheet;
        std::vector<const WCHAR*> shown;
        std::vector<const WCHAR*> absent;
    } cases[] = {
        {1, {L"Multiple Page\tNormal\r\n"}, {L"Page Order", L"Border Line"}},
        {2, {L"Multiple Page\t2 in 1\r\n", L"\r\n     Page Order\tRight, then Down\r\n",
             L"\r\n     Border Line\tSolid Line\r\n"}, {}},
    };
    for (const auto& c : cases) {
        in_.pub.dmCopies = 3;
        in_.pub.dmPaperSize = DMPAPER_A4;
        in_.priv.multiPage = c.pagesPerSheet;
        in_.priv.processor.pageOrder = 0;
        in_.priv.processor.multiLine = 1;
        std::wstring summary;
        host_.Script({ShowLastPage,
                      [](HWND sheet) { PostMessageW(GetDlgItem(CurrentPage(sheet), kIdCheckSetting), BM_CLICK, 0, 0); },
                      [&](HWND sheet) {
                          HWND dialog = GetLastActivePopup(sheet);
                          summary = ControlText(dialog, kIdSummaryText);
                          PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      },
                      [](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
        Preferences(kPrompt | DM_IN_BUFFER);
        // Values are named as the pages name them.
        for (const WCHAR* line : {L"Paper Size\tA4\r\n", L"Copies\t3\r\n", L"Scaling\t100%\r\n",
                                  L"Media Type\tPlain Paper\r\n", L"     First Page\tAuto Select\r\n",
                                  L"Toner Save Mode\tOff\r\n", L"Print Setting\tGeneral\r\n"})
            EXPECT_NE(summary.find(line), std::wstring::npos) << testing::PrintToString(line) << "\n" << summary;
        for (const WCHAR* line : c.shown)
            EXPECT_NE(summary.find(line), std::wstring::npos) << testing::PrintToString(line) << "\n" << summary;
        for (const WCHAR* label : c.absent)
            EXPECT_EQ(summary.find(label), std::wstring::npos) << testing::PrintToString(label);
    }
}

// OK brings the quick-setup monitor's file up to date with the result when
// quick setup is on; Cancel leaves it alone.
TEST_F(PropertySheets, OkBringsTheQuickSetupFileUpToDate)
{
    // The monitor beside the test programs is the lifecycle tests'
    // stand-in: kept aside, so that the apply starts nothing.
    const std::wstring program = TestBinDirectory() + L"\\KVQSMON.EXE";
    const std::wstring kept = program + L".kept";
    MoveFileExW(program.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING);
    QuickSetupMonitor monitor;
    LocateQuickSetupMonitor(&monitor);
    const struct {
        BYTE qps;
        int button;
        bool written;
    } cases[] = {{1, PSBTN_OK, true}, {0, PSBTN_OK, false}, {1, PSBTN_CANCEL, false}};
    for (const auto& c : cases) {
        DeleteFileW(monitor.iniPath);
        in_.priv.qps = c.qps;
        in_.priv.economy = 1;
        in_.priv.multiPage = 4;
        const int button = c.button;
        host_.Script({[button](HWND sheet) { Press(sheet, button); }});
        Preferences(kPrompt | DM_IN_BUFFER);
        WCHAR printer[64], economy[8], pages[8];
        GetPrivateProfileStringW(L"KVQSMON", L"Printer", L"", printer, 64, monitor.iniPath);
        GetPrivateProfileStringW(kTestQueueName, L"12", L"", economy, 8, monitor.iniPath);
        GetPrivateProfileStringW(kTestQueueName, L"10", L"", pages, 8, monitor.iniPath);
        const std::wstring expected = c.written ? kTestQueueName : L"";
        EXPECT_EQ(printer, expected) << int(c.qps) << " " << c.button;
        EXPECT_STREQ(economy, c.written ? L"1" : L"");
        EXPECT_STREQ(pages, c.written ? L"4" : L"");
    }
    DeleteFileW(monitor.iniPath);
    MoveFileExW(kept.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// A save requested in the model's profile beside the driver is carried out
// by the next confirmed sheet, once; a cancelled sheet leaves it pending.
TEST_F(PropertySheets, OkCarriesOutARequestedProfileSave)
{
    const std::wstring profile = TestBinDirectory() + L"\\KVE3390N.DAT";
    ASSERT_TRUE(WritePrivateProfileStringW(L"Default Setting", L"SaveSetting", L"1", profile.c_str()));
    in_.priv.multiPage = 4;
    in_.pub.dmCopies = 3;
    WCHAR text[16];
    const struct {
        int button;
        const wchar_t* saveSetting;   // after the sheet
        const wchar_t* copies;
    } cases[] = {{PSBTN_CANCEL, L"1", L""}, {PSBTN_OK, L"0", L"3"}};
    for (const auto& c : cases) {
        const int button = c.button;
        host_.Script({[button](HWND sheet) { Press(sheet, button); }});
        Preferences(kPrompt | DM_IN_BUFFER);
        GetPrivateProfileStringW(L"Default Setting", L"SaveSetting", L"", text, 16, profile.c_str());
        EXPECT_STREQ(text, c.saveSetting) << c.button;
        GetPrivateProfileStringW(L"Default Setting", L"copies", L"", text, 16, profile.c_str());
        EXPECT_STREQ(text, c.copies) << c.button;
    }
    GetPrivateProfileStringW(L"Default Setting", L"MultiPage", L"", text, 16, profile.c_str());
    EXPECT_STREQ(text, L"4");
    DeleteFileW(profile.c_str());
}

TEST_F(PropertySheets, RefusedPageEndsInitAndTheHostFails)
{
    host_.RefusePagesFrom(0);
    EXPECT_EQ(Preferences(kPrompt), ERR_CPSUI_GETLASTERROR);
    EXPECT_EQ(Reasons(host_.Last()), std::vector<int>{PROPSHEETUI_REASON_INIT});
    EXPECT_EQ(host_.Last().initAnswer, -1);
    EXPECT_FALSE(host_.Last().sheetShown);
    EXPECT_TRUE(OutUntouched());
}

TEST_F(PropertySheets, AdvancedPropertiesCopyOnOk)
{
    in_.pub.dmCopies = 4;
    host_.Script({[](HWND sheet) { Press(sheet, PSBTN_OK); }});
    EXPECT_EQ(DrvAdvancedDocumentProperties(nullptr, printer_, Queue(), &out_.pub, &in_.pub), 1);
    EXPECT_EQ(out_.pub.dmCopies, 4);
    host_.Script({[](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
    memset(&out_, kFill, sizeof(out_));
    EXPECT_EQ(DrvAdvancedDocumentProperties(nullptr, printer_, Queue(), &out_.pub, &in_.pub), 0);
    EXPECT_TRUE(OutUntouched());
}

// Opening and closing the sheet many times holds nothing more.
TEST_F(PropertySheets, RepeatedOpeningsLeakNothing)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [this] {
            host_.Script({[](HWND sheet) { Press(sheet, PSBTN_OK); }});
            Preferences(kPrompt);
        },
        3, 20);
    EXPECT_LT(growth.handles, 20);
    EXPECT_LT(growth.gdiObjects, 20);
    EXPECT_LT(growth.heapBlocks, 20);
}

// Models hide pages through their capability word; the printer sheet of a
// model without a tray page is the About page.
class SheetPageVariants : public ::testing::Test {
protected:
    struct Variant {
        const WCHAR* queue;
        const WCHAR* driver;
        const WCHAR* dataFile;
        DWORD caps;
    };
    static constexpr Variant kVariants[] = {
        {L"KV Sheets Basic Hidden", L"KV Sheets Model 20", L"KVSH20.PPD", 1u << 20},
        {L"KV Sheets Advanced Hidden", L"KV Sheets Model 21", L"KVSH21.PPD", 1u << 21},
        {L"KV Sheets About", L"KV Sheets Model 22", L"KVSH22.PPD", 1u << 22},
        {L"KV Sheets Support Hidden", L"KV Sheets Model 23", L"KVSH23.PPD", 1u << 23},
    };
    static void SetUpTestSuite()
    {
        installed_ = true;
        for (const Variant& v : kVariants)
            installed_ = installed_ && InstallTestPrinter(v.queue, v.driver, v.dataFile, SampleModelWithCaps(v.caps));
    }
    void SetUp() override
    {
        ASSERT_TRUE(installed_) << "the model variants could not be installed";
        ASSERT_TRUE(host_.Loaded());
    }
    static bool installed_;
    HostStandIn host_;
};
constexpr SheetPageVariants::Variant SheetPageVariants::kVariants[];
bool SheetPageVariants::installed_ = false;

TEST_F(SheetPageVariants, SuppressionBitsChooseThePages)
{
    const struct {
        const WCHAR* queue;
        std::vector<WORD> documentPages;
        std::vector<WORD> devicePages;
    } cases[] = {
        {kTestQueueName, {145, 146, kSupportTemplate}, {147}},
        {L"KV Sheets Basic Hidden", {146, kSupportTemplate}, {147}},
        {L"KV Sheets Advanced Hidden", {145, kSupportTemplate}, {147}},
        {L"KV Sheets About", {145, 146, kSupportTemplate}, {143}},
        {L"KV Sheets Support Hidden", {145, 146}, {147}},
    };
    for (const auto& c : cases) {
        HANDLE printer = OpenTestPrinter(c.queue);
        ASSERT_NE(printer, nullptr);
        DriverDevmode out = {};
        host_.Script({[](HWND sheet) { Press(sheet, PSBTN_CANCEL); }});
        DrvDocumentProperties(nullptr, printer, const_cast<WCHAR*>(c.queue), &out.pub, nullptr, kPrompt);
        EXPECT_EQ(host_.Last().initAnswer, 1) << c.queue;
        EXPECT_EQ(Templates(host_.Last()), c.documentPages) << c.queue;

        std::wstring version, files;
        host_.Script({[&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            version = ControlText(page, kIdVersionText);
            files = ControlText(page, kIdFileVersions);
            Press(sheet, PSBTN_OK);
        }});
        PrinterProperties(nullptr, printer);
        const StandInRecord& device = host_.Last();
        EXPECT_EQ(Templates(device), c.devicePages) << c.queue;
        // Only the tray page has settings to hand back on OK.
        const bool about = c.devicePages == std::vector<WORD>{143};
        std::vector<int> reasons = {PROPSHEETUI_REASON_INIT, PROPSHEETUI_REASON_GET_INFO_HEADER,
                                    PROPSHEETUI_REASON_DESTROY};
        if (!about)
            reasons.insert(reasons.begin() + 2, PROPSHEETUI_REASON_SET_RESULT);
        EXPECT_EQ(Reasons(device), reasons) << c.queue;
        if (about) {
            EXPECT_EQ(device.pages[0].pageFlags, 0u);
            EXPECT_EQ(device.pages[0].position, 0);
            EXPECT_EQ(version, L"Version 1.07");
            EXPECT_NE(files.find(L"KVUIDRV.DLL\t"), std::wstring::npos) << files;
        } else {
            EXPECT_EQ(device.pages[0].function, UINT(CPSFUNC_ADD_PROPSHEETPAGEW)) << c.queue;
            EXPECT_EQ(device.pages[0].pageFlags, DWORD(PSP_USETITLE | PSP_HASHELP)) << c.queue;
            EXPECT_STREQ(device.pages[0].title, L"Tray Settings") << c.queue;
        }
        ClosePrinter(printer);
    }
}

// Calls as a host makes them, with the damage a caller can do.
LONG_PTR CALLBACK AcceptingHost(HANDLE, UINT, LPARAM, LPARAM)
{
    static int handles;
    return ++handles;
}

TEST(SheetEntryPoints, DamagedInputFails)
{
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    ASSERT_NE(printer, nullptr);
    DriverDevmode out = {};
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof(header);
    header.hPrinter = printer;
    header.pszPrinterName = const_cast<WCHAR*>(kTestQueueName);
    header.pdmOut = &out.pub;
    header.fMode = DM_OUT_BUFFER;
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof(info);
    info.pfnComPropSheet = AcceptingHost;
    info.lParamInit = reinterpret_cast<LPARAM>(&header);
    info.Reason = PROPSHEETUI_REASON_INIT;
    ASSERT_EQ(DrvDocumentPropertySheets(&info, 0), 1);
    const ULONG_PTR session = info.UserData;
    ASSERT_NE(session, 0u);

    SETRESULT_INFO cancel = {sizeof(cancel), 0, nullptr, CPSUI_CANCEL};
    std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(session), reinterpret_cast<const BYTE*>(session) + 5880);
    // The printer sheet answers every result, taking only OK as a change.
    const struct {
        const char* name;
        WORD reason;
        ULONG_PTR userData;
        LPARAM param;
        LONG deviceAnswer;
    } cases[] = {
        {"unknown reason", 4, session, 0, -1},
        {"before-init reason", 5, session, 0, -1},
        {"reason 99", 99, session, 0, -1},
        {"no session", PROPSHEETUI_REASON_GET_INFO_HEADER, 0, 0, -1},
        {"moved session", PROPSHEETUI_REASON_DESTROY, reinterpret_cast<ULONG_PTR>(copy.data()), 0, -1},
        {"no header record", PROPSHEETUI_REASON_GET_INFO_HEADER, session, 0, -1},
        {"no result record", PROPSHEETUI_REASON_SET_RESULT, session, 0, 1},
        {"cancelled result", PROPSHEETUI_REASON_SET_RESULT, session, reinterpret_cast<LPARAM>(&cancel), 1},
    };
    for (const auto& c : cases) {
        info.Reason = c.reason;
        info.UserData = c.userData;
        info.Result = 77;
        EXPECT_EQ(DrvDocumentPropertySheets(&info, c.param), -1) << c.name;
        EXPECT_EQ(info.Result, 77) << c.name;
        EXPECT_EQ(DrvDevicePropertySheets(&info, c.param), c.deviceAnswer) << c.name;
    }
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    info.UserData = session;
    EXPECT_EQ(DrvDocumentPropertySheets(&info, 0), 1);

    // Records the entry points refuse before any work.
    PROPSHEETUI_INFO empty = {};
    empty.cbSize = sizeof(empty);
    empty.Reason = PROPSHEETUI_REASON_INIT;
    EXPECT_EQ(DrvDocumentPropertySheets(&empty, 0), -1);
    EXPECT_EQ(DrvDevicePropertySheets(&empty, 0), -1);
    EXPECT_EQ(DrvDevicePropertySheets(nullptr, 0), -1);
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, 0), -1);
    ClosePrinter(printer);
}

// Without its language module the driver shows its own English copy.
TEST(SheetEntryPoints, MissingLanguageModuleFallsBackToTheDriver)
{
    HostStandIn host;
    ASSERT_TRUE(host.Loaded());
    const std::wstring dir = CreateScratchDirectory();
    const std::wstring copy = dir + L"\\KVUIDRV.DLL";
    ASSERT_TRUE(CopyFileW((InstalledDriverDirectory() + L"\\KVUIDRV.DLL").c_str(), copy.c_str(), FALSE));
    HMODULE alone = LoadLibraryW(copy.c_str());
    ASSERT_NE(alone, nullptr);
    using DocumentPropertiesFn = LONG(WINAPI*)(HWND, HANDLE, PWSTR, PDEVMODEW, PDEVMODEW, DWORD);
    auto properties = reinterpret_cast<DocumentPropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(alone, "DrvDocumentProperties")));
    ASSERT_NE(properties, nullptr);
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    DriverDevmode out = {};
    std::wstring version;
    host.Script({ShowLastPage, [&](HWND sheet) {
        version = ControlText(CurrentPage(sheet), kIdVersionText);
        Press(sheet, PSBTN_OK);
    }});
    EXPECT_EQ(properties(nullptr, printer, const_cast<WCHAR*>(kTestQueueName), &out.pub, nullptr, kPrompt), IDOK);
    EXPECT_EQ(Templates(host.Last()), (std::vector<WORD>{145, 146, kSupportTemplate}));
    EXPECT_STREQ(host.Last().pages[2].title, L"Support");
    EXPECT_EQ(version, L"Version 1.07");
    ClosePrinter(printer);
    FreeLibrary(alone);
    RemoveScratchDirectory(dir);
}

TEST(SupportTexts, VersionWords)
{
    const struct {
        HMODULE strings;
        WORD version;
        const WCHAR* text;
    } cases[] = {
        {g_module.resourceModule, 0x0107, L"Version 1.07"},
        {g_module.resourceModule, 0x020C, L"Version 2.12"},
        {g_module.resourceModule, 0x0100, L"Version 1.00"},
        {nullptr, 0x0107, L"Version 1.07"},   // no strings: the word itself
        {GetModuleHandleW(L"kernel32.dll"), 0xFFFF, L"Version 255.255"},
    };
    for (const auto& c : cases) {
        WCHAR text[64];
        FormatVersionText(c.strings, c.version, text, ARRAYSIZE(text));
        EXPECT_STREQ(text, c.text) << c.version;
    }
}

TEST(SupportTexts, DatePatterns)
{
    const SYSTEMTIME date = {2009, 4, 0, 3, 0, 0, 0, 0};
    const struct {
        const WCHAR* pattern;
        const WCHAR* monthName;
        const WCHAR* text;
    } cases[] = {
        {L"*yyyy*/*MM*/*dd*", L"Apr", L"2009/04/03"},
        {L"*d*.*M*.*yy*", L"Apr", L"3.4.09"},
        {L"*y*", L"Apr", L"9"},
        {L"*MMM* *d*, *yyyy*", L"Apr", L"Apr 3, 2009"},
        {L"*dd*-*MMM*-*yyyy*", nullptr, L"03--2009"},
        {L"no placeholders *x* **", L"Apr", L"no placeholders *x* **"},
        {L"*yyyy**yyyy*", L"Apr", L"20092009"},
        {L"", L"Apr", L""},
    };
    for (const auto& c : cases) {
        WCHAR text[64];
        ExpandDatePattern(c.pattern, date, c.monthName, text, ARRAYSIZE(text));
        EXPECT_STREQ(text, c.text) << c.pattern;
    }
    WCHAR small[6];
    ExpandDatePattern(L"*yyyy*/*MM*/*dd*", date, L"Apr", small, ARRAYSIZE(small));
    EXPECT_STREQ(small, L"2009/");
}

TEST(SupportTexts, BuildDateFollowsTheLanguageModule)
{
    const struct {
        HMODULE strings;
        const WCHAR* text;
    } cases[] = {
        {g_module.resourceModule, L"Apr 3, 2009"},
        // No pattern and no month names: the month's number stands in.
        {GetModuleHandleW(L"kernel32.dll"), L"04 / 03 4 2009"},
        {nullptr, L"04 / 03 4 2009"},
    };
    for (const auto& c : cases) {
        WCHAR text[64];
        FormatBuildDate(c.strings, text, ARRAYSIZE(text));
        EXPECT_STREQ(text, c.text);
    }
}

TEST(SupportTexts, AcceleratorsRemoved)
{
    const struct {
        const WCHAR* label;
        const WCHAR* text;
    } cases[] = {
        {L"&Copies", L"Copies"}, {L"Co&llate", L"Collate"}, {L"A && B", L"A & B"},
        {L"End&", L"End"},       {L"", L""},                {L"&&&x", L"&x"},
    };
    for (const auto& c : cases) {
        WCHAR text[32];
        lstrcpyW(text, c.label);
        RemoveAccelerators(text);
        EXPECT_STREQ(text, c.text) << c.label;
    }
}

} // namespace
