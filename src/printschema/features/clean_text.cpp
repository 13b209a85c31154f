#include "printschema/features/clean_text.h"

#include <cwchar>

namespace {

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool IsControlCharacter(unsigned int c)
{
    return c < 32 || (c >= 128 && c <= 159);
}

std::wstring CleanText(const wchar_t* text, size_t capacity)
{
    if (!text || capacity == 0) return std::wstring();
    std::wstring copy(text, wcsnlen(text, capacity - 1));
    for (size_t i = 0; i < copy.size(); ++i) {
        wchar_t c = copy[i];
        if (IsControlCharacter(c) || IsLowSurrogate(c)) return std::wstring();
        if (IsHighSurrogate(c)) {
            if (i + 1 >= copy.size() || !IsLowSurrogate(copy[i + 1])) return std::wstring();
            ++i;
        }
    }
    return copy;
}
