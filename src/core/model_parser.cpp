#include "core/model_parser.h"

#include "core/description_text.h"
#include "core/model_draft.h"
#include "core/model_image_internal.h"
#include "core/model_keywords.h"
#include "core/model_queries.h"
#include "core/model_statement.h"
#include "core/parse_arena.h"

#include <cstring>
#include <new>

namespace model_parse {

namespace {

const char kOutOfMemory[] = "out of memory";

// "InstalledMemory" lists give megabytes; options keep kilobytes.
const uint32_t kKilobytesPerMegabyte = 1024;

// Room for the name of the open feature and its terminator.
const size_t kFeatureNameCapacity = 64;

// A resolution option keyword as dots per inch; the fallback when it does
// not start with a usable number.
uint32_t ResolutionOfKeyword(const char* keyword)
{
    const uint32_t dpi = ResolutionDpiOfKeyword(keyword);
    return dpi ? dpi : kModelFallbackResolution;
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

bool StartsWith(const char* text, size_t length, const char* prefix, size_t prefixLength)
{
    return length >= prefixLength && std::memcmp(text, prefix, prefixLength) == 0;
}

// Splits "*Feature1 [Option1] *Feature2 [Option2]" in place into the four
// names. False unless it names exactly two features.
bool SplitConstraint(char* text, char* names[4])
{
    int slot = -1;
    for (char* p = text; *p;) {
        while (IsSpace(*p))
            *p++ = '\0';
        if (!*p)
            break;
        char* word = p;
        while (*p && !IsSpace(*p))
            ++p;
        if (*word == '*') {
            slot = slot < 0 ? 0 : 2;
            if (names[slot])
                return false;   // a third feature: not a constraint
            names[slot] = word + 1;
        } else if ((slot == 0 || slot == 2) && !names[slot + 1]) {
            names[slot + 1] = word;
        }
    }
    return names[0] && names[2];
}

// Splits text in place at blanks into at most four words; returns how many.
int SplitWords(char* text, char* words[4])
{
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
    return count;
}

class Parser {
public:
    Parser(const uint8_t* text, size_t size, const ModelParseOptions& options)
        : featureIndex_(arena_), optionIndex_(arena_), defaultIndex_(arena_),
          diagnostics_(options.sink, options.sinkContext),
          reader_(text, size, diagnostics_)
    {
    }

    // Reads every statement and finishes the draft; false when a statement
    // cannot be read or memory runs out.
    bool Parse();
    ModelDraft& Draft() { return draft_; }

private:
    void SetHeadDefaults();
    bool Handle(const Statement& s);
    bool HandleKnown(const Statement& s, const KeywordEntry& entry);
    bool ShapeFits(const Statement& s, const KeywordEntry& entry);

    // Features and their options
    PendingFeature* FindFeature(const char* name, size_t length);
    PendingFeature* FeatureForKind(uint8_t kind);
    PendingFeature* NewFeature(const char* name, size_t length, uint8_t kind);
    PendingOption* OptionOf(PendingFeature* feature, const Statement& s);
    bool HandleDefault(const Statement& s, const char* featureName, size_t length);
    bool HandleGenericOption(const Statement& s);
    bool HandleOpenUI(const Statement& s, bool jcl);
    PendingFeature* FeatureToOpen(const char* name, size_t length, uint8_t kind);
    void HandleCloseUI(const Statement& s);
    void HandleOpenGroup(const Statement& s);
    void HandleCloseGroup(const Statement& s);

    // Option-taking keywords of the known kinds
    bool HandleOption(const Statement& s, const KeywordEntry& entry);
    void ReadPaperDimension(const Statement& s, const char* value, ModelOption* option);
    void ReadImageableArea(const Statement& s, const char* value, int32_t area[4],
                           uint32_t flag, ModelOption* option);
    void ReadMemoryList(const char* value, ModelOption* option);

    // Statements between features
    bool HandleConstraint(const Statement& s);
    bool HandleOrder(const Statement& s);

    // Single-valued keywords
    bool HandleSingle(const Statement& s, const KeywordEntry& entry);
    bool StoreSingle(const Statement& s, const KeywordEntry& entry);
    bool StoreBoolean(const Statement& s, const KeywordEntry& entry);
    void StoreOther(const Statement& s, KeywordId id, const char* value);

    // After the last statement
    void Finish();
    void PlaceInstallableFeaturesLast();
    void NumberFeatures();
    void ResolveReferences();
    const PendingFeature* FeatureNamed(const char* name) const;
    bool Resolve(const char* featureName, const char* optionName, uint16_t* feature,
                 uint16_t* option) const;
    void MarkInputSlotTypes();
    uint32_t DefaultResolution() const;

    Arena arena_;
    NameIndex featureIndex_;   // features by keyword
    NameIndex optionIndex_;    // options by keyword, within their feature
    NameIndex defaultIndex_;   // defaults named before their feature exists
    Diagnostics diagnostics_;
    StatementReader reader_;

    ModelDraft draft_ = {};
    ModelContext& head_ = draft_.head;
    PendingFeature* lastFeature_ = nullptr;
    PendingFeature* slots_[kModelKindCount] = {};
    PendingFeature* open_ = nullptr;
    char openName_[kFeatureNameCapacity] = {};
    bool inInstallable_ = false;
    PendingConstraint** constraintTail_ = &draft_.constraints;
    PendingOrder** orderTail_ = &draft_.orders;
    bool seen_[kKeywordCount] = {};
    bool sawMaxMedia_ = false;
    uint32_t featureCount_ = 0;
};

// ---------------------------------------------------------------------------
// Features and their options.

// The open feature, by its own name or the name it was opened with, then
// any feature of that name.
PendingFeature* Parser::FindFeature(const char* name, size_t length)
{
    if (open_ && (Equals(open_->keyword, name) || Equals(openName_, name)))
        return open_;
    return static_cast<PendingFeature*>(featureIndex_.Find(nullptr, name, length));
}

PendingFeature* Parser::FeatureForKind(uint8_t kind)
{
    if (slots_[kind])
        return slots_[kind];
    const char* name = KindName(kind);
    return NewFeature(name, std::strlen(name), kind);
}

// Feature names are unique: a feature is only created for a name that has
// none, and the one feature of each kind answers to the kind's names.
PendingFeature* Parser::NewFeature(const char* name, size_t length, uint8_t kind)
{
    PendingFeature* f = arena_.New<PendingFeature>();
    if (!f || !(f->keyword = arena_.Copy(name, length)) ||
        !featureIndex_.Put(nullptr, f->keyword, length, f))
        return nullptr;
    f->kind = kind;
    f->installable = inInstallable_;
    f->uiType = (kind == kKindManualFeed || kind == kKindCollate) ? kUiBoolean : kUiPickOne;
    if (lastFeature_)
        lastFeature_->next = f;
    else
        draft_.features = f;
    lastFeature_ = f;
    ++featureCount_;
    if (kind != kKindNone && !slots_[kind])
        slots_[kind] = f;
    // A default named before its feature existed; the last one named counts.
    f->defaultKeyword = static_cast<char*>(defaultIndex_.Find(nullptr, name, length));
    return f;
}

// The option of the statement's option keyword, created on first mention;
// null when memory runs out. The first translation that is not empty names
// the option.
PendingOption* Parser::OptionOf(PendingFeature* feature, const Statement& s)
{
    auto* o = static_cast<PendingOption*>(optionIndex_.Find(feature, s.optionText, s.optionLength));
    if (o) {
        if (!o->option.translation && s.translationText) {
            char* translation = DecodeTranslation(arena_, s);
            if (!translation)
                return nullptr;
            if (*translation)
                o->option.translation = translation;
        }
        return o;
    }
    o = arena_.New<PendingOption>();
    char* keyword = CopyOption(arena_, s);
    char* translation = s.translationText ? DecodeTranslation(arena_, s) : nullptr;
    if (!o || !keyword || (s.translationText && !translation) ||
        !optionIndex_.Put(feature, keyword, s.optionLength, o))
        return nullptr;
    o->option.keyword = keyword;
    o->option.translation = translation;
    o->position = feature->optionCount;
    if (feature->last)
        feature->last->next = o;
    else
        feature->first = o;
    feature->last = o;
    ++feature->optionCount;
    return o;
}

bool Parser::HandleDefault(const Statement& s, const char* featureName, size_t length)
{
    if (s.shape == kShapeQuoted || s.valueLength == 0) {
        diagnostics_.Report(s, "default without an option keyword skipped");
        return true;
    }
    char* option = arena_.Copy(s.value, s.valueLength);
    if (!option)
        return diagnostics_.Fail(s, kOutOfMemory);
    PendingFeature* feature = FindFeature(featureName, length);
    if (feature) {
        if (!feature->defaultKeyword)
            feature->defaultKeyword = option;
        return true;
    }
    // The feature may be declared later.
    char* name = arena_.Copy(featureName, length);
    if (!name || !defaultIndex_.Put(nullptr, name, length, option))
        return diagnostics_.Fail(s, kOutOfMemory);
    return true;
}

// An unknown keyword with an option part is an option of the feature of
// that name, if one was opened.
bool Parser::HandleGenericOption(const Statement& s)
{
    PendingFeature* feature = s.optionText ? FindFeature(s.keyword, s.keywordLength) : nullptr;
    if (!feature) {
        diagnostics_.Report(s, "unknown keyword skipped");
        return true;
    }
    PendingOption* o = OptionOf(feature, s);
    char* value = StatementValue(arena_, s, false);
    if (!o || !value)
        return diagnostics_.Fail(s, kOutOfMemory);
    o->option.value = value;
    return true;
}

bool Parser::HandleOpenUI(const Statement& s, bool jcl)
{
    const char* name = s.optionText;
    size_t length = s.optionLength;
    if (length && *name == '*') {
        ++name;
        --length;
    }
    uint16_t type;
    if (!UiTypeOfName(s.value, s.valueLength, &type)) {
        diagnostics_.Report(s, "unknown user-interface type; feature not opened");
        return true;
    }
    if (!length || length >= sizeof(openName_)) {
        diagnostics_.Report(s, "feature name missing or too long");
        return true;
    }
    PendingFeature* feature = FeatureToOpen(name, length, KindOfName(name, length));
    if (!feature)
        return diagnostics_.Fail(s, kOutOfMemory);
    if (!feature->typeGiven) {
        feature->uiType = type;
        feature->typeGiven = true;
    }
    if (!feature->translation && s.translationText) {
        char* translation = DecodeTranslation(arena_, s);
        if (!translation)
            return diagnostics_.Fail(s, kOutOfMemory);
        if (*translation)
            feature->translation = translation;
    }
    feature->jcl = feature->jcl || jcl;
    open_ = feature;
    std::memcpy(openName_, name, length);
    openName_[length] = '\0';
    return true;
}

// The feature an "OpenUI" opens: one of that name, else the one of its kind
// (statements that feed a kind, such as PageRegion or JCLResolution, open
// the feature of that kind rather than a second one), else a new one. Null
// when memory runs out.
PendingFeature* Parser::FeatureToOpen(const char* name, size_t length, uint8_t kind)
{
    if (auto* f = static_cast<PendingFeature*>(featureIndex_.Find(nullptr, name, length)))
        return f;
    if (kind != kKindNone && slots_[kind])
        return slots_[kind];
    return NewFeature(name, length, kind);
}

void Parser::HandleCloseUI(const Statement& s)
{
    if (!open_)
        diagnostics_.Report(s, "no feature is open");
    open_ = nullptr;
    openName_[0] = '\0';
}

// Features declared inside the installable-options group are installable.
// The group opens when its first word is the group's name...
void Parser::HandleOpenGroup(const Statement& s)
{
    size_t n = 0;
    while (n < s.valueLength && s.value[n] != '/' && !IsBlank(s.value[n]))
        ++n;
    if (n == kInstallableGroupLength &&
        StartsWith(s.value, n, kInstallableGroup, kInstallableGroupLength))
        inInstallable_ = true;
}

// ... and closes when the value starts with it.
void Parser::HandleCloseGroup(const Statement& s)
{
    if (StartsWith(s.value, s.valueLength, kInstallableGroup, kInstallableGroupLength))
        inInstallable_ = false;
}

// ---------------------------------------------------------------------------
// Option-taking keywords: each adds to, or creates, an option of the
// feature of its kind.

bool Parser::HandleOption(const Statement& s, const KeywordEntry& entry)
{
    PendingFeature* feature = FeatureForKind(entry.kind);
    PendingOption* o = feature ? OptionOf(feature, s) : nullptr;
    char* value = o ? StatementValue(arena_, s, false) : nullptr;
    if (!value)
        return diagnostics_.Fail(s, kOutOfMemory);
    ModelOption& option = o->option;
    switch (entry.id) {
    case kwPageRegion:
        if (!option.value)   // the page size's own invocation comes first
            option.value = value;
        break;
    case kwPageSizeL:
        option.landscapeValue = value;
        break;
    case kwPaperMedia:
        option.media = value;
        break;
    case kwPaperDimension:
        ReadPaperDimension(s, value, &option);
        break;
    case kwImageableArea:
        ReadImageableArea(s, value, option.imageable, kOptionHasImageableArea, &option);
        break;
    case kwImageableAreaL:
        ReadImageableArea(s, value, option.imageableL, kOptionHasImageableAreaL, &option);
        break;
    case kwResolution:
        option.flags |= entry.detail;   // which statement defined the resolution
        option.value = value;
        break;
    case kwMemory:
        option.value = value;
        ReadMemoryList(value, &option);
        break;
    default:
        option.value = value;
        break;
    }
    return true;
}

void Parser::ReadPaperDimension(const Statement& s, const char* value, ModelOption* option)
{
    const char* p = value;
    if (!ReadFixed(&p, &option->width) || !ReadFixed(&p, &option->height)) {
        diagnostics_.Report(s, "paper dimension needs two numbers; skipped");
        option->width = option->height = 0;
        return;
    }
    option->flags |= kOptionHasDimension;
}

void Parser::ReadImageableArea(const Statement& s, const char* value, int32_t area[4],
                               uint32_t flag, ModelOption* option)
{
    const char* p = value;
    for (int n = 0; n < 4; ++n)
        if (!ReadFixed(&p, &area[n])) {
            diagnostics_.Report(s, "imageable area needs four numbers; skipped");
            std::memset(area, 0, 4 * sizeof(int32_t));
            return;
        }
    option->flags |= flag;
}

// "min,max,standard": each entry's own size is its last item; an entry
// that holds a list also gives the model's memory items and standard memory.
void Parser::ReadMemoryList(const char* value, ModelOption* option)
{
    const char* items[3] = {value, nullptr, nullptr};
    int commas = 0;
    for (const char* p = value; *p && commas < 2; ++p)
        if (*p == ',')
            items[++commas] = p + 1;
    option->memoryKB = ReadUnsigned(items[commas]) * kKilobytesPerMegabyte;
    if (commas > 0) {
        head_.memoryItem0 = ReadUnsigned(items[0]);
        head_.memoryItem1 = ReadUnsigned(items[1]);
        head_.standardMemory = commas == 2 ? ReadUnsigned(items[2]) : head_.memoryItem1;
    }
}

// ---------------------------------------------------------------------------
// Constraints and order dependencies: kept by name until the image is
// written, when every feature is known.

bool Parser::HandleConstraint(const Statement& s)
{
    PendingConstraint* c = arena_.New<PendingConstraint>();
    char* text = arena_.Copy(s.value, s.valueLength);
    if (!c || !text)
        return diagnostics_.Fail(s, kOutOfMemory);
    if (!SplitConstraint(text, c->names)) {
        diagnostics_.Report(s, "constraint needs two features; skipped");
        return true;
    }
    *constraintTail_ = c;
    constraintTail_ = &c->next;
    return true;
}

// "order section *Feature [Option]"
bool Parser::HandleOrder(const Statement& s)
{
    PendingOrder* o = arena_.New<PendingOrder>();
    char* text = arena_.Copy(s.value, s.valueLength);
    if (!o || !text)
        return diagnostics_.Fail(s, kOutOfMemory);
    char* words[4] = {};
    int count = SplitWords(text, words);
    if (count < 3 || words[2][0] != '*') {
        diagnostics_.Report(s, "order dependency needs an order, a section and a feature; skipped");
        return true;
    }
    int32_t fixed = 0;
    const char* p = words[0];
    if (!ReadFixed(&p, &fixed)) {
        diagnostics_.Report(s, "order dependency without an order value; skipped");
        return true;
    }
    o->record.section = SectionOfName(words[1]);
    o->record.order = fixed / static_cast<double>(kFixedOne);
    o->feature = words[2] + 1;
    o->option = count > 3 ? words[3] : nullptr;
    *orderTail_ = o;
    orderTail_ = &o->next;
    return true;
}

// ---------------------------------------------------------------------------
// Single-valued keywords count only at their first successful statement.

bool Parser::HandleSingle(const Statement& s, const KeywordEntry& entry)
{
    bool& seen = seen_[KeywordIndex(entry)];
    if (seen) {
        diagnostics_.Report(s, "repeated keyword skipped");
        return true;
    }
    seen = StoreSingle(s, entry);
    return !diagnostics_.Failed();
}

// Stores the value where the keyword's table says; false when it was not
// stored (a value that cannot be read, or no memory).
bool Parser::StoreSingle(const Statement& s, const KeywordEntry& entry)
{
    char* value = StatementValue(arena_, s, entry.value == kValueText);
    if (!value)
        return diagnostics_.Fail(s, kOutOfMemory);
    if (entry.value == kValueBoolean)
        return StoreBoolean(s, entry);
    if (char* ModelContext::* text = HeadTextOf(entry.id)) {
        head_.*text = value;
    } else if (uint32_t ModelContext::* number = HeadNumberOf(entry.id)) {
        head_.*number = ReadUnsigned(value);
        sawMaxMedia_ = sawMaxMedia_ || entry.id == kwMaxMediaWidth || entry.id == kwMaxMediaHeight;
    } else if (const HeadCode* code = HeadCodeOf(entry.id)) {
        head_.*(code->field) = CodeOfName(*code, value);
    } else {
        StoreOther(s, entry.id, value);
    }
    return true;
}

bool Parser::StoreBoolean(const Statement& s, const KeywordEntry& entry)
{
    bool flag = false;
    if (!ReadBoolean(s, &flag)) {
        diagnostics_.Report(s, "value must be True or False; skipped");
        return false;
    }
    switch (entry.id) {
    case kwColorDevice: head_.colorDevice = flag; break;
    case kwPrintPSError: head_.printPSError = flag; break;
    case kwOptionFlag: if (flag) head_.modelOptionFlags |= entry.detail; break;
    case kwDriverSwitch: if (flag) head_.driverSwitches |= entry.detail; break;
    default: break;
    }
    return true;
}

// Values that are read into a field of their own shape.
void Parser::StoreOther(const Statement& s, KeywordId id, const char* value)
{
    const uint32_t number = ReadUnsigned(value);
    switch (id) {
    case kwPrintRateA4:
        head_.printRate = (head_.printRate & ~kPrintRateA4Mask) | (number & kPrintRateA4Mask);
        break;
    case kwPrintRateLetter:
        head_.printRate = (head_.printRate & kPrintRateA4Mask) | (number << kPrintRateLetterShift);
        break;
    case kwFileVersion:
        head_.fileVersion = ParseFileVersion(s.value, s.valueLength);
        break;
    case kwProtocols:
        head_.protocols |= ProtocolsOfNames(value);
        break;
    case kwHWMargins: {
        const char* p = value;
        for (int32_t& margin : head_.hwMargins) {
            int32_t fixed = 0;
            ReadFixed(&p, &fixed);
            margin = fixed / kFixedOne;
        }
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Statements.

// Whether the statement has the option part and value shape its keyword
// takes; reports it when not.
bool Parser::ShapeFits(const Statement& s, const KeywordEntry& entry)
{
    if (entry.takesOption != (s.optionText != nullptr)) {
        diagnostics_.Report(s, entry.takesOption ? "option part missing; skipped"
                                                 : "unexpected option part; skipped");
        return false;
    }
    if (!(AcceptedShapes(entry.value) & s.shape)) {
        diagnostics_.Report(s, s.shape == kShapeQuoted ? "quoted value not expected; skipped"
                                                       : "quoted value expected; skipped");
        return false;
    }
    return true;
}

// Handles one statement; false when it ends parsing.
bool Parser::Handle(const Statement& s)
{
    if (s.keyword[0] == '?')
        return true;   // query keywords ask the printer; nothing to keep

    const KeywordEntry* entry = FindKeyword(s.keyword, s.keywordLength);
    const bool defaultStatement =
        std::strncmp(s.keyword, kDefaultPrefix, kDefaultPrefixLength) == 0 &&
        s.keyword[kDefaultPrefixLength] && !s.optionText &&
        (!entry || entry->id == kwFeatureDefault);
    if (defaultStatement)
        return HandleDefault(s, s.keyword + kDefaultPrefixLength,
                             s.keywordLength - kDefaultPrefixLength);
    if (!entry)
        return HandleGenericOption(s);
    if (!ShapeFits(s, *entry))
        return true;
    return HandleKnown(s, *entry);
}

bool Parser::HandleKnown(const Statement& s, const KeywordEntry& entry)
{
    switch (entry.id) {
    case kwIgnored:
    case kwExtensions:
    case kwAcceptedOption:
        return true;
    case kwOpenGroup:
        HandleOpenGroup(s);
        return true;
    case kwCloseGroup:
        HandleCloseGroup(s);
        return true;
    case kwOpenUI:
    case kwJCLOpenUI:
        return HandleOpenUI(s, entry.id == kwJCLOpenUI);
    case kwCloseUI:
    case kwJCLCloseUI:
        HandleCloseUI(s);
        return true;
    case kwUIConstraints:
        return HandleConstraint(s);
    case kwOrderDependency:
        return HandleOrder(s);
    case kwSleepMode:
        if (!head_.sleepModeList && !(head_.sleepModeList = StatementValue(arena_, s, true)))
            return diagnostics_.Fail(s, kOutOfMemory);
        return true;
    case kwCustomPageSize:
        if (s.optionLength == 4 && std::memcmp(s.optionText, "True", 4) == 0)
            head_.customPageSize = 1;
        return true;
    case kwPageSize: case kwPageRegion: case kwImageableArea: case kwPaperDimension:
    case kwPageSizeL: case kwImageableAreaL: case kwPaperMedia: case kwInputSlot:
    case kwResolution: case kwMemory: case kwKindOption:
        return HandleOption(s, entry);
    default:
        return HandleSingle(s, entry);
    }
}

void Parser::SetHeadDefaults()
{
    head_.pageSizeReference[0] = kModelPageSizeReference[0];
    head_.pageSizeReference[1] = kModelPageSizeReference[1];
    head_.resolutionFlag = kModelResolutionFlag;
    head_.resolutionValue = kModelResolutionValue;
    head_.listGranularity = kModelListGranularity;
}

bool Parser::Parse()
{
    SetHeadDefaults();
    for (;;) {
        Statement s;
        bool done = false;
        if (!reader_.Next(&s, &done))
            return false;
        if (done)
            break;
        if (!Handle(s))
            return false;
    }
    Finish();
    return true;
}

// ---------------------------------------------------------------------------
// After the last statement.

void Parser::Finish()
{
    PlaceInstallableFeaturesLast();
    NumberFeatures();
    ResolveReferences();
    if (head_.freeVM < kModelMinimumFreeVM)
        head_.freeVM = kModelMinimumFreeVM;
    if (!sawMaxMedia_)
        head_.customPageSize = 0;
    MarkInputSlotTypes();
    head_.defaultResolution = DefaultResolution();
}

// Ordinary features first, then the installable ones, each in the order
// they were declared.
void Parser::PlaceInstallableFeaturesLast()
{
    PendingFeature* ordinary = nullptr;
    PendingFeature** ordinaryTail = &ordinary;
    PendingFeature* installable = nullptr;
    PendingFeature** installableTail = &installable;
    for (PendingFeature* f = draft_.features; f;) {
        PendingFeature* next = f->next;
        f->next = nullptr;
        PendingFeature*** tail = f->installable ? &installableTail : &ordinaryTail;
        **tail = f;
        *tail = &f->next;
        f = next;
    }
    *ordinaryTail = installable;
    draft_.features = ordinary;
}

void Parser::NumberFeatures()
{
    uint16_t index = 0;
    for (PendingFeature* f = draft_.features; f; f = f->next) {
        f->index = index++;
        if (f->installable)
            ++head_.installableCount;
    }
    head_.featureCount = featureCount_;
    head_.optionCount = featureCount_ - head_.installableCount;
}

// Constraints and order dependencies name features and options; the
// records number them. A side naming a feature or option the model lacks
// leaves its record saying so.
void Parser::ResolveReferences()
{
    for (PendingConstraint* c = draft_.constraints; c; c = c->next) {
        ModelConstraint& r = c->record;
        r = {kNoConstraintFeature, kAnyOption, kNoConstraintFeature, kAnyOption};
        if (!Resolve(c->names[0], c->names[1], &r.feature1, &r.option1) ||
            !Resolve(c->names[2], c->names[3], &r.feature2, &r.option2))
            r.feature1 = kNoConstraintFeature;   // never matches
    }
    for (PendingOrder* o = draft_.orders; o; o = o->next) {
        o->record.feature = kNoConstraintFeature;
        o->record.option = kAnyOption;
        if (!Resolve(o->feature, o->option, &o->record.feature, &o->record.option))
            o->record.feature = kNoConstraintFeature;
    }
}

// The feature of that name, else the one of the kind the name feeds; null
// when there is neither.
const PendingFeature* Parser::FeatureNamed(const char* name) const
{
    const size_t length = std::strlen(name);
    if (auto* f = static_cast<const PendingFeature*>(featureIndex_.Find(nullptr, name, length)))
        return f;
    const uint8_t kind = KindOfName(name, length);
    return kind != kKindNone ? slots_[kind] : nullptr;
}

// Feature and option numbers of one side; false, leaving them untouched,
// when the model lacks the feature or the named option.
bool Parser::Resolve(const char* featureName, const char* optionName, uint16_t* feature,
                     uint16_t* option) const
{
    const PendingFeature* f = FeatureNamed(featureName);
    if (!f)
        return false;
    uint32_t position = kAnyOption;
    if (optionName) {
        auto* o = static_cast<const PendingOption*>(
            optionIndex_.Find(f, optionName, std::strlen(optionName)));
        if (!o)
            return false;
        position = o->position;
    }
    *feature = f->index;
    *option = static_cast<uint16_t>(position);
    return true;
}

// The options of an input-slot feature of neither pick type carry the low
// bit of its type.
void Parser::MarkInputSlotTypes()
{
    PendingFeature* slot = slots_[kKindInputSlot];
    if (!slot || slot->uiType == kUiPickOne || slot->uiType == kUiPickMany || !(slot->uiType & 1))
        return;
    for (PendingOption* o = slot->first; o; o = o->next)
        o->option.flags |= kOptionSlotTypeBit;
}

// The number its default option's keyword starts with, or its first
// option's when no default is named.
uint32_t Parser::DefaultResolution() const
{
    const PendingFeature* resolution = slots_[kKindResolution];
    if (!resolution)
        return kModelFallbackResolution;
    const char* keyword = resolution->defaultKeyword;
    if (!keyword && resolution->first)
        keyword = resolution->first->option.keyword;
    return keyword ? ResolutionOfKeyword(keyword) : kModelFallbackResolution;
}

} // namespace

} // namespace model_parse

ModelContext* BuildModelImage(const uint8_t* text, size_t size, const char16_t* path,
                              const ModelParseOptions& options)
{
    if (!text || !options.allocate)
        return nullptr;
    auto* parser = new (std::nothrow) model_parse::Parser(text, size, options);
    if (!parser)
        return nullptr;
    ModelContext* image = nullptr;
    if (parser->Parse()) {
        model_parse::ModelDraft& draft = parser->Draft();
        draft.head.modelChecksum = ModelChecksum(text, size);
        image = model_image::WriteModelImage(draft, path, options.allocate);
    }
    delete parser;   // frees the parse arena
    return image;
}
