// What the job and page handlers take from an installed printer: the
// administrator's layout and colour locks, the storage modes of
// "DeviceCaps" and the intelligent sleep of "PrtCaps". Runs on the test
// bed's queue and puts back every value it changes.
#include "printschema/features/job_spooling.h"
#include "printschema/features/output_color.h"
#include "printschema/features/scaling.h"
#include "printschema/features/sleep_time.h"

#include "support/admin_records.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <wrl/client.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

class PrinterStateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer_ = OpenTestPrinter(kTestQueueName)); }
    void TearDown() override
    {
        Restore();
        if (printer_) ClosePrinter(printer_);
    }

    // Puts back what the case changed, latest first.
    void Restore()
    {
        for (auto it = restore_.rbegin(); it != restore_.rend(); ++it) (*it)();
        restore_.clear();
    }

    // A printer data value for one case; Restore puts back what was there.
    void Override(const WCHAR* name, DWORD type, const void* data, DWORD size)
    {
        restore_.push_back(PutBack(name));
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(name), type, static_cast<BYTE*>(const_cast<void*>(data)),
                                  size),
                  0u);
    }
    // What restores the value as it is now. The spooler cannot delete a
    // value under Wine, so a missing one is removed from the registry.
    std::function<void()> PutBack(const WCHAR* name)
    {
        DWORD type = 0, needed = 0;
        std::vector<BYTE> value(2048);
        if (GetPrinterDataW(printer_, const_cast<WCHAR*>(name), &type, value.data(), static_cast<DWORD>(value.size()),
                            &needed) != ERROR_SUCCESS)
            return [name] { RemoveTestPrinterData(kTestQueueName, name); };
        value.resize(needed);
        HANDLE printer = printer_;
        return [printer, name, type, value] {
            SetPrinterDataW(printer, const_cast<WCHAR*>(name), type, const_cast<BYTE*>(value.data()),
                            static_cast<DWORD>(value.size()));
        };
    }
    void OverrideWord(const WCHAR* name, DWORD value) { Override(name, REG_DWORD, &value, sizeof value); }
    void Lock(DWORD flags)
    {
        ASSERT_TRUE(PutAdminLock(kTestQueueName, flags));
        restore_.push_back([] { ClearAdminLock(kTestQueueName); });
    }

    ComPtr<IXMLDOMDocument2> Capabilities(FeatureHandler& handler)
    {
        ComPtr<IXMLDOMDocument2> capabilities = NewCapabilities();
        EXPECT_EQ(Hex(handler.GetPrintCapabilities(printer_, nullptr, capabilities.Get())), Hex(S_OK));
        return capabilities;
    }

    HANDLE printer_ = nullptr;
    std::vector<std::function<void()>> restore_;
};

TEST_F(PrinterStateTest, OnlyTheLayoutLockConstrainsScaling)
{
    std::unique_ptr<FeatureHandler> handler = CreateScalingHandler(kTestPrivateUri);
    struct Case {
        const char* name;
        DWORD flags;   // 0: no record at all
        const char* constrained;
    } cases[] = {
        {"no record", 0, "psk:None"},
        {"layout locked", kAdminInForce | kAdminLockLayout, "psk:AdminSettings"},
        {"layout bit without the record in force", kAdminLockLayout, "psk:None"},
        {"colour locked", kAdminInForce | kAdminLockColor, "psk:None"},
        {"everything locked", kAdminInForce | 0x0F, "psk:AdminSettings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.flags) Lock(c.flags);
        ComPtr<IXMLDOMDocument2> capabilities = Capabilities(*handler);
        const std::wstring options = L"//f:Feature[@name='psk:PageScaling']/f:Option";
        EXPECT_EQ(SelectCount(capabilities.Get(), options), 7);
        EXPECT_EQ(SelectCount(capabilities.Get(), options + L"[@constrained='" +
                                                      std::wstring(c.constrained, c.constrained + strlen(c.constrained)) +
                                                      L"']"),
                  7);
        // The alignment and the paper stay free.
        EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Feature[@name='psk:ScaleOffsetAlignment']/f:Option[@constrained='psk:None']"),
                  9);
        Restore();
    }
}

