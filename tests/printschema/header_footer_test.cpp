// The date, time and name stamp of the page header or footer: the flags
// word with the fixed formats and with the language module's numbered
// formats, the font, colours and name, tickets with doubtful values, texts
// that do not fit the DEVMODE, and the capabilities.
#include "printschema/features/header_footer.h"

#include "core/module_entry.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const std::wstring kStamp = L"//f:Feature[@name='kvpsk:PageHeaderFooter']";

std::wstring SubOption(const wchar_t* feature)
{
    return kStamp + L"/f:Feature[@name='kvpsk:" + feature + L"']/f:Option";
}

std::wstring FormatText(const wchar_t* feature, const wchar_t* property)
{
    return SubOption(feature) + L"/f:Property[@name='kvpsk:" + property + L"']/f:Value";
}

std::wstring InitOf(const wchar_t* parameter)
{
    return std::wstring(L"/f:PrintTicket/f:ParameterInit[@name='kvpsk:") + parameter + L"']/f:Value";
}

std::wstring PropertyXml(const wchar_t* name, const std::wstring& value, const wchar_t* type)
{
    return std::wstring(L"<psf:Property name=\"kvpsk:") + name + L"\"><psf:Value xsi:type=\"xsd:" + type + L"\">" +
           value + L"</psf:Value></psf:Property>";
}

std::wstring Init(const wchar_t* parameter, const std::wstring& value, const wchar_t* type = L"integer")
{
    return ParameterInitXml(std::wstring(L"kvpsk:") + parameter, value, type);
}

DriverDevmode Devmode(DWORD flags)
{
    DriverDevmode record = BlankDevmode();
    ProcessorBlock& block = record.priv.processor;
    block.headerFooterFlags = flags;
    block.headerFooterFont.lfHeight = -11;
    block.headerFooterFont.lfWeight = FW_NORMAL;
    lstrcpyW(block.headerFooterFont.lfFaceName, L"Arial");
    return record;
}

using HeaderFooterTest = HandlerTest<CreateHeaderFooterHandler>;

// With the language module attached its numbered formats are available.
class NumberedFormatsTest : public HeaderFooterTest {
protected:
    void SetUp() override { ASSERT_TRUE(ModuleProcessAttach(GetModuleHandleW(nullptr))); }
    void TearDown() override { ModuleProcessDetach(); }
};

struct FormatCase {
    DWORD flags;
    const char *date, *dateTemplate, *dateOrder;
    const char *time, *timeTemplate, *timeOrder;
    DWORD back;   // the flags written back
};

void ExpectFormatsRoundTrip(FeatureHandler& handler, const FormatCase& c)
{
    char trace[32];
    snprintf(trace, sizeof trace, "flags 0x%04lx", c.flags);
    SCOPED_TRACE(trace);
    DriverDevmode source = Devmode(c.flags);
    ComPtr<IXMLDOMDocument2> ticket = TicketFrom(handler, source);
    EXPECT_EQ(SelectText(ticket.Get(), SubOption(L"DateFormat") + L"/@name"), c.date);
    EXPECT_EQ(SelectText(ticket.Get(), FormatText(L"DateFormat", L"StringFormat")), c.dateTemplate);
    EXPECT_EQ(SelectText(ticket.Get(), FormatText(L"DateFormat", L"DataFormat")), c.dateOrder);
    EXPECT_EQ(SelectText(ticket.Get(), SubOption(L"TimeFormat") + L"/@name"), c.time);
    EXPECT_EQ(SelectText(ticket.Get(), FormatText(L"TimeFormat", L"StringFormat")), c.timeTemplate);
    EXPECT_EQ(SelectText(ticket.Get(), FormatText(L"TimeFormat", L"DataFormat")), c.timeOrder);

    DriverDevmode target = Devmode(0x1234);
    ASSERT_EQ(Hex(HandlerToDevMode(handler, ticket.Get(), target)), Hex(S_OK));
    EXPECT_EQ(target.priv.processor.headerFooterFlags, c.back);
}

