// The default DriverDevmode: the locale rule, the sample model's record under the
// A4 or Letter locale ctest runs it in, model variations, the tray table, and profiles.
#include "settings/devmode_defaults.h"

#include "settings/profile_settings.h"
#include "support/expect_fields.h"
#include "support/model_text.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

// Letter in the Americas, A4 elsewhere; Wine derives the user locale from LC_ALL.
TEST(Locale, AmericasUseLetterAndTheEnvironmentSelectsTheLocale)
{
    for (LONG letter : {1, 50, 59, 500, 599})
        EXPECT_FALSE(IsA4Country(letter)) << letter;
    for (LONG a4 : {0, -1, 44, 49, 60, 499, 600})
        EXPECT_TRUE(IsA4Country(a4)) << a4;
    char lc[64] = {};
    WCHAR country[16] = {};
    if (!GetEnvironmentVariableA("LC_ALL", lc, sizeof(lc)) || (strncmp(lc, "en_GB", 5) && strncmp(lc, "en_US", 5)))
        GTEST_SKIP() << "LC_ALL names neither test locale";
    const bool a4 = strncmp(lc, "en_GB", 5) == 0;
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, 16), 0);
    EXPECT_STREQ(country, a4 ? L"44" : L"1");
    EXPECT_EQ(IsA4Locale(), a4 ? TRUE : FALSE);
}

class SampleModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ParseModelText(ReadSampleModelFile("KV3390N.PPD"), sample_ = new ParsedModel); }
    static void TearDownTestSuite() { delete sample_; }
    void SetUp() override { ASSERT_NE(model(), nullptr); }
    static const ModelContext* model() { return sample_->model; }
    static DriverDevmode Build(BOOL a4, HANDLE printer = nullptr, const ModelContext* from = model())
    {
        DriverDevmode r;
        memset(&r, 0xCC, sizeof(r));
        EXPECT_TRUE(BuildDefaultDevmode(&r.pub, L"Zentari TX-3390N", from, a4, printer));
        return r;
    }
    static ParsedModel* sample_;
};
ParsedModel* SampleModel::sample_ = nullptr;

TEST_F(SampleModel, RecordFollowsTheLayoutTables)
{
    const BOOL a4 = IsA4Locale();
    const DriverDevmode r = Build(a4);
    const DEVMODEW& pub = r.pub;
    const PrivateSettings& p = r.priv;
    const ProcessorBlock& b = p.processor;
    EXPECT_TRUE(IsDriverDevmode(&pub, sizeof(r)));
    EXPECT_STREQ(pub.dmDeviceName, L"Zentari TX-3390N");
    EXPECT_STREQ(pub.dmFormName, a4 ? L"A4" : L"Letter");
    // Duplex declared (the model has the feature), resolution not (the
    // model offers 1200 dpi), scale not (scaleFlag 0); monochrome.
    ExpectFields({
        F(pub.dmSize, 220), F(pub.dmDriverExtra, 2452),
        F(pub.dmFields, 0x1C71F + DM_DUPLEX - DM_PRINTQUALITY - DM_SCALE), F(pub.dmPaperSize, a4 ? 9 : 1),
        F(pub.dmPaperLength, a4 ? 2970 : 2794), F(pub.dmPaperWidth, a4 ? 2100 : 2159), F(pub.dmDefaultSource, 7),
        F(pub.dmPrintQuality, 600), F(pub.dmYResolution, 600), F(pub.dmColor, 1), F(pub.dmDuplex, 1),
        // LanguageLevel 3, the always-on bit, TTMODE default 0: raster mode A.
        F(p.processorBlockOffset, 1504), F(p.renderFlags, 0x40 | 0x2000 | 0x8000), F(p.modelTrays, 1077),
        F(p.modelChecksum, model()->modelChecksum), F(p.optionCount, model()->optionCount), F(p.sleepTime, 15),
        F(p.mediaType, 1), F(p.postcardMediaType, 2), F(p.ret, 2), F(p.pageProtect, 256), F(p.resExt, 0),
        F(p.customPaperUnit, a4 ? 0 : 1), F(p.bindFlags, a4 ? 0 : 1), F(p.paperSizeCopy, a4 ? 9 : 1),
        F(p.fitPaperSize, a4 ? 9 : 1), F(p.printerMemory, 64), F(p.tray, 7), F(p.undefinedSourceTray, 7),
        F(p.statusMonitor, 3), F(p.mopy, 0x0100), F(p.textCodePage, 1252), F(p.trayPaper[0].paper, -1),
        F(p.trayPaper[3].paper, -2), F(p.trayPaper[0].trayId, -2), F(b.blockSize, 1168),
        F(b.landscapeAngle, 90), F(b.procFitPaper, -1), F(b.endTag, 0x43534F45),
    });
    EXPECT_STREQ(p.languageName, "ENGLISH");
    EXPECT_STREQ(b.legacyResourceFile, "KVLRES07.DLL");
    EXPECT_STREQ(b.headerFooterFont.lfFaceName, L"Arial");
    EXPECT_STREQ(p.printProcessorFile, L"") << "file names need the printer's file list";
    // One selection per ordinary feature: the default's position, 0xFF for the resolution feature.
    for (uint32_t i = 0; i < model()->optionCount; ++i) {
        const ModelFeature& f = model()->features[i];
        EXPECT_EQ(p.optionSelections[i], f.kind == kKindResolution ? 0xFF : f.defaultOption) << f.keyword;
    }
}

