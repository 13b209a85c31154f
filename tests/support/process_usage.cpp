#include "support/process_usage.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

// A counter that could not be read at all; reported apart from a 0.
const long kUnreadable = -1;

// Handles are multiples of 4. Wine hands out the lowest free value, so the
// open handles sit packed at the bottom of the range: past a run of this
// many free values, none is open. The hard bound lies far beyond what any
// test program holds; reaching it means the probe answers yes to everything.
const ULONG_PTR kFreeValuesAfterLast = 1024;
const ULONG_PTR kHandleValueBound = ULONG_PTR(1) << 20;

long OpenHandles()
{
    long open = 0;
    ULONG_PTR freeRun = 0;
    for (ULONG_PTR value = 4; freeRun < kFreeValuesAfterLast; value += 4) {
        if (value >= kHandleValueBound)
            return kUnreadable;
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
            freeRun = 0;
        } else {
            ++freeRun;
        }
    }
    return open;
}

// One entry of the GDI handle table the process environment block points
// to. An entry is live while its type is set: deleting an object clears
// the type and reuses `object` to chain the free entries. Wine keeps one
// table per process and leaves `owner` at 0, so every live entry, the
// stock objects included, belongs to this process.
struct GdiTableEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    BYTE type;
    BYTE flags;
    UINT64 user;
};
static_assert(sizeof(GdiTableEntry) == 24, "GDI handle table entries are 24 bytes");
static_assert(offsetof(GdiTableEntry, type) == 14, "the type byte marks a live entry");
const size_t kGdiTableOffsetInPeb = 0xF8;   // GdiSharedHandleTable, 64-bit layout
const size_t kGdiTableEntries = 0x10000;    // handles carry a 16-bit index

long GdiObjects()
{
    // The table exists once GDI has started in the process; asking for a
    // stock object makes sure it has.
    GetStockObject(NULL_BRUSH);
    PROCESS_BASIC_INFORMATION process = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process),
                                  nullptr) != 0 || !process.PebBaseAddress)
        return kUnreadable;
    const BYTE* peb = reinterpret_cast<const BYTE*>(process.PebBaseAddress);
    const GdiTableEntry* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kGdiTableOffsetInPeb);
    MEMORY_BASIC_INFORMATION region = {};
    if (!table || VirtualQuery(table, &region, sizeof(region)) != sizeof(region) ||
        region.State != MEM_COMMIT || (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)))
        return kUnreadable;
    // Only the entries inside the committed region can be read.
    const size_t readable = (static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize -
                             reinterpret_cast<const BYTE*>(table)) / sizeof(GdiTableEntry);
    const size_t entries = readable < kGdiTableEntries ? readable : kGdiTableEntries;
    long live = 0;
    for (size_t i = 0; i < entries; ++i)
        if (table[i].type)
            ++live;
    return live;
}

// Blocks in use in every heap of the process, walked under each heap's lock.
bool CountHeapBlocks(long& blocks, long long& bytes)
{
    std::vector<HANDLE> heaps(16);
    for (;;) {
        const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
        if (count == 0)
            return false;
        if (count <= heaps.size()) {
            heaps.resize(count);
            break;
        }
        heaps.resize(count + 8);
    }
    blocks = 0;
    bytes = 0;
    for (HANDLE heap : heaps) {
        const BOOL locked = HeapLock(heap);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                ++blocks;
                bytes += entry.cbData;
            }
        }
        const DWORD error = GetLastError();
        if (locked)
            HeapUnlock(heap);
        if (error != ERROR_NO_MORE_ITEMS)
            return false;
    }
    return true;
}

// Committed private memory: heaps, stacks and whatever VirtualAlloc gave.
long long CommittedPrivateBytes()
{
    long long committed = 0;
    const BYTE* address = nullptr;
    MEMORY_BASIC_INFORMATION region;
    while (VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += static_cast<long long>(region.RegionSize);
        const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return committed ? committed : kUnreadable;
}

} // namespace

ProcessUsage ReadProcessUsage()
{
    ProcessUsage usage = {};
    usage.handles = OpenHandles();
    usage.gdiObjects = GdiObjects();
    if (!CountHeapBlocks(usage.heapBlocks, usage.heapBytes))
        usage.heapBlocks = usage.heapBytes = kUnreadable;
    usage.privateBytes = CommittedPrivateBytes();
    return usage;
}

void ExpectCountersRead(const ProcessUsage& usage, const char* when)
{
    const struct { const char* name; long long value; } counters[] = {
        {"open handles", usage.handles},
        {"live GDI objects", usage.gdiObjects},
        {"heap blocks in use", usage.heapBlocks},
        {"heap bytes in use", usage.heapBytes},
        {"committed private bytes", usage.privateBytes},
    };
    for (const auto& counter : counters) {
        if (counter.value == kUnreadable)
            ADD_FAILURE() << "leak check: the count of " << counter.name << " cannot be read " << when
                          << ", so this check cannot see a leak";
        else if (counter.value <= 0)
            ADD_FAILURE() << "leak check: the count of " << counter.name << " reads " << counter.value << " "
                          << when << "; no live process holds nothing, so this check cannot see a leak";
    }
}

UsageGrowth MeasureUsageGrowth(const std::function<void()>& work, int warmUp, int repeat)
{
    for (int i = 0; i < warmUp; ++i)
        work();
    const ProcessUsage before = ReadProcessUsage();
    for (int i = 0; i < repeat; ++i)
        work();
    const ProcessUsage after = ReadProcessUsage();
    ExpectCountersRead(before, "before the measured runs");
    ExpectCountersRead(after, "after the measured runs");
    return UsageGrowth{after.handles - before.handles, after.gdiObjects - before.gdiObjects,
                       after.heapBlocks - before.heapBlocks, after.heapBytes - before.heapBytes,
                       after.privateBytes - before.privateBytes};
}
