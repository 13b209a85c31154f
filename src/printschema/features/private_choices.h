// Building blocks of the handlers whose features, options and parameters
// are named in our private keyword namespace: each feature is a row of a
// table (name, display string, options), read from and written to tickets
// and described in capabilities by the same few functions.
#pragma once

#include "printschema/feature_handler.h"

#include <wrl/client.h>

#include <cstddef>

// One choice of a feature: the option's local name and its display string.
struct ChoiceOption {
    const wchar_t* name;
    UINT           displayId;
};

// A private pick-one feature; the record keeps the index of its option.
struct PrivateChoice {
    const wchar_t*      feature;
    UINT                displayId;   // 0: no display name
    const ChoiceOption* options;
    size_t              count;
};

template <size_t N> constexpr PrivateChoice MakeChoice(const wchar_t* feature, UINT displayId,
                                                       const ChoiceOption (&options)[N])
{
    return {feature, displayId, options, N};
}

// An integer parameter of ours as its definition describes it.
struct IntegerParameter {
    const wchar_t* name;
    int            defaultValue;
    int            minimum;
    int            maximum;
    const wchar_t* unit;             // nullptr: no unit text
};

bool InRange(const IntegerParameter& parameter, int value);

// The index of the private option the ticket selects for the feature;
// current when the ticket does not mention the feature or names an option
// that is not one of ours. Throws CXDException on a failing document.
int ReadPrivateChoice(PrintSchemaDocument& document, const PrivateChoice& choice, int current);

// The value of our ParameterInit; false when the ticket has none.
bool ReadPrivateInteger(PrintSchemaDocument& document, const wchar_t* parameter, int* value);
// As above, only taking values within the parameter's definition.
void ReadPrivateParameter(PrintSchemaDocument& document, const IntegerParameter& parameter, int* value);

// The text of a Property, ScoredProperty or ParameterInit that query
// selects; false when there is none.
bool ReadValueText(PrintSchemaDocument& document, const wchar_t* query, BstrOwner* text);

// Appends the feature with the option of index to parent (the root, or the
// feature a sub-feature belongs to) and returns the feature element.
Microsoft::WRL::ComPtr<IXMLDOMElement> AppendPrivateChoice(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                                           const PrivateChoice& choice, int index);

// Appends a ParameterInit of ours holding value to root.
void AppendPrivateInteger(PrintSchemaDocument& document, IXMLDOMNode* root, const wchar_t* parameter, int value);

// Removes the features, with any sub-features written at the top level,
// and the ParameterInits named; a failing removal throws.
void RemovePrivateItems(PrintSchemaDocument& document, const PrivateChoice* const* choices, size_t choiceCount,
                        const wchar_t* const* parameters, size_t parameterCount);

// Appends to parent the capabilities pick-one feature with every option at
// the level None and returns it, so that sub-features can go inside.
Microsoft::WRL::ComPtr<IXMLDOMElement> AppendPrivatePickOne(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                                            const PrivateChoice& choice);

// Appends the parameter's definition (ours, step 1, no display name) to root.
void AppendIntegerParameterDef(PrintSchemaDocument& document, IXMLDOMNode* root,
                               const IntegerParameter& parameter);