// A bare description, and one with colour, quick print, no banding and 1200 dpi.
TEST(ModelVariants, DefaultsFollowTheModel)
{
    const std::string head = "*PPD-Adobe: \"4.3\"\n*NickName: \"Variant\"\n";
    ParsedModel bare, rich;
    ParseModelText(head, &bare);
    ParseModelText(head + "*ColorDevice: True\n*DefaultQuickPrintSetup: True\n*NoBanding: True\n*OpenUI "
                          "*Resolution: PickOne\n*DefaultResolution: 1200dpi\n*Resolution 1200dpi: \"b\"\n"
                          "*CloseUI: *Resolution\n*PrinterCaps: \"32896\"\n*DefaultStatusMonitor: True\n", &rich);
    ASSERT_NE(bare.model, nullptr);
    ASSERT_NE(rich.model, nullptr);
    DriverDevmode r;
    ASSERT_TRUE(BuildDefaultDevmode(&r.pub, L"Variant", bare.model, TRUE, nullptr));
    ExpectFields({F(r.pub.dmPrintQuality, 300), F(r.pub.dmFields & (DM_PRINTQUALITY | DM_DUPLEX), DM_PRINTQUALITY),
                  F(r.priv.printerMemory, 2), F(r.priv.sleepTime, 1), F(r.priv.mopy, 0), F(r.priv.renderFlags, 0x2000)});
    // Caps bit 7 refuses the monitor, bit 15 picks raster mode A.
    ASSERT_TRUE(BuildDefaultDevmode(&r.pub, L"Variant", rich.model, TRUE, nullptr));
    ExpectFields({F(r.pub.dmFields & DM_COLOR, DM_COLOR), F(r.pub.dmColor, 2), F(r.priv.qps, 1),
                  F(r.priv.bandingMode, 0), F(r.pub.dmPrintQuality, 1200), F(r.priv.resExt, 600),
                  F(r.priv.statusMonitor, 0), F(r.priv.renderFlags, 0x2000 | 0x8000)});
}

