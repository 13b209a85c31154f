// A whole INI section read with one call and searched in memory. Under a
// profile-function implementation that reopens the file on every call, this
// turns dozens of file reads into one.
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

private:
    WCHAR* entries_ = nullptr;   // "key=value" strings, ending with an empty one
};
