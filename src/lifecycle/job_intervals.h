// Per-port statistics of the idle time between jobs, kept by the queue as
// printer data "JIT", and the printer sleep time derived from them: a
// printer that is used often should not fall asleep between jobs, one that
// sits idle for hours may sleep almost at once.
#pragma once

#include "settings/driver_devmode.h"

#include <windows.h>

#include <cstddef>

constexpr DWORD kIntervalHistoryLength = 20;
constexpr WORD kSleepTimeDefault = 99;
constexpr WORD kSleepTimeNetworkPort = 0x8000;   // defaultSleepTime: the queue prints over a network path

#pragma pack(push, 1)
// One port's statistics. The record is "count" (a DWORD) followed by the
// entries.
struct IntervalEntry {
    CHAR       portName[260];     // ANSI, NUL-terminated
    DWORD      pendingIdle;       // seconds idle before the job now running; 0 when none
    SYSTEMTIME lastEnd;           // local time the last job ended
    DWORD      historyCount;      // 0 to kIntervalHistoryLength
    DWORD      history[kIntervalHistoryLength];   // seconds, oldest first
};
#pragma pack(pop)
static_assert(sizeof(IntervalEntry) == 364, "stored by the spooler");
static_assert(offsetof(IntervalEntry, pendingIdle) == 260, "");
static_assert(offsetof(IntervalEntry, lastEnd) == 264, "");
static_assert(offsetof(IntervalEntry, historyCount) == 280, "");
static_assert(offsetof(IntervalEntry, history) == 284, "");

constexpr DWORD kIntervalRecordHeader = sizeof(DWORD);

// The entry of port (compared ignoring case) in a record of size bytes, or
// null. *usable turns FALSE when the record is too short for its header or
// for the entries it claims before the port is found.
IntervalEntry* FindIntervalEntry(BYTE* record, DWORD size, const char* port, BOOL* usable);

// Records that a job on port ended at now: the port's pending idle time
// joins its history (the oldest one dropping out of a full history), or a
// new entry is made for a port not yet listed. *record (a GlobalAlloc
// block, or null when the queue has no record yet) may be replaced; FALSE
// when memory runs out, with *record untouched.
BOOL RecordJobEnd(BYTE** record, DWORD* size, const char* port, const SYSTEMTIME& now);

// Whole seconds from `from` to `to`; 0 when `to` is not later or a time is
// not a valid date.
DWORD SecondsBetween(const SYSTEMTIME& from, const SYSTEMTIME& to);

// The sleep time (1 to 99) for a job that starts idleSeconds after the
// previous one ended, given the port's earlier idle times.
WORD SleepTimeFromStatistics(DWORD idleSeconds, const DWORD* history, DWORD historyCount);

// TRUE when name begins with two slashes or two backslashes.
BOOL IsNetworkPathName(const char* name);

enum IntervalPhase { kJobStarts = 0, kJobEnds = 1 };

// Updates the queue's statistics at a job's start or end. With settings
// (a job being prepared), a start writes the idle time and the sleep time
// into them instead of into the record.
void RunIntervalStep(HANDLE printer, PrivateSettings* settings, IntervalPhase phase);
