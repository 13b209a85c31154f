// Media type and paper sources between the DEVMODE and PrintTicket /
// PrintCapabilities documents: every type on ordinary paper and on
// postcards, every source for the first and the other pages, names in the
// wrong namespace, validation and capabilities.
#include "printschema/features/input_bin.h"
#include "printschema/features/media_type.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

constexpr short kPostcard = 43;

// What the capabilities must offer, from the product's list of media.
struct ExpectedMedia {
    const char* option;     // as written, prefix included
    const char* display;
    const char* material;
    const char* recycled;
    WORD        code;       // stored in the DEVMODE
};
const ExpectedMedia kOfferedMedia[] = {
    {"psk:Plain", "Plain Paper", "Paper", "None", 0},
    {"psk:Bond", "Bond Paper", "Paper", "None", 5},
    {"psk:EnvelopePlain", "Envelope", "Paper", "None", 6},
    {"kvpsk:EnvelopeThick", "Env. Thick", "Paper", "None", 7},
    {"kvpsk:EnvelopeThin", "Env. Thin", "Paper", "None", 8},
    {"kvpsk:Thin", "Thin Paper", "Paper", "None", 4},
    {"kvpsk:Thick", "Thick Paper", "Paper", "None", 1},
    {"kvpsk:Thicker", "Thicker Paper", "Paper", "None", 2},
    {"psk:Transparency", "Transparencies", "Transparency", "None", 3},
    {"kvpsk:RecyclePaper", "Recycled Paper", "Paper", "Standard", 9},
};

const wchar_t kMediaOption[] = L"/f:PrintTicket/f:Feature[@name='psk:PageMediaType']/f:Option";

std::wstring MediaValue(const wchar_t* property)
{
    return std::wstring(kMediaOption) + L"/f:ScoredProperty[@name='psk:" + property + L"']/f:Value";
}

std::wstring MediaTypeXml(const std::wstring& option)
{
    return FeatureXml(L"psk:PageMediaType", option);
}

std::wstring PaperXml(const std::wstring& option)
{
    return FeatureXml(L"psk:PageMediaSize", option);
}

DriverDevmode MediaDevmode(short paper, WORD mediaType, WORD postcardMediaType)
{
    DriverDevmode record = BlankDevmode();
    record.pub.dmPaperSize = paper;
    record.pub.dmOrientation = DMORIENT_PORTRAIT;
    record.pub.dmMediaType = 0xEEEE;
    record.priv.mediaType = mediaType;
    record.priv.postcardMediaType = postcardMediaType;
    return record;
}

using MediaTypeTest = HandlerTest<CreateMediaTypeHandler>;

// Each type stored for ordinary paper and for postcards, the other field
// holding something else, goes to the ticket and back into the field of the
// paper.
TEST_F(MediaTypeTest, EveryOfferedTypeRoundTripsOnBothKindsOfPaper)
{
    const WORD other = 2;   // Thicker, never the one under test below
    for (const ExpectedMedia& media : kOfferedMedia) {
        for (short paper : {short(DMPAPER_A4), kPostcard}) {
            SCOPED_TRACE(std::string(media.option) + (paper == kPostcard ? " on postcards" : " on A4"));
            bool postcard = paper == kPostcard;
            WORD unrelated = media.code == other ? 0 : other;
            DriverDevmode source = MediaDevmode(paper, postcard ? unrelated : media.code,
                                                postcard ? media.code : unrelated);
            ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
            EXPECT_EQ(SelectCount(ticket.Get(), kMediaOption), 1);
            EXPECT_EQ(SelectText(ticket.Get(), std::wstring(kMediaOption) + L"/@name"), media.option);
            EXPECT_EQ(SelectText(ticket.Get(), MediaValue(L"Material")), media.material);
            EXPECT_EQ(SelectText(ticket.Get(), MediaValue(L"Recycled")), media.recycled);
            EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));

            DriverDevmode target = MediaDevmode(paper, 0xAAAA, 0xBBBB);
            ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
            EXPECT_EQ(target.pub.dmMediaType, media.code);
            EXPECT_EQ(target.priv.postcardMediaType, postcard ? media.code : 0xBBBB);
            EXPECT_EQ(target.priv.mediaType, postcard ? 0xAAAA : media.code);
            EXPECT_EQ(target.pub.dmPaperSize, paper);
        }
    }
}

