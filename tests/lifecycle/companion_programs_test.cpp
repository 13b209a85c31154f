// The companion programs: the per-user version record, the version and
// availability tests, the launches (observed through stand-in programs
// that record their command lines) and the package's version list.
#include "lifecycle/companion_programs.h"
#include "lifecycle/web_links.h"

#include "core/ui_session.h"
#include "recorded_launch.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <shlobj.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const WCHAR kStatusMonitorKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tolwick.exe";

std::wstring BinFile(const WCHAR* name)
{
    return TestBinDirectory() + L"\\" + name;
}

std::wstring Wow64File(const WCHAR* name)
{
    WCHAR dir[MAX_PATH];
    GetSystemWow64DirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + name;
}

std::string Narrow(const std::wstring& text)
{
    char buffer[2048];
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

void SetFileTimeLocal(const std::wstring& path, const SYSTEMTIME& local)
{
    FILETIME localTime, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
}

const SYSTEMTIME kOldPackageTime = {2009, 3, 0, 7, 14, 5, 9, 0};

std::wstring UserValue(const WCHAR* name, DWORD* type = nullptr)
{
    BYTE data[1024] = {};
    DWORD size = sizeof(data) - 2, kind = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kCompanionKey, name, RRF_RT_ANY, &kind, data, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    if (type)
        *type = kind;
    if (kind == REG_SZ)
        return reinterpret_cast<WCHAR*>(data);
    // The data folder is stored as ANSI bytes with their terminator.
    std::wstring bytes;
    for (DWORD i = 0; i < size; ++i)
        bytes += static_cast<WCHAR>(data[i] ? data[i] : L'|');
    return bytes;
}

void SetUserValue(const WCHAR* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kCompanionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetUserText(const WCHAR* name, const WCHAR* text)
{
    SetUserValue(name, REG_SZ, text, (lstrlenW(text) + 1) * sizeof(WCHAR));
}

class Companions : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kCompanionKey);
        DeleteFileW(Wow64File(L"KVRBTOOL.EXE").c_str());
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kCompanionKey);
        DeleteFileW(Wow64File(L"KVRBTOOL.EXE").c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStatusMonitorKey);
    }
    void InstallRemoteTool(const WCHAR* variant)
    {
        ASSERT_TRUE(CopyFileW(BinFile(variant).c_str(), Wow64File(L"KVRBTOOL.EXE").c_str(), FALSE));
    }
};

