#include "sheet_tour.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cwchar>

namespace {

// Buttons that open a dialog, and the name of the dialog's picture.
struct DialogButton {
    WORD id;
    const WCHAR* name;
};
const DialogButton kDialogButtons[] = {
    {494, L"check-setting"},
};

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

void ShowPageDialogs(HWND sheet, HWND page, const WCHAR* pageSlug)
{
    for (const DialogButton& button : kDialogButtons) {
        HWND control = GetDlgItem(page, button.id);
        if (!control || !IsWindowEnabled(control))
            continue;
        PostMessageW(control, BM_CLICK, 0, 0);
        HWND dialog = WaitForOwnedDialog(sheet);
        if (!dialog)
            continue;
        WCHAR name[96];
        swprintf(name, ARRAYSIZE(name), L"%ls-%ls", pageSlug, button.name);
        Snapshot(dialog, name);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        while (IsWindow(dialog))
            Sleep(50);
    }
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
        Snapshot(sheet, name);
        ShowPageDialogs(sheet, PropSheet_GetCurrentPageHwnd(sheet), name);
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
