// Paper size and orientation between the DEVMODE and PrintTicket /
// PrintCapabilities documents: every paper of the table in both
// orientations, custom sizes and their limits, the private size data,
// validation and capabilities.
#include "printschema/features/page_media_size.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <cstdio>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const wchar_t kSizeOption[] = L"//f:Feature[@name='psk:PageMediaSize']/f:Option";
const wchar_t kOrientationOption[] = L"//f:Feature[@name='psk:PageOrientation']/f:Option/@name";

std::wstring SizeValue(const wchar_t* property)
{
    return std::wstring(kSizeOption) + L"/f:ScoredProperty[@name='psk:" + property + L"']/f:Value";
}

std::wstring SizeData(const wchar_t* property)
{
    return std::wstring(L"/f:PrintTicket/f:Property[@name='kvpsk:PageMediaSizeData']/f:Property[@name='kvpsk:") +
           property + L"']/f:Value";
}

std::wstring ParameterInit(const wchar_t* name)
{
    return std::wstring(L"/f:PrintTicket/f:ParameterInit[@name='psk:") + name + L"']/f:Value";
}

std::wstring CustomTicketBody(const std::wstring& width, const std::wstring& height, bool withData = true)
{
    std::wstring body =
        L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
        L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:ParameterRef "
        L"name=\"psk:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
        L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:ParameterRef "
        L"name=\"psk:PageMediaSizeMediaSizeHeight\"/></psf:ScoredProperty>"
        L"</psf:Option></psf:Feature>"
        L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">" +
        width +
        L"</psf:Value></psf:ParameterInit>"
        L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeHeight\"><psf:Value xsi:type=\"xsd:integer\">" +
        height +
        L"</psf:Value></psf:ParameterInit>"
        L"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/></psf:Feature>";
    if (withData)
        body += L"<psf:Property name=\"kvpsk:PageMediaSizeData\">"
                L"<psf:Property name=\"kvpsk:CustomUnitType\"><psf:Value xsi:type=\"xsd:string\">mm</psf:Value>"
                L"</psf:Property><psf:Property name=\"kvpsk:TransverseMode\">"
                L"<psf:Value xsi:type=\"xsd:string\">Off</psf:Value></psf:Property></psf:Property>";
    return body;
}

class PageMediaSizeTest : public ::testing::Test {
protected:
    static DriverDevmode Devmode(short paper, short orientation, WORD customWidth = 0, WORD customLength = 0,
                                 WORD unit = 0)
    {
        DriverDevmode record = BlankDevmode();
        record.pub.dmPaperSize = paper;
        record.pub.dmOrientation = orientation;
        record.priv.customPaperWidth = customWidth;
        record.priv.customPaperLength = customLength;
        record.priv.customPaperUnit = unit;
        return record;
    }

    std::unique_ptr<FeatureHandler> handler_ = CreatePageMediaSizeHandler(kTestPrivateUri);
};

