#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <cstring>

using Microsoft::WRL::ComPtr;

const wchar_t kTestPrivateUri[] = L"http://schemas.zentari.example/printing/keywords";

std::wstring TicketDeclarations()
{
    return std::wstring(L" xmlns:psf=\"") + kFrameworkNamespace + L"\" xmlns:psk=\"" + kKeywordsNamespace +
           L"\" xmlns:xsi=\"" + kSchemaInstanceNamespace + L"\" xmlns:xsd=\"" + kSchemaNamespace +
           L"\" xmlns:kvpsk=\"" + kTestPrivateUri + L"\"";
}

ComPtr<IXMLDOMDocument2> NewTicket(const std::wstring& body)
{
    return Load(L"<psf:PrintTicket version=\"1\"" + TicketDeclarations() + L">" + body + L"</psf:PrintTicket>");
}

ComPtr<IXMLDOMDocument2> NewCapabilities()
{
    return Load(L"<psf:PrintCapabilities version=\"1\"" + TicketDeclarations() + L"/>");
}

namespace {

void BindQueryPrefixes(IXMLDOMDocument2* document)
{
    std::wstring bindings = std::wstring(L"xmlns:f='") + kFrameworkNamespace + L"' xmlns:k='" +
                            kKeywordsNamespace + L"' xmlns:p='" + kTestPrivateUri + L"'";
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(bindings.c_str());
    BSTR name = SysAllocString(L"SelectionNamespaces");
    EXPECT_EQ(Hex(document->setProperty(name, value)), Hex(S_OK));
    SysFreeString(name);
    VariantClear(&value);
}

} // namespace

std::string SelectText(IXMLDOMDocument2* document, const std::wstring& query)
{
    BindQueryPrefixes(document);
    BSTR q = SysAllocString(query.c_str());
    ComPtr<IXMLDOMNode> node;
    HRESULT hr = document->selectSingleNode(q, &node);
    SysFreeString(q);
    if (hr != S_OK || !node) return "<none>";
    BSTR text = nullptr;
    node->get_text(&text);
    std::string result = Narrow(text ? text : L"");
    SysFreeString(text);
    return result;
}

long SelectCount(IXMLDOMDocument2* document, const std::wstring& query)
{
    BindQueryPrefixes(document);
    BSTR q = SysAllocString(query.c_str());
    ComPtr<IXMLDOMNodeList> nodes;
    long count = -1;
    if (document->selectNodes(q, &nodes) == S_OK) nodes->get_length(&count);
    SysFreeString(q);
    return count;
}

std::wstring FeatureXml(const std::wstring& feature, const std::wstring& option)
{
    return L"<psf:Feature name=\"" + feature + L"\"><psf:Option name=\"" + option + L"\"/></psf:Feature>";
}

std::wstring ParameterInitXml(const std::wstring& name, const std::wstring& value, const std::wstring& type)
{
    return L"<psf:ParameterInit name=\"" + name + L"\"><psf:Value xsi:type=\"xsd:" + type + L"\">" + value +
           L"</psf:Value></psf:ParameterInit>";
}

DriverDevmode BlankDevmode()
{
    DriverDevmode record{};
    record.pub.dmSize = kPublicDevmodeSize;
    record.pub.dmDriverExtra = kPrivateSize;
    return record;
}

HRESULT HandlerToTicket(FeatureHandler& handler, DriverDevmode& record, IXMLDOMDocument2* ticket)
{
    return handler.DevModeToPrintTicket(nullptr, kPublicDevmodeSize, &record.pub, kPrivateSize, &record.priv,
                                        ticket);
}

HRESULT HandlerToDevMode(FeatureHandler& handler, IXMLDOMDocument2* ticket, DriverDevmode& record)
{
    return handler.PrintTicketToDevMode(nullptr, ticket, kPublicDevmodeSize, &record.pub, kPrivateSize,
                                        &record.priv);
}

ComPtr<IXMLDOMDocument2> TicketFrom(FeatureHandler& handler, DriverDevmode& record)
{
    ComPtr<IXMLDOMDocument2> ticket = NewTicket();
    EXPECT_EQ(Hex(HandlerToTicket(handler, record, ticket.Get())), Hex(S_OK));
    return ticket;
}

ComPtr<IXMLDOMDocument2> CapabilitiesOf(FeatureHandler& handler)
{
    ComPtr<IXMLDOMDocument2> capabilities = NewCapabilities();
    EXPECT_EQ(Hex(handler.GetPrintCapabilities(nullptr, nullptr, capabilities.Get())), Hex(S_OK));
    return capabilities;
}

void ExpectArgumentsChecked(FeatureHandler& handler, IXMLDOMDocument2* ticket, const DriverDevmode& record)
{
    DriverDevmode converted = record;
    ASSERT_EQ(Hex(HandlerToDevMode(handler, ticket, converted)), Hex(S_OK));
    ASSERT_NE(memcmp(&converted, &record, sizeof record), 0) << "the ticket must change the record";

    DriverDevmode target = record;
    const struct {
        const char* what;
        IXMLDOMDocument2* ticket;
        ULONG dmSize;
        PrivateSettings* priv;
        ULONG dmDriverExtra;
        HRESULT expected;
    } refusals[] = {
        {"short private part", ticket, kPublicDevmodeSize, &target.priv, kPrivateSize - 1, E_INVALIDARG},
        {"no private part", ticket, kPublicDevmodeSize, &target.priv, 0, E_INVALIDARG},
        {"short public part", ticket, kPublicDevmodeSize - 1, &target.priv, kPrivateSize, E_INVALIDARG},
        {"no ticket", nullptr, kPublicDevmodeSize, &target.priv, kPrivateSize, E_POINTER},
        {"no private buffer", ticket, kPublicDevmodeSize, nullptr, kPrivateSize, E_POINTER},
    };
    for (const auto& r : refusals) {
        target = record;
        EXPECT_EQ(Hex(handler.PrintTicketToDevMode(nullptr, r.ticket, r.dmSize, &target.pub, r.dmDriverExtra,
                                                   r.priv)),
                  Hex(r.expected))
            << r.what;
        EXPECT_EQ(memcmp(&target, &record, sizeof record), 0) << r.what;
    }
    EXPECT_EQ(Hex(handler.DevModeToPrintTicket(nullptr, kPublicDevmodeSize, nullptr, kPrivateSize, &target.priv,
                                               ticket)),
              Hex(E_POINTER));
    EXPECT_EQ(Hex(handler.DevModeToPrintTicket(nullptr, kPublicDevmodeSize, &target.pub, 0, &target.priv, ticket)),
              Hex(E_INVALIDARG));
    EXPECT_EQ(Hex(handler.DevModeToPrintTicket(nullptr, kPublicDevmodeSize, &target.pub, kPrivateSize,
                                               &target.priv, nullptr)),
              Hex(E_POINTER));
    EXPECT_EQ(Hex(handler.ValidatePrintTicket(nullptr, nullptr)), Hex(E_POINTER));
    EXPECT_EQ(Hex(handler.GetPrintCapabilities(nullptr, nullptr, nullptr)), Hex(E_POINTER));
}
