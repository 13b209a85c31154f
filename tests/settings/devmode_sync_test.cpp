// The derived fields: dmDuplex from the private duplex word, and the
// ProcessorBlock from the upper part of the record.
#include "settings/devmode_defaults.h"

#include "support/model_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

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

TEST_F(Sync, PaperSourceFollowsTheTrayLayout)
{
    const struct {
        DWORD trays;
        SHORT paper, source;
        WORD accessories, outputBin;
        bool flag;
        WORD procSource;
    } cases[] = {
        // Two cassettes and a feeder (accessories bit 3).
        {0x48A5, 256, 7, 0, 0, true, 2},    {0x48A5, 256, 7, 8, 0, false, 258}, {0x48A5, 302, 1, 0, 0, true, 2},
        {0x48A5, 9, 7, 0, 0, true, 2},      {0x48A5, 9, 7, 8, 0, false, 258},   {0x48A5, 9, 7, 8, 1, true, 2},
        {0x48A5, 9, 258, 0, 0, false, 258}, {0x48A5, 9, 4, 0, 0, false, 4},     {0x48A5, 9, 1, 8, 0, true, 1},
        // No tray information.
        {0, 9, 7, 0, 0, false, 7},          {0, 9, 258, 0, 0, false, 258},
        // A single feed path (bit 17 only).
        {0x20000, 9, 7, 0, 0, true, 1},     {0x20000, 9, 2, 0, 0, true, 2},
        // A multi-purpose tray (bit 10) or a manual slot (bit 11).
        {0x0400, 9, 7, 0, 0, true, 258},    {0x20400, 9, 7, 0, 0, true, 258},   {0x0400, 9, 258, 0, 0, true, 258},
        {0x0400, 9, 1, 0, 0, false, 1},     {0x0800, 9, 7, 0, 0, true, 1},      {0x0800, 9, 4, 0, 0, true, 4},
        {0x0800, 9, 2, 0, 0, false, 2},
        // Trays without either.
        {0x0015, 9, 7, 0, 0, false, 1},     {0x0015, 9, 258, 0, 0, true, 258},  {0x0015, 9, 1, 0, 0, false, 1},
    };
    for (const auto& c : cases) {
        SetUp();
        p_.modelTrays = c.trays, p_.accessories = c.accessories, p_.outputBin = c.outputBin;
        r_.pub.dmPaperSize = c.paper, r_.pub.dmDefaultSource = c.source;
        b_.sourceFlags = c.flag ? 0x01 : 0x41;   // the flag must change
        Run();
        SCOPED_TRACE(testing::Message() << "trays 0x" << std::hex << c.trays << std::dec << " paper " << c.paper
                                        << " source " << c.source << " accessories " << c.accessories);
        EXPECT_EQ(b_.sourceFlags, c.flag ? 0x41 : 0x01);
        EXPECT_EQ(b_.procSource, c.procSource);
    }
}

// The job processor is named only when the job needs it.
TEST_F(Sync, JobProcessorIsNamedOnlyWhenNeeded)
{
    using Setup = std::function<void(DriverDevmode&)>;
    auto multiBin = [](DriverDevmode& r) {
        r.priv.binMode = 1, r.priv.outputBin = 0xFFFE, r.priv.binNumber = 2, r.pub.dmCollate = 1;
    };
    const struct {
        Setup setup;
        bool named;
    } cases[] = {
        {[](DriverDevmode&) {}, false},
        {[](DriverDevmode& r) { r.priv.processor.forceProcessor = 1; }, true},
        {multiBin, true},
        {[&](DriverDevmode& r) { multiBin(r), r.priv.copyFlags = 1; }, false},      // the printer collates
        {[&](DriverDevmode& r) { multiBin(r), r.priv.binNumber = 1; }, false},
        {[&](DriverDevmode& r) { multiBin(r), r.pub.dmCollate = 0; }, false},
        {[&](DriverDevmode& r) { multiBin(r), r.priv.mopy = 0x0102; }, false},      // kept on the printer
        {[&](DriverDevmode& r) { multiBin(r), r.priv.mopy = 0x0103; }, true},
        {[&](DriverDevmode& r) {
             multiBin(r), r.pub.dmCollate = 0, r.priv.useDevmodeCollate = 0, r.priv.processor.procCollate = 1;
         }, true},
    };
    for (size_t i = 0; i < ARRAYSIZE(cases); ++i) {
        SetUp();
        wcscpy(b_.procFile, L"STALE.EXE");
        cases[i].setup(r_);
        Run();
        EXPECT_STREQ(b_.procFile, cases[i].named ? L"KVSP207A.EXE" : L"") << "case " << i;
        EXPECT_EQ(b_.procCollate, 0) << "case " << i << ": the request is consumed";
    }
}

