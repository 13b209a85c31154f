// Reading and writing the text forms of profile values: the item, decimal
// and hexadecimal rules on malformed input, and each compound format's
// translation and limits.
#include "settings/profile_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using Text = std::basic_string<ProfileChar>;

Text Item(const ProfileChar* value, size_t index, size_t capacity = kProfileItemChars + 1)
{
    ProfileChar item[512];
    size_t length = ProfileItem(value, index, item, capacity);
    EXPECT_EQ(length, Text(item).size());
    return item;
}

template <typename Encode, typename Value>
Text Encoded(Encode encode, const Value& value)
{
    ProfileChar text[kCustomPaperListChars];
    size_t length = encode(value, text, kCustomPaperListChars);
    EXPECT_EQ(length, Text(text).size());
    return text;
}

TEST(ProfileItems, AreCutAtCommas)
{
    EXPECT_EQ(Item(L"12,x0003,abc", 0), L"12");
    EXPECT_EQ(Item(L"12,x0003,abc", 1), L"x0003");
    EXPECT_EQ(Item(L"12,x0003,abc", 2), L"abc");
    EXPECT_EQ(Item(L"a,,c", 1), L"");
    EXPECT_EQ(Item(L",", 0), L"");
}

TEST(ProfileItems, MissingItemsRepeatTheTextAfterTheLastComma)
{
    EXPECT_EQ(Item(L"12,34", 2), L"34");
    EXPECT_EQ(Item(L"12,34", 9), L"34");
    EXPECT_EQ(Item(L"solo", 3), L"solo") << "no comma: the whole value";
    EXPECT_EQ(Item(L"12,", 5), L"") << "a trailing comma leaves nothing after it";
    EXPECT_EQ(Item(L"", 0), L"");
    EXPECT_EQ(Item(nullptr, 0), L"");
}

TEST(ProfileItems, AreLimitedToTwoHundredCharactersAndTheBuffer)
{
    Text longItem(300, L'7');
    Text value = L"1," + longItem + L",2";
    EXPECT_EQ(Item(value.c_str(), 1), Text(200, L'7'));
    EXPECT_EQ(Item(value.c_str(), 2), L"2") << "the cut item does not move the next one";
    EXPECT_EQ(Item(value.c_str(), 1, 6), L"77777");

    ProfileChar untouched[1] = {L'Q'};
    EXPECT_EQ(ProfileItem(L"abc", 0, untouched, 0), 0u);
    EXPECT_EQ(untouched[0], L'Q') << "a zero capacity writes nothing";
}

TEST(ProfileDecimals, FollowTheUsualSignedConversion)
{
    EXPECT_EQ(ProfileDecimal(L"42"), 42);
    EXPECT_EQ(ProfileDecimal(L"  \t-17"), -17);
    EXPECT_EQ(ProfileDecimal(L"+8"), 8);
    EXPECT_EQ(ProfileDecimal(L"12abc"), 12);
    EXPECT_EQ(ProfileDecimal(L"3 4"), 3);
    EXPECT_EQ(ProfileDecimal(L"x0010"), 0) << "hex text is no decimal";
    EXPECT_EQ(ProfileDecimal(L"- 5"), 0);
    EXPECT_EQ(ProfileDecimal(L"--5"), 0);
    EXPECT_EQ(ProfileDecimal(L""), 0);
    EXPECT_EQ(ProfileDecimal(nullptr), 0);
}

