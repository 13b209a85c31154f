// The settings profile through the real INI functions: key names, the
// absent-key rule, the writers, and saves against the installed queue, whose
// "CstPaper" printer data and watermark store sections they set up and restore.
#include "settings/profile_settings.h"

#include "settings/watermark_store.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// Section names spelled out, as existing profiles have them.
const WCHAR kSettings[] = L"Default Setting", kPapers[] = L"Default Paper", kWatermarks[] = L"Default WMark";
const WCHAR kMissing[] = L"<missing>";
const UINT kUnassignedKey = 4051;   // inside the key range, no string

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override { path_ = (dir_ = CreateScratchDirectory()) + L"\\KVE3390N.DAT"; }
    void TearDown() override { RemoveScratchDirectory(dir_); }
    const WCHAR* path() const { return path_.c_str(); }

    std::wstring Raw(const WCHAR* key, const WCHAR* section = kSettings) const
    {
        WCHAR value[1100];
        GetPrivateProfileStringW(section, key, kMissing, value, ARRAYSIZE(value), path());
        return value;
    }
    // A section as "key=value" strings, each with its terminator.
    std::wstring Section(const WCHAR* section) const
    {
        std::vector<WCHAR> text(32768);
        return {text.data(), GetPrivateProfileSectionW(section, text.data(), 32768, path())};
    }
    void Put(const WCHAR* section, const std::wstring& lines)
    { ASSERT_TRUE(WritePrivateProfileSectionW(section, lines.c_str(), path())); }
    // A key through ReadProfileValue, which keeps to its buffer and leaves
    // nothing in it when the key is absent.
    std::wstring Read(UINT id, const WCHAR* section = kSettings) const
    {
        WCHAR value[kProfileValueChars + 1] = L"stale";
        value[kProfileValueChars] = L'#';
        const bool present = ReadProfileValue(section, id, value, path());
        EXPECT_EQ(value[kProfileValueChars], L'#') << "key " << id;
        EXPECT_TRUE(present || !value[0]) << "key " << id;
        return present ? value : kMissing;
    }

    std::wstring dir_, path_;
};

TEST_F(ProfileFile, KeysAreReadOnlyWhenPresentUnderTheirName)
{
    EXPECT_EQ(Read(kKeyPaper), kMissing) << "no file at all";
    Put(kSettings, L"paper=5\0FitPaperSize_NT=\0orient=__##NOUSE##__\0=1\0MopyUser="s +
                       std::wstring(300, L'8') + L'\0');
    Put(kPapers, L"MopyJob=x0001\0"s);
    EXPECT_EQ(Read(kKeyPaper), kMissing) << "the paper key carries the suffix";
    EXPECT_EQ(Read(kKeyFitPaperSize), L"") << "an empty value is present";
    EXPECT_EQ(Read(kKeyOrientation), kMissing) << "the absent marker reads as absent";
    EXPECT_EQ(Read(kKeyMopyJob), kMissing) << "only the section asked for";
    EXPECT_EQ(Read(kKeyMopyJob, kPapers), L"x0001");
    EXPECT_EQ(Read(kUnassignedKey), kMissing);
    EXPECT_EQ(Read(kKeyMopyUser), std::wstring(kProfileValueChars - 1, L'8'));
}

TEST_F(ProfileFile, WritersUseTheWrittenKeyName)
{
    WriteProfileHex(kKeyDuplex, 0x10000, path());
    WriteProfileText(kKeyTowersPaper, L"1,2", path());
    WriteProfileDec(kUnassignedKey, 7, path());
    WriteProfileText(kUnassignedKey, L"text", path());
    EXPECT_EQ(Section(kSettings), L"MDuplex=x10000\0TowersPaper_NT=1,2\0"s);
    EXPECT_EQ(Read(kKeyTowersPaper), kMissing) << "read without the suffix it is written with";
}

