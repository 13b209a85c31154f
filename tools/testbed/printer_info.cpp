// kvprinterinfo: shows what the spooler knows of an installed queue and of
// the driver module behind it.
//
//   kvprinterinfo [--devmode | --initialisation] [QUEUE-NAME]
//
// --devmode shows only the default DEVMODE applications receive;
// --initialisation what the driver's printer initialisation left on the
// queue: its printer-data values and the model papers among the forms.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const WCHAR kDefaultQueue[] = L"Zentari TX-3390N";

template <typename Getter>
std::vector<BYTE> QueryBuffer(Getter get)
{
    DWORD needed = 0;
    get(nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!get(buffer.data(), needed, &needed))
        buffer.clear();
    return buffer;
}

void PrintProductVersion(const WCHAR* path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<BYTE> info(size ? size : 1);
    WCHAR* version = nullptr;
    UINT length = 0;
    if (size && GetFileVersionInfoW(path, 0, size, info.data()) &&
        VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                       reinterpret_cast<void**>(&version), &length))
        wprintf(L"  module version:   %ls\n", version);
    else
        wprintf(L"  module version:   (none)\n");
}

// The value of the model description's "*DefaultPageSize:" statement, so
// that the DEVMODE's paper can be set beside it; empty when there is none.
std::wstring ModelDefaultPageSize(const WCHAR* dataFile)
{
    std::wstring result;
    FILE* file = dataFile ? _wfopen(dataFile, L"rb") : nullptr;
    if (!file)
        return result;
    static const char kKeyword[] = "*DefaultPageSize:";
    char line[512];
    while (result.empty() && std::fgets(line, sizeof(line), file)) {
        if (std::strncmp(line, kKeyword, sizeof(kKeyword) - 1) != 0)
            continue;
        for (const char* c = line + sizeof(kKeyword) - 1; *c && *c != '\r' && *c != '\n'; ++c)
            if (*c != ' ' && *c != '\t')
                result += static_cast<WCHAR>(static_cast<unsigned char>(*c));
    }
    std::fclose(file);
    return result;
}

// What an application sees through DeviceCapabilitiesW, which asks the
// driver module.
void PrintCapabilities(const WCHAR* queue, const WCHAR* port)
{
    int papers = DeviceCapabilitiesW(queue, port, DC_PAPERS, nullptr, nullptr);
    if (papers <= 0) {
        wprintf(L"  papers:           (none reported)\n");
    } else {
        std::vector<WORD> ids(papers);
        std::vector<WCHAR> names(papers * 64);
        std::vector<POINT> sizes(papers);
        DeviceCapabilitiesW(queue, port, DC_PAPERS, reinterpret_cast<LPWSTR>(ids.data()), nullptr);
        DeviceCapabilitiesW(queue, port, DC_PAPERNAMES, names.data(), nullptr);
        DeviceCapabilitiesW(queue, port, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()), nullptr);
        // The user-defined paper measures the size last set, not a limit of
        // the printer: the limits come with it.
        const DWORD smallest = DeviceCapabilitiesW(queue, port, DC_MINEXTENT, nullptr, nullptr);
        const DWORD largest = DeviceCapabilitiesW(queue, port, DC_MAXEXTENT, nullptr, nullptr);
        wprintf(L"  papers:           %d\n", papers);
        for (int i = 0; i < papers; ++i) {
            wprintf(L"    %4u  %-24.64ls %5ld x %-5ld (0.1 mm)", ids[i], &names[i * 64], sizes[i].x,
                    sizes[i].y);
            if (ids[i] == DMPAPER_USER)
                wprintf(L"  current custom size; allowed %u x %u to %u x %u", LOWORD(smallest),
                        HIWORD(smallest), LOWORD(largest), HIWORD(largest));
            wprintf(L"\n");
        }
    }
    int bins = DeviceCapabilitiesW(queue, port, DC_BINS, nullptr, nullptr);
    if (bins > 0) {
        std::vector<WORD> ids(bins);
        std::vector<WCHAR> names(bins * 24);
        DeviceCapabilitiesW(queue, port, DC_BINS, reinterpret_cast<LPWSTR>(ids.data()), nullptr);
        DeviceCapabilitiesW(queue, port, DC_BINNAMES, names.data(), nullptr);
        wprintf(L"  bins:             %d\n", bins);
        for (int i = 0; i < bins; ++i)
            wprintf(L"    %4u  %.24ls\n", ids[i], &names[i * 24]);
    }
    int resolutions = DeviceCapabilitiesW(queue, port, DC_ENUMRESOLUTIONS, nullptr, nullptr);
    if (resolutions > 0) {
        std::vector<LONG> pairs(resolutions * 2);
        DeviceCapabilitiesW(queue, port, DC_ENUMRESOLUTIONS, reinterpret_cast<LPWSTR>(pairs.data()),
                            nullptr);
        wprintf(L"  resolutions:     ");
        for (int i = 0; i < resolutions; ++i)
            wprintf(L" %ldx%ld", pairs[2 * i], pairs[2 * i + 1]);
        wprintf(L" dpi\n");
    }
    wprintf(L"  copies:           up to %d\n", DeviceCapabilitiesW(queue, port, DC_COPIES, nullptr, nullptr));
    wprintf(L"  duplex:           %ls\n",
            DeviceCapabilitiesW(queue, port, DC_DUPLEX, nullptr, nullptr) == 1 ? L"yes" : L"no");
    wprintf(L"  landscape turn:   %d degrees\n",
            DeviceCapabilitiesW(queue, port, DC_ORIENTATION, nullptr, nullptr));
}

