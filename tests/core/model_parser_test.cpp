// The model description parser, on the sample model and on small texts.
#include "core/model_queries.h"
#include "support/expect_fields.h"
#include "support/model_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

int32_t Points(double value) { return static_cast<int32_t>(value * 256); }

std::string Diagnostics(const ParsedModel& parsed)
{
    std::string all;
    for (const auto& d : parsed.diagnostics)
        all += d + "\n";
    return all;
}

class SampleModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ParseModelText(ReadSampleModelFile("KV3390N.PPD"), parsed_ = new ParsedModel); }
    static void TearDownTestSuite() { delete parsed_; }
    void SetUp() override { ASSERT_NE(model(), nullptr) << Diagnostics(*parsed_); }
    const ModelContext* model() const { return parsed_->model; }
    uint32_t Index(const char* keyword) const { return FindModelFeature(model(), keyword)->index; }
    static ParsedModel* parsed_;
};
ParsedModel* SampleModel::parsed_ = nullptr;

TEST_F(SampleModel, IdentityQueriesAndPaper)
{
    const ModelContext* m = model();
    const ModelFeature* pageSize = FeatureOfKind(m, kKindPageSize);
    ASSERT_NE(pageSize, nullptr);
    const ModelOption& a4 = pageSize->options[3];
    ExpectFields({
        F(m->fileVersion, 256), F(m->languageLevel, 3), F(m->colorDevice, 0), F(m->modelCaps, 0x1000),
        F(m->modelFeatures, 5), F(m->modelTrays, 0x435), F(m->printRate, (35u << 16) | 33u),
        F(m->landscapeOrientation, kLandscapePlus90), F(m->modelOptionFlags, kModelStatusMonitor | kModelUseReprint),
        F(m->driverSwitches, kSwitchMacroSetting), F(m->freeVM, 4194304), F(m->customPageSize, 1),
        F(m->standardMemory, 64), F(FindModelFeature(m, "InstalledMemory")->options[1].memoryKB, 128 * 1024),
        // PageRegion adds neither options nor a feature.
        F(pageSize->optionCount, 15), F(pageSize->defaultOption, 3), F(a4.width, Points(595)),
        F(a4.height, Points(842)), F(a4.imageable[2], Points(583)), F(a4.imageableL[2], Points(830)),
        F(a4.landscapeValue != nullptr, 1), F(DefaultOptionValue(m, kKindResolution), 600),
        F(OffersResolution(m, 1200), 1), F(OffersResolution(m, 2400), 0),
        F(DefaultOptionValue(m, kKindMediaType), 1), F(DefaultOptionValue(m, kKindPageProtect), 256),
        F(DefaultOptionValue(m, kKindHRC), 2), F(DefaultOptionValue(m, kKindSaveMacro), 0),   // no such feature
        F(NthOptionValue(m, kKindPaper, 3), 9), F(DefaultPaperSource(m), 7), F(SleepModeItem(m, 2), 15),
        F(SleepModeItem(m, 100), 240),   // past the end: the last item
    });
    EXPECT_STREQ(m->nickName, "Zentari TX-3390N series");
    EXPECT_STREQ(m->jclBegin, "\x1b%-12345X@PJL JOB\n") << "hex substrings decoded";
    EXPECT_EQ(std::u16string(m->modelPath), u"C:\\drivers\\TEST.PPD");
    EXPECT_STREQ(a4.keyword, "A4");
    EXPECT_STREQ(a4.value, "<</PageSize[595 842]/ImagingBBox null>>setpagedevice") << "kept as written";
    const ModelOption* postcard = PostcardOption(m);
    ASSERT_NE(postcard, nullptr);
    EXPECT_STREQ(postcard->media, "Thick");
}

TEST_F(SampleModel, OrdersInstallableFeaturesLast)
{
    const char* const expected[] = {"PageSize", "Paper", "InputSlot", "ManualFeed", "Duplex", "Collate",
                                    "Resolution", "MediaType", "MultiplePage", "TonerSaveMode", "PageProtect",
                                    "HRC", "GraphicsMode", "TTMODE", "OptionTray2", "OptionTray3", "InstalledMemory"};
    ASSERT_EQ(model()->featureCount, sizeof(expected) / sizeof(expected[0]));
    ExpectFields({F(model()->optionCount, 14), F(model()->installableCount, 3)});
    for (uint32_t i = 0; i < model()->featureCount; ++i) {
        SCOPED_TRACE(i);
        const ModelFeature& f = model()->features[i];
        EXPECT_STREQ(f.keyword, expected[i]);
        ExpectFields({F(f.index, i), F(f.installable != 0, i >= 14)});
    }
    EXPECT_EQ(FeatureOfKind(model(), kKindVMOption), FindModelFeature(model(), "InstalledMemory"));
    const ModelFeature* tray2 = FindModelFeature(model(), "OptionTray2");
    ASSERT_NE(tray2, nullptr);
    EXPECT_EQ(tray2->kind, kKindNone);
    EXPECT_EQ(FeatureOfKind(model(), kKindSaveMacro), nullptr);
}