TEST_F(MediaTypeTest, TheStoredTypeIsTheOneOfTheCurrentPaper)
{
    struct Case {
        short       paper;
        WORD        mediaType, postcardMediaType;
        const char* option;
    } cases[] = {
        {kPostcard, 0, 1, "kvpsk:Thick"},
        {DMPAPER_A4, 0, 1, "psk:Plain"},
        {DMPAPER_USER, 3, 0, "psk:Transparency"},
        // Values that are none of ours read as Plain.
        {DMPAPER_A4, 10, 0, "psk:Plain"},
        {DMPAPER_A4, 0xFFFF, 0, "psk:Plain"},
        {kPostcard, 9, 12, "psk:Plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.paper) + ": " + std::to_string(c.mediaType) + "/" +
                     std::to_string(c.postcardMediaType));
        DriverDevmode source = MediaDevmode(c.paper, c.mediaType, c.postcardMediaType);
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), std::wstring(kMediaOption) + L"/@name"), c.option);
    }
}

// The ticket's paper, or the DEVMODE's when the ticket names none, decides
// which field takes the type; names we cannot use change nothing or fall
// back to Plain.
TEST_F(MediaTypeTest, TicketTypesLandInTheFieldOfThePaper)
{
    const WORD kept = 5;   // Bond in both fields before the conversion
    struct Case {
        const char*  name;
        std::wstring body;
        short        paper;   // of the DEVMODE before
        WORD         dmMediaType, mediaType, postcardMediaType;
    } cases[] = {
        {"postcard named in the ticket", MediaTypeXml(L"kvpsk:Thick") + PaperXml(L"psk:JapanHagakiPostcard"),
         DMPAPER_A4, 1, kept, 1},
        {"postcard of the DEVMODE", MediaTypeXml(L"kvpsk:Thick"), kPostcard, 1, kept, 1},
        {"the ticket's A4 over a postcard", MediaTypeXml(L"kvpsk:Thick") + PaperXml(L"psk:ISOA4"), kPostcard, 1, 1,
         kept},
        {"custom size", MediaTypeXml(L"psk:Transparency") + PaperXml(L"psk:CustomMediaSize"), DMPAPER_USER, 3, 3,
         kept},
        {"ours named as a keyword", MediaTypeXml(L"psk:Thick"), DMPAPER_A4, 0, 0, kept},
        {"a keyword named as ours", MediaTypeXml(L"kvpsk:Bond"), kPostcard, 0, kept, 0},
        {"not offered", MediaTypeXml(L"psk:CardStock"), DMPAPER_A4, kept, kept, kept},
        {"unknown", MediaTypeXml(L"psk:Cardboard"), DMPAPER_A4, kept, kept, kept},
        {"no media type", PaperXml(L"psk:JapanHagakiPostcard"), DMPAPER_A4, kept, kept, kept},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = MediaDevmode(c.paper, kept, kept);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.pub.dmMediaType, c.dmMediaType);
        EXPECT_EQ(target.priv.mediaType, c.mediaType);
        EXPECT_EQ(target.priv.postcardMediaType, c.postcardMediaType);
        // The paper is the media size handler's to write.
        EXPECT_EQ(target.pub.dmPaperSize, c.paper);
    }
}

