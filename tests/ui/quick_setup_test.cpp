// The quick-setup monitor's file: what an apply writes into it, what a new
// settings session takes from it, and damaged or unwritable files.
#include "ui/quick_setup_sync.h"

#include "core/model_cache.h"
#include "core/ui_session.h"
#include "settings/devmode_defaults.h"
#include "settings/profile_settings.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const WCHAR kDriverName[] = L"Zentari TX-3390N series";
const WCHAR kPrinter[] = L"Office";
const WCHAR kAbsent[] = L"<absent>";

std::wstring Read(const std::wstring& path, const WCHAR* section, const WCHAR* key)
{
    WCHAR value[128];
    GetPrivateProfileStringW(section, key, kAbsent, value, 128, path.c_str());
    return value;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string FileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

TEST(QuickSetupItems, ListsBecomeItemMasks)
{
    struct Case {
        const WCHAR* items;
        DWORD mask;
    };
    const Case cases[] = {
        {L"1,10,12", 0x501}, {L"1,2,10,11,12", 0x703}, {L"2", 0x002},   {L"11, 10", 0x300},
        {L"12,12", 0x400},   {L"3,2,99", 0x002},       {L"", 0},        {L"x", 0},
        {L"1,,2", 0x001},    {L"-1,2", 0x002},         {nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuickSetupItemMask(c.items), c.mask) << (c.items ? c.items : L"(null)");
}

// A record and a model of the installed driver, and a scratch folder for
// the monitor's file and the model's quick-setup data.
class QuickSetupFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        printer_ = OpenTestPrinter(kTestQueueName);
        ASSERT_NE(printer_, nullptr);
        model_ = AcquireModelContext(printer_, kUseCachedModel);
        ASSERT_NE(model_, nullptr);
        ASSERT_TRUE(BuildDefaultDevmode(&dm_.pub, kDriverName, model_, FALSE, printer_));
        dm_.priv.qps = 1;
        dir_ = CreateScratchDirectory();
        ini_ = dir_ + L"\\kvqsmon.ini";
        modelData_ = dir_ + L"\\KV3390N.INI";
        view_ = {ini_.c_str(), kPrinter, L"KV3390N.INI", modelData_.c_str(), L"ENG"};
    }
    void TearDown() override
    {
        RemoveScratchDirectory(dir_);
        if (model_)
            ReleaseModelContext(model_);
        if (printer_)
            ClosePrinter(printer_);
    }
    void ModelItems(const char* items)
    {
        WriteBytes(modelData_, std::string("[QuickSetup]\r\nSet=") + items + "\r\n");
    }
    std::wstring Value(const WCHAR* key) const { return Read(ini_, kPrinter, key); }

    HANDLE printer_ = nullptr;
    ModelContext* model_ = nullptr;
    DriverDevmode dm_ = {};
    std::wstring dir_, ini_, modelData_;
    QuickSetupPrinter view_ = {};
};

TEST_F(QuickSetupFile, ApplyWritesTheItemsTheModelOffers)
{
    ModelItems("1,10,12");
    dm_.priv.multiPage = 2;
    dm_.priv.economy = 1;
    dm_.priv.mediaType = 5;
    WriteQuickSetupSettings(view_, &dm_.pub, &dm_.priv);
    EXPECT_EQ(Read(ini_, L"KVQSMON", L"Printer"), kPrinter);
    EXPECT_EQ(Value(L"Model"), L"KV3390N.INI");
    EXPECT_EQ(Value(L"Lang"), L"ENG");
    EXPECT_EQ(Value(L"Set"), L"1,10,12");
    EXPECT_EQ(Value(L"Bits"), L"0x501");
    EXPECT_EQ(Value(L"10"), L"2");
    EXPECT_EQ(Value(L"12"), L"1");
    // Items the model does not offer, and a paper source the monitor never chose.
    EXPECT_EQ(Value(L"2"), kAbsent);
    EXPECT_EQ(Value(L"11"), kAbsent);
    EXPECT_EQ(Value(L"1"), kAbsent);
}

