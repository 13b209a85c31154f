// Strings of the resource module (the language module, or this module).
#pragma once

#include <windows.h>

// Copies string resource id into buffer (always terminated). Returns the
// number of characters copied, 0 when the resource is missing.
int LoadDriverString(UINT id, WCHAR* buffer, int capacity);
