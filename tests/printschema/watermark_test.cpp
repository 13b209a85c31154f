// The page watermark: the DEVMODE's switches and drawing data to the
// ticket and back, the watermark store deciding what a title draws (in
// validation, and into the DEVMODE of a real queue), and the capabilities'
// list of the store's watermarks, constrained under an administrator's lock.
#include "printschema/features/watermark.h"

#include "settings/admin_settings.h"
#include "settings/watermark_store.h"

#include "support/admin_records.h"
#include "support/test_printers.h"
#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <wrl/client.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const wchar_t kQueue[] = L"KV Watermark Queue";
const wchar_t kDriverName[] = L"Zentari TX-3390N series";

const std::wstring kFeature = L"//f:Feature[@name='psk:PageWatermark']";

std::wstring SubOption(const wchar_t* feature)
{
    return kFeature + L"/f:Feature[@name='kvpsk:" + feature + L"']/f:Option/@name";
}

std::wstring DataOf(const wchar_t* item)
{
    return std::wstring(L"/f:PrintTicket/f:Property[@name='kvpsk:PageWatermarkData']/f:Property[@name='kvpsk:") +
           item + L"']/f:Value";
}

std::wstring DataXml(const std::vector<std::pair<std::wstring, std::wstring>>& items)
{
    std::wstring xml = L"<psf:Property name=\"kvpsk:PageWatermarkData\">";
    for (const auto& item : items)
        xml += L"<psf:Property name=\"kvpsk:" + item.first + L"\"><psf:Value xsi:type=\"xsd:string\">" + item.second +
               L"</psf:Value></psf:Property>";
    return xml + L"</psf:Property>";
}

const std::wstring kOnFeature = FeatureXml(L"psk:PageWatermark", L"kvpsk:On");

DriverDevmode Devmode(DWORD on, DWORD rop, BYTE outline, DWORD pages)
{
    DriverDevmode record = BlankDevmode();
    ProcessorBlock& block = record.priv.processor;
    block.watermark.on = on;
    block.watermarkRop = rop;
    block.watermarkOutline = outline;
    block.watermarkPages = pages;
    return record;
}

