#include "core/driver_strings.h"

#include "core/module_state.h"

int LoadDriverString(UINT id, WCHAR* buffer, int capacity)
{
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = L'\0';
    HMODULE source = g_module.resourceModule ? g_module.resourceModule : g_module.moduleHandle;
    return LoadStringW(source, id, buffer, capacity);
}
