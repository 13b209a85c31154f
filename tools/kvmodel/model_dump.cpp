#include "model_dump.h"

#include "json_writer.h"

#include <cstring>

namespace {

const char* const kUiTypeNames[] = {nullptr, "PickOne", "PickMany", "Boolean"};

// The dots per inch an option keyword such as "600dpi" reads as; -1 when
// it does not begin with a number.
int64_t KeywordDpi(const char* keyword)
{
    if (!keyword || *keyword < '0' || *keyword > '9')
        return -1;
    int64_t value = 0;
    while (*keyword >= '0' && *keyword <= '9' && value < 0x7FFFFFFF)
        value = value * 10 + (*keyword++ - '0');
    return value;
}

const ModelOption* FindOption(const ModelFeature& feature, const char* keyword)
{
    for (uint32_t i = 0; keyword && i < feature.optionCount; ++i)
        if (std::strcmp(feature.options[i].keyword, keyword) == 0)
            return &feature.options[i];
    return nullptr;
}

// A constraint side as its feature keyword and option keyword (null for
// any option). False when the numbers point outside the model.
bool ConstraintSide(const ModelContext* model, uint16_t feature, uint16_t option,
                    const char** featureKeyword, const char** optionKeyword)
{
    if (feature >= model->featureCount)
        return false;
    const ModelFeature& f = model->features[feature];
    *featureKeyword = f.keyword;
    *optionKeyword = nullptr;
    if (option == kAnyOption)
        return true;
    if (option >= f.optionCount)
        return false;
    *optionKeyword = f.options[option].keyword;
    return true;
}

void WriteFeature(JsonWriter& json, const ModelContext* model, const ModelFeature& feature)
{
    json.BeginObject();
    json.Key("keyword");
    json.String(feature.keyword);
    json.Key("translation");
    json.String(feature.translation);
    json.Key("uiType");
    if (feature.uiType >= kUiPickOne && feature.uiType <= kUiBoolean)
        json.String(kUiTypeNames[feature.uiType]);
    else
        json.Number(feature.uiType);
    json.Key("installable");
    json.Bool(feature.installable != 0);
    json.Key("kind");
    if (feature.kind < kModelKindCount)
        json.Number(feature.kind);
    else
        json.Null();
    json.Key("default");
    const ModelOption* defaultOption = DefaultOptionOf(model, &feature);
    json.String(defaultOption ? defaultOption->keyword : nullptr);
    json.Key("options");
    json.BeginArray();
    for (uint32_t i = 0; i < feature.optionCount; ++i) {
        const ModelOption& option = feature.options[i];
        json.BeginObject();
        json.Key("keyword");
        json.String(option.keyword);
        json.Key("translation");
        json.String(option.translation);
        json.Key("value");
        json.String(option.value);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

void WriteFixedList(JsonWriter& json, const int32_t* values, int count)
{
    json.BeginArray(true);
    for (int i = 0; i < count; ++i)
        json.Fixed24_8(values[i]);
    json.EndArray();
}

void WritePageSizes(JsonWriter& json, const ModelContext* model)
{
    json.BeginArray();
    const ModelFeature* pageSize = model->slots[kKindPageSize];
    for (uint32_t i = 0; pageSize && i < pageSize->optionCount; ++i) {
        const ModelOption& option = pageSize->options[i];
        if (!(option.flags & kOptionHasDimension))
            continue;
        json.BeginObject();
        json.Key("keyword");
        json.String(option.keyword);
        json.Key("width");
        json.Fixed24_8(option.width);
        json.Key("height");
        json.Fixed24_8(option.height);
        json.Key("imageable");
        if (option.flags & kOptionHasImageableArea)
            WriteFixedList(json, option.imageable, 4);
        else
            json.Null();
        json.EndObject();
    }
    json.EndArray();
}

void WriteConstraints(JsonWriter& json, const ModelContext* model)
{
    json.BeginArray();
    for (uint32_t i = 0; i < model->constraintCount; ++i) {
        const ModelConstraint& c = model->constraints[i];
        // Entries naming something the model lacks never match; the driver
        // ignores them and so does the listing.
        if (c.feature1 == kNoConstraintFeature)
            continue;
        const char* names[4];
        if (!ConstraintSide(model, c.feature1, c.option1, &names[0], &names[1]) ||
            !ConstraintSide(model, c.feature2, c.option2, &names[2], &names[3]))
            continue;
        json.BeginArray(true);
        for (const char* name : names)
            json.String(name);
        json.EndArray();
    }
    json.EndArray();
}

} // namespace

const ModelOption* DefaultOptionOf(const ModelContext* model, const ModelFeature* feature)
{
    if (!model || !feature)
        return nullptr;
    if (feature->kind == kKindResolution) {
        for (uint32_t i = 0; i < feature->optionCount; ++i)
            if (KeywordDpi(feature->options[i].keyword) == int64_t(model->defaultResolution))
                return &feature->options[i];
        return nullptr;
    }
    return FindOption(*feature, feature->defaultKeyword);
}

std::string DumpModelJson(const ModelContext* model)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("checksum");
    json.Number(model->modelChecksum);
    json.Key("fileVersion");
    json.Number(model->fileVersion);
    json.Key("nickName");
    json.String(model->nickName);
    json.Key("languageLevel");
    json.Number(model->languageLevel);
    json.Key("colorDevice");
    json.Bool(model->colorDevice != 0);
    json.Key("features");
    json.BeginArray();
    for (uint32_t i = 0; i < model->featureCount; ++i)
        WriteFeature(json, model, model->features[i]);
    json.EndArray();
    json.Key("pageSizes");
    WritePageSizes(json, model);
    json.Key("constraints");
    WriteConstraints(json, model);
    json.EndObject();
    return json.Text();
}
