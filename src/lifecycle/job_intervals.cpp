// The "JIT" statistics: idle times between jobs per port, and the sleep
// time they suggest.
#include "lifecycle/job_intervals.h"

#include "core/spooler_info.h"
#include "settings/printer_data.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

namespace {

const WCHAR kIntervalValue[] = L"JIT";
const DWORD kLongIdle = 3600;        // an hour: the printer was clearly not in use
const DWORD kShortIdle = 600;        // ten minutes: the printer is in steady use
const DWORD kIdleCap = 5940;         // 99 minutes, the longest idle time that counts
const DWORD kBriefIdle = 61;         // a job that followed the previous one at once
const int kIdleStreakForDeepSleep = 5;
const ULONGLONG kFileTimeUnitsPerSecond = 10000000;

DWORD EntryCount(const BYTE* record)
{
    DWORD count;
    memcpy(&count, record, sizeof(count));
    return count;
}

IntervalEntry* EntryAt(BYTE* record, DWORD index)
{
    return reinterpret_cast<IntervalEntry*>(record + kIntervalRecordHeader +
                                            static_cast<size_t>(index) * sizeof(IntervalEntry));
}

bool PortNamesMatch(const IntervalEntry& entry, const char* port)
{
    // A damaged record may leave the name unterminated.
    const int length = static_cast<int>(strnlen(entry.portName, sizeof(entry.portName)));
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, entry.portName, length, port,
                          -1) == CSTR_EQUAL;
}

void PushIdleInterval(IntervalEntry* entry, DWORD seconds)
{
    DWORD held = std::min(entry->historyCount, kIntervalHistoryLength);
    if (held == kIntervalHistoryLength) {
        memmove(entry->history, entry->history + 1, (held - 1) * sizeof(DWORD));
        --held;
    }
    entry->history[held] = seconds;
    entry->historyCount = held + 1;
}

void StartEntry(IntervalEntry* entry, const char* port, const SYSTEMTIME& now)
{
    ZeroMemory(entry, sizeof(*entry));
    lstrcpynA(entry->portName, port, sizeof(entry->portName));
    entry->lastEnd = now;
}

ULONGLONG WholeSeconds(const SYSTEMTIME& time, bool* valid)
{
    FILETIME file;
    *valid = SystemTimeToFileTime(&time, &file) != FALSE;
    ULARGE_INTEGER units;
    units.LowPart = file.dwLowDateTime;
    units.HighPart = file.dwHighDateTime;
    return *valid ? units.QuadPart / kFileTimeUnitsPerSecond : 0;
}

// Size-then-fetch of the record; null when the queue has none.
BYTE* ReadIntervalRecord(HANDLE printer, DWORD* size)
{
    DWORD type = 0, needed = 0;
    *size = 0;
    if (QueryPrinterData(printer, kIntervalValue, &type, nullptr, 0, &needed) != ERROR_MORE_DATA ||
        needed == 0)
        return nullptr;
    auto* record = static_cast<BYTE*>(GlobalAlloc(GPTR, needed));
    if (record && QueryPrinterData(printer, kIntervalValue, &type, record, needed, &needed) ==
                      ERROR_SUCCESS) {
        *size = needed;
        return record;
    }
    if (record) GlobalFree(record);
    return nullptr;
}

void SaveIntervalRecord(HANDLE printer, const BYTE* record, DWORD size)
{
    SetPrinterDataReopened(printer, kIntervalValue, REG_BINARY, record, size);
}

void WideToAnsi(const WCHAR* text, char* ansi, int capacity)
{
    ansi[0] = '\0';
    if (text && !WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, capacity, nullptr, nullptr))
        ansi[0] = '\0';
    ansi[capacity - 1] = '\0';
}

// A job is about to start: how long the port was idle.
void NoteJobStart(HANDLE printer, PrivateSettings* settings, const char* port)
{
    DWORD size = 0;
    BOOL usable = TRUE;
    BYTE* record = ReadIntervalRecord(printer, &size);
    IntervalEntry* entry = FindIntervalEntry(record, size, port, &usable);
    if (entry) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        const DWORD idle = SecondsBetween(entry->lastEnd, now);
        if (settings) {
            settings->lastIdleSeconds = idle;
            settings->defaultSleepTime = SleepTimeFromStatistics(
                idle, entry->history, std::min(entry->historyCount, kIntervalHistoryLength));
        } else {
            entry->pendingIdle = idle;
            SaveIntervalRecord(printer, record, size);
        }
    } else if (settings) {
        settings->lastIdleSeconds = 0;
        settings->defaultSleepTime = kSleepTimeDefault;
    }
    if (record) GlobalFree(record);
}

