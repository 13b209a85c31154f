// Page scaling and the image switches between the DEVMODE and PrintTicket /
// PrintCapabilities documents, without a printer: every mode and alignment,
// the limits of scale and offsets, fit-to papers named and custom, tickets
// with odd or missing parts, and the public reader and writer of the
// scaling feature.
#include "printschema/features/mirror_image.h"
#include "printschema/features/scaling.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <cstring>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const std::wstring kScaling = L"/f:PrintTicket/f:Feature[@name='psk:PageScaling']";
const std::wstring kModeName = kScaling + L"/f:Option/@name";
const std::wstring kAlignmentName = kScaling + L"/f:Feature[@name='psk:ScaleOffsetAlignment']/f:Option/@name";
const std::wstring kFitName = kScaling + L"/f:Feature[@name='psk:FitMediaSize']/f:Option/@name";

std::wstring Init(const wchar_t* name)
{
    return std::wstring(L"/f:PrintTicket/f:ParameterInit[@name='psk:") + name + L"']/f:Value";
}

// A PageScaling feature with option and the given inner XML (scored
// properties, sub-features), plus parameters after it.
std::wstring ScalingXml(const std::wstring& option, const std::wstring& inner = L"",
                        const std::wstring& parameters = L"")
{
    return L"<psf:Feature name=\"psk:PageScaling\"><psf:Option name=\"" + option + L"\">" + inner +
           L"</psf:Option></psf:Feature>" + parameters;
}

std::wstring ScoredRef(const wchar_t* property, const wchar_t* parameter)
{
    return std::wstring(L"<psf:ScoredProperty name=\"psk:") + property + L"\"><psf:ParameterRef name=\"psk:" +
           parameter + L"\"/></psf:ScoredProperty>";
}

DriverDevmode ScalingDevmode(BYTE scaling, BYTE savedSwitch)
{
    DriverDevmode record = BlankDevmode();
    record.priv.scaling = scaling;
    record.priv.savedSwitch = savedSwitch;
    record.priv.scalingSize = 100;
    record.priv.savedMode = 3;
    record.priv.fitPaperSize = DMPAPER_A4;
    return record;
}

class ScalingTest : public HandlerTest<CreateScalingHandler> {
protected:
    // The DEVMODE's ticket, checked to validate as it is.
    ComPtr<IXMLDOMDocument2> TicketOf(DriverDevmode& record)
    {
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, record);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
        return ticket;
    }
};

TEST_F(ScalingTest, EveryModeRoundTrips)
{
    struct Case {
        BYTE scaling, savedSwitch;
        const char* option;
        BYTE backScaling, backSwitch;   // into a DEVMODE holding scaling 2, savedSwitch 9
    } cases[] = {
        {0, 1, "psk:None", 0, 9},
        {1, 1, "psk:FitToPaper", 1, 9},
        {2, 0, "psk:CustomSquare", 2, 9},
        {3, 0, "psk:FitApplicationBleedSizeToPageImageableSize", 3, 0},
        {3, 1, "psk:FitApplicationContentSizeToPageImageableSize", 3, 1},
        {3, 2, "psk:FitApplicationMediaSizeToPageImageableSize", 3, 2},
        {3, 3, "psk:FitApplicationMediaSizeToPageMediaSize", 3, 3},
        {3, 4, "psk:None", 0, 9},   // a fit mode the driver does not know
        {4, 1, "psk:None", 0, 9},
        {255, 0, "psk:None", 0, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scaling) + "/" + std::to_string(c.savedSwitch));
        DriverDevmode source = ScalingDevmode(c.scaling, c.savedSwitch);
        ComPtr<IXMLDOMDocument2> ticket = TicketOf(source);
        EXPECT_EQ(SelectText(ticket.Get(), kModeName), c.option);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageScaling']"), 1);

        DriverDevmode target = ScalingDevmode(2, 9);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.scaling, c.backScaling);
        EXPECT_EQ(target.priv.savedSwitch, c.backSwitch);
    }
}

