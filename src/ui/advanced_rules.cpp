#include "ui/advanced_rules.h"

#include "settings/devmode_bits.h"
#include "ui/decimal_entry.h"

#include <cwchar>

namespace {

enum FunctionNeed { kAlways, kNeedsSleep, kNeedsMonitor, kNeedsMacros, kNeedsPageProtect, kNeedsHrc,
                    kNeedsErrorPrintout };
struct FunctionRow {
    WORD code;
    FunctionNeed need;
};
// The model's functions in list order. Administrator (5), command insertion
// (6) and codes 11 to 13 are not offered by these printers.
const FunctionRow kModelFunctions[] = {
    {0, kAlways},          {1, kAlways},          {2, kNeedsSleep},        {3, kNeedsMonitor},
    {4, kNeedsMacros},     {7, kNeedsPageProtect}, {8, kAlways},           {9, kAlways},
    {10, kNeedsHrc},       {14, kNeedsErrorPrintout}, {15, kAlways},
};
// The service functions, one serviceItems bit each.
const WORD kServiceFunctions[] = {256, 257, 258, 261, 262, 263};

const DWORD kCapsErrorPrintout = 0x01000000;   // bit 24

bool IsNamedSpoolModel(WORD resourceNumber)
{
    return resourceNumber >= 11 && resourceNumber <= 13;
}

bool Needed(const FunctionFacts& facts, FunctionNeed need)
{
    switch (need) {
    case kNeedsSleep: return facts.sleepModes;
    case kNeedsMonitor: return facts.statusMonitor;
    case kNeedsMacros: return facts.macros;
    case kNeedsPageProtect: return facts.pageProtect;
    case kNeedsHrc: return facts.hrc;
    case kNeedsErrorPrintout:
        return (facts.modelCaps & kCapsErrorPrintout) || !IsNamedSpoolModel(facts.resourceNumber);
    default: return true;
    }
}

bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

} // namespace

void BuildCategoryTable(const BYTE* data, DWORD bytes, CategoryTable* table)
{
    for (WORD kind = 0; kind < kCategoryKinds; ++kind)
        table->kinds[kind] = kind;
    table->count = 5;
    if (!data || bytes < sizeof(WORD))
        return;
    const auto* words = reinterpret_cast<const WORD*>(data);
    const int listed = static_cast<int>(bytes / sizeof(WORD)) - 1;
    int count = 0;
    for (int i = 0; i < words[0] && i < listed && count < kCategoryButtons; ++i) {
        if (words[1 + i] <= kCategoryDestination)
            table->kinds[count++] = words[1 + i];
    }
    table->count = count;
}

int ListPrinterFunctions(const FunctionFacts& facts, WORD* codes, int capacity)
{
    int count = 0;
    for (const FunctionRow& row : kModelFunctions)
        if (count < capacity && Needed(facts, row.need))
            codes[count++] = row.code;
    for (size_t bit = 0; bit < ARRAYSIZE(kServiceFunctions); ++bit)
        if (count < capacity && (facts.serviceItems & (1u << bit)))
            codes[count++] = kServiceFunctions[bit];
    return count;
}

DWORD SpoolingClass(const PrivateSettings& priv)
{
    return (priv.modelFeatures & kFeaturesSpoolingMode) >> 20;
}

BYTE ToggleServiceItems(BYTE items, WPARAM keys)
{
    const BYTE kCollateField = 0x01, kXpsSettings = 0x20;
    switch (keys & (MK_CONTROL | MK_SHIFT)) {
    case MK_CONTROL: return items ^ kCollateField;
    case MK_SHIFT: return items ^ kXpsSettings;
    case MK_CONTROL | MK_SHIFT: return items ? 0 : kCollateField | kXpsSettings;
    default: return items;
    }
}

SecurePrintChoice SecurePrintChoiceOf(const PrivateSettings& priv, bool secureAppOnly)
{
    const bool reprint = (priv.mopy & kMopyOn) != 0;
    const bool secure = reprint && (priv.mopy & kMopyModeMask) == 1;
    SecurePrintChoice choice = {true, true};
    if (!secureAppOnly)
        return choice;
    choice.secureRadio = secure;
    // The secure-print class turns reprint on in secure mode: it may be
    // ended, not started.
    if (SpoolingClass(priv) == kSecurePrintClass)
        choice.reprintBox = reprint;
    return choice;
}

bool NeedsSecurePin(const PrivateSettings& priv)
{
    return (priv.mopy & kMopyOn) && (priv.mopy & kMopyModeMask) == 1;
}

