#include "spooler/capability_tables.h"

#include "settings/devmode_bits.h"

#include <cmath>
#include <cstring>

namespace {

struct KeywordCode {
    const char* keyword;
    UINT code;
};

const KeywordCode kPaperNames[] = {
    {"A4", 553},                 {"A5", 554},                {"A5Transverse", 4209},
    {"B5", 555},                 {"Com10", 556},             {"DL", 557},
    {"C5", 558},                 {"Monarch", 559},           {"OrganizerJ", 560},
    {"OrganizerK", 561},         {"OrganizerL", 562},        {"OrganizerM", 563},
    {"3x5", 564},                {"A4Long", 565},            {"User", 566},
    {"Oficio", 4221},            {"LetterShortEdge", 567},   {"LetterLongEdge", 568},
    {"A4ShortEdge", 569},        {"A4LongEdge", 570},        {"ExecutiveShortEdge", 571},
    {"ExecutiveLongEdge", 572},  {"A6", 2012},               {"B6", 573},
    {"A3", 574},                 {"Ledger", 575},            {"B5ShortEdge", 576},
    {"B5LongEdge", 577},         {"JISB4", 578},             {"Letter", 550},
    {"Legal", 551},              {"Executive", 552},         {"JISB5", 4204},
    {"Postcard", 4205},          {"JE4", 4206},              {"JL3", 4207},
    {"DLYOKO", 4233},
};

// The same names the property pages show for the input-slot options.
const KeywordCode kTrayNames[] = {
    {"AutoSelect", 3062}, {"Dual", 3062},   {"Upper", 3048},   {"Cassette", 3048},
    {"Tray", 3048},       {"Tray1", 3048},  {"Lower", 3049},   {"Tray2", 3049},
    {"Tray3", 3050},      {"Tray4", 3051},  {"MPTray", 3052},  {"ManualFeed", 1088},
    {"Tower1", 3054},     {"Tower2", 3055}, {"Tower3", 3056},  {"Tower4", 3057},
    {"Tower5", 3058},     {"Tower6", 3059}, {"Tower7", 3060},  {"TrayID1", 3904},
    {"TrayID2", 3905},    {"TrayID3", 3906}, {"TrayID4", 3907},
};

template <size_t N>
UINT Look(const KeywordCode (&table)[N], const char* keyword, UINT missing)
{
    if (keyword)
        for (const KeywordCode& row : table)
            if (std::strcmp(row.keyword, keyword) == 0)
                return row.code;
    return missing;
}

// Trays that depend on optional feeders: the slots in [first, last] exist
// only when one of the accessory bits in anyOf is set. Slots without a row
// always exist.
enum TrayFamily : uint8_t {
    kFamily44A9,
    kFamily48A5,
    kFamily240A5,
    kFamilyFeeders,      // any other tray word with bit 0x20
    kFamilyLowerTray,    // bit 0x20 clear, bit 0x08 set
    kFamilyFixed,
};

struct TrayRule {
    TrayFamily family;
    uint8_t first;
    uint8_t last;
    BYTE anyOf;
};

const TrayRule kTrayRules[] = {
    {kFamily44A9, 2, 2, 0x01},      {kFamily44A9, 3, 3, 0x02},
    {kFamily44A9, 4, 4, 0x04},      {kFamily44A9, 11, 13, 0xD0},
    {kFamily44A9, 14, 15, 0xC0},    {kFamily44A9, 16, 17, 0x80},
    {kFamily48A5, 3, 3, 0x07},      {kFamily48A5, 4, 4, 0x02},
    {kFamily48A5, 5, 6, 0x08},
    {kFamily240A5, 3, 3, 0x02},     {kFamily240A5, 4, 4, 0x04},
    {kFamilyFeeders, 2, 2, 0x01},   {kFamilyFeeders, 3, 3, 0x02},
    {kFamilyLowerTray, 2, 2, 0x01},
};

TrayFamily FamilyOf(uint32_t modelTrays)
{
    switch (modelTrays) {
    case 0x44A9: return kFamily44A9;
    case 0x48A5: return kFamily48A5;
    case 0x240A5: return kFamily240A5;
    default: break;
    }
    if (modelTrays & kTraysFeederFamily)
        return kFamilyFeeders;
    return (modelTrays & kTraysLowerTrayFamily) ? kFamilyLowerTray : kFamilyFixed;
}

} // namespace

UINT PaperNameId(const char* keyword)
{
    return Look(kPaperNames, keyword, 0);
}

UINT TrayNameId(const char* keyword)
{
    return Look(kTrayNames, keyword, 0);
}

LONG TenthsMmOfFixedPoints(int32_t value)
{
    // 18432 units per inch; microns first, then tenths of a millimetre.
    float microns = std::trunc(static_cast<float>(value) * 25400.0f / 18432.0f);
    return static_cast<LONG>(std::trunc(microns / 100.0f));
}

bool IsTrayOffered(uint32_t modelTrays, BYTE accessories, uint32_t index)
{
    const TrayFamily family = FamilyOf(modelTrays);
    for (const TrayRule& rule : kTrayRules)
        if (rule.family == family && index >= rule.first && index <= rule.last)
            return (accessories & rule.anyOf) != 0;
    return true;
}