TEST_F(ScalingTest, ScaleOffsetsAndAlignmentRoundTripWithinLimits)
{
    struct Case {
        WORD size;
        LONG offsetWidth, offsetHeight;
        BYTE alignment;
        const char* alignmentName;
        int ticketSize, ticketWidth, ticketHeight;
    } cases[] = {
        {100, 4233, 4233, 3, "psk:Center", 100, 4233, 4233},
        {25, 0, 0, 0, "psk:BottomCenter", 25, 0, 0},
        {400, -14224000, 3556000, 8, "psk:TopRight", 400, -14224000, 3556000},
        {10, -20000000, 3556001, 1, "psk:BottomLeft", 25, -14224000, 3556000},
        {999, 5000000, -14224001, 2, "psk:BottomRight", 400, 3556000, -14224000},
        {0, 1, -1, 4, "psk:LeftCenter", 25, 1, -1},
        {150, 0, 0, 5, "psk:RightCenter", 150, 0, 0},
        {150, 0, 0, 6, "psk:TopCenter", 150, 0, 0},
        {150, 0, 0, 7, "psk:TopLeft", 150, 0, 0},
        {150, 0, 0, 9, "psk:Center", 150, 0, 0},     // unknown alignments read as centred
        {150, 0, 0, 255, "psk:Center", 150, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " " + std::to_string(c.offsetWidth) + " " + std::to_string(c.alignment));
        DriverDevmode source = ScalingDevmode(3, 1);
        source.priv.scalingSize = c.size;
        source.priv.savedCode1 = c.offsetWidth;
        source.priv.savedCode2 = c.offsetHeight;
        source.priv.savedMode = c.alignment;
        ComPtr<IXMLDOMDocument2> ticket = TicketOf(source);
        EXPECT_EQ(SelectText(ticket.Get(), Init(L"PageScalingScale")), std::to_string(c.ticketSize));
        EXPECT_EQ(SelectText(ticket.Get(), Init(L"PageScalingOffsetWidth")), std::to_string(c.ticketWidth));
        EXPECT_EQ(SelectText(ticket.Get(), Init(L"PageScalingOffsetHeight")), std::to_string(c.ticketHeight));
        EXPECT_EQ(SelectText(ticket.Get(), kScaling + L"/f:Option/f:ScoredProperty[@name='psk:Scale']/f:ParameterRef/@name"),
                  "psk:PageScalingScale");
        EXPECT_EQ(SelectText(ticket.Get(), kAlignmentName), c.alignmentName);

        DriverDevmode target = ScalingDevmode(3, 1);
        target.priv.savedMode = 77;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.scalingSize, c.ticketSize);
        EXPECT_EQ(target.priv.savedCode1, c.ticketWidth);
        EXPECT_EQ(target.priv.savedCode2, c.ticketHeight);
        EXPECT_EQ(target.priv.savedMode, c.alignment < 9 ? c.alignment : 3);
    }
}

TEST_F(ScalingTest, EveryFitToPaperRoundTrips)
{
    for (const PaperEntry& paper : kPapers) {
        SCOPED_TRACE(Narrow(paper.keyword));
        DriverDevmode source = ScalingDevmode(1, 1);
        source.priv.fitPaperSize = static_cast<WORD>(paper.dmPaperSize);
        ComPtr<IXMLDOMDocument2> ticket = TicketOf(source);
        EXPECT_EQ(SelectText(ticket.Get(), kFitName),
                  std::string(paper.isPrivate ? "kvpsk:" : "psk:") + Narrow(paper.keyword));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit[@name='psk:FitMediaSizeWidth']"), 0);

        DriverDevmode target = ScalingDevmode(1, 1);
        target.priv.fitPaperSize = DMPAPER_USER;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.fitPaperSize, paper.dmPaperSize);
    }
}

