#include "printschema/features/multi_page.h"

#include "core/spooler_info.h"
#include "printschema/feature_handler.h"
#include "settings/admin_settings.h"
#include "settings/driver_devmode.h"

bool ReadLockedLayout(HANDLE printer, CurrentLayout* current)
{
    if (LockedOptionLevel(printer, kAdminLockLayout) != kConstraintAdminSettings) return false;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    const DEVMODEW* devmode = info ? info->pDevMode : nullptr;
    if (devmode && IsDriverDevmode(devmode, static_cast<size_t>(devmode->dmSize) + devmode->dmDriverExtra)) {
        const PrivateSettings* settings = PrivatePart(devmode);
        current->multiPage = settings->multiPage;
        current->pageOrder = settings->processor.pageOrder;
        current->multiLine = settings->processor.multiLine;
    }
    if (info) GlobalFree(info);
    return true;
}

CountedName::CountedName(UINT id, std::initializer_list<int> counts) : text_(LoadDisplayString(id, true))
{
    // The counts are put in by hand rather than by a printf-style call: the
    // text comes from a language module, and a stray directive there must
    // not read arguments that were never passed.
    size_t at = 0;
    for (int count : counts) {
        at = text_.find(L"%d", at);
        if (at == std::wstring::npos) break;
        std::wstring digits = std::to_wstring(count);
        text_.replace(at, 2, digits);
        at += digits.size();
    }
}