TEST_F(HeaderFooterTest, FixedFormatsRoundTripWithoutTheLanguageModule)
{
    const FormatCase cases[] = {
        {0x0000, "kvpsk:Type1", "%s,%ld %s %ld", "wdMy", "kvpsk:Type1", "%ld:%02ld:%02ld", "hms", 0x0000},
        {0x2100, "kvpsk:Type2", "%s,%ld/%ld/%ld", "wmdy", "kvpsk:Type2", "%ld:%02ld", "hm", 0x2100},
        {0x9000, "kvpsk:Type3", "%ld %s %ld", "dMy", "kvpsk:Type3", "%ld:%02ld:%02ld %s", "Hmsa", 0x9000},
        {0xB100, "kvpsk:Type4", "%ld/%ld/%ld", "mdy", "kvpsk:Type4", "%ld:%02ld %s", "Hma", 0xB100},
        {0xFF00, "kvpsk:None", "", "", "kvpsk:None", "", "", 0xFF00},
        // Codes no fixed format has read as the first ones.
        {0x4200, "kvpsk:Type1", "%s,%ld %s %ld", "wdMy", "kvpsk:Type1", "%ld:%02ld:%02ld", "hms", 0x0000},
        // Position, background and the on switch travel with the formats;
        // both position bits read as right.
        {0x808F, "kvpsk:Type3", "%ld %s %ld", "dMy", "kvpsk:Type1", "%ld:%02ld:%02ld", "hms", 0x808E},
    };
    for (const FormatCase& c : cases) ExpectFormatsRoundTrip(*handler_, c);
}

TEST_F(NumberedFormatsTest, NumberedFormatsComeFromTheLanguageModule)
{
    const FormatCase cases[] = {
        {0x0040, "kvpsk:Type1", "%s,%ld %s %ld", "wdMy", "kvpsk:Type1", "%ld:%02ld:%02ld", "hms", 0x0040},
        {0x8540, "kvpsk:Type5", "%ld/%ld/%ld", "dmy", "kvpsk:Type6", "%s %ld:%02ld", "aHm", 0x8540},
        {0xC740, "kvpsk:Type7", "%ld-%02ld-%02ld", "ymd", "kvpsk:Type8", "%ld.%02ld", "hm", 0xC740},
        // Date code 7 and time codes beyond 7 print nothing.
        {0xE840, "kvpsk:None", "", "", "kvpsk:None", "", "", 0xE840},
        {0x5F40, "kvpsk:Type3", "%ld %s %ld", "dMy", "kvpsk:None", "", "", 0x4840},
    };
    for (const FormatCase& c : cases) ExpectFormatsRoundTrip(*handler_, c);

    // Fixed codes read as before and are written as numbers.
    DriverDevmode fixed = Devmode(0xA100);
    ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, fixed);
    ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), fixed)), Hex(S_OK));
    EXPECT_EQ(fixed.priv.processor.headerFooterFlags, 0x6140u);
}

