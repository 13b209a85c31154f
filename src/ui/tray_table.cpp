// What the Tray Settings page shows of the device options: the tray table,
// the paper and source choices, the option lists and the illustration.
#include "ui/tray_page_state.h"

#include "core/driver_strings.h"
#include "settings/devmode_bits.h"
#include "settings/devmode_defaults.h"
#include "ui/paper_choices.h"
#include "ui/preview_drawing.h"
#include "ui/sheet_session.h"
#include "ui/tray_settings_page.h"

#include <commctrl.h>

#include <cwchar>

namespace {

const UINT kSourceColumnTitle = 460;
const UINT kPaperColumnTitle = 461;
const UINT kTrayIdColumnTitle = 462;
const UINT kNotAssignedText = 464;
const UINT kTrayPictureId = 13540;     // model module
const int kSourceColumnWidth = 70;
const int kPaperColumnWidth = 100;
const int kTrayIdColumnWidth = 50;

// Names of the table's entries: trays 1-4, tower trays 1-7, multi-purpose.
const UINT kTrayNameIds[] = {3048, 3049, 3050, 3051, 3054, 3055, 3056, 3057, 3058, 3059, 3060, 3052};
static_assert(ARRAYSIZE(kTrayNameIds) == ARRAYSIZE(PrivateSettings::trayPaper), "one name per entry");

HWND TrayList(HWND page)
{
    return GetDlgItem(page, kIdTrayList);
}

void AddColumn(HWND list, int index, UINT titleId, int width)
{
    WCHAR title[64] = {};
    LoadDriverString(titleId, title, ARRAYSIZE(title));
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = title;
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void EnsureColumns(HWND list, const PrivateSettings& priv)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (header && SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) > 0)
        return;
    AddColumn(list, 0, kSourceColumnTitle, kSourceColumnWidth);
    AddColumn(list, 1, kPaperColumnTitle, kPaperColumnWidth);
    // Models without tray ids keep the column, empty and out of sight.
    AddColumn(list, 2, kTrayIdColumnTitle, (priv.modelTrays & kTraysWithIds) ? kTrayIdColumnWidth : 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

// The name of a paper as the paper combo lists it.
void PaperText(HWND page, LONG paper, WCHAR* text, size_t capacity)
{
    text[0] = L'\0';
    HWND combo = GetDlgItem(page, kIdTrayPaper);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; paper != kTrayEmpty && i < count; ++i) {
        if (SendMessageW(combo, CB_GETITEMDATA, i, 0) != paper)
            continue;
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(capacity))
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        return;
    }
    LoadDriverString(kNotAssignedText, text, static_cast<int>(capacity));
}

void SetCell(HWND list, int row, int column, WCHAR* text)
{
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = text;
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

void AddTrayRow(HWND page, HWND list, const PrivateSettings& priv, size_t entry)
{
    WCHAR text[80] = {};
    LoadDriverString(kTrayNameIds[entry], text, ARRAYSIZE(text));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = text;
    item.lParam = static_cast<LPARAM>(entry);
    const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    const TrayPaperEntry& tray = priv.trayPaper[entry];
    PaperText(page, tray.paper, text, ARRAYSIZE(text));
    SetCell(list, row, 1, text);
    text[0] = L'\0';
    if ((priv.modelTrays & kTraysWithIds) && entry < 4 && tray.trayId > 0)
        swprintf(text, ARRAYSIZE(text), L"%ld", static_cast<long>(tray.trayId));
    SetCell(list, row, 2, text);
}

// The installable options the page offers: the model's boolean
// installable features, memory excepted. The n-th of them owns bit n of
// the accessory word.
template <class Visit> void ForEachOption(const ModelContext* model, Visit visit)
{
    if (!model || !model->features)
        return;
    WORD bit = 1;
    for (uint32_t i = model->featureCount - model->installableCount; i < model->featureCount && bit; ++i) {
        const ModelFeature& feature = model->features[i];
        if (feature.uiType != kUiBoolean || feature.kind == kKindVMOption)
            continue;
        visit(feature, bit);
        bit = static_cast<WORD>(bit << 1);
    }
}

void AddOption(HWND list, const ModelFeature& feature, WORD bit)
{
    const char* name = feature.translation && *feature.translation ? feature.translation : feature.keyword;
    WCHAR text[128] = {};
    MultiByteToWideChar(CP_ACP, 0, name ? name : "", -1, text, ARRAYSIZE(text) - 1);
    const LRESULT item = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0)
        SendMessageW(list, LB_SETITEMDATA, item, bit);
}

// Tower-feeder trays are drawn only for printers whose model and printer
// information both say the tower feeder exists.
void FillPlainPicture(const DRAWITEMSTRUCT* item, const PrivateSettings& priv, bool towers)
{
    RECT rect = item->rcItem;
    FillRect(item->hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    int fitted = 0;
    for (size_t i = 0; i < ARRAYSIZE(priv.trayPaper); ++i) {
        const bool tower = i >= kFirstTowerEntry && i < kFirstTowerEntry + kTowerEntries;
        fitted += priv.trayPaper[i].paper != kTrayUnused && (towers || !tower) ? 1 : 0;
    }
    // The printer body on top, one drawer per fitted tray below it.
    const int width = (rect.right - rect.left) * 2 / 3;
    const int left = rect.left + (rect.right - rect.left - width) / 2;
    const int drawer = (rect.bottom - rect.top) / (fitted + 3);
    RECT body = {left, rect.top + drawer / 2, left + width, rect.top + drawer * 2};
    FrameRect(item->hDC, &body, GetSysColorBrush(COLOR_BTNTEXT));
    for (int i = 0; i < fitted; ++i) {
        RECT tray = {left, body.bottom + i * drawer, left + width, body.bottom + (i + 1) * drawer};
        FrameRect(item->hDC, &tray, GetSysColorBrush(COLOR_BTNSHADOW));
    }
}

} // namespace

