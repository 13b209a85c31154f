// The document-type preset with its graphics quality and gray adjustments,
// and the toner-save group: DEVMODE fields to private ticket features and
// back, what tickets without them or with doubtful values do, and the
// capabilities' choices.
#include "printschema/features/print_setting.h"
#include "printschema/features/toner_save.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

std::wstring OptionOf(const wchar_t* feature)
{
    return std::wstring(L"//f:Feature[@name='kvpsk:") + feature + L"']/f:Option/@name";
}

std::wstring InitOf(const wchar_t* parameter)
{
    return std::wstring(L"/f:PrintTicket/f:ParameterInit[@name='kvpsk:") + parameter + L"']/f:Value";
}

std::wstring Init(const wchar_t* parameter, const wchar_t* value, const wchar_t* type = L"integer")
{
    return ParameterInitXml(std::wstring(L"kvpsk:") + parameter, value, type);
}

class PrintSettingTest : public ::testing::Test {
protected:
    std::unique_ptr<FeatureHandler> handler_ = CreatePrintSettingHandler(kTestPrivateUri);

    static DriverDevmode Devmode(BYTE defaultSet, DWORD renderFlags, WORD low, WORD high)
    {
        DriverDevmode record = BlankDevmode();
        record.priv.defaultSet = defaultSet;
        record.priv.renderFlags = renderFlags;
        record.priv.grayLevelLow = low;
        record.priv.grayLevelHigh = high;
        return record;
    }
};

TEST_F(PrintSettingTest, DevModeSettingsRoundTripThroughTheTicket)
{
    const DWORD other = kRenderPrinterFonts | kRenderImproveGray;   // bits of other features
    struct Case {
        BYTE defaultSet;
        DWORD dither;
        SHORT low, high;
        const char* preset;
        const char* quality;
        int brightness, contrast;
        BYTE backSet;
        DWORD backDither;
    } cases[] = {
        {1, 0, 0, 0, "kvpsk:General", "kvpsk:Photo", 0, 0, 1, 0},
        {2, kRenderDitherType1, 64, -64, "kvpsk:Graphics", "kvpsk:Graphics", 64, -64, 2, kRenderDitherType1},
        {3, kRenderDitherType2, -64, 64, "kvpsk:OfficeDocument", "kvpsk:Chart", -64, 64, 3, kRenderDitherType2},
        {0, 0, 10, -10, "kvpsk:Manual", "kvpsk:Photo", 10, -10, 0, 0},
        // Out of range: an unknown preset is general, both dither bits are
        // photo, adjustments beyond 64 are none.
        {7, kRenderDitherType1 | kRenderDitherType2, 80, -65, "kvpsk:General", "kvpsk:Photo", 0, 0, 1, 0},
        {255, 0, 32767, -32768, "kvpsk:General", "kvpsk:Photo", 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + " " + c.quality + " " + std::to_string(c.low));
        DriverDevmode source = Devmode(c.defaultSet, c.dither | other, static_cast<WORD>(c.low),
                                       static_cast<WORD>(c.high));
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), OptionOf(L"PagePrintSetting")), c.preset);
        // The graphics quality belongs to the preset's feature.
        EXPECT_EQ(SelectText(ticket.Get(),
                             L"//f:Feature[@name='kvpsk:PagePrintSetting']/f:Feature[@name='kvpsk:PageGraphicsQuality']"
                             L"/f:Option/@name"),
                  c.quality);
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PagePrintSettingBrightness")), std::to_string(c.brightness));
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"PagePrintSettingContrast")), std::to_string(c.contrast));

        DriverDevmode target = Devmode(2, kRenderDitherType2, 5, 5);
        target.priv.renderFlags |= kRenderAlways;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.defaultSet, c.backSet);
        EXPECT_EQ(target.priv.renderFlags, c.backDither | kRenderAlways);
        EXPECT_EQ(static_cast<SHORT>(target.priv.grayLevelLow), c.brightness);
        EXPECT_EQ(static_cast<SHORT>(target.priv.grayLevelHigh), c.contrast);
    }
}

