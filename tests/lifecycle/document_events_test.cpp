// DrvDocumentEvent through the module's export, called as GDI calls it
// during a job on the installed queue: with the queue's printer handle and
// a DC of the queue, or with (HDC)-1 on the spooler's XPS path.
#include "lifecycle/job_intervals.h"

#include "settings/driver_devmode.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "recorded_launch.h"

#include <shlobj.h>
#include <winddiui.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using DocumentEventProc = int(WINAPI*)(HANDLE, HDC, int, ULONG, PVOID, ULONG, PVOID);

const HDC kNoDc = reinterpret_cast<HDC>(-1);
const DWORD kNoStatistics = 0x04000000;
const SYSTEMTIME kLongAgo = {2020, 1, 0, 1, 8, 0, 0, 0};

std::string Narrow(const std::wstring& text)
{
    char buffer[2048];
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

SYSTEMTIME LocalTimeSecondsAgo(DWORD seconds)
{
    SYSTEMTIME now, then;
    GetLocalTime(&now);
    FILETIME file;
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER units = {{file.dwLowDateTime, file.dwHighDateTime}};
    units.QuadPart -= seconds * 10000000ULL;
    file = {units.LowPart, units.HighPart};
    FileTimeToSystemTime(&file, &then);
    return then;
}

class DocumentEvents : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = LoadLibraryW((TestBinDirectory() + L"\\KVUIDRV.DLL").c_str());
        ASSERT_NE(module_, nullptr);
        event_ = reinterpret_cast<DocumentEventProc>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DrvDocumentEvent")));
        ASSERT_NE(event_, nullptr);
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }

    struct SavedValue {
        const WCHAR* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    static constexpr const WCHAR* kPlantedValues[] = {L"JIT", L"PrtCaps", L"PXMSTSATOM"};

    void SetUp() override
    {
        printer_ = OpenTestPrinter(kTestQueueName);
        ASSERT_NE(printer_, nullptr);
        dc_ = CreateDCW(nullptr, kTestQueueName, nullptr, nullptr);
        ASSERT_NE(dc_, nullptr);
        auto* info = static_cast<PRINTER_INFO_2W*>(PrinterInfo(2));
        ASSERT_NE(info, nullptr);
        port_ = Narrow(info->pPortName);
        free(info);
        SaveValues();
        ClearValues();
    }
    void TearDown() override
    {
        ClearValues();
        for (const SavedValue& saved : saved_)
            Plant(saved.name, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
        if (dc_) DeleteDC(dc_);
        if (printer_) ClosePrinter(printer_);
    }
    // The values the queue's initialisation left, put back after each case.
    void SaveValues()
    {
        saved_.clear();
        for (const WCHAR* name : kPlantedValues) {
            SavedValue saved = {name, 0, std::vector<BYTE>(4096)};
            DWORD needed = 0;
            if (GetPrinterDataW(printer_, const_cast<WCHAR*>(name), &saved.type, saved.data.data(),
                                static_cast<DWORD>(saved.data.size()), &needed) != ERROR_SUCCESS)
                continue;
            saved.data.resize(needed);
            saved_.push_back(saved);
        }
    }
    void ClearValues()
    {
        for (const WCHAR* name : kPlantedValues)
            RemoveTestPrinterData(kTestQueueName, name);
    }
    void* PrinterInfo(DWORD level)
    {
        DWORD needed = 0;
        GetPrinterW(printer_, level, nullptr, 0, &needed);
        void* info = malloc(needed);
        if (!GetPrinterW(printer_, level, static_cast<BYTE*>(info), needed, &needed)) {
            free(info);
            return nullptr;
        }
        return info;
    }
    void Plant(const WCHAR* name, DWORD type, const void* data, DWORD size)
    {
        HANDLE writer = nullptr;
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &writer, &access));
        EXPECT_EQ(SetPrinterDataW(writer, const_cast<WCHAR*>(name), type,
                                  static_cast<BYTE*>(const_cast<void*>(data)), size),
                  static_cast<DWORD>(ERROR_SUCCESS));
        ClosePrinter(writer);
    }
    void PlantDword(const WCHAR* name, DWORD value) { Plant(name, REG_DWORD, &value, sizeof(value)); }
    // A record with one entry for the queue's port (or another port).
    void PlantIntervals(const SYSTEMTIME& lastEnd, std::vector<DWORD> history, const char* port = nullptr)
    {
        std::vector<BYTE> record(kIntervalRecordHeader + sizeof(IntervalEntry));
        const DWORD count = 1;
        memcpy(record.data(), &count, sizeof(count));
        IntervalEntry entry = {};
        lstrcpynA(entry.portName, port ? port : port_.c_str(), sizeof(entry.portName));
        entry.lastEnd = lastEnd;
        entry.historyCount = static_cast<DWORD>(history.size());
        memcpy(entry.history, history.data(), history.size() * sizeof(DWORD));
        memcpy(record.data() + kIntervalRecordHeader, &entry, sizeof(entry));
        Plant(L"JIT", REG_BINARY, record.data(), static_cast<DWORD>(record.size()));
    }
    // The queue port's entry as stored now; false when there is none.
    bool StoredEntry(IntervalEntry* entry)
    {
        BYTE record[4096];
        DWORD type = 0, needed = 0;
        if (GetPrinterDataW(printer_, const_cast<WCHAR*>(L"JIT"), &type, record, sizeof(record), &needed) !=
            ERROR_SUCCESS)
            return false;
        BOOL usable = FALSE;
        const IntervalEntry* found = FindIntervalEntry(record, needed, port_.c_str(), &usable);
        if (found)
            *entry = *found;
        return found != nullptr;
    }
    int Send(HDC dc, int escape, void* in = nullptr, void* out = nullptr, HANDLE printer = nullptr)
    {
        return event_(printer ? printer : printer_, dc, escape, 0, in, 0, out);
    }
    // The queue's own DriverDevmode, as an application gets it.
    std::vector<BYTE> QueueDevmode()
    {
        const LONG size = DocumentPropertiesW(nullptr, printer_, const_cast<WCHAR*>(kTestQueueName),
                                              nullptr, nullptr, 0);
        std::vector<BYTE> dm(size > 0 ? size : 0);
        if (size > 0)
            DocumentPropertiesW(nullptr, printer_, const_cast<WCHAR*>(kTestQueueName),
                                reinterpret_cast<DEVMODEW*>(dm.data()), nullptr, DM_OUT_BUFFER);
        return dm;
    }

    static HMODULE module_;
    static DocumentEventProc event_;
    HANDLE printer_ = nullptr;
    HDC dc_ = nullptr;
    std::string port_;
    std::vector<SavedValue> saved_;
};

