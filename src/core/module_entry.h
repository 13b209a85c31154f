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

// The path of the file called name in this module's directory: name takes
// the place of the module's own file name (and is used whole when the
// module path has no directory). FALSE when it does not fit.
BOOL ModuleSiblingPath(const WCHAR* name, WCHAR* path, size_t capacity);
