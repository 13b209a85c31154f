#include "core/model_parser.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <new>

namespace {

// ---------------------------------------------------------------------------
// Parse arena: 4096-byte blocks, freed in one go once the image is built.

const size_t kArenaBlockSize = 4096;

struct ArenaBlock {
    ArenaBlock* next;
    size_t used;
    size_t capacity;
};
const size_t kArenaUsable = kArenaBlockSize - sizeof(ArenaBlock);
static_assert(kArenaUsable == 4072, "arena block layout");

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena()
    {
        while (head_) {
            ArenaBlock* next = head_->next;
            std::free(head_);
            head_ = next;
        }
    }

    // Zero-filled, 8-byte aligned; null when memory runs out.
    void* Allocate(size_t size)
    {
        size = (size + 7) & ~size_t(7);
        if (head_ && head_->capacity - head_->used >= size)
            return Take(head_, size);
        size_t capacity = size > kArenaUsable ? size : kArenaUsable;
        auto* block = static_cast<ArenaBlock*>(std::malloc(sizeof(ArenaBlock) + capacity));
        if (!block)
            return nullptr;
        block->capacity = capacity;
        block->used = 0;
        if (head_ && capacity > kArenaUsable) {
            // An oversized request gets a block of its own behind the current
            // one, so the room left in the current block stays usable.
            block->next = head_->next;
            head_->next = block;
        } else {
            block->next = head_;
            head_ = block;
        }
        return Take(block, size);
    }

    template <typename T>
    T* New()
    {
        return static_cast<T*>(Allocate(sizeof(T)));
    }

    char* Copy(const char* text, size_t length)
    {
        char* copy = static_cast<char*>(Allocate(length + 1));
        if (copy)
            std::memcpy(copy, text, length);
        return copy;
    }

private:
    static void* Take(ArenaBlock* block, size_t size)
    {
        void* result = reinterpret_cast<unsigned char*>(block + 1) + block->used;
        block->used += size;
        std::memset(result, 0, size);
        return result;
    }

    ArenaBlock* head_ = nullptr;
};