TEST_F(HeaderFooterTest, TicketChoicesReachTheFlags)
{
    const std::wstring stampOn = L"<psf:Feature name=\"kvpsk:PageHeaderFooter\"><psf:Option name=\"kvpsk:On\"/>";
    auto with = [&](const std::wstring& inner) { return stampOn + inner + L"</psf:Feature>"; };
    struct Case {
        const char* name;
        std::wstring body;
        DWORD flags;
    } cases[] = {
        {"no stamp feature: kept", L"", 0x9006},
        {"stamp on", with(L""), 0x9086},
        {"stamp off", FeatureXml(L"kvpsk:PageHeaderFooter", L"kvpsk:Off"), 0x9006},
        {"left, top, opaque",
         with(FeatureXml(L"kvpsk:PositionX", L"kvpsk:Left") + FeatureXml(L"kvpsk:PositionY", L"kvpsk:Top") +
              FeatureXml(L"kvpsk:Background", L"kvpsk:Opaque")),
         0x9088},
        {"centre", with(FeatureXml(L"kvpsk:PositionX", L"kvpsk:Center")), 0x9085},
        {"date and time by name",
         with(FeatureXml(L"kvpsk:DateFormat", L"kvpsk:Type4") + FeatureXml(L"kvpsk:TimeFormat", L"kvpsk:None")),
         0xBF86},
        // Without the language module Type5 has no fixed code: the first
        // format is stored.
        {"a numbered date without numbered formats", with(FeatureXml(L"kvpsk:DateFormat", L"kvpsk:Type5")), 0x1086},
        {"unknown options", with(FeatureXml(L"kvpsk:PositionX", L"kvpsk:Middle") +
                                 FeatureXml(L"kvpsk:DateFormat", L"psk:Type2")),
         0x9086},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = Devmode(0x9006);   // date 3, time 3, right, bottom
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.processor.headerFooterFlags, c.flags);
    }
}

TEST_F(HeaderFooterTest, FontColoursAndNameRoundTrip)
{
    struct Case {
        LONG height, weight;
        BYTE italic, underline, strikeOut, charSet;
        DWORD colour, back;             // COLORREF in the DEVMODE
        const char *ticketColour, *ticketBack;
        BYTE id;
        const char* idOption;
        BYTE backId;
    } cases[] = {
        {-11, FW_NORMAL, 0, 0, 0, 0, 0x000000FF, 0x00FFFFFF, "16711680", "16777215", 1, "kvpsk:UserName", 1},
        {12, FW_BOLD, 1, 1, 1, 128, 0x00123456, 0x00000000, "5649426", "0", 2, "kvpsk:Custom", 2},
        {-4, FW_HEAVY, 5, 0, 9, 2, 0x00FF0000, 0x0000FF00, "255", "65280", 0, "kvpsk:None", 0},
        {-8, FW_SEMIBOLD, 0, 1, 0, 255, 0x00010203, 0x00040506, "197121", "394500", 7, "kvpsk:None", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " " + std::to_string(c.weight));
        DriverDevmode source = Devmode(0x80);
        ProcessorBlock& block = source.priv.processor;
        LOGFONTW& font = block.headerFooterFont;
        font.lfHeight = c.height;
        font.lfWeight = c.weight;
        font.lfItalic = c.italic;
        font.lfUnderline = c.underline;
        font.lfStrikeOut = c.strikeOut;
        font.lfCharSet = c.charSet;
        lstrcpyW(font.lfFaceName, L"Courier New");
        block.headerFooterColor = c.colour;
        block.headerFooterBackColor = c.back;
        block.idWatermark = c.id;
        lstrcpyW(block.idWatermarkName, L"Accounts");

        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        const LONG size = c.height < 0 ? -c.height : c.height;
        const bool bold = c.weight >= FW_BOLD;
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterFontSize")), std::to_string(size));
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterFontBoldStyle")), bold ? "1" : "0");
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterFontItalicStyle")), c.italic ? "1" : "0");
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterFontUnderLine")), c.underline ? "1" : "0");
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterFontStruckOut")), c.strikeOut ? "1" : "0");
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterFontColor")), c.ticketColour);
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterBackgroundColor")), c.ticketBack);
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterCustomName")), "Accounts");
        EXPECT_EQ(SelectText(ticket.Get(), L"/f:PrintTicket/f:Property[@name='kvpsk:PageHeaderFooterFontName']/f:Value"),
                  "Courier New");
        EXPECT_EQ(SelectText(ticket.Get(),
                             L"/f:PrintTicket/f:Property[@name='kvpsk:PageHeaderFooterFontCharSet']/f:Value"),
                  std::to_string(c.charSet));
        EXPECT_EQ(SelectText(ticket.Get(), SubOption(L"IDPrint") + L"/@name"), c.idOption);

        DriverDevmode target = Devmode(0);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        const ProcessorBlock& back = target.priv.processor;
        EXPECT_EQ(back.headerFooterFont.lfHeight, -size);
        EXPECT_EQ(back.headerFooterFont.lfWeight, bold ? FW_BOLD : FW_NORMAL);
        EXPECT_EQ(back.headerFooterFont.lfItalic, c.italic ? 1 : 0);
        EXPECT_EQ(back.headerFooterFont.lfUnderline, c.underline ? 1 : 0);
        EXPECT_EQ(back.headerFooterFont.lfStrikeOut, c.strikeOut ? 1 : 0);
        EXPECT_EQ(back.headerFooterFont.lfCharSet, c.charSet);
        EXPECT_EQ(Narrow(back.headerFooterFont.lfFaceName), "Courier New");
        EXPECT_EQ(back.headerFooterColor, c.colour);
        EXPECT_EQ(back.headerFooterBackColor, c.back);
        EXPECT_EQ(back.idWatermark, c.backId);
        EXPECT_EQ(Narrow(back.idWatermarkName), "Accounts");
    }
}

