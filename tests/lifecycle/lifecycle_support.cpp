#include "lifecycle/lifecycle_support.h"

#include "support/model_text.h"
#include "support/test_printers.h"

#include <winspool.h>

#include <cstring>

InstalledExports::InstalledExports()
{
    module_ = LoadLibraryW(InstalledFile(L"KVUIDRV.DLL").c_str());
    if (!module_) return;
    printerEvent = reinterpret_cast<decltype(printerEvent)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DrvPrinterEvent")));
    driverEvent = reinterpret_cast<decltype(driverEvent)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DrvDriverEvent")));
    upgradePrinter = reinterpret_cast<decltype(upgradePrinter)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DrvUpgradePrinter")));
}

InstalledExports::~InstalledExports()
{
    if (module_) FreeLibrary(module_);
}

StoredValue ReadStoredValue(HANDLE printer, const WCHAR* name)
{
    StoredValue value;
    DWORD needed = 0;
    WCHAR* key = const_cast<WCHAR*>(name);
    const DWORD status = GetPrinterDataW(printer, key, &value.type, nullptr, 0, &needed);
    if (status != ERROR_MORE_DATA && status != ERROR_SUCCESS) return value;
    value.data.assign(needed, 0);
    value.present = GetPrinterDataW(printer, key, &value.type, value.data.data(), needed,
                                    &needed) == ERROR_SUCCESS;
    return value;
}

StoredValue DwordValue(DWORD value)
{
    StoredValue stored;
    stored.present = true;
    stored.type = REG_DWORD;
    stored.data.assign(reinterpret_cast<BYTE*>(&value), reinterpret_cast<BYTE*>(&value) + 4);
    return stored;
}

StoredValue TextValue(DWORD type, const std::wstring& text)
{
    StoredValue stored;
    stored.present = true;
    stored.type = type;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    stored.data.assign(bytes, bytes + (text.size() + 1) * sizeof(WCHAR));
    return stored;
}

void PutPrinterData(HANDLE printer, const WCHAR* name, const StoredValue& value)
{
    SetPrinterDataW(printer, const_cast<WCHAR*>(name), value.type,
                    const_cast<BYTE*>(value.data.data()), static_cast<DWORD>(value.data.size()));
}

std::wstring InstalledFile(const WCHAR* name)
{
    return InstalledDriverDirectory() + L"\\" + name;
}

std::string SampleModelText()
{
    return ReadSampleModelFile("KV3390N.PPD");
}

bool InstallEventQueue(const WCHAR* queue, const WCHAR* driverName, const WCHAR* dataFile,
                       const std::string& modelText, const WCHAR* fileList)
{
    std::wstring listName = dataFile;
    listName.replace(listName.find_last_of(L'.') + 1, std::wstring::npos, L"DAT");
    std::string text;
    for (const WCHAR* c = fileList; *c; ++c) text += static_cast<char>(*c);
    return WriteDriverFile(listName.c_str(), text) &&
           InstallTestPrinter(queue, driverName, dataFile, modelText);
}
