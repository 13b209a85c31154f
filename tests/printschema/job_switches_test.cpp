// The small job and page switches without a printer: error-message
// printout, output colour, colour management, digital signatures and the
// special output mode; and the argument checks every handler of this group
// shares.
#include "printschema/features/collate_copies.h"
#include "printschema/features/color_management.h"
#include "printschema/features/header_footer.h"
#include "printschema/features/job_spooling.h"
#include "printschema/features/job_switches.h"
#include "printschema/features/mirror_image.h"
#include "printschema/features/output_color.h"
#include "printschema/features/scaling.h"
#include "printschema/features/sleep_time.h"
#include "printschema/features/watermark.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <cstring>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

// A DEVMODE whose every byte is set, to see that a handler writes nothing
// it does not own.
DriverDevmode PatternedDevmode()
{
    DriverDevmode record = BlankDevmode();
    memset(&record.priv, 0x5A, sizeof record.priv);
    return record;
}

TEST(JobSwitchesTest, ErrorPrintoutRoundTrips)
{
    std::unique_ptr<FeatureHandler> handler = CreateErrorMessagePrintoutHandler(kTestPrivateUri);
    ASSERT_TRUE(handler);
    struct Case {
        WORD errorPrint;
        const char* option;
        WORD back;
    } cases[] = {
        {0, "kvpsk:Off", 0},
        {1, "kvpsk:On", 1},
        {2, "kvpsk:PrinterDefault", 2},
        {3, "kvpsk:PrinterDefault", 2},
        {0xFFFF, "kvpsk:PrinterDefault", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.errorPrint);
        DriverDevmode source = BlankDevmode();
        source.priv.errorPrint = c.errorPrint;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler, source);
        EXPECT_EQ(SelectText(ticket.Get(), L"/f:PrintTicket/f:Feature[@name='kvpsk:JobErrorMessagePrintout']/f:Option/@name"),
                  c.option);
        DriverDevmode target = BlankDevmode();
        target.priv.errorPrint = 7;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.errorPrint, c.back);
    }
}

TEST(JobSwitchesTest, ErrorPrintoutTicketsOverrideOnlyKnownChoices)
{
    std::unique_ptr<FeatureHandler> handler = CreateErrorMessagePrintoutHandler(kTestPrivateUri);
    ASSERT_TRUE(handler);
    const std::wstring feature = L"kvpsk:JobErrorMessagePrintout";
    struct Case {
        const char* name;
        std::wstring body;
        WORD errorPrint;   // from 1 (on)
    } cases[] = {
        {"off", FeatureXml(feature, L"kvpsk:Off"), 0},
        {"printer default", FeatureXml(feature, L"kvpsk:PrinterDefault"), 2},
        {"unknown", FeatureXml(feature, L"kvpsk:Sometimes"), 1},
        {"standard namespace", FeatureXml(feature, L"psk:Off"), 1},
        {"nothing", L"", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = BlankDevmode();
        target.priv.errorPrint = 1;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.errorPrint, c.errorPrint);
    }
}

TEST(JobSwitchesTest, SpecialOutputModeRoundTripsWithinItsRange)
{
    std::unique_ptr<FeatureHandler> handler = CreateSpecialOutputModeHandler(kTestPrivateUri);
    ASSERT_TRUE(handler);
    const std::wstring value = L"/f:PrintTicket/f:ParameterInit[@name='kvpsk:SpecialOutputModeData']/f:Value";
    struct Case {
        BYTE mode;
        const char* ticketValue;
    } cases[] = {{0, "0"}, {1, "1"}, {2, "2"}, {3, "3"}, {4, "4"}, {5, "0"}, {7, "0"}, {255, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        DriverDevmode source = BlankDevmode();
        source.priv.specialOutputMode = c.mode;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler, source);
        EXPECT_EQ(SelectText(ticket.Get(), value), c.ticketValue);
        DriverDevmode target = BlankDevmode();
        target.priv.specialOutputMode = 9;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(std::to_string(target.priv.specialOutputMode), c.ticketValue);
    }

    struct TicketCase {
        const char* name;
        std::wstring body;
        BYTE mode;   // from 3
    } tickets[] = {
        {"nothing", L"", 3},
        {"in range", ParameterInitXml(L"kvpsk:SpecialOutputModeData", L"1"), 1},
        {"too large", ParameterInitXml(L"kvpsk:SpecialOutputModeData", L"5"), 3},
        {"negative", ParameterInitXml(L"kvpsk:SpecialOutputModeData", L"-1"), 3},
        {"standard namespace", ParameterInitXml(L"psk:SpecialOutputModeData", L"1"), 3},
    };
    for (const TicketCase& c : tickets) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = BlankDevmode();
        target.priv.specialOutputMode = 3;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.specialOutputMode, c.mode);
    }

    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler);
    const std::wstring definition = L"/f:PrintCapabilities/f:ParameterDef[@name='kvpsk:SpecialOutputModeData']";
    EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MinValue']/f:Value"), "0");
    EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MaxValue']/f:Value"), "4");
}

