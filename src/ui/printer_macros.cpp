// Asking the remote-setup tool for the printer's macros.
#include "ui/printer_macros.h"

namespace {

const WCHAR kModelSection[] = L"Model";
const WCHAR kResultKey[] = L"MacResult";
const WCHAR kNameSection[] = L"MACROCONFIG";

// A result left by an earlier inquiry must not pass for this one's.
BOOL PrepareMacroInquiry(const WCHAR* exchangePath, const UiSession*)
{
    return WritePrivateProfileStringW(kModelSection, kResultKey, L"0", exchangePath);
}

} // namespace

BOOL ReadMacroExchange(const WCHAR* path, PrinterMacroList* list)
{
    list->count = 0;
    if (GetPrivateProfileIntW(kModelSection, kResultKey, 0, path) == 0)
        return FALSE;
    WORD ids[kMaxListedMacros];
    const int read = ReadMacroIdLists(path, ids, kMaxListedMacros);
    for (int i = 0; i < read; ++i) {
        if (ids[i] > kMaxMacroId)
            continue;
        PrinterMacro& macro = list->macros[list->count++];
        macro.id = ids[i];
        WCHAR key[16];
        wsprintfW(key, L"%u", ids[i]);
        GetPrivateProfileStringW(kNameSection, key, L"", macro.name, ARRAYSIZE(macro.name), path);
    }
    return TRUE;
}

const PrinterMacro* FindPrinterMacro(const PrinterMacroList* list, LONG id)
{
    for (int i = 0; list && i < list->count; ++i)
        if (list->macros[i].id == id)
            return &list->macros[i];
    return nullptr;
}

BOOL StartMacroInquiry(HWND dialog, const UiSession* session, RemoteToolInquiry* inquiry)
{
    return StartRemoteToolInquiry(dialog, session, L"MACRO", PrepareMacroInquiry, inquiry);
}
