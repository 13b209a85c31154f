// The Tray Settings page as a user drives it in the printer's sheet: tray
// papers, options, memory and serial number into printer data on OK and
// not on Cancel; the refused memory entries; the defaults; the page
// without permission; automatic detection through a stand-in of the
// remote-setup tool on the ports that allow it; and the reading of the
// tool's answers.
#include "platform/driverui.h"

#include "lifecycle/companion_programs.h"
#include "settings/devmode_bits.h"
#include "support/process_usage.h"
#include "support/sheet_script.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "ui/tray_detection.h"
#include "ui/tray_settings_page.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const DWORD kRamDiskOffUnset = 0xFFFF;   // switch off, no size chosen

// ---------------------------------------------------------------------------
// The tool's answers

TEST(TrayDetectionAnswers, MemoryIsRoundedUpToWholeMegabytes)
{
    const struct {
        const WCHAR* value;
        BOOL read;
        WORD megabytes;
    } cases[] = {
        {L"1,16384", TRUE, 16},
        {L"1,16385", TRUE, 17},
        {L"2, 1023 ", TRUE, 1},
        {L"1,0", TRUE, 0},
        {L"1,67107840", TRUE, 65535},
        {L"1,67107841", FALSE, 0},   // beyond the memory field
        {L"16384", FALSE, 0},        // no second field
        {L"1,", FALSE, 0},
        {L"1,16k", FALSE, 0},
        {L"", FALSE, 0},
    };
    for (const auto& c : cases) {
        WORD megabytes = 0;
        EXPECT_EQ(ParseDimmMegabytes(c.value, &megabytes), c.read) << c.value;
        if (c.read) {
            EXPECT_EQ(megabytes, c.megabytes) << c.value;
        }
    }
}

TEST(TrayDetectionAnswers, TrayAnswersGivePaperCodesAndIds)
{
    const struct {
        const WCHAR* value;
        BOOL withIds;
        BOOL read;
        LONG paper;
        LONG trayId;
    } cases[] = {
        {L"A4", FALSE, TRUE, DMPAPER_A4, 7},
        {L"Letter,2", TRUE, TRUE, DMPAPER_LETTER, 2},
        {L"Letter,2", FALSE, TRUE, DMPAPER_LETTER, 7},       // ids not kept by the model
        {L"Legal,UNKNOWN,500,1,0", TRUE, TRUE, DMPAPER_LEGAL, kTrayEmpty},
        {L"Legal,5", TRUE, TRUE, DMPAPER_LEGAL, 7},          // not a tray id
        {L"Tabloid99,1", TRUE, TRUE, kTrayEmpty, 1},         // a paper the driver lacks
        {L"", TRUE, FALSE, 5, 7},
        {L",3", TRUE, FALSE, 5, 7},
    };
    for (const auto& c : cases) {
        TrayPaperEntry entry = {5, 7};
        EXPECT_EQ(ParseTrayAnswer(c.value, c.withIds, &entry), c.read) << c.value;
        EXPECT_EQ(entry.paper, c.paper) << c.value;
        EXPECT_EQ(entry.trayId, c.trayId) << c.value;
    }
}