TEST_F(MediaTypeTest, ValidationRewritesMissingAndMisnamedTypesAsPlain)
{
    struct Case {
        const char*  name;
        std::wstring body;
        HRESULT      first;
        const char*  option;   // after validation
    } cases[] = {
        {"no media type", L"", S_PT_CONFLICT_RESOLVED, "psk:Plain"},
        {"ours named as a keyword", MediaTypeXml(L"psk:Thick"), S_PT_CONFLICT_RESOLVED, "psk:Plain"},
        {"a keyword named as ours", MediaTypeXml(L"kvpsk:Transparency"), S_PT_CONFLICT_RESOLVED, "psk:Plain"},
        {"ours", MediaTypeXml(L"kvpsk:Thick"), S_PT_NO_CONFLICT, "kvpsk:Thick"},
        {"a keyword", MediaTypeXml(L"psk:Transparency"), S_PT_NO_CONFLICT, "psk:Transparency"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.first));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageMediaType']"), 1);
        EXPECT_EQ(SelectText(ticket.Get(), std::wstring(kMediaOption) + L"/@name"), c.option);
        if (c.first == S_PT_CONFLICT_RESOLVED) {
            EXPECT_EQ(SelectText(ticket.Get(), MediaValue(L"Material")), "Paper");
            EXPECT_EQ(SelectText(ticket.Get(), MediaValue(L"Recycled")), "None");
        }
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(MediaTypeTest, CapabilitiesListEveryOfferedTypeWithItsDescription)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring feature = L"/f:PrintCapabilities/f:Feature[@name='psk:PageMediaType']";
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']/f:Value"),
              "Media Type");
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psf:SelectionType']/f:Value"),
              "psk:PickOne");
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"),
              static_cast<long>(sizeof kOfferedMedia / sizeof kOfferedMedia[0]));
    for (const ExpectedMedia& media : kOfferedMedia) {
        SCOPED_TRACE(media.option);
        std::wstring option = feature + L"/f:Option[@name='" + std::wstring(media.option, media.option +
                                                                              strlen(media.option)) + L"']";
        EXPECT_EQ(SelectCount(capabilities.Get(), option), 1);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value"),
                  media.display);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:ScoredProperty[@name='psk:Material']/f:Value"),
                  media.material);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:ScoredProperty[@name='psk:Recycled']/f:Value"),
                  media.recycled);
    }
}

// The input bin slots as the ticket names them.
const wchar_t kFirstOption[] = L"/f:PrintTicket/f:Feature[@name='psk:PageInputBin']/f:Option/@name";
const wchar_t kOtherOption[] = L"/f:PrintTicket/f:Feature[@name='kvpsk:JobInput2ndBin']/f:Option/@name";

struct Trays {
    short dmDefaultSource;
    WORD  tray, anotherTray;
    BYTE  traySeparateMode;
};

DriverDevmode TrayDevmode(const Trays& trays)
{
    DriverDevmode record = BlankDevmode();
    record.pub.dmDefaultSource = trays.dmDefaultSource;
    record.priv.tray = trays.tray;
    record.priv.anotherTray = trays.anotherTray;
    record.priv.traySeparateMode = trays.traySeparateMode;
    return record;
}

void ExpectTrays(const DriverDevmode& record, const Trays& expected)
{
    EXPECT_EQ(record.pub.dmDefaultSource, expected.dmDefaultSource);
    EXPECT_EQ(record.priv.tray, expected.tray);
    EXPECT_EQ(record.priv.anotherTray, expected.anotherTray);
    EXPECT_EQ(record.priv.traySeparateMode, expected.traySeparateMode);
}

using InputBinTest = HandlerTest<CreateInputBinHandler>;