// ---------------------------------------------------------------------------
// Small text helpers (ASCII only: the description is 8-bit text).

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsEol(char c) { return c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Equals(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// Leading blanks, optional sign, digits; anything else ends the number.
int64_t ReadInteger(const char* text)
{
    if (!text)
        return 0;
    while (IsBlank(*text) || IsEol(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    int64_t value = 0;
    while (IsDigit(*text) && value < (int64_t(1) << 40))
        value = value * 10 + (*text++ - '0');
    return negative ? -value : value;
}

uint32_t ReadUnsigned(const char* text)
{
    int64_t value = ReadInteger(text);
    return static_cast<uint32_t>(value);
}

// A decimal real ("595", "595.28", "-12.5") as 24.8 fixed point. Advances
// *cursor past the number; returns false when there is no number.
bool ReadFixed(const char** cursor, int32_t* result)
{
    const char* p = *cursor;
    while (IsBlank(*p) || IsEol(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!IsDigit(*p) && !(*p == '.' && IsDigit(p[1])))
        return false;
    int64_t whole = 0;
    while (IsDigit(*p)) {
        if (whole < 0x7FFFFF)
            whole = whole * 10 + (*p - '0');
        ++p;
    }
    int64_t fraction = 0, scale = 1;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) {
            if (scale < 100000) {
                fraction = fraction * 10 + (*p - '0');
                scale *= 10;
            }
            ++p;
        }
    }
    int64_t value = whole * 256 + (fraction * 256 * 2 + scale) / (scale * 2);
    *result = static_cast<int32_t>(negative ? -value : value);
    *cursor = p;
    return true;
}

// ---------------------------------------------------------------------------
// Statements.

enum ValueShape : uint8_t {
    kShapeQuoted = 1,   // "..."
    kShapeSymbol = 2,   // one word
    kShapeText = 4,     // unquoted text of several words
};

struct Statement {
    uint32_t line;
    char keyword[64];
    const char* option;       // null when the statement has no option part
    const char* translation;  // hex substrings decoded
    const char* value;        // quoted values as written (see DecodedValue)
    size_t valueLength;
    uint8_t shape;
};

// Kinds of value the keyword table asks for.
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
    // option-taking
    kwPageSize, kwPageRegion, kwImageableArea, kwPaperDimension, kwPageSizeL,
    kwImageableAreaL, kwPaperMedia, kwInputSlot, kwResolution, kwJCLResolution,
    kwSetResolution, kwMemory, kwKindOption, kwSleepMode, kwCustomPageSize,
    kwAcceptedOption,
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
    uint32_t detail;   // kind, flag bit or switch bit, by id
};

const KeywordEntry kKeywords[] = {
    // Structure
    {"OpenGroup", false, kValueSymbol, kwOpenGroup, 0},
    {"CloseGroup", false, kValueSymbol, kwCloseGroup, 0},
    {"OpenUI", true, kValueSymbol, kwOpenUI, 0},
    {"CloseUI", false, kValueSymbol, kwCloseUI, 0},
    {"JCLOpenUI", true, kValueSymbol, kwJCLOpenUI, 0},
    {"JCLCloseUI", false, kValueSymbol, kwJCLCloseUI, 0},
    {"OrderDependency", false, kValueSymbol, kwOrderDependency, 0},
    {"UIConstraints", false, kValueSymbol, kwUIConstraints, 0},
    {"Extensions", false, kValueAny, kwExtensions, 0},
    {"Include", false, kValueAny, kwIgnored, 0},
    {"End", false, kValueAny, kwIgnored, 0},
    {"JCLRes", true, kValueAny, kwIgnored, 0},
    // Standard description keywords
    {"ColorDevice", false, kValueBoolean, kwColorDevice, 0},
    {"Protocols", false, kValueSymbol, kwProtocols, 0},
    {"NickName", false, kValueText, kwNickName, 0},
    {"LanguageLevel", false, kValueNumber, kwLanguageLevel, 0},
    {"LanguageEncoding", false, kValueSymbol, kwLanguageEncoding, 0},
    {"LanguageVersion", false, kValueSymbol, kwLanguageVersion, 0},
    {"TTRasterizer", false, kValueSymbol, kwTTRasterizer, 0},
    {"ExitServer", false, kValueInvocation, kwExitServer, 0},
    {"Password", false, kValueInvocation, kwPassword, 0},
    {"SuggestedJobTimeout", false, kValueNumber, kwJobTimeout, 0},
    {"SuggestedWaitTimeout", false, kValueNumber, kwWaitTimeout, 0},
    {"PrintPSError", false, kValueBoolean, kwPrintPSError, 0},
    {"JCLBegin", false, kValueText, kwJCLBegin, 0},
    {"JCLToPSInterpreter", false, kValueText, kwJCLToPS, 0},
    {"JCLEnd", false, kValueText, kwJCLEnd, 0},
    {"LandscapeOrientation", false, kValueSymbol, kwLandscape, 0},
    {"Font", true, kValueAny, kwAcceptedOption, 0},
    {"CustomPageSize", true, kValueAny, kwCustomPageSize, 0},
    {"ParamCustomPageSize", true, kValueAny, kwAcceptedOption, 0},
    {"MaxMediaWidth", false, kValueNumber, kwMaxMediaWidth, 0},
    {"MaxMediaHeight", false, kValueNumber, kwMaxMediaHeight, 0},
    {"HWMargins", false, kValueSymbol, kwHWMargins, 0},
    {"PageSize", true, kValueInvocation, kwPageSize, 0},
    {"DefaultPageSize", false, kValueSymbol, kwFeatureDefault, 0},
    {"PageRegion", true, kValueInvocation, kwPageRegion, 0},
    {"ImageableArea", true, kValueAny, kwImageableArea, 0},
    {"PaperDimension", true, kValueAny, kwPaperDimension, 0},
    {"InputSlot", true, kValueInvocation, kwInputSlot, 0},
    {"DefaultInputSlot", false, kValueSymbol, kwFeatureDefault, 0},
    {"RequiresPageRegion", true, kValueAny, kwAcceptedOption, 0},
    {"Collate", true, kValueInvocation, kwKindOption, kKindCollate},
    {"DefaultCollate", false, kValueSymbol, kwFeatureDefault, 0},
    {"Duplex", true, kValueInvocation, kwKindOption, kKindDuplex},
    {"DefaultDuplex", false, kValueSymbol, kwFeatureDefault, 0},
    {"ManualFeed", true, kValueInvocation, kwKindOption, kKindManualFeed},
    {"DefaultManualFeed", false, kValueSymbol, kwFeatureDefault, 0},
    {"Resolution", true, kValueInvocation, kwResolution, 0},
    {"JCLResolution", true, kValueInvocation, kwJCLResolution, 0},
    {"DefaultResolution", false, kValueSymbol, kwFeatureDefault, 0},
    {"DefaultJCLResolution", false, kValueSymbol, kwFeatureDefault, 0},
    {"SetResolution", true, kValueInvocation, kwSetResolution, 0},
    {"ScreenAngle", false, kValueNumber, kwScreenAngle, 0},
    {"ScreenFreq", false, kValueNumber, kwScreenFreq, 0},
    {"ResScreenAngle", true, kValueAny, kwAcceptedOption, 0},
    {"ResScreenFreq", true, kValueAny, kwAcceptedOption, 0},
    {"FreeVM", false, kValueNumber, kwFreeVM, 0},
    {"InstalledMemory", true, kValueAny, kwMemory, 0},
    {"DefaultInstalledMemory", false, kValueSymbol, kwFeatureDefault, 0},
    {"VMOption", true, kValueAny, kwMemory, 0},
    {"FileVersion", false, kValueText, kwFileVersion, 0},
    // Driver keywords
    {"PrinterCaps", false, kValueNumber, kwPrinterCaps, 0},
    {"SleepMode", true, kValueText, kwSleepMode, 0},
    {"MediaType", true, kValueAny, kwKindOption, kKindMediaType},
    {"MultiplePage", true, kValueAny, kwKindOption, kKindMultiplePage},
    {"TonerSaveMode", true, kValueAny, kwKindOption, kKindTonerSaveMode},
    {"PageProtect", true, kValueAny, kwKindOption, kKindPageProtect},
    {"HRC", true, kValueAny, kwKindOption, kKindHRC},
    {"DefaultMediaType", false, kValueSymbol, kwFeatureDefault, 0},
    {"DefaultMultiplePage", false, kValueSymbol, kwFeatureDefault, 0},
    {"DefaultTonerSaveMode", false, kValueSymbol, kwFeatureDefault, 0},
    {"DefaultPageProtect", false, kValueSymbol, kwFeatureDefault, 0},
    {"DefaultHRC", false, kValueSymbol, kwFeatureDefault, 0},
    {"PageSizeL", true, kValueInvocation, kwPageSizeL, 0},
    {"DefaultPageSizeL", false, kValueSymbol, kwFeatureDefault, 0},
    {"ImageableAreaL", true, kValueAny, kwImageableAreaL, 0},
    {"PaperMedia", true, kValueAny, kwPaperMedia, 0},
    {"GraphicsMode", true, kValueAny, kwKindOption, kKindGraphicsMode},
    {"DefaultGraphicsMode", false, kValueSymbol, kwFeatureDefault, 0},
    {"MacroSetting", false, kValueBoolean, kwDriverSwitch, kSwitchMacroSetting},
    {"DefaultFontSetting", false, kValueBoolean, kwDriverSwitch, kSwitchDefaultFontSetting},
    {"Paper", true, kValueAny, kwKindOption, kKindPaper},
    {"TTMODE", true, kValueAny, kwKindOption, kKindTTMODE},
    {"DefaultTTMODE", false, kValueSymbol, kwFeatureDefault, 0},
    {"CompMode1028", false, kValueBoolean, kwDriverSwitch, kSwitchCompMode1028},
    {"SaveMacro", true, kValueAny, kwKindOption, kKindSaveMacro},
    {"ShowBiasVolt", false, kValueBoolean, kwDriverSwitch, kSwitchShowBiasVolt},
    {"DefaultBiasVolt", false, kValueSymbol, kwFeatureDefault, 0},
    {"BiasVolt", true, kValueAny, kwKindOption, kKindBiasVolt},
    {"AddUMPD", false, kValueBoolean, kwDriverSwitch, kSwitchAddUMPD},
    {"DefaultOriginalPrintProcessor", false, kValueBoolean, kwDriverSwitch,
     kSwitchOriginalPrintProcessor},
    {"DefaultQuickPrintSetup", false, kValueBoolean, kwOptionFlag, kModelQuickPrintSetup},
    {"DefaultLanguage", false, kValueText, kwDefaultLanguage, 0},
    {"GrayText", false, kValueBoolean, kwOptionFlag, kModelGrayText},
    {"DefaultMXMonitor", false, kValueBoolean, kwOptionFlag, kModelMXMonitor},
    {"DefaultStatusMonitor", false, kValueBoolean, kwOptionFlag, kModelStatusMonitor},
    {"DefaultUseReprint", false, kValueBoolean, kwOptionFlag, kModelUseReprint},
    {"DefaultUsePrinterFonts", false, kValueBoolean, kwOptionFlag, kModelUsePrinterFonts},
    {"NoBanding", false, kValueBoolean, kwOptionFlag, kModelNoBanding},
    {"TrayCaps", false, kValueNumber, kwTrayCaps, 0},
    {"DeviceCaps", false, kValueNumber, kwDeviceCaps, 0},
    {"PrintRateA4", false, kValueNumber, kwPrintRateA4, 0},
    {"PrintRateLetter", false, kValueNumber, kwPrintRateLetter, 0},
    {"InternalInformation", false, kValueNumber, kwInternalInformation, 0},
};
const size_t kKeywordCount = sizeof(kKeywords) / sizeof(kKeywords[0]);

const KeywordEntry* FindKeyword(const char* name)
{
    for (const KeywordEntry& entry : kKeywords)
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    return nullptr;
}

// Canonical feature names of the kinds, and the option keywords that feed them.
const char* const kKindNames[kModelKindCount] = {
    "PageSize", "InputSlot", "ManualFeed", "Duplex", "Collate", "Resolution",
    "VMOption", "MediaType", "MultiplePage", "TonerSaveMode", "PageProtect",
    "HRC", "GraphicsMode", "Paper", "TTMODE", "SaveMacro", "BiasVolt",
};

struct KindAlias { const char* keyword; uint8_t kind; };
const KindAlias kKindAliases[] = {
    {"PageRegion", kKindPageSize}, {"ImageableArea", kKindPageSize},
    {"PaperDimension", kKindPageSize}, {"PageSizeL", kKindPageSize},
    {"ImageableAreaL", kKindPageSize}, {"PaperMedia", kKindPageSize},
    {"JCLResolution", kKindResolution}, {"SetResolution", kKindResolution},
    {"InstalledMemory", kKindVMOption},
};

uint8_t KindOfName(const char* name)
{
    for (uint8_t kind = 0; kind < kModelKindCount; ++kind)
        if (std::strcmp(kKindNames[kind], name) == 0)
            return kind;
    for (const KindAlias& alias : kKindAliases)
        if (std::strcmp(alias.keyword, name) == 0)
            return alias.kind;
    return kKindNone;
}

// ---------------------------------------------------------------------------
// Parse-time records (in the arena), turned into arrays when serialised.

struct PendingOption {
    PendingOption* next;
    ModelOption option;
};

struct PendingFeature {
    PendingFeature* next;
    char* keyword;
    char* translation;
    char* defaultKeyword;
    PendingOption* first;
    PendingOption* last;
    uint32_t optionCount;
    uint16_t uiType;
    uint16_t index;
    uint8_t kind;
    bool installable;
    bool jcl;
    bool typeGiven;
};

struct PendingConstraint {
    PendingConstraint* next;
    char* names[4];   // feature, option or null, feature, option or null
};

struct PendingOrder {
    PendingOrder* next;
    char* feature;
    char* option;
    uint32_t section;
    double order;
};

struct PendingDefault {
    PendingDefault* next;
    char* feature;
    char* option;
};

class Parser {
public:
    Parser(const uint8_t* text, size_t size, const ModelParseOptions& options)
        : text_(reinterpret_cast<const char*>(text)), size_(size), options_(options)
    {
    }

    bool Parse();
    ModelContext* Serialise(const char16_t* path, uint16_t checksum);

private:
    // Reading
    bool ReadStatement(Statement* s, bool* done);
    bool ReadLine(const char** start, size_t* length);
    char* DecodeHex(const char* text, size_t length);
    void Report(const Statement& s, const char* message, bool fatal = false);
    bool Fail(const Statement& s, const char* message);

    // Handling
    bool Handle(Statement& s);
    bool HandleDefault(const Statement& s, const char* featureName);
    bool HandleOpenUI(const Statement& s, bool jcl);
    bool HandleOption(const Statement& s, const KeywordEntry& entry);
    bool HandleSingle(const Statement& s, const KeywordEntry& entry);
    bool HandleConstraint(const Statement& s);
    bool HandleOrder(const Statement& s);
    const char* ValueText(const Statement& s, ValueKind kind);

    // Features
    PendingFeature* FindFeature(const char* name);
    PendingFeature* FeatureForKind(uint8_t kind);
    PendingFeature* NewFeature(const char* name, uint8_t kind);
    PendingOption* OptionOf(PendingFeature* feature, const Statement& s);
    void Finish();

    const char* text_;
    size_t size_;
    size_t pos_ = 0;
    uint32_t line_ = 1;
    ModelParseOptions options_;
    Arena arena_;
    bool failed_ = false;

    ModelContext head_ = {};
    PendingFeature* features_ = nullptr;
    PendingFeature* lastFeature_ = nullptr;
    PendingFeature* slots_[kModelKindCount] = {};
    PendingFeature* open_ = nullptr;
    char openName_[64] = {};
    bool inInstallable_ = false;
    PendingConstraint* constraints_ = nullptr;
    PendingConstraint** constraintTail_ = &constraints_;
    PendingOrder* orders_ = nullptr;
    PendingOrder** orderTail_ = &orders_;
    PendingDefault* defaults_ = nullptr;
    bool seen_[kKeywordCount] = {};
    bool sawMaxMedia_ = false;
    uint32_t featureCount_ = 0;
};

void Parser::Report(const Statement& s, const char* message, bool fatal)
{
    if (options_.sink)
        options_.sink(options_.sinkContext, s.line, s.keyword, message, fatal);
}

bool Parser::Fail(const Statement& s, const char* message)
{
    Report(s, message, true);
    failed_ = true;
    return false;
}

// One physical line from pos_, without its end-of-line characters.
bool Parser::ReadLine(const char** start, size_t* length)
{
    if (pos_ >= size_)
        return false;
    *start = text_ + pos_;
    size_t end = pos_;
    while (end < size_ && !IsEol(text_[end]))
        ++end;
    *length = end - pos_;
    if (end < size_ && text_[end] == '\r')
        ++end;
    if (end < size_ && text_[end] == '\n')
        ++end;
    pos_ = end;
    ++line_;
    return true;
}

// Translation strings and quoted texts may carry bytes as <hex> substrings.
char* Parser::DecodeHex(const char* text, size_t length)
{
    char* out = static_cast<char*>(arena_.Allocate(length + 1));
    if (!out)
        return nullptr;
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != '<') {
            out[n++] = text[i];
            continue;
        }
        const size_t mark = n;
        size_t j = i + 1;
        int high = -1;
        bool valid = true;
        for (; j < length && text[j] != '>'; ++j) {
            if (IsBlank(text[j]) || IsEol(text[j]))
                continue;
            int digit = HexDigit(text[j]);
            if (digit < 0) {
                valid = false;
                break;
            }
            if (high < 0) {
                high = digit;
            } else {
                out[n++] = static_cast<char>(high * 16 + digit);
                high = -1;
            }
        }
        if (!valid || j >= length || high >= 0) {
            // Not a hex substring after all: keep the text as written.
            n = mark;
            out[n++] = '<';
            continue;
        }
        i = j;
    }
    out[n] = '\0';
    return out;
}