// The machine's watermark store with known definitions; what it held
// before comes back when the test ends.
class WatermarkStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WCHAR path[MAX_PATH];
        ASSERT_TRUE(WatermarkStorePath(path, MAX_PATH));
        path_ = path;
        saved_ = path_ + L".kvtest";
        existed_ = MoveFileExW(path_.c_str(), saved_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        const wchar_t* rows[][3] = {
            {L":kvwatermark:", L"0", L"CONFIDENTIAL"}, {L":kvwatermark:", L"1", L"DRAFT"},
            {L":kvwatermark:", L"2", L"COPY"},         {L"CONFIDENTIAL", L"Strings", L"CONFIDENTIAL"},
            {L"CONFIDENTIAL", L"Font", L"@Arial"},     {L"CONFIDENTIAL", L"Size", L"80"},
            {L"CONFIDENTIAL", L"Style", L"3"},         {L"CONFIDENTIAL", L"Color", L"50"},
            {L"CONFIDENTIAL", L"Angle", L"30"},        {L"CONFIDENTIAL", L"x", L"10"},
            {L"CONFIDENTIAL", L"y", L"-20"},           {L"CONFIDENTIAL", L"Scale", L"150"},
            {L"CONFIDENTIAL", L"SubData", L"34"},      {L"DRAFT", L"Strings", L"DRAFT"},
            {L"COPY", L"Strings", L"Copy"},            {L"COPY", L"AutoCenter", L"1"},
            {L"COPY", L"x", L"40"},
        };
        for (const auto& row : rows) ASSERT_TRUE(WritePrivateProfileStringW(row[0], row[1], row[2], path_.c_str()));
    }
    void TearDown() override
    {
        DeleteFileW(path_.c_str());
        if (existed_) MoveFileExW(saved_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    std::unique_ptr<FeatureHandler> handler_ = CreateWatermarkHandler(kTestPrivateUri);
    std::wstring path_;
    bool existed_ = false;
    std::wstring saved_;
};

using WatermarkTest = WatermarkStoreTest;

TEST_F(WatermarkTest, SwitchesRoundTripThroughTheTicket)
{
    struct Case {
        DWORD on, rop;
        BYTE outline;
        DWORD pages;
        const char *option, *transparent, *printPages, *outlineText;
        DWORD backOn, backRop;
        BYTE backOutline;
        DWORD backPages;
    } cases[] = {
        {1, kRopTransparent, 1, 0, "kvpsk:On", "kvpsk:On", "kvpsk:AllPages", "kvpsk:On", 1, kRopTransparent, 1, 0},
        {1, kRopOpaque, 0, 1, "kvpsk:On", "kvpsk:Off", "kvpsk:FirstPageOnly", "kvpsk:Off", 1, kRopOpaque, 0, 1},
        {1, 0x12345, 7, 4, "kvpsk:On", "kvpsk:Off", "kvpsk:FromSecondPage", "kvpsk:Off", 1, kRopOpaque, 0, 4},
        {0, kRopTransparent, 1, 16, "psk:None", "kvpsk:On", "kvpsk:Custom", "kvpsk:On", 0, kRopTransparent, 1, 16},
        // Any non-zero switch is on; unknown page codes print on all pages.
        {5, kRopTransparent, 1, 8, "kvpsk:On", "kvpsk:On", "kvpsk:AllPages", "kvpsk:On", 1, kRopTransparent, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.on) + " " + std::to_string(c.rop) + " " + std::to_string(c.pages));
        DriverDevmode source = Devmode(c.on, c.rop, c.outline, c.pages);
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), kFeature + L"/f:Option/@name"), c.option);
        EXPECT_EQ(SelectText(ticket.Get(), SubOption(L"Transparent")), c.transparent);
        EXPECT_EQ(SelectText(ticket.Get(), SubOption(L"PrintWatermark")), c.printPages);
        EXPECT_EQ(SelectText(ticket.Get(), SubOption(L"OutlineTxt")), c.outlineText);
        // Only a watermark that prints is described.
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Property[@name='kvpsk:PageWatermarkData']"), c.backOn ? 1 : 0);

        DriverDevmode target = Devmode(c.on ? 0 : 1, 0, 3, 99);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        const ProcessorBlock& back = target.priv.processor;
        EXPECT_EQ(back.watermark.on, c.backOn);
        EXPECT_EQ(back.watermarkRop, c.backRop);
        EXPECT_EQ(back.watermarkOutline, c.backOutline);
        EXPECT_EQ(back.watermarkPages, c.backPages);
    }
}

