#include "core/spooler_info.h"

#include <winspool.h>

namespace {

// Most descriptions fit this; asking with it saves the size query.
const DWORD kFirstGuessBytes = 8192;

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

} // namespace

BYTE* ReadPrinterInfo(HANDLE printer, DWORD level)
{
    if (!printer)
        return nullptr;
    return FetchSpoolerRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetPrinterW(printer, level, buffer, size, needed);
    });
}

BYTE* ReadDriverInfo(HANDLE printer, DWORD level)
{
    if (!printer)
        return nullptr;
    return FetchSpoolerRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetPrinterDriverW(printer, nullptr, level, buffer, size, needed);
    });
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
