// The settings profile through the real INI functions: key names and the
// absent-key rule, the writers, and saves of a full record into a scratch
// profile, read back key by key. The saves run against the installed queue,
// whose "CstPaper" printer data and watermark store sections they set up
// and restore.
#include "settings/profile_settings.h"

#include "core/module_entry.h"
#include "settings/watermark_store.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Key names are strings of the language module, which the module's attach
// loads from beside this program.
class LanguageModule : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(ModuleProcessAttach(GetModuleHandleW(nullptr))); }
    void TearDown() override { ModuleProcessDetach(); }
};
::testing::Environment* const kLanguageModule =
    ::testing::AddGlobalTestEnvironment(new LanguageModule);

const WCHAR kMissing[] = L"<missing>";
const UINT kUnassignedKey = 4051;   // inside the key range, no string

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = CreateScratchDirectory();
        path_ = dir_ + L"\\KVE3390N.DAT";
    }
    void TearDown() override { RemoveScratchDirectory(dir_); }

    const WCHAR* path() const { return path_.c_str(); }

    std::wstring Raw(const WCHAR* key, const WCHAR* section = kProfileSettingsSection) const
    {
        WCHAR value[1100];
        GetPrivateProfileStringW(section, key, kMissing, value, ARRAYSIZE(value), path());
        return value;
    }
    void Put(const WCHAR* key, const WCHAR* value, const WCHAR* section = kProfileSettingsSection)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, path()));
    }
    std::vector<std::wstring> Keys(const WCHAR* section) const
    {
        std::vector<WCHAR> lines(32768);
        DWORD length = GetPrivateProfileSectionW(section, lines.data(), lines.size(), path());
        std::vector<std::wstring> keys;
        for (const WCHAR* line = lines.data(); line < lines.data() + length && *line;
             line += wcslen(line) + 1) {
            std::wstring text(line);
            keys.push_back(text.substr(0, text.find(L'=')));
        }
        return keys;
    }
    bool FileExists() const { return GetFileAttributesW(path()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring dir_;
    std::wstring path_;
};

// ---------------------------------------------------------------------------
// Key names and INI access

TEST_F(ProfileFile, KeyNamesCarryTheWindowsSuffixWhereStoredSo)
{
    WCHAR key[64];
    ASSERT_TRUE(ProfileKeyName(kKeyPaper, FALSE, key, 64));
    EXPECT_STREQ(key, L"paper_NT");
    for (UINT id : {kKeyFitPaperSize, kKeyHeaderFooterFont, kKeyTraysPaper, kKeyDefaultSource}) {
        ASSERT_TRUE(ProfileKeyName(id, FALSE, key, 64));
        EXPECT_NE(wcsstr(key, L"_NT"), nullptr) << "read key " << id;
        ASSERT_TRUE(ProfileKeyName(id, TRUE, key, 64));
        EXPECT_NE(wcsstr(key, L"_NT"), nullptr) << "written key " << id;
    }
    ASSERT_TRUE(ProfileKeyName(kKeyTraySeparateMode, TRUE, key, 64));
    EXPECT_STREQ(key, L"Tray Separate Mode");

    ASSERT_TRUE(ProfileKeyName(kKeyTowersPaper, FALSE, key, 64));
    EXPECT_STREQ(key, L"TowersPaper");
    ASSERT_TRUE(ProfileKeyName(kKeyTowersPaper, TRUE, key, 64));
    EXPECT_STREQ(key, L"TowersPaper_NT");

    EXPECT_FALSE(ProfileKeyName(kUnassignedKey, TRUE, key, 64));
    EXPECT_STREQ(key, L"");
}

TEST_F(ProfileFile, KeyIsAbsentOnlyWhenTheSentinelComesBack)
{
    WCHAR value[kProfileValueChars];
    EXPECT_FALSE(ReadProfileValue(kProfileSettingsSection, kKeyPaper, value, path()))
        << "no file at all";

    Put(L"paper", L"5");
    EXPECT_FALSE(ReadProfileValue(kProfileSettingsSection, kKeyPaper, value, path()))
        << "the unsuffixed key is not the paper key";
    EXPECT_STREQ(value, L"");

    Put(L"paper_NT", L"");
    EXPECT_TRUE(ReadProfileValue(kProfileSettingsSection, kKeyPaper, value, path()))
        << "an empty value is present";
    EXPECT_STREQ(value, L"");

    Put(L"orient", kProfileAbsent);
    EXPECT_FALSE(ReadProfileValue(kProfileSettingsSection, kKeyOrientation, value, path()));
    EXPECT_STREQ(value, L"");

    Put(L"MopyJob", L"x0001", kProfilePaperSection);
    EXPECT_FALSE(ReadProfileValue(kProfileSettingsSection, kKeyMopyJob, value, path()));
    EXPECT_TRUE(ReadProfileValue(kProfilePaperSection, kKeyMopyJob, value, path()));
    EXPECT_STREQ(value, L"x0001");
}

TEST_F(ProfileFile, ValuesAreReadIntoTwoHundredCharacters)
{
    std::wstring longValue(300, L'8');
    Put(L"MopyJob", longValue.c_str());
    WCHAR value[kProfileValueChars + 8];
    wmemset(value, L'#', ARRAYSIZE(value));
    ASSERT_TRUE(ReadProfileValue(kProfileSettingsSection, kKeyMopyJob, value, path()));
    EXPECT_EQ(std::wstring(value), std::wstring(kProfileValueChars - 1, L'8'));
    EXPECT_EQ(value[kProfileValueChars], L'#') << "nothing written past the buffer";
}

TEST_F(ProfileFile, KeysWithoutStringsAreNeitherReadNorWritten)
{
    WCHAR value[kProfileValueChars];
    Put(L"", L"1");
    EXPECT_FALSE(ReadProfileValue(kProfileSettingsSection, kUnassignedKey, value, path()));
    WriteProfileDec(kUnassignedKey, 7, path());
    WriteProfileText(kUnassignedKey, L"text", path());
    Put(L"copies", L"1");
    EXPECT_EQ(Keys(kProfileSettingsSection).size(), 2u);
}

TEST_F(ProfileFile, WritersFormatUnderTheWrittenKey)
{
    WriteProfileDec(kKeyPaper, -1, path());
    WriteProfileHex(kKeyOrientation, 2, path());
    WriteProfileHex(kKeyDuplex, 0x10000, path());
    WriteProfileText(kKeyMopyUser, L"Pat Doe", path());
    WriteProfileText(kKeyTowersPaper, L"1,2", path());
    WriteProfileSection(kProfilePaperSection, L"Banner", L"1,2,3", path());

    EXPECT_EQ(Raw(L"paper_NT"), L"-1");
    EXPECT_EQ(Raw(L"orient"), L"x0002");
    EXPECT_EQ(Raw(L"MDuplex"), L"x10000");
    EXPECT_EQ(Raw(L"MopyUser"), L"Pat Doe");
    EXPECT_EQ(Raw(L"TowersPaper_NT"), L"1,2");
    EXPECT_EQ(Raw(L"Banner", kProfilePaperSection), L"1,2,3");

    WCHAR value[kProfileValueChars];
    EXPECT_FALSE(ReadProfileValue(kProfileSettingsSection, kKeyTowersPaper, value, path()))
        << "the tower key is read without the suffix it is written with";
}

TEST_F(ProfileFile, SaveSettingRequestsAreNonzeroNumbers)
{
    EXPECT_FALSE(IsSaveSettingRequested(path()));
    Put(kSaveSettingKey, L"0");
    EXPECT_FALSE(IsSaveSettingRequested(path()));
    Put(kSaveSettingKey, L"yes");
    EXPECT_FALSE(IsSaveSettingRequested(path()));
    Put(kSaveSettingKey, L"2");
    EXPECT_TRUE(IsSaveSettingRequested(path()));
    EXPECT_FALSE(IsSaveSettingRequested(nullptr));
}

// ---------------------------------------------------------------------------
// Compound values on the record

TEST(RecordValues, TrayIdsFollowTheRecordsModelWord)
{
    DriverDevmode record = {};
    PrivateSettings& priv = record.priv;
    priv.modelTrays = 0x55;
    for (TrayPaperEntry& entry : priv.trayPaper)
        entry = {5, 6};
    ApplyTraysPaperValue(L"43,11,9,1,1,2,-1,3,-2,-2", &priv);
    EXPECT_EQ(priv.trayPaper[11].paper, 43);
    EXPECT_EQ(priv.trayPaper[11].trayId, -2);
    EXPECT_EQ(priv.trayPaper[2].paper, -1);
    EXPECT_EQ(priv.trayPaper[2].trayId, -2);
    EXPECT_EQ(priv.trayPaper[4].paper, 5) << "tower-feeder trays untouched";
    EXPECT_EQ(priv.trayPaper[4].trayId, 6);
}

TEST(RecordValues, MissingWatermarkKeyMeansTransparentAndOff)
{
    DriverDevmode record = {};
    ProcessorBlock& block = record.priv.processor;
    block.watermark.on = 1;
    block.watermarkRop = SRCCOPY;
    block.watermarkOutline = 1;
    block.watermarkPages = 16;
    ApplyWatermarkValue(nullptr, &block);
    EXPECT_EQ(block.watermark.on, 0u);
    EXPECT_EQ(block.watermarkRop, static_cast<DWORD>(SRCAND));
    EXPECT_EQ(block.watermarkOutline, 0);
    EXPECT_EQ(block.watermarkPages, 0u);

    ApplyWatermarkValue(L"x0047", &block);
    EXPECT_EQ(block.watermark.on, 1u);
    EXPECT_EQ(block.watermarkRop, static_cast<DWORD>(SRCCOPY));
    EXPECT_EQ(block.watermarkOutline, 1);
    EXPECT_EQ(block.watermarkPages, 1u) << "bit 1 is tested after bit 6 and wins";
    EXPECT_EQ(WatermarkFlagsOf(block), 0x07u);
}

// ---------------------------------------------------------------------------
// The save

// Wine 8 aborts in DeletePrinterDataW. The spooler keeps a queue's printer
// data under this registry key, where a value can be removed directly.
void RemovePrinterData(const WCHAR* queue, const WCHAR* name)
{
    std::wstring key = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
    key += queue;
    key += L"\\PrinterDriverData";
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name);
}

