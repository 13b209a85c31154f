// Printer data through the real spooler, on a queue of the tests' own that
// uses the sample model: blobs, the PrinterData block, the driver's own
// papers, the tray and accessory values and the installation step.
#include "core/module_entry.h"

#include "settings/paper_lookup.h"
#include "settings/printer_data.h"
#include "settings/printer_setup.h"
#include "support/expect_fields.h"
#include "support/model_text.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The installation step acquires the model and builds default records: the
// module's attach sets up the model cache and language strings, with this
// program as the module, so the profile is looked for beside it.
class AttachedModule : public ::testing::Environment {
    void SetUp() override { ASSERT_TRUE(ModuleProcessAttach(GetModuleHandleW(nullptr))); }
    void TearDown() override { ModuleProcessDetach(); }
};
::testing::Environment* const kAttachedModule = ::testing::AddGlobalTestEnvironment(new AttachedModule);

const WCHAR kQueue[] = L"KV Printer Data Test";
constexpr DWORD kAbsent = 0xA65E1700;
const std::initializer_list<const WCHAR*> kTrayValues = {
    L"ACC", L"RAMDISK", L"RAM", L"Tray1", L"Tray2", L"UNDEFTray", L"Tray3", L"Tray4", L"TF1", L"TF2", L"TF3", L"TF4",
    L"TF5", L"TF6", L"TF7", L"Tray1ID", L"Tray2ID", L"Tray3ID", L"Tray4ID", L"MPTray", L"DEFACC", L"DEFRAM",
    L"DEFQPS", L"DEFSTSMON", L"BSC", L"WU", L"KVPP"};

class PrinterData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The queue's file list names defaults files of its own.
        installed_ = WriteDriverFile(L"KVPDTEST.DAT", "[FileList]\r\nExDefaultInformation=KVPDTE.DAT\r\n"
                                                      "DefaultInformation=KVPDTD.DAT\r\n") &&
                     InstallTestPrinter(kQueue, L"KV Printer Data Model", L"KVPDTEST.PPD",
                                        ReadSampleModelFile("KV3390N.PPD"));
        ParseModelText(ReadSampleModelFile("KV3390N.PPD"), &sample_);
    }
    void SetUp() override
    {
        ASSERT_TRUE(installed_) << "the test queue could not be installed";
        ASSERT_NE(sample_.model, nullptr);
        ASSERT_NE(printer_ = OpenTestPrinter(kQueue), nullptr);
    }
    void TearDown() override { ClosePrinter(printer_); }
    void Put(const WCHAR* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(name), type,
                                  static_cast<BYTE*>(const_cast<void*>(data)), size), 0u);
    }
    void Remove(std::initializer_list<const WCHAR*> names)
    {
        for (const WCHAR* name : names) RemoveTestPrinterData(kQueue, name);
    }
    DWORD Dword(const WCHAR* name)
    {
        DWORD value = kAbsent;
        ReadPrinterDataDword(printer_, name, &value);
        return value;
    }
    std::wstring Present()   // which tray and installation values exist
    {
        std::wstring names;
        for (const WCHAR* name : kTrayValues)
            if (Dword(name) != kAbsent) names += std::wstring(names.empty() ? L"" : L" ") + name;
        return names;
    }
    // The blob as it reads back; empty when there is none.
    std::vector<BYTE> Blob(PrinterDataBlob which)
    {
        DWORD size = 0;
        BYTE* data = ReadPrinterDataBlob(printer_, which, &size);
        std::vector<BYTE> bytes;
        if (data) bytes.assign(data, data + size);
        return GlobalFree(data), bytes;
    }
    static bool installed_;
    static ParsedModel sample_;
    HANDLE printer_ = nullptr;
};
bool PrinterData::installed_;
ParsedModel PrinterData::sample_;

TEST_F(PrinterData, BlobsRoundTripAsSizeThenData)
{
    const struct { PrinterDataBlob which; const WCHAR* sizeName; DWORD size; } cases[] = {
        {kBlobFontSubstitution, L"TTFontSubTableSize", 3}, {kBlobTrayForms, L"TrayFormSize", 300},
        {kBlobPrinterData, L"PrinterDataSize", 108}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sizeName);
        std::vector<BYTE> data(c.size);
        for (DWORD i = 0; i < c.size; ++i) data[i] = static_cast<BYTE>(i * 7 + c.which);
        ASSERT_TRUE(WritePrinterDataBlob(printer_, c.which, data.data(), c.size));
        EXPECT_EQ(Dword(c.sizeName), c.size);
        EXPECT_EQ(Blob(c.which), data);
        // A size of 0, or none, means no blob whatever the data value holds.
        DWORD size = 0, zero = 0;
        Put(c.sizeName, REG_DWORD, &zero, 4);
        EXPECT_FALSE(ReadPrinterDataBlob(printer_, c.which, &size));
        Remove({c.sizeName});
        EXPECT_FALSE(ReadPrinterDataBlob(printer_, c.which, &size));
    }
}

