#include "printschema/features/feature_words.h"

#include "printschema/cxd_exception.h"

#include <cwchar>

bool Found(HRESULT hr)
{
    if (hr == kNotFound) return false;
    return ThrowOnFailure(hr) == S_OK;
}

HRESULT ReadValueText(PrintSchemaDocument& document, const wchar_t* query, std::wstring* text)
{
    VARIANT value;
    HRESULT hr = document.ReadValue(query, &value);
    if (hr == S_OK) {
        hr = VariantChangeType(&value, &value, 0, VT_BSTR);
        if (SUCCEEDED(hr)) *text = value.bstrVal ? value.bstrVal : L"";
    }
    VariantClear(&value);
    return ThrowOnFailure(hr);
}

int IndexOfWord(const wchar_t* const* names, size_t count, const wchar_t* word)
{
    if (!word) return -1;
    for (size_t i = 0; i < count; ++i)
        if (wcscmp(names[i], word) == 0) return static_cast<int>(i);
    return -1;
}

HRESULT SelectedOptionIndex(PrintSchemaDocument& document, const wchar_t* namePrefix, const wchar_t* feature,
                            const wchar_t* const* names, size_t count, int* index)
{
    BstrOwner option;
    bool isPrivate = false;
    HRESULT hr = document.GetSelectedOption(namePrefix, feature, option.Receive(), &isPrivate);
    if (hr == kNotFound) return hr;
    ThrowOnFailure(hr);
    *index = IndexOfWord(names, count, option.Text());
    return S_OK;
}