const WCHAR kTwoPapers[] = L"2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;";

// A record whose every field carried by the profile differs from its default.
void FillSample(DriverDevmode* record, const WCHAR* deviceName)
{
    ZeroMemory(record, sizeof(*record));
    DEVMODEW& pub = record->pub;
    PrivateSettings& priv = record->priv;
    ProcessorBlock& block = priv.processor;

    lstrcpynW(pub.dmDeviceName, deviceName, CCHDEVICENAME);
    pub.dmSize = kPublicDevmodeSize;
    pub.dmDriverExtra = kPrivateSize;
    pub.dmPaperSize = DMPAPER_USER;
    pub.dmOrientation = DMORIENT_LANDSCAPE;
    pub.dmCopies = 37;
    pub.dmPrintQuality = 1200;

    priv.modelTrays = 0x00010055;   // trays 1-4 present, tray ids in use
    lstrcpyW(priv.customPaperName, L"Banner 20");
    priv.customPaperWidth = 1234;
    priv.customPaperLength = 4321;
    priv.customPaperUnit = 1;
    priv.collate = 1;
    priv.mediaType = 0x1A;
    priv.multiPage = -3;
    block.pageOrder = 2;
    block.multiLine = 0;
    priv.tray = 258;
    priv.anotherTray = 4;
    priv.traySeparateMode = 1;

    priv.resExt = 600;
    priv.economy = 1;
    priv.defaultSet = 0x0B;
    priv.renderFlags = 0x2000 | kRenderImproveGray | kRenderBrushPattern | kRenderPrinterFonts |
                       kRenderRasterModeA | kRenderDitherType2;
    priv.grayLevelLow = 3;
    priv.grayLevelHigh = 65000;

    priv.duplex = 0x0302;
    priv.bindFlags = 0x03;
    priv.bindingOffset = 25;
    priv.booklet = 1;
    priv.bookletMultiPage = -2;

    block.watermark.on = 1;
    block.watermarkRop = SRCCOPY;
    block.watermarkOutline = 1;
    block.watermarkPages = 4;

    priv.fitPaperSize = 43;
    priv.scaling = 2;
    priv.scalingSize = 250;
    priv.scaleFlag = 3;
    priv.imageProcess = 0x02;

    priv.mopy = 0x0105;
    priv.mopyPin = 4321;
    lstrcpyW(priv.mopyUser, L"Pat Doe");
    lstrcpyW(priv.mopyJob, L"Quarterly report");
    priv.qps = 1;
    priv.sleepTime = 45;
    priv.sleepMode = 2;
    priv.statusMonitor = 3;
    priv.macroFlags = 0x81;
    priv.macroId = 70000;
    priv.macroCount = 5;
    lstrcpyW(priv.macroName, L"LETTERHEAD");
    priv.pageProtect = 256;
    block.headerFooterFlags = 0x86;
    block.idWatermark = 0x12;
    lstrcpyW(block.idWatermarkName, L"CONFIDENTIAL-ID");
    LOGFONTW& font = block.headerFooterFont;
    font.lfHeight = -14;
    font.lfWidth = 7;
    font.lfEscapement = 900;
    font.lfOrientation = 900;
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfUnderline = 1;
    font.lfStrikeOut = 1;
    font.lfCharSet = 128;
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfQuality = 5;
    font.lfPitchAndFamily = 0x22;
    lstrcpyW(font.lfFaceName, L"Courier New");
    block.headerFooterColor = 0x00123456;
    block.headerFooterBackColor = 0x00ABCDEF;
    priv.biasOn = 0;
    priv.biasValue = -6;
    priv.ret = 2;
    priv.errorPrint = 1;
    priv.paperHandling = kPaperReduceCurl | kPaperImproveFixing;

    priv.accessories = 0x00F3;
    priv.accessories2 = 0x1001;
    priv.trayPaper[11] = {43, 11};
    priv.trayPaper[0] = {9, 1};
    priv.trayPaper[1] = {1, 2};
    priv.trayPaper[2] = {-1, 3};
    priv.trayPaper[3] = {-2, -2};
    priv.undefinedSourceTray = 2;
    priv.ramDisk = 1;
    priv.ramDiskSize = 512;
}

