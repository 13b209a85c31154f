// Bringing a queue's stored data up to this driver's layouts: the
// device-option record and the tray-form table, and the exported upgrade
// the spooler calls when a queue moves to a new driver version.
#pragma once

#include "core/model_context.h"

#include <windows.h>

// The version of the device-option record this driver writes.
const WORD kCurrentPrinterDataVersion = 263;

// The record as stored (or built from the model), raised to the current
// layout, marked with the model's variant and written back together with
// the installation values. FALSE only when no record can be had.
BOOL UpgradePrinterDataRecord(HANDLE printer, const ModelContext* model);

// The first k (0 to 10) whose string resource 40060 + 1000 k names the
// model's product (ignoring case); 0 when none does.
WORD ModelVariantOf(const ModelContext* model);

// An old-layout tray-form table (entries of three NUL-terminated texts,
// ended by an empty text) in the current layout: a leading WORD with the
// byte size, and a 0 WORD after each entry and at the end. Returns the new
// size, or 0 when the old table is malformed or out does not hold it.
DWORD ConvertTrayFormTable(const BYTE* old, DWORD oldBytes, BYTE* out, DWORD capacity);

// Converts the queue's stored tray-form table when it is in the old layout.
// TRUE when there was nothing to do or the conversion was stored.
BOOL UpgradeTrayFormTable(HANDLE printer);
