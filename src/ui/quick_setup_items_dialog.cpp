// "Setting" of quick print setup: which settings the quick-setup monitor
// offers for this printer. The choice is an item mask kept in the printer
// data; the bits above the items say what the dialog may show.
#include "ui/setting_dialogs.h"

#include "settings/printer_data.h"
#include "ui/context_help.h"
#include "ui/quick_setup_sync.h"
#include "ui/setting_dialog_support.h"

namespace {

const WORD kQuickSetupItemsTemplate = 108;
const WCHAR kItemMaskValue[] = L"QPSBits";

const int kIdMultiPage = 557;
const int kIdDuplex = 558;
const int kIdPaperSource = 560;
const int kIdMediaType = 561;
const UINT kManualDuplexLabel = 4225;

// What the dialog may show, added to the stored mask before it opens: a
// printer with trays offers its paper source as an item.
const DWORD kShowsPaperSource = 0x10000;
const DWORD kShownWithTrays = 0x7030000;
const DWORD kShownWithoutTrays = 0x7020000;
const DWORD kItemBits = kQuickSetupPaperSource | kQuickSetupMediaType | kQuickSetupMultiPage |
                        kQuickSetupDuplex | kQuickSetupTonerSave;
const DWORD kDuplexUnitFeatures = 0x0000000C;   // modelFeatures bits 2-3

const ButtonBit kItemBoxes[] = {
    {kIdMultiPage, kQuickSetupMultiPage}, {kIdDuplex, kQuickSetupDuplex},
    {559, kQuickSetupTonerSave},          {kIdPaperSource, kQuickSetupPaperSource},
    {kIdMediaType, kQuickSetupMediaType},
};

DWORD CheckedItems(HWND dialog)
{
    return CheckedButtonBits(dialog, kItemBoxes, ARRAYSIZE(kItemBoxes));
}

// Without the paper source item, media type takes its place so that the
// list shows no gap.
void HidePaperSource(HWND dialog)
{
    HWND source = GetDlgItem(dialog, kIdPaperSource);
    RECT place;
    GetWindowRect(source, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    ShowWindow(source, SW_HIDE);
    EnableWindow(source, FALSE);
    SetWindowPos(GetDlgItem(dialog, kIdMediaType), nullptr, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitQuickSetupItems(HWND dialog, UiSession* session)
{
    const DWORD mask = *static_cast<const DWORD*>(SettingDialogState(dialog));
    for (const ButtonBit& box : kItemBoxes)
        CheckDlgButton(dialog, box.id, (mask & box.bit) ? BST_CHECKED : BST_UNCHECKED);
    if (!(mask & kShowsPaperSource))
        HidePaperSource(dialog);
    WCHAR label[64];
    if (!(session->devmode.priv.modelFeatures & kDuplexUnitFeatures) &&
        LoadSettingString(session, kManualDuplexLabel, label, ARRAYSIZE(label)))
        SetDlgItemTextW(dialog, kIdDuplex, label);
}

// At least one item stays chosen: the click that would clear the last one
// is taken back.
INT_PTR KeepOneItem(HWND dialog, UiSession*, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (CheckedItems(dialog) == 0)
        CheckDlgButton(dialog, LOWORD(wParam), BST_CHECKED);
    return TRUE;
}

bool StoreItems(HWND dialog, UiSession*)
{
    *static_cast<DWORD*>(SettingDialogState(dialog)) = CheckedItems(dialog);
    return true;
}

const SettingDialogKind kQuickSetupItemsDialog = {kQuickSetupItemsTemplate, kHelpQuickSetupItems,
                                                  InitQuickSetupItems, StoreItems, KeepOneItem, nullptr};

} // namespace

INT_PTR RunQuickSetupItemsDialog(HWND owner, UiSession* session)
{
    if (!IsUiSession(session))
        return -1;
    DWORD stored = kItemBits;
    ReadPrinterDataDword(session->printer, kItemMaskValue, &stored);
    DWORD mask = stored;
    if (session->devmode.priv.modelTrays)
        mask |= kShownWithTrays;
    else
        mask = (mask & ~kQuickSetupPaperSource) | kShownWithoutTrays;
    const INT_PTR result = RunSettingDialog(owner, session, kQuickSetupItemsDialog, &mask);
    mask &= kItemBits;
    if (result == IDOK && mask != (stored & kItemBits))
        SetPrinterDataReopened(session->printer, kItemMaskValue, REG_DWORD, &mask, sizeof(mask));
    return result;
}
