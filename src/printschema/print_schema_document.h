// The one way the provider reads and writes PrintTicket and
// PrintCapabilities XML: a wrapper over a DOM document that the caller owns.
//
// At construction it learns which prefixes the document binds to the four
// standard namespaces and to the driver's private keyword namespace (by URI:
// a ticket may use any prefixes), optionally declaring the missing ones on
// the root, and switches the document to XPath selection with the framework
// prefix bound. Names are then made by concatenation: every prefix is kept
// with its colon ("psk:"), and a namespace the document does not declare
// reads as an empty prefix.
//
// Results: S_OK; S_FALSE when nothing matched; HRESULT_FROM_WIN32
// (ERROR_NOT_FOUND) from the operations that report an absent feature or
// option; E_POINTER for a NULL pointer argument, E_INVALIDARG for an empty
// name. The operations never throw; the constructor throws CXDException.
//
// Nodes handed out are the caller's references. Builders return unattached
// elements for the caller to append (the children they make are appended
// already); a builder that fails releases what it made. The wrapper never
// saves, loads or clones the document.
#pragma once

#include "platform/printticket.h"
#include "printschema/bstr_owner.h"
#include "printschema/print_schema_names.h"

#include <wrl/client.h>

// Result of the lookups that find no feature or option in a ticket; feature
// handlers treat it as "the ticket does not mention this".
constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);   // 0x80070490

class PrintSchemaDocument {
public:
    // rootName is kPrintTicketRoot or kPrintCapabilitiesRoot. With
    // declareMissing, namespaces the root does not declare are declared on it.
    // Throws CXDException: E_UNEXPECTED for a NULL document, E_FAIL when the
    // root is missing or binds the framework as its default namespace, or the
    // failure of the document.
    PrintSchemaDocument(const wchar_t* rootName, const wchar_t* privateNamespace, bool declareMissing,
                        IXMLDOMDocument2* document);
    virtual ~PrintSchemaDocument();

    PrintSchemaDocument(const PrintSchemaDocument&) = delete;
    PrintSchemaDocument& operator=(const PrintSchemaDocument&) = delete;

    // The document's prefixes with their colons; "" when not declared.
    const wchar_t* SchemaPrefix() const noexcept { return schemaPrefix_.Text(); }
    const wchar_t* SchemaInstancePrefix() const noexcept { return schemaInstancePrefix_.Text(); }
    const wchar_t* FrameworkPrefix() const noexcept { return frameworkPrefix_.Text(); }
    const wchar_t* KeywordsPrefix() const noexcept { return keywordsPrefix_.Text(); }
    const wchar_t* PrivatePrefix() const noexcept { return privatePrefix_.Text(); }

    bool IsCapabilities() const noexcept { return isCapabilities; }
    bool PrivateNamespaceDeclared() const noexcept { return privateNamespaceDeclared; }
    IXMLDOMDocument2* Document() const noexcept { return document_.Get(); }

    // The root's prefix for namespaceUri, with its colon, as a new BSTR.
    // S_FALSE (prefix untouched) when the root does not declare it and
    // declareMissing is false. When declaring, preferred names the prefix to
    // use; without one (or when the root already binds that name to another
    // URI) the first free "ns0001", "ns0002"... is used.
    HRESULT FindOrDeclarePrefix(const wchar_t* namespaceUri, BSTR* prefix, bool declareMissing,
                                const wchar_t* preferred);

    HRESULT SelectRoot(IXMLDOMNode** root);
    // Releases a node already in *node first.
    HRESULT SelectSingleNode(const wchar_t* query, IXMLDOMNode** node);
    // E_FAIL for an empty query.
    HRESULT SelectNodes(const wchar_t* query, IXMLDOMNodeList** nodes);
    // S_OK or kNotFound.
    HRESULT NodeExists(const wchar_t* query);
    // S_FALSE (and *text NULL) when the node has no such attribute.
    HRESULT GetAttribute(IXMLDOMNode* node, const wchar_t* name, BSTR* text);
    // E_FAIL when the node has no parent to remove it from.
    HRESULT RemoveNode(IXMLDOMNode* node);

