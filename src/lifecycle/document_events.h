// The names a job's document events publish for the status monitor and the
// job's rendering side.
#pragma once

#include <windows.h>

constexpr DWORD kCapsNoIntervalStatistics = 0x04000000;   // "PrtCaps" bit 26
constexpr int kDocumentEventsHandled = 13;

// The output-file mapping of a job: "%x" of the printer handle and "PORT".
void OutputFileMappingName(HANDLE printer, WCHAR* name, size_t capacity);

// The environment variable that maps the printer handle to its DC, and
// the value it holds: both "0x%p".
void DeviceContextVariable(HANDLE printer, HDC dc, char* name, char* value, size_t capacity);

// The status monitor's pop-up atom for a queue.
BOOL PopUpAtomName(const WCHAR* queue, WCHAR* name, size_t capacity);