TEST_F(Sync, PrinterCopiesAndMultiBinFields)
{
    const struct {
        BYTE copyFlags;
        SHORT collate;
        BYTE flags;
        WORD copies;
    } copies[] = {{0x01, 1, 0x81, 7}, {0x81, 0, 0x01, 0}, {0x00, 1, 0x00, 0}, {0x80, 1, 0x00, 0}};
    for (const auto& c : copies) {
        SetUp();
        p_.copyFlags = c.copyFlags, r_.pub.dmCollate = c.collate, r_.pub.dmCopies = 7;
        Run();
        EXPECT_EQ(p_.copyFlags, c.flags) << int(c.copyFlags) << "/" << c.collate;
        EXPECT_EQ(p_.printerCopies, c.copies) << int(c.copyFlags) << "/" << c.collate;
    }

    const struct {
        BYTE copyFlags, binMode;
        WORD binNumber;
        BYTE collate;
        SHORT select;
        BYTE flags, on, bin;
    } bins[] = {
        {0, 3, 0, 1, -1, 0x81, 1, 3}, {0, 3, 4, 1, -1, 0x81, 1, 3}, {0, 3, 1, 1, 0, 0x80, 0, 0},
        {0, 3, 4, 0, 0, 0x80, 0, 0},  {0, 0, 4, 1, 0, 0x80, 0, 0},
        {1, 3, 4, 1, 9, 0x81, 9, 9},   // the printer's collator: left as they were
    };
    for (const auto& c : bins) {
        SetUp();
        p_.copyFlags = c.copyFlags, p_.binMode = c.binMode, p_.binNumber = c.binNumber, p_.collate = c.collate;
        p_.outputBin = 0xFFFE;
        b_.procBinSelect = 9, b_.procBinFlags = 0x81, b_.procBinOn = 9, b_.procBin = 9;
        Run();
        SCOPED_TRACE(testing::Message() << "copyFlags " << int(c.copyFlags) << " binMode " << int(c.binMode)
                                        << " binNumber " << c.binNumber << " collate " << int(c.collate));
        EXPECT_EQ(b_.procBinSelect, c.select);
        EXPECT_EQ(b_.procBinFlags, c.flags);
        EXPECT_EQ(b_.procBinOn, c.on);
        EXPECT_EQ(b_.procBin, c.bin);
    }
}

TEST_F(Sync, BindingModeFollowsPaperAndSheet)
{
    const struct {
        BYTE bindSwitch;
        SHORT paper, orientation, multiPage;
        WORD mode;
    } cases[] = {{0, 5, 1, 1, 0}, {0, 9, 2, 2, 0}, {1, 1, 1, 1, 1}, {1, 7, 2, 1, 1}, {1, 9, 2, 1, 1},
                 {1, 34, 1, 2, 1}, {1, 5, 1, 1, 2}, {1, 5, 2, 2, 2}, {1, 5, 2, 1, 3}, {1, 5, 1, 2, 3}};
    for (const auto& c : cases) {
        SetUp();
        p_.bindModeSwitch = c.bindSwitch, p_.multiPage = c.multiPage, p_.relayedSwitch = 5;
        r_.pub.dmPaperSize = c.paper, r_.pub.dmOrientation = c.orientation;
        Run();
        EXPECT_EQ(b_.procBindMode, c.mode) << "switch " << int(c.bindSwitch) << " paper " << c.paper
                                           << " orientation " << c.orientation << " pages " << c.multiPage;
        EXPECT_EQ(b_.procRelayedSwitch, 5);
    }
}

