#include "printschema/print_schema_document.h"

#include "printschema/com_boundary.h"
#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/schema_text.h"

#include <cwchar>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// The root is looked up under a fixed XPath prefix bound to the framework
// namespace, before the document's own prefix is known.
const wchar_t kSelectionPrefix[] = L"psf";
const wchar_t kRootTemplate[] = L"//%s:%s";
const wchar_t kSelectionNamespacesTemplate[] = L"xmlns:%s='%s'";
const wchar_t kDeclarationStart[] = L"xmlns:";
const size_t kDeclarationStartLength = 6;

struct VariantOwner {
    VariantOwner() noexcept { VariantInit(&v); }
    ~VariantOwner() { VariantClear(&v); }
    VariantOwner(const VariantOwner&) = delete;
    VariantOwner& operator=(const VariantOwner&) = delete;
    VARIANT v;
};

// A VARIANT holding a copy of text.
void SetText(VariantOwner& holder, const wchar_t* text)
{
    VariantClear(&holder.v);
    holder.v.vt = VT_BSTR;
    holder.v.bstrVal = BstrOwner::Copy(text).Detach();
}

// Values come back as text or, depending on the DOM's type support, as a
// number; the callers want text either way.
BstrOwner VariantText(const VARIANT& value)
{
    if (value.vt == VT_BSTR) return BstrOwner::Copy(value.bstrVal);
    VariantOwner text;
    // The source is only read: the conversion goes into a fresh VARIANT.
    ThrowOnFailure(VariantChangeType(&text.v, const_cast<VARIANT*>(&value), 0, VT_BSTR));
    return BstrOwner::Copy(text.v.bstrVal);
}

template <class T> void QueryAs(IUnknown* from, REFIID iid, ComPtr<T>& to)
{
    ThrowOnFailure(from->QueryInterface(iid, reinterpret_cast<void**>(to.ReleaseAndGetAddressOf())));
}

void Append(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> appended;
    ThrowOnFailure(parent->appendChild(child, &appended));
}

bool IsEmpty(const wchar_t* text)
{
    return !text || !*text;
}

// True when element is unprefixed and in namespaceUri: it then carries (or
// inherits) a default-namespace declaration of that URI.
bool IsDefaultNamespaceOf(IXMLDOMNode* element, const wchar_t* namespaceUri)
{
    BstrOwner prefix;
    BstrOwner uri;
    if (FAILED(element->get_prefix(prefix.Receive())) || FAILED(element->get_namespaceURI(uri.Receive())))
        return false;
    return prefix.Empty() && wcscmp(uri.Text(), namespaceUri) == 0;
}

} // namespace

PrintSchemaDocument::PrintSchemaDocument(const wchar_t* rootName, const wchar_t* privateNamespace,
                                         bool declareMissing, IXMLDOMDocument2* document)
    : document_(document), rootName_(BstrOwner::Copy(rootName)),
      privateNamespace_(BstrOwner::Copy(privateNamespace))
{
    if (!document_) throw CXDException(E_UNEXPECTED);
    if (rootName_.Empty()) throw CXDException(E_INVALIDARG);
    isCapabilities = wcscmp(rootName_.Text(), kPrintCapabilitiesRoot) == 0;

    SetProperty(L"SelectionLanguage", L"XPath");
    BindFrameworkForSelection(kSelectionPrefix);

    struct Discovery {
        const wchar_t* uri;
        BstrOwner* prefix;
        const wchar_t* preferred;
    };
    const Discovery discoveries[] = {
        {kFrameworkNamespace, &frameworkPrefix_, L"psf"},
        {kKeywordsNamespace, &keywordsPrefix_, L"psk"},
        {kSchemaInstanceNamespace, &schemaInstancePrefix_, L"xsi"},
        {kSchemaNamespace, &schemaPrefix_, L"xsd"},
        {privateNamespace_.Text(), &privatePrefix_, nullptr},
    };
    HRESULT hr = S_OK;
    for (const Discovery& discovery : discoveries) {
        BSTR found = nullptr;
        hr = ThrowOnFailure(FindOrDeclarePrefix(discovery.uri, &found, declareMissing, discovery.preferred));
        discovery.prefix->Reset(found);
    }
    privateNamespaceDeclared = hr == S_OK;

    // From here on queries name elements with the document's own framework
    // prefix; a ticket without one (no root, or the framework only as the
    // default namespace) cannot be worked on.
    UINT length = frameworkPrefix_.Length();
    if (length == 0 || frameworkPrefix_.Text()[length - 1] != L':') throw CXDException(E_FAIL);
    BstrOwner bare(SysAllocStringLen(frameworkPrefix_.Text(), length - 1));
    if (!bare.Get()) throw CXDException(E_OUTOFMEMORY);
    BindFrameworkForSelection(bare.Text());
}

PrintSchemaDocument::~PrintSchemaDocument() = default;

