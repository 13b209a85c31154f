// Merging DEVMODEs from outside into the current record and copying records
// between sizes: the field rules, the private-part rules, and malformed
// records in buffers that end at an inaccessible page.
#include "settings/devmode_defaults.h"

#include "settings/devmode_merge.h"
#include "settings/devmode_sync.h"
#include "support/expect_fields.h"
#include "support/guarded_bytes.h"
#include "support/model_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A record's sizes and version written at the start of a buffer.
DEVMODEW* Header(BYTE* bytes, WORD size, WORD extra, WORD version)
{
    auto* dm = reinterpret_cast<DEVMODEW*>(bytes);
    dm->dmSize = size, dm->dmDriverExtra = extra, dm->dmSpecVersion = version;
    return dm;
}

// A public-only record of another driver.
DEVMODEW Foreign(WORD size, DWORD fields)
{
    DEVMODEW dm = {};
    dm.dmSpecVersion = size == 212 ? 0x0400 : 0x0401, dm.dmSize = size, dm.dmFields = fields;
    return dm;
}

class Merge : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string text = ReadSampleModelFile("KV3390N.PPD");
        ParseModelText(text, &sample_);
        std::string lower = text;   // the same model without its 1200 dpi mode
        const size_t at = lower.find("*Resolution 1200dpi");
        ParseModelText(lower.erase(at, lower.find('\n', at) + 1 - at), &no1200_);
    }
    void SetUp() override
    {
        ASSERT_NE(sample_.model, nullptr);
        ASSERT_NE(no1200_.model, nullptr);
        ASSERT_TRUE(BuildDefaultDevmode(&current_.pub, L"Zentari TX-3390N", sample_.model, TRUE, nullptr));
        wcscpy(current_.priv.printProcessorFile, L"KVSP207A.EXE");
        SyncDerivedSettings(&current_.pub);
        before_ = current_;
    }
    int MergeIn(const void* incoming, const ModelContext* model = sample_.model)
    {
        return MergeDevmode(&current_.pub, static_cast<const DEVMODEW*>(incoming), model, nullptr);
    }
    // Merges into a fresh default record (before_ stays the unchanged one).
    int MergeFresh(const void* incoming, const ModelContext* model = sample_.model)
    {
        current_ = before_;
        return MergeIn(incoming, model);
    }

    DriverDevmode current_, before_;
    static ParsedModel sample_, no1200_;
};
ParsedModel Merge::sample_;
ParsedModel Merge::no1200_;

TEST_F(Merge, PublicOnlyRecordChangesOnlyAllowedFields)
{
    EXPECT_EQ(MergeIn(nullptr), 1);
    EXPECT_EQ(memcmp(&current_, &before_, sizeof(current_)), 0) << "null changes nothing";
    DEVMODEW in = Foreign(212, DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_COLLATE | DM_FORMNAME | DM_COLOR);
    wcscpy(in.dmDeviceName, L"Other Printer"), wcscpy(in.dmFormName, L"Letter");
    in.dmOrientation = 2, in.dmPaperSize = DMPAPER_LETTER, in.dmCopies = 5, in.dmCollate = 1;
    in.dmColor = DMCOLOR_COLOR, in.dmMediaType = 7;
    in.dmDefaultSource = DMBIN_MANUAL, in.dmScale = 50, in.dmPrintQuality = 300;   // without their bits
    ASSERT_EQ(MergeIn(&in), 1);
    const DEVMODEW& pub = current_.pub;
    EXPECT_STREQ(pub.dmDeviceName, L"Zentari TX-3390N");
    EXPECT_STREQ(pub.dmFormName, L"Letter");
    ExpectFields({F(pub.dmSize, 220), F(pub.dmDriverExtra, 2452), F(pub.dmOrientation, 2), F(pub.dmPaperSize, 1),
                  F(pub.dmPaperLength, 2794), F(pub.dmPaperWidth, 2159), F(pub.dmCopies, 5), F(pub.dmCollate, 1),
                  F(pub.dmColor, 1), F(pub.dmDefaultSource, 7), F(pub.dmScale, 100), F(pub.dmPrintQuality, 600),
                  F(pub.dmMediaType, 0)});
    EXPECT_EQ(memcmp(&current_.priv, &before_.priv, offsetof(PrivateSettings, processor)), 0);
}

