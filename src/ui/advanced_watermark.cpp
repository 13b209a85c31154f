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
const DWORD kCustomPages = 16;

// Custom pages: the store keys a page's watermark by its number, or by
// "Other" for every page not listed.
const UINT kOtherPagesName = 14026;
const UINT kNoWatermarkName = 13748;
const int kLastCustomPage = 99;
const int kOtherPages = 0;
const int kNoPage = -1;
const WORD kCustomPageControls[] = {
    kIdCustomPageGroup, kIdCustomPageLabel, kIdCustomPage, kIdCustomPageWatermark,
    kIdCustomPageAdd,   kIdCustomPageDelete,
};

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

bool CustomPagesChosen(const UiSession* session)
{
    return (session->devmode.priv.processor.watermarkPages & ~kPagesKeptBit) == kCustomPages;
}

void EnableCustomPages(HWND page, const UiSession* session)
{
    const bool custom = CustomPagesChosen(session);
    for (WORD id : kCustomPageControls)
        EnableControl(page, id, custom);
}

// The page edit offers "Other pages" in its list; numbers are typed.
void FillCustomPageChoices(HWND page, UiSession* session)
{
    WCHAR other[64];
    LoadPageString(session, kOtherPagesName, other, ARRAYSIZE(other));
    HWND combo = GetDlgItem(page, kIdCustomPage);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(other));
}

// "None" followed by the watermarks the list shows, keeping the choice.
void FillCustomWatermarkChoices(HWND page, UiSession* session)
{
    HWND combo = GetDlgItem(page, kIdCustomPageWatermark);
    HWND list = GetDlgItem(page, kIdWatermarkList);
    LRESULT chosen = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    WCHAR none[64];
    LoadPageString(session, kNoWatermarkName, none, ARRAYSIZE(none));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
    // Positions must match the list's, so every entry is copied whole.
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        auto* entry = static_cast<WCHAR*>(
            HeapAlloc(session->heap, HEAP_ZERO_MEMORY, (length < 0 ? 1 : length + 1) * sizeof(WCHAR)));
        if (!entry)
            break;
        if (length >= 0)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        HeapFree(session->heap, 0, entry);
    }
    if (chosen == CB_ERR || chosen >= SendMessageW(combo, CB_GETCOUNT, 0, 0))
        chosen = 0;
    SendMessageW(combo, CB_SETCURSEL, chosen, 0);
}

// Reads the page edit, corrects it in place (a non-number or 0 empties it,
// numbers above the last page become the last page) and returns the page:
// 1..99, kOtherPages, or kNoPage when it names none.
int ReadCustomPage(HWND page, UiSession* session)
{
    WCHAR text[64] = {};
    WCHAR other[64];
    GetDlgItemTextW(page, kIdCustomPage, text, ARRAYSIZE(text));
    LoadPageString(session, kOtherPagesName, other, ARRAYSIZE(other));
    if (text[0] && lstrcmpW(text, other) == 0)
        return kOtherPages;
    int number = 0;
    bool digits = text[0] != L'\0';
    for (const WCHAR* c = text; *c && digits; ++c) {
        digits = *c >= L'0' && *c <= L'9';
        if (digits && number <= kLastCustomPage)
            number = number * 10 + (*c - L'0');
    }
    if (!digits || number == 0) {
        SetDlgItemTextW(page, kIdCustomPage, L"");
        return kNoPage;
    }
    if (number > kLastCustomPage) {
        number = kLastCustomPage;
        SetDlgItemInt(page, kIdCustomPage, number, FALSE);
    }
    return number;
}

void CustomPageKey(int pageNumber, WCHAR* key, size_t capacity)
{
    if (pageNumber == kOtherPages)
        lstrcpynW(key, L"Other", static_cast<int>(capacity));
    else
        wsprintfW(key, L"%d", pageNumber);
}

// "Add" writes the chosen watermark's position ("-1" for none) under the
// page's key; "Delete" removes the key.
void EditCustomPage(HWND page, UiSession* session, bool add)
{
    const WatermarkState* state = WatermarkStateOf(session);
    const int pageNumber = ReadCustomPage(page, session);
    if (!state || pageNumber == kNoPage)
        return;
    WCHAR key[16];
    CustomPageKey(pageNumber, key, ARRAYSIZE(key));
    WCHAR value[16];
    const LRESULT chosen = SendDlgItemMessageW(page, kIdCustomPageWatermark, CB_GETCURSEL, 0, 0);
    wsprintfW(value, L"%d", chosen == CB_ERR ? -1 : static_cast<int>(chosen) - 1);
    WritePrivateProfileStringW(state->printerName, key, add ? value : nullptr, state->storePath);
}

} // namespace

void InitWatermark(HWND page, UiSession* session)
{
    if (WatermarkState* state = WatermarkStateOf(session))
        state->advancedPage = page;
    LoadWatermarkList(page, session);
    FillPageChoices(page, session);
    FillCustomPageChoices(page, session);
}

void RefreshWatermark(HWND page, UiSession* session)
{
    const WatermarkState* state = WatermarkStateOf(session);
    const bool writable = SheetOf(session)->watermarkStoreWritable != 0;
    const bool listed = SendDlgItemMessageW(page, kIdWatermarkList, LB_GETCOUNT, 0, 0) > 0;
    LoadCategoryRows(page, session, kCategoryWatermark);
    SelectPageChoice(page, session);
    FillCustomWatermarkChoices(page, session);
    if (!IsWindowVisible(GetDlgItem(page, kIdWatermarkList)))
        return;
    EnableControl(page, kIdUseWatermark, HasPermission(session));
    EnableControl(page, kIdWatermarkNew, writable);
    EnableControl(page, kIdWatermarkEdit, writable && listed);
    EnableControl(page, kIdWatermarkDelete, writable && listed);
    EnableControl(page, kIdWatermarkList, listed);
    EnableControl(page, kIdOutlineText, state && !state->isBitmap);
    EnableCustomPages(page, session);
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
        EnableCustomPages(page, session);
    } else if ((id == kIdCustomPageAdd || id == kIdCustomPageDelete) && code == BN_CLICKED) {
        EditCustomPage(page, session, id == kIdCustomPageAdd);
    } else if (id == kIdCustomPage && code == CBN_KILLFOCUS) {
        ReadCustomPage(page, session);
    }
    InvalidateRect(GetDlgItem(page, kIdWatermarkPreview), nullptr, TRUE);
}

void ResetWatermarkDefaults(HWND page, UiSession* session, const DriverDevmode& defaults)
{
    CopyCategoryRowFields(&session->devmode, defaults, kCategoryWatermark);
    session->devmode.priv.processor.watermarkPages = defaults.priv.processor.watermarkPages;
    LoadWatermarkList(page, session);
}
