// Our queue beside a queue driven by Wine's own PostScript driver reading the
// same description, through the calls applications make: DeviceCapabilitiesW
// by name and DocumentPropertiesW without a sheet, warm and as the first call
// of a fresh process, with the wineserver requests each call costs. Wine's
// driver answers warm calls from what it parsed once per process, so the
// distance between the two columns is what our per-call work costs.
//
// Fresh-process figures come from children (kvbench --spooler-child QUEUE
// MODE), one process per sample. Request counts come from the same children
// started with WINEDEBUG=+server: that makes the wineserver trace every
// request to its own standard error (nothing reaches the client's), for every
// process, until the server exits. So the counts are taken last, and only
// when the caller says where the server's standard error goes
// (--server-trace; tools/bench/spooler-compare.sh arranges it).
#include "bench.h"

#include <winspool.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

const WCHAR kOurQueue[] = L"Zentari TX-3390N";
const WCHAR kReferenceQueue[] = L"Zentari TX-3390N (Wine PostScript)";
const WCHAR kReferenceDriver[] = L"Zentari TX-3390N (Wine PostScript)";
// wine.inf already places the module in the driver directory's version folder.
const WCHAR kReferenceModule[] = L"wineps.drv";
// Our description under a name of its own, so the two drivers never share a data file.
const WCHAR kReferenceDataFile[] = L"KV3390N_WINEPS.PPD";
const WCHAR kPort[] = L"FILE:";

const unsigned kWarmCalls = 200;
const unsigned kRounds = 4;          // the warm calls are taken in this many rounds
const unsigned kCountedCalls = 20;   // warm calls behind each request count
const unsigned kFreshSamples = 5;    // child processes behind each first-call figure
const unsigned kAttempts = 3;        // tries at one fresh-process sample

LPWSTR Writable(const WCHAR* text)
{
    return const_cast<LPWSTR>(text);
}

DEVMODEW* Record(std::vector<BYTE>& bytes)
{
    return reinterpret_cast<DEVMODEW*>(bytes.data());
}

// A queue as the calls below use it: a handle opened once, the queue's
// default DEVMODE (the input of the merge), and room for the answers.
class Queue {
public:
    Queue() = default;
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;
    ~Queue()
    {
        if (handle)
            ClosePrinter(handle);
    }

    bool Open(const WCHAR* queueName)
    {
        name = queueName;
        if (!OpenPrinterW(Writable(name), &handle, nullptr))
            return false;
        LONG size = DocumentPropertiesW(nullptr, handle, Writable(name), nullptr, nullptr, 0);
        int papers = DeviceCapabilitiesW(name, kPort, DC_PAPERS, nullptr, nullptr);
        int bins = DeviceCapabilitiesW(name, kPort, DC_BINS, nullptr, nullptr);
        if (size < static_cast<LONG>(sizeof(DEVMODEW)) || papers < 0 || bins < 0)
            return false;
        defaults.assign(size, 0);
        output.assign(size, 0);
        numbers.assign(papers > bins ? papers : bins, 0);
        return DocumentPropertiesW(nullptr, handle, Writable(name), Record(defaults), nullptr,
                                   DM_OUT_BUFFER) == IDOK;
    }

    const WCHAR* name = nullptr;
    HANDLE handle = nullptr;
    std::vector<BYTE> defaults;
    std::vector<BYTE> output;
    std::vector<WORD> numbers;   // paper and bin numbers
};

LPWSTR Numbers(Queue& q)
{
    return reinterpret_cast<LPWSTR>(q.numbers.data());
}

// The warm calls, in table order; the last one is the floor every call by
// name pays when the driver opens the queue for itself.
struct Call {
    const char* label;
    void (*run)(Queue& q);
};

