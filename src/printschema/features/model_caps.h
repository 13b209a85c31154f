// The model's capability words, which printer initialisation stores as
// printer data for the handlers that have no model description to read.
#pragma once

#include <windows.h>

// "DeviceCaps": bits 20-23 say which job-storage modes the printer has.
const DWORD kDeviceCapsStorageShift = 20;
const DWORD kDeviceCapsStorageMask = 0x00F00000;
// "PrtCaps": a set bit 26 means the printer has no intelligent sleep mode.
const DWORD kPrtCapsNoIntelligentSleep = 0x04000000;

// The REG_DWORD value name; FALSE (value untouched) when the printer handle
// is NULL or the value is missing or anything but a 4-byte REG_DWORD.
BOOL ReadModelCapsWord(HANDLE printer, const WCHAR* name, DWORD* value);