HMODULE DocumentEvents::module_ = nullptr;
DocumentEventProc DocumentEvents::event_ = nullptr;

TEST_F(DocumentEvents, EveryEventSucceedsEvenWithoutItsData)
{
    for (HDC dc : {dc_, kNoDc})
        for (int escape = 0; escape <= 16; ++escape)
            EXPECT_EQ(Send(dc, escape), DOCUMENTEVENT_SUCCESS) << escape;
    EXPECT_EQ(event_(nullptr, dc_, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), DOCUMENTEVENT_SUCCESS);
}

TEST_F(DocumentEvents, IntervalStatisticsFollowTheJobsEvents)
{
    enum Effect { kUnchanged, kIdlePending, kEnded, kIdleRecorded };
    struct Case {
        bool withDc;
        int escape;
        Effect effect;
    } const cases[] = {
        {false, DOCUMENTEVENT_CREATEDCPRE, kIdleRecorded},
        {false, DOCUMENTEVENT_CREATEDCPOST, kUnchanged},
        {false, DOCUMENTEVENT_STARTDOC, kUnchanged},
        {false, DOCUMENTEVENT_ENDDOC, kUnchanged},
        {false, DOCUMENTEVENT_QUERYFILTER, kUnchanged},
        {true, DOCUMENTEVENT_CREATEDCPRE, kUnchanged},
        {true, DOCUMENTEVENT_CREATEDCPOST, kUnchanged},
        {true, DOCUMENTEVENT_RESETDCPRE, kUnchanged},
        {true, DOCUMENTEVENT_RESETDCPOST, kUnchanged},
        {true, DOCUMENTEVENT_STARTDOC, kIdlePending},
        {true, DOCUMENTEVENT_STARTPAGE, kUnchanged},
        {true, DOCUMENTEVENT_ENDPAGE, kUnchanged},
        {true, DOCUMENTEVENT_ENDDOC, kEnded},
        {true, DOCUMENTEVENT_ABORTDOC, kUnchanged},
        {true, DOCUMENTEVENT_DELETEDC, kUnchanged},
        {true, DOCUMENTEVENT_ESCAPE, kUnchanged},
        {true, DOCUMENTEVENT_ENDDOCPOST, kUnchanged},
        {true, DOCUMENTEVENT_STARTDOCPOST, kUnchanged},
    };
    for (DWORD caps : {DWORD{0}, kNoStatistics}) {
        for (const Case& c : cases) {
            PlantDword(L"PrtCaps", caps);
            PlantIntervals(kLongAgo, {300});
            ASSERT_EQ(Send(c.withDc ? dc_ : kNoDc, c.escape), DOCUMENTEVENT_SUCCESS);
            IntervalEntry entry = {};
            ASSERT_TRUE(StoredEntry(&entry));
            const bool lastEndKept = memcmp(&entry.lastEnd, &kLongAgo, sizeof(kLongAgo)) == 0;
            const Effect effect = caps ? kUnchanged : c.effect;
            const std::string what = std::to_string(c.escape) + (c.withDc ? " with DC" : " without DC") +
                                     (caps ? ", statistics off" : "");
            EXPECT_EQ(lastEndKept, effect == kUnchanged || effect == kIdlePending) << what;
            EXPECT_EQ(entry.pendingIdle > 86400, effect == kIdlePending) << what;
            EXPECT_EQ(entry.historyCount, effect == kIdleRecorded ? 2u : 1u) << what;
            if (effect == kIdleRecorded) {
                EXPECT_GT(entry.history[1], 86400u) << what;
            }
        }
    }
}

