#include "core/spooler_info.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>

namespace {

// Most descriptions fit this; asking with it saves the size query.
const DWORD kFirstGuessBytes = 8192;

// GetPrinterW levels the memo keeps, and the size of each level's record
// at the start of the block (the texts it points to follow it).
const size_t kPrinterInfoSizes[] = {
    0,
    sizeof(PRINTER_INFO_1W), sizeof(PRINTER_INFO_2W), sizeof(PRINTER_INFO_3),
    sizeof(PRINTER_INFO_4W), sizeof(PRINTER_INFO_5W), sizeof(PRINTER_INFO_6),
    sizeof(PRINTER_INFO_7W), sizeof(PRINTER_INFO_8W), sizeof(PRINTER_INFO_9W),
};
const DWORD kMemoLevels = ARRAYSIZE(kPrinterInfoSizes);

const WCHAR kDriverDataKey[] = L"PrinterDriverData";

// The size-then-fetch protocol of the spooler's Get* calls, starting with
// a guess so that the common case asks only once.
template <class Fetch> BYTE* FetchSpoolerRecord(Fetch fetch)
{
    DWORD needed = kFirstGuessBytes;
    BYTE* record = static_cast<BYTE*>(GlobalAlloc(GPTR, needed));
    if (!record)
        return nullptr;
    if (fetch(record, needed, &needed))
        return record;
    const DWORD error = GetLastError();
    GlobalFree(record);
    if (error != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return nullptr;
    record = static_cast<BYTE*>(GlobalAlloc(GPTR, needed));
    if (record && !fetch(record, needed, &needed)) {
        GlobalFree(record);
        return nullptr;
    }
    return record;
}

// A copy of a spooler record whose leading structure (recordSize bytes)
// points into the block itself: the pointers are moved to the copy.
BYTE* CopySpoolerRecord(const BYTE* block, size_t recordSize)
{
    const SIZE_T size = GlobalSize(const_cast<BYTE*>(block));
    BYTE* copy = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, size));
    if (!copy)
        return nullptr;
    memcpy(copy, block, size);
    const auto from = reinterpret_cast<ULONG_PTR>(block);
    for (size_t at = 0; at + sizeof(ULONG_PTR) <= recordSize && at + sizeof(ULONG_PTR) <= size;
         at += sizeof(ULONG_PTR)) {
        ULONG_PTR value;
        memcpy(&value, copy + at, sizeof(value));
        if (value >= from && value < from + size) {
            value = value - from + reinterpret_cast<ULONG_PTR>(copy);
            memcpy(copy + at, &value, sizeof(value));
        }
    }
    return copy;
}

// ---------------------------------------------------------------------------
// The calling thread's memo of one entry-point call

struct CallMemo {
    HANDLE printer;
    int depth;
    DWORD id;                   // names this call among the thread's calls
    WCHAR queue[MAX_PATH];      // the name the handle was opened by, or empty
    BYTE* printerInfo[kMemoLevels];
    BYTE* printerData;          // PRINTER_ENUM_VALUESW array, null until read
    DWORD printerDataCount;
    bool printerDataKnown;      // enumerated, and not written since
    bool printerDataUnlisted;   // the spooler cannot enumerate it: ask per value
};

thread_local CallMemo t_memo;
thread_local DWORD t_callsBegun;

bool MemoServes(HANDLE printer)
{
    return printer && t_memo.depth > 0 && t_memo.printer == printer;
}

void ForgetPrinterInfo()
{
    for (BYTE*& info : t_memo.printerInfo)
        if (info) {
            GlobalFree(info);
            info = nullptr;
        }
}

void ForgetPrinterData()
{
    if (t_memo.printerData)
        GlobalFree(t_memo.printerData);
    t_memo.printerData = nullptr;
    t_memo.printerDataCount = 0;
    t_memo.printerDataKnown = false;
}

// All of the printer's data in one question; false when the spooler cannot
// enumerate it (the caller then asks value by value).
bool EnumeratePrinterData()
{
    DWORD count = 0;
    BYTE* values = FetchSpoolerRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
        const DWORD status = EnumPrinterDataExW(t_memo.printer, kDriverDataKey, buffer, size, needed,
                                                &count);
        SetLastError(status == ERROR_MORE_DATA ? ERROR_INSUFFICIENT_BUFFER : status);
        return status == ERROR_SUCCESS;
    });
    if (!values) {
        t_memo.printerDataUnlisted = true;
        return false;
    }
    t_memo.printerData = values;
    t_memo.printerDataCount = count;
    t_memo.printerDataKnown = true;
    return true;
}