TEST_F(SampleModel, ResolvesConstraints)
{
    const uint32_t duplex = Index("Duplex"), media = Index("MediaType"), slot = Index("InputSlot"),
                   tray2 = Index("OptionTray2");
    // Duplex "None" is an off option: not covered by a constraint naming any duplex.
    ExpectFields({F(IsConstrained(model(), duplex, 0, media, 3), 0), F(IsConstrained(model(), duplex, 1, media, 3), 1),
                  F(IsConstrained(model(), duplex, 2, media, 0), 0)});

    // Tray2 (option 2) needs the optional feeder: installable selection 1 = False.
    uint8_t installed[3] = {1, 1, 0}, document[64] = {};
    EXPECT_EQ(FindConflict(model(), installed, nullptr, tray2, 1), 0u)
        << "without document selections only installables are compared";
    EXPECT_EQ(FindConflict(model(), installed, document, slot, 2), ((tray2 | 0x100) << 8) + 1);
    document[duplex] = 1;
    EXPECT_EQ(FindConflict(model(), installed, document, media, 3), ((duplex | 0x200) << 8) + 1);
    EXPECT_EQ(FindConflict(model(), installed, document, media, kAnyOption), 0u);
}

TEST(ModelSyntax, ReadsQuotedValuesAcrossLinesAndSkipsQueries)
{
    ParsedModel parsed;
    ParseModelText("*NickName: \"Two<0A>Lines\"\n*?PageSize: \"\n*Looks like a statement\n\"\n*End\n"
                   "*JCLBegin: \"first\nsecond\"\n*OpenUI *Duplex/Two <53>ided: PickOne\n"
                   "*DefaultDuplex: DuplexNoTumble\n*Duplex None/Off: \"a\"\n*Duplex DuplexNoTumble/Long: \"b\"\n"
                   "*CloseUI: *Duplex\n*NickName: \"second\"\n*Unknown: 1\n*LanguageLevel: 2\n", &parsed);
    ASSERT_NE(parsed.model, nullptr) << Diagnostics(parsed);
    EXPECT_STREQ(parsed.model->nickName, "Two\nLines") << "the first NickName counts";
    EXPECT_STREQ(parsed.model->jclBegin, "first\nsecond");
    const ModelFeature* duplex = FeatureOfKind(parsed.model, kKindDuplex);
    ASSERT_NE(duplex, nullptr);
    EXPECT_STREQ(duplex->translation, "Two Sided");
    ExpectFields({F(parsed.model->languageLevel, 2), F(parsed.model->featureCount, 1),   // none from the query's value
                  F(duplex->defaultOption, 1)});                                         // named before its options
    const std::string all = Diagnostics(parsed);
    EXPECT_NE(all.find("13: NickName: repeated keyword skipped"), std::string::npos) << all;
    EXPECT_NE(all.find("14: Unknown: unknown keyword skipped"), std::string::npos) << all;
}

TEST(ModelSyntax, ImplicitFeaturesDefaultsAndGenericOptions)
{
    ParsedModel parsed;
    ParseModelText("*DefaultInputSlot: Lower\n*InputSlot Upper: \"u\"\n*InputSlot Lower: \"l\"\n"
                   "*ManualFeed True: \"m\"\n*OpenGroup: InstallableOptions/Installed\n"
                   "*OpenUI *Finisher/Finisher: Boolean\n*DefaultFinisher: True\n*Finisher False/No: \"\"\n"
                   "*Finisher True/Yes: \"\"\n*CloseUI: *Finisher\n*CloseGroup: InstallableOptions\n"
                   "*UIConstraints: *Finisher False *InputSlot Lower\n*UIConstraints: *Missing True *InputSlot Lower\n"
                   "*Resolution 0dpi: \"r\"\n*FreeVM: \"1000\"\n*CustomPageSize True: \"x\"\n", &parsed);
    const ModelContext* model = parsed.model;
    ASSERT_NE(model, nullptr) << Diagnostics(parsed);
    const ModelFeature* finisher = FindModelFeature(model, "Finisher");
    ASSERT_NE(finisher, nullptr);
    ASSERT_EQ(model->constraintCount, 2u);
    ExpectFields({F(DefaultPaperSource(model), 2), F(FeatureOfKind(model, kKindManualFeed)->uiType, kUiBoolean),
                  F(finisher->optionCount, 2), F(finisher->defaultOption, 1), F(finisher->installable != 0, 1),
                  F(finisher->index, model->featureCount - 1), F(model->constraints[0].feature1, finisher->index),
                  F(model->constraints[0].option1, 0),
                  F(model->constraints[1].feature1, kNoConstraintFeature),   // an unknown name never matches
                  F(model->defaultResolution, 300),                          // values below 1 become 300
                  F(model->freeVM, 102400), F(model->customPageSize, 0)});   // no maxima given
}

TEST(ModelSyntax, UnreadableStatementsFailTheLoad)
{
    for (const char* text : {"*NickName: \"never closed\n*LanguageLevel: 2\n",
                             "*PageSize A4/A4 \"no colon\"\n"}) {
        ParsedModel parsed;
        ParseModelText(text, &parsed);
        EXPECT_EQ(parsed.model, nullptr) << text;
        ASSERT_FALSE(parsed.diagnostics.empty());
        EXPECT_NE(parsed.diagnostics.back().find("error:"), std::string::npos);
    }
}

