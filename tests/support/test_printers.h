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

// Adds a queue of an installed driver (an existing queue is kept).
bool AddTestQueue(const WCHAR* queue, const WCHAR* driverName, const WCHAR* port = L"FILE:");

// Replaces the content of a data file installed by InstallTestPrinter.
bool WriteDriverFile(const WCHAR* dataFile, const std::string& text);

// Dates a file's last write a minute back, as an installed package file
// is: the driver trusts what it kept of such a file until it changes.
bool SettleFile(const std::wstring& path);

// The same for both copies of a data file installed by InstallTestPrinter.
bool SettleDriverFile(const WCHAR* dataFile);

// A small model description with the given nickname and FileVersion text
// (no FileVersion statement when version is null).
std::string MakeModelText(const char* nickName, const char* version);

// Opens a queue; null on failure.
HANDLE OpenTestPrinter(const WCHAR* queue);

// Removes a printer data value through the printer's registry key (the
// spooler's own call aborts the process under Wine).
LSTATUS RemoveTestPrinterData(const WCHAR* queue, const WCHAR* name);

// Names a print processor the spooler has not installed (it refuses such a
// name when the queue is added).
LSTATUS SetTestQueueProcessor(const WCHAR* queue, const WCHAR* processor);