TEST(ProfileDecimals, SaturateInsteadOfOverflowing)
{
    EXPECT_EQ(ProfileDecimal(L"2147483647"), INT32_MAX);
    EXPECT_EQ(ProfileDecimal(L"2147483648"), INT32_MAX);
    EXPECT_EQ(ProfileDecimal(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(ProfileDecimal(L"-2147483649"), INT32_MIN);
    EXPECT_EQ(ProfileDecimal(L"99999999999999999999999"), INT32_MAX);
    Text digits(199, L'9');
    EXPECT_EQ(ProfileDecimal((L"-" + digits).c_str()), INT32_MIN);
    EXPECT_EQ(ProfileDecimal(L"0000000000000000000000012"), 12) << "leading zeros are no overflow";
}

TEST(ProfileHexItems, ReadEveryCharacterAsAPlace)
{
    EXPECT_EQ(ProfileHex(L"x0102"), 0x0102u);
    EXPECT_EQ(ProfileHex(L"X0102"), 0x0102u);
    EXPECT_EQ(ProfileHex(L"xabcd"), 0xABCDu) << "lower case digits";
    EXPECT_EQ(ProfileHex(L"0x10"), 0x10u);
    EXPECT_EQ(ProfileHex(L"12"), 0x12u) << "no prefix needed";
    // A character that is not a digit adds nothing but still takes a place.
    EXPECT_EQ(ProfileHex(L"1x"), 0x10u);
    EXPECT_EQ(ProfileHex(L"x01 "), 0x10u);
    EXPECT_EQ(ProfileHex(L"1G2"), 0x102u);
    EXPECT_EQ(ProfileHex(L""), 0u);
    EXPECT_EQ(ProfileHex(nullptr), 0u);
}

TEST(ProfileHexItems, KeepTheLastEightDigitsOfLongText)
{
    EXPECT_EQ(ProfileHex(L"xffffffff"), 0xFFFFFFFFu);
    EXPECT_EQ(ProfileHex(L"x123456789"), 0x23456789u);
    EXPECT_EQ(ProfileHex(Text(200, L'F').c_str()), 0xFFFFFFFFu);
}

TEST(ProfileHexItems, AreTakenFromTheirItem)
{
    EXPECT_EQ(ProfileItemHex(L"x0001,x00f0", 1), 0xF0u);
    EXPECT_EQ(ProfileItemHex(L"x0001", 1), 1u) << "DefaultSet written as one item reads from item 1";
    EXPECT_EQ(ProfileItemDecimal(L"x0001,-5", 1), -5);
}

TEST(ProfileNumbers, AreWrittenLikePrintf)
{
    ProfileChar text[16];
    FormatProfileHex(1, text, 16);
    EXPECT_EQ(Text(text), L"x0001");
    FormatProfileHex(0xABCDE, text, 16);
    EXPECT_EQ(Text(text), L"xabcde");
    FormatProfileHex(0xFFFFFFFF, text, 16);
    EXPECT_EQ(Text(text), L"xffffffff");
    FormatProfileDecimal(INT32_MIN, text, 16);
    EXPECT_EQ(Text(text), L"-2147483648");
    FormatProfileDecimal(0, text, 16);
    EXPECT_EQ(Text(text), L"0");
}

TEST(ProfileNumbers, AreCutToTheirBuffer)
{
    ProfileChar text[3] = {L'?', L'?', L'?'};
    EXPECT_EQ(FormatProfileDecimal(-12345, text, 3), 2u);
    EXPECT_EQ(Text(text), L"-1");
    EXPECT_EQ(FormatProfileHex(0x1234, text, 1), 0u);
    EXPECT_EQ(text[0], 0);
}

TEST(ProfileText, IsCopiedWithinBothLimits)
{
    ProfileChar dest[8];
    EXPECT_EQ(CopyProfileText(dest, 8, L"ABCDEFGHIJ", 5), 5u);
    EXPECT_EQ(Text(dest), L"ABCDE");
    EXPECT_EQ(CopyProfileText(dest, 8, L"ABCDEFGHIJ", 50), 7u);
    EXPECT_EQ(Text(dest), L"ABCDEFG");
    EXPECT_EQ(CopyProfileText(dest, 8, nullptr, 5), 0u);
    EXPECT_EQ(Text(dest), L"");
}

TEST(PageProtectValues, StoreNoProtectionAs255)
{
    EXPECT_EQ(PageProtectToProfile(256), 255);
    EXPECT_EQ(PageProtectFromProfile(255), 256);
    EXPECT_EQ(PageProtectToProfile(3), 3);
    EXPECT_EQ(PageProtectFromProfile(3), 3);
    EXPECT_EQ(PageProtectFromProfile(256), 256);
    EXPECT_EQ(PageProtectToProfile(0), 0);
}

TEST(DuplexValues, TranslateTheLayoutCode)
{
    EXPECT_EQ(DuplexFromProfile(ProfileHex(L"x0103")), 0x0101);
    EXPECT_EQ(DuplexToProfile(0x0301), 0x0303);

    const uint16_t stored[] = {0, 3, 1, 4, 2, 5};   // for codes 0..5
    for (uint16_t code = 0; code <= 5; ++code) {
        EXPECT_EQ(DuplexToProfile(0x0200 | code), 0x0200 | stored[code]) << "code " << code;
        EXPECT_EQ(DuplexFromProfile(0x0200 | stored[code]), 0x0200 | code) << "code " << code;
    }
    EXPECT_EQ(DuplexToProfile(0xFF06), 0xFF00) << "unknown codes store as 0, high bits stay";
    EXPECT_EQ(DuplexFromProfile(0x01FF), 0x0100);
    EXPECT_EQ(DuplexFromProfile(0x12345), 0x2300) << "only 16 bits are kept";
}

TEST(RenderSwitches, MapTheirBits)
{
    const uint32_t other = 0x2000;
    EXPECT_EQ(DitherTypeToProfile(other | kRenderDitherType1), 1);
    EXPECT_EQ(DitherTypeToProfile(other | kRenderDitherType2), 2);
    EXPECT_EQ(DitherTypeToProfile(other), 0);
    EXPECT_EQ(DitherTypeFromProfile(other | kRenderDitherType1, 2), other | kRenderDitherType2);
    EXPECT_EQ(DitherTypeFromProfile(other | kRenderDitherType2, 7), other);

    EXPECT_EQ(RasterModeToProfile(kRenderRasterModeA), 2);
    EXPECT_EQ(RasterModeToProfile(kRenderRasterModeB), 0);
    EXPECT_EQ(RasterModeToProfile(other), 1);
    EXPECT_EQ(RasterModeFromProfile(other | kRenderRasterModeA, 0), other | kRenderRasterModeB);
    EXPECT_EQ(RasterModeFromProfile(other | kRenderRasterModeB, 2), other | kRenderRasterModeA);
    EXPECT_EQ(RasterModeFromProfile(other | kRenderRasterModeA, 1), other);
    EXPECT_EQ(RasterModeFromProfile(other | kRenderRasterModeA, -3), other);

    EXPECT_EQ(FlagToProfile(kRenderImproveGray | other, kRenderImproveGray), 1);
    EXPECT_EQ(FlagToProfile(other, kRenderImproveGray), 0);
    EXPECT_EQ(FlagFromProfile(other, kRenderBrushPattern, 5), other | kRenderBrushPattern);
    EXPECT_EQ(FlagFromProfile(other | kPaperImproveFixing, kPaperImproveFixing, 0), other);
}

TEST(BiasValues, MarkPrinterDefaultWithOne)
{
    ProfileBias bias = DecodeBias(L"x0002,5");
    EXPECT_EQ(bias.on, 0);
    EXPECT_EQ(bias.value, 5);
    bias = DecodeBias(L"x0001,-6");
    EXPECT_EQ(bias.on, 1);
    EXPECT_EQ(bias.value, -6);
    EXPECT_EQ(DecodeBias(L"x0003,1").on, 0) << "only x0001 means printer default";
    EXPECT_EQ(DecodeBias(L"1").on, 1) << "read as hex, prefix or not";

    EXPECT_EQ(Encoded(EncodeBias, ProfileBias{1, -3}), L"x0001,-3");
    EXPECT_EQ(Encoded(EncodeBias, ProfileBias{0, 6}), L"x0002,6");
    EXPECT_EQ(Encoded(EncodeBias, ProfileBias{7, 0}), L"x0001,0") << "any set switch";
}

TEST(MopyAndSleepValues, PairHexWithDecimal)
{
    EXPECT_EQ(Encoded(EncodeMopy, ProfileMopy{0x0105, -1}), L"x0105,-1");
    ProfileMopy mopy = DecodeMopy(L"x0105,4321");
    EXPECT_EQ(mopy.mode, 0x0105);
    EXPECT_EQ(mopy.pin, 4321);
    mopy = DecodeMopy(L"x0100");
    EXPECT_EQ(mopy.mode, 0x0100);
    EXPECT_EQ(mopy.pin, 0) << "the lone item read again as decimal";

    EXPECT_EQ(Encoded(EncodeSleep, ProfileSleep{45, 2}), L"45,x0002");
    ProfileSleep sleep = DecodeSleep(L"15,x0003");
    EXPECT_EQ(sleep.minutes, 15);
    EXPECT_EQ(sleep.mode, 3);
    sleep = DecodeSleep(L"30");
    EXPECT_EQ(sleep.minutes, 30);
    EXPECT_EQ(sleep.mode, 0x30) << "the lone item read again as hex";
}

TEST(PairValues, GrayLevelIsDecimalAndAccessoriesHex)
{
    EXPECT_EQ(Encoded(EncodeGrayLevel, ProfileWordPair{3, 65000}), L"3,65000");
    ProfileWordPair pair = DecodeGrayLevel(L"3,65000");
    EXPECT_EQ(pair.first, 3);
    EXPECT_EQ(pair.second, 65000);

    EXPECT_EQ(Encoded(EncodeAccessories, ProfileWordPair{0x30, 0x1001}), L"x0030,x1001");
    pair = DecodeAccessories(L"x0030,x1001");
    EXPECT_EQ(pair.first, 0x30);
    EXPECT_EQ(pair.second, 0x1001);
    pair = DecodeAccessories(L"x12345");
    EXPECT_EQ(pair.first, 0x2345) << "cut to the 16-bit field";
    EXPECT_EQ(pair.second, 0x2345);
}

TEST(CustomSizeValues, KeepWidthLengthAndUnit)
{
    EXPECT_EQ(Encoded(EncodeCustomSize, ProfileCustomSize{1234, 4321, 1}), L"1234,4321,1");
    ProfileCustomSize size = DecodeCustomSize(L"762,1160,0");
    EXPECT_EQ(size.width, 762);
    EXPECT_EQ(size.length, 1160);
    EXPECT_EQ(size.unit, 0);
}

TEST(MacroValues, CarryANameOfAtMostTwentyFourCharacters)
{
    ProfileMacro macro = {0x81, 70000, 5, {}};
    CopyProfileText(macro.name, kMacroNameChars, L"LETTERHEAD", 50);
    EXPECT_EQ(Encoded(EncodeMacro, macro), L"x81,70000,5,LETTERHEAD");

    ProfileMacro back = {};
    DecodeMacro(L"x81,70000,5,LETTERHEAD", &back);
    EXPECT_EQ(back.flags, 0x81);
    EXPECT_EQ(back.id, 70000u);
    EXPECT_EQ(back.count, 5);
    EXPECT_EQ(Text(back.name), L"LETTERHEAD");

    // A full, unterminated name field is written whole and read back cut
    // to fit with its terminator.
    for (size_t i = 0; i < kMacroNameChars; ++i)
        macro.name[i] = static_cast<ProfileChar>(L'A' + i);
    Text full = Encoded(EncodeMacro, macro);
    EXPECT_EQ(full, L"x81,70000,5,ABCDEFGHIJKLMNOPQRSTUVWX");
    DecodeMacro(full.c_str(), &back);
    EXPECT_EQ(Text(back.name), L"ABCDEFGHIJKLMNOPQRSTUVW");

    DecodeMacro(L"x01,2,3,AB,CD", &back);
    EXPECT_EQ(Text(back.name), L"AB") << "a comma ends the name";
    DecodeMacro(L"x7ff,-1,300", &back);
    EXPECT_EQ(back.flags, 0xFF);
    EXPECT_EQ(back.id, 0xFFFFFFFFu);
    EXPECT_EQ(back.count, 300 & 0xFF);
    EXPECT_EQ(Text(back.name), L"300") << "missing name: the last item again";
}

ProfileFont SampleFont()
{
    ProfileFont font = {-14, 7, 900, 900, 700, 1, 1, 1, 128, 3, 2, 5, 0x22, {}, 0x123456, 0xABCDEF};
    CopyProfileText(font.faceName, kFaceNameChars, L"Courier New", 50);
    return font;
}

void ExpectSameFont(const ProfileFont& a, const ProfileFont& b)
{
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.escapement, b.escapement);
    EXPECT_EQ(a.orientation, b.orientation);
    EXPECT_EQ(a.weight, b.weight);
    EXPECT_EQ(a.italic, b.italic);
    EXPECT_EQ(a.underline, b.underline);
    EXPECT_EQ(a.strikeOut, b.strikeOut);
    EXPECT_EQ(a.charSet, b.charSet);
    EXPECT_EQ(a.outPrecision, b.outPrecision);
    EXPECT_EQ(a.clipPrecision, b.clipPrecision);
    EXPECT_EQ(a.quality, b.quality);
    EXPECT_EQ(a.pitchAndFamily, b.pitchAndFamily);
    EXPECT_EQ(Text(a.faceName), Text(b.faceName));
    EXPECT_EQ(a.color, b.color);
    EXPECT_EQ(a.backColor, b.backColor);
}

TEST(FontValues, HoldSixteenItems)
{
    ProfileFont font = SampleFont();
    Text text = Encoded(EncodeFont, font);
    EXPECT_EQ(text, L"-14,7,900,900,700,1,1,1,128,3,2,5,x22,Courier New,x00123456,x00abcdef");
    ProfileFont back = {};
    DecodeFont(text.c_str(), &back);
    ExpectSameFont(back, font);
}

TEST(FontValues, StayReadableAtTheirLongest)
{
    ProfileFont font = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN,
                        255, 255, 255, 255, 255, 255, 255, 255, {}, 0xFFFFFFFF, 0xFFFFFFFF};
    for (ProfileChar& c : font.faceName)
        c = L'W';   // unterminated: 32 characters are written
    Text text = Encoded(EncodeFont, font);
    ASSERT_LT(text.size(), kProfileValueChars) << "must survive the 200-character read";
    ProfileFont back = {};
    DecodeFont(text.c_str(), &back);
    font.faceName[kFaceNameChars - 1] = 0;
    ExpectSameFont(back, font);
}