TEST_F(ScalingTest, CustomFitToSizesComeFromTheLastCustomPaper)
{
    struct Case {
        WORD paperCode, width, length;
        int microWidth, microHeight;
    } cases[] = {
        {DMPAPER_USER, 762, 1160, 76200, 116000},
        {DMPAPER_USER, 2159, 4064, 215900, 406400},
        {DMPAPER_USER, 1000, 2000, 100000, 200000},
        {999, 1000, 2000, 100000, 200000},   // a code that is no paper of ours
        {0, 1500, 1500, 150000, 150000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.paperCode) + " " + std::to_string(c.width) + " x " + std::to_string(c.length));
        DriverDevmode source = ScalingDevmode(1, 1);
        source.priv.fitPaperSize = c.paperCode;
        source.priv.lastCustomWidth = c.width;
        source.priv.lastCustomLength = c.length;
        ComPtr<IXMLDOMDocument2> ticket = TicketOf(source);
        EXPECT_EQ(SelectText(ticket.Get(), kFitName), "psk:CustomMediaSize");
        EXPECT_EQ(SelectText(ticket.Get(), Init(L"FitMediaSizeWidth")), std::to_string(c.microWidth));
        EXPECT_EQ(SelectText(ticket.Get(), Init(L"FitMediaSizeHeight")), std::to_string(c.microHeight));

        DriverDevmode target = ScalingDevmode(1, 1);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.fitPaperSize, DMPAPER_USER);
        EXPECT_EQ(target.priv.lastCustomWidth, c.microWidth / 100);
        EXPECT_EQ(target.priv.lastCustomLength, c.microHeight / 100);
    }
}