    // The selected option of the feature namePrefix + featureName: the first
    // Option, or the value of a keywords-prefixed OptionName ScoredProperty.
    // *optionName is its local name when it is a keyword or private name
    // (*isPrivate tells which) and the whole text otherwise. kNotFound when
    // the feature or its option is missing.
    HRESULT GetSelectedOption(const wchar_t* namePrefix, const wchar_t* featureName, BSTR* optionName,
                              bool* isPrivate);

    // The Value of the Property, ScoredProperty or ParameterInit the query
    // selects, inline or through a ParameterRef to a ParameterInit anywhere in
    // the document. *value is initialised here; S_FALSE when there is none.
    HRESULT ReadValue(const wchar_t* query, VARIANT* value);
    // ReadValue as a decimal integer (leading digits, 0 when none).
    HRESULT ReadIntegerValue(const wchar_t* query, INT32* value);
    // ReadValue of the keywords-prefixed ScoredProperty below the
    // keywords-prefixed feature; kNotFound when there is none.
    HRESULT ReadFeatureValue(const wchar_t* featureName, const wchar_t* propertyName, BSTR* text);
    HRESULT ReadFeatureInteger(const wchar_t* featureName, const wchar_t* propertyName, INT32* value);
    // S_OK or kNotFound for the keywords-prefixed feature.
    HRESULT FeatureExists(const wchar_t* featureName);

    // Remove every such feature with the ParameterInits its ParameterRefs
    // name; S_FALSE when there was none.
    HRESULT RemoveFeature(const wchar_t* featureName);
    HRESULT RemovePrivateFeature(const wchar_t* featureName);
    HRESULT RemoveParameterInit(const wchar_t* parameterName);
    HRESULT RemovePrivateParameterInit(const wchar_t* parameterName);
    HRESULT RemovePrivateProperty(const wchar_t* propertyName);

    // Feature named with the private or keywords prefix, with an empty Option
    // appended to it; both returned.
    HRESULT CreateFeature(bool isPrivate, const wchar_t* localName, IXMLDOMElement** feature,
                          IXMLDOMElement** option);
    // As CreateFeature, the Option named as well.
    HRESULT CreateFeatureWithOption(bool featureIsPrivate, const wchar_t* featureName, bool optionIsPrivate,
                                    const wchar_t* optionName, IXMLDOMElement** feature,
                                    IXMLDOMElement** option);
    // Capabilities Feature with its DisplayName when one is given.
    HRESULT CreateCapabilityFeature(const wchar_t* namePrefix, const wchar_t* localName,
                                    const wchar_t* displayName, IXMLDOMElement** feature);
    // ... plus the PickOne SelectionType.
    HRESULT CreatePickOneFeature(const wchar_t* localName, const wchar_t* displayName,
                                 IXMLDOMElement** feature);
    HRESULT CreatePrivatePickOneFeature(const wchar_t* localName, const wchar_t* displayName,
                                        IXMLDOMElement** feature);
    // Option (named unless localName is empty), constrained at the level
    // (PrintCapabilities documents only), with its DisplayName when given.
    HRESULT CreateCapabilityOption(const wchar_t* namePrefix, const wchar_t* localName,
                                   const wchar_t* displayName, ConstraintLevel level,
                                   IXMLDOMElement** option);

    HRESULT CreateProperty(const wchar_t* namePrefix, const wchar_t* localName, IXMLDOMElement** property);
    HRESULT CreatePsfProperty(const wchar_t* localName, IXMLDOMElement** property);
    // type is an XML Schema type name (kXsdString...), written after the
    // document's XML Schema prefix.
    HRESULT CreatePropertyValue(const wchar_t* namePrefix, const wchar_t* localName, const wchar_t* type,
                                const wchar_t* text, IXMLDOMElement** property);
    HRESULT CreatePsfPropertyValue(const wchar_t* localName, const wchar_t* type, const wchar_t* text,
                                   IXMLDOMElement** property);
    HRESULT CreateIntegerPropertyValue(const wchar_t* namePrefix, const wchar_t* localName, int value,
                                       IXMLDOMElement** property);

