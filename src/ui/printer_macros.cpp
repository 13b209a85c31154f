// Asking the remote-setup tool for the printer's macros.
#include "ui/printer_macros.h"

#include "lifecycle/bounded_text.h"
#include "lifecycle/companion_programs.h"

#include <shellapi.h>

namespace {

const WCHAR kExchangeFile[] = L"kvrbtool.ini";
const WCHAR kModelSection[] = L"Model";
const WCHAR kResultKey[] = L"MacResult";
const WCHAR kNameSection[] = L"MACROCONFIG";

void DeleteNamedAtoms(const WCHAR* name)
{
    while (ATOM atom = GlobalFindAtomW(name))
        if (GlobalDeleteAtom(atom) != 0)
            return;   // a fixed atom cannot go; do not spin on it
}

} // namespace

BOOL MacroExchangePath(WCHAR* path, size_t capacity)
{
    WCHAR folder[MAX_PATH];
    return UserDataFolder(folder, MAX_PATH) &&
           PrintBounded(path, capacity, L"%ls\\%ls", folder, kExchangeFile);
}

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

BOOL StartMacroInquiry(const UiSession* session, MacroInquiry* inquiry)
{
    inquiry->ticks = 0;
    inquiry->atomName = nullptr;
    WCHAR folder[MAX_PATH], tool[MAX_PATH], parameters[2 * MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(folder, MAX_PATH);
    if (!MacroExchangePath(inquiry->exchangePath, MAX_PATH) || length == 0 || length >= MAX_PATH ||
        !PrintBounded(tool, MAX_PATH, L"%ls\\%ls", folder, kRemoteToolFile))
        return FALSE;
    // A result left by an earlier inquiry must not pass for this one's.
    if (!WritePrivateProfileStringW(kModelSection, kResultKey, L"0", inquiry->exchangePath))
        return FALSE;
    DeleteNamedAtoms(session->atomName);
    const ATOM atom = GlobalAddAtomW(session->atomName);
    if (!atom)
        return FALSE;
    if (!PrintBounded(parameters, ARRAYSIZE(parameters), L"MACRO %ld \"%ls\" %ls", static_cast<long>(atom),
                      inquiry->exchangePath, session->devmode.pub.dmDeviceName) ||
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", tool, parameters, folder, SW_SHOW)) <= 32) {
        GlobalDeleteAtom(atom);
        return FALSE;
    }
    inquiry->atomName = session->atomName;
    return TRUE;
}

BOOL MacroInquiryPending(MacroInquiry* inquiry)
{
    if (GlobalFindAtomW(inquiry->atomName) && ++inquiry->ticks < kMacroInquiryMaxTicks)
        return TRUE;
    EndMacroInquiry(inquiry);
    return FALSE;
}

void EndMacroInquiry(MacroInquiry* inquiry)
{
    if (inquiry->atomName)
        DeleteNamedAtoms(inquiry->atomName);
    inquiry->atomName = nullptr;
}
