#include "compstui_standin.h"

namespace {

StandInRecord g_record;

LONG_PTR CALLBACK HostCallback(HANDLE, UINT, LPARAM, LPARAM)
{
    return 0;   // no pages are kept
}

LONG Deliver(PFNPROPSHEETUI callback, PROPSHEETUI_INFO& info, WORD reason, LPARAM param)
{
    info.Reason = reason;
    if (g_record.reasonCount < 8)
        g_record.reasons[g_record.reasonCount++] = reason;
    return callback(&info, param);
}

} // namespace

extern "C" __declspec(dllexport) StandInRecord* StandInLastCall()
{
    return &g_record;
}

extern "C" __declspec(dllexport) LONG APIENTRY CommonPropertySheetUIW(HWND, PFNPROPSHEETUI callback,
                                                                      LPARAM param, LPDWORD result)
{
    ++g_record.calls;
    g_record.reasonCount = 0;
    ZeroMemory(g_record.initHeader, sizeof(g_record.initHeader));
    if (param) {
        const WORD size = *reinterpret_cast<const WORD*>(param);
        CopyMemory(g_record.initHeader, reinterpret_cast<const void*>(param),
                   size < sizeof(g_record.initHeader) ? size : sizeof(g_record.initHeader));
    }
    g_record.resultOnEntry = result ? *result : 0;
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof(info);
    info.Version = PROPSHEETUI_INFO_VERSION;
    info.hComPropSheet = reinterpret_cast<HANDLE>(&g_record);
    info.pfnComPropSheet = HostCallback;
    info.lParamInit = param;
    g_record.initAnswer = Deliver(callback, info, PROPSHEETUI_REASON_INIT, 0);
    if (g_record.initAnswer <= 0)
        return ERR_CPSUI_GETLASTERROR;
    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof(header);
    Deliver(callback, info, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));
    SETRESULT_INFO set = {sizeof(set), 0, nullptr, CPSUI_OK};
    Deliver(callback, info, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&set));
    Deliver(callback, info, PROPSHEETUI_REASON_DESTROY, 1);
    if (result)
        *result = static_cast<DWORD>(info.Result);
    return 1;
}