TEST_F(WatermarkTest, TheDescriptionComesFromTheDevMode)
{
    struct Case {
        const char* name;
        const wchar_t* title;
        const char* text;   // ANSI
        const wchar_t* face;
        LONG height, weight;
        BYTE italic;
        DWORD gray;
        LONG escapement, x, y;
        WORD scale;
        BYTE pitch, charSet;
        std::vector<std::pair<const wchar_t*, std::string>> expected;
    } cases[] = {
        {"plain", L"DRAFT", "Draft", L"Arial", 72, FW_NORMAL, 0, 0, 450, 0, 0, 100, 100, 1,
         {{L"Title", "DRAFT"}, {L"Text", "Draft"}, {L"FontName", "Arial"}, {L"FontSize", "72"},
          {L"FontItalicStyle", "0"}, {L"FontBoldStyle", "0"}, {L"FontColor", "16777215"}, {L"Angle", "45"},
          {L"PostionX", "0"}, {L"PostionY", "0"}, {L"Scaling", "100"}, {L"SubData", "25601"},
          {L"Filename", ""}, {L"FilenameBk", ""}, {L"CustomPrint", ""}}},
        {"styled", L"Secret", "Top secret", L"@Arial", 30, FW_BOLD, 1, 50, -455, -100, 100, 999, 0, 128,
         {{L"Text", "Top secret"}, {L"FontName", "Arial"}, {L"FontSize", "30"}, {L"FontItalicStyle", "1"},
          {L"FontBoldStyle", "1"}, {L"FontColor", "8421504"}, {L"Angle", "-45"}, {L"PostionX", "-100"},
          {L"PostionY", "100"}, {L"Scaling", "999"}, {L"SubData", "128"}}},
        {"darkest", L"T", "x", L"Arial", 72, FW_SEMIBOLD, 0, 100, 0, 0, 0, 100, 34, 0,
         {{L"FontColor", "0"}, {L"FontBoldStyle", "0"}, {L"SubData", "8704"}}},
        {"control characters", L"Ti\x7Ftle\x85", "Dra\x85" "ft", L"Ar\x1Fial", 72, FW_NORMAL, 0, 0, 0, 0, 0, 100, 0, 0,
         {{L"Title", ""}, {L"Text", ""}, {L"FontName", ""}}},
        {"lone surrogate", L"\xD800T", "ok", L"Arial\xDC00", 72, FW_NORMAL, 0, 0, 0, 0, 0, 100, 0, 0,
         {{L"Title", ""}, {L"Text", "ok"}, {L"FontName", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriverDevmode source = Devmode(1, kRopTransparent, 1, 0);
        ProcessorBlock& block = source.priv.processor;
        lstrcpyW(source.priv.watermarkTitle, c.title);
        strcpy(block.watermark.text, c.text);
        LOGFONTW& font = block.watermark.font;
        lstrcpyW(font.lfFaceName, c.face);
        font.lfHeight = c.height;
        font.lfWeight = c.weight;
        font.lfItalic = c.italic;
        font.lfEscapement = c.escapement;
        font.lfPitchAndFamily = c.pitch;
        font.lfCharSet = c.charSet;
        block.watermarkGray = c.gray;
        block.watermarkOffsetX = c.x;
        block.watermarkOffsetY = c.y;
        block.watermarkScale = c.scale;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        for (const auto& e : c.expected) EXPECT_EQ(SelectText(ticket.Get(), DataOf(e.first)), e.second) << Narrow(e.first);
        // Never written: only a ticket's author may ask to skip validation.
        EXPECT_EQ(SelectCount(ticket.Get(), DataOf(L"SkipValid")), 0);
    }
}

TEST_F(WatermarkTest, TicketsSwitchButDoNotDraw)
{
    struct Case {
        const char* name;
        std::wstring body;
        DWORD on;
        DWORD pages;
        BYTE outline;
    } cases[] = {
        {"no watermark feature", L"", 1, 4, 1},
        {"none", FeatureXml(L"psk:PageWatermark", L"psk:None"), 0, 4, 1},
        {"on in the keywords namespace", FeatureXml(L"psk:PageWatermark", L"psk:On"), 1, 4, 1},
        {"none in our namespace", FeatureXml(L"psk:PageWatermark", L"kvpsk:None"), 1, 4, 1},
        {"pages", FeatureXml(L"kvpsk:PrintWatermark", L"kvpsk:Custom"), 1, 16, 1},
        {"unknown pages", FeatureXml(L"kvpsk:PrintWatermark", L"kvpsk:EveryOther"), 1, 4, 1},
        {"outline off", FeatureXml(L"kvpsk:OutlineTxt", L"kvpsk:Off"), 1, 4, 0},
        {"a description of its own",
         kOnFeature + DataXml({{L"Title", L"Mine"}, {L"Text", L"Mine"}, {L"FontSize", L"10"}}), 1, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriverDevmode target = Devmode(1, kRopTransparent, 1, 4);
        strcpy(target.priv.processor.watermark.text, "Kept");
        target.priv.processor.watermark.font.lfHeight = 72;
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        const ProcessorBlock& block = target.priv.processor;
        EXPECT_EQ(block.watermark.on, c.on);
        EXPECT_EQ(block.watermarkPages, c.pages);
        EXPECT_EQ(block.watermarkOutline, c.outline);
        EXPECT_STREQ(block.watermark.text, "Kept");
        EXPECT_EQ(block.watermark.font.lfHeight, 72);
    }
}

TEST_F(WatermarkTest, ValidationBringsTheDescriptionInLineWithTheStore)
{
    using Items = std::vector<std::pair<std::wstring, std::wstring>>;
    const Items confidential = {
        {L"Title", L"CONFIDENTIAL"}, {L"Text", L"CONFIDENTIAL"}, {L"FontName", L"Arial"}, {L"FontSize", L"80"},
        {L"FontItalicStyle", L"1"},  {L"FontBoldStyle", L"1"},   {L"FontColor", L"8421504"}, {L"Angle", L"30"},
        {L"PostionX", L"10"},        {L"PostionY", L"-20"},      {L"Scaling", L"150"},      {L"SubData", L"34"},
        {L"Filename", L""},          {L"FilenameBk", L""}};
    Items bigger = confidential;
    bigger[3].second = L"79";
    Items skipped = bigger;
    skipped.push_back({L"SkipValid", L"1"});
    struct Case {
        const char* name;
        std::wstring body;
        HRESULT first;
        Items expected;
    } cases[] = {
        {"in line", kOnFeature + DataXml(confidential), S_PT_NO_CONFLICT, confidential},
        {"another size", kOnFeature + DataXml(bigger), S_PT_CONFLICT_RESOLVED, confidential},
        {"another size, not to be checked", kOnFeature + DataXml(skipped), S_PT_NO_CONFLICT, {{L"FontSize", L"79"}}},
        {"only a title", kOnFeature + DataXml({{L"Title", L"CONFIDENTIAL"}}), S_PT_CONFLICT_RESOLVED, confidential},
        {"defaults of the store", kOnFeature + DataXml({{L"Title", L"DRAFT"}}), S_PT_CONFLICT_RESOLVED,
         {{L"Text", L"DRAFT"}, {L"FontName", L"Arial"}, {L"FontSize", L"72"}, {L"FontColor", L"11447982"},
          {L"Angle", L"45"}, {L"Scaling", L"100"}, {L"SubData", L"100"}, {L"FontBoldStyle", L"0"}}},
        {"centred automatically", kOnFeature + DataXml({{L"Title", L"COPY"}, {L"PostionX", L"40"}}),
         S_PT_CONFLICT_RESOLVED, {{L"Text", L"Copy"}, {L"PostionX", L"0"}, {L"PostionY", L"0"}}},
        {"a title the store lacks", kOnFeature + DataXml({{L"Title", L"Unknown"}, {L"FontSize", L"5"}}),
         S_PT_NO_CONFLICT, {{L"FontSize", L"5"}}},
        {"no watermark", FeatureXml(L"psk:PageWatermark", L"psk:None") + DataXml({{L"Title", L"DRAFT"}}),
         S_PT_NO_CONFLICT, {{L"Title", L"DRAFT"}, {L"FontSize", L"<none>"}}},
        {"no feature", L"", S_PT_NO_CONFLICT, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.first));
        for (const auto& e : c.expected)
            EXPECT_EQ(SelectText(ticket.Get(), DataOf(e.first.c_str())), Narrow(e.second)) << Narrow(e.first);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
        EXPECT_LE(SelectCount(ticket.Get(), kFeature), 1);
    }
}

std::wstring WatermarkOption(const wchar_t* title)
{
    return kFeature + L"/f:Option[f:ScoredProperty[@name='kvpsk:Title']/f:Value='" + title + L"']";
}

TEST_F(WatermarkTest, CapabilitiesListTheStoresWatermarks)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const struct {
        std::wstring query;
        const char* expected;
    } checks[] = {
        {kFeature + L"/f:Option[1]/@name", "psk:None"},
        {kFeature + L"/f:Option[1]/f:Property[@name='psk:DisplayName']/f:Value", "Off"},
        {kFeature + L"/f:Option[2]/@name", "kvpsk:On"},
        {kFeature + L"/f:Option[2]/f:ScoredProperty[@name='kvpsk:Title']/f:Value", "CONFIDENTIAL"},
        {kFeature + L"/f:Option[3]/f:ScoredProperty[@name='kvpsk:Title']/f:Value", "DRAFT"},
        {kFeature + L"/f:Option[4]/f:ScoredProperty[@name='kvpsk:Title']/f:Value", "COPY"},
        {WatermarkOption(L"DRAFT") + L"/f:Property[@name='psk:DisplayName']/f:Value", "DRAFT"},
        {WatermarkOption(L"DRAFT") + L"/@constrained", "psk:None"},
        {WatermarkOption(L"COPY") + L"/@constrained", "psk:None"},
        {kFeature + L"/f:Feature[@name='kvpsk:Transparent']/f:Option[@name='kvpsk:On']/f:Property/f:Value", "On"},
        {kFeature + L"/f:Feature[@name='kvpsk:Transparent']/f:Option[@name='kvpsk:Off']/f:Property/f:Value", "Off"},
        {kFeature + L"/f:Feature[@name='kvpsk:PrintWatermark']/f:Option[@name='kvpsk:AllPages']/f:Property/f:Value",
         "On all pages"},
        {kFeature + L"/f:Feature[@name='kvpsk:PrintWatermark']/f:Option[@name='kvpsk:FirstPageOnly']/f:Property/f:Value",
         "On first page only"},
        {kFeature + L"/f:Feature[@name='kvpsk:PrintWatermark']/f:Option[@name='kvpsk:FromSecondPage']/f:Property/f:Value",
         "From second page"},
        {kFeature + L"/f:Feature[@name='kvpsk:PrintWatermark']/f:Option[@name='kvpsk:Custom']/f:Property/f:Value",
         "Custom"},
        {kFeature + L"/f:Feature[@name='kvpsk:OutlineTxt']/f:Option[@name='kvpsk:Off']/f:Property/f:Value", "Off"},
    };
    for (const auto& check : checks)
        EXPECT_EQ(SelectText(capabilities.Get(), check.query), check.expected) << Narrow(check.query);
    EXPECT_EQ(SelectCount(capabilities.Get(), kFeature + L"/f:Option"), 4);
    EXPECT_EQ(SelectCount(capabilities.Get(), kFeature + L"/f:Feature/f:Option"), 8);
}

// A queue of its own, so that locks and stored settings touch nobody else.
class WatermarkQueueTest : public WatermarkStoreTest {
protected:
    void SetUp() override
    {
        WatermarkStoreTest::SetUp();
        ASSERT_TRUE(AddTestQueue(kQueue, kDriverName)) << GetLastError();
        printer_ = OpenTestPrinter(kQueue);
        ASSERT_NE(printer_, nullptr);
    }
    void TearDown() override
    {
        ClearAdminLock(kQueue);
        if (printer_) {
            DeletePrinter(printer_);
            ClosePrinter(printer_);
        }
        WatermarkStoreTest::TearDown();
    }

    // The queue's own settings, with the watermark of this title.
    void StoreQueueTitle(const wchar_t* title)
    {
        DriverDevmode record = BlankDevmode();
        record.pub.dmSpecVersion = kSpecVersion;
        record.priv.signature = kPrivateSignature;
        record.priv.tag = kPrivateTag;
        lstrcpyW(record.pub.dmDeviceName, kQueue);
        lstrcpyW(record.priv.watermarkTitle, title);
        DWORD needed = 0;
        GetPrinterW(printer_, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed);
        ASSERT_TRUE(GetPrinterW(printer_, 2, info.data(), needed, &needed));
        auto* pi2 = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
        pi2->pDevMode = &record.pub;
        pi2->pSecurityDescriptor = nullptr;
        ASSERT_TRUE(SetPrinterW(printer_, 2, info.data(), 0)) << GetLastError();
    }

    HANDLE printer_ = nullptr;
};

TEST_F(WatermarkQueueTest, WithAPrinterTheStoreDrawsTheTitle)
{
    struct Case {
        const char* name;
        const wchar_t* title;
        const char* text;
        const wchar_t* face;
        LONG height, escapement, x;
        DWORD gray;
        WORD scale;
        BYTE pitch;
    } cases[] = {
        {"a full definition", L"CONFIDENTIAL", "CONFIDENTIAL", L"@Arial", 80, 300, 10, 50, 150, 34},
        {"the store's defaults", L"DRAFT", "DRAFT", L"Arial", 72, 450, 0, 0, 100, 100},
        {"centred", L"COPY", "Copy", L"Arial", 72, 450, 0, 0, 100, 100},
        {"a title the store lacks", L"Unknown", "Kept", L"Courier", 12, 0, 7, 9, 99, 1},
        {"titles are compared exactly", L"draft", "Kept", L"Courier", 12, 0, 7, 9, 99, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(kOnFeature + DataXml({{L"Title", c.title}}));
        DriverDevmode target = Devmode(0, kRopTransparent, 1, 0);
        ProcessorBlock& block = target.priv.processor;
        strcpy(block.watermark.text, "Kept");
        lstrcpyW(block.watermark.font.lfFaceName, L"Courier");
        block.watermark.font.lfHeight = 12;
        block.watermark.font.lfPitchAndFamily = 1;
        block.watermarkOffsetX = 7;
        block.watermarkGray = 9;
        block.watermarkScale = 99;
        ASSERT_EQ(Hex(handler_->PrintTicketToDevMode(printer_, ticket.Get(), kPublicDevmodeSize, &target.pub,
                                                     kPrivateSize, &target.priv)),
                  Hex(S_OK));
        EXPECT_EQ(block.watermark.on, 1u);
        EXPECT_STREQ(block.watermark.text, c.text);
        EXPECT_EQ(Narrow(block.watermark.font.lfFaceName), Narrow(c.face));
        EXPECT_EQ(block.watermark.font.lfHeight, c.height);
        EXPECT_EQ(block.watermark.font.lfEscapement, c.escapement);
        EXPECT_EQ(block.watermarkOffsetX, c.x);
        EXPECT_EQ(block.watermarkGray, c.gray);
        EXPECT_EQ(block.watermarkScale, c.scale);
        EXPECT_EQ(block.watermark.font.lfPitchAndFamily, c.pitch);
    }
}

TEST_F(WatermarkQueueTest, CustomPagesNameTheirWatermarks)
{
    const wchar_t* rows[][2] = {{L"Current", L"1"}, {L"1", L"2"}, {L"2", L""}, {L"Other", L"-1"}};
    for (const auto& row : rows) ASSERT_TRUE(WritePrivateProfileStringW(kQueue, row[0], row[1], path_.c_str()));
    DriverDevmode source = Devmode(1, kRopTransparent, 1, 16);
    ComPtr<IXMLDOMDocument2> ticket = NewTicket();
    ASSERT_EQ(Hex(handler_->DevModeToPrintTicket(printer_, kPublicDevmodeSize, &source.pub, kPrivateSize,
                                                 &source.priv, ticket.Get())),
              Hex(S_OK));
    EXPECT_EQ(SelectText(ticket.Get(), DataOf(L"CustomPrint")), "[Current,DRAFT][1,COPY][Other,]");
}

TEST_F(WatermarkQueueTest, AnAdministratorsLockConstrainsTheOtherWatermarks)
{
    StoreQueueTitle(L"CONFIDENTIAL");
    struct Case {
        const char* name;
        DWORD flags;   // 0: no lock
        const char *confidential, *draft, *copy;
    } cases[] = {
        {"no lock", 0, "psk:None", "psk:None", "psk:None"},
        {"watermark locked", kAdminInForce | kAdminLockWatermark, "psk:None", "psk:AdminSettings",
         "psk:AdminSettings"},
        {"lock not in force", kAdminLockWatermark, "psk:None", "psk:None", "psk:None"},
        {"another lock", kAdminInForce | kAdminLockCopies, "psk:None", "psk:None", "psk:None"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearAdminLock(kQueue);
        if (c.flags) {
            ASSERT_TRUE(PutAdminLock(kQueue, c.flags));
        }
        ComPtr<IXMLDOMDocument2> capabilities = NewCapabilities();
        ASSERT_EQ(Hex(handler_->GetPrintCapabilities(printer_, nullptr, capabilities.Get())), Hex(S_OK));
        EXPECT_EQ(SelectText(capabilities.Get(), WatermarkOption(L"CONFIDENTIAL") + L"/@constrained"), c.confidential);
        EXPECT_EQ(SelectText(capabilities.Get(), WatermarkOption(L"DRAFT") + L"/@constrained"), c.draft);
        EXPECT_EQ(SelectText(capabilities.Get(), WatermarkOption(L"COPY") + L"/@constrained"), c.copy);
    }
}

} // namespace