TEST(FontValues, ToleratePartsMissing)
{
    ProfileFont font = SampleFont();
    DecodeFont(L"-11", &font);
    EXPECT_EQ(font.height, -11);
    EXPECT_EQ(font.weight, -11) << "every item repeats the lone one";
    EXPECT_EQ(font.italic, 0xF5);
    EXPECT_EQ(font.pitchAndFamily, 0x11);
    EXPECT_EQ(Text(font.faceName), L"-11");
    DecodeFont(L"", &font);
    EXPECT_EQ(font.height, 0);
    EXPECT_EQ(Text(font.faceName), L"");
}

TEST(TraysPaperValues, PutTheMultiPurposeTrayFirst)
{
    ProfileTrayPaper table[kTrayPaperEntries];
    for (size_t i = 0; i < kTrayPaperEntries; ++i)
        table[i] = {static_cast<int32_t>(100 + i), static_cast<int32_t>(200 + i)};
    EXPECT_EQ(Encoded(EncodeTraysPaper, table), L"111,211,100,200,101,201,102,202,103,203");
}

TEST(TraysPaperValues, TakeTrayIdsOnlyWhenTheModelUsesThem)
{
    const ProfileChar* text = L"43,11,9,1,1,2,-1,3,-2,-2";
    ProfileTrayPaper table[kTrayPaperEntries];
    for (ProfileTrayPaper& entry : table)
        entry = {77, 77};

    DecodeTraysPaper(text, kTraysWithIds | 0x55, table);
    EXPECT_EQ(table[kMultiPurposeEntry].paper, 43);
    EXPECT_EQ(table[kMultiPurposeEntry].trayId, 11);
    EXPECT_EQ(table[0].paper, 9);
    EXPECT_EQ(table[0].trayId, 1);
    EXPECT_EQ(table[2].paper, -1);
    EXPECT_EQ(table[2].trayId, 3);
    EXPECT_EQ(table[3].paper, -2);
    for (size_t tower = 4; tower < kMultiPurposeEntry; ++tower)
        EXPECT_EQ(table[tower].paper, 77) << "tower-feeder trays are not in this value";

    DecodeTraysPaper(text, 0x55, table);
    EXPECT_EQ(table[kMultiPurposeEntry].paper, 43);
    for (size_t entry : {size_t(0), size_t(1), size_t(2), size_t(3), kMultiPurposeEntry})
        EXPECT_EQ(table[entry].trayId, kTrayUnused) << "entry " << entry;
}

