// Typed numbers: whole numbers up to a limit (copies, memory sizes, macro
// ids and pages, the tool's answers), and the lengths the binding offset
// and the custom paper size accept.
#include "ui/decimal_entry.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(WholeNumber, ReadsOnlyDigitsUpToTheLimit)
{
    const struct {
        const WCHAR* text;
        unsigned long limit;
        BOOL read;
        unsigned long value;
    } cases[] = {
        {L"0", 999, TRUE, 0},          {L"999", 999, TRUE, 999},      {L"0999", 999, TRUE, 999},
        {L"1000", 999, FALSE, 0},      {L"7", 5, FALSE, 0},
        {L"32767", 32767, TRUE, 32767}, {L"32768", 32767, FALSE, 0},
        {L"67107840", 0xFFFFul * 1024, TRUE, 67107840}, {L"67107841", 0xFFFFul * 1024, FALSE, 0},
        {L"999999999", kAnyNineDigitNumber, TRUE, 999999999}, {L"1000000000", kAnyNineDigitNumber, FALSE, 0},
        // A number past the type's range must not wrap into a small one.
        {L"4294967295", ULONG_MAX, TRUE, ULONG_MAX}, {L"4294967296", ULONG_MAX, FALSE, 0},
        {L"42949672950", ULONG_MAX, FALSE, 0},
        {L"", 999, FALSE, 0},    {L"12a", 999, FALSE, 0}, {L"-1", 999, FALSE, 0},
        {L" 5", 999, FALSE, 0},  {L"5 ", 999, FALSE, 0},  {L"1.5", 999, FALSE, 0},
    };
    for (const auto& c : cases) {
        unsigned long value = 12345;
        EXPECT_EQ(ReadWholeNumber(c.text, c.limit, &value), c.read) << c.text;
        EXPECT_EQ(value, c.read ? c.value : 12345ul) << c.text;
    }
}

struct ParseCase {
    const WCHAR* text;
    int decimals;
    DecimalEntryStatus status;
    LONG value;
};

TEST(DecimalEntry, ParsesOnlyDigitsWithTheUnitsDecimals)
{
    const ParseCase cases[] = {
        {L"", kMillimetreDecimals, kDecimalEmpty, 0},
        {L"215.9", kMillimetreDecimals, kDecimalValid, 2159},
        {L"216", kMillimetreDecimals, kDecimalValid, 2160},
        {L"76.", kMillimetreDecimals, kDecimalValid, 760},
        {L".5", kMillimetreDecimals, kDecimalValid, 5},
        {L"76.25", kMillimetreDecimals, kDecimalMalformed, 0},
        {L"8.5", kInchDecimals, kDecimalValid, 850},
        {L"16", kInchDecimals, kDecimalValid, 1600},
        {L"0.07", kInchDecimals, kDecimalValid, 7},
        {L"8.505", kInchDecimals, kDecimalMalformed, 0},
        {L"1.2.3", kInchDecimals, kDecimalMalformed, 0},
        {L".", kInchDecimals, kDecimalMalformed, 0},
        {L"-5", kMillimetreDecimals, kDecimalMalformed, 0},
        {L"12a", kMillimetreDecimals, kDecimalMalformed, 0},
        {L" 12", kMillimetreDecimals, kDecimalMalformed, 0},
        {L"9999999", kMillimetreDecimals, kDecimalMalformed, 0},
    };
    for (const ParseCase& c : cases) {
        LONG value = -1;
        EXPECT_EQ(ParseDecimalEntry(c.text, c.decimals, &value), c.status) << c.text;
        EXPECT_EQ(value, c.status == kDecimalValid ? c.value : -1) << c.text;
    }
}

TEST(DecimalEntry, FormatsWithExactlyTheUnitsDecimals)
{
    WCHAR text[16];
    FormatDecimalEntry(2159, kMillimetreDecimals, text, 16);
    EXPECT_STREQ(text, L"215.9");
    FormatDecimalEntry(850, kInchDecimals, text, 16);
    EXPECT_STREQ(text, L"8.50");
    FormatDecimalEntry(7, kInchDecimals, text, 16);
    EXPECT_STREQ(text, L"0.07");
    FormatDecimalEntry(0, kMillimetreDecimals, text, 16);
    EXPECT_STREQ(text, L"0.0");
}

TEST(DecimalEntry, MalformedTextIsRestoredOnlyWhenItStartsWithADigit)
{
    EXPECT_TRUE(StartsWithDigit(L"7x"));
    EXPECT_FALSE(StartsWithDigit(L"x7"));
    EXPECT_FALSE(StartsWithDigit(L""));
    EXPECT_FALSE(StartsWithDigit(nullptr));
}

} // namespace
