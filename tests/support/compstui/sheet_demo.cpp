// kvsheets.exe: opens the installed driver's sheets through the host
// stand-in beside it, for demonstrations; never shipped.
//
//   kvsheets.exe QUEUE [OPENINGS [printer]]
//
// First opens Printing Preferences OPENINGS times (default 5), closing
// each as soon as its first page has painted, and prints the time from
// the host's first call into the driver to that paint. Then, when
// KV_SHEET_TOUR names a directory, opens Printing Preferences and the
// printer's properties once more for the host's screenshot tour ("printer":
// the printer's properties only).
#include "compstui_standin.h"

#include <prsht.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using PrinterPropertiesFn = BOOL(WINAPI*)(HWND, HANDLE);

struct Host {
    StandInRecordFn record;
    StandInSetScriptFn setScript;
};

HWND g_shownSheet;

void CALLBACK CloseSheet(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    PostMessageW(g_shownSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

// Timers come after the pending paints: the sheet closes once it has shown.
void CloseAfterPaint(HWND sheet, void*)
{
    g_shownSheet = sheet;
    SetTimer(nullptr, 0, 0, CloseSheet);
}

LONG OpenPreferences(HANDLE printer, WCHAR* queue)
{
    const LONG size = DocumentPropertiesW(nullptr, printer, queue, nullptr, nullptr, 0);
    std::string buffer(size > 0 ? size : 0, '\0');
    auto* dm = reinterpret_cast<DEVMODEW*>(&buffer[0]);
    return DocumentPropertiesW(nullptr, printer, queue, dm, nullptr, DM_IN_PROMPT | DM_OUT_BUFFER);
}

// The spooler of this platform never asks the driver for its printer
// page: the driver's export is called as the spooler would.
void OpenPrinterProperties(HANDLE printer)
{
    BYTE buffer[4096];
    DWORD needed = 0;
    if (!GetPrinterDriverW(printer, nullptr, 2, buffer, sizeof(buffer), &needed))
        return;
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(buffer);
    HMODULE module = LoadLibraryW(driver->pConfigFile);
    if (!module)
        return;
    auto properties = reinterpret_cast<PrinterPropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "PrinterProperties")));
    if (properties)
        properties(nullptr, printer);
    FreeLibrary(module);
}

} // namespace

int wmain(int argc, WCHAR** argv)
{
    if (argc < 2) {
        fwprintf(stderr, L"usage: kvsheets QUEUE [OPENINGS]\n");
        return 2;
    }
    WCHAR* queue = argv[1];
    const int openings = argc > 2 ? _wtoi(argv[2]) : 5;
    HMODULE hostModule = LoadLibraryW(L"compstui.dll");
    Host host = {};
    if (hostModule) {
        host.record = reinterpret_cast<StandInRecordFn>(
            reinterpret_cast<void*>(GetProcAddress(hostModule, "StandInLastCall")));
        host.setScript = reinterpret_cast<StandInSetScriptFn>(
            reinterpret_cast<void*>(GetProcAddress(hostModule, "StandInSetScript")));
    }
    if (!host.record || !host.setScript) {
        fwprintf(stderr, L"kvsheets: the host stand-in is not beside the program\n");
        return 1;
    }
    HANDLE printer = nullptr;
    if (!OpenPrinterW(queue, &printer, nullptr)) {
        fwprintf(stderr, L"kvsheets: cannot open %ls\n", queue);
        return 1;
    }
    host.setScript(CloseAfterPaint, nullptr);
    for (int i = 1; i <= openings; ++i) {
        const LONG answer = OpenPreferences(printer, queue);
        const StandInRecord& call = *host.record();
        if (call.firstPaintMs < 0) {
            fwprintf(stderr, L"kvsheets: opening %d showed no page (answer %ld, %d calls, %d reasons, %d pages)\n", i,
                     answer, call.calls, call.reasonCount, call.pageCount);
            continue;
        }
        wprintf(L"opening %d: %.1f ms from the first call into the driver to the first page painted\n", i,
                call.firstPaintMs);
    }
    host.setScript(nullptr, nullptr);
    if (_wgetenv(L"KV_SHEET_TOUR")) {
        const bool printerOnly = argc > 3 && lstrcmpiW(argv[3], L"printer") == 0;
        if (!printerOnly)
            OpenPreferences(printer, queue);
        OpenPrinterProperties(printer);
        if (!host.record()->sheetShown)
            fwprintf(stderr, L"kvsheets: the printer's properties showed no page of the driver (%d pages)\n",
                     host.record()->pageCount);
    }
    ClosePrinter(printer);
    FreeLibrary(hostModule);
    return 0;
}