// What a ticket gives overrides the DEVMODE; what it leaves out, or gives
// in a form we do not know, leaves the DEVMODE's value.
TEST_F(ScalingTest, TicketsOverrideOnlyWhatTheyGiveWell)
{
    const std::wstring scaleRef = ScoredRef(L"Scale", L"PageScalingScale");
    const std::wstring offsetRefs =
        ScoredRef(L"OffsetWidth", L"PageScalingOffsetWidth") + ScoredRef(L"OffsetHeight", L"PageScalingOffsetHeight");
    const std::wstring fitCustom =
        L"<psf:Feature name=\"psk:FitMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">" +
        ScoredRef(L"MediaSizeWidth", L"FitMediaSizeWidth") + ScoredRef(L"MediaSizeHeight", L"FitMediaSizeHeight") +
        L"</psf:Option></psf:Feature>";
    auto fitNamed = [](const wchar_t* option) {
        return std::wstring(L"<psf:Feature name=\"psk:FitMediaSize\"><psf:Option name=\"") + option +
               L"\"/></psf:Feature>";
    };
    struct Case {
        const char* name;
        std::wstring body;
        BYTE scaling;
        WORD size;
        LONG offsetWidth;
        WORD fitPaper, customWidth;
    } cases[] = {
        // The DEVMODE before: scaling 2, size 150, offsets 7, A4, custom 1000.
        {"no scaling feature", L"", 2, 150, 7, DMPAPER_A4, 1000},
        {"option only", ScalingXml(L"psk:FitToPaper"), 1, 150, 7, DMPAPER_A4, 1000},
        {"unknown option", ScalingXml(L"psk:Stretch", scaleRef, ParameterInitXml(L"psk:PageScalingScale", L"200")), 2,
         200, 7, DMPAPER_A4, 1000},
        {"mode in our namespace", ScalingXml(L"kvpsk:FitToPaper"), 2, 150, 7, DMPAPER_A4, 1000},
        {"scale too large", ScalingXml(L"psk:CustomSquare", scaleRef, ParameterInitXml(L"psk:PageScalingScale", L"1000")),
         2, 400, 7, DMPAPER_A4, 1000},
        {"scale negative", ScalingXml(L"psk:CustomSquare", scaleRef, ParameterInitXml(L"psk:PageScalingScale", L"-5")), 2,
         25, 7, DMPAPER_A4, 1000},
        {"scale not a number",
         ScalingXml(L"psk:CustomSquare", scaleRef, ParameterInitXml(L"psk:PageScalingScale", L"big", L"string")), 2, 25,
         7, DMPAPER_A4, 1000},
        {"scale referred to but not given", ScalingXml(L"psk:CustomSquare", scaleRef), 2, 150, 7, DMPAPER_A4, 1000},
        {"offsets beyond the page",
         ScalingXml(L"psk:None", offsetRefs,
                    ParameterInitXml(L"psk:PageScalingOffsetWidth", L"-99999999") +
                        ParameterInitXml(L"psk:PageScalingOffsetHeight", L"99999999")),
         0, 150, -14224000, DMPAPER_A4, 1000},
        {"fit to a named paper", ScalingXml(L"psk:FitToPaper", fitNamed(L"psk:ISOA3")), 1, 150, 7, DMPAPER_A3, 1000},
        {"fit to a paper we do not offer", ScalingXml(L"psk:FitToPaper", fitNamed(L"kvpsk:OrganizerJ")), 1, 150, 7, 257,
         1000},
        {"fit paper in the wrong namespace", ScalingXml(L"psk:FitToPaper", fitNamed(L"kvpsk:ISOA3")), 1, 150, 7,
         DMPAPER_A4, 1000},
        {"fit to an unknown paper", ScalingXml(L"psk:FitToPaper", fitNamed(L"psk:Poster")), 1, 150, 7, DMPAPER_A4, 1000},
        {"fit to a custom size",
         ScalingXml(L"psk:FitToPaper", fitCustom,
                    ParameterInitXml(L"psk:FitMediaSizeWidth", L"120000") +
                        ParameterInitXml(L"psk:FitMediaSizeHeight", L"130000")),
         1, 150, 7, DMPAPER_USER, 1200},
        {"fit to a custom size beyond the limits",
         ScalingXml(L"psk:FitToPaper", fitCustom,
                    ParameterInitXml(L"psk:FitMediaSizeWidth", L"300000") +
                        ParameterInitXml(L"psk:FitMediaSizeHeight", L"10")),
         1, 150, 7, DMPAPER_USER, 2159},
        {"fit to a custom size without its height",
         ScalingXml(L"psk:FitToPaper", fitCustom, ParameterInitXml(L"psk:FitMediaSizeWidth", L"120000")), 1, 150, 7,
         DMPAPER_A4, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = ScalingDevmode(2, 1);
        target.priv.scalingSize = 150;
        target.priv.savedCode1 = 7;
        target.priv.lastCustomWidth = 1000;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.scaling, c.scaling);
        EXPECT_EQ(target.priv.scalingSize, c.size);
        EXPECT_EQ(target.priv.savedCode1, c.offsetWidth);
        EXPECT_EQ(target.priv.fitPaperSize, c.fitPaper);
        EXPECT_EQ(target.priv.lastCustomWidth, c.customWidth);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

// The reader and writer throw; the code that corrects tickets calls them
// within its own boundary, each over a wrapper of its own, as these do.
HRESULT Read(IXMLDOMDocument2* ticket, ScalingSettings* settings)
{
    return AtComBoundary([&] {
        PrintSchemaDocument document(kPrintTicketRoot, kTestPrivateUri, false, ticket);
        return ReadScalingFeature(document, settings);
    });
}

HRESULT Write(IXMLDOMDocument2* ticket, const ScalingSettings& settings)
{
    return AtComBoundary([&] {
        PrintSchemaDocument document(kPrintTicketRoot, kTestPrivateUri, false, ticket);
        return WriteScalingFeature(document, settings);
    });
}

TEST_F(ScalingTest, TheFeatureReaderAndWriterWorkOnAnyTicket)
{
    ComPtr<IXMLDOMDocument2> ticket = NewTicket();

    // Nothing in the ticket: the record keeps its initial values.
    ScalingSettings initial;
    EXPECT_EQ(Hex(Read(ticket.Get(), &initial)), Hex(kNotFound));
    EXPECT_EQ(initial.scalingMode, static_cast<DWORD>(kScalingNone));
    EXPECT_EQ(initial.scalePercent, 100u);
    EXPECT_EQ(initial.offsetWidth, 4233);
    EXPECT_EQ(initial.offsetHeight, 4233);
    EXPECT_EQ(initial.alignment, 3u);
    EXPECT_EQ(initial.fitMedia.paperIndex, kLetterIndex);

    // Written twice, read back: one feature, the last values.
    ScalingSettings written;
    written.scalingMode = kScalingCustomSquare;
    ASSERT_EQ(Hex(Write(ticket.Get(), written)), Hex(S_OK));
    written.scalingMode = kScalingFitToPaper;
    written.scalePercent = 80;
    written.offsetWidth = -500;
    written.alignment = 7;
    written.fitMedia.paperIndex = kCustomPaperIndex;
    written.fitMedia.keyword = BstrOwner::Copy(L"CustomMediaSize");
    written.fitMedia.mediaWidth = 100000;
    written.fitMedia.mediaHeight = 150000;
    ASSERT_EQ(Hex(Write(ticket.Get(), written)), Hex(S_OK));
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageScaling']"), 1);
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"), 5);

    ScalingSettings read;
    ASSERT_EQ(Hex(Read(ticket.Get(), &read)), Hex(S_OK));
    EXPECT_EQ(read.scalingMode, static_cast<DWORD>(kScalingFitToPaper));
    EXPECT_EQ(read.scalePercent, 80u);
    EXPECT_EQ(read.offsetWidth, -500);
    EXPECT_EQ(read.offsetHeight, 4233);
    EXPECT_EQ(read.alignment, 7u);
    EXPECT_EQ(read.fitMedia.paperIndex, kCustomPaperIndex);
    EXPECT_EQ(read.fitMedia.mediaWidth, 100000);
    EXPECT_EQ(read.fitMedia.mediaHeight, 150000);

    // Back to a named paper: the custom parameters go with the old feature.
    written.fitMedia = MediaSizeSettings();
    ASSERT_EQ(Hex(Write(ticket.Get(), written)), Hex(S_OK));
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"), 3);
    EXPECT_EQ(SelectText(ticket.Get(), kFitName), "psk:NorthAmericaLetter");
}

TEST_F(ScalingTest, CapabilitiesListModesAlignmentsPapersAndLimits)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring feature = L"/f:PrintCapabilities/f:Feature[@name='psk:PageScaling']";
    const char* const modes[] = {"None",
                                 "FitToPaper",
                                 "CustomSquare",
                                 "FitApplicationBleedSizeToPageImageableSize",
                                 "FitApplicationContentSizeToPageImageableSize",
                                 "FitApplicationMediaSizeToPageImageableSize",
                                 "FitApplicationMediaSizeToPageMediaSize"};
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"), 7);
    for (const char* mode : modes) {
        SCOPED_TRACE(mode);
        std::wstring option = feature + L"/f:Option[@name='psk:" + std::wstring(mode, mode + strlen(mode)) + L"']";
        // Without a printer nothing is locked.
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
        EXPECT_EQ(SelectCount(capabilities.Get(), option + L"/f:ScoredProperty/f:ParameterRef"), 3);
    }
    EXPECT_EQ(SelectText(capabilities.Get(),
                         feature + L"/f:Option[@name='psk:FitToPaper']/f:Property[@name='psk:DisplayName']/f:Value"),
              "Fit to Paper Size");
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Feature[@name='psk:ScaleOffsetAlignment']/f:Option"), 9);

    long offered = 0;
    for (const PaperEntry& paper : kPapers) offered += paper.offered;
    const std::wstring fit = feature + L"/f:Feature[@name='psk:FitMediaSize']";
    EXPECT_EQ(SelectCount(capabilities.Get(), fit + L"/f:Option"), offered + 1);
    EXPECT_EQ(SelectCount(capabilities.Get(), fit + L"/f:Option[@name='kvpsk:OrganizerJ']"), 0);
    EXPECT_EQ(SelectCount(capabilities.Get(), fit + L"/f:Option[@name='kvpsk:A4Long']"), 1);
    EXPECT_EQ(SelectCount(capabilities.Get(), fit + L"/f:Option[@name='psk:CustomMediaSize']/f:ScoredProperty"), 2);

    struct Limit {
        const wchar_t* parameter;
        const char *minimum, *maximum, *unit;
    } limits[] = {
        {L"PageScalingScale", "25", "400", "percent"},
        {L"PageScalingOffsetWidth", "-14224000", "3556000", "microns"},
        {L"PageScalingOffsetHeight", "-14224000", "3556000", "microns"},
        {L"FitMediaSizeWidth", "76200", "215900", "microns"},
        {L"FitMediaSizeHeight", "116000", "406400", "microns"},
    };
    for (const Limit& l : limits) {
        SCOPED_TRACE(Narrow(l.parameter));
        std::wstring definition = std::wstring(L"/f:PrintCapabilities/f:ParameterDef[@name='psk:") + l.parameter + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MinValue']/f:Value"), l.minimum);
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MaxValue']/f:Value"), l.maximum);
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:UnitType']/f:Value"), l.unit);
    }
}

using MirrorImageTest = HandlerTest<CreateMirrorImageHandler>;

TEST_F(MirrorImageTest, BothSwitchesRoundTripAndLeaveTheOtherBits)
{
    struct Case {
        BYTE bits;
        const char* mirror;
        const char* reverse;
    } cases[] = {
        {0x00, "psk:None", "psk:Off"},
        {0x01, "psk:MirrorImageWidth", "psk:Off"},
        {0x02, "psk:None", "psk:On"},
        {0x03, "psk:MirrorImageWidth", "psk:On"},
        {0xFC, "psk:None", "psk:Off"},
        {0xFF, "psk:MirrorImageWidth", "psk:On"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits));
        DriverDevmode source = BlankDevmode();
        source.priv.imageProcess = c.bits;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), L"//f:Feature[@name='psk:PageMirrorImage']/f:Option/@name"), c.mirror);
        EXPECT_EQ(SelectText(ticket.Get(), L"//f:Feature[@name='psk:PageReverseImage']/f:Option/@name"), c.reverse);

        for (BYTE before : {0x00, 0xFF}) {
            DriverDevmode target = BlankDevmode();
            target.priv.imageProcess = before;
            ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
            EXPECT_EQ(target.priv.imageProcess, static_cast<BYTE>((before & ~0x03) | (c.bits & 0x03)));
        }
    }
}