TEST(TraysPaperValues, StayReadableAtTheirLongest)
{
    ProfileTrayPaper table[kTrayPaperEntries];
    for (ProfileTrayPaper& entry : table)
        entry = {INT32_MIN, INT32_MIN};
    Text text = Encoded(EncodeTraysPaper, table);
    EXPECT_LT(text.size(), kProfileValueChars);
}

TEST(WatermarkFlags, EncodeTheSwitches)
{
    EXPECT_EQ(WatermarkFlagsToProfile({1, kRopTransparent, 0, 0}), 0x29u);
    EXPECT_EQ(WatermarkFlagsToProfile({0, kRopOpaque, 1, 1}), 0x06u);
    EXPECT_EQ(WatermarkFlagsToProfile({1, kRopOpaque, 0, 4}), 0x41u);
    EXPECT_EQ(WatermarkFlagsToProfile({0, kRopOpaque, 0, 16}), 0x80u);
    EXPECT_EQ(WatermarkFlagsToProfile({0, kRopOpaque, 0, 2}), 0x20u) << "unknown pages: all";
    EXPECT_EQ(WatermarkFlagsToProfile({0, 0x12345, 0, 0}), 0x20u) << "any other rop is opaque";
}

TEST(WatermarkFlags, DecodeWithTheLaterPageTestWinning)
{
    EXPECT_EQ(WatermarkFlagsFromProfile(0x80).pages, 16u);
    EXPECT_EQ(WatermarkFlagsFromProfile(0xC0).pages, 4u);
    EXPECT_EQ(WatermarkFlagsFromProfile(0xC2).pages, 1u);
    EXPECT_EQ(WatermarkFlagsFromProfile(0xE2).pages, 0u);
    EXPECT_EQ(WatermarkFlagsFromProfile(0x01).pages, 0u) << "no page bit: all pages";

    ProfileWatermarkSwitches s = WatermarkFlagsFromProfile(0x0D);
    EXPECT_EQ(s.on, 1u);
    EXPECT_EQ(s.outline, 1);
    EXPECT_EQ(s.rop, kRopTransparent);
    s = WatermarkFlagsFromProfile(0x20);
    EXPECT_EQ(s.on, 0u);
    EXPECT_EQ(s.outline, 0);
    EXPECT_EQ(s.rop, kRopOpaque);

    EXPECT_EQ(kWatermarkSwitchesAbsent.on, 0u);
    EXPECT_EQ(kWatermarkSwitchesAbsent.rop, kRopTransparent);
    EXPECT_EQ(kWatermarkSwitchesAbsent.pages, 0u);

    for (uint32_t pages : {0u, 1u, 4u, 16u}) {
        ProfileWatermarkSwitches in = {1, kRopOpaque, 1, pages};
        ProfileWatermarkSwitches out = WatermarkFlagsFromProfile(WatermarkFlagsToProfile(in));
        EXPECT_EQ(out.pages, pages);
        EXPECT_EQ(out.on, 1u);
        EXPECT_EQ(out.outline, 1);
        EXPECT_EQ(out.rop, kRopOpaque);
    }
}

