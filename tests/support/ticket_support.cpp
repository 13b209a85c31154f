#include "support/ticket_support.h"

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
