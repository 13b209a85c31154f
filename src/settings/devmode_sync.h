// The derived fields of a DriverDevmode: dmDuplex and the ProcessorBlock,
// recomputed whenever a setting changes.
#pragma once

#include <windows.h>

// dmDuplex from the private duplex word, orientation and pages per sheet.
void DeriveDevmodeDuplex(DEVMODEW* record);

// Recomputes the ProcessorBlock and the derived public fields.
void SyncDerivedSettings(DEVMODEW* record);
