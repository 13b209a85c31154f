// The derived fields: dmDuplex from the private duplex word, and the
// ProcessorBlock from the upper part of the record.
#include "settings/devmode_defaults.h"

#include "settings/devmode_sync.h"
#include "support/expect_fields.h"
#include "support/model_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Sync : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ParseModelText(ReadSampleModelFile("KV3390N.PPD"), &sample_); }
    void SetUp() override
    {
        ASSERT_NE(sample_.model, nullptr);
        ASSERT_TRUE(BuildDefaultDevmode(&r_.pub, L"Zentari TX-3390N", sample_.model, TRUE, nullptr));
        wcscpy(r_.priv.printProcessorFile, L"KVSP207A.EXE");
    }
    void Run() { SyncDerivedSettings(&r_.pub); }

    DriverDevmode r_;
    PrivateSettings& p_ = r_.priv;
    ProcessorBlock& b_ = r_.priv.processor;
    static ParsedModel sample_;
};
ParsedModel Sync::sample_;

// Every branch of the tray word: two cassettes and a feeder (accessories bit
// 3), none, a single feed path (bit 17), a multi-purpose tray (bit 10), a
// manual slot (bit 11), and trays with neither.
TEST_F(Sync, PaperSourceFollowsTheTrayLayout)
{
    const struct { DWORD trays; SHORT paper, source; WORD accessories, outputBin; bool flag; WORD procSource; } cases[] = {
        {0x48A5, 256, 7, 0, 0, true, 2},  {0x48A5, 302, 1, 0, 0, true, 2},    {0x48A5, 9, 7, 8, 0, false, 258},
        {0x48A5, 9, 7, 8, 1, true, 2},    {0x48A5, 9, 258, 0, 0, false, 258}, {0x48A5, 9, 1, 8, 0, true, 1},
        {0x48A5, 9, 4, 0, 0, false, 4},   {0, 9, 7, 0, 0, false, 7},          {0x20000, 9, 7, 0, 0, true, 1},
        {0x20000, 9, 2, 0, 0, true, 2},   {0x0400, 9, 7, 0, 0, true, 258},    {0x20400, 9, 7, 0, 0, true, 258},
        {0x0400, 9, 1, 0, 0, false, 1},   {0x0800, 9, 7, 0, 0, true, 1},      {0x0800, 9, 4, 0, 0, true, 4},
        {0x0800, 9, 2, 0, 0, false, 2},   {0x0015, 9, 7, 0, 0, false, 1},     {0x0015, 9, 258, 0, 0, true, 258}};
    for (const auto& c : cases) {
        SetUp();
        SCOPED_TRACE(&c - cases);
        p_.modelTrays = c.trays, p_.accessories = c.accessories, p_.outputBin = c.outputBin;
        r_.pub.dmPaperSize = c.paper, r_.pub.dmDefaultSource = c.source;
        b_.sourceFlags = c.flag ? 0x01 : 0x41;   // the flag must change
        Run();
        EXPECT_EQ(b_.sourceFlags, c.flag ? 0x41 : 0x01);
        EXPECT_EQ(b_.procSource, c.procSource);
    }
}

// The job processor is named only when the job needs it: forced, or
// collating into several bins that neither the printer nor its mailbox does.
TEST_F(Sync, JobProcessorIsNamedOnlyWhenNeeded)
{
    const struct { BYTE force; bool multiBin; BYTE copyFlags; WORD binNumber, mopy; SHORT collate; BYTE useCollate,
                   procCollate; bool named; } cases[] = {
        {0, false, 0, 0, 0, 0, 1, 0, false}, {1, false, 0, 0, 0, 0, 1, 0, true}, {0, true, 0, 2, 0, 1, 1, 0, true},
        {0, true, 1, 2, 0, 1, 1, 0, false}, {0, true, 0, 1, 0, 1, 1, 0, false}, {0, true, 0, 2, 0, 0, 1, 0, false},
        {0, true, 0, 2, 0x0102, 1, 1, 0, false}, {0, true, 0, 2, 0x0103, 1, 1, 0, true},
        {0, true, 0, 2, 0, 0, 0, 1, true}};
    for (const auto& c : cases) {
        SetUp();
        SCOPED_TRACE(&c - cases);
        wcscpy(b_.procFile, L"STALE.EXE");
        b_.forceProcessor = c.force, p_.copyFlags |= c.copyFlags, p_.mopy = c.mopy ? c.mopy : p_.mopy;
        if (c.multiBin)
            p_.binMode = 1, p_.outputBin = 0xFFFE, p_.binNumber = c.binNumber, r_.pub.dmCollate = c.collate;
        if (!c.useCollate)
            p_.useDevmodeCollate = 0, b_.procCollate = c.procCollate;
        Run();
        EXPECT_STREQ(b_.procFile, c.named ? L"KVSP207A.EXE" : L"");
        EXPECT_EQ(b_.procCollate, 0) << "the request is consumed";
    }
}

