// Collation and copies between the DEVMODE and tickets, the duplex features
// a ticket may not keep, and the binding items the constraint resolver
// reads and writes: every choice both ways, out-of-range values, tickets
// that leave parts out, validation's corrections and the capabilities
// without a printer.
#include "printschema/features/collate_copies.h"
#include "printschema/features/duplex_binding.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <cstring>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const std::wstring kCollateOption = L"/f:PrintTicket/f:Feature[@name='psk:DocumentCollate']/f:Option/@name";
const std::wstring kCopiesValue = L"/f:PrintTicket/f:ParameterInit[@name='psk:JobCopiesAllDocuments']/f:Value";
const std::wstring kCollateField =
    L"/f:PrintTicket/f:Property[@name='kvpsk:CollateData']/f:Property[@name='kvpsk:CollateField']/f:Value";

std::wstring CollateDataXml(const std::wstring& field)
{
    return L"<psf:Property name=\"kvpsk:CollateData\"><psf:Property name=\"kvpsk:CollateField\">"
           L"<psf:Value xsi:type=\"xsd:string\">" + field + L"</psf:Value></psf:Property></psf:Property>";
}

DriverDevmode Collation(short dmCollate, short dmCopies, BYTE useDevmodeCollate)
{
    DriverDevmode record = BlankDevmode();
    record.pub.dmCollate = dmCollate;
    record.pub.dmCopies = dmCopies;
    record.priv.useDevmodeCollate = useDevmodeCollate;
    return record;
}

using CollateCopiesTest = HandlerTest<CreateCollateCopiesHandler>;

TEST_F(CollateCopiesTest, EveryCollationModeAndCopyCountRoundTrips)
{
    struct Mode {
        BYTE        useDevmodeCollate;
        const char* field;
        BYTE        back;   // what the DEVMODE can hold of it
    } modes[] = {{0, "Unsupported", 0}, {1, "Supported", 1}, {2, "Indeterminate", 1}, {9, "Supported", 1}};
    for (short collate : {DMCOLLATE_FALSE, DMCOLLATE_TRUE}) {
        for (short copies : {1, 3, 999}) {
            for (const Mode& mode : modes) {
                SCOPED_TRACE("collate " + std::to_string(collate) + ", " + std::to_string(copies) + " copies, mode " +
                             std::to_string(mode.useDevmodeCollate));
                DriverDevmode source = Collation(collate, copies, mode.useDevmodeCollate);
                ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
                EXPECT_EQ(SelectText(ticket.Get(), kCollateOption), collate ? "psk:Collated" : "psk:Uncollated");
                EXPECT_EQ(SelectText(ticket.Get(), kCopiesValue), std::to_string(copies));
                EXPECT_EQ(SelectText(ticket.Get(), kCollateField), mode.field);
                EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));

                DriverDevmode target = Collation(!collate, 500, !mode.back);
                target.priv.processor.procCollate = !collate;
                ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
                EXPECT_EQ(target.pub.dmCollate, collate);
                EXPECT_EQ(target.priv.processor.procCollate, collate);
                EXPECT_EQ(target.pub.dmCopies, copies);
                EXPECT_EQ(target.priv.useDevmodeCollate, mode.back);
            }
        }
    }
}

TEST_F(CollateCopiesTest, OutOfRangeDevModeValuesReadAsDefaults)
{
    struct Case {
        short       dmCollate, dmCopies;
        const char* option;
        const char* copies;
    } cases[] = {
        {DMCOLLATE_TRUE, 0, "psk:Collated", "1"},     {DMCOLLATE_FALSE, -5, "psk:Uncollated", "1"},
        {DMCOLLATE_TRUE, 1000, "psk:Collated", "1"},  {DMCOLLATE_FALSE, 32767, "psk:Uncollated", "1"},
        {2, 998, "psk:Uncollated", "998"},            {-1, 2, "psk:Uncollated", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("collate " + std::to_string(c.dmCollate) + ", copies " + std::to_string(c.dmCopies));
        DriverDevmode source = Collation(c.dmCollate, c.dmCopies, 1);
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), kCollateOption), c.option);
        EXPECT_EQ(SelectText(ticket.Get(), kCopiesValue), c.copies);
    }
}