TEST_F(Sync, BlockFieldsFollowTheUpperPart)
{
    p_.accessories = 0x30, p_.modelCodeWord = 0x0701, p_.outputBin = 0, p_.scaling = 1, p_.paperSizeCopy = 8;
    p_.fitPaperSize = 61, p_.scalingSize = 75, p_.imageProcess = 2, p_.bindFlags = 2, p_.bindingOffset = 15;
    p_.duplex = 0x0200, r_.pub.dmDuplex = 3;
    b_.procDuplex = 7, b_.procDuplexMode = 7, b_.procDuplexOffset = 7, b_.procDuplexAuto = 7;
    b_.procPagesPerSheet = -4, b_.procCopies = 7;
    Run();
    const long long first[][2] = {
        {b_.procAccessories, 0x80000038}, {b_.procFitPaper, 8}, {b_.procFitTarget, 61}, {b_.procScale, 75},
        {b_.procRotate, 1}, {b_.procRotateAngle, 180}, {b_.procBindingOffset, 15},
        {b_.procPaperFlags, 0x03},   // fitted onto paper 61
        {r_.pub.dmDuplex, 1},        // duplex printing is off
        {b_.procDuplex, 0}, {b_.procDuplexMode, 0}, {b_.procDuplexOffset, 0}, {b_.procDuplexAuto, 1},
        {b_.procPagesPerSheet, 1}, {b_.procCopies, 0}};
    for (size_t i = 0; i < ARRAYSIZE(first); ++i)
        EXPECT_EQ(first[i][0], first[i][1]) << "row " << i;

    p_.modelCodeWord = 0x0702, p_.outputBin = 1, p_.scaling = 2, p_.imageProcess = 1, p_.bindFlags = 1;
    p_.duplex = 0x0300, r_.pub.dmDuplex = 3, r_.pub.dmPaperSize = 61;
    Run();
    const long long second[][2] = {
        {b_.procAccessories, 0x30}, {b_.procFitPaper, -1}, {b_.procFitTarget, 0xFFFF}, {b_.procRotate, 0},
        {b_.procRotateAngle, 0}, {b_.procBindingOffset, 0},
        {b_.procPaperFlags, 0x03},   // paper 61 itself
        {r_.pub.dmDuplex, 3}};       // left alone while duplex is on
    for (size_t i = 0; i < ARRAYSIZE(second); ++i)
        EXPECT_EQ(second[i][0], second[i][1]) << "row " << i;
    r_.pub.dmPaperSize = 9;
    Run();
    EXPECT_EQ(b_.procPaperFlags, 0x01);
}

TEST_F(Sync, HostApplicationIsRecognisedByItsTopLevelClass)
{
    for (const WCHAR* name : {L"flwapp", L"FLWAppX"}) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        RegisterClassW(&wc);
        HWND top = CreateWindowExW(0, name, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        if (!top)
            GTEST_SKIP() << "no windows without a display";
        SetActiveWindow(top);
        if (GetActiveWindow() != top) {
            DestroyWindow(top);
            GTEST_SKIP() << "the window could not be activated";
        }
        const BYTE expected = name[0] == L'f' ? 1 : 0;
        b_.hostFlags = expected ^ 1;
        Run();
        EXPECT_EQ(b_.hostFlags, expected) << name;
        DestroyWindow(top);
    }
}

TEST_F(Sync, DuplexFromTheLayoutCode)
{
    const struct {
        WORD duplex;
        SHORT orientation, multiPage, dmDuplex;
    } cases[] = {{0x0200, 1, 1, 1}, {0x0100, 1, 1, 2}, {0x0101, 2, 2, 2}, {0x0102, 1, 1, 3},
                 {0x0303, 2, 1, 3}, {0x0104, 1, 1, 2}, {0x0104, 2, 1, 3}, {0x0105, 2, 2, 2},
                 {0x0105, 1, 2, 3}, {0x0106, 1, 1, 1}, {0x01FF, 1, 1, 1}, {0x0004, 1, 1, 1}};
    for (const auto& c : cases) {
        p_.duplex = c.duplex, p_.multiPage = c.multiPage;
        r_.pub.dmOrientation = c.orientation, r_.pub.dmDuplex = 9;
        DeriveDevmodeDuplex(&r_.pub);
        EXPECT_EQ(r_.pub.dmDuplex, c.dmDuplex) << "duplex 0x" << std::hex << c.duplex << std::dec
                                               << " orientation " << c.orientation << " pages " << c.multiPage;
    }
}

}  // namespace
