#include "printschema/print_ticket_provider.h"

#include "core/spooler_info.h"
#include "printschema/com_boundary.h"
#include "printschema/constraint_resolver.h"
#include "printschema/print_schema_document.h"
#include "settings/driver_devmode.h"

#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <string>

using Microsoft::WRL::ComPtr;

const CLSID CLSID_PrintTicketProvider = {0x46ac151b, 0x8490, 0x4531,
                                         {0x96, 0xcc, 0x55, 0xbf, 0x2b, 0xf1, 0x9e, 0x11}};

const wchar_t kPrivateKeywordsNamespace[] =
    L"http://schemas.zentari.example/pxm/printing/2006/11/printschemakeywords";

namespace {

volatile LONG serverLocks = 0;

// Every DEVMODE field the platform may ask the provider to keep.
constexpr DWORD kAllDevModeFields = 0xFFFFFFFF;
// dmSize is readable once the caller's buffer reaches past it.
constexpr ULONG kDmSizeReadable = 70;

void Trace(const char* format, int first, int second = 0)
{
    char line[128];
    int length = snprintf(line, sizeof line, "%lu\t", static_cast<unsigned long>(GetTickCount()));
    snprintf(line + length, sizeof line - length, format, first, second);
    OutputDebugStringA(line);
}

bool IsDriverForm(ULONG cb, const DEVMODEW* devmode)
{
    if (cb != kDriverDevmodeSize) return false;
    DWORD tag;
    memcpy(&tag, reinterpret_cast<const BYTE*>(devmode) + offsetof(DriverDevmode, priv.tag), sizeof tag);
    return tag == kPrivateTag;
}

// A DEVMODE the handlers can work on: the caller's own when it is ours,
// otherwise the printer's current DEVMODE under the caller's public fields.
// A foreign or damaged record cannot be trusted for the private settings,
// but what an application chose in the public part must survive.
class DriverFormDevmode {
public:
    HRESULT Prepare(HANDLE printer, ULONG cb, DEVMODEW* devmode)
    {
        if (IsDriverForm(cb, devmode)) {
            record_ = devmode;
            return S_OK;
        }
        if (cb != kDriverDevmodeSize) Trace("cbDevmode = %d (%d)\r\n", static_cast<int>(cb), kDriverDevmodeSize);

        BYTE* info = ReadPrinterInfo(printer, 2);
        if (!info) return E_INVALIDARG;
        const DEVMODEW* current = reinterpret_cast<const PRINTER_INFO_2W*>(info)->pDevMode;
        memset(&copy_, 0, sizeof copy_);
        WORD currentSize = 0, currentExtra = 0;
        if (current) {
            currentSize = current->dmSize;
            currentExtra = current->dmDriverExtra;
            size_t held = static_cast<size_t>(currentSize) + currentExtra;
            memcpy(&copy_, current, held < sizeof copy_ ? held : sizeof copy_);
        }
        GlobalFree(info);

        ULONG n = cb < kPublicDevmodeSize ? cb : kPublicDevmodeSize;
        if (cb >= kDmSizeReadable && devmode->dmSize < n) n = devmode->dmSize;
        if (n) {
            Trace("Copied size of devmode = %08x\r\n", static_cast<int>(n));
            memcpy(&copy_, devmode, n);
        }
        // The record's shape is the printer's, whatever sizes the caller's
        // public part claimed.
        copy_.pub.dmSize = currentSize;
        copy_.pub.dmDriverExtra = currentExtra;
        record_ = &copy_.pub;
        return S_OK;
    }

    DEVMODEW* Get() const noexcept { return record_; }

private:
    DriverDevmode copy_;
    DEVMODEW*     record_ = nullptr;
};

// The conversion methods report any exception as a plain failure: the
// platform only tells success from failure there, and a handler's internal
// code would mislead it.
template <class Work> HRESULT ExceptionsAsFailure(Work&& work) noexcept
{
    try {
        return work();
    } catch (...) {
        return E_FAIL;
    }
}

// The handlers always get the private part at its fixed place, whatever
// dmSize a caller's record claims.
PrivateSettings* FixedPrivatePart(DEVMODEW* devmode)
{
    return reinterpret_cast<PrivateSettings*>(reinterpret_cast<BYTE*>(devmode) + kPublicDevmodeSize);
}

// A validation result that matters more than what is already known:
// any failure, or a conflict that was resolved.
bool Overrides(HRESULT hr)
{
    return FAILED(hr) || hr == S_PT_CONFLICT_RESOLVED;
}

// One DOM document to the other by saving to memory and loading from it:
// a document does not hand out a stream of itself.
HRESULT Reload(IXMLDOMDocument2* target, IXMLDOMDocument2* source)
{
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    VARIANT destination;
    VariantInit(&destination);
    destination.vt = VT_UNKNOWN;
    destination.punkVal = stream.Get();
    hr = source->save(destination);
    if (FAILED(hr)) return E_FAIL;
    LARGE_INTEGER start{};
    hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    VARIANT origin;
    VariantInit(&origin);
    origin.vt = VT_UNKNOWN;
    origin.punkVal = stream.Get();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    hr = target->load(origin, &loaded);
    return SUCCEEDED(hr) && loaded == VARIANT_TRUE ? S_OK : E_FAIL;
}

HRESULT NewDomDocument(IXMLDOMDocument2** document)
{
    return CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2,
                            reinterpret_cast<void**>(document));
}

