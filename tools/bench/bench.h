// kvbench: timing programs for the driver's hot paths. Each benchmark is a
// named entry in the table of bench_main.cpp; it prints its own figures and
// returns false only when it could not measure (not when it is slow).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct BenchOptions {
    std::wstring sampleModel;   // the sample description shipped with the driver
    std::wstring scratch;       // a private temporary directory, removed afterwards
    std::wstring serverTrace;   // where the wineserver writes its request trace, if known
    unsigned iterations;        // 0: each benchmark's own count
};

// Wall-clock time of one operation, from QueryPerformanceCounter.
class StopWatch {
public:
    StopWatch();
    void Start();
    double ElapsedMicroseconds() const;

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

// Per-operation times of one measured series.
struct Series {
    std::vector<double> microseconds;

    double Mean() const;
    double Median() const;
    double Min() const;
};

// One warm-up call (caches fill), then `count` timed calls.
Series MeasureCalls(unsigned count, const std::function<void()>& call);

// "  parse path    50 loads  mean 812.3 us  median 790.1 us  min 701.2 us"
void PrintSeries(const char* label, const char* unit, const Series& series);

// The whole file, for files written by others while we read (the
// wineserver's trace); false when it cannot be read or exceeds 256 MB.
bool ReadTextFile(const std::wstring& path, std::string* text);

// Benchmarks.
bool RunSampleModelLoad(const BenchOptions& options);
bool RunLargeModelLoad(const BenchOptions& options);
bool RunDevmodeDefaults(const BenchOptions& options);
bool RunSpoolerServices(const BenchOptions& options);
bool RunSpoolerCompare(const BenchOptions& options);
bool RunPrintTicket(const BenchOptions& options);

// The fresh processes spooler-compare starts: kvbench --spooler-child ...
int RunSpoolerCompareChild(int argc, WCHAR** argv);