TEST_F(PrinterStateTest, TheColourLockConstrainsAndCorrectsOutputColour)
{
    std::unique_ptr<FeatureHandler> handler = CreateOutputColorHandler(kTestPrivateUri);
    const std::wstring option = L"/f:PrintTicket/f:Feature[@name='psk:PageOutputColor']/f:Option";
    struct Case {
        const char* name;
        DWORD flags;
        const wchar_t* asked;
        HRESULT result;
        const char* kept;
        long constrained;   // options at AdminSettings
    } cases[] = {
        {"colour under the lock", kAdminInForce | kAdminLockColor, L"psk:Color", S_PT_CONFLICT_RESOLVED,
         "psk:Monochrome", 4},
        {"grayscale under the lock", kAdminInForce | kAdminLockColor, L"psk:Grayscale", S_PT_CONFLICT_RESOLVED,
         "psk:Monochrome", 4},
        {"monochrome under the lock", kAdminInForce | kAdminLockColor, L"psk:Monochrome", S_PT_NO_CONFLICT,
         "psk:Monochrome", 4},
        {"colour without the lock", 0, L"psk:Color", S_PT_NO_CONFLICT, "psk:Color", 0},
        {"colour under another lock", kAdminInForce | kAdminLockLayout, L"psk:Color", S_PT_NO_CONFLICT, "psk:Color", 0},
        {"colour bit without the record in force", kAdminLockColor, L"psk:Color", S_PT_NO_CONFLICT, "psk:Color", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.flags) Lock(c.flags);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(FeatureXml(L"psk:PageOutputColor", c.asked));
        EXPECT_EQ(Hex(handler->ValidatePrintTicket(printer_, ticket.Get())), Hex(c.result));
        EXPECT_EQ(SelectText(ticket.Get(), option + L"/@name"), c.kept);
        if (c.result == S_PT_CONFLICT_RESOLVED) {
            EXPECT_EQ(SelectText(ticket.Get(), option + L"/f:ScoredProperty[@name='psk:DeviceBitsPerPixel']/f:Value"),
                      "1");
            EXPECT_EQ(Hex(handler->ValidatePrintTicket(printer_, ticket.Get())), Hex(S_PT_NO_CONFLICT));
        }
        ComPtr<IXMLDOMDocument2> capabilities = Capabilities(*handler);
        EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Option[@constrained='psk:AdminSettings']"), c.constrained);
        EXPECT_EQ(SelectText(capabilities.Get(), L"//f:Option[@name='psk:Monochrome']/@constrained"), "psk:None");
        Restore();
    }
}

TEST_F(PrinterStateTest, StorageModesComeFromTheModelsDeviceWord)
{
    std::unique_ptr<FeatureHandler> handler = CreateJobSpoolingHandler(kTestPrivateUri);
    const std::wstring reprint = L"//f:Feature[@name='kvpsk:JobSpoolingReprint']";
    struct Case {
        const char* name;
        DWORD deviceCaps;
        WORD mopy;
        const char* reported;
        std::vector<const char*> offered;
    } cases[] = {
        {"secure print only", 0x00200000, 0x0100, "kvpsk:SecurePrint", {"kvpsk:SecurePrint"}},
        {"secure print only, proof asked", 0x00200000, 0x0103, "kvpsk:SecurePrint", {"kvpsk:SecurePrint"}},
        {"reprint and secure", 0x00300000, 0x0103, "kvpsk:Proof", {"kvpsk:LastJobReprint", "kvpsk:SecurePrint"}},
        {"every mode", 0x00F00000, 0x0102, "kvpsk:Public",
         {"kvpsk:LastJobReprint", "kvpsk:SecurePrint", "kvpsk:Public", "kvpsk:Proof"}},
        {"other bits only", 0xFF0FFFFF, 0x0101, "kvpsk:SecurePrint", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OverrideWord(L"DeviceCaps", c.deviceCaps);
        DriverDevmode source = BlankDevmode();
        source.priv.mopy = c.mopy;
        ComPtr<IXMLDOMDocument2> ticket = NewTicket();
        ASSERT_EQ(Hex(handler->DevModeToPrintTicket(printer_, kPublicDevmodeSize, &source.pub, kPrivateSize,
                                                    &source.priv, ticket.Get())),
                  Hex(S_OK));
        EXPECT_EQ(SelectText(ticket.Get(), reprint + L"/f:Option/@name"), c.reported);

        ComPtr<IXMLDOMDocument2> capabilities = Capabilities(*handler);
        EXPECT_EQ(SelectCount(capabilities.Get(), reprint + L"/f:Option"), static_cast<long>(c.offered.size()));
        for (const char* name : c.offered)
            EXPECT_EQ(SelectCount(capabilities.Get(),
                                  reprint + L"/f:Option[@name='" + std::wstring(name, name + strlen(name)) + L"']"),
                      1)
                << name;
        Restore();
    }
}

TEST_F(PrinterStateTest, IntelligentSleepNeedsTheModelsWord)
{
    std::unique_ptr<FeatureHandler> handler = CreateSleepTimeHandler(kTestPrivateUri);
    const DWORD clear = 0x00000020, set = 0x04000020;
    struct Case {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
        const char* constrained;
    } cases[] = {
        {"bit 26 clear", REG_DWORD, &clear, sizeof clear, "psk:None"},
        {"bit 26 set", REG_DWORD, &set, sizeof set, "psk:DeviceSettings"},
        {"not a number", REG_BINARY, &clear, sizeof clear, "psk:DeviceSettings"},
        {"too short", REG_DWORD, &clear, 2, "psk:DeviceSettings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Override(L"PrtCaps", c.type, c.data, c.size);
        ComPtr<IXMLDOMDocument2> capabilities = Capabilities(*handler);
        EXPECT_EQ(SelectText(capabilities.Get(), L"//f:Option[@name='kvpsk:Auto']/@constrained"), c.constrained);
        EXPECT_EQ(SelectText(capabilities.Get(), L"//f:Option[@name='kvpsk:Manual']/@constrained"), "psk:None");

        // Whatever the printer can do, a ticket's choice reaches the DEVMODE.
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(FeatureXml(L"kvpsk:JobSleepTime", L"kvpsk:Auto"));
        DriverDevmode target = BlankDevmode();
        target.priv.sleepMode = 3;
        ASSERT_EQ(Hex(handler->PrintTicketToDevMode(printer_, ticket.Get(), kPublicDevmodeSize, &target.pub,
                                                    kPrivateSize, &target.priv)),
                  Hex(S_OK));
        EXPECT_EQ(target.priv.sleepMode, 0);
        Restore();
    }
}

}  // namespace
