#include "core/ini_section.h"

#include <cwchar>

namespace {

const DWORD kSectionChars = 32768;   // the profile functions' own section limit

bool IsBlank(WCHAR c) { return c == L' ' || c == L'\t'; }

} // namespace

IniSection::IniSection(const WCHAR* file, const WCHAR* section)
{
    entries_ = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, kSectionChars * sizeof(WCHAR)));
    if (entries_ && !(file && section &&
                      GetPrivateProfileSectionW(section, entries_, kSectionChars, file)))
        entries_[0] = entries_[1] = L'\0';
}

IniSection::~IniSection()
{
    if (entries_)
        HeapFree(GetProcessHeap(), 0, entries_);
}

BOOL IniSection::Find(const WCHAR* key, WCHAR* value, size_t capacity) const
{
    if (!entries_ || !key || !value || capacity == 0)
        return FALSE;
    value[0] = L'\0';
    const size_t keyLength = wcslen(key);
    for (const WCHAR* line = entries_; *line; line += wcslen(line) + 1) {
        if (_wcsnicmp(line, key, keyLength) != 0)
            continue;
        const WCHAR* rest = line + keyLength;
        while (IsBlank(*rest))
            ++rest;
        if (*rest != L'=')
            continue;
        ++rest;
        while (IsBlank(*rest))
            ++rest;
        size_t length = wcslen(rest);
        while (length && IsBlank(rest[length - 1]))
            --length;
        if (length >= 2 && rest[0] == L'"' && rest[length - 1] == L'"') {
            ++rest;
            length -= 2;
        }
        if (length >= capacity)
            length = capacity - 1;
        wmemcpy(value, rest, length);
        value[length] = L'\0';
        return TRUE;
    }
    return FALSE;
}
