// The administrator's lock record through the real spooler, registry and
// file system, on a queue of the installed driver. The records are built
// here the way the administration tool builds them: scrambled, then summed.
#include "settings/admin_settings.h"

#include "core/spooler_info.h"
#include "support/admin_records.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const WCHAR kQueue[] = L"KV Admin Test";
const WCHAR kDriver[] = L"Zentari TX-3390N series";
const std::wstring kKeyRoot = L"Software\\Zentari\\PrinterDriver";
const DWORD kUntouched = 0xA5A5A5A5;

using Bytes = AdminBytes;

const BYTE kSeed[4] = {0xC3, 0x19, 0x8E, 0x72};

Bytes Record(DWORD flags)
{
    return ScrambledAdminRecord(flags, kSeed);
}

enum Source { kFromRegistry, kFromFile, kFromPrinterData };
const char* const kSourceNames[] = {"registry", "file", "printer data"};

class AdminSettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        queued_ = AddTestQueue(kQueue, kDriver);
        HANDLE printer = OpenTestPrinter(kQueue);
        if (!printer)
            return;
        DWORD needed = 0;
        GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed ? needed : 1);
        if (GetPrinterDriverW(printer, nullptr, 2, info.data(), needed, &needed)) {
            const std::wstring dataFile = reinterpret_cast<DRIVER_INFO_2W*>(info.data())->pDataFile;
            directory_ = dataFile.substr(0, dataFile.rfind(L'\\'));
        }
        ClosePrinter(printer);
    }
    static void TearDownTestSuite()
    {
        if (HANDLE printer = OpenTestPrinter(kQueue)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
    void SetUp() override
    {
        ASSERT_TRUE(queued_) << "the test queue could not be added";
        ASSERT_FALSE(directory_.empty()) << "the driver's data file is not known";
        ASSERT_NE(printer_ = OpenTestPrinter(kQueue), nullptr);
        ASSERT_EQ(Attributes() & (PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK), 0u);
    }
    void TearDown() override
    {
        ClearAll();
        if (printer_)
            ClosePrinter(printer_);
    }

    // What a read gives: whether it found a record, and adminFlags
    // (kUntouched when the read left them alone).
    struct Outcome {
        BOOL found;
        DWORD flags;
    };
    Outcome Read()
    {
        AdminSettings settings = {printer_, kUntouched};
        const BOOL found = ReadAdminSettings(&settings);
        return {found, settings.adminFlags};
    }

    // "Admin" as given, with or without its terminator. The registry adds
    // a terminator to a string whose next character is one, so an
    // unterminated value is followed by another character in memory.
    void PutAdmin(const std::wstring& text, bool terminated = true)
    {
        const std::wstring stored = terminated ? text : text + L'X';
        const DWORD bytes = static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(WCHAR));
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(L"Admin"), REG_SZ,
                                  reinterpret_cast<BYTE*>(const_cast<WCHAR*>(stored.c_str())), bytes),
                  0u);
        DWORD type = 0, needed = 0;
        GetPrinterDataW(printer_, const_cast<WCHAR*>(L"Admin"), &type, nullptr, 0, &needed);
        ASSERT_EQ(needed, bytes) << "\"Admin\" is not stored as given";
    }
    void PutPrinterRecord(Bytes record)
    {
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(L"Administrator"), REG_BINARY,
                                  record.data(), static_cast<DWORD>(record.size())),
                  0u);
    }
    // The record as the value "Administrator" of kKeyRoot\subkey (kKeyRoot
    // itself when subkey is empty).
    void PutKeyRecord(const std::wstring& subkey, const Bytes& record)
    {
        const std::wstring key = subkey.empty() ? kKeyRoot : kKeyRoot + L"\\" + subkey;
        keys_.push_back(subkey.substr(0, subkey.find(L'\\')));
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Administrator", REG_BINARY,
                                  record.data(), static_cast<DWORD>(record.size())),
                  ERROR_SUCCESS)
            << "key " << std::string(key.begin(), key.end());
    }
    // The record as a file; a relative path is taken from the driver's
    // directory, and missing directories are made.
    void PutFile(const std::wstring& path, const Bytes& record)
    {
        const std::wstring full = path.size() > 1 && path[1] == L':' ? path : directory_ + L"\\" + path;
        for (size_t at = full.find(L'\\', 3); at != std::wstring::npos; at = full.find(L'\\', at + 1))
            if (CreateDirectoryW(full.substr(0, at).c_str(), nullptr))
                directories_.push_back(full.substr(0, at));
        files_.push_back(full);
        HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << std::string(full.begin(), full.end());
        DWORD written = 0;
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(written, record.size());
    }
    // The record where source finds it, named by "Admin" = KVADMIN.DAT.
    void Put(Source source, const Bytes& record)
    {
        if (source == kFromPrinterData)
            return PutPrinterRecord(record);
        PutAdmin(L"KVADMIN.DAT");
        if (source == kFromRegistry)
            PutKeyRecord(L"KVADMIN", record);
        else
            PutFile(L"KVADMIN.DAT", record);
    }

    DWORD Attributes()
    {
        DWORD needed = 0;
        GetPrinterW(printer_, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed ? needed : 1);
        if (!GetPrinterW(printer_, 2, info.data(), needed, &needed))
            return ~0u;
        return reinterpret_cast<PRINTER_INFO_2W*>(info.data())->Attributes;
    }
    void SetAttributes(DWORD attributes)
    {
        DWORD needed = 0;
        GetPrinterW(printer_, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed ? needed : 1);
        ASSERT_TRUE(GetPrinterW(printer_, 2, info.data(), needed, &needed));
        auto* printer = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
        printer->Attributes = attributes;
        ASSERT_TRUE(SetPrinterW(printer_, 2, info.data(), 0)) << GetLastError();
        ASSERT_EQ(Attributes(), attributes) << "the spooler did not keep the attributes";
    }

    void ClearAll()
    {
        RemoveTestPrinterData(kQueue, L"Admin");
        RemoveTestPrinterData(kQueue, L"Administrator");
        for (const std::wstring& key : keys_)
            if (key.empty())
                RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKeyRoot.c_str(), L"Administrator");
            else
                RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kKeyRoot + L"\\" + key).c_str());
        keys_.clear();
        // The parents go too once nothing else is in them.
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKeyRoot.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Zentari");
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        files_.clear();
        for (auto dir = directories_.rbegin(); dir != directories_.rend(); ++dir)
            RemoveDirectoryW(dir->c_str());
        directories_.clear();
        if (printer_ && Attributes() & (PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK))
            SetAttributes(Attributes() & ~(PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK));
    }

    static bool queued_;
    static std::wstring directory_;
    HANDLE printer_ = nullptr;
    std::vector<std::wstring> keys_;   // the subkeys of kKeyRoot made, "" for kKeyRoot's value
    std::vector<std::wstring> files_, directories_;
};
bool AdminSettingsTest::queued_;
std::wstring AdminSettingsTest::directory_;