const PRINTER_ENUM_VALUESW* FindPrinterData(const WCHAR* name)
{
    auto* values = reinterpret_cast<const PRINTER_ENUM_VALUESW*>(t_memo.printerData);
    for (DWORD i = 0; i < t_memo.printerDataCount; ++i)
        if (values[i].pValueName && lstrcmpiW(values[i].pValueName, name) == 0)
            return &values[i];
    return nullptr;
}

// ---------------------------------------------------------------------------
// The driver descriptions of the queues this process has asked about

struct DriverEntry {
    WCHAR queue[MAX_PATH];
    DWORD level;
    BYTE* info;
};
const size_t kDriverEntries = 16;
DriverEntry g_drivers[kDriverEntries];
size_t g_nextDriverEntry = 0;
SRWLOCK g_driversLock = SRWLOCK_INIT;

size_t DriverRecordSize(DWORD level)
{
    return level == 2 ? sizeof(DRIVER_INFO_2W) : sizeof(DRIVER_INFO_3W);
}

// A remembered description holds while its data file is there: a queue
// that was removed and added again for another driver names other files.
bool StillDescribes(const BYTE* info)
{
    const WCHAR* dataFile = reinterpret_cast<const DRIVER_INFO_2W*>(info)->pDataFile;
    return dataFile && GetFileAttributesW(dataFile) != INVALID_FILE_ATTRIBUTES;
}

BYTE* RememberedDriverInfo(const WCHAR* queue, DWORD level)
{
    BYTE* copy = nullptr;
    AcquireSRWLockShared(&g_driversLock);
    for (const DriverEntry& e : g_drivers)
        if (e.info && e.level == level && lstrcmpiW(e.queue, queue) == 0) {
            if (StillDescribes(e.info))
                copy = CopySpoolerRecord(e.info, DriverRecordSize(level));
            break;
        }
    ReleaseSRWLockShared(&g_driversLock);
    return copy;
}

void RememberDriverInfo(const WCHAR* queue, DWORD level, const BYTE* info)
{
    if (wcslen(queue) >= MAX_PATH)
        return;
    BYTE* copy = CopySpoolerRecord(info, DriverRecordSize(level));
    if (!copy)
        return;
    AcquireSRWLockExclusive(&g_driversLock);
    DriverEntry* slot = nullptr;
    for (DriverEntry& e : g_drivers)
        if (e.info && e.level == level && lstrcmpiW(e.queue, queue) == 0)
            slot = &e;
    if (!slot) {
        slot = &g_drivers[g_nextDriverEntry];
        g_nextDriverEntry = (g_nextDriverEntry + 1) % kDriverEntries;
    }
    if (slot->info)
        GlobalFree(slot->info);
    wcscpy(slot->queue, queue);
    slot->level = level;
    slot->info = copy;
    ReleaseSRWLockExclusive(&g_driversLock);
}

BYTE* FetchDriverInfo(HANDLE printer, DWORD level)
{
    return FetchSpoolerRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetPrinterDriverW(printer, nullptr, level, buffer, size, needed);
    });
}

} // namespace

void BeginSpoolerCall(HANDLE printer, const WCHAR* queue)
{
    if (t_memo.depth++ > 0)
        return;
    ZeroMemory(&t_memo.printerInfo, sizeof(t_memo.printerInfo));
    t_memo.printer = printer;
    if (++t_callsBegun == 0)
        ++t_callsBegun;
    t_memo.id = t_callsBegun;
    t_memo.queue[0] = L'\0';
    if (queue && wcslen(queue) < MAX_PATH)
        wcscpy(t_memo.queue, queue);
    t_memo.printerData = nullptr;
    t_memo.printerDataCount = 0;
    t_memo.printerDataKnown = false;
    t_memo.printerDataUnlisted = false;
}

void EndSpoolerCall()
{
    if (t_memo.depth <= 0 || --t_memo.depth > 0)
        return;
    ForgetPrinterInfo();
    ForgetPrinterData();
    t_memo.printer = nullptr;
}

DWORD SpoolerCallId(HANDLE printer)
{
    return MemoServes(printer) ? t_memo.id : 0;
}

