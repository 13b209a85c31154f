// KVMODEL's JSON writer: strings of any bytes a description holds, the
// layout of nested containers, and points that print exactly.
#include "json_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string WriteString(const std::string& bytes)
{
    JsonWriter json;
    json.BeginArray(true);
    json.String(bytes.data(), bytes.size());
    json.EndArray();
    return json.Text();
}

TEST(JsonWriterStrings, EscapesEveryByteJsonCannotHoldAndStaysPlainAscii)
{
    EXPECT_EQ(WriteString("a\"b"), "[\"a\\\"b\"]\n");
    EXPECT_EQ(WriteString("C:\\PPD/x"), "[\"C:\\\\PPD/x\"]\n");
    EXPECT_EQ(WriteString("x\ny\tz\r\b\f"), "[\"x\\ny\\tz\\r\\b\\f\"]\n");
    EXPECT_EQ(WriteString(std::string("\x01\x1f\x7f", 3)), "[\"\\u0001\\u001f\\u007f\"]\n");
    EXPECT_EQ(WriteString("Caf\xE9\xFF"), "[\"Caf\\u00e9\\u00ff\"]\n");   // Latin-1 text
    EXPECT_EQ(WriteString(std::string("a\0b", 3)), "[\"a\\u0000b\"]\n");
    // Every byte, and only plain ASCII out: the report survives any code page.
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += static_cast<char>(c);
    const std::string text = WriteString(bytes);
    for (char c : text)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "raw byte " << int(uint8_t(c));
    EXPECT_EQ(text.size(), 93 + 7 * 2 + 156 * 6 + 5u) << "none lost or doubled: " << text;
}

TEST(JsonWriterLayout, NestsMembersWithCommasAndIndentation)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("a");
    json.Number(-5);
    json.Key("list");
    json.BeginArray();
    json.Bool(true);
    json.BeginArray(true);
    json.String(nullptr);
    json.BeginObject();   // inside an inline array: stays on the line
    json.Key("k");
    json.Fixed24_8(-384);
    json.EndObject();
    json.EndArray();
    json.EndArray();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.EndObject();
    EXPECT_EQ(json.Text(), "{\n  \"a\": -5,\n  \"list\": [\n    true,\n"
                           "    [null, {\"k\": -1.5}]\n  ],\n  \"empty\": []\n}\n");
}

// Points in 24.8 fixed point print exactly, so that a model author sees
// the value the driver uses, not a rounded neighbour.
TEST(JsonWriterNumbers, FixedPointPrintsExactly)
{
    EXPECT_EQ(FormatFixed24_8(128), "0.5");
    EXPECT_EQ(FormatFixed24_8(1), "0.00390625");
    EXPECT_EQ(FormatFixed24_8(-1), "-0.00390625");
    EXPECT_EQ(FormatFixed24_8(INT32_MAX), "8388607.99609375");
    EXPECT_EQ(FormatFixed24_8(INT32_MIN), "-8388608");
}

} // namespace