TEST_F(AdminSettingsTest, FlagsRoundTripThroughEachSource)
{
    const struct { DWORD flags; BYTE seed[4]; } cases[] = {
        {0x80, {0x01, 0x02, 0x03, 0x04}},
        {0x8F, {0xC3, 0x19, 0x8E, 0x72}},
        {0x88, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x07, {0x00, 0x00, 0x00, 0x01}},
        {0x00000000, {0x7F, 0x80, 0x81, 0xFE}},
        {0xFFFFFFFF, {0x5A, 0xA5, 0x00, 0x99}},
        {0x12345681, {0x10, 0xE0, 0x33, 0xCC}},
    };
    for (Source source : {kFromRegistry, kFromFile, kFromPrinterData}) {
        SCOPED_TRACE(kSourceNames[source]);
        if (source == kFromPrinterData)
            SetAttributes(PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
            Put(source, ScrambledAdminRecord(c.flags, c.seed));
            const Outcome read = Read();
            EXPECT_TRUE(read.found);
            EXPECT_EQ(read.flags, c.flags);
        }
        ClearAll();
    }
}

TEST_F(AdminSettingsTest, DamagedRecordsLockNothing)
{
    Bytes truncated = Record(0x8F), longer = Record(0x8F), wrongCheck = Record(0x8F),
          changedBody = Record(0x8F);
    truncated.pop_back();
    // Cut off, a record whose last byte is 0 would still sum right.
    Bytes truncatedZero = AdminWithCheck(Bytes{0x05});
    truncatedZero.pop_back();
    longer.push_back(0);
    wrongCheck[48] ^= 1;
    changedBody[20] ^= 0x40;
    const Bytes minusOne = {0xFF, 0xFF, 0x01};   // -1 -1 +1
    const Bytes cancelling = {0xFF, 0x01};       // -1 +1
    const Bytes lowest(48, 0x80);                // 48 x -128
    const struct { const char* what; Bytes record; bool valid; bool validAsFile; } cases[] = {
        {"49 bytes", truncated, false, false},
        {"49 bytes, the missing one 0", truncatedZero, false, false},
        // A file is read for its first 50 bytes only.
        {"51 bytes", longer, false, true},
        {"all-zero body with check 0", AdminWithCheck(Bytes(48, 0), 0), false, false},
        {"check word off by one", wrongCheck, false, false},
        {"body changed after summing", changedBody, false, false},
        {"0xFF counted as -1", AdminWithCheck(minusOne, 0xFFFF), true, true},
        {"0xFF counted as 255", AdminWithCheck(minusOne, 0x01FF), false, false},
        {"sum cancelling to 0, check 0", AdminWithCheck(cancelling, 0), false, false},
        {"sum cancelling to 0, unsigned check", AdminWithCheck(cancelling, 0x0100), false, false},
        {"0x80 counted as -128", AdminWithCheck(lowest, 0xE800), true, true},
        {"0x80 counted as 128", AdminWithCheck(lowest, 0x1800), false, false},
    };
    for (Source source : {kFromRegistry, kFromFile, kFromPrinterData}) {
        SCOPED_TRACE(kSourceNames[source]);
        if (source == kFromPrinterData)
            SetAttributes(PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            Put(source, c.record);
            const Outcome read = Read();
            const bool valid = source == kFromFile ? c.validAsFile : c.valid;
            EXPECT_EQ(read.found != FALSE, valid);
            if (!valid) {
                EXPECT_EQ(read.flags, kUntouched);
            }
        }
        ClearAll();
    }
}