TEST_F(QuickSetupFile, ApplyFollowsTheStoredItemsAndValues)
{
    struct Case {
        const char* name;
        const char* stored;        // the printer section before the apply
        SHORT multiPage;
        LONG posterPages;
        WORD duplex;
        SHORT source;
        const WCHAR* key;
        const WCHAR* expected;
    };
    const Case cases[] = {
        {"media and duplex only", "Set=2,11\r\nBits=0x202", 1, 0, 0x3301, 7, L"11", L"257"},
        {"items not in the mask", "Set=2,11\r\nBits=0x202", 4, 0, 0, 7, L"10", kAbsent},
        {"pages per sheet", "Bits=0x100", 4, 0, 0, 7, L"10", L"4"},
        {"poster pages", "Bits=0x100\r\n10=3", 1, 0, 0, 7, L"10", L"0"},
        {"missing values read as 0", "Bits=0x100", 1, 0, 0, 7, L"10", kAbsent},
        {"one page, poster off", "Bits=0x100", 1, 2, 0, 7, L"10", L"1"},
        {"every item without a mask", "", 4, 0, 0x0101, 7, L"11", L"257"},
        {"source without monitor flags", "Bits=0x1\r\n1=7", 1, 0, 0, 258, L"1", L"7"},
        {"source with monitor flags", "Bits=0x1\r\n1=4103", 1, 0, 0, 258, L"1", L"4354"},
        {"source already current", "Bits=0x1\r\n1=4354", 1, 0, 0, 258, L"1", L"4354"},
        {"source outside the mask", "Bits=0x2\r\n1=4103", 1, 0, 0, 258, L"1", L"4103"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini_, std::string("[Office]\r\n") + c.stored + "\r\n");
        dm_.priv.multiPage = c.multiPage;
        dm_.priv.processor.procPagesPerSheet = c.posterPages;
        dm_.priv.duplex = c.duplex;
        dm_.pub.dmDefaultSource = c.source;
        WriteQuickSetupSettings(view_, &dm_.pub, &dm_.priv);
        EXPECT_EQ(Value(c.key), c.expected) << c.name;
    }
}

TEST_F(QuickSetupFile, ModelAndLanguageAreRecordedWhenThePrinterChanges)
{
    struct Case {
        const char* stored;
        const WCHAR* printer;
        const WCHAR* model;
    };
    const Case cases[] = {
        // The same printer keeps the model it has; another one brings its own.
        {"[KVQSMON]\r\nPrinter=Office\r\n[Office]\r\nModel=OLD.INI\r\nLang=DEU", kPrinter, L"OLD.INI"},
        {"[KVQSMON]\r\nPrinter=OFFICE\r\n[Office]\r\nModel=OLD.INI", L"OFFICE", L"OLD.INI"},
        {"[KVQSMON]\r\nPrinter=Lab\r\n[Office]\r\nModel=OLD.INI\r\nLang=DEU", kPrinter, L"KV3390N.INI"},
    };
    for (const Case& c : cases) {
        WriteBytes(ini_, std::string(c.stored) + "\r\n");
        WriteQuickSetupSettings(view_, &dm_.pub, &dm_.priv);
        EXPECT_EQ(Read(ini_, L"KVQSMON", L"Printer"), c.printer) << c.stored;
        EXPECT_EQ(Value(L"Model"), c.model) << c.stored;
        EXPECT_EQ(Value(L"Lang"), L"ENG") << c.stored;
    }
}

TEST_F(QuickSetupFile, QuickSetupOffLeavesTheFileAlone)
{
    dm_.priv.qps = 0;
    WriteQuickSetupSettings(view_, &dm_.pub, &dm_.priv);
    EXPECT_EQ(FileBytes(ini_), "<missing>");
    const std::string stored = "[KVQSMON]\r\nPrinter=Lab\r\n[Office]\r\n10=9\r\n";
    WriteBytes(ini_, stored);
    WriteQuickSetupSettings(view_, &dm_.pub, &dm_.priv);
    EXPECT_EQ(FileBytes(ini_), stored);
}

