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

::testing::Environment* NewComApartment()
{
    return new ComApartment;
}
