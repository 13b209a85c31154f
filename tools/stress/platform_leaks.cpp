#include "platform_leaks.h"

#include "support/process_usage.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

extern "C" size_t CreateNodeSlot(void);

namespace {

const wchar_t kSchemaInstance[] = L"http://www.w3.org/2001/XMLSchema-instance";

using CreateNodeFunction = HRESULT(STDMETHODCALLTYPE*)(IXMLDOMDocument2*, VARIANT, BSTR, BSTR, IXMLDOMNode**);

CreateNodeFunction originalCreateNode = nullptr;
volatile LONG attributeNodes = 0;

HRESULT STDMETHODCALLTYPE CountingCreateNode(IXMLDOMDocument2* self, VARIANT type, BSTR name, BSTR uri,
                                             IXMLDOMNode** node)
{
    if (type.vt == VT_I4 && type.lVal == NODE_ATTRIBUTE) InterlockedIncrement(&attributeNodes);
    return originalCreateNode(self, type, name, uri, node);
}

ComPtr<IXMLDOMDocument2> NewScratchDocument()
{
    ComPtr<IXMLDOMDocument2> document;
    CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                     reinterpret_cast<void**>(document.GetAddressOf()));
    return document;
}

void Append(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> appended;
    parent->appendChild(child, &appended);
}

ComPtr<IXMLDOMElement> AppendElement(IXMLDOMDocument2* document, IXMLDOMNode* parent, const wchar_t* name)
{
    BSTR text = SysAllocString(name);
    ComPtr<IXMLDOMElement> element;
    if (SUCCEEDED(document->createElement(text, &element))) Append(parent, element.Get());
    SysFreeString(text);
    return element;
}

// One element with an xsi:type attribute made the provider's way.
void AppendTypedElement(IXMLDOMDocument2* document, IXMLDOMElement* root)
{
    ComPtr<IXMLDOMElement> element = AppendElement(document, root, L"Value");
    BSTR name = SysAllocString(L"xsi:type");
    BSTR uri = SysAllocString(kSchemaInstance);
    ComPtr<IXMLDOMNode> attribute;
    ComPtr<IXMLDOMAttribute> typed, replaced;
    VARIANT type;
    VariantInit(&type);
    type.vt = VT_I4;
    type.lVal = NODE_ATTRIBUTE;
    if (element && SUCCEEDED(document->createNode(type, name, uri, &attribute)) &&
        SUCCEEDED(attribute->QueryInterface(IID_IXMLDOMAttribute, reinterpret_cast<void**>(typed.GetAddressOf()))))
        element->setAttributeNode(typed.Get(), &replaced);
    SysFreeString(uri);
    SysFreeString(name);
}

void MakeTypedElements(long count)
{
    ComPtr<IXMLDOMDocument2> document = NewScratchDocument();
    if (!document) return;
    ComPtr<IXMLDOMElement> root = AppendElement(document.Get(), document.Get(), L"Root");
    for (long i = 0; root && i < count; ++i) AppendTypedElement(document.Get(), root.Get());
}

// Saves from into a memory stream and loads to from it.
void LoadThroughStream(IXMLDOMDocument2* to, IXMLDOMDocument2* from)
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_UNKNOWN;
    target.punkVal = stream.Get();
    from->save(target);
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    to->load(target, &loaded);
}

void MakeSkeleton()
{
    ComPtr<IXMLDOMDocument2> working = NewScratchDocument(), output = NewScratchDocument();
    if (!working || !output) return;
    BSTR target = SysAllocString(L"xml");
    BSTR data = SysAllocString(L" version='1.0' encoding='UTF-8'");
    ComPtr<IXMLDOMProcessingInstruction> instruction;
    if (SUCCEEDED(output->createProcessingInstruction(target, data, &instruction)))
        Append(output.Get(), instruction.Get());
    SysFreeString(data);
    SysFreeString(target);
    ComPtr<IXMLDOMElement> root = AppendElement(output.Get(), output.Get(), L"psf:PrintCapabilities");
    const wchar_t* const attributes[][2] = {
        {L"xmlns:psf", L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework"},
        {L"xmlns:xsi", kSchemaInstance},
        {L"xmlns:xsd", L"http://www.w3.org/2001/XMLSchema"},
        {L"version", L"1"},
        {L"xmlns:kvpsk", L"http://schemas.zentari.example/private"},
        {L"xmlns:psk", L"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords"},
    };
    for (const auto& attribute : attributes) {
        BSTR name = SysAllocString(attribute[0]);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(attribute[1]);
        if (root) root->setAttribute(name, value);
        VariantClear(&value);
        SysFreeString(name);
    }
    LoadThroughStream(working.Get(), output.Get());
    LoadThroughStream(output.Get(), working.Get());
}

HeapCost CostPerRun(const ProcessUsage& before, const ProcessUsage& after, long runs)
{
    return {static_cast<double>(after.heapBlocks - before.heapBlocks) / runs,
            static_cast<double>(after.heapBytes - before.heapBytes) / runs};
}

} // namespace

HeapCost MeasureAttributeNodeCost(long calls)
{
    // One document of many attributes, so that the document's own memory
    // hardly counts.
    MakeTypedElements(100);
    const ProcessUsage before = ReadProcessUsage();
    MakeTypedElements(calls);
    const ProcessUsage after = ReadProcessUsage();
    return CostPerRun(before, after, calls);
}

HeapCost MeasureSkeletonCost(long calls)
{
    for (long i = 0; i < 100; ++i) MakeSkeleton();   // the platform's caches fill first
    const ProcessUsage before = ReadProcessUsage();
    for (long i = 0; i < calls; ++i) MakeSkeleton();
    const ProcessUsage after = ReadProcessUsage();
    return CostPerRun(before, after, calls);
}

bool CountAttributeNodes(IXMLDOMDocument2* anyDocument)
{
    if (!anyDocument) return false;
    void** table = *reinterpret_cast<void***>(anyDocument);
    void** slot = table + CreateNodeSlot();
    if (*slot == reinterpret_cast<void*>(&CountingCreateNode)) return true;
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
    originalCreateNode = reinterpret_cast<CreateNodeFunction>(*slot);
    *slot = reinterpret_cast<void*>(&CountingCreateNode);
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof *slot, protection, &ignored);
    return true;
}

long AttributeNodesMade()
{
    return InterlockedCompareExchange(&attributeNodes, 0, 0);
}
