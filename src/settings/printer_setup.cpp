// Printer data written from a private part (installed accessories, memory,
// tray contents) and the installation step that seeds a new queue's values.
#include "settings/printer_setup.h"

#include "core/file_list.h"
#include "core/model_cache.h"
#include "core/module_entry.h"
#include "core/spooler_info.h"
#include "settings/devmode_defaults.h"
#include "settings/printer_data.h"

#include <cstring>
#include <cwchar>

namespace {

const WCHAR kDefaultSection[] = L"Default Setting";

// Bits of modelTrays and modelFeatures that decide which values exist.
const DWORD kRamDiskModel = 0x0001;

BOOL WriteValue(HANDLE printer, const WCHAR* name, DWORD type, DWORD value)
{
    if (WritePrinterData(printer, name, type, reinterpret_cast<BYTE*>(&value),
                         sizeof(value)) == ERROR_SUCCESS)
        return TRUE;
    // The caller's handle may not allow writing.
    return SetPrinterDataReopened(printer, name, type, &value, sizeof(value));
}

BOOL WriteDword(HANDLE printer, const WCHAR* name, DWORD value)
{
    return WriteValue(printer, name, REG_DWORD, value);
}

// Value of an ASCII digit in the given base, or -1.
int DigitValue(WCHAR c, int base)
{
    int value = -1;
    if (c >= L'0' && c <= L'9') value = c - L'0';
    else if (c >= L'a' && c <= L'f') value = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') value = c - L'A' + 10;
    return value < base ? value : -1;
}

// One number of the "Accessories" default: decimal, or hexadecimal after
// "x"; a leading "-" negates. Returns where reading stopped.
const WCHAR* ReadAccessoryNumber(const WCHAR* text, LONG* value)
{
    BOOL negative = FALSE;
    int base = 10;
    DWORD number = 0;
    while (*text == L' ' || *text == L'\t') ++text;
    if (*text == L'-') {
        negative = TRUE;
        ++text;
    }
    if (*text == L'x' || *text == L'X') {
        base = 16;
        ++text;
    }
    for (int digit; (digit = DigitValue(*text, base)) >= 0; ++text)
        number = number * base + static_cast<DWORD>(digit);
    *value = static_cast<LONG>(negative ? 0u - number : number);
    return text;
}

BOOL ReadAccessoriesDefault(const WCHAR* path, WORD* first, WORD* second)
{
    WCHAR text[64] = {};
    LONG a = 0, b = 0;
    GetPrivateProfileStringW(kDefaultSection, L"Accessories", L"", text, ARRAYSIZE(text), path);
    if (!text[0]) return FALSE;
    const WCHAR* rest = ReadAccessoryNumber(text, &a);
    if (const WCHAR* comma = wcschr(rest, L',')) ReadAccessoryNumber(comma + 1, &b);
    *first = static_cast<WORD>(a);
    *second = static_cast<WORD>(b);
    return TRUE;
}

// Copies every key of every section of one INI file into another.
void CopyProfileFile(const WCHAR* source, const WCHAR* target)
{
    const DWORD kChars = 32768;
    WCHAR* sections = static_cast<WCHAR*>(GlobalAlloc(GPTR, kChars * sizeof(WCHAR)));
    WCHAR* entries = static_cast<WCHAR*>(GlobalAlloc(GPTR, kChars * sizeof(WCHAR)));
    if (sections && entries && GetPrivateProfileSectionNamesW(sections, kChars, source)) {
        for (WCHAR* section = sections; *section; section += wcslen(section) + 1) {
            if (!GetPrivateProfileSectionW(section, entries, kChars, source)) continue;
            for (WCHAR* entry = entries; *entry; entry += wcslen(entry) + 1) {
                WCHAR* equals = wcschr(entry, L'=');
                if (!equals) continue;
                *equals = 0;
                WritePrivateProfileStringW(section, entry, equals + 1, target);
                *equals = L'=';
            }
        }
    }
    if (entries) GlobalFree(entries);
    if (sections) GlobalFree(sections);
}

// The installation defaults: the profile beside this module is carried into
// the defaults file of the system directory, which later sessions read.
BOOL PrepareDefaultsFile(HANDLE printer, WCHAR* defaultsPath)
{
    FileList list;
    WCHAR source[MAX_PATH] = {};
    WCHAR system[MAX_PATH] = {};
    if (!ReadPrinterFileList(printer, &list)) return FALSE;
    if (!ModuleSiblingPath(list.exDefaultFile, source, MAX_PATH)) return FALSE;
    DWORD length = GetSystemWow64DirectoryW(system, MAX_PATH);
    if (!length || length >= MAX_PATH ||
        _snwprintf(defaultsPath, MAX_PATH, L"%ls\\%ls", system, list.defaultFile) < 0)
        return FALSE;
    defaultsPath[MAX_PATH - 1] = 0;
    CopyProfileFile(source, defaultsPath);
    return TRUE;
}

// The printer's DEVMODE as a whole driver record: the stored one when it
// carries this driver's private part, else the defaults.
BOOL ObtainPrinterRecord(HANDLE printer, DriverDevmode* record)
{
    BOOL ok = FALSE;
    ModelContext* model = nullptr;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    if (!info) goto done;
    if (const DEVMODEW* stored = info->pDevMode) {
        const PrivateSettings* priv = reinterpret_cast<const PrivateSettings*>(
            reinterpret_cast<const BYTE*>(stored) + stored->dmSize);
        if (stored->dmSize == kPublicDevmodeSize && stored->dmDriverExtra >= kPrivateSize &&
            priv->signature == kPrivateSignature) {
            memcpy(record, stored, kDriverDevmodeSize);
            ok = TRUE;
            goto done;
        }
    }
    model = AcquireModelContext(printer, kUseCachedModel);
    if (!model) goto done;
    ok = BuildDefaultDevmode(&record->pub, info->pDriverName, model, IsA4Locale(), printer);
done:
    if (model) ReleaseModelContext(model);
    if (info) GlobalFree(info);
    return ok;
}

// Each installation value is stored only when it differs from what its
// absence already means.
struct InstallationValue {
    const WCHAR* key;           // in "Default Setting"
    INT absent;
    const WCHAR* dataName;      // the printer data value
    BOOL belowOnly;     // stored when below the default, else when different
};
const InstallationValue kInstallationValues[] = {
    {L"QPS", 2, L"DEFQPS", FALSE},
    {L"VxDPrinterStatus", 1, L"DEFSTSMON", FALSE},
    {L"SolutionCenter", 3, L"BSC", TRUE},
    {L"WebUpdate", 3, L"WU", TRUE},
    {L"KvPrint", 2, L"KVPP", TRUE},
};

void WriteInstallationValues(HANDLE printer, const WCHAR* path, DriverDevmode* record)
{
    WORD first = 0, second = 0;
    if (ReadAccessoriesDefault(path, &first, &second)) {
        WriteDword(printer, L"DEFACC", static_cast<DWORD>(second) << 16 | first);
        record->priv.accessories = first;
        record->priv.accessories2 = second;
        WCHAR trays[8] = {};
        GetPrivateProfileStringW(kDefaultSection, L"TraysPaper_NT", L"", trays, ARRAYSIZE(trays),
                                 path);
        // Installed feeders change which trays exist, unless the
        // installation names the trays' papers itself.
        if (!trays[0]) RebuildTrayPaperFromModel(&record->priv);
        WriteTrayAndAccessoryData(printer, &record->priv);
    }
    UINT memory = GetPrivateProfileIntW(kDefaultSection, L"PrinterMemory", 0, path);
    if (memory && WriteDword(printer, L"RAM", memory)) WriteDword(printer, L"DEFRAM", memory);
    for (const InstallationValue& v : kInstallationValues) {
        INT value = static_cast<INT>(GetPrivateProfileIntW(kDefaultSection, v.key, v.absent, path));
        if (v.belowOnly ? value < v.absent : value != v.absent)
            WriteDword(printer, v.dataName, static_cast<DWORD>(value));
    }
}

}  // namespace

