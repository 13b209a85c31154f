// DrvDocumentEvent: what the driver does at each step of a print job in the
// printing application's process.
#include "lifecycle/document_events.h"

#include "core/spooler_info.h"
#include "lifecycle/bounded_text.h"
#include "lifecycle/companion_programs.h"
#include "lifecycle/job_intervals.h"
#include "lifecycle/macro_list.h"
#include "settings/devmode_bits.h"
#include "settings/driver_devmode.h"
#include "settings/printer_data.h"

#include <winddiui.h>
#include <winspool.h>

#include <cstring>
#include <cwchar>

namespace {

const HDC kNoDeviceContext = reinterpret_cast<HDC>(-1);
const WCHAR kPopUpAtomPrefix[] = L"KVSTSWIN-POPUPONPRINT ";
const WCHAR kDefaultOptionFile[] = L"KVO3390N.INI";
const DWORD kMacroIdBits = 0x7FFF;
const int kFileSuffixChars = 3;

struct JobEvent {
    HANDLE printer;
    HDC dc;
    void* in;
    void* out;
    DWORD printerCaps;
};

bool CountsIntervals(const JobEvent& event)
{
    return !(event.printerCaps & kCapsNoIntervalStatistics);
}

void TerminateLast(WCHAR* field, size_t chars)
{
    field[chars - 1] = L'\0';
}

// Only the package's own option file carries the macro list beside it.
bool NamesPackageOptionFile(const WCHAR* optionFile)
{
    const size_t length = wcslen(optionFile);
    const size_t reference = ARRAYSIZE(kDefaultOptionFile) - 1;
    return length > kFileSuffixChars && reference > kFileSuffixChars &&
           wcscmp(optionFile + length - kFileSuffixChars,
                  kDefaultOptionFile + reference - kFileSuffixChars) == 0;
}

// Cleans the job's DriverDevmode and fills in its sleep time; the
// application's record is the one the job then uses.
void PrepareJob(const JobEvent& event)
{
    const auto* create = static_cast<const DOCEVENT_CREATEDCPRE*>(event.in);
    DEVMODEW* dm = create ? create->pdm : nullptr;
    if (!dm || dm->dmSize != kPublicDevmodeSize || dm->dmDriverExtra != kPrivateSize)
        return;
    PrivateSettings* settings = PrivatePart(dm);
    if (settings->tag != kPrivateTag)
        return;
    settings->macroId &= kMacroIdBits;
    TerminateLast(settings->printProcessorFile, ARRAYSIZE(settings->printProcessorFile));
    TerminateLast(settings->languageResourceFile, ARRAYSIZE(settings->languageResourceFile));
    TerminateLast(settings->modelResourceFile, ARRAYSIZE(settings->modelResourceFile));
    TerminateLast(settings->optionInformationFile, ARRAYSIZE(settings->optionInformationFile));
    TerminateLast(settings->macroName, ARRAYSIZE(settings->macroName));
    if (CountsIntervals(event) && settings->sleepMode == 0) {
        RunIntervalStep(event.printer, settings, kJobStarts);
        if (event.out)
            *static_cast<DEVMODEW**>(event.out) = dm;
    }
    if ((settings->macroFlags & (kMacroSave | kMacroInsert)) &&
        NamesPackageOptionFile(settings->optionInformationFile))
        RegisterMacro(settings);
}

void PublishOutputFile(HANDLE printer, const WCHAR* output)
{
    WCHAR name[32];
    OutputFileMappingName(printer, name, ARRAYSIZE(name));
    const DWORD bytes = static_cast<DWORD>(sizeof(HANDLE) + (wcslen(output) + 1) * sizeof(WCHAR));
    // The handle stays open: the mapping must outlive this call until the
    // status monitor has read it, and its reader closes it.
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name);
    if (!mapping)
        return;
    auto* view = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view)
        return;
    // A mapping left by an earlier job of this handle may be too small.
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(view, &region, sizeof(region)) && region.RegionSize >= bytes) {
        memcpy(view, &mapping, sizeof(mapping));
        memcpy(view + sizeof(HANDLE), output, bytes - sizeof(HANDLE));
    }
    UnmapViewOfFile(view);
}

void RaisePopUpAtom(HANDLE printer)
{
    DWORD enabled = 0;
    if (!ReadPrinterDataDword(printer, L"PXMSTSATOM", &enabled) || enabled != 1)
        return;
    auto* info = reinterpret_cast<PRINTER_INFO_1W*>(ReadPrinterInfo(printer, 1));
    WCHAR atom[256];
    if (info && PopUpAtomName(info->pName, atom, ARRAYSIZE(atom)))
        GlobalAddAtomW(atom);
    if (info) GlobalFree(info);
}