// Public fields against the model's limits; user sizes too long for upright
// paper are turned, sizes that fit neither way are kept.
TEST_F(Merge, PublicFieldsAreCheckedAgainstTheModel)
{
    ModelContext limited = *sample_.model;
    limited.modelCaps |= 0x8002;   // copies up to 99
    const ModelContext *full = sample_.model, *no1200 = no1200_.model;
    using M = SHORT DEVMODEW::*;
    const M copies = &DEVMODEW::dmCopies, quality = &DEVMODEW::dmPrintQuality;
    const struct { DWORD field; SHORT value; const ModelContext* model; M member; SHORT expected; } cases[] = {
        {DM_COPIES, 1000, full, copies, 1}, {DM_COPIES, 150, full, copies, 150}, {DM_COPIES, 150, &limited, copies, 1},
        {DM_COPIES, 99, &limited, copies, 99}, {DM_COPIES, 0, full, copies, 1}, {0, 5, full, copies, 1},
        {DM_PRINTQUALITY, 1200, full, quality, 1200}, {DM_PRINTQUALITY, 1200, no1200, quality, 600},
        {DM_PRINTQUALITY, 300, no1200, quality, 300}, {DM_PRINTQUALITY, DMRES_DRAFT, full, quality, 600},
        {DM_ORIENTATION, 7, full, &DEVMODEW::dmOrientation, 1}, {DM_DUPLEX, 4, full, &DEVMODEW::dmDuplex, 1},
        {DM_COLLATE, 2, full, &DEVMODEW::dmCollate, 0}, {DM_DEFAULTSOURCE, 258, full, &DEVMODEW::dmDefaultSource, 258},
        {DM_SCALE, 50, full, &DEVMODEW::dmScale, 100}};   // scaleFlag keeps the field out
    for (const auto& c : cases) {
        DEVMODEW in = Foreign(220, c.field);
        in.*c.member = c.value;
        ASSERT_EQ(MergeFresh(&in, c.model), 1);
        EXPECT_EQ(current_.pub.*c.member, c.expected) << "row " << &c - cases;
    }
    const struct { SHORT length, width; DWORD fields; SHORT toLength, toWidth, orientation; } sizes[] = {
        {2000, 3000, DM_PAPERLENGTH | DM_PAPERWIDTH, 3000, 2000, 2},
        {2000, 2100, DM_PAPERLENGTH | DM_PAPERWIDTH, 2000, 2100, 1},
        {2160, 4064, DM_PAPERLENGTH | DM_PAPERWIDTH, 2160, 4064, 1},   // fits neither way
        {2000, 3000, 0, 1160, 762, 1}};                                // the remembered custom size
    for (const auto& c : sizes) {
        DEVMODEW in = Foreign(220, DM_PAPERSIZE | c.fields);
        in.dmPaperSize = DMPAPER_USER, in.dmPaperLength = c.length, in.dmPaperWidth = c.width;
        SCOPED_TRACE(testing::Message() << c.length << " x " << c.width);
        ASSERT_EQ(MergeFresh(&in), 1);
        const DEVMODEW& pub = current_.pub;
        const PrivateSettings& priv = current_.priv;
        ExpectFields({F(pub.dmPaperLength, c.toLength), F(pub.dmPaperWidth, c.toWidth),
                      F(pub.dmOrientation, c.orientation), F(priv.customPaperLength, WORD(c.toLength)),
                      F(priv.customPaperWidth, WORD(c.toWidth))});
    }
    // With this driver's record the private switches decide about scale and collation.
    DriverDevmode own = before_;
    own.pub.dmFields = DM_SCALE | DM_COLLATE, own.pub.dmScale = 250;
    own.priv.scaleFlag = 3, own.priv.useDevmodeCollate = 0;
    ASSERT_EQ(MergeFresh(&own), 1);
    EXPECT_EQ(current_.pub.dmScale, 250);
    EXPECT_EQ(current_.priv.scalingSize, 250);
    EXPECT_FALSE(current_.pub.dmFields & DM_COLLATE);
}