// Reads the next statement. Lines that are not statements are skipped.
// Returns false on a syntax error; *done is set at the end of the text.
bool Parser::ReadStatement(Statement* s, bool* done)
{
    for (;;) {
        *s = Statement();
        s->line = line_;
        const char* line;
        size_t length;
        size_t lineStart = pos_;
        if (!ReadLine(&line, &length)) {
            *done = true;
            return true;
        }
        if (length == 0 || line[0] != '*') {
            bool blank = true;
            for (size_t i = 0; i < length && blank; ++i)
                blank = IsBlank(line[i]);
            if (!blank)
                Report(*s, "text outside a statement ignored");
            continue;
        }
        if (length >= 2 && line[1] == '%')
            continue;   // comment

        size_t i = 1;
        size_t k = 0;
        while (i < length && !IsBlank(line[i]) && line[i] != ':') {
            if (k + 1 < sizeof(s->keyword))
                s->keyword[k++] = line[i];
            ++i;
        }
        s->keyword[k] = '\0';
        if (k == 0) {
            Report(*s, "statement without a keyword ignored");
            continue;
        }
        while (i < length && IsBlank(line[i]))
            ++i;
        if (i < length && line[i] != ':') {
            // Option part: keyword, then an optional "/" translation.
            size_t optionStart = i;
            while (i < length && line[i] != '/' && line[i] != ':')
                ++i;
            size_t optionEnd = i;
            while (optionEnd > optionStart && IsBlank(line[optionEnd - 1]))
                --optionEnd;
            s->option = arena_.Copy(line + optionStart, optionEnd - optionStart);
            bool translated = i < length && line[i] == '/';
            if (translated) {
                size_t translationStart = ++i;
                while (i < length && line[i] != ':')
                    ++i;
                s->translation = DecodeHex(line + translationStart, i - translationStart);
            }
            if (!s->option || (translated && !s->translation))
                return Fail(*s, "out of memory");
            if (i >= length)
                return Fail(*s, "missing ':' after the option part");
        }
        if (i >= length) {
            // A bare keyword ("*End" and the like) carries no value.
            s->value = "";
            s->shape = kShapeSymbol;
            return true;
        }
        ++i;   // the ':'
        while (i < length && IsBlank(line[i]))
            ++i;
        if (i < length && line[i] == '"') {
            // Quoted value: runs to the next quote, across lines if need be.
            size_t valueStart = lineStart + (i + 1);
            size_t end = valueStart;
            while (end < size_ && text_[end] != '"')
                ++end;
            if (end >= size_)
                return Fail(*s, "quoted value not terminated");
            if (end >= pos_) {
                // The value spans lines: go on after the line it closes on.
                for (size_t c = pos_; c < end; ++c)
                    if (text_[c] == '\n' || (text_[c] == '\r' && text_[c + 1] != '\n'))
                        ++line_;
                pos_ = end + 1;
                const char* rest;
                size_t restLength;
                ReadLine(&rest, &restLength);
            }
            s->value = text_ + valueStart;
            s->valueLength = end - valueStart;
            s->shape = kShapeQuoted;
            return true;
        }
        size_t valueEnd = length;
        while (valueEnd > i && IsBlank(line[valueEnd - 1]))
            --valueEnd;
        s->value = line + i;
        s->valueLength = valueEnd - i;
        s->shape = kShapeSymbol;
        for (size_t c = i; c < valueEnd; ++c)
            if (IsBlank(line[c]))
                s->shape = kShapeText;
        return true;
    }
}

