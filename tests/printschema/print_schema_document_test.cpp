// The Print Schema document layer over MSXML 6: namespace discovery,
// queries, option and value lookup, removal, the element builders, the query
// assembler and the COM boundary guard.
//
// Built elements are checked after a save/load round trip, through XPath
// with our own bindings of the four namespaces: that is the XML a consumer
// receives, and it avoids comparing bytes (the DOM re-indents and repeats
// namespace declarations).
#include "printschema/print_schema_document.h"

#include "printschema/com_boundary.h"
#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"

#include "support/com_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <vector>

extern "C" void WINAPI SetOaNoCache(void);

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kPrivateUri[] = L"http://schemas.zentari.example/printing/keywords";
const wchar_t kOtherUri[] = L"http://schemas.example.org/somebody-else";

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

std::wstring Declaration(const wchar_t* prefix, const wchar_t* uri)
{
    return std::wstring(L" xmlns:") + prefix + L"=\"" + uri + L"\"";
}

const std::wstring kStandardDeclarations =
    Declaration(L"psf", kFrameworkNamespace) + Declaration(L"psk", kKeywordsNamespace) +
    Declaration(L"xsi", kSchemaInstanceNamespace) + Declaration(L"xsd", kSchemaNamespace);
const std::wstring kPrivateDeclaration = Declaration(L"kvpsk", kPrivateUri);

std::wstring Ticket(const std::wstring& body,
                    const std::wstring& declarations = kStandardDeclarations + kPrivateDeclaration)
{
    return L"<psf:PrintTicket version=\"1\"" + declarations + L">" + body + L"</psf:PrintTicket>";
}

std::wstring Capabilities(const std::wstring& body)
{
    return L"<psf:PrintCapabilities version=\"1\"" + kStandardDeclarations + kPrivateDeclaration + L">" +
           body + L"</psf:PrintCapabilities>";
}

// A ticket that calls every namespace something unusual: psf is "a",
// psk "b", xsi "c", xsd "d" and ours "e".
std::wstring OddTicket(const std::wstring& body)
{
    return L"<a:PrintTicket version=\"1\"" + Declaration(L"a", kFrameworkNamespace) +
           Declaration(L"b", kKeywordsNamespace) + Declaration(L"c", kSchemaInstanceNamespace) +
           Declaration(L"d", kSchemaNamespace) + Declaration(L"e", kPrivateUri) + L">" + body +
           L"</a:PrintTicket>";
}

void SetProperty(IXMLDOMDocument2* document, const wchar_t* name, const std::wstring& value)
{
    BSTR property = SysAllocString(name);
    VARIANT setting;
    VariantInit(&setting);
    setting.vt = VT_BSTR;
    setting.bstrVal = SysAllocString(value.c_str());
    EXPECT_EQ(Hex(document->setProperty(property, setting)), Hex(S_OK));
    VariantClear(&setting);
    SysFreeString(property);
}

// The document as a consumer receives it: saved to a stream and loaded
// again, with our own XPath prefixes f, k, i, s and p for the framework,
// keywords, schema instance, schema and private namespaces.
ComPtr<IXMLDOMDocument2> Serialized(IXMLDOMDocument2* document)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(Hex(CreateStreamOnHGlobal(nullptr, TRUE, &stream)), Hex(S_OK));
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_UNKNOWN;
    target.punkVal = stream.Get();
    EXPECT_EQ(Hex(document->save(target)), Hex(S_OK));
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ComPtr<IXMLDOMDocument2> copy = NewDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(Hex(copy->load(target, &loaded)), Hex(S_OK));
    EXPECT_EQ(loaded, VARIANT_TRUE);
    SetProperty(copy.Get(), L"SelectionLanguage", L"XPath");
    SetProperty(copy.Get(), L"SelectionNamespaces",
                std::wstring(L"xmlns:f='") + kFrameworkNamespace + L"' xmlns:k='" + kKeywordsNamespace +
                    L"' xmlns:i='" + kSchemaInstanceNamespace + L"' xmlns:s='" + kSchemaNamespace +
                    L"' xmlns:p='" + kPrivateUri + L"'");
    return copy;
}

// Text of the first node the query selects, "<none>" when nothing matches.
std::wstring TextAt(IXMLDOMNode* context, const std::wstring& query)
{
    BSTR q = SysAllocString(query.c_str());
    ComPtr<IXMLDOMNode> node;
    HRESULT hr = context->selectSingleNode(q, &node);
    SysFreeString(q);
    EXPECT_TRUE(SUCCEEDED(hr)) << Narrow(query) << " " << Hex(hr);
    if (hr != S_OK || !node) return L"<none>";
    BSTR text = nullptr;
    node->get_text(&text);
    std::wstring result = text ? text : L"";
    SysFreeString(text);
    return result;
}

long CountAt(IXMLDOMNode* context, const std::wstring& query)
{
    BSTR q = SysAllocString(query.c_str());
    ComPtr<IXMLDOMNodeList> nodes;
    HRESULT hr = context->selectNodes(q, &nodes);
    SysFreeString(q);
    EXPECT_EQ(Hex(hr), Hex(S_OK)) << Narrow(query);
    long count = -1;
    if (nodes) nodes->get_length(&count);
    return count;
}

// The root's attribute of that name, namespace declarations included
// (Wine's getAttribute does not see those, so the attributes are walked).
std::wstring RootAttribute(IXMLDOMDocument2* document, const wchar_t* name)
{
    ComPtr<IXMLDOMElement> root;
    document->get_documentElement(&root);
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    root->get_attributes(&attributes);
    long count = 0;
    attributes->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        if (FAILED(attributes->get_item(i, &attribute)) || !attribute) continue;
        BSTR attributeName = nullptr;
        attribute->get_nodeName(&attributeName);
        bool match = attributeName && wcscmp(attributeName, name) == 0;
        SysFreeString(attributeName);
        if (!match) continue;
        BSTR text = nullptr;
        attribute->get_text(&text);
        std::wstring result = text ? text : L"";
        SysFreeString(text);
        return result;
    }
    return L"<none>";
}

HRESULT ConstructionResult(const wchar_t* root, const wchar_t* privateUri, bool declareMissing,
                           IXMLDOMDocument2* document)
{
    try {
        PrintSchemaDocument wrapper(root, privateUri, declareMissing, document);
        return S_OK;
    } catch (const CXDException& e) {
        return e.hr;
    }
}

std::wstring Take(BSTR text)
{
    std::wstring result = text ? text : L"<null>";
    SysFreeString(text);
    return result;
}

std::wstring VariantString(VARIANT& value)
{
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR))) return L"<not text>";
    std::wstring result = text.bstrVal ? text.bstrVal : L"";
    VariantClear(&text);
    return result;
}

ComPtr<IXMLDOMNode> Root(PrintSchemaDocument& wrapper)
{
    ComPtr<IXMLDOMNode> root;
    EXPECT_EQ(Hex(wrapper.SelectRoot(&root)), Hex(S_OK));
    return root;
}

void AppendTo(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> appended;
    ASSERT_EQ(Hex(parent->appendChild(child, &appended)), Hex(S_OK));
}

// ---------------------------------------------------------------------------
// Construction and namespace discovery