const Call kCalls[] = {
    {"DeviceCapabilitiesW DC_PAPERS",
     [](Queue& q) { DeviceCapabilitiesW(q.name, kPort, DC_PAPERS, Numbers(q), nullptr); }},
    {"DeviceCapabilitiesW DC_BINS",
     [](Queue& q) { DeviceCapabilitiesW(q.name, kPort, DC_BINS, Numbers(q), nullptr); }},
    {"DeviceCapabilitiesW DC_COPIES",
     [](Queue& q) { DeviceCapabilitiesW(q.name, kPort, DC_COPIES, nullptr, nullptr); }},
    {"DocumentPropertiesW default",
     [](Queue& q) {
         DocumentPropertiesW(nullptr, q.handle, Writable(q.name), Record(q.output), nullptr,
                             DM_OUT_BUFFER);
     }},
    {"DocumentPropertiesW merge",
     [](Queue& q) {
         DocumentPropertiesW(nullptr, q.handle, Writable(q.name), Record(q.output),
                             Record(q.defaults), DM_IN_BUFFER | DM_OUT_BUFFER);
     }},
    {"OpenPrinterW + ClosePrinter (floor)",
     [](Queue& q) {
         HANDLE h = nullptr;
         if (OpenPrinterW(Writable(q.name), &h, nullptr))
             ClosePrinter(h);
     }},
};
const int kCallCount = ARRAYSIZE(kCalls);

// What a fresh process does first: ask how many papers there are, or open
// the queue and fetch its default DEVMODE the way applications do (size,
// then record). Either loads the driver and its description. A console
// program meets the window system for the first time there; an application
// showing a print dialog has met it already, which the "after a window"
// rows imitate.
struct FirstCall {
    const WCHAR* mode;
    const char* label;
    bool afterWindow;
};

enum { kFirstPapers, kFirstDocument, kFirstPapersAfterWindow, kFirstDocumentAfterWindow };
const FirstCall kFirstCalls[] = {
    {L"first-papers", "DeviceCapabilitiesW DC_PAPERS", false},
    {L"first-document", "OpenPrinterW + DocumentPropertiesW", false},
    {L"first-papers-window", "  the same after a window", true},
    {L"first-document-window", "  the same after a window", true},
};
const int kFirstCount = ARRAYSIZE(kFirstCalls);
const WCHAR kWarmMode[] = L"warm";

// Markers bracket each counted stretch in the server's trace: creating a
// named event is one request, and its name carries the process and the
// stretch. Warm calls use their table index, first calls 100 + theirs.
const int kFirstMarkerBase = 100;

class Marker {
public:
    explicit Marker(int id) : id_(id), begin_(Create(L"begin")) {}
    ~Marker()
    {
        HANDLE end = Create(L"end");
        if (end)
            CloseHandle(end);
        if (begin_)
            CloseHandle(begin_);
    }

private:
    HANDLE Create(const WCHAR* edge) const
    {
        WCHAR name[64];
        swprintf(name, ARRAYSIZE(name), L"kvbench-%lu-%d-%ls", GetCurrentProcessId(), id_, edge);
        return CreateEventW(nullptr, TRUE, FALSE, name);
    }

    int id_;
    HANDLE begin_;
};

// The first call of this process, timed; returns the step that failed, or
// null.
const char* FirstCallIn(const WCHAR* queueName, int first, double* microseconds, DWORD* error)
{
    HANDLE printer = nullptr;
    std::vector<BYTE> record;
    const char* failed = nullptr;
    StopWatch watch;
    if (kFirstCalls[first].afterWindow)
        DestroyWindow(CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                    nullptr));
    {
        Marker marker(kFirstMarkerBase + first);
        watch.Start();
        if (first == kFirstPapers || first == kFirstPapersAfterWindow) {
            if (DeviceCapabilitiesW(queueName, kPort, DC_PAPERS, nullptr, nullptr) <= 0)
                failed = "DeviceCapabilitiesW";
        } else if (!OpenPrinterW(Writable(queueName), &printer, nullptr)) {
            failed = "OpenPrinterW";
        } else {
            LONG size = DocumentPropertiesW(nullptr, printer, Writable(queueName), nullptr,
                                            nullptr, 0);
            if (size < static_cast<LONG>(sizeof(DEVMODEW))) {
                failed = "DocumentPropertiesW for the size";
            } else {
                record.resize(size);
                if (DocumentPropertiesW(nullptr, printer, Writable(queueName), Record(record),
                                        nullptr, DM_OUT_BUFFER) != IDOK)
                    failed = "DocumentPropertiesW for the record";
            }
        }
        *microseconds = watch.ElapsedMicroseconds();
        *error = GetLastError();
    }
    if (printer)
        ClosePrinter(printer);
    return failed;
}

