// The default DriverDevmode: what the model, the settings profile and the
// locale make of a new record.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"

#include <windows.h>

// TRUE in A4 locales, FALSE in Letter locales (and when the country cannot be read).
BOOL IsA4Locale();

// The rule behind IsA4Locale: the international dialling code of the user's
// country. The Americas (1, 2, 50-59 except Brazil's 55, 500-599) use
// Letter; every other number, 0 for a missing or non-numeric code included,
// uses A4.
BOOL IsA4Country(LONG countryCode);

// Fills all 2672 bytes of target with the printer's defaults: the model's,
// then the settings profile's (when printer is given and its files found).
BOOL BuildDefaultDevmode(DEVMODEW* target, const WCHAR* driverName, const ModelContext* model,
                         BOOL a4Locale, HANDLE printer);

// The tray paper table as the model declares it (used when a profile or the
// installation gives none, and by the accessories page). Reads modelTrays
// and accessories of priv; also resets undefinedSourceTray to DMBIN_AUTO.
void RebuildTrayPaperFromModel(PrivateSettings* priv);

// optionSelections, optionCount and modelChecksum from the model: each
// ordinary feature's default option, 0xFF for the resolution feature.
void ResetOptionSelections(PrivateSettings* priv, const ModelContext* model);

// Looks up the physical size of the record's dmPaperSize (which also
// writes dmFormName) and stores it in dmPaperLength and dmPaperWidth.
// FALSE, with the dimensions untouched, when the paper is not known.
BOOL SetPaperDimensions(DEVMODEW* record, const ModelContext* model, HANDLE printer);
