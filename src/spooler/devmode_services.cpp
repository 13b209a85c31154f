// The DEVMODE entry points of the spooler and applications: conversion
// between DEVMODE generations, the driver's defaults, and document and
// printer properties with or without the property sheets.
#include "platform/driverui.h"

#include "core/model_loader.h"
#include "core/spooler_info.h"
#include "core/ui_session.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_merge.h"
#include "settings/driver_devmode.h"

namespace {

// The version 3.51 record: a 188-byte public part and the first 112
// private bytes.
const WORD kLegacyPublicSize = 188;
const WORD kLegacySpecVersion = 0x0320;
const WORD kLegacyDriverVersion = 0x0350;
const WORD kLegacyPrivateSize = 112;
const LONG kLegacyDevmodeSize = kLegacyPublicSize + kLegacyPrivateSize;

const DWORD kAdvancedSheetMode = DM_COPY | DM_PROMPT | DM_ADVANCED;

BOOL ConvertIntoCallerRecord(const DEVMODEW* in, DEVMODEW* out, LONG* needed)
{
    if (!out || *needed < static_cast<LONG>(out->dmSize) + out->dmDriverExtra ||
        CopyDevmodeSized(in, out) <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = static_cast<LONG>(out->dmSize) + out->dmDriverExtra;
    return TRUE;
}

BOOL ConvertToLegacyRecord(const DEVMODEW* in, DEVMODEW* out, LONG* needed)
{
    if (!out || *needed < kLegacyDevmodeSize) {
        *needed = kLegacyDevmodeSize;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    out->dmSpecVersion = kLegacySpecVersion;
    out->dmSize = kLegacyPublicSize;
    out->dmDriverVersion = kLegacyDriverVersion;
    out->dmDriverExtra = kLegacyPrivateSize;
    if (CopyDevmodeSized(in, out) <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = kLegacyDevmodeSize;
    return TRUE;
}

// The driver's own defaults for the named printer, built from its model.
BOOL BuildPrinterDefaults(const WCHAR* printerName, DEVMODEW* out)
{
    BOOL ok = FALSE;
    HANDLE printer = nullptr;
    DRIVER_INFO_2W* driver = nullptr;
    ModelContext* model = nullptr;
    if (!PrinterForCall(nullptr, printerName, &printer))
        return FALSE;
    SpoolerCall call(printer, printerName);
    driver = reinterpret_cast<DRIVER_INFO_2W*>(ReadDriverInfo(printer, 2));
    if (!driver || !driver->pDataFile)
        goto done;
    model = LoadModelContext(driver->pDataFile);
    if (!model)
        goto done;
    ok = BuildDefaultDevmode(out, driver->pName, model, IsA4Locale(), printer);
done:
    if (model)
        GlobalFree(model);
    if (driver)
        GlobalFree(driver);
    ClosePrinter(printer);
    return ok;
}

BOOL ConvertToDriverDefaults(const WCHAR* printerName, DEVMODEW* out, LONG* needed)
{
    if (!out || *needed < kDriverDevmodeSize) {
        *needed = kDriverDevmodeSize;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    *needed = kDriverDevmodeSize;
    return BuildPrinterDefaults(printerName, out);
}

// The work of both document-properties entry points: the sheet when a
// prompt is asked for, the conversion without one.
LONG DocumentPropertiesWork(HWND owner, HANDLE printer, PWSTR deviceName, PDEVMODEW out,
                            PDEVMODEW in, DWORD mode)
{
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof(header);
    header.hPrinter = printer;
    header.pszPrinterName = deviceName;
    header.pdmIn = in;
    header.pdmOut = out;
    header.fMode = mode;
    if (!(mode & DM_PROMPT))
        return DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header));
    DWORD result = mode;
    const LONG answer = CallCommonPropertySheetUI(owner, DrvDocumentPropertySheets,
                                                  reinterpret_cast<LPARAM>(&header), &result);
    // The host's own errors pass through unchanged.
    return answer < 0 ? answer : static_cast<LONG>(result);
}

} // namespace

BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                              PLONG pcbNeeded, DWORD fMode)
{
    if (!pcbNeeded) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch (fMode) {
    case CDM_CONVERT: return ConvertIntoCallerRecord(pdmIn, pdmOut, pcbNeeded);
    case CDM_CONVERT351: return ConvertToLegacyRecord(pdmIn, pdmOut, pcbNeeded);
    case CDM_DRIVER_DEFAULT: return ConvertToDriverDefaults(pPrinterName, pdmOut, pcbNeeded);
    default: return FALSE;
    }
}

LONG WINAPI DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName, PDEVMODEW pdmOutput,
                                  PDEVMODEW pdmInput, DWORD fMode)
{
    if (fMode == 0 || !pdmOutput)
        return kDriverDevmodeSize;
    const LONG result = DocumentPropertiesWork(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput, fMode);
    if (result > 0)
        return IDOK;
    return result == 0 ? IDCANCEL : result;
}

LONG WINAPI DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                          PDEVMODEW pdmOutput, PDEVMODEW pdmInput)
{
    if (!pdmOutput)
        return kDriverDevmodeSize;
    return DocumentPropertiesWork(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput,
                                  kAdvancedSheetMode) > 0;
}

BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter)
{
    DEVICEPROPERTYHEADER header = {};
    header.cbSize = sizeof(header);
    header.hPrinter = hPrinter;
    // Writing a harmless value is the way to learn whether the caller may
    // change the printer; without the right the pages open read-only.
    DWORD permission = 1;
    if (WritePrinterData(hPrinter, L"Permission", REG_DWORD,
                         reinterpret_cast<BYTE*>(&permission), sizeof(permission)) != ERROR_SUCCESS)
        header.Flags |= DPS_NOPERMISSION;
    DWORD result = 1;
    CallCommonPropertySheetUI(hWnd, DrvDevicePropertySheets, reinterpret_cast<LPARAM>(&header),
                              &result);
    return result != 0;
}