void WriteTrayAndAccessoryData(HANDLE printer, const PrivateSettings* priv)
{
    if (!printer || !priv) return;
    const TrayPaperEntry* trays = priv->trayPaper;
    const DWORD modelTrays = priv->modelTrays;
    WriteDword(printer, L"ACC", static_cast<DWORD>(priv->accessories2) << 16 | priv->accessories);
    if (priv->modelFeatures & kRamDiskModel)
        WriteDword(printer, L"RAMDISK",
                   static_cast<DWORD>(priv->ramDisk) << 16 | priv->ramDiskSize);
    WriteDword(printer, L"RAM", priv->printerMemory);
    WriteDword(printer, L"Tray1", static_cast<DWORD>(trays[0].paper));
    WriteDword(printer, L"Tray2", static_cast<DWORD>(trays[1].paper));
    WriteDword(printer, L"UNDEFTray", priv->undefinedSourceTray);
    if (modelTrays & kTraysTray3Field) WriteDword(printer, L"Tray3", static_cast<DWORD>(trays[2].paper));
    if (modelTrays & kTraysTray4Field) WriteDword(printer, L"Tray4", static_cast<DWORD>(trays[3].paper));
    if (modelTrays & kTraysTowerFeeders) {
        for (size_t i = 0; i < kTowerEntries; ++i) {
            WCHAR name[8];
            _snwprintf(name, ARRAYSIZE(name), L"TF%d", i + 1);
            WriteDword(printer, name, static_cast<DWORD>(trays[kFirstTowerEntry + i].paper));
        }
    }
    if (modelTrays & kTraysWithIds) {
        for (int i = 0; i < 4; ++i) {
            WCHAR name[12];
            _snwprintf(name, ARRAYSIZE(name), L"Tray%dID", i + 1);
            WriteDword(printer, name, static_cast<DWORD>(trays[i].trayId));
        }
    }
    WriteDword(printer, L"MPTray", static_cast<DWORD>(trays[kMultiPurposeEntry].paper));
}

