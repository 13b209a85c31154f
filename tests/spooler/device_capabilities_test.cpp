// DeviceCapabilities answers of the installed queue, through the built
// module's export and through the platform's DeviceCapabilitiesW, plus the
// tray-availability rules on their own.
#include "spooler/capability_tables.h"

#include "support/expect_fields.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using DeviceCapabilitiesFn = DWORD(WINAPI*)(HANDLE, PWSTR, WORD, VOID*, PDEVMODEW);

// Sample model: paper order and ids, six input slots, TrayCaps 0x435.
const std::vector<WORD> kSamplePapers = {1, 5, 7, 9, 11, 70, 34, 13, 264, 20, 37, 27, 28, 43, 256};

class CapabilityQueries : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const HMODULE module = LoadLibraryW((TestBinDirectory() + L"\\KVUIDRV.DLL").c_str());
        export_ = module ? reinterpret_cast<DeviceCapabilitiesFn>(reinterpret_cast<void*>(
                               GetProcAddress(module, "DrvDeviceCapabilities")))
                         : nullptr;
        ASSERT_TRUE(export_) << "module or export missing";
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kTestQueueName), &printer_, nullptr));
    }
    void TearDown() override
    {
        Restore();
        if (printer_)
            ClosePrinter(printer_);
    }

    // Through the open handle, or by queue name when byName is set.
    DWORD Call(WORD index, void* output = nullptr, bool byName = false)
    {
        return export_(byName ? nullptr : printer_, const_cast<PWSTR>(kTestQueueName), index, output,
                       nullptr);
    }
    template <typename T>
    std::vector<T> Items(WORD index, size_t perItem = 1)
    {
        const DWORD count = Call(index);
        if (count == GDI_ERROR)
            return {};
        std::vector<T> items(count * perItem + 1);
        EXPECT_EQ(Call(index, items.data()), count);
        items.resize(count * perItem);
        return items;
    }
    std::vector<std::wstring> Names(WORD index, size_t slot)
    {
        const std::vector<WCHAR> raw = Items<WCHAR>(index, slot);
        std::vector<std::wstring> names;
        for (size_t at = 0; at < raw.size(); at += slot)
            names.emplace_back(&raw[at], wcsnlen(&raw[at], slot));
        return names;
    }

    // A printer data value set for one case and put back by Restore; the
    // platform cannot delete values through the spooler, so a value that
    // was missing is removed from the queue's registry key.
    void Override(const WCHAR* name, DWORD type, const void* data, DWORD size)
    {
        DWORD oldType = 0, needed = 0;
        std::vector<BYTE> old(2048);
        const bool present = GetPrinterDataW(printer_, const_cast<WCHAR*>(name), &oldType, old.data(),
                                             2048, &needed) == ERROR_SUCCESS;
        old.resize(present ? needed : 0);
        restore_.push_back([this, name, oldType, old, present] {
            if (present)
                SetPrinterDataW(printer_, const_cast<WCHAR*>(name), oldType, const_cast<BYTE*>(old.data()),
                                static_cast<DWORD>(old.size()));
            else
                RemoveTestPrinterData(kTestQueueName, name);
        });
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(name), type,
                                  static_cast<BYTE*>(const_cast<void*>(data)), size), 0u);
    }
    void Restore()
    {
        for (auto it = restore_.rbegin(); it != restore_.rend(); ++it)
            (*it)();
        restore_.clear();
    }

    std::vector<std::function<void()>> restore_;
    HANDLE printer_ = nullptr;
    DeviceCapabilitiesFn export_ = nullptr;
};

