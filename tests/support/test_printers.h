// Extra queues for tests that need more than the one the test bed installed.
#pragma once

#include <windows.h>

#include <string>

// The spooler's driver directory for this environment, with "\3".
std::wstring InstalledDriverDirectory();

// Writes text as the data file dataFile of the driver directory and adds a
// driver driverName (KVUIDRV.DLL with that data file) and a queue using it.
// Returns false when the spooler refuses.
bool InstallTestPrinter(const WCHAR* queue, const WCHAR* driverName, const WCHAR* dataFile,
                        const std::string& text);

// Replaces the content of a data file installed by InstallTestPrinter.
bool WriteDriverFile(const WCHAR* dataFile, const std::string& text);

// A small model description with the given nickname and FileVersion text
// (no FileVersion statement when version is null).
std::string MakeModelText(const char* nickName, const char* version);

// Opens a queue; null on failure.
HANDLE OpenTestPrinter(const WCHAR* queue);
