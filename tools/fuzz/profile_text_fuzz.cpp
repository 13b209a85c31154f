// libFuzzer harness: arbitrary bytes as a profile value (UTF-16LE, up to
// the first NUL character).
//
// Beyond not crashing, the readers must agree with plainly written models
// of their rules (items, decimals), hexadecimal items must depend only on
// their last eight characters, and every compound value must survive its
// own round trip: what a decoder gives, encoded and decoded again, is the
// same, and the encoded text of a key that is read back through the
// 200-character buffer fits in it.
#include "settings/profile_text.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Text = std::u16string;

void Fail(const char* what)
{
    std::fprintf(stderr, "profile_text_fuzz: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what)
{
    if (!ok)
        Fail(what);
}

Text Terminated(const ProfileChar* text)
{
    return Text(text);
}

// Item index by splitting at every comma: the part of that number, or the
// last part when there are fewer.
Text ModelItem(const Text& value, size_t index)
{
    std::vector<Text> parts(1);
    for (char16_t c : value) {
        if (c == u',')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    Text item = parts[index < parts.size() ? index : parts.size() - 1];
    return item.substr(0, kProfileItemChars);
}

// Decimal through the C library on an ASCII rendering of the text.
int32_t ModelDecimal(const Text& text)
{
    std::string narrow;
    for (char16_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    long long value = std::strtoll(narrow.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

void CheckItems(const Text& value)
{
    // Room for more than an item may hold, so that the item limit shows.
    ProfileChar item[2 * kProfileItemChars];
    for (size_t index = 0; index < 24; ++index) {
        size_t length = ProfileItem(value.c_str(), index, item, sizeof(item) / sizeof(item[0]));
        Check(Terminated(item).size() == length, "item length matches its terminator");
        Check(Terminated(item) == ModelItem(value, index), "item differs from the model");

        ProfileChar small[6];
        size_t cut = ProfileItem(value.c_str(), index, small, sizeof(small) / sizeof(small[0]));
        Check(cut <= 5 && Terminated(small) == ModelItem(value, index).substr(0, 5),
              "item cut to a small buffer");
    }
}

void CheckNumbers(const Text& value)
{
    int32_t decimal = ProfileDecimal(value.c_str());
    Check(decimal == ModelDecimal(value), "decimal differs from strtoll");

    ProfileChar text[16];
    FormatProfileDecimal(decimal, text, 16);
    Check(ProfileDecimal(text) == decimal, "decimal round trip");

    uint32_t hex = ProfileHex(value.c_str());
    if (value.size() > 8)
        Check(hex == ProfileHex(value.substr(value.size() - 8).c_str()),
              "hex depends on more than the last eight characters");
    FormatProfileHex(hex, text, 16);
    Check(ProfileHex(text) == hex, "hex round trip");

    for (size_t index = 0; index < 4; ++index) {
        Text item = ModelItem(value, index);
        Check(ProfileItemDecimal(value.c_str(), index) == ModelDecimal(item), "item decimal");
        Check(ProfileItemHex(value.c_str(), index) == ProfileHex(item.c_str()), "item hex");
    }
}

void CheckSwitches(const Text& value)
{
    uint32_t hex = ProfileHex(value.c_str());
    int32_t decimal = ProfileDecimal(value.c_str());

    uint16_t duplex = DuplexFromProfile(hex);
    Check(DuplexFromProfile(DuplexToProfile(duplex)) == duplex, "duplex round trip");
    Check((duplex & 0xFF) <= 5, "duplex layout code out of range");

    uint16_t protect = PageProtectFromProfile(decimal);
    Check(PageProtectFromProfile(PageProtectToProfile(protect)) == protect,
          "page protection round trip");

    ProfileWatermarkSwitches switches = WatermarkFlagsFromProfile(hex);
    ProfileWatermarkSwitches again = WatermarkFlagsFromProfile(WatermarkFlagsToProfile(switches));
    Check(switches.on == again.on && switches.rop == again.rop &&
              switches.outline == again.outline && switches.pages == again.pages,
          "watermark flags round trip");

    uint32_t flags = hex;
    uint32_t dither = DitherTypeFromProfile(flags, decimal);
    Check(DitherTypeFromProfile(dither, DitherTypeToProfile(dither)) == dither, "dither round trip");
    uint32_t raster = RasterModeFromProfile(flags, decimal);
    Check(RasterModeFromProfile(raster, RasterModeToProfile(raster)) == raster, "raster round trip");
    uint32_t gray = FlagFromProfile(flags, kRenderImproveGray, decimal);
    Check(FlagFromProfile(gray, kRenderImproveGray, FlagToProfile(gray, kRenderImproveGray)) == gray,
          "flag round trip");
}

// Encodes what a decoder gave, into a buffer larger than needed so that a
// text that would be cut shows as too long rather than as a mismatch.
template <typename Encode, typename Value>
Text Encode(Encode encode, const Value& value, size_t limit)
{
    ProfileChar text[kCustomPaperListChars + 64];
    size_t length = encode(value, text, sizeof(text) / sizeof(text[0]));
    Check(length == Terminated(text).size(), "encoded length matches its terminator");
    Check(length < limit, "encoded value too long to be read back");
    return Text(text);
}

template <typename T>
bool Same(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void CheckCompounds(const Text& value)
{
    const ProfileChar* v = value.c_str();

    ProfileWordPair gray = DecodeGrayLevel(v);
    Check(Same(DecodeGrayLevel(Encode(EncodeGrayLevel, gray, kProfileValueChars).c_str()), gray),
          "gray level round trip");
    ProfileWordPair acc = DecodeAccessories(v);
    Check(Same(DecodeAccessories(Encode(EncodeAccessories, acc, kProfileValueChars).c_str()), acc),
          "accessories round trip");
    ProfileCustomSize size = DecodeCustomSize(v);
    Check(Same(DecodeCustomSize(Encode(EncodeCustomSize, size, kProfileValueChars).c_str()), size),
          "custom size round trip");
    ProfileBias bias = DecodeBias(v);
    Check(Same(DecodeBias(Encode(EncodeBias, bias, kProfileValueChars).c_str()), bias),
          "bias round trip");
    ProfileMopy mopy = DecodeMopy(v);
    Check(Same(DecodeMopy(Encode(EncodeMopy, mopy, kProfileValueChars).c_str()), mopy),
          "mopy round trip");
    ProfileSleep sleep = DecodeSleep(v);
    Check(Same(DecodeSleep(Encode(EncodeSleep, sleep, kProfileValueChars).c_str()), sleep),
          "sleep round trip");

    // Records are zeroed first so that padding and the bytes after a name's
    // terminator compare equal.
    ProfileMacro macro, macroAgain;
    std::memset(&macro, 0, sizeof(macro));
    std::memset(&macroAgain, 0, sizeof(macroAgain));
    DecodeMacro(v, &macro);
    Check(Terminated(macro.name).size() < kMacroNameChars, "macro name unterminated");
    DecodeMacro(Encode(EncodeMacro, macro, kProfileValueChars).c_str(), &macroAgain);
    Check(Same(macro, macroAgain), "macro round trip");

    ProfileFont font, fontAgain;
    std::memset(&font, 0, sizeof(font));
    std::memset(&fontAgain, 0, sizeof(fontAgain));
    DecodeFont(v, &font);
    Check(Terminated(font.faceName).size() < kFaceNameChars, "face name unterminated");
    DecodeFont(Encode(EncodeFont, font, kProfileValueChars).c_str(), &fontAgain);
    Check(Same(font, fontAgain), "font round trip");

    for (uint32_t modelTrays : {0u, kTraysWithIds}) {
        ProfileTrayPaper table[kTrayPaperEntries], again[kTrayPaperEntries];
        for (size_t i = 0; i < kTrayPaperEntries; ++i)
            table[i] = again[i] = {static_cast<int32_t>(i), -7};
        DecodeTraysPaper(v, modelTrays, table);
        DecodeTraysPaper(Encode(EncodeTraysPaper, table, kProfileValueChars).c_str(), modelTrays,
                         again);
        Check(std::memcmp(table, again, sizeof(table)) == 0, "trays paper round trip");
        for (size_t tower = 4; tower < kMultiPurposeEntry; ++tower)
            Check(table[tower].paper == static_cast<int32_t>(tower) && table[tower].trayId == -7,
                  "trays paper touched a tower-feeder tray");
    }

    ProfileCustomPaperList list, listAgain;
    std::memset(&list, 0, sizeof(list));
    std::memset(&listAgain, 0, sizeof(listAgain));
    bool counted = DecodeCustomPaperList(v, &list);
    Check(list.count <= kMaxCustomPapers, "too many custom papers");
    Check(counted || list.count == 0, "papers without a count");
    for (size_t i = 0; i < list.count; ++i) {
        Text name = Terminated(list.papers[i].name);
        Check(name.size() <= kCustomPaperNameChars, "custom paper name too long");
        Check(name.find_first_of(u",;") == Text::npos, "custom paper name holds a separator");
        Check(list.papers[i].flag <= 1, "custom paper flag not 0/1");
    }
    Text listText = Encode(EncodeCustomPaperList, list, kCustomPaperListChars);
    Check(DecodeCustomPaperList(listText.c_str(), &listAgain), "encoded list has no count");
    Check(Same(list, listAgain), "custom paper list round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Text value;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0)
            break;
        value += c;
    }
    CheckItems(value);
    CheckNumbers(value);
    CheckSwitches(value);
    CheckCompounds(value);
    return 0;
}
