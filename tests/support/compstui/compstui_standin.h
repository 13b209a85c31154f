// A stand-in for the common property-sheet host, for tests. Placed beside
// a test program as "compstui.dll", it is loaded instead of the platform's
// (whose page insertion and result delivery are stubs). It runs the
// documented reason sequence on the callback it is given, without windows,
// and records what it saw.
#pragma once

#include <windows.h>
#include <compstui.h>

struct StandInRecord {
    int calls;
    BYTE initHeader[64];        // the header lParamInit pointed to (its cbSize bytes)
    DWORD resultOnEntry;        // the caller's result cell when the host was called
    LONG initAnswer;            // what the callback returned for INIT
    int reasons[8];             // reasons delivered, in order
    int reasonCount;
};

extern "C" {
typedef StandInRecord* (*StandInRecordFn)();
}
