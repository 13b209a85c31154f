#include "model_walk.h"

#include "core/model_queries.h"

#include <cstring>
#include <vector>

namespace {

// Pairs of features compared by IsConstrained, at most: the question is
// whether each call is safe, not every one of a quadratic number of them.
const uint32_t kConstraintProbes = 4096;

uint64_t Text(const char* text)
{
    if (!text)
        return 1;
    uint64_t digest = std::strlen(text);
    for (const char* p = text; *p; ++p)
        digest = digest * 31 + static_cast<unsigned char>(*p);
    return digest;
}

uint64_t Path(const char16_t* path)
{
    uint64_t digest = 0;
    for (const char16_t* p = path; p && *p; ++p)
        digest = digest * 31 + *p;
    return digest;
}

} // namespace

uint64_t WalkModel(const ModelContext* model)
{
    uint64_t digest = Path(model->modelPath);
    for (const char* text : {model->nickName, model->password, model->exitServer,
                             model->jclBegin, model->jclToPSInterpreter, model->jclEnd,
                             model->defaultLanguage, model->sleepModeList})
        digest += Text(text);

    uint32_t totalOptions = 0;
    for (uint32_t i = 0; i < model->featureCount; ++i) {
        const ModelFeature& f = model->features[i];
        digest += Text(f.keyword) + Text(f.translation) + Text(f.defaultKeyword);
        digest += f.defaultOption + f.uiType + f.index + f.installable + f.kind + f.jcl;
        for (uint32_t n = 0; n < f.optionCount; ++n) {
            const ModelOption& o = f.options[n];
            digest += Text(o.keyword) + Text(o.translation) + Text(o.value) +
                      Text(o.landscapeValue) + Text(o.media);
            digest += uint32_t(o.width) + uint32_t(o.height) + o.flags + o.memoryKB;
            for (int k = 0; k < 4; ++k)
                digest += uint32_t(o.imageable[k]) + uint32_t(o.imageableL[k]);
            digest += IsOffOption(model, i, n);
            digest += OptionValueNumber(&o);
        }
        totalOptions += f.optionCount;
    }
    for (uint32_t i = 0; i < model->constraintCount; ++i) {
        const ModelConstraint& c = model->constraints[i];
        digest += c.feature1 + c.option1 + c.feature2 + c.option2;
        // The entry's own pair, as the settings code asks it.
        digest += IsConstrained(model, c.feature1, c.option1, c.feature2, c.option2);
    }
    for (uint32_t i = 0; i < model->orderDependencyCount; ++i) {
        const ModelOrderDependency& d = model->orderDependencies[i];
        uint64_t orderBits;   // any double, NaN included, from a damaged cache
        std::memcpy(&orderBits, &d.order, sizeof(orderBits));
        digest += d.feature + d.option + d.section + orderBits;
    }

    for (int kind = 0; kind <= kModelKindCount; ++kind) {
        auto k = static_cast<ModelFeatureKind>(kind);
        const ModelFeature* feature = FeatureOfKind(model, k);
        digest += feature ? feature->index : 0xFFFF;
        digest += uint32_t(DefaultOptionValue(model, k));
        uint32_t count = feature ? feature->optionCount : 0;
        for (uint32_t n = 0; n <= count && n < 300; ++n)
            digest += uint32_t(NthOptionValue(model, k, n));
    }
    if (const ModelFeature* slot = FeatureOfKind(model, kKindInputSlot))
        for (uint32_t n = 0; n < slot->optionCount; ++n)
            digest += PaperSourceOfSlot(slot->options[n].keyword);
    digest += DefaultPaperSource(model);
    for (uint32_t n = 0; n < 12; ++n)
        digest += SleepModeItem(model, n);
    for (uint32_t dpi : {0u, 300u, 600u, 1200u, 0xFFFFFFFFu})
        digest += OffersResolution(model, dpi);
    if (const ModelOption* postcard = PostcardOption(model))
        digest += Text(postcard->media);

    // Feature and option numbers one past the end must be refused, not read.
    digest += IsOffOption(model, model->featureCount, 0);
    digest += IsOffOption(model, 0, 0xFFFFFFFFu);

    uint32_t probes = 0;
    for (uint32_t a = 0; a < model->featureCount && probes < kConstraintProbes; ++a)
        for (uint32_t b = 0; b < model->featureCount && probes < kConstraintProbes; ++b, ++probes)
            digest += IsConstrained(model, a, 0, b, kAnyOption);

    // Conflicts as the settings session asks them: every feature starts at
    // its default option.
    const uint32_t ordinary = model->optionCount;
    const uint32_t installableCount =
        model->featureCount > ordinary ? model->featureCount - ordinary : 0;
    std::vector<uint8_t> document(ordinary + 1, 0), installable(installableCount + 1, 0);
    for (uint32_t i = 0; i < model->featureCount; ++i) {
        uint32_t selection = model->features[i].defaultOption;
        uint8_t value = selection < 255 ? static_cast<uint8_t>(selection) : 0;
        if (i < ordinary)
            document[i] = value;
        else
            installable[i - ordinary] = value;
    }
    for (uint32_t i = 0; i < model->featureCount && i < 64; ++i) {
        uint32_t options = model->features[i].optionCount;
        for (uint32_t n = 0; n < options && n < 16; ++n) {
            digest += FindConflict(model, installable.data(), document.data(), i, n);
            digest += FindConflict(model, installable.data(), nullptr, i, n);
        }
        digest += FindConflict(model, installable.data(), document.data(), i, kAnyOption);
    }
    return digest + totalOptions;
}
