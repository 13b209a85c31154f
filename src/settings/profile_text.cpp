#include "settings/profile_text.h"

namespace {

const ProfileChar kComma = ',';
const ProfileChar kSemicolon = ';';

// Appends to a fixed buffer; whatever does not fit is dropped and the text
// stays terminated.
class TextSink {
public:
    TextSink(ProfileChar* text, size_t capacity) : text_(text), capacity_(text ? capacity : 0)
    {
        if (capacity_)
            text_[0] = 0;
    }

    void Char(ProfileChar c)
    {
        if (length_ + 1 < capacity_) {
            text_[length_++] = c;
            text_[length_] = 0;
        }
    }

    void Decimal(int32_t value)
    {
        // Work in 64 bits so that the most negative value has a magnitude.
        int64_t wide = value;
        if (wide < 0) {
            Char('-');
            wide = -wide;
        }
        ProfileChar digits[12];
        size_t count = 0;
        do {
            digits[count++] = static_cast<ProfileChar>('0' + wide % 10);
            wide /= 10;
        } while (wide != 0);
        while (count)
            Char(digits[--count]);
    }

    // "x" and at least minDigits lower-case hexadecimal digits.
    void Hex(uint32_t value, size_t minDigits)
    {
        static const char kDigits[] = "0123456789abcdef";
        ProfileChar digits[8];
        size_t count = 0;
        do {
            digits[count++] = static_cast<ProfileChar>(kDigits[value & 0xF]);
            value >>= 4;
        } while (value != 0);
        Char('x');
        for (size_t pad = count; pad < minDigits; ++pad)
            Char('0');
        while (count)
            Char(digits[--count]);
    }

    void Text(const ProfileChar* text, size_t maxChars)
    {
        for (size_t i = 0; text && i < maxChars && text[i]; ++i)
            Char(text[i]);
    }