bool IsSecurePin(const WCHAR* text)
{
    for (int i = 0; i < 4; ++i)
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    return text[4] == L'\0';
}

bool NeedsOwnSpoolNames(const PrivateSettings& priv)
{
    return (priv.mopy & kMopyOn) && (priv.mopy & kMopyModeMask) != 0 && (priv.mopy & kMopyNoSystemUser) &&
           IsNamedSpoolModel(priv.resourceNumber);
}

SpoolNamesCheck CheckSpoolNames(const PrivateSettings& priv, const WCHAR* user, const WCHAR* job)
{
    if (!NeedsOwnSpoolNames(priv))
        return kSpoolNamesGiven;
    if (!user[0])
        return kSpoolUserMissing;
    if (!job[0])
        return kSpoolJobMissing;
    return kSpoolNamesGiven;
}

void SettleBookletAndDuplex(PrivateSettings* priv, short orientation)
{
    ProcessorBlock& block = priv->processor;
    if (!(priv->bindFlags & kBindOffsetOn))
        priv->bindingOffset = 0;
    block.procDuplex = priv->duplex;
    if (!(priv->duplex & kDuplexOn))
        priv->booklet &= ~kBookletOn;
    const int layout = priv->duplex & kDuplexLayoutMask;
    if ((priv->booklet & kBookletOn) && layout <= 1) {
        const bool landscape = orientation == DMORIENT_LANDSCAPE;
        priv->bookletLayout = static_cast<WORD>(layout + 1);
        block.procDuplexMode = layout == 0 ? (landscape ? 3 : 1) : (landscape ? 4 : 2);
        block.procDuplexOffset = priv->bindingOffset;
        block.procDuplexAuto = (priv->duplex & kDuplexAutomatic) ? 1 : 0;
        return;
    }
    priv->bookletLayout = 0;
    block.procDuplexMode = 0;
    block.procDuplexOffset = 0;
    block.procDuplexAuto = 1;
    priv->booklet &= ~kBookletOn;
}

LONG ClampXpsOffset(LONGLONG value)
{
    if (value < kXpsOffsetLowest)
        return kXpsOffsetLowest;
    if (value > kXpsOffsetHighest)
        return kXpsOffsetHighest;
    return static_cast<LONG>(value);
}

bool ReadDecimalText(const WCHAR* text, LONGLONG* value)
{
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == L'-' || *text == L'+')
        negative = *text++ == L'-';
    if (*text < L'0' || *text > L'9')
        return false;
    LONGLONG number = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
        if (number < 100000000000LL)   // far beyond every range: stays clamped
            number = number * 10 + (*text - L'0');
    while (IsBlank(*text))
        ++text;
    if (*text)
        return false;
    *value = negative ? -number : number;
    return true;
}

int ClampFreeScaling(LONGLONG percent)
{
    if (percent > kFreeScalingHighest)
        return kFreeScalingHighest;
    if (percent < kFreeScalingLowest)
        return kFreeScalingLowest;
    return static_cast<int>(percent);
}

int FreeScalingWhileTyping(const WCHAR* text)
{
    LONGLONG value;
    return ReadDecimalText(text, &value) ? ClampFreeScaling(value) : -1;
}

int FreeScalingOnLeave(const WCHAR* text)
{
    const int value = FreeScalingWhileTyping(text);
    return value < 0 ? kFreeScalingLowest : value;
}

LONG BindingOffsetInUnit(LONG tenths, bool inches)
{
    return inches ? MulDiv(tenths, 100, 254) : tenths;
}

LONG BindingOffsetFromUnit(LONG value, bool inches)
{
    return inches ? MulDiv(value, 254, 100) : value;
}

BindingOffsetCheck CheckBindingOffset(const WCHAR* text, bool inches)
{
    LONG value = 0;
    switch (ParseDecimalEntry(text, inches ? kInchDecimals : kMillimetreDecimals, &value)) {
    case kDecimalEmpty: return {kBindingValid, 0};
    case kDecimalMalformed: return {StartsWithDigit(text) ? kBindingRestore : kBindingClear, 0};
    default: break;
    }
    const LONG highest = BindingOffsetInUnit(kBindingOffsetMax, inches);
    if (value > highest)
        return {kBindingOutOfRange, highest};
    return {kBindingValid, value};
}

void StripAccelerators(const WCHAR* label, WCHAR* text, size_t capacity)
{
    size_t used = 0;
    for (; *label && used + 1 < capacity; ++label) {
        if (*label == L'&' && label[1] != L'&')
            continue;
        text[used++] = *label == L'&' ? *++label : *label;
    }
    text[used] = L'\0';
}
