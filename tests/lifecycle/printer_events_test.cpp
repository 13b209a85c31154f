// Printer events on queues of the tests' own, driven through the installed
// module's export as the spooler drives it, and read back through the real
// spooler. The platform's spooler keeps no forms, so the count of added
// forms is taken from the module linked into this program with the form
// calls recorded.
#include "lifecycle/lifecycle_support.h"

#include "settings/model_forms.h"
#include "settings/printer_data.h"
#include "support/expect_fields.h"
#include "support/model_text.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include "platform/driverui.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const WCHAR kQueue[] = L"KV Printer Events Test";
const WCHAR kAtomQueue[] = L"KV Printer Events Atom Test";
const WCHAR kOrphanQueue[] = L"KV Printer Events Orphan Test";
const WCHAR kFileList[] = L"[FileList]\r\nExDefaultInformation=KVEVTE.DAT\r\n"
                          L"DefaultInformation=KVEVTD.DAT\r\nWatermarkInformation=KVW3390N.INI\r\n";
const char kProfile[] = "[Default Setting]\r\nUserDefinedPaper=1;Card,300,0,900,1300;\r\n";
const WCHAR kCardPaper[] = L"1;Card,300,0,900,1300;";
const WCHAR kNoPaper[] = L"__##NOUSE##__";

// The sample model with bit 25 of its capability word set as well.
std::string PopupAtomModelText()
{
    std::string text = SampleModelText();
    const std::string caps = "*PrinterCaps: \"4096\"";
    text.replace(text.find(caps), caps.size(), "*PrinterCaps: \"33558528\"");
    return text;
}

// Every value the events write, in one snapshot.
const WCHAR* const kEventValues[] = {L"PXMSTSATOM", L"PrtCaps", L"DeviceCaps", L"TrayCaps",
                                     L"LangDLL", L"DateTimeIDs", L"Forms?", L"CstPaper",
                                     L"PrinterData", L"PrinterDataSize", L"FreeMem", L"PrinterHT"};

std::vector<StoredValue> Snapshot(HANDLE printer)
{
    std::vector<StoredValue> values;
    for (const WCHAR* name : kEventValues) values.push_back(ReadStoredValue(printer, name));
    return values;
}

class PrinterEvents : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        installed_ = WriteDriverFile(L"KVEVTE.DAT", kProfile) &&
                     InstallEventQueue(kQueue, L"KV Printer Events Model", L"KVEVT.PPD",
                                       SampleModelText(), kFileList) &&
                     InstallEventQueue(kAtomQueue, L"KV Printer Events Atom Model",
                                       L"KVEVTA.PPD", PopupAtomModelText(), kFileList);
    }
    void SetUp() override
    {
        ASSERT_TRUE(installed_) << "the test queues could not be installed";
        ASSERT_TRUE(exports_.Loaded()) << "the installed module lacks the event exports";
        ASSERT_NE(printer_ = OpenTestPrinter(kQueue), nullptr);
    }
    void TearDown() override { ClosePrinter(printer_); }

    // Values the events must overwrite (or, for other events, leave).
    static void PutSentinels(HANDLE printer)
    {
        for (const WCHAR* name : {L"PXMSTSATOM", L"PrtCaps", L"DeviceCaps", L"TrayCaps"})
            PutPrinterData(printer, name, DwordValue(0xDEAD));
        // Forms still to be registered.
        PutPrinterData(printer, L"Forms?", DwordValue(0));
        for (const WCHAR* name : {L"LangDLL", L"DateTimeIDs"})
            PutPrinterData(printer, name, TextValue(REG_SZ, L"sentinel"));
        PutPrinterData(printer, L"CstPaper", TextValue(REG_BINARY, L"sentinel"));
    }
    BOOL Event(const WCHAR* queue, INT event)
    {
        return exports_.printerEvent(const_cast<WCHAR*>(queue), event, PRINTER_EVENT_FLAG_NO_UI, 0);
    }

    static bool installed_;
    InstalledExports exports_;
    HANDLE printer_ = nullptr;
};
bool PrinterEvents::installed_ = false;

