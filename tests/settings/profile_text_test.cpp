// Reading and writing the text forms of profile values: the item, decimal
// and hexadecimal rules on malformed input, and each compound format's exact
// text, round trip and limits.
#include "settings/profile_text.h"
#include "support/expect_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

using Text = std::basic_string<ProfileChar>;

// The text an encoder writes, checked against the length it returns.
template <typename Encode, typename Value>
Text Encoded(Encode encode, const Value& value)
{
    ProfileChar text[kCustomPaperListChars];
    const size_t length = encode(value, text, kCustomPaperListChars);
    EXPECT_EQ(length, Text(text).size());
    return text;
}

template <typename Value, void (*Decode)(const ProfileChar*, Value*)>
Value Decoded(const ProfileChar* text)
{
    Value value = {};
    Decode(text, &value);
    return value;
}

// A value read and written back, as a save keeps it.
using Recode = Text (*)(const ProfileChar*);
template <auto Decode, auto Encode>
Text Recoded(const ProfileChar* text)
{
    return Encoded(Encode, Decode(text));
}

TEST(ProfileItems, AreCutAtCommasWithinBothLimits)
{
    const Text withLong = L"1," + Text(300, L'7') + L",2";
    const struct { const ProfileChar* value; size_t index, capacity; Text expected; } cases[] = {
        {L"12,x0003,abc", 0, 512, L"12"}, {L"12,x0003,abc", 2, 512, L"abc"},
        {L"a,,c", 1, 512, L""}, {L"12,", 5, 512, L""}, {nullptr, 0, 512, L""},
        {L"12,34", 9, 512, L"34"},                      // fewer commas: the last item
        {L"solo", 3, 512, L"solo"},                     // no comma: the whole value
        {withLong.c_str(), 1, 512, Text(200, L'7')},    // at most 200 characters,
        {withLong.c_str(), 1, 6, L"77777"},             // never more than the buffer,
        {withLong.c_str(), 2, 512, L"2"},               // and the next item stays put
    };
    for (const auto& c : cases) {
        ProfileChar item[512];
        EXPECT_EQ(ProfileItem(c.value, c.index, item, c.capacity), c.expected.size());
        EXPECT_EQ(Text(item), c.expected) << "item " << c.index << " of " << c.value;
    }
    ProfileChar untouched[1] = {L'Q'};
    // A zero capacity writes nothing.
    EXPECT_EQ(ProfileItem(L"abc", 0, untouched, 0), 0u);
    EXPECT_EQ(untouched[0], L'Q');

    EXPECT_EQ(ProfileItemHex(L"x0001", 1), 1u) << "a one-item value repeats for item 1";
}

// Each text is read both ways: decimals stop at the first non-digit and
// saturate; in hex every character takes a place and only 32 bits survive.
// Writing stops at the end of the buffer.
TEST(ProfileNumbers, AreReadTolerantlyAndWrittenWithinTheirBuffer)
{
    const Text nines = L"-" + Text(199, L'9'), effs(200, L'F');
    const struct { const ProfileChar* text; int32_t decimal; uint32_t hex; } cases[] = {
        {L"42", 42, 0x42}, {L"  \t-17", -17, 0x17}, {L"+8", 8, 0x8}, {L"12abc", 12, 0x12ABC},
        {L"3 4", 3, 0x304}, {L"x0102", 0, 0x0102}, {L"Xdef", 0, 0xDEF}, {L"1x", 1, 0x10},
        {L"1G2", 1, 0x102}, {L"- 5", 0, 0x5}, {L"--5", 0, 0x5}, {L"", 0, 0}, {nullptr, 0, 0},
        {L"2147483647", INT32_MAX, 0x47483647}, {L"2147483648", INT32_MAX, 0x47483648},
        {L"-2147483648", INT32_MIN, 0x47483648}, {L"-2147483649", INT32_MIN, 0x47483649},
        {L"99999999999999999999999", INT32_MAX, 0x99999999}, {nines.c_str(), INT32_MIN, 0x99999999},
        {L"0000000000000000000000012", 12, 0x12}, {L"xffffffff", 0, 0xFFFFFFFF},
        {L"x123456789", 0, 0x23456789}, {effs.c_str(), 0, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileDecimal(c.text), c.decimal) << c.text;
        EXPECT_EQ(ProfileHex(c.text), c.hex) << c.text;
    }

    ProfileChar text[16];
    auto written = [&](size_t length) { return length == Text(text).size() ? Text(text) : L"?"; };
    EXPECT_EQ(written(FormatProfileHex(0x1A, text, 16)), L"x001a");
    EXPECT_EQ(written(FormatProfileHex(0xABCDE, text, 16)), L"xabcde");
    EXPECT_EQ(written(FormatProfileHex(0x1234, text, 1)), L"");
    EXPECT_EQ(written(FormatProfileDecimal(-12345, text, 3)), L"-1");
    EXPECT_EQ(written(CopyProfileText(text, 8, L"ABCDEFGHIJ", 5)), L"ABCDE");
    EXPECT_EQ(written(CopyProfileText(text, 8, L"ABCDEFGHIJ", 50)), L"ABCDEFG");
    EXPECT_EQ(written(CopyProfileText(text, 8, nullptr, 5)), L"");
}

