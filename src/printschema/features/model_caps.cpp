#include "printschema/features/model_caps.h"

#include "core/spooler_info.h"

BOOL ReadModelCapsWord(HANDLE printer, const WCHAR* name, DWORD* value)
{
    DWORD type = 0, needed = 0, read = 0;
    if (!printer || !name || !value) return FALSE;
    if (QueryPrinterData(printer, name, &type, reinterpret_cast<BYTE*>(&read), sizeof(read), &needed) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || needed != sizeof(read))
        return FALSE;
    *value = read;
    return TRUE;
}