TEST_F(CapabilityQueries, ListsTheModelAndDriverPapersAndCountsThemWithoutABuffer)
{
    for (bool custom : {false, true}) {
        SCOPED_TRACE(custom ? "with driver papers" : "model papers only");
        const WCHAR text[] = L"2;Mine,301,0,1000,2000;Other,302,1,50,60;";
        if (custom)
            Override(L"CstPaper", REG_BINARY, text, sizeof(text));
        std::vector<WORD> expected = kSamplePapers;
        if (custom)
            expected.insert(expected.end(), {301, 302});
        for (WORD index : {WORD(DC_PAPERS), WORD(DC_PAPERSIZE), WORD(DC_PAPERNAMES)})
            EXPECT_EQ(Call(index), expected.size()) << index;
        EXPECT_EQ(Items<WORD>(DC_PAPERS), expected);
        const std::vector<POINT> sizes = Items<POINT>(DC_PAPERSIZE);
        const std::vector<std::wstring> names = Names(DC_PAPERNAMES, 64);
        Restore();
        ASSERT_EQ(sizes.size(), expected.size());
        ASSERT_EQ(names.size(), expected.size());
        // Letter 612 x 792 pt, A4 595 x 842 pt (both truncations show).
        ExpectFields({F(sizes[0].x, 2159), F(sizes[0].y, 2794), F(sizes[3].x, 2099), F(sizes[3].y, 2970)});
        EXPECT_EQ(names[0], L"Letter");
        EXPECT_EQ(names[3], L"A4");
        if (custom) {
            ExpectFields({F(sizes[15].x, 1000), F(sizes[15].y, 2000), F(sizes[16].x, 50), F(sizes[16].y, 60)});
            EXPECT_EQ(names[15], L"Mine");
            EXPECT_EQ(names[16], L"Other");
        }
    }
    const std::vector<std::wstring> ready = Names(DC_MEDIAREADY, 64);
    ASSERT_EQ(ready.size(), kSamplePapers.size());
    EXPECT_EQ(ready[0], L"Letter");
    EXPECT_EQ(ready[3], L"A4");
}