TEST_F(PrinterData, DriverPapersComeFromTheCustomPaperValue)
{
    std::wstring longest = L"1;Edge,301,0,1000,2000;";
    longest.resize(649, L' ');   // 1300 bytes with the terminator
    // 1000 x 2000 tenths of a millimetre are 282 x 566 points; without a
    // paper of that code, 3 x 4.56 inches (216 x 328 points); an empty list
    // also turns the record user-defined.
    const struct { std::wstring text; BOOL readable; uint32_t count; short code, after; LONG width, length; }
    cases[] = {
        {L"2;Mine,301,0,1000,2000;Other,300,1,50,50;", TRUE, 2, 301, 301, 282, 566},
        {longest, TRUE, 1, 301, 301, 282, 566}, {longest + L" ", FALSE, 0, 301, 301, 216, 328},
        {L"0;", TRUE, 0, 300, 256, 216, 328}, {L"", FALSE, 0, 300, 300, 216, 328}};   // "": value removed
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        if (c.text.empty())
            Remove({L"CstPaper"});
        else
            Put(L"CstPaper", REG_BINARY, c.text.c_str(), static_cast<DWORD>(c.text.size() * 2 + 2));
        ProfileCustomPaperList papers;
        EXPECT_EQ(ReadCustomPapers(printer_, &papers), c.readable);
        DriverDevmode record = {};
        record.pub.dmSize = kPublicDevmodeSize, record.pub.dmPaperSize = c.code;
        PaperSize size;
        EXPECT_EQ(LookUpPaper(printer_, &record.pub, sample_.model, &size), kPaperUserDefined);
        ExpectFields({F(papers.count, c.count), F(record.pub.dmPaperSize, c.after), F(size.width, c.width * 256),
                      F(size.length, c.length * 256)});
        EXPECT_STREQ(record.pub.dmFormName, L"User");
    }
}

TEST_F(PrinterData, BlockComesFromTheModelAndThePrinterValues)
{
    const ModelContext* model = sample_.model;
    const DWORD locale = GetACP() != 1252 ? kPrinterDataNot1252 : 0;
    // "FreeMem" in kilobytes, at least 100; without it the model's first memory option.
    const struct { DWORD freeMem, halftone; BOOL a4; DWORD memory, flags; } cases[] = {
        {kAbsent, kAbsent, FALSE, 64 * 1024, 0}, {50, 1, TRUE, 102400, kPrinterDataHalftone | kPrinterDataA4},
        {101, 0, TRUE, 103424, kPrinterDataA4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.freeMem);
        Remove({L"PrinterDataSize", L"FreeMem", L"PrinterHT"});
        if (c.freeMem != kAbsent) Put(L"FreeMem", REG_DWORD, &c.freeMem, 4);
        if (c.halftone != kAbsent) Put(L"PrinterHT", REG_BINARY, &c.halftone, 4);
        PrinterDataBlock block;
        ASSERT_TRUE(GetPrinterDataBlock(printer_, model, c.a4, &block));
        ExpectFields({F(block.version, 0x0107), F(block.size, 108), F(block.jobTimeout, 0),
                      F(block.waitTimeout, 300), F(block.freeMemory, c.memory), F(block.flags, c.flags | locale),
                      F(block.checksum, model->modelChecksum)});
        ASSERT_EQ(block.optionCount, model->installableCount);
        for (uint32_t i = 0; i < model->installableCount; ++i)
            EXPECT_EQ(block.options[i], model->features[model->optionCount + i].defaultOption);
    }
    Remove({L"FreeMem", L"PrinterHT"});
    // A stored block of another model gets fresh options only.
    PrinterDataBlock stored = {};
    stored.version = kPrinterDataVersion, stored.size = 108, stored.flags = kPrinterDataHalftone;
    stored.freeMemory = 123456, stored.jobTimeout = 42, stored.optionCount = 9;
    memset(stored.options, 7, sizeof(stored.options));
    for (WORD checksum : {static_cast<WORD>(model->modelChecksum ^ 0x5A5A), model->modelChecksum}) {
        const bool other = checksum != model->modelChecksum;
        SCOPED_TRACE(other);
        stored.checksum = checksum;
        ASSERT_TRUE(WritePrinterDataBlob(printer_, kBlobPrinterData, &stored, sizeof(stored)));
        PrinterDataBlock block;
        ASSERT_TRUE(GetPrinterDataBlock(printer_, model, TRUE, &block));
        ExpectFields({F(block.flags, kPrinterDataHalftone), F(block.freeMemory, 123456), F(block.jobTimeout, 42),
                      F(block.checksum, model->modelChecksum),
                      F(block.optionCount, other ? model->installableCount : 9u),
                      F(block.options[0], other ? model->features[model->optionCount].defaultOption : 7u)});
    }
}

