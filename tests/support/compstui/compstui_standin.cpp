#include "compstui_standin.h"

#include "sheet_tour.h"

#include <commctrl.h>
#include <prsht.h>

#include <cwchar>

namespace {

StandInRecord g_record;
StandInScript g_script;
void* g_scriptContext;
int g_refuseFrom = -1;

// One opening of the sheet.
struct Opening {
    PFNPROPSHEETUI callback;
    PROPSHEETUI_INFO info;
    HPROPSHEETPAGE pages[kStandInMaxPages];
    int pageCount;
    LARGE_INTEGER started;
    bool okPressed;
};

Opening* g_opening;

LONG Deliver(Opening& opening, WORD reason, LPARAM param)
{
    opening.info.Reason = reason;
    const LONG answer = opening.callback(&opening.info, param);
    if (g_record.reasonCount < kStandInMaxReasons) {
        g_record.reasons[g_record.reasonCount] = reason;
        g_record.answers[g_record.reasonCount] = answer;
        ++g_record.reasonCount;
    }
    return answer;
}

StandInPage* RecordPage(UINT function, LPARAM position, const PROPSHEETPAGEW* page)
{
    if (g_record.pageCount >= kStandInMaxPages)
        return nullptr;
    StandInPage& row = g_record.pages[g_record.pageCount++];
    row = StandInPage{};
    row.function = function;
    row.position = position;
    if (!page)
        return &row;
    row.pageSize = page->dwSize;
    row.pageFlags = page->dwFlags;
    row.templateId = IS_INTRESOURCE(page->pszTemplate) ? LOWORD(page->pszTemplate) : 0;
    if ((page->dwFlags & PSP_USETITLE) && page->pszTitle && !IS_INTRESOURCE(page->pszTitle))
        lstrcpynW(row.title, page->pszTitle, ARRAYSIZE(row.title));
    return &row;
}

// Creates the page and puts it at index in the sheet's order.
HANDLE PlacePage(Opening& opening, const PROPSHEETPAGEW* page, int index, StandInPage* row)
{
    if (!page || !row || opening.pageCount >= kStandInMaxPages ||
        (g_refuseFrom >= 0 && opening.pageCount >= g_refuseFrom))
        return nullptr;
    HPROPSHEETPAGE created = CreatePropertySheetPageW(page);
    if (!created)
        return nullptr;
    if (index < 0 || index > opening.pageCount)
        index = opening.pageCount;
    for (int i = opening.pageCount; i > index; --i)
        opening.pages[i] = opening.pages[i - 1];
    opening.pages[index] = created;
    ++opening.pageCount;
    row->handle = created;
    return created;
}

LONG_PTR InsertPage(Opening& opening, LPARAM position, const INSERTPSUIPAGE_INFO* insert)
{
    const PROPSHEETPAGEW* page =
        insert && insert->Type == PSUIPAGEINSERT_PROPSHEETPAGE
            ? reinterpret_cast<const PROPSHEETPAGEW*>(insert->dwData1) : nullptr;
    StandInPage* row = RecordPage(CPSFUNC_INSERT_PSUIPAGEW, position, page);
    if (row && insert) {
        row->insertSize = insert->cbSize;
        row->insertType = insert->Type;
        row->insertMode = insert->Mode;
    }
    if (!insert || insert->cbSize != sizeof(INSERTPSUIPAGE_INFO) || insert->Mode != INSPSUIPAGE_MODE_INDEX)
        return 0;
    return reinterpret_cast<LONG_PTR>(PlacePage(opening, page, static_cast<int>(position), row));
}

LONG_PTR DeliverResult(Opening& opening, HANDLE page, LRESULT result)
{
    SETRESULT_INFO set = {sizeof(set), 0, page, result};
    const LONG answer = Deliver(opening, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&set));
    if (g_record.setResultCount < kStandInMaxPages)
        g_record.setResults[g_record.setResultCount++] = {page, result, answer};
    if (result == CPSUI_OK)
        opening.okPressed = true;
    return 1;
}

LONG_PTR CALLBACK HostCallback(HANDLE host, UINT function, LPARAM lParam1, LPARAM lParam2)
{
    Opening* opening = static_cast<Opening*>(host);
    if (opening != g_opening)
        return 0;
    switch (function) {
    case CPSFUNC_INSERT_PSUIPAGEW:
        return InsertPage(*opening, lParam1, reinterpret_cast<const INSERTPSUIPAGE_INFO*>(lParam2));
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam1);
        StandInPage* row = RecordPage(function, -1, page);
        return reinterpret_cast<LONG_PTR>(PlacePage(*opening, page, -1, row));
    }
    case CPSFUNC_SET_RESULT:
        return DeliverResult(*opening, reinterpret_cast<HANDLE>(lParam1), lParam2);
    default:
        return 0;
    }
}

double MillisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool IsOnPage(HWND sheet, HWND window)
{
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    return page && (window == page || IsChild(page, window));
}