class ProfileSave : public ProfileFile {
protected:
    void SetUp() override
    {
        ProfileFile::SetUp();
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer_, &access));
        DWORD size = 0;
        hadPapers_ = GetPrinterDataW(printer_, const_cast<WCHAR*>(L"CstPaper"), &paperType_,
                                     savedPapers_, sizeof(savedPapers_), &size) == ERROR_SUCCESS;
        savedPaperBytes_ = size;

        ASSERT_TRUE(WatermarkStorePath(store_, MAX_PATH));
        storeExisted_ = GetFileAttributesW(store_) != INVALID_FILE_ATTRIBUTES;
        const std::wstring pid = std::to_wstring(GetCurrentProcessId());
        deviceName_ = L"kvprofile device " + pid;
        marker_ = L"kvprofile-test-" + pid;
        WCHAR probe[4];
        queueSectionExisted_ =
            GetPrivateProfileSectionW(kTestQueueName, probe, ARRAYSIZE(probe), store_) > 0;
        StoreWrite(deviceName_.c_str(), L"Current", L"7");
        StoreWrite(deviceName_.c_str(), marker_.c_str(), L"device");
        StoreWrite(kTestQueueName, marker_.c_str(), L"queue");

        FillSample(&record_, deviceName_.c_str());
    }
    void TearDown() override
    {
        WritePrivateProfileStringW(deviceName_.c_str(), nullptr, nullptr, store_);
        if (queueSectionExisted_)
            WritePrivateProfileStringW(kTestQueueName, marker_.c_str(), nullptr, store_);
        else
            WritePrivateProfileStringW(kTestQueueName, nullptr, nullptr, store_);
        WCHAR sections[4];
        if (!storeExisted_ && GetPrivateProfileSectionNamesW(sections, ARRAYSIZE(sections), store_) == 0)
            DeleteFileW(store_);
        if (printer_) {
            if (hadPapers_)
                SetPrinterDataW(printer_, const_cast<WCHAR*>(L"CstPaper"), paperType_,
                                savedPapers_, savedPaperBytes_);
            else
                RemovePrinterData(kTestQueueName, L"CstPaper");
            ClosePrinter(printer_);
        }
        ProfileFile::TearDown();
    }

    void StoreWrite(const WCHAR* section, const WCHAR* key, const WCHAR* value)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, store_));
    }
    void SetPrinterPapers(const WCHAR* text)
    {
        DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR));
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(L"CstPaper"), REG_BINARY,
                                  reinterpret_cast<BYTE*>(const_cast<WCHAR*>(text)), bytes),
                  static_cast<DWORD>(ERROR_SUCCESS));
    }
    int Save(HANDLE printer, const WCHAR* request)
    {
        return SaveSettingsToProfile(&record_.pub, &record_.priv, printer, path(), request);
    }

    HANDLE printer_ = nullptr;
    bool hadPapers_ = false;
    DWORD paperType_ = 0;
    BYTE savedPapers_[1300] = {};
    DWORD savedPaperBytes_ = 0;
    WCHAR store_[MAX_PATH] = {};
    bool storeExisted_ = false;
    bool queueSectionExisted_ = false;
    std::wstring deviceName_;
    std::wstring marker_;
    DriverDevmode record_;
};