// The default settings an application receives from DocumentPropertiesW,
// which asks the driver module for its record.
void PrintDefaultDevmode(const WCHAR* queue, const WCHAR* dataFile)
{
    WCHAR* name = const_cast<WCHAR*>(queue);
    const LONG size = DocumentPropertiesW(nullptr, nullptr, name, nullptr, nullptr, 0);
    if (size <= 0) {
        wprintf(L"  default DEVMODE:  (none, answer %ld)\n", size);
        return;
    }
    std::vector<BYTE> buffer(size);
    auto* dm = reinterpret_cast<DEVMODEW*>(buffer.data());
    if (DocumentPropertiesW(nullptr, nullptr, name, dm, nullptr, DM_OUT_BUFFER) != IDOK) {
        wprintf(L"  default DEVMODE:  (not returned)\n");
        return;
    }
    // The driver's own record carries the WORD 0xFF01 right after its signature offset.
    const bool driverRecord = dm->dmDriverExtra >= 4 && dm->dmSize + 4 <= size &&
                              *reinterpret_cast<const WORD*>(buffer.data() + dm->dmSize + 2) == 0xFF01;
    wprintf(L"  default DEVMODE:  %ld bytes (public %u, private %u, version 0x%04X, driver 0x%04X%ls)\n",
            size, dm->dmSize, dm->dmDriverExtra, dm->dmSpecVersion, dm->dmDriverVersion,
            driverRecord ? L", driver record" : L"");
    wprintf(L"    device name     %.32ls\n", dm->dmDeviceName);
    wprintf(L"    fields          0x%08lX\n", dm->dmFields);
    wprintf(L"    paper           %d \"%.32ls\" %d x %d (0.1 mm)\n", dm->dmPaperSize, dm->dmFormName,
            dm->dmPaperWidth, dm->dmPaperLength);
    // The paper is the one surprise: it does not follow the model. The
    // spooler stores the driver's record when the queue is added.
    const std::wstring modelPaper = ModelDefaultPageSize(dataFile);
    wprintf(L"                    A4 or Letter by the locale the queue was added in, not the model's "
            L"default (%ls)\n", modelPaper.empty() ? L"none" : modelPaper.c_str());
    wprintf(L"    orientation     %ls\n", dm->dmOrientation == DMORIENT_LANDSCAPE ? L"landscape" : L"portrait");
    wprintf(L"    copies          %d%ls\n", dm->dmCopies, dm->dmCollate == DMCOLLATE_TRUE ? L", collated" : L"");
    wprintf(L"    source          %d\n", dm->dmDefaultSource);
    wprintf(L"    resolution      %d x %d dpi\n", dm->dmPrintQuality, dm->dmYResolution);
    wprintf(L"    duplex          %ls\n", dm->dmDuplex == DMDUP_VERTICAL     ? L"long edge"
                                        : dm->dmDuplex == DMDUP_HORIZONTAL ? L"short edge"
                                                                           : L"off");
    wprintf(L"    scale           %d%%\n", dm->dmScale);
}

// How a printer-data value is shown.
enum ValueFormat { kDecimal, kHex, kText, kTextBlob, kRecord };

struct ValueRow {
    const WCHAR* name;
    ValueFormat format;
};

// The values the printer initialisation writes, in the order it writes them.
const ValueRow kInitialisationValues[] = {
    {L"PXMSTSATOM", kDecimal},     {L"Forms?", kDecimal},     {L"PrtCaps", kHex},
    {L"DeviceCaps", kHex},         {L"TrayCaps", kHex},       {L"LangDLL", kText},
    {L"DateTimeIDs", kText},       {L"FreeMem", kDecimal},    {L"PrinterHT", kDecimal},
    {L"PrinterDataSize", kDecimal}, {L"PrinterData", kRecord}, {L"CstPaper", kTextBlob},
};

void PrintValue(HANDLE printer, const ValueRow& row)
{
    DWORD type = 0;
    auto data = QueryBuffer([&](BYTE* b, DWORD n, DWORD* need) {
        return GetPrinterDataW(printer, const_cast<WCHAR*>(row.name), &type, b, n, need) == ERROR_SUCCESS;
    });
    wprintf(L"    %-16ls ", row.name);
    DWORD number = 0;
    if (data.size() >= sizeof(number))
        std::memcpy(&number, data.data(), sizeof(number));
    if (data.empty()) {
        wprintf(L"(missing)\n");
    } else if (row.format == kDecimal) {
        wprintf(L"%lu\n", number);
    } else if (row.format == kHex) {
        wprintf(L"0x%08lX\n", number);
    } else if (row.format == kRecord && data.size() >= 4) {
        const WORD* words = reinterpret_cast<const WORD*>(data.data());
        wprintf(L"%zu bytes, version %u, size %u\n", data.size(), words[0], words[1]);
    } else {
        data.push_back(0), data.push_back(0);
        wprintf(L"\"%ls\"\n", reinterpret_cast<const WCHAR*>(data.data()));
    }
}

