// kvprinterinfo: shows what the spooler knows of an installed queue and of
// the driver module behind it.
//
//   kvprinterinfo [QUEUE-NAME]
#include <windows.h>
#include <winspool.h>

#include <cstdio>
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

} // namespace

int wmain(int argc, WCHAR** argv)
{
    const WCHAR* queue = argc > 1 ? argv[1] : kDefaultQueue;
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
    wprintf(L"Printer \"%ls\"\n", p->pPrinterName);
    wprintf(L"  port:             %ls\n", p->pPortName);
    wprintf(L"  driver:           %ls (version %lu, %ls)\n", d->pName, d->cVersion, d->pEnvironment);
    wprintf(L"  driver module:    %ls\n", d->pDriverPath);
    wprintf(L"  config module:    %ls\n", d->pConfigFile);
    wprintf(L"  data file:        %ls\n", d->pDataFile);
    for (const WCHAR* f = d->pDependentFiles; f && *f; f += wcslen(f) + 1)
        wprintf(L"  dependent file:   %ls\n", f);
    PrintProductVersion(d->pConfigFile);
    return 0;
}
