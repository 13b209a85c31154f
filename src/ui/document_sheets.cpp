// DrvDocumentPropertySheets: the document property sheet and, without a
// sheet, the DEVMODE query the spooler and applications make.
#include "platform/driverui.h"

#include "core/spooler_info.h"
#include "core/ui_session.h"
#include "settings/devmode_merge.h"
#include "settings/driver_devmode.h"

namespace {

// The caller's DEVMODE merged over the printer's settings and handed back.
LONG DocumentPropertiesWithoutSheet(DOCUMENTPROPERTYHEADER* header)
{
    if (!header)
        return -1;
    header->cbOut = kDriverDevmodeSize;
    if (header->fMode == 0 || !header->pdmOut)
        return static_cast<LONG>(header->cbOut);

    // The spooler and applications' DocumentProperties name the printer
    // without a handle; the call then holds a handle of its own.
    HANDLE opened = nullptr;
    HANDLE printer = PrinterForCall(header->hPrinter, header->pszPrinterName, &opened);
    SpoolerCall call(printer, opened ? header->pszPrinterName : nullptr);
    LONG result = -1;
    if (UiSession* session = OpenUiSession(printer, header->pdmIn)) {
        if (header->fMode & (DM_UPDATE | DM_COPY))
            ConvertDevmodeOut(&session->devmode.pub, header->pdmIn, header->pdmOut);
        CloseUiSession(session);
        result = 1;
    }
    if (opened)
        ClosePrinter(opened);
    return result;
}

} // namespace

LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    if (!pPSUIInfo)
        return DocumentPropertiesWithoutSheet(reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam));
    // The pages of the sheet are not part of this module yet: the host is
    // told that the sheet cannot be shown.
    return -1;
}