TEST(CompanionVersions, MajorAndMinorAreCompared)
{
    struct Case {
        const WCHAR* version;
        BOOL recent;
    } const cases[] = {
        {L"3.0", FALSE}, {L"3.1", TRUE},     {L"4", TRUE},        {L"3", FALSE},
        {L"3.10", TRUE}, {L"2.9", FALSE},    {L"10.0", TRUE},     {L"3.1.0.5", TRUE},
        {L"", FALSE},    {L"3.0.9.9", FALSE}, {L"3.2.0.0", TRUE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsVersionAtLeast(c.version, L"3.1"), c.recent) << Narrow(c.version);
}

TEST(CompanionVersions, RemoteToolNeedsVersion0_1_3_3)
{
    struct Case {
        DWORD ms, ls;
        BOOL usable;
    } const cases[] = {
        {0x00000001, 0x00030002, FALSE}, {0x00000001, 0x00030003, TRUE},
        {0x00000001, 0x00040000, TRUE},  {0x00000002, 0x00000000, TRUE},
        {0x00010000, 0x00000000, TRUE},  {0x00000000, 0x00090009, FALSE},
        {0x00000001, 0x00000000, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRemoteToolVersionUsable(c.ms, c.ls), c.usable) << std::hex << c.ms << "." << c.ls;
}

TEST_F(Companions, RemoteToolAvailabilityFollowsTheInstalledFile)
{
    struct Case {
        const WCHAR* variant;   // null: no tool installed
        BOOL available;
    } const cases[] = {
        {nullptr, FALSE},
        {L"kvrbtool-0.1.3.2.exe", FALSE},
        {L"kvrbtool-0.1.3.3.exe", TRUE},
        {L"kvrbtool-0.2.0.0.exe", TRUE},
        {L"kvrbtool-1.0.0.0.exe", TRUE},
        {L"kvrbtool-none.exe", FALSE},
    };
    for (const Case& c : cases) {
        DeleteFileW(Wow64File(L"KVRBTOOL.EXE").c_str());
        if (c.variant)
            InstallRemoteTool(c.variant);
        EXPECT_EQ(IsRemoteToolAvailable(), c.available) << (c.variant ? Narrow(c.variant) : "none");
    }
}

TEST_F(Companions, QuickSetupMonitorVersionComesFromTheRecordFirst)
{
    struct Case {
        const WCHAR* recorded;   // null: no per-user record at all
        BOOL recent;
    } const cases[] = {
        {L"3.0", FALSE}, {L"3.1", TRUE}, {L"4", TRUE}, {L"3", FALSE},
        {L"", FALSE},
        // Without a record, the monitor beside the module (3.2.0.0) decides.
        {nullptr, TRUE},
    };
    for (const Case& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kCompanionKey);
        if (c.recorded)
            SetUserText(L"KvQsmon", c.recorded);
        EXPECT_EQ(IsQuickSetupMonitorRecent(), c.recent) << (c.recorded ? Narrow(c.recorded) : "none");
    }
}

TEST_F(Companions, AKeyWithoutAVersionFailsTheTest)
{
    SetUserText(L"Other", L"9.9");
    EXPECT_FALSE(IsQuickSetupMonitorRecent());
}

TEST_F(Companions, VersionRecordNamesTheDataFolderAndTheInstalledPrograms)
{
    InstallRemoteTool(L"kvrbtool-0.2.0.0.exe");
    SetUserText(L"QB7000", L"kept");
    RecordCompanionVersions();

    char appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
    const std::string folder = std::string(appData) + "\\Zentari\\PrtDrv";
    DWORD type = 0;
    EXPECT_EQ(Narrow(UserValue(L"Path", &type)), folder + "|");
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(UserValue(L"RbTool"), L"0.2.0.0");
    EXPECT_EQ(UserValue(L"KvQsmon"), L"3.2.0.0");
    EXPECT_EQ(UserValue(L"QB7000"), L"kept") << "a program not installed leaves its value";
}

TEST_F(Companions, DataFolderIsRewrittenOnlyWhenItDiffers)
{
    char appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
    const std::string current = std::string(appData) + "\\Zentari\\PrtDrv";
    struct Case {
        const char* what;
        std::string stored;
        DWORD storedType;
        DWORD typeAfter;   // REG_NONE kept: the value was left alone
    } const cases[] = {
        {"same bytes", current, REG_NONE, REG_NONE},
        {"another folder", "C:\\elsewhere", REG_NONE, REG_BINARY},
        {"same text without terminator", current.substr(0, current.size()), REG_SZ, REG_BINARY},
    };
    for (const Case& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kCompanionKey);
        const DWORD bytes = static_cast<DWORD>(c.stored.size()) + (c.storedType == REG_SZ ? 0 : 1);
        SetUserValue(L"Path", c.storedType, c.stored.c_str(), bytes);
        RecordCompanionVersions();
        DWORD type = 0;
        EXPECT_EQ(Narrow(UserValue(L"Path", &type)), current + "|") << c.what;
        EXPECT_EQ(type, c.typeAfter) << c.what;
    }
}

TEST_F(Companions, StatusMonitorIsFoundThroughItsApplicationPath)
{
    const std::wstring dir = CreateScratchDirectory();
    struct Case {
        const char* what;
        bool key;
        std::wstring path;
        bool programThere;
        BOOL available;
    } const cases[] = {
        {"no application path", false, L"", false, FALSE},
        {"empty path", true, L"", false, FALSE},
        {"program missing", true, dir, false, FALSE},
        {"program installed", true, dir, true, TRUE},
        {"path elsewhere", true, dir + L"\\nothing", true, FALSE},
    };
    for (const Case& c : cases) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStatusMonitorKey);
        DeleteFileW((dir + L"\\kvstsw64.exe").c_str());
        if (c.key) {
            ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kStatusMonitorKey, L"Path", REG_SZ,
                                      c.path.c_str(),
                                      static_cast<DWORD>((c.path.size() + 1) * sizeof(WCHAR))),
                      ERROR_SUCCESS);
        }
        if (c.programThere) {
            ASSERT_TRUE(CopyFileW(BinFile(L"kvrbtool-none.exe").c_str(),
                                  (dir + L"\\kvstsw64.exe").c_str(), FALSE));
        }
        EXPECT_EQ(IsStatusMonitorAvailable(), c.available) << c.what;
    }
    DeleteFileW((dir + L"\\kvstsw64.exe").c_str());
    RemoveScratchDirectory(dir);
}

