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

// Reads the ids of the "IDLIST0", "IDLIST1", ... keys of section "MACROS"
// in file, in order, up to the first missing key; at most capacity ids.
// The printer's own list, as the remote-setup tool reports it, has the same
// layout. Returns the number read.
int ReadMacroIdLists(const WCHAR* file, WORD* ids, int capacity);

// Lists the settings' macro in the user's list file and records its name.
// Does nothing when the file would land in the system directory.
void RegisterMacro(const PrivateSettings* settings);