// Stored texts that would make a malformed document are left out whole.
TEST_F(HeaderFooterTest, DoubtfulStoredTextsAreLeftOut)
{
    std::wstring fullName(64, L'n');   // fills the field, no terminator
    struct Case {
        const char* name;
        std::wstring face;
        std::wstring idName;
        std::string ticketFace, ticketName;
    } cases[] = {
        {"plain", L"Arial", L"Jo", "Arial", "Jo"},
        {"control character", L"Ari\x01" L"al", L"J\x9Fo", "", ""},
        {"lone high surrogate", L"A\xD800", L"Jo", "", "Jo"},
        {"a surrogate pair", L"A\xD83D\xDE00", L"Jo", Narrow(L"A\xD83D\xDE00"), "Jo"},
        {"reversed surrogates", L"\xDE00\xD83D", L"Jo", "", "Jo"},
        {"a full field", std::wstring(31, L'f'), fullName, std::string(31, 'f'), std::string(63, 'n')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriverDevmode source = Devmode(0);
        ProcessorBlock& block = source.priv.processor;
        wmemcpy(block.headerFooterFont.lfFaceName, c.face.c_str(), c.face.size() + 1);
        wmemcpy(block.idWatermarkName, c.idName.c_str(), std::min<size_t>(c.idName.size() + 1, 64));
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), L"//f:Property[@name='kvpsk:PageHeaderFooterFontName']/f:Value"),
                  c.ticketFace);
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PageHeaderFooterCustomName")), c.ticketName);
    }
}

