// The module's COM entry points. Registration belongs to the driver's
// installation, so there are none for it here.
#include "printschema/com_boundary.h"
#include "printschema/print_ticket_provider.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_PrintTicketProvider)) return CLASS_E_CLASSNOTAVAILABLE;
    PrintTicketProviderFactory* factory = nullptr;
    HRESULT hr = AtComBoundary([&]() -> HRESULT {
        factory = new PrintTicketProviderFactory;
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    return HandOver(factory, riid, ppv);
}

// Live objects do not keep the module: only LockServer does.
STDAPI DllCanUnloadNow()
{
    return ServerLockCount() == 0 ? S_OK : S_FALSE;
}
