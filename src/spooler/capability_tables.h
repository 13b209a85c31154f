// The keyword tables and rules behind the device-capability answers.
// Pure code: no spooler, no resources.
#pragma once

#include <windows.h>

#include <cstdint>


// String ids of the display names of paper and input-slot keywords
// (0 for a keyword without a name).
UINT PaperNameId(const char* keyword);
UINT TrayNameId(const char* keyword);

// A model paper dimension (points in 24.8 fixed point) in tenths of a
// millimetre, truncated twice in single precision as applications have
// always been told.
LONG TenthsMmOfFixedPoints(int32_t value);

// Whether the model's input slot at position index is available, given the
// model's tray word and the low byte of the installed-accessory bits.
bool IsTrayOffered(uint32_t modelTrays, BYTE accessories, uint32_t index);