TEST(PrintSchemaNamespaces, PrefixesAreFoundByUriWhateverTheDocumentCallsThem)
{
    struct Case {
        const char* what;
        std::wstring xml;
        const wchar_t* root;
        const wchar_t* framework;
        const wchar_t* keywords;
        const wchar_t* schemaInstance;
        const wchar_t* schema;
        const wchar_t* privatePrefix;
        bool capabilities;
    };
    const Case cases[] = {
        {"usual prefixes", Ticket(L""), kPrintTicketRoot, L"psf:", L"psk:", L"xsi:", L"xsd:", L"kvpsk:",
         false},
        {"one-letter prefixes", OddTicket(L""), kPrintTicketRoot, L"a:", L"b:", L"c:", L"d:", L"e:", false},
        {"capabilities", Capabilities(L""), kPrintCapabilitiesRoot, L"psf:", L"psk:", L"xsi:", L"xsd:",
         L"kvpsk:", true},
        // A prefix of the right name bound to another URI is not the namespace.
        {"psk names someone else's namespace",
         Ticket(L"", Declaration(L"psf", kFrameworkNamespace) + Declaration(L"psk", kOtherUri) +
                         Declaration(L"keys", kKeywordsNamespace) +
                         Declaration(L"xsi", kSchemaInstanceNamespace) +
                         Declaration(L"xsd", kSchemaNamespace) + kPrivateDeclaration),
         kPrintTicketRoot, L"psf:", L"keys:", L"xsi:", L"xsd:", L"kvpsk:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<IXMLDOMDocument2> document = Load(c.xml);
        PrintSchemaDocument wrapper(c.root, kPrivateUri, false, document.Get());
        EXPECT_STREQ(wrapper.FrameworkPrefix(), c.framework);
        EXPECT_STREQ(wrapper.KeywordsPrefix(), c.keywords);
        EXPECT_STREQ(wrapper.SchemaInstancePrefix(), c.schemaInstance);
        EXPECT_STREQ(wrapper.SchemaPrefix(), c.schema);
        EXPECT_STREQ(wrapper.PrivatePrefix(), c.privatePrefix);
        EXPECT_TRUE(wrapper.PrivateNamespaceDeclared());
        EXPECT_EQ(wrapper.IsCapabilities(), c.capabilities);
    }
}

TEST(PrintSchemaNamespaces, MissingPrivateNamespaceIsDeclaredAsNs0001AndFoundAgain)
{
    ComPtr<IXMLDOMDocument2> document = Load(Ticket(L"", kStandardDeclarations));
    {
        PrintSchemaDocument declaring(kPrintTicketRoot, kPrivateUri, true, document.Get());
        EXPECT_STREQ(declaring.PrivatePrefix(), L"ns0001:");
        EXPECT_TRUE(declaring.PrivateNamespaceDeclared());
    }
    EXPECT_EQ(RootAttribute(document.Get(), L"xmlns:ns0001"), kPrivateUri);

    PrintSchemaDocument finding(kPrintTicketRoot, kPrivateUri, false, document.Get());
    EXPECT_STREQ(finding.PrivatePrefix(), L"ns0001:");
    EXPECT_TRUE(finding.PrivateNamespaceDeclared());

    // The declaration is part of the XML the consumer receives.
    ComPtr<IXMLDOMDocument2> copy = Serialized(document.Get());
    PrintSchemaDocument consumer(kPrintTicketRoot, kPrivateUri, false, copy.Get());
    EXPECT_STREQ(consumer.PrivatePrefix(), L"ns0001:");
}

TEST(PrintSchemaNamespaces, WithoutDeclaringAMissingNamespaceStaysEmpty)
{
    ComPtr<IXMLDOMDocument2> document = Load(Ticket(L"", Declaration(L"psf", kFrameworkNamespace)));
    PrintSchemaDocument wrapper(kPrintTicketRoot, kPrivateUri, false, document.Get());
    EXPECT_STREQ(wrapper.FrameworkPrefix(), L"psf:");
    EXPECT_STREQ(wrapper.KeywordsPrefix(), L"");
    EXPECT_STREQ(wrapper.SchemaInstancePrefix(), L"");
    EXPECT_STREQ(wrapper.SchemaPrefix(), L"");
    EXPECT_STREQ(wrapper.PrivatePrefix(), L"");
    EXPECT_FALSE(wrapper.PrivateNamespaceDeclared());
    EXPECT_EQ(RootAttribute(document.Get(), L"xmlns:psk"), L"<none>");
    EXPECT_EQ(RootAttribute(document.Get(), L"xmlns:ns0001"), L"<none>");
}

TEST(PrintSchemaNamespaces, DeclaredPrefixesAvoidNamesTheRootAlreadyCarries)
{
    struct Case {
        const char* what;
        std::wstring declarations;
        const wchar_t* keywords;
        const wchar_t* privatePrefix;
        const wchar_t* newPrivateAttribute;
    };
    const std::wstring framework = Declaration(L"psf", kFrameworkNamespace);
    const Case cases[] = {
        {"nothing in the way", framework, L"psk:", L"ns0001:", L"xmlns:ns0001"},
        {"ns0001 taken", framework + Declaration(L"ns0001", kOtherUri), L"psk:", L"ns0002:", L"xmlns:ns0002"},
        {"ns0001 and ns0002 taken",
         framework + Declaration(L"ns0002", kOtherUri) + Declaration(L"ns0001", kOtherUri), L"psk:",
         L"ns0003:", L"xmlns:ns0003"},
        // The preferred name is someone else's: rebinding it would move their
        // names into our namespace, so a numbered prefix is used instead.
        {"psk taken", framework + Declaration(L"psk", kOtherUri), L"ns0001:", L"ns0002:", L"xmlns:ns0002"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<IXMLDOMDocument2> document = Load(Ticket(L"", c.declarations));
        PrintSchemaDocument wrapper(kPrintTicketRoot, kPrivateUri, true, document.Get());
        EXPECT_STREQ(wrapper.KeywordsPrefix(), c.keywords);
        EXPECT_STREQ(wrapper.SchemaInstancePrefix(), L"xsi:");
        EXPECT_STREQ(wrapper.SchemaPrefix(), L"xsd:");
        EXPECT_STREQ(wrapper.PrivatePrefix(), c.privatePrefix);
        EXPECT_EQ(RootAttribute(document.Get(), c.newPrivateAttribute), kPrivateUri);
        // What was there before is left as it was.
        if (c.declarations.find(L"ns0001") != std::wstring::npos ||
            c.declarations.find(L"xmlns:psk") != std::wstring::npos) {
            const wchar_t* kept =
                c.declarations.find(L"xmlns:psk") != std::wstring::npos ? L"xmlns:psk" : L"xmlns:ns0001";
            EXPECT_EQ(RootAttribute(document.Get(), kept), kOtherUri);
        }
    }
}

TEST(PrintSchemaNamespaces, ConstructionFailuresAreThrownWithTheirHresult)
{
    struct Case {
        const char* what;
        std::wstring xml;   // empty: no document at all
        const wchar_t* root;
        const wchar_t* privateUri;
        bool declareMissing;
        HRESULT expected;
    };
    const Case cases[] = {
        {"no document", L"", kPrintTicketRoot, kPrivateUri, true, E_UNEXPECTED},
        {"framework as the default namespace",
         L"<PrintTicket version=\"1\" xmlns=\"" + std::wstring(kFrameworkNamespace) + L"\"/>",
         kPrintTicketRoot, kPrivateUri, true, E_FAIL},
        {"a ticket read as capabilities", Ticket(L""), kPrintCapabilitiesRoot, kPrivateUri, true, E_FAIL},
        {"root in another namespace", L"<x:PrintTicket" + Declaration(L"x", kOtherUri) + L"/>",
         kPrintTicketRoot, kPrivateUri, true, E_FAIL},
        {"no private namespace given", Ticket(L""), kPrintTicketRoot, L"", false, E_INVALIDARG},
        {"no root name", Ticket(L""), L"", kPrivateUri, false, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<IXMLDOMDocument2> document = c.xml.empty() ? nullptr : Load(c.xml);
        ULONG before = document ? References(document.Get()) : 0;
        EXPECT_EQ(Hex(ConstructionResult(c.root, c.privateUri, c.declareMissing, document.Get())),
                  Hex(c.expected));
        // A failed construction gives its reference back.
        if (document) {
            EXPECT_EQ(References(document.Get()), before);
        }
    }
}

TEST(PrintSchemaNamespaces, SelectionUsesTheDocumentsOwnFrameworkPrefix)
{
    ComPtr<IXMLDOMDocument2> document =
        Load(OddTicket(L"<a:Feature name=\"b:JobDuplexAllDocumentsContiguously\"/>"));
    PrintSchemaDocument wrapper(kPrintTicketRoot, kPrivateUri, false, document.Get());

    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(Hex(wrapper.SelectRoot(&node)), Hex(S_OK));
    EXPECT_EQ(
        Hex(wrapper.SelectSingleNode(L"//a:Feature[@name = \"b:JobDuplexAllDocumentsContiguously\"]", &node)),
        Hex(S_OK));
    EXPECT_EQ(Hex(wrapper.FeatureExists(L"JobDuplexAllDocumentsContiguously")), Hex(S_OK));
    // A second wrapper over the same document starts from the fixed prefix
    // again and still finds everything.
    PrintSchemaDocument again(kPrintTicketRoot, kPrivateUri, false, document.Get());
    EXPECT_STREQ(again.FrameworkPrefix(), L"a:");
    EXPECT_EQ(Hex(again.FeatureExists(L"JobDuplexAllDocumentsContiguously")), Hex(S_OK));
}

TEST(PrintSchemaNamespaces, FindOrDeclarePrefixChecksItsArguments)
{
    ComPtr<IXMLDOMDocument2> document = Load(Ticket(L""));
    PrintSchemaDocument wrapper(kPrintTicketRoot, kPrivateUri, false, document.Get());
    BSTR prefix = nullptr;
    EXPECT_EQ(Hex(wrapper.FindOrDeclarePrefix(kOtherUri, nullptr, true, nullptr)), Hex(E_POINTER));
    EXPECT_EQ(Hex(wrapper.FindOrDeclarePrefix(L"", &prefix, true, nullptr)), Hex(E_INVALIDARG));
    EXPECT_EQ(Hex(wrapper.FindOrDeclarePrefix(nullptr, &prefix, true, nullptr)), Hex(E_INVALIDARG));
    EXPECT_EQ(Hex(wrapper.FindOrDeclarePrefix(kOtherUri, &prefix, false, nullptr)), Hex(S_FALSE));
    EXPECT_EQ(prefix, nullptr);
    EXPECT_EQ(Hex(wrapper.FindOrDeclarePrefix(kOtherUri, &prefix, true, L"zz")), Hex(S_OK));
    EXPECT_EQ(Take(prefix), L"zz:");
    EXPECT_EQ(RootAttribute(document.Get(), L"xmlns:zz"), kOtherUri);
}

// ---------------------------------------------------------------------------
// Queries

class PrintSchemaQueries : public ::testing::Test {
protected:
    void Open(const std::wstring& xml, const wchar_t* root = kPrintTicketRoot)
    {
        wrapper_.reset();
        document_ = Load(xml);
        wrapper_.reset(new PrintSchemaDocument(root, kPrivateUri, false, document_.Get()));
    }
    PrintSchemaDocument& Doc() { return *wrapper_; }

    ComPtr<IXMLDOMDocument2> document_;
    std::unique_ptr<PrintSchemaDocument> wrapper_;
};

TEST_F(PrintSchemaQueries, ArgumentErrors)
{
    Open(Ticket(L"<psf:Feature name=\"psk:JobCollateAllDocuments\"/>"));
    ComPtr<IXMLDOMNode> root = Root(Doc());
    IXMLDOMNode* node = nullptr;
    ComPtr<IXMLDOMNodeList> list;
    BSTR text = nullptr;
    bool isPrivate = false;
    VARIANT value;
    INT32 number = 7;
    IXMLDOMElement* out = nullptr;
    IXMLDOMElement* out2 = nullptr;
    void** const element = reinterpret_cast<void**>(&out);
    void** const element2 = reinterpret_cast<void**>(&out2);
    void** const string = reinterpret_cast<void**>(&text);

    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
        std::vector<void**> cleared;   // outputs the call was given: NULL afterwards
    };
    const Case cases[] = {
        {"SelectRoot NULL", [&] { return Doc().SelectRoot(nullptr); }, E_POINTER, {}},
        {"SelectSingleNode NULL out",
         [&] { return Doc().SelectSingleNode(L"//psf:Feature", nullptr); },
         E_POINTER,
         {}},
        {"SelectSingleNode empty", [&] { return Doc().SelectSingleNode(L"", &node); }, E_INVALIDARG, {}},
        {"SelectSingleNode NULL query",
         [&] { return Doc().SelectSingleNode(nullptr, &node); },
         E_INVALIDARG,
         {}},
        {"SelectNodes NULL out", [&] { return Doc().SelectNodes(L"//psf:Feature", nullptr); }, E_POINTER, {}},
        {"SelectNodes empty", [&] { return Doc().SelectNodes(L"", &list); }, E_FAIL, {}},
        {"NodeExists empty", [&] { return Doc().NodeExists(L""); }, E_INVALIDARG, {}},
        {"GetAttribute NULL out",
         [&] { return Doc().GetAttribute(root.Get(), L"version", nullptr); },
         E_POINTER,
         {}},
        {"GetAttribute NULL node",
         [&] { return Doc().GetAttribute(nullptr, L"version", &text); },
         E_POINTER,
         {string}},
        {"GetAttribute empty name",
         [&] { return Doc().GetAttribute(root.Get(), L"", &text); },
         E_INVALIDARG,
         {string}},
        {"RemoveNode NULL", [&] { return Doc().RemoveNode(nullptr); }, E_POINTER, {}},
        {"GetSelectedOption NULL name out",
         [&] { return Doc().GetSelectedOption(L"psk:", L"JobCollateAllDocuments", nullptr, &isPrivate); },
         E_POINTER,
         {}},
        {"GetSelectedOption NULL flag out",
         [&] { return Doc().GetSelectedOption(L"psk:", L"JobCollateAllDocuments", &text, nullptr); },
         E_POINTER,
         {string}},
        {"GetSelectedOption empty feature",
         [&] { return Doc().GetSelectedOption(L"psk:", L"", &text, &isPrivate); },
         E_INVALIDARG,
         {string}},
        {"ReadValue NULL out", [&] { return Doc().ReadValue(L"//psf:Feature", nullptr); }, E_POINTER, {}},
        {"ReadValue empty query", [&] { return Doc().ReadValue(L"", &value); }, E_INVALIDARG, {}},
        {"ReadIntegerValue NULL out",
         [&] { return Doc().ReadIntegerValue(L"//psf:Feature", nullptr); },
         E_POINTER,
         {}},
        {"ReadFeatureValue NULL out",
         [&] { return Doc().ReadFeatureValue(L"A", L"B", nullptr); },
         E_POINTER,
         {}},
        {"ReadFeatureValue empty feature",
         [&] { return Doc().ReadFeatureValue(L"", L"B", &text); },
         E_INVALIDARG,
         {string}},
        {"ReadFeatureValue empty property",
         [&] { return Doc().ReadFeatureValue(L"A", L"", &text); },
         E_INVALIDARG,
         {string}},
        {"ReadFeatureInteger NULL out",
         [&] { return Doc().ReadFeatureInteger(L"A", L"B", nullptr); },
         E_POINTER,
         {}},
        {"ReadFeatureInteger empty",
         [&] { return Doc().ReadFeatureInteger(L"", L"B", &number); },
         E_INVALIDARG,
         {}},
        {"FeatureExists empty", [&] { return Doc().FeatureExists(L""); }, E_INVALIDARG, {}},
        {"RemoveFeature empty", [&] { return Doc().RemoveFeature(L""); }, E_INVALIDARG, {}},
        {"RemovePrivateFeature empty", [&] { return Doc().RemovePrivateFeature(nullptr); }, E_INVALIDARG, {}},
        {"RemoveParameterInit empty", [&] { return Doc().RemoveParameterInit(L""); }, E_INVALIDARG, {}},
        {"RemovePrivateParameterInit empty",
         [&] { return Doc().RemovePrivateParameterInit(L""); },
         E_INVALIDARG,
         {}},
        {"RemovePrivateProperty empty", [&] { return Doc().RemovePrivateProperty(L""); }, E_INVALIDARG, {}},
        {"CreateFeature NULL out",
         [&] { return Doc().CreateFeature(false, L"A", nullptr, &out); },
         E_POINTER,
         {}},
        {"CreateFeature NULL option out",
         [&] { return Doc().CreateFeature(false, L"A", &out, nullptr); },
         E_POINTER,
         {element}},
        {"CreateFeature empty",
         [&] { return Doc().CreateFeature(false, L"", &out, &out2); },
         E_INVALIDARG,
         {element, element2}},
        {"CreateFeatureWithOption empty option",
         [&] { return Doc().CreateFeatureWithOption(false, L"A", false, L"", &out, &out2); },
         E_INVALIDARG,
         {element, element2}},
        {"CreateCapabilityFeature empty",
         [&] { return Doc().CreateCapabilityFeature(L"psk:", L"", L"D", &out); },
         E_INVALIDARG,
         {element}},
        {"CreatePickOneFeature NULL out",
         [&] { return Doc().CreatePickOneFeature(L"A", L"D", nullptr); },
         E_POINTER,
         {}},
        {"CreatePrivatePickOneFeature empty",
         [&] { return Doc().CreatePrivatePickOneFeature(L"", L"D", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateCapabilityOption NULL out",
         [&] { return Doc().CreateCapabilityOption(L"psk:", L"A", L"D", kConstraintNone, nullptr); },
         E_POINTER,
         {}},
        {"CreateCapabilityOption bad level",
         [&] {
             return Doc().CreateCapabilityOption(L"psk:", L"A", L"D", static_cast<ConstraintLevel>(4), &out);
         },
         E_INVALIDARG,
         {element}},
        {"CreateProperty empty",
         [&] { return Doc().CreateProperty(L"psk:", L"", &out); },
         E_INVALIDARG,
         {element}},
        {"CreatePsfProperty NULL out", [&] { return Doc().CreatePsfProperty(L"A", nullptr); }, E_POINTER, {}},
        {"CreatePropertyValue empty type",
         [&] { return Doc().CreatePropertyValue(L"psk:", L"A", L"", L"1", &out); },
         E_INVALIDARG,
         {element}},
        {"CreatePsfPropertyValue empty",
         [&] { return Doc().CreatePsfPropertyValue(L"", kXsdString, L"1", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateIntegerPropertyValue NULL out",
         [&] { return Doc().CreateIntegerPropertyValue(L"psk:", L"A", 1, nullptr); },
         E_POINTER,
         {}},
        {"CreateIntegerPropertyValue empty",
         [&] { return Doc().CreateIntegerPropertyValue(L"psk:", L"", 1, &out); },
         E_INVALIDARG,
         {element}},
        {"CreateScoredProperty empty",
         [&] { return Doc().CreateScoredProperty(L"psk:", L"", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateScoredPropertyValue empty type",
         [&] { return Doc().CreateScoredPropertyValue(L"psk:", L"A", nullptr, L"1", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateIntegerScoredPropertyValue NULL out",
         [&] { return Doc().CreateIntegerScoredPropertyValue(L"psk:", L"A", 1, nullptr); },
         E_POINTER,
         {}},
        {"CreateStringScoredPropertyValue empty",
         [&] { return Doc().CreateStringScoredPropertyValue(L"psk:", L"", L"x", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateScoredPropertyWithChild NULL child",
         [&] { return Doc().CreateScoredPropertyWithChild(L"psk:", L"A", nullptr, &out); },
         E_POINTER,
         {element}},
        {"CreateParameterRef empty",
         [&] { return Doc().CreateParameterRef(false, L"", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateParameterInit NULL init out",
         [&] { return Doc().CreateParameterInit(L"psk:", L"A", kXsdInteger, L"1", &out, nullptr); },
         E_POINTER,
         {element}},
        {"CreateParameterInit empty type",
         [&] { return Doc().CreateParameterInit(L"psk:", L"A", L"", L"1", &out, &out2); },
         E_INVALIDARG,
         {element, element2}},
        {"CreateIntegerParameterDef empty",
         [&] { return Doc().CreateIntegerParameterDef(L"", false, L"D", 1, 0, 2, 1, L"microns", &out); },
         E_INVALIDARG,
         {element}},
        {"CreateStringParameterDef NULL out",
         [&] {
             return Doc().CreateStringParameterDef(L"A", false, L"D", L"x", 0, 2, L"characters", nullptr);
         },
         E_POINTER,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Outputs start as garbage, as a caller's might.
        for (void** output : {element, element2, string}) *output = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(Hex(c.call()), Hex(c.expected));
        for (void** output : c.cleared) EXPECT_EQ(*output, nullptr);
    }
    EXPECT_EQ(node, nullptr);
}

TEST_F(PrintSchemaQueries, AbsenceIsReportedAsEachOperationPromises)
{
    Open(Ticket(L"<psf:Feature name=\"psk:PageOutputColor\"/>"
                L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"));
    ComPtr<IXMLDOMNode> node;
    BSTR text = nullptr;
    bool isPrivate = true;
    VARIANT value;
    INT32 number = 99;

    EXPECT_EQ(Hex(Doc().SelectSingleNode(L"//psf:Feature[@name = \"psk:Nothing\"]", &node)), Hex(S_FALSE));
    EXPECT_EQ(node.Get(), nullptr);
    EXPECT_EQ(Hex(Doc().NodeExists(L"//psf:Feature[@name = \"psk:Nothing\"]")), Hex(kNotFound));
    EXPECT_EQ(Hex(Doc().NodeExists(L"//psf:Feature[@name = \"psk:PageOutputColor\"]")), Hex(S_OK));
    EXPECT_EQ(Hex(Doc().FeatureExists(L"Nothing")), Hex(kNotFound));
    EXPECT_EQ(Hex(Doc().FeatureExists(L"PageOutputColor")), Hex(S_OK));
    // A feature with no option is as absent as a missing feature.
    EXPECT_EQ(Hex(Doc().GetSelectedOption(L"psk:", L"PageOutputColor", &text, &isPrivate)), Hex(kNotFound));
    EXPECT_EQ(text, nullptr);
    EXPECT_FALSE(isPrivate);
    EXPECT_EQ(Hex(Doc().GetSelectedOption(L"psk:", L"Nothing", &text, &isPrivate)), Hex(kNotFound));
    EXPECT_EQ(Hex(Doc().ReadValue(L"//psf:Property[@name = \"psk:Nothing\"]", &value)), Hex(S_FALSE));
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(Hex(Doc().ReadIntegerValue(L"//psf:Property[@name = \"psk:Nothing\"]", &number)), Hex(S_FALSE));
    EXPECT_EQ(number, 0);
    EXPECT_EQ(Hex(Doc().ReadFeatureValue(L"PageMediaSize", L"MediaSizeWidth", &text)), Hex(kNotFound));
    EXPECT_EQ(text, nullptr);
    number = 99;
    EXPECT_EQ(Hex(Doc().ReadFeatureInteger(L"Nothing", L"MediaSizeWidth", &number)), Hex(kNotFound));
    EXPECT_EQ(number, 0);
    EXPECT_EQ(Hex(Doc().RemoveFeature(L"Nothing")), Hex(S_FALSE));
    EXPECT_EQ(Hex(Doc().RemoveParameterInit(L"Nothing")), Hex(S_FALSE));

    // A query the DOM cannot run is a failure, not an absence.
    HRESULT broken = Doc().NodeExists(L"//zz:Feature");
    EXPECT_TRUE(FAILED(broken));
    EXPECT_NE(Hex(broken), Hex(kNotFound));
    EXPECT_TRUE(FAILED(Doc().SelectSingleNode(L"//psf:Feature[", &node)));
}

TEST_F(PrintSchemaQueries, SelectSingleNodeReleasesTheNodeItIsGiven)
{
    Open(Ticket(L"<psf:Feature name=\"psk:PageOutputColor\"/>"));
    ComPtr<IXMLDOMNode> root = Root(Doc());
    ULONG held = References(root.Get());
    IXMLDOMNode* slot = root.Get();
    slot->AddRef();   // the reference the call is to give back
    EXPECT_EQ(Hex(Doc().SelectSingleNode(L"//psf:Nothing", &slot)), Hex(S_FALSE));
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(References(root.Get()), held);

    slot = root.Get();
    slot->AddRef();
    EXPECT_EQ(Hex(Doc().SelectSingleNode(L"//psf:Feature", &slot)), Hex(S_OK));
    EXPECT_EQ(References(root.Get()), held);
    ASSERT_NE(slot, nullptr);
    slot->Release();
}

TEST_F(PrintSchemaQueries, AttributesAndNodeRemoval)
{
    Open(Ticket(L"<psf:Feature name=\"psk:PageOutputColor\"><psf:Option/></psf:Feature>"));
    ComPtr<IXMLDOMNode> feature;
    ASSERT_EQ(Hex(Doc().SelectSingleNode(L"//psf:Feature", &feature)), Hex(S_OK));
    BSTR text = nullptr;
    EXPECT_EQ(Hex(Doc().GetAttribute(feature.Get(), L"name", &text)), Hex(S_OK));
    EXPECT_EQ(Take(text), L"psk:PageOutputColor");
    text = reinterpret_cast<BSTR>(static_cast<uintptr_t>(0x1));
    EXPECT_EQ(Hex(Doc().GetAttribute(feature.Get(), L"constrained", &text)), Hex(S_FALSE));
    EXPECT_EQ(text, nullptr);

    ComPtr<IXMLDOMNodeList> options;
    EXPECT_EQ(Hex(Doc().SelectNodes(L"//psf:Option", &options)), Hex(S_OK));
    long count = 0;
    options->get_length(&count);
    EXPECT_EQ(count, 1);

    EXPECT_EQ(Hex(Doc().RemoveNode(feature.Get())), Hex(S_OK));
    EXPECT_EQ(Hex(Doc().FeatureExists(L"PageOutputColor")), Hex(kNotFound));
    // Removed, it has no parent left to remove it from.
    EXPECT_EQ(Hex(Doc().RemoveNode(feature.Get())), Hex(E_FAIL));
}

TEST_F(PrintSchemaQueries, SelectedOptionIsTheLocalNameOfTheFirstOption)
{
    struct Case {
        const char* what;
        std::wstring xml;
        bool privateFeature;
        const wchar_t* feature;
        const wchar_t* expected;
        bool expectedPrivate;
    };
    const Case cases[] = {
        {"keyword option",
         Ticket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"), false,
         L"PageMediaSize", L"ISOA4", false},
        {"option given as OptionName",
         Ticket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:ScoredProperty name=\"psk:OptionName\">"
                L"<psf:Value xsi:type=\"xsd:string\">psk:ISOA4</psf:Value></psf:ScoredProperty></psf:Feature>"),
         false, L"PageMediaSize", L"ISOA4", false},
        {"private option",
         Ticket(L"<psf:Feature name=\"psk:PageMediaType\"><psf:Option name=\"kvpsk:Recycled\"/></psf:Feature>"),
         false, L"PageMediaType", L"Recycled", true},
        {"private feature",
         Ticket(L"<psf:Feature name=\"kvpsk:JobSleepTime\"><psf:Option name=\"kvpsk:Minutes15\"/></psf:Feature>"),
         true, L"JobSleepTime", L"Minutes15", true},
        {"option in a foreign namespace stays whole",
         Ticket(L"<psf:Feature name=\"psk:PageMediaSize\" xmlns:oth=\"http://schemas.example.org/somebody-else\">"
                L"<psf:Option name=\"oth:ISOA4\"/></psf:Feature>"),
         false, L"PageMediaSize", L"oth:ISOA4", false},
        {"first option in document order",
         Ticket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA5\"/><psf:Option "
                L"name=\"psk:ISOA4\"/></psf:Feature>"),
         false, L"PageMediaSize", L"ISOA5", false},
        {"same local name under the other prefix is another feature",
         Ticket(L"<psf:Feature name=\"kvpsk:PageMediaSize\"><psf:Option name=\"psk:ISOA3\"/></psf:Feature>"
                L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"),
         false, L"PageMediaSize", L"ISOA4", false},
        // Under prefixes of the document's own choosing, by either form.
        {"OptionName under other prefixes",
         OddTicket(L"<a:Feature name=\"b:PageMediaSize\"><a:ScoredProperty name=\"b:OptionName\">"
                   L"<a:Value c:type=\"d:string\">b:ISOA4</a:Value></a:ScoredProperty></a:Feature>"),
         false, L"PageMediaSize", L"ISOA4", false},
        {"private option under other prefixes",
         OddTicket(L"<a:Feature name=\"b:PageMediaType\"><a:Option name=\"e:Recycled\"/></a:Feature>"), false,
         L"PageMediaType", L"Recycled", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.xml);
        BSTR option = nullptr;
        bool isPrivate = !c.expectedPrivate;
        EXPECT_EQ(
            Hex(Doc().GetSelectedOption(c.privateFeature ? Doc().PrivatePrefix() : Doc().KeywordsPrefix(),
                                        c.feature, &option, &isPrivate)),
            Hex(S_OK));
        EXPECT_EQ(Take(option), c.expected);
        EXPECT_EQ(isPrivate, c.expectedPrivate);
    }
}

TEST_F(PrintSchemaQueries, ValuesAreReadInlineOrThroughParameterReferences)
{
    Open(Ticket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
                L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:ParameterRef "
                L"name=\"psk:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
                L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value "
                L"xsi:type=\"xsd:integer\">279400</psf:Value></psf:ScoredProperty>"
                L"<psf:ScoredProperty name=\"psk:Dangling\"><psf:ParameterRef "
                L"name=\"psk:NoSuchParameter\"/></psf:ScoredProperty>"
                L"<psf:ScoredProperty name=\"psk:Hollow\"/>"
                L"</psf:Option></psf:Feature>"
                L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeHeight\"><psf:Value "
                L"xsi:type=\"xsd:integer\">1</psf:Value></psf:ParameterInit>"
                L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value "
                L"xsi:type=\"xsd:integer\">215900</psf:Value></psf:ParameterInit>"
                L"<psf:Property name=\"kvpsk:Label\"><psf:Value xsi:type=\"xsd:string\">Draft "
                L"copy</psf:Value></psf:Property>"));

    struct Case {
        const char* what;
        const wchar_t* query;
        HRESULT expected;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"through ParameterRef to a ParameterInit elsewhere",
         L"//psf:ScoredProperty[@name = \"psk:MediaSizeWidth\"]", S_OK, L"215900"},
        {"inline", L"//psf:ScoredProperty[@name = \"psk:MediaSizeHeight\"]", S_OK, L"279400"},
        {"a ParameterInit itself", L"//psf:ParameterInit[@name = \"psk:PageMediaSizeMediaSizeHeight\"]", S_OK,
         L"1"},
        {"a Property", L"//psf:Property[@name = \"kvpsk:Label\"]", S_OK, L"Draft copy"},
        {"reference to nothing", L"//psf:ScoredProperty[@name = \"psk:Dangling\"]", S_FALSE, nullptr},
        {"neither value nor reference", L"//psf:ScoredProperty[@name = \"psk:Hollow\"]", S_FALSE, nullptr},
        {"no such element", L"//psf:ScoredProperty[@name = \"psk:Nowhere\"]", S_FALSE, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VARIANT value;
        EXPECT_EQ(Hex(Doc().ReadValue(c.query, &value)), Hex(c.expected));
        if (c.text) {
            EXPECT_EQ(VariantString(value), c.text);
        } else {
            EXPECT_EQ(value.vt, VT_EMPTY);
        }
        VariantClear(&value);
    }

    BSTR text = nullptr;
    EXPECT_EQ(Hex(Doc().ReadFeatureValue(L"PageMediaSize", L"MediaSizeWidth", &text)), Hex(S_OK));
    EXPECT_EQ(Take(text), L"215900");
    INT32 number = 0;
    EXPECT_EQ(Hex(Doc().ReadFeatureInteger(L"PageMediaSize", L"MediaSizeHeight", &number)), Hex(S_OK));
    EXPECT_EQ(number, 279400);
    EXPECT_EQ(Hex(Doc().ReadFeatureInteger(L"PageMediaSize", L"Dangling", &number)), Hex(kNotFound));
}

TEST_F(PrintSchemaQueries, IntegerValuesTakeTheLeadingDecimalNumber)
{
    struct Case {
        const wchar_t* text;
        INT32 expected;
    };
    const Case cases[] = {
        {L"42", 42},
        {L"-3", -3},
        {L"+8", 8},
        {L"  7", 7},
        {L"12mm", 12},
        {L"0x10", 0},
        {L"abc", 0},
        {L"", 0},
        {L"2147483647", INT_MAX},
        {L"99999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-99999999999", INT_MIN},
    };
    std::wstring body;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        body += L"<psf:Property name=\"psk:V" + std::to_wstring(i) +
                L"\"><psf:Value xsi:type=\"xsd:integer\">" + cases[i].text + L"</psf:Value></psf:Property>";
    Open(Ticket(body));
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(Narrow(cases[i].text));
        INT32 value = -1;
        std::wstring query = L"//psf:Property[@name = \"psk:V" + std::to_wstring(i) + L"\"]";
        EXPECT_EQ(Hex(Doc().ReadIntegerValue(query.c_str(), &value)), Hex(S_OK));
        EXPECT_EQ(value, cases[i].expected);
    }
}

// ---------------------------------------------------------------------------
// Removal

TEST_F(PrintSchemaQueries, RemoveFeatureTakesItsParameterInitsWithIt)
{
    Open(Ticket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
                L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:ParameterRef "
                L"name=\"psk:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
                L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:ParameterRef "
                L"name=\"psk:PageMediaSizeMediaSizeHeight\"/></psf:ScoredProperty>"
                L"</psf:Option></psf:Feature>"
                L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"
                L"<psf:Feature name=\"kvpsk:PageMediaSize\"><psf:Option name=\"kvpsk:Mine\"/></psf:Feature>"
                L"<psf:Feature name=\"psk:JobCopiesAllDocuments\"><psf:Option>"
                L"<psf:ScoredProperty name=\"psk:Copies\"><psf:ParameterRef "
                L"name=\"psk:JobCopiesAllDocuments\"/></psf:ScoredProperty>"
                L"</psf:Option></psf:Feature>"
                L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value "
                L"xsi:type=\"xsd:integer\">1</psf:Value></psf:ParameterInit>"
                L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeHeight\"><psf:Value "
                L"xsi:type=\"xsd:integer\">2</psf:Value></psf:ParameterInit>"
                L"<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value "
                L"xsi:type=\"xsd:integer\">3</psf:Value></psf:ParameterInit>"));

    EXPECT_EQ(Hex(Doc().RemoveFeature(L"PageMediaSize")), Hex(S_OK));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:Feature[@name = \"psk:PageMediaSize\"]"), 0);
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:ParameterInit[starts-with(@name, \"psk:PageMediaSize\")]"), 0);
    // Our feature of the same local name and other features' parameters stay.
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:Feature[@name = \"kvpsk:PageMediaSize\"]"), 1);
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:ParameterInit[@name = \"psk:JobCopiesAllDocuments\"]"), 1);
    EXPECT_EQ(Hex(Doc().RemoveFeature(L"PageMediaSize")), Hex(S_FALSE));

    EXPECT_EQ(Hex(Doc().RemovePrivateFeature(L"PageMediaSize")), Hex(S_OK));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:Feature[@name = \"kvpsk:PageMediaSize\"]"), 0);
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:Feature"), 1);
}

TEST_F(PrintSchemaQueries, ParameterInitsAndPrivatePropertiesAreRemovedByPrefix)
{
    const std::wstring body =
        L"<psf:ParameterInit name=\"psk:Copies\"/><psf:ParameterInit name=\"kvpsk:Copies\"/>"
        L"<psf:Property name=\"kvpsk:Label\"/><psf:Property name=\"psk:Label\"/>"
        L"<psf:Property name=\"Label\"/><psf:ParameterInit name=\"Copies\"/>";
    Open(Ticket(body));
    EXPECT_EQ(Hex(Doc().RemoveParameterInit(L"Copies")), Hex(S_OK));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:ParameterInit"), 2);
    EXPECT_EQ(Hex(Doc().RemovePrivateParameterInit(L"Copies")), Hex(S_OK));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:ParameterInit[@name = \"kvpsk:Copies\"]"), 0);
    EXPECT_EQ(Hex(Doc().RemovePrivateProperty(L"Label")), Hex(S_OK));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:Property"), 2);
    EXPECT_EQ(Hex(Doc().RemovePrivateProperty(L"Label")), Hex(S_FALSE));

    // A ticket that never declared our namespace has nothing of ours: the
    // unprefixed names are not taken for private ones.
    Open(Ticket(body, kStandardDeclarations + Declaration(L"kvpsk", kOtherUri)));
    EXPECT_FALSE(Doc().PrivateNamespaceDeclared());
    EXPECT_EQ(Hex(Doc().RemovePrivateProperty(L"Label")), Hex(S_FALSE));
    EXPECT_EQ(Hex(Doc().RemovePrivateParameterInit(L"Copies")), Hex(S_FALSE));
    EXPECT_EQ(Hex(Doc().RemovePrivateFeature(L"Copies")), Hex(S_FALSE));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:Property"), 3);
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:ParameterInit"), 3);
}

// ---------------------------------------------------------------------------
// Builders

// Builds into a ticket with unusual prefixes (a, b, c, d, e) and checks the
// serialised result with our own prefixes (f, k, i, s, p), so a builder that
// wrote a fixed prefix instead of the document's would be caught.
TEST_F(PrintSchemaQueries, BuildersWriteQualifiedNamesAndTypes)
{
    struct Check {
        const wchar_t* query;
        const wchar_t* text;   // nullptr: must not exist
    };
    struct Case {
        const char* what;
        std::function<HRESULT(PrintSchemaDocument&, IXMLDOMNode*)> build;
        std::vector<Check> checks;
    };
    // Takes the made element's address: it is read only after the builder ran.
    auto appendOne = [](HRESULT hr, IXMLDOMElement** slot, IXMLDOMNode* root) {
        IXMLDOMElement* made = *slot;
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(References(made), 1u) << "the caller holds the only reference";
            AppendTo(root, made);
            made->Release();
        }
        return hr;
    };
    const Case cases[] = {
        {"CreateFeature keyword",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement *feature = nullptr, *option = nullptr;
             HRESULT hr = d.CreateFeature(false, L"JobCollateAllDocuments", &feature, &option);
             if (SUCCEEDED(hr)) {
                 EXPECT_EQ(References(option), 1u);
                 option->Release();
             }
             return appendOne(hr, &feature, root);
         },
         {{L"count(/f:PrintTicket/f:Feature[@name = 'b:JobCollateAllDocuments']/f:Option)", L"1"},
          {L"/f:PrintTicket/f:Feature/f:Option/@name", nullptr}}},
        {"CreateFeature private",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement *feature = nullptr, *option = nullptr;
             HRESULT hr = d.CreateFeature(true, L"JobSleepTime", &feature, &option);
             if (SUCCEEDED(hr)) option->Release();
             return appendOne(hr, &feature, root);
         },
         {{L"count(//f:Feature[@name = 'e:JobSleepTime']/f:Option)", L"1"}}},
        {"CreateFeatureWithOption",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement *feature = nullptr, *option = nullptr;
             HRESULT hr =
                 d.CreateFeatureWithOption(false, L"PageMediaType", true, L"Recycled", &feature, &option);
             if (SUCCEEDED(hr)) option->Release();
             return appendOne(hr, &feature, root);
         },
         {{L"count(//f:Feature[@name = 'b:PageMediaType']/f:Option[@name = 'e:Recycled'])", L"1"}}},
        {"CreateCapabilityFeature with display name",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* feature = nullptr;
             return appendOne(d.CreateCapabilityFeature(L"b:", L"PageScaling", L"Scaling", &feature),
                              &feature, root);
         },
         {{L"//f:Feature[@name = 'b:PageScaling']/f:Property[@name = 'b:DisplayName']/f:Value[@i:type = "
           L"'d:string']",
           L"Scaling"},
          {L"count(//f:Feature[@name = 'b:PageScaling']/*)", L"1"}}},
        {"CreateCapabilityFeature without display name",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* feature = nullptr;
             return appendOne(d.CreateCapabilityFeature(L"e:", L"PageWatermark", L"", &feature), &feature,
                              root);
         },
         {{L"count(//f:Feature[@name = 'e:PageWatermark'])", L"1"},
          {L"count(//f:Feature[@name = 'e:PageWatermark']/*)", L"0"}}},
        {"CreatePickOneFeature",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* feature = nullptr;
             return appendOne(d.CreatePickOneFeature(L"PageOutputColor", L"Color", &feature), &feature, root);
         },
         {{L"//f:Feature[@name = 'b:PageOutputColor']/f:Property[1]/@name", L"b:DisplayName"},
          {L"//f:Feature[@name = 'b:PageOutputColor']/f:Property[2]/@name", L"a:SelectionType"},
          {L"//f:Feature[@name = 'b:PageOutputColor']/f:Property[@name = 'a:SelectionType']/f:Value[@i:type "
           L"= 'd:QName']",
           L"b:PickOne"}}},
        {"CreatePrivatePickOneFeature",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* feature = nullptr;
             return appendOne(d.CreatePrivatePickOneFeature(L"JobTonerSaveMode", L"Toner save", &feature),
                              &feature, root);
         },
         {{L"//f:Feature[@name = 'e:JobTonerSaveMode']/f:Property[@name = 'a:SelectionType']/f:Value",
           L"b:PickOne"},
          {L"//f:Feature[@name = 'e:JobTonerSaveMode']/f:Property[@name = 'b:DisplayName']/f:Value",
           L"Toner save"}}},
        {"CreateCapabilityOption in a ticket",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* option = nullptr;
             return appendOne(
                 d.CreateCapabilityOption(L"b:", L"ISOA4", L"A4", kConstraintAdminSettings, &option), &option,
                 root);
         },
         {{L"//f:Option[@name = 'b:ISOA4']/f:Property[@name = 'b:DisplayName']/f:Value[@i:type = 'd:string']",
           L"A4"},
          {L"//f:Option[@name = 'b:ISOA4']/@constrained", nullptr}}},
        {"CreateProperty and CreatePsfProperty",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* property = nullptr;
             HRESULT hr = appendOne(d.CreateProperty(L"e:", L"Label", &property), &property, root);
             if (FAILED(hr)) return hr;
             return appendOne(d.CreatePsfProperty(L"SelectionType", &property), &property, root);
         },
         {{L"count(/f:PrintTicket/f:Property[@name = 'e:Label'][not(*)])", L"1"},
          {L"count(/f:PrintTicket/f:Property[@name = 'a:SelectionType'])", L"1"}}},
        {"CreatePropertyValue, psf and integer forms",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* property = nullptr;
             HRESULT hr =
                 appendOne(d.CreatePropertyValue(L"b:", L"DisplayName", kXsdString, L"Shown", &property),
                           &property, root);
             if (FAILED(hr)) return hr;
             hr = appendOne(d.CreatePsfPropertyValue(L"SelectionType", kXsdQName, L"b:PickMany", &property),
                            &property, root);
             if (FAILED(hr)) return hr;
             return appendOne(d.CreateIntegerPropertyValue(L"e:", L"Offset", -25, &property), &property,
                              root);
         },
         {{L"//f:Property[@name = 'b:DisplayName']/f:Value[@i:type = 'd:string']", L"Shown"},
          {L"//f:Property[@name = 'a:SelectionType']/f:Value[@i:type = 'd:QName']", L"b:PickMany"},
          {L"//f:Property[@name = 'e:Offset']/f:Value[@i:type = 'd:integer']", L"-25"}}},
        {"ScoredProperty forms",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement* scored = nullptr;
             HRESULT hr = appendOne(d.CreateScoredProperty(L"b:", L"MediaSizeWidth", &scored), &scored, root);
             if (FAILED(hr)) return hr;
             hr =
                 appendOne(d.CreateScoredPropertyValue(L"b:", L"OptionName", kXsdString, L"b:ISOA4", &scored),
                           &scored, root);
             if (FAILED(hr)) return hr;
             hr = appendOne(d.CreateIntegerScoredPropertyValue(L"b:", L"MediaSizeHeight", 297000, &scored),
                            &scored, root);
             if (FAILED(hr)) return hr;
             return appendOne(d.CreateStringScoredPropertyValue(L"e:", L"Text", L"Confidential", &scored),
                              &scored, root);
         },
         {{L"count(//f:ScoredProperty[@name = 'b:MediaSizeWidth'][not(*)])", L"1"},
          {L"//f:ScoredProperty[@name = 'b:OptionName']/f:Value[@i:type = 'd:string']", L"b:ISOA4"},
          {L"//f:ScoredProperty[@name = 'b:MediaSizeHeight']/f:Value[@i:type = 'd:integer']", L"297000"},
          {L"//f:ScoredProperty[@name = 'e:Text']/f:Value[@i:type = 'd:string']", L"Confidential"}}},
        {"ParameterRef, ParameterInit and a ScoredProperty holding the reference",
         [&](PrintSchemaDocument& d, IXMLDOMNode* root) {
             IXMLDOMElement *ref = nullptr, *init = nullptr, *scored = nullptr, *privateRef = nullptr;
             HRESULT hr =
                 d.CreateParameterInit(L"b:", L"JobCopiesAllDocuments", kXsdInteger, L"3", &ref, &init);
             if (FAILED(hr)) return hr;
             EXPECT_EQ(References(ref), 1u);
             hr = d.CreateScoredPropertyWithChild(L"b:", L"Copies", ref, &scored);
             ref->Release();
             appendOne(hr, &scored, root);
             appendOne(S_OK, &init, root);
             hr = d.CreateParameterRef(true, L"JobSleepTimeMinutes", &privateRef);
             return appendOne(hr, &privateRef, root);
         },
         {{L"//f:ScoredProperty[@name = 'b:Copies']/f:ParameterRef/@name", L"b:JobCopiesAllDocuments"},
          {L"/f:PrintTicket/f:ParameterInit[@name = 'b:JobCopiesAllDocuments']/f:Value[@i:type = "
           L"'d:integer']",
           L"3"},
          {L"count(/f:PrintTicket/f:ParameterRef[@name = 'e:JobSleepTimeMinutes'])", L"1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(OddTicket(L""));
        ComPtr<IXMLDOMNode> root = Root(Doc());
        ASSERT_EQ(Hex(c.build(Doc(), root.Get())), Hex(S_OK));
        ComPtr<IXMLDOMDocument2> copy = Serialized(document_.Get());
        for (const Check& check : c.checks) {
            SCOPED_TRACE(Narrow(check.query));
            std::wstring query = check.query;
            if (query.rfind(L"count(", 0) == 0) {
                // count() is not a node: evaluate the inner path instead.
                std::wstring inner = query.substr(6, query.size() - 7);
                EXPECT_EQ(std::to_wstring(CountAt(copy.Get(), inner)), check.text);
            } else {
                EXPECT_EQ(TextAt(copy.Get(), query), check.text ? check.text : L"<none>");
            }
        }
        // Every element made is in the framework namespace.
        EXPECT_EQ(
            CountAt(copy.Get(), L"//*[namespace-uri() != '" + std::wstring(kFrameworkNamespace) + L"']"), 0);
    }
}

TEST_F(PrintSchemaQueries, BuiltParametersReadBackThroughTheWrapper)
{
    Open(Ticket(L"<psf:Feature name=\"psk:JobCopiesAllDocuments\"/>"));
    ComPtr<IXMLDOMNode> feature;
    ASSERT_EQ(Hex(Doc().SelectSingleNode(L"//psf:Feature", &feature)), Hex(S_OK));
    ComPtr<IXMLDOMElement> option, ref, init, scored;
    ASSERT_EQ(Hex(Doc().CreateCapabilityOption(L"", L"", L"", kConstraintNone, &option)), Hex(S_OK));
    ASSERT_EQ(Hex(Doc().CreateParameterInit(Doc().KeywordsPrefix(), L"JobCopiesAllDocuments", kXsdInteger,
                                            L"12", &ref, &init)),
              Hex(S_OK));
    ASSERT_EQ(Hex(Doc().CreateScoredPropertyWithChild(Doc().KeywordsPrefix(), L"Copies", ref.Get(), &scored)),
              Hex(S_OK));
    AppendTo(option.Get(), scored.Get());
    AppendTo(feature.Get(), option.Get());
    AppendTo(Root(Doc()).Get(), init.Get());

    INT32 copies = 0;
    EXPECT_EQ(Hex(Doc().ReadFeatureInteger(L"JobCopiesAllDocuments", L"Copies", &copies)), Hex(S_OK));
    EXPECT_EQ(copies, 12);
    EXPECT_EQ(Hex(Doc().RemoveFeature(L"JobCopiesAllDocuments")), Hex(S_OK));
    EXPECT_EQ(CountAt(document_.Get(), L"//psf:ParameterInit"), 0);
}

TEST_F(PrintSchemaQueries, ConstrainedIsWrittenOnlyInCapabilities)
{
    struct Case {
        ConstraintLevel level;
        const wchar_t* word;
    };
    const Case cases[] = {
        {kConstraintNone, L"b:None"},
        {kConstraintPrintTicketSettings, L"b:PrintTicketSettings"},
        {kConstraintAdminSettings, L"b:AdminSettings"},
        {kConstraintDeviceSettings, L"b:DeviceSettings"},
    };
    std::wstring capabilities = OddTicket(L"");
    capabilities.replace(capabilities.find(L"PrintTicket"), 11, L"PrintCapabilities");
    capabilities.replace(capabilities.rfind(L"PrintTicket"), 11, L"PrintCapabilities");
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.word));
        for (bool isCapabilities : {true, false}) {
            Open(isCapabilities ? capabilities : OddTicket(L""),
                 isCapabilities ? kPrintCapabilitiesRoot : kPrintTicketRoot);
            ComPtr<IXMLDOMElement> option;
            ASSERT_EQ(Hex(Doc().CreateCapabilityOption(L"b:", L"ISOA4", L"", c.level, &option)), Hex(S_OK));
            AppendTo(Root(Doc()).Get(), option.Get());
            ComPtr<IXMLDOMDocument2> copy = Serialized(document_.Get());
            EXPECT_EQ(TextAt(copy.Get(), L"//f:Option[@name = 'b:ISOA4']/@constrained"),
                      isCapabilities ? c.word : L"<none>");
            EXPECT_EQ(CountAt(copy.Get(), L"//f:Option/*"), 0);   // no display name given
        }
    }
    // An option without a local name carries no name at all.
    Open(capabilities, kPrintCapabilitiesRoot);
    ComPtr<IXMLDOMElement> option;
    ASSERT_EQ(Hex(Doc().CreateCapabilityOption(L"b:", L"", L"Custom", kConstraintNone, &option)), Hex(S_OK));
    AppendTo(Root(Doc()).Get(), option.Get());
    ComPtr<IXMLDOMDocument2> copy = Serialized(document_.Get());
    EXPECT_EQ(TextAt(copy.Get(), L"//f:Option/@name"), L"<none>");
    EXPECT_EQ(TextAt(copy.Get(), L"//f:Option/f:Property[@name = 'b:DisplayName']/f:Value"), L"Custom");
}

