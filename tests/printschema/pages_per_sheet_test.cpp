// Pages per sheet and poster printing between the DEVMODE and tickets: every
// N-up layout and poster size both ways, out-of-range DEVMODE values, tickets
// that leave parts out or name what we do not have, the document-level N-up
// correction, the readers and writers the constraint resolver shares, and
// the capabilities without a printer.
#include "printschema/features/pages_per_sheet.h"
#include "printschema/features/poster.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const std::wstring kNup = L"/f:PrintTicket/f:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
const std::wstring kNupPages = kNup + L"/f:Option/f:ScoredProperty[@name='psk:PagesPerSheet']/f:Value";
const std::wstring kNupOrder = kNup + L"/f:Feature[@name='psk:PresentationDirection']/f:Option/@name";
const std::wstring kNupBorder = kNup + L"/f:Feature[@name='kvpsk:BorderLine']/f:Option/@name";
const std::wstring kPoster = L"/f:PrintTicket/f:Feature[@name='psk:PagePoster']";
const std::wstring kPosterSheets = kPoster + L"/f:Option/f:ScoredProperty[@name='psk:SheetsPerPage']/f:Value";

const char* const kOrderNames[] = {"psk:RightBottom", "psk:BottomRight", "psk:LeftBottom", "psk:BottomLeft"};
const char* const kBorderNames[] = {"kvpsk:None", "kvpsk:SolidLine", "kvpsk:BreakLine"};

// A job-level N-up feature as other producers write it; an empty part is
// left out.
std::wstring NupBody(const std::wstring& pages, const std::wstring& order = L"psk:RightBottom",
                     const std::wstring& border = L"kvpsk:SolidLine")
{
    std::wstring body = L"<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"><psf:Option>";
    if (!pages.empty())
        body += L"<psf:ScoredProperty name=\"psk:PagesPerSheet\"><psf:Value xsi:type=\"xsd:integer\">" + pages +
                L"</psf:Value></psf:ScoredProperty>";
    body += L"</psf:Option>";
    if (!order.empty()) body += FeatureXml(L"psk:PresentationDirection", order);
    if (!border.empty()) body += FeatureXml(L"kvpsk:BorderLine", border);
    return body + L"</psf:Feature>";
}

std::wstring PosterBody(const std::wstring& sheets)
{
    std::wstring body = L"<psf:Feature name=\"psk:PagePoster\"><psf:Option>";
    if (!sheets.empty())
        body += L"<psf:ScoredProperty name=\"psk:SheetsPerPage\"><psf:Value xsi:type=\"xsd:integer\">" + sheets +
                L"</psf:Value></psf:ScoredProperty>";
    return body + L"</psf:Option></psf:Feature>";
}

const std::wstring kDocumentNup = FeatureXml(L"psk:DocumentNUp", L"psk:TwoPages");

DriverDevmode Layout(SHORT multiPage, BYTE pageOrder, BYTE multiLine)
{
    DriverDevmode record = BlankDevmode();
    record.priv.multiPage = multiPage;
    record.priv.processor.pageOrder = pageOrder;
    record.priv.processor.multiLine = multiLine;
    return record;
}

class PagesPerSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        nup_ = CreatePagesPerSheetHandler(kTestPrivateUri);
        poster_ = CreatePosterHandler(kTestPrivateUri);
        ASSERT_TRUE(nup_ && poster_);
    }

    // Both handlers, in the provider's order.
    HRESULT ToTicket(DriverDevmode& record, IXMLDOMDocument2* ticket)
    {
        HRESULT hr = HandlerToTicket(*nup_, record, ticket);
        return FAILED(hr) ? hr : HandlerToTicket(*poster_, record, ticket);
    }
    HRESULT ToDevMode(IXMLDOMDocument2* ticket, DriverDevmode& record)
    {
        HRESULT hr = HandlerToDevMode(*nup_, ticket, record);
        return FAILED(hr) ? hr : HandlerToDevMode(*poster_, ticket, record);
    }

    std::unique_ptr<FeatureHandler> nup_;
    std::unique_ptr<FeatureHandler> poster_;
};