// The display names of the model's page sizes ("*PageSize Key/Name:"), as
// the driver names the forms it adds.
std::vector<std::wstring> ModelPaperNames(const WCHAR* dataFile)
{
    std::vector<std::wstring> names;
    FILE* file = dataFile ? _wfopen(dataFile, L"rb") : nullptr;
    if (!file)
        return names;
    static const char kKeyword[] = "*PageSize ";
    char line[512];
    while (std::fgets(line, sizeof(line), file)) {
        if (std::strncmp(line, kKeyword, sizeof(kKeyword) - 1) != 0)
            continue;
        const char* key = line + sizeof(kKeyword) - 1;
        const char* end = std::strchr(key, ':');
        if (!end)
            continue;
        const char* slash = static_cast<const char*>(std::memchr(key, '/', end - key));
        const char* name = slash && slash + 1 < end ? slash + 1 : key;
        const char* nameEnd = slash && name == key ? slash : end;
        names.emplace_back(name, nameEnd);
    }
    std::fclose(file);
    return names;
}

void PrintInitialisation(const WCHAR* queue, const WCHAR* dataFile)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(queue), &printer, nullptr))
        return;
    wprintf(L"What the printer initialisation left on \"%ls\"\n  printer data:\n", queue);
    for (const ValueRow& row : kInitialisationValues)
        PrintValue(printer, row);
    DWORD count = 0;
    auto forms = QueryBuffer([&](BYTE* b, DWORD n, DWORD* need) {
        return EnumFormsW(printer, 1, b, n, need, &count);
    });
    ClosePrinter(printer);
    const auto* list = reinterpret_cast<const FORM_INFO_1W*>(forms.data());
    const std::vector<std::wstring> papers = ModelPaperNames(dataFile);
    int listed = 0;
    for (const std::wstring& paper : papers)
        for (DWORD i = 0; i < (forms.empty() ? 0 : count); ++i)
            if (lstrcmpiW(list[i].pName, paper.c_str()) == 0) {
                ++listed;
                break;
            }
    wprintf(L"  forms:            %d of the model's %zu papers are in the spooler's form list "
            L"(%lu forms)\n", listed, papers.size(), forms.empty() ? 0 : count);
}

} // namespace

int wmain(int argc, WCHAR** argv)
{
    const bool devmodeOnly = argc > 1 && std::wcscmp(argv[1], L"--devmode") == 0;
    const bool initialisation = argc > 1 && std::wcscmp(argv[1], L"--initialisation") == 0;
    const int queueArgument = devmodeOnly || initialisation ? 2 : 1;
    const WCHAR* queue = argc > queueArgument ? argv[queueArgument] : kDefaultQueue;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(queue), &printer, nullptr)) {
        fwprintf(stderr, L"kvprinterinfo: cannot open \"%ls\" (error %lu)\n", queue, GetLastError());
        return 1;
    }

    auto info = QueryBuffer([&](BYTE* b, DWORD n, DWORD* need) {
        return GetPrinterW(printer, 2, b, n, need);
    });
    auto driver = QueryBuffer([&](BYTE* b, DWORD n, DWORD* need) {
        return GetPrinterDriverW(printer, nullptr, 3, b, n, need);
    });
    ClosePrinter(printer);
    if (info.empty() || driver.empty()) {
        fwprintf(stderr, L"kvprinterinfo: the spooler gave no description of \"%ls\"\n", queue);
        return 1;
    }

    auto* p = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
    auto* d = reinterpret_cast<DRIVER_INFO_3W*>(driver.data());
    if (devmodeOnly) {
        PrintDefaultDevmode(p->pPrinterName, d->pDataFile);
        return 0;
    }
    if (initialisation) {
        PrintInitialisation(p->pPrinterName, d->pDataFile);
        return 0;
    }
    wprintf(L"Printer \"%ls\"\n", p->pPrinterName);
    wprintf(L"  port:             %ls\n", p->pPortName);
    wprintf(L"  driver:           %ls (version %lu, %ls)\n", d->pName, d->cVersion, d->pEnvironment);
    wprintf(L"  driver module:    %ls\n", d->pDriverPath);
    wprintf(L"  config module:    %ls\n", d->pConfigFile);
    wprintf(L"  data file:        %ls\n", d->pDataFile);
    wprintf(L"  help file:        %ls\n", d->pHelpFile ? d->pHelpFile : L"(none)");
    for (const WCHAR* f = d->pDependentFiles; f && *f; f += wcslen(f) + 1)
        wprintf(L"  dependent file:   %ls\n", f);
    PrintProductVersion(d->pConfigFile);
    PrintCapabilities(p->pPrinterName, p->pPortName);
    PrintDefaultDevmode(p->pPrinterName, d->pDataFile);
    return 0;
}