TEST(TrayTable, RebuiltFromTheModelWords)
{
    const LONG x = -2, e = -1;   // tray absent, tray fitted without paper
    const struct { DWORD trays; WORD accessories; LONG paper[12]; } cases[] = {
        {0x00435, 0x00, {e, e, e, x, x, x, x, x, x, x, x, e}},
        {0x0000A, 0x00, {x, x, x, x, x, x, x, x, x, x, x, x}},   // high bits of the pairs
        {0x11041, 0x00, {e, x, x, e, x, x, x, x, x, x, x, e}},   // with tray ids
        {0x00100, 0x20, {x, x, x, x, e, e, e, e, x, x, x, x}},
        {0x00100, 0x90, {x, x, x, x, e, e, e, e, e, e, e, x}}};
    for (const auto& c : cases) {
        PrivateSettings priv = {};
        priv.modelTrays = c.trays, priv.accessories = c.accessories, priv.undefinedSourceTray = 258;
        for (TrayPaperEntry& entry : priv.trayPaper) entry = {43, 5};
        RebuildTrayPaperFromModel(&priv);
        for (size_t i = 0; i < 12; ++i) {
            SCOPED_TRACE(testing::Message() << "row " << &c - cases << " entry " << i);
            EXPECT_EQ(priv.trayPaper[i].paper, c.paper[i]);
            EXPECT_EQ(priv.trayPaper[i].trayId, i < 4 && (c.trays & 0x10000) ? c.paper[i] : x);
        }
        EXPECT_EQ(priv.undefinedSourceTray, 7);
    }
}

// Settings profiles, through a queue whose driver's file list names one.
const WCHAR kQueue[] = L"KV Defaults Profile";
const WCHAR kDataQueue[] = L"KV Defaults Printer Data";   // the only one with installation values
const WCHAR kProfileName[] = L"KVDFPROF.DAT";

class ProfileDefaults : public SampleModel {
protected:
    void SetUp() override
    {
        SampleModel::SetUp();
        const std::string text = ReadSampleModelFile("KV3390N.PPD");
        for (const WCHAR* queue : {kQueue, kDataQueue})
            ASSERT_TRUE(InstallTestPrinter(queue, L"KV Defaults Test Driver", L"KVDFTEST.PPD", text));
        const std::wstring dir = InstalledDriverDirectory();
        DeleteFileW((profile_ = dir + L"\\" + kProfileName).c_str());
        ASSERT_TRUE(WritePrivateProfileStringW(L"FileList", L"ExDefaultInformation", kProfileName,
                                               (dir + L"\\KVDFTEST.DAT").c_str()));
        ASSERT_NE(printer_ = OpenTestPrinter(kQueue), nullptr);
        a4_ = IsA4Locale();
    }
    void TearDown() override { if (printer_) ClosePrinter(printer_); DeleteFileW(profile_.c_str()); }
    void Put(const WCHAR* key, const WCHAR* value, const WCHAR* section = kProfileSettingsSection)
    { ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, profile_.c_str())); }
    std::wstring profile_;
    HANDLE printer_ = nullptr;
    BOOL a4_ = TRUE;
};