void PrintSchemaDocument::SetProperty(const wchar_t* name, const wchar_t* value)
{
    BstrOwner property = BstrOwner::Copy(name);
    VariantOwner setting;
    SetText(setting, value);
    ThrowOnFailure(document_->setProperty(property.Get(), setting.v));
}

void PrintSchemaDocument::BindFrameworkForSelection(const wchar_t* prefix)
{
    BstrOwner namespaces = FormatBstr(kSelectionNamespacesTemplate, {prefix, kFrameworkNamespace});
    // The root query always uses the fixed prefix; keep it bound beside the
    // document's own so that SelectRoot works on tickets that call the
    // framework something else.
    if (wcscmp(prefix, kSelectionPrefix) != 0) {
        BstrOwner fixed = FormatBstr(kSelectionNamespacesTemplate, {kSelectionPrefix, kFrameworkNamespace});
        namespaces = FormatBstr(L"%s %s", {namespaces.Text(), fixed.Text()});
    }
    SetProperty(L"SelectionNamespaces", namespaces.Text());
}

const wchar_t* PrintSchemaDocument::NamePrefix(bool isPrivate) const noexcept
{
    return isPrivate ? PrivatePrefix() : KeywordsPrefix();
}

HRESULT PrintSchemaDocument::SelectRootNode(IXMLDOMNode** root)
{
    BstrOwner query = FormatBstr(kRootTemplate, {kSelectionPrefix, rootName_.Text()});
    return SelectSingleNode(query.Text(), root);
}

// ---------------------------------------------------------------------------
// Namespaces

HRESULT PrintSchemaDocument::FindOrDeclarePrefix(const wchar_t* namespaceUri, BSTR* prefix,
                                                 bool declareMissing, const wchar_t* preferred)
{
    if (!prefix) return E_POINTER;
    if (IsEmpty(namespaceUri)) return E_INVALIDARG;
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectRootNode(&root);
        if (hr != S_OK) return hr;

        ComPtr<IXMLDOMNamedNodeMap> attributes;
        ThrowOnFailure(root->get_attributes(&attributes));
        if (!attributes) return E_FAIL;
        long count = 0;
        ThrowOnFailure(attributes->get_length(&count));
        std::vector<BstrOwner> names;
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> attribute;
            if (FAILED(attributes->get_item(i, &attribute)) || !attribute) {
                // Wine's DOM counts a default-namespace declaration ("xmlns"
                // alone) but cannot hand it out as a node. On an unprefixed
                // root that declaration is the root's own namespace, so it is
                // still recognised; any other is passed over.
                if (IsDefaultNamespaceOf(root.Get(), namespaceUri)) return E_FAIL;
                continue;
            }
            BstrOwner name;
            ThrowOnFailure(attribute->get_nodeName(name.Receive()));
            VariantOwner value;
            ThrowOnFailure(attribute->get_nodeValue(&value.v));
            if (value.v.vt == VT_BSTR && value.v.bstrVal && wcscmp(value.v.bstrVal, namespaceUri) == 0) {
                // Only a prefixed declaration names the namespace in a way
                // that "name" attribute values can refer to.
                if (wcsncmp(name.Text(), kDeclarationStart, kDeclarationStartLength) != 0) return E_FAIL;
                *prefix = FormatBstr(L"%s:", {name.Text() + kDeclarationStartLength}).Detach();
                return S_OK;
            }
            names.push_back(std::move(name));
        }
        if (!declareMissing) return S_FALSE;

        auto taken = [&names](const wchar_t* candidate) {
            for (const BstrOwner& name : names)
                if (wcscmp(name.Text(), candidate) == 0) return true;
            return false;
        };
        BstrOwner declaration;
        if (!IsEmpty(preferred)) {
            declaration = FormatBstr(L"xmlns:%s", {preferred});
            // Rebinding a prefix the root already uses for another namespace
            // would move every name written with it; take a numbered one.
            if (taken(declaration.Text())) declaration.Reset();
        }
        for (int n = 1; declaration.Empty(); ++n) {
            wchar_t numbered[32];
            swprintf(numbered, 32, L"xmlns:ns%04d", n);
            if (!taken(numbered)) declaration = BstrOwner::Copy(numbered);
        }
        ComPtr<IXMLDOMElement> element;
        QueryAs(root.Get(), IID_IXMLDOMElement, element);
        VariantOwner uri;
        SetText(uri, namespaceUri);
        ThrowOnFailure(element->setAttribute(declaration.Get(), uri.v));
        *prefix = FormatBstr(L"%s:", {declaration.Text() + kDeclarationStartLength}).Detach();
        return S_OK;
    });
}

// ---------------------------------------------------------------------------
// Queries

HRESULT PrintSchemaDocument::SelectRoot(IXMLDOMNode** root)
{
    if (!root) return E_POINTER;
    return AtComBoundary([&] { return SelectRootNode(root); });
}