bool WarmCallsIn(const WCHAR* queueName)
{
    Queue q;
    if (!q.Open(queueName))
        return false;
    for (int c = 0; c < kCallCount; ++c) {
        kCalls[c].run(q);
        Marker marker(c);
        for (unsigned i = 0; i < kCountedCalls; ++i)
            kCalls[c].run(q);
    }
    return true;
}

// The environment of this process with WINEDEBUG replaced, as a block for
// CreateProcessW.
std::wstring EnvironmentWithDebug(const WCHAR* debug)
{
    std::wstring block;
    WCHAR* strings = GetEnvironmentStringsW();
    for (const WCHAR* entry = strings; entry && *entry; entry += std::wcslen(entry) + 1) {
        if (_wcsnicmp(entry, L"WINEDEBUG=", 10) != 0)
            block.append(entry).push_back(L'\0');
    }
    if (strings)
        FreeEnvironmentStringsW(strings);
    block.append(L"WINEDEBUG=").append(debug).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

// Starts kvbench --spooler-child QUEUE MODE, waits for it and returns what
// it printed; false when it could not run or reported a failure.
bool RunChild(const WCHAR* queueName, const WCHAR* mode, bool traced, DWORD* pid,
              std::string* printed)
{
    WCHAR self[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH))
        return false;
    std::wstring command = std::wstring(L"\"") + self + L"\" --spooler-child \"" + queueName +
                           L"\" " + mode;
    std::wstring environment;
    if (traced)
        environment = EnvironmentWithDebug(L"+server");

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(self, &command[0], nullptr, nullptr, TRUE,
                                  traced ? CREATE_UNICODE_ENVIRONMENT : 0,
                                  traced ? &environment[0] : nullptr, nullptr, &startup, &process);
    DWORD startError = GetLastError();
    CloseHandle(writeEnd);
    DWORD exitCode = 1;
    if (started) {
        char chunk[256];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got)
            printed->append(chunk, got);
        while (!printed->empty() && std::isspace(static_cast<unsigned char>(printed->back())))
            printed->pop_back();
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &exitCode);
        *pid = process.dwProcessId;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    if (!started)
        std::printf("  cannot start %ls (error %lu)\n", self, startError);
    else if (exitCode != 0)
        std::printf("  the child for \"%ls\" %ls exited with %lu, after printing \"%s\"\n",
                    queueName, mode, exitCode, printed->c_str());
    return started && exitCode == 0;
}

double MedianOf(std::vector<double> values)
{
    Series series;
    series.microseconds.swap(values);
    return series.Median();
}

// Median time of the first call over fresh processes; one process first so
// that the driver's own files (the model cache) exist, as they do for
// every process after the first. Negative when a sample failed every attempt.
// Wine's driver maps its description without sharing it, and now and then
// a fresh process's first call fails with a sharing violation, apparently
// while the previous process's mapping is still being torn down; such a
// sample is taken again, and counted in `repeated`.
double FirstCallMedian(const WCHAR* queueName, int first, unsigned* repeated)
{
    std::vector<double> samples;
    for (unsigned i = 0; i <= kFreshSamples; ++i) {
        double microseconds = -1;
        for (unsigned attempt = 0; attempt < kAttempts && microseconds < 0; ++attempt) {
            DWORD pid = 0;
            std::string printed;
            if (attempt > 0)
                ++*repeated;
            if (RunChild(queueName, kFirstCalls[first].mode, false, &pid, &printed) &&
                std::sscanf(printed.c_str(), "first %lf", &microseconds) != 1)
                std::printf("  the child for \"%ls\" %ls printed \"%s\"\n", queueName,
                            kFirstCalls[first].mode, printed.c_str());
        }
        if (microseconds < 0)
            return -1;
        if (i > 0)
            samples.push_back(microseconds);
    }
    return MedianOf(samples);
}