TEST_F(PageMediaSizeTest, EveryPaperRoundTripsInBothOrientations)
{
    for (size_t i = 0; i < kPaperCount; ++i) {
        const PaperEntry& paper = kPapers[i];
        // Papers we do not offer read as Letter.
        const PaperEntry& expected = paper.offered ? paper : kPapers[kLetterIndex];
        for (short orientation : {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}) {
            SCOPED_TRACE(Narrow(paper.keyword) + (orientation == DMORIENT_PORTRAIT ? " portrait" : " landscape"));
            DriverDevmode source = Devmode(paper.dmPaperSize, orientation);
            ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);

            std::string prefix = expected.isPrivate ? "kvpsk:" : "psk:";
            EXPECT_EQ(SelectText(ticket.Get(), std::wstring(kSizeOption) + L"/@name"), prefix + Narrow(expected.keyword));
            EXPECT_EQ(SelectText(ticket.Get(), SizeValue(L"MediaSizeWidth")), std::to_string(expected.width));
            EXPECT_EQ(SelectText(ticket.Get(), SizeValue(L"MediaSizeHeight")), std::to_string(expected.height));
            EXPECT_EQ(SelectText(ticket.Get(), kOrientationOption),
                      orientation == DMORIENT_PORTRAIT ? "psk:Portrait" : "psk:Landscape");
            EXPECT_EQ(SelectText(ticket.Get(), SizeData(L"TransverseMode")), i == kA5LongEdgeIndex ? "On" : "Off");
            EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));

            // Back into a DEVMODE that held something else.
            DriverDevmode target = Devmode(DMPAPER_A3, orientation == DMORIENT_PORTRAIT ? DMORIENT_LANDSCAPE
                                                                                          : DMORIENT_PORTRAIT);
            ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
            EXPECT_EQ(target.pub.dmPaperSize, expected.dmPaperSize);
            EXPECT_EQ(target.pub.dmPaperWidth, expected.width / 100);
            EXPECT_EQ(target.pub.dmPaperLength, expected.height / 100);
            EXPECT_EQ(target.pub.dmOrientation, orientation);
        }
    }
}

TEST_F(PageMediaSizeTest, CustomSizesRoundTripWithinTheirLimits)
{
    struct Case {
        WORD width, length;                 // DEVMODE, tenths of a millimetre
        int microWidth, microHeight;        // in the ticket
        WORD backWidth, backLength;         // DEVMODE again
    } cases[] = {
        {1000, 2000, 100000, 200000, 1000, 2000},
        {762, 1160, 76200, 116000, 762, 1160},     // the smallest
        {2159, 4064, 215900, 406400, 2159, 4064},  // the largest
        {500, 1000, 76200, 116000, 762, 1160},     // raised to the minimum
        {3000, 5000, 215900, 406400, 2159, 4064},  // cut to the maximum
        {0, 0, 76200, 116000, 762, 1160},
        {65535, 65535, 215900, 406400, 2159, 4064},
    };
    for (const Case& c : cases) {
        for (WORD unit : {0, 1}) {
            SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.length) + (unit ? " inch" : " mm"));
            DriverDevmode source = Devmode(DMPAPER_USER, DMORIENT_PORTRAIT, c.width, c.length, unit);
            ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
            EXPECT_EQ(SelectText(ticket.Get(), std::wstring(kSizeOption) + L"/@name"), "psk:CustomMediaSize");
            EXPECT_EQ(SelectText(ticket.Get(), ParameterInit(L"PageMediaSizeMediaSizeWidth")),
                      std::to_string(c.microWidth));
            EXPECT_EQ(SelectText(ticket.Get(), ParameterInit(L"PageMediaSizeMediaSizeHeight")),
                      std::to_string(c.microHeight));
            EXPECT_EQ(SelectText(ticket.Get(), SizeData(L"CustomUnitType")), unit ? "inch" : "mm");

            DriverDevmode target = Devmode(DMPAPER_A4, DMORIENT_LANDSCAPE, 1, 1, unit ? 0 : 1);
            ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
            EXPECT_EQ(target.pub.dmPaperSize, DMPAPER_USER);
            EXPECT_EQ(target.priv.customPaperWidth, c.backWidth);
            EXPECT_EQ(target.priv.customPaperLength, c.backLength);
            EXPECT_EQ(target.pub.dmPaperWidth, c.backWidth);
            EXPECT_EQ(target.pub.dmPaperLength, c.backLength);
            EXPECT_EQ(target.pub.dmOrientation, DMORIENT_PORTRAIT);
            EXPECT_EQ(target.priv.customPaperUnit, unit);
        }
    }
}

