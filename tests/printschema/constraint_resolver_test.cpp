// The corrections made across features after the handlers: each rule on a
// ticket built to trigger it, a ticket that triggers none, failures, and
// the provider reporting what the rules did.
#include "printschema/constraint_resolver.h"

#include "printschema/print_ticket_provider.h"
#include "support/test_paths.h"
#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <winspool.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

std::wstring Paper(const std::wstring& option, const wchar_t* transverse = nullptr)
{
    std::wstring body = FeatureXml(L"psk:PageMediaSize", option) +
                        FeatureXml(L"psk:PageOrientation", L"psk:Portrait");
    if (transverse)
        body += std::wstring(L"<psf:Property name=\"kvpsk:PageMediaSizeData\">"
                             L"<psf:Property name=\"kvpsk:CustomUnitType\"><psf:Value xsi:type=\"xsd:string\">mm"
                             L"</psf:Value></psf:Property><psf:Property name=\"kvpsk:TransverseMode\">"
                             L"<psf:Value xsi:type=\"xsd:string\">") +
                transverse + L"</psf:Value></psf:Property></psf:Property>";
    return body;
}

std::wstring Binding(const std::wstring& option, const wchar_t* dependOnDuplex)
{
    return L"<psf:Feature name=\"psk:JobBindAllDocuments\"><psf:Option name=\"" + option + L"\">"
           L"<psf:ScoredProperty name=\"kvpsk:DependOnDuplex\"><psf:Value xsi:type=\"xsd:string\">" +
           dependOnDuplex + L"</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";
}

std::wstring Nup(const std::wstring& pages)
{
    return L"<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"><psf:Option>"
           L"<psf:ScoredProperty name=\"psk:PagesPerSheet\"><psf:Value xsi:type=\"xsd:integer\">" +
           pages + L"</psf:Value></psf:ScoredProperty></psf:Option>" +
           FeatureXml(L"kvpsk:BorderLine", L"kvpsk:SolidLine") + L"</psf:Feature>";
}

std::wstring Poster(const std::wstring& sheets)
{
    return L"<psf:Feature name=\"psk:PagePoster\"><psf:Option>"
           L"<psf:ScoredProperty name=\"psk:SheetsPerPage\"><psf:Value xsi:type=\"xsd:integer\">" +
           sheets + L"</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";
}

const std::wstring kDuplexFeatures =
    FeatureXml(L"psk:JobDuplexAllDocumentsContiguously", L"psk:TwoSidedLongEdge") +
    FeatureXml(L"psk:DocumentDuplex", L"psk:TwoSidedShortEdge") +
    L"<psf:Property name=\"kvpsk:DuplexProperty\"><psf:Value xsi:type=\"xsd:string\">On</psf:Value></psf:Property>";

const wchar_t kScalingOption[] = L"/f:PrintTicket/f:Feature[@name='psk:PageScaling']/f:Option/@name";
const wchar_t kPagesPerSheet[] =
    L"/f:PrintTicket/f:Feature[@name='psk:JobNUpAllDocumentsContiguously']/f:Option"
    L"/f:ScoredProperty[@name='psk:PagesPerSheet']/f:Value";
const wchar_t kBorderLine[] =
    L"//f:Feature[@name='psk:JobNUpAllDocumentsContiguously']//f:Feature[@name='kvpsk:BorderLine']/f:Option/@name";
const wchar_t kPosterFeature[] = L"//f:Feature[@name='psk:PagePoster']";
const wchar_t kTransverse[] =
    L"/f:PrintTicket/f:Property[@name='kvpsk:PageMediaSizeData']/f:Property[@name='kvpsk:TransverseMode']/f:Value";
const wchar_t kDuplexItems[] =
    L"//f:Feature[@name='psk:JobDuplexAllDocumentsContiguously' or @name='psk:DocumentDuplex'] | "
    L"//f:Property[@name='kvpsk:DuplexProperty']";
const wchar_t kBindingFeature[] = L"/f:PrintTicket/f:Feature[@name='psk:JobBindAllDocuments']";