void StartJob(const JobEvent& event)
{
    const auto* docInfo = event.in ? *static_cast<DOCINFOW* const*>(event.in) : nullptr;
    if (docInfo && docInfo->lpszOutput)
        PublishOutputFile(event.printer, docInfo->lpszOutput);
    RaisePopUpAtom(event.printer);
    if (CountsIntervals(event))
        RunIntervalStep(event.printer, nullptr, kJobStarts);
}

void EndJob(const JobEvent& event)
{
    if (CountsIntervals(event))
        RunIntervalStep(event.printer, nullptr, kJobEnds);
}

void SetDeviceContextVariable(const JobEvent& event)
{
    char name[32], value[32];
    DeviceContextVariable(event.printer, event.dc, name, value, sizeof(name));
    SetEnvironmentVariableA(name, value);
}

void DeleteDeviceContextVariable(const JobEvent& event)
{
    char name[32], value[32];
    DeviceContextVariable(event.printer, event.dc, name, value, sizeof(name));
    SetEnvironmentVariableA(name, nullptr);
}

void LaunchAfterJob(const JobEvent& event)
{
    LaunchEndOfJobProgram(event.printer);
}

// Without a DC the events come from the spooler's XPS path.
void CountWholeJob(const JobEvent& event)
{
    if (CountsIntervals(event)) {
        RunIntervalStep(event.printer, nullptr, kJobStarts);
        RunIntervalStep(event.printer, nullptr, kJobEnds);
    }
}

void AnswerFilterQuery(const JobEvent& event)
{
    auto* filter = static_cast<DOCEVENT_FILTER*>(event.out);
    if (!filter)
        return;
    if (filter->cElementsAllocated < kDocumentEventsHandled) {
        filter->cElementsNeeded = kDocumentEventsHandled;
        return;
    }
    for (int i = 0; i < kDocumentEventsHandled; ++i)
        filter->aDocEventCall[i] = DOCUMENTEVENT_FIRST + i;
    filter->cElementsReturned = kDocumentEventsHandled;
}

struct EventRow {
    bool withoutDc;
    int escape;
    void (*handle)(const JobEvent&);
};

// Escapes not listed need nothing from the driver.
const EventRow kEventRows[] = {
    {true, DOCUMENTEVENT_CREATEDCPRE, CountWholeJob},
    {true, DOCUMENTEVENT_QUERYFILTER, AnswerFilterQuery},
    {false, DOCUMENTEVENT_CREATEDCPRE, PrepareJob},
    {false, DOCUMENTEVENT_CREATEDCPOST, SetDeviceContextVariable},
    {false, DOCUMENTEVENT_STARTDOC, StartJob},
    {false, DOCUMENTEVENT_ENDDOC, EndJob},
    {false, DOCUMENTEVENT_DELETEDC, DeleteDeviceContextVariable},
    {false, DOCUMENTEVENT_ENDDOCPOST, LaunchAfterJob},
};

} // namespace

void OutputFileMappingName(HANDLE printer, WCHAR* name, size_t capacity)
{
    PrintBounded(name, capacity, L"%xPORT", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(printer)));
}

void DeviceContextVariable(HANDLE printer, HDC dc, char* name, char* value, size_t capacity)
{
    char text[32];
    wsprintfA(text, "0x%p", printer);
    lstrcpynA(name, text, static_cast<int>(capacity));
    wsprintfA(text, "0x%p", dc);
    lstrcpynA(value, text, static_cast<int>(capacity));
}

BOOL PopUpAtomName(const WCHAR* queue, WCHAR* name, size_t capacity)
{
    return queue && PrintBounded(name, capacity, L"%ls%ls", kPopUpAtomPrefix, queue);
}

// The sizes GDI passes add nothing: each event's input and output have one
// fixed type.
extern "C" int WINAPI DrvDocumentEvent(HANDLE hPrinter, HDC hdc, int iEsc, ULONG, PVOID pvIn, ULONG,
                                       PVOID pvOut)
{
    SpoolerCall call(hPrinter);
    JobEvent event = {hPrinter, hdc, pvIn, pvOut, 0};
    ReadPrinterDataDword(hPrinter, L"PrtCaps", &event.printerCaps);
    const bool withoutDc = hdc == kNoDeviceContext;
    for (const EventRow& row : kEventRows)
        if (row.withoutDc == withoutDc && row.escape == iEsc)
            row.handle(event);
    return DOCUMENTEVENT_SUCCESS;
}