TEST(RecordValues, FollowTheModelWordAndTheAbsentWatermarkKey)
{
    DriverDevmode record = {};
    record.priv.modelTrays = 0x55;
    ApplyTraysPaperValue(L"43,11,9,1,1,2,-1,3,-2,-2", &record.priv);
    EXPECT_EQ(record.priv.trayPaper[kMultiPurposeEntry].trayId, kTrayUnused) << "no tray ids";
    ApplyWatermarkValue(nullptr, &record.priv.processor);
    EXPECT_EQ(WatermarkFlagsOf(record.priv.processor), 0x28u) << "off, transparent, all pages";
}

// The sample profile: every key the save writes, in its order, with values
// that are nowhere a default.
const std::wstring kSample =
    L"paper_NT=256\0UserName=Banner 20\0orient=x0002\0Collate=7\0copies=37\0MediaType=x001a\0"
    L"MultiPage=-3\0PageOrder=2\0MultiLine=9\0tray=258\0AnotherTray=4\0Tray Separate Mode=11\0"
    L"prtres=1200\0ResExt=600\0Economy=13\0DefaultSet=x000b\0ImproveGray=1\0BrushPattern=1\0"
    L"UseTTFonts=1\0ttraster=2\0GrayLevel=3,65000\0DithType=1\0MDuplex=x0301\0MBind=x0023\0"
    L"MEdge=25\0Booklet=14\0BkMultiPage=-2\0WMark=x0045\0FitPaperSize_NT=301\0Scaling=x0012\0"
    L"ScalingSize=250\0ScaleFlag=15\0bImageProcess=x0016\0Mopy=x0105,-4321\0MopyUser=Pat Doe\0"
    L"MopyJob=Quarterly report\0QPS=17\0Sleep=45,x0002\0VxDPrinterStatus=18\0"
    L"Macro=x81,70000,5,LETTERHEAD\0pgprotect=255\0DtWmarkFlag=x0086\0IDWMark=x0024\0"
    L"IDWMarkName=CONFIDENTIAL-ID\0"
    L"DtWmarkFont_NT=-14,7,900,900,700,1,1,1,128,3,2,5,x22,Courier New,x00123456,x00abcdef\0"
    L"Bias=x0002,-6\0RET=19\0ErrorPrint=20\0ReducePaperCurl=1\0ImproveTonerFixing=1\0"
    L"Accessories=x00f3,x1001\0TraysPaper_NT=43,11,9,1,1,2,-1,3,-2,-4\0DefaultSource_NT=21\0"
    L"RAMDISK=22\0RAMDISKSIZE=512\0"
    L"UserDefinedPaper=2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;\0SaveSetting=0\0"s;
const WCHAR kTwoPapers[] = L"2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;";

// How building the defaults reads each key's value v into a record, in the
// sample's order.
struct KeyReader {
    UINT id;
    void (*read)(DEVMODEW& pub, PrivateSettings& p, ProcessorBlock& b, const WCHAR* v);
};
#define READ(...) []([[maybe_unused]] DEVMODEW& pub, [[maybe_unused]] PrivateSettings& p, \
                     [[maybe_unused]] ProcessorBlock& b, const WCHAR* v) { __VA_ARGS__; }
#define DEC(field) READ(field = static_cast<decltype(field)>(ProfileDecimal(v)))
#define HEX(field) READ(field = static_cast<decltype(field)>(ProfileHex(v)))
#define CHARS(field, n) READ(CopyProfileText(field, ARRAYSIZE(field), v, n))
#define FLAG(field, mask) READ(field = static_cast<decltype(field)>( \
                                   FlagFromProfile(field, mask, ProfileDecimal(v))))
