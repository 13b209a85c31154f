// The DEVMODE entry points: conversions between record generations and
// sizes, the driver defaults, document properties without a sheet, and
// the same answers through the platform's own clients.
#include "platform/driverui.h"

#include "settings/driver_devmode.h"
#include "support/compstui/compstui_standin.h"
#include "support/expect_fields.h"
#include "support/guarded_bytes.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <prsht.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

const BYTE kFill = 0xA5;
WCHAR* Queue() { return const_cast<WCHAR*>(kTestQueueName); }

// A record whose buffer ends at an inaccessible page: reading or writing
// one byte past its size faults.
struct FencedRecord {
    std::shared_ptr<BYTE> bytes;
    size_t size;
    explicit FencedRecord(size_t n) : bytes(GuardedBytes(n)), size(n) { memset(bytes.get(), kFill, n); }
    DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.get()); }
    bool Untouched() const
    {
        for (size_t i = 0; i < size; ++i)
            if (bytes.get()[i] != kFill) return false;
        return true;
    }
};

// The printer's settings as a whole driver record, through the entry point.
DriverDevmode PrinterSettings(HANDLE printer)
{
    DriverDevmode record = {};
    EXPECT_EQ(DrvDocumentProperties(nullptr, printer, Queue(), &record.pub, nullptr, DM_COPY), IDOK);
    return record;
}

class DevmodeServices : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenPrinterW(Queue(), &printer_, nullptr)); }
    void TearDown() override { ClosePrinter(printer_); }
    HANDLE printer_ = nullptr;
};

// The answer, last error and reported size of one conversion.
struct Conversion {
    BOOL ok;
    DWORD error;
    LONG needed;
    bool operator==(const Conversion& o) const { return ok == o.ok && error == o.error && needed == o.needed; }
};
std::ostream& operator<<(std::ostream& os, const Conversion& c)
{
    return os << "{" << c.ok << ", " << c.error << ", " << c.needed << "}";
}
Conversion Convert(const WCHAR* printer, DEVMODEW* in, DEVMODEW* out, LONG needed, DWORD mode)
{
    SetLastError(4242);   // an error the entry point leaves alone shows as 4242
    const BOOL ok = DrvConvertDevMode(const_cast<WCHAR*>(printer), in, out, &needed, mode);
    return {ok, GetLastError(), needed};
}

TEST_F(DevmodeServices, ConvertReportsSizesAndTheRightErrors)
{
    DriverDevmode source = PrinterSettings(printer_);
    ASSERT_TRUE(IsDriverDevmode(&source.pub, sizeof(source)));
    SetLastError(0);
    EXPECT_FALSE(DrvConvertDevMode(Queue(), &source.pub, &source.pub, nullptr, CDM_CONVERT));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

    FencedRecord small(299), full(kDriverDevmodeSize), defaults(kDriverDevmodeSize);
    full.dm()->dmSize = kPublicDevmodeSize;
    full.dm()->dmDriverExtra = kPrivateSize;
    full.dm()->dmDriverVersion = source.pub.dmDriverVersion;   // the output keeps its own
    DEVMODEW odd = source.pub;   // a public part of unknown size needs its own version
    odd.dmSize = 200, odd.dmSpecVersion = 0, odd.dmDriverExtra = 0;
    const LONG whole = kDriverDevmodeSize;
    const struct { const WCHAR* printer; DEVMODEW *in, *out; LONG needed; DWORD mode; Conversion expected; } cases[] = {
        // The legacy layout: 299 bytes are too few, and no output asks the size.
        {Queue(), &source.pub, nullptr, 0, CDM_CONVERT351, {FALSE, ERROR_INSUFFICIENT_BUFFER, 300}},
        {Queue(), &source.pub, small.dm(), 299, CDM_CONVERT351, {FALSE, ERROR_INSUFFICIENT_BUFFER, 300}},
        // A buffer smaller than the output's own sizes is a bad parameter.
        {Queue(), &source.pub, full.dm(), whole - 1, CDM_CONVERT, {FALSE, ERROR_INVALID_PARAMETER, whole - 1}},
        {Queue(), &odd, full.dm(), whole, CDM_CONVERT, {FALSE, ERROR_INVALID_PARAMETER, whole}},
        {Queue(), &source.pub, full.dm(), whole, CDM_CONVERT, {TRUE, 4242, whole}},
        {Queue(), &source.pub, full.dm(), whole, 8, {FALSE, 4242, whole}},
        // The defaults need the whole record and a printer that exists.
        {Queue(), nullptr, small.dm(), 100, CDM_DRIVER_DEFAULT, {FALSE, ERROR_INSUFFICIENT_BUFFER, whole}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.printer, c.in, c.out, c.needed, c.mode), c.expected) << "row " << &c - cases;
    EXPECT_EQ(0, memcmp(full.dm(), &source, kDriverDevmodeSize));
    const Conversion built = Convert(Queue(), nullptr, defaults.dm(), whole, CDM_DRIVER_DEFAULT);
    EXPECT_TRUE(built.ok) << built;
    EXPECT_EQ(built.needed, whole);
    EXPECT_TRUE(IsDriverDevmode(defaults.dm(), kDriverDevmodeSize));
    EXPECT_EQ(wcsncmp(defaults.dm()->dmDeviceName, L"Zentari TX-3390N", 16), 0);
    EXPECT_FALSE(Convert(L"No such printer", nullptr, defaults.dm(), whole, CDM_DRIVER_DEFAULT).ok);
}

