// Print resolution between the DEVMODE and PrintTicket / PrintCapabilities
// documents: every stored quality, the true-1200 flag, tickets with half
// or unknown resolutions, validation and capabilities.
#include "printschema/features/resolution_quality.h"

#include "settings/devmode_bits.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const wchar_t kOption[] = L"/f:PrintTicket/f:Feature[@name='psk:PageResolution']/f:Option";

std::wstring ResolutionValue(const wchar_t* axis)
{
    return std::wstring(kOption) + L"/f:ScoredProperty[@name='psk:Resolution" + axis + L"']/f:Value";
}

std::wstring ScoredInteger(const wchar_t* name, const wchar_t* value)
{
    return std::wstring(L"<psf:ScoredProperty name=\"psk:") + name + L"\"><psf:Value xsi:type=\"xsd:integer\">" +
           value + L"</psf:Value></psf:ScoredProperty>";
}

// A PageResolution feature with the axes given (nullptr leaves one out).
std::wstring ResolutionXml(const wchar_t* x, const wchar_t* y)
{
    std::wstring option = L"<psf:Feature name=\"psk:PageResolution\"><psf:Option>";
    if (x) option += ScoredInteger(L"ResolutionX", x);
    if (y) option += ScoredInteger(L"ResolutionY", y);
    return option + L"</psf:Option></psf:Feature>";
}

DriverDevmode QualityDevmode(short dmPrintQuality, BYTE resolutionFlags)
{
    DriverDevmode record = BlankDevmode();
    record.pub.dmPrintQuality = dmPrintQuality;
    record.priv.resolutionFlags = resolutionFlags;
    return record;
}

using ResolutionQualityTest = HandlerTest<CreateResolutionQualityHandler>;

TEST_F(ResolutionQualityTest, StoredQualitiesRoundTrip)
{
    // Other bits of the flag byte belong to no one here and must stay.
    const BYTE otherBits = 0xF0;
    struct Case {
        short       dmPrintQuality;
        BYTE        flags;
        const char* dpi;            // both axes in the ticket
        short       back;
    } cases[] = {
        {1200, 0, "1200", 1200},
        {1200, kResolutionTrue1200, "1200", 1200},   // the true mode is not offered: read as the enhanced one
        {600, 0, "600", 600},
        {300, 0, "300", 300},
        {300, kResolutionTrue1200, "300", 300},
        // Anything else is 600.
        {720, 0, "600", 600},
        {150, 0, "600", 600},
        {0, 0, "600", 600},
        {DMRES_HIGH, 0, "600", 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dmPrintQuality) + (c.flags ? " true" : ""));
        DriverDevmode source = QualityDevmode(c.dmPrintQuality, c.flags);
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectCount(ticket.Get(), kOption), 1);
        EXPECT_EQ(SelectCount(ticket.Get(), std::wstring(kOption) + L"/@name"), 0);
        EXPECT_EQ(SelectText(ticket.Get(), ResolutionValue(L"X")), c.dpi);
        EXPECT_EQ(SelectText(ticket.Get(), ResolutionValue(L"Y")), c.dpi);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));

        DriverDevmode target = QualityDevmode(c.back == 300 ? 1200 : 300, otherBits | kResolutionTrue1200);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.pub.dmPrintQuality, c.back);
        EXPECT_EQ(target.priv.resolutionFlags, otherBits);
    }
}