TEST_F(Merge, PrivatePartIsTakenOnlyFromThisDriverAndSanitised)
{
    void (*const spoil[])(DriverDevmode&) = {
        [](DriverDevmode& r) { r.priv.tag = 0x58585858; }, [](DriverDevmode& r) { r.priv.signature = 0xFF02; },
        [](DriverDevmode& r) { r.pub.dmSpecVersion = 0x0400; }, [](DriverDevmode& r) { r.pub.dmDriverExtra = 2000; }};
    for (auto* change : spoil) {
        SCOPED_TRACE(testing::Message() << "spoilt record " << &change - spoil);
        DriverDevmode in = before_;
        in.priv.economy = 1, in.pub.dmFields = DM_COPIES, in.pub.dmCopies = 4;
        change(in);
        ASSERT_EQ(MergeFresh(&in), 1);
        // Only the public part is used.
        EXPECT_EQ(current_.priv.economy, 0);
        EXPECT_EQ(current_.pub.dmCopies, 4);
    }
    DriverDevmode in = before_;
    PrivateSettings& p = in.priv;
    wcscpy(p.printProcessorFile, L"EVIL.EXE"), wcscpy(p.languageResourceFile, L"EVIL.DLL");
    wcscpy(p.modelResourceFile, L"EVIL.DLL"), wcscpy(p.optionInformationFile, L"EVIL.INI");
    p.modelCaps = p.modelFeatures = 0xFFFFFFFF, p.modelTrays = 0, p.compMode1028 = 1, p.ret = 3;
    p.macroId = 0x12348765, p.bandingMode = 5, p.modeSelector2 = 0x85;
    wmemset(p.customPaperName, L'A', ARRAYSIZE(p.customPaperName)), memset(p.languageName, 'A', sizeof(p.languageName));
    wmemset(p.mopyUser, L'A', ARRAYSIZE(p.mopyUser)), wmemset(p.mopyJob, L'A', ARRAYSIZE(p.mopyJob));
    wmemset(p.macroName, L'A', ARRAYSIZE(p.macroName)), wmemset(p.reservedText, L'A', ARRAYSIZE(p.reservedText));
    wmemset(p.processor.idWatermarkName, L'A', ARRAYSIZE(p.processor.idWatermarkName));
    ASSERT_EQ(MergeFresh(&in), 1);
    const PrivateSettings& q = current_.priv;
    EXPECT_EQ(memcmp(q.printProcessorFile, before_.priv.printProcessorFile, 4 * 32), 0) << "file names";
    // The installation's words stay.
    ExpectFields({F(q.modelCaps, before_.priv.modelCaps), F(q.modelFeatures, before_.priv.modelFeatures),
                  F(q.modelTrays, before_.priv.modelTrays), F(q.compMode1028, 0)});
    EXPECT_EQ(q.ret, 3) << "settings are taken";
    EXPECT_EQ(q.macroId, 0x0765u) << "low word without bit 15";
    EXPECT_EQ(q.bandingMode, 1) << "banding mode 5 is replaced";
    EXPECT_EQ(q.modeSelector2, 0x81) << "banding mode 5 is replaced";
    // Texts are terminated in their last element.
    ExpectFields({F(wcslen(q.customPaperName), 16), F(strlen(q.languageName), 15), F(wcslen(q.mopyUser), 127),
                  F(wcslen(q.mopyJob), 123), F(wcslen(q.macroName), 23), F(wcslen(q.reservedText), 15),
                  F(wcslen(q.processor.idWatermarkName), 63)});
    in.priv.bandingMode = 4, in.priv.modeSelector2 = 0x44;   // modes up to 4 are kept
    ASSERT_EQ(MergeIn(&in), 1);
    EXPECT_EQ(q.bandingMode, 4);
    EXPECT_EQ(q.modeSelector2, 0x44);

    // Option selections: taken from the same model, rebuilt for another.
    in = before_;
    memset(in.priv.optionSelections, 7, sizeof(in.priv.optionSelections));
    in.priv.optionCount = 3, in.priv.economy = 1;
    ASSERT_EQ(MergeFresh(&in), 1);
    EXPECT_EQ(q.optionSelections[0], 7);
    EXPECT_EQ(q.optionCount, 3);
    in.priv.modelChecksum ^= 0x5A5A;
    ASSERT_EQ(MergeIn(&in), 1);
    EXPECT_EQ(memcmp(q.optionSelections, before_.priv.optionSelections, 64), 0);
    EXPECT_EQ(q.optionCount, before_.priv.optionCount);
    EXPECT_EQ(q.modelChecksum, sample_.model->modelChecksum);
    EXPECT_EQ(q.economy, 1) << "everything else is kept";
}

