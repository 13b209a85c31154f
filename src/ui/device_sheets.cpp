// DrvDevicePropertySheets: the driver's page in the printer's own sheet.
#include "platform/driverui.h"

#include "core/ui_session.h"
#include "lifecycle/companion_programs.h"
#include "settings/devmode_bits.h"
#include "settings/printer_setup.h"
#include "ui/sheet_pages.h"
#include "ui/support_page.h"
#include "ui/tray_settings_page.h"

namespace {

const int kTitleChars = 80;

// The tray page, or, for models without one, who made the driver.
BOOL AddDevicePage(UiSession* session)
{
    SheetPage sheetPage = NewSheetPage(session);
    PROPSHEETPAGEW& page = sheetPage.page;
    if (session->devmode.priv.modelCaps & kCapsAboutPage) {
        page.pszTemplate = MAKEINTRESOURCEW(kAboutTemplate);
        page.pfnDlgProc = AboutDialogProc;
        return InsertSheetPage(session, sheetPage, 0) != nullptr;
    }
    page.dwFlags = PSP_USETITLE | PSP_HASHELP;
    page.pszTemplate = MAKEINTRESOURCEW(kTraySettingsTemplate);
    page.pszTitle = LoadPageTitle(session, kTraySettingsTitle, kTitleChars);
    page.pfnDlgProc = TraySettingsPageProc;
    SheetOf(session)->pages[kSlotTraySettings] = AddSheetPage(session, sheetPage);
    return SheetOf(session)->pages[kSlotTraySettings] != nullptr;
}

LONG InitDeviceSheet(PROPSHEETUI_INFO* info)
{
    const auto* header = reinterpret_cast<const DEVICEPROPERTYHEADER*>(info->lParamInit);
    RecordCompanionVersions();
    UiSession* session = OpenUiSession(header->hPrinter, nullptr);
    if (!IsUiSession(session))
        return -1;
    SheetSession* sheet = SheetOf(session);
    sheet->hasPermission = (header->Flags & DPS_NOPERMISSION) ? 0 : 1;
    sheet->host = info->hComPropSheet;
    sheet->hostCallback = info->pfnComPropSheet;
    sheet->statusMonitorAvailable = IsStatusMonitorAvailable();
    sheet->remoteToolAvailable = IsRemoteToolAvailable();
    if (!AddDevicePage(session)) {
        CloseUiSession(session);
        return -1;
    }
    CompleteSheetInit(info, session);
    return 1;
}

LONG SetDeviceResult(PROPSHEETUI_INFO* info, UiSession* session, LPARAM param)
{
    const auto* set = reinterpret_cast<const SETRESULT_INFO*>(param);
    const auto* header = reinterpret_cast<const DEVICEPROPERTYHEADER*>(info->lParamInit);
    if (!set)
        return 1;
    info->Result = set->Result;
    if (set->Result == CPSUI_OK && !(header->Flags & DPS_NOPERMISSION))
        WriteTrayAndAccessoryData(session->printer, &session->devmode.priv);
    return 1;
}

LONG DestroyDeviceSheet(PROPSHEETUI_INFO* info, UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    FreeModelResources(session);
    if (sheet->deviceOptions) {
        GlobalFree(sheet->deviceOptions);
        sheet->deviceOptions = nullptr;
    }
    CloseUiSession(session);
    info->UserData = 0;
    return 1;
}

} // namespace

LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    if (!pPSUIInfo || !pPSUIInfo->lParamInit)
        return -1;
    if (pPSUIInfo->Reason == PROPSHEETUI_REASON_INIT)
        return InitDeviceSheet(pPSUIInfo);
    UiSession* session = SheetSessionOf(pPSUIInfo);
    if (!session)
        return -1;
    const auto* header = reinterpret_cast<const DEVICEPROPERTYHEADER*>(pPSUIInfo->lParamInit);
    switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillSheetHeader(lParam, header->pszPrinterName);
    case PROPSHEETUI_REASON_SET_RESULT:
        return SetDeviceResult(pPSUIInfo, session, lParam);
    case PROPSHEETUI_REASON_DESTROY:
        return DestroyDeviceSheet(pPSUIInfo, session);
    default:
        return -1;
    }
}
