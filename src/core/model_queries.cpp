#include "core/model_queries.h"

#include <cstring>

namespace {

struct SlotCode {
    const char* keyword;
    uint16_t code;
};

const SlotCode kInputSlotCodes[] = {
    {"AutoSelect", 7}, {"Upper", 1},      {"Lower", 2},      {"Cassette", 1},
    {"Tray", 1},       {"Tray1", 1},      {"Tray2", 2},      {"Tray3", 256},
    {"Tray4", 257},    {"MPTray", 258},   {"ManualFeed", 4}, {"Tower1", 263},
    {"Tower2", 264},   {"Tower3", 265},   {"Tower4", 266},   {"Tower5", 267},
    {"Tower6", 268},   {"Tower7", 269},   {"TrayID1", 259},  {"TrayID2", 260},
    {"TrayID3", 261},  {"TrayID4", 262},  {"Dual", 7},
};

int32_t LeadingNumber(const char* text)
{
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    int64_t value = 0;
    while (*text >= '0' && *text <= '9' && value < 0x7FFFFFFF)
        value = value * 10 + (*text++ - '0');
    if (value > 0x7FFFFFFF)
        value = 0x7FFFFFFF;
    return static_cast<int32_t>(negative ? -value : value);
}

const ModelOption* OptionAt(const ModelContext* model, uint32_t feature, uint32_t option)
{
    if (!model || feature >= model->featureCount)
        return nullptr;
    const ModelFeature& f = model->features[feature];
    return option < f.optionCount ? &f.options[option] : nullptr;
}

bool SideMatches(const ModelContext* model, uint16_t entryFeature, uint16_t entryOption,
                 uint32_t feature, uint32_t option)
{
    if (entryFeature != feature)
        return false;
    if (entryOption == kAnyOption)
        return !IsOffOption(model, feature, option);
    return entryOption == option;
}

} // namespace

const ModelFeature* FeatureOfKind(const ModelContext* model, ModelFeatureKind kind)
{
    return model && kind < kModelKindCount ? model->slots[kind] : nullptr;
}

int32_t OptionValueNumber(const ModelOption* option)
{
    return option ? LeadingNumber(option->value) : 0;
}

int32_t DefaultOptionValue(const ModelContext* model, ModelFeatureKind kind)
{
    const ModelFeature* feature = FeatureOfKind(model, kind);
    if (!feature)
        return 0;
    if (kind == kKindResolution)
        return static_cast<int32_t>(model->defaultResolution);
    return feature->defaultOption < feature->optionCount
               ? OptionValueNumber(&feature->options[feature->defaultOption])
               : 0;
}

int32_t NthOptionValue(const ModelContext* model, ModelFeatureKind kind, uint32_t n)
{
    const ModelFeature* feature = FeatureOfKind(model, kind);
    return feature && n < feature->optionCount ? OptionValueNumber(&feature->options[n]) : 0;
}

uint16_t PaperSourceOfSlot(const char* keyword)
{
    if (!keyword)
        return 1;
    for (const SlotCode& entry : kInputSlotCodes)
        if (std::strcmp(entry.keyword, keyword) == 0)
            return entry.code;
    return 1;
}

uint16_t DefaultPaperSource(const ModelContext* model)
{
    const ModelFeature* slot = FeatureOfKind(model, kKindInputSlot);
    if (!slot)
        return 7;
    return slot->defaultOption < slot->optionCount
               ? PaperSourceOfSlot(slot->options[slot->defaultOption].keyword)
               : 1;
}

bool OffersPaperSource(const ModelContext* model, uint16_t source)
{
    const ModelFeature* slot = FeatureOfKind(model, kKindInputSlot);
    for (uint32_t i = 0; slot && i < slot->optionCount; ++i)
        if (PaperSourceOfSlot(slot->options[i].keyword) == source)
            return true;
    return false;
}

uint32_t SleepModeItem(const ModelContext* model, uint32_t n)
{
    const char* list = model ? model->sleepModeList : nullptr;
    if (!list || std::strlen(list) > 30 || !std::strpbrk(list, ", \t"))
        return 1;
    const char* item = list;
    for (uint32_t i = 0; i < n; ++i) {
        const char* separator = std::strpbrk(item, ", \t");
        if (!separator)
            break;   // fewer items: the last one counts
        item = separator + 1;
        while (*item == ' ' || *item == '\t')
            ++item;
    }
    return static_cast<uint32_t>(LeadingNumber(item));
}

uint32_t ResolutionDpiOfKeyword(const char* keyword)
{
    const int32_t dpi = LeadingNumber(keyword);
    return dpi < 1 || static_cast<uint32_t>(dpi) > kModelHighestResolution ? 0 : static_cast<uint32_t>(dpi);
}

bool OffersResolution(const ModelContext* model, uint32_t dpi)
{
    const ModelFeature* resolution = FeatureOfKind(model, kKindResolution);
    for (uint32_t i = 0; dpi && resolution && i < resolution->optionCount; ++i)
        if (ResolutionDpiOfKeyword(resolution->options[i].keyword) == dpi)
            return true;
    return false;
}

const ModelOption* PostcardOption(const ModelContext* model)
{
    const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize);
    for (uint32_t i = 0; pageSize && i < pageSize->optionCount; ++i)
        if (std::strcmp(pageSize->options[i].keyword, "Postcard") == 0)
            return &pageSize->options[i];
    return nullptr;
}

int IsOffOption(const ModelContext* model, uint32_t feature, uint32_t option)
{
    const ModelOption* o = OptionAt(model, feature, option);
    return o && (std::strcmp(o->keyword, "None") == 0 || std::strcmp(o->keyword, "False") == 0);
}

int IsConstrained(const ModelContext* model, uint32_t feature1, uint32_t option1,
                  uint32_t feature2, uint32_t option2)
{
    if (!model)
        return 0;
    for (uint32_t i = 0; i < model->constraintCount; ++i) {
        const ModelConstraint& c = model->constraints[i];
        if (c.feature1 == kNoConstraintFeature)
            continue;
        if (SideMatches(model, c.feature1, c.option1, feature1, option1) &&
            SideMatches(model, c.feature2, c.option2, feature2, option2))
            return 1;
    }
    return 0;
}

uint32_t FindConflict(const ModelContext* model, const uint8_t* installable,
                      const uint8_t* document, uint32_t feature, uint32_t option)
{
    if (!model || !installable || option == kAnyOption)
        return 0;
    const uint32_t ordinary = model->optionCount;
    if (document) {
        for (uint32_t j = 0; j < ordinary; ++j)
            if (j != feature && document[j] < kAnyOption &&
                IsConstrained(model, feature, option, j, document[j]))
                return ((j | 0x200) << 8) + document[j];
    } else if (feature < ordinary) {
        return 0;   // without document selections only installables are compared
    }
    for (uint32_t k = ordinary; k < model->featureCount; ++k) {
        uint8_t selected = installable[k - ordinary];
        if (k != feature && selected < kAnyOption &&
            IsConstrained(model, feature, option, k, selected))
            return ((k | 0x100) << 8) + selected;
    }
    return 0;
}
