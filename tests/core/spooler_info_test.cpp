// The shared spooler chores against a real queue: the records they hand
// out, and what one entry-point call remembers (its own writes included)
// and forgets when it ends.
#include "core/spooler_info.h"

#include "support/test_printers.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

namespace {

const WCHAR kQueue[] = L"KV Spooler Info";
const WCHAR kDriver[] = L"Zentari TX-3390N series";

// True when every text pointer of the record points inside its own block.
bool PointsInside(const BYTE* block, const WCHAR* text)
{
    const auto* at = reinterpret_cast<const BYTE*>(text);
    return at >= block && at < block + GlobalSize(const_cast<BYTE*>(block));
}

class SpoolerInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AddTestQueue(kQueue, kDriver)) << GetLastError();
        printer_ = OpenTestPrinter(kQueue);
        ASSERT_NE(printer_, nullptr);
        other_ = OpenTestPrinter(kQueue);
        ASSERT_NE(other_, nullptr);
    }
    void TearDown() override
    {
        RemoveTestPrinterData(kQueue, L"KvProbe");
        if (other_) ClosePrinter(other_);
        if (printer_) ClosePrinter(printer_);
    }
    DWORD Probe(HANDLE printer)
    {
        DWORD value = 0, type = 0, needed = 0;
        const DWORD status = QueryPrinterData(printer, L"KvProbe", &type,
                                              reinterpret_cast<BYTE*>(&value), sizeof(value), &needed);
        return status == ERROR_SUCCESS ? value : 0xFFFFFFFF;
    }
    static void SetProbe(HANDLE printer, DWORD value)
    {
        ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(L"KvProbe"), REG_DWORD,
                                  reinterpret_cast<BYTE*>(&value), sizeof(value)),
                  ERROR_SUCCESS);
    }
    HANDLE printer_ = nullptr;
    HANDLE other_ = nullptr;
};

TEST_F(SpoolerInfo, RecordsPointIntoTheirOwnBlocksInsideAndOutsideACall)
{
    for (bool inCall : {false, true}) {
        SCOPED_TRACE(inCall ? "in a call" : "outside a call");
        if (inCall)
            BeginSpoolerCall(printer_);
        for (int round = 0; round < 2; ++round) {
            auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer_, 2));
            ASSERT_NE(info, nullptr);
            const auto* block = reinterpret_cast<const BYTE*>(info);
            ASSERT_NE(info->pPrinterName, nullptr);
            EXPECT_STREQ(info->pPrinterName, kQueue);
            EXPECT_STREQ(info->pDriverName, kDriver);
            EXPECT_TRUE(PointsInside(block, info->pPrinterName));
            EXPECT_TRUE(PointsInside(block, info->pPortName));
            ASSERT_NE(info->pDevMode, nullptr);
            EXPECT_TRUE(PointsInside(block, reinterpret_cast<const WCHAR*>(info->pDevMode)));
            GlobalFree(info);

            for (DWORD level : {2u, 3u}) {
                auto* driver = reinterpret_cast<DRIVER_INFO_3W*>(ReadDriverInfo(printer_, level));
                ASSERT_NE(driver, nullptr) << level;
                EXPECT_STREQ(driver->pName, kDriver);
                ASSERT_NE(driver->pDataFile, nullptr);
                EXPECT_TRUE(PointsInside(reinterpret_cast<BYTE*>(driver), driver->pDataFile));
                EXPECT_NE(wcsstr(driver->pDataFile, L"KV3390N.PPD"), nullptr);
                GlobalFree(driver);
            }
        }
        if (inCall)
            EndSpoolerCall();
    }
}

TEST_F(SpoolerInfo, ACallReadsPrinterDataOnceAndSeesItsOwnWrites)
{
    SetProbe(other_, 1);
    BeginSpoolerCall(printer_);
    EXPECT_EQ(Probe(printer_), 1u);
    SetProbe(other_, 2);
    EXPECT_EQ(Probe(printer_), 1u) << "one call answers from one reading";
    DWORD three = 3;
    EXPECT_EQ(WritePrinterData(printer_, L"KvProbe", REG_DWORD, &three, sizeof(three)),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Probe(printer_), 3u) << "a call reads back what it wrote";
    EndSpoolerCall();

    SetProbe(other_, 4);
    EXPECT_EQ(Probe(printer_), 4u) << "outside a call every read asks";
    BeginSpoolerCall(printer_);
    EXPECT_EQ(Probe(printer_), 4u) << "the next call reads afresh";
    EndSpoolerCall();
}

TEST_F(SpoolerInfo, PrinterDataAnswersAsTheSpoolerDoes)
{
    SetProbe(other_, 0x12345678);
    for (bool inCall : {false, true}) {
        SCOPED_TRACE(inCall ? "in a call" : "outside a call");
        if (inCall)
            BeginSpoolerCall(printer_);
        DWORD type = 0, needed = 0;
        BYTE small[2];
        EXPECT_EQ(QueryPrinterData(printer_, L"KvProbe", &type, small, sizeof(small), &needed),
                  static_cast<DWORD>(ERROR_MORE_DATA));
        EXPECT_EQ(needed, sizeof(DWORD));
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(Probe(printer_), 0x12345678u);
        EXPECT_EQ(QueryPrinterData(printer_, L"KvNoSuchValue", &type, small, sizeof(small), &needed),
                  static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        if (inCall)
            EndSpoolerCall();
    }
}

TEST_F(SpoolerInfo, ACallSeesThePrinterDescriptionItWrote)
{
    BeginSpoolerCall(printer_);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer_, 2));
    ASSERT_NE(info, nullptr);
    ASSERT_NE(info->pDevMode, nullptr);
    std::vector<BYTE> record(reinterpret_cast<BYTE*>(info->pDevMode),
                             reinterpret_cast<BYTE*>(info->pDevMode) + info->pDevMode->dmSize +
                                 info->pDevMode->dmDriverExtra);
    GlobalFree(info);
    auto* dm = reinterpret_cast<DEVMODEW*>(record.data());
    const SHORT flipped =
        dm->dmOrientation == DMORIENT_PORTRAIT ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    dm->dmOrientation = flipped;
    PRINTER_INFO_8W update = {dm};
    ASSERT_TRUE(WritePrinterInfo(other_, 8, reinterpret_cast<BYTE*>(&update)));
    info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer_, 2));
    ASSERT_NE(info, nullptr);
    ASSERT_NE(info->pDevMode, nullptr);
    EXPECT_EQ(info->pDevMode->dmOrientation, flipped);
    GlobalFree(info);
    EndSpoolerCall();
}

TEST_F(SpoolerInfo, QueueNameAndHandlesForACall)
{
    WCHAR name[MAX_PATH];
    EXPECT_TRUE(ReadQueueName(printer_, name, MAX_PATH));
    EXPECT_STREQ(name, kQueue);
    WCHAR shortName[4];
    EXPECT_TRUE(ReadQueueName(printer_, shortName, ARRAYSIZE(shortName)));
    EXPECT_STREQ(shortName, L"KV ");
    EXPECT_FALSE(ReadQueueName(nullptr, name, MAX_PATH));
    EXPECT_STREQ(name, L"");

    HANDLE opened = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(PrinterForCall(printer_, kQueue, &opened), printer_);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(PrinterForCall(nullptr, nullptr, &opened), nullptr);
    EXPECT_EQ(PrinterForCall(nullptr, L"KV No Such Queue", &opened), nullptr);
    EXPECT_EQ(opened, nullptr);
    HANDLE own = PrinterForCall(nullptr, kQueue, &opened);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own, opened);
    ClosePrinter(opened);
}

} // namespace
