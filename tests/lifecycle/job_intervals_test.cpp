// The idle-time statistics of a queue's ports and the sleep time they give.
#include "lifecycle/job_intervals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct SleepCase {
    const char* what;
    DWORD idle;
    std::vector<DWORD> history;   // oldest first
    WORD expected;
};

const SleepCase kSleepCases[] = {
    {"nine minutes idle", 540, {}, 99},
    {"just under ten minutes", 599, {3000}, 99},
    {"ten minutes, nothing before", 600, {}, 90},
    {"an hour exactly is no long idle", 3600, {}, 40},
    {"just over an hour, nothing before", 3601, {}, 5},
    {"two hours, nothing before", 7200, {}, 5},
    {"two hours after a long idle", 7200, {4000}, 1},
    {"two hours after short ones", 7200, {100, 3000}, 50},
    {"half an hour, worked example", 1800, {1200, 1800}, 74},
    {"five long idles in a row", 6000, {6000, 6000, 6000, 6000, 3000}, 1},
    {"four long idles are not enough", 6000, {6000, 6000, 6000, 3000}, 11},
    {"a brief gap breaks the streak", 6000, {6000, 6000, 6000, 6000, 30, 3000}, 23},
    {"average below a minute", 600, std::vector<DWORD>(20, 0), 99},
};