// The statement's value as a terminated arena string, decoded by kind.
const char* Parser::ValueText(const Statement& s, ValueKind kind)
{
    if (s.shape == kShapeQuoted && kind == kValueText)
        return DecodeHex(s.value, s.valueLength);
    return arena_.Copy(s.value, s.valueLength);
}

PendingFeature* Parser::FindFeature(const char* name)
{
    if (open_ && (Equals(open_->keyword, name) || Equals(openName_, name)))
        return open_;
    for (PendingFeature* f = features_; f; f = f->next)
        if (Equals(f->keyword, name))
            return f;
    return nullptr;
}

PendingFeature* Parser::FeatureForKind(uint8_t kind)
{
    if (slots_[kind])
        return slots_[kind];
    return NewFeature(kKindNames[kind], kind);
}

PendingFeature* Parser::NewFeature(const char* name, uint8_t kind)
{
    PendingFeature* f = arena_.New<PendingFeature>();
    if (!f || !(f->keyword = arena_.Copy(name, std::strlen(name))))
        return nullptr;
    f->kind = kind;
    f->installable = inInstallable_;
    f->uiType = (kind == kKindManualFeed || kind == kKindCollate) ? kUiBoolean : kUiPickOne;
    if (lastFeature_)
        lastFeature_->next = f;
    else
        features_ = f;
    lastFeature_ = f;
    ++featureCount_;
    if (kind != kKindNone && !slots_[kind])
        slots_[kind] = f;
    // A default named before its feature existed.
    for (PendingDefault* d = defaults_; d; d = d->next)
        if (!f->defaultKeyword && Equals(d->feature, name))
            f->defaultKeyword = d->option;
    return f;
}

// The option of the statement's option keyword, created on first mention.
PendingOption* Parser::OptionOf(PendingFeature* feature, const Statement& s)
{
    for (PendingOption* o = feature->first; o; o = o->next)
        if (Equals(o->option.keyword, s.option)) {
            if (!o->option.translation && s.translation && *s.translation)
                o->option.translation = const_cast<char*>(s.translation);
            return o;
        }
    PendingOption* o = arena_.New<PendingOption>();
    if (!o)
        return nullptr;
    o->option.keyword = const_cast<char*>(s.option);
    o->option.translation = const_cast<char*>(s.translation);
    if (feature->last)
        feature->last->next = o;
    else
        feature->first = o;
    feature->last = o;
    ++feature->optionCount;
    return o;
}

bool Parser::HandleDefault(const Statement& s, const char* featureName)
{
    if (s.shape == kShapeQuoted || s.valueLength == 0) {
        Report(s, "default without an option keyword skipped");
        return true;
    }
    char* option = arena_.Copy(s.value, s.valueLength);
    if (!option)
        return Fail(s, "out of memory");
    PendingFeature* feature = FindFeature(featureName);
    if (feature) {
        if (!feature->defaultKeyword)
            feature->defaultKeyword = option;
        return true;
    }
    // The feature may be declared later.
    PendingDefault* d = arena_.New<PendingDefault>();
    char* name = arena_.Copy(featureName, std::strlen(featureName));
    if (!d || !name)
        return Fail(s, "out of memory");
    d->feature = name;
    d->option = option;
    d->next = defaults_;
    defaults_ = d;
    return true;
}

bool Parser::HandleOpenUI(const Statement& s, bool jcl)
{
    const char* name = s.option;
    if (*name == '*')
        ++name;
    uint16_t type;
    if (s.valueLength == 7 && std::memcmp(s.value, "PickOne", 7) == 0)
        type = kUiPickOne;
    else if (s.valueLength == 8 && std::memcmp(s.value, "PickMany", 8) == 0)
        type = kUiPickMany;
    else if (s.valueLength == 7 && std::memcmp(s.value, "Boolean", 7) == 0)
        type = kUiBoolean;
    else {
        Report(s, "unknown user-interface type; feature not opened");
        return true;
    }
    if (!*name || std::strlen(name) >= sizeof(openName_)) {
        Report(s, "feature name missing or too long");
        return true;
    }
    uint8_t kind = KindOfName(name);
    PendingFeature* feature = nullptr;
    for (PendingFeature* f = features_; f && !feature; f = f->next)
        if (Equals(f->keyword, name))
            feature = f;
    // Statements that feed a kind (PageRegion, JCLResolution, ...) open the
    // feature of that kind rather than a second one.
    if (!feature && kind != kKindNone)
        feature = slots_[kind];
    if (!feature && !(feature = NewFeature(name, kind)))
        return Fail(s, "out of memory");
    if (!feature->typeGiven) {
        feature->uiType = type;
        feature->typeGiven = true;
    }
    if (!feature->translation && s.translation && *s.translation)
        feature->translation = const_cast<char*>(s.translation);
    feature->jcl = feature->jcl || jcl;
    open_ = feature;
    std::strcpy(openName_, name);
    return true;
}

bool Parser::HandleOption(const Statement& s, const KeywordEntry& entry)
{
    uint8_t kind;
    switch (entry.id) {
    case kwKindOption: kind = static_cast<uint8_t>(entry.detail); break;
    case kwInputSlot: kind = kKindInputSlot; break;
    case kwResolution: case kwJCLResolution: case kwSetResolution: kind = kKindResolution; break;
    case kwMemory: kind = kKindVMOption; break;
    default: kind = kKindPageSize; break;
    }
    PendingFeature* feature = FeatureForKind(kind);
    PendingOption* o = feature ? OptionOf(feature, s) : nullptr;
    if (!o)
        return Fail(s, "out of memory");
    ModelOption& option = o->option;
    const char* value = ValueText(s, kValueInvocation);
    if (!value)
        return Fail(s, "out of memory");

    switch (entry.id) {
    case kwPageRegion:
        if (!option.value)
            option.value = const_cast<char*>(value);
        break;
    case kwPageSizeL:
        option.landscapeValue = const_cast<char*>(value);
        break;
    case kwPaperMedia:
        option.media = const_cast<char*>(value);
        break;
    case kwPaperDimension: {
        const char* p = value;
        if (!ReadFixed(&p, &option.width) || !ReadFixed(&p, &option.height)) {
            Report(s, "paper dimension needs two numbers; skipped");
            option.width = option.height = 0;
            break;
        }
        option.flags |= kOptionHasDimension;
        break;
    }
    case kwImageableArea:
    case kwImageableAreaL: {
        int32_t* area = entry.id == kwImageableArea ? option.imageable : option.imageableL;
        const char* p = value;
        for (int n = 0; n < 4; ++n)
            if (!ReadFixed(&p, &area[n])) {
                Report(s, "imageable area needs four numbers; skipped");
                std::memset(area, 0, 4 * sizeof(int32_t));
                return true;
            }
        option.flags |= entry.id == kwImageableArea ? kOptionHasImageableArea
                                                   : kOptionHasImageableAreaL;
        break;
    }
    case kwResolution: option.flags |= kOptionFromResolution; option.value = const_cast<char*>(value); break;
    case kwJCLResolution: option.flags |= kOptionFromJCLResolution; option.value = const_cast<char*>(value); break;
    case kwSetResolution: option.flags |= kOptionFromSetResolution; option.value = const_cast<char*>(value); break;
    case kwMemory: {
        option.value = const_cast<char*>(value);
        // "min,max,standard": the last list names the standard memory.
        const char* items[3] = {value, nullptr, nullptr};
        int commas = 0;
        for (const char* p = value; *p && commas < 2; ++p)
            if (*p == ',')
                items[++commas] = p + 1;
        const char* size = items[commas];
        option.memoryKB = ReadUnsigned(size) * 1024;
        if (commas > 0) {
            head_.memoryItem0 = ReadUnsigned(items[0]);
            head_.memoryItem1 = ReadUnsigned(items[1]);
            head_.standardMemory = commas == 2 ? ReadUnsigned(items[2]) : head_.memoryItem1;
        }
        break;
    }
    default:
        option.value = const_cast<char*>(value);
        break;
    }
    return true;
}

