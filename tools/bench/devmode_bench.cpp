// The DEVMODE work every device-capabilities call does: acquire the model,
// build the default record, merge the caller's record, release.
#include "bench.h"
#include "core/model_cache.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_merge.h"

#include <winspool.h>

#include <cstdio>
#include <vector>

namespace {

const WCHAR kQueue[] = L"Zentari TX-3390N";
const WCHAR kDriverName[] = L"Zentari TX-3390N series";

} // namespace

bool RunDevmodeDefaults(const BenchOptions& options)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(kQueue), &printer, nullptr)) {
        std::printf("  the queue \"Zentari TX-3390N\" is not installed: run the test bed first\n");
        return false;
    }
    InitialiseModelCache();
    std::vector<BYTE> work(kDriverDevmodeSize), incoming(kDriverDevmodeSize);
    auto* record = reinterpret_cast<DEVMODEW*>(work.data());
    auto* caller = reinterpret_cast<DEVMODEW*>(incoming.data());

    bool ok = false;
    ModelContext* model = AcquireModelContext(printer, kUseCachedModel);
    if (model && BuildDefaultDevmode(caller, kDriverName, model, IsA4Locale(), printer)) {
        caller->dmCopies = 3;
        caller->dmOrientation = DMORIENT_LANDSCAPE;
        ReleaseModelContext(model);

        const unsigned count = options.iterations ? options.iterations : 300;
        Series build, merge, whole;
        StopWatch watch, total;
        for (unsigned i = 0; i < count; ++i) {
            total.Start();
            ModelContext* m = AcquireModelContext(printer, kUseCachedModel);
            watch.Start();
            BuildDefaultDevmode(record, kDriverName, m, IsA4Locale(), printer);
            build.microseconds.push_back(watch.ElapsedMicroseconds());
            watch.Start();
            MergeDevmode(record, caller, m, printer);
            merge.microseconds.push_back(watch.ElapsedMicroseconds());
            ReleaseModelContext(m);
            whole.microseconds.push_back(total.ElapsedMicroseconds());
        }
        PrintSeries("build defaults", "calls", build);
        PrintSeries("merge caller's", "calls", merge);
        PrintSeries("acquire..release", "calls", whole);
        ok = true;
    } else if (model) {
        ReleaseModelContext(model);
    }
    DestroyModelCache();
    ClosePrinter(printer);
    return ok;
}