TEST_F(MirrorImageTest, TicketChoicesTheDriverCannotMakeKeepTheDevModesBits)
{
    struct Case {
        const char* name;
        std::wstring body;
        BYTE before, after;
    } cases[] = {
        {"mirror across the height", FeatureXml(L"psk:PageMirrorImage", L"psk:MirrorImageHeight"), 0x01, 0x01},
        {"mirror across the height, none before", FeatureXml(L"psk:PageMirrorImage", L"psk:MirrorImageHeight"), 0x00,
         0x00},
        {"mirror across the width", FeatureXml(L"psk:PageMirrorImage", L"psk:MirrorImageWidth"), 0x02, 0x03},
        {"no mirror", FeatureXml(L"psk:PageMirrorImage", L"psk:None"), 0x03, 0x02},
        {"unknown mirror", FeatureXml(L"psk:PageMirrorImage", L"psk:Diagonal"), 0x01, 0x01},
        {"reverse on", FeatureXml(L"psk:PageReverseImage", L"psk:On"), 0x01, 0x03},
        {"reverse in our namespace", FeatureXml(L"psk:PageReverseImage", L"kvpsk:On"), 0x00, 0x00},
        {"nothing", L"", 0x03, 0x03},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = BlankDevmode();
        target.priv.imageProcess = c.before;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.imageProcess, c.after);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(MirrorImageTest, CapabilitiesListBothFeatures)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    struct Option {
        const wchar_t* feature;
        const wchar_t* option;
        const char* display;
    } options[] = {
        {L"PageMirrorImage", L"MirrorImageWidth", "Mirror Print"},
        {L"PageMirrorImage", L"MirrorImageHeight", "Mirror Print"},
        {L"PageMirrorImage", L"None", "None"},
        {L"PageReverseImage", L"Off", "OFF"},
        {L"PageReverseImage", L"On", "on"},
    };
    for (const Option& o : options) {
        SCOPED_TRACE(Narrow(o.option));
        std::wstring option = std::wstring(L"//f:Feature[@name='psk:") + o.feature + L"']/f:Option[@name='psk:" +
                              o.option + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value"), o.display);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
    }
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Option"), 5);
}

}  // namespace