// Sizes a ticket may carry that the printer cannot feed are brought within
// limits; validation reports the correction and writes it into the ticket.
TEST_F(PageMediaSizeTest, BadCustomSizesInATicketAreCorrected)
{
    struct Case {
        const wchar_t* width;
        const wchar_t* height;
        int microWidth, microHeight;
        HRESULT validation;
    } cases[] = {
        {L"100000", L"200000", 100000, 200000, S_PT_NO_CONFLICT},
        {L"100050", L"200000", 100050, 200000, S_PT_NO_CONFLICT},  // the DEVMODE truncates it
        {L"0", L"0", 76200, 116000, S_PT_CONFLICT_RESOLVED},
        {L"-5", L"-100000", 76200, 116000, S_PT_CONFLICT_RESOLVED},
        {L"300000", L"500000", 215900, 406400, S_PT_CONFLICT_RESOLVED},
        {L"2147483647", L"99999999999", 215900, 406400, S_PT_CONFLICT_RESOLVED},
        {L"76199", L"406401", 76200, 406400, S_PT_CONFLICT_RESOLVED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.width) + " x " + Narrow(c.height));
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(CustomTicketBody(c.width, c.height));
        DriverDevmode target = Devmode(DMPAPER_LETTER, DMORIENT_PORTRAIT);
        EXPECT_TRUE(SUCCEEDED(HandlerToDevMode(*handler_, ticket.Get(), target)));
        EXPECT_EQ(target.pub.dmPaperSize, DMPAPER_USER);
        EXPECT_EQ(target.priv.customPaperWidth, c.microWidth / 100);
        EXPECT_EQ(target.priv.customPaperLength, c.microHeight / 100);

        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.validation));
        EXPECT_EQ(SelectText(ticket.Get(), ParameterInit(L"PageMediaSizeMediaSizeWidth")), Narrow(
                  c.validation == S_PT_NO_CONFLICT ? c.width : std::to_wstring(c.microWidth)));
        EXPECT_EQ(SelectText(ticket.Get(), ParameterInit(L"PageMediaSizeMediaSizeHeight")), Narrow(
                  c.validation == S_PT_NO_CONFLICT ? c.height : std::to_wstring(c.microHeight)));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"), 2);
    }
}

TEST_F(PageMediaSizeTest, TheOptionsNamespaceDecidesBetweenTablePaperAndCustomSize)
{
    const std::wstring sizes = L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">"
                               L"100000</psf:Value></psf:ScoredProperty>"
                               L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value "
                               L"xsi:type=\"xsd:integer\">150000</psf:Value></psf:ScoredProperty>";
    struct Case {
        const char* name;
        std::wstring option;
        std::wstring inner;
        short paper;
        WORD customWidth;
    } cases[] = {
        {"ours, with sizes", L"kvpsk:ISOA4", sizes, DMPAPER_USER, 1000},
        {"ours, without sizes", L"kvpsk:ISOA4", L"", DMPAPER_A4, 7},
        {"keywords, with sizes", L"psk:ISOA4", sizes, DMPAPER_A4, 7},
        {"private paper", L"kvpsk:ISOA5LongEdge", L"", 61, 7},
        {"unknown name with sizes", L"psk:Nonsense", sizes, DMPAPER_USER, 1000},
        {"unknown name without sizes", L"psk:Nonsense", L"", DMPAPER_LEGAL, 7},
        {"a paper we do not offer", L"kvpsk:OrganizerJ", L"", DMPAPER_LEGAL, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"" +
                                                 c.option + L"\">" + c.inner + L"</psf:Option></psf:Feature>");
        DriverDevmode target = Devmode(DMPAPER_LEGAL, DMORIENT_LANDSCAPE, 7, 7);
        EXPECT_TRUE(SUCCEEDED(HandlerToDevMode(*handler_, ticket.Get(), target)));
        EXPECT_EQ(target.pub.dmPaperSize, c.paper);
        EXPECT_EQ(target.priv.customPaperWidth, c.customWidth);
        // Orientation is not in these tickets: the DEVMODE's stays.
        EXPECT_EQ(target.pub.dmOrientation, DMORIENT_LANDSCAPE);
    }
}