TEST(RemoteToolWait, EndsWithTheAtomOrAfterTwoMinutes)
{
    const struct {
        bool atomPresent;
        UINT ticks;
        bool waiting;
    } cases[] = {
        {true, 1, true}, {true, 240, true}, {true, 241, false}, {true, 5000, false},
        {false, 1, false}, {false, 240, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoteToolKeepsWaiting(c.atomPresent, c.ticks), c.waiting) << c.atomPresent << " " << c.ticks;
}

TEST(TrayDetectionAnswers, PortsTheToolCanReach)
{
    const struct {
        const WCHAR* port;
        bool usbHelper;
        bool allowed;
    } cases[] = {
        {L"LPT1:", true, false},     {L"FILE:", true, false},    {L"file", true, false},
        {L"COM2:", true, false},     {L"KVPXM1:", true, false},  {L"USB001", false, false},
        {L"USB001", true, true},     {L"IP_10.0.0.7", false, true}, {L"\\\\server\\queue", false, true},
        {nullptr, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortAllowsDetection(c.port, c.usbHelper), c.allowed) << (c.port ? c.port : L"(none)");
}

// ---------------------------------------------------------------------------
// The page in the printer's sheet

const WCHAR kNetworkPort[] = L"\\\\kvhost\\tx3390n";

bool SetQueuePort(const WCHAR* port)
{
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    if (!printer)
        return false;
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    bool ok = GetPrinterW(printer, 2, buffer.data(), needed, &needed);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    std::wstring name = port;
    info->pPortName = &name[0];
    ok = ok && SetPrinterW(printer, 2, buffer.data(), 0);
    ClosePrinter(printer);
    return ok;
}

std::wstring QueuePort()
{
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::wstring port;
    if (GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        port = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPortName;
    ClosePrinter(printer);
    return port;
}

DWORD DataDword(HANDLE printer, const WCHAR* name)
{
    DWORD value = 0xDEADBEEF, type = 0, needed = 0;
    GetPrinterDataW(printer, const_cast<WCHAR*>(name), &type, reinterpret_cast<BYTE*>(&value), sizeof(value),
                    &needed);
    return value;
}

std::wstring DataText(HANDLE printer, const WCHAR* name)
{
    WCHAR text[64] = {};
    DWORD type = 0, needed = 0;
    GetPrinterDataW(printer, const_cast<WCHAR*>(name), &type, reinterpret_cast<BYTE*>(text), sizeof(text) - 2,
                    &needed);
    return text;
}

void SetDataDword(HANDLE printer, const WCHAR* name, DWORD value)
{
    SetPrinterDataW(printer, const_cast<WCHAR*>(name), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof(value));
}

void SetDataText(HANDLE printer, const WCHAR* name, const WCHAR* text)
{
    SetPrinterDataW(printer, const_cast<WCHAR*>(name), REG_SZ, reinterpret_cast<BYTE*>(const_cast<WCHAR*>(text)),
                    static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR)));
}

// Input as the controls produce it.
void TypeInto(HWND page, int id, const WCHAR* text)
{
    HWND edit = GetDlgItem(page, id);
    SetFocus(edit);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Click(HWND page, int id)
{
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

void SelectListItem(HWND page, int id, int item)
{
    SendDlgItemMessageW(page, id, LB_SETCURSEL, item, 0);
}

// Selects the table row of the tray named name.
bool SelectTrayRow(HWND page, const WCHAR* name)
{
    HWND list = GetDlgItem(page, kIdTrayList);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        WCHAR text[64] = {};
        LVITEMW item = {};
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        if (wcscmp(text, name) != 0)
            continue;
        LVITEMW state = {};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        return true;
    }
    return false;
}

bool SelectPaper(HWND page, const WCHAR* name)
{
    HWND combo = GetDlgItem(page, kIdTrayPaper);
    const LRESULT item = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (item < 0)
        return false;
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    return true;
}

// Lets the page's own timers run until done says so (or the time is up).
bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
    return true;
}

// The page turns Auto Detect back on when the tool's wait has ended.
void WaitForDetection(HWND page)
{
    HWND button = GetDlgItem(page, kIdAutoDetect);
    PumpUntil([&] { return !IsWindowEnabled(button); }, 2000);
    PumpUntil([&] { return IsWindowEnabled(button) != FALSE; }, 10000);
}

// The message box the page put up over the sheet, null when there is none.
HWND FindMessageBox(HWND sheet)
{
    struct Search {
        HWND sheet;
        HWND found;
    } search = {sheet, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        WCHAR name[16] = {};
        GetClassNameW(window, name, 16);
        if (window != s->sheet && wcscmp(name, L"#32770") == 0 && GetWindow(window, GW_OWNER) == s->sheet &&
            GetDlgItem(window, 0xFFFF)) {
            s->found = window;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class TraySettingsPage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WCHAR system[MAX_PATH];
        GetSystemWow64DirectoryW(system, MAX_PATH);
        tool_ = std::wstring(system) + L"\\KVRBTOOL.EXE";
        WCHAR exchange[MAX_PATH];
        RemoteToolExchangePath(exchange, MAX_PATH);
        exchange_ = exchange;
        port_ = QueuePort();
    }
    static void TearDownTestSuite()
    {
        SetQueuePort(port_.c_str());
    }
    void SetUp() override
    {
        ASSERT_TRUE(host_.Loaded());
        ASSERT_NE(printer_ = OpenTestPrinter(kTestQueueName), nullptr);
        ASSERT_TRUE(SetQueuePort(kNetworkPort));
        ASSERT_TRUE(CopyFileW((TestBinDirectory() + L"\\kvrbtool-answering.exe").c_str(), tool_.c_str(), FALSE));
        for (const WCHAR* name : {L"KVRBTOOL_RECORD", L"KVRBTOOL_ANSWER", L"KVRBTOOL_KEEP_ATOM"})
            SetEnvironmentVariableW(name, nullptr);
        // Known device options before every case.
        SetDataDword(printer_, L"ACC", 0);
        SetDataDword(printer_, L"RAM", 64);
        SetDataDword(printer_, L"RAMDISK", kRamDiskOffUnset);
        SetDataDword(printer_, L"Tray1", DWORD(kTrayEmpty));
        SetDataDword(printer_, L"MPTray", DWORD(kTrayEmpty));
        SetDataText(printer_, L"SerialNo", L"SN-OLD");
    }
    void TearDown() override
    {
        // The tool may still be ending after it answered.
        const DWORD start = GetTickCount();
        while (!DeleteFileW(tool_.c_str()) && GetFileAttributesW(tool_.c_str()) != INVALID_FILE_ATTRIBUTES &&
               GetTickCount() - start < 5000)
            Sleep(50);
        ClosePrinter(printer_);
    }
    // The printer's sheet with the script; TRUE when it closed with OK.
    BOOL Properties(std::vector<SheetStep> steps)
    {
        host_.Script(std::move(steps));
        return PrinterProperties(nullptr, printer_);
    }
    void PrepareAnswer(const std::string& text)
    {
        answer_ = CreateScratchDirectory() + L"\\answer.ini";
        std::ofstream(answer_.c_str(), std::ios::binary) << text;
        SetEnvironmentVariableW(L"KVRBTOOL_ANSWER", answer_.c_str());
    }

    static std::wstring tool_;
    static std::wstring exchange_;
    static std::wstring port_;
    std::wstring answer_;
    HostStandIn host_;
    HANDLE printer_ = nullptr;
};
std::wstring TraySettingsPage::tool_;
std::wstring TraySettingsPage::exchange_;
std::wstring TraySettingsPage::port_;

// The edits a user makes: a serial number, A4 into Tray1, the first option
// installed, 128 MB typed.
std::vector<SheetStep> EditEverything(int button, bool* edited)
{
    return {[=](HWND sheet) {
        HWND page = CurrentPage(sheet);
        TypeInto(page, kIdSerialNumber, L"SN-NEW");
        *edited = SelectTrayRow(page, L"Tray1") && SelectPaper(page, L"A4");
        Click(page, kIdUpdateTray);
        SelectListItem(page, kIdAvailableOptions, 0);
        Click(page, kIdAddOption);
        TypeInto(page, kIdMemory, L"128");
        Press(sheet, button);
    }};
}

TEST_F(TraySettingsPage, OkWritesThePrinterDataAndCancelLeavesIt)
{
    const struct {
        int button;
        const WCHAR* serial;
        DWORD tray1;
        DWORD accessories;
        DWORD memory;
    } cases[] = {
        {PSBTN_CANCEL, L"SN-OLD", DWORD(kTrayEmpty), 0, 64},
        {PSBTN_OK, L"SN-NEW", DMPAPER_A4, 1, 128},
    };
    for (const auto& c : cases) {
        bool edited = false;
        Properties(EditEverything(c.button, &edited));
        EXPECT_TRUE(edited);
        EXPECT_EQ(DataText(printer_, L"SerialNo"), c.serial) << c.button;
        EXPECT_EQ(DataDword(printer_, L"Tray1"), c.tray1) << c.button;
        EXPECT_EQ(LOWORD(DataDword(printer_, L"ACC")), c.accessories) << c.button;
        EXPECT_EQ(DataDword(printer_, L"RAM"), c.memory) << c.button;
        EXPECT_EQ(DataDword(printer_, L"MPTray"), DWORD(kTrayEmpty)) << c.button;
    }
}

// An installed option moves between the lists and back.
TEST_F(TraySettingsPage, OptionsMoveBetweenTheLists)
{
    LRESULT counts[4] = {-1, -1, -1, -1};
    Properties({[&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        counts[0] = SendDlgItemMessageW(page, kIdAvailableOptions, LB_GETCOUNT, 0, 0);
        SelectListItem(page, kIdAvailableOptions, 1);
        Click(page, kIdAddOption);
        counts[1] = SendDlgItemMessageW(page, kIdInstalledOptions, LB_GETCOUNT, 0, 0);
        SelectListItem(page, kIdInstalledOptions, 0);
        Click(page, kIdRemoveOption);
        counts[2] = SendDlgItemMessageW(page, kIdInstalledOptions, LB_GETCOUNT, 0, 0);
        counts[3] = SendDlgItemMessageW(page, kIdAvailableOptions, LB_GETCOUNT, 0, 0);
        Press(sheet, PSBTN_OK);
    }});
    EXPECT_EQ(counts[0], 2);   // the sample model's two paper feeders
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[2], 0);
    EXPECT_EQ(counts[3], 2);
    EXPECT_EQ(LOWORD(DataDword(printer_, L"ACC")), 0u);
}

TEST_F(TraySettingsPage, MemoryEntriesOutsideTheModelRangeAreRefused)
{
    const WCHAR* const entries[] = {L"abc", L"63", L"577", L"12a", L"", L"-128", L"4294967424"};
    for (const WCHAR* entry : entries) {
        std::wstring message, title, shown;
        Properties({[=](HWND sheet) {
                        TypeInto(CurrentPage(sheet), kIdMemory, entry);
                        Press(sheet, PSBTN_OK);
                    },
                    [&](HWND sheet) {
                        HWND box = FindMessageBox(sheet);
                        message = ControlText(box, 0xFFFF);
                        WCHAR text[64] = {};
                        GetWindowTextW(box, text, 64);
                        title = text;
                        PostMessageW(box, WM_COMMAND, IDOK, 0);
                    },
                    [&](HWND sheet) {
                        shown = ControlText(CurrentPage(sheet), kIdMemory);
                        Press(sheet, PSBTN_CANCEL);
                    }});
        EXPECT_EQ(message, L"Specify a value within the stated range.") << entry;
        EXPECT_EQ(title, L"Warning") << entry;
        EXPECT_EQ(shown, L"64") << entry;
        EXPECT_EQ(DataDword(printer_, L"RAM"), 64u) << entry;
    }
}

// The RAM disk's size is edited only while the disk is on, from 1 MB up to
// the installed memory; empty means no size chosen.
TEST_F(TraySettingsPage, RamDiskSizeFollowsItsSwitchAndTheInstalledMemory)
{
    const struct {
        const WCHAR* entry;
        bool refused;
        DWORD stored;
    } cases[] = {
        {L"32", false, 0x10020}, {L"64", false, 0x10040}, {L"", false, 0x1FFFF},
        {L"65", true, 0x1FFFF},  {L"0", true, 0x1FFFF},   {L"8x", true, 0x1FFFF},
    };
    for (const auto& c : cases) {
        BOOL enabledOff = -1, enabledOn = -1;
        std::wstring message;
        std::vector<SheetStep> steps = {[&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            enabledOff = IsWindowEnabled(GetDlgItem(page, kIdRamDiskSize));
            Click(page, kIdRamDisk);
            enabledOn = IsWindowEnabled(GetDlgItem(page, kIdRamDiskSize));
            TypeInto(page, kIdRamDiskSize, c.entry);
            Press(sheet, PSBTN_OK);
        }};
        if (c.refused) {
            steps.push_back([&](HWND sheet) {
                HWND box = FindMessageBox(sheet);
                message = ControlText(box, 0xFFFF);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
            steps.push_back([](HWND sheet) { Press(sheet, PSBTN_OK); });
        }
        Properties(steps);
        EXPECT_FALSE(enabledOff) << c.entry;
        EXPECT_TRUE(enabledOn) << c.entry;
        EXPECT_EQ(message, c.refused ? L"Specify a value within the stated range." : L"") << c.entry;
        EXPECT_EQ(DataDword(printer_, L"RAMDISK"), c.stored) << c.entry;
        SetDataDword(printer_, L"RAMDISK", kRamDiskOffUnset);
    }
}

TEST_F(TraySettingsPage, DefaultRestoresTheInstalledMemoryAndClearsTheSerial)
{
    const struct {
        bool installed;
        const WCHAR* memory;
    } cases[] = {{true, L"320"}, {false, L"64"}};
    for (const auto& c : cases) {
        if (c.installed)
            SetDataDword(printer_, L"DEFRAM", 320);
        else
            RemoveTestPrinterData(kTestQueueName, L"DEFRAM");
        std::wstring memory, serial;
        Properties({[&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            TypeInto(page, kIdMemory, L"128");
            Click(page, kIdTrayDefault);
            memory = ControlText(page, kIdMemory);
            serial = ControlText(page, kIdSerialNumber);
            Press(sheet, PSBTN_CANCEL);
        }});
        EXPECT_EQ(memory, c.memory);
        EXPECT_EQ(serial, L"");
    }
    RemoveTestPrinterData(kTestQueueName, L"DEFRAM");
}

TEST_F(TraySettingsPage, AutoDetectNeedsTheToolAndAPortItReaches)
{
    const struct {
        const WCHAR* port;
        bool tool;
        BOOL enabled;
    } cases[] = {
        {L"LPT1:", true, FALSE}, {L"FILE:", true, FALSE}, {kNetworkPort, true, TRUE}, {kNetworkPort, false, FALSE},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetQueuePort(c.port)) << c.port;
        if (!c.tool)
            DeleteFileW(tool_.c_str());
        BOOL enabled = -1;
        Properties({[&](HWND sheet) {
            enabled = IsWindowEnabled(GetDlgItem(CurrentPage(sheet), kIdAutoDetect));
            Press(sheet, PSBTN_CANCEL);
        }});
        EXPECT_EQ(enabled, c.enabled) << c.port << " " << c.tool;
    }
}

// A detection as the tool answers it: its command line and the model name
// the driver offered, the settings it reports shown, and kept on OK.
TEST_F(TraySettingsPage, DetectionTakesThePrintersAnswer)
{
    const struct {
        const char* dimm;
        const WCHAR* memory;
        DWORD ram;
    } cases[] = {{"1,16384", L"16", 16}, {"1,16385", L"17", 17}};
    const std::wstring record = CreateScratchDirectory() + L"\\record.txt";
    SetEnvironmentVariableW(L"KVRBTOOL_RECORD", record.c_str());
    for (const auto& c : cases) {
        PrepareAnswer(std::string("[Model]\r\nOptResult=1\r\nSerialNo=ZX0042\r\n") +
                      "[STORAGECONFIG]\r\nDIMM=" + c.dimm + "\r\n" +
                      "[INTRAYCONFIG]\r\nTray1=A4,1\r\nMPTray=Legal\r\n" +
                      "[OPTIONCONFIG]\r\nAccessories=x0003,x0000\r\n");
        std::wstring serial, memory, installed;
        Properties({[&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            Click(page, kIdAutoDetect);
            WaitForDetection(page);
            serial = ControlText(page, kIdSerialNumber);
            memory = ControlText(page, kIdMemory);
            installed = std::to_wstring(SendDlgItemMessageW(page, kIdInstalledOptions, LB_GETCOUNT, 0, 0));
            Press(sheet, PSBTN_OK);
        }});
        EXPECT_EQ(serial, L"ZX0042");
        EXPECT_EQ(memory, c.memory);
        EXPECT_EQ(installed, L"2");
        EXPECT_EQ(DataDword(printer_, L"RAM"), c.ram);
        EXPECT_EQ(DataDword(printer_, L"Tray1"), DWORD(DMPAPER_A4));
        EXPECT_EQ(DataDword(printer_, L"MPTray"), DWORD(DMPAPER_LEGAL));
        EXPECT_EQ(LOWORD(DataDword(printer_, L"ACC")), 3u);
        EXPECT_EQ(DataText(printer_, L"SerialNo"), L"ZX0042");
    }
    std::ifstream file(record.c_str());
    std::string commandLine, model;
    std::getline(file, commandLine);
    std::getline(file, model);
    EXPECT_NE(commandLine.find("OPT "), std::string::npos) << commandLine;
    EXPECT_NE(commandLine.find("kvrbtool.ini\" Zentari TX-3390N"), std::string::npos) << commandLine;
    EXPECT_EQ(model, "Zentari TX-3390N series");
}

// Answers the page cannot use change nothing but the serial number, which
// then shows that no answer came.
TEST_F(TraySettingsPage, AFailedDetectionKeepsTheValues)
{
    const std::string answers[] = {
        "[Model]\r\nOptResult=0\r\nSerialNo=ZX0042\r\n[STORAGECONFIG]\r\nDIMM=1,16384\r\n",
        "\x01\xFF garbage [Model OptResult=1\r\nDIMM=1,16384\r\n",
        "",
    };
    for (const std::string& answer : answers) {
        PrepareAnswer(answer);
        std::wstring serial, memory;
        Properties({[&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            Click(page, kIdAutoDetect);
            WaitForDetection(page);
            serial = ControlText(page, kIdSerialNumber);
            memory = ControlText(page, kIdMemory);
            Press(sheet, PSBTN_OK);
        }});
        EXPECT_EQ(serial, kUnknownSerialNumber);
        EXPECT_EQ(memory, L"64");
        EXPECT_EQ(DataDword(printer_, L"RAM"), 64u);
        EXPECT_EQ(DataDword(printer_, L"Tray1"), DWORD(kTrayEmpty));
    }
}

// A tool that never answers keeps the page waiting, the button off, until
// the sheet closes; closing stops the wait and takes the tool's atom away.
TEST_F(TraySettingsPage, ATooSlowToolKeepsThePageWaiting)
{
    SetEnvironmentVariableW(L"KVRBTOOL_KEEP_ATOM", L"1");
    const WCHAR atom[] = L"KVRBATOM_KV3390N";   // named after the model description
    BOOL enabled = -1;
    bool atomHeld = false;
    std::wstring serial;
    Properties({[&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        Click(page, kIdAutoDetect);
        PumpUntil([] { return false; }, 1500);
        enabled = IsWindowEnabled(GetDlgItem(page, kIdAutoDetect));
        serial = ControlText(page, kIdSerialNumber);
        atomHeld = GlobalFindAtomW(atom) != 0;
        Press(sheet, PSBTN_CANCEL);
    }});
    EXPECT_FALSE(enabled);
    EXPECT_EQ(serial, L"SN-OLD");
    EXPECT_TRUE(atomHeld);
    EXPECT_EQ(GlobalFindAtomW(atom), 0) << "the atom goes with the page";
}

// Without permission (the document sheet shows the page when the model's
// profile enables it) every control is off.
TEST_F(TraySettingsPage, WithoutPermissionEveryControlIsDisabled)
{
    const std::wstring profile = TestBinDirectory() + L"\\KVE3390N.DAT";
    ASSERT_TRUE(WritePrivateProfileStringW(L"Default Setting", L"SaveSetting", L"1", profile.c_str()));
    const int controls[] = {kIdAutoDetect, kIdSerialNumber, kIdMemory, kIdTrayList, kIdTrayPaper,
                            kIdDefaultSource, kIdUpdateTray, kIdAvailableOptions, kIdAddOption, kIdTrayDefault};
    for (DWORD mode : {kPrompt, kPrompt | DM_NOPERMISSION}) {
        std::vector<BOOL> enabled;
        DriverDevmode out = {};
        host_.Script({host_.ShowPage(147), [&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            for (int id : controls)
                enabled.push_back(IsWindowEnabled(GetDlgItem(page, id)));
            Press(sheet, PSBTN_CANCEL);
        }});
        DrvDocumentProperties(nullptr, printer_, const_cast<WCHAR*>(kTestQueueName), &out.pub, nullptr, mode);
        EXPECT_EQ(Templates(host_.Last()), (std::vector<WORD>{145, 146, 147, 148}));
        const BOOL expected = (mode & DM_NOPERMISSION) ? FALSE : TRUE;
        EXPECT_EQ(enabled, std::vector<BOOL>(ARRAYSIZE(controls), expected)) << mode;
    }
    DeleteFileW(profile.c_str());
}

TEST_F(TraySettingsPage, RepeatedOpeningsLeakNothing)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [this] {
            Properties({[](HWND sheet) {
                HWND page = CurrentPage(sheet);
                SelectTrayRow(page, L"Tray1");
                SelectPaper(page, L"A4");
                Click(page, kIdUpdateTray);
                Press(sheet, PSBTN_OK);
            }});
        },
        3, 20);
    EXPECT_LT(growth.handles, 20);
    EXPECT_LT(growth.gdiObjects, 20);
    EXPECT_LT(growth.heapBlocks, 20);
}

} // namespace
