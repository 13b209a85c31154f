#include "support/com_support.h"

#include <cstdio>

namespace {

class ComApartment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

std::string Hex(HRESULT hr)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

Microsoft::WRL::ComPtr<IXMLDOMDocument2> NewDocument()
{
    Microsoft::WRL::ComPtr<IXMLDOMDocument2> document;
    HRESULT hr = CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                  reinterpret_cast<void**>(document.GetAddressOf()));
    EXPECT_EQ(Hex(hr), Hex(S_OK)) << "MSXML 6 is not available";
    return document;
}

Microsoft::WRL::ComPtr<IXMLDOMDocument2> Load(const std::wstring& xml)
{
    Microsoft::WRL::ComPtr<IXMLDOMDocument2> document = NewDocument();
    if (!document) return document;
    BSTR text = SysAllocString(xml.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(Hex(document->loadXML(text, &loaded)), Hex(S_OK));
    EXPECT_EQ(loaded, VARIANT_TRUE) << Narrow(xml);
    SysFreeString(text);
    return document;
}

::testing::Environment* NewComApartment()
{
    return new ComApartment;
}
