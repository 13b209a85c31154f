#include "core/message_format.h"

#include "core/driver_strings.h"

#include <cstdint>
#include <cwchar>

namespace {

const int kResourceChars = 256;

// Appends up to the buffer's end, counting every character offered.
struct Output {
    WCHAR* buffer;
    DWORD capacity;
    DWORD needed;

    void Put(WCHAR c)
    {
        if (buffer && needed + 1 < capacity)
            buffer[needed] = c;
        ++needed;
    }
    void Put(const WCHAR* text)
    {
        for (; text && *text; ++text)
            Put(*text);
    }
};

void PutNumber(Output& out, WCHAR directive, int32_t value)
{
    WCHAR digits[16];
    switch (directive) {
    case L'd': _snwprintf(digits, ARRAYSIZE(digits), L"%ld", static_cast<long>(value)); break;
    case L'u': _snwprintf(digits, ARRAYSIZE(digits), L"%lu", static_cast<unsigned long>(static_cast<uint32_t>(value))); break;
    case L'x': _snwprintf(digits, ARRAYSIZE(digits), L"%lx", static_cast<unsigned long>(static_cast<uint32_t>(value))); break;
    default: _snwprintf(digits, ARRAYSIZE(digits), L"%lX", static_cast<unsigned long>(static_cast<uint32_t>(value))); break;
    }
    digits[ARRAYSIZE(digits) - 1] = L'\0';
    out.Put(digits);
}

} // namespace

DWORD FormatDriverMessageV(WCHAR* buffer, DWORD capacity, const WCHAR* format, va_list args)
{
    Output out = {buffer, capacity, 0};
    for (const WCHAR* p = format; p && *p; ++p) {
        if (*p != L'%' || !p[1]) {
            out.Put(*p);
            continue;
        }
        const WCHAR directive = *++p;
        switch (directive) {
        case L'!': {
            WCHAR text[kResourceChars + 1];
            LoadDriverString(va_arg(args, UINT), text, ARRAYSIZE(text));
            out.Put(text);
            break;
        }
        case L's': out.Put(va_arg(args, const WCHAR*)); break;
        case L'c': out.Put(static_cast<WCHAR>(va_arg(args, int))); break;
        case L'd':
        case L'u':
        case L'x':
        case L'X': PutNumber(out, directive, va_arg(args, int32_t)); break;
        default: out.Put(directive); break;
        }
    }
    if (buffer && capacity > 0)
        buffer[out.needed < capacity ? out.needed : capacity - 1] = L'\0';
    return out.needed + 1;
}

DWORD FormatDriverMessage(WCHAR* buffer, DWORD capacity, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    const DWORD needed = FormatDriverMessageV(buffer, capacity, format, args);
    va_end(args);
    return needed;
}