// What a ticket leaves out or names wrongly keeps the DEVMODE's value; a
// copies value is taken as it is, as 16 bits.
TEST_F(CollateCopiesTest, TicketsChangeOnlyWhatTheyName)
{
    const std::wstring collated = FeatureXml(L"psk:DocumentCollate", L"psk:Collated");
    struct Case {
        const char*  name;
        std::wstring body;
        short        dmCollate, dmCopies;
        BYTE         useDevmodeCollate;
    } cases[] = {
        {"nothing", L"", DMCOLLATE_FALSE, 7, 0},
        {"collated", collated, DMCOLLATE_TRUE, 7, 0},
        {"collation in our namespace", FeatureXml(L"psk:DocumentCollate", L"kvpsk:Collated"), DMCOLLATE_TRUE, 7, 0},
        {"unknown collation", FeatureXml(L"psk:DocumentCollate", L"psk:Sorted"), DMCOLLATE_FALSE, 7, 0},
        {"job-level collation only", FeatureXml(L"psk:JobCollateAllDocuments", L"psk:Collated"), DMCOLLATE_FALSE, 7, 0},
        {"five copies", ParameterInitXml(L"psk:JobCopiesAllDocuments", L"5"), DMCOLLATE_FALSE, 5, 0},
        {"copies above the range", ParameterInitXml(L"psk:JobCopiesAllDocuments", L"1000"), DMCOLLATE_FALSE, 1000, 0},
        {"copies beyond 16 bits", ParameterInitXml(L"psk:JobCopiesAllDocuments", L"65537"), DMCOLLATE_FALSE, 1, 0},
        {"copies not a number", ParameterInitXml(L"psk:JobCopiesAllDocuments", L"few"), DMCOLLATE_FALSE, 0, 0},
        {"copies in our namespace", ParameterInitXml(L"kvpsk:JobCopiesAllDocuments", L"5"), DMCOLLATE_FALSE, 7, 0},
        {"dmCollate governs", CollateDataXml(L"Supported"), DMCOLLATE_FALSE, 7, 1},
        {"indeterminate", CollateDataXml(L"Indeterminate"), DMCOLLATE_FALSE, 7, 1},
        {"unsupported", collated + CollateDataXml(L"Unsupported"), DMCOLLATE_TRUE, 7, 0},
        {"unknown mode", CollateDataXml(L"Sometimes"), DMCOLLATE_FALSE, 7, 0},
        {"collate data without its field", L"<psf:Property name=\"kvpsk:CollateData\"/>", DMCOLLATE_FALSE, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = Collation(DMCOLLATE_FALSE, 7, 0);
        target.priv.processor.procCollate = 1;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.pub.dmCollate, c.dmCollate);
        EXPECT_EQ(target.priv.processor.procCollate, c.dmCollate);
        EXPECT_EQ(target.pub.dmCopies, c.dmCopies);
        EXPECT_EQ(target.priv.useDevmodeCollate, c.useDevmodeCollate);
    }
}

