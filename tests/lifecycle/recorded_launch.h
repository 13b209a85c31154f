// What the stand-in companion programs recorded about their launch.
#pragma once

#include <windows.h>

#include <string>

// The command line the stand-in at program was started with, waiting up
// to waitMs for it to get that far; empty when it did not run.
std::string RecordedCommandLine(const std::wstring& program, DWORD waitMs = 5000);

// Removes the stand-in's record, before a launch that is to be observed.
void ForgetRecordedLaunch(const std::wstring& program);