TEST_F(PrintSettingTest, TicketsChangeOnlyWhatTheyNameWell)
{
    const std::wstring graphics = L"<psf:Feature name=\"kvpsk:PagePrintSetting\"><psf:Option name=\"kvpsk:Graphics\"/>"
                                  L"<psf:Feature name=\"kvpsk:PageGraphicsQuality\">"
                                  L"<psf:Option name=\"kvpsk:Chart\"/></psf:Feature></psf:Feature>";
    struct Case {
        const char* name;
        std::wstring body;
        BYTE defaultSet;
        DWORD dither;
        SHORT low, high;
    } cases[] = {
        {"empty ticket", L"", 0, kRenderDitherType1, 20, -20},
        {"preset and quality", graphics, 2, kRenderDitherType2, 20, -20},
        {"general", FeatureXml(L"kvpsk:PagePrintSetting", L"kvpsk:General"), 1, kRenderDitherType1, 20, -20},
        {"unknown preset", FeatureXml(L"kvpsk:PagePrintSetting", L"kvpsk:Vivid"), 0, kRenderDitherType1, 20, -20},
        {"preset in the keywords namespace", FeatureXml(L"kvpsk:PagePrintSetting", L"psk:General"), 0,
         kRenderDitherType1, 20, -20},
        {"feature in the keywords namespace", FeatureXml(L"psk:PagePrintSetting", L"kvpsk:General"), 0,
         kRenderDitherType1, 20, -20},
        {"quality alone", FeatureXml(L"kvpsk:PageGraphicsQuality", L"kvpsk:Photo"), 0, 0, 20, -20},
        {"adjustments", Init(L"PagePrintSettingBrightness", L"-64") + Init(L"PagePrintSettingContrast", L"64"), 0,
         kRenderDitherType1, -64, 64},
        {"adjustments out of range", Init(L"PagePrintSettingBrightness", L"65") +
                                         Init(L"PagePrintSettingContrast", L"-1000"),
         0, kRenderDitherType1, 20, -20},
        {"adjustment not a number", Init(L"PagePrintSettingBrightness", L"bright", L"string"), 0, kRenderDitherType1, 0,
         -20},
        {"adjustment of another namespace", ParameterInitXml(L"psk:PagePrintSettingBrightness", L"3"), 0,
         kRenderDitherType1, 20, -20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = Devmode(0, kRenderDitherType1, 20, static_cast<WORD>(-20));
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.defaultSet, c.defaultSet);
        EXPECT_EQ(target.priv.renderFlags, c.dither);
        EXPECT_EQ(static_cast<SHORT>(target.priv.grayLevelLow), c.low);
        EXPECT_EQ(static_cast<SHORT>(target.priv.grayLevelHigh), c.high);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

class TonerSaveTest : public ::testing::Test {
protected:
    std::unique_ptr<FeatureHandler> handler_ = CreateTonerSaveHandler(kTestPrivateUri);

    static DriverDevmode Devmode(WORD economy, WORD paperHandling, WORD biasOn, SHORT biasValue)
    {
        DriverDevmode record = BlankDevmode();
        record.priv.economy = economy;
        record.priv.paperHandling = paperHandling;
        record.priv.biasOn = biasOn;
        record.priv.biasValue = biasValue;
        return record;
    }
};

TEST_F(TonerSaveTest, DevModeSettingsRoundTripThroughTheTicket)
{
    constexpr WORD kOtherHandling = 0x0100;   // a bit of no feature here
    struct Case {
        WORD economy, handling, biasOn;
        SHORT biasValue;
        const char *toner, *density, *curl, *fixing;
        int setting;
        WORD backEconomy, backBiasOn;
    } cases[] = {
        {0, 0, 1, 0, "kvpsk:Off", "kvpsk:PrinterDefault", "kvpsk:Off", "kvpsk:Off", 0, 0, 1},
        {1, 1, 0, 6, "kvpsk:On", "kvpsk:Manual", "kvpsk:On", "kvpsk:Off", 6, 1, 0},
        {0, 2, 2, -6, "kvpsk:Off", "kvpsk:Manual", "kvpsk:Off", "kvpsk:On", -6, 0, 0},
        {1, 3, 1, 3, "kvpsk:On", "kvpsk:PrinterDefault", "kvpsk:On", "kvpsk:On", 3, 1, 1},
        // Out of range: an unknown economy code is off, densities beyond 6
        // are none.
        {5, 0, 0, -7, "kvpsk:Off", "kvpsk:Manual", "kvpsk:Off", "kvpsk:Off", 0, 0, 0},
        {0, 0, 1, 7, "kvpsk:Off", "kvpsk:PrinterDefault", "kvpsk:Off", "kvpsk:Off", 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.economy) + " " + std::to_string(c.handling) + " " + std::to_string(c.biasOn) +
                     " " + std::to_string(c.biasValue));
        DriverDevmode source = Devmode(c.economy, c.handling | kOtherHandling, c.biasOn, c.biasValue);
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), OptionOf(L"JobTonerSaveMode")), c.toner);
        EXPECT_EQ(SelectText(ticket.Get(), OptionOf(L"JobDensityAdjustment")), c.density);
        EXPECT_EQ(SelectText(ticket.Get(), OptionOf(L"JobReducePaperCurl")), c.curl);
        EXPECT_EQ(SelectText(ticket.Get(), OptionOf(L"JobImproveTonerFixing")), c.fixing);
        EXPECT_EQ(SelectText(ticket.Get(), InitOf(L"JobDensityManualSetting")), std::to_string(c.setting));

        DriverDevmode target = Devmode(1, 3, 2, 4);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.economy, c.backEconomy);
        EXPECT_EQ(target.priv.paperHandling, c.handling);
        EXPECT_EQ(target.priv.biasOn, c.backBiasOn);
        EXPECT_EQ(target.priv.biasValue, c.setting);
    }
}