TEST(ConstraintResolver, EachRuleCorrectsTheTicketBuiltToTriggerIt)
{
    // Queries and what they must give after resolution; an empty query
    // checks nothing.
    struct Check {
        const wchar_t* query;
        const char* text;   // "count:N" counts the nodes instead
    };
    const struct Case {
        const char* name;
        std::wstring body;
        HRESULT result;
        Check checks[3];
    } cases[] = {
        {"a paper too large for the printer is fitted to it", Paper(L"psk:ISOA3"), S_PT_CONFLICT_RESOLVED,
         {{kScalingOption, "psk:FitToPaper"}}},
        {"a tabloid already scaled to the paper is left alone",
         Paper(L"psk:NorthAmericaTabloid") +
             FeatureXml(L"psk:PageScaling", L"psk:FitToPaper"),
         S_OK, {{kScalingOption, "psk:FitToPaper"}}},
        {"a booklet prints two pages per sheet without a border",
         Paper(L"psk:ISOA4") + Binding(L"psk:Booklet", L"False") + Nup(L"4"), S_PT_CONFLICT_RESOLVED,
         {{kPagesPerSheet, "2"}, {kBorderLine, "kvpsk:None"}}},
        {"a reverse booklet likewise", Paper(L"psk:ISOA4") + Binding(L"kvpsk:BookletReverseFlip", L"False"),
         S_PT_CONFLICT_RESOLVED, {{kPagesPerSheet, "2"}}},
        {"N-up and poster exclude each other", Paper(L"psk:ISOA4") + Nup(L"4") + Poster(L"9"),
         S_PT_CONFLICT_RESOLVED, {{kPosterFeature, "count:0"}, {kPagesPerSheet, "4"}}},
        {"one page per sheet keeps its poster", Paper(L"psk:ISOA4") + Nup(L"1") + Poster(L"9"), S_OK,
         {{kPosterFeature, "count:1"}}},
        {"long-edge A5 feeds transversely", Paper(L"kvpsk:ISOA5LongEdge", L"Off"), S_PT_CONFLICT_RESOLVED,
         {{kTransverse, "On"}}},
        {"any other paper feeds straight", Paper(L"psk:ISOA4", L"On"), S_PT_CONFLICT_RESOLVED,
         {{kTransverse, "Off"}}},
        {"a binding depending on duplex loses the duplex features",
         Paper(L"psk:ISOA4") + Binding(L"psk:BindLeft", L"True") + kDuplexFeatures, S_OK,
         {{kDuplexItems, "count:0"}, {kBindingFeature, "count:1"}}},
        {"a binding of its own keeps them", Paper(L"psk:ISOA4") + Binding(L"psk:BindLeft", L"False") + kDuplexFeatures,
         S_OK, {{kDuplexItems, "count:3"}}},
        {"a ticket that triggers nothing", Paper(L"psk:ISOA4", L"Off") + Nup(L"2"), S_OK,
         {{kPagesPerSheet, "2"}, {kTransverse, "Off"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        ConstraintResolver resolver(kTestPrivateUri);
        ASSERT_EQ(Hex(resolver.Resolve(nullptr, ticket.Get())), Hex(c.result));
        for (const Check& check : c.checks) {
            if (!check.query) continue;
            SCOPED_TRACE(Narrow(check.query));
            const std::string expected = check.text;
            if (expected.rfind("count:", 0) == 0)
                EXPECT_EQ(SelectCount(ticket.Get(), check.query), std::stol(expected.substr(6)));
            else
                EXPECT_EQ(SelectText(ticket.Get(), check.query), expected);
        }
        // A resolved ticket has nothing left to resolve.
        EXPECT_EQ(Hex(ConstraintResolver(kTestPrivateUri).Resolve(nullptr, ticket.Get())), Hex(S_OK));
    }
}

TEST(ConstraintResolver, ArgumentsAndUnreadableTickets)
{
    ConstraintResolver resolver(kTestPrivateUri);
    EXPECT_EQ(Hex(resolver.Resolve(nullptr, nullptr)), Hex(E_POINTER));

    // Not a ticket: the first reader fails and nothing is written.
    ComPtr<IXMLDOMDocument2> other =
        Load(L"<psf:PrintCapabilities version=\"1\"" + TicketDeclarations() + L">" + Paper(L"psk:ISOA3") +
             L"</psf:PrintCapabilities>");
    EXPECT_TRUE(FAILED(resolver.Resolve(nullptr, other.Get())));
    EXPECT_EQ(SelectCount(other.Get(), L"//f:Feature[@name='psk:PageScaling']"), 0);
}

// Through the provider on the installed queue: validation reports the
// resolver's corrections, and a ticket made from a DEVMODE comes out
// consistent.
TEST(ConstraintResolver, TheProviderReportsCorrections)
{
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer, nullptr));
    ComPtr<PrintTicketProvider> provider;
    provider.Attach(new PrintTicketProvider);
    SHIMOPTS options = PTSHIM_DEFAULT;
    DWORD flags = 0;
    INT count = 0;
    BSTR* namespaces = nullptr;
    ASSERT_EQ(Hex(provider->BindPrinter(printer, 1, &options, &flags, &count, &namespaces)), Hex(S_OK));

    ComPtr<IXMLDOMDocument2> oversized = NewTicket(Paper(L"psk:ISOA3"));
    EXPECT_EQ(Hex(provider->ValidatePrintTicket(oversized.Get())), Hex(S_PT_CONFLICT_RESOLVED));
    EXPECT_EQ(SelectText(oversized.Get(), kScalingOption), "psk:FitToPaper");
    EXPECT_EQ(Hex(provider->ValidatePrintTicket(oversized.Get())), Hex(S_PT_NO_CONFLICT));

    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed ? needed : 1);
    ASSERT_TRUE(GetPrinterW(printer, 2, info.data(), needed, &needed));
    const DEVMODEW* current = reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode;
    ASSERT_NE(current, nullptr);
    std::vector<BYTE> a3(reinterpret_cast<const BYTE*>(current),
                         reinterpret_cast<const BYTE*>(current) + current->dmSize + current->dmDriverExtra);
    reinterpret_cast<DEVMODEW*>(a3.data())->dmPaperSize = DMPAPER_A3;
    ComPtr<IXMLDOMDocument2> converted = NewTicket();
    ASSERT_EQ(Hex(provider->ConvertDevModeToPrintTicket(static_cast<ULONG>(a3.size()),
                                                        reinterpret_cast<DEVMODEW*>(a3.data()), converted.Get())),
              Hex(S_OK));
    EXPECT_EQ(SelectText(converted.Get(), kScalingOption), "psk:FitToPaper");
    provider.Reset();
    ClosePrinter(printer);
}

} // namespace
