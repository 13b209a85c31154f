// The short-message formatter: its directives, truncation and counting.
#include "core/message_format.h"

#include "core/driver_strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageFormat, DirectivesInsertTheirArguments)
{
    WCHAR text[128];
    DWORD needed = FormatDriverMessage(text, 128, L"%s|%s|%c|%d|%u|%x|%X|%q|100%", L"form", nullptr,
                                       L'Z', -5, 0xFFFFFFFFu, 0xBEEFu, 0xBEEFu);
    EXPECT_STREQ(text, L"form||Z|-5|4294967295|beef|BEEF|q|100%");
    EXPECT_EQ(needed, wcslen(text) + 1);

    WCHAR expected[128];
    LoadDriverString(40049, expected, 128);
    ASSERT_NE(expected[0], L'\0');
    FormatDriverMessage(text, 128, L"[%!]", 40049u);
    EXPECT_EQ(std::wstring(text), L"[" + std::wstring(expected) + L"]");
    FormatDriverMessage(text, 128, L"%!", 1u);   // a missing string inserts nothing
    EXPECT_STREQ(text, L"");
}

TEST(MessageFormat, ShortBuffersAreTerminatedAndTheFullNeedIsCounted)
{
    WCHAR text[6];
    wmemset(text, L'#', 6);
    EXPECT_EQ(FormatDriverMessage(text, 4, L"abc%sdef", L"123"), 10u);
    EXPECT_STREQ(text, L"abc");
    EXPECT_EQ(text[4], L'#');
    EXPECT_EQ(FormatDriverMessage(text, 1, L"abc"), 4u);
    EXPECT_STREQ(text, L"");
    EXPECT_EQ(FormatDriverMessage(nullptr, 0, L"abc"), 4u);
    EXPECT_EQ(FormatDriverMessage(text, 6, nullptr), 1u);
    EXPECT_STREQ(text, L"");
}

} // namespace
