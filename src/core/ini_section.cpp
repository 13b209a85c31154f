#include "core/ini_section.h"

#include "core/file_stamp.h"

#include <cwchar>

namespace {

const DWORD kSectionChars = 32768;   // the profile functions' own section limit
const size_t kKeptSections = 16;
const size_t kNameChars = 64;

struct KeptSection {
    WCHAR file[MAX_PATH];
    WCHAR section[kNameChars];
    FileStamp stamp;
    WCHAR* entries;
    DWORD chars;                 // including both terminators
};

KeptSection g_kept[kKeptSections];
size_t g_nextKept = 0;
SRWLOCK g_keptLock = SRWLOCK_INIT;

bool IsBlank(WCHAR c) { return c == L' ' || c == L'\t'; }

// Only files named by a full path can be checked for changes: the profile
// functions look for bare names in the Windows directory.
bool IsFullPath(const WCHAR* file)
{
    return (file[0] && file[1] == L':') || (file[0] == L'\\' && file[1] == L'\\');
}

WCHAR* CopyEntries(const WCHAR* entries, DWORD chars)
{
    auto* copy = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, chars * sizeof(WCHAR)));
    if (copy)
        wmemcpy(copy, entries, chars);
    return copy;
}

WCHAR* EmptyEntries()
{
    static const WCHAR kNone[2] = {L'\0', L'\0'};
    return CopyEntries(kNone, 2);
}

// The section straight from the file, as a block of exactly its size.
WCHAR* ReadEntries(const WCHAR* file, const WCHAR* section, DWORD* chars)
{
    auto* buffer =
        static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, kSectionChars * sizeof(WCHAR)));
    if (!buffer)
        return nullptr;
    DWORD length = GetPrivateProfileSectionW(section, buffer, kSectionChars, file);
    if (length > kSectionChars - 2)
        length = kSectionChars - 2;
    buffer[length] = buffer[length + 1] = L'\0';
    *chars = length + 2;
    WCHAR* exact = CopyEntries(buffer, *chars);
    HeapFree(GetProcessHeap(), 0, buffer);
    return exact;
}

KeptSection* FindKept(const WCHAR* file, const WCHAR* section)
{
    for (KeptSection& k : g_kept)
        if (k.entries && lstrcmpiW(k.file, file) == 0 && lstrcmpiW(k.section, section) == 0)
            return &k;
    return nullptr;
}

WCHAR* KeptEntries(const WCHAR* file, const WCHAR* section, const FileStamp& stamp)
{
    WCHAR* copy = nullptr;
    AcquireSRWLockShared(&g_keptLock);
    const KeptSection* k = FindKept(file, section);
    if (k && IsSameFileVersion(k->stamp, stamp))
        copy = CopyEntries(k->entries, k->chars);
    ReleaseSRWLockShared(&g_keptLock);
    return copy;
}

void KeepEntries(const WCHAR* file, const WCHAR* section, const FileStamp& stamp,
                 const WCHAR* entries, DWORD chars)
{
    WCHAR* copy = CopyEntries(entries, chars);
    if (!copy)
        return;
    AcquireSRWLockExclusive(&g_keptLock);
    KeptSection* k = FindKept(file, section);
    if (!k) {
        k = &g_kept[g_nextKept];
        g_nextKept = (g_nextKept + 1) % kKeptSections;
    }
    if (k->entries)
        HeapFree(GetProcessHeap(), 0, k->entries);
    lstrcpynW(k->file, file, MAX_PATH);
    lstrcpynW(k->section, section, kNameChars);
    k->stamp = stamp;
    k->entries = copy;
    k->chars = chars;
    ReleaseSRWLockExclusive(&g_keptLock);
}

WCHAR* SectionEntries(const WCHAR* file, const WCHAR* section)
{
    DWORD chars = 0;
    if (!IsFullPath(file) || wcslen(file) >= MAX_PATH || wcslen(section) >= kNameChars)
        return ReadEntries(file, section, &chars);

    FileStamp stamp;
    if (!ReadFileStamp(file, &stamp))
        return EmptyEntries();
    if (WCHAR* kept = KeptEntries(file, section, stamp))
        return kept;
    WCHAR* entries = ReadEntries(file, section, &chars);
    if (entries)
        KeepEntries(file, section, stamp, entries, chars);
    return entries;
}

} // namespace

IniSection::IniSection(const WCHAR* file, const WCHAR* section)
{
    entries_ = file && section ? SectionEntries(file, section) : EmptyEntries();
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

int IniSection::FindInt(const WCHAR* key, int absent) const
{
    WCHAR text[32];
    if (!Find(key, text, ARRAYSIZE(text)) || !text[0])
        return absent;
    // Leading blanks, a sign and decimal digits; anything else ends the number.
    const WCHAR* at = text;
    const bool negative = *at == L'-';
    if (*at == L'-' || *at == L'+')
        ++at;
    long long value = 0;
    while (*at >= L'0' && *at <= L'9' && value <= 0x7FFFFFFF)
        value = value * 10 + (*at++ - L'0');
    return static_cast<int>(negative ? -value : value);
}

void ForgetIniSections()
{
    AcquireSRWLockExclusive(&g_keptLock);
    for (KeptSection& k : g_kept)
        if (k.entries) {
            HeapFree(GetProcessHeap(), 0, k.entries);
            k.entries = nullptr;
        }
    ReleaseSRWLockExclusive(&g_keptLock);
}
