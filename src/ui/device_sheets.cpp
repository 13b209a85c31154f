// DrvDevicePropertySheets: the driver's page in the printer's own sheet.
#include "platform/driverui.h"

LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM)
{
    if (!pPSUIInfo || !pPSUIInfo->lParamInit)
        return -1;
    // The accessories page this sheet shows is not part of this module yet:
    // the host is told that the page cannot be added.
    return -1;
}
