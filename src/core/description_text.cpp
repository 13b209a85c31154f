#include "core/description_text.h"

#include "core/model_parser.h"

#include <cstring>

namespace model_parse {

namespace {

// ReadInteger stops growing a number here, far beyond any 32-bit value, so
// that a run of digits cannot overflow it.
const int64_t kIntegerLimit = int64_t(1) << 40;

// Reals keep the first five fraction digits; later ones are read past.
const uint64_t kFractionScaleLimit = 100000;

// ReadFixed stops growing the whole part once it reaches the largest whole
// part a signed 24.8 value holds.
const uint64_t kFixedWholeLimit = 0x7FFFFF;

// A file version's whole part has 24 bits; a larger one is no version.
const uint64_t kVersionWholeLimit = 0x1000000;

// The digits of an unsigned decimal real: whole part, then "." and fraction.
struct DecimalReal {
    uint64_t whole = 0;
    uint64_t fraction = 0;
    uint64_t scale = 1;      // 10 to the number of fraction digits kept
    bool digits = false;     // any digit at all, in either part
};

// Reads an unsigned decimal real from [p, end). The whole part stops growing
// once it reaches wholeLimit; the digits after that are still read past.
// Returns where the number ends.
const char* ScanDecimalReal(const char* p, const char* end, uint64_t wholeLimit,
                            DecimalReal* real)
{
    for (; p < end && IsDigit(*p); ++p) {
        real->digits = true;
        if (real->whole < wholeLimit)
            real->whole = real->whole * 10 + (*p - '0');
    }
    if (p < end && *p == '.') {
        for (++p; p < end && IsDigit(*p); ++p) {
            real->digits = true;
            if (real->scale < kFractionScaleLimit) {
                real->fraction = real->fraction * 10 + (*p - '0');
                real->scale *= 10;
            }
        }
    }
    return p;
}

// The real in 24.8 fixed point; a fraction of half a unit and more rounds up.
uint64_t FixedValue(const DecimalReal& real)
{
    uint64_t fraction = (real.fraction * kFixedOne * 2 + real.scale) / (real.scale * 2);
    return real.whole * kFixedOne + fraction;
}

} // namespace

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Equals(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

int64_t ReadInteger(const char* text)
{
    if (!text)
        return 0;
    while (IsSpace(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    int64_t value = 0;
    while (IsDigit(*text) && value < kIntegerLimit)
        value = value * 10 + (*text++ - '0');
    return negative ? -value : value;
}

uint32_t ReadUnsigned(const char* text)
{
    return static_cast<uint32_t>(ReadInteger(text));
}

bool ReadFixed(const char** cursor, int32_t* result)
{
    const char* p = *cursor;
    while (IsSpace(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    DecimalReal real;
    const char* end = ScanDecimalReal(p, p + std::strlen(p), kFixedWholeLimit, &real);
    if (!real.digits)
        return false;
    int64_t value = static_cast<int64_t>(FixedValue(real));
    *result = static_cast<int32_t>(negative ? -value : value);
    *cursor = end;
    return true;
}

} // namespace model_parse

uint32_t ParseFileVersion(const char* text, size_t length)
{
    using namespace model_parse;
    const char* p = text;
    const char* end = text + length;
    while (p < end && IsBlank(*p))
        ++p;
    // A negative version never validates a cache.
    if (p < end && *p == '-')
        return 0;
    DecimalReal real;
    ScanDecimalReal(p, end, kVersionWholeLimit, &real);
    if (!real.digits || real.whole >= kVersionWholeLimit)
        return 0;
    return static_cast<uint32_t>(FixedValue(real));
}
