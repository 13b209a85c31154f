// kvbench [--list] [--iterations N] [--model PATH] [--keep]
//         [--server-trace PATH] [NAME...]
//
// Runs the named benchmarks (all when none is named) and prints their
// figures. --keep leaves each benchmark's temporary directory (generated
// descriptions, caches) in place for inspection. --server-trace names the
// file the running wineserver writes its standard error to; benchmarks that
// count server requests need it (tools/bench/spooler-compare.sh sets it up).
// Benchmarks print; they do not judge the machine, so the exit status only
// says whether every benchmark could measure.
#include "bench.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

struct Benchmark {
    const wchar_t* name;
    const char* description;
    bool (*run)(const BenchOptions& options);
};

const Benchmark kBenchmarks[] = {
    {L"model-load-sample", "the sample model description: parse path against cache path",
     RunSampleModelLoad},
    {L"model-load-large", "a generated 300-paper, ~5,000-statement description: parse "
                          "path against cache path",
     RunLargeModelLoad},
    {L"devmode-defaults", "default DEVMODE and merge of a caller's record on the installed "
                          "queue, as every device-capabilities call does",
     RunDevmodeDefaults},
    {L"spooler-services", "DrvDeviceCapabilities (papers, bins, resolutions), document "
                          "properties without a sheet and DevQueryPrintEx on the installed queue",
     RunSpoolerServices},
    {L"spooler-compare", "DeviceCapabilitiesW and DocumentPropertiesW on our queue against "
                         "Wine's PostScript driver with the same description: warm medians, "
                         "first calls, server requests",
     RunSpoolerCompare},
    {L"print-ticket", "the print-ticket provider of the installed queue through COM (capabilities, "
                      "both conversions, validation), each feature handler alone, and the spooler, "
                      "administrator and MSXML work they share",
     RunPrintTicket},
};

const Benchmark* FindBenchmark(const wchar_t* name)
{
    for (const Benchmark& b : kBenchmarks)
        if (std::wcscmp(b.name, name) == 0)
            return &b;
    return nullptr;
}

std::wstring CreateScratch()
{
    WCHAR temp[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, temp);
    if (!length || length >= MAX_PATH)
        return std::wstring();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::wstring dir = std::wstring(temp) + L"kvbench-" +
                           std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(attempt);
        if (CreateDirectoryW(dir.c_str(), nullptr))
            return dir;
    }
    return std::wstring();
}

void RemoveScratch(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((dir + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

int Usage()
{
    std::fputs("usage: kvbench [--list] [--iterations N] [--model PATH] [--keep]\n"
               "               [--server-trace PATH] [NAME...]\n",
               stderr);
    return 2;
}

} // namespace

StopWatch::StopWatch()
{
    QueryPerformanceFrequency(&frequency_);
    start_.QuadPart = 0;
}

void StopWatch::Start()
{
    QueryPerformanceCounter(&start_);
}

double StopWatch::ElapsedMicroseconds() const
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start_.QuadPart) * 1e6 / double(frequency_.QuadPart);
}

double Series::Mean() const
{
    double sum = 0;
    for (double t : microseconds)
        sum += t;
    return microseconds.empty() ? 0 : sum / double(microseconds.size());
}

double Series::Median() const
{
    if (microseconds.empty())
        return 0;
    std::vector<double> sorted = microseconds;
    std::sort(sorted.begin(), sorted.end());
    size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double Series::Min() const
{
    return microseconds.empty() ? 0 : *std::min_element(microseconds.begin(), microseconds.end());
}

Series MeasureCalls(unsigned count, const std::function<void()>& call)
{
    Series series;
    call();
    StopWatch watch;
    for (unsigned i = 0; i < count; ++i) {
        watch.Start();
        call();
        series.microseconds.push_back(watch.ElapsedMicroseconds());
    }
    return series;
}

bool ReadTextFile(const std::wstring& path, std::string* text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    DWORD read = 0;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 28);
    if (ok) {
        text->resize(static_cast<size_t>(size.QuadPart));
        ok = text->empty() || (ReadFile(file, &(*text)[0], static_cast<DWORD>(text->size()),
                                        &read, nullptr) &&
                               read == text->size());
    }
    CloseHandle(file);
    return ok;
}

void PrintSeries(const char* label, const char* unit, const Series& series)
{
    std::printf("    %-16s %5zu %-6s mean %9.1f us   median %9.1f us   min %9.1f us\n", label,
                series.microseconds.size(), unit, series.Mean(), series.Median(), series.Min());
}

int wmain(int argc, WCHAR** argv)
{
    if (argc > 1 && std::wcscmp(argv[1], L"--spooler-child") == 0)
        return RunSpoolerCompareChild(argc - 2, argv + 2);
    BenchOptions options;
    options.sampleModel = L"" KV_SAMPLE_MODEL;
    options.iterations = 0;
    bool keep = false;
    std::vector<const Benchmark*> selected;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--list") == 0) {
            for (const Benchmark& b : kBenchmarks)
                std::printf("%-20ls %s\n", b.name, b.description);
            return 0;
        }
        if (std::wcscmp(argv[i], L"--iterations") == 0 && i + 1 < argc) {
            options.iterations = static_cast<unsigned>(std::wcstoul(argv[++i], nullptr, 10));
            continue;
        }
        if (std::wcscmp(argv[i], L"--keep") == 0) {
            keep = true;
            continue;
        }
        if (std::wcscmp(argv[i], L"--server-trace") == 0 && i + 1 < argc) {
            options.serverTrace = argv[++i];
            continue;
        }
        if (std::wcscmp(argv[i], L"--model") == 0 && i + 1 < argc) {
            options.sampleModel = argv[++i];
            continue;
        }
        const Benchmark* b = FindBenchmark(argv[i]);
        if (!b) {
            std::fprintf(stderr, "kvbench: no benchmark named %ls (see --list)\n", argv[i]);
            return Usage();
        }
        selected.push_back(b);
    }
    if (selected.empty())
        for (const Benchmark& b : kBenchmarks)
            selected.push_back(&b);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::printf("kvbench: per-operation wall-clock times (QueryPerformanceCounter, %lld ticks/s)\n",
                static_cast<long long>(frequency.QuadPart));

    int status = 0;
    for (const Benchmark* b : selected) {
        options.scratch = CreateScratch();
        if (options.scratch.empty()) {
            std::fprintf(stderr, "kvbench: cannot create a temporary directory\n");
            return 1;
        }
        std::printf("\n%ls: %s\n", b->name, b->description);
        std::fflush(stdout);
        if (!b->run(options)) {
            std::printf("  %ls could not be measured\n", b->name);
            status = 1;
        }
        if (keep)
            std::printf("  files kept in %ls\n", options.scratch.c_str());
        else
            RemoveScratch(options.scratch);
        std::fflush(stdout);
    }
    return status;
}
