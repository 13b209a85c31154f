#include "printschema/features/choice_feature.h"

#include "printschema/cxd_exception.h"

#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t* NamePrefix(const PrintSchemaDocument& document, const ChoiceFeature& feature)
{
    return feature.isPrivate ? document.PrivatePrefix() : document.KeywordsPrefix();
}

}  // namespace

HRESULT ReadChoice(PrintSchemaDocument& document, const ChoiceFeature& feature, int* index)
{
    if (!index) return E_POINTER;
    BstrOwner option;
    bool optionIsPrivate = false;
    HRESULT hr = document.GetSelectedOption(NamePrefix(document, feature), feature.name, option.Receive(),
                                            &optionIsPrivate);
    if (hr == kNotFound) return hr;
    ThrowOnFailure(hr);
    if (optionIsPrivate != feature.isPrivate) return S_FALSE;
    for (size_t i = 0; i < feature.count; ++i) {
        if (wcscmp(feature.options[i].name, option.Text()) == 0) {
            *index = static_cast<int>(i);
            return S_OK;
        }
    }
    return S_FALSE;
}

void RemoveChoice(PrintSchemaDocument& document, const ChoiceFeature& feature)
{
    ThrowOnFailure(feature.isPrivate ? document.RemovePrivateFeature(feature.name)
                                     : document.RemoveFeature(feature.name));
}

ComPtr<IXMLDOMElement> AppendChoice(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                    const ChoiceFeature& feature, int index, IXMLDOMElement** option)
{
    if (index < 0 || static_cast<size_t>(index) >= feature.count) throw CXDException(E_UNEXPECTED);
    ComPtr<IXMLDOMElement> made, madeOption;
    ThrowOnFailure(document.CreateFeatureWithOption(feature.isPrivate, feature.name, feature.isPrivate,
                                                    feature.options[index].name, &made, &madeOption));
    AppendChild(parent, made.Get());
    if (option) *option = madeOption.Detach();
    return made;
}

bool EveryChoiceOpen(size_t, ConstraintLevel* level)
{
    *level = kConstraintNone;
    return true;
}

ComPtr<IXMLDOMElement> AppendChoiceCapabilities(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                                const ChoiceFeature& feature, const ChoiceLevel& level,
                                                const ChoiceFill& fill)
{
    ComPtr<IXMLDOMElement> made;
    DisplayName featureName(feature.displayId);
    ThrowOnFailure(feature.isPrivate ? document.CreatePrivatePickOneFeature(feature.name, featureName.Get(), &made)
                                     : document.CreatePickOneFeature(feature.name, featureName.Get(), &made));
    for (size_t i = 0; i < feature.count; ++i) {
        ConstraintLevel constraint = kConstraintNone;
        if (!level(i, &constraint)) continue;
        ComPtr<IXMLDOMElement> option;
        ThrowOnFailure(document.CreateCapabilityOption(NamePrefix(document, feature), feature.options[i].name,
                                                       DisplayName(feature.options[i].displayId).Get(),
                                                       constraint, &option));
        if (fill) fill(i, option.Get());
        AppendChild(made.Get(), option.Get());
    }
    AppendChild(parent, made.Get());
    return made;
}
