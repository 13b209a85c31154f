#include "ui/decimal_entry.h"

#include <cstdio>

namespace {

// The most digits a length may have before its point: more cannot be a
// length the driver accepts and would overflow the value.
const int kMaxIntegerDigits = 6;

int PowerOfTen(int exponent)
{
    int result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

} // namespace

BOOL ReadWholeNumber(const WCHAR* text, unsigned long limit, unsigned long* value)
{
    if (!text[0])
        return FALSE;
    // Wide enough that a last digit cannot overflow before it is judged.
    ULONGLONG number = 0;
    for (const WCHAR* c = text; *c; ++c) {
        if (*c < L'0' || *c > L'9')
            return FALSE;
        number = number * 10 + static_cast<ULONGLONG>(*c - L'0');
        if (number > limit)
            return FALSE;
    }
    *value = static_cast<unsigned long>(number);
    return TRUE;
}

DecimalEntryStatus ParseDecimalEntry(const WCHAR* text, int decimals, LONG* value)
{
    if (!text || !*text)
        return kDecimalEmpty;
    LONG whole = 0;
    LONG fraction = 0;
    int integerDigits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (const WCHAR* c = text; *c; ++c) {
        if (*c == L'.') {
            if (point)
                return kDecimalMalformed;
            point = true;
        } else if (*c >= L'0' && *c <= L'9') {
            if (point) {
                if (++fractionDigits > decimals)
                    return kDecimalMalformed;
                fraction = fraction * 10 + (*c - L'0');
            } else {
                if (++integerDigits > kMaxIntegerDigits)
                    return kDecimalMalformed;
                whole = whole * 10 + (*c - L'0');
            }
        } else {
            return kDecimalMalformed;
        }
    }
    if (integerDigits == 0 && fractionDigits == 0)
        return kDecimalMalformed;
    fraction *= PowerOfTen(decimals - fractionDigits);
    *value = whole * PowerOfTen(decimals) + fraction;
    return kDecimalValid;
}

void FormatDecimalEntry(LONG value, int decimals, WCHAR* text, size_t capacity)
{
    const LONG scale = PowerOfTen(decimals);
    const LONG magnitude = value < 0 ? -value : value;
    swprintf(text, capacity, L"%ls%ld.%0*ld", value < 0 ? L"-" : L"", magnitude / scale, decimals,
             magnitude % scale);
}

BOOL StartsWithDigit(const WCHAR* text)
{
    return text && *text >= L'0' && *text <= L'9';
}