TEST_F(PageMediaSizeTest, PrivateSizeDataReadsUnitAndTransverseFeed)
{
    DriverDevmode a4 = Devmode(DMPAPER_A4, DMORIENT_LANDSCAPE);
    ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, a4);
    EXPECT_EQ(SelectText(ticket.Get(), SizeData(L"CustomUnitType")), "mm");
    EXPECT_EQ(SelectText(ticket.Get(), SizeData(L"TransverseMode")), "Off");

    // A unit the DEVMODE holds out of range does not read as inches.
    DriverDevmode odd = Devmode(DMPAPER_A4, DMORIENT_PORTRAIT, 0, 0, 7);
    ticket = TicketFrom(*handler_, odd);
    EXPECT_EQ(SelectText(ticket.Get(), SizeData(L"CustomUnitType")), "mm");

    // The ticket's unit overrides the DEVMODE's.
    ticket = NewTicket(CustomTicketBody(L"100000", L"200000"));
    DriverDevmode inch = Devmode(DMPAPER_A4, DMORIENT_PORTRAIT, 0, 0, 1);
    ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), inch)), Hex(S_OK));
    EXPECT_EQ(inch.priv.customPaperUnit, 0);
}

TEST_F(PageMediaSizeTest, ValidationCompletesATicketWithMissingParts)
{
    struct Case {
        const char* name;
        std::wstring body;
    } cases[] = {
        {"empty ticket", L""},
        {"no size data", CustomTicketBody(L"100000", L"200000", false)},
        {"no orientation",
         L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_CONFLICT_RESOLVED));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageMediaSize']"), 1);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageOrientation']"), 1);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Property[@name='kvpsk:PageMediaSizeData']"), 1);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(PageMediaSizeTest, ShortOrMissingBuffersAreRefused)
{
    ExpectArgumentsChecked(*handler_, NewTicket(CustomTicketBody(L"100000", L"200000")).Get(),
                           Devmode(DMPAPER_A4, DMORIENT_PORTRAIT));
}

TEST_F(PageMediaSizeTest, CapabilitiesListOfferedPapersAndTheSelectedImageableArea)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    long offered = 0;
    for (const PaperEntry& paper : kPapers) offered += paper.offered;
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Feature[@name='psk:PageMediaSize']/f:Option"), offered + 1);
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Feature[@name='psk:PageMediaSize']/f:Option[@name='kvpsk:OrganizerJ']"),
              0);
    EXPECT_EQ(SelectText(capabilities.Get(), L"//f:Option[@name='kvpsk:A4Long']/f:ScoredProperty[@name='psk:MediaSizeHeight']/f:Value"),
              "405000");
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:ParameterDef"), 2);
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Property[@name='psk:PageImageableSize']"), 0);
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Feature[@name='psk:PageOrientation']/f:Option"), 2);

    EXPECT_EQ(SelectText(capabilities.Get(), L"//f:Option[@name='psk:ISOA4']/f:Property[@name='psk:DisplayName']/f:Value"),
              "A4");
}

std::wstring OrientationBody(const wchar_t* option)
{
    return std::wstring(L"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:") + option +
           L"\"/></psf:Feature>";
}

