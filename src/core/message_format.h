// Short formatted texts from string resources, written into caller buffers.
#pragma once

#include <windows.h>

#include <cstdarg>

// Formats into buffer (capacity characters; always terminated when capacity
// is not 0) and returns the characters the whole text needs, terminator
// included. Directives: %! a string-resource id (UINT; at most 256
// characters of the string), %s a string (null inserts nothing), %c a
// WCHAR, %d %u %x %X a 32-bit number; any other character after "%" is
// copied as it stands.
DWORD FormatDriverMessage(WCHAR* buffer, DWORD capacity, const WCHAR* format, ...);
DWORD FormatDriverMessageV(WCHAR* buffer, DWORD capacity, const WCHAR* format, va_list args);