// Reads every key the save writes back into a record, the way the defaults
// are built from a profile.
void ReadBack(const WCHAR* path, DWORD modelTrays, DriverDevmode* back)
{
    ZeroMemory(back, sizeof(*back));
    DEVMODEW& pub = back->pub;
    PrivateSettings& priv = back->priv;
    ProcessorBlock& block = priv.processor;
    priv.modelTrays = modelTrays;

    WCHAR v[kProfileValueChars];
    auto read = [&](UINT id) -> const WCHAR* {
        EXPECT_TRUE(ReadProfileValue(kProfileSettingsSection, id, v, path)) << "key " << id;
        return v;
    };
    auto dec = [&](UINT id) { return ProfileDecimal(read(id)); };
    auto hex = [&](UINT id) { return ProfileHex(read(id)); };

    pub.dmPaperSize = static_cast<short>(dec(kKeyPaper));
    CopyProfileText(priv.customPaperName, ARRAYSIZE(priv.customPaperName), read(kKeyUserName), 16);
    WCHAR size[kProfileValueChars];
    GetPrivateProfileStringW(kProfilePaperSection, priv.customPaperName, kProfileAbsent, size,
                             kProfileValueChars, path);
    EXPECT_STRNE(size, kProfileAbsent) << "Default Paper entry";
    ApplyCustomSizeValue(size, &priv);
    pub.dmOrientation = static_cast<short>(hex(kKeyOrientation));
    priv.collate = static_cast<BYTE>(dec(kKeyCollate));
    pub.dmCopies = static_cast<short>(dec(kKeyCopies));
    priv.mediaType = static_cast<WORD>(hex(kKeyMediaType));
    priv.multiPage = static_cast<SHORT>(dec(kKeyMultiPage));
    block.pageOrder = static_cast<BYTE>(dec(kKeyPageOrder));
    block.multiLine = static_cast<BYTE>(dec(kKeyMultiLine));
    priv.tray = static_cast<WORD>(dec(kKeyTray));
    priv.anotherTray = static_cast<WORD>(dec(kKeyAnotherTray));
    priv.traySeparateMode = static_cast<BYTE>(dec(kKeyTraySeparateMode));

    pub.dmPrintQuality = static_cast<short>(dec(kKeyResolution));
    priv.resExt = static_cast<WORD>(dec(kKeyResExt));
    priv.economy = static_cast<WORD>(dec(kKeyEconomy));
    priv.defaultSet = static_cast<BYTE>(ProfileItemHex(read(kKeyDefaultSet), 1));
    DWORD render = 0x2000;
    render = FlagFromProfile(render, kRenderImproveGray, dec(kKeyImproveGray));
    render = FlagFromProfile(render, kRenderBrushPattern, dec(kKeyBrushPattern));
    render = FlagFromProfile(render, kRenderPrinterFonts, dec(kKeyPrinterFonts));
    render = RasterModeFromProfile(render, dec(kKeyRasterMode));
    ApplyGrayLevelValue(read(kKeyGrayLevel), &priv);
    render = DitherTypeFromProfile(render, dec(kKeyDitherType));
    priv.renderFlags = render;

    priv.duplex = DuplexFromProfile(hex(kKeyDuplex));
    priv.bindFlags = static_cast<BYTE>(hex(kKeyBind));
    priv.bindingOffset = static_cast<WORD>(dec(kKeyBindingOffset));
    priv.booklet = static_cast<BYTE>(dec(kKeyBooklet));
    priv.bookletMultiPage = static_cast<SHORT>(dec(kKeyBookletMultiPage));
    ApplyWatermarkValue(read(kKeyWatermark), &block);

    priv.fitPaperSize = static_cast<WORD>(dec(kKeyFitPaperSize));
    priv.scaling = static_cast<BYTE>(hex(kKeyScaling));
    priv.scalingSize = static_cast<WORD>(dec(kKeyScalingSize));
    priv.scaleFlag = static_cast<BYTE>(dec(kKeyScaleFlag));
    priv.imageProcess = static_cast<BYTE>(hex(kKeyImageProcess));

    ApplyMopyValue(read(kKeyMopy), &priv);
    CopyProfileText(priv.mopyUser, ARRAYSIZE(priv.mopyUser), read(kKeyMopyUser), 60);
    CopyProfileText(priv.mopyJob, ARRAYSIZE(priv.mopyJob), read(kKeyMopyJob), 80);
    priv.qps = static_cast<BYTE>(dec(kKeyQuickPrintSetup));
    ApplySleepValue(read(kKeySleep), &priv);
    priv.statusMonitor = static_cast<BYTE>(dec(kKeyStatusMonitor));
    ApplyMacroValue(read(kKeyMacro), &priv);
    priv.pageProtect = PageProtectFromProfile(dec(kKeyPageProtect));
    block.headerFooterFlags = hex(kKeyHeaderFooterFlag);
    block.idWatermark = static_cast<BYTE>(hex(kKeyIdWatermark));
    CopyProfileText(block.idWatermarkName, ARRAYSIZE(block.idWatermarkName),
                    read(kKeyIdWatermarkName), 64);
    ApplyHeaderFooterFontValue(read(kKeyHeaderFooterFont), &block);
    ApplyBiasValue(read(kKeyBias), &priv);
    priv.ret = static_cast<WORD>(dec(kKeyRet));
    priv.errorPrint = static_cast<WORD>(dec(kKeyErrorPrint));
    priv.paperHandling = static_cast<WORD>(
        FlagFromProfile(FlagFromProfile(0, kPaperReduceCurl, dec(kKeyReducePaperCurl)),
                        kPaperImproveFixing, dec(kKeyImproveFixing)));

    ApplyAccessoriesValue(read(kKeyAccessories), &priv);
    for (TrayPaperEntry& entry : priv.trayPaper)
        entry = {-2, -2};
    ApplyTraysPaperValue(read(kKeyTraysPaper), &priv);
    priv.undefinedSourceTray = static_cast<WORD>(dec(kKeyDefaultSource));
    priv.ramDisk = static_cast<WORD>(dec(kKeyRamDisk));
    priv.ramDiskSize = static_cast<WORD>(dec(kKeyRamDiskSize));
}