TEST_F(HeaderFooterTest, TicketValuesOutsideTheirDefinitionsAreIgnored)
{
    std::wstring longText(64, L'x');
    struct Case {
        const char* name;
        std::wstring body;
        HRESULT result;
        LONG height;
        DWORD colour;
        BYTE italic;
        const char* face;
        const char* idName;
    } cases[] = {
        {"nothing", L"", S_OK, -10, 0x00112233, 0, "Arial", "Old"},
        {"smallest size", Init(L"PageHeaderFooterFontSize", L"4"), S_OK, -4, 0x00112233, 0, "Arial", "Old"},
        {"size too large", Init(L"PageHeaderFooterFontSize", L"13"), S_OK, -10, 0x00112233, 0, "Arial", "Old"},
        {"size too small", Init(L"PageHeaderFooterFontSize", L"3"), S_OK, -10, 0x00112233, 0, "Arial", "Old"},
        {"size not a number", Init(L"PageHeaderFooterFontSize", L"big", L"string"), S_OK, -10, 0x00112233, 0, "Arial",
         "Old"},
        {"white", Init(L"PageHeaderFooterFontColor", L"16777215"), S_OK, -10, 0x00FFFFFF, 0, "Arial", "Old"},
        {"colour out of range", Init(L"PageHeaderFooterFontColor", L"16777216"), S_OK, -10, 0x00112233, 0, "Arial",
         "Old"},
        {"italic", Init(L"PageHeaderFooterFontItalicStyle", L"1"), S_OK, -10, 0x00112233, 1, "Arial", "Old"},
        {"italic of two", Init(L"PageHeaderFooterFontItalicStyle", L"2"), S_OK, -10, 0x00112233, 0, "Arial", "Old"},
        {"names", PropertyXml(L"PageHeaderFooterFontName", L"Tahoma", L"string") +
                      Init(L"PageHeaderFooterCustomName", L"New", L"string"),
         S_OK, -10, 0x00112233, 0, "Tahoma", "New"},
        {"longest names", PropertyXml(L"PageHeaderFooterFontName", std::wstring(31, L'x'), L"string") +
                              Init(L"PageHeaderFooterCustomName", std::wstring(63, L'x'), L"string"),
         S_OK, -10, 0x00112233, 0, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
         "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        // Texts the DEVMODE cannot hold fail the call and change nothing.
        {"face too long", PropertyXml(L"PageHeaderFooterFontName", std::wstring(32, L'x'), L"string") +
                              Init(L"PageHeaderFooterFontSize", L"5"),
         HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), -10, 0x00112233, 0, "Arial", "Old"},
        {"name too long", Init(L"PageHeaderFooterCustomName", longText, L"string"),
         HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), -10, 0x00112233, 0, "Arial", "Old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriverDevmode target = Devmode(0x80);
        ProcessorBlock& block = target.priv.processor;
        block.headerFooterFont.lfHeight = -10;
        block.headerFooterColor = 0x00332211;
        lstrcpyW(block.idWatermarkName, L"Old");
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(c.result));
        EXPECT_EQ(block.headerFooterFont.lfHeight, c.height);
        EXPECT_EQ(block.headerFooterColor, ((c.colour & 0xFF) << 16) | (c.colour & 0xFF00) | (c.colour >> 16));
        EXPECT_EQ(block.headerFooterFont.lfItalic, c.italic);
        EXPECT_EQ(Narrow(block.headerFooterFont.lfFaceName), c.face);
        EXPECT_EQ(Narrow(block.idWatermarkName), c.idName);
        EXPECT_EQ(block.headerFooterFlags, 0x80u);
    }
}

struct CapabilityCheck {
    std::wstring query;
    const char* expected;
};

void ExpectCapabilities(FeatureHandler& handler, const CapabilityCheck* checks, size_t count)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(handler);
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(SelectText(capabilities.Get(), checks[i].query), checks[i].expected) << Narrow(checks[i].query);
}

std::wstring CapabilityOption(const wchar_t* feature, const wchar_t* option)
{
    return std::wstring(L"//f:Feature[@name='kvpsk:") + feature + L"']/f:Option[@name='kvpsk:" + option + L"']";
}

std::wstring Shown(const wchar_t* feature, const wchar_t* option)
{
    return CapabilityOption(feature, option) + L"/f:Property[@name='psk:DisplayName']/f:Value";
}

std::wstring Definition(const wchar_t* parameter, const wchar_t* property)
{
    return std::wstring(L"/f:PrintCapabilities/f:ParameterDef[@name='kvpsk:") + parameter +
           L"']/f:Property[@name='psf:" + property + L"']/f:Value";
}