TEST_F(DocumentEvents, JobEndStartsTheRecordOfANewQueue)
{
    ASSERT_EQ(Send(dc_, DOCUMENTEVENT_ENDDOC), DOCUMENTEVENT_SUCCESS);
    IntervalEntry entry = {};
    ASSERT_TRUE(StoredEntry(&entry));
    EXPECT_EQ(entry.historyCount, 0u);
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_LE(SecondsBetween(entry.lastEnd, now), 60u);
}

TEST_F(DocumentEvents, FilterQueryListsTheThirteenEventsWhenThereIsRoom)
{
    const UINT kSentinel = 0xCDCDCDCD;
    for (UINT allocated : {0u, 5u, 12u, 13u, 20u}) {
        std::vector<BYTE> buffer(offsetof(DOCEVENT_FILTER, aDocEventCall) + 24 * sizeof(DWORD), 0xCD);
        auto* filter = reinterpret_cast<DOCEVENT_FILTER*>(buffer.data());
        filter->cbSize = static_cast<UINT>(buffer.size());
        filter->cElementsAllocated = allocated;
        ASSERT_EQ(Send(kNoDc, DOCUMENTEVENT_QUERYFILTER, nullptr, filter), DOCUMENTEVENT_SUCCESS);
        const bool room = allocated >= 13;
        EXPECT_EQ(filter->cElementsNeeded, room ? kSentinel : 13u) << allocated;
        EXPECT_EQ(filter->cElementsReturned, room ? 13u : kSentinel) << allocated;
        for (UINT i = 0; i < 24; ++i)
            EXPECT_EQ(filter->aDocEventCall[i], room && i < 13 ? i + 1 : kSentinel) << allocated << " " << i;
    }
}

