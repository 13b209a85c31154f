// DrvDocumentPropertySheets: the document property sheet and, without a
// sheet, the DEVMODE query the spooler and applications make.
#include "platform/driverui.h"

#include "core/spooler_info.h"
#include "core/ui_session.h"
#include "lifecycle/companion_programs.h"
#include "settings/devmode_bits.h"
#include "settings/devmode_merge.h"
#include "settings/devmode_sync.h"
#include "settings/driver_devmode.h"
#include "settings/paper_lookup.h"
#include "settings/printer_data.h"
#include "settings/printer_setup.h"
#include "settings/watermark_store.h"
#include "ui/advanced_page.h"
#include "ui/basic_page.h"
#include "ui/quick_setup_sync.h"
#include "ui/sheet_pages.h"
#include "ui/support_page.h"
#include "ui/tray_settings_page.h"

#include <cstdio>

namespace {

// One row per tab, in tab order. Pages whose procedure is not part of the
// module leave their slot empty.
struct PageRow {
    UINT titleId;
    WORD templateId;
    DLGPROC procedure;
};
const PageRow kPageTable[kSheetSlots] = {
    {591, kBasicTemplate, BasicPageProc},
    {592, kAdvancedTemplate, AdvancedPageProc},
    {kTraySettingsTitle, kTraySettingsTemplate, TraySettingsPageProc},
    {594, kSupportTemplate, SupportPageProc},
};
const int kTitleChars = 64;

const WCHAR kWatermarkListSection[] = L":kvwatermark:";
const DWORD kWatermarkTitleChars = 34;

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

WORD PrinterDataWord(HANDLE printer, const WCHAR* name)
{
    DWORD value = 0;
    return ReadPrinterDataDword(printer, name, &value) ? static_cast<WORD>(value) : 1;
}

// The watermark editor saves only when the machine-wide store can be
// written; the pages learn it once per sheet.
BYTE ProbeWatermarkStore()
{
    WCHAR path[MAX_PATH];
    if (!WatermarkStorePath(path, MAX_PATH))
        return 0;
    return WritePrivateProfileStringW(L"SAVE", L"SAVE", L"1", path) ? 1 : 0;
}

void FillSheetFlags(UiSession* session, const PROPSHEETUI_INFO* info,
                    const DOCUMENTPROPERTYHEADER* header)
{
    SheetSession* sheet = SheetOf(session);
    sheet->watermarkStoreWritable = ProbeWatermarkStore();
    sheet->host = info->hComPropSheet;
    sheet->hostCallback = info->pfnComPropSheet;
    sheet->hasPermission = (header->fMode & DM_NOPERMISSION) ? 0 : 1;
    sheet->userDefault = (header->fMode & DM_USER_DEFAULT) ? 1 : 0;
    sheet->statusMonitorAvailable = IsStatusMonitorAvailable();
    sheet->remoteToolAvailable = IsRemoteToolAvailable();
    sheet->trayPageEnabled = IsSaveSettingEnabled(ExDefaultFileOf(session)) ? 1 : 0;
    sheet->bscWord = PrinterDataWord(session->printer, L"BSC");
    sheet->wuWord = PrinterDataWord(session->printer, L"WU");
}

bool IsSlotShown(const UiSession* session, int slot)
{
    if (!kPageTable[slot].procedure)
        return false;
    if (slot == kSlotTraySettings && !SheetOf(session)->trayPageEnabled)
        return false;
    return !(session->devmode.priv.modelCaps & (1u << (kCapsFirstHiddenPage + slot)));
}

BOOL AddDocumentPages(UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    int added = 0;
    for (int slot = 0; slot < kSheetSlots; ++slot) {
        if (!IsSlotShown(session, slot))
            continue;
        SheetPage sheetPage = NewSheetPage(session);
        PROPSHEETPAGEW& page = sheetPage.page;
        page.dwFlags = PSP_USETITLE | PSP_HASHELP;
        page.pszTemplate = MAKEINTRESOURCEW(kPageTable[slot].templateId);
        page.pszTitle = LoadPageTitle(session, kPageTable[slot].titleId, kTitleChars);
        page.pfnDlgProc = kPageTable[slot].procedure;
        sheet->pages[slot] = InsertSheetPage(session, sheetPage, added);
        if (!sheet->pages[slot])
            return FALSE;
        ++added;
    }
    return TRUE;
}

LONG InitDocumentSheet(PROPSHEETUI_INFO* info)
{
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info->lParamInit);
    if (!header)
        return -1;
    RecordCompanionVersions();
    UiSession* session = OpenUiSession(header->hPrinter, header->pdmIn);
    if (!IsUiSession(session))
        return -1;
    FillSheetFlags(session, info, header);
    if (!AddDocumentPages(session)) {
        CloseUiSession(session);
        return -1;
    }
    CompleteSheetInit(info, session);
    return 1;
}

