#include "ui/custom_paper_rules.h"

#include "ui/decimal_entry.h"

#include <cstring>

namespace {

// What the printer feeds, in tenths of a millimetre: 3 x 4.57 in up to
// 8.5 x 16 in.
const ShownRange kTenthsMmRanges[kPaperDimensions] = {
    {762, 2159},    // width
    {1160, 4064},   // height
};

LONG InchesOfTenthsMm(LONG tenthsMm)
{
    return MulDiv(tenthsMm, 100, 254);
}

void ClearEntry(ProfileCustomPaper* paper)
{
    std::memset(paper, 0, sizeof(*paper));
}

BOOL CodeUsed(const ProfileCustomPaperList& list, WORD code, uint32_t before)
{
    for (uint32_t i = 0; i < before && i < kMaxCustomPapers; ++i)
        if (list.papers[i].code == code)
            return TRUE;
    return FALSE;
}

WORD LowestFreeCode(const ProfileCustomPaperList& list)
{
    for (WORD code = kFirstCustomPaperCode; code <= kLastCustomPaperCode; ++code)
        if (!CodeUsed(list, code, list.count))
            return code;
    return 0;
}

void RemoveEntry(ProfileCustomPaperList* list, uint32_t index)
{
    for (uint32_t i = index; i + 1 < list->count; ++i)
        list->papers[i] = list->papers[i + 1];
    ClearEntry(&list->papers[--list->count]);
}

} // namespace

PaperUnit PaperUnitOf(WORD stored)
{
    return stored == kUnitInch ? kUnitInch : kUnitMillimetre;
}

int UnitDecimals(PaperUnit unit)
{
    return unit == kUnitInch ? kInchDecimals : kMillimetreDecimals;
}

ShownRange CustomSizeRange(PaperDimension dimension, PaperUnit unit)
{
    const ShownRange& tenths = kTenthsMmRanges[dimension];
    if (unit == kUnitMillimetre)
        return tenths;
    return {InchesOfTenthsMm(tenths.lower), InchesOfTenthsMm(tenths.upper)};
}

LONG NearerBound(LONG shown, const ShownRange& range)
{
    if (shown < range.lower)
        return range.lower;
    return shown > range.upper ? range.upper : shown;
}

LONG TenthsMmOfShown(LONG shown, PaperDimension dimension, PaperUnit unit)
{
    if (unit == kUnitMillimetre)
        return shown;
    // Rounding 4.57 in gives 116.1 mm; the bounds stand for the exact sizes.
    const ShownRange inches = CustomSizeRange(dimension, kUnitInch);
    if (shown == inches.lower)
        return kTenthsMmRanges[dimension].lower;
    if (shown == inches.upper)
        return kTenthsMmRanges[dimension].upper;
    return MulDiv(shown, 254, 100);
}

LONG ShownOfTenthsMm(LONG tenthsMm, PaperUnit unit)
{
    return unit == kUnitInch ? InchesOfTenthsMm(tenthsMm) : tenthsMm;
}

LONG ConvertShown(LONG shown, PaperDimension dimension, PaperUnit from, PaperUnit to)
{
    if (from == to)
        return shown;
    return ShownOfTenthsMm(TenthsMmOfShown(shown, dimension, from), to);
}

BOOL IsCustomPaperCode(LONG code)
{
    return code >= kFirstCustomPaperCode && code <= kLastCustomPaperCode;
}

BOOL SamePaperName(const WCHAR* a, const WCHAR* b)
{
    return a && b && lstrcmpiW(a, b) == 0;
}

BOOL RemoveListSeparators(WCHAR* name)
{
    WCHAR* out = name;
    BOOL removed = FALSE;
    for (const WCHAR* in = name; *in; ++in) {
        if (*in == L',' || *in == L';')
            removed = TRUE;
        else
            *out++ = *in;
    }
    *out = L'\0';
    return removed;
}

int FindCustomPaper(const ProfileCustomPaperList& list, const WCHAR* name)
{
    for (uint32_t i = 0; i < list.count && i < kMaxCustomPapers; ++i)
        if (SamePaperName(list.papers[i].name, name))
            return static_cast<int>(i);
    return -1;
}

CustomPaperSave SaveCustomPaper(ProfileCustomPaperList* list, const WCHAR* name, PaperUnit unit,
                                LONG widthTenthsMm, LONG lengthTenthsMm, int* index)
{
    int at = FindCustomPaper(*list, name);
    const CustomPaperSave outcome = at >= 0 ? kPaperReplaced : kPaperAdded;
    if (at < 0) {
        if (list->count >= kMaxCustomPapers)
            return kPaperListFull;
        at = static_cast<int>(list->count);
        ClearEntry(&list->papers[at]);
        list->papers[at].code = LowestFreeCode(*list);
        ++list->count;
    }
    ProfileCustomPaper& paper = list->papers[at];
    CopyProfileField(paper.name, name, kCustomPaperNameChars);
    paper.flag = unit;
    paper.width = static_cast<uint32_t>(widthTenthsMm);
    paper.length = static_cast<uint32_t>(lengthTenthsMm);
    if (index)
        *index = at;
    return outcome;
}

BOOL DeleteCustomPaper(ProfileCustomPaperList* list, const WCHAR* name)
{
    const int at = FindCustomPaper(*list, name);
    if (at < 0)
        return FALSE;
    RemoveEntry(list, static_cast<uint32_t>(at));
    return TRUE;
}

int TidyCustomPaperList(ProfileCustomPaperList* list)
{
    int dropped = 0;
    if (list->count > kMaxCustomPapers)
        list->count = kMaxCustomPapers;
    for (uint32_t i = 0; i < list->count;) {
        const ProfileCustomPaper& paper = list->papers[i];
        const int first = FindCustomPaper(*list, paper.name);
        if (!paper.name[0] || first != static_cast<int>(i) || !IsCustomPaperCode(paper.code) ||
            CodeUsed(*list, paper.code, i)) {
            RemoveEntry(list, i);
            ++dropped;
        } else {
            ++i;
        }
    }
    return dropped;
}

int ClearTraysOfDeletedPapers(TrayPaperEntry (&trays)[kTrayPaperEntries],
                              const ProfileCustomPaperList& list)
{
    int cleared = 0;
    for (TrayPaperEntry& tray : trays) {
        if (!IsCustomPaperCode(tray.paper) ||
            CodeUsed(list, static_cast<WORD>(tray.paper), list.count))
            continue;
        tray.paper = -1;
        ++cleared;
    }
    return cleared;
}
