#include "printschema/features/private_choices.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/schema_text.h"

#include <cwchar>

using Microsoft::WRL::ComPtr;

bool InRange(const IntegerParameter& parameter, int value)
{
    return value >= parameter.minimum && value <= parameter.maximum;
}

int ReadPrivateChoice(PrintSchemaDocument& document, const PrivateChoice& choice, int current)
{
    // Without our namespace the ticket cannot name our features.
    if (!document.PrivateNamespaceDeclared()) return current;
    BstrOwner option;
    bool isPrivate = false;
    HRESULT hr = document.GetSelectedOption(document.PrivatePrefix(), choice.feature, option.Receive(), &isPrivate);
    if (hr == kNotFound) return current;
    ThrowOnFailure(hr);
    if (!isPrivate) return current;
    for (size_t i = 0; i < choice.count; ++i)
        if (wcscmp(choice.options[i].name, option.Text()) == 0) return static_cast<int>(i);
    return current;
}

bool ReadPrivateInteger(PrintSchemaDocument& document, const wchar_t* parameter, int* value)
{
    if (!document.PrivateNamespaceDeclared()) return false;
    FeatureQuery query(document.FrameworkPrefix());
    ThrowOnFailure(query.ForParameterInit(document.PrivatePrefix(), parameter));
    INT32 read = 0;
    if (ThrowOnFailure(document.ReadIntegerValue(query.Text(), &read)) != S_OK) return false;
    *value = read;
    return true;
}

void ReadPrivateParameter(PrintSchemaDocument& document, const IntegerParameter& parameter, int* value)
{
    int read = 0;
    if (ReadPrivateInteger(document, parameter.name, &read) && InRange(parameter, read)) *value = read;
}

bool ReadValueText(PrintSchemaDocument& document, const wchar_t* query, BstrOwner* text)
{
    VARIANT value;
    HRESULT hr = document.ReadValue(query, &value);
    bool found = hr == S_OK && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR));
    if (found) *text = BstrOwner::Copy(value.bstrVal);
    VariantClear(&value);
    ThrowOnFailure(hr);
    return found;
}

ComPtr<IXMLDOMElement> AppendPrivateChoice(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                           const PrivateChoice& choice, int index)
{
    ComPtr<IXMLDOMElement> feature, option;
    ThrowOnFailure(
        document.CreateFeatureWithOption(true, choice.feature, true, choice.options[index].name, &feature, &option));
    AppendChild(parent, feature.Get());
    return feature;
}

void AppendPrivateInteger(PrintSchemaDocument& document, IXMLDOMNode* root, const wchar_t* parameter, int value)
{
    ComPtr<IXMLDOMElement> ref, init;
    ThrowOnFailure(document.CreateParameterInit(document.PrivatePrefix(), parameter, kXsdInteger,
                                                IntegerText(value).Text(), &ref, &init));
    AppendChild(root, init.Get());
}

void RemovePrivateItems(PrintSchemaDocument& document, const PrivateChoice* const* choices, size_t choiceCount,
                        const wchar_t* const* parameters, size_t parameterCount)
{
    for (size_t i = 0; i < choiceCount; ++i) ThrowOnFailure(document.RemovePrivateFeature(choices[i]->feature));
    for (size_t i = 0; i < parameterCount; ++i) ThrowOnFailure(document.RemovePrivateParameterInit(parameters[i]));
}

ComPtr<IXMLDOMElement> AppendPrivatePickOne(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                            const PrivateChoice& choice)
{
    ComPtr<IXMLDOMElement> feature;
    ThrowOnFailure(document.CreatePrivatePickOneFeature(choice.feature, DisplayName(choice.displayId).Get(), &feature));
    for (size_t i = 0; i < choice.count; ++i) {
        ComPtr<IXMLDOMElement> option;
        ThrowOnFailure(document.CreateCapabilityOption(document.PrivatePrefix(), choice.options[i].name,
                                                       DisplayName(choice.options[i].displayId).Get(),
                                                       kConstraintNone, &option));
        AppendChild(feature.Get(), option.Get());
    }
    AppendChild(parent, feature.Get());
    return feature;
}

void AppendIntegerParameterDef(PrintSchemaDocument& document, IXMLDOMNode* root, const IntegerParameter& parameter)
{
    ComPtr<IXMLDOMElement> definition;
    ThrowOnFailure(document.CreateIntegerParameterDef(parameter.name, true, nullptr, parameter.defaultValue,
                                                      parameter.minimum, parameter.maximum, 1,
                                                      parameter.unit ? parameter.unit : L"", &definition));
    AppendChild(root, definition.Get());
}
