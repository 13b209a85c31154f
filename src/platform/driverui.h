// Printer-interface declarations of the driver kit that the mingw-w64
// headers do not carry (winddiui.h there holds only the event codes).
// Layouts follow the platform's published declarations; the asserts pin
// the x64 sizes the spooler and compstui pass to us.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winddiui.h>
#include <compstui.h>
#include <cstddef>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _DOCUMENTPROPERTYHEADER {
    WORD     cbSize;
    WORD     Reserved;
    HANDLE   hPrinter;
    LPWSTR   pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD    cbOut;
    DWORD    fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;

typedef struct _DEVICEPROPERTYHEADER {
    WORD     cbSize;
    WORD     Flags;
    HANDLE   hPrinter;
    LPWSTR   pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;

#define DPS_NOPERMISSION 0x0001

typedef struct _DEVQUERYPRINT_INFO {
    WORD     cbSize;
    WORD     Level;
    HANDLE   hPrinter;
    DEVMODEW *pDevMode;
    LPWSTR   pszErrorStr;
    DWORD    cchErrorStr;
    DWORD    cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// DrvConvertDevMode modes
#define CDM_CONVERT         0x01
#define CDM_CONVERT351      0x02
#define CDM_DRIVER_DEFAULT  0x04

// fMode bits beyond the DM_IN_BUFFER family of wingdi.h
#ifndef DM_ADVANCED
#define DM_ADVANCED         0x10
#endif
#ifndef DM_NOPERMISSION
#define DM_NOPERMISSION     0x20
#endif
#ifndef DM_USER_DEFAULT
#define DM_USER_DEFAULT     0x40
#endif
#ifndef DM_INVALIDATE_DRIVER_CACHE
#define DM_INVALIDATE_DRIVER_CACHE 0x20000000
#endif
#ifndef DM_REINIT_DRIVER_CACHE
#define DM_REINIT_DRIVER_CACHE     0x40000000
#endif
#ifndef DM_RESERVED
#define DM_RESERVED         0x80000000
#endif

// Upgrade information handed to DrvUpgradePrinter at level 2.
typedef struct _DRIVER_UPGRADE_INFO_1 {
    LPWSTR pPrinterName;
    LPWSTR pOldDriverDirectory;
} DRIVER_UPGRADE_INFO_1, *PDRIVER_UPGRADE_INFO_1;

typedef struct _DRIVER_UPGRADE_INFO_2 {
    LPWSTR pPrinterName;
    LPWSTR pOldDriverDirectory;
    DWORD  cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
    LPWSTR pHelpFile;
    LPWSTR pDependentFiles;
    LPWSTR pMonitorName;
    LPWSTR pDefaultDataType;
    LPWSTR pszzPreviousNames;
} DRIVER_UPGRADE_INFO_2, *PDRIVER_UPGRADE_INFO_2;

// Entry points a printer interface DLL exports.
LONG  WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
LONG  WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap,
                                   VOID *pvOutput, PDEVMODEW pDevMode);
BOOL  WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                               PLONG pcbNeeded, DWORD fMode);
LONG  WINAPI DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                   PDEVMODEW pdmOut, PDEVMODEW pdmIn, DWORD fMode);
LONG  WINAPI DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                           PDEVMODEW pdmOut, PDEVMODEW pdmIn);
BOOL  WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter);
BOOL  WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo);
BOOL  WINAPI DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo);

#ifdef __cplusplus
}

static_assert(sizeof(DOCUMENTPROPERTYHEADER) == 48, "x64 DOCUMENTPROPERTYHEADER");
static_assert(offsetof(DOCUMENTPROPERTYHEADER, hPrinter) == 8, "");
static_assert(offsetof(DOCUMENTPROPERTYHEADER, cbOut) == 40, "");
static_assert(offsetof(DOCUMENTPROPERTYHEADER, fMode) == 44, "");
static_assert(sizeof(DEVICEPROPERTYHEADER) == 24, "x64 DEVICEPROPERTYHEADER");
static_assert(sizeof(DEVQUERYPRINT_INFO) == 40, "x64 DEVQUERYPRINT_INFO");
static_assert(offsetof(DEVQUERYPRINT_INFO, cchErrorStr) == 32, "");
static_assert(sizeof(DEVMODEW) == 220, "the public DEVMODE the driver extends");
#endif
