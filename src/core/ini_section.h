// A whole INI section read with one call and searched in memory.
//
// The profile functions reopen the file on every call, a handful of round
// trips to the system each time, and the driver consults the same package
// files on every device-capabilities and document-properties call. So the
// sections of files named by full path are kept for the process, each
// checked against its file's last-write time and size before it is used:
// a file changed by anyone is read again by the very next look-up.
#pragma once

#include <windows.h>

class IniSection {
public:
    IniSection(const WCHAR* file, const WCHAR* section);
    ~IniSection();
    IniSection(const IniSection&) = delete;
    IniSection& operator=(const IniSection&) = delete;

    // Copies the value of key (ASCII case ignored, the first entry wins) as
    // the profile functions return it: blanks trimmed, one pair of
    // surrounding quotes removed, cut to capacity - 1. FALSE when absent.
    BOOL Find(const WCHAR* key, WCHAR* value, size_t capacity) const;

    // The key's value read as GetPrivateProfileIntW reads it; absent when
    // the key is missing.
    int FindInt(const WCHAR* key, int absent) const;

private:
    WCHAR* entries_ = nullptr;   // "key=value" strings, ending with an empty one
};

// Forgets the sections kept so far (module detach).
void ForgetIniSections();
