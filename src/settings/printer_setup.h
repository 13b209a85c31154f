// Setting a queue up: the installation values and the per-printer tray and
// accessory values.
#pragma once

#include "settings/driver_devmode.h"
#include "settings/printer_data.h"

#include <windows.h>

// Writes "ACC", "RAMDISK", "RAM" and the tray values from a private part.
void WriteTrayAndAccessoryData(HANDLE printer, const PrivateSettings* priv);
// Reads them back into a private part (a missing value leaves its field as
// it was) and derives the printer-collation bit of copyFlags.
void ReadTrayAndAccessoryData(HANDLE printer, PrivateSettings* priv);

// The installation step run when a queue is set up: "FreeMem" and
// "PrinterHT" from the block, the installation defaults (the profile beside
// this module copied into the defaults file of the 32-bit system
// directory, then carried into printer data) and the block as
// "PrinterData". The result is that of the last write.
BOOL InitialisePrinterData(HANDLE printer, const PrinterDataBlock* block);
