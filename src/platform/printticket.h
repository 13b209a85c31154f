// The print-ticket provider interface of the driver kit (prdrvcom.h) and the
// MSXML 6 identifiers mingw-w64 lacks.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <msxml2.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    PTSHIM_DEFAULT    = 0,
    PTSHIM_NOSNAPSHOT = 1
} SHIMOPTS, *PSHIMOPTS;

#ifndef E_VERSION_NOT_SUPPORTED
#define E_VERSION_NOT_SUPPORTED ((HRESULT)0x80040001L)
#endif
#ifndef S_PT_NO_CONFLICT
#define S_PT_NO_CONFLICT        ((HRESULT)0x00040001L)
#endif
#ifndef S_PT_CONFLICT_RESOLVED
#define S_PT_CONFLICT_RESOLVED  ((HRESULT)0x00040002L)
#endif

extern const IID   IID_IPrintTicketProvider;   // {BB5116DB-0A23-4C3A-A6B6-89E5558DFB5D}
extern const CLSID CLSID_DOMDocument60;        // {88D96A05-F192-11D4-A65F-0040963251E5}
extern const IID   IID_IXMLDOMDocument2;       // {2933BF95-7B36-11D2-B20E-00C04F983E60}

#ifdef __cplusplus
}

struct IPrintTicketProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT *ppVersions[],
                                                           INT *cVersions) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version,
                                                  PSHIMOPTS pOptions, DWORD *pDevModeFlags,
                                                  INT *cNamespaces, BSTR **ppNamespaces) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDeviceNamespace(BSTR *pDefaultNamespace) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket,
                                                                  ULONG cbDevmodeIn,
                                                                  PDEVMODEW pDevmodeIn,
                                                                  ULONG *pcbDevmodeOut,
                                                                  PDEVMODEW *ppDevmodeOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode,
                                                                  PDEVMODEW pDevmode,
                                                                  IXMLDOMDocument2 *pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrintCapabilities(IXMLDOMDocument2 *pPrintTicket,
                                                           IXMLDOMDocument2 **ppCapabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2 *pBaseTicket) = 0;
};
#endif
