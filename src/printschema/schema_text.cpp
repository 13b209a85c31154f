#include "printschema/schema_text.h"

#include "printschema/cxd_exception.h"

#include <climits>
#include <cwchar>
#include <cwctype>

BstrOwner FormatBstr(const wchar_t* pattern, std::initializer_list<const wchar_t*> args)
{
    // Two passes over the same walk: measure, then fill.
    size_t length = 0;
    for (int pass = 0; pass < 2; ++pass) {
        BSTR out = nullptr;
        if (pass == 1) {
            out = SysAllocStringLen(nullptr, static_cast<UINT>(length));
            if (!out) throw CXDException(E_OUTOFMEMORY);
        }
        size_t at = 0;
        auto arg = args.begin();
        for (const wchar_t* p = pattern; *p; ++p) {
            if (p[0] == L'%' && p[1] == L's') {
                if (arg == args.end()) {
                    SysFreeString(out);
                    throw CXDException(E_UNEXPECTED);
                }
                const wchar_t* text = *arg ? *arg : L"";
                ++arg;
                size_t n = wcslen(text);
                if (out) wmemcpy(out + at, text, n);
                at += n;
                ++p;
            } else {
                if (out) out[at] = *p;
                ++at;
            }
        }
        if (arg != args.end()) {
            SysFreeString(out);
            throw CXDException(E_UNEXPECTED);
        }
        if (out) return BstrOwner(out);
        length = at;
    }
    throw CXDException(E_UNEXPECTED);   // not reached
}

BstrOwner IntegerText(int value)
{
    wchar_t text[16];
    swprintf(text, 16, L"%i", value);
    return BstrOwner::Copy(text);
}

int LeadingInteger(const wchar_t* text)
{
    if (!text) return 0;
    while (iswspace(*text)) ++text;
    bool negative = false;
    if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

bool BeginsWith(const wchar_t* text, const wchar_t* prefix)
{
    if (!text || !prefix || !*prefix) return false;
    return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}
