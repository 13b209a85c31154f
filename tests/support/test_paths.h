// Where the test programs find the build's modules and the installed driver.
#pragma once

#include <windows.h>

#include <string>

// Directory of the running test program (the build's bin folder), no
// trailing backslash.
std::wstring TestBinDirectory();

// A fresh, empty directory under the temporary folder, removed with its
// files by RemoveScratchDirectory.
std::wstring CreateScratchDirectory();
void RemoveScratchDirectory(const std::wstring& dir);

// The name of the queue the test bed installed.
extern const WCHAR kTestQueueName[];
