// The Advanced page's Watermark category: using a watermark, choosing one
// of the store's, how it is printed and on which pages.
#include "ui/advanced_page_internal.h"

#include "ui/paper_choices.h"
#include "ui/sheet_session.h"
#include "ui/watermark_editor.h"

namespace {

// "Print Watermark" choices: all pages, the first page only, from the
// second page on, pages chosen one by one.
const DWORD kPageChoices[] = {0, 1, 4, 16};
const UINT kPageChoiceNames = 13710;   // + position
const DWORD kPagesKeptBit = 0x02;

void ClearList(void* context)
{
    SendMessageW(static_cast<HWND>(context), LB_RESETCONTENT, 0, 0);
}

void AddToList(void* context, const WCHAR* name)
{
    SendMessageW(static_cast<HWND>(context), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

void SelectInList(void* context, WORD position)
{
    SendMessageW(static_cast<HWND>(context), LB_SETCURSEL, position, 0);
}

// The session opens the store only when its watermark is on; the page
// needs it either way. The session frees it.
WatermarkState* WatermarkStateOf(UiSession* session)
{
    if (session->sheet.watermark)
        return session->sheet.watermark;
    auto* state = static_cast<WatermarkState*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, sizeof(WatermarkState)));
    if (!state)
        return nullptr;
    InitialiseWatermarkState(state, session->printer, &session->devmode.pub);
    state->selectedIndex = session->devmode.priv.watermarkIndex;
    session->sheet.watermark = state;
    return state;
}

void LoadWatermarkList(HWND page, UiSession* session)
{
    WatermarkState* state = WatermarkStateOf(session);
    HWND list = GetDlgItem(page, kIdWatermarkList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    if (!state)
        return;
    const WatermarkListSink sink = {list, ClearList, AddToList, SelectInList};
    LoadCurrentWatermark(state, &session->devmode.pub, &sink);
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) > 0)
        session->devmode.priv.watermarkIndex = state->selectedIndex;
}

void FillPageChoices(HWND page, UiSession* session)
{
    HWND combo = GetDlgItem(page, kIdWatermarkPages);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < ARRAYSIZE(kPageChoices); ++i) {
        WCHAR name[64];
        LoadPageString(session, kPageChoiceNames + static_cast<UINT>(i), name, ARRAYSIZE(name));
        const LRESULT entry = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(combo, CB_SETITEMDATA, entry, kPageChoices[i]);
    }
}

void SelectPageChoice(HWND page, const UiSession* session)
{
    HWND combo = GetDlgItem(page, kIdWatermarkPages);
    if (!SelectComboByData(combo, session->devmode.priv.processor.watermarkPages & ~kPagesKeptBit))
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void ChooseWatermark(HWND page, UiSession* session)
{
    WatermarkState* state = WatermarkStateOf(session);
    const LRESULT chosen = SendDlgItemMessageW(page, kIdWatermarkList, LB_GETCURSEL, 0, 0);
    if (!state || chosen == LB_ERR)
        return;
    state->selectedIndex = static_cast<WORD>(chosen);
    session->devmode.priv.watermarkIndex = static_cast<WORD>(chosen);
    WriteCurrentWatermark(state->storePath, state->printerName, static_cast<int>(chosen));
    LoadCurrentWatermark(state, &session->devmode.pub, nullptr);
    InvalidateRect(GetDlgItem(page, kIdWatermarkPreview), nullptr, TRUE);
}

} // namespace

void InitWatermark(HWND page, UiSession* session)
{
    if (WatermarkState* state = WatermarkStateOf(session))
        state->advancedPage = page;
    LoadWatermarkList(page, session);
    FillPageChoices(page, session);
}

void RefreshWatermark(HWND page, UiSession* session)
{
    const WatermarkState* state = WatermarkStateOf(session);
    const bool writable = SheetOf(session)->watermarkStoreWritable != 0;
    const bool listed = SendDlgItemMessageW(page, kIdWatermarkList, LB_GETCOUNT, 0, 0) > 0;
    LoadCategoryRows(page, session, kCategoryWatermark);
    SelectPageChoice(page, session);
    if (!IsWindowVisible(GetDlgItem(page, kIdWatermarkList)))
        return;
    EnableControl(page, kIdUseWatermark, HasPermission(session));
    EnableControl(page, kIdWatermarkNew, writable);
    EnableControl(page, kIdWatermarkEdit, writable && listed);
    EnableControl(page, kIdWatermarkDelete, writable && listed);
    EnableControl(page, kIdWatermarkList, listed);
    EnableControl(page, kIdOutlineText, state && !state->isBitmap);
    InvalidateRect(GetDlgItem(page, kIdWatermarkPreview), nullptr, TRUE);
}

void OnWatermarkCommand(HWND page, UiSession* session, WORD id, WORD code)
{
    if (code == BN_CLICKED && (id == kIdWatermarkNew || id == kIdWatermarkEdit || id == kIdWatermarkDelete)) {
        if (id == kIdWatermarkDelete)
            DeleteWatermarkFromPage(page, session, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
        else
            RunWatermarkEditor(page, session, id == kIdWatermarkNew);
        AdvancedStateOf(page)->loading = TRUE;
        RefreshWatermark(page, session);
        AdvancedStateOf(page)->loading = FALSE;
    } else if (id == kIdWatermarkList && code == LBN_SELCHANGE) {
        ChooseWatermark(page, session);
    } else if (id == kIdWatermarkPages && code == CBN_SELCHANGE) {
        DWORD& pages = session->devmode.priv.processor.watermarkPages;
        const LRESULT chosen = SelectedComboData(GetDlgItem(page, kIdWatermarkPages), 0);
        pages = static_cast<DWORD>(chosen) | (pages & kPagesKeptBit);
    }
    InvalidateRect(GetDlgItem(page, kIdWatermarkPreview), nullptr, TRUE);
}

void ResetWatermarkDefaults(HWND page, UiSession* session, const DriverDevmode& defaults)
{
    CopyCategoryRowFields(&session->devmode, defaults, kCategoryWatermark);
    session->devmode.priv.processor.watermarkPages = defaults.priv.processor.watermarkPages;
    LoadWatermarkList(page, session);
}