#define RENDER(convert) READ(p.renderFlags = convert(p.renderFlags, ProfileDecimal(v)))
#define APPLY(apply, part) READ(apply(v, &part))
const KeyReader kReaders[] = {
    {kKeyPaper, DEC(pub.dmPaperSize)}, {kKeyUserName, CHARS(p.customPaperName, 16)},
    {kKeyOrientation, HEX(pub.dmOrientation)}, {kKeyCollate, DEC(p.collate)}, {kKeyCopies, DEC(pub.dmCopies)},
    {kKeyMediaType, HEX(p.mediaType)}, {kKeyMultiPage, DEC(p.multiPage)}, {kKeyPageOrder, DEC(b.pageOrder)},
    {kKeyMultiLine, DEC(b.multiLine)}, {kKeyTray, DEC(p.tray)}, {kKeyAnotherTray, DEC(p.anotherTray)},
    {kKeyTraySeparateMode, DEC(p.traySeparateMode)}, {kKeyResolution, DEC(pub.dmPrintQuality)},
    {kKeyResExt, DEC(p.resExt)}, {kKeyEconomy, DEC(p.economy)},
    {kKeyDefaultSet, READ(p.defaultSet = static_cast<BYTE>(ProfileItemHex(v, 1)))},
    {kKeyImproveGray, FLAG(p.renderFlags, kRenderImproveGray)},
    {kKeyBrushPattern, FLAG(p.renderFlags, kRenderBrushPattern)},
    {kKeyPrinterFonts, FLAG(p.renderFlags, kRenderPrinterFonts)}, {kKeyRasterMode, RENDER(RasterModeFromProfile)},
    {kKeyGrayLevel, APPLY(ApplyGrayLevelValue, p)}, {kKeyDitherType, RENDER(DitherTypeFromProfile)},
    {kKeyDuplex, READ(p.duplex = DuplexFromProfile(ProfileHex(v)))}, {kKeyBind, HEX(p.bindFlags)},
    {kKeyBindingOffset, DEC(p.bindingOffset)}, {kKeyBooklet, DEC(p.booklet)},
    {kKeyBookletMultiPage, DEC(p.bookletMultiPage)}, {kKeyWatermark, APPLY(ApplyWatermarkValue, b)},
    {kKeyFitPaperSize, DEC(p.fitPaperSize)}, {kKeyScaling, HEX(p.scaling)}, {kKeyScalingSize, DEC(p.scalingSize)},
    {kKeyScaleFlag, DEC(p.scaleFlag)}, {kKeyImageProcess, HEX(p.imageProcess)}, {kKeyMopy, APPLY(ApplyMopyValue, p)},
    {kKeyMopyUser, CHARS(p.mopyUser, 60)}, {kKeyMopyJob, CHARS(p.mopyJob, 80)}, {kKeyQuickPrintSetup, DEC(p.qps)},
    {kKeySleep, APPLY(ApplySleepValue, p)}, {kKeyStatusMonitor, DEC(p.statusMonitor)},
    {kKeyMacro, APPLY(ApplyMacroValue, p)},
    {kKeyPageProtect, READ(p.pageProtect = PageProtectFromProfile(ProfileDecimal(v)))},
    {kKeyHeaderFooterFlag, HEX(b.headerFooterFlags)}, {kKeyIdWatermark, HEX(b.idWatermark)},
    {kKeyIdWatermarkName, CHARS(b.idWatermarkName, 64)}, {kKeyHeaderFooterFont, APPLY(ApplyHeaderFooterFontValue, b)},
    {kKeyBias, APPLY(ApplyBiasValue, p)}, {kKeyRet, DEC(p.ret)}, {kKeyErrorPrint, DEC(p.errorPrint)},
    {kKeyReducePaperCurl, FLAG(p.paperHandling, kPaperReduceCurl)},
    {kKeyImproveFixing, FLAG(p.paperHandling, kPaperImproveFixing)}, {kKeyAccessories, APPLY(ApplyAccessoriesValue, p)},
    {kKeyTraysPaper, APPLY(ApplyTraysPaperValue, p)}, {kKeyDefaultSource, DEC(p.undefinedSourceTray)},
    {kKeyRamDisk, DEC(p.ramDisk)}, {kKeyRamDiskSize, DEC(p.ramDiskSize)},
};

WCHAR* const kCstPaper = const_cast<WCHAR*>(L"CstPaper");   // the spooler's API is not const

