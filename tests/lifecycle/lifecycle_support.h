// What the lifecycle tests share: the installed module's event exports,
// called as the spooler calls them, and printer data read back raw.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The exports of the driver module installed in the spooler's driver
// directory (the copy the spooler itself would load).
class InstalledExports {
public:
    InstalledExports();
    ~InstalledExports();
    InstalledExports(const InstalledExports&) = delete;
    InstalledExports& operator=(const InstalledExports&) = delete;

    bool Loaded() const { return printerEvent && driverEvent && upgradePrinter; }

    BOOL(WINAPI* printerEvent)(LPWSTR, INT, DWORD, LPARAM) = nullptr;
    BOOL(WINAPI* driverEvent)(DWORD, DWORD, LPBYTE, LPARAM) = nullptr;
    BOOL(WINAPI* upgradePrinter)(DWORD, LPBYTE) = nullptr;

private:
    HMODULE module_ = nullptr;
};

// One printer data value as stored; present is false when it is missing.
struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const StoredValue& other) const
    {
        return present == other.present && type == other.type && data == other.data;
    }
};
StoredValue ReadStoredValue(HANDLE printer, const WCHAR* name);

StoredValue DwordValue(DWORD value);
// UTF-16 text with its terminator, as REG_SZ or REG_BINARY.
StoredValue TextValue(DWORD type, const std::wstring& text);

void PutPrinterData(HANDLE printer, const WCHAR* name, const StoredValue& value);

// A file of the installed driver directory (with "\3").
std::wstring InstalledFile(const WCHAR* name);

// The sample model's description text.
std::string SampleModelText();

// Installs a queue of its own for a model text, with its file list (the
// data file's name with extension "DAT") holding fileList.
bool InstallEventQueue(const WCHAR* queue, const WCHAR* driverName, const WCHAR* dataFile,
                       const std::string& modelText, const WCHAR* fileList);