TEST_F(DocumentEvents, DeviceContextIsPublishedForTheLifeOfTheDc)
{
    char name[32], value[32], read[64];
    wsprintfA(name, "0x%p", printer_);
    wsprintfA(value, "0x%p", dc_);
    SetEnvironmentVariableA(name, nullptr);
    ASSERT_EQ(Send(dc_, DOCUMENTEVENT_CREATEDCPOST), DOCUMENTEVENT_SUCCESS);
    ASSERT_GT(GetEnvironmentVariableA(name, read, sizeof(read)), 0u);
    EXPECT_STREQ(read, value);
    ASSERT_EQ(Send(dc_, DOCUMENTEVENT_DELETEDC), DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(GetEnvironmentVariableA(name, read, sizeof(read)), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST_F(DocumentEvents, StatusMonitorAtomIsRaisedWhenTheQueueAsksForIt)
{
    const std::wstring atom = std::wstring(L"KVSTSWIN-POPUPONPRINT ") + kTestQueueName;
    struct Case {
        bool planted;
        DWORD value;
        bool raised;
    } const cases[] = {{false, 0, false}, {true, 0, false}, {true, 1, true}, {true, 2, false}};
    for (const Case& c : cases) {
        while (ATOM old = GlobalFindAtomW(atom.c_str()))
            GlobalDeleteAtom(old);
        RemoveTestPrinterData(kTestQueueName, L"PXMSTSATOM");
        if (c.planted)
            PlantDword(L"PXMSTSATOM", c.value);
        DOCINFOW doc = {sizeof(doc), L"Report", nullptr, nullptr, 0};
        DOCINFOW* in = &doc;
        ASSERT_EQ(Send(dc_, DOCUMENTEVENT_STARTDOC, &in), DOCUMENTEVENT_SUCCESS);
        const ATOM found = GlobalFindAtomW(atom.c_str());
        EXPECT_EQ(found != 0, c.raised) << c.value;
        if (found)
            GlobalDeleteAtom(found);
    }
}

TEST_F(DocumentEvents, OutputFileIsPublishedUnderThePrinterHandle)
{
    struct Case {
        bool docInfo;
        const WCHAR* output;
    } const cases[] = {{true, L"C:\\jobs\\report.prn"}, {true, nullptr}, {false, nullptr}};
    for (const Case& c : cases) {
        // Each job gets a handle of its own, as each DC of an application does.
        HANDLE printer = OpenTestPrinter(kTestQueueName);
        ASSERT_NE(printer, nullptr);
        DOCINFOW doc = {sizeof(doc), L"Report", c.output, nullptr, 0};
        DOCINFOW* in = c.docInfo ? &doc : nullptr;
        ASSERT_EQ(Send(dc_, DOCUMENTEVENT_STARTDOC, &in, nullptr, printer), DOCUMENTEVENT_SUCCESS);
        WCHAR name[32];
        wsprintfW(name, L"%xPORT", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(printer)));
        HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
        EXPECT_EQ(mapping != nullptr, c.output != nullptr);
        if (mapping) {
            auto* view = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
            ASSERT_NE(view, nullptr);
            HANDLE own = nullptr;
            memcpy(&own, view, sizeof(own));
            DWORD flags = 0;
            EXPECT_TRUE(GetHandleInformation(own, &flags)) << "the mapping's own handle stays open";
            EXPECT_STREQ(reinterpret_cast<const WCHAR*>(view + sizeof(HANDLE)), c.output);
            UnmapViewOfFile(view);
            CloseHandle(mapping);
            CloseHandle(own);   // as the status monitor does
        }
        ClosePrinter(printer);
    }
}

TEST_F(DocumentEvents, JobPreparationCompletesTheJobsSettings)
{
    const std::string otherPort = port_ == "LPT1:" ? "COM1:" : "LPT1:";
    struct Case {
        const char* what;
        int planted;                  // 0 none, 1 this port, 2 another port
        DWORD idleSeconds;
        std::vector<DWORD> history;
        WORD sleepMode;
        DWORD caps;
        DWORD lastIdleMin, lastIdleMax;   // as written; sentinel when untouched
        WORD sleepTime;                   // defaultSleepTime, bit 15 clear on a local port
        bool devmodeHandedBack;
    } const cases[] = {
        {"first job", 0, 0, {}, 0, 0, 0, 0, 99, true},
        {"other port only", 2, 600, {}, 0, 0, 0, 0, 99, true},
        {"nine minutes", 1, 540, {}, 0, 0, 540, 545, 99, true},
        {"two hours", 1, 7200, {}, 0, 0, 7200, 7205, 5, true},
        {"two hours after a long idle", 1, 7200, {4000}, 0, 0, 7200, 7205, 1, true},
        {"half an hour", 1, 1800, {1200, 1800}, 0, 0, 1800, 1805, 74, true},
        {"fixed sleep mode", 1, 7200, {}, 1, 0, 0xAAAAAAAA, 0xAAAAAAAA, 0xAAAA, false},
        {"statistics off", 1, 7200, {}, 0, kNoStatistics, 0xAAAAAAAA, 0xAAAAAAAA, 0xAAAA, false},
    };
    for (const Case& c : cases) {
        RemoveTestPrinterData(kTestQueueName, L"JIT");
        PlantDword(L"PrtCaps", c.caps);
        if (c.planted)
            PlantIntervals(LocalTimeSecondsAgo(c.idleSeconds), c.history,
                           c.planted == 2 ? otherPort.c_str() : nullptr);
        std::vector<BYTE> job = QueueDevmode();
        ASSERT_EQ(job.size(), sizeof(DriverDevmode));
        auto* dm = reinterpret_cast<DriverDevmode*>(job.data());
        dm->priv.sleepMode = c.sleepMode;
        dm->priv.lastIdleSeconds = 0xAAAAAAAA;
        dm->priv.defaultSleepTime = 0xAAAA;
        dm->priv.macroId = 0xFFFF8123;
        for (WCHAR& ch : dm->priv.printProcessorFile) ch = L'P';
        for (WCHAR& ch : dm->priv.languageResourceFile) ch = L'L';
        for (WCHAR& ch : dm->priv.modelResourceFile) ch = L'M';
        for (WCHAR& ch : dm->priv.optionInformationFile) ch = L'O';
        for (WCHAR& ch : dm->priv.macroName) ch = L'N';
        DOCEVENT_CREATEDCPRE create = {const_cast<WCHAR*>(L"KVUIDRV"), const_cast<WCHAR*>(kTestQueueName),
                                       &dm->pub, FALSE};
        DEVMODEW* handedBack = reinterpret_cast<DEVMODEW*>(0x1234);
        ASSERT_EQ(Send(dc_, DOCUMENTEVENT_CREATEDCPRE, &create, &handedBack), DOCUMENTEVENT_SUCCESS);

        EXPECT_EQ(dm->priv.macroId, 0x0123u) << c.what;
        EXPECT_EQ(dm->priv.printProcessorFile[15], L'\0') << c.what;
        EXPECT_EQ(dm->priv.printProcessorFile[14], L'P') << c.what;
        EXPECT_EQ(dm->priv.languageResourceFile[15], L'\0') << c.what;
        EXPECT_EQ(dm->priv.modelResourceFile[15], L'\0') << c.what;
        EXPECT_EQ(dm->priv.optionInformationFile[15], L'\0') << c.what;
        EXPECT_EQ(dm->priv.macroName[23], L'\0') << c.what;
        EXPECT_GE(dm->priv.lastIdleSeconds, c.lastIdleMin) << c.what;
        EXPECT_LE(dm->priv.lastIdleSeconds, c.lastIdleMax) << c.what;
        EXPECT_EQ(dm->priv.defaultSleepTime, c.sleepTime) << c.what;
        EXPECT_EQ(handedBack, c.devmodeHandedBack ? &dm->pub : reinterpret_cast<DEVMODEW*>(0x1234))
            << c.what;
    }
}

TEST_F(DocumentEvents, JobPreparationLeavesForeignSettingsAlone)
{
    std::vector<BYTE> job = QueueDevmode();
    ASSERT_EQ(job.size(), sizeof(DriverDevmode));
    auto* dm = reinterpret_cast<DriverDevmode*>(job.data());
    dm->priv.macroId = 0xFFFF8123;
    struct Case {
        const char* what;
        void (*damage)(DriverDevmode*);
    } const cases[] = {
        {"short public part", [](DriverDevmode* d) { d->pub.dmSize = 156; }},
        {"other private size", [](DriverDevmode* d) { d->pub.dmDriverExtra = 100; }},
        {"other tag", [](DriverDevmode* d) { d->priv.tag = 0x12345678; }},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> copy = job;
        auto* foreign = reinterpret_cast<DriverDevmode*>(copy.data());
        c.damage(foreign);
        const std::vector<BYTE> before = copy;
        DOCEVENT_CREATEDCPRE create = {nullptr, const_cast<WCHAR*>(kTestQueueName), &foreign->pub, FALSE};
        DEVMODEW* handedBack = nullptr;
        ASSERT_EQ(Send(dc_, DOCUMENTEVENT_CREATEDCPRE, &create, &handedBack), DOCUMENTEVENT_SUCCESS);
        EXPECT_TRUE(copy == before) << c.what;
        EXPECT_EQ(handedBack, nullptr) << c.what;
    }
}

TEST_F(DocumentEvents, JobPreparationRegistersTheJobsMacro)
{
    WCHAR appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
    const std::wstring folder = std::wstring(appData) + L"\\Zentari\\PrtDrv";
    CreateDirectoryW((std::wstring(appData) + L"\\Zentari").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    struct Case {
        BYTE macroFlags;
        const WCHAR* optionFile;
        bool registered;
    } const cases[] = {
        {0x02, L"KVO3390N.INI", true},  {0x20, L"KVOTEST.INI", true}, {0x22, L"KVO3390N.INI", true},
        {0x01, L"KVO3390N.INI", false}, {0x00, L"KVO3390N.INI", false},
        {0x02, L"KVO3390N.DAT", false}, {0x02, L"KVO3390N.ini", false}, {0x02, L"INI", false},
    };
    for (const Case& c : cases) {
        const std::wstring file = folder + L"\\" + c.optionFile;
        DeleteFileW(file.c_str());
        std::vector<BYTE> job = QueueDevmode();
        ASSERT_EQ(job.size(), sizeof(DriverDevmode));
        auto* dm = reinterpret_cast<DriverDevmode*>(job.data());
        dm->priv.macroFlags = c.macroFlags;
        dm->priv.macroId = 0x00018042;   // registered by its low 15 bits
        lstrcpyW(dm->priv.macroName, L"Letterhead");
        lstrcpyW(dm->priv.optionInformationFile, c.optionFile);
        DOCEVENT_CREATEDCPRE create = {nullptr, const_cast<WCHAR*>(kTestQueueName), &dm->pub, FALSE};
        DEVMODEW* handedBack = nullptr;
        ASSERT_EQ(Send(dc_, DOCUMENTEVENT_CREATEDCPRE, &create, &handedBack), DOCUMENTEVENT_SUCCESS);
        WCHAR ids[64], name[64];
        GetPrivateProfileStringW(L"MACROS", L"IDLIST0", L"", ids, ARRAYSIZE(ids), file.c_str());
        GetPrivateProfileStringW(L"MACROCONFIG", L"66", L"", name, ARRAYSIZE(name), file.c_str());
        EXPECT_STREQ(ids, c.registered ? L"66" : L"") << c.macroFlags << " " << Narrow(c.optionFile);
        EXPECT_STREQ(name, c.registered ? L"Letterhead" : L"") << c.macroFlags << " " << Narrow(c.optionFile);
        DeleteFileW(file.c_str());
    }
}

TEST_F(DocumentEvents, EndOfJobProgramGetsThePublishedFile)
{
    const std::wstring program = TestBinDirectory() + L"\\KVMD05A.EXE";
    ForgetRecordedLaunch(program);
    ASSERT_EQ(Send(dc_, DOCUMENTEVENT_ENDDOCPOST), DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(RecordedCommandLine(program, 500), "") << "nothing published, nothing started";

    // The rendering side's part: the mapping, its handle and the job's file.
    WCHAR name[32];
    wsprintfW(name, L"%xFILE_NAME", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(printer_)));
    const WCHAR file[] = L"C:\\jobs\\report.prn";
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name);
    ASSERT_NE(mapping, nullptr);
    auto* view = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    memcpy(view, &mapping, sizeof(mapping));
    memcpy(view + sizeof(HANDLE), file, sizeof(file));
    UnmapViewOfFile(view);

    ASSERT_EQ(Send(dc_, DOCUMENTEVENT_ENDDOCPOST), DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(RecordedCommandLine(program), "1033 C:\\jobs\\report.prn");
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(mapping, &flags)) << "the mapping is handed over and closed";
    EXPECT_EQ(OpenFileMappingW(FILE_MAP_READ, FALSE, name), nullptr);
    ForgetRecordedLaunch(program);
}

TEST_F(DocumentEvents, AJobLeavesNothingBehind)
{
    PlantDword(L"PXMSTSATOM", 0);
    std::vector<BYTE> job = QueueDevmode();
    ASSERT_EQ(job.size(), sizeof(DriverDevmode));
    auto* dm = reinterpret_cast<DriverDevmode*>(job.data());
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            DOCEVENT_CREATEDCPRE create = {nullptr, const_cast<WCHAR*>(kTestQueueName), &dm->pub, FALSE};
            DEVMODEW* handedBack = nullptr;
            DOCINFOW doc = {sizeof(doc), L"Report", nullptr, nullptr, 0};
            DOCINFOW* in = &doc;
            Send(dc_, DOCUMENTEVENT_CREATEDCPRE, &create, &handedBack);
            Send(dc_, DOCUMENTEVENT_CREATEDCPOST);
            Send(dc_, DOCUMENTEVENT_STARTDOC, &in);
            Send(dc_, DOCUMENTEVENT_ENDDOC);
            Send(dc_, DOCUMENTEVENT_ENDDOCPOST);
            Send(dc_, DOCUMENTEVENT_DELETEDC);
            Send(kNoDc, DOCUMENTEVENT_CREATEDCPRE);
        },
        3, 20);
    EXPECT_EQ(growth.handles, 0);
    EXPECT_EQ(growth.gdiObjects, 0);
    EXPECT_EQ(growth.heapBlocks, 0);
}

} // namespace