// Request lines of the server's trace read "TTTT: request( fields )"; its
// replies read "TTTT: request() = STATUS ..." and its events "TTTT: *fd* ...".
bool IsRequest(const std::string& line, size_t colon)
{
    size_t i = colon + 2;
    size_t start = i;
    while (i < line.size() && (std::islower(static_cast<unsigned char>(line[i])) ||
                               std::isdigit(static_cast<unsigned char>(line[i])) || line[i] == '_'))
        ++i;
    return i > start && line.compare(i, 2, "( ") == 0;
}

// For each marker of process `pid`, the requests the marking thread sent
// between its begin and end markers (the markers themselves not counted).
std::map<int, unsigned> CountBetweenMarkers(const std::string& trace, DWORD pid)
{
    std::map<int, unsigned> counts;
    const std::string prefix = "kvbench-" + std::to_string(pid) + "-";
    std::string thread;
    int open = -1;
    unsigned count = 0;
    size_t at = 0;
    while (at < trace.size()) {
        size_t end = trace.find('\n', at);
        if (end == std::string::npos)
            end = trace.size();
        std::string line = trace.substr(at, end - at);
        at = end + 1;
        size_t colon = line.find(": ");
        if (colon == std::string::npos || !IsRequest(line, colon))
            continue;
        size_t mark = line.find(prefix);
        if (mark != std::string::npos) {
            char* rest = nullptr;
            int id = static_cast<int>(std::strtol(line.c_str() + mark + prefix.size(), &rest, 10));
            if (std::strncmp(rest, "-begin\"", 7) == 0) {
                thread = line.substr(0, colon);
                open = id;
                count = 0;
            } else if (std::strncmp(rest, "-end\"", 5) == 0 && id == open) {
                counts[id] = count;
                open = -1;
            }
            continue;
        }
        if (open >= 0 && line.compare(0, colon, thread) == 0)
            ++count;
    }
    return counts;
}

struct Figures {
    double warm[kCallCount] = {};
    double first[kFirstCount] = {};
    double warmRequests[kCallCount];
    double firstRequests[kFirstCount];

    Figures()
    {
        for (double& r : warmRequests)
            r = -1;
        for (double& r : firstRequests)
            r = -1;
    }
};

// Runs the counting children of one queue, each tried as often as a
// fresh-process sample; their pids find their markers in the trace.
bool RunCountingChildren(const WCHAR* queueName, std::vector<DWORD>* pids)
{
    std::vector<const WCHAR*> modes;
    for (const FirstCall& first : kFirstCalls)
        modes.push_back(first.mode);
    modes.push_back(kWarmMode);
    for (const WCHAR* mode : modes) {
        DWORD pid = 0;
        bool ran = false;
        for (unsigned attempt = 0; attempt < kAttempts && !ran; ++attempt) {
            std::string printed;
            ran = RunChild(queueName, mode, true, &pid, &printed);
        }
        if (!ran)
            return false;
        pids->push_back(pid);
    }
    return true;
}

// False when a child's markers are missing from the trace.
bool TakeCounts(const std::string& trace, const std::vector<DWORD>& pids, Figures* figures)
{
    bool found = true;
    for (DWORD pid : pids) {
        std::map<int, unsigned> counts = CountBetweenMarkers(trace, pid);
        found = found && !counts.empty();
        for (const auto& count : counts) {
            if (count.first >= kFirstMarkerBase && count.first < kFirstMarkerBase + kFirstCount)
                figures->firstRequests[count.first - kFirstMarkerBase] = count.second;
            else if (count.first >= 0 && count.first < kCallCount)
                figures->warmRequests[count.first] = double(count.second) / kCountedCalls;
        }
    }
    return found;
}