// Features the printer handles one fixed way: whatever the DEVMODE holds,
// the ticket describes that way, a ticket changes no DEVMODE byte, and the
// capabilities mark the other choices as the device's.
TEST(JobSwitchesTest, FixedFeaturesDescribeTheOneWayThePrinterWorks)
{
    struct Option {
        const wchar_t* path;   // below the root, to the Option
        const char* name;
    };
    struct Case {
        const char* name;
        std::unique_ptr<FeatureHandler> (*create)(const wchar_t*);
        std::vector<Option> ticket;
        std::wstring feature;
        std::vector<const char*> open, device;
    } cases[] = {
        {"output colour",
         CreateOutputColorHandler,
         {{L"f:Feature[@name='psk:PageOutputColor']/f:Option", "psk:Monochrome"}},
         L"f:Feature[@name='psk:PageOutputColor']",
         {"psk:Color", "psk:Grayscale", "psk:Monochrome", "psk:BlackCyan", "psk:BlackMagenta"},
         {}},
        {"colour management",
         CreateColorManagementHandler,
         {{L"f:Feature[@name='psk:PageColorManagement']/f:Option", "psk:Driver"},
          {L"f:Feature[@name='psk:PageColorManagement']/f:Feature[@name='psk:PagePhotoPrintingIntent']/f:Option",
           "psk:None"},
          {L"f:Feature[@name='psk:PageColorManagement']/f:Feature[@name='psk:PageICMRenderingIntent']/f:Option",
           "psk:Photographs"}},
         L"f:Feature[@name='psk:PageColorManagement']",
         {"psk:Driver"},
         {"psk:None", "psk:Device", "psk:System"}},
        {"digital signatures",
         CreateDigitalSignatureHandler,
         {{L"f:Feature[@name='psk:JobDigitalSignatureProcessing']/f:Option", "psk:PrintInvalidSignatures"}},
         L"f:Feature[@name='psk:JobDigitalSignatureProcessing']",
         {"psk:PrintInvalidSignatures"},
         {"psk:PrintInvalidSignaturesWithErrorReport", "psk:PrintOnlyValidSignatures"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<FeatureHandler> handler = c.create(kTestPrivateUri);
        ASSERT_TRUE(handler);
        DriverDevmode source = PatternedDevmode();
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler, source);
        for (const Option& o : c.ticket)
            EXPECT_EQ(SelectText(ticket.Get(), L"/f:PrintTicket/" + std::wstring(o.path) + L"/@name"), o.name);

        // Even a ticket asking for something else leaves the DEVMODE alone.
        ComPtr<IXMLDOMDocument2> other = NewTicket(FeatureXml(L"psk:PageOutputColor", L"psk:Color") +
                                                   FeatureXml(L"psk:PageColorManagement", L"psk:System") +
                                                   FeatureXml(L"psk:JobDigitalSignatureProcessing",
                                                              L"psk:PrintOnlyValidSignatures"));
        DriverDevmode target = PatternedDevmode();
        ASSERT_EQ(Hex(HandlerToDevMode(*handler, other.Get(), target)), Hex(S_OK));
        EXPECT_EQ(memcmp(&target, &source, sizeof target), 0);

        ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler);
        const std::wstring feature = L"/f:PrintCapabilities/" + c.feature;
        EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"),
                  static_cast<long>(c.open.size() + c.device.size()));
        for (const char* name : c.open)
            EXPECT_EQ(SelectText(capabilities.Get(),
                                 feature + L"/f:Option[@name='" + std::wstring(name, name + strlen(name)) + L"']/@constrained"),
                      "psk:None")
                << name;
        for (const char* name : c.device)
            EXPECT_EQ(SelectText(capabilities.Get(),
                                 feature + L"/f:Option[@name='" + std::wstring(name, name + strlen(name)) + L"']/@constrained"),
                      "psk:DeviceSettings")
                << name;
    }
}

TEST(JobSwitchesTest, OutputColourOptionsCarryTheirBitDepths)
{
    std::unique_ptr<FeatureHandler> handler = CreateOutputColorHandler(kTestPrivateUri);
    ASSERT_TRUE(handler);
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler);
    struct Case {
        const wchar_t* option;
        const char *device, *driver;
    } cases[] = {
        {L"Color", "24", "24"},     {L"Grayscale", "8", "8"},      {L"Monochrome", "1", "24"},
        {L"BlackCyan", "24", "24"}, {L"BlackMagenta", "24", "24"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.option));
        std::wstring option = std::wstring(L"//f:Feature[@name='psk:PageOutputColor']/f:Option[@name='psk:") + c.option + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:ScoredProperty[@name='psk:DeviceBitsPerPixel']/f:Value"),
                  c.device);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:ScoredProperty[@name='psk:DriverBitsPerPixel']/f:Value"),
                  c.driver);
    }
}