HRESULT SetAttribute(IXMLDOMElement* element, const wchar_t* name, const wchar_t* value)
{
    BstrOwner attribute = BstrOwner::Copy(name);
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(value);
    if (!text.bstrVal) return E_OUTOFMEMORY;
    HRESULT hr = element->setAttribute(attribute.Get(), text);
    VariantClear(&text);
    return hr;
}

// The empty capabilities document: declaration and a root binding every
// prefix the handlers write with.
HRESULT BuildCapabilitiesSkeleton(IXMLDOMDocument2* document, const wchar_t* privateNamespace)
{
    BstrOwner target = BstrOwner::Copy(L"xml");
    BstrOwner data = BstrOwner::Copy(L" version='1.0' encoding='UTF-8'");
    ComPtr<IXMLDOMProcessingInstruction> declaration;
    HRESULT hr = document->createProcessingInstruction(target.Get(), data.Get(), &declaration);
    if (FAILED(hr)) return hr;
    hr = document->appendChild(declaration.Get(), nullptr);
    if (FAILED(hr)) return hr;

    BstrOwner rootName = BstrOwner::Copy(L"psf:PrintCapabilities");
    ComPtr<IXMLDOMElement> root;
    hr = document->createElement(rootName.Get(), &root);
    if (FAILED(hr)) return hr;
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } attributes[] = {
        {L"xmlns:psf", kFrameworkNamespace}, {L"xmlns:xsi", kSchemaInstanceNamespace},
        {L"xmlns:xsd", kSchemaNamespace},    {L"version", L"1"},
        {L"xmlns:kvpsk", privateNamespace},  {L"xmlns:psk", kKeywordsNamespace},
    };
    for (const auto& attribute : attributes) {
        hr = SetAttribute(root.Get(), attribute.name, attribute.value);
        if (FAILED(hr)) return hr;
    }
    return document->appendChild(root.Get(), nullptr);
}

} // namespace

LONG ServerLockCount() noexcept
{
    return InterlockedCompareExchange(&serverLocks, 0, 0);
}

PrintTicketProvider::PrintTicketProvider(const FeatureHandlerRow* rows, size_t count)
    : ComObject(IID_IPrintTicketProvider), privateNamespace_(BstrOwner::Copy(kPrivateKeywordsNamespace))
{
    // A handler that cannot be made is left out; the others still work.
    handlers_.Create(privateNamespace_.Text(), rows, count);
}

HRESULT PrintTicketProvider::GetSupportedVersions(HANDLE, INT* ppVersions[], INT* cVersions)
{
    if (!ppVersions || !cVersions) return E_POINTER;
    *cVersions = 0;
    INT* versions = static_cast<INT*>(CoTaskMemAlloc(sizeof(INT)));
    *ppVersions = versions;
    if (!versions) return E_OUTOFMEMORY;
    versions[0] = kSupportedSchemaVersion;
    *cVersions = 1;
    return S_OK;
}

HRESULT PrintTicketProvider::BindPrinter(HANDLE hPrinter, INT version, PSHIMOPTS pOptions, DWORD* pDevModeFlags,
                                         INT* cNamespaces, BSTR** ppNamespaces)
{
    if (!pOptions || !cNamespaces || !ppNamespaces || !pDevModeFlags) return E_POINTER;
    if (!hPrinter) return E_HANDLE;
    *ppNamespaces = nullptr;
    *cNamespaces = 0;
    if (version != kSupportedSchemaVersion) return E_VERSION_NOT_SUPPORTED;
    printer_ = hPrinter;
    *pOptions = PTSHIM_NOSNAPSHOT;
    *pDevModeFlags = kAllDevModeFields;
    return S_OK;
}

HRESULT PrintTicketProvider::QueryDeviceNamespace(BSTR* pDefaultNamespace)
{
    if (!pDefaultNamespace) return E_POINTER;
    *pDefaultNamespace = SysAllocString(privateNamespace_.Text());
    return *pDefaultNamespace ? S_OK : E_OUTOFMEMORY;
}

HRESULT PrintTicketProvider::ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmodeIn,
                                                         PDEVMODEW pDevmodeIn, ULONG* pcbDevmodeOut,
                                                         PDEVMODEW* ppDevmodeOut)
{
    if (!pPrintTicket || !pDevmodeIn || !pcbDevmodeOut || !ppDevmodeOut) return E_POINTER;
    SpoolerCall call(printer_);
    return ExceptionsAsFailure([&]() -> HRESULT {
        DriverFormDevmode source;
        HRESULT hr = source.Prepare(printer_, cbDevmodeIn, pDevmodeIn);
        if (FAILED(hr)) return hr;

        *pcbDevmodeOut = kDriverDevmodeSize;
        auto* output = static_cast<DEVMODEW*>(CoTaskMemAlloc(kDriverDevmodeSize));
        *ppDevmodeOut = output;
        if (!output) return E_OUTOFMEMORY;
        memcpy(output, source.Get(), kDriverDevmodeSize);
        output->dmDriverVersion = kProviderDriverVersion;

        ULONG dmSize = output->dmSize;
        ULONG dmDriverExtra = output->dmDriverExtra;
        return handlers_.ForEach([&](FeatureHandler& handler) {
            return handler.PrintTicketToDevMode(printer_, pPrintTicket, dmSize, output, dmDriverExtra,
                                                FixedPrivatePart(output));
        });
    });
}