// Points as 24.8 fixed point (1/18432 inch) to tenths of a millimetre,
// rounded down the way the stored records always were.
short TenthsOfMillimetre(LONG units)
{
    const float microns = static_cast<float>(units) * 25400.0f / 18432.0f;
    return static_cast<short>(static_cast<LONG>(microns) / 100);
}

void StorePublicPaperSize(UiSession* session)
{
    DEVMODEW& pub = session->devmode.pub;
    const PrivateSettings& priv = session->devmode.priv;
    if (pub.dmPaperSize == DMPAPER_USER) {
        pub.dmPaperWidth = static_cast<short>(priv.customPaperWidth);
        pub.dmPaperLength = static_cast<short>(priv.customPaperLength);
        return;
    }
    if (!(pub.dmFields & DM_PAPERSIZE))
        return;
    PaperSize size = {};
    if (LookUpPaper(session->printer, &pub, session->model, &size) == kPaperNotFound)
        return;
    pub.dmPaperWidth = TenthsOfMillimetre(size.width);
    pub.dmPaperLength = TenthsOfMillimetre(size.length);
}

void StoreWatermarkTitle(UiSession* session)
{
    const WatermarkState* state = session->sheet.watermark;
    if (!state || state->selectedIndex >= kNoWatermarkSelected)
        return;
    PrivateSettings& priv = session->devmode.priv;
    priv.watermarkIndex = state->selectedIndex;
    WCHAR key[8];
    swprintf(key, ARRAYSIZE(key), L"%d", state->selectedIndex);
    GetPrivateProfileStringW(kWatermarkListSection, key, L"", priv.watermarkTitle,
                             kWatermarkTitleChars, state->storePath);
}

LONG SetDocumentResult(PROPSHEETUI_INFO* info, UiSession* session, LPARAM param)
{
    const auto* set = reinterpret_cast<const SETRESULT_INFO*>(param);
    const auto* header = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(info->lParamInit);
    if (!set || !header || set->Result != CPSUI_OK)
        return -1;
    if (!(header->fMode & (DM_UPDATE | DM_COPY)) || !header->pdmOut)
        return -1;
    StorePublicPaperSize(session);
    WriteTrayAndAccessoryData(session->printer, &session->devmode.priv);
    StoreWatermarkTitle(session);
    SyncDerivedSettings(&session->devmode.pub);
    SyncQuickSetupAfterApply(session->printer, &session->devmode.pub, &session->devmode.priv);
    ConvertDevmodeOut(&session->devmode.pub, header->pdmIn, header->pdmOut);
    info->Result = set->Result;
    return 1;
}

void ReleaseGlobalBlocks(SheetSession* sheet)
{
    for (HGLOBAL& block : sheet->globals) {
        if (!block)
            continue;
        GlobalUnlock(block);
        GlobalFree(block);
        block = nullptr;
    }
}

LONG DestroyDocumentSheet(PROPSHEETUI_INFO* info, UiSession* session)
{
    // The watermark buffers go with the session's watermark state.
    ReleaseGlobalBlocks(SheetOf(session));
    FreeModelResources(session);
    CloseUiSession(session);
    info->UserData = 0;
    return 1;
}

} // namespace

LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    if (!pPSUIInfo)
        return DocumentPropertiesWithoutSheet(reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam));
    if (pPSUIInfo->Reason == PROPSHEETUI_REASON_INIT)
        return InitDocumentSheet(pPSUIInfo);
    UiSession* session = SheetSessionOf(pPSUIInfo);
    if (!session)
        return -1;
    const auto* header = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(pPSUIInfo->lParamInit);
    switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillSheetHeader(lParam, header ? header->pszPrinterName : nullptr);
    case PROPSHEETUI_REASON_SET_RESULT:
        return SetDocumentResult(pPSUIInfo, session, lParam);
    case PROPSHEETUI_REASON_DESTROY:
        return DestroyDocumentSheet(pPSUIInfo, session);
    default:
        return -1;
    }
}