// The private duplex word follows a public duplex request.
TEST_F(Merge, DuplexRequestSettlesTheLayout)
{
    const struct { SHORT dmDuplex, orientation, multiPage; WORD before, after; } cases[] = {
        {2, 1, 1, 0x0202, 0x0300}, {2, 1, 1, 0x0201, 0x0301}, {2, 2, 1, 0x0204, 0x0300}, {2, 1, 1, 0x0204, 0x0304},
        {2, 2, 2, 0x0205, 0x0305}, {3, 1, 1, 0x0001, 0x0102}, {3, 2, 2, 0x0205, 0x0302}, {3, 2, 1, 0x0204, 0x0304},
        {3, 1, 1, 0x0203, 0x0303}, {1, 1, 1, 0x0301, 0x0201}};
    for (const auto& c : cases) {
        DriverDevmode in = before_;
        in.pub.dmFields = DM_DUPLEX | DM_ORIENTATION, in.pub.dmDuplex = c.dmDuplex, in.pub.dmOrientation = c.orientation;
        in.priv.multiPage = c.multiPage, in.priv.duplex = c.before;
        ASSERT_EQ(MergeFresh(&in), 1);
        EXPECT_EQ(current_.priv.duplex, c.after) << "row " << &c - cases;
    }
}

TEST(SizedCopy, CopiesTheCommonPartsAndKeepsTheTargetsSizes)
{
    const struct { WORD size, version, extra, targetSize, targetVersion, targetExtra; LONG result; WORD version2;
                   bool endCopied; } cases[] = {   // endCopied: the target's last byte came from the source
        {220, 0x0401, 2452, 220, 0x0401, 2452, 2672, 0x0401, true}, {220, 0x0401, 2452, 212, 0, 0, 212, 0x0400, true},
        {188, 0, 0, 220, 0x0401, 2452, 188, 0x0401, false},        {212, 0x0400, 16, 188, 0, 8, 196, 0x0320, true},
        {300, 0x0500, 4, 220, 0x0401, 2452, 224, 0x0401, false},   {100, 0, 0, 220, 0x0401, 0, -1, 0, false},
        {220, 0x0401, 0, 100, 0, 0, -1, 0, false}};   // unusable source, unusable target
    for (const auto& c : cases) {
        std::vector<BYTE> source(c.size + c.extra + 72, 0x11), target(c.targetSize + c.targetExtra + 80, 0x22);
        auto *src = reinterpret_cast<DEVMODEW*>(source.data()), *dst = reinterpret_cast<DEVMODEW*>(target.data());
        src->dmSize = c.size, src->dmSpecVersion = c.version, src->dmDriverExtra = c.extra;
        dst->dmSize = c.targetSize, dst->dmSpecVersion = c.targetVersion, dst->dmDriverExtra = c.targetExtra;
        dst->dmDriverVersion = 0x0107;
        const size_t end = size_t(c.targetSize) + c.targetExtra;
        SCOPED_TRACE(&c - cases);
        ASSERT_EQ(CopyDevmodeSized(src, dst), c.result);
        if (c.result < 0)
            continue;
        ExpectFields({F(dst->dmSpecVersion, c.version2), F(dst->dmDriverVersion, 0x0107),
                      F(dst->dmSize, c.targetSize), F(dst->dmDriverExtra, c.targetExtra)});
        EXPECT_EQ(target[end - 1], c.endCopied ? 0x11 : 0x22);
        EXPECT_EQ(target[end], 0x22) << "nothing written past the target";
    }
    DEVMODEW dm = Foreign(220, 0);
    EXPECT_EQ(CopyDevmodeSized(nullptr, &dm), -1);
    EXPECT_EQ(CopyDevmodeSized(&dm, nullptr), -1);
}

