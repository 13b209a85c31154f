// The keywords of the model description the parser knows: whether each
// takes an option part, what value it takes, and where the value goes; and
// the names of the values the model stores as codes.
#pragma once

#include "core/model_context.h"
#include "core/model_statement.h"

#include <cstddef>
#include <cstdint>

namespace model_parse {

// Kinds of value a keyword takes.
enum ValueKind : uint8_t {
    kValueText,        // quoted text; hex substrings decoded
    kValueInvocation,  // quoted code, taken as written
    kValueNumber,      // number, quoted or not
    kValueBoolean,     // True or False
    kValueSymbol,      // a word or words, unquoted
    kValueAny,
};

enum KeywordId : uint8_t {
    // structure
    kwOpenGroup, kwCloseGroup, kwOpenUI, kwCloseUI, kwJCLOpenUI, kwJCLCloseUI,
    kwOrderDependency, kwUIConstraints, kwExtensions, kwIgnored,
    // option-taking, feeding a feature kind (kwPageSize to kwKindOption)
    kwPageSize, kwPageRegion, kwImageableArea, kwPaperDimension, kwPageSizeL,
    kwImageableAreaL, kwPaperMedia, kwInputSlot, kwResolution, kwMemory, kwKindOption,
    // other option-taking
    kwSleepMode, kwCustomPageSize, kwAcceptedOption,
    // single values
    kwColorDevice, kwProtocols, kwNickName, kwLanguageLevel, kwLanguageEncoding,
    kwLanguageVersion, kwTTRasterizer, kwExitServer, kwPassword, kwJobTimeout,
    kwWaitTimeout, kwPrintPSError, kwJCLBegin, kwJCLToPS, kwJCLEnd, kwLandscape,
    kwMaxMediaWidth, kwMaxMediaHeight, kwHWMargins, kwScreenAngle, kwScreenFreq,
    kwFreeVM, kwFileVersion, kwPrinterCaps, kwDeviceCaps, kwTrayCaps,
    kwPrintRateA4, kwPrintRateLetter, kwInternalInformation, kwOptionFlag,
    kwDriverSwitch, kwDefaultLanguage, kwFeatureDefault,
};

struct KeywordEntry {
    const char* name;
    bool takesOption;
    ValueKind value;
    KeywordId id;
    uint8_t kind;      // the feature kind an option keyword feeds, else kKindNone
    uint32_t detail;   // by id: the ModelOptionFlag of a resolution statement,
                       // the ModelOptionFlagBit or the ModelDriverSwitch
};

// Entries in the keyword table.
const size_t kKeywordCount = 105;

// The table entry of a keyword of length characters, or null.
const KeywordEntry* FindKeyword(const char* name, size_t length);

// An entry's position in the table, below kKeywordCount.
size_t KeywordIndex(const KeywordEntry& entry);

// Which value shapes (ValueShape bits) a kind of value accepts.
uint8_t AcceptedShapes(ValueKind kind);

// A default statement is "Default" and a feature name.
const char kDefaultPrefix[] = "Default";
const size_t kDefaultPrefixLength = sizeof(kDefaultPrefix) - 1;

// The group whose features are installable options.
const char kInstallableGroup[] = "InstallableOptions";
const size_t kInstallableGroupLength = sizeof(kInstallableGroup) - 1;

// The canonical feature name of a kind.
const char* KindName(uint8_t kind);

// The kind of a feature name: a canonical name, or an option keyword that
// feeds a kind ("PageRegion", "JCLResolution", ...); kKindNone otherwise.
uint8_t KindOfName(const char* name, size_t length);

// The user-interface type an "OpenUI" value names; false for an unknown one.
bool UiTypeOfName(const char* text, size_t length, uint16_t* type);

// The ModelOrderSection an "OrderDependency" names; kSectionAny when unknown.
uint32_t SectionOfName(const char* name);

// The ModelProtocol bits of the blank-separated names of a "Protocols" value.
uint32_t ProtocolsOfNames(const char* names);

// Where single-valued keywords store their value in the head; null when the
// keyword stores something else.
char* ModelContext::* HeadTextOf(KeywordId id);
uint32_t ModelContext::* HeadNumberOf(KeywordId id);

// Keywords whose value is one name of a list, stored as its position in
// the list (0 for a name not in it).
struct HeadCode {
    KeywordId id;
    uint32_t ModelContext::* field;
    const char* const* names;
    uint32_t count;
};
const HeadCode* HeadCodeOf(KeywordId id);
uint32_t CodeOfName(const HeadCode& code, const char* name);

} // namespace model_parse