// The sheet's own loop, as a modeless sheet needs: it ends when OK or
// Cancel closed the pages.
void RunSheet(Opening& opening, HWND sheet)
{
    MSG msg;
    while (PropSheet_GetCurrentPageHwnd(sheet)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        const bool paint = msg.message == WM_PAINT && IsOnPage(sheet, msg.hwnd);
        if (!PropSheet_IsDialogMessage(sheet, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (paint && g_record.firstPaintMs < 0)
            g_record.firstPaintMs = MillisecondsSince(opening.started);
    }
}

void ShowSheet(Opening& opening, HWND owner, const PROPSHEETUI_INFO_HEADER& header)
{
    PROPSHEETHEADERW sheetHeader = {};
    sheetHeader.dwSize = sizeof(sheetHeader);
    sheetHeader.dwFlags = PSH_MODELESS;
    if (header.Flags & PSUIHDRF_NOAPPLYNOW)
        sheetHeader.dwFlags |= PSH_NOAPPLYNOW;
    if (header.Flags & PSUIHDRF_PROPTITLE)
        sheetHeader.dwFlags |= PSH_PROPTITLE;
    sheetHeader.hwndParent = owner;
    sheetHeader.pszCaption = header.pTitle ? header.pTitle : L"";
    sheetHeader.nPages = opening.pageCount;
    sheetHeader.phpage = opening.pages;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&sheetHeader));
    if (!sheet) {
        for (int i = 0; i < opening.pageCount; ++i)
            DestroyPropertySheetPage(opening.pages[i]);
        return;
    }
    g_record.sheetShown = TRUE;
    if (g_script)
        g_script(sheet, g_scriptContext);
    else if (const WCHAR* tour = _wgetenv(L"KV_SHEET_TOUR"))
        StartSheetTour(sheet, tour);
    RunSheet(opening, sheet);
    FinishSheetTour();
    DestroyWindow(sheet);
}

void RecordHeader(const PROPSHEETUI_INFO_HEADER& header)
{
    g_record.headerFlags = header.Flags;
    g_record.headerIcon = static_cast<WORD>(header.IconID);
    g_record.headerInstance = header.hInst != nullptr;
    lstrcpynW(g_record.headerTitle, header.pTitle ? header.pTitle : L"", ARRAYSIZE(g_record.headerTitle));
}

void StartRecord(LPARAM param, LPDWORD result)
{
    const int calls = g_record.calls + 1;
    g_record = StandInRecord{};
    g_record.calls = calls;
    g_record.firstPaintMs = -1;
    if (param) {
        const WORD size = *reinterpret_cast<const WORD*>(param);
        CopyMemory(g_record.initHeader, reinterpret_cast<const void*>(param),
                   size < sizeof(g_record.initHeader) ? size : sizeof(g_record.initHeader));
    }
    g_record.resultOnEntry = result ? *result : 0;
}

} // namespace

extern "C" __declspec(dllexport) StandInRecord* StandInLastCall()
{
    return &g_record;
}

extern "C" __declspec(dllexport) void StandInSetScript(StandInScript script, void* context)
{
    g_script = script;
    g_scriptContext = context;
}

extern "C" __declspec(dllexport) void StandInRefusePages(int fromPage)
{
    g_refuseFrom = fromPage;
}

extern "C" __declspec(dllexport) LONG APIENTRY CommonPropertySheetUIW(HWND owner, PFNPROPSHEETUI callback,
                                                                      LPARAM param, LPDWORD result)
{
    StartRecord(param, result);
    Opening opening = {};
    opening.callback = callback;
    opening.info.cbSize = sizeof(opening.info);
    opening.info.Version = PROPSHEETUI_INFO_VERSION;
    opening.info.hComPropSheet = &opening;
    opening.info.pfnComPropSheet = HostCallback;
    opening.info.lParamInit = param;
    g_opening = &opening;
    QueryPerformanceCounter(&opening.started);
    g_record.initAnswer = Deliver(opening, PROPSHEETUI_REASON_INIT, 0);
    if (g_record.initAnswer <= 0) {
        for (int i = 0; i < opening.pageCount; ++i)
            DestroyPropertySheetPage(opening.pages[i]);
        g_opening = nullptr;
        return g_record.returned = ERR_CPSUI_GETLASTERROR;
    }
    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof(header);
    header.hWndParent = owner;
    Deliver(opening, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));
    RecordHeader(header);
    const bool hasPages = opening.pageCount > 0;
    if (hasPages)
        ShowSheet(opening, owner, header);
    g_record.destroyParam = opening.okPressed ? 1 : 0;
    Deliver(opening, PROPSHEETUI_REASON_DESTROY, g_record.destroyParam);
    g_opening = nullptr;
    // A sheet without pages is never shown and reports no result.
    if (!hasPages)
        return g_record.returned = ERR_CPSUI_NO_PROPSHEETPAGE;
    if (result)
        *result = static_cast<DWORD>(opening.info.Result);
    return g_record.returned = 1;
}