TEST_F(ProfileSave, EveryCarriedFieldSurvivesTheRoundTrip)
{
    SetPrinterPapers(kTwoPapers);
    ASSERT_EQ(Save(printer_, L"1"), 1);

    DriverDevmode back;
    ReadBack(path(), record_.priv.modelTrays, &back);
    const DEVMODEW& a = record_.pub;
    const DEVMODEW& b = back.pub;
    EXPECT_EQ(b.dmPaperSize, a.dmPaperSize);
    EXPECT_EQ(b.dmOrientation, a.dmOrientation);
    EXPECT_EQ(b.dmCopies, a.dmCopies);
    EXPECT_EQ(b.dmPrintQuality, a.dmPrintQuality);

    const PrivateSettings& p = record_.priv;
    const PrivateSettings& q = back.priv;
    EXPECT_STREQ(q.customPaperName, p.customPaperName);
    EXPECT_EQ(q.customPaperWidth, p.customPaperWidth);
    EXPECT_EQ(q.customPaperLength, p.customPaperLength);
    EXPECT_EQ(q.customPaperUnit, p.customPaperUnit);
    EXPECT_EQ(q.collate, p.collate);
    EXPECT_EQ(q.mediaType, p.mediaType);
    EXPECT_EQ(q.multiPage, p.multiPage);
    EXPECT_EQ(q.tray, p.tray);
    EXPECT_EQ(q.anotherTray, p.anotherTray);
    EXPECT_EQ(q.traySeparateMode, p.traySeparateMode);
    EXPECT_EQ(q.resExt, p.resExt);
    EXPECT_EQ(q.economy, p.economy);
    EXPECT_EQ(q.defaultSet, p.defaultSet);
    EXPECT_EQ(q.renderFlags, p.renderFlags);
    EXPECT_EQ(q.grayLevelLow, p.grayLevelLow);
    EXPECT_EQ(q.grayLevelHigh, p.grayLevelHigh);
    EXPECT_EQ(q.duplex, p.duplex);
    EXPECT_EQ(q.bindFlags, p.bindFlags);
    EXPECT_EQ(q.bindingOffset, p.bindingOffset);
    EXPECT_EQ(q.booklet, p.booklet);
    EXPECT_EQ(q.bookletMultiPage, p.bookletMultiPage);
    EXPECT_EQ(q.fitPaperSize, p.fitPaperSize);
    EXPECT_EQ(q.scaling, p.scaling);
    EXPECT_EQ(q.scalingSize, p.scalingSize);
    EXPECT_EQ(q.scaleFlag, p.scaleFlag);
    EXPECT_EQ(q.imageProcess, p.imageProcess);
    EXPECT_EQ(q.mopy, p.mopy);
    EXPECT_EQ(q.mopyPin, p.mopyPin);
    EXPECT_STREQ(q.mopyUser, p.mopyUser);
    EXPECT_STREQ(q.mopyJob, p.mopyJob);
    EXPECT_EQ(q.qps, p.qps);
    EXPECT_EQ(q.sleepTime, p.sleepTime);
    EXPECT_EQ(q.sleepMode, p.sleepMode);
    EXPECT_EQ(q.statusMonitor, p.statusMonitor);
    EXPECT_EQ(q.macroFlags, p.macroFlags);
    EXPECT_EQ(q.macroId, p.macroId);
    EXPECT_EQ(q.macroCount, p.macroCount);
    EXPECT_STREQ(q.macroName, p.macroName);
    EXPECT_EQ(q.pageProtect, p.pageProtect);
    EXPECT_EQ(q.biasOn, p.biasOn);
    EXPECT_EQ(q.biasValue, p.biasValue);
    EXPECT_EQ(q.ret, p.ret);
    EXPECT_EQ(q.errorPrint, p.errorPrint);
    EXPECT_EQ(q.paperHandling, p.paperHandling);
    EXPECT_EQ(q.accessories, p.accessories);
    EXPECT_EQ(q.accessories2, p.accessories2);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(q.trayPaper[i].paper, i < 4 || i == 11 ? p.trayPaper[i].paper : -2) << i;
        EXPECT_EQ(q.trayPaper[i].trayId, i < 4 || i == 11 ? p.trayPaper[i].trayId : -2) << i;
    }
    EXPECT_EQ(q.undefinedSourceTray, p.undefinedSourceTray);
    EXPECT_EQ(q.ramDisk, p.ramDisk);
    EXPECT_EQ(q.ramDiskSize, p.ramDiskSize);

    const ProcessorBlock& x = p.processor;
    const ProcessorBlock& y = q.processor;
    EXPECT_EQ(y.pageOrder, x.pageOrder);
    EXPECT_EQ(y.multiLine, x.multiLine);
    EXPECT_EQ(y.watermark.on, x.watermark.on);
    EXPECT_EQ(y.watermarkRop, x.watermarkRop);
    EXPECT_EQ(y.watermarkOutline, x.watermarkOutline);
    EXPECT_EQ(y.watermarkPages, x.watermarkPages);
    EXPECT_EQ(y.headerFooterFlags, x.headerFooterFlags);
    EXPECT_EQ(y.idWatermark, x.idWatermark);
    EXPECT_STREQ(y.idWatermarkName, x.idWatermarkName);
    EXPECT_EQ(memcmp(&y.headerFooterFont, &x.headerFooterFont, sizeof(LOGFONTW)), 0)
        << "header/footer font";
    EXPECT_EQ(y.headerFooterColor, x.headerFooterColor);
    EXPECT_EQ(y.headerFooterBackColor, x.headerFooterBackColor);

    // The translated values as they stand in the file.
    EXPECT_EQ(Raw(L"pgprotect"), L"255");
    EXPECT_EQ(Raw(L"MDuplex"), L"x0301");
    EXPECT_EQ(Raw(L"Bias"), L"x0002,-6");
    EXPECT_EQ(Raw(L"UserDefinedPaper"), kTwoPapers);
    EXPECT_EQ(Raw(kSaveSettingKey), L"0");
    EXPECT_FALSE(IsSaveSettingRequested(path()));
}