TrayPageState* TrayStateOf(UiSession* session)
{
    return static_cast<TrayPageState*>(SheetOf(session)->deviceOptions);
}

void FillTrayCombos(HWND page, UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    FillPaperCombo(GetDlgItem(page, kIdTrayPaper), session);
    HWND source = GetDlgItem(page, kIdDefaultSource);
    FillSourceCombo(source, session);
    SelectComboByData(source, priv.undefinedSourceTray);
}

void FillTrayTable(HWND page, UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    HWND list = TrayList(page);
    const int selected = SelectedTrayEntry(page);
    EnsureColumns(list, priv);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t entry = 0; entry < ARRAYSIZE(priv.trayPaper); ++entry)
        if (priv.trayPaper[entry].paper != kTrayUnused)
            AddTrayRow(page, list, priv, entry);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (item.lParam == selected || (selected < 0 && row == 0)) {
            LVITEMW state = {};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        }
    }
    ShowSelectedTrayPaper(page, session);
    InvalidateRect(GetDlgItem(page, kIdTrayPicture), nullptr, TRUE);
}

void FillOptionLists(HWND page, UiSession* session)
{
    HWND available = GetDlgItem(page, kIdAvailableOptions);
    HWND installed = GetDlgItem(page, kIdInstalledOptions);
    SendMessageW(available, LB_RESETCONTENT, 0, 0);
    SendMessageW(installed, LB_RESETCONTENT, 0, 0);
    const WORD accessories = session->devmode.priv.accessories;
    ForEachOption(session->model, [&](const ModelFeature& feature, WORD bit) {
        AddOption((accessories & bit) ? installed : available, feature, bit);
    });
}

void RefreshAfterOptionChange(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    PrivateSettings fitted = priv;
    RebuildTrayPaperFromModel(&fitted);
    for (size_t i = 0; i < ARRAYSIZE(priv.trayPaper); ++i) {
        const bool present = fitted.trayPaper[i].paper != kTrayUnused;
        if (present != (priv.trayPaper[i].paper != kTrayUnused))
            priv.trayPaper[i] = fitted.trayPaper[i];
    }
    FillOptionLists(page, session);
    FillTrayTable(page, session);
}

int SelectedTrayEntry(HWND page)
{
    HWND list = TrayList(page);
    const LRESULT row = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0)
        return -1;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(row);
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return static_cast<int>(item.lParam);
}

void ShowSelectedTrayPaper(HWND page, UiSession* session)
{
    HWND combo = GetDlgItem(page, kIdTrayPaper);
    const int entry = SelectedTrayEntry(page);
    if (entry < 0 || !SelectComboByData(combo, session->devmode.priv.trayPaper[entry].paper))
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

BOOL AssignSelectedTrayPaper(HWND page, UiSession* session)
{
    const int entry = SelectedTrayEntry(page);
    const LRESULT paper = SelectedComboData(GetDlgItem(page, kIdTrayPaper), -1);
    if (entry < 0 || paper < 0)
        return FALSE;
    session->devmode.priv.trayPaper[entry].paper = static_cast<LONG>(paper);
    FillTrayTable(page, session);
    return TRUE;
}

BOOL MoveSelectedOption(HWND page, UiSession* session, BOOL install)
{
    HWND list = GetDlgItem(page, install ? kIdAvailableOptions : kIdInstalledOptions);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected < 0)
        return FALSE;
    const WORD bits = static_cast<WORD>(SendMessageW(list, LB_GETITEMDATA, selected, 0));
    WORD& accessories = session->devmode.priv.accessories;
    accessories = static_cast<WORD>(install ? (accessories | bits) : (accessories & ~bits));
    RefreshAfterOptionChange(page, session);
    return TRUE;
}

void PlaceTrayPicture(HWND page, const TrayPageState* state)
{
    RECT frame;
    HWND frameWindow = GetDlgItem(page, kIdTrayFrame);
    if (!GetWindowRect(frameWindow, &frame))
        return;
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&frame), 2);
    const int width = state->pictureSize.cx < frame.right - frame.left ? state->pictureSize.cx
                                                                        : frame.right - frame.left - 4;
    const int height = state->pictureSize.cy < frame.bottom - frame.top ? state->pictureSize.cy
                                                                         : frame.bottom - frame.top - 4;
    SetWindowPos(GetDlgItem(page, kIdTrayPicture), nullptr,
                 frame.left + (frame.right - frame.left - width) / 2,
                 frame.top + (frame.bottom - frame.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawTrayPicture(const DRAWITEMSTRUCT* item, UiSession* session)
{
    const TrayPageState* state = TrayStateOf(session);
    HBITMAP picture = LoadPreviewPicture(SheetOf(session)->modelResources, kTrayPictureId);
    if (!picture) {
        FillPlainPicture(item, session->devmode.priv,
                         state && state->towerModelWord && state->towerSupport);
        return;
    }
    DrawPreviewItem(item, picture, state ? &state->pictureSize : nullptr);
    DeleteObject(picture);
}
