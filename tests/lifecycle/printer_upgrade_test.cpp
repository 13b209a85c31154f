// Moving a queue to this driver: the tray-form table conversion as pure
// code, then DrvUpgradePrinter on a queue of the tests' own through the
// installed module's export, and the forms it re-registers through the
// module linked into this program with the form calls recorded.
#include "lifecycle/printer_upgrade.h"

#include "core/module_state.h"
#include "lifecycle/lifecycle_support.h"
#include "platform/driverui.h"
#include "settings/model_forms.h"
#include "settings/printer_data.h"
#include "support/expect_fields.h"
#include "support/model_text.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A table as stored: texts with their terminators, in 16-bit units.
std::vector<BYTE> Table(std::initializer_list<std::wstring> texts)
{
    std::vector<BYTE> bytes;
    for (const std::wstring& text : texts) {
        const BYTE* begin = reinterpret_cast<const BYTE*>(text.c_str());
        bytes.insert(bytes.end(), begin, begin + (text.size() + 1) * sizeof(WCHAR));
    }
    return bytes;
}

std::vector<BYTE> WithLeadingSize(std::vector<BYTE> bytes)
{
    const WORD size = static_cast<WORD>(bytes.size() + sizeof(WORD));
    bytes.insert(bytes.begin(), reinterpret_cast<const BYTE*>(&size),
                 reinterpret_cast<const BYTE*>(&size) + sizeof(size));
    return bytes;
}

const std::vector<BYTE> kTwoOld = Table({L"Tray1", L"A4", L"A4", L"Tray2", L"Letter", L"Letter", L""});
const std::vector<BYTE> kTwoNew =
    WithLeadingSize(Table({L"Tray1", L"A4", L"A4", L"", L"Tray2", L"Letter", L"Letter", L"", L""}));

TEST(TrayFormTableConversion, GrowsByTwoPerEntryPlusTheSizeWord)
{
    std::vector<BYTE> odd = kTwoOld;
    odd.push_back(0);
    const struct {
        const char* what;
        std::vector<BYTE> old;
        std::vector<BYTE> converted;   // empty: malformed
    } rows[] = {
        {"two entries", kTwoOld, kTwoNew},
        {"no entry", Table({L""}), WithLeadingSize(Table({L""}))},
        {"empty form names", Table({L"T", L"", L"", L""}), WithLeadingSize(Table({L"T", L"", L"", L"", L""}))},
        {"no end marker", Table({L"Tray1", L"A4", L"A4"}), {}},
        {"text after the end", Table({L"Tray1", L"A4", L"A4", L"", L"x"}), {}},
        {"entry cut short", Table({L"Tray1", L"A4"}), {}},
        {"unterminated text", {'T', 0, 'x', 0}, {}},
        {"odd byte count", odd, {}},
        {"nothing at all", {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<BYTE> out(2 * row.old.size() + 2, 0xCD);
        const DWORD size = ConvertTrayFormTable(row.old.data(), static_cast<DWORD>(row.old.size()),
                                                out.data(), static_cast<DWORD>(out.size()));
        ASSERT_EQ(size, row.converted.size());
        EXPECT_EQ(std::vector<BYTE>(out.begin(), out.begin() + size), row.converted);
    }
    // Exactly the room needed is enough; one byte less is not.
    std::vector<BYTE> out(kTwoNew.size());
    EXPECT_EQ(ConvertTrayFormTable(kTwoOld.data(), static_cast<DWORD>(kTwoOld.size()), out.data(),
                                   static_cast<DWORD>(out.size())),
              kTwoOld.size() + 6);
    EXPECT_EQ(ConvertTrayFormTable(kTwoOld.data(), static_cast<DWORD>(kTwoOld.size()), out.data(),
                                   static_cast<DWORD>(out.size() - 1)),
              0u);
}

// The variant is the first k whose name resource 40060 + 1000 k equals the
// model's product name, ignoring case; names past k = 10 are not looked at.
TEST(ModelVariants, AreFoundByProductName)
{
    HMODULE names = LoadLibraryW((TestBinDirectory() + L"\\kvvariants.dll").c_str());
    ASSERT_NE(names, nullptr);
    const HMODULE previous = g_module.resourceModule;
    g_module.resourceModule = names;
    const struct {
        const char* product;
        WORD variant;
    } rows[] = {{"Zentari TX-3390N series", 1}, {"ZENTARI tx-3390n SERIES", 1}, {"Zentari TX-4400", 3},
                {"Zentari TX-9900", 10},        {"Zentari TX-9999", 0},         {"Zentari TX-1000", 0},
                {"Zentari TX-3390N", 0},        {"", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.product);
        ParsedModel model;
        ParseModelText(MakeModelText(row.product, nullptr), &model);
        ASSERT_NE(model.model, nullptr);
        EXPECT_EQ(ModelVariantOf(model.model), row.variant);
    }
    g_module.resourceModule = previous;
    FreeLibrary(names);
}

const WCHAR kQueue[] = L"KV Printer Upgrade Test";
const WCHAR kFileList[] = L"[FileList]\r\nExDefaultInformation=KVUPGE.DAT\r\n"
                          L"DefaultInformation=KVUPGD.DAT\r\n";

class PrinterUpgrade : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        installed_ = WriteDriverFile(L"KVUPGE.DAT", "[Default Setting]\r\n") &&
                     InstallEventQueue(kQueue, L"KV Printer Upgrade Model", L"KVUPG.PPD",
                                       SampleModelText(), kFileList);
    }
    void SetUp() override
    {
        ASSERT_TRUE(installed_) << "the test queue could not be installed";
        ASSERT_TRUE(exports_.Loaded()) << "the installed module lacks the upgrade export";
        ParseModelText(SampleModelText(), &sample_);
        ASSERT_NE(sample_.model, nullptr);
        ASSERT_NE(printer_ = OpenTestPrinter(kQueue), nullptr);
    }
    void TearDown() override { ClosePrinter(printer_); }

    BOOL Upgrade()
    {
        DRIVER_UPGRADE_INFO_1 info = {const_cast<WCHAR*>(kQueue), nullptr};
        return exports_.upgradePrinter(1, reinterpret_cast<BYTE*>(&info));
    }
    void PutBinary(const WCHAR* name, const void* data, size_t size)
    {
        StoredValue value;
        value.present = true;
        value.type = REG_BINARY;
        value.data.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
        PutPrinterData(printer_, name, value);
    }
    PrinterDataBlock StoredBlock()
    {
        PrinterDataBlock block = {};
        const StoredValue stored = ReadStoredValue(printer_, L"PrinterData");
        EXPECT_EQ(stored.data.size(), sizeof(block));
        memcpy(&block, stored.data.data(), stored.data.size() < sizeof(block) ? stored.data.size() : sizeof(block));
        return block;
    }

    static bool installed_;
    InstalledExports exports_;
    ParsedModel sample_;
    HANDLE printer_ = nullptr;
};
bool PrinterUpgrade::installed_ = false;