TEST_F(QuickSetupFile, DamagedOrUnwritableFilesAreSurvived)
{
    // Binary rubbish in place of the file: the values are written after it.
    WriteBytes(ini_, std::string("\x01\xFF[\x00=\x02garbage\r\n[[[\r\n==\r\n", 24));
    dm_.priv.economy = 1;
    WriteQuickSetupSettings(view_, &dm_.pub, &dm_.priv);
    EXPECT_EQ(Value(L"12"), L"1");

    // A folder in the file's place takes no values and gives none.
    const std::wstring folder = dir_ + L"\\folder.ini";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    QuickSetupPrinter blocked = view_;
    blocked.iniPath = folder.c_str();
    WriteQuickSetupSettings(blocked, &dm_.pub, &dm_.priv);
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    DriverDevmode unchanged = dm_;
    ReadQuickSetupSettings(blocked, model_, &dm_);
    EXPECT_EQ(std::memcmp(&unchanged, &dm_, sizeof(dm_)), 0);
    RemoveDirectoryW(folder.c_str());

    // A folder that does not exist gets no file.
    const std::wstring nowhere = dir_ + L"\\missing\\kvqsmon.ini";
    QuickSetupPrinter lost = view_;
    lost.iniPath = nowhere.c_str();
    WriteQuickSetupSettings(lost, &dm_.pub, &dm_.priv);
    EXPECT_EQ(FileBytes(nowhere), "<missing>");
    DriverDevmode before = dm_;
    ReadQuickSetupSettings(lost, model_, &dm_);
    EXPECT_EQ(std::memcmp(&before, &dm_, sizeof(dm_)), 0);
}

TEST_F(QuickSetupFile, SessionTakesTheMonitorsChoices)
{
    struct Case {
        const char* name;
        const char* stored;
        SHORT multiPage;
        WORD economy;
        WORD mediaType;
        WORD duplexBits;       // the low 9 bits
        SHORT source;
    };
    const SHORT ownSource = 2;
    const Case cases[] = {
        {"every item", "Bits=0x703\r\n10=4\r\n12=1\r\n2=3\r\n11=769\r\n1=4354", 4, 1, 3, 0x101, 258},
        {"a source the model lacks", "Bits=0x1\r\n1=4359", 1, 0, 0, 0, 7},
        {"a source the monitor did not choose", "Bits=0x1\r\n1=1", 1, 0, 0, 0, ownSource},
        {"only the masked items", "Bits=0x400\r\n10=4\r\n12=1", 1, 1, 0, 0, ownSource},
        {"the model's items without a mask", "10=4\r\n12=1", 1, 1, 0, 0, ownSource},
    };
    ModelItems("12");
    for (const Case& c : cases) {
        WriteBytes(ini_, std::string("[KVQSMON]\r\nPrinter=Lab\r\n[Office]\r\n") + c.stored + "\r\n");
        DriverDevmode dm = dm_;
        dm.priv.multiPage = 1;
        dm.priv.economy = 0;
        dm.priv.mediaType = 0;
        dm.priv.duplex = 0xFE00;
        dm.pub.dmDefaultSource = ownSource;
        dm.priv.tray = ownSource;
        ReadQuickSetupSettings(view_, model_, &dm);
        EXPECT_EQ(dm.priv.multiPage, c.multiPage) << c.name;
        EXPECT_EQ(dm.priv.economy, c.economy) << c.name;
        EXPECT_EQ(dm.priv.mediaType, c.mediaType) << c.name;
        EXPECT_EQ(dm.priv.duplex, 0xFE00 | c.duplexBits) << c.name;
        EXPECT_EQ(dm.pub.dmDefaultSource, c.source) << c.name;
        EXPECT_EQ(dm.priv.tray, static_cast<WORD>(c.source)) << c.name;
        // The file now names this printer, with its language.
        EXPECT_EQ(Read(ini_, L"KVQSMON", L"Printer"), kPrinter) << c.name;
        EXPECT_EQ(Value(L"Lang"), L"ENG") << c.name;
    }
}

TEST_F(QuickSetupFile, SessionIgnoresAFileWithoutALastPrinter)
{
    struct Case {
        const char* name;
        const char* text;     // null: no file
        BYTE qps;
    };
    const Case cases[] = {
        {"no file", nullptr, 1},
        {"no last printer", "[Office]\r\nBits=0x400\r\n12=1", 1},
        {"empty last printer", "[KVQSMON]\r\nPrinter=\r\n[Office]\r\nBits=0x400\r\n12=1", 1},
        {"quick setup off", "[KVQSMON]\r\nPrinter=Lab\r\n[Office]\r\nBits=0x400\r\n12=1", 0},
    };
    for (const Case& c : cases) {
        DeleteFileW(ini_.c_str());
        if (c.text)
            WriteBytes(ini_, std::string(c.text) + "\r\n");
        const std::string stored = FileBytes(ini_);
        DriverDevmode dm = dm_;
        dm.priv.qps = c.qps;
        ReadQuickSetupSettings(view_, model_, &dm);
        dm.priv.qps = dm_.priv.qps;
        EXPECT_EQ(std::memcmp(&dm, &dm_, sizeof(dm)), 0) << c.name;
        EXPECT_EQ(FileBytes(ini_), stored) << c.name;
    }
}