TEST(ModelSyntax, TextThatOnlyLooksLikeHexIsKeptAsWritten)
{
    ParsedModel parsed;
    ParseModelText("*OpenUI *PageSize: PickOne\n*PageSize A4/A4 <210 x 297 mm>: \"a\"\n"
                   "*PageSize A5/<4142> <414>: \"b\"\n*PageSize B5/<" + std::string(2100, '4') + ": \"c\"\n", &parsed);
    ASSERT_NE(parsed.model, nullptr) << Diagnostics(parsed);
    const ModelFeature* pageSize = FeatureOfKind(parsed.model, kKindPageSize);
    ASSERT_EQ(pageSize->optionCount, 3u);
    EXPECT_STREQ(pageSize->options[0].translation, "A4 <210 x 297 mm>");
    EXPECT_STREQ(pageSize->options[1].translation, "AB <414>") << "odd digit count is not hex";
    EXPECT_EQ(std::strlen(pageSize->options[2].translation), 2101u);
}

TEST(ModelSyntax, FileVersionChecksumAndSlotCodes)
{
    // Fixed point; half a unit and more rounds up; only five fraction digits count.
    const struct { const char* text; uint32_t version; } versions[] = {
        {"1.5", 384}, {"2.25", 576}, {"-1.0", 0}, {"3", 768}, {"1.00196", 257},
        {"1.00195", 256}, {"1.001959", 256}, {"v", 0}, {"", 0}};
    for (const auto& v : versions)
        EXPECT_EQ(ParseFileVersion(v.text, strlen(v.text)), v.version) << v.text;
    EXPECT_EQ(ModelChecksum(reinterpret_cast<const uint8_t*>("123456789"), 9), 0x31C3) << "CRC-16/XMODEM";
    ParsedModel a, b;
    ParseModelText("*NickName: \"A\"\n", &a), ParseModelText("*NickName: \"B\"\n", &b);
    ASSERT_NE(a.model, nullptr);
    ASSERT_NE(b.model, nullptr);
    EXPECT_NE(a.model->modelChecksum, b.model->modelChecksum);
    // Slot names match case-sensitively; unknown ones select the upper tray.
    const struct { const char* slot; int source; } slots[] = {
        {"Tray3", 256}, {"Tower7", 269}, {"MPTray", 258}, {"tray3", 1}, {"Envelope", 1}};
    for (const auto& s : slots)
        EXPECT_EQ(PaperSourceOfSlot(s.slot), s.source) << s.slot;
}

TEST(ModelImage, RelocationRefusesDamagedImages)
{
    const std::string text = ReadSampleModelFile("KV3390N.PPD");
    ModelParseOptions options = {nullptr, nullptr, [](size_t n) { return std::calloc(1, n); }};
    ModelContext* image = BuildModelImage(reinterpret_cast<const uint8_t*>(text.data()),
                                          text.size(), u"X.PPD", options);
    ASSERT_NE(image, nullptr);
    const uint32_t size = image->imageSize;
    const std::string pristine(reinterpret_cast<char*>(image), size);
    auto* copy = static_cast<ModelContext*>(std::malloc(size));
    auto relocate = [&](const std::function<void()>& damage, uint32_t length) {
        std::memcpy(copy, pristine.data(), size);
        damage();
        return RelocateModelImage(copy, length);
    };
    EXPECT_TRUE(relocate([] {}, size));
    EXPECT_FALSE(relocate([] {}, size - 8)) << "size must match the header";
    auto* features = reinterpret_cast<ModelFeature*>(reinterpret_cast<uint8_t*>(copy) +
                                                     reinterpret_cast<uintptr_t>(image->features));
    const std::function<void()> damage[] = {
        [&] { copy->featureCount = 60000; },   // features beyond the block
        [&] { copy->imageVersion = 2; },
        // Option arrays that overlap: relocating one would rewrite the other.
        [&] { features[1].options = reinterpret_cast<ModelOption*>(
                  reinterpret_cast<uintptr_t>(features[0].options) + sizeof(ModelOption)); },
        // An option array laid over its own feature record.
        [&] { features[0].options = reinterpret_cast<ModelOption*>(reinterpret_cast<uintptr_t>(copy->features)); },
    };
    for (const auto& d : damage)
        EXPECT_FALSE(relocate(d, size)) << &d - damage;
    // Every byte of the variable part changed in turn: relocation either
    // refuses or yields records that lie inside the block.
    for (uint32_t at = sizeof(ModelContext); at < size; at += 7) {
        if (!relocate([&] { reinterpret_cast<uint8_t*>(copy)[at] ^= 0xA5; }, size))
            continue;
        for (uint32_t f = 0; f < copy->featureCount; ++f)
            for (uint32_t o = 0; o < copy->features[f].optionCount; ++o)
                ASSERT_NE(copy->features[f].options[o].keyword, nullptr);
    }
    std::free(copy);
    std::free(image);
}

} // namespace
