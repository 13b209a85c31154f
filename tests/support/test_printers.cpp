#include "support/test_printers.h"

#include <winspool.h>

#include <fstream>

namespace {

std::wstring DriverDirectory()
{
    WCHAR dir[MAX_PATH] = {};
    DWORD needed = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir), sizeof(dir),
                               &needed);
    return dir;
}

bool WriteFileText(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

} // namespace

std::wstring InstalledDriverDirectory()
{
    return DriverDirectory() + L"\\3";
}

bool WriteDriverFile(const WCHAR* dataFile, const std::string& text)
{
    return WriteFileText(DriverDirectory() + L"\\" + dataFile, text) &&
           WriteFileText(InstalledDriverDirectory() + L"\\" + dataFile, text);
}

bool SettleFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 60ULL * 10000000ULL;
    const FILETIME past = {time.LowPart, time.HighPart};
    const bool ok = SetFileTime(file, nullptr, nullptr, &past) != FALSE;
    CloseHandle(file);
    return ok;
}

bool SettleDriverFile(const WCHAR* dataFile)
{
    return SettleFile(DriverDirectory() + L"\\" + dataFile) &&
           SettleFile(InstalledDriverDirectory() + L"\\" + dataFile);
}

bool InstallTestPrinter(const WCHAR* queue, const WCHAR* driverName, const WCHAR* dataFile,
                        const std::string& text)
{
    if (!WriteDriverFile(dataFile, text))
        return false;
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(driverName);
    driver.pEnvironment = const_cast<LPWSTR>(L"Windows x64");
    driver.pDriverPath = const_cast<LPWSTR>(L"KVUIDRV.DLL");
    driver.pConfigFile = const_cast<LPWSTR>(L"KVUIDRV.DLL");
    driver.pDataFile = const_cast<LPWSTR>(dataFile);
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES))
        return false;
    return AddTestQueue(queue, driverName);
}

bool AddTestQueue(const WCHAR* queue, const WCHAR* driverName, const WCHAR* port)
{
    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = const_cast<LPWSTR>(queue);
    printer.pPortName = const_cast<LPWSTR>(port);
    printer.pDriverName = const_cast<LPWSTR>(driverName);
    printer.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    printer.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (!handle)
        return GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
    ClosePrinter(handle);
    return true;
}

std::string MakeModelText(const char* nickName, const char* version)
{
    std::string text = "*PPD-Adobe: \"4.3\"\n";
    if (version)
        text += std::string("*FileVersion: \"") + version + "\"\n";
    text += std::string("*NickName: \"") + nickName + "\"\n";
    text += "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
            "*PageSize A4/A4: \"a4\"\n*PaperDimension A4/A4: \"595 842\"\n"
            "*CloseUI: *PageSize\n";
    return text;
}

HANDLE OpenTestPrinter(const WCHAR* queue)
{
    HANDLE printer = nullptr;
    return OpenPrinterW(const_cast<LPWSTR>(queue), &printer, nullptr) ? printer : nullptr;
}

namespace {

std::wstring PrinterKey(const WCHAR* queue)
{
    return std::wstring(L"System\\CurrentControlSet\\Control\\Print\\Printers\\") + queue;
}

} // namespace

LSTATUS RemoveTestPrinterData(const WCHAR* queue, const WCHAR* name)
{
    return RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, (PrinterKey(queue) + L"\\PrinterDriverData").c_str(),
                              name);
}

LSTATUS SetTestQueueProcessor(const WCHAR* queue, const WCHAR* processor)
{
    const DWORD bytes = static_cast<DWORD>((wcslen(processor) + 1) * sizeof(WCHAR));
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, PrinterKey(queue).c_str(), L"Print Processor", REG_SZ,
                           processor, bytes);
}