TEST_F(AdminSettingsTest, TheRegistryComesBeforeTheFile)
{
    PutAdmin(L"KVADMIN.DAT");
    PutFile(L"KVADMIN.DAT", Record(0x84));
    PutKeyRecord(L"KVADMIN", Record(0x81));
    EXPECT_EQ(Read().flags, 0x81u);
    // A damaged or missing registry record leaves the file.
    PutKeyRecord(L"KVADMIN", AdminWithCheck(Bytes(48, 0), 0));
    EXPECT_EQ(Read().flags, 0x84u);
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, (kKeyRoot + L"\\KVADMIN").c_str(),
                                 L"Administrator"),
              ERROR_SUCCESS);
    EXPECT_EQ(Read().flags, 0x84u);
    // A name too long for the key still names the file.
    const std::wstring longName = L"KV administrator record of the test queue.DAT";
    PutAdmin(longName);
    PutKeyRecord(longName.substr(0, longName.rfind(L'.')), Record(0x81));
    PutFile(longName, Record(0x82));
    EXPECT_EQ(Read().flags, 0x82u);
}

TEST_F(AdminSettingsTest, AdminNamesTheKeyWithoutItsExtension)
{
    const std::wstring longest = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ01.DAT";   // 64 bytes
    const struct { const WCHAR* admin; bool terminated; std::wstring key; bool found; } cases[] = {
        {L"ADMIN01.DAT", true, L"ADMIN01", true},
        {L"ADMIN01.DAT", true, L"ADMIN01.DAT", false},
        {L"ADMIN01.DAT", false, L"ADMIN01", true},
        {L"LOCKS.2024.DAT", true, L"LOCKS.2024", true},
        {L"LOCKS", true, L"LOCKS", true},
        {longest.c_str(), false, longest.substr(0, 28), true},
        // With its terminator the name no longer fits.
        {longest.c_str(), true, longest.substr(0, 28), false},
        {L".DAT", true, L"", false},
        {L"", true, L"", false},
        {nullptr, true, L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.admin ? std::string(c.admin, c.admin + wcslen(c.admin))
                                                    : std::string("no \"Admin\""))
                                        << (c.terminated ? "" : " unterminated") << " -> key "
                                        << std::string(c.key.begin(), c.key.end()));
        if (c.admin)
            PutAdmin(c.admin, c.terminated);
        PutKeyRecord(c.key, Record(0x8F));
        const Outcome read = Read();
        EXPECT_EQ(read.found != FALSE, c.found);
        EXPECT_EQ(read.flags, c.found ? 0x8Fu : kUntouched);
        ClearAll();
    }
}

// The handlers of one PrintTicket call each ask for the record: within a
// spooler call it is looked for once, and the next call looks again.
TEST_F(AdminSettingsTest, OneCallReadsTheRecordOnce)
{
    Put(kFromRegistry, Record(0x81));
    {
        SpoolerCall call(printer_);
        EXPECT_EQ(Read().flags, 0x81u);
        PutKeyRecord(L"KVADMIN", Record(0x84));
        EXPECT_EQ(Read().flags, 0x81u);
        // A question through another handle is not the call's.
        HANDLE second = OpenTestPrinter(kQueue);
        ASSERT_NE(second, nullptr);
        AdminSettings other = {second, kUntouched};
        EXPECT_TRUE(ReadAdminSettings(&other));
        EXPECT_EQ(other.adminFlags, 0x84u);
        ClosePrinter(second);
    }
    EXPECT_EQ(Read().flags, 0x84u);
    {
        SpoolerCall call(printer_);
        ClearAll();
        const Outcome gone = Read();
        EXPECT_FALSE(gone.found);
        PutAdmin(L"KVADMIN.DAT");
        PutKeyRecord(L"KVADMIN", Record(0x82));
        EXPECT_EQ(Read().found, FALSE);
    }
    EXPECT_EQ(Read().flags, 0x82u);
}

