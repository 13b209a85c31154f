// The administrator's lock record: finding it, checking it, unscrambling it.
#include "settings/admin_settings.h"

#include "core/spooler_info.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>

namespace {

const WCHAR kRecordValue[] = L"Administrator";   // the record, in printer data and registry
const WCHAR kFileNameValue[] = L"Admin";          // the record's file name
const WCHAR kMakerName[] = L"Zentari";
const DWORD kRecordBytes = sizeof(AdminRecord);
const DWORD kBodyBytes = sizeof(AdminRecord::body);

// How much of "Admin" each source reads: the key name is built from a
// short name only, the file may have any name a directory entry can have.
const DWORD kKeyFileNameBytes = 64;
const DWORD kFileNameBytes = 520;

// A queue with both attributes is a connection to another machine's shared
// printer: its record travels with the connection, and nothing of this
// machine applies to it.
const DWORD kSharedConnection = PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_NETWORK;

// The scrambling: a 16-bit key seeded by the first four bytes runs along
// the rest of the body.
const DWORD kSeedBytes = 4;
const DWORD kKeyFactor = 27183;
const DWORD kKeyStart = 19427;
const DWORD kKeyStep = 22861;

// Characters that cannot stand in a file name, or that make a name a path.
const WCHAR kNotInFileName[] = L"\\/:*?\"<>|";

// Names the file system takes for devices in any directory, alone or with
// an extension: opening one would read a console or a port, not a file.
const WCHAR* const kDeviceNames[] = {
    L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$",
    L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7", L"COM8", L"COM9",
    L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9",
};

BOOL IsDeviceName(const WCHAR* name)
{
    // The device is the part before the first dot, trailing spaces ignored.
    size_t length = wcscspn(name, L".");
    while (length > 0 && name[length - 1] == L' ')
        --length;
    for (const WCHAR* device : kDeviceNames)
        if (wcslen(device) == length && _wcsnicmp(name, device, length) == 0)
            return TRUE;
    return FALSE;
}

// "Admin" is only ever a name inside the places the driver looks in: a
// value that could lead anywhere else (a path, a drive, a share, a parent
// directory, a device) names no record.
BOOL IsPlainFileName(const WCHAR* name)
{
    if (!name[0] || wcsstr(name, L".."))
        return FALSE;
    for (const WCHAR* c = name; *c; ++c)
        if (*c < L' ' || wcschr(kNotInFileName, *c))
            return FALSE;
    return !IsDeviceName(name);
}

// "Admin", read into at most maxBytes, as a terminated string in name
// (room for maxBytes / 2 + 1 characters). The spooler returns the bytes it
// holds, with or without a terminator; nothing past them is used.
BOOL ReadRecordFileName(HANDLE printer, DWORD maxBytes, WCHAR* name)
{
    DWORD type = 0, needed = 0;
    name[0] = L'\0';
    if (QueryPrinterData(printer, kFileNameValue, &type, reinterpret_cast<BYTE*>(name), maxBytes,
                         &needed) != ERROR_SUCCESS)
        return FALSE;
    name[(needed < maxBytes ? needed : maxBytes) / sizeof(WCHAR)] = L'\0';
    return IsPlainFileName(name);
}

BOOL IsValidRecord(const AdminRecord* record)
{
    WORD sum = 0;
    for (BYTE b : record->body)
        sum = static_cast<WORD>(sum + static_cast<signed char>(b));
    return sum != 0 && sum == record->check;
}

DWORD UnscrambledFlags(const AdminRecord* record)
{
    BYTE scrambled[kBodyBytes], plain[kBodyBytes] = {};
    DWORD key = 0, flags = 0;
    // The tool stores the body as 16-bit words with their bytes exchanged.
    for (DWORD i = 0; i < kBodyBytes; i += 2) {
        scrambled[i] = record->body[i + 1];
        scrambled[i + 1] = record->body[i];
    }
    for (DWORD i = 0; i < kSeedBytes; ++i)
        key = (key + scrambled[i]) * kKeyFactor & 0xFFFF;
    key = (key + kKeyStart) & 0xFFFF;
    for (DWORD i = kSeedBytes; i < kBodyBytes; ++i) {
        plain[i] = static_cast<BYTE>(scrambled[i] ^ (key >> 8));
        key = ((scrambled[i] + key) * kKeyFactor - kKeyStep) & 0xFFFF;
    }
    for (DWORD i = 0; i < sizeof(flags); ++i)
        flags |= static_cast<DWORD>(plain[kSeedBytes + i]) << (8 * i);
    return flags;
}

BOOL ReadPrinterDataRecord(HANDLE printer, AdminRecord* record)
{
    DWORD type = 0, needed = 0;
    return QueryPrinterData(printer, kRecordValue, &type, reinterpret_cast<BYTE*>(record),
                            kRecordBytes, &needed) == ERROR_SUCCESS &&
           needed == kRecordBytes && IsValidRecord(record);
}

BOOL ReadRegistryRecord(HANDLE printer, AdminRecord* record)
{
    BOOL found = FALSE;
    HKEY key = nullptr;
    WCHAR stem[kKeyFileNameBytes / sizeof(WCHAR) + 1];
    WCHAR keyName[64 + ARRAYSIZE(stem)];
    WCHAR* dot = nullptr;
    DWORD type = 0, size = kRecordBytes;
    if (!ReadRecordFileName(printer, kKeyFileNameBytes, stem))
        goto done;
    dot = wcsrchr(stem, L'.');
    if (dot)
        *dot = L'\0';
    // A name that is all extension would leave the key of every printer.
    if (!stem[0])
        goto done;
    if (swprintf(keyName, ARRAYSIZE(keyName), L"Software\\%ls\\PrinterDriver\\%ls", kMakerName,
                 stem) <= 0)
        goto done;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        key = nullptr;
        goto done;
    }
    if (RegQueryValueExW(key, kRecordValue, nullptr, &type, reinterpret_cast<BYTE*>(record),
                         &size) != ERROR_SUCCESS || size != kRecordBytes)
        goto done;
    found = IsValidRecord(record);
done:
    if (key)
        RegCloseKey(key);
    return found;
}

