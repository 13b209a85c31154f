// The spooler chores every module shares: reading a printer's and its
// driver's descriptions and its printer data, and the handles a call opens
// for itself.
//
// Applications ask the driver the same questions many times while a print
// dialog is open, and every spooler question is a round trip to the
// spooler. So that no answer is ever stale, nothing the user or another
// program can change is kept from one entry-point call to the next; within
// one call (between BeginSpoolerCall and EndSpoolerCall on the calling
// thread) each question is asked at most once:
//   - the printer's description, per GetPrinterW level;
//   - all its printer data, with one enumeration on the first read.
// What cannot change while the process runs, the driver's description of
// a queue (its file paths), is read once per process and queue name.
#pragma once

#include <windows.h>

// Opens the calling thread's call memo for printer. queue, when given, is
// the name the handle was opened by. Calls nest; an inner call for another
// printer asks the spooler directly.
void BeginSpoolerCall(HANDLE printer, const WCHAR* queue = nullptr);
void EndSpoolerCall();

// A number naming the calling thread's open call for printer: the same for
// every question within one call, another for the next call, 0 when no
// call for printer is open. Other modules key answers of their own to it
// that must not outlive the call.
DWORD SpoolerCallId(HANDLE printer);

// The guard the entry points declare at their start.
class SpoolerCall {
public:
    explicit SpoolerCall(HANDLE printer, const WCHAR* queue = nullptr)
    {
        BeginSpoolerCall(printer, queue);
    }
    ~SpoolerCall() { EndSpoolerCall(); }
    SpoolerCall(const SpoolerCall&) = delete;
    SpoolerCall& operator=(const SpoolerCall&) = delete;
};

// The printer's description at a GetPrinterW level, in one GlobalAlloc
// block (free with GlobalFree); null when the spooler gives none.
BYTE* ReadPrinterInfo(HANDLE printer, DWORD level);

// SetPrinterW; every write also ends what the calling thread's memo knows
// of printer descriptions, so that the call reads back what it wrote.
BOOL WritePrinterInfo(HANDLE printer, DWORD level, BYTE* info);

// The queue's name, cut to capacity - 1 characters; FALSE (and an empty
// name) when the spooler gives none.
BOOL ReadQueueName(HANDLE printer, WCHAR* name, size_t capacity);

// The printer's driver description at a GetPrinterDriverW level (2 or 3),
// in one GlobalAlloc block (free with GlobalFree); null when the spooler
// gives none.
BYTE* ReadDriverInfo(HANDLE printer, DWORD level);

// GetPrinterDataW with its results: ERROR_SUCCESS, ERROR_MORE_DATA (with
// *needed set) or the spooler's error, ERROR_FILE_NOT_FOUND for a missing
// value.
DWORD QueryPrinterData(HANDLE printer, const WCHAR* name, DWORD* type, BYTE* data, DWORD size,
                       DWORD* needed);

// SetPrinterDataW; every write also ends what the calling thread's memo
// knows of printer data, so that the call reads back what it wrote.
DWORD WritePrinterData(HANDLE printer, const WCHAR* name, DWORD type, const void* data,
                       DWORD size);

// The handle a call works with: the caller's when it gave one, otherwise
// one opened by the printer's name for the length of the call, returned in
// *opened as well (close it with ClosePrinter). Null when neither works.
HANDLE PrinterForCall(HANDLE given, const WCHAR* name, HANDLE* opened);

// A handle of the printer with full access, opened by its name, for callers
// whose own handle may allow reading only. Null when it cannot be opened;
// close it with ClosePrinter.
HANDLE OpenPrinterForWriting(const WCHAR* name);

// Forgets the driver descriptions read so far (module detach).
void ForgetDriverInfo();