TEST_F(ProfileSave, WritesTheKeysInTheirDocumentedOrder)
{
    SetPrinterPapers(kTwoPapers);
    ASSERT_EQ(Save(printer_, L"1"), 1);
    const std::vector<std::wstring> expected = {
        L"paper_NT", L"UserName", L"orient", L"Collate", L"copies", L"MediaType", L"MultiPage",
        L"PageOrder", L"MultiLine", L"tray", L"AnotherTray", L"Tray Separate Mode",
        L"prtres", L"ResExt", L"Economy", L"DefaultSet", L"ImproveGray", L"BrushPattern",
        L"UseTTFonts", L"ttraster", L"GrayLevel", L"DithType",
        L"MDuplex", L"MBind", L"MEdge", L"Booklet", L"BkMultiPage",
        L"WMark",
        L"FitPaperSize_NT", L"Scaling", L"ScalingSize", L"ScaleFlag", L"bImageProcess",
        L"Mopy", L"MopyUser", L"MopyJob", L"QPS", L"Sleep", L"VxDPrinterStatus", L"Macro",
        L"pgprotect", L"DtWmarkFlag", L"IDWMark", L"IDWMarkName", L"DtWmarkFont_NT", L"Bias",
        L"RET", L"ErrorPrint", L"ReducePaperCurl", L"ImproveTonerFixing",
        L"Accessories", L"TraysPaper_NT", L"DefaultSource_NT", L"RAMDISK", L"RAMDISKSIZE",
        L"UserDefinedPaper", L"SaveSetting",
    };
    EXPECT_EQ(Keys(kProfileSettingsSection), expected);
    EXPECT_EQ(Keys(kProfilePaperSection), std::vector<std::wstring>{L"Banner 20"});
}

