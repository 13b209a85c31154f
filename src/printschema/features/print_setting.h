// The document-type preset (general, graphics, office document, manual),
// the halftone style used in manual mode and the brightness and contrast
// adjustment: defaultSet, the dither bits of renderFlags and the two gray
// levels against our PagePrintSetting feature, its PageGraphicsQuality
// sub-feature and two parameters.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// Option indices, as the record keeps them.
enum PrintPreset { kPresetGeneral = 0, kPresetGraphics = 1, kPresetOfficeDocument = 2, kPresetManual = 3 };
enum GraphicsQuality { kQualityPhoto = 0, kQualityGraphics = 1, kQualityChart = 2 };

constexpr int kGrayAdjustLimit = 64;   // brightness and contrast run -64..64

struct PrintSettingSettings {
    DWORD preset = kPresetGeneral;
    DWORD graphicsQuality = kQualityPhoto;
    SHORT brightness = 0;
    SHORT contrast = 0;
};

std::unique_ptr<FeatureHandler> CreatePrintSettingHandler(const wchar_t* privateNamespace);