// Without an administrator's lock any colour the ticket names stands; a
// ticket without one gains Monochrome.
TEST(JobSwitchesTest, OutputColourValidationWithoutALock)
{
    std::unique_ptr<FeatureHandler> handler = CreateOutputColorHandler(kTestPrivateUri);
    ASSERT_TRUE(handler);
    const std::wstring option = L"/f:PrintTicket/f:Feature[@name='psk:PageOutputColor']/f:Option";
    struct Case {
        const char* name;
        std::wstring body;
        HRESULT result;
        const char* option;
    } cases[] = {
        {"colour", FeatureXml(L"psk:PageOutputColor", L"psk:Color"), S_PT_NO_CONFLICT, "psk:Color"},
        {"monochrome", FeatureXml(L"psk:PageOutputColor", L"psk:Monochrome"), S_PT_NO_CONFLICT, "psk:Monochrome"},
        {"nothing", L"", S_PT_CONFLICT_RESOLVED, "psk:Monochrome"},
        {"a feature without option", L"<psf:Feature name=\"psk:PageOutputColor\"/>", S_PT_CONFLICT_RESOLVED,
         "psk:Monochrome"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(handler->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.result));
        EXPECT_EQ(SelectText(ticket.Get(), option + L"/@name"), c.option);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageOutputColor']"), 1);
        EXPECT_EQ(Hex(handler->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
    EXPECT_EQ(Hex(handler->ValidatePrintTicket(nullptr, nullptr)), Hex(E_POINTER));
}

// The argument checks of the generic sequence and of each step, for the
// handlers whose own tests leave them out.
TEST(JobSwitchesTest, EveryHandlerChecksItsArguments)
{
    struct Case {
        const char* name;
        std::unique_ptr<FeatureHandler> (*create)(const wchar_t*);
    } cases[] = {
        {"scaling", CreateScalingHandler},
        {"mirror image", CreateMirrorImageHandler},
        {"job spooling", CreateJobSpoolingHandler},
        {"sleep time", CreateSleepTimeHandler},
        {"error message printout", CreateErrorMessagePrintoutHandler},
        {"output colour", CreateOutputColorHandler},
        {"colour management", CreateColorManagementHandler},
        {"digital signature", CreateDigitalSignatureHandler},
        {"special output mode", CreateSpecialOutputModeHandler},
        {"collate and copies", CreateCollateCopiesHandler},
        {"header and footer", CreateHeaderFooterHandler},
        {"watermark", CreateWatermarkHandler},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<FeatureHandler> handler = c.create(kTestPrivateUri);
        ASSERT_TRUE(handler);
        DriverDevmode record = PatternedDevmode();
        const DriverDevmode before = record;
        ComPtr<IXMLDOMDocument2> ticket = NewTicket();
        EXPECT_EQ(Hex(handler->PrintTicketToDevMode(nullptr, ticket.Get(), kPublicDevmodeSize, &record.pub, 0,
                                                    &record.priv)),
                  Hex(E_INVALIDARG));
        EXPECT_EQ(Hex(handler->PrintTicketToDevMode(nullptr, ticket.Get(), kPublicDevmodeSize - 1, &record.pub,
                                                    kPrivateSize, &record.priv)),
                  Hex(E_INVALIDARG));
        // Reading needs some private bytes, writing the whole private part.
        EXPECT_EQ(Hex(handler->PrintTicketToDevMode(nullptr, ticket.Get(), kPublicDevmodeSize, &record.pub,
                                                    kPrivateSize - 1, &record.priv)),
                  Hex(E_INVALIDARG));
        EXPECT_EQ(Hex(handler->PrintTicketToDevMode(nullptr, nullptr, kPublicDevmodeSize, &record.pub, kPrivateSize,
                                                    &record.priv)),
                  Hex(E_POINTER));
        EXPECT_EQ(Hex(handler->PrintTicketToDevMode(nullptr, ticket.Get(), kPublicDevmodeSize, &record.pub,
                                                    kPrivateSize, nullptr)),
                  Hex(E_POINTER));
        EXPECT_EQ(memcmp(&record, &before, sizeof record), 0);
        EXPECT_EQ(Hex(handler->DevModeToPrintTicket(nullptr, kPublicDevmodeSize, nullptr, kPrivateSize, &record.priv,
                                                    ticket.Get())),
                  Hex(E_POINTER));
        EXPECT_EQ(Hex(handler->DevModeToPrintTicket(nullptr, kPublicDevmodeSize, &record.pub, 0, &record.priv,
                                                    ticket.Get())),
                  Hex(E_INVALIDARG));
        EXPECT_EQ(SelectCount(ticket.Get(), L"/f:PrintTicket/*"), 0);
        EXPECT_EQ(Hex(handler->ValidatePrintTicket(nullptr, nullptr)), Hex(E_POINTER));
        EXPECT_EQ(Hex(handler->GetPrintCapabilities(nullptr, nullptr, nullptr)), Hex(E_POINTER));

        // A ticket written from any DEVMODE validates as it is.
        ASSERT_EQ(Hex(HandlerToTicket(*handler, record, ticket.Get())), Hex(S_OK));
        EXPECT_EQ(Hex(handler->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

}  // namespace