TEST_F(CapabilityQueries, OffersOptionalTraysOnlyWithTheirAccessories)
{
    // Slots: AutoSelect, Tray1, Tray2, Tray3, MPTray, ManualFeed; only the
    // low byte of the accessory value counts.
    const struct { DWORD acc; std::vector<WORD> bins; std::vector<std::wstring> names; } cases[] = {
        {0x0, {7, 1, 258, 4}, {L"Auto Select", L"Tray1", L"MP Tray", L"Manual"}},
        {0x1, {7, 1, 2, 258, 4}, {L"Auto Select", L"Tray1", L"Tray2", L"MP Tray", L"Manual"}},
        {0x2, {7, 1, 256, 258, 4}, {L"Auto Select", L"Tray1", L"Tray3", L"MP Tray", L"Manual"}},
        {0x3, {7, 1, 2, 256, 258, 4}, {L"Auto Select", L"Tray1", L"Tray2", L"Tray3", L"MP Tray", L"Manual"}},
        {0x10300, {7, 1, 258, 4}, {L"Auto Select", L"Tray1", L"MP Tray", L"Manual"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.acc);
        Override(L"ACC", REG_DWORD, &c.acc, sizeof(c.acc));
        EXPECT_EQ(Items<WORD>(DC_BINS), c.bins);
        EXPECT_EQ(Names(DC_BINNAMES, 24), c.names);
        Restore();
    }
}

TEST(TrayRules, FollowTheModelTrayWord)
{
    // One character per slot index: '+' offered, '-' not.
    const struct { uint32_t trays; BYTE acc; const char* offered; } cases[] = {
        {0x44A9, 0x00, "++---++++++-------++"}, {0x44A9, 0x40, "++---+++++++++++--++"},
        {0x44A9, 0x10, "++---+++++++++----++"}, {0x44A9, 0x87, "++++++++++++++++++++"},
        {0x48A5, 0x00, "+++----+++"}, {0x48A5, 0x04, "++++---+++"}, {0x48A5, 0x0A, "++++++++++"},
        {0x240A5, 0x04, "+++-++++"}, {0x240A5, 0x02, "++++-+++"},
        {0x435, 0x02, "++-++++"}, {0x435, 0x01, "+++-+++"},
        {0x408, 0x00, "++-++++"}, {0x408, 0x03, "+++++++"}, {0x401, 0x00, "+++++++"},
    };
    for (const auto& c : cases) {
        std::string offered;
        for (uint32_t n = 0; c.offered[n]; ++n)
            offered += IsTrayOffered(c.trays, c.acc, n) ? '+' : '-';
        EXPECT_EQ(offered, c.offered) << std::hex << c.trays << " acc " << int(c.acc);
    }
}

TEST_F(CapabilityQueries, AnswersScalarQueriesAndRefusesUnsupportedOnes)
{
    EXPECT_EQ(Items<LONG>(DC_ENUMRESOLUTIONS, 2), (std::vector<LONG>{300, 300, 600, 600, 1200, 1200}));
    const struct { WORD index; DWORD answer; } cases[] = {
        {DC_MINEXTENT, 0x048802FA}, {DC_MAXEXTENT, 0x0FE0086F}, {DC_SIZE, 220}, {DC_EXTRA, 2452},
        {DC_DUPLEX, 1}, {DC_COLLATE, 1}, {DC_PRINTRATEUNIT, 1}, {DC_COPIES, 999}, {DC_STAPLE, 0},
    };
    BYTE output[4096];
    for (const auto& c : cases)
        EXPECT_EQ(Call(c.index, output), c.answer) << c.index;
    for (WORD index : {0, 20, 21, 23, 24, 25, 28, 33, 34, 35, 36, 200, 0xFFFF})
        EXPECT_EQ(Call(index, output), GDI_ERROR) << index;
    WCHAR dependencies[4] = {L'x', L'x'};
    EXPECT_EQ(Call(DC_FILEDEPENDENCIES, dependencies), 0u);
    EXPECT_EQ(dependencies[0], L'\0');
    const DWORD rate = Call(DC_PRINTRATE);
    EXPECT_TRUE(rate == 33 || rate == 35) << rate;
    EXPECT_EQ(Call(DC_PRINTRATEPPM), rate);
    EXPECT_EQ(export_(nullptr, const_cast<PWSTR>(L"No Such Printer"), DC_PAPERS, nullptr, nullptr), GDI_ERROR);
    EXPECT_EQ(export_(nullptr, nullptr, DC_SIZE, nullptr, nullptr), GDI_ERROR);
}

TEST_F(CapabilityQueries, AgreesWithThePlatformQuery)
{
    const struct { WORD index; size_t bytes; } cases[] = {
        {DC_PAPERS, 2}, {DC_PAPERSIZE, 8}, {DC_PAPERNAMES, 128}, {DC_BINS, 2}, {DC_BINNAMES, 48},
        {DC_ENUMRESOLUTIONS, 8}, {DC_SIZE, 0}, {DC_MAXEXTENT, 0}, {DC_NUP, 0},
    };
    for (const auto& c : cases) {
        std::vector<BYTE> mine(64 * 128), platform(64 * 128);
        const DWORD count = Call(c.index, mine.data());
        EXPECT_EQ(Call(c.index, nullptr, true), count) << "by name, index " << c.index;
        EXPECT_EQ(static_cast<DWORD>(DeviceCapabilitiesW(kTestQueueName, L"FILE:", c.index,
                                                         reinterpret_cast<LPWSTR>(platform.data()), nullptr)),
                  count) << c.index;
        if (count != GDI_ERROR && c.bytes) {
            EXPECT_EQ(0, memcmp(mine.data(), platform.data(), count * c.bytes)) << c.index;
        }
    }
}

TEST_F(CapabilityQueries, RepeatedQueriesKeepHandlesAndMemoryFlat)
{
    std::vector<BYTE> output(64 * 128);
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            for (WORD index : {WORD(DC_PAPERNAMES), WORD(DC_BINS), WORD(DC_MINEXTENT),
                               WORD(DC_ENUMRESOLUTIONS), WORD(DC_NUP)}) {
                Call(index, output.data());
                Call(index, nullptr, true);
            }
        },
        20, 100);   // 1000 calls measured
    EXPECT_LE(growth.handles, 2);
    EXPECT_LE(growth.gdiObjects, 2);
    EXPECT_LT(growth.heapBlocks, 10);
    EXPECT_LT(growth.heapBytes, 4096);
    EXPECT_LT(growth.privateBytes, 256 * 1024);
}

}  // namespace