// Saves of the record that building the defaults makes of the sample
// profile, on a model whose trays use tray ids.
class ProfileSave : public ProfileFile {
protected:
    void SetUp() override
    {
        ProfileFile::SetUp();
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer_, &access));
        hadPapers_ = GetPrinterDataW(printer_, kCstPaper, &paperType_, savedPapers_,
                                     sizeof(savedPapers_), &savedPaperBytes_) == ERROR_SUCCESS;
        // Store sections that show where the save looked for the watermarks:
        // the record's device name, and a key in it and in the queue's section.
        ASSERT_TRUE(WatermarkStorePath(store_, MAX_PATH));
        swprintf(unique_, ARRAYSIZE(unique_), L"kvprofile-test-%lu", GetCurrentProcessId());
        ASSERT_TRUE(WritePrivateProfileStringW(unique_, unique_, L"device", store_));
        ASSERT_TRUE(WritePrivateProfileStringW(kTestQueueName, unique_, L"queue", store_));

        ZeroMemory(&record_, sizeof(record_));
        lstrcpynW(record_.pub.dmDeviceName, unique_, CCHDEVICENAME);
        record_.priv.modelTrays = kTraysWithIds | 0x55;
        Put(kSettings, kSample);
        for (const KeyReader& key : kReaders) {
            const std::wstring value = Read(key.id);
            ASSERT_NE(value, kMissing) << "key " << key.id;
            key.read(record_.pub, record_.priv, record_.priv.processor, value.c_str());
        }
        ApplyCustomSizeValue(L"1234,4321,1", &record_.priv);
        ASSERT_TRUE(DeleteFileW(path()));
    }
    void TearDown() override
    {
        if (!printer_)
            return ProfileFile::TearDown();     // nothing else was set up
        WCHAR probe[4];
        WritePrivateProfileStringW(unique_, nullptr, nullptr, store_);
        WritePrivateProfileStringW(kTestQueueName, unique_, nullptr, store_);
        if (GetPrivateProfileSectionW(kTestQueueName, probe, ARRAYSIZE(probe), store_) == 0)
            WritePrivateProfileStringW(kTestQueueName, nullptr, nullptr, store_);
        if (GetPrivateProfileSectionNamesW(probe, ARRAYSIZE(probe), store_) == 0)
            DeleteFileW(store_);    // nothing else is in it
        hadPapers_ ? SetPrinterDataW(printer_, kCstPaper, paperType_, savedPapers_, savedPaperBytes_)
                   : RemoveTestPrinterData(kTestQueueName, kCstPaper);
        ClosePrinter(printer_);
        ProfileFile::TearDown();
    }

    void SetPrinterPapers(const WCHAR* text)
    {
        BYTE* data = reinterpret_cast<BYTE*>(const_cast<WCHAR*>(text));
        const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR));
        ASSERT_EQ(SetPrinterDataW(printer_, kCstPaper, REG_BINARY, data, bytes), 0u);
    }
    int Save(HANDLE printer, const WCHAR* request)
    { return SaveSettingsToProfile(&record_.pub, &record_.priv, printer, path(), request); }

    HANDLE printer_ = nullptr;
    bool hadPapers_ = false;   // the queue's own papers, restored afterwards
    DWORD paperType_ = 0, savedPaperBytes_ = 0;
    BYTE savedPapers_[1300] = {};
    WCHAR store_[MAX_PATH] = {}, unique_[32] = {};
    DriverDevmode record_;
};

TEST_F(ProfileSave, WritesBackTheProfileTheRecordWasReadFrom)
{
    SetPrinterPapers(kTwoPapers);
    ASSERT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Section(kSettings), kSample);
    EXPECT_EQ(Section(kPapers), L"Banner 20=1234,4321,1\0"s);
    EXPECT_EQ(Raw(unique_, kWatermarks), L"queue") << "the queue's watermark section";

    // Without a printer the save goes by the device name and writes no papers.
    ASSERT_TRUE(DeleteFileW(path()));
    ASSERT_EQ(Save(nullptr, L"1"), 1);
    EXPECT_EQ(Raw(unique_, kWatermarks), L"device");
    EXPECT_EQ(Raw(L"UserDefinedPaper"), kMissing);
    EXPECT_EQ(Raw(L"SaveSetting"), L"0") << "the rest of the save still happens";
}

