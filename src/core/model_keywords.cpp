#include "core/model_keywords.h"

#include "core/description_text.h"

#include <cstring>

namespace model_parse {

namespace {

template <typename T, size_t N>
constexpr uint32_t CountOf(const T (&)[N])
{
    return static_cast<uint32_t>(N);
}

constexpr uint8_t kNoKind = kKindNone;

constexpr KeywordEntry kKeywords[] = {
    // Structure
    {"OpenGroup", false, kValueSymbol, kwOpenGroup, kNoKind, 0},
    {"CloseGroup", false, kValueSymbol, kwCloseGroup, kNoKind, 0},
    {"OpenUI", true, kValueSymbol, kwOpenUI, kNoKind, 0},
    {"CloseUI", false, kValueSymbol, kwCloseUI, kNoKind, 0},
    {"JCLOpenUI", true, kValueSymbol, kwJCLOpenUI, kNoKind, 0},
    {"JCLCloseUI", false, kValueSymbol, kwJCLCloseUI, kNoKind, 0},
    {"OrderDependency", false, kValueSymbol, kwOrderDependency, kNoKind, 0},
    {"UIConstraints", false, kValueSymbol, kwUIConstraints, kNoKind, 0},
    {"Extensions", false, kValueAny, kwExtensions, kNoKind, 0},
    {"Include", false, kValueAny, kwIgnored, kNoKind, 0},
    {"End", false, kValueAny, kwIgnored, kNoKind, 0},
    {"JCLRes", true, kValueAny, kwIgnored, kNoKind, 0},
    // Standard description keywords
    {"ColorDevice", false, kValueBoolean, kwColorDevice, kNoKind, 0},
    {"Protocols", false, kValueSymbol, kwProtocols, kNoKind, 0},
    {"NickName", false, kValueText, kwNickName, kNoKind, 0},
    {"LanguageLevel", false, kValueNumber, kwLanguageLevel, kNoKind, 0},
    {"LanguageEncoding", false, kValueSymbol, kwLanguageEncoding, kNoKind, 0},
    {"LanguageVersion", false, kValueSymbol, kwLanguageVersion, kNoKind, 0},
    {"TTRasterizer", false, kValueSymbol, kwTTRasterizer, kNoKind, 0},
    {"ExitServer", false, kValueInvocation, kwExitServer, kNoKind, 0},
    {"Password", false, kValueInvocation, kwPassword, kNoKind, 0},
    {"SuggestedJobTimeout", false, kValueNumber, kwJobTimeout, kNoKind, 0},
    {"SuggestedWaitTimeout", false, kValueNumber, kwWaitTimeout, kNoKind, 0},
    {"PrintPSError", false, kValueBoolean, kwPrintPSError, kNoKind, 0},
    {"JCLBegin", false, kValueText, kwJCLBegin, kNoKind, 0},
    {"JCLToPSInterpreter", false, kValueText, kwJCLToPS, kNoKind, 0},
    {"JCLEnd", false, kValueText, kwJCLEnd, kNoKind, 0},
    {"LandscapeOrientation", false, kValueSymbol, kwLandscape, kNoKind, 0},
    {"Font", true, kValueAny, kwAcceptedOption, kNoKind, 0},
    {"CustomPageSize", true, kValueAny, kwCustomPageSize, kNoKind, 0},
    {"ParamCustomPageSize", true, kValueAny, kwAcceptedOption, kNoKind, 0},
    {"MaxMediaWidth", false, kValueNumber, kwMaxMediaWidth, kNoKind, 0},
    {"MaxMediaHeight", false, kValueNumber, kwMaxMediaHeight, kNoKind, 0},
    {"HWMargins", false, kValueSymbol, kwHWMargins, kNoKind, 0},
    {"PageSize", true, kValueInvocation, kwPageSize, kKindPageSize, 0},
    {"DefaultPageSize", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"PageRegion", true, kValueInvocation, kwPageRegion, kKindPageSize, 0},
    {"ImageableArea", true, kValueAny, kwImageableArea, kKindPageSize, 0},
    {"PaperDimension", true, kValueAny, kwPaperDimension, kKindPageSize, 0},
    {"InputSlot", true, kValueInvocation, kwInputSlot, kKindInputSlot, 0},
    {"DefaultInputSlot", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"RequiresPageRegion", true, kValueAny, kwAcceptedOption, kNoKind, 0},
    {"Collate", true, kValueInvocation, kwKindOption, kKindCollate, 0},
    {"DefaultCollate", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"Duplex", true, kValueInvocation, kwKindOption, kKindDuplex, 0},
    {"DefaultDuplex", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"ManualFeed", true, kValueInvocation, kwKindOption, kKindManualFeed, 0},
    {"DefaultManualFeed", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"Resolution", true, kValueInvocation, kwResolution, kKindResolution,
     kOptionFromResolution},
    {"JCLResolution", true, kValueInvocation, kwResolution, kKindResolution,
     kOptionFromJCLResolution},
    {"DefaultResolution", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"DefaultJCLResolution", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"SetResolution", true, kValueInvocation, kwResolution, kKindResolution,
     kOptionFromSetResolution},
    {"ScreenAngle", false, kValueNumber, kwScreenAngle, kNoKind, 0},
    {"ScreenFreq", false, kValueNumber, kwScreenFreq, kNoKind, 0},
    {"ResScreenAngle", true, kValueAny, kwAcceptedOption, kNoKind, 0},
    {"ResScreenFreq", true, kValueAny, kwAcceptedOption, kNoKind, 0},
    {"FreeVM", false, kValueNumber, kwFreeVM, kNoKind, 0},
    {"InstalledMemory", true, kValueAny, kwMemory, kKindVMOption, 0},
    {"DefaultInstalledMemory", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"VMOption", true, kValueAny, kwMemory, kKindVMOption, 0},
    {"FileVersion", false, kValueText, kwFileVersion, kNoKind, 0},
    // Driver keywords
    {"PrinterCaps", false, kValueNumber, kwPrinterCaps, kNoKind, 0},
    {"SleepMode", true, kValueText, kwSleepMode, kNoKind, 0},
    {"MediaType", true, kValueAny, kwKindOption, kKindMediaType, 0},
    {"MultiplePage", true, kValueAny, kwKindOption, kKindMultiplePage, 0},
    {"TonerSaveMode", true, kValueAny, kwKindOption, kKindTonerSaveMode, 0},
    {"PageProtect", true, kValueAny, kwKindOption, kKindPageProtect, 0},
    {"HRC", true, kValueAny, kwKindOption, kKindHRC, 0},
    {"DefaultMediaType", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"DefaultMultiplePage", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"DefaultTonerSaveMode", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"DefaultPageProtect", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"DefaultHRC", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"PageSizeL", true, kValueInvocation, kwPageSizeL, kKindPageSize, 0},
    {"DefaultPageSizeL", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"ImageableAreaL", true, kValueAny, kwImageableAreaL, kKindPageSize, 0},
    {"PaperMedia", true, kValueAny, kwPaperMedia, kKindPageSize, 0},
    {"GraphicsMode", true, kValueAny, kwKindOption, kKindGraphicsMode, 0},
    {"DefaultGraphicsMode", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"MacroSetting", false, kValueBoolean, kwDriverSwitch, kNoKind, kSwitchMacroSetting},
    {"DefaultFontSetting", false, kValueBoolean, kwDriverSwitch, kNoKind,
     kSwitchDefaultFontSetting},
    {"Paper", true, kValueAny, kwKindOption, kKindPaper, 0},
    {"TTMODE", true, kValueAny, kwKindOption, kKindTTMODE, 0},
    {"DefaultTTMODE", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"CompMode1028", false, kValueBoolean, kwDriverSwitch, kNoKind, kSwitchCompMode1028},
    {"SaveMacro", true, kValueAny, kwKindOption, kKindSaveMacro, 0},
    {"ShowBiasVolt", false, kValueBoolean, kwDriverSwitch, kNoKind, kSwitchShowBiasVolt},
    {"DefaultBiasVolt", false, kValueSymbol, kwFeatureDefault, kNoKind, 0},
    {"BiasVolt", true, kValueAny, kwKindOption, kKindBiasVolt, 0},
    {"AddUMPD", false, kValueBoolean, kwDriverSwitch, kNoKind, kSwitchAddUMPD},
    {"DefaultOriginalPrintProcessor", false, kValueBoolean, kwDriverSwitch, kNoKind,
     kSwitchOriginalPrintProcessor},
    {"DefaultQuickPrintSetup", false, kValueBoolean, kwOptionFlag, kNoKind,
     kModelQuickPrintSetup},
    {"DefaultLanguage", false, kValueText, kwDefaultLanguage, kNoKind, 0},
    {"GrayText", false, kValueBoolean, kwOptionFlag, kNoKind, kModelGrayText},
    {"DefaultMXMonitor", false, kValueBoolean, kwOptionFlag, kNoKind, kModelMXMonitor},
    {"DefaultStatusMonitor", false, kValueBoolean, kwOptionFlag, kNoKind, kModelStatusMonitor},
    {"DefaultUseReprint", false, kValueBoolean, kwOptionFlag, kNoKind, kModelUseReprint},
    {"DefaultUsePrinterFonts", false, kValueBoolean, kwOptionFlag, kNoKind,
     kModelUsePrinterFonts},
    {"NoBanding", false, kValueBoolean, kwOptionFlag, kNoKind, kModelNoBanding},
    {"TrayCaps", false, kValueNumber, kwTrayCaps, kNoKind, 0},
    {"DeviceCaps", false, kValueNumber, kwDeviceCaps, kNoKind, 0},
    {"PrintRateA4", false, kValueNumber, kwPrintRateA4, kNoKind, 0},
    {"PrintRateLetter", false, kValueNumber, kwPrintRateLetter, kNoKind, 0},
    {"InternalInformation", false, kValueNumber, kwInternalInformation, kNoKind, 0},
};
static_assert(CountOf(kKeywords) == kKeywordCount, "kKeywordCount names the table's size");

// The option keywords of the known kinds, and only they, feed a kind: the
// parser files their options under it, and their names alias it.
constexpr bool OnlyOptionKeywordsFeedKinds()
{
    for (const KeywordEntry& entry : kKeywords) {
        const bool option = entry.id >= kwPageSize && entry.id <= kwKindOption;
        if (option != (entry.kind < kModelKindCount) || (option && !entry.takesOption))
            return false;
    }
    return true;
}
static_assert(OnlyOptionKeywordsFeedKinds(), "kind column of the keyword table");

// The keyword table is searched for every statement, so it is hashed once,
// at compile time: slot -> entry, open addressing. Most statements of large
// descriptions carry keywords the table lacks; the search for one ends at
// the first free slot, usually after a compare or two.
constexpr size_t kKeywordSlots = 256;
constexpr uint8_t kNoEntry = 0xFF;
static_assert(kKeywordCount < kNoEntry && kKeywordCount * 2 < kKeywordSlots,
              "keyword slots stay at most half full");

constexpr size_t TextLength(const char* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

constexpr bool SameText(const char* a, const char* b, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// FNV-1a.
constexpr uint32_t KeywordHash(const char* name, size_t length)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        h = (h ^ static_cast<unsigned char>(name[i])) * 16777619u;
    return h;
}

struct KeywordSlotTable {
    uint8_t entry[kKeywordSlots];
    uint8_t length[kKeywordCount];
};

constexpr KeywordSlotTable BuildKeywordSlots()
{
    KeywordSlotTable table = {};
    for (uint8_t& slot : table.entry)
        slot = kNoEntry;
    for (size_t i = 0; i < kKeywordCount; ++i) {
        const size_t length = TextLength(kKeywords[i].name);
        table.length[i] = static_cast<uint8_t>(length);
        size_t slot = KeywordHash(kKeywords[i].name, length) % kKeywordSlots;
        while (table.entry[slot] != kNoEntry)
            slot = (slot + 1) % kKeywordSlots;
        table.entry[slot] = static_cast<uint8_t>(i);
    }
    return table;
}

constexpr KeywordSlotTable kKeywordIndex = BuildKeywordSlots();

// The position of the keyword in the table, or kNoEntry.
constexpr uint8_t FindKeywordEntry(const char* name, size_t length)
{
    size_t slot = KeywordHash(name, length) % kKeywordSlots;
    for (;;) {
        const uint8_t entry = kKeywordIndex.entry[slot];
        if (entry == kNoEntry ||
            (kKeywordIndex.length[entry] == length && SameText(kKeywords[entry].name, name, length)))
            return entry;
        slot = (slot + 1) % kKeywordSlots;
    }
}

constexpr bool EveryKeywordFindsItsEntry()
{
    for (size_t i = 0; i < kKeywordCount; ++i)
        if (FindKeywordEntry(kKeywords[i].name, TextLength(kKeywords[i].name)) != i)
            return false;
    return true;
}
static_assert(EveryKeywordFindsItsEntry(), "keyword index; no keyword listed twice");

// Canonical feature names, by kind.
constexpr const char* kKindNames[] = {
    "PageSize", "InputSlot", "ManualFeed", "Duplex", "Collate", "Resolution",
    "VMOption", "MediaType", "MultiplePage", "TonerSaveMode", "PageProtect",
    "HRC", "GraphicsMode", "Paper", "TTMODE", "SaveMacro", "BiasVolt",
};
static_assert(CountOf(kKindNames) == kModelKindCount, "one name per kind");

// Each canonical name is also the option keyword that feeds its kind, so
// the keyword table alone tells the kind of any name.
constexpr bool KindNamesFeedTheirKinds()
{
    for (uint8_t kind = 0; kind < kModelKindCount; ++kind) {
        const uint8_t entry = FindKeywordEntry(kKindNames[kind], TextLength(kKindNames[kind]));
        if (entry == kNoEntry || kKeywords[entry].kind != kind)
            return false;
    }
    return true;
}
static_assert(KindNamesFeedTheirKinds(), "kind names in the keyword table");

struct NamedUiType { const char* name; uint16_t type; };
const NamedUiType kUiTypes[] = {
    {"PickOne", kUiPickOne}, {"PickMany", kUiPickMany}, {"Boolean", kUiBoolean},
};

struct NamedSection { const char* name; uint32_t section; };
const NamedSection kSections[] = {
    {"AnySetup", kSectionAny}, {"ExitServer", kSectionExit}, {"Prolog", kSectionProlog},
    {"DocumentSetup", kSectionDocument}, {"PageSetup", kSectionPage}, {"JCLSetup", kSectionJcl},
};

struct NamedProtocol { const char* name; uint32_t bit; };
const NamedProtocol kProtocols[] = {
    {"BCP", kProtocolBCP}, {"PJL", kProtocolPJL}, {"TBCP", kProtocolTBCP}, {"SIC", kProtocolSIC},
};

template <typename T>
struct HeadField {
    KeywordId id;
    T ModelContext::* field;
};

const HeadField<char*> kHeadTexts[] = {
    {kwNickName, &ModelContext::nickName},
    {kwExitServer, &ModelContext::exitServer},
    {kwPassword, &ModelContext::password},
    {kwJCLBegin, &ModelContext::jclBegin},
    {kwJCLToPS, &ModelContext::jclToPSInterpreter},
    {kwJCLEnd, &ModelContext::jclEnd},
    {kwDefaultLanguage, &ModelContext::defaultLanguage},
};

const HeadField<uint32_t> kHeadNumbers[] = {
    {kwLanguageLevel, &ModelContext::languageLevel},
    {kwJobTimeout, &ModelContext::suggestedJobTimeout},
    {kwWaitTimeout, &ModelContext::suggestedWaitTimeout},
    {kwScreenAngle, &ModelContext::screenAngle},
    {kwScreenFreq, &ModelContext::screenFreq},
    {kwFreeVM, &ModelContext::freeVM},
    {kwMaxMediaWidth, &ModelContext::maxMediaWidth},
    {kwMaxMediaHeight, &ModelContext::maxMediaHeight},
    {kwPrinterCaps, &ModelContext::modelCaps},
    {kwDeviceCaps, &ModelContext::modelFeatures},
    {kwTrayCaps, &ModelContext::modelTrays},
    {kwInternalInformation, &ModelContext::internalInformation},
};

// Code lists: a name's position in its list is the code the head stores.
const char* const kLandscapeNames[] = {"Any", "Plus90", "Minus90"};
static_assert(CountOf(kLandscapeNames) == kLandscapeMinus90 + 1, "ModelLandscape order");
const char* const kEncodingNames[] = {"None", "StandardEncoding", "ISOLatin1",
                                      "WindowsANSI", "JIS83-RKSJ", "Unicode"};
const char* const kLanguageNames[] = {"None", "English", "French", "German",
                                      "Spanish", "Italian", "Japanese"};
const char* const kRasterizerNames[] = {"None", "Accept68K", "Type42", "TrueImage"};

const HeadCode kHeadCodes[] = {
    {kwLandscape, &ModelContext::landscapeOrientation, kLandscapeNames, CountOf(kLandscapeNames)},
    {kwLanguageEncoding, &ModelContext::languageEncoding, kEncodingNames, CountOf(kEncodingNames)},
    {kwLanguageVersion, &ModelContext::languageVersion, kLanguageNames, CountOf(kLanguageNames)},
    {kwTTRasterizer, &ModelContext::ttRasterizer, kRasterizerNames, CountOf(kRasterizerNames)},
};

template <typename T, size_t N>
T ModelContext::* FieldOf(const HeadField<T> (&table)[N], KeywordId id)
{
    for (const HeadField<T>& row : table)
        if (row.id == id)
            return row.field;
    return nullptr;
}

} // namespace

const KeywordEntry* FindKeyword(const char* name, size_t length)
{
    const uint8_t entry = FindKeywordEntry(name, length);
    return entry == kNoEntry ? nullptr : &kKeywords[entry];
}

size_t KeywordIndex(const KeywordEntry& entry)
{
    return static_cast<size_t>(&entry - kKeywords);
}

uint8_t AcceptedShapes(ValueKind kind)
{
    switch (kind) {
    case kValueText:
    case kValueInvocation: return kShapeQuoted;
    case kValueNumber: return kShapeQuoted | kShapeSymbol;
    case kValueBoolean: return kShapeSymbol;
    case kValueSymbol: return kShapeSymbol | kShapeText;
    default: return kShapeQuoted | kShapeSymbol | kShapeText;
    }
}

const char* KindName(uint8_t kind)
{
    return kind < kModelKindCount ? kKindNames[kind] : nullptr;
}

uint8_t KindOfName(const char* name, size_t length)
{
    const KeywordEntry* entry = FindKeyword(name, length);
    return entry ? entry->kind : kNoKind;
}

bool UiTypeOfName(const char* text, size_t length, uint16_t* type)
{
    for (const NamedUiType& row : kUiTypes)
        if (length == std::strlen(row.name) && std::memcmp(text, row.name, length) == 0) {
            *type = row.type;
            return true;
        }
    return false;
}

uint32_t SectionOfName(const char* name)
{
    for (const NamedSection& row : kSections)
        if (std::strcmp(name, row.name) == 0)
            return row.section;
    return kSectionAny;
}

uint32_t ProtocolsOfNames(const char* names)
{
    uint32_t protocols = 0;
    for (const char* p = names; *p;) {
        while (IsBlank(*p))
            ++p;
        const char* word = p;
        while (*p && !IsBlank(*p))
            ++p;
        const size_t length = static_cast<size_t>(p - word);
        for (const NamedProtocol& row : kProtocols)
            if (length == std::strlen(row.name) && std::memcmp(word, row.name, length) == 0)
                protocols |= row.bit;
    }
    return protocols;
}

char* ModelContext::* HeadTextOf(KeywordId id)
{
    return FieldOf(kHeadTexts, id);
}

uint32_t ModelContext::* HeadNumberOf(KeywordId id)
{
    return FieldOf(kHeadNumbers, id);
}

const HeadCode* HeadCodeOf(KeywordId id)
{
    for (const HeadCode& row : kHeadCodes)
        if (row.id == id)
            return &row;
    return nullptr;
}

uint32_t CodeOfName(const HeadCode& code, const char* name)
{
    for (uint32_t i = 0; i < code.count; ++i)
        if (std::strcmp(name, code.names[i]) == 0)
            return i;
    return 0;
}

} // namespace model_parse