HRESULT PrintTicketProvider::ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode,
                                                         IXMLDOMDocument2* pPrintTicket)
{
    if (!pDevmode || !pPrintTicket) return E_POINTER;
    SpoolerCall call(printer_);
    return ExceptionsAsFailure([&]() -> HRESULT {
        DriverFormDevmode source;
        HRESULT hr = source.Prepare(printer_, cbDevmode, pDevmode);
        if (FAILED(hr)) return hr;
        DEVMODEW* devmode = source.Get();

        PrintSchemaDocument document(kPrintTicketRoot, privateNamespace_.Text(), true, pPrintTicket);
        const std::wstring query = std::wstring(L"//psf:") + kPrintTicketRoot;
        ComPtr<IXMLDOMNode> root;
        hr = document.SelectSingleNode(query.c_str(), &root);
        if (FAILED(hr)) return hr;

        ULONG dmSize = devmode->dmSize;
        ULONG dmDriverExtra = devmode->dmDriverExtra;
        hr = handlers_.ForEach([&](FeatureHandler& handler) {
            return handler.DevModeToPrintTicket(printer_, dmSize, devmode, dmDriverExtra, FixedPrivatePart(devmode),
                                                pPrintTicket);
        });
        if (FAILED(hr)) return hr;
        HRESULT resolved = ConstraintResolver(privateNamespace_.Text()).Resolve(printer_, pPrintTicket);
        return FAILED(resolved) ? resolved : hr;
    });
}

HRESULT PrintTicketProvider::GetPrintCapabilities(IXMLDOMDocument2* pPrintTicket,
                                                  IXMLDOMDocument2** ppCapabilities)
{
    if (!ppCapabilities) return E_POINTER;
    SpoolerCall call(printer_);
    return AtComBoundary([&]() -> HRESULT {
        // The handlers write into a working document; the caller receives a
        // second one loaded from it.
        ComPtr<IXMLDOMDocument2> working;
        ComPtr<IXMLDOMDocument2> output;
        HRESULT hr = NewDomDocument(&working);
        if (FAILED(hr)) return hr;
        hr = NewDomDocument(&output);
        if (FAILED(hr)) return hr;
        hr = BuildCapabilitiesSkeleton(output.Get(), privateNamespace_.Text());
        if (FAILED(hr)) return hr;
        // Attributes named xmlns made through the DOM do not bind their
        // prefixes; parsing the skeleton again makes them declarations in
        // force for everything the handlers add.
        hr = Reload(working.Get(), output.Get());
        if (FAILED(hr)) return hr;

        hr = handlers_.ForEach([&](FeatureHandler& handler) {
            return handler.GetPrintCapabilities(printer_, pPrintTicket, working.Get());
        });
        if (FAILED(hr)) return hr;

        *ppCapabilities = output.Get();
        (*ppCapabilities)->AddRef();
        HRESULT reloaded = Reload(output.Get(), working.Get());
        return FAILED(reloaded) ? reloaded : hr;
    });
}

HRESULT PrintTicketProvider::ValidatePrintTicket(IXMLDOMDocument2* pBaseTicket)
{
    if (!pBaseTicket) return E_POINTER;
    SpoolerCall call(printer_);
    return ExceptionsAsFailure([&]() -> HRESULT {
        // Declares the namespaces the handlers will write with.
        PrintSchemaDocument document(kPrintTicketRoot, privateNamespace_.Text(), true, pBaseTicket);
        HRESULT result = S_PT_NO_CONFLICT;
        for (size_t i = 0; i < handlers_.Size() && !FAILED(result); ++i) {
            HRESULT handled = handlers_[i].ValidatePrintTicket(printer_, pBaseTicket);
            if (Overrides(handled)) result = handled;
        }
        if (FAILED(result)) return result;
        HRESULT resolved = ConstraintResolver(privateNamespace_.Text()).Resolve(printer_, pBaseTicket);
        return Overrides(resolved) ? resolved : result;
    });
}

HRESULT PrintTicketProviderFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    PrintTicketProvider* provider = nullptr;
    HRESULT hr = AtComBoundary([&]() -> HRESULT {
        provider = new PrintTicketProvider;
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    return HandOver(provider, riid, ppv);
}

HRESULT PrintTicketProviderFactory::LockServer(BOOL fLock)
{
    if (fLock)
        InterlockedIncrement(&serverLocks);
    else
        InterlockedDecrement(&serverLocks);
    return S_OK;
}