TEST(SleepTime, FollowsTheIdleStatistics)
{
    for (const SleepCase& c : kSleepCases)
        EXPECT_EQ(SleepTimeFromStatistics(c.idle, c.history.data(),
                                          static_cast<DWORD>(c.history.size())),
                  c.expected)
            << c.what;
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

TEST(SleepTime, IdleSecondsBetweenLocalTimes)
{
    struct Case {
        const char* what;
        SYSTEMTIME from, to;
        DWORD expected;
    } const cases[] = {
        {"two hours", Time(2026, 3, 7, 12, 0, 0), Time(2026, 3, 7, 14, 0, 0), 7200},
        {"over midnight", Time(2026, 12, 31, 23, 59, 30), Time(2027, 1, 1, 0, 0, 15), 45},
        {"clock set back", Time(2026, 3, 7, 14, 0, 0), Time(2026, 3, 7, 12, 0, 0), 0},
        {"no valid end time", Time(2026, 13, 7, 14, 0, 0), Time(2026, 3, 7, 12, 0, 0), 0},
        {"same second", Time(2026, 3, 7, 14, 0, 0), Time(2026, 3, 7, 14, 0, 0), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecondsBetween(c.from, c.to), c.expected) << c.what;
}

TEST(SleepTime, NetworkPathsAreRecognised)
{
    struct Case {
        const char* name;
        BOOL network;
    } const cases[] = {
        {"\\\\server\\queue", TRUE}, {"//server/queue", TRUE}, {"\\/server", FALSE},
        {"\\server", FALSE},         {"FILE:", FALSE},         {"", FALSE},
        {nullptr, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNetworkPathName(c.name), c.network) << (c.name ? c.name : "(null)");
}

struct PlannedEntry {
    const char* port;
    DWORD pending;
    std::vector<DWORD> history;
};

// A stored record: count (claimed, or the number of entries), then the
// entries, cut to `bytes` when given.
BYTE* MakeRecord(const std::vector<PlannedEntry>& entries, DWORD* size, long claimed = -1,
                 long bytes = -1)
{
    const DWORD full = kIntervalRecordHeader + static_cast<DWORD>(entries.size() * sizeof(IntervalEntry));
    *size = bytes >= 0 ? static_cast<DWORD>(bytes) : full;
    auto* record = static_cast<BYTE*>(GlobalAlloc(GPTR, full > *size ? full : *size));
    const DWORD count = claimed >= 0 ? static_cast<DWORD>(claimed) : static_cast<DWORD>(entries.size());
    memcpy(record, &count, sizeof(count));
    for (size_t i = 0; i < entries.size(); ++i) {
        IntervalEntry entry = {};
        lstrcpynA(entry.portName, entries[i].port, sizeof(entry.portName));
        entry.pendingIdle = entries[i].pending;
        entry.lastEnd = Time(2026, 1, 1, 8, 0, 0);
        entry.historyCount = static_cast<DWORD>(entries[i].history.size());
        memcpy(entry.history, entries[i].history.data(), entries[i].history.size() * sizeof(DWORD));
        memcpy(record + kIntervalRecordHeader + i * sizeof(IntervalEntry), &entry, sizeof(entry));
    }
    return record;
}

const IntervalEntry& EntryOf(const BYTE* record, DWORD index)
{
    return *reinterpret_cast<const IntervalEntry*>(record + kIntervalRecordHeader +
                                                   index * sizeof(IntervalEntry));
}

std::vector<DWORD> HistoryOf(const IntervalEntry& entry)
{
    return std::vector<DWORD>(entry.history, entry.history + entry.historyCount);
}

std::vector<DWORD> Range(DWORD first, DWORD count)
{
    std::vector<DWORD> values;
    for (DWORD i = 0; i < count; ++i)
        values.push_back(first + i);
    return values;
}

struct JobEndCase {
    const char* what;
    std::vector<PlannedEntry> before;   // empty: the queue has no record yet
    long claimedCount;               // -1: as many as given
    long storedBytes;                // -1: the whole record
    DWORD expectedCount;
    DWORD portIndex;                 // where LPT1: stands afterwards
    std::vector<DWORD> expectedHistory;
};

const JobEndCase kJobEndCases[] = {
    {"first job of the queue", {}, -1, -1, 1, 0, {}},
    {"another port's record grows", {{"FILE:", 0, {60}}}, -1, -1, 2, 1, {}},
    {"pending idle joins the history", {{"FILE:", 0, {}}, {"lpt1:", 500, {100, 200}}}, -1, -1, 2, 1,
     {100, 200, 500}},
    {"nothing pending leaves the history", {{"LPT1:", 0, {100}}}, -1, -1, 1, 0, {100}},
    {"a full history drops its oldest", {{"LPT1:", 9999, Range(1, 20)}}, -1, -1, 1, 0,
     [] { auto h = Range(2, 19); h.push_back(9999); return h; }()},
    {"count beyond the stored entries", {{"FILE:", 0, {}}}, 3, -1, 1, 0, {}},
    {"record cut inside its first entry", {{"FILE:", 0, {}}}, -1, 200, 1, 0, {}},
    {"record shorter than its count", {{"FILE:", 0, {}}}, -1, 2, 1, 0, {}},
};

TEST(JobIntervalRecord, JobEndUpdatesThePortsEntry)
{
    const SYSTEMTIME now = Time(2026, 3, 7, 14, 5, 9);
    for (const JobEndCase& c : kJobEndCases) {
        DWORD size = 0;
        BYTE* record = c.before.empty() ? nullptr
                                        : MakeRecord(c.before, &size, c.claimedCount, c.storedBytes);
        ASSERT_TRUE(RecordJobEnd(&record, &size, "LPT1:", now)) << c.what;
        ASSERT_NE(record, nullptr) << c.what;
        DWORD count = 0;
        memcpy(&count, record, sizeof(count));
        EXPECT_EQ(count, c.expectedCount) << c.what;
        EXPECT_EQ(size, kIntervalRecordHeader + c.expectedCount * sizeof(IntervalEntry)) << c.what;
        const IntervalEntry& entry = EntryOf(record, c.portIndex);
        EXPECT_EQ(lstrcmpiA(entry.portName, "LPT1:"), 0) << c.what;
        EXPECT_EQ(entry.pendingIdle, 0u) << c.what;
        EXPECT_EQ(memcmp(&entry.lastEnd, &now, sizeof(now)), 0) << c.what;
        EXPECT_EQ(HistoryOf(entry), c.expectedHistory) << c.what;
        if (c.expectedCount == 2 && c.portIndex == 1) {
            EXPECT_STREQ(EntryOf(record, 0).portName, "FILE:") << c.what << ": other port kept";
        }
        GlobalFree(record);
    }
}

TEST(JobIntervalRecord, SearchStopsAtARecordThatCannotHoldTheNextEntry)
{
    struct Case {
        const char* what;
        long claimed, bytes;
        const char* port;
        bool found;
        BOOL usable;
    } const cases[] = {
        {"second port found", -1, -1, "lpt1:", true, TRUE},
        {"port not listed", -1, -1, "COM1:", false, TRUE},
        {"second entry cut short", -1, 4 + 364 + 100, "LPT1:", false, FALSE},
        {"first port before the cut", -1, 4 + 364 + 100, "FILE:", true, TRUE},
        {"count claims more than stored", 5, -1, "COM1:", false, FALSE},
        {"no room for the count", -1, 3, "FILE:", false, FALSE},
    };
    for (const Case& c : cases) {
        DWORD size = 0;
        BYTE* record = MakeRecord({{"FILE:", 0, {}}, {"LPT1:", 0, {}}}, &size, c.claimed, c.bytes);
        BOOL usable = !c.usable;
        const IntervalEntry* entry = FindIntervalEntry(record, size, c.port, &usable);
        EXPECT_EQ(entry != nullptr, c.found) << c.what;
        EXPECT_EQ(usable, c.usable) << c.what;
        GlobalFree(record);
    }
}

} // namespace