TEST_F(PrinterData, TrayValuesExistOnlyForTheModelsTrays)
{
    PrivateSettings priv = {};
    priv.accessories = 0x1234, priv.accessories2 = 5, priv.ramDisk = 1, priv.ramDiskSize = 0x200;
    priv.printerMemory = 64, priv.undefinedSourceTray = 7, priv.modelTrays = 0x0005;
    for (int i = 0; i < 12; ++i) priv.trayPaper[i] = {100 + i, 200 + i};
    priv.trayPaper[0].paper = -2;
    Remove(kTrayValues);
    WriteTrayAndAccessoryData(printer_, &priv);
    EXPECT_EQ(Present(), L"ACC RAM Tray1 Tray2 UNDEFTray MPTray");
    priv.modelFeatures = 1, priv.modelTrays = 0x10330;
    WriteTrayAndAccessoryData(printer_, &priv);
    ExpectFields({F(Dword(L"ACC"), 0x00051234), F(Dword(L"RAM"), 64), F(Dword(L"Tray1"), 0xFFFFFFFE),
                  F(Dword(L"UNDEFTray"), 7), F(Dword(L"TF7"), 110), F(Dword(L"MPTray"), 111),
                  F(Dword(L"RAMDISK"), 0x00010200), F(Dword(L"Tray3"), 102), F(Dword(L"Tray3ID"), 202)});
}

TEST_F(PrinterData, InstallationCarriesDefaultsIntoPrinterData)
{
    const std::wstring profile = TestBinDirectory() + L"\\KVPDTE.DAT";
    WCHAR system[MAX_PATH];
    GetSystemWow64DirectoryW(system, MAX_PATH);
    const std::wstring defaults = std::wstring(system) + L"\\KVPDTD.DAT";
    // The "Default Setting" lines, then the values the step writes. Values
    // equal to what their absence means are not written. The sample model's
    // empty trays are rebuilt.
    struct Value { const WCHAR* name; DWORD value; };
    const std::wstring trays = L"ACC RAMDISK RAM Tray1 Tray2 UNDEFTray Tray3 MPTray";
    const struct { const char* lines; std::wstring present; std::vector<Value> values; } cases[] = {
        {"Accessories=x0030\nPrinterMemory=128\nQPS=1\nVxDPrinterStatus=0\nSolutionCenter=2\nWebUpdate=0\nKvPrint=1\n"
         "TraysPaper_NT=\n", trays + L" DEFACC DEFRAM DEFQPS DEFSTSMON BSC WU KVPP",
         {{L"DEFACC", 0x30}, {L"ACC", 0x30}, {L"RAM", 128}, {L"DEFRAM", 128}, {L"DEFQPS", 1}, {L"DEFSTSMON", 0},
          {L"BSC", 2}, {L"WU", 0}, {L"KVPP", 1}, {L"Tray1", 0xFFFFFFFF}, {L"MPTray", 0xFFFFFFFF}}},
        {"QPS=2\nVxDPrinterStatus=1\nSolutionCenter=3\nWebUpdate=4\nKvPrint=2\nPrinterMemory=0\n", L"", {}},
        {"Accessories=-x1,2\n", trays + L" DEFACC", {{L"DEFACC", 0x2FFFF}, {L"ACC", 0x2FFFF}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        DeleteFileW(defaults.c_str());
        const std::string text = "[Default Setting]\n" + std::string(c.lines) + "[Other]\nKey=kept\n";
        HANDLE file = CreateFileW(profile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0, type = 0, size = 0;
        ASSERT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, 0));
        CloseHandle(file);
        Remove(kTrayValues);
        PrinterDataBlock block = {};
        block.version = kPrinterDataVersion, block.size = 108, block.flags = kPrinterDataHalftone;
        block.freeMemory = 300 * 1024 + 1023, block.checksum = static_cast<WORD>(&c - cases);
        ASSERT_TRUE(InitialisePrinterData(printer_, &block));
        EXPECT_EQ(Present(), c.present);
        for (const Value& v : c.values) EXPECT_EQ(Dword(v.name), v.value) << v.name;
        EXPECT_EQ(Dword(L"FreeMem"), 300u);
        BYTE halftone[4] = {};
        GetPrinterDataW(printer_, const_cast<WCHAR*>(L"PrinterHT"), &type, halftone, 4, &size);
        ExpectFields({F(type, REG_BINARY), F(size, 4), F(halftone[0], 1)});
        const BYTE* blockBytes = reinterpret_cast<const BYTE*>(&block);
        EXPECT_EQ(Blob(kBlobPrinterData), std::vector<BYTE>(blockBytes, blockBytes + 108));
        WCHAR copied[16];
        GetPrivateProfileStringW(L"Other", L"Key", L"", copied, 16, defaults.c_str());
        EXPECT_STREQ(copied, L"kept") << "every section reaches the defaults file";
    }
    DeleteFileW(profile.c_str());
    DeleteFileW(defaults.c_str());
}

}  // namespace
