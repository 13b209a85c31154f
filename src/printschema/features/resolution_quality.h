// The print resolution: dmPrintQuality with our true-1200 flag against the
// PageResolution feature; in capabilities also the one PageOutputQuality
// the printers have. Tickets carry resolutions as unnamed options, so they
// are matched by their dots per inch.
#pragma once

#include "printschema/feature_handler.h"

#include <cstddef>
#include <memory>

struct ResolutionEntry {
    bool offered;
    UINT displayId;
    int  x, y;          // dots per inch
};

constexpr size_t kResolutionCount = 4;
extern const ResolutionEntry kResolutions[kResolutionCount];

enum ResolutionIndex { kTrue1200Index = 0, kEnhanced1200Index = 1, k600DpiIndex = 2, k300DpiIndex = 3 };

// The per-call record: 600 dpi.
struct ResolutionSettings {
    int resolutionX = 600, resolutionY = 600;
    int resolutionIndex = k600DpiIndex;   // into kResolutions
};

std::unique_ptr<FeatureHandler> CreateResolutionQualityHandler(const wchar_t* privateNamespace);
