#include "ui/settings_page_print.h"

#include "core/module_state.h"
#include "core/spooler_info.h"
#include "resources/resource_ids.h"

#include <winspool.h>

namespace {

const BYTE* SettingsPageBytes()
{
    HRSRC found = FindResourceW(g_module.moduleHandle, MAKEINTRESOURCEW(IDR_SETTINGS_PAGE),
                                MAKEINTRESOURCEW(10));
    if (!found || SizeofResource(g_module.moduleHandle, found) != kSettingsPageSize)
        return nullptr;
    HGLOBAL loaded = LoadResource(g_module.moduleHandle, found);
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

BOOL WriteSettingsJob(HANDLE queue, const BYTE* bytes)
{
    DOC_INFO_1W doc = {const_cast<WCHAR*>(L"Maintenance_ink_pr"), nullptr,
                       const_cast<WCHAR*>(L"RAW")};
    if (!StartDocPrinterW(queue, 1, reinterpret_cast<BYTE*>(&doc)))
        return FALSE;
    DWORD written = 0;
    BOOL ok = StartPagePrinter(queue);
    if (ok) {
        ok = WritePrinter(queue, const_cast<BYTE*>(bytes), kSettingsPageSize, &written) &&
             written == kSettingsPageSize;
        EndPagePrinter(queue);
    }
    EndDocPrinter(queue);
    return ok;
}

} // namespace

BOOL PrintSettingsPage(HANDLE printer)
{
    const BYTE* bytes = SettingsPageBytes();
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    HANDLE queue = nullptr;
    BOOL ok = FALSE;
    if (bytes && info && info->pPrinterName && OpenPrinterW(info->pPrinterName, &queue, nullptr)) {
        ok = WriteSettingsJob(queue, bytes);
        ClosePrinter(queue);
    }
    if (info)
        GlobalFree(info);
    return ok;
}