void NoteJobEnd(HANDLE printer, const char* port)
{
    DWORD size = 0;
    BYTE* record = ReadIntervalRecord(printer, &size);
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (RecordJobEnd(&record, &size, port, now))
        SaveIntervalRecord(printer, record, size);
    if (record) GlobalFree(record);
}

} // namespace

IntervalEntry* FindIntervalEntry(BYTE* record, DWORD size, const char* port, BOOL* usable)
{
    *usable = record && size >= kIntervalRecordHeader;
    if (!*usable || !port)
        return nullptr;
    const DWORD count = EntryCount(record);
    for (DWORD i = 0; i < count; ++i) {
        const size_t end = kIntervalRecordHeader + (static_cast<size_t>(i) + 1) * sizeof(IntervalEntry);
        if (end > size) {
            *usable = FALSE;
            return nullptr;
        }
        IntervalEntry* entry = EntryAt(record, i);
        if (PortNamesMatch(*entry, port))
            return entry;
    }
    return nullptr;
}

BOOL RecordJobEnd(BYTE** record, DWORD* size, const char* port, const SYSTEMTIME& now)
{
    BOOL usable = FALSE;
    IntervalEntry* entry = FindIntervalEntry(*record, *size, port, &usable);
    if (entry) {
        entry->lastEnd = now;
        if (entry->pendingIdle) {
            PushIdleInterval(entry, entry->pendingIdle);
            entry->pendingIdle = 0;
        }
        return TRUE;
    }
    // Not listed: append to a sound record, start afresh otherwise.
    const DWORD kept = usable ? EntryCount(*record) : 0;
    const DWORD grown = kIntervalRecordHeader + (kept + 1) * static_cast<DWORD>(sizeof(IntervalEntry));
    auto* replacement = static_cast<BYTE*>(GlobalAlloc(GPTR, grown));
    if (!replacement)
        return FALSE;
    if (kept)
        memcpy(replacement, *record, grown - sizeof(IntervalEntry));
    const DWORD count = kept + 1;
    memcpy(replacement, &count, sizeof(count));
    StartEntry(EntryAt(replacement, kept), port, now);
    if (*record) GlobalFree(*record);
    *record = replacement;
    *size = grown;
    return TRUE;
}

DWORD SecondsBetween(const SYSTEMTIME& from, const SYSTEMTIME& to)
{
    bool fromValid = false, toValid = false;
    const ULONGLONG start = WholeSeconds(from, &fromValid);
    const ULONGLONG end = WholeSeconds(to, &toValid);
    if (!fromValid || !toValid || end <= start)
        return 0;
    return static_cast<DWORD>(std::min<ULONGLONG>(end - start, MAXDWORD));
}

WORD SleepTimeFromStatistics(DWORD idleSeconds, const DWORD* history, DWORD historyCount)
{
    if (idleSeconds > kLongIdle) {
        if (historyCount == 0)
            return 5;
        if (history[historyCount - 1] > kLongIdle)
            return 1;
    } else if (idleSeconds < kShortIdle) {
        return kSleepTimeDefault;
    }
    // Long idle times in a row let the printer sleep at once; a job that
    // came right after another breaks the streak.
    ULONGLONG total = std::min(idleSeconds, kIdleCap);
    int longIdles = idleSeconds >= kIdleCap ? 1 : 0;
    for (DWORD i = historyCount; i-- > 0;) {
        if (history[i] >= kIdleCap && ++longIdles == kIdleStreakForDeepSleep)
            return 1;
        if (history[i] < kBriefIdle)
            --longIdles;
        total += std::min(history[i], kIdleCap);
    }
    const ULONGLONG averageMinutes = total / ((historyCount + 1ULL) * 60);
    return averageMinutes == 0 ? kSleepTimeDefault : static_cast<WORD>(100 - averageMinutes);
}

BOOL IsNetworkPathName(const char* name)
{
    return name && ((name[0] == '\\' && name[1] == '\\') || (name[0] == '/' && name[1] == '/'));
}

void RunIntervalStep(HANDLE printer, PrivateSettings* settings, IntervalPhase phase)
{
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    if (!info)
        return;
    char port[260], server[128];
    WideToAnsi(info->pPortName, port, sizeof(port));
    WideToAnsi(info->pServerName, server, sizeof(server));
    // Jobs of a connection to another machine's queue are counted there,
    // except when a job being prepared needs its sleep time here.
    const bool counted = !info->pServerName || settings;
    GlobalFree(info);
    if (!counted)
        return;
    if (phase == kJobEnds)
        NoteJobEnd(printer, port);
    else
        NoteJobStart(printer, settings, port);
    if (settings) {
        if (IsNetworkPathName(port) || IsNetworkPathName(server))
            settings->defaultSleepTime |= kSleepTimeNetworkPort;
        else
            settings->defaultSleepTime &= ~kSleepTimeNetworkPort;
    }
}