BOOL ReadFileRecord(HANDLE printer, AdminRecord* record)
{
    BOOL found = FALSE;
    DRIVER_INFO_2W* driver = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    WCHAR name[kFileNameBytes / sizeof(WCHAR) + 1];
    WCHAR path[MAX_PATH + ARRAYSIZE(name) + 1];
    const WCHAR* slash = nullptr;
    size_t directory = 0;
    DWORD read = 0;
    if (!ReadRecordFileName(printer, kFileNameBytes, name))
        goto done;
    driver = reinterpret_cast<DRIVER_INFO_2W*>(ReadDriverInfo(printer, 2));
    if (!driver || !driver->pDataFile)
        goto done;
    slash = wcsrchr(driver->pDataFile, L'\\');
    if (!slash)
        goto done;
    directory = static_cast<size_t>(slash - driver->pDataFile);
    if (directory >= MAX_PATH)
        goto done;
    wmemcpy(path, driver->pDataFile, directory);
    path[directory] = L'\\';
    wcscpy(path + directory + 1, name);
    file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    // Only a file on disk: never wait on a pipe or a device.
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK)
        goto done;
    if (!ReadFile(file, record, kRecordBytes, &read, nullptr) || read != kRecordBytes)
        goto done;
    found = IsValidRecord(record);
done:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (driver)
        GlobalFree(driver);
    return found;
}

// What the calling thread's last read found, for the rest of its spooler
// call: the PrintTicket handlers of one call each ask for the record.
struct AdminMemo {
    DWORD  callId;
    HANDLE printer;
    BOOL   found;
    DWORD  flags;
};

thread_local AdminMemo t_adminMemo;

} // namespace

BOOL ReadAdminSettings(AdminSettings* settings)
{
    BOOL found = FALSE;
    PRINTER_INFO_2W* info = nullptr;
    AdminRecord record = {};
    DWORD call = 0;
    if (!settings || !settings->printer)
        goto done;
    call = SpoolerCallId(settings->printer);
    if (call && t_adminMemo.callId == call && t_adminMemo.printer == settings->printer) {
        if (t_adminMemo.found)
            settings->adminFlags = t_adminMemo.flags;
        return t_adminMemo.found;
    }
    info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(settings->printer, 2));
    if (info && (info->Attributes & kSharedConnection) == kSharedConnection)
        found = ReadPrinterDataRecord(settings->printer, &record);
    else
        found = ReadRegistryRecord(settings->printer, &record) ||
                ReadFileRecord(settings->printer, &record);
    if (found)
        settings->adminFlags = UnscrambledFlags(&record);
    if (call)
        t_adminMemo = {call, settings->printer, found, found ? settings->adminFlags : 0};
done:
    if (info)
        GlobalFree(info);
    return found;
}

BOOL AdminLockInForce(BOOL read, const AdminSettings* settings, DWORD lock)
{
    if (!read || !settings || !lock || !(settings->adminFlags & kAdminInForce))
        return FALSE;
    return (settings->adminFlags & lock) == lock;
}