TEST_F(ProfileSave, OnlyANonzeroRequestSaves)
{
    for (const WCHAR* request : {L"0", L"", L"no", L"  0", static_cast<const WCHAR*>(nullptr)})
        EXPECT_EQ(Save(printer_, request), 1) << request;
    EXPECT_EQ(SaveSettingsToProfile(nullptr, &record_.priv, printer_, path(), L"1"), 0);
    EXPECT_EQ(SaveSettingsToProfile(&record_.pub, nullptr, printer_, path(), L"1"), 0);
    EXPECT_EQ(SaveSettingsToProfile(&record_.pub, &record_.priv, printer_, nullptr, L"1"), 0);
    EXPECT_EQ(GetFileAttributesW(path()), INVALID_FILE_ATTRIBUTES) << "no profile written";
    EXPECT_FALSE(IsSaveSettingRequested(path()));
    EXPECT_FALSE(IsSaveSettingRequested(nullptr));

    Put(kSettings, L"SaveSetting=yes\0"s);
    EXPECT_FALSE(IsSaveSettingRequested(path())) << "not a number";
    Put(kSettings, L"SaveSetting=2\0copies=3\0"s);
    EXPECT_TRUE(IsSaveSettingRequested(path()));
    EXPECT_EQ(Save(printer_, L"0"), 1);
    EXPECT_EQ(Section(kSettings), L"SaveSetting=2\0copies=3\0"s) << "a request of 0 writes nothing";
    EXPECT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Raw(L"copies"), L"37") << "the stale value is replaced";
    EXPECT_FALSE(IsSaveSettingRequested(path())) << "the request is served";
}

TEST_F(ProfileSave, UserDefinedPaperOnlyWhenThePrinterHasSome)
{
    const std::pair<const WCHAR*, const WCHAR*> cases[] = {
        {L"__##NOUSE##__", kMissing}, {L"0;", kMissing}, {nullptr, kMissing} /* no value */,
        {L"3; Odd ,302,9,7,8;", L"1; Odd ,302,1,7,8;"},     // the list as read is what is saved
    };
    for (const auto& [stored, written] : cases) {
        if (stored)
            SetPrinterPapers(stored);
        else
            ASSERT_EQ(RemoveTestPrinterData(kTestQueueName, kCstPaper), ERROR_SUCCESS);
        ASSERT_EQ(Save(printer_, L"1"), 1);
        EXPECT_EQ(Raw(L"UserDefinedPaper"), written) << stored;
        DeleteFileW(path());
    }
}

TEST_F(ProfileSave, TextFieldsAreBoundedAndAnUnnamedSizeHasNoEntry)
{
    PrivateSettings& p = record_.priv;
    const std::wstring font = L"-14,7,900,900,700,1,1,1,128,3,2,5,x22," + std::wstring(32, L'W') +
                              L",x00123456,x00abcdef";
    const struct { WCHAR* field; size_t chars; const WCHAR* key; std::wstring written; } texts[] = {
        {p.customPaperName, 17, L"UserName", std::wstring(16, L'W')},
        {p.mopyUser, 128, L"MopyUser", std::wstring(60, L'W')},
        {p.mopyJob, 126, L"MopyJob", std::wstring(80, L'W')},
        {p.processor.idWatermarkName, 64, L"IDWMarkName", std::wstring(64, L'W')},
        {p.macroName, 24, L"Macro", L"x81,70000,5," + std::wstring(24, L'W')},
        {p.processor.headerFooterFont.lfFaceName, 32, L"DtWmarkFont_NT", font},
    };
    for (const auto& text : texts)
        wmemset(text.field, L'W', text.chars);      // full, and so unterminated
    ASSERT_EQ(Save(printer_, L"1"), 1);
    for (const auto& text : texts)
        EXPECT_EQ(Raw(text.key), text.written);
    EXPECT_EQ(Section(kPapers), std::wstring(16, L'W') + L"=1234,4321,1" + L'\0');

    DeleteFileW(path());
    p.customPaperName[0] = L'\0';
    ASSERT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Raw(L"UserName"), L"");
    EXPECT_EQ(Section(kPapers), L"");
}

}  // namespace