TEST_F(ProfileDefaults, SavedSettingsComeBackAsDefaults)
{
    DriverDevmode s = Build(a4_);
    PrivateSettings& p = s.priv;
    ProcessorBlock& b = p.processor;
    s.pub.dmPaperSize = DMPAPER_LEGAL, s.pub.dmCopies = 3, s.pub.dmPrintQuality = 300, p.collate = 1, p.mediaType = 3;
    p.multiPage = 4, b.pageOrder = 1, p.tray = 258, p.economy = 1, p.grayLevelLow = 3, p.duplex = 0x0301;
    p.renderFlags = (p.renderFlags & ~0x8000u) | 0x80 | 0x10000 | 0x40000 | 0x80000 | 0x400000;
    p.bindingOffset = 12, b.watermark.on = 1, b.watermarkRop = 0x00CC0020, p.scalingSize = 150;
    p.scaleFlag = 3, p.mopy = 0x0102, p.mopyPin = 1234, p.sleepTime = 30, p.statusMonitor = 2, p.macroId = 7;
    b.headerFooterFlags = 0x86, b.headerFooterFont.lfHeight = -20, b.headerFooterBackColor = 0xFF00;
    p.biasValue = -3, p.accessories = 3, p.accessories2 = 0x10, p.trayPaper[0] = {9, -2};
    p.trayPaper[11] = {43, -2}, p.undefinedSourceTray = 258, p.ramDiskSize = 64;
    wcscpy(p.mopyUser, L"Pat"), wcscpy(b.headerFooterFont.lfFaceName, L"Courier New");
    ASSERT_EQ(SaveSettingsToProfile(&s.pub, &p, printer_, profile_.c_str(), L"1"), 1);

    const DriverDevmode r = Build(a4_, printer_);
    const DEVMODEW& rp = r.pub;
    const PrivateSettings& q = r.priv;
#define SAME(field) F(r.field, s.field)
#define SAMEP(field) F(r.priv.processor.field, s.priv.processor.field)
    ExpectFields({
        SAME(pub.dmPaperSize), SAME(pub.dmCopies), SAME(pub.dmPrintQuality), SAME(priv.mediaType),
        SAME(priv.multiPage), SAMEP(pageOrder), SAME(priv.tray), SAME(priv.economy), SAME(priv.renderFlags),
        SAME(priv.grayLevelLow), SAME(priv.duplex), SAME(priv.bindingOffset), SAMEP(watermark.on),
        SAMEP(watermarkRop), SAME(priv.scalingSize), SAME(priv.mopy), SAME(priv.mopyPin), SAME(priv.sleepTime),
        SAME(priv.statusMonitor), SAME(priv.macroId), SAMEP(headerFooterFlags), SAMEP(headerFooterFont.lfHeight),
        SAMEP(headerFooterBackColor), SAME(priv.biasValue), SAME(priv.accessories2), SAME(priv.trayPaper[0].paper),
        SAME(priv.trayPaper[11].paper), SAME(priv.undefinedSourceTray), SAME(priv.ramDiskSize),
        // Derived on the way in.
        F(rp.dmDefaultSource, 258), F(rp.dmPaperLength, 3556), F(rp.dmPaperWidth, 2159), F(rp.dmCollate, 1),
        F(q.processor.procCollate, 1), F(q.paperSizeCopy, DMPAPER_LEGAL), F(rp.dmDuplex, DMDUP_VERTICAL),
        F(rp.dmFields & DM_SCALE, DM_SCALE), F(rp.dmScale, 100), F(q.scaling, 3),
    });
#undef SAME
#undef SAMEP
    EXPECT_STREQ(rp.dmFormName, L"Legal");
    EXPECT_STREQ(q.mopyUser, L"Pat");
    EXPECT_STREQ(q.processor.headerFooterFont.lfFaceName, L"Courier New");
    // The file list names only the profile; the other names are its defaults.
    EXPECT_STREQ(q.printProcessorFile, L"KVSP207A.EXE");
    EXPECT_STREQ(q.optionInformationFile, L"KVO3390N.INI");
}