TEST_F(PagesPerSheetTest, EveryNupLayoutRoundTrips)
{
    for (SHORT pages : {2, 4, 9, 16, 25}) {
        for (BYTE order = 0; order < 4; ++order) {
            for (BYTE border = 0; border < 3; ++border) {
                SCOPED_TRACE(std::to_string(pages) + " pages, order " + std::to_string(order) + ", border " +
                             std::to_string(border));
                DriverDevmode source = Layout(pages, order, border);
                ComPtr<IXMLDOMDocument2> ticket = NewTicket();
                ASSERT_EQ(Hex(ToTicket(source, ticket.Get())), Hex(S_OK));
                EXPECT_EQ(SelectText(ticket.Get(), kNupPages), std::to_string(pages));
                EXPECT_EQ(SelectText(ticket.Get(), kNupOrder), kOrderNames[order]);
                EXPECT_EQ(SelectText(ticket.Get(), kNupBorder), kBorderNames[border]);
                EXPECT_EQ(SelectCount(ticket.Get(), kPoster), 0);
                EXPECT_EQ(Hex(nup_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));

                DriverDevmode target = Layout(pages == 2 ? 4 : 2, (order + 1) % 4, (border + 1) % 3);
                ASSERT_EQ(Hex(ToDevMode(ticket.Get(), target)), Hex(S_OK));
                EXPECT_EQ(target.priv.multiPage, pages);
                EXPECT_EQ(target.priv.processor.pageOrder, order);
                EXPECT_EQ(target.priv.processor.multiLine, border);
            }
        }
    }
}