TEST_F(Sync, PrinterCopiesAndMultiBinFields)
{
    const struct { BYTE copyFlags; SHORT collate; BYTE flags; WORD copies; } copies[] = {
        {0x01, 1, 0x81, 7}, {0x81, 0, 0x01, 0}, {0x00, 1, 0x00, 0}, {0x80, 1, 0x00, 0}};
    for (const auto& c : copies) {
        SetUp();
        SCOPED_TRACE(testing::Message() << "copies row " << &c - copies);
        p_.copyFlags = c.copyFlags, r_.pub.dmCollate = c.collate, r_.pub.dmCopies = 7;
        Run();
        EXPECT_EQ(p_.copyFlags, c.flags);
        EXPECT_EQ(p_.printerCopies, c.copies);
    }
    // With the printer's collator the fields are left as they were.
    const struct { BYTE copyFlags, binMode; WORD binNumber; BYTE collate; SHORT select; BYTE flags, on, bin; } bins[] = {
        {0, 3, 4, 1, -1, 0x81, 1, 3}, {0, 3, 1, 1, 0, 0x80, 0, 0}, {0, 3, 4, 0, 0, 0x80, 0, 0},
        {0, 0, 4, 1, 0, 0x80, 0, 0},  {1, 3, 4, 1, 9, 0x81, 9, 9}};
    for (const auto& c : bins) {
        SetUp();
        SCOPED_TRACE(testing::Message() << "bins row " << &c - bins);
        p_.copyFlags = c.copyFlags, p_.binMode = c.binMode, p_.binNumber = c.binNumber, p_.collate = c.collate;
        p_.outputBin = 0xFFFE, b_.procBinSelect = 9, b_.procBinFlags = 0x81, b_.procBinOn = 9, b_.procBin = 9;
        Run();
        ExpectFields({F(b_.procBinSelect, c.select), F(b_.procBinFlags, c.flags), F(b_.procBinOn, c.on),
                      F(b_.procBin, c.bin)});
    }
}

TEST_F(Sync, BindingModeFollowsPaperAndSheet)
{
    const struct { BYTE bindSwitch; SHORT paper, orientation, multiPage; WORD mode; } cases[] = {
        {0, 5, 1, 1, 0}, {1, 1, 1, 1, 1}, {1, 7, 2, 1, 1}, {1, 34, 1, 2, 1},
        {1, 5, 1, 1, 2}, {1, 5, 2, 2, 2}, {1, 5, 2, 1, 3}, {1, 5, 1, 2, 3}};
    for (const auto& c : cases) {
        SetUp();
        p_.bindModeSwitch = c.bindSwitch, p_.multiPage = c.multiPage, p_.relayedSwitch = 5;
        r_.pub.dmPaperSize = c.paper, r_.pub.dmOrientation = c.orientation;
        Run();
        EXPECT_EQ(b_.procBindMode, c.mode) << &c - cases;
        EXPECT_EQ(b_.procRelayedSwitch, 5);
    }
}

TEST_F(Sync, BlockFieldsFollowTheUpperPart)
{
    p_.accessories = 0x30, p_.modelCodeWord = 0x0701, p_.outputBin = 0, p_.scaling = 1, p_.paperSizeCopy = 8;
    p_.fitPaperSize = 61, p_.scalingSize = 75, p_.imageProcess = 2, p_.bindFlags = 2, p_.bindingOffset = 15;
    p_.duplex = 0x0200, r_.pub.dmDuplex = 3, b_.procPagesPerSheet = -4, b_.procCopies = 7;
    b_.procDuplex = 7, b_.procDuplexMode = 7, b_.procDuplexOffset = 7, b_.procDuplexAuto = 7;
    Run();
    ExpectFields({
        F(b_.procAccessories, 0x80000038), F(b_.procFitPaper, 8), F(b_.procFitTarget, 61), F(b_.procScale, 75),
        F(b_.procRotate, 1), F(b_.procRotateAngle, 180), F(b_.procBindingOffset, 15),
        F(b_.procPaperFlags, 0x03), F(r_.pub.dmDuplex, 1),   // fitted onto paper 61; duplex printing is off
        F(b_.procDuplex, 0), F(b_.procDuplexMode, 0), F(b_.procDuplexOffset, 0), F(b_.procDuplexAuto, 1),
        F(b_.procPagesPerSheet, 1), F(b_.procCopies, 0)});
    p_.modelCodeWord = 0x0702, p_.outputBin = 1, p_.scaling = 2, p_.imageProcess = 1, p_.bindFlags = 1;
    p_.duplex = 0x0300, r_.pub.dmDuplex = 3, r_.pub.dmPaperSize = 61;
    Run();
    ExpectFields({
        F(b_.procAccessories, 0x30), F(b_.procFitPaper, -1), F(b_.procFitTarget, 0xFFFF), F(b_.procRotate, 0),
        F(b_.procRotateAngle, 0), F(b_.procBindingOffset, 0), F(b_.procPaperFlags, 0x03),   // paper 61 itself
        F(r_.pub.dmDuplex, 3)});   // left alone while duplex is on
    r_.pub.dmPaperSize = 9;
    Run();
    EXPECT_EQ(b_.procPaperFlags, 0x01);

    const struct { WORD duplex; SHORT orientation, multiPage, dmDuplex; } layouts[] = {
        {0x0200, 1, 1, 1}, {0x0100, 1, 1, 2}, {0x0101, 2, 2, 2}, {0x0303, 2, 1, 3},
        {0x0104, 1, 1, 2}, {0x0104, 2, 1, 3}, {0x0105, 1, 2, 3}, {0x01FF, 1, 1, 1}};
    for (const auto& c : layouts) {
        p_.duplex = c.duplex, p_.multiPage = c.multiPage, r_.pub.dmOrientation = c.orientation, r_.pub.dmDuplex = 9;
        DeriveDevmodeDuplex(&r_.pub);
        EXPECT_EQ(r_.pub.dmDuplex, c.dmDuplex) << "layout " << &c - layouts;
    }
}

}  // namespace