bool Parser::HandleConstraint(const Statement& s)
{
    PendingConstraint* c = arena_.New<PendingConstraint>();
    char* text = arena_.Copy(s.value, s.valueLength);
    if (!c || !text)
        return Fail(s, "out of memory");
    // "*Feature1 [Option1] *Feature2 [Option2]"
    int slot = -1;
    for (char* p = text; *p;) {
        while (IsBlank(*p) || IsEol(*p))
            *p++ = '\0';
        if (!*p)
            break;
        char* word = p;
        while (*p && !IsBlank(*p) && !IsEol(*p))
            ++p;
        if (*word == '*') {
            slot = slot < 0 ? 0 : 2;
            if (c->names[slot])   // a third feature: not a constraint
                slot = 4;
            if (slot > 2)
                break;
            c->names[slot] = word + 1;
        } else if (slot == 0 || slot == 2) {
            if (!c->names[slot + 1])
                c->names[slot + 1] = word;
        }
    }
    if (!c->names[0] || !c->names[2] || slot > 2) {
        Report(s, "constraint needs two features; skipped");
        return true;
    }
    *constraintTail_ = c;
    constraintTail_ = &c->next;
    return true;
}

bool Parser::HandleOrder(const Statement& s)
{
    PendingOrder* o = arena_.New<PendingOrder>();
    char* text = arena_.Copy(s.value, s.valueLength);
    if (!o || !text)
        return Fail(s, "out of memory");
    // "order section *Feature [Option]"
    char* words[4] = {};
    int count = 0;
    for (char* p = text; *p && count < 4;) {
        while (IsBlank(*p))
            *p++ = '\0';
        if (!*p)
            break;
        words[count++] = p;
        while (*p && !IsBlank(*p))
            ++p;
    }
    if (count < 3 || words[2][0] != '*') {
        Report(s, "order dependency needs an order, a section and a feature; skipped");
        return true;
    }
    int32_t fixed = 0;
    const char* p = words[0];
    if (!ReadFixed(&p, &fixed)) {
        Report(s, "order dependency without an order value; skipped");
        return true;
    }
    static const char* const kSections[] = {"AnySetup", "ExitServer", "Prolog",
                                            "DocumentSetup", "PageSetup", "JCLSetup"};
    o->section = kSectionAny;
    for (uint32_t i = 0; i < 6; ++i)
        if (std::strcmp(words[1], kSections[i]) == 0)
            o->section = i;
    o->order = fixed / 256.0;
    o->feature = words[2] + 1;
    o->option = count > 3 ? words[3] : nullptr;
    *orderTail_ = o;
    orderTail_ = &o->next;
    return true;
}

bool ReadBoolean(const Statement& s, bool* value)
{
    if (s.valueLength == 4 && std::memcmp(s.value, "True", 4) == 0)
        *value = true;
    else if (s.valueLength == 5 && std::memcmp(s.value, "False", 5) == 0)
        *value = false;
    else
        return false;
    return true;
}

uint32_t CodeOf(const char* value, const char* const* names, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        if (std::strcmp(value, names[i]) == 0)
            return i;
    return 0;
}

bool Parser::HandleSingle(const Statement& s, const KeywordEntry& entry)
{
    const char* value = ValueText(s, entry.value);
    if (!value)
        return Fail(s, "out of memory");
    uint32_t number = ReadUnsigned(value);
    bool flag = false;
    if (entry.value == kValueBoolean && !ReadBoolean(s, &flag)) {
        Report(s, "value must be True or False; skipped");
        return false;
    }
    char* text = const_cast<char*>(value);
    switch (entry.id) {
    case kwColorDevice: head_.colorDevice = flag; break;
    case kwPrintPSError: head_.printPSError = flag; break;
    case kwOptionFlag: if (flag) head_.modelOptionFlags |= entry.detail; break;
    case kwDriverSwitch: if (flag) head_.driverSwitches |= entry.detail; break;
    case kwNickName: head_.nickName = text; break;
    case kwExitServer: head_.exitServer = text; break;
    case kwPassword: head_.password = text; break;
    case kwJCLBegin: head_.jclBegin = text; break;
    case kwJCLToPS: head_.jclToPSInterpreter = text; break;
    case kwJCLEnd: head_.jclEnd = text; break;
    case kwDefaultLanguage: head_.defaultLanguage = text; break;
    case kwLanguageLevel: head_.languageLevel = number; break;
    case kwJobTimeout: head_.suggestedJobTimeout = number; break;
    case kwWaitTimeout: head_.suggestedWaitTimeout = number; break;
    case kwScreenAngle: head_.screenAngle = number; break;
    case kwScreenFreq: head_.screenFreq = number; break;
    case kwFreeVM: head_.freeVM = number; break;
    case kwMaxMediaWidth: head_.maxMediaWidth = number; sawMaxMedia_ = true; break;
    case kwMaxMediaHeight: head_.maxMediaHeight = number; sawMaxMedia_ = true; break;
    case kwPrinterCaps: head_.modelCaps = number; break;
    case kwDeviceCaps: head_.modelFeatures = number; break;
    case kwTrayCaps: head_.modelTrays = number; break;
    case kwInternalInformation: head_.internalInformation = number; break;
    case kwPrintRateA4: head_.printRate = (head_.printRate & 0xFFFF0000u) | (number & 0xFFFF); break;
    case kwPrintRateLetter: head_.printRate = (head_.printRate & 0xFFFF) | (number << 16); break;
    case kwFileVersion: head_.fileVersion = ParseFileVersion(s.value, s.valueLength); break;
    case kwHWMargins: {
        const char* p = value;
        for (int32_t& margin : head_.hwMargins) {
            int32_t fixed = 0;
            ReadFixed(&p, &fixed);
            margin = fixed / 256;
        }
        break;
    }
    case kwLandscape: {
        static const char* const kNames[] = {"Any", "Plus90", "Minus90"};
        head_.landscapeOrientation = CodeOf(value, kNames, 3);
        break;
    }
    case kwLanguageEncoding: {
        static const char* const kNames[] = {"None", "StandardEncoding", "ISOLatin1",
                                             "WindowsANSI", "JIS83-RKSJ", "Unicode"};
        head_.languageEncoding = CodeOf(value, kNames, 6);
        break;
    }
    case kwLanguageVersion: {
        static const char* const kNames[] = {"None", "English", "French", "German",
                                             "Spanish", "Italian", "Japanese"};
        head_.languageVersion = CodeOf(value, kNames, 7);
        break;
    }
    case kwTTRasterizer: {
        static const char* const kNames[] = {"None", "Accept68K", "Type42", "TrueImage"};
        head_.ttRasterizer = CodeOf(value, kNames, 4);
        break;
    }
    case kwProtocols: {
        static const char* const kNames[] = {"BCP", "PJL", "TBCP", "SIC"};
        for (const char* p = value; *p;) {
            while (IsBlank(*p))
                ++p;
            const char* word = p;
            while (*p && !IsBlank(*p))
                ++p;
            for (uint32_t bit = 0; bit < 4; ++bit)
                if (size_t(p - word) == std::strlen(kNames[bit]) &&
                    std::memcmp(word, kNames[bit], p - word) == 0)
                    head_.protocols |= 1u << bit;
        }
        break;
    }
    default:
        break;
    }
    return true;
}