TEST_F(PrinterEvents, InitialiseWritesWhatTheModelImplies)
{
    const struct {
        const WCHAR* queue;
        std::string text;
        DWORD capabilities;
        DWORD popupAtom;
    } models[] = {{kQueue, SampleModelText(), 4096, 0}, {kAtomQueue, PopupAtomModelText(), 33558528, 1}};
    for (const auto& model : models) {
        SCOPED_TRACE(testing::Message() << model.capabilities);
        ParsedModel parsed;
        ParseModelText(model.text, &parsed);
        ASSERT_NE(parsed.model, nullptr);
        HANDLE printer = OpenTestPrinter(model.queue);
        ASSERT_NE(printer, nullptr);
        PutSentinels(printer);
        RemoveTestPrinterData(model.queue, L"PrinterData");
        EXPECT_TRUE(Event(model.queue, PRINTER_EVENT_INITIALIZE));
        const struct {
            const WCHAR* name;
            StoredValue expected;
        } rows[] = {
            {L"PXMSTSATOM", DwordValue(model.popupAtom)},
            {L"PrtCaps", DwordValue(model.capabilities)},
            {L"DeviceCaps", DwordValue(5)},
            {L"TrayCaps", DwordValue(1077)},
            {L"LangDLL", TextValue(REG_SZ, L"KVUILANG.DLL")},
            {L"DateTimeIDs", TextValue(REG_SZ, L"14000,3923,14007,3988,3997")},
            {L"Forms?", DwordValue(2)},
            {L"CstPaper", TextValue(REG_BINARY, kCardPaper)},
            {L"PrinterDataSize", DwordValue(sizeof(PrinterDataBlock))},
        };
        for (const auto& row : rows)
            EXPECT_TRUE(ReadStoredValue(printer, row.name) == row.expected)
                << testing::PrintToString(std::wstring(row.name));

        const StoredValue stored = ReadStoredValue(printer, L"PrinterData");
        ASSERT_EQ(stored.data.size(), sizeof(PrinterDataBlock));
        PrinterDataBlock block;
        memcpy(&block, stored.data.data(), sizeof(block));
        ExpectFields({F(block.version, 263), F(block.size, 108), F(block.modelVariant, 0),
                      F(block.checksum, parsed.model->modelChecksum),
                      F(block.jobTimeout, parsed.model->suggestedJobTimeout),
                      F(block.waitTimeout, parsed.model->suggestedWaitTimeout)});
        EXPECT_TRUE(ReadStoredValue(printer, L"FreeMem") == DwordValue(block.freeMemory / 1024));
        ClosePrinter(printer);
    }
}

TEST_F(PrinterEvents, CacheRefreshIsIdempotent)
{
    ASSERT_TRUE(Event(kQueue, PRINTER_EVENT_INITIALIZE));
    const std::vector<StoredValue> initialised = Snapshot(printer_);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_TRUE(Event(kQueue, PRINTER_EVENT_CACHE_REFRESH));
        const std::vector<StoredValue> refreshed = Snapshot(printer_);
        for (size_t i = 0; i < refreshed.size(); ++i)
            EXPECT_TRUE(refreshed[i] == initialised[i]) << testing::PrintToString(std::wstring(kEventValues[i]));
    }
}

TEST_F(PrinterEvents, OtherEventsChangeNothing)
{
    PutSentinels(printer_);
    const std::vector<StoredValue> before = Snapshot(printer_);
    for (INT event : {0, PRINTER_EVENT_ADD_CONNECTION, PRINTER_EVENT_DELETE_CONNECTION,
                      PRINTER_EVENT_DELETE, PRINTER_EVENT_CACHE_DELETE,
                      PRINTER_EVENT_ATTRIBUTES_CHANGED, 99}) {
        SCOPED_TRACE(event);
        EXPECT_TRUE(Event(kQueue, event));
        EXPECT_TRUE(Snapshot(printer_) == before);
    }
}

TEST_F(PrinterEvents, AQueueThatCannotBeOpenedIsNoFailure)
{
    for (INT event : {PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_CACHE_REFRESH})
        for (const WCHAR* queue : {static_cast<const WCHAR*>(nullptr), L"KV No Such Queue"}) {
            SCOPED_TRACE(testing::Message() << event << (queue ? " named" : " null"));
            EXPECT_TRUE(Event(queue, event));
        }
}

// The custom papers come from the profile the file list names; a missing
// profile, or one without papers, leaves the "no papers" marker.
TEST_F(PrinterEvents, CustomPapersFollowTheInstalledProfile)
{
    const std::wstring list = InstalledFile(L"KVEVT.DAT");
    const struct {
        const WCHAR* profile;
        const WCHAR* expected;
    } rows[] = {{L"KVEVTE.DAT", kCardPaper}, {L"KVNONE.DAT", kNoPaper}, {L"KV3390N.PPD", kNoPaper}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.profile)));
        ASSERT_TRUE(WritePrivateProfileStringW(L"FileList", L"ExDefaultInformation", row.profile,
                                               list.c_str()));
        PutSentinels(printer_);
        EXPECT_TRUE(Event(kQueue, PRINTER_EVENT_INITIALIZE));
        EXPECT_TRUE(ReadStoredValue(printer_, L"CstPaper") == TextValue(REG_BINARY, row.expected));
    }
    WritePrivateProfileStringW(L"FileList", L"ExDefaultInformation", L"KVEVTE.DAT", list.c_str());
}