TEST_F(CollateCopiesTest, ValidationRemovesJobLevelCollation)
{
    struct Case {
        const char*  name;
        std::wstring body;
        HRESULT      first;
        long         jobLevelAfter;
    } cases[] = {
        {"job-level collation", FeatureXml(L"psk:JobCollateAllDocuments", L"psk:Collated"), S_PT_CONFLICT_RESOLVED, 0},
        {"both levels",
         FeatureXml(L"psk:DocumentCollate", L"psk:Collated") +
             FeatureXml(L"psk:JobCollateAllDocuments", L"psk:Uncollated"),
         S_PT_CONFLICT_RESOLVED, 0},
        {"job level without option", L"<psf:Feature name=\"psk:JobCollateAllDocuments\"/>", S_PT_NO_CONFLICT, 1},
        {"document level", FeatureXml(L"psk:DocumentCollate", L"psk:Collated"), S_PT_NO_CONFLICT, 0},
        // Without the administrator's lock any number of copies is fine.
        {"many copies", ParameterInitXml(L"psk:JobCopiesAllDocuments", L"5"), S_PT_NO_CONFLICT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(c.first));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:JobCollateAllDocuments']"), c.jobLevelAfter);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(CollateCopiesTest, WritingReplacesEarlierCollationItems)
{
    ComPtr<IXMLDOMDocument2> ticket =
        NewTicket(FeatureXml(L"psk:DocumentCollate", L"psk:Uncollated") +
                  ParameterInitXml(L"psk:JobCopiesAllDocuments", L"9") + CollateDataXml(L"Unsupported"));
    DriverDevmode source = Collation(DMCOLLATE_TRUE, 2, 2);
    ASSERT_EQ(Hex(HandlerToTicket(*handler_, source, ticket.Get())), Hex(S_OK));
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:DocumentCollate']"), 1);
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"), 1);
    EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Property[@name='kvpsk:CollateData']"), 1);
    EXPECT_EQ(SelectText(ticket.Get(), kCollateOption), "psk:Collated");
    EXPECT_EQ(SelectText(ticket.Get(), kCopiesValue), "2");
    EXPECT_EQ(SelectText(ticket.Get(), kCollateField), "Indeterminate");
}

TEST_F(CollateCopiesTest, CapabilitiesListBothCollationsAndUpTo999Copies)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring feature = L"/f:PrintCapabilities/f:Feature[@name='psk:DocumentCollate']";
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']/f:Value"), "Collate");
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"), 2);
    const struct {
        const char*    name;
        const wchar_t* display;
    } options[] = {{"psk:Uncollated", L"OFF"}, {"psk:Collated", L" on "}};
    for (size_t i = 0; i < 2; ++i) {
        std::wstring option = feature + L"/f:Option[" + std::to_wstring(i + 1) + L"]";
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@name"), options[i].name);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), "psk:None");
        // Compared as XPath strings: the blanks around " on " belong to the name.
        EXPECT_EQ(SelectCount(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value[. = '" +
                                                      options[i].display + L"']"),
                  1);
    }
    const std::wstring definition = L"/f:PrintCapabilities/f:ParameterDef[@name='psk:JobCopiesAllDocuments']";
    const struct {
        const wchar_t* property;
        const char*    value;
    } properties[] = {{L"DefaultValue", "1"}, {L"MinValue", "1"}, {L"MaxValue", "999"}, {L"Multiple", "1"},
                      {L"UnitType", "copies"}};
    for (const auto& p : properties)
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:" + p.property + L"']/f:Value"),
                  p.value)
            << Narrow(p.property);
}

const std::wstring kDuplexItems =
    L"<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\"><psf:Option name=\"psk:TwoSidedLongEdge\">"
    L"<psf:ScoredProperty name=\"psk:DuplexMode\"><psf:ParameterRef name=\"psk:DuplexModeChoice\"/>"
    L"</psf:ScoredProperty></psf:Option></psf:Feature>" +
    ParameterInitXml(L"psk:DuplexModeChoice", L"Automatic", L"string") +
    FeatureXml(L"psk:DocumentDuplex", L"psk:TwoSidedShortEdge") +
    L"<psf:Property name=\"kvpsk:DuplexProperty\"><psf:Value xsi:type=\"xsd:string\">On</psf:Value></psf:Property>";
const std::wstring kOtherFeature = FeatureXml(L"psk:PageOrientation", L"psk:Landscape");

long DuplexItemCount(IXMLDOMDocument2* ticket)
{
    return SelectCount(ticket, L"//f:Feature[@name='psk:JobDuplexAllDocumentsContiguously' or "
                               L"@name='psk:DocumentDuplex'] | //f:Property[@name='kvpsk:DuplexProperty'] | "
                               L"//f:ParameterInit");
}

// Whatever the DEVMODE says of duplex, a ticket leaves without duplex items,
// and a ticket's duplex items never reach the DEVMODE.
TEST(DuplexTest, TicketsNeverCarryDuplex)
{
    std::unique_ptr<FeatureHandler> handler_ = CreateDuplexHandler(kTestPrivateUri);
    ASSERT_TRUE(handler_);
    const struct {
        const char*  name;
        std::wstring body;
    } tickets[] = {
        {"all duplex items", kDuplexItems + kOtherFeature},
        {"job level only", FeatureXml(L"psk:JobDuplexAllDocumentsContiguously", L"psk:OneSided") + kOtherFeature},
        {"no duplex items", kOtherFeature}};
    for (const auto& t : tickets) {
        for (short dmDuplex : {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL}) {
            SCOPED_TRACE(std::string(t.name) + ", dmDuplex " + std::to_string(dmDuplex));
            DriverDevmode record = BlankDevmode();
            record.pub.dmDuplex = dmDuplex;
            record.priv.duplex = 0x0301;
            const DriverDevmode before = record;

            ComPtr<IXMLDOMDocument2> ticket = NewTicket(t.body);
            ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), record)), Hex(S_OK));
            EXPECT_EQ(memcmp(&record, &before, sizeof record), 0) << "the DEVMODE changed";

            ASSERT_EQ(Hex(HandlerToTicket(*handler_, record, ticket.Get())), Hex(S_OK));
            EXPECT_EQ(DuplexItemCount(ticket.Get()), 0);
            EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageOrientation']"), 1);

            ticket = NewTicket(t.body);
            EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_OK));
            EXPECT_EQ(DuplexItemCount(ticket.Get()), 0);
            EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:PageOrientation']"), 1);
        }
    }
    EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, nullptr)), Hex(E_POINTER));
}