HRESULT PrintSchemaDocument::SelectSingleNode(const wchar_t* query, IXMLDOMNode** node)
{
    if (!node) return E_POINTER;
    if (*node) {
        (*node)->Release();
        *node = nullptr;
    }
    if (!document_) return E_UNEXPECTED;
    if (IsEmpty(query)) return E_INVALIDARG;
    return AtComBoundary([&]() -> HRESULT {
        BstrOwner text = BstrOwner::Copy(query);
        HRESULT hr = document_->selectSingleNode(text.Get(), node);
        if (hr == S_OK && !*node) hr = S_FALSE;
        return hr;
    });
}

HRESULT PrintSchemaDocument::SelectNodes(const wchar_t* query, IXMLDOMNodeList** nodes)
{
    if (!nodes) return E_POINTER;
    *nodes = nullptr;
    if (!document_) return E_UNEXPECTED;
    if (IsEmpty(query)) return E_FAIL;
    return AtComBoundary([&] {
        BstrOwner text = BstrOwner::Copy(query);
        return document_->selectNodes(text.Get(), nodes);
    });
}

HRESULT PrintSchemaDocument::NodeExists(const wchar_t* query)
{
    ComPtr<IXMLDOMNode> node;
    HRESULT hr = SelectSingleNode(query, &node);
    if (FAILED(hr)) return hr;
    return hr == S_OK ? S_OK : kNotFound;
}

HRESULT PrintSchemaDocument::GetAttribute(IXMLDOMNode* node, const wchar_t* name, BSTR* text)
{
    if (!text) return E_POINTER;
    *text = nullptr;
    if (!node) return E_POINTER;
    if (IsEmpty(name)) return E_INVALIDARG;
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMElement> element;
        // Only elements carry attributes.
        if (FAILED(
                node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.GetAddressOf()))))
            return S_FALSE;
        BstrOwner attribute = BstrOwner::Copy(name);
        VariantOwner value;
        HRESULT hr = ThrowOnFailure(element->getAttribute(attribute.Get(), &value.v));
        if (hr != S_OK || value.v.vt == VT_NULL || value.v.vt == VT_EMPTY) return S_FALSE;
        *text = VariantText(value.v).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::RemoveNode(IXMLDOMNode* node)
{
    if (!node) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMNode> parent;
        ThrowOnFailure(node->get_parentNode(&parent));
        if (!parent) return E_FAIL;
        ComPtr<IXMLDOMNode> removed;
        ThrowOnFailure(parent->removeChild(node, &removed));
        return removed ? S_OK : E_FAIL;
    });
}