TEST(SimpleValues, TranslateWhereStoredDifferently)
{
    ExpectFields({F(PageProtectToProfile(256), 255), F(PageProtectFromProfile(255), 256), F(PageProtectToProfile(3), 3)});

    EXPECT_EQ(DuplexFromProfile(ProfileHex(L"x0103")), 0x0101);
    EXPECT_EQ(DuplexToProfile(0x0301), 0x0303);
    const uint16_t stored[] = {0, 3, 1, 4, 2, 5};   // for layout codes 0..5
    for (uint16_t code = 0; code <= 5; ++code) {
        EXPECT_EQ(DuplexToProfile(0x0200 | code), 0x0200 | stored[code]) << "code " << code;
        EXPECT_EQ(DuplexFromProfile(0x0200 | stored[code]), 0x0200 | code) << "code " << code;
    }
    EXPECT_EQ(DuplexToProfile(0xFF06), 0xFF00) << "unknown codes store as 0, high bits stay";
    EXPECT_EQ(DuplexFromProfile(0x12345), 0x2300) << "unknown stored number, 16 bits kept";

    // Each stored number against the render bits it stands for; any other
    // number clears the pair, and unrelated bits stay.
    const uint32_t other = 0x2000, dither = kRenderDitherType1 | kRenderDitherType2,
                   raster = kRenderRasterModeA | kRenderRasterModeB;
    for (const auto& [value, ditherBits, rasterBits] :
         {std::tuple<int32_t, uint32_t, uint32_t>{0, 0, kRenderRasterModeB},
          {1, kRenderDitherType1, 0}, {2, kRenderDitherType2, kRenderRasterModeA}}) {
        EXPECT_EQ(DitherTypeToProfile(other | ditherBits), value);
        EXPECT_EQ(DitherTypeFromProfile(other | dither, value), other | ditherBits);
        EXPECT_EQ(RasterModeToProfile(other | rasterBits), value);
        EXPECT_EQ(RasterModeFromProfile(other | raster, value), other | rasterBits);
    }
    EXPECT_EQ(DitherTypeFromProfile(other | dither, 7), other);
    EXPECT_EQ(RasterModeFromProfile(other | raster, -3), other);
    EXPECT_EQ(FlagFromProfile(other, kRenderBrushPattern, 5), other | kRenderBrushPattern);
    EXPECT_EQ(FlagFromProfile(other | kPaperImproveFixing, kPaperImproveFixing, 0), other);
}

