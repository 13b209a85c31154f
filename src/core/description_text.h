// Character classes and number readers for the model description, which is
// 8-bit text read as ASCII. Pure code, shared by the parser's modules.
#pragma once

#include <cstddef>
#include <cstdint>

namespace model_parse {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsEol(char c) { return c == '\r' || c == '\n'; }
inline bool IsSpace(char c) { return IsBlank(c) || IsEol(c); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first position at or after at in text[0, length) that is not a blank.
inline size_t SkipBlanks(const char* text, size_t at, size_t length)
{
    while (at < length && IsBlank(text[at]))
        ++at;
    return at;
}

// Where text[start, end) ends once trailing blanks are dropped.
inline size_t TrimBlanks(const char* text, size_t start, size_t end)
{
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return end;
}

// The value of a hexadecimal digit, or -1.
int HexDigit(char c);

// Both null or not, and the same text when not.
bool Equals(const char* a, const char* b);

// One unit in 24.8 fixed point, the form of every real the model stores.
const int32_t kFixedOne = 256;

// Leading blanks and line ends, an optional sign, digits; anything else ends
// the number. Null reads as 0.
int64_t ReadInteger(const char* text);

// ReadInteger's value cut to the 32-bit word the head stores.
uint32_t ReadUnsigned(const char* text);

// A decimal real ("595", "595.28", "-12.5") as 24.8 fixed point. Advances
// *cursor past the number; false when there is no number.
bool ReadFixed(const char** cursor, int32_t* result);

} // namespace model_parse