TEST_F(Merge, OutputNeverExceedsTheCallersInput)
{
    const struct { WORD size, version, extra; BOOL ok; WORD outSize, outVersion, outExtra; } cases[] = {
        {220, 0x0401, 2452, TRUE, 220, 0x0401, 2452}, {212, 0x0400, 0, TRUE, 212, 0x0400, 0},
        {188, 0x0320, 100, TRUE, 188, 0x0320, 100},  {300, 0x0500, 3000, TRUE, 220, 0x0401, 2452},
        {150, 0, 0, FALSE, 0, 0, 0},                  {40, 0x0401, 500, FALSE, 0, 0, 0}};
    for (const auto& c : cases) {
        const size_t extent = size_t(c.size) + c.extra;
        const auto in = GuardedBytes(extent), out = GuardedBytes(extent);
        memset(in.get(), 0x33, extent);
        SCOPED_TRACE(&c - cases);
        DEVMODEW* result = Header(out.get(), 0, 0, 0);
        ASSERT_EQ(ConvertDevmodeOut(&current_.pub, Header(in.get(), c.size, c.extra, c.version), result), c.ok);
        if (!c.ok)
            continue;
        ExpectFields({F(result->dmSize, c.outSize), F(result->dmSpecVersion, c.outVersion),
                      F(result->dmDriverExtra, c.outExtra)});
        EXPECT_EQ(memcmp(out.get() + c.outSize, &current_.priv, c.outExtra), 0) << "the private part";
    }
    DriverDevmode whole;
    ASSERT_TRUE(ConvertDevmodeOut(&current_.pub, nullptr, &whole.pub));
    EXPECT_EQ(memcmp(&whole, &current_, sizeof(whole)), 0) << "no input: the whole record";
    DEVMODEW same = Foreign(212, 0);
    ASSERT_TRUE(ConvertDevmodeOut(&current_.pub, &same, &same));
    EXPECT_EQ(same.dmSize, 212);
}

TEST_F(Merge, MalformedRecordsStayInsideTheirBuffers)
{
    const struct { WORD size, extra; bool own; } cases[] = {
        {220, 2452, true}, {220, 1000, false}, {188, 2452, false}, {400, 7, false}, {10, 20, false}};
    for (const auto& c : cases) {
        SetUp();
        const size_t extent = std::max<size_t>(size_t(c.size) + c.extra, 72);
        const auto in = GuardedBytes(extent), target = GuardedBytes(extent);
        memset(in.get(), 0x7F, extent);
        if (c.own)
            memcpy(in.get(), &current_, sizeof(current_));
        EXPECT_EQ(MergeIn(Header(in.get(), c.size, c.extra, 0x0401)), 1) << c.size << "+" << c.extra;
        EXPECT_TRUE(IsDriverDevmode(&current_.pub, sizeof(current_)));
        EXPECT_EQ(CopyDevmodeSized(&current_.pub, Header(target.get(), c.size, c.extra, 0x0401)),
                  std::min<LONG>(c.size, 220) + std::min<LONG>(c.extra, 2452));
    }
    // Random records through every entry that takes outside DEVMODEs.
    std::mt19937 random(20240611);
    auto pick = [&](std::initializer_list<WORD> choices, WORD anyBelow) {
        const size_t n = random() % (choices.size() + 1);
        return n < choices.size() ? choices.begin()[n] : WORD(random() % anyBelow);
    };
    for (int i = 0; i < 3000; ++i) {
        const WORD size = pick({188, 212, 220}, 400), extra = pick({0, 2452}, 3000);
        const size_t extent = std::max<size_t>(size_t(size) + extra, 72);
        const auto in = GuardedBytes(extent), out = GuardedBytes(extent);
        std::generate(in.get(), in.get() + extent, [&] { return BYTE(random()); });
        DEVMODEW* dm = Header(in.get(), size, extra, pick({0, 0x0320, 0x0400, 0x0401}, 0xFFFF));
        if (extent >= 76 && i % 3 == 0)
            dm->dmFields = 0xFFFFFFFF;
        if (i % 2 && size >= 72 && size_t(size) + 8 <= extent) {   // carries this driver's identification
            const DWORD id[2] = {DWORD(kPrivateSignature) << 16 | kProcessorBlockOffset, kPrivateTag};
            memcpy(in.get() + size, id, sizeof(id));
        }
        SCOPED_TRACE("record " + std::to_string(i));
        DriverDevmode merged = current_;
        const int result = MergeDevmode(&merged.pub, dm, sample_.model, nullptr);
        ASSERT_TRUE(result == 0 || result == 1) << result;
        ASSERT_TRUE(IsDriverDevmode(&merged.pub, sizeof(merged)));
        ASSERT_EQ(merged.priv.modelTrays, current_.priv.modelTrays);
        ASSERT_GE(merged.pub.dmCopies, 1);
        ASSERT_LE(merged.pub.dmCopies, 999);
        DEVMODEW* const converted = Header(out.get(), 0, 0, 0);
        if (ConvertDevmodeOut(&merged.pub, dm, converted)) {
            ASSERT_LE(converted->dmSize, size);
            ASSERT_LE(converted->dmDriverExtra, extra);
        }
        ASSERT_LE(CopyDevmodeSized(dm, converted), LONG(extent));
    }
}

}  // namespace