TEST_F(PrinterUpgrade, RefusesWhatItCannotUpgrade)
{
    DRIVER_UPGRADE_INFO_1 good = {const_cast<WCHAR*>(kQueue), nullptr};
    DRIVER_UPGRADE_INFO_1 unnamed = {nullptr, nullptr};
    DRIVER_UPGRADE_INFO_1 unknown = {const_cast<WCHAR*>(L"KV No Such Queue"), nullptr};
    const struct {
        const char* what;
        DWORD level;
        DRIVER_UPGRADE_INFO_1* info;
    } rows[] = {{"level 2", 2, &good}, {"level 0", 0, &good}, {"no information", 1, nullptr},
                {"no printer name", 1, &unnamed}, {"unknown queue", 1, &unknown}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetLastError(0);
        EXPECT_FALSE(exports_.upgradePrinter(row.level, reinterpret_cast<BYTE*>(row.info)));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

// An older record is completed to the current size with zeros; its own
// size word says how much of it is real.
TEST_F(PrinterUpgrade, RecordsAreRaisedToTheCurrentLayout)
{
    const struct {
        WORD version, size;
        size_t kept;   // bytes of the old record that survive
    } rows[] = {{262, 100, 100}, {262, 108, 108}, {263, 108, 108}, {0x0100, 60, 60}, {262, 200, 108}};
    RemoveTestPrinterData(kQueue, L"TrayFormTable");
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.version << "/" << row.size);
        PrinterDataBlock old;
        memset(&old, 0x5A, sizeof(old));
        old.version = row.version;
        old.size = row.size;
        old.freeMemory = 4096 * 1024;
        old.modelVariant = 7;
        old.checksum = sample_.model->modelChecksum;   // the options stay as stored
        PutBinary(L"PrinterData", &old, sizeof(old));
        PutPrinterData(printer_, L"PrinterDataSize", DwordValue(sizeof(old)));

        PrinterDataBlock expected = {};
        memcpy(&expected, &old, row.kept);
        expected.version = 263;
        expected.size = 108;
        expected.modelVariant = 0;   // the package names no model variants
        ASSERT_TRUE(Upgrade());
        const PrinterDataBlock block = StoredBlock();
        EXPECT_EQ(memcmp(&block, &expected, sizeof(block)), 0);
        ExpectFields({F(block.version, 263), F(block.size, 108), F(block.options[63], row.kept == 108 ? 0x5A : 0)});
        EXPECT_TRUE(ReadStoredValue(printer_, L"FreeMem") == DwordValue(4096));
    }
}

