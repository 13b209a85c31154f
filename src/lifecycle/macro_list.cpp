// Registration of a job's overlay macro in the user's macro list file.
#include "lifecycle/macro_list.h"

#include "lifecycle/bounded_text.h"
#include "lifecycle/companion_programs.h"

#include <algorithm>
#include <cwchar>

namespace {

const WCHAR kMacroSection[] = L"MACROS";
const WCHAR kMacroNameSection[] = L"MACROCONFIG";
const WCHAR kIdListKey[] = L"IDLIST%d";
const WORD kMacroDropsOverlayEntry = 0x0002;   // specialFlags: the macro's "B" entry is outdated
const int kIdListChars = 1000;

BOOL InSystemDirectory(const WCHAR* path)
{
    WCHAR system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    return wcsncmp(path, system, length) == 0;
}

void WriteListedIds(const WCHAR* file, const WORD* ids, int count)
{
    WCHAR key[16], text[kMacroIdsPerKey * 8];
    for (int first = 0, index = 0; first < count; first += kMacroIdsPerKey, ++index) {
        text[0] = L'\0';
        const int last = std::min(count, first + kMacroIdsPerKey);
        for (int i = first; i < last; ++i)
            wsprintfW(text + lstrlenW(text), i == first ? L"%u" : L",%u", ids[i]);
        wsprintfW(key, kIdListKey, index);
        WritePrivateProfileStringW(kMacroSection, key, text, file);
    }
}

} // namespace

BOOL MacroListPath(const PrivateSettings* settings, WCHAR* path, size_t capacity)
{
    WCHAR name[ARRAYSIZE(settings->optionInformationFile) + 1] = {};
    lstrcpynW(name, settings->optionInformationFile, ARRAYSIZE(name));
    WCHAR folder[MAX_PATH];
    return UserDataFolder(folder, MAX_PATH) ? PrintBounded(path, capacity, L"%ls\\%ls", folder, name)
                                            : PrintBounded(path, capacity, L"%ls", name);
}

int ReadMacroIdLists(const WCHAR* file, WORD* ids, int capacity)
{
    int count = 0;
    WCHAR key[16], text[kIdListChars + 1];
    for (int index = 0;; ++index) {
        wsprintfW(key, kIdListKey, index);
        if (!GetPrivateProfileStringW(kMacroSection, key, L"", text, ARRAYSIZE(text), file) ||
            !ParseMacroIds(text, ids, &count, capacity))
            return count;
    }
}

BOOL ParseMacroIds(const WCHAR* text, WORD* ids, int* count, int capacity)
{
    unsigned value = 0;
    bool digits = false;
    for (const WCHAR* c = text;; ++c) {
        if (*c >= L'0' && *c <= L'9') {
            value = std::min(value * 10 + (*c - L'0'), 0xFFFFu);
            digits = true;
            continue;
        }
        if (digits) {
            if (*count >= capacity)
                return FALSE;
            ids[(*count)++] = static_cast<WORD>(value);
        }
        if (*c != L',')
            return TRUE;
        value = 0;
        digits = false;
    }
}

void RegisterMacro(const PrivateSettings* settings)
{
    WCHAR file[MAX_PATH];
    if (!MacroListPath(settings, file, MAX_PATH) || InSystemDirectory(file))
        return;
    auto* ids = static_cast<WORD*>(GlobalAlloc(GPTR, (kMaxListedMacros + 1) * sizeof(WORD)));
    if (!ids)
        return;
    const WORD id = LOWORD(settings->macroId);
    const int count = ReadMacroIdLists(file, ids, kMaxListedMacros);
    if (std::find(ids, ids + count, id) == ids + count) {
        ids[count] = id;
        std::sort(ids, ids + count + 1);
        WriteListedIds(file, ids, count + 1);
    }
    GlobalFree(ids);

    WCHAR key[16], name[ARRAYSIZE(settings->macroName) + 1] = {};
    lstrcpynW(name, settings->macroName, ARRAYSIZE(name));
    wsprintfW(key, L"%d", settings->macroId);
    WritePrivateProfileStringW(kMacroNameSection, key, name, file);
    if (settings->specialFlags & kMacroDropsOverlayEntry) {
        wsprintfW(key, L"B%d", settings->macroId);
        WritePrivateProfileStringW(kMacroNameSection, key, nullptr, file);
    }
}
