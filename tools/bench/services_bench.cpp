// The spooler entry points as applications call them: device capabilities
// (with a handle and by name only), document properties without a sheet,
// and the held-job check.
#include "bench.h"

#include "core/module_entry.h"
#include "platform/driverui.h"
#include "settings/driver_devmode.h"

#include <winspool.h>

#include <cstdio>
#include <vector>

namespace {

WCHAR* Queue()
{
    return const_cast<WCHAR*>(L"Zentari TX-3390N");
}

} // namespace

bool RunSpoolerServices(const BenchOptions& options)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(Queue(), &printer, nullptr)) {
        std::printf("  the queue \"Zentari TX-3390N\" is not installed: run the test bed first\n");
        return false;
    }
    ModuleProcessAttach(GetModuleHandleW(nullptr));
    const unsigned count = options.iterations ? options.iterations : 200;
    std::vector<BYTE> output(64 * 256);
    DriverDevmode record = {};
    bool ok = DrvDocumentProperties(nullptr, printer, Queue(), &record.pub, nullptr, DM_COPY) == IDOK;
    if (ok) {
        const struct { const char* label; WORD index; } queries[] = {
            {"DC_PAPERS", DC_PAPERS}, {"DC_BINS", DC_BINS}, {"DC_ENUMRESOLUTIONS", DC_ENUMRESOLUTIONS}};
        for (const auto& q : queries) {
            PrintSeries(q.label, "calls", MeasureCalls(count, [&] {
                DrvDeviceCapabilities(printer, Queue(), q.index, output.data(), nullptr);
            }));
        }
        PrintSeries("DC_PAPERS by name", "calls", MeasureCalls(count, [&] {
            DrvDeviceCapabilities(nullptr, Queue(), DC_PAPERS, output.data(), nullptr);
        }));
        PrintSeries("DocumentProps", "calls", MeasureCalls(count, [&] {
            DrvDocumentProperties(nullptr, printer, Queue(), &record.pub, &record.pub, DM_COPY);
        }));
        WCHAR message[256];
        PrintSeries("DevQueryPrintEx", "calls", MeasureCalls(count, [&] {
            DEVQUERYPRINT_INFO info = {sizeof(info), 1, printer, &record.pub, message, 256, 0};
            DevQueryPrintEx(&info);
        }));
    }
    ModuleProcessDetach();
    ClosePrinter(printer);
    return ok;
}
