// The user's list of overlay macros: the ids of the macros the printer has
// been sent, and their names, in an INI file of the per-user data folder
// that the macro dialog and the rendering side read.
#pragma once

#include "settings/driver_devmode.h"

#include <windows.h>

constexpr int kMaxListedMacros = 1000;
constexpr int kMacroIdsPerKey = 10;

// The list file for the settings' optionInformationFile; FALSE when it
// does not fit.
BOOL MacroListPath(const PrivateSettings* settings, WCHAR* path, size_t capacity);

// Reads the ids listed in text ("12,7,300"): decimal numbers separated by
// commas, ending at the first other character. Appends at most
// capacity - *count ids to ids; returns FALSE when some did not fit.
BOOL ParseMacroIds(const WCHAR* text, WORD* ids, int* count, int capacity);

// Lists the settings' macro in the user's list file and records its name.
// Does nothing when the file would land in the system directory.
void RegisterMacro(const PrivateSettings* settings);
