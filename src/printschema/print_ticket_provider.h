// The module's one creatable COM class: the print-ticket provider the
// platform's PrintTicket services load to convert between the driver's
// DEVMODE and PrintTicket XML, to build PrintCapabilities and to validate
// tickets. It knows no settings itself: every conversion walks the feature
// handlers in their fixed order.
#pragma once

#include "platform/printticket.h"
#include "printschema/bstr_owner.h"
#include "printschema/com_object.h"
#include "printschema/feature_handler_list.h"

extern const CLSID CLSID_PrintTicketProvider;   // {46AC151B-8490-4531-96CC-55BF2BF19E11}

// The keyword namespace of the driver's own features and options, declared
// on documents under the prefix "kvpsk".
extern const wchar_t kPrivateKeywordsNamespace[];

// Schema versions the provider speaks: only 1.
constexpr INT kSupportedSchemaVersion = 1;
// dmDriverVersion of every DEVMODE the provider returns.
constexpr WORD kProviderDriverVersion = 0x0107;

class PrintTicketProvider : public ComObject<IPrintTicketProvider> {
public:
    // The handlers of rows, in their order (the driver's table unless a
    // caller brings its own). Throws CXDException (E_OUTOFMEMORY) when the
    // namespace cannot be copied.
    explicit PrintTicketProvider(const FeatureHandlerRow* rows = kFeatureHandlerRows,
                                 size_t count = kFeatureHandlerCount);

    HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT* ppVersions[], INT* cVersions) override;
    HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, PSHIMOPTS pOptions, DWORD* pDevModeFlags,
                                          INT* cNamespaces, BSTR** ppNamespaces) override;
    HRESULT STDMETHODCALLTYPE QueryDeviceNamespace(BSTR* pDefaultNamespace) override;
    HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmodeIn,
                                                          PDEVMODEW pDevmodeIn, ULONG* pcbDevmodeOut,
                                                          PDEVMODEW* ppDevmodeOut) override;
    HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode,
                                                          IXMLDOMDocument2* pPrintTicket) override;
    HRESULT STDMETHODCALLTYPE GetPrintCapabilities(IXMLDOMDocument2* pPrintTicket,
                                                   IXMLDOMDocument2** ppCapabilities) override;
    HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2* pBaseTicket) override;

private:
    ~PrintTicketProvider() override = default;

    HANDLE             printer_ = nullptr;   // the platform's; never closed here
    BstrOwner          privateNamespace_;
    FeatureHandlerList handlers_;
};

class PrintTicketProviderFactory : public ComObject<IClassFactory> {
public:
    PrintTicketProviderFactory() noexcept : ComObject(IID_IClassFactory) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

private:
    ~PrintTicketProviderFactory() override = default;
};

// The server lock count LockServer keeps; DllCanUnloadNow reads it.
LONG ServerLockCount() noexcept;