HRESULT PrintSchemaDocument::GetSelectedOption(const wchar_t* namePrefix, const wchar_t* featureName,
                                               BSTR* optionName, bool* isPrivate)
{
    if (optionName) *optionName = nullptr;
    if (isPrivate) *isPrivate = false;
    if (!optionName || !isPrivate) return E_POINTER;
    if (IsEmpty(featureName)) return E_INVALIDARG;
    return AtComBoundary([&]() -> HRESULT {
        FeatureQuery query(FrameworkPrefix());
        ThrowOnFailure(query.ForFeature(namePrefix, featureName));
        ThrowOnFailure(query.AddOptionPaths(KeywordsPrefix()));
        ComPtr<IXMLDOMNode> node;
        if (ThrowOnFailure(SelectSingleNode(query.Text(), &node)) != S_OK) return kNotFound;

        // An Option names itself; an OptionName value holds the name as text.
        BstrOwner text;
        if (ThrowOnFailure(GetAttribute(node.Get(), L"name", text.Receive())) != S_OK) {
            VariantOwner value;
            ThrowOnFailure(node->get_nodeTypedValue(&value.v));
            text = VariantText(value.v);
        }
        const wchar_t* local = text.Text();
        if (BeginsWith(local, PrivatePrefix())) {
            local += wcslen(PrivatePrefix());
            *isPrivate = true;
        } else if (BeginsWith(local, KeywordsPrefix())) {
            local += wcslen(KeywordsPrefix());
        }
        *optionName = BstrOwner::Copy(local).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::ReadValue(const wchar_t* query, VARIANT* value)
{
    if (!value) return E_POINTER;
    VariantInit(value);
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMNode> node;
        if (ThrowOnFailure(SelectSingleNode(query, &node)) != S_OK) return S_FALSE;

        BstrOwner valueChild = FormatBstr(L"%sValue", {FrameworkPrefix()});
        ComPtr<IXMLDOMNode> valueNode;
        if (ThrowOnFailure(node->selectSingleNode(valueChild.Get(), &valueNode)) != S_OK || !valueNode) {
            // Not inline: the value sits in the ParameterInit that a
            // ParameterRef child names, wherever the ticket put it.
            BstrOwner refChild = FormatBstr(L"%sParameterRef", {FrameworkPrefix()});
            ComPtr<IXMLDOMNode> ref;
            if (ThrowOnFailure(node->selectSingleNode(refChild.Get(), &ref)) != S_OK || !ref) return S_FALSE;
            BstrOwner refName;
            if (ThrowOnFailure(GetAttribute(ref.Get(), L"name", refName.Receive())) != S_OK) return S_FALSE;

            BstrOwner allInits = FormatBstr(L"//%sParameterInit", {FrameworkPrefix()});
            ComPtr<IXMLDOMNodeList> inits;
            ThrowOnFailure(SelectNodes(allInits.Text(), &inits));
            long count = 0;
            ThrowOnFailure(inits->get_length(&count));
            ComPtr<IXMLDOMNode> init;
            for (long i = 0; i < count && !init; ++i) {
                ComPtr<IXMLDOMNode> candidate;
                ThrowOnFailure(inits->get_item(i, &candidate));
                BstrOwner name;
                if (ThrowOnFailure(GetAttribute(candidate.Get(), L"name", name.Receive())) == S_OK &&
                    wcscmp(name.Text(), refName.Text()) == 0)
                    init = candidate;
            }
            if (!init) return S_FALSE;
            if (ThrowOnFailure(init->selectSingleNode(valueChild.Get(), &valueNode)) != S_OK || !valueNode)
                return S_FALSE;
        }
        return valueNode->get_nodeTypedValue(value);
    });
}

HRESULT PrintSchemaDocument::ReadIntegerValue(const wchar_t* query, INT32* value)
{
    if (!value) return E_POINTER;
    *value = 0;
    return AtComBoundary([&]() -> HRESULT {
        VariantOwner read;
        HRESULT hr = ThrowOnFailure(ReadValue(query, &read.v));
        if (hr == S_OK) *value = LeadingInteger(VariantText(read.v).Text());
        return hr;
    });
}

BstrOwner PrintSchemaDocument::ValueText(const wchar_t* query, HRESULT* hr)
{
    VariantOwner read;
    *hr = ThrowOnFailure(ReadValue(query, &read.v));
    return *hr == S_OK ? VariantText(read.v) : BstrOwner();
}

HRESULT PrintSchemaDocument::ReadFeatureValue(const wchar_t* featureName, const wchar_t* propertyName,
                                              BSTR* text)
{
    if (!text) return E_POINTER;
    *text = nullptr;
    if (IsEmpty(featureName) || IsEmpty(propertyName)) return E_INVALIDARG;
    return AtComBoundary([&]() -> HRESULT {
        FeatureQuery query(FrameworkPrefix());
        ThrowOnFailure(query.ForFeature(KeywordsPrefix(), featureName));
        ThrowOnFailure(query.ForScoredProperty(KeywordsPrefix(), propertyName));
        HRESULT hr;
        BstrOwner read = ValueText(query.Text(), &hr);
        if (hr != S_OK) return kNotFound;
        *text = read.Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::ReadFeatureInteger(const wchar_t* featureName, const wchar_t* propertyName,
                                                INT32* value)
{
    if (!value) return E_POINTER;
    *value = 0;
    BstrOwner text;
    HRESULT hr = ReadFeatureValue(featureName, propertyName, text.Receive());
    if (hr == S_OK) *value = LeadingInteger(text.Text());
    return hr;
}

HRESULT PrintSchemaDocument::FeatureExists(const wchar_t* featureName)
{
    if (IsEmpty(featureName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        FeatureQuery query(FrameworkPrefix());
        ThrowOnFailure(query.ForFeature(KeywordsPrefix(), featureName));
        return NodeExists(query.Text());
    });
}

// ---------------------------------------------------------------------------
// Removal

HRESULT PrintSchemaDocument::RemoveAll(const wchar_t* query)
{
    HRESULT result = S_FALSE;
    for (;;) {
        ComPtr<IXMLDOMNode> node;
        if (ThrowOnFailure(SelectSingleNode(query, &node)) != S_OK) return result;
        ThrowOnFailure(RemoveNode(node.Get()));
        result = S_OK;
    }
}

HRESULT PrintSchemaDocument::RemoveParameterInitsNamed(const wchar_t* qualifiedName)
{
    // The names come from the ticket, so they are compared here rather than
    // pasted into a query they could break.
    BstrOwner allInits = FormatBstr(L"//%sParameterInit", {FrameworkPrefix()});
    ComPtr<IXMLDOMNodeList> inits;
    ThrowOnFailure(SelectNodes(allInits.Text(), &inits));
    long count = 0;
    ThrowOnFailure(inits->get_length(&count));
    std::vector<ComPtr<IXMLDOMNode>> matching;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> init;
        ThrowOnFailure(inits->get_item(i, &init));
        BstrOwner name;
        if (ThrowOnFailure(GetAttribute(init.Get(), L"name", name.Receive())) == S_OK &&
            wcscmp(name.Text(), qualifiedName) == 0)
            matching.push_back(init);
    }
    for (const ComPtr<IXMLDOMNode>& init : matching) ThrowOnFailure(RemoveNode(init.Get()));
    return matching.empty() ? S_FALSE : S_OK;
}

HRESULT PrintSchemaDocument::RemoveFeatures(const wchar_t* namePrefix, const wchar_t* featureName)
{
    FeatureQuery query(FrameworkPrefix());
    ThrowOnFailure(query.ForFeature(namePrefix, featureName));
    BstrOwner refs = FormatBstr(L".//%sParameterRef", {FrameworkPrefix()});
    HRESULT result = S_FALSE;
    for (;;) {
        ComPtr<IXMLDOMNode> feature;
        if (ThrowOnFailure(SelectSingleNode(query.Text(), &feature)) != S_OK) return result;
        // Parameters live outside the feature, beside it under the root;
        // leaving them would keep values no feature refers to any more.
        ComPtr<IXMLDOMNodeList> refList;
        ThrowOnFailure(feature->selectNodes(refs.Get(), &refList));
        long count = 0;
        ThrowOnFailure(refList->get_length(&count));
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> ref;
            ThrowOnFailure(refList->get_item(i, &ref));
            BstrOwner name;
            if (ThrowOnFailure(GetAttribute(ref.Get(), L"name", name.Receive())) == S_OK)
                RemoveParameterInitsNamed(name.Text());
        }
        ThrowOnFailure(RemoveNode(feature.Get()));
        result = S_OK;
    }
}

HRESULT PrintSchemaDocument::RemoveFeature(const wchar_t* featureName)
{
    if (IsEmpty(featureName)) return E_INVALIDARG;
    return AtComBoundary([&] { return RemoveFeatures(KeywordsPrefix(), featureName); });
}

HRESULT PrintSchemaDocument::RemovePrivateFeature(const wchar_t* featureName)
{
    if (IsEmpty(featureName)) return E_INVALIDARG;
    // Without the private namespace nothing in the document can be ours.
    if (!privateNamespaceDeclared) return S_FALSE;
    return AtComBoundary([&] { return RemoveFeatures(PrivatePrefix(), featureName); });
}

HRESULT PrintSchemaDocument::RemoveParameterInit(const wchar_t* parameterName)
{
    if (IsEmpty(parameterName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        FeatureQuery query(FrameworkPrefix());
        ThrowOnFailure(query.ForParameterInit(KeywordsPrefix(), parameterName));
        return RemoveAll(query.Text());
    });
}

HRESULT PrintSchemaDocument::RemovePrivateParameterInit(const wchar_t* parameterName)
{
    if (IsEmpty(parameterName)) return E_INVALIDARG;
    if (!privateNamespaceDeclared) return S_FALSE;
    return AtComBoundary([&] {
        FeatureQuery query(FrameworkPrefix());
        ThrowOnFailure(query.ForParameterInit(PrivatePrefix(), parameterName));
        return RemoveAll(query.Text());
    });
}

HRESULT PrintSchemaDocument::RemovePrivateProperty(const wchar_t* propertyName)
{
    if (IsEmpty(propertyName)) return E_INVALIDARG;
    if (!privateNamespaceDeclared) return S_FALSE;
    return AtComBoundary([&] {
        FeatureQuery query(FrameworkPrefix());
        ThrowOnFailure(query.ForProperty(PrivatePrefix(), propertyName));
        return RemoveAll(query.Text());
    });
}

// ---------------------------------------------------------------------------
// Element builders. The helpers throw; each public builder is one boundary,
// so a failure part-way releases whatever was made (nothing is attached to
// the caller's tree until the caller appends the result).

PrintSchemaDocument::ElementPtr PrintSchemaDocument::NewElement(const wchar_t* localName)
{
    BstrOwner name = FormatBstr(L"%s%s", {FrameworkPrefix(), localName});
    BstrOwner uri = BstrOwner::Copy(kFrameworkNamespace);
    VARIANT type;
    VariantInit(&type);
    type.vt = VT_I4;
    type.lVal = NODE_ELEMENT;
    ComPtr<IXMLDOMNode> node;
    ThrowOnFailure(document_->createNode(type, name.Get(), uri.Get(), &node));
    if (!node) throw CXDException(E_FAIL);
    ElementPtr element;
    QueryAs(node.Get(), IID_IXMLDOMElement, element);
    return element;
}

void PrintSchemaDocument::SetNameAttribute(IXMLDOMElement* element, const wchar_t* attribute,
                                           const wchar_t* namePrefix, const wchar_t* localName)
{
    BstrOwner attributeName = BstrOwner::Copy(attribute);
    ComPtr<IXMLDOMAttribute> node;
    ThrowOnFailure(document_->createAttribute(attributeName.Get(), &node));
    if (!node) throw CXDException(E_FAIL);
    VariantOwner value;
    value.v.vt = VT_BSTR;
    value.v.bstrVal = FormatBstr(L"%s%s", {namePrefix, localName}).Detach();
    ThrowOnFailure(node->put_value(value.v));
    ComPtr<IXMLDOMAttribute> replaced;
    ThrowOnFailure(element->setAttributeNode(node.Get(), &replaced));
}

PrintSchemaDocument::ElementPtr PrintSchemaDocument::NewValue(const wchar_t* type, const wchar_t* text)
{
    ElementPtr value = NewElement(L"Value");

    BstrOwner typeName = FormatBstr(L"%stype", {SchemaInstancePrefix()});
    BstrOwner uri = BstrOwner::Copy(kSchemaInstanceNamespace);
    VARIANT nodeType;
    VariantInit(&nodeType);
    nodeType.vt = VT_I4;
    nodeType.lVal = NODE_ATTRIBUTE;
    ComPtr<IXMLDOMNode> node;
    ThrowOnFailure(document_->createNode(nodeType, typeName.Get(), uri.Get(), &node));
    if (!node) throw CXDException(E_FAIL);
    ComPtr<IXMLDOMAttribute> typeAttribute;
    QueryAs(node.Get(), IID_IXMLDOMAttribute, typeAttribute);
    VariantOwner typeValue;
    typeValue.v.vt = VT_BSTR;
    typeValue.v.bstrVal = FormatBstr(L"%s%s", {SchemaPrefix(), type}).Detach();
    ThrowOnFailure(typeAttribute->put_value(typeValue.v));
    ComPtr<IXMLDOMAttribute> replaced;
    ThrowOnFailure(value->setAttributeNode(typeAttribute.Get(), &replaced));

    BstrOwner content = BstrOwner::Copy(text);
    ThrowOnFailure(value->put_text(content.Get()));
    return value;
}

PrintSchemaDocument::ElementPtr
PrintSchemaDocument::NewNamed(const wchar_t* element, const wchar_t* namePrefix, const wchar_t* localName)
{
    ElementPtr named = NewElement(element);
    SetNameAttribute(named.Get(), L"name", namePrefix, localName);
    return named;
}

PrintSchemaDocument::ElementPtr PrintSchemaDocument::NewNamedValue(const wchar_t* element,
                                                                   const wchar_t* namePrefix,
                                                                   const wchar_t* localName,
                                                                   const wchar_t* type, const wchar_t* text)
{
    ElementPtr named = NewNamed(element, namePrefix, localName);
    Append(named.Get(), NewValue(type, text).Get());
    return named;
}

void PrintSchemaDocument::AppendDisplayName(IXMLDOMElement* parent, const wchar_t* displayName)
{
    if (IsEmpty(displayName)) return;
    Append(parent,
           NewNamedValue(L"Property", KeywordsPrefix(), L"DisplayName", kXsdString, displayName).Get());
}

PrintSchemaDocument::ElementPtr PrintSchemaDocument::NewCapabilityFeature(const wchar_t* namePrefix,
                                                                          const wchar_t* localName,
                                                                          const wchar_t* displayName,
                                                                          bool pickOne)
{
    ElementPtr feature = NewNamed(L"Feature", namePrefix, localName);
    AppendDisplayName(feature.Get(), displayName);
    if (pickOne) {
        BstrOwner pickOneName = FormatBstr(L"%sPickOne", {KeywordsPrefix()});
        Append(feature.Get(),
               NewNamedValue(L"Property", FrameworkPrefix(), L"SelectionType", kXsdQName, pickOneName.Text())
                   .Get());
    }
    return feature;
}

HRESULT PrintSchemaDocument::CreateFeature(bool isPrivate, const wchar_t* localName, IXMLDOMElement** feature,
                                           IXMLDOMElement** option)
{
    if (feature) *feature = nullptr;
    if (option) *option = nullptr;
    if (!feature || !option) return E_POINTER;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        ElementPtr made = NewNamed(L"Feature", NamePrefix(isPrivate), localName);
        ElementPtr madeOption = NewElement(L"Option");
        Append(made.Get(), madeOption.Get());
        *feature = made.Detach();
        *option = madeOption.Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateFeatureWithOption(bool featureIsPrivate, const wchar_t* featureName,
                                                     bool optionIsPrivate, const wchar_t* optionName,
                                                     IXMLDOMElement** feature, IXMLDOMElement** option)
{
    if (feature) *feature = nullptr;
    if (option) *option = nullptr;
    if (!feature || !option) return E_POINTER;
    if (IsEmpty(featureName) || IsEmpty(optionName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        ElementPtr made = NewNamed(L"Feature", NamePrefix(featureIsPrivate), featureName);
        ElementPtr madeOption = NewElement(L"Option");
        BstrOwner attribute = BstrOwner::Copy(L"name");
        VariantOwner name;
        name.v.vt = VT_BSTR;
        name.v.bstrVal = FormatBstr(L"%s%s", {NamePrefix(optionIsPrivate), optionName}).Detach();
        ThrowOnFailure(madeOption->setAttribute(attribute.Get(), name.v));
        Append(made.Get(), madeOption.Get());
        *feature = made.Detach();
        *option = madeOption.Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateCapabilityFeature(const wchar_t* namePrefix, const wchar_t* localName,
                                                     const wchar_t* displayName, IXMLDOMElement** feature)
{
    if (!feature) return E_POINTER;
    *feature = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *feature = NewCapabilityFeature(namePrefix, localName, displayName, false).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreatePickOneFeature(const wchar_t* localName, const wchar_t* displayName,
                                                  IXMLDOMElement** feature)
{
    if (!feature) return E_POINTER;
    *feature = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *feature = NewCapabilityFeature(KeywordsPrefix(), localName, displayName, true).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreatePrivatePickOneFeature(const wchar_t* localName, const wchar_t* displayName,
                                                         IXMLDOMElement** feature)
{
    if (!feature) return E_POINTER;
    *feature = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *feature = NewCapabilityFeature(PrivatePrefix(), localName, displayName, true).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateCapabilityOption(const wchar_t* namePrefix, const wchar_t* localName,
                                                    const wchar_t* displayName, ConstraintLevel level,
                                                    IXMLDOMElement** option)
{
    if (!option) return E_POINTER;
    *option = nullptr;
    const wchar_t* constraint = ConstraintWord(level);
    if (!constraint) return E_INVALIDARG;
    return AtComBoundary([&] {
        ElementPtr made = NewElement(L"Option");
        // An option without a name is one that only its ScoredProperties
        // describe (a custom size, for example).
        if (!IsEmpty(localName)) SetNameAttribute(made.Get(), L"name", namePrefix, localName);
        // Tickets carry no constraints; only capabilities say how an option
        // is excluded.
        if (isCapabilities) SetNameAttribute(made.Get(), L"constrained", KeywordsPrefix(), constraint);
        AppendDisplayName(made.Get(), displayName);
        *option = made.Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateProperty(const wchar_t* namePrefix, const wchar_t* localName,
                                            IXMLDOMElement** property)
{
    if (!property) return E_POINTER;
    *property = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *property = NewNamed(L"Property", namePrefix, localName).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreatePsfProperty(const wchar_t* localName, IXMLDOMElement** property)
{
    return CreateProperty(FrameworkPrefix(), localName, property);
}

HRESULT PrintSchemaDocument::CreatePropertyValue(const wchar_t* namePrefix, const wchar_t* localName,
                                                 const wchar_t* type, const wchar_t* text,
                                                 IXMLDOMElement** property)
{
    if (!property) return E_POINTER;
    *property = nullptr;
    if (IsEmpty(localName) || IsEmpty(type)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *property = NewNamedValue(L"Property", namePrefix, localName, type, text).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreatePsfPropertyValue(const wchar_t* localName, const wchar_t* type,
                                                    const wchar_t* text, IXMLDOMElement** property)
{
    return CreatePropertyValue(FrameworkPrefix(), localName, type, text, property);
}

HRESULT PrintSchemaDocument::CreateIntegerPropertyValue(const wchar_t* namePrefix, const wchar_t* localName,
                                                        int value, IXMLDOMElement** property)
{
    if (!property) return E_POINTER;
    *property = nullptr;
    return AtComBoundary([&] {
        return CreatePropertyValue(namePrefix, localName, kXsdInteger, IntegerText(value).Text(), property);
    });
}

HRESULT PrintSchemaDocument::CreateScoredProperty(const wchar_t* namePrefix, const wchar_t* localName,
                                                  IXMLDOMElement** scoredProperty)
{
    if (!scoredProperty) return E_POINTER;
    *scoredProperty = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *scoredProperty = NewNamed(L"ScoredProperty", namePrefix, localName).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateScoredPropertyValue(const wchar_t* namePrefix, const wchar_t* localName,
                                                       const wchar_t* type, const wchar_t* text,
                                                       IXMLDOMElement** scoredProperty)
{
    if (!scoredProperty) return E_POINTER;
    *scoredProperty = nullptr;
    if (IsEmpty(localName) || IsEmpty(type)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *scoredProperty = NewNamedValue(L"ScoredProperty", namePrefix, localName, type, text).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateIntegerScoredPropertyValue(const wchar_t* namePrefix,
                                                              const wchar_t* localName, int value,
                                                              IXMLDOMElement** scoredProperty)
{
    if (!scoredProperty) return E_POINTER;
    *scoredProperty = nullptr;
    return AtComBoundary([&] {
        return CreateScoredPropertyValue(namePrefix, localName, kXsdInteger, IntegerText(value).Text(),
                                         scoredProperty);
    });
}

HRESULT PrintSchemaDocument::CreateStringScoredPropertyValue(const wchar_t* namePrefix,
                                                             const wchar_t* localName, const wchar_t* text,
                                                             IXMLDOMElement** scoredProperty)
{
    return CreateScoredPropertyValue(namePrefix, localName, kXsdString, text, scoredProperty);
}

HRESULT PrintSchemaDocument::CreateScoredPropertyWithChild(const wchar_t* namePrefix,
                                                           const wchar_t* localName, IXMLDOMNode* child,
                                                           IXMLDOMElement** scoredProperty)
{
    if (!scoredProperty) return E_POINTER;
    *scoredProperty = nullptr;
    if (!child) return E_POINTER;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        ElementPtr made = NewNamed(L"ScoredProperty", namePrefix, localName);
        Append(made.Get(), child);
        *scoredProperty = made.Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateParameterRef(bool isPrivate, const wchar_t* localName,
                                                IXMLDOMElement** parameterRef)
{
    if (!parameterRef) return E_POINTER;
    *parameterRef = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        *parameterRef = NewNamed(L"ParameterRef", NamePrefix(isPrivate), localName).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateParameterInit(const wchar_t* namePrefix, const wchar_t* localName,
                                                 const wchar_t* type, const wchar_t* text,
                                                 IXMLDOMElement** parameterRef,
                                                 IXMLDOMElement** parameterInit)
{
    if (parameterRef) *parameterRef = nullptr;
    if (parameterInit) *parameterInit = nullptr;
    if (!parameterRef || !parameterInit) return E_POINTER;
    if (IsEmpty(localName) || IsEmpty(type)) return E_INVALIDARG;
    return AtComBoundary([&] {
        ElementPtr ref = NewNamed(L"ParameterRef", namePrefix, localName);
        ElementPtr init = NewNamedValue(L"ParameterInit", namePrefix, localName, type, text);
        *parameterRef = ref.Detach();
        *parameterInit = init.Detach();
        return S_OK;
    });
}

// One Property of a ParameterDef: framework-prefixed word, type and value.
struct PrintSchemaDocument::DefinitionProperty {
    const wchar_t* word;
    const wchar_t* type;
    BstrOwner value;
    bool present;
};

PrintSchemaDocument::ElementPtr PrintSchemaDocument::NewParameterDef(const wchar_t* localName, bool isPrivate,
                                                                     const DefinitionProperty* rows,
                                                                     size_t count, const wchar_t* displayName)
{
    ElementPtr made = NewNamed(L"ParameterDef", NamePrefix(isPrivate), localName);
    for (size_t i = 0; i < count; ++i) {
        if (!rows[i].present) continue;
        Append(made.Get(),
               NewNamedValue(L"Property", FrameworkPrefix(), rows[i].word, rows[i].type, rows[i].value.Text())
                   .Get());
    }
    AppendDisplayName(made.Get(), displayName);
    return made;
}

HRESULT PrintSchemaDocument::CreateIntegerParameterDef(const wchar_t* localName, bool isPrivate,
                                                       const wchar_t* displayName, int defaultValue,
                                                       int minimum, int maximum, int multiple,
                                                       const wchar_t* unit, IXMLDOMElement** parameterDef)
{
    if (!parameterDef) return E_POINTER;
    *parameterDef = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        // Consumers expect the default as text, even for a number.
        DefinitionProperty rows[] = {
            {L"DataType", kXsdQName, FormatBstr(L"%s%s", {SchemaPrefix(), kXsdInteger}), true},
            {L"DefaultValue", kXsdString, IntegerText(defaultValue), true},
            {L"MaxValue", kXsdInteger, IntegerText(maximum), true},
            {L"MinValue", kXsdInteger, IntegerText(minimum), true},
            {L"Mandatory", kXsdQName, FormatBstr(L"%sConditional", {KeywordsPrefix()}), true},
            {L"UnitType", kXsdString, BstrOwner::Copy(unit), true},
            {L"Multiple", kXsdInteger, IntegerText(multiple), multiple > 0},
        };
        *parameterDef =
            NewParameterDef(localName, isPrivate, rows, sizeof rows / sizeof rows[0], displayName).Detach();
        return S_OK;
    });
}

HRESULT PrintSchemaDocument::CreateStringParameterDef(const wchar_t* localName, bool isPrivate,
                                                      const wchar_t* displayName, const wchar_t* defaultText,
                                                      int minLength, int maxLength, const wchar_t* unit,
                                                      IXMLDOMElement** parameterDef)
{
    if (!parameterDef) return E_POINTER;
    *parameterDef = nullptr;
    if (IsEmpty(localName)) return E_INVALIDARG;
    return AtComBoundary([&] {
        DefinitionProperty rows[] = {
            {L"DataType", kXsdQName, FormatBstr(L"%s%s", {SchemaPrefix(), kXsdString}), true},
            {L"DefaultValue", kXsdString, BstrOwner::Copy(defaultText), true},
            {L"MaxLength", kXsdInteger, IntegerText(maxLength), true},
            {L"MinLength", kXsdInteger, IntegerText(minLength), true},
            {L"Mandatory", kXsdQName, FormatBstr(L"%sConditional", {KeywordsPrefix()}), true},
            {L"UnitType", kXsdString, BstrOwner::Copy(unit), true},
        };
        *parameterDef =
            NewParameterDef(localName, isPrivate, rows, sizeof rows / sizeof rows[0], displayName).Detach();
        return S_OK;
    });
}