TEST_F(ResolutionQualityTest, TicketResolutionsMustMatchAnOfferedPair)
{
    struct Case {
        const char*  name;
        std::wstring body;
        short        after;   // over a DEVMODE at 300 dpi
    } cases[] = {
        {"1200 x 1200", ResolutionXml(L"1200", L"1200"), 1200},
        {"600 x 600", ResolutionXml(L"600", L"600"), 600},
        {"300 x 300", ResolutionXml(L"300", L"300"), 300},
        {"600 x 300", ResolutionXml(L"600", L"300"), 300},
        {"1200 x 600", ResolutionXml(L"1200", L"600"), 300},
        {"150 x 150", ResolutionXml(L"150", L"150"), 300},
        {"not numbers", ResolutionXml(L"fine", L"fine"), 300},
        {"no ResolutionY", ResolutionXml(L"600", nullptr), 300},
        {"no ResolutionX", ResolutionXml(nullptr, L"600"), 300},
        {"no resolution", L"", 300},
        {"given through parameters",
         L"<psf:Feature name=\"psk:PageResolution\"><psf:Option>"
         L"<psf:ScoredProperty name=\"psk:ResolutionX\"><psf:ParameterRef name=\"psk:X\"/></psf:ScoredProperty>"
         L"<psf:ScoredProperty name=\"psk:ResolutionY\"><psf:ParameterRef name=\"psk:Y\"/></psf:ScoredProperty>"
         L"</psf:Option></psf:Feature>" +
             ParameterInitXml(L"psk:X", L"600") + ParameterInitXml(L"psk:Y", L"600"),
         600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = QualityDevmode(300, 0);
        EXPECT_TRUE(SUCCEEDED(HandlerToDevMode(*handler_, ticket.Get(), target)));
        EXPECT_EQ(target.pub.dmPrintQuality, c.after);
    }
}

TEST_F(ResolutionQualityTest, ValidationCompletesHalfAResolution)
{
    struct Case {
        const char*  name;
        std::wstring body;
        HRESULT      first;
        const char*  x;
        const char*  y;
    } cases[] = {
        {"no resolution", L"", S_PT_CONFLICT_RESOLVED, "600", "600"},
        {"no ResolutionY", ResolutionXml(L"300", nullptr), S_PT_CONFLICT_RESOLVED, "600", "600"},
        {"no ResolutionX", ResolutionXml(nullptr, L"1200"), S_PT_CONFLICT_RESOLVED, "600", "600"},
        {"an offered pair", ResolutionXml(L"300", L"300"), S_PT_NO_CONFLICT, "300", "300"},
        // Complete, if not ours: left as it is.
        {"a pair we do not have", ResolutionXml(L"600", L"300"), S_PT_NO_CONFLICT, "600", "300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.first));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageResolution']"), 1);
        EXPECT_EQ(SelectText(ticket.Get(), ResolutionValue(L"X")), c.x);
        EXPECT_EQ(SelectText(ticket.Get(), ResolutionValue(L"Y")), c.y);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(ResolutionQualityTest, CapabilitiesListThreeResolutionsAndOneQuality)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring resolution = L"/f:PrintCapabilities/f:Feature[@name='psk:PageResolution']";
    EXPECT_EQ(SelectText(capabilities.Get(), resolution + L"/f:Property[@name='psk:DisplayName']/f:Value"),
              "Resolution");
    EXPECT_EQ(SelectText(capabilities.Get(), resolution + L"/f:Property[@name='psf:SelectionType']/f:Value"),
              "psk:PickOne");
    EXPECT_EQ(SelectCount(capabilities.Get(), resolution + L"/f:Option"), 3);
    EXPECT_EQ(SelectCount(capabilities.Get(), resolution + L"/f:Option/@name"), 0);
    const struct {
        const char* display;
        const char* dpi;
    } options[] = {{"HQ 1200", "1200"}, {"600 dpi", "600"}, {"300 dpi", "300"}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(options[i].display);
        std::wstring option = resolution + L"/f:Option[" + std::to_wstring(i + 1) + L"]";
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value"),
                  options[i].display);
        for (const wchar_t* axis : {L"ResolutionX", L"ResolutionY"})
            EXPECT_EQ(SelectText(capabilities.Get(),
                                 option + L"/f:ScoredProperty[@name='psk:" + axis + L"']/f:Value"),
                      options[i].dpi);
    }

    const std::wstring quality = L"/f:PrintCapabilities/f:Feature[@name='psk:PageOutputQuality']";
    EXPECT_EQ(SelectCount(capabilities.Get(), quality + L"/f:Property[@name='psk:DisplayName']"), 0);
    EXPECT_EQ(SelectCount(capabilities.Get(), quality + L"/f:Option"), 1);
    EXPECT_EQ(SelectText(capabilities.Get(), quality + L"/f:Option/@name"), "psk:Normal");
    EXPECT_EQ(SelectText(capabilities.Get(), quality + L"/f:Option/@constrained"), "psk:None");
    EXPECT_EQ(SelectCount(capabilities.Get(), quality + L"/f:Option/f:Property"), 0);
}

// Output quality is described, never converted: tickets keep theirs.
TEST_F(ResolutionQualityTest, TicketsKeepTheirOutputQuality)
{
    ComPtr<IXMLDOMDocument2> ticket = NewTicket(FeatureXml(L"psk:PageOutputQuality", L"psk:Draft"));
    DriverDevmode source = QualityDevmode(300, 0);
    ASSERT_EQ(Hex(HandlerToTicket(*handler_, source, ticket.Get())), Hex(S_OK));
    ASSERT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    EXPECT_EQ(SelectText(ticket.Get(), L"//f:Feature[@name='psk:PageOutputQuality']/f:Option/@name"), "psk:Draft");
}

TEST_F(ResolutionQualityTest, ShortOrMissingBuffersAreRefused)
{
    ExpectArgumentsChecked(*handler_, NewTicket(ResolutionXml(L"1200", L"1200")).Get(), QualityDevmode(300, 0));
}

} // namespace