TEST_F(AdminSettingsTest, AdminHoldingAPathOpensNothing)
{
    // Each value has a record planted wherever joining it to the key or to
    // the driver's directory, or taking it as a path of its own, would
    // lead; keys and files in turn, so that each source must refuse it.
    // Repeated separators count as one, so a rooted or UNC name joined to
    // the directory stays inside it.
    const struct { const WCHAR* admin; const WCHAR* key; const WCHAR* files[2]; } cases[] = {
        {L"..\\KVADMIN.DAT", L"..\\KVADMIN", {L"..\\KVADMIN.DAT"}},
        {L"C:\\KVADMIN.DAT", L"C:\\KVADMIN", {L"C:\\KVADMIN.DAT"}},
        {L"C:KVADMIN.DAT", L"C:KVADMIN", {L"C:\\KVADMIN.DAT"}},
        {L"\\\\server\\share\\KVADMIN.DAT", nullptr, {L"server\\share\\KVADMIN.DAT"}},
        {L"\\KVADMIN.DAT", L"KVADMIN", {L"KVADMIN.DAT", L"C:\\KVADMIN.DAT"}},
        {L"sub/KVADMIN.DAT", L"sub/KVADMIN", {L"sub\\KVADMIN.DAT"}},
        {L"sub\\KVADMIN.DAT", L"sub\\KVADMIN", {L"sub\\KVADMIN.DAT"}},
    };
    for (const auto& c : cases) {
        for (Source source : {kFromRegistry, kFromFile}) {
            SCOPED_TRACE(testing::Message() << std::string(c.admin, c.admin + wcslen(c.admin))
                                            << " in the " << kSourceNames[source]);
            PutAdmin(c.admin);
            if (source == kFromRegistry && c.key)
                PutKeyRecord(c.key, Record(0x8F));
            for (const WCHAR* file : c.files)
                if (source == kFromFile && file)
                    PutFile(file, Record(0x8F));
            const Outcome read = Read();
            EXPECT_FALSE(read.found);
            EXPECT_EQ(read.flags, kUntouched);
            ClearAll();
        }
    }
}

TEST_F(AdminSettingsTest, ASharedConnectionReadsOnlyItsOwnValue)
{
    PutPrinterRecord(Record(0x81));
    PutAdmin(L"KVADMIN.DAT");
    PutKeyRecord(L"KVADMIN", Record(0x82));
    PutFile(L"KVADMIN.DAT", Record(0x84));
    const struct { DWORD attributes; DWORD flags; } cases[] = {
        {0, 0x82},
        {PRINTER_ATTRIBUTE_SHARED, 0x82},
        {PRINTER_ATTRIBUTE_NETWORK, 0x82},
        {PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK, 0x81},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "attributes 0x" << std::hex << c.attributes);
        SetAttributes((Attributes() & ~(PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK)) |
                      c.attributes);
        EXPECT_EQ(Read().flags, c.flags);
    }
    // Without its own value nothing is locked, whatever this machine holds.
    RemoveTestPrinterData(kQueue, L"Administrator");
    const Outcome read = Read();
    EXPECT_FALSE(read.found);
    EXPECT_EQ(read.flags, kUntouched);
}

TEST_F(AdminSettingsTest, ALockNeedsAReadAndTheInForceBit)
{
    const DWORD locks[] = {kAdminLockCopies, kAdminLockLayout, kAdminLockColor, kAdminLockWatermark};
    const struct { DWORD flags; DWORD locked; } cases[] = {
        {0x08, 0},
        {0x0F, 0},
        {0x80, 0},
        {0x88, kAdminLockWatermark},
        {0x83, kAdminLockCopies | kAdminLockLayout},
        {0x84, kAdminLockColor},
        {0x8F, 0x0F},
        {0xFFFFFF7F, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        Put(kFromRegistry, Record(c.flags));
        AdminSettings settings = {printer_, 0};
        const BOOL read = ReadAdminSettings(&settings);
        ASSERT_TRUE(read);
        for (DWORD lock : locks)
            EXPECT_EQ(AdminLockInForce(read, &settings, lock) != FALSE, (c.locked & lock) != 0)
                << "lock 0x" << lock;
        ClearAll();
    }
    // A failed read leaves earlier flags in place; they lock nothing.
    AdminSettings settings = {printer_, 0x8F};
    const BOOL read = ReadAdminSettings(&settings);
    EXPECT_FALSE(read);
    for (DWORD lock : locks)
        EXPECT_FALSE(AdminLockInForce(read, &settings, lock)) << "lock 0x" << lock;
}

} // namespace