TEST(CompanionFiles, VersionTextIsTheProductVersionOrTheFileTime)
{
    const std::wstring dir = CreateScratchDirectory();
    const std::wstring plain = dir + L"\\plain.dat";
    { std::ofstream(Narrow(plain).c_str()) << "data"; }
    SetFileTimeLocal(plain, kOldPackageTime);
    struct Case {
        std::wstring path;
        BOOL described;
        const WCHAR* text;
    } const cases[] = {
        {BinFile(L"KVQSMON.EXE"), TRUE, L"3.2.0.0"},
        {plain, TRUE, L"03/07/2009 14:05:09"},
        {dir + L"\\missing.dll", FALSE, L"#"},
        {dir, FALSE, L"#"},
    };
    for (const Case& c : cases) {
        WCHAR text[64] = L"#";
        EXPECT_EQ(DescribeFileVersion(c.path.c_str(), text, ARRAYSIZE(text)), c.described) << Narrow(c.path);
        EXPECT_STREQ(text, c.text) << Narrow(c.path);
    }
    DeleteFileW(plain.c_str());
    RemoveScratchDirectory(dir);
}

TEST_F(Companions, PackageVersionListNamesTheFilesThatExist)
{
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    ASSERT_NE(printer, nullptr);
    UiSession* session = OpenUiSession(printer, nullptr);
    ASSERT_NE(session, nullptr);
    InstallRemoteTool(L"kvrbtool-0.1.3.3.exe");
    // A package file without a version resource, dated as shipped.
    const std::wstring helper = BinFile(L"KVRH.EXE");
    ASSERT_TRUE(CopyFileW(BinFile(L"kvrbtool-none.exe").c_str(), helper.c_str(), FALSE));
    SetFileTimeLocal(helper, kOldPackageTime);
    // The installed help file has no version resource either.
    ASSERT_NE(session->helpFile, nullptr);
    SetFileTimeLocal(session->helpFile, kOldPackageTime);

    WCHAR text[4096];
    ASSERT_TRUE(BuildPackageVersionList(printer, session, text, ARRAYSIZE(text)));
    EXPECT_EQ(std::wstring(text),
              L"KVUIDRV.DLL\t1.0.0.1\r\n"
              L"KVUILANG.DLL\t1.0.0.1\r\n"
              L"KVUIMODL.DLL\t1.0.0.1\r\n"
              L"KVUIDRV.CHM\t03/07/2009 14:05:09\r\n"
              L"KVRBTOOL.EXE\t0.1.3.3\r\n"
              L"KVRH.EXE\t03/07/2009 14:05:09");

    WCHAR tight[50];
    ASSERT_TRUE(BuildPackageVersionList(printer, session, tight, ARRAYSIZE(tight)));
    EXPECT_EQ(std::wstring(tight), L"KVUIDRV.DLL\t1.0.0.1\r\nKVUILANG.DLL\t1.0.0.1")
        << "lines that do not fit are left out whole";

    DeleteFileW(helper.c_str());
    CloseUiSession(session);
    ClosePrinter(printer);
}

TEST(WebLinks, AddressesCarryTheCodesOrAreNotOffered)
{
    struct Case {
        const WCHAR* model;
        const WCHAR* language;
        BOOL built;
        const WCHAR* address;
    } const cases[] = {
        {L"TX3390N", L"en", TRUE,
         L"https://support.zentari.example/cgi-bin/solutions.cgi?MDL=TX3390N&LNG=en&SRC=DRIVER"},
        {L"", L"en", FALSE, L"#"},
        {L"TX3390N", nullptr, FALSE, L"#"},
        {nullptr, L"en", FALSE, L"#"},
    };
    for (const Case& c : cases) {
        WCHAR address[200] = L"#";
        EXPECT_EQ(BuildSupportSiteAddress(c.model, c.language, address, ARRAYSIZE(address)), c.built);
        EXPECT_STREQ(address, c.address);
    }
    WCHAR small[20];
    EXPECT_FALSE(BuildSupportSiteAddress(L"TX3390N", L"en", small, ARRAYSIZE(small)));
}

TEST(WebLinks, SuppliesQueryTakesCountryThenLanguage)
{
    struct Case {
        const WCHAR* query;
        BOOL built;
        const WCHAR* address;
    } const cases[] = {
        {L"c=%s&l=%s&m=TX3390N", TRUE,
         L"https://supplies.zentari.example/genuine/redirect/index.aspx?c=GBR&l=ENG&m=TX3390N"},
        {L"m=TX3390N", TRUE, L"https://supplies.zentari.example/genuine/redirect/index.aspx?m=TX3390N"},
        {L"", FALSE, L"#"},
        {nullptr, FALSE, L"#"},
    };
    for (const Case& c : cases) {
        WCHAR address[200] = L"#";
        EXPECT_EQ(BuildSuppliesSiteAddress(c.query, L"GBR", L"ENG", address, ARRAYSIZE(address)), c.built);
        EXPECT_STREQ(address, c.address);
    }
}