// Which value shapes a keyword entry accepts.
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

bool Parser::Handle(Statement& s)
{
    if (s.keyword[0] == '?')
        return true;   // query keywords ask the printer; nothing to keep

    const KeywordEntry* entry = FindKeyword(s.keyword);
    bool defaultStatement = std::strncmp(s.keyword, "Default", 7) == 0 && s.keyword[7] &&
                            !s.option && (!entry || entry->id == kwFeatureDefault);
    if (defaultStatement)
        return HandleDefault(s, s.keyword + 7);

    if (!entry) {
        // The generic option rule: an option of a feature opened by name.
        PendingFeature* feature = s.option ? FindFeature(s.keyword) : nullptr;
        if (!feature) {
            Report(s, "unknown keyword skipped");
            return true;
        }
        PendingOption* o = OptionOf(feature, s);
        const char* value = ValueText(s, kValueInvocation);
        if (!o || !value)
            return Fail(s, "out of memory");
        o->option.value = const_cast<char*>(value);
        return true;
    }

    if (entry->takesOption != (s.option != nullptr)) {
        Report(s, entry->takesOption ? "option part missing; skipped"
                                     : "unexpected option part; skipped");
        return true;
    }
    if (!(AcceptedShapes(entry->value) & s.shape)) {
        Report(s, s.shape == kShapeQuoted ? "quoted value not expected; skipped"
                                          : "quoted value expected; skipped");
        return true;
    }

    switch (entry->id) {
    case kwIgnored:
    case kwExtensions:
    case kwAcceptedOption:
        return true;
    case kwOpenGroup: {
        size_t n = 0;
        while (n < s.valueLength && s.value[n] != '/' && !IsBlank(s.value[n]))
            ++n;
        if (n == 18 && std::memcmp(s.value, "InstallableOptions", 18) == 0)
            inInstallable_ = true;
        return true;
    }
    case kwCloseGroup:
        if (s.valueLength >= 18 && std::memcmp(s.value, "InstallableOptions", 18) == 0)
            inInstallable_ = false;
        return true;
    case kwOpenUI:
    case kwJCLOpenUI:
        return HandleOpenUI(s, entry->id == kwJCLOpenUI);
    case kwCloseUI:
    case kwJCLCloseUI:
        if (!open_)
            Report(s, "no feature is open");
        open_ = nullptr;
        openName_[0] = '\0';
        return true;
    case kwUIConstraints:
        return HandleConstraint(s);
    case kwOrderDependency:
        return HandleOrder(s);
    case kwSleepMode:
        if (!head_.sleepModeList && !(head_.sleepModeList = const_cast<char*>(ValueText(s, kValueText))))
            return Fail(s, "out of memory");
        return true;
    case kwCustomPageSize:
        if (Equals(s.option, "True"))
            head_.customPageSize = 1;
        return true;
    case kwPageSize: case kwPageRegion: case kwImageableArea: case kwPaperDimension:
    case kwPageSizeL: case kwImageableAreaL: case kwPaperMedia: case kwInputSlot:
    case kwResolution: case kwJCLResolution: case kwSetResolution: case kwMemory:
    case kwKindOption:
        return HandleOption(s, *entry);
    default:
        break;
    }

    // Single-valued keywords count only at their first successful statement.
    size_t slot = static_cast<size_t>(entry - kKeywords);
    if (seen_[slot]) {
        Report(s, "repeated keyword skipped");
        return true;
    }
    if (HandleSingle(s, *entry))
        seen_[slot] = true;
    return !failed_;
}

bool Parser::Parse()
{
    head_.pageSizeReference[0] = 11520;
    head_.pageSizeReference[1] = 15360;
    head_.resolutionFlag = 1;
    head_.resolutionValue = 240;
    head_.listGranularity = 16;

    for (;;) {
        Statement s;
        bool done = false;
        if (!ReadStatement(&s, &done))
            return false;
        if (done)
            break;
        if (!Handle(s) && failed_)
            return false;
    }
    Finish();
    return true;
}

uint32_t ResolutionOfKeyword(const char* keyword)
{
    int64_t dpi = ReadInteger(keyword);
    return dpi < 1 || dpi > 0xFFFF ? 300 : static_cast<uint32_t>(dpi);
}

void Parser::Finish()
{
    // Ordinary features first, then the installable ones.
    PendingFeature* ordinary = nullptr;
    PendingFeature** ordinaryTail = &ordinary;
    PendingFeature* installable = nullptr;
    PendingFeature** installableTail = &installable;
    for (PendingFeature* f = features_; f;) {
        PendingFeature* next = f->next;
        f->next = nullptr;
        PendingFeature*** tail = f->installable ? &installableTail : &ordinaryTail;
        **tail = f;
        *tail = &f->next;
        f = next;
    }
    *ordinaryTail = installable;
    features_ = ordinary;
    uint16_t index = 0;
    for (PendingFeature* f = features_; f; f = f->next) {
        f->index = index++;
        if (f->installable)
            ++head_.installableCount;
    }
    head_.featureCount = featureCount_;
    head_.optionCount = featureCount_ - head_.installableCount;

    if (head_.freeVM < 102400)
        head_.freeVM = 102400;
    if (!sawMaxMedia_)
        head_.customPageSize = 0;

    PendingFeature* slot = slots_[kKindInputSlot];
    if (slot && slot->uiType != kUiPickOne && slot->uiType != kUiPickMany)
        for (PendingOption* o = slot->first; o; o = o->next)
            if (slot->uiType & 1)
                o->option.flags |= kOptionSlotTypeBit;

    PendingFeature* resolution = slots_[kKindResolution];
    head_.defaultResolution = 300;
    if (resolution) {
        const char* keyword = resolution->defaultKeyword;
        if (!keyword && resolution->first)
            keyword = resolution->first->option.keyword;
        if (keyword)
            head_.defaultResolution = ResolutionOfKeyword(keyword);
    }
}

// ---------------------------------------------------------------------------
// Serialisation into one block. The same walk runs twice: first to size the
// block, then to fill it, so the two can never disagree.

class ImageWriter {
public:
    explicit ImageWriter(uint8_t* base) : base_(base) {}

    size_t Reserve(size_t size)
    {
        pos_ = (pos_ + 7) & ~size_t(7);
        size_t at = pos_;
        pos_ += size;
        return at;
    }

    uint64_t String(const char* text)
    {
        if (!text)
            return 0;
        size_t length = std::strlen(text) + 1;
        size_t at = pos_;
        if (base_)
            std::memcpy(base_ + at, text, length);
        pos_ += length;
        return at;
    }

    uint64_t Path(const char16_t* path)
    {
        size_t length = 0;
        while (path && path[length])
            ++length;
        size_t at = Reserve((length + 1) * sizeof(char16_t));
        if (base_ && path)
            std::memcpy(base_ + at, path, length * sizeof(char16_t));
        return at;
    }

    template <typename T>
    T* At(size_t offset) { return base_ ? reinterpret_cast<T*>(base_ + offset) : nullptr; }

