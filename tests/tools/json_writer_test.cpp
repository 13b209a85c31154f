// KVMODEL's JSON writer: what it writes must read back as what was given,
// whatever bytes a model description holds.
#include "json_reader.h"
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

TEST(JsonWriterStrings, EveryByteReadsBackUnchanged)
{
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += static_cast<char>(c);
    std::string text = WriteString(bytes);

    JsonValue value;
    std::string error;
    ASSERT_TRUE(ParseJson(text, &value, &error)) << error << "\n" << text;
    ASSERT_EQ(value.items.size(), 1u);
    EXPECT_EQ(value.items[0].text, bytes);
    // Plain ASCII: the report survives any console code page.
    for (char c : text)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "raw byte " << int(uint8_t(c));
}

TEST(JsonWriterStrings, EscapesAsJsonRequires)
{
    EXPECT_EQ(WriteString("a\"b"), "[\"a\\\"b\"]\n");
    EXPECT_EQ(WriteString("C:\\PPD"), "[\"C:\\\\PPD\"]\n");
    EXPECT_EQ(WriteString("x\ny\tz"), "[\"x\\ny\\tz\"]\n");
    EXPECT_EQ(WriteString(std::string("\x01\x1f", 2)), "[\"\\u0001\\u001f\"]\n");
    // Latin-1 letters of translation strings ("Caf<E9>").
    EXPECT_EQ(WriteString("Caf\xE9"), "[\"Caf\\u00e9\"]\n");
    EXPECT_EQ(WriteString(std::string("a\0b", 3)), "[\"a\\u0000b\"]\n");
}

TEST(JsonWriterStrings, NullTextIsNull)
{
    JsonWriter json;
    json.BeginObject(true);
    json.Key("translation");
    json.String(nullptr);
    json.EndObject();
    EXPECT_EQ(json.Text(), "{\"translation\": null}\n");
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
    json.Null();
    json.BeginObject();   // inside an inline array: stays on the line
    json.Key("k");
    json.Number(1);
    json.EndObject();
    json.EndArray();
    json.EndArray();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.Key("none");
    json.BeginObject();
    json.EndObject();
    json.EndObject();
    EXPECT_EQ(json.Text(), "{\n"
                           "  \"a\": -5,\n"
                           "  \"list\": [\n"
                           "    true,\n"
                           "    [null, {\"k\": 1}]\n"
                           "  ],\n"
                           "  \"empty\": [],\n"
                           "  \"none\": {}\n"
                           "}\n");
    JsonValue value;
    EXPECT_TRUE(ParseJson(json.Text(), &value, nullptr));
}

// Points in 24.8 fixed point must print exactly, so that a model author
// sees the value the driver will use, not a rounded neighbour.
TEST(JsonWriterNumbers, FixedPointPrintsExactly)
{
    EXPECT_EQ(FormatFixed24_8(0), "0");
    EXPECT_EQ(FormatFixed24_8(612 * 256), "612");
    EXPECT_EQ(FormatFixed24_8(128), "0.5");
    EXPECT_EQ(FormatFixed24_8(1), "0.00390625");
    EXPECT_EQ(FormatFixed24_8(152391), "595.27734375");
    EXPECT_EQ(FormatFixed24_8(-384), "-1.5");
    EXPECT_EQ(FormatFixed24_8(-1), "-0.00390625");
    EXPECT_EQ(FormatFixed24_8(INT32_MAX), "8388607.99609375");
    EXPECT_EQ(FormatFixed24_8(INT32_MIN), "-8388608");
}

TEST(JsonWriterNumbers, FixedPointReadsBackAsTheSameValue)
{
    for (int32_t value : {0, 1, 7, 255, 256, 257, 4424, 152391, -4424, 0x7FFFFF00}) {
        JsonWriter json;
        json.BeginArray(true);
        json.Fixed24_8(value);
        json.EndArray();
        JsonValue parsed;
        ASSERT_TRUE(ParseJson(json.Text(), &parsed, nullptr)) << json.Text();
        EXPECT_EQ(parsed.items[0].number * 256, double(value)) << json.Text();
    }
}

} // namespace