// The quick-setup monitor is started from the driver directory; its
// stand-in there records how it was started.
class QuickSetupLaunch : public Companions {
protected:
    void SetUp() override
    {
        Companions::SetUp();
        monitor_ = InstalledDriverDirectory() + L"\\KVQSMON.EXE";
        ASSERT_TRUE(CopyFileW(BinFile(L"KVQSMON.EXE").c_str(), monitor_.c_str(), FALSE));
        ForgetRecordedLaunch(monitor_);
    }
    void TearDown() override
    {
        CloseMonitorWindow();
        ForgetRecordedLaunch(monitor_);
        DeleteFileW(monitor_.c_str());
        Companions::TearDown();
    }
    void OpenMonitorWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KVQSMON";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, L"KVQSMON", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void CloseMonitorWindow()
    {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }
    std::wstring monitor_;
    HWND window_ = nullptr;
};

TEST_F(QuickSetupLaunch, MonitorIsToldWhetherQuickSetupIsOn)
{
    WCHAR ini[MAX_PATH];
    ASSERT_TRUE(QuickSetupIniPath(ini, MAX_PATH, TRUE));
    struct Case {
        const char* what;
        bool running;
        BYTE qps;
        const WCHAR* recorded;
        std::wstring arguments;   // empty: not started
    } const cases[] = {
        {"not running, quick setup off", false, 0, L"3.2", L""},
        {"not running, quick setup on", false, 1, L"3.2", std::wstring(L" 1 ") + ini},
        {"running, quick setup off", true, 0, L"3.2", std::wstring(L" 0 ") + ini},
        {"running, quick setup on", true, 1, L"3.2", std::wstring(L" 1 ") + ini},
        {"old monitor gets no file", false, 1, L"3.0", L" 1"},
    };
    for (const Case& c : cases) {
        ForgetRecordedLaunch(monitor_);
        SetUserText(L"KvQsmon", c.recorded);
        if (c.running)
            OpenMonitorWindow();
        PrivateSettings settings = {};
        settings.qps = c.qps;
        const UINT result = LaunchQuickSetupMonitor(&settings);
        CloseMonitorWindow();
        if (c.arguments.empty()) {
            EXPECT_EQ(result, 0u) << c.what;
            EXPECT_EQ(RecordedCommandLine(monitor_, 500), "") << c.what;
        } else {
            EXPECT_GT(result, 31u) << c.what;
            EXPECT_EQ(RecordedCommandLine(monitor_), Narrow(monitor_ + c.arguments)) << c.what;
        }
    }
}

TEST(QuickSetupFiles, IniPathIsInTheUserDataFolder)
{
    WCHAR folder[MAX_PATH], plain[MAX_PATH], quoted[MAX_PATH];
    ASSERT_TRUE(UserDataFolder(folder, MAX_PATH));
    ASSERT_TRUE(QuickSetupIniPath(plain, MAX_PATH, FALSE));
    ASSERT_TRUE(QuickSetupIniPath(quoted, MAX_PATH, TRUE));
    WCHAR appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
    EXPECT_EQ(std::wstring(plain), std::wstring(appData) + L"\\Zentari\\PrtDrv\\kvqsmon.ini");
    EXPECT_EQ(std::wstring(quoted), L"\"" + std::wstring(plain) + L"\"");
    WCHAR small[10];
    EXPECT_FALSE(QuickSetupIniPath(small, ARRAYSIZE(small), FALSE));
}

TEST(EndOfJobProgram, StartsAsTheGivenUserOrAsTheCaller)
{
    // Outside the services' session there is no console user to borrow.
    DWORD session = 0;
    ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
    if (session != 0) {
        EXPECT_EQ(ActiveConsoleUserToken(), nullptr);
    }

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
    const std::wstring program = BinFile(L"KVMD05A.EXE");
    for (HANDLE user : {token, static_cast<HANDLE>(nullptr)}) {
        ForgetRecordedLaunch(program);
        WCHAR commandLine[] = L"1033 C:\\jobs\\out.prn";
        EXPECT_TRUE(StartEndOfJobProgram(user, program.c_str(), commandLine));
        EXPECT_EQ(RecordedCommandLine(program), "1033 C:\\jobs\\out.prn") << (user ? "as user" : "as caller");
    }
    WCHAR commandLine[] = L"1033 x";
    EXPECT_FALSE(StartEndOfJobProgram(nullptr, (program + L".missing").c_str(), commandLine));
    ForgetRecordedLaunch(program);
    CloseHandle(token);
}

} // namespace