TEST_F(NumberedFormatsTest, CapabilitiesNameTheNumberedFormats)
{
    const CapabilityCheck checks[] = {
        {Shown(L"PageHeaderFooter", L"On"), "On"},
        {Shown(L"PageHeaderFooter", L"Off"), "Off"},
        {Shown(L"DateFormat", L"Type1"), "Mon,16 Apr 2001"},
        {Shown(L"DateFormat", L"Type5"), "16/4/2001"},
        {Shown(L"DateFormat", L"Type7"), "2001-04-16"},
        {Shown(L"DateFormat", L"None"), "None"},
        {Shown(L"TimeFormat", L"Type3"), "7:49:43 PM"},
        {Shown(L"TimeFormat", L"Type8"), "19.49"},
        {Shown(L"TimeFormat", L"None"), "None"},
        {Shown(L"IDPrint", L"UserName"), "Login User Name"},
        {Shown(L"IDPrint", L"Custom"), "Custom"},
        {Shown(L"IDPrint", L"None"), "None"},
        {CapabilityOption(L"PositionX", L"Center") + L"/@constrained", "psk:None"},
        {CapabilityOption(L"PositionY", L"Bottom") + L"/@constrained", "psk:None"},
        {CapabilityOption(L"Background", L"Opaque") + L"/@constrained", "psk:None"},
        {Definition(L"PageHeaderFooterFontSize", L"DefaultValue"), "11"},
        {Definition(L"PageHeaderFooterFontSize", L"MinValue"), "4"},
        {Definition(L"PageHeaderFooterFontSize", L"MaxValue"), "12"},
        {Definition(L"PageHeaderFooterFontSize", L"UnitType"), "Points"},
        {Definition(L"PageHeaderFooterFontColor", L"MaxValue"), "16777215"},
        {Definition(L"PageHeaderFooterFontColor", L"UnitType"), "sRGB"},
        {Definition(L"PageHeaderFooterBackgroundColor", L"DefaultValue"), "16777215"},
        {Definition(L"PageHeaderFooterFontStruckOut", L"MaxValue"), "1"},
        {Definition(L"PageHeaderFooterFontUnderLine", L"UnitType"), "boolean"},
        {Definition(L"PageHeaderFooterFontItalicStyle", L"Multiple"), "1"},
        {Definition(L"PageHeaderFooterFontBoldStyle", L"MinValue"), "0"},
        {Definition(L"PageHeaderFooterCustomName", L"MaxLength"), "31"},
        {Definition(L"PageHeaderFooterCustomName", L"MinLength"), "0"},
        {Definition(L"PageHeaderFooterCustomName", L"UnitType"), "Characters"},
    };
    ExpectCapabilities(*handler_, checks, ARRAYSIZE(checks));

    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const struct {
        const wchar_t* feature;
        long options;
    } counts[] = {{L"PageHeaderFooter", 2}, {L"DateFormat", 8}, {L"TimeFormat", 9}, {L"IDPrint", 3},
                  {L"PositionX", 3},        {L"PositionY", 2},  {L"Background", 2}};
    for (const auto& c : counts)
        EXPECT_EQ(SelectCount(capabilities.Get(), std::wstring(L"//f:Feature[@name='kvpsk:") + c.feature + L"']/f:Option"),
                  c.options)
            << Narrow(c.feature);
    // The six sub-features belong to the stamp.
    EXPECT_EQ(SelectCount(capabilities.Get(), kStamp + L"/f:Feature"), 6);
    EXPECT_EQ(SelectCount(capabilities.Get(), L"/f:PrintCapabilities/f:ParameterDef"), 8);
}

TEST_F(HeaderFooterTest, WithoutNumberedFormatsOnlyTheFixedOnesAreOffered)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    for (const wchar_t* feature : {L"DateFormat", L"TimeFormat"}) {
        SCOPED_TRACE(Narrow(feature));
        const std::wstring options = kStamp + L"//f:Feature[@name='kvpsk:" + feature + L"']/f:Option";
        EXPECT_EQ(SelectCount(capabilities.Get(), options), 5);
        EXPECT_EQ(SelectCount(capabilities.Get(), options + L"[@name='kvpsk:Type4']"), 1);
        EXPECT_EQ(SelectCount(capabilities.Get(), options + L"[@name='kvpsk:Type5']"), 0);
        EXPECT_EQ(SelectCount(capabilities.Get(), options + L"[@name='kvpsk:None']"), 1);
    }
    EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, NewTicket().Get())), Hex(S_PT_NO_CONFLICT));
}

} // namespace
