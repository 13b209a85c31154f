// Typed lengths: what the binding offset and the custom paper size accept.
#include "ui/decimal_entry.h"

#include <gtest/gtest.h>

namespace {

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