TEST(CustomPaperLists, ReadNamesCodesAndSizes)
{
    ProfileCustomPaperList list;
    ASSERT_TRUE(DecodeCustomPaperList(L"2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;",
                                      &list));
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(Text(list.papers[0].name), L"Banner 20");
    EXPECT_EQ(list.papers[0].code, 300);
    EXPECT_EQ(list.papers[0].flag, 1u);
    EXPECT_EQ(list.papers[0].width, 1234u);
    EXPECT_EQ(list.papers[0].length, 4321u);
    EXPECT_EQ(Text(list.papers[1].name), L"Wide label");
    EXPECT_EQ(list.papers[1].code, 301);
    EXPECT_EQ(list.papers[1].flag, 0u);
    EXPECT_EQ(Encoded(EncodeCustomPaperList, list),
              L"2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;");
}

TEST(CustomPaperLists, WithoutACountAreEmpty)
{
    ProfileCustomPaperList list;
    list.count = 9;
    EXPECT_FALSE(DecodeCustomPaperList(L"__##NOUSE##__", &list));
    EXPECT_EQ(list.count, 0u);
    EXPECT_FALSE(DecodeCustomPaperList(L"", &list));
    EXPECT_FALSE(DecodeCustomPaperList(nullptr, &list));
    EXPECT_TRUE(DecodeCustomPaperList(L"0;", &list));
    EXPECT_EQ(list.count, 0u);
    EXPECT_TRUE(DecodeCustomPaperList(L"-4;A,300,0,1,1;", &list));
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(Encoded(EncodeCustomPaperList, list), L"0;");
}