TEST_F(DevmodeServices, ConvertToTheLegacyLayoutKeepsItsFirstBytes)
{
    DriverDevmode source = PrinterSettings(printer_);
    FencedRecord legacy(300);
    ASSERT_EQ(Convert(Queue(), &source.pub, legacy.dm(), 300, CDM_CONVERT351), (Conversion{TRUE, 4242, 300}));
    const DEVMODEW* out = legacy.dm();
    ExpectFields({F(out->dmSize, 188), F(out->dmSpecVersion, 0x0320), F(out->dmDriverVersion, 0x0350),
                  F(out->dmDriverExtra, 112)});
    EXPECT_EQ(0, memcmp(out->dmDeviceName, source.pub.dmDeviceName, sizeof(out->dmDeviceName)));
    const size_t fields = offsetof(DEVMODEW, dmFields);
    EXPECT_EQ(0, memcmp(reinterpret_cast<const BYTE*>(out) + fields,
                        reinterpret_cast<const BYTE*>(&source.pub) + fields, 188 - fields));
    EXPECT_EQ(0, memcmp(reinterpret_cast<const BYTE*>(out) + 188, &source.priv, 112));

    // And from there to a full record: the 188 public bytes and 112 private ones carry over.
    FencedRecord back(kDriverDevmodeSize);
    back.dm()->dmSize = kPublicDevmodeSize;
    back.dm()->dmDriverExtra = kPrivateSize;
    ASSERT_TRUE(Convert(Queue(), legacy.dm(), back.dm(), kDriverDevmodeSize, CDM_CONVERT).ok);
    EXPECT_EQ(back.dm()->dmSpecVersion, 0x0401);
    EXPECT_EQ(back.dm()->dmCopies, source.pub.dmCopies);
}

TEST_F(DevmodeServices, DocumentPropertiesWithoutASheet)
{
    FencedRecord untouched(kDriverDevmodeSize);
    EXPECT_EQ(DrvDocumentProperties(nullptr, printer_, Queue(), untouched.dm(), nullptr, 0), kDriverDevmodeSize);
    EXPECT_TRUE(untouched.Untouched());
    EXPECT_EQ(DrvDocumentProperties(nullptr, printer_, Queue(), nullptr, nullptr, DM_COPY), kDriverDevmodeSize);
    EXPECT_EQ(DrvAdvancedDocumentProperties(nullptr, printer_, Queue(), nullptr, nullptr), kDriverDevmodeSize);

    // A caller's public-only record: merged, and handed back no larger.
    DEVMODEW in = {};
    in.dmSpecVersion = DM_SPECVERSION;
    in.dmSize = sizeof(in);
    in.dmFields = DM_COPIES | DM_ORIENTATION;
    in.dmCopies = 6;
    in.dmOrientation = DMORIENT_LANDSCAPE;
    FencedRecord out(sizeof(DEVMODEW));
    EXPECT_EQ(DrvDocumentProperties(nullptr, printer_, Queue(), out.dm(), &in, DM_COPY | DM_UPDATE), IDOK);
    EXPECT_EQ(out.dm()->dmSize, sizeof(DEVMODEW));
    EXPECT_EQ(out.dm()->dmDriverExtra, 0);
    EXPECT_EQ(out.dm()->dmCopies, 6);
    EXPECT_EQ(out.dm()->dmOrientation, DMORIENT_LANDSCAPE);

    // The sheet entry without a sheet: the header learns the size.
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, 0), -1);
    DOCUMENTPROPERTYHEADER header = {sizeof(header), 0, printer_, Queue(), nullptr, nullptr, 0, 0};
    EXPECT_EQ(DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header)), kDriverDevmodeSize);
    EXPECT_EQ(header.cbOut, DWORD(kDriverDevmodeSize));
}

