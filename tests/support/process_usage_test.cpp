// The leak-check counters: each must see a leak made on purpose, one object
// per run, and balanced work must read no growth at all.
#include "support/process_usage.h"
#include "support/test_paths.h"

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kRuns = 100;
const int kWarmUp = 3;

// Objects made by a leaking run, released after the measurement so that
// the cases stay independent. Room is reserved up front: the list itself
// must not add heap blocks while the runs are measured.
template <typename T>
struct Leaked {
    std::vector<T> items;
    Leaked() { items.reserve(kRuns + kWarmUp); }
};

TEST(LeakCounters, EveryLeakedHandleCounts)
{
    const struct { const char* what; HANDLE (*open)(); } kinds[] = {
        {"event", [] { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }},
        {"registry key", [] {
             HKEY key = nullptr;
             RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key);
             return static_cast<HANDLE>(key);
         }},
        {"process handle", [] {
             HANDLE copy = nullptr;
             DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS);
             return copy;
         }},
    };
    for (const auto& kind : kinds) {
        Leaked<HANDLE> leaked;
        const UsageGrowth growth = MeasureUsageGrowth([&] { leaked.items.push_back(kind.open()); }, kWarmUp, kRuns);
        EXPECT_EQ(growth.handles, kRuns) << kind.what;
        for (HANDLE handle : leaked.items)
            EXPECT_TRUE(CloseHandle(handle)) << kind.what;
    }
}

HANDLE ownHeap = nullptr;   // a heap of the test's own, beside the process heap

// Every allocator the driver uses ends in one of the process's heaps.
TEST(LeakCounters, EveryLeakedHeapBlockCounts)
{
    const SIZE_T kBlock = 24;
    ownHeap = HeapCreate(0, 0, 0);
    ASSERT_TRUE(ownHeap);
    const struct { const char* what; void* (*take)(SIZE_T); void (*give)(void*); } allocators[] = {
        {"HeapAlloc", [](SIZE_T n) { return HeapAlloc(GetProcessHeap(), 0, n); },
         [](void* p) { HeapFree(GetProcessHeap(), 0, p); }},
        {"HeapAlloc, own heap", [](SIZE_T n) { return HeapAlloc(ownHeap, 0, n); },
         [](void* p) { HeapFree(ownHeap, 0, p); }},
        {"GlobalAlloc fixed", [](SIZE_T n) { return static_cast<void*>(GlobalAlloc(GPTR, n)); },
         [](void* p) { GlobalFree(p); }},
        {"GlobalAlloc moveable", [](SIZE_T n) { return static_cast<void*>(GlobalAlloc(GHND, n)); },
         [](void* p) { GlobalFree(p); }},
        {"LocalAlloc", [](SIZE_T n) { return static_cast<void*>(LocalAlloc(LPTR, n)); },
         [](void* p) { LocalFree(p); }},
        {"malloc", [](SIZE_T n) { return malloc(n); }, [](void* p) { free(p); }},
        {"new", [](SIZE_T n) { return static_cast<void*>(new char[n]); },
         [](void* p) { delete[] static_cast<char*>(p); }},
    };
    for (const auto& allocator : allocators) {
        Leaked<void*> leaked;
        const UsageGrowth growth =
            MeasureUsageGrowth([&] { leaked.items.push_back(allocator.take(kBlock)); }, kWarmUp, kRuns);
        EXPECT_EQ(growth.heapBlocks, kRuns) << allocator.what;
        EXPECT_EQ(growth.heapBytes, kRuns * static_cast<long long>(kBlock)) << allocator.what;
        for (void* block : leaked.items)
            allocator.give(block);
    }
    HeapDestroy(ownHeap);
}

TEST(LeakCounters, LeakedCommittedMemoryCounts)
{
    const SIZE_T kRegion = 64 * 1024;
    Leaked<void*> leaked;
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] { leaked.items.push_back(VirtualAlloc(nullptr, kRegion, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)); },
        kWarmUp, kRuns);
    EXPECT_EQ(growth.privateBytes, kRuns * static_cast<long long>(kRegion));
    for (void* region : leaked.items)
        EXPECT_TRUE(VirtualFree(region, 0, MEM_RELEASE));
}

