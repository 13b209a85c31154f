// Numbers typed into the pages and dialogs: whole numbers, and lengths with
// a fixed number of decimals (millimetres with one, inches with two) kept as
// an integer in the last decimal's unit (tenths of a millimetre, hundredths
// of an inch).
#pragma once

#include <windows.h>

#include <cstddef>

constexpr int kMillimetreDecimals = 1;
constexpr int kInchDecimals = 2;

// Reads text of decimal digits only, at most limit: TRUE with its value.
// FALSE, the value untouched, for an empty text, any other character or a
// larger number.
BOOL ReadWholeNumber(const WCHAR* text, unsigned long limit, unsigned long* value);

// The limit for entries that judge the number themselves: any nine digits.
constexpr unsigned long kAnyNineDigitNumber = 999999999;

enum DecimalEntryStatus { kDecimalEmpty, kDecimalValid, kDecimalMalformed };

// Reads text as digits with at most one decimal point and at most decimals
// digits after it; missing decimals count as 0 ("8.5" in inches is 850).
// The value is written only for kDecimalValid.
DecimalEntryStatus ParseDecimalEntry(const WCHAR* text, int decimals, LONG* value);

// The text of value with exactly decimals digits after the point
// ("215.9", "8.50").
void FormatDecimalEntry(LONG value, int decimals, WCHAR* text, size_t capacity);

// TRUE when text starts with a digit: a malformed entry that does is put
// back to its last valid value, one that does not is emptied.
BOOL StartsWithDigit(const WCHAR* text);