// The imageable area in capabilities follows the ticket's paper and
// orientation; custom sizes keep a fixed margin.
TEST_F(PageMediaSizeTest, TheImageableAreaTurnsWithThePaper)
{
    const std::wstring a4 = L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>";
    const std::wstring dl = L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"kvpsk:DLLongEdge\"/></psf:Feature>";
    struct Case {
        const char* name;
        std::wstring body;
        int sizeWidth, sizeHeight, originWidth, originHeight, extentWidth, extentHeight;
    } cases[] = {
        {"A4 portrait", a4 + OrientationBody(L"Portrait"), 210000, 297000, 4233, 4233, 201533, 288533},
        {"A4 landscape", a4 + OrientationBody(L"Landscape"), 297000, 210000, 4233, 4233, 288533, 201533},
        {"A4 reverse landscape", a4 + OrientationBody(L"ReverseLandscape"), 297000, 210000, 4233, 4233, 288533,
         201533},
        {"A4 reverse portrait", a4 + OrientationBody(L"ReversePortrait"), 210000, 297000, 4233, 4233, 201533, 288533},
        {"wider than high", dl + OrientationBody(L"Portrait"), 220000, 110000, 4233, 4233, 211533, 101533},
        {"no paper named: Letter", OrientationBody(L"Portrait"), 215900, 279400, 4233, 4233, 207433, 270933},
        {"custom portrait", CustomTicketBody(L"100000", L"200000"), 100000, 200000, 4233, 4233, 91534, 191534},
        {"custom landscape",
         CustomTicketBody(L"100000", L"200000").replace(CustomTicketBody(L"100000", L"200000").find(L"psk:Portrait"),
                                                         12, L"psk:Landscape"),
         200000, 100000, 4233, 4233, 191534, 91534},
    };
    const std::wstring size = L"//f:Property[@name='psk:PageImageableSize']";
    const std::wstring area = size + L"/f:Property[@name='psk:ImageableArea']";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        ComPtr<IXMLDOMDocument2> capabilities = NewCapabilities();
        ASSERT_EQ(Hex(handler_->GetPrintCapabilities(nullptr, ticket.Get(), capabilities.Get())), Hex(S_OK));
        const struct {
            std::wstring query;
            int value;
        } expected[] = {
            {size + L"/f:Property[@name='psk:ImageableSizeWidth']/f:Value", c.sizeWidth},
            {size + L"/f:Property[@name='psk:ImageableSizeHeight']/f:Value", c.sizeHeight},
            {area + L"/f:Property[@name='psk:OriginWidth']/f:Value", c.originWidth},
            {area + L"/f:Property[@name='psk:OriginHeight']/f:Value", c.originHeight},
            {area + L"/f:Property[@name='psk:ExtentWidth']/f:Value", c.extentWidth},
            {area + L"/f:Property[@name='psk:ExtentHeight']/f:Value", c.extentHeight},
        };
        for (const auto& e : expected)
            EXPECT_EQ(SelectText(capabilities.Get(), e.query), std::to_string(e.value)) << Narrow(e.query);
    }
}

TEST_F(PageMediaSizeTest, TicketOrientationsReachTheDevMode)
{
    struct Case {
        const wchar_t* option;
        short before;
        short after;
    } cases[] = {
        {L"Landscape", DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE},
        {L"Portrait", DMORIENT_LANDSCAPE, DMORIENT_PORTRAIT},
        {L"ReverseLandscape", DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE},
        {L"ReversePortrait", DMORIENT_LANDSCAPE, DMORIENT_PORTRAIT},
        {L"Sideways", DMORIENT_LANDSCAPE, DMORIENT_LANDSCAPE},   // not ours: unchanged
        {L"Sideways", DMORIENT_PORTRAIT, DMORIENT_PORTRAIT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.option) + " over " + std::to_string(c.before));
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(OrientationBody(c.option));
        DriverDevmode target = Devmode(DMPAPER_A4, c.before);
        EXPECT_TRUE(SUCCEEDED(HandlerToDevMode(*handler_, ticket.Get(), target)));
        EXPECT_EQ(target.pub.dmOrientation, c.after);
        EXPECT_EQ(target.pub.dmPaperSize, DMPAPER_A4);
    }
}

TEST(PaperTableTest, CodesAreUniqueAndImageableAreasKeepTheirMargins)
{
    for (size_t i = 0; i < kPaperCount; ++i) {
        const PaperEntry& paper = kPapers[i];
        SCOPED_TRACE(Narrow(paper.keyword));
        EXPECT_EQ(PaperIndexOfCode(paper.dmPaperSize), static_cast<int>(i));
        EXPECT_EQ(paper.width - paper.imageableWidth, 8467);
        EXPECT_EQ(paper.height - paper.imageableHeight, 8467);
    }
    EXPECT_EQ(PaperIndexOfCode(DMPAPER_USER), -1);
}

} // namespace