TEST(CustomPaperLists, TakeOnlyWhatIsThereAndAtMostSixteen)
{
    ProfileCustomPaperList list;
    ASSERT_TRUE(DecodeCustomPaperList(L"3;A,300,0,1,2;B,301,0,3,4", &list));
    EXPECT_EQ(list.count, 1u) << "the unterminated entry is not taken";

    ASSERT_TRUE(DecodeCustomPaperList(L"1;A,300,0,1,2;B,301,0,3,4;", &list));
    EXPECT_EQ(list.count, 1u) << "no more than the count";

    Text many = L"40;";
    for (int i = 0; i < 20; ++i)
        many += L"P" + std::to_wstring(i) + L"," + std::to_wstring(300 + i) + L",1,100,200;";
    ASSERT_TRUE(DecodeCustomPaperList(many.c_str(), &list));
    EXPECT_EQ(list.count, 16u);
    EXPECT_EQ(Text(list.papers[15].name), L"P15");
    EXPECT_EQ(list.papers[15].code, 315);
}

TEST(CustomPaperLists, CutNamesAndReadMissingNumbersAsZero)
{
    ProfileCustomPaperList list;
    ASSERT_TRUE(DecodeCustomPaperList(L"2;ABCDEFGHIJKLMNOPQRSTUVWXYZ,300,7,1,2;Short;", &list));
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(Text(list.papers[0].name), L"ABCDEFGHIJKLMNOP");
    EXPECT_EQ(list.papers[0].flag, 1u) << "any nonzero flag is 1";
    EXPECT_EQ(Text(list.papers[1].name), L"Short");
    EXPECT_EQ(list.papers[1].code, 0);
    EXPECT_EQ(list.papers[1].width, 0u);
    EXPECT_EQ(list.papers[1].length, 0u);

    ASSERT_TRUE(DecodeCustomPaperList(L"1;X,70000,1,-1,99999999999;", &list));
    EXPECT_EQ(list.papers[0].code, 70000 & 0xFFFF) << "the code is a 16-bit value";
    EXPECT_EQ(list.papers[0].width, 0xFFFFFFFFu);
    EXPECT_EQ(list.papers[0].length, static_cast<uint32_t>(INT32_MAX));
}

TEST(CustomPaperLists, FitTheirBufferWhenFull)
{
    ProfileCustomPaperList list = {};
    list.count = 1000;      // more than the list holds: only 16 are written
    for (ProfileCustomPaper& paper : list.papers) {
        paper = {{}, 0xFFFF, 0xFFFFFFFF, 0x80000000, 0x80000000};
        for (size_t i = 0; i < 32; ++i)
            paper.name[i] = L'N';   // a 32-character name is cut to 16
    }
    Text text = Encoded(EncodeCustomPaperList, list);
    EXPECT_LT(text.size(), kCustomPaperListChars - 1) << "nothing may be cut off";
    ProfileCustomPaperList back;
    ASSERT_TRUE(DecodeCustomPaperList(text.c_str(), &back));
    ASSERT_EQ(back.count, 16u);
    EXPECT_EQ(Text(back.papers[3].name), Text(16, L'N'));
    EXPECT_EQ(back.papers[3].width, 0x80000000u);
}

}  // namespace
