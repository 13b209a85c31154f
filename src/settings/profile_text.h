// Text forms of the settings kept in settings profiles: how a value is cut
// into items, how decimal and hexadecimal items read, and the value formats
// of the keys that carry more than one number.
//
// Nothing here calls Windows or depends on its headers. Values are plain
// integers and 16-bit text, so the same code runs in the driver and in a
// native fuzzing build. ProfileChar is the driver's WCHAR; on platforms
// whose wchar_t is wider it is char16_t, which keeps the same semantics.
//
// Every decoder accepts any terminated text, however malformed: what cannot
// be read reads as 0 (or as the text that is there, for text items), never
// as a failure. Every encoder terminates its output within the capacity it
// is given and returns the number of characters written.
#pragma once

#include "settings/devmode_bits.h"

#include <cstddef>
#include <cstdint>
#include <cwchar>

#if WCHAR_MAX == 0xFFFF
using ProfileChar = wchar_t;
#else
using ProfileChar = char16_t;
#endif

// A profile value is read into this many characters, terminator included.
// Encoders of keys that are read back keep their output below it.
constexpr size_t kProfileValueChars = 200;
// At most this many characters of one item are looked at.
constexpr size_t kProfileItemChars = 200;

// ---------------------------------------------------------------------------
// Reading rules

// Copies item index of value into item: the text after the index-th ",", up
// to the next "," or the end, at most kProfileItemChars characters (and at
// most capacity - 1). A value with fewer commas gives the text after its
// last comma, and the whole value when it has none. Returns the length.
size_t ProfileItem(const ProfileChar* value, size_t index, ProfileChar* item, size_t capacity);

// Signed decimal: leading blanks, an optional sign, digits; the first other
// character ends the number; no digits read as 0. Out-of-range numbers
// saturate at the int32_t limits.
int32_t ProfileDecimal(const ProfileChar* text);

// Hexadecimal as the profiles have always been read: the text is taken in
// upper case and, from 0, every character multiplies the value by 16 and
// adds its digit value when it is 0-9 or A-F. So "x0102" reads as 0x0102,
// while a stray character inside the digits shifts the value. Only the
// last eight digits survive a longer text (arithmetic modulo 2^32).
uint32_t ProfileHex(const ProfileChar* text);

// The two conversions applied to item index of value.
int32_t ProfileItemDecimal(const ProfileChar* value, size_t index);
uint32_t ProfileItemHex(const ProfileChar* value, size_t index);

// Copies at most maxChars characters of text, stopping at its terminator,
// and terminates within capacity. A null text copies nothing. Returns the
// length copied.
size_t CopyProfileText(ProfileChar* dest, size_t capacity, const ProfileChar* text,
                       size_t maxChars);

// CopyProfileText into a whole array field.
template <size_t N>
size_t CopyProfileField(ProfileChar (&field)[N], const ProfileChar* text, size_t maxChars)
{
    return CopyProfileText(field, N, text, maxChars < N - 1 ? maxChars : N - 1);
}

// ---------------------------------------------------------------------------
// Simple values

// "%d" and "x%04x" (lower-case digits, more than four when needed).
size_t FormatProfileDecimal(int32_t value, ProfileChar* text, size_t capacity);
size_t FormatProfileHex(uint32_t value, ProfileChar* text, size_t capacity);


// A switch kept as 0/1: the value of the bit, and the flags with the bit
// set for any nonzero number.
int32_t FlagToProfile(uint32_t flags, uint32_t mask);
uint32_t FlagFromProfile(uint32_t flags, uint32_t mask, int32_t value);

// "DithType": 1 for dither type 1, 2 for type 2, 0 for neither. Reading any
// other number clears both bits.
int32_t DitherTypeToProfile(uint32_t renderFlags);
uint32_t DitherTypeFromProfile(uint32_t renderFlags, int32_t value);

// "ttraster": 2 for mode A, 0 for mode B, 1 for neither. Reading any other
// number clears both bits.
int32_t RasterModeToProfile(uint32_t renderFlags);
uint32_t RasterModeFromProfile(uint32_t renderFlags, int32_t value);

// "pgprotect": the "no page protection" value 256 is stored as 255.
int32_t PageProtectToProfile(uint16_t pageProtect);
uint16_t PageProtectFromProfile(int32_t value);

// "MDuplex": bits 8-15 are stored as they are; the layout code in the low
// byte is stored under another numbering (1→3, 2→1, 3→4, 4→2, 5→5, others
// 0) and translated back on reading (1→2, 2→4, 3→1, 4→3, 5→5, others 0).
uint16_t DuplexToProfile(uint16_t duplex);
uint16_t DuplexFromProfile(uint32_t stored);

// ---------------------------------------------------------------------------
// Compound values

// Two 16-bit numbers: "GrayLevel" ("%d,%d") and "Accessories"
// ("x%04x,x%04x").
struct ProfileWordPair {
    uint16_t first;
    uint16_t second;
};
size_t EncodeGrayLevel(ProfileWordPair levels, ProfileChar* text, size_t capacity);
ProfileWordPair DecodeGrayLevel(const ProfileChar* value);
size_t EncodeAccessories(ProfileWordPair words, ProfileChar* text, size_t capacity);
ProfileWordPair DecodeAccessories(const ProfileChar* value);

// A user-defined size in section "Default Paper": "width,length,unit".
struct ProfileCustomSize {
    uint16_t width;     // tenths of a millimetre
    uint16_t length;
    uint16_t unit;      // 0 millimetres, 1 inches
};
size_t EncodeCustomSize(const ProfileCustomSize& size, ProfileChar* text, size_t capacity);
ProfileCustomSize DecodeCustomSize(const ProfileChar* value);

