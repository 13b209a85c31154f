// Module entry of KVUIDRV.DLL.
#include "core/module_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return ModuleProcessAttach(instance);
    case DLL_PROCESS_DETACH:
        return ModuleProcessDetach();
    default:
        return TRUE;
    }
}