void ReadTrayAndAccessoryData(HANDLE printer, PrivateSettings* priv)
{
    if (!printer || !priv) return;
    TrayPaperEntry* trays = priv->trayPaper;
    const DWORD modelTrays = priv->modelTrays;
    DWORD value = 0;
    if (ReadPrinterDataDword(printer, L"ACC", &value)) {
        priv->accessories = LOWORD(value);
        priv->accessories2 = HIWORD(value);
    }
    if (ReadPrinterDataDword(printer, L"RAM", &value)) priv->printerMemory = LOWORD(value);
    if ((priv->modelFeatures & kRamDiskModel) && ReadPrinterDataDword(printer, L"RAMDISK", &value)) {
        priv->ramDisk = HIWORD(value);
        priv->ramDiskSize = LOWORD(value);
    }
    // Copies are collated by the printer when any of these accessories is fitted.
    priv->copyFlags = static_cast<BYTE>((priv->copyFlags & ~kCopyFlagsCollator) | ((priv->accessories & kAccessoriesCollators) ? kCopyFlagsCollator : 0));

    auto readPaper = [&](const WCHAR* name, TrayPaperEntry& entry) {
        if (ReadPrinterDataDword(printer, name, &value)) entry.paper = static_cast<LONG>(value);
    };
    readPaper(L"Tray1", trays[0]);
    readPaper(L"Tray2", trays[1]);
    if (ReadPrinterDataDword(printer, L"UNDEFTray", &value))
        priv->undefinedSourceTray = LOWORD(value);
    if (modelTrays & kTraysTray3Field) readPaper(L"Tray3", trays[2]);
    if (modelTrays & kTraysTray4Field) readPaper(L"Tray4", trays[3]);
    if (modelTrays & kTraysTowerFeeders) {
        for (size_t i = 0; i < kTowerEntries; ++i) {
            WCHAR name[8];
            _snwprintf(name, ARRAYSIZE(name), L"TF%d", i + 1);
            readPaper(name, trays[kFirstTowerEntry + i]);
        }
    }
    if (modelTrays & kTraysWithIds) {
        for (int i = 0; i < 4; ++i) {
            WCHAR name[12];
            _snwprintf(name, ARRAYSIZE(name), L"Tray%dID", i + 1);
            if (ReadPrinterDataDword(printer, name, &value)) trays[i].trayId = static_cast<LONG>(value);
        }
    }
    readPaper(L"MPTray", trays[kMultiPurposeEntry]);
}

BOOL InitialisePrinterData(HANDLE printer, const PrinterDataBlock* block)
{
    DriverDevmode* record = nullptr;
    WCHAR defaultsPath[MAX_PATH] = {};
    if (!printer || !block) return FALSE;

    WriteDword(printer, L"FreeMem", block->freeMemory / 1024);
    WriteValue(printer, L"PrinterHT", REG_BINARY, (block->flags & kPrinterDataHalftone) ? 1 : 0);

    record = static_cast<DriverDevmode*>(GlobalAlloc(GPTR, sizeof(DriverDevmode)));
    if (record && ObtainPrinterRecord(printer, record) &&
        PrepareDefaultsFile(printer, defaultsPath))
        WriteInstallationValues(printer, defaultsPath, record);
    if (record) GlobalFree(record);

    return WritePrinterDataBlob(printer, kBlobPrinterData, block, sizeof(*block));
}