// "Bias": "x0001,value" while the printer's density is used, "x0002,value"
// for a manual density. Reading, only x0001 means "printer default".
struct ProfileBias {
    uint16_t on;        // 1 printer default, 0 manual
    int16_t value;
};
size_t EncodeBias(const ProfileBias& bias, ProfileChar* text, size_t capacity);
ProfileBias DecodeBias(const ProfileChar* value);

// "Mopy": "x%04x,%d", the job-spooling word and its number.
struct ProfileMopy {
    uint16_t mode;
    int16_t pin;
};
size_t EncodeMopy(const ProfileMopy& mopy, ProfileChar* text, size_t capacity);
ProfileMopy DecodeMopy(const ProfileChar* value);

// "Sleep": "%d,x%04x", the delay in minutes and the mode.
struct ProfileSleep {
    uint16_t minutes;
    uint16_t mode;
};
size_t EncodeSleep(const ProfileSleep& sleep, ProfileChar* text, size_t capacity);
ProfileSleep DecodeSleep(const ProfileChar* value);

// "Macro": "x%02x,%d,%d,%s", switches, identifier, count and name.
constexpr size_t kMacroNameChars = 24;          // the record's name field
struct ProfileMacro {
    uint8_t flags;
    uint32_t id;
    uint8_t count;
    ProfileChar name[kMacroNameChars];          // read: at most 23 characters
};
size_t EncodeMacro(const ProfileMacro& macro, ProfileChar* text, size_t capacity);
void DecodeMacro(const ProfileChar* value, ProfileMacro* macro);

// "DtWmarkFont": the header/footer font as LOGFONT fields (twelve decimal
// items, the pitch and family in hex, the face name), then the text and
// background colours in hex.
constexpr size_t kFaceNameChars = 32;           // LOGFONT's face field
struct ProfileFont {
    int32_t height;
    int32_t width;
    int32_t escapement;
    int32_t orientation;
    int32_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t charSet;
    uint8_t outPrecision;
    uint8_t clipPrecision;
    uint8_t quality;
    uint8_t pitchAndFamily;
    ProfileChar faceName[kFaceNameChars];       // read: at most 31 characters
    uint32_t color;
    uint32_t backColor;
};
size_t EncodeFont(const ProfileFont& font, ProfileChar* text, size_t capacity);
void DecodeFont(const ProfileChar* value, ProfileFont* font);

// "TraysPaper": paper and tray id of the multi-purpose tray, then of trays
// 1 to 4. The table has the record's layout: entries 0-3 trays 1-4, 4-10 the
// tower-feeder trays (not in this value), 11 the multi-purpose tray. Tray
// ids are only taken when bit 16 of modelTrays says the model uses them;
// otherwise the five ids read as -2.
struct ProfileTrayPaper {
    int32_t paper;
    int32_t trayId;
};
size_t EncodeTraysPaper(const ProfileTrayPaper (&table)[kTrayPaperEntries], ProfileChar* text,
                        size_t capacity);
void DecodeTraysPaper(const ProfileChar* value, uint32_t modelTrays,
                      ProfileTrayPaper (&table)[kTrayPaperEntries]);

// "WMark": the watermark switches as one flag word. Bit 0 on, bit 2 outline,
// bit 3 transparent; one page-selection bit: 0x02 first page only (pages
// 1), 0x40 pages 4, 0x80 pages 16, 0x20 all pages (any other selection).
struct ProfileWatermarkSwitches {
    uint32_t on;        // 0 or 1
    uint32_t rop;       // kRopTransparent or kRopOpaque
    uint8_t outline;    // 0 or 1
    uint32_t pages;     // 0 all, 1, 4, 16
};
// What a profile without "WMark" means: off, no outline, transparent, all pages.
constexpr ProfileWatermarkSwitches kWatermarkSwitchesAbsent = {0, kRopTransparent, 0, 0};
uint32_t WatermarkFlagsToProfile(const ProfileWatermarkSwitches& switches);
ProfileWatermarkSwitches WatermarkFlagsFromProfile(uint32_t flags);

// The driver's own paper sizes: the text of printer data "CstPaper", which
// is also what the profile keeps as "UserDefinedPaper". "count;" then per
// paper "name,code,flag,width,length;". The in-memory list has the layout
// the printer-data readers use: a 32-bit count and 16 entries of 80 bytes.
constexpr size_t kMaxCustomPapers = 16;
constexpr size_t kCustomPaperNameChars = 16;
struct ProfileCustomPaper {
    ProfileChar name[33];
    uint16_t code;      // 300..315
    uint32_t flag;      // 0 or 1
    uint32_t width;     // tenths of a millimetre
    uint32_t length;
};
struct ProfileCustomPaperList {
    uint32_t count;
    ProfileCustomPaper papers[kMaxCustomPapers];
};
static_assert(sizeof(ProfileChar) == 2, "profile text is 16-bit");
static_assert(sizeof(ProfileCustomPaper) == 80, "custom paper entry");
static_assert(sizeof(ProfileCustomPaperList) == 4 + 16 * 80, "custom paper list");

// Reads the list. Returns false, with an empty list, when the text has no
// ";" and so no count (the "no papers" marker of printer initialisation).
// Takes at most 16 papers, never more than the count says, and only entries
// closed by ";"; a missing number in an entry reads as 0, names are cut to
// 16 characters and the flag reads as 0 or 1.
bool DecodeCustomPaperList(const ProfileChar* text, ProfileCustomPaperList* list);
// The longest text EncodeCustomPaperList can produce, terminator included.
constexpr size_t kCustomPaperListChars = 1024;
size_t EncodeCustomPaperList(const ProfileCustomPaperList& list, ProfileChar* text,
                             size_t capacity);
