#include "lifecycle/printer_upgrade.h"

#include "platform/driverui.h"

#include "core/model_cache.h"
#include "core/module_state.h"
#include "core/spooler_info.h"
#include "settings/devmode_defaults.h"
#include "settings/model_forms.h"
#include "settings/printer_data.h"
#include "settings/printer_setup.h"

#include <cstring>

namespace {

const WCHAR kTrayFormTableValue[] = L"TrayFormTable";

// Product names of the package's model variants are string resources
// kVariantNameFirst + kVariantNameStep * k.
const UINT kVariantNameFirst = 40060;
const UINT kVariantNameStep = 1000;
const WORD kVariantCount = 11;
const int kVariantNameChars = 64;

// Entries of an old-layout table, or -1 when it is malformed: every entry
// is three terminated texts, and the empty text that ends the table must
// be its last character.
int CountOldTrayEntries(const WCHAR* text, DWORD units)
{
    int entries = 0;
    DWORD at = 0;
    while (at < units && text[at]) {
        for (int field = 0; field < 3; ++field) {
            while (at < units && text[at]) ++at;
            if (at == units) return -1;
            ++at;
        }
        ++entries;
    }
    return at + 1 == units ? entries : -1;
}

// The stored table in one GlobalAlloc block; null when there is none.
BYTE* ReadTrayFormTable(HANDLE printer, DWORD* size)
{
    DWORD type = 0, needed = 0;
    *size = 0;
    const DWORD status = QueryPrinterData(printer, kTrayFormTableValue, &type, nullptr, 0, &needed);
    if ((status != ERROR_MORE_DATA && status != ERROR_SUCCESS) || !needed) return nullptr;
    BYTE* table = static_cast<BYTE*>(GlobalAlloc(GPTR, needed));
    if (table && QueryPrinterData(printer, kTrayFormTableValue, &type, table, needed, &needed) !=
                     ERROR_SUCCESS) {
        GlobalFree(table);
        return nullptr;
    }
    *size = needed;
    return table;
}

}  // namespace

WORD ModelVariantOf(const ModelContext* model)
{
    if (!model || !model->nickName) return 0;
    for (WORD k = 0; k < kVariantCount; ++k) {
        char name[kVariantNameChars + 1] = {};
        if (LoadStringA(g_module.resourceModule, kVariantNameFirst + kVariantNameStep * k, name,
                        sizeof(name)) > 0 &&
            lstrcmpiA(name, model->nickName) == 0)
            return k;
    }
    return 0;
}

BOOL UpgradePrinterDataRecord(HANDLE printer, const ModelContext* model)
{
    PrinterDataBlock stored = {}, record = {};
    if (!GetPrinterDataBlock(printer, model, IsA4Locale(), &stored)) return FALSE;
    record = stored;
    if (stored.version < kCurrentPrinterDataVersion) {
        // An older record is a prefix of the current one; what it lacks
        // starts out as zero. Its own size says how much of it is real.
        ZeroMemory(&record, sizeof(record));
        memcpy(&record, &stored, stored.size < sizeof(record) ? stored.size : sizeof(record));
        record.version = kCurrentPrinterDataVersion;
        record.size = sizeof(record);
    }
    record.modelVariant = ModelVariantOf(model);
    InitialisePrinterData(printer, &record);
    return TRUE;
}

DWORD ConvertTrayFormTable(const BYTE* old, DWORD oldBytes, BYTE* out, DWORD capacity)
{
    if (!old || !out || oldBytes % sizeof(WCHAR)) return 0;
    const WCHAR* text = reinterpret_cast<const WCHAR*>(old);
    const DWORD units = oldBytes / sizeof(WCHAR);
    const int entries = CountOldTrayEntries(text, units);
    if (entries < 0) return 0;
    const DWORD newBytes = oldBytes + sizeof(WORD) + sizeof(WORD) * entries;
    if (newBytes > 0xFFFF || newBytes > capacity) return 0;

    WCHAR* to = reinterpret_cast<WCHAR*>(out);
    *to++ = static_cast<WCHAR>(newBytes);
    DWORD at = 0;
    for (int entry = 0; entry < entries; ++entry) {
        for (int field = 0; field < 3; ++field)
            do *to++ = text[at]; while (text[at++]);
        *to++ = 0;
    }
    *to = 0;
    return newBytes;
}

BOOL UpgradeTrayFormTable(HANDLE printer)
{
    DWORD oldBytes = 0;
    BYTE* old = ReadTrayFormTable(printer, &oldBytes);
    BYTE* converted = nullptr;
    BOOL ok = FALSE;
    if (!old) return TRUE;
    // A table in the current layout starts with its own byte size.
    if (oldBytes >= sizeof(WORD) && *reinterpret_cast<const WORD*>(old) == oldBytes) {
        ok = TRUE;
        goto done;
    }
    {
        // Each entry takes at least six bytes and gains two.
        const DWORD capacity = 2 * oldBytes + sizeof(WORD);
        converted = static_cast<BYTE*>(GlobalAlloc(GPTR, capacity));
        const DWORD size = converted ? ConvertTrayFormTable(old, oldBytes, converted, capacity) : 0;
        ok = size && WritePrinterDataBlob(printer, kBlobTrayForms, converted, size);
    }
done:
    if (converted) GlobalFree(converted);
    GlobalFree(old);
    return ok;
}

BOOL WINAPI DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo)
{
    auto* upgrade = reinterpret_cast<DRIVER_UPGRADE_INFO_1*>(pDriverUpgradeInfo);
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (Level != 1 || !upgrade || !upgrade->pPrinterName ||
        !OpenPrinterW(upgrade->pPrinterName, &printer, &access)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL ok = FALSE;
    {
        SpoolerCall call(printer, upgrade->pPrinterName);
        if (ModelContext* model = AcquireModelContext(printer, kParseModelAfresh)) {
            // Never interleaved with context creation or another upgrade.
            EnterModelCacheLock();
            ResynchroniseModelForms(printer, model);
            ok = UpgradePrinterDataRecord(printer, model) && UpgradeTrayFormTable(printer);
            LeaveModelCacheLock();
            ReleaseModelContext(model);
        }
    }
    ClosePrinter(printer);
    return ok;
}