    HRESULT CreateScoredProperty(const wchar_t* namePrefix, const wchar_t* localName,
                                 IXMLDOMElement** scoredProperty);
    HRESULT CreateScoredPropertyValue(const wchar_t* namePrefix, const wchar_t* localName,
                                      const wchar_t* type, const wchar_t* text,
                                      IXMLDOMElement** scoredProperty);
    HRESULT CreateIntegerScoredPropertyValue(const wchar_t* namePrefix, const wchar_t* localName, int value,
                                             IXMLDOMElement** scoredProperty);
    HRESULT CreateStringScoredPropertyValue(const wchar_t* namePrefix, const wchar_t* localName,
                                            const wchar_t* text, IXMLDOMElement** scoredProperty);
    // The ScoredProperty with child (usually a ParameterRef) appended.
    HRESULT CreateScoredPropertyWithChild(const wchar_t* namePrefix, const wchar_t* localName,
                                          IXMLDOMNode* child, IXMLDOMElement** scoredProperty);

    HRESULT CreateParameterRef(bool isPrivate, const wchar_t* localName, IXMLDOMElement** parameterRef);
    // A ParameterRef and the ParameterInit it refers to, holding the value.
    HRESULT CreateParameterInit(const wchar_t* namePrefix, const wchar_t* localName, const wchar_t* type,
                                const wchar_t* text, IXMLDOMElement** parameterRef,
                                IXMLDOMElement** parameterInit);
    // ParameterDef with its properties in the order consumers expect;
    // Multiple only when multiple > 0, DisplayName only when given.
    HRESULT CreateIntegerParameterDef(const wchar_t* localName, bool isPrivate, const wchar_t* displayName,
                                      int defaultValue, int minimum, int maximum, int multiple,
                                      const wchar_t* unit, IXMLDOMElement** parameterDef);
    HRESULT CreateStringParameterDef(const wchar_t* localName, bool isPrivate, const wchar_t* displayName,
                                     const wchar_t* defaultText, int minLength, int maxLength,
                                     const wchar_t* unit, IXMLDOMElement** parameterDef);

private:
    using ElementPtr = Microsoft::WRL::ComPtr<IXMLDOMElement>;
    using NodePtr = Microsoft::WRL::ComPtr<IXMLDOMNode>;

    void SetProperty(const wchar_t* name, const wchar_t* value);
    void BindFrameworkForSelection(const wchar_t* prefix);
    HRESULT SelectRootNode(IXMLDOMNode** root);
    HRESULT RemoveFeatures(const wchar_t* namePrefix, const wchar_t* featureName);
    HRESULT RemoveAll(const wchar_t* query);
    HRESULT RemoveParameterInitsNamed(const wchar_t* qualifiedName);
    BstrOwner ValueText(const wchar_t* query, HRESULT* hr);
    const wchar_t* NamePrefix(bool isPrivate) const noexcept;

    ElementPtr NewElement(const wchar_t* localName);
    void SetNameAttribute(IXMLDOMElement* element, const wchar_t* attribute, const wchar_t* namePrefix,
                          const wchar_t* localName);
    ElementPtr NewValue(const wchar_t* type, const wchar_t* text);
    ElementPtr NewNamed(const wchar_t* element, const wchar_t* namePrefix, const wchar_t* localName);
    ElementPtr NewNamedValue(const wchar_t* element, const wchar_t* namePrefix, const wchar_t* localName,
                             const wchar_t* type, const wchar_t* text);
    void AppendDisplayName(IXMLDOMElement* parent, const wchar_t* displayName);
    ElementPtr NewCapabilityFeature(const wchar_t* namePrefix, const wchar_t* localName,
                                    const wchar_t* displayName, bool pickOne);
    struct DefinitionProperty;
    ElementPtr NewParameterDef(const wchar_t* localName, bool isPrivate, const DefinitionProperty* rows,
                               size_t count, const wchar_t* displayName);

    Microsoft::WRL::ComPtr<IXMLDOMDocument2> document_;
    BstrOwner rootName_;
    bool isCapabilities = false;
    BstrOwner schemaPrefix_;
    BstrOwner schemaInstancePrefix_;
    BstrOwner frameworkPrefix_;
    BstrOwner keywordsPrefix_;
    BstrOwner privatePrefix_;
    BstrOwner privateNamespace_;
    bool privateNamespaceDeclared = false;
};