TEST_F(ProfileDefaults, RulesBetweenKeys)
{
    const SHORT localePaper = a4_ ? DMPAPER_A4 : DMPAPER_LETTER;
    using Check = std::function<void(const DriverDevmode&)>;
    const struct { std::initializer_list<std::pair<const WCHAR*, const WCHAR*>> keys; Check check; } cases[] = {
        // The custom size comes in whole points; an unknown paper code falls back to the locale's.
        {{{L"paper_NT", L"256"}, {L"UserName", L"Banner"}}, [](const DriverDevmode& r) {
             ExpectFields({F(r.priv.customPaperWidth, 1000), F(r.priv.customPaperLength, 2000),
                           F(r.priv.customPaperUnit, 1), F(r.pub.dmPaperWidth, 994), F(r.pub.dmPaperLength, 1996)});
             EXPECT_STREQ(r.priv.customPaperName, L"Banner"); }},
        {{{L"paper_NT", L"4711"}}, [=](const DriverDevmode& r) {
             ExpectFields({F(r.pub.dmPaperSize, localePaper), F(r.priv.paperSizeCopy, localePaper)}); }},
        // Booklets on the duplex unit need two pages per sheet.
        {{{L"Booklet", L"1"}, {L"BkMultiPage", L"2"}, {L"MultiPage", L"4"}},
         [](const DriverDevmode& r) { ExpectFields({F(r.priv.booklet, 0), F(r.priv.bookletMultiPage, 4)}); }},
        // Poster values reach the job processor; no duplex unit bit in the key.
        {{{L"MultiPage", L"-4"}, {L"MDuplex", L"x0103"}, {L"prtres", L"1200"}, {L"Economy", L"5"}, {L"copies", L""}},
         [](const DriverDevmode& r) {
             ExpectFields({F(r.priv.processor.procPagesPerSheet, -4), F(r.priv.duplex, 0x0101),
                           F(r.pub.dmDuplex, DMDUP_VERTICAL), F(r.pub.dmPrintQuality, 1200), F(r.priv.resExt, 600),
                           F(r.priv.economy, 1), F(r.pub.dmCopies, 0)}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        DeleteFileW(profile_.c_str());
        Put(L"Banner", L"1000,2000,1", kProfilePaperSection);
        for (const auto& key : c.keys) Put(key.first, key.second);
        c.check(Build(a4_, printer_));
    }
    // A3, printed only scaled down: without a kept fit-to-paper the record returns to the locale's paper.
    ParsedModel large;
    ParseModelText(ReadSampleModelFile("KV3390N.PPD") +
                       "*PageSize A3: \"a3\"\n*PaperDimension A3: \"842 1191\"\n*Paper A3: \"8\"\n", &large);
    ASSERT_NE(large.model, nullptr);
    for (bool keepFit : {true, false}) {
        DeleteFileW(profile_.c_str());
        Put(L"paper_NT", L"8"), Put(L"MultiPage", L"2"), Put(L"Scaling", keepFit ? L"x0001" : L"x0000");
        const DriverDevmode r = Build(a4_, printer_, large.model);
        ExpectFields({F(r.pub.dmPaperSize, keepFit ? DMPAPER_A3 : localePaper),
                      F(r.pub.dmPaperLength, keepFit ? 4201 : a4_ ? 2970 : 2794),
                      F(r.priv.paperSizeCopy, localePaper), F(r.priv.multiPage, 1), F(r.priv.scaling, 3)});
    }
}

TEST_F(ProfileDefaults, AbsentKeysFallBackToInstallationValues)
{
    const DriverDevmode r = Build(a4_, printer_);
    ExpectFields({F(r.pub.dmPaperWidth, a4_ ? 2099 : 2159), F(r.priv.duplex, 0x0200), F(r.priv.qps, 0),
                  F(r.priv.statusMonitor, 0),   // the status monitor is not installed
                  F(r.priv.accessories, 0), F(r.priv.trayPaper[0].paper, -1), F(r.priv.mopy, 0x0100)});
    HANDLE printer;
    ASSERT_NE(printer = OpenTestPrinter(kDataQueue), nullptr);
    const struct { const WCHAR* name; DWORD value; } values[] = {{L"DEFACC", 0x00200090}, {L"DEFQPS", 1}, {L"DEFSTSMON", 2}};
    for (const auto& v : values)
        EXPECT_EQ(SetPrinterDataW(printer, const_cast<WCHAR*>(v.name), REG_DWORD,
                                  reinterpret_cast<BYTE*>(const_cast<DWORD*>(&v.value)), sizeof(DWORD)), ERROR_SUCCESS);
    DriverDevmode d = Build(a4_, printer);
    ExpectFields({F(d.priv.accessories, 0x90), F(d.priv.accessories2, 0x20), F(d.priv.qps, 1), F(d.priv.statusMonitor, 2)});
    Put(L"Accessories", L"x0001,x0000"), Put(L"QPS", L"0"), Put(L"VxDPrinterStatus", L"0");   // the profile comes first
    d = Build(a4_, printer);
    ExpectFields({F(d.priv.accessories, 1), F(d.priv.qps, 0), F(d.priv.statusMonitor, 0)});
    ClosePrinter(printer);
}

}  // namespace