TEST_F(PrinterUpgrade, TrayFormTablesAreConvertedOnce)
{
    const std::vector<BYTE> malformed = Table({L"Tray1", L"A4"});
    const struct {
        const char* what;
        std::vector<BYTE> stored;
        BOOL result;
        std::vector<BYTE> after;
    } rows[] = {
        {"old layout", kTwoOld, TRUE, kTwoNew},
        {"current layout", kTwoNew, TRUE, kTwoNew},
        {"malformed", malformed, FALSE, malformed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        PutBinary(L"TrayFormTable", row.stored.data(), row.stored.size());
        PutPrinterData(printer_, L"TrayFormSize", DwordValue(static_cast<DWORD>(row.stored.size())));
        EXPECT_EQ(Upgrade(), row.result);
        const StoredValue table = ReadStoredValue(printer_, L"TrayFormTable");
        EXPECT_EQ(table.data, row.after);
        EXPECT_TRUE(ReadStoredValue(printer_, L"TrayFormSize") == DwordValue(static_cast<DWORD>(row.after.size())));
    }
    RemoveTestPrinterData(kQueue, L"TrayFormTable");
    EXPECT_TRUE(Upgrade()) << "a queue without a table has nothing to convert";
}

// Forms, with the module linked into this program: the spooler's form
// list and the form calls are a recorder's.
std::vector<FORM_INFO_1W> g_listed;
std::vector<std::wstring> g_deleted;
size_t g_added = 0;
bool g_listable = true;
BOOL WINAPI CountAdd(HANDLE, DWORD, LPBYTE) { return ++g_added, TRUE; }
BOOL WINAPI RecordDelete(HANDLE, LPWSTR name) { return g_deleted.push_back(name), TRUE; }
BOOL WINAPI ListForms(HANDLE, DWORD, LPBYTE data, DWORD size, LPDWORD needed, LPDWORD count)
{
    if (!g_listable) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    *needed = static_cast<DWORD>(g_listed.size() * sizeof(FORM_INFO_1W));
    *count = data && size >= *needed ? static_cast<DWORD>(g_listed.size()) : 0;
    if (*count) memcpy(data, g_listed.data(), *needed);
    return *count != 0;
}

TEST_F(PrinterUpgrade, FormsAreRegisteredAgainWhenUserFormsHideThem)
{
    WCHAR a4[] = L"A4", mine[] = L"Mine", legal[] = L"Legal";
    const FORM_INFO_1W userA4 = {FORM_USER, a4, {1, 1}, {0, 0, 1, 1}};
    const FORM_INFO_1W userMine = {FORM_USER, mine, {1, 1}, {0, 0, 1, 1}};
    const FORM_INFO_1W builtinLegal = {FORM_BUILTIN, legal, {1, 1}, {0, 0, 1, 1}};
    const DWORD kAbsent = 0xFFFFFFFF;
    const struct {
        const char* what;
        DWORD forms;   // "Forms?" before, kAbsent: missing
        bool listable;
        std::vector<FORM_INFO_1W> listed;
        std::vector<std::wstring> deleted;
        size_t added;
        DWORD formsAfter;
    } rows[] = {
        {"never registered", kAbsent, true, {builtinLegal}, {}, 15, 2},
        {"registered, no user forms", 2, true, {builtinLegal}, {}, 0, 2},
        {"registered, a user form hides A4", 2, true, {userA4, userMine, builtinLegal}, {L"A4"}, 15, 2},
        {"registered, an unrelated user form", 2, true, {userMine}, {}, 15, 2},
        {"to be registered, user forms kept", 0, true, {userA4}, {}, 15, 2},
        {"form list unreadable", 0, false, {}, {}, 0, 0},
    };
    const SpoolerFormCalls calls = {CountAdd, RecordDelete, ListForms};
    const SpoolerFormCalls previous = SetSpoolerFormCalls(&calls);
    DRIVER_UPGRADE_INFO_1 info = {const_cast<WCHAR*>(kQueue), nullptr};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.forms == kAbsent)
            RemoveTestPrinterData(kQueue, L"Forms?");
        else
            PutPrinterData(printer_, L"Forms?", DwordValue(row.forms));
        g_listed = row.listed, g_listable = row.listable, g_deleted.clear(), g_added = 0;
        DrvUpgradePrinter(1, reinterpret_cast<BYTE*>(&info));
        EXPECT_EQ(g_deleted, row.deleted);
        EXPECT_EQ(g_added, row.added);
        EXPECT_TRUE(ReadStoredValue(printer_, L"Forms?") == DwordValue(row.formsAfter));
    }
    SetSpoolerFormCalls(&previous);
}

TEST_F(PrinterUpgrade, LeavesNothingBehind)
{
    PutBinary(L"TrayFormTable", kTwoOld.data(), kTwoOld.size());
    DRIVER_UPGRADE_INFO_1 info = {const_cast<WCHAR*>(kQueue), nullptr};
    const UsageGrowth growth =
        MeasureUsageGrowth([&] { DrvUpgradePrinter(1, reinterpret_cast<BYTE*>(&info)); }, 3, 20);
    ExpectFields({F(growth.handles, 0), F(growth.heapBlocks, 0), F(growth.gdiObjects, 0)});
}

}  // namespace