// Wine's clients call the installed module with the printer's name only.
TEST_F(DevmodeServices, PlatformClientsSeeTheSameRecord)
{
    const DriverDevmode direct = PrinterSettings(printer_);
    for (HANDLE printer : {printer_, static_cast<HANDLE>(nullptr)}) {
        EXPECT_EQ(DocumentPropertiesW(nullptr, printer, Queue(), nullptr, nullptr, 0), kDriverDevmodeSize);
        FencedRecord viaClient(kDriverDevmodeSize);
        EXPECT_EQ(DocumentPropertiesW(nullptr, printer, Queue(), viaClient.dm(), nullptr, DM_OUT_BUFFER), IDOK);
        EXPECT_EQ(0, memcmp(viaClient.dm(), &direct, kDriverDevmodeSize));
    }
    // The queue's own settings came from the module when the queue was added.
    DWORD needed = 0;
    GetPrinterW(printer_, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    ASSERT_TRUE(GetPrinterW(printer_, 2, info.data(), needed, &needed));
    const DEVMODEW* stored = reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode;
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(IsDriverDevmode(stored, kDriverDevmodeSize));
    EXPECT_EQ(DeviceCapabilitiesW(Queue(), L"FILE:", DC_SIZE, nullptr, nullptr), kPublicDevmodeSize);
    EXPECT_EQ(DeviceCapabilitiesW(Queue(), L"FILE:", DC_EXTRA, nullptr, nullptr), kPrivateSize);
}

// With a prompt the work goes to the property-sheet host; the stand-in
// host beside the test program records the call. Each sheet is cancelled
// as soon as it shows.
void CancelSheet(HWND sheet, void*)
{
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

TEST_F(DevmodeServices, PromptsGoThroughThePropertySheetHost)
{
    HMODULE host = LoadLibraryW((TestBinDirectory() + L"\\compstui.dll").c_str());
    ASSERT_NE(host, nullptr);
    auto lastCall = reinterpret_cast<StandInRecordFn>(
        reinterpret_cast<void*>(GetProcAddress(host, "StandInLastCall")));
    auto setScript = reinterpret_cast<StandInSetScriptFn>(
        reinterpret_cast<void*>(GetProcAddress(host, "StandInSetScript")));
    ASSERT_NE(lastCall, nullptr);
    ASSERT_NE(setScript, nullptr);
    setScript(CancelSheet, nullptr);
    const StandInRecord& call = *lastCall();
    const auto* document = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(call.initHeader);
    const auto* device = reinterpret_cast<const DEVICEPROPERTYHEADER*>(call.initHeader);
    DriverDevmode out = {};

    const DWORD prompt = DM_IN_PROMPT | DM_OUT_BUFFER;
    EXPECT_EQ(DrvDocumentProperties(nullptr, printer_, Queue(), &out.pub, nullptr, prompt), IDCANCEL);
    EXPECT_EQ(call.resultOnEntry, prompt);
    EXPECT_EQ(document->cbSize, 48);
    EXPECT_EQ(document->hPrinter, printer_);
    EXPECT_EQ(document->pdmOut, &out.pub);
    EXPECT_EQ(document->fMode, prompt);
    ASSERT_EQ(call.reasonCount, 3);
    EXPECT_EQ(call.reasons[0], PROPSHEETUI_REASON_INIT);
    EXPECT_EQ(call.reasons[2], PROPSHEETUI_REASON_DESTROY);
    EXPECT_EQ(call.initAnswer, 1);

    EXPECT_FALSE(DrvAdvancedDocumentProperties(nullptr, printer_, Queue(), &out.pub, nullptr));
    EXPECT_EQ(document->fMode, DWORD(DM_COPY | DM_PROMPT | DM_ADVANCED));
    EXPECT_EQ(call.resultOnEntry, document->fMode);

    // The printer sheet: the caller may change the printer here. It shows
    // the tray page, which the script cancels.
    const int before = call.calls;
    EXPECT_FALSE(PrinterProperties(nullptr, printer_));
    EXPECT_EQ(call.calls, before + 1);
    EXPECT_EQ(device->cbSize, 24);
    EXPECT_EQ(device->Flags, 0);
    EXPECT_EQ(device->hPrinter, printer_);
    EXPECT_EQ(device->pszPrinterName, nullptr);
    EXPECT_EQ(call.resultOnEntry, 1u);
    // A handle that cannot write printer data opens the pages read-only.
    EXPECT_TRUE(PrinterProperties(nullptr, nullptr));
    EXPECT_EQ(device->Flags, DPS_NOPERMISSION);
    setScript(nullptr, nullptr);
    FreeLibrary(host);
}

// A queue whose model description is gone answers every entry point with
// the interface's failure value.
TEST(BrokenPrinter, EntryPointsFailCleanlyWithoutTheModel)
{
    WCHAR queue[] = L"KV Services No Model";
    ASSERT_TRUE(InstallTestPrinter(queue, L"KV Services No Model Driver", L"KVNOSVC.PPD",
                                   MakeModelText("No model", "1.0")));
    for (const WCHAR* file : {L"\\KVNOSVC.PPD", L"\\KVNOSVC.BDD"})
        DeleteFileW((InstalledDriverDirectory() + file).c_str());
    HANDLE printer = OpenTestPrinter(queue);
    ASSERT_NE(printer, nullptr);
    DriverDevmode record = {};
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            EXPECT_EQ(DrvDocumentProperties(nullptr, printer, queue, &record.pub, nullptr, DM_COPY), -1);
            EXPECT_EQ(DrvDeviceCapabilities(printer, queue, DC_PAPERS, nullptr, nullptr), GDI_ERROR);
            LONG needed = kDriverDevmodeSize;
            EXPECT_FALSE(DrvConvertDevMode(queue, nullptr, &record.pub, &needed, CDM_DRIVER_DEFAULT));
        },
        5, 100);
    EXPECT_LE(growth.handles, 2);
    EXPECT_LE(growth.gdiObjects, 2);
    EXPECT_LT(growth.heapBlocks, 10);
    EXPECT_LT(growth.heapBytes, 4096);
    EXPECT_LT(growth.privateBytes, 256 * 1024);
    ClosePrinter(printer);
}