// The watermarks saved in the installation's profile become the queue's;
// without any, the model's shared watermarks are merged into the store.
TEST_F(PrinterEvents, WatermarksComeFromTheProfileOrTheSharedFile)
{
    ASSERT_TRUE(WriteDriverFile(L"KVEVTM.DAT", "[:kvwatermark:]\r\n0=KV PROFILE MARK\r\n"
                                               "[KV PROFILE MARK]\r\nStrings=P\r\n"
                                               "[Default WMark]\r\nCurrent=5\r\n"));
    ASSERT_TRUE(WriteDriverFile(L"KVEVTW.INI", "[:kvwatermark:]\r\n0=KV SHARED MARK\r\n"
                                               "[KV SHARED MARK]\r\nStrings=S\r\n"));
    WCHAR windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring store = std::wstring(windows) + L"\\KVWMARK.INI";
    const std::wstring list = InstalledFile(L"KVEVT.DAT");
    const struct {
        const WCHAR* profile;
        const WCHAR* section;   // the watermark the store must hold afterwards
        const WCHAR* text;
    } rows[] = {{L"KVEVTM.DAT", L"KV PROFILE MARK", L"P"}, {L"KVEVTE.DAT", L"KV SHARED MARK", L"S"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.profile)));
        for (const WCHAR* section : {L"KV PROFILE MARK", L"KV SHARED MARK"})
            WritePrivateProfileStringW(section, nullptr, nullptr, store.c_str());
        WritePrivateProfileStringW(kQueue, nullptr, nullptr, store.c_str());
        ASSERT_TRUE(WritePrivateProfileStringW(L"FileList", L"ExDefaultInformation", row.profile, list.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"FileList", L"WatermarkInformation", L"KVEVTW.INI", list.c_str()));
        EXPECT_TRUE(Event(kQueue, PRINTER_EVENT_INITIALIZE));
        WCHAR text[16] = {}, current[16] = {};
        GetPrivateProfileStringW(row.section, L"Strings", L"", text, ARRAYSIZE(text), store.c_str());
        GetPrivateProfileStringW(kQueue, L"Current", L"", current, ARRAYSIZE(current), store.c_str());
        EXPECT_STREQ(text, row.text);
        // Only the profile names the queue's current watermark.
        EXPECT_STREQ(current, row.profile == std::wstring(L"KVEVTM.DAT") ? L"5" : L"");
    }
    WritePrivateProfileStringW(L"FileList", L"ExDefaultInformation", L"KVEVTE.DAT", list.c_str());
    WritePrivateProfileStringW(L"FileList", L"WatermarkInformation", L"KVW3390N.INI", list.c_str());
}

