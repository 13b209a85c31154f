// Formatting into fixed buffers where a cut text would name the wrong file
// or the wrong program: the text is written whole or not at all.
#pragma once

#include <windows.h>

// swprintf into buffer; FALSE (and an empty buffer) when the text does not
// fit in capacity characters with its terminator.
BOOL PrintBounded(WCHAR* buffer, size_t capacity, const WCHAR* format, ...);
