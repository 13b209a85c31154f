// The saved defaults of a printer: its settings profile and the
// installation values behind it.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"

#include <windows.h>

// Applies the profile named by the model's file list (found through the
// model's own path, else through the printer's driver) over a record that
// holds the model's defaults. Without the file list the record is left as
// it is.
void ApplySavedDefaults(DEVMODEW& pub, PrivateSettings& priv, const ModelContext* model, bool a4,
                        HANDLE printer);