TEST(DuplexTest, CapabilitiesOfferOneSidedOnly)
{
    std::unique_ptr<FeatureHandler> handler_ = CreateDuplexHandler(kTestPrivateUri);
    ASSERT_TRUE(handler_);
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring feature = L"/f:PrintCapabilities/f:Feature[@name='psk:JobDuplexAllDocumentsContiguously']";
    EXPECT_EQ(SelectCount(capabilities.Get(), feature), 1);
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']"), 0);
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psf:SelectionType']/f:Value"),
              "psk:PickOne");
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option"), 1);
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Option/@name"), "psk:OneSided");
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Option/@constrained"), "psk:None");
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Option/*"), 0);
}

const std::wstring kBinding = L"/f:PrintTicket/f:Feature[@name='psk:JobBindAllDocuments']";

// The binding items as another producer might write them.
std::wstring BindingXml(const std::wstring& option, const std::wstring& gutter, const std::wstring& depend,
                        const std::wstring& optionControl, const std::wstring& gutterControl,
                        const std::wstring& unit)
{
    std::wstring body = L"<psf:Feature name=\"psk:JobBindAllDocuments\"><psf:Option name=\"" + option + L"\">";
    if (!gutter.empty())
        body += L"<psf:ScoredProperty name=\"psk:BindingGutter\"><psf:ParameterRef "
                L"name=\"psk:JobBindAllDocumentsGutter\"/></psf:ScoredProperty>";
    if (!depend.empty())
        body += L"<psf:ScoredProperty name=\"kvpsk:DependOnDuplex\"><psf:Value xsi:type=\"xsd:string\">" + depend +
                L"</psf:Value></psf:ScoredProperty>";
    body += L"</psf:Option>";
    if (!optionControl.empty())
        body += L"<psf:Property name=\"kvpsk:BindingOptionControl\"><psf:Value xsi:type=\"xsd:string\">" +
                optionControl + L"</psf:Value></psf:Property>";
    if (!gutterControl.empty()) body += FeatureXml(L"kvpsk:BindingGutterControl", gutterControl);
    if (!unit.empty()) body += FeatureXml(L"kvpsk:BindingUnit", unit);
    body += L"</psf:Feature>";
    if (!gutter.empty()) body += ParameterInitXml(L"psk:JobBindAllDocumentsGutter", gutter);
    return body;
}

void ExpectBinding(const BindingSettings& read, const BindingSettings& expected)
{
    EXPECT_EQ(read.bindFeature, expected.bindFeature);
    EXPECT_EQ(read.bindOption, expected.bindOption);
    EXPECT_EQ(read.gutter, expected.gutter);
    EXPECT_EQ(read.gutterControl, expected.gutterControl);
    EXPECT_EQ(read.bindUnit, expected.bindUnit);
    EXPECT_EQ(read.optionControl, expected.optionControl);
    EXPECT_EQ(read.dependOnDuplex, expected.dependOnDuplex);
}

TEST(BindingTest, EveryBindingWrittenReadsBack)
{
    const char* const names[] = {"psk:BindBottom", "psk:BindLeft", "psk:BindRight",
                                 "psk:BindTop",    "psk:Booklet",  "kvpsk:BookletReverseFlip"};
    for (int option = 0; option < kBindOptionCount; ++option) {
        for (int variant = 0; variant < 2; ++variant) {
            SCOPED_TRACE(std::string(names[option]) + (variant ? ", all on" : ", all off"));
            BindingSettings written{kBindJob, option, variant ? 12700 : 0, variant, variant, variant, variant};
            ComPtr<IXMLDOMDocument2> ticket =
                NewTicket(BindingXml(L"psk:BindTop", L"5", L"True", L"On", L"On", L"inches"));
            PrintSchemaDocument document(kPrintTicketRoot, kTestPrivateUri, false, ticket.Get());
            ASSERT_EQ(Hex(WriteBinding(document, written)), Hex(S_OK));

            EXPECT_EQ(SelectText(ticket.Get(), kBinding + L"/f:Option/@name"), names[option]);
            EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:JobBindAllDocuments']"), 1);
            EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"), 1);
            EXPECT_EQ(SelectText(ticket.Get(),
                                 L"/f:PrintTicket/f:ParameterInit[@name='psk:JobBindAllDocumentsGutter']/f:Value"),
                      variant ? "12700" : "0");
            EXPECT_EQ(SelectText(ticket.Get(), kBinding + L"/f:Option/f:ScoredProperty[@name='psk:BindingGutter']/"
                                                          L"f:ParameterRef/@name"),
                      "psk:JobBindAllDocumentsGutter");
            EXPECT_EQ(SelectText(ticket.Get(),
                                 kBinding + L"/f:Option/f:ScoredProperty[@name='kvpsk:DependOnDuplex']/f:Value"),
                      variant ? "True" : "False");
            EXPECT_EQ(SelectText(ticket.Get(), kBinding + L"/f:Property[@name='kvpsk:BindingOptionControl']/f:Value"),
                      variant ? "On" : "Off");
            EXPECT_EQ(
                SelectText(ticket.Get(), kBinding + L"/f:Feature[@name='kvpsk:BindingGutterControl']/f:Option/@name"),
                variant ? "kvpsk:On" : "kvpsk:Off");
            EXPECT_EQ(SelectText(ticket.Get(), kBinding + L"/f:Feature[@name='kvpsk:BindingUnit']/f:Option/@name"),
                      variant ? "kvpsk:inches" : "kvpsk:microns");

            // The queries above bound their own prefixes; read through a new wrapper.
            PrintSchemaDocument reread(kPrintTicketRoot, kTestPrivateUri, false, ticket.Get());
            BindingSettings read{kBindNone, 3, 77, 1 - variant, 1 - variant, 1 - variant, 1 - variant};
            ASSERT_EQ(Hex(ReadBinding(reread, &read)), Hex(S_OK));
            ExpectBinding(read, written);
        }
    }
}

// Only the job-level binding is read; a document-level one is written when
// asked, and both go before anything is written.
TEST(BindingTest, FeatureLevelsAndBadRecords)
{
    const std::wstring earlier = BindingXml(L"psk:Booklet", L"300", L"False", L"On", L"On", L"inches") +
                                 FeatureXml(L"psk:DocumentBinding", L"psk:BindLeft");
    struct Case {
        const char* name;
        BindingSettings written;
        HRESULT     result;
        long        job, document;
    } cases[] = {
        {"job level", {kBindJob, kBindTop, 0, 0, 0, 0, 1}, S_OK, 1, 0},
        {"document level", {kBindDocument, kBindTop, 0, 0, 0, 0, 1}, S_OK, 0, 1},
        {"none", {kBindNone, kBindTop, 0, 0, 0, 0, 1}, S_OK, 0, 0},
        {"feature below none", {-2, kBindTop, 0, 0, 0, 0, 1}, E_INVALIDARG, 1, 1},
        {"feature beyond document", {2, kBindTop, 0, 0, 0, 0, 1}, E_INVALIDARG, 1, 1},
        {"option below the list", {kBindJob, -1, 0, 0, 0, 0, 1}, E_INVALIDARG, 1, 1},
        {"option beyond the list", {kBindJob, kBindOptionCount, 0, 0, 0, 0, 1}, E_INVALIDARG, 1, 1},
        {"unit beyond inches", {kBindJob, kBindTop, 0, 0, 2, 0, 1}, E_INVALIDARG, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(earlier);
        PrintSchemaDocument document(kPrintTicketRoot, kTestPrivateUri, false, ticket.Get());
        EXPECT_EQ(Hex(WriteBinding(document, c.written)), Hex(c.result));
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:JobBindAllDocuments']"), c.job);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:DocumentBinding']"), c.document);
        if (c.result == S_OK) {
            EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"), c.job + c.document);
        }

        PrintSchemaDocument reread(kPrintTicketRoot, kTestPrivateUri, false, ticket.Get());
        BindingSettings read;
        ASSERT_EQ(Hex(ReadBinding(reread, &read)), Hex(S_OK));
        EXPECT_EQ(read.bindFeature, c.job ? kBindJob : kBindNone);
    }
}

// What a ticket leaves out keeps the record's value; an option we do not
// know keeps the option, gutter and duplex dependence but not the rest.
TEST(BindingTest, MissingAndUnknownItemsKeepTheRecord)
{
    const BindingSettings start{kBindNone, kBindLeft, 99, 1, 1, 1, 1};
    struct Case {
        const char*     name;
        std::wstring    body;
        BindingSettings expected;
    } cases[] = {
        {"no binding", L"", {kBindNone, kBindLeft, 99, 1, 1, 1, 1}},
        {"document level only",
         FeatureXml(L"psk:DocumentBinding", L"psk:BindTop"),
         {kBindNone, kBindLeft, 99, 1, 1, 1, 1}},
        {"option alone", BindingXml(L"psk:BindRight", L"", L"", L"", L"", L""), {kBindJob, kBindRight, 99, 1, 1, 1, 1}},
        {"complete",
         BindingXml(L"psk:Booklet", L"2540", L"False", L"Off", L"Off", L"microns"),
         {kBindJob, kBooklet, 2540, 0, 0, 0, 0}},
        {"private booklet",
         BindingXml(L"kvpsk:BookletReverseFlip", L"1", L"True", L"", L"", L""),
         {kBindJob, kBookletReverseFlip, 1, 1, 1, 1, 1}},
        {"namespace not compared",
         BindingXml(L"kvpsk:BindTop", L"", L"", L"", L"", L""),
         {kBindJob, kBindTop, 99, 1, 1, 1, 1}},
        {"unknown option",
         BindingXml(L"psk:Stapled", L"2540", L"False", L"Off", L"Off", L"microns"),
         {kBindJob, kBindLeft, 99, 0, 0, 0, 1}},
        {"unknown words",
         BindingXml(L"psk:BindTop", L"7", L"Maybe", L"Half", L"Half", L"points"),
         {kBindJob, kBindTop, 7, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        PrintSchemaDocument document(kPrintTicketRoot, kTestPrivateUri, false, ticket.Get());
        BindingSettings read = start;
        ASSERT_EQ(Hex(ReadBinding(document, &read)), Hex(S_OK));
        ExpectBinding(read, c.expected);
    }
}

} // namespace