TEST(CompoundValues, ReadTolerantlyAndWriteBackCanonically)
{
    const Recode gray = Recoded<DecodeGrayLevel, EncodeGrayLevel>, size = Recoded<DecodeCustomSize, EncodeCustomSize>,
                 accessories = Recoded<DecodeAccessories, EncodeAccessories>, bias = Recoded<DecodeBias, EncodeBias>,
                 mopy = Recoded<DecodeMopy, EncodeMopy>, sleep = Recoded<DecodeSleep, EncodeSleep>,
                 macro = Recoded<Decoded<ProfileMacro, DecodeMacro>, EncodeMacro>,
                 font = Recoded<Decoded<ProfileFont, DecodeFont>, EncodeFont>;
    // Text as read, and as written back (null: unchanged, a full round trip).
    const struct { Recode recode; const ProfileChar* text; const ProfileChar* written; } cases[] = {
        {gray, L"3,65000", nullptr}, {accessories, L"x0030,x1001", nullptr},
        {size, L"1234,4321,1", nullptr}, {bias, L"x0001,-6", nullptr}, {bias, L"x0002,5", nullptr},
        {mopy, L"x0105,-1", nullptr}, {sleep, L"45,x0002", nullptr},
        {macro, L"x81,70000,5,LETTERHEAD", nullptr},
        {font, L"-14,7,900,900,700,1,1,1,128,3,2,5,x22,Courier New,x00123456,x00abcdef", nullptr},
        {bias, L"x0003,1", L"x0002,1"},                 // only x0001 is the printer's density
        {bias, L"1", L"x0001,1"},                       // hex with or without "x"
        {accessories, L"x12345", L"x2345,x2345"},       // cut to 16 bits
        // A missing item repeats the last one, read in its own base.
        {mopy, L"x0100", L"x0100,0"}, {sleep, L"30", L"30,x0030"},
        {macro, L"x7ff,-1,300", L"xff,-1,44,300"},
        {font, L"-11", L"-11,-11,-11,-11,-11,245,245,245,245,245,245,245,x11,-11,x00000011,"
                       L"x00000011"},
        {macro, L"x01,2,3,AB,CD", L"x01,2,3,AB"},       // a comma ends the name
        {macro, L"x81,70000,5,ABCDEFGHIJKLMNOPQRSTUVWX", L"x81,70000,5,ABCDEFGHIJKLMNOPQRSTUVW"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.recode(c.text), c.written ? c.written : c.text) << c.text;

    const ProfileBias manual = DecodeBias(L"x0002,5");
    ExpectFields({F(manual.on, 0), F(manual.value, 5)});
    EXPECT_EQ(Encoded(EncodeBias, ProfileBias{7, 0}), L"x0001,0") << "any set switch";

    // Full text fields are written whole and still fit the read buffer.
    ProfileMacro fullMacro = {0x81, 70000, 5, {}};
    std::copy_n(L"ABCDEFGHIJKLMNOPQRSTUVWX", kMacroNameChars, fullMacro.name);
    EXPECT_EQ(Encoded(EncodeMacro, fullMacro), L"x81,70000,5,ABCDEFGHIJKLMNOPQRSTUVWX");
    const int32_t m = INT32_MIN;
    ProfileFont longest = {m, m, m, m, m, 255, 255, 255, 255, 255, 255, 255, 255, {}, ~0u, ~0u};
    std::fill_n(longest.faceName, kFaceNameChars, L'W');
    const Text text = Encoded(EncodeFont, longest);
    EXPECT_LT(text.size(), kProfileValueChars);
    EXPECT_EQ(text.substr(text.find(L'W')), Text(32, L'W') + L",xffffffff,xffffffff");
    EXPECT_EQ(font(text.c_str()), Text(text).erase(text.find(L'W'), 1)) << "31 read back";
}

TEST(CompoundValues, TraysPaperPutsTheMultiPurposeTrayFirst)
{
    ProfileTrayPaper table[kTrayPaperEntries];
    for (size_t i = 0; i < kTrayPaperEntries; ++i)
        table[i] = {static_cast<int32_t>(100 + i), static_cast<int32_t>(200 + i)};
    EXPECT_EQ(Encoded(EncodeTraysPaper, table), L"111,211,100,200,101,201,102,202,103,203");

    const ProfileChar* text = L"43,11,9,1,1,2,-1,3,-2,-4";
    DecodeTraysPaper(text, kTraysWithIds | 0x55, table);
    EXPECT_EQ(Encoded(EncodeTraysPaper, table), text);
    EXPECT_EQ(table[4].paper, 104) << "tower-feeder trays are not in this value";
    DecodeTraysPaper(text, 0x55, table);
    EXPECT_EQ(Encoded(EncodeTraysPaper, table), L"43,-2,9,-2,1,-2,-1,-2,-2,-2") << "no tray ids";
}

TEST(WatermarkFlags, KeepOnePageSelectionWithTheLaterTestWinning)
{
    // Flags as read, their page selection, and the flags written back.
    const struct { uint32_t flags, pages, written; } cases[] = {
        {0x29, 0, 0x29}, {0x06, 1, 0x06}, {0x41, 4, 0x41}, {0x80, 16, 0x80}, {0xC0, 4, 0x40},
        {0xC2, 1, 0x02}, {0xE2, 0, 0x20}, {0x0D, 0, 0x2D}, {0x00, 0, 0x20}};
    for (const auto& c : cases) {
        const ProfileWatermarkSwitches read = WatermarkFlagsFromProfile(c.flags);
        EXPECT_EQ(read.pages, c.pages) << c.flags;
        EXPECT_EQ(WatermarkFlagsToProfile(read), c.written) << c.flags;
    }
    const ProfileWatermarkSwitches s = WatermarkFlagsFromProfile(0x0D);
    EXPECT_EQ(std::make_tuple(s.on, s.rop, s.outline),
              std::make_tuple(1u, kRopTransparent, uint8_t{1}));
    EXPECT_EQ(WatermarkFlagsToProfile({0, 0x12345, 0, 2}), 0x20u) << "other rop and pages";
    EXPECT_EQ(WatermarkFlagsToProfile(kWatermarkSwitchesAbsent), 0x28u) << "transparent, all pages";
}

TEST(CustomPaperLists, ReadWhatIsWellFormedAndWriteItBack)
{
    // Twenty papers at their longest, of which sixteen are taken.
    const Text entry = L",65535,1,-2147483648,-2147483648;";
    Text twenty = L"40;", sixteen = L"16;";
    for (int i = 0; i < 20; ++i)
        twenty += Text(20, L'N') + entry;
    for (int i = 0; i < 16; ++i)
        sixteen += Text(16, L'N') + entry;
    const Text two = L"2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;";
    const struct { const ProfileChar* text; bool read; Text written; } cases[] = {
        {two.c_str(), true, two}, {twenty.c_str(), true, sixteen},
        {L"__##NOUSE##__", false, L"0;"} /* no count at all */, {nullptr, false, L"0;"},
        {L"-4;A,300,0,1,1;", true, L"0;"},
        {L"3;A,300,0,1,2;B,301,0,3,4", true, L"1;A,300,0,1,2;"},    // unterminated entry
        {L"1;A,300,0,1,2;B,301,0,3,4;", true, L"1;A,300,0,1,2;"},   // no more than the count
        {L"2;ABCDEFGHIJKLMNOPQRSTUVWXYZ,300,7,1,2;Short;", true,
         L"2;ABCDEFGHIJKLMNOP,300,1,1,2;Short,0,0,0,0;"},
        {L"1;X,70000,1,-1,99999999999;", true, L"1;X,4464,1,-1,2147483647;"},
    };
    ProfileCustomPaperList list;
    for (const auto& c : cases) {
        list.count = 9;
        EXPECT_EQ(DecodeCustomPaperList(c.text, &list), c.read) << c.text;
        EXPECT_EQ(Encoded(EncodeCustomPaperList, list), c.written) << c.text;
    }
    EXPECT_LT(sixteen.size(), kCustomPaperListChars - 1) << "the longest list is never cut";
    ASSERT_TRUE(DecodeCustomPaperList(L"1;A,300,7,1,2;", &list));
    EXPECT_EQ(list.papers[0].flag, 1u) << "any nonzero flag reads as 1";

    list.count = 1000;      // an unterminated name, and a count the list cannot hold
    std::fill_n(list.papers[0].name, 33, L'M');
    EXPECT_EQ(Encoded(EncodeCustomPaperList, list).substr(0, 20), L"16;" + Text(16, L'M') + L",");
}

}  // namespace
