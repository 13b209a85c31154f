#include "sheet_tour.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cwchar>

namespace {

// Buttons that open a dialog, and the name of the dialog's picture. A
// button is pressed only where it is visible and enabled; a disabled one
// may first need its enabling choice (a radio button) made.
struct DialogButton {
    WORD id;
    WORD enabledBy;      // 0 when nothing needs choosing first
    const WCHAR* name;
};
const DialogButton kDialogButtons[] = {
    {494, 0, L"check-setting"},
    {253, 249, L"manual-setting"},
    {296, 0, L"new-watermark"},
    {351, 0, L"quick-setup-items"},
    {347, 0, L"macro-setting"},
    {383, 0, L"header-footer-setting"},
};

// Paper choices of the Basic page that open a dialog.
struct PaperDialog {
    LRESULT paper;
    const WCHAR* name;
};
const PaperDialog kPaperDialogs[] = {
    {DMPAPER_A3, L"fit-to-paper-size"},
    {DMPAPER_USER, L"user-defined-size"},
};
const WORD kPaperCombo = 170;
const WORD kFirstCategoryButton = 194;
const WORD kLastCategoryButton = 199;
const WORD kFunctionList = 317;

const DWORD kSettleMs = 400;
const DWORD kScreenshotTimeoutMs = 30000;

struct Tour {
    HWND sheet;
    WCHAR directory[MAX_PATH];
    HANDLE thread;
};
Tour g_tour;

void Slug(const WCHAR* title, WCHAR* slug, size_t capacity)
{
    size_t used = 0;
    for (; *title && used + 1 < capacity; ++title) {
        if (iswalnum(*title))
            slug[used++] = towlower(*title);
        else if (used && slug[used - 1] != L'-')
            slug[used++] = L'-';
    }
    while (used && slug[used - 1] == L'-')
        --used;
    slug[used] = L'\0';
}

// Asks for a screenshot of window and waits until it was taken.
void Snapshot(HWND window, const WCHAR* name)
{
    Sleep(kSettleMs);
    RECT rect;
    GetWindowRect(window, &rect);
    WCHAR path[MAX_PATH];
    swprintf(path, MAX_PATH, L"%ls\\request", g_tour.directory);
    FILE* file = _wfopen(path, L"w");
    if (!file)
        return;
    fwprintf(file, L"%ls %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right - rect.left,
             rect.bottom - rect.top);
    fclose(file);
    for (DWORD waited = 0; waited < kScreenshotTimeoutMs; waited += 50) {
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
            return;
        Sleep(50);
    }
    DeleteFileW(path);
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForOwnedDialog(HWND sheet)
{
    const DWORD thread = GetWindowThreadProcessId(sheet, nullptr);
    for (int tries = 0; tries < 100; ++tries) {
        OwnedSearch search = {sheet, nullptr};
        EnumThreadWindows(thread, FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(50);
    }
    return nullptr;
}

bool IsUsable(HWND control)
{
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

// Waits for the dialog to open, takes its picture and cancels it.
void SnapshotDialog(HWND sheet, const WCHAR* pageSlug, const WCHAR* dialogName)
{
    HWND dialog = WaitForOwnedDialog(sheet);
    if (!dialog)
        return;
    WCHAR name[128];
    swprintf(name, ARRAYSIZE(name), L"%ls-%ls", pageSlug, dialogName);
    Snapshot(dialog, name);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    while (IsWindow(dialog))
        Sleep(50);
}

void ShowPageDialogs(HWND sheet, HWND page, const WCHAR* pageSlug)
{
    for (const DialogButton& button : kDialogButtons) {
        HWND control = GetDlgItem(page, button.id);
        if (control && IsWindowVisible(control) && !IsWindowEnabled(control) && button.enabledBy) {
            PostMessageW(GetDlgItem(page, button.enabledBy), BM_CLICK, 0, 0);
            Sleep(kSettleMs);
        }
        if (!IsUsable(control))
            continue;
        PostMessageW(control, BM_CLICK, 0, 0);
        SnapshotDialog(sheet, pageSlug, button.name);
    }
}

void ShowPaperDialogs(HWND sheet, HWND page, const WCHAR* pageSlug)
{
    HWND combo = GetDlgItem(page, kPaperCombo);
    if (!IsUsable(combo))
        return;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (const PaperDialog& paper : kPaperDialogs) {
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) != paper.paper)
                continue;
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            PostMessageW(page, WM_COMMAND, MAKEWPARAM(kPaperCombo, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            SnapshotDialog(sheet, pageSlug, paper.name);
            break;
        }
    }
}

// A view of a page: its picture, then the dialogs it opens.
void ShowView(HWND sheet, HWND page, const WCHAR* name)
{
    Snapshot(sheet, name);
    ShowPageDialogs(sheet, page, name);
}

void ShowFunctions(HWND sheet, HWND page, const WCHAR* pageSlug)
{
    HWND list = GetDlgItem(page, kFunctionList);
    if (!IsUsable(list))
        return;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR text[64] = {}, slug[64], name[128];
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= static_cast<LRESULT>(ARRAYSIZE(text)))
            continue;
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        SendMessageW(list, LB_SETCURSEL, i, 0);
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(kFunctionList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        Sleep(kSettleMs);
        Slug(text, slug, ARRAYSIZE(slug));
        swprintf(name, ARRAYSIZE(name), L"%ls-%ls", pageSlug, slug);
        ShowView(sheet, page, name);
    }
}

// The category buttons of a page, each showing its own part of the page.
bool ShowCategories(HWND sheet, HWND page, const WCHAR* pageSlug)
{
    bool any = false;
    for (WORD id = kFirstCategoryButton; id <= kLastCategoryButton; ++id) {
        HWND button = GetDlgItem(page, id);
        if (!IsUsable(button))
            continue;
        any = true;
        WCHAR text[64] = {}, slug[64], name[128];
        GetWindowTextW(button, text, ARRAYSIZE(text));
        Slug(text, slug, ARRAYSIZE(slug));
        PostMessageW(button, BM_CLICK, 0, 0);
        Sleep(kSettleMs);
        swprintf(name, ARRAYSIZE(name), L"%ls-%ls", pageSlug, slug);
        if (GetDlgItem(page, kFunctionList) && IsWindowVisible(GetDlgItem(page, kFunctionList)))
            ShowFunctions(sheet, page, name);
        else
            ShowView(sheet, page, name);
    }
    return any;
}

DWORD WINAPI RunTour(void*)
{
    HWND sheet = g_tour.sheet;
    Sleep(kSettleMs);
    HWND tabs = PropSheet_GetTabControl(sheet);
    const int count = tabs ? TabCtrl_GetItemCount(tabs) : 0;
    for (int i = 0; i < count; ++i) {
        SendMessageW(sheet, PSM_SETCURSEL, i, 0);
        WCHAR title[64] = {}, slug[64], name[96];
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = ARRAYSIZE(title);
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        Slug(title, slug, ARRAYSIZE(slug));
        swprintf(name, ARRAYSIZE(name), L"page-%ls", slug);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        if (!ShowCategories(sheet, page, name)) {
            ShowView(sheet, page, name);
            ShowPaperDialogs(sheet, page, name);
        }
    }
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return 0;
}

} // namespace

void StartSheetTour(HWND sheet, const WCHAR* directory)
{
    g_tour.sheet = sheet;
    lstrcpynW(g_tour.directory, directory, MAX_PATH);
    g_tour.thread = CreateThread(nullptr, 0, RunTour, nullptr, 0, nullptr);
}

void FinishSheetTour()
{
    if (!g_tour.thread)
        return;
    WaitForSingleObject(g_tour.thread, INFINITE);
    CloseHandle(g_tour.thread);
    g_tour.thread = nullptr;
}
