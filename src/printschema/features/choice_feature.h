// A Print Schema feature whose setting is one option out of a fixed list,
// described as data: most of the job and page switches of the driver are
// such lists, and this is their one reader, writer and capabilities writer.
#pragma once

#include "printschema/feature_handler.h"

#include <wrl/client.h>

#include <cstddef>
#include <functional>

struct ChoiceOption {
    const wchar_t* name;
    UINT           displayId;   // 0: no display name
};

// Options are named in the feature's own namespace.
struct ChoiceFeature {
    const wchar_t*      name;
    bool                isPrivate;   // our keyword namespace rather than the standard one
    UINT                displayId;
    const ChoiceOption* options;
    size_t              count;
};

template <size_t N>
constexpr ChoiceFeature MakeChoiceFeature(const wchar_t* name, bool isPrivate, UINT displayId,
                                          const ChoiceOption (&options)[N])
{
    return {name, isPrivate, displayId, options, N};
}

// The index of the ticket's option for the feature. kNotFound when the
// ticket does not name one; S_FALSE (index untouched) when it names one that
// is not in the list, or names it in the other namespace. Throws
// CXDException with a failure of the document.
HRESULT ReadChoice(PrintSchemaDocument& document, const ChoiceFeature& feature, int* index);

// Removes the feature (wherever it is nested) with the parameters it refers to.
void RemoveChoice(PrintSchemaDocument& document, const ChoiceFeature& feature);

// Appends the feature with option index (which must be in the list) to
// parent: the root, or the feature a sub-feature belongs to. The new Feature
// and Option come back for the caller to add to. Throws CXDException.
Microsoft::WRL::ComPtr<IXMLDOMElement> AppendChoice(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                                     const ChoiceFeature& feature, int index,
                                                     IXMLDOMElement** option = nullptr);

// For each option of a capabilities list: false leaves the option out,
// otherwise *level is how strongly it is excluded.
using ChoiceLevel = std::function<bool(size_t index, ConstraintLevel* level)>;

// Every option offered, none constrained.
bool EveryChoiceOpen(size_t index, ConstraintLevel* level);

// Adds what an option carries besides its name (scored properties) to it.
using ChoiceFill = std::function<void(size_t index, IXMLDOMElement* option)>;

// Appends the PickOne feature with its offered options to parent and returns
// it, for sub-features to be nested in. Throws CXDException.
Microsoft::WRL::ComPtr<IXMLDOMElement> AppendChoiceCapabilities(PrintSchemaDocument& document,
                                                                 IXMLDOMNode* parent,
                                                                 const ChoiceFeature& feature,
                                                                 const ChoiceLevel& level,
                                                                 const ChoiceFill& fill = nullptr);