TEST_F(InputBinTest, SourcesRoundTripForBothSlots)
{
    struct Case {
        Trays       source;
        const char* first;
        const char* other;
        Trays       back;   // written over kElsewhere
    } cases[] = {
        {{DMBIN_AUTO, 7, 7, 0}, "psk:AutoSelect", "kvpsk:SameTray", {DMBIN_AUTO, 7, 7, 0}},
        {{DMBIN_UPPER, 1, 1, 0}, "kvpsk:Tray1", "kvpsk:SameTray", {DMBIN_UPPER, 1, 7, 0}},
        {{DMBIN_MANUAL, 4, 1, 1}, "psk:Manual", "kvpsk:Tray1", {DMBIN_MANUAL, 4, 1, 1}},
        {{DMBIN_UPPER, 1, 4, 1}, "kvpsk:Tray1", "psk:Manual", {DMBIN_UPPER, 1, 4, 1}},
        {{DMBIN_AUTO, 7, 4, 1}, "psk:AutoSelect", "psk:Manual", {DMBIN_AUTO, 7, 4, 1}},
        // The same tray for both is not feeding apart.
        {{DMBIN_UPPER, 1, 1, 1}, "kvpsk:Tray1", "kvpsk:Tray1", {DMBIN_UPPER, 1, 1, 0}},
        {{DMBIN_UPPER, 1, 7, 1}, "kvpsk:Tray1", "kvpsk:SameTray", {DMBIN_UPPER, 1, 7, 0}},
        // Without separate feeding anotherTray is not looked at.
        {{DMBIN_MANUAL, 4, 1, 0}, "psk:Manual", "kvpsk:SameTray", {DMBIN_MANUAL, 4, 7, 0}},
        {{DMBIN_MANUAL, 4, 1, 2}, "psk:Manual", "kvpsk:SameTray", {DMBIN_MANUAL, 4, 7, 0}},
        // Sources the printers do not offer here, or no source at all.
        {{DMBIN_LOWER, 2, 2, 1}, "psk:AutoSelect", "kvpsk:SameTray", {DMBIN_AUTO, 7, 7, 0}},
        {{258, 258, 258, 1}, "psk:AutoSelect", "kvpsk:SameTray", {DMBIN_AUTO, 7, 7, 0}},
        {{99, 99, 99, 1}, "psk:AutoSelect", "kvpsk:SameTray", {DMBIN_AUTO, 7, 7, 0}},
    };
    const Trays elsewhere = {DMBIN_LOWER, 2, 2, 1};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.source.dmDefaultSource) + "/" + std::to_string(c.source.anotherTray) + "/" +
                     std::to_string(c.source.traySeparateMode));
        DriverDevmode source = TrayDevmode(c.source);
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), kFirstOption), c.first);
        EXPECT_EQ(SelectText(ticket.Get(), kOtherOption), c.other);
        EXPECT_EQ(SelectCount(ticket.Get(), L"/f:PrintTicket/f:Feature"), 2);

        DriverDevmode target = TrayDevmode(elsewhere);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        ExpectTrays(target, c.back);
    }
}