BYTE* ReadPrinterInfo(HANDLE printer, DWORD level)
{
    if (!printer)
        return nullptr;
    const bool memo = MemoServes(printer) && level < kMemoLevels && kPrinterInfoSizes[level];
    if (memo && t_memo.printerInfo[level])
        return CopySpoolerRecord(t_memo.printerInfo[level], kPrinterInfoSizes[level]);
    BYTE* info = FetchSpoolerRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetPrinterW(printer, level, buffer, size, needed);
    });
    if (info && memo)
        t_memo.printerInfo[level] = CopySpoolerRecord(info, kPrinterInfoSizes[level]);
    return info;
}

BOOL WritePrinterInfo(HANDLE printer, DWORD level, BYTE* info)
{
    if (t_memo.depth > 0)
        ForgetPrinterInfo();
    return SetPrinterW(printer, level, info, 0);
}

BOOL ReadQueueName(HANDLE printer, WCHAR* name, size_t capacity)
{
    if (!name || capacity == 0)
        return FALSE;
    name[0] = L'\0';
    if (MemoServes(printer) && t_memo.queue[0]) {
        lstrcpynW(name, t_memo.queue, static_cast<int>(capacity));
        return TRUE;
    }
    // Level 4 is the spooler's cheapest description that names the queue.
    auto* info = reinterpret_cast<PRINTER_INFO_4W*>(ReadPrinterInfo(printer, 4));
    const BOOL named = info && info->pPrinterName && info->pPrinterName[0];
    if (named)
        lstrcpynW(name, info->pPrinterName, static_cast<int>(capacity));
    if (info)
        GlobalFree(info);
    return named;
}

BYTE* ReadDriverInfo(HANDLE printer, DWORD level)
{
    if (!printer || (level != 2 && level != 3))
        return nullptr;
    WCHAR queue[MAX_PATH];
    const BOOL named = ReadQueueName(printer, queue, MAX_PATH);
    BYTE* info = named ? RememberedDriverInfo(queue, level) : nullptr;
    if (!info) {
        info = FetchDriverInfo(printer, level);
        if (info && named && StillDescribes(info))
            RememberDriverInfo(queue, level, info);
    }
    return info;
}

void ForgetDriverInfo()
{
    AcquireSRWLockExclusive(&g_driversLock);
    for (DriverEntry& e : g_drivers)
        if (e.info) {
            GlobalFree(e.info);
            e.info = nullptr;
        }
    ReleaseSRWLockExclusive(&g_driversLock);
}

DWORD QueryPrinterData(HANDLE printer, const WCHAR* name, DWORD* type, BYTE* data, DWORD size,
                       DWORD* needed)
{
    if (!printer || !name)
        return ERROR_INVALID_PARAMETER;
    if (!MemoServes(printer) || t_memo.printerDataUnlisted ||
        (!t_memo.printerDataKnown && !EnumeratePrinterData()))
        return GetPrinterDataW(printer, const_cast<WCHAR*>(name), type, data, size, needed);
    const PRINTER_ENUM_VALUESW* value = FindPrinterData(name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->dwType;
    if (needed)
        *needed = value->cbData;
    if (!data || size < value->cbData)
        return ERROR_MORE_DATA;
    memcpy(data, value->pData, value->cbData);
    return ERROR_SUCCESS;
}

DWORD WritePrinterData(HANDLE printer, const WCHAR* name, DWORD type, const void* data,
                       DWORD size)
{
    if (t_memo.depth > 0)
        ForgetPrinterData();
    return SetPrinterDataW(printer, const_cast<WCHAR*>(name), type,
                           static_cast<BYTE*>(const_cast<void*>(data)), size);
}

HANDLE PrinterForCall(HANDLE given, const WCHAR* name, HANDLE* opened)
{
    *opened = nullptr;
    if (given)
        return given;
    if (!name || !OpenPrinterW(const_cast<WCHAR*>(name), opened, nullptr)) {
        *opened = nullptr;
        return nullptr;
    }
    return *opened;
}

HANDLE OpenPrinterForWriting(const WCHAR* name)
{
    HANDLE writer = nullptr;
    PRINTER_DEFAULTSW access = {const_cast<WCHAR*>(L"RAW"), nullptr, PRINTER_ALL_ACCESS};
    if (!name || !OpenPrinterW(const_cast<WCHAR*>(name), &writer, &access))
        return nullptr;
    return writer;
}