// Records of every shape reach the entry points: none may read past the
// extent the record declares, write past what the caller's record allows,
// or fail where the interface promises an answer.
TEST_F(DevmodeServices, ForeignAndDamagedRecordsAreReadWithinTheirOwnExtent)
{
    DWORD seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return static_cast<BYTE>(seed >> 16); };
    WCHAR message[128];
    for (WORD size : {0, 1, 68, 72, 100, 188, 200, 212, 220, 300, 1000})
        for (WORD version : {0, 0x0320, 0x0400, 0x0401, 0xFFFF})
            for (WORD extra : {0, 4, 112, 2452, 3000}) {
                SCOPED_TRACE(testing::Message() << "dmSize " << size << " version " << version << " extra " << extra);
                // The size fields themselves always lie inside the block.
                const size_t extent = size + extra < 72u ? 72u : size_t(size) + extra;
                FencedRecord in(extent);
                for (size_t i = 0; i < extent; ++i) in.bytes.get()[i] = next();
                in.dm()->dmSize = size;
                in.dm()->dmSpecVersion = version;
                in.dm()->dmDriverExtra = extra;

                FencedRecord out(kDriverDevmodeSize);
                EXPECT_EQ(DrvDocumentProperties(nullptr, printer_, Queue(), out.dm(), in.dm(), DM_COPY), IDOK);
                // Records that cannot be taken over fail the query, never the process.
                DrvDeviceCapabilities(printer_, Queue(), DC_PAPERS, nullptr, in.dm());
                DEVQUERYPRINT_INFO info = {sizeof(info), 1, printer_, in.dm(), message, 128, 0};
                if (!DevQueryPrintEx(&info)) {
                    EXPECT_GT(info.cchNeeded, 1u);
                }
                LONG needed = kDriverDevmodeSize;
                FencedRecord converted(kDriverDevmodeSize);
                converted.dm()->dmSize = kPublicDevmodeSize;
                converted.dm()->dmDriverExtra = kPrivateSize;
                DrvConvertDevMode(Queue(), in.dm(), converted.dm(), &needed, CDM_CONVERT);
            }
}

// Applications' threads call at once; each must get the one answer.
TEST_F(DevmodeServices, ConcurrentCallersGetTheSameRecord)
{
    const DriverDevmode expected = PrinterSettings(printer_);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 15; ++i) {
                DriverDevmode record = {};
                const LONG answer = DrvDocumentProperties(nullptr, nullptr, Queue(), &record.pub, nullptr, DM_COPY);
                const DWORD papers = DrvDeviceCapabilities(nullptr, Queue(), DC_PAPERS, nullptr, nullptr);
                if (answer != IDOK || memcmp(&record, &expected, sizeof(record)) != 0 || papers == GDI_ERROR)
                    ++mismatches;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST_F(DevmodeServices, RepeatedCallsKeepHandlesAndMemoryFlat)
{
    DriverDevmode record = {};
    LONG needed = 0;
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            DrvDocumentProperties(nullptr, printer_, Queue(), &record.pub, nullptr, DM_COPY);
            DrvDocumentProperties(nullptr, nullptr, Queue(), &record.pub, &record.pub, DM_COPY);
            needed = kDriverDevmodeSize;
            DrvConvertDevMode(Queue(), nullptr, &record.pub, &needed, CDM_DRIVER_DEFAULT);
        },
        10, 150);
    EXPECT_LE(growth.handles, 2);
    EXPECT_LE(growth.gdiObjects, 2);
    EXPECT_LT(growth.heapBlocks, 10);
    EXPECT_LT(growth.heapBytes, 4096);
    EXPECT_LT(growth.privateBytes, 256 * 1024);
}

} // namespace
