// DrvDocumentPropertySheets: the document property sheet and, without a
// sheet, the default-DEVMODE query the spooler makes when a queue is added.
#include "platform/driverui.h"

// The driver cannot build its DEVMODE yet, so every request is refused the
// way the interface defines failure; the spooler then creates the queue
// without a driver DEVMODE instead of calling a missing entry point.
LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
}