TEST_F(ProfileSave, RequestOfZeroWritesNothing)
{
    for (const WCHAR* request : {L"0", L"", L"no", L"  0", static_cast<const WCHAR*>(nullptr)}) {
        EXPECT_EQ(Save(printer_, request), 1);
        EXPECT_FALSE(FileExists()) << "request \"" << (request ? request : L"(null)") << "\"";
    }
    Put(kSaveSettingKey, L"0");
    Put(L"copies", L"3");
    EXPECT_EQ(Save(printer_, L"0"), 1);
    EXPECT_EQ(Keys(kProfileSettingsSection).size(), 2u);
    EXPECT_EQ(Raw(L"copies"), L"3");
}

TEST_F(ProfileSave, ServesARequestFoundInTheProfile)
{
    Put(kSaveSettingKey, L"1");
    Put(L"copies", L"3");
    ASSERT_TRUE(IsSaveSettingRequested(path()));
    EXPECT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Raw(L"copies"), L"37") << "the stale value is replaced";
    EXPECT_FALSE(IsSaveSettingRequested(path()));
}

TEST_F(ProfileSave, MissingArgumentsFail)
{
    EXPECT_EQ(SaveSettingsToProfile(nullptr, &record_.priv, printer_, path(), L"1"), 0);
    EXPECT_EQ(SaveSettingsToProfile(&record_.pub, nullptr, printer_, path(), L"1"), 0);
    EXPECT_EQ(SaveSettingsToProfile(&record_.pub, &record_.priv, printer_, nullptr, L"1"), 0);
    EXPECT_FALSE(FileExists());
}

