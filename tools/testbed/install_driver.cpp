// kvinstall: installs the driver package the way a driver installer does.
//
//   kvinstall PACKAGE-DIR [QUEUE-NAME]
//
// Copies the package (modules, help file, model files) into the spooler's
// driver directory (and the two model files that live elsewhere into their
// directories), adds the driver at level 3, adds the queue on port FILE:,
// registers the print-ticket provider as an in-process server, and then
// makes the initialisation calls the Windows spooler makes to a freshly
// installed driver.
#include <windows.h>
#include <winspool.h>
#include <winddiui.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const WCHAR kDriverName[] = L"Zentari TX-3390N series";
const WCHAR kDefaultQueue[] = L"Zentari TX-3390N";
const WCHAR kDriverModule[] = L"KVUIDRV.DLL";
const WCHAR kDataFile[] = L"KV3390N.PPD";
const WCHAR kHelpFile[] = L"KVUIDRV.CHM";
const WCHAR kProviderClsid[] = L"{46AC151B-8490-4531-96CC-55BF2BF19E11}";

// Files copied into the driver directory; all but the module, the data
// file and the help file are listed as dependent files.
const WCHAR* const kDriverFiles[] = {
    kDriverModule, kDataFile, kHelpFile, L"KVUILANG.DLL", L"KVUIMODL.DLL",
    L"KV3390N.DAT", L"KVE3390N.DAT", L"KVW3390N.INI",
};
const size_t kFirstDependentFile = 3;
// The installation defaults live in the 32-bit system directory and the
// printer information file in the Windows directory, where the driver
// looks for them.
const WCHAR kDefaultsFile[] = L"KVD3390N.DAT";
const WCHAR kPrinterInfoFile[] = L"KVI3390N.DAT";

int Fail(const char* what)
{
    fprintf(stderr, "kvinstall: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

bool CopyInto(const std::wstring& from, const std::wstring& dir, const WCHAR* name)
{
    std::wstring src = from + L"\\" + name;
    std::wstring dst = dir + L"\\" + name;
    if (!CopyFileW(src.c_str(), dst.c_str(), FALSE)) {
        fwprintf(stderr, L"kvinstall: cannot copy %ls to %ls (error %lu)\n", src.c_str(),
                 dst.c_str(), GetLastError());
        return false;
    }
    return true;
}

bool RegisterProvider(const std::wstring& modulePath)
{
    std::wstring keyPath = std::wstring(L"Software\\Classes\\CLSID\\") + kProviderClsid +
                           L"\\InprocServer32";
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const WCHAR threading[] = L"Both";
    bool ok = RegSetValueExW(key, nullptr, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(modulePath.c_str()),
                             static_cast<DWORD>((modulePath.size() + 1) * sizeof(WCHAR))) ==
                  ERROR_SUCCESS &&
              RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(threading), sizeof(threading)) ==
                  ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// The Windows spooler tells a new driver and a new queue about themselves;
// Wine's does not, so the installer does it once the entry points exist.
void SendInstallEvents(const std::wstring& modulePath, DRIVER_INFO_3W* driver, WCHAR* queue)
{
    HMODULE module = LoadLibraryW(modulePath.c_str());
    if (!module)
        return;
    typedef BOOL(WINAPI * DriverEventFn)(DWORD, DWORD, LPBYTE, LPARAM);
    typedef BOOL(WINAPI * PrinterEventFn)(LPWSTR, INT, DWORD, LPARAM);
    auto driverEvent = reinterpret_cast<DriverEventFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DrvDriverEvent")));
    auto printerEvent = reinterpret_cast<PrinterEventFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DrvPrinterEvent")));
    if (driverEvent && !driverEvent(DRIVER_EVENT_INITIALIZE, 3, reinterpret_cast<LPBYTE>(driver), 0))
        fprintf(stderr, "kvinstall: DrvDriverEvent(INITIALIZE) reported failure\n");
    if (printerEvent && !printerEvent(queue, PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_FLAG_NO_UI, 0))
        fprintf(stderr, "kvinstall: DrvPrinterEvent(INITIALIZE) reported failure\n");
    FreeLibrary(module);
}

} // namespace

int wmain(int argc, WCHAR** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: kvinstall PACKAGE-DIR [QUEUE-NAME]\n");
        return 2;
    }
    std::wstring package = argv[1];
    WCHAR queue[256];
    wcsncpy(queue, argc > 2 ? argv[2] : kDefaultQueue, ARRAYSIZE(queue) - 1);
    queue[ARRAYSIZE(queue) - 1] = L'\0';

    WCHAR driverDir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(driverDir),
                                    sizeof(driverDir), &needed))
        return Fail("GetPrinterDriverDirectoryW");
    WCHAR wow64Dir[MAX_PATH], windowsDir[MAX_PATH];
    if (!GetSystemWow64DirectoryW(wow64Dir, MAX_PATH) || !GetWindowsDirectoryW(windowsDir, MAX_PATH))
        return Fail("system directories");

    for (const WCHAR* name : kDriverFiles)
        if (!CopyInto(package, driverDir, name))
            return 1;
    if (!CopyInto(package, wow64Dir, kDefaultsFile) || !CopyInto(package, windowsDir, kPrinterInfoFile))
        return 1;

    // Dependent files: a list of names, each terminated, ending in an empty one.
    std::wstring dependents;
    for (size_t i = kFirstDependentFile; i < ARRAYSIZE(kDriverFiles); ++i)
        dependents.append(kDriverFiles[i]).push_back(L'\0');
    dependents.push_back(L'\0');

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(kDriverName);
    driver.pEnvironment = const_cast<LPWSTR>(L"Windows x64");
    driver.pDriverPath = const_cast<LPWSTR>(kDriverModule);
    driver.pConfigFile = const_cast<LPWSTR>(kDriverModule);
    driver.pDataFile = const_cast<LPWSTR>(kDataFile);
    driver.pHelpFile = const_cast<LPWSTR>(kHelpFile);
    driver.pDependentFiles = &dependents[0];
    driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES))
        return Fail("AddPrinterDriverExW");

    // The return value does not tell whether the spooler copied the files.
    std::wstring installed = std::wstring(driverDir) + L"\\3\\" + kDriverModule;
    if (GetFileAttributesW(installed.c_str()) == INVALID_FILE_ATTRIBUTES) {
        fwprintf(stderr, L"kvinstall: %ls was not installed\n", installed.c_str());
        return 1;
    }

    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = queue;
    printer.pPortName = const_cast<LPWSTR>(L"FILE:");
    printer.pDriverName = const_cast<LPWSTR>(kDriverName);
    printer.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    printer.pDatatype = const_cast<LPWSTR>(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (!handle && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS)
        return Fail("AddPrinterW");
    if (handle)
        ClosePrinter(handle);

    if (!RegisterProvider(installed))
        return Fail("provider registration");

    // Hand the event the installed paths, as the spooler would.
    std::wstring dir3 = std::wstring(driverDir) + L"\\3\\";
    std::wstring dataPath = dir3 + kDataFile;
    std::wstring helpPath = dir3 + kHelpFile;
    driver.pDriverPath = driver.pConfigFile = &installed[0];
    driver.pDataFile = &dataPath[0];
    driver.pHelpFile = &helpPath[0];
    SendInstallEvents(installed, &driver, queue);

    wprintf(L"installed \"%ls\" on FILE: with driver \"%ls\"\n", queue, kDriverName);
    return 0;
}
