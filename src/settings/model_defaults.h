// The settings a model alone decides, shared by the default record and by
// the settings profile that may override them.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"

#include <windows.h>

// The value statusMonitor takes when the status monitor is on.
constexpr BYTE kStatusMonitorOn = 3;

// The model itself, or an empty one (every query answers "no such
// feature") in place of a missing model.
const ModelContext* ModelOrEmpty(const ModelContext* model);

// Large papers that the defaults print fit-to-paper on A4 or Letter.
bool IsLargePaper(int paper);

// A4 in A4 locales, Letter in the others.
WORD LocalePaper(bool a4);

// The model's option flags and driver switches.
bool ModelOptionOn(const ModelContext* model, uint32_t bit);
bool ModelSwitchOn(const ModelContext* model, uint32_t bit);

// The model's default resolution, or the driver's fallback without a
// resolution feature.
SHORT ModelResolution(const ModelContext* model);

// The model's page-protection default; 256 (none) without the feature.
WORD ModelPageProtect(const ModelContext* model);

// The job-spooling default of the model.
WORD ModelMopy(const ModelContext* model);

// The TrueType raster-mode bits of renderFlags the model asks for.
DWORD ModelRasterMode(const ModelContext* model);

// The media type the model wants for postcards.
WORD ModelPostcardMediaType(const ModelContext* model);

// Whether duplex printing can be automatic: a duplex unit built in or fitted.
bool AutomaticDuplexPossible(const PrivateSettings& priv);

// Whether the status monitor companion program is installed.
bool StatusMonitorInstalled();