TEST_F(ProfileSave, UserDefinedPapersOnlyWhenThePrinterHasSome)
{
    struct Case {
        const WCHAR* stored;
        const WCHAR* written;
    };
    const Case cases[] = {
        {L"__##NOUSE##__", kMissing},
        {L"0;", kMissing},
        {L"1;Tag,300,1,500,600;", L"1;Tag,300,1,500,600;"},
        {L"3; Odd ,302,9,7,8;", L"1; Odd ,302,1,7,8;"},   // the list as read is what is saved
    };
    for (const Case& c : cases) {
        DeleteFileW(path());
        SetPrinterPapers(c.stored);
        ASSERT_EQ(Save(printer_, L"1"), 1);
        EXPECT_EQ(Raw(L"UserDefinedPaper"), c.written) << "stored \"" << c.stored << "\"";
    }

    DeleteFileW(path());
    RemovePrinterData(kTestQueueName, L"CstPaper");
    DWORD type, size;
    BYTE probe[4];
    ASSERT_EQ(GetPrinterDataW(printer_, const_cast<WCHAR*>(L"CstPaper"), &type, probe,
                              sizeof(probe), &size),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Raw(L"UserDefinedPaper"), kMissing) << "no value at all";

    DeleteFileW(path());
    SetPrinterPapers(kTwoPapers);
    ASSERT_EQ(Save(nullptr, L"1"), 1);
    EXPECT_EQ(Raw(L"UserDefinedPaper"), kMissing) << "no printer to ask";
    EXPECT_EQ(Raw(kSaveSettingKey), L"0") << "the rest of the save still happens";
}

TEST_F(ProfileSave, CopiesTheWatermarksOfTheQueue)
{
    ASSERT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Raw(marker_.c_str(), kProfileWatermarkSection), L"queue")
        << "the queue's own section, found through the printer handle";
    EXPECT_EQ(Raw(L"WMark"), L"x0045");
}

TEST_F(ProfileSave, WithoutAPrinterFindsWatermarksByDeviceName)
{
    ASSERT_EQ(Save(nullptr, L"1"), 1);
    EXPECT_EQ(Raw(marker_.c_str(), kProfileWatermarkSection), L"device");
    EXPECT_EQ(Raw(L"Current", kProfileWatermarkSection), L"7");
}

TEST_F(ProfileSave, UnnamedCustomSizeHasNoPaperEntry)
{
    record_.priv.customPaperName[0] = L'\0';
    ASSERT_EQ(Save(printer_, L"1"), 1);
    EXPECT_EQ(Raw(L"UserName"), L"");
    EXPECT_TRUE(Keys(kProfilePaperSection).empty());
}

TEST_F(ProfileSave, TextFieldsAreBoundedEvenWhenUnterminated)
{
    PrivateSettings& priv = record_.priv;
    wmemset(priv.customPaperName, L'N', ARRAYSIZE(priv.customPaperName));
    wmemset(priv.mopyUser, L'U', ARRAYSIZE(priv.mopyUser));
    wmemset(priv.mopyJob, L'J', ARRAYSIZE(priv.mopyJob));
    wmemset(priv.macroName, L'M', ARRAYSIZE(priv.macroName));
    wmemset(priv.processor.idWatermarkName, L'I', ARRAYSIZE(priv.processor.idWatermarkName));
    wmemset(priv.processor.headerFooterFont.lfFaceName, L'F', LF_FACESIZE);
    ASSERT_EQ(Save(printer_, L"1"), 1);

    EXPECT_EQ(Raw(L"UserName"), std::wstring(16, L'N'));
    EXPECT_EQ(Raw(std::wstring(16, L'N').c_str(), kProfilePaperSection), L"1234,4321,1");
    EXPECT_EQ(Raw(L"MopyUser"), std::wstring(60, L'U'));
    EXPECT_EQ(Raw(L"MopyJob"), std::wstring(80, L'J'));
    EXPECT_EQ(Raw(L"IDWMarkName"), std::wstring(64, L'I'));
    EXPECT_EQ(Raw(L"Macro"), L"x81,70000,5," + std::wstring(24, L'M'));
    std::wstring font = Raw(L"DtWmarkFont_NT");
    EXPECT_NE(font.find(L"," + std::wstring(32, L'F') + L",x00123456"), std::wstring::npos) << font;
}

}  // namespace