TEST_F(TonerSaveTest, TicketsChangeOnlyWhatTheyNameWell)
{
    struct Case {
        const char* name;
        std::wstring body;
        WORD economy, handling, biasOn;
        SHORT biasValue;
    } cases[] = {
        {"empty ticket", L"", 1, 2, 0, -3},
        {"toner save off", FeatureXml(L"kvpsk:JobTonerSaveMode", L"kvpsk:Off"), 0, 2, 0, -3},
        {"curl on, fixing off", FeatureXml(L"kvpsk:JobReducePaperCurl", L"kvpsk:On") +
                                    FeatureXml(L"kvpsk:JobImproveTonerFixing", L"kvpsk:Off"),
         1, 1, 0, -3},
        {"printer's density", FeatureXml(L"kvpsk:JobDensityAdjustment", L"kvpsk:PrinterDefault"), 1, 2, 1, -3},
        {"manual density", Init(L"JobDensityManualSetting", L"6"), 1, 2, 0, 6},
        {"density out of range", Init(L"JobDensityManualSetting", L"-7"), 1, 2, 0, -3},
        {"density not a number", Init(L"JobDensityManualSetting", L"dark", L"string"), 1, 2, 0, 0},
        {"unknown option", FeatureXml(L"kvpsk:JobTonerSaveMode", L"kvpsk:Half"), 1, 2, 0, -3},
        {"option of another namespace", FeatureXml(L"kvpsk:JobImproveTonerFixing", L"psk:Off"), 1, 2, 0, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = Devmode(1, 2, 0, -3);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.economy, c.economy);
        EXPECT_EQ(target.priv.paperHandling, c.handling);
        EXPECT_EQ(target.priv.biasOn, c.biasOn);
        EXPECT_EQ(target.priv.biasValue, c.biasValue);
    }
}