    size_t Length() const { return length_; }

private:
    ProfileChar* text_;
    size_t capacity_;
    size_t length_ = 0;
};

bool IsBlank(ProfileChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The decimal number at the start of the text [at, end): the same rule as
// ProfileDecimal, for entries that are not terminated strings.
int32_t DecimalIn(const ProfileChar* at, const ProfileChar* end)
{
    while (at < end && IsBlank(*at))
        ++at;
    bool negative = false;
    if (at < end && (*at == '+' || *at == '-')) {
        negative = *at == '-';
        ++at;
    }
    // One past INT32_MAX is the magnitude of INT32_MIN; anything larger
    // saturates and the remaining digits are still consumed.
    const int64_t limit = int64_t(INT32_MAX) + 1;
    int64_t magnitude = 0;
    for (; at < end && *at >= '0' && *at <= '9'; ++at) {
        magnitude = magnitude * 10 + (*at - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<int32_t>(value);
}

const ProfileChar* TextEnd(const ProfileChar* text)
{
    while (*text)
        ++text;
    return text;
}

const ProfileChar* Find(const ProfileChar* at, const ProfileChar* end, ProfileChar c)
{
    while (at < end && *at != c)
        ++at;
    return at;
}

// Items are read through a buffer of the item limit.
struct Item {
    ProfileChar text[kProfileItemChars + 1];
    Item(const ProfileChar* value, size_t index)
    {
        ProfileItem(value, index, text, sizeof(text) / sizeof(text[0]));
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Reading rules

size_t ProfileItem(const ProfileChar* value, size_t index, ProfileChar* item, size_t capacity)
{
    if (!item || capacity == 0)
        return 0;
    item[0] = 0;
    if (!value)
        return 0;

    const ProfileChar* start = value;
    for (size_t skipped = 0; skipped < index; ++skipped) {
        const ProfileChar* comma = start;
        while (*comma && *comma != kComma)
            ++comma;
        if (!*comma)
            break;      // fewer commas: stay after the last one
        start = comma + 1;
    }

    size_t limit = capacity - 1 < kProfileItemChars ? capacity - 1 : kProfileItemChars;
    size_t length = 0;
    while (length < limit && start[length] && start[length] != kComma) {
        item[length] = start[length];
        ++length;
    }
    item[length] = 0;
    return length;
}

int32_t ProfileDecimal(const ProfileChar* text)
{
    if (!text)
        return 0;
    return DecimalIn(text, TextEnd(text));
}

uint32_t ProfileHex(const ProfileChar* text)
{
    uint32_t value = 0;
    for (; text && *text; ++text) {
        ProfileChar c = *text;
        if (c >= 'a' && c <= 'z')
            c = static_cast<ProfileChar>(c - 'a' + 'A');
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        value = value * 16 + digit;
    }
    return value;
}

int32_t ProfileItemDecimal(const ProfileChar* value, size_t index)
{
    return ProfileDecimal(Item(value, index).text);
}

uint32_t ProfileItemHex(const ProfileChar* value, size_t index)
{
    return ProfileHex(Item(value, index).text);
}

size_t CopyProfileText(ProfileChar* dest, size_t capacity, const ProfileChar* text,
                       size_t maxChars)
{
    TextSink sink(dest, capacity);
    sink.Text(text, maxChars);
    return sink.Length();
}

// ---------------------------------------------------------------------------
// Simple values

size_t FormatProfileDecimal(int32_t value, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Decimal(value);
    return sink.Length();
}

size_t FormatProfileHex(uint32_t value, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Hex(value, 4);
    return sink.Length();
}

int32_t FlagToProfile(uint32_t flags, uint32_t mask)
{
    return (flags & mask) ? 1 : 0;
}

uint32_t FlagFromProfile(uint32_t flags, uint32_t mask, int32_t value)
{
    return value ? (flags | mask) : (flags & ~mask);
}

int32_t DitherTypeToProfile(uint32_t renderFlags)
{
    if (renderFlags & kRenderDitherType1)
        return 1;
    if (renderFlags & kRenderDitherType2)
        return 2;
    return 0;
}

uint32_t DitherTypeFromProfile(uint32_t renderFlags, int32_t value)
{
    renderFlags &= ~(kRenderDitherType1 | kRenderDitherType2);
    if (value == 1)
        renderFlags |= kRenderDitherType1;
    else if (value == 2)
        renderFlags |= kRenderDitherType2;
    return renderFlags;
}

int32_t RasterModeToProfile(uint32_t renderFlags)
{
    if (renderFlags & kRenderRasterModeA)
        return 2;
    if (renderFlags & kRenderRasterModeB)
        return 0;
    return 1;
}

uint32_t RasterModeFromProfile(uint32_t renderFlags, int32_t value)
{
    renderFlags &= ~(kRenderRasterModeA | kRenderRasterModeB);
    if (value == 2)
        renderFlags |= kRenderRasterModeA;
    else if (value == 0)
        renderFlags |= kRenderRasterModeB;
    return renderFlags;
}

int32_t PageProtectToProfile(uint16_t pageProtect)
{
    return pageProtect == 256 ? 255 : pageProtect;
}

uint16_t PageProtectFromProfile(int32_t value)
{
    return value == 255 ? 256 : static_cast<uint16_t>(value);
}

namespace {

// Layout codes of the duplex word and their stored numbers, as pairs
// {code, stored}. Codes without a row (0 and anything above 5) store as 0,
// and stored numbers without a row read as 0.
struct DuplexCode {
    uint8_t code;
    uint8_t stored;
};
const DuplexCode kDuplexCodes[] = {
    {1, 3}, {2, 1}, {3, 4}, {4, 2}, {5, 5},
};

}  // namespace

uint16_t DuplexToProfile(uint16_t duplex)
{
    uint16_t stored = 0;
    for (const DuplexCode& row : kDuplexCodes)
        if (row.code == (duplex & kDuplexLayoutMask))
            stored = row.stored;
    return static_cast<uint16_t>((duplex & ~kDuplexLayoutMask) | stored);
}

uint16_t DuplexFromProfile(uint32_t stored)
{
    uint16_t code = 0;
    for (const DuplexCode& row : kDuplexCodes)
        if (row.stored == (stored & kDuplexLayoutMask))
            code = row.code;
    return static_cast<uint16_t>((stored & ~kDuplexLayoutMask) | code);
}

// ---------------------------------------------------------------------------
// Compound values

size_t EncodeGrayLevel(ProfileWordPair levels, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Decimal(levels.first);
    sink.Char(kComma);
    sink.Decimal(levels.second);
    return sink.Length();
}

ProfileWordPair DecodeGrayLevel(const ProfileChar* value)
{
    return {static_cast<uint16_t>(ProfileItemDecimal(value, 0)),
            static_cast<uint16_t>(ProfileItemDecimal(value, 1))};
}

size_t EncodeAccessories(ProfileWordPair words, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Hex(words.first, 4);
    sink.Char(kComma);
    sink.Hex(words.second, 4);
    return sink.Length();
}

ProfileWordPair DecodeAccessories(const ProfileChar* value)
{
    return {static_cast<uint16_t>(ProfileItemHex(value, 0)),
            static_cast<uint16_t>(ProfileItemHex(value, 1))};
}

size_t EncodeCustomSize(const ProfileCustomSize& size, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Decimal(size.width);
    sink.Char(kComma);
    sink.Decimal(size.length);
    sink.Char(kComma);
    sink.Decimal(size.unit);
    return sink.Length();
}

ProfileCustomSize DecodeCustomSize(const ProfileChar* value)
{
    return {static_cast<uint16_t>(ProfileItemDecimal(value, 0)),
            static_cast<uint16_t>(ProfileItemDecimal(value, 1)),
            static_cast<uint16_t>(ProfileItemDecimal(value, 2))};
}

size_t EncodeBias(const ProfileBias& bias, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Hex(bias.on ? 1 : 2, 4);
    sink.Char(kComma);
    sink.Decimal(bias.value);
    return sink.Length();
}

ProfileBias DecodeBias(const ProfileChar* value)
{
    return {static_cast<uint16_t>(ProfileItemHex(value, 0) == 1 ? 1 : 0),
            static_cast<int16_t>(ProfileItemDecimal(value, 1))};
}

size_t EncodeMopy(const ProfileMopy& mopy, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Hex(mopy.mode, 4);
    sink.Char(kComma);
    sink.Decimal(mopy.pin);
    return sink.Length();
}

ProfileMopy DecodeMopy(const ProfileChar* value)
{
    return {static_cast<uint16_t>(ProfileItemHex(value, 0)),
            static_cast<int16_t>(ProfileItemDecimal(value, 1))};
}

size_t EncodeSleep(const ProfileSleep& sleep, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Decimal(sleep.minutes);
    sink.Char(kComma);
    sink.Hex(sleep.mode, 4);
    return sink.Length();
}

ProfileSleep DecodeSleep(const ProfileChar* value)
{
    return {static_cast<uint16_t>(ProfileItemDecimal(value, 0)),
            static_cast<uint16_t>(ProfileItemHex(value, 1))};
}

size_t EncodeMacro(const ProfileMacro& macro, ProfileChar* text, size_t capacity)
{
    TextSink sink(text, capacity);
    sink.Hex(macro.flags, 2);
    sink.Char(kComma);
    sink.Decimal(static_cast<int32_t>(macro.id));
    sink.Char(kComma);
    sink.Decimal(macro.count);
    sink.Char(kComma);
    sink.Text(macro.name, kMacroNameChars);
    return sink.Length();
}

void DecodeMacro(const ProfileChar* value, ProfileMacro* macro)
{
    if (!macro)
        return;
    macro->flags = static_cast<uint8_t>(ProfileItemHex(value, 0));
    macro->id = static_cast<uint32_t>(ProfileItemDecimal(value, 1));
    macro->count = static_cast<uint8_t>(ProfileItemDecimal(value, 2));
    CopyProfileText(macro->name, kMacroNameChars, Item(value, 3).text, kMacroNameChars);
}

size_t EncodeFont(const ProfileFont& font, ProfileChar* text, size_t capacity)
{
    const int32_t numbers[] = {
        font.height,       font.width,        font.escapement, font.orientation,
        font.weight,       font.italic,       font.underline,  font.strikeOut,
        font.charSet,      font.outPrecision, font.clipPrecision, font.quality,
    };
    TextSink sink(text, capacity);
    for (int32_t number : numbers) {
        sink.Decimal(number);
        sink.Char(kComma);
    }
    sink.Hex(font.pitchAndFamily, 2);
    sink.Char(kComma);
    sink.Text(font.faceName, kFaceNameChars);
    sink.Char(kComma);
    sink.Hex(font.color, 8);
    sink.Char(kComma);
    sink.Hex(font.backColor, 8);
    return sink.Length();
}

void DecodeFont(const ProfileChar* value, ProfileFont* font)
{
    if (!font)
        return;
    font->height = ProfileItemDecimal(value, 0);
    font->width = ProfileItemDecimal(value, 1);
    font->escapement = ProfileItemDecimal(value, 2);
    font->orientation = ProfileItemDecimal(value, 3);
    font->weight = ProfileItemDecimal(value, 4);
    uint8_t* const bytes[] = {
        &font->italic,       &font->underline,     &font->strikeOut, &font->charSet,
        &font->outPrecision, &font->clipPrecision, &font->quality,
    };
    for (size_t i = 0; i < sizeof(bytes) / sizeof(bytes[0]); ++i)
        *bytes[i] = static_cast<uint8_t>(ProfileItemDecimal(value, 5 + i));
    font->pitchAndFamily = static_cast<uint8_t>(ProfileItemHex(value, 12));
    CopyProfileText(font->faceName, kFaceNameChars, Item(value, 13).text, kFaceNameChars);
    font->color = ProfileItemHex(value, 14);
    font->backColor = ProfileItemHex(value, 15);
}

namespace {

// Order of the entries in "TraysPaper": the multi-purpose tray first.
const size_t kTraysPaperOrder[] = {kMultiPurposeEntry, 0, 1, 2, 3};

}  // namespace

size_t EncodeTraysPaper(const ProfileTrayPaper (&table)[kTrayPaperEntries], ProfileChar* text,
                        size_t capacity)
{
    TextSink sink(text, capacity);
    bool first = true;
    for (size_t entry : kTraysPaperOrder) {
        if (!first)
            sink.Char(kComma);
        first = false;
        sink.Decimal(table[entry].paper);
        sink.Char(kComma);
        sink.Decimal(table[entry].trayId);
    }
    return sink.Length();
}

void DecodeTraysPaper(const ProfileChar* value, uint32_t modelTrays,
                      ProfileTrayPaper (&table)[kTrayPaperEntries])
{
    size_t item = 0;
    for (size_t entry : kTraysPaperOrder) {
        table[entry].paper = ProfileItemDecimal(value, item++);
        int32_t id = ProfileItemDecimal(value, item++);
        table[entry].trayId = (modelTrays & kTraysWithIds) ? id : kTrayUnused;
    }
}

namespace {

const uint32_t kWatermarkOn          = 0x01;
const uint32_t kWatermarkOutline     = 0x04;
const uint32_t kWatermarkTransparent = 0x08;
const uint32_t kWatermarkAllPages    = 0x20;

// Page selections with a bit of their own, in the order in which reading
// tests them; a later match overrides an earlier one, so "all pages" wins
// over everything and "first page" over the two others.
struct PageBit {
    uint32_t bit;
    uint32_t pages;
};
const PageBit kPageBits[] = {
    {0x80, 16}, {0x40, 4}, {0x02, 1}, {kWatermarkAllPages, 0},
};

}  // namespace

uint32_t WatermarkFlagsToProfile(const ProfileWatermarkSwitches& switches)
{
    uint32_t flags = 0;
    if (switches.on)
        flags |= kWatermarkOn;
    if (switches.rop == kRopTransparent)
        flags |= kWatermarkTransparent;
    if (switches.outline)
        flags |= kWatermarkOutline;
    uint32_t pageBit = kWatermarkAllPages;
    for (const PageBit& row : kPageBits)
        if (row.pages != 0 && row.pages == switches.pages)
            pageBit = row.bit;
    return flags | pageBit;
}

ProfileWatermarkSwitches WatermarkFlagsFromProfile(uint32_t flags)
{
    ProfileWatermarkSwitches switches;
    switches.on = (flags & kWatermarkOn) ? 1 : 0;
    switches.rop = (flags & kWatermarkTransparent) ? kRopTransparent : kRopOpaque;
    switches.outline = (flags & kWatermarkOutline) ? 1 : 0;
    switches.pages = 0;     // no page bit at all: all pages
    for (const PageBit& row : kPageBits)
        if (flags & row.bit)
            switches.pages = row.pages;
    return switches;
}

bool DecodeCustomPaperList(const ProfileChar* text, ProfileCustomPaperList* list)
{
    if (!list)
        return false;
    list->count = 0;
    if (!text)
        return false;
    const ProfileChar* end = TextEnd(text);
    const ProfileChar* countEnd = Find(text, end, kSemicolon);
    if (countEnd == end)
        return false;

    int32_t declared = DecimalIn(text, countEnd);
    size_t wanted = declared < 0 ? 0 : static_cast<size_t>(declared);
    if (wanted > kMaxCustomPapers)
        wanted = kMaxCustomPapers;

    const ProfileChar* at = countEnd + 1;
    while (list->count < wanted) {
        const ProfileChar* entryEnd = Find(at, end, kSemicolon);
        if (entryEnd == end)
            break;      // an entry without its ";" is not taken
        ProfileCustomPaper& paper = list->papers[list->count];

        const ProfileChar* field = Find(at, entryEnd, kComma);
        size_t nameLength = static_cast<size_t>(field - at);
        if (nameLength > kCustomPaperNameChars)
            nameLength = kCustomPaperNameChars;
        for (size_t i = 0; i < nameLength; ++i)
            paper.name[i] = at[i];
        for (size_t i = nameLength; i < sizeof(paper.name) / sizeof(paper.name[0]); ++i)
            paper.name[i] = 0;

        int32_t numbers[4] = {};
        for (int32_t& number : numbers) {
            if (field == entryEnd)
                break;
            const ProfileChar* next = Find(field + 1, entryEnd, kComma);
            number = DecimalIn(field + 1, next);
            field = next;
        }
        paper.code = static_cast<uint16_t>(numbers[0]);
        paper.flag = numbers[1] ? 1 : 0;
        paper.width = static_cast<uint32_t>(numbers[2]);
        paper.length = static_cast<uint32_t>(numbers[3]);

        ++list->count;
        at = entryEnd + 1;
    }
    return true;
}

size_t EncodeCustomPaperList(const ProfileCustomPaperList& list, ProfileChar* text,
                             size_t capacity)
{
    size_t count = list.count < kMaxCustomPapers ? list.count : kMaxCustomPapers;
    TextSink sink(text, capacity);
    sink.Decimal(static_cast<int32_t>(count));
    sink.Char(kSemicolon);
    for (size_t i = 0; i < count; ++i) {
        const ProfileCustomPaper& paper = list.papers[i];
        sink.Text(paper.name, kCustomPaperNameChars);
        sink.Char(kComma);
        sink.Decimal(paper.code);
        sink.Char(kComma);
        sink.Decimal(paper.flag ? 1 : 0);
        sink.Char(kComma);
        sink.Decimal(static_cast<int32_t>(paper.width));
        sink.Char(kComma);
        sink.Decimal(static_cast<int32_t>(paper.length));
        sink.Char(kSemicolon);
    }
    return sink.Length();
}