TEST_F(InputBinTest, TicketSourcesOverrideOnlyWhatTheyCanName)
{
    const Trays before = {DMBIN_UPPER, 1, 4, 1};   // Tray1, the other pages from Manual
    const std::wstring second = L"kvpsk:JobInput2ndBin";
    struct Case {
        const char*  name;
        std::wstring body;
        Trays        after;
    } cases[] = {
        {"first page Manual", FeatureXml(L"psk:PageInputBin", L"psk:Manual"), {DMBIN_MANUAL, 4, 4, 0}},
        {"first page AutoSelect", FeatureXml(L"psk:PageInputBin", L"psk:AutoSelect"), {DMBIN_AUTO, 7, 4, 1}},
        {"a tray not offered", FeatureXml(L"psk:PageInputBin", L"kvpsk:Tray3"), before},
        {"a name we do not know", FeatureXml(L"psk:PageInputBin", L"psk:Tray9"), before},
        {"ours named as a keyword", FeatureXml(L"psk:PageInputBin", L"psk:Tray1"), {DMBIN_AUTO, 7, 4, 1}},
        {"a keyword named as ours", FeatureXml(L"psk:PageInputBin", L"kvpsk:Manual"), {DMBIN_AUTO, 7, 4, 1}},
        {"other pages SameTray", FeatureXml(second, L"kvpsk:SameTray"), {DMBIN_UPPER, 1, 7, 0}},
        {"other pages Tray1", FeatureXml(second, L"kvpsk:Tray1"), {DMBIN_UPPER, 1, 1, 0}},
        {"other pages AutoSelect, not offered", FeatureXml(second, L"psk:AutoSelect"), before},
        {"other pages, ours as a keyword", FeatureXml(second, L"psk:Tray1"), {DMBIN_UPPER, 1, 7, 0}},
        {"other pages as a keyword feature", FeatureXml(L"psk:JobInput2ndBin", L"kvpsk:SameTray"), before},
        {"both", FeatureXml(L"psk:PageInputBin", L"psk:Manual") + FeatureXml(second, L"kvpsk:Tray1"),
         {DMBIN_MANUAL, 4, 1, 1}},
        {"neither", L"", before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = TrayDevmode(before);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        ExpectTrays(target, c.after);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(InputBinTest, WritingReplacesTheTicketsSources)
{
    ComPtr<IXMLDOMDocument2> ticket =
        NewTicket(FeatureXml(L"psk:PageInputBin", L"psk:AutoSelect") +
                  FeatureXml(L"kvpsk:JobInput2ndBin", L"kvpsk:Tray1") +
                  FeatureXml(L"psk:PageInputBin", L"psk:Manual"));
    DriverDevmode source = TrayDevmode({DMBIN_UPPER, 1, 4, 1});
    ASSERT_EQ(Hex(HandlerToTicket(*handler_, source, ticket.Get())), Hex(S_OK));
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageInputBin']"), 1);
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='kvpsk:JobInput2ndBin']"), 1);
    EXPECT_EQ(SelectText(ticket.Get(), kFirstOption), "kvpsk:Tray1");
    EXPECT_EQ(SelectText(ticket.Get(), kOtherOption), "psk:Manual");
}

TEST_F(InputBinTest, CapabilitiesListTheSourcesOfEachSlot)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    struct Slot {
        const wchar_t* feature;
        const char*    display;
        struct {
            const wchar_t* option;
            const char*    display;
        } options[3];
    } slots[] = {
        {L"psk:PageInputBin",
         "Paper Source",
         {{L"psk:AutoSelect", "Auto Select"}, {L"kvpsk:Tray1", "Tray1"}, {L"psk:Manual", "Manual"}}},
        {L"kvpsk:JobInput2ndBin",
         "Other Pages",
         {{L"kvpsk:SameTray", "Same as First page"}, {L"kvpsk:Tray1", "Tray1"}, {L"psk:Manual", "Manual"}}},
    };
    for (const Slot& slot : slots) {
        SCOPED_TRACE(Narrow(slot.feature));
        std::wstring feature = std::wstring(L"/f:PrintCapabilities/f:Feature[@name='") + slot.feature + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']/f:Value"),
                  slot.display);
        EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psf:SelectionType']/f:Value"),
                  "psk:PickOne");
        EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"), 3);
        for (size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(Narrow(slot.options[i].option));
            // In table order.
            std::wstring option = feature + L"/f:Option[" + std::to_wstring(i + 1) + L"]";
            EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@name"), Narrow(slot.options[i].option));
            EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
            EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value"),
                      slot.options[i].display);
        }
    }
}

TEST(MediaAndSourceArgumentsTest, ShortOrMissingBuffersAreRefused)
{
    ComPtr<IXMLDOMDocument2> ticket =
        NewTicket(MediaTypeXml(L"kvpsk:Thick") + FeatureXml(L"psk:PageInputBin", L"psk:Manual"));
    DriverDevmode record = MediaDevmode(DMPAPER_A4, 5, 5);
    record.pub.dmDefaultSource = DMBIN_UPPER;
    ExpectArgumentsChecked(*CreateMediaTypeHandler(kTestPrivateUri), ticket.Get(), record);
    ExpectArgumentsChecked(*CreateInputBinHandler(kTestPrivateUri), ticket.Get(), record);
}

} // namespace