    size_t Size() const { return (pos_ + 7) & ~size_t(7); }
    bool Filling() const { return base_ != nullptr; }

private:
    uint8_t* base_;
    size_t pos_ = 0;
};

template <typename T>
T* AsOffset(uint64_t offset)
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(offset));
}

int FindFeatureIndex(PendingFeature* features, const char* name, PendingFeature** found)
{
    for (PendingFeature* f = features; f; f = f->next)
        if (Equals(f->keyword, name)) {
            *found = f;
            return f->index;
        }
    uint8_t kind = KindOfName(name);
    for (PendingFeature* f = features; f && kind != kKindNone; f = f->next)
        if (f->kind == kind) {
            *found = f;
            return f->index;
        }
    return -1;
}

int FindOptionIndex(const PendingFeature* feature, const char* name)
{
    int index = 0;
    for (const PendingOption* o = feature->first; o; o = o->next, ++index)
        if (Equals(o->option.keyword, name))
            return index;
    return -1;
}

// Feature and option numbers of one constraint or order dependency side;
// false when the model lacks the feature or the named option.
bool ResolveReference(PendingFeature* features, const char* featureName, const char* optionName,
                      uint16_t* feature, uint16_t* option)
{
    PendingFeature* f = nullptr;
    int fi = FindFeatureIndex(features, featureName, &f);
    if (fi < 0)
        return false;
    int oi = optionName ? FindOptionIndex(f, optionName) : kAnyOption;
    if (oi < 0)
        return false;
    *feature = static_cast<uint16_t>(fi);
    *option = static_cast<uint16_t>(oi);
    return true;
}

void WriteImage(ImageWriter& w, const ModelContext& head, PendingFeature* features,
                PendingConstraint* constraints, PendingOrder* orders, const char16_t* path)
{
    size_t headAt = w.Reserve(sizeof(ModelContext));
    ModelContext* out = w.At<ModelContext>(headAt);
    if (out) {
        *out = head;
        std::memset(out->slots, 0, sizeof(out->slots));
    }
    uint64_t pathAt = w.Path(path);

    size_t featuresAt = w.Reserve(sizeof(ModelFeature) * head.featureCount);
    uint32_t constraintCount = 0;
    for (PendingConstraint* c = constraints; c; c = c->next)
        ++constraintCount;
    size_t constraintsAt = w.Reserve(sizeof(ModelConstraint) * constraintCount);
    uint32_t orderCount = 0;
    for (PendingOrder* o = orders; o; o = o->next)
        ++orderCount;
    size_t ordersAt = w.Reserve(sizeof(ModelOrderDependency) * orderCount);

    uint32_t i = 0;
    for (PendingFeature* f = features; f; f = f->next, ++i) {
        size_t optionsAt = w.Reserve(sizeof(ModelOption) * f->optionCount);
        uint32_t position = 0, defaultPosition = 0;
        for (PendingOption* o = f->first; o; o = o->next, ++position) {
            if (f->defaultKeyword && Equals(o->option.keyword, f->defaultKeyword))
                defaultPosition = position;
            ModelOption written = o->option;
            written.keyword = AsOffset<char>(w.String(o->option.keyword));
            written.translation = AsOffset<char>(w.String(o->option.translation));
            written.value = AsOffset<char>(w.String(o->option.value));
            written.landscapeValue = AsOffset<char>(w.String(o->option.landscapeValue));
            written.media = AsOffset<char>(w.String(o->option.media));
            if (w.Filling())
                w.At<ModelOption>(optionsAt)[position] = written;
        }
        ModelFeature feature = {};
        feature.keyword = AsOffset<char>(w.String(f->keyword));
        feature.translation = AsOffset<char>(w.String(f->translation));
        feature.defaultKeyword = AsOffset<char>(w.String(f->defaultKeyword));
        feature.options = f->optionCount ? AsOffset<ModelOption>(optionsAt) : nullptr;
        feature.optionCount = f->optionCount;
        feature.defaultOption = f->kind == kKindResolution ? head.defaultResolution : defaultPosition;
        feature.uiType = f->uiType;
        feature.index = f->index;
        feature.installable = f->installable;
        feature.kind = f->kind;
        feature.jcl = f->jcl;
        if (w.Filling())
            w.At<ModelFeature>(featuresAt)[i] = feature;
    }

    i = 0;
    for (PendingConstraint* c = constraints; c; c = c->next, ++i) {
        ModelConstraint constraint = {kNoConstraintFeature, kAnyOption, kNoConstraintFeature,
                                      kAnyOption};
        if (!ResolveReference(features, c->names[0], c->names[1], &constraint.feature1,
                              &constraint.option1) ||
            !ResolveReference(features, c->names[2], c->names[3], &constraint.feature2,
                              &constraint.option2))
            constraint.feature1 = kNoConstraintFeature;
        if (w.Filling())
            w.At<ModelConstraint>(constraintsAt)[i] = constraint;
    }

    i = 0;
    for (PendingOrder* o = orders; o; o = o->next, ++i) {
        ModelOrderDependency order = {kNoConstraintFeature, kAnyOption, o->section, o->order};
        if (!ResolveReference(features, o->feature, o->option, &order.feature, &order.option))
            order.feature = kNoConstraintFeature;
        if (w.Filling())
            w.At<ModelOrderDependency>(ordersAt)[i] = order;
    }

    uint64_t strings[8] = {
        w.String(head.nickName), w.String(head.password), w.String(head.exitServer),
        w.String(head.jclBegin), w.String(head.jclToPSInterpreter), w.String(head.jclEnd),
        w.String(head.defaultLanguage), w.String(head.sleepModeList),
    };
    // A zeroed tail: whatever a damaged cache points at, a text read from
    // the block ends inside it.
    w.Reserve(8);
    if (!out)
        return;
    out->imageSize = static_cast<uint32_t>(w.Size());
    out->headSize = kModelHeadSize;
    out->imageVersion = kModelImageVersion;
    out->modelPath = AsOffset<char16_t>(pathAt);
    out->features = head.featureCount ? AsOffset<ModelFeature>(featuresAt) : nullptr;
    out->constraintCount = constraintCount;
    out->constraints = constraintCount ? AsOffset<ModelConstraint>(constraintsAt) : nullptr;
    out->orderDependencyCount = orderCount;
    out->orderDependencies = orderCount ? AsOffset<ModelOrderDependency>(ordersAt) : nullptr;
    out->nickName = AsOffset<char>(strings[0]);
    out->password = AsOffset<char>(strings[1]);
    out->exitServer = AsOffset<char>(strings[2]);
    out->jclBegin = AsOffset<char>(strings[3]);
    out->jclToPSInterpreter = AsOffset<char>(strings[4]);
    out->jclEnd = AsOffset<char>(strings[5]);
    out->defaultLanguage = AsOffset<char>(strings[6]);
    out->sleepModeList = AsOffset<char>(strings[7]);
}

ModelContext* Parser::Serialise(const char16_t* path, uint16_t checksum)
{
    head_.modelChecksum = checksum;
    ImageWriter sizing(nullptr);
    WriteImage(sizing, head_, features_, constraints_, orders_, path);
    if (sizing.Size() > 0xFFFFFFFFu)
        return nullptr;
    auto* block = static_cast<uint8_t*>(options_.allocate(sizing.Size()));
    if (!block)
        return nullptr;
    ImageWriter filling(block);
    WriteImage(filling, head_, features_, constraints_, orders_, path);
    return reinterpret_cast<ModelContext*>(block);
}

// ---------------------------------------------------------------------------
// Relocation.

class Relocator {
public:
    Relocator(uint8_t* base, size_t size) : base_(base), size_(size) {}