// The reference: Wine's PostScript driver as driver and configuration
// module, reading a copy of our description, on a queue of its own. Reused
// when it exists, so repeated runs measure the same queue (adding it again
// would also reset its DEVMODE).
bool EnsureReferenceQueue(const std::wstring& description)
{
    HANDLE existing = nullptr;
    if (OpenPrinterW(Writable(kReferenceQueue), &existing, nullptr)) {
        ClosePrinter(existing);
        return true;
    }
    WCHAR driverDir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(driverDir),
                                    sizeof(driverDir), &needed)) {
        std::printf("  GetPrinterDriverDirectoryW failed (error %lu)\n", GetLastError());
        return false;
    }
    std::wstring staged = std::wstring(driverDir) + L"\\" + kReferenceDataFile;
    if (!CopyFileW(description.c_str(), staged.c_str(), FALSE)) {
        std::printf("  cannot copy %ls to %ls (error %lu)\n", description.c_str(), staged.c_str(),
                    GetLastError());
        return false;
    }
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = Writable(kReferenceDriver);
    driver.pEnvironment = Writable(L"Windows x64");
    driver.pDriverPath = Writable(kReferenceModule);
    driver.pConfigFile = Writable(kReferenceModule);
    driver.pDataFile = Writable(kReferenceDataFile);
    driver.pDefaultDataType = Writable(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES)) {
        std::printf("  AddPrinterDriverExW for the reference failed (error %lu)\n", GetLastError());
        return false;
    }
    // Success does not mean the data file reached the version folder.
    std::wstring installed = std::wstring(driverDir) + L"\\3\\" + kReferenceDataFile;
    if (GetFileAttributesW(installed.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("  %ls was not installed\n", installed.c_str());
        return false;
    }
    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = Writable(kReferenceQueue);
    printer.pPortName = Writable(kPort);
    printer.pDriverName = Writable(kReferenceDriver);
    printer.pPrintProcessor = Writable(L"winprint");
    printer.pDatatype = Writable(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (!added) {
        std::printf("  AddPrinterW for the reference failed (error %lu)\n", GetLastError());
        return false;
    }
    ClosePrinter(added);
    std::printf("  added the queue \"%ls\" (wineps.drv with %ls)\n", kReferenceQueue,
                kReferenceDataFile);
    return true;
}

void FormatTime(char* out, size_t size, double microseconds)
{
    if (microseconds < 0)
        std::snprintf(out, size, "failed");
    else
        std::snprintf(out, size, "%.1f us", microseconds);
}

void FormatRequests(char* out, size_t size, double requests)
{
    if (requests < 0)
        std::snprintf(out, size, "-");
    else if (requests == static_cast<double>(static_cast<long>(requests)))
        std::snprintf(out, size, "%ld", static_cast<long>(requests));
    else
        std::snprintf(out, size, "%.2f", requests);
}

void PrintRow(const char* label, double ours, double reference, double ourRequests,
              double referenceRequests)
{
    char oursText[32], referenceText[32], ratio[32], ourCount[32], referenceCount[32];
    FormatTime(oursText, sizeof(oursText), ours);
    FormatTime(referenceText, sizeof(referenceText), reference);
    if (ours < 0 || reference <= 0)
        std::snprintf(ratio, sizeof(ratio), "-");
    else
        std::snprintf(ratio, sizeof(ratio), ours / reference >= 10 ? "%.0fx" : "%.1fx",
                      ours / reference);
    FormatRequests(ourCount, sizeof(ourCount), ourRequests);
    FormatRequests(referenceCount, sizeof(referenceCount), referenceRequests);
    std::printf("  %-36s %13s %18s %8s %9s %9s\n", label, oursText, referenceText, ratio, ourCount,
                referenceCount);
}

void PrintTable(const Figures& ours, const Figures& reference, unsigned warmCalls, bool counted)
{
    std::printf("\n  %-36s %13s %18s %8s %19s\n", "", "", "", "",
                "requests per call");
    std::printf("  %-36s %13s %18s %8s %9s %9s\n", "call", "ours (median)", "reference (median)",
                "ratio", "ours", "reference");
    for (int c = 0; c < kCallCount; ++c)
        PrintRow(kCalls[c].label, ours.warm[c], reference.warm[c], ours.warmRequests[c],
                 reference.warmRequests[c]);
    std::printf("  first call in a fresh process:\n");
    for (int f = 0; f < kFirstCount; ++f)
        PrintRow(kFirstCalls[f].label, ours.first[f], reference.first[f], ours.firstRequests[f],
                 reference.firstRequests[f]);
    std::printf("\n  warm: median of %u calls in this process, in %u rounds each after a "
                "warm-up call\n",
                warmCalls, kRounds);
    std::printf("  first call: median over %u fresh processes (after one not counted); the "
                "count of papers,\n  and open, size and default record\n",
                kFreshSamples);
    if (counted)
        std::printf("  requests: wineserver requests of the calling thread per call, from %u "
                    "warm calls\n  (or the one first call) of a traced child\n",
                    kCountedCalls);
    else
        std::printf("  requests: not counted without --server-trace "
                    "(tools/bench/spooler-compare.sh)\n");
}

} // namespace