TEST_F(PrintSchemaQueries, ParameterDefinitionsListTheirPropertiesInOrder)
{
    struct Row {
        const wchar_t* name;
        const wchar_t* type;
        const wchar_t* value;
    };
    struct Case {
        const char* what;
        std::function<HRESULT(PrintSchemaDocument&, IXMLDOMElement**)> build;
        const wchar_t* defName;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        {"integer, every property",
         [](PrintSchemaDocument& d, IXMLDOMElement** def) {
             return d.CreateIntegerParameterDef(L"PageMediaSizeMediaSizeWidth", false, L"Width", 210000,
                                                76200, 215900, 100, L"microns", def);
         },
         L"b:PageMediaSizeMediaSizeWidth",
         {{L"a:DataType", L"d:QName", L"d:integer"},
          {L"a:DefaultValue", L"d:string", L"210000"},
          {L"a:MaxValue", L"d:integer", L"215900"},
          {L"a:MinValue", L"d:integer", L"76200"},
          {L"a:Mandatory", L"d:QName", L"b:Conditional"},
          {L"a:UnitType", L"d:string", L"microns"},
          {L"a:Multiple", L"d:integer", L"100"},
          {L"b:DisplayName", L"d:string", L"Width"}}},
        {"integer, no step and no display name",
         [](PrintSchemaDocument& d, IXMLDOMElement** def) {
             return d.CreateIntegerParameterDef(L"JobSleepTimeMinutes", true, L"", -5, -10, 240, 0,
                                                L"minutes", def);
         },
         L"e:JobSleepTimeMinutes",
         {{L"a:DataType", L"d:QName", L"d:integer"},
          {L"a:DefaultValue", L"d:string", L"-5"},
          {L"a:MaxValue", L"d:integer", L"240"},
          {L"a:MinValue", L"d:integer", L"-10"},
          {L"a:Mandatory", L"d:QName", L"b:Conditional"},
          {L"a:UnitType", L"d:string", L"minutes"}}},
        {"string",
         [](PrintSchemaDocument& d, IXMLDOMElement** def) {
             return d.CreateStringParameterDef(L"PageWatermarkText", true, L"Watermark text", L"DRAFT", 1, 63,
                                               L"characters", def);
         },
         L"e:PageWatermarkText",
         {{L"a:DataType", L"d:QName", L"d:string"},
          {L"a:DefaultValue", L"d:string", L"DRAFT"},
          {L"a:MaxLength", L"d:integer", L"63"},
          {L"a:MinLength", L"d:integer", L"1"},
          {L"a:Mandatory", L"d:QName", L"b:Conditional"},
          {L"a:UnitType", L"d:string", L"characters"},
          {L"b:DisplayName", L"d:string", L"Watermark text"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(OddTicket(L""));
        ComPtr<IXMLDOMElement> def;
        ASSERT_EQ(Hex(c.build(Doc(), &def)), Hex(S_OK));
        EXPECT_EQ(References(def.Get()), 1u);
        AppendTo(Root(Doc()).Get(), def.Get());
        ComPtr<IXMLDOMDocument2> copy = Serialized(document_.Get());
        std::wstring base = L"/f:PrintTicket/f:ParameterDef[@name = '" + std::wstring(c.defName) + L"']";
        ASSERT_EQ(CountAt(copy.Get(), base), 1);
        EXPECT_EQ(CountAt(copy.Get(), base + L"/*"), static_cast<long>(c.rows.size()));
        for (size_t i = 0; i < c.rows.size(); ++i) {
            SCOPED_TRACE(Narrow(c.rows[i].name));
            std::wstring property = base + L"/f:Property[" + std::to_wstring(i + 1) + L"]";
            EXPECT_EQ(TextAt(copy.Get(), property + L"/@name"), c.rows[i].name);
            EXPECT_EQ(TextAt(copy.Get(), property + L"/f:Value/@i:type"), c.rows[i].type);
            EXPECT_EQ(TextAt(copy.Get(), property + L"/f:Value"), c.rows[i].value);
        }
    }
}

// ---------------------------------------------------------------------------
// Query assembly

TEST(FeatureQuerySteps, StepsComposeIntoQueriesThatSelectTheRightNodes)
{
    ComPtr<IXMLDOMDocument2> document = Load(OddTicket(
        L"<a:Feature name=\"b:PageMediaSize\"><a:Option name=\"b:ISOA4\">"
        L"<a:ScoredProperty "
        L"name=\"b:MediaSizeWidth\"><a:Value>210000</a:Value></a:ScoredProperty></a:Option></a:Feature>"
        L"<a:Feature name=\"b:PageMediaType\"><a:ScoredProperty "
        L"name=\"b:OptionName\"><a:Value>b:Plain</a:Value></a:ScoredProperty></a:Feature>"
        L"<a:Property name=\"e:Label\"><a:Value>L</a:Value></a:Property>"
        L"<a:ParameterInit name=\"b:JobCopiesAllDocuments\"><a:Value>2</a:Value></a:ParameterInit>"));
    PrintSchemaDocument wrapper(kPrintTicketRoot, kPrivateUri, false, document.Get());

    struct Case {
        const char* what;
        std::function<HRESULT(FeatureQuery&)> build;
        const wchar_t* query;
        const wchar_t* selectsText;
    };
    const Case cases[] = {
        {"feature", [](FeatureQuery& q) { return q.ForFeature(L"b:", L"PageMediaSize"); },
         L"//a:Feature[@name = \"b:PageMediaSize\"]", L"210000"},
        {"scored property below a feature",
         [](FeatureQuery& q) {
             HRESULT hr = q.ForFeature(L"b:", L"PageMediaSize");
             return SUCCEEDED(hr) ? q.ForScoredProperty(L"b:", L"MediaSizeWidth") : hr;
         },
         L"//a:Feature[@name = \"b:PageMediaSize\"]//a:ScoredProperty[@name = \"b:MediaSizeWidth\"]",
         L"210000"},
        {"option paths, Option form",
         [](FeatureQuery& q) {
             HRESULT hr = q.ForFeature(L"b:", L"PageMediaSize");
             return SUCCEEDED(hr) ? q.AddOptionPaths(L"b:") : hr;
         },
         L"//a:Feature[@name = \"b:PageMediaSize\"]/a:Option | "
         L"//a:Feature[@name = \"b:PageMediaSize\"]/a:ScoredProperty[@name = \"b:OptionName\"]/a:Value",
         L"210000"},
        {"option paths, OptionName form",
         [](FeatureQuery& q) {
             HRESULT hr = q.ForFeature(L"b:", L"PageMediaType");
             return SUCCEEDED(hr) ? q.AddOptionPaths(L"b:") : hr;
         },
         nullptr, L"b:Plain"},
        {"property", [](FeatureQuery& q) { return q.ForProperty(L"e:", L"Label"); },
         L"//a:Property[@name = \"e:Label\"]", L"L"},
        {"parameter init",
         [](FeatureQuery& q) { return q.ForParameterInit(L"b:", L"JobCopiesAllDocuments"); },
         L"//a:ParameterInit[@name = \"b:JobCopiesAllDocuments\"]", L"2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FeatureQuery query(wrapper.FrameworkPrefix());
        ASSERT_EQ(Hex(c.build(query)), Hex(S_OK));
        if (c.query) {
            EXPECT_STREQ(query.Text(), c.query);
        }
        BSTR taken = nullptr;
        ASSERT_EQ(Hex(query.Take(&taken)), Hex(S_OK));
        EXPECT_STREQ(taken, query.Text());
        EXPECT_NE(static_cast<const wchar_t*>(taken), query.Text());   // a copy, the caller's to free
        EXPECT_EQ(TextAt(document.Get(), taken), c.selectsText);
        SysFreeString(taken);
    }
}

TEST(FeatureQuerySteps, StepsRefuseWhatCannotMakeAQuery)
{
    FeatureQuery unprefixed(L"");
    EXPECT_EQ(Hex(unprefixed.ForFeature(L"psk:", L"PageMediaSize")), Hex(E_FAIL));
    EXPECT_EQ(Hex(unprefixed.ForProperty(L"psk:", L"A")), Hex(E_FAIL));
    EXPECT_EQ(Hex(unprefixed.ForScoredProperty(L"psk:", L"A")), Hex(E_FAIL));
    EXPECT_EQ(Hex(unprefixed.ForParameterInit(L"psk:", L"A")), Hex(E_FAIL));
    EXPECT_EQ(Hex(unprefixed.AddOptionPaths(L"psk:")), Hex(E_FAIL));
    EXPECT_STREQ(unprefixed.Text(), L"");

    FeatureQuery query(L"psf:");
    EXPECT_EQ(Hex(query.AddOptionPaths(L"psk:")), Hex(E_UNEXPECTED));
    EXPECT_EQ(Hex(query.ForFeature(L"psk:", L"")), Hex(E_INVALIDARG));
    EXPECT_EQ(Hex(query.ForFeature(L"psk:", nullptr)), Hex(E_INVALIDARG));
    EXPECT_EQ(Hex(query.Take(nullptr)), Hex(E_POINTER));
    EXPECT_STREQ(query.Text(), L"");
}

// ---------------------------------------------------------------------------
// The COM boundary

TEST(ComBoundary, WhateverIsThrownInsideBecomesAnHresult)
{
    struct Case {
        const char* what;
        std::function<HRESULT()> work;
        HRESULT expected;
    };
    const Case cases[] = {
        {"result passes through", [] { return S_FALSE; }, S_FALSE},
        {"CXDException carries its HRESULT", []() -> HRESULT { throw CXDException(kNotFound); }, kNotFound},
        {"ThrowOnFailure throws failures",
         []() -> HRESULT {
             ThrowOnFailure(S_FALSE);
             ThrowOnFailure(E_ACCESSDENIED);
             return S_OK;
         },
         E_ACCESSDENIED},
        {"out of memory", []() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {"anything else", []() -> HRESULT { throw 42; }, E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Hex(AtComBoundary(c.work)), Hex(c.expected));
    }
}

// ---------------------------------------------------------------------------
// Ownership

// Counts the task-allocator blocks (BSTRs among them, with the BSTR cache
// off) allocated while it is registered and not yet freed.
class AllocationCounter : public IMallocSpy {
public:
    long live = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *out = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override
    {
        if (block) ++live;
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override
    {
        if (block && spied) --live;
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** request, BOOL spied) override
    {
        reallocFrom_ = block;
        reallocSpied_ = spied;
        reallocSize_ = size;
        *request = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override
    {
        if (!reallocFrom_ && block)
            ++live;   // realloc of nothing allocates
        else if (reallocFrom_ && reallocSize_ == 0 && reallocSpied_)
            --live;   // to nothing frees
        else if (reallocFrom_ && block && !reallocSpied_)
            ++live;   // now a block of ours
        return block;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    void* reallocFrom_ = nullptr;
    BOOL reallocSpied_ = FALSE;
    SIZE_T reallocSize_ = 0;
};

// Everything the wrapper offers, once, on one document; outputs are freed
// here as a caller would.
void Workload(IXMLDOMDocument2* document, IXMLDOMDocument2* broken)
{
    ConstructionResult(kPrintTicketRoot, kPrivateUri, true, broken);
    ConstructionResult(kPrintCapabilitiesRoot, kPrivateUri, true, document);

    PrintSchemaDocument wrapper(kPrintTicketRoot, kPrivateUri, true, document);
    BSTR text = nullptr;
    bool isPrivate = false;
    VARIANT value;
    INT32 number = 0;
    ComPtr<IXMLDOMNode> node;
    ComPtr<IXMLDOMNodeList> list;
    wrapper.SelectRoot(&node);
    wrapper.GetAttribute(node.Get(), L"version", &text);
    SysFreeString(text);
    wrapper.GetAttribute(node.Get(), L"nothing", &text);
    wrapper.SelectNodes(L"//psf:Feature", &list);
    wrapper.NodeExists(L"//psf:Nothing");
    wrapper.GetSelectedOption(L"psk:", L"PageMediaSize", &text, &isPrivate);
    SysFreeString(text);
    wrapper.GetSelectedOption(L"psk:", L"PageMediaType", &text, &isPrivate);
    SysFreeString(text);
    wrapper.GetSelectedOption(L"psk:", L"Nothing", &text, &isPrivate);
    wrapper.ReadValue(L"//psf:ScoredProperty[@name = \"psk:MediaSizeWidth\"]", &value);
    VariantClear(&value);
    wrapper.ReadIntegerValue(L"//psf:ScoredProperty[@name = \"psk:MediaSizeHeight\"]", &number);
    wrapper.ReadFeatureValue(L"PageMediaSize", L"MediaSizeWidth", &text);
    SysFreeString(text);
    wrapper.ReadFeatureInteger(L"PageMediaSize", L"Nothing", &number);
    wrapper.FeatureExists(L"PageMediaSize");

    ComPtr<IXMLDOMNode> root;
    wrapper.SelectRoot(&root);
    auto keep = [&](IXMLDOMElement* made) {
        if (!made) return;
        ComPtr<IXMLDOMNode> appended;
        root->appendChild(made, &appended);
        made->Release();
    };
    IXMLDOMElement *a = nullptr, *b = nullptr;
    wrapper.CreateFeature(true, L"JobSleepTime", &a, &b);
    keep(a);
    if (b) b->Release();
    wrapper.CreateFeatureWithOption(false, L"PageMediaType", true, L"Recycled", &a, &b);
    keep(a);
    if (b) b->Release();
    wrapper.CreatePickOneFeature(L"PageOutputColor", L"Color", &a);
    keep(a);
    wrapper.CreatePrivatePickOneFeature(L"JobTonerSaveMode", L"Toner", &a);
    keep(a);
    wrapper.CreateCapabilityOption(L"psk:", L"ISOA4", L"A4", kConstraintAdminSettings, &a);
    keep(a);
    wrapper.CreatePsfPropertyValue(L"SelectionType", kXsdQName, L"psk:PickOne", &a);
    keep(a);
    wrapper.CreateIntegerPropertyValue(L"psk:", L"Offset", 3, &a);
    keep(a);
    wrapper.CreateIntegerScoredPropertyValue(L"psk:", L"Height", 3, &a);
    keep(a);
    wrapper.CreateStringScoredPropertyValue(L"psk:", L"Text", L"x", &a);
    keep(a);
    wrapper.CreateParameterInit(L"psk:", L"JobCopiesAllDocuments", kXsdInteger, L"2", &a, &b);
    IXMLDOMElement* scored = nullptr;
    wrapper.CreateScoredPropertyWithChild(L"psk:", L"Copies", a, &scored);
    keep(scored);
    if (a) a->Release();
    keep(b);
    wrapper.CreateIntegerParameterDef(L"Width", false, L"Width", 1, 0, 2, 1, L"microns", &a);
    keep(a);
    wrapper.CreateStringParameterDef(L"Text", true, L"Text", L"x", 0, 9, L"characters", &a);
    keep(a);
    wrapper.CreateProperty(L"kvpsk:", L"Label", &a);
    keep(a);
    // Made and dropped without appending.
    wrapper.CreatePickOneFeature(L"Dropped", L"Dropped", &a);
    if (a) a->Release();

    wrapper.RemovePrivateProperty(L"Label");
    wrapper.RemovePrivateFeature(L"JobSleepTime");
    wrapper.RemoveFeature(L"PageMediaSize");
    wrapper.RemoveParameterInit(L"JobCopiesAllDocuments");
    wrapper.RemovePrivateParameterInit(L"Nothing");

    FeatureQuery query(wrapper.FrameworkPrefix());
    query.ForFeature(L"psk:", L"PageMediaType");
    query.AddOptionPaths(L"psk:");
    query.Take(&text);
    SysFreeString(text);
}

TEST(PrintSchemaOwnership, NothingLeaks)
{
    const std::wstring ticket =
        Ticket(L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
               L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:ParameterRef "
               L"name=\"psk:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
               L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value "
               L"xsi:type=\"xsd:integer\">2</psf:Value></psf:ScoredProperty>"
               L"</psf:Option></psf:Feature>"
               L"<psf:Feature name=\"psk:PageMediaType\"><psf:ScoredProperty "
               L"name=\"psk:OptionName\"><psf:Value>psk:Plain</psf:Value></psf:ScoredProperty></psf:Feature>"
               L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value "
               L"xsi:type=\"xsd:integer\">1</psf:Value></psf:ParameterInit>",
               kStandardDeclarations);
    const std::wstring broken = L"<PrintTicket xmlns=\"" + std::wstring(kFrameworkNamespace) + L"\"/>";

    // A first round lets the DOM make whatever it keeps for good.
    {
        ComPtr<IXMLDOMDocument2> document = Load(ticket);
        ComPtr<IXMLDOMDocument2> failing = Load(broken);
        Workload(document.Get(), failing.Get());
    }

    SetOaNoCache();
    AllocationCounter counter;
    ASSERT_EQ(Hex(CoRegisterMallocSpy(&counter)), Hex(S_OK));
    {
        ComPtr<IXMLDOMDocument2> document = Load(ticket);
        ComPtr<IXMLDOMDocument2> failing = Load(broken);
        ULONG documentRefs = References(document.Get());
        ULONG failingRefs = References(failing.Get());
        long before = counter.live;
        Workload(document.Get(), failing.Get());
        EXPECT_EQ(References(document.Get()), documentRefs);
        EXPECT_EQ(References(failing.Get()), failingRefs);
        EXPECT_EQ(counter.live, before) << "task-allocator blocks (BSTRs) left behind";
    }
    EXPECT_EQ(Hex(CoRevokeMallocSpy()), Hex(S_OK));
}

} // namespace