TEST_F(PagesPerSheetTest, EveryPosterRoundTripsWithoutNup)
{
    for (SHORT sheets : {4, 9, 16, 25}) {
        SCOPED_TRACE(std::to_string(sheets) + " sheets");
        DriverDevmode source = Layout(static_cast<SHORT>(-sheets), 2, 0);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket();
        ASSERT_EQ(Hex(ToTicket(source, ticket.Get())), Hex(S_OK));
        EXPECT_EQ(SelectText(ticket.Get(), kPosterSheets), std::to_string(sheets));
        EXPECT_EQ(SelectCount(ticket.Get(), kNup), 0);
        EXPECT_EQ(Hex(poster_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));

        DriverDevmode target = Layout(4, 1, 1);
        ASSERT_EQ(Hex(ToDevMode(ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.multiPage, -sheets);
    }
}

// What the DEVMODE holds outside the lists reads as the defaults: one page
// per sheet, order RightBottom, a solid border, no poster.
TEST_F(PagesPerSheetTest, OutOfRangeDevModeValuesReadAsDefaults)
{
    struct Case {
        SHORT       multiPage;
        BYTE        pageOrder, multiLine;
        const char* pages;    // PagesPerSheet; "<none>" when no N-up feature
        const char* order;
        const char* border;
        const char* sheets;   // SheetsPerPage; "<none>" when no poster
    } cases[] = {
        {1, 0, 1, "1", "psk:RightBottom", "kvpsk:SolidLine", "<none>"},
        {6, 3, 2, "1", "psk:BottomLeft", "kvpsk:BreakLine", "<none>"},
        {32767, 0, 0, "1", "psk:RightBottom", "kvpsk:None", "<none>"},
        {4, 4, 3, "4", "psk:RightBottom", "kvpsk:SolidLine", "<none>"},
        {9, 255, 255, "9", "psk:RightBottom", "kvpsk:SolidLine", "<none>"},
        {0, 2, 2, "<none>", "<none>", "<none>", "<none>"},
        {-1, 0, 0, "<none>", "<none>", "<none>", "<none>"},
        {-7, 0, 0, "<none>", "<none>", "<none>", "<none>"},
        {-32768, 0, 0, "<none>", "<none>", "<none>", "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("multiPage " + std::to_string(c.multiPage) + ", order " + std::to_string(c.pageOrder) +
                     ", border " + std::to_string(c.multiLine));
        DriverDevmode source = Layout(c.multiPage, c.pageOrder, c.multiLine);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket();
        ASSERT_EQ(Hex(ToTicket(source, ticket.Get())), Hex(S_OK));
        EXPECT_EQ(SelectText(ticket.Get(), kNupPages), c.pages);
        EXPECT_EQ(SelectText(ticket.Get(), kNupOrder), c.order);
        EXPECT_EQ(SelectText(ticket.Get(), kNupBorder), c.border);
        EXPECT_EQ(SelectText(ticket.Get(), kPosterSheets), c.sheets);
    }
}

// A ticket that leaves N-up out means one page per sheet; parts it leaves
// out or names we do not have take their defaults; a poster of four or more
// sheets overrides N-up.
TEST_F(PagesPerSheetTest, TicketsSetTheLayoutWithDefaultsForWhatIsMissing)
{
    struct Case {
        const char*  name;
        std::wstring body;
        SHORT        multiPage;
        BYTE         pageOrder, multiLine;
    } cases[] = {
        {"no layout at all", L"", 1, 0, 1},
        {"four pages, complete", NupBody(L"4", L"psk:BottomLeft", L"kvpsk:None"), 4, 3, 0},
        {"pages not in the list", NupBody(L"6", L"psk:LeftBottom", L"kvpsk:BreakLine"), 1, 2, 2},
        {"no pages value", NupBody(L"", L"psk:LeftBottom", L"kvpsk:BreakLine"), 1, 0, 1},
        {"zero pages: order not read", NupBody(L"0", L"psk:LeftBottom", L"kvpsk:None"), 1, 0, 0},
        {"negative pages", NupBody(L"-4", L"psk:BottomLeft", L"kvpsk:BreakLine"), 1, 0, 2},
        {"pages not a number", NupBody(L"many", L"psk:BottomRight", L"kvpsk:None"), 1, 0, 0},
        {"no page order", NupBody(L"9", L"", L"kvpsk:None"), 9, 0, 0},
        {"unknown page order", NupBody(L"9", L"psk:Spiral", L"kvpsk:None"), 9, 0, 0},
        {"no border: still applied", NupBody(L"16", L"psk:BottomRight", L""), 16, 1, 1},
        {"unknown border", NupBody(L"25", L"psk:BottomRight", L"kvpsk:Dotted"), 25, 1, 1},
        {"border in the keywords namespace", NupBody(L"2", L"psk:RightBottom", L"psk:None"), 2, 0, 0},
        {"only a document-level N-up", kDocumentNup, 1, 0, 1},
        {"poster of nine", PosterBody(L"9"), -9, 0, 1},
        {"poster over N-up", NupBody(L"4", L"psk:BottomLeft", L"kvpsk:None") + PosterBody(L"16"), -16, 3, 0},
        {"poster not in the list", NupBody(L"4", L"psk:BottomLeft", L"kvpsk:None") + PosterBody(L"6"), 1, 3, 0},
        {"one-sheet poster leaves N-up", NupBody(L"4", L"psk:BottomLeft", L"kvpsk:None") + PosterBody(L"1"), 4, 3, 0},
        {"negative poster leaves N-up", NupBody(L"2") + PosterBody(L"-4"), 2, 0, 1},
        {"poster without its value", NupBody(L"2") + PosterBody(L""), 2, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = Layout(-25, 2, 2);
        ASSERT_EQ(Hex(ToDevMode(ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.multiPage, c.multiPage);
        EXPECT_EQ(target.priv.processor.pageOrder, c.pageOrder);
        EXPECT_EQ(target.priv.processor.multiLine, c.multiLine);
    }
}

// Writing the layout replaces what the ticket said before, the
// document-level N-up included, with nothing left behind.
TEST_F(PagesPerSheetTest, WritingReplacesEarlierLayoutFeatures)
{
    const std::wstring earlier = NupBody(L"9", L"psk:BottomLeft", L"kvpsk:None") + kDocumentNup + PosterBody(L"4");
    struct Case {
        SHORT multiPage;
        long  nup, poster;
        const char* value;   // PagesPerSheet or SheetsPerPage
    } cases[] = {{2, 1, 0, "2"}, {-16, 0, 1, "16"}, {0, 0, 0, "<none>"}};
    for (const Case& c : cases) {
        SCOPED_TRACE("multiPage " + std::to_string(c.multiPage));
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(earlier);
        DriverDevmode source = Layout(c.multiPage, 0, 1);
        ASSERT_EQ(Hex(ToTicket(source, ticket.Get())), Hex(S_OK));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:JobNUpAllDocumentsContiguously']"), c.nup);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:DocumentNUp']"), 0);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PagePoster']"), c.poster);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ScoredProperty[@name='psk:PagesPerSheet']"), c.nup);
        EXPECT_EQ(SelectText(ticket.Get(), c.nup ? kNupPages : kPosterSheets), c.value);
    }
}

TEST_F(PagesPerSheetTest, ValidationDropsADocumentLevelNupBesideACompleteJobLevelOne)
{
    struct Case {
        const char*  name;
        std::wstring body;
        HRESULT      first;
        long         documentNupAfter;
    } cases[] = {
        {"complete job level and document level", NupBody(L"4") + kDocumentNup, S_PT_CONFLICT_RESOLVED, 0},
        {"document level first in the ticket", kDocumentNup + NupBody(L"2"), S_PT_CONFLICT_RESOLVED, 0},
        {"document level alone", kDocumentNup, S_PT_NO_CONFLICT, 1},
        {"job level without border", NupBody(L"4", L"psk:RightBottom", L"") + kDocumentNup, S_PT_NO_CONFLICT, 1},
        {"job level of one page", NupBody(L"0") + kDocumentNup, S_PT_NO_CONFLICT, 1},
        {"document level without option",
         NupBody(L"4") + L"<psf:Feature name=\"psk:DocumentNUp\"/>", S_PT_NO_CONFLICT, 1},
        {"job level alone", NupBody(L"4"), S_PT_NO_CONFLICT, 0},
        {"empty ticket", L"", S_PT_NO_CONFLICT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(nup_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.first));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:DocumentNUp']"), c.documentNupAfter);
        EXPECT_EQ(SelectCount(ticket.Get(), kNup), c.body.find(L"JobNUp") != std::wstring::npos ? 1 : 0);
        EXPECT_EQ(Hex(nup_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

// The constraint resolver reads and rewrites tickets with these; what it
// writes must read back as it was meant.
TEST(NupAndPosterRecordsTest, WrittenRecordsReadBack)
{
    struct Case {
        NupSettings written;
        NupSettings read;
        INT32       sheets, sheetsRead;
    } cases[] = {
        {{0, 4, 2, 0}, {0, 4, 2, 0}, 0, 0},
        {{1, 2, 0, 0}, {0, 2, 0, 0}, 9, 9},      // document level is written as job level
        {{0, 6, 3, 2}, {0, 6, 3, 2}, 1, 1},      // values are written as they are
        {{0, 4, 9, -1}, {0, 4, 0, 1}, -4, 0},    // codes out of range write the defaults
        {{-1, 0, 2, 2}, {-1, 0, 0, 1}, 25, 25},  // nothing to write
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.written.pagesPerSheet) + " pages, " + std::to_string(c.sheets) + " sheets");
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(NupBody(L"16") + PosterBody(L"4"));
        PrintSchemaDocument document(kPrintTicketRoot, kTestPrivateUri, false, ticket.Get());
        ASSERT_EQ(Hex(WriteNupFeature(document, c.written)), Hex(S_OK));
        ASSERT_EQ(Hex(WritePosterFeature(document, c.sheets)), Hex(S_OK));
        NupSettings read{7, 7, 7, 7};
        INT32 sheets = 7;
        ASSERT_EQ(Hex(ReadNupFeature(document, &read)), Hex(S_OK));
        ASSERT_EQ(Hex(ReadPosterFeature(document, &sheets)), Hex(S_OK));
        EXPECT_EQ(read.featureIndex, c.read.featureIndex);
        EXPECT_EQ(read.pagesPerSheet, c.read.pagesPerSheet);
        EXPECT_EQ(read.orderCode, c.read.orderCode);
        EXPECT_EQ(read.borderLine, c.read.borderLine);
        EXPECT_EQ(sheets, c.sheetsRead);
    }
}

struct CapabilityRow {
    const char* name;
    const char* value;
};

void ExpectOptions(IXMLDOMDocument2* capabilities, const std::wstring& feature, const wchar_t* property,
                   const std::vector<CapabilityRow>& rows)
{
    const std::wstring options = feature + L"/f:Option";
    EXPECT_EQ(SelectCount(capabilities, options), static_cast<long>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        std::wstring option = options + L"[" + std::to_wstring(i + 1) + L"]";
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(SelectCount(capabilities, option + L"/@name"), 0);
        EXPECT_EQ(SelectText(capabilities, option + L"/@constrained"), "psk:None");
        EXPECT_EQ(SelectText(capabilities, option + L"/f:Property[@name='psk:DisplayName']/f:Value"), rows[i].name);
        EXPECT_EQ(SelectText(capabilities, option + L"/f:ScoredProperty[@name='psk:" + property + L"']/f:Value"),
                  rows[i].value);
    }
}

TEST_F(PagesPerSheetTest, CapabilitiesListEveryLayoutUnconstrainedWithoutAPrinter)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*nup_);
    ASSERT_EQ(Hex(poster_->GetPrintCapabilities(nullptr, nullptr, capabilities.Get())), Hex(S_OK));

    const std::wstring nup = L"/f:PrintCapabilities/f:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
    EXPECT_EQ(SelectText(capabilities.Get(), nup + L"/f:Property[@name='psk:DisplayName']/f:Value"), "Multiple Page");
    EXPECT_EQ(SelectText(capabilities.Get(), nup + L"/f:Property[@name='psf:SelectionType']/f:Value"), "psk:PickOne");
    ExpectOptions(capabilities.Get(), nup, L"PagesPerSheet",
                  {{"Normal", "1"}, {"2 in 1", "2"}, {"4 in 1", "4"}, {"9 in 1", "9"}, {"16 in 1", "16"},
                   {"25 in 1", "25"}});

    const struct {
        std::wstring feature;
        const char*  display;
        std::vector<const char*> names;
    } nested[] = {
        {nup + L"/f:Feature[@name='psk:PresentationDirection']",
         "Page Order",
         {"psk:RightBottom", "psk:BottomRight", "psk:LeftBottom", "psk:BottomLeft"}},
        {nup + L"/f:Feature[@name='kvpsk:BorderLine']",
         "Border Line",
         {"kvpsk:None", "kvpsk:SolidLine", "kvpsk:BreakLine"}},
    };
    for (const auto& n : nested) {
        SCOPED_TRACE(n.display);
        EXPECT_EQ(SelectText(capabilities.Get(), n.feature + L"/f:Property[@name='psk:DisplayName']/f:Value"),
                  n.display);
        EXPECT_EQ(SelectCount(capabilities.Get(), n.feature + L"/f:Option"), static_cast<long>(n.names.size()));
        for (size_t i = 0; i < n.names.size(); ++i) {
            std::wstring option = n.feature + L"/f:Option[" + std::to_wstring(i + 1) + L"]";
            EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@name"), n.names[i]);
            EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
            EXPECT_EQ(SelectCount(capabilities.Get(), option + L"/f:Property"), 0);
        }
    }

    const std::wstring poster = L"/f:PrintCapabilities/f:Feature[@name='psk:PagePoster']";
    EXPECT_EQ(SelectText(capabilities.Get(), poster + L"/f:Property[@name='psk:DisplayName']/f:Value"),
              "Multiple Page");
    ExpectOptions(capabilities.Get(), poster, L"SheetsPerPage",
                  {{"Normal", "1"},
                   {"1 in 2x2 pages", "4"},
                   {"1 in 3x3 pages", "9"},
                   {"1 in 4x4 pages", "16"},
                   {"1 in 5x5 pages", "25"}});

}

TEST_F(PagesPerSheetTest, ShortOrMissingBuffersAreRefused)
{
    ComPtr<IXMLDOMDocument2> ticket = NewTicket(NupBody(L"4") + PosterBody(L"9"));
    ExpectArgumentsChecked(*nup_, ticket.Get(), Layout(2, 0, 1));
    ExpectArgumentsChecked(*poster_, ticket.Get(), Layout(2, 0, 1));
}

} // namespace