TEST(LeakCounters, EveryLeakedGdiObjectCounts)
{
    const struct { const char* what; HGDIOBJ (*make)(); } kinds[] = {
        {"brush", [] { return static_cast<HGDIOBJ>(CreateSolidBrush(RGB(1, 2, 3))); }},
        {"pen", [] { return static_cast<HGDIOBJ>(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))); }},
        {"font", [] {
             return static_cast<HGDIOBJ>(
                 CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
         }},
        {"bitmap", [] { return static_cast<HGDIOBJ>(CreateBitmap(8, 8, 1, 1, nullptr)); }},
        {"region", [] { return static_cast<HGDIOBJ>(CreateRectRgn(0, 0, 8, 8)); }},
        {"memory DC", [] { return static_cast<HGDIOBJ>(CreateCompatibleDC(nullptr)); }},
    };
    for (const auto& kind : kinds) {
        Leaked<HGDIOBJ> leaked;
        const UsageGrowth growth = MeasureUsageGrowth([&] { leaked.items.push_back(kind.make()); }, kWarmUp, kRuns);
        EXPECT_EQ(growth.gdiObjects, kRuns) << kind.what;
        for (HGDIOBJ object : leaked.items)
            EXPECT_TRUE(GetObjectType(object) == OBJ_MEMDC ? DeleteDC(static_cast<HDC>(object))
                                                           : DeleteObject(object))
                << kind.what;
    }
}

// A printer handle is the spooler's own record, no kernel handle: an
// unclosed one shows in the heap.
TEST(LeakCounters, LeakedPrinterHandleCounts)
{
    Leaked<HANDLE> leaked;
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            HANDLE printer = nullptr;
            EXPECT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer, nullptr));
            leaked.items.push_back(printer);
        },
        kWarmUp, kRuns);
    EXPECT_GE(growth.heapBlocks, kRuns);
    for (HANDLE printer : leaked.items)
        EXPECT_TRUE(ClosePrinter(printer));
}

// Work that gives back all it takes, of every kind the counters watch.
TEST(LeakCounters, BalancedWorkReadsNoGrowth)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [] {
            CloseHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            HeapFree(GetProcessHeap(), 0, HeapAlloc(GetProcessHeap(), 0, 24));
            GlobalFree(GlobalAlloc(GHND, 24));
            free(malloc(300));
            DeleteObject(CreateSolidBrush(RGB(1, 2, 3)));
            DeleteDC(CreateCompatibleDC(nullptr));
            VirtualFree(VirtualAlloc(nullptr, 64 * 1024, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE), 0, MEM_RELEASE);
            HANDLE printer = nullptr;
            if (OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer, nullptr))
                ClosePrinter(printer);
        },
        kWarmUp, kRuns);
    EXPECT_EQ(growth.handles, 0);
    EXPECT_EQ(growth.gdiObjects, 0);
    EXPECT_EQ(growth.heapBlocks, 0);
    EXPECT_EQ(growth.heapBytes, 0);
    EXPECT_EQ(growth.privateBytes, 0);
}

// A counter that reads nothing fails the test by name, so a platform that
// stubs a count can never make a leak check pass unseen.
TEST(LeakCounters, CounterReadingZeroFailsTheTest)
{
    const struct { const char* name; void (*clear)(ProcessUsage&); } counters[] = {
        {"open handles", [](ProcessUsage& u) { u.handles = 0; }},
        {"live GDI objects", [](ProcessUsage& u) { u.gdiObjects = 0; }},
        {"heap blocks in use", [](ProcessUsage& u) { u.heapBlocks = 0; }},
        {"heap bytes in use", [](ProcessUsage& u) { u.heapBytes = 0; }},
        {"committed private bytes", [](ProcessUsage& u) { u.privateBytes = 0; }},
    };
    const ProcessUsage real = ReadProcessUsage();
    for (const auto& counter : counters) {
        ProcessUsage usage = real;
        counter.clear(usage);
        EXPECT_NONFATAL_FAILURE(ExpectCountersRead(usage, "now"), std::string(counter.name) + " reads 0 now");
    }
}

} // namespace