    // An offset inside the block becomes a pointer; a larger one becomes null.
    template <typename T>
    T* Pointer(T* stored)
    {
        uint64_t offset = reinterpret_cast<uintptr_t>(stored);
        if (offset == 0 || offset > size_)
            return nullptr;
        return reinterpret_cast<T*>(base_ + offset);
    }

    // Records must lie wholly inside the block.
    template <typename T>
    bool Array(T*& stored, uint64_t count)
    {
        uint64_t offset = reinterpret_cast<uintptr_t>(stored);
        if (count == 0) {
            stored = nullptr;
            return true;
        }
        if (offset == 0 || offset % alignof(T) || offset > size_ ||
            count > (size_ - offset) / sizeof(T))
            return false;
        stored = reinterpret_cast<T*>(base_ + offset);
        return true;
    }

    // Texts must end inside the block.
    bool Text(char*& stored)
    {
        stored = Pointer(stored);
        return !stored || std::memchr(stored, 0, size_ - (stored - reinterpret_cast<char*>(base_)));
    }

    bool Path(char16_t*& stored)
    {
        uint64_t offset = reinterpret_cast<uintptr_t>(stored);
        if (offset == 0 || offset % 2 || offset >= size_)
            return false;
        stored = reinterpret_cast<char16_t*>(base_ + offset);
        for (uint64_t at = offset; at + 1 < size_; at += 2)
            if (stored[(at - offset) / 2] == 0)
                return true;
        return false;
    }

private:
    uint8_t* base_;
    size_t size_;
};

} // namespace

namespace {

struct Region {
    uint64_t start;
    uint64_t end;
};

int CompareRegions(const void* a, const void* b)
{
    uint64_t x = static_cast<const Region*>(a)->start, y = static_cast<const Region*>(b)->start;
    return x < y ? -1 : x > y ? 1 : 0;
}

// Where an array of count records of the given size and alignment lies, as
// offsets; false when it does not lie wholly inside the block.
bool ArrayRegion(const void* stored, uint64_t count, size_t recordSize, size_t alignment,
                 size_t blockSize, Region* region)
{
    uint64_t offset = reinterpret_cast<uintptr_t>(stored);
    if (count == 0) {
        *region = {0, 0};
        return true;
    }
    if (offset == 0 || offset % alignment || offset > blockSize ||
        count > (blockSize - offset) / recordSize)
        return false;
    *region = {offset, offset + count * recordSize};
    return true;
}

// Checks, before anything is rewritten, that every record array lies inside
// the block and that the records relocation writes pointers into (the head,
// the features and each option array) overlap neither each other nor the
// other arrays: rewriting one record must never corrupt another. Only a
// damaged cache can fail this; the parser never lays records out so.
bool CheckRecordLayout(const ModelContext* image, size_t size)
{
    const uint8_t* base = reinterpret_cast<const uint8_t*>(image);
    Region features, constraints, orders;
    if (!ArrayRegion(image->features, image->featureCount, sizeof(ModelFeature),
                     alignof(ModelFeature), size, &features) ||
        !ArrayRegion(image->constraints, image->constraintCount, sizeof(ModelConstraint),
                     alignof(ModelConstraint), size, &constraints) ||
        !ArrayRegion(image->orderDependencies, image->orderDependencyCount,
                     sizeof(ModelOrderDependency), alignof(ModelOrderDependency), size, &orders))
        return false;

    auto* regions = static_cast<Region*>(std::malloc((4 + image->featureCount) * sizeof(Region)));
    if (!regions)
        return false;
    uint64_t n = 0;
    regions[n++] = {0, sizeof(ModelContext)};
    for (const Region& r : {features, constraints, orders})
        if (r.end > r.start)
            regions[n++] = r;
    bool valid = true;
    const auto* records = reinterpret_cast<const ModelFeature*>(base + features.start);
    for (uint32_t i = 0; i < image->featureCount && valid; ++i) {
        Region options;
        valid = ArrayRegion(records[i].options, records[i].optionCount, sizeof(ModelOption),
                            alignof(ModelOption), size, &options);
        if (valid && options.end > options.start)
            regions[n++] = options;
    }
    if (valid) {
        std::qsort(regions, n, sizeof(Region), CompareRegions);
        for (uint64_t i = 1; i < n && valid; ++i)
            valid = regions[i].start >= regions[i - 1].end;
    }
    std::free(regions);
    return valid;
}

} // namespace

bool RelocateModelImage(ModelContext* image, size_t size)
{
    if (!image || size <= sizeof(ModelContext) || image->imageSize != size ||
        image->imageVersion != kModelImageVersion ||
        reinterpret_cast<const uint8_t*>(image)[size - 1] != 0 ||
        image->featureCount > 0xFFFF || image->optionCount > image->featureCount ||
        !CheckRecordLayout(image, size))
        return false;

    Relocator r(reinterpret_cast<uint8_t*>(image), size);
    if (!r.Path(image->modelPath) || !r.Array(image->features, image->featureCount) ||
        !r.Array(image->constraints, image->constraintCount) ||
        !r.Array(image->orderDependencies, image->orderDependencyCount))
        return false;
    for (char** text : {&image->nickName, &image->password, &image->exitServer,
                        &image->jclBegin, &image->jclToPSInterpreter, &image->jclEnd,
                        &image->defaultLanguage, &image->sleepModeList})
        if (!r.Text(*text))
            return false;
    std::memset(image->slots, 0, sizeof(image->slots));
    for (uint32_t i = 0; i < image->featureCount; ++i) {
        ModelFeature& f = image->features[i];
        if (!r.Array(f.options, f.optionCount) || !r.Text(f.keyword) || !f.keyword ||
            !r.Text(f.translation) || !r.Text(f.defaultKeyword))
            return false;
        for (uint32_t n = 0; n < f.optionCount; ++n) {
            ModelOption& o = f.options[n];
            if (!r.Text(o.keyword) || !o.keyword || !r.Text(o.translation) || !r.Text(o.value) ||
                !r.Text(o.landscapeValue) || !r.Text(o.media))
                return false;
        }
        if (f.kind < kModelKindCount && !image->slots[f.kind])
            image->slots[f.kind] = &f;
    }
    return true;
}

uint32_t ParseFileVersion(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length && IsBlank(text[i]))
        ++i;
    if (i < length && text[i] == '-')
        return 0;
    uint64_t whole = 0;
    bool digits = false;
    for (; i < length && IsDigit(text[i]); ++i) {
        digits = true;
        whole = whole * 10 + (text[i] - '0');
        if (whole > 0xFFFFFF)
            return 0;
    }
    uint64_t fraction = 0, scale = 1;
    if (i < length && text[i] == '.') {
        for (++i; i < length && IsDigit(text[i]) && scale < 100000; ++i) {
            digits = true;
            fraction = fraction * 10 + (text[i] - '0');
            scale *= 10;
        }
    }
    if (!digits)
        return 0;
    // Halves round upward: 0.5/256 of a unit and above counts as one.
    uint64_t fixed = (fraction * 256 * 2 + scale) / (scale * 2);
    return static_cast<uint32_t>(whole * 256 + fixed);
}

uint16_t ModelChecksum(const uint8_t* data, size_t size)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

ModelContext* BuildModelImage(const uint8_t* text, size_t size, const char16_t* path,
                              const ModelParseOptions& options)
{
    if (!text || !options.allocate)
        return nullptr;
    Parser* parser = new (std::nothrow) Parser(text, size, options);
    if (!parser)
        return nullptr;
    ModelContext* image = nullptr;
    if (parser->Parse())
        image = parser->Serialise(path, ModelChecksum(text, size));
    delete parser;   // frees the parse arena
    return image;
}
