// A stand-in for HTML Help, for tests only; never shipped. Placed beside a
// program as "hhctrl.ocx", it is loaded instead of the platform's (which
// needs a browser engine the test prefix does not have). It records every
// HtmlHelpW call, opens a plain window for each topic shown and closes
// them all on HH_CLOSE_ALL.
#pragma once

#include <windows.h>

constexpr int kHelpStandInMaxCalls = 32;

struct HelpStandInCall {
    UINT command;
    HWND caller;
    WCHAR path[MAX_PATH * 2];   // the file argument, empty when null
};

struct HelpStandInLog {
    int count;                  // calls beyond the array are counted only
    HelpStandInCall calls[kHelpStandInMaxCalls];
    int windowsOpen;            // topic windows that exist now
};

using HelpStandInLogFn = const HelpStandInLog*(WINAPI*)();
using HelpStandInResetFn = void(WINAPI*)();
