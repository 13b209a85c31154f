// Leak checks: what the process holds, counted around repeated calls.
#pragma once

#include <functional>

// What the process holds at one moment. Each counter is read the way it
// can be trusted under Wine, whose summary queries (GetProcessHandleCount,
// GetGuiResources, PrivateUsage) answer 0 whatever the process holds:
//   handles       kernel handles open, found by probing handle values
//   gdiObjects    live entries of the process's GDI handle table
//   heapBlocks    blocks in use in all of the process's heaps
//   heapBytes     bytes asked for by those blocks
//   privateBytes  committed private memory, from a walk of the address space
struct ProcessUsage {
    long handles;
    long gdiObjects;
    long heapBlocks;
    long long heapBytes;
    long long privateBytes;
};

// Reads every counter; one that cannot be read holds -1.
ProcessUsage ReadProcessUsage();

// Fails the running test, by counter, where a reading is 0 or -1: no live
// process holds nothing, and a check built on such a counter could never
// see a leak. `when` names the reading in the message.
void ExpectCountersRead(const ProcessUsage& usage, const char* when);

// Runs work warmUp times (the platform's own caches fill), then repeat
// times, and reports how much each counter grew during the measured runs;
// fails the running test when a reading cannot be trusted.
//
// Once warmed up, work that leaks nothing grows no counter at all under
// Wine, while one object left behind per run shows as at least repeat
// handles, GDI objects or heap blocks. Committed memory moves in coarse
// steps (a heap commits 64 KB at a time) and misses small leaks inside
// memory a heap already holds: it is there for large or VirtualAlloc
// leaks, the heap counters for the small ones.
using UsageGrowth = ProcessUsage;
UsageGrowth MeasureUsageGrowth(const std::function<void()>& work, int warmUp, int repeat);
