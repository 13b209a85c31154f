// Process attach and detach of the module.
#pragma once

#include <windows.h>

// Remembers the module, loads the language module, registers the control
// classes and captures the standard class procedures. Always succeeds.
BOOL ModuleProcessAttach(HMODULE self);

// Undoes ModuleProcessAttach. Always succeeds.
BOOL ModuleProcessDetach();

// Loads "KVUILANG.DLL" from the directory of moduleFileName (by bare name
// when the file name has no directory part). Returns null when it cannot.
HMODULE LoadLanguageModuleBeside(const WCHAR* moduleFileName);