// What the job processor and the companion programs share is reset or made.
TEST_F(PrinterEvents, SetUpClearsTheProcessorKeyAndMakesTheSharedDirectories)
{
    WCHAR common[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common), S_OK);
    const std::wstring company = std::wstring(common) + L"\\Zentari";
    const std::wstring drivers = company + L"\\PrtDrv";
    RemoveDirectoryW(drivers.c_str());
    RemoveDirectoryW(company.c_str());
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\zentari\\kvsplproc", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_TRUE(Event(kQueue, PRINTER_EVENT_INITIALIZE));
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\zentari\\kvsplproc", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    for (const std::wstring& dir : {company, drivers}) {
        const DWORD attributes = GetFileAttributesW(dir.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            << testing::PrintToString(dir);
    }
    // A second set-up finds them and changes nothing.
    EXPECT_TRUE(Event(kQueue, PRINTER_EVENT_INITIALIZE));
    EXPECT_NE(GetFileAttributesW(drivers.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Without a readable model the model's values stay as they were, and the
// rest of the set-up still runs.
TEST_F(PrinterEvents, MissingModelSkipsOnlyTheModelsValues)
{
    ASSERT_TRUE(InstallEventQueue(kOrphanQueue, L"KV Printer Events Orphan Model", L"KVEVTO.PPD",
                                  SampleModelText(), L"[FileList]\r\nDefaultInformation=KVEVTD.DAT\r\n"));
    ASSERT_TRUE(DeleteFileW(InstalledFile(L"KVEVTO.PPD").c_str()));
    DeleteFileW(InstalledFile(L"KVEVTO.BDD").c_str());
    HANDLE printer = OpenTestPrinter(kOrphanQueue);
    ASSERT_NE(printer, nullptr);
    PutSentinels(printer);
    EXPECT_TRUE(Event(kOrphanQueue, PRINTER_EVENT_INITIALIZE));
    EXPECT_TRUE(ReadStoredValue(printer, L"PrtCaps") == DwordValue(0xDEAD));
    EXPECT_TRUE(ReadStoredValue(printer, L"Forms?") == DwordValue(0));
    // The package's profile has no custom papers.
    EXPECT_TRUE(ReadStoredValue(printer, L"CstPaper") == TextValue(REG_BINARY, kNoPaper));
    ClosePrinter(printer);
}

// The date and time ids the queue lists are the module's named entries.
TEST(DateTimeIds, AreTheModulesNamedOffsetEntries)
{
    HMODULE module = LoadLibraryExW((TestBinDirectory() + L"\\KVUIDRV.DLL").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const struct {
        const WCHAR* name;
        WORD id;
    } rows[] = {{L"L_IDR_WEEK_SUN", 14000}, {L"L_IDS_WEEKNEW_SUN", 3923}, {L"L_IDR_MONTH_JAN", 14007},
                {L"L_IDS_AM1", 3988},       {L"L_IDS_AM2", 3997},         {L"L_IDS_DATEFMTNEW1", 4500},
                {L"L_IDS_DATETIME_TIMENEW1", 13951}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
        HRSRC found = FindResourceW(module, row.name, L"RC_OFFSET");
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(SizeofResource(module, found), sizeof(WORD));
        const void* data = LockResource(LoadResource(module, found));
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(*static_cast<const WORD*>(data), row.id);
    }
    FreeLibrary(module);
}

// Forms and leaks, with the module linked into this program: the form
// calls go to a recorder.
std::vector<std::wstring> g_added;
BOOL WINAPI RecordAdd(HANDLE, DWORD, LPBYTE data)
{
    g_added.push_back(reinterpret_cast<FORM_INFO_1W*>(data)->pName);
    return TRUE;
}
BOOL WINAPI NoDelete(HANDLE, LPWSTR) { return TRUE; }
BOOL WINAPI NoForms(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD count)
{
    *needed = *count = 0;
    return TRUE;
}

class LinkedPrinterEvents : public PrinterEvents {
protected:
    void SetUp() override
    {
        PrinterEvents::SetUp();
        const SpoolerFormCalls calls = {RecordAdd, NoDelete, NoForms};
        previous_ = SetSpoolerFormCalls(&calls);
        g_added.clear();
    }
    void TearDown() override
    {
        SetSpoolerFormCalls(&previous_);
        PrinterEvents::TearDown();
    }
    static BOOL LinkedEvent(INT event)
    {
        return DrvPrinterEvent(const_cast<WCHAR*>(kQueue), event, PRINTER_EVENT_FLAG_NO_UI, 0);
    }
    SpoolerFormCalls previous_ = {};
};

TEST_F(LinkedPrinterEvents, FormsAreAddedOncePerRegistration)
{
    PutPrinterData(printer_, L"Forms?", DwordValue(0));
    const struct {
        INT event;
        size_t added;
    } steps[] = {{PRINTER_EVENT_INITIALIZE, 15}, {PRINTER_EVENT_INITIALIZE, 0},
                 {PRINTER_EVENT_CACHE_REFRESH, 0}};
    for (const auto& step : steps) {
        g_added.clear();
        ASSERT_TRUE(LinkedEvent(step.event));
        EXPECT_EQ(g_added.size(), step.added) << "event " << step.event;
    }
    // A refresh after the value was reset registers them again.
    PutPrinterData(printer_, L"Forms?", DwordValue(0));
    ASSERT_TRUE(LinkedEvent(PRINTER_EVENT_CACHE_REFRESH));
    EXPECT_EQ(g_added.size(), 15u);
    EXPECT_EQ(g_added.front(), L"Letter");
}

TEST_F(LinkedPrinterEvents, LeaveNothingBehind)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [] {
            LinkedEvent(PRINTER_EVENT_INITIALIZE);
            LinkedEvent(PRINTER_EVENT_CACHE_REFRESH);
        },
        3, 20);
    ExpectFields({F(growth.handles, 0), F(growth.heapBlocks, 0), F(growth.gdiObjects, 0)});
}

}  // namespace