// Both handlers describe their private choices the same way: every
// option with its display name, unconstrained, and the parameters'
// definitions.
TEST(QualityCapabilitiesTest, EveryChoiceAndParameterIsDescribed)
{
    struct Option {
        const wchar_t* feature;
        const wchar_t* option;
        const char* display;
    } options[] = {
        {L"PagePrintSetting", L"General", "General"},
        {L"PagePrintSetting", L"Graphics", "Graphics"},
        {L"PagePrintSetting", L"OfficeDocument", "Office Document"},
        {L"PagePrintSetting", L"Manual", "Manual"},
        {L"PageGraphicsQuality", L"Photo", "Photo"},
        {L"PageGraphicsQuality", L"Graphics", "Graphics"},
        {L"PageGraphicsQuality", L"Chart", "Chart/Graph"},
        {L"JobTonerSaveMode", L"Off", "OFF"},
        {L"JobTonerSaveMode", L"On", "on"},
        {L"JobDensityAdjustment", L"PrinterDefault", "Printer Default"},
        {L"JobDensityAdjustment", L"Manual", "Manual"},
        {L"JobReducePaperCurl", L"Off", "OFF"},
        {L"JobReducePaperCurl", L"On", "on"},
        {L"JobImproveTonerFixing", L"Off", "OFF"},
        {L"JobImproveTonerFixing", L"On", "on"},
    };
    struct Feature {
        const wchar_t* name;
        const char* display;
        long options;
    } features[] = {
        {L"PagePrintSetting", "Print Setting", 4},     {L"PageGraphicsQuality", "Graphics Quality", 3},
        {L"JobTonerSaveMode", "Toner Save Mode", 2},   {L"JobDensityAdjustment", "Density adjustment", 2},
        {L"JobReducePaperCurl", "Reduce Paper Curl", 2}, {L"JobImproveTonerFixing", "Improve Toner Fixing", 2},
    };
    struct Parameter {
        const wchar_t* name;
        const char *minimum, *maximum;
    } parameters[] = {
        {L"PagePrintSettingBrightness", "-64", "64"},
        {L"PagePrintSettingContrast", "-64", "64"},
        {L"JobDensityManualSetting", "-6", "6"},
    };

    ComPtr<IXMLDOMDocument2> capabilities = NewCapabilities();
    ASSERT_EQ(Hex(CreatePrintSettingHandler(kTestPrivateUri)->GetPrintCapabilities(nullptr, nullptr,
                                                                                    capabilities.Get())),
              Hex(S_OK));
    ASSERT_EQ(Hex(CreateTonerSaveHandler(kTestPrivateUri)->GetPrintCapabilities(nullptr, nullptr,
                                                                                  capabilities.Get())),
              Hex(S_OK));
    for (const Feature& f : features) {
        std::wstring feature = std::wstring(L"//f:Feature[@name='kvpsk:") + f.name + L"']";
        SCOPED_TRACE(Narrow(f.name));
        EXPECT_EQ(SelectCount(capabilities.Get(), feature), 1);
        EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']/f:Value"), f.display);
        EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"), f.options);
    }
    for (const Option& o : options) {
        SCOPED_TRACE(Narrow(o.feature) + " " + Narrow(o.option));
        std::wstring option = std::wstring(L"//f:Feature[@name='kvpsk:") + o.feature + L"']/f:Option[@name='kvpsk:" +
                              o.option + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value"), o.display);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
    }
    for (const Parameter& p : parameters) {
        SCOPED_TRACE(Narrow(p.name));
        std::wstring definition = std::wstring(L"/f:PrintCapabilities/f:ParameterDef[@name='kvpsk:") + p.name + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:DefaultValue']/f:Value"), "0");
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MinValue']/f:Value"), p.minimum);
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MaxValue']/f:Value"), p.maximum);
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:Multiple']/f:Value"), "1");
    }
}

TEST(QualityArgumentsTest, NullDocumentsAndShortDevModesAreRefused)
{
    ComPtr<IXMLDOMDocument2> ticket = NewTicket(FeatureXml(L"kvpsk:PagePrintSetting", L"kvpsk:General") +
                                                FeatureXml(L"kvpsk:JobTonerSaveMode", L"kvpsk:On"));
    ExpectArgumentsChecked(*CreatePrintSettingHandler(kTestPrivateUri), ticket.Get(), BlankDevmode());
    ExpectArgumentsChecked(*CreateTonerSaveHandler(kTestPrivateUri), ticket.Get(), BlankDevmode());
}

} // namespace