bool RunSpoolerCompare(const BenchOptions& options)
{
    if (!EnsureReferenceQueue(options.sampleModel))
        return false;
    Figures figures[2];
    const WCHAR* const names[2] = {kOurQueue, kReferenceQueue};
    unsigned warmCalls = options.iterations ? options.iterations : kWarmCalls;
    warmCalls = warmCalls < kRounds ? kRounds : warmCalls - warmCalls % kRounds;
    {
        Queue queues[2];
        for (int q = 0; q < 2; ++q) {
            if (!queues[q].Open(names[q])) {
                std::printf("  the queue \"%ls\" cannot be opened or queried (error %lu): run the "
                            "test bed first\n",
                            names[q], GetLastError());
                return false;
            }
        }
        // In rounds across every row and both queues, so that a burst of load
        // from elsewhere on the machine spreads over all figures instead of
        // landing on one.
        Series samples[2][kCallCount];
        for (unsigned round = 0; round < kRounds; ++round) {
            for (int c = 0; c < kCallCount; ++c) {
                for (int q = 0; q < 2; ++q) {
                    Series part = MeasureCalls(warmCalls / kRounds,
                                               [&] { kCalls[c].run(queues[q]); });
                    samples[q][c].microseconds.insert(samples[q][c].microseconds.end(),
                                                      part.microseconds.begin(),
                                                      part.microseconds.end());
                }
            }
        }
        for (int c = 0; c < kCallCount; ++c)
            for (int q = 0; q < 2; ++q)
                figures[q].warm[c] = samples[q][c].Median();
    }
    unsigned repeated = 0;
    for (int f = 0; f < kFirstCount; ++f)
        for (int q = 0; q < 2; ++q)
            figures[q].first[f] = FirstCallMedian(names[q], f, &repeated);

    // Last: once a traced child has started, the server traces everyone.
    bool counted = false;
    if (!options.serverTrace.empty()) {
        std::vector<DWORD> pids[2];
        std::string trace;
        counted = RunCountingChildren(names[0], &pids[0]) &&
                  RunCountingChildren(names[1], &pids[1]) &&
                  ReadTextFile(options.serverTrace, &trace);
        if (counted) {
            // Both, even when the first misses markers.
            bool ours = TakeCounts(trace, pids[0], &figures[0]);
            bool reference = TakeCounts(trace, pids[1], &figures[1]);
            // A Wine process whose Unix standard error is /dev/null turns every
            // debug channel off and so never asks the server to trace it; the
            // children share ours, whatever their startup handles say.
            if (!ours || !reference)
                std::printf("  the traced children are missing from %ls: it must be the "
                            "standard error\n  of this prefix's wineserver, and kvbench's "
                            "must not be /dev/null\n",
                            options.serverTrace.c_str());
        } else {
            std::printf("  the traced children failed or %ls cannot be read\n",
                        options.serverTrace.c_str());
        }
    }
    PrintTable(figures[0], figures[1], warmCalls, counted);
    if (repeated)
        std::printf("  %u fresh-process sample(s) taken again after the failures above\n",
                    repeated);
    return true;
}

int RunSpoolerCompareChild(int argc, WCHAR** argv)
{
    if (argc != 2)
        return 2;
    const WCHAR* queueName = argv[0];
    const WCHAR* mode = argv[1];
    if (std::wcscmp(mode, kWarmMode) == 0)
        return WarmCallsIn(queueName) ? 0 : 1;
    for (int f = 0; f < kFirstCount; ++f) {
        if (std::wcscmp(mode, kFirstCalls[f].mode) != 0)
            continue;
        double microseconds = 0;
        DWORD error = 0;
        if (const char* failed = FirstCallIn(queueName, f, &microseconds, &error)) {
            std::printf("%s failed, error %lu\n", failed, error);
            return 1;
        }
        std::printf("first %.1f\n", microseconds);
        std::fflush(stdout);
        return 0;
    }
    return 2;
}
