// The spooler chores every module shares: reading a printer's and its
// driver's descriptions, and the handles a call opens for itself.
#pragma once

#include <windows.h>

// The printer's description at a GetPrinterW level, in one GlobalAlloc
// block (free with GlobalFree); null when the spooler gives none.
BYTE* ReadPrinterInfo(HANDLE printer, DWORD level);

// The printer's driver description at a GetPrinterDriverW level, in one
// GlobalAlloc block (free with GlobalFree); null when the spooler gives none.
BYTE* ReadDriverInfo(HANDLE printer, DWORD level);

// The handle a call works with: the caller's when it gave one, otherwise
// one opened by the printer's name for the length of the call, returned in
// *opened as well (close it with ClosePrinter). Null when neither works.
HANDLE PrinterForCall(HANDLE given, const WCHAR* name, HANDLE* opened);

// A handle of the printer with full access, opened by its name, for callers
// whose own handle may allow reading only. Null when it cannot be opened;
// close it with ClosePrinter.
HANDLE OpenPrinterForWriting(const WCHAR* name);