// Through the real entry points: the profile save brings the file up to
// date, and a session on a queue takes the monitor's choices when the
// monitor is installed beside the driver.
class QuickSetupThroughTheDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The monitor beside the test programs is the lifecycle tests'
        // stand-in: keep it aside while this test decides what is there.
        monitorProgram_ = TestBinDirectory() + L"\\KVQSMON.EXE";
        keptProgram_ = monitorProgram_ + L".kept";
        MoveFileExW(monitorProgram_.c_str(), keptProgram_.c_str(), MOVEFILE_REPLACE_EXISTING);
        QuickSetupMonitor monitor;
        LocateQuickSetupMonitor(&monitor);
        ini_ = monitor.iniPath;
        ASSERT_FALSE(ini_.empty());
        DeleteFileW(ini_.c_str());
        dir_ = CreateScratchDirectory();
        ASSERT_TRUE(AddTestQueue(kQueue, kDriverName));
        printer_ = OpenTestPrinter(kQueue);
        ASSERT_NE(printer_, nullptr);
    }
    void TearDown() override
    {
        DeleteFileW(ini_.c_str());
        DeleteFileW(monitorProgram_.c_str());
        MoveFileExW(keptProgram_.c_str(), monitorProgram_.c_str(), MOVEFILE_REPLACE_EXISTING);
        RemoveScratchDirectory(dir_);
        if (printer_) {
            DeletePrinter(printer_);
            ClosePrinter(printer_);
        }
    }
    // The queue's settings with quick setup on.
    void StoreQuickSetupOn()
    {
        UiSession* session = OpenUiSession(printer_, nullptr);
        ASSERT_NE(session, nullptr);
        DriverDevmode dm = session->devmode;
        CloseUiSession(session);
        dm.priv.qps = 1;
        PRINTER_INFO_8W info = {&dm.pub};
        ASSERT_TRUE(SetPrinterW(printer_, 8, reinterpret_cast<BYTE*>(&info), 0));
    }

    static constexpr const WCHAR* kQueue = L"KV quick setup";
    std::wstring ini_, monitorProgram_, keptProgram_, dir_;
    HANDLE printer_ = nullptr;
};

TEST_F(QuickSetupThroughTheDriver, ProfileSaveWritesTheMonitorsFile)
{
    DriverDevmode dm = {};
    UiSession* session = OpenUiSession(printer_, nullptr);
    ASSERT_NE(session, nullptr);
    dm = session->devmode;
    CloseUiSession(session);
    const std::wstring profile = dir_ + L"\\profile.ini";
    for (BYTE qps : {0, 1}) {
        dm.priv.qps = qps;
        dm.priv.economy = 1;
        dm.priv.multiPage = 4;
        ASSERT_TRUE(SaveSettingsToProfile(&dm.pub, &dm.priv, printer_, profile.c_str(), L"1"));
        if (!qps) {
            EXPECT_EQ(FileBytes(ini_), "<missing>");
            continue;
        }
        EXPECT_EQ(Read(ini_, L"KVQSMON", L"Printer"), kQueue);
        EXPECT_EQ(Read(ini_, kQueue, L"Model"), L"KV3390N.INI");
        EXPECT_EQ(Read(ini_, kQueue, L"Lang"), L"ENG");
        EXPECT_EQ(Read(ini_, kQueue, L"12"), L"1");
        EXPECT_EQ(Read(ini_, kQueue, L"10"), L"4");
    }
}

TEST_F(QuickSetupThroughTheDriver, SessionTakesTheChoicesOnlyWithTheMonitorInstalled)
{
    StoreQuickSetupOn();
    const std::string choices = "[KVQSMON]\r\nPrinter=Lab\r\n[KV quick setup]\r\nBits=0x500\r\n"
                                "10=4\r\n12=1\r\n";
    for (bool installed : {false, true}) {
        if (installed)
            WriteBytes(monitorProgram_, "MZ");
        WriteBytes(ini_, choices);
        UiSession* session = OpenUiSession(printer_, nullptr);
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(session->devmode.priv.multiPage, installed ? 4 : 1);
        EXPECT_EQ(session->devmode.priv.economy, installed ? 1 : 0);
        CloseUiSession(session);
        EXPECT_EQ(Read(ini_, L"KVQSMON", L"Printer"), installed ? kQueue : L"Lab");
    }
}

} // namespace
