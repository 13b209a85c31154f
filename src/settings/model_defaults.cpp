#include "settings/model_defaults.h"

#include "core/model_queries.h"

#include <cstring>

namespace {

constexpr WORD kPageProtectNone = 256;

// A stand-in for a missing model: every query answers "no such feature".
const ModelContext kEmptyModel = {};

} // namespace

const ModelContext* ModelOrEmpty(const ModelContext* model)
{
    return model ? model : &kEmptyModel;
}

// Large papers that the defaults print fit-to-paper on A4 or Letter.
bool IsLargePaper(int paper)
{
    return paper == DMPAPER_A3 || paper == DMPAPER_B4 || paper == DMPAPER_TABLOID;
}

WORD LocalePaper(bool a4) { return a4 ? DMPAPER_A4 : DMPAPER_LETTER; }

bool ModelOptionOn(const ModelContext* model, uint32_t bit)
{
    return (model->modelOptionFlags & bit) != 0;
}

bool ModelSwitchOn(const ModelContext* model, uint32_t bit)
{
    return (model->driverSwitches & bit) != 0;
}

SHORT ModelResolution(const ModelContext* model)
{
    return static_cast<SHORT>(FeatureOfKind(model, kKindResolution)
                                  ? DefaultOptionValue(model, kKindResolution)
                                  : kModelFallbackResolution);
}

WORD ModelPageProtect(const ModelContext* model)
{
    return FeatureOfKind(model, kKindPageProtect)
               ? static_cast<WORD>(DefaultOptionValue(model, kKindPageProtect))
               : kPageProtectNone;
}

// The job-spooling default: models that spool in mode 1 by design say so
// in bits 20-23 of their feature word; the others follow "DefaultUseReprint".
WORD ModelMopy(const ModelContext* model)
{
    WORD mopy = 0;
    if ((model->modelFeatures & kFeaturesSpoolingMode) == kFeaturesSpoolsJobs)
        mopy = 1;
    else if (ModelOptionOn(model, kModelUseReprint))
        mopy = 0x100;
    return static_cast<WORD>(mopy & ~kMopyNoSystemUser);
}

// TrueType handling: the model's "TTMODE" default picks raster mode A (0)
// or B (2); models without the list decide by their capability word.
DWORD ModelRasterMode(const ModelContext* model)
{
    const ModelFeature* ttMode = FeatureOfKind(model, kKindTTMODE);
    if (ttMode && ttMode->optionCount) {
        switch (DefaultOptionValue(model, kKindTTMODE)) {
        case 0: return kRenderRasterModeA;
        case 2: return kRenderRasterModeB;
        default: return 0;
        }
    }
    if (model->modelCaps & 6)
        return 0;
    return (model->modelCaps & kCapsLandscape270) ? kRenderRasterModeA : 0;
}

// The media type the model wants for postcards: the value of the
// media-type option that the "Postcard" page size names.
WORD ModelPostcardMediaType(const ModelContext* model)
{
    const ModelOption* postcard = PostcardOption(model);
    const ModelFeature* mediaType = FeatureOfKind(model, kKindMediaType);
    if (postcard && postcard->media && mediaType) {
        for (uint32_t i = 0; i < mediaType->optionCount; ++i)
            if (mediaType->options[i].keyword &&
                strcmp(mediaType->options[i].keyword, postcard->media) == 0)
                return static_cast<WORD>(OptionValueNumber(&mediaType->options[i]));
    }
    return static_cast<WORD>(DefaultOptionValue(model, kKindMediaType));
}

bool AutomaticDuplexPossible(const PrivateSettings& priv)
{
    if (priv.modelFeatures & kFeaturesAutoDuplex)
        return true;
    return (priv.accessories & kAccessoriesDuplexUnit) != 0;
}

// The status monitor is a companion program; until its installation can
// be queried it counts as absent.
bool StatusMonitorInstalled() { return false; }
