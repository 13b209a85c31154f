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

// A callback the sheet serves: the caller's, or one it added for a part of
// the sheet (as the spooler adds the driver's).
struct CallbackNode {
    PFNPROPSHEETUI callback;
    PROPSHEETUI_INFO info;
    CallbackNode* parent;
};
constexpr int kMaxCallbacks = 4;

// One opening of the sheet.
struct Opening {
    CallbackNode nodes[kMaxCallbacks];
    int nodeCount;
    HPROPSHEETPAGE pages[kStandInMaxPages];
    CallbackNode* pageOwners[kStandInMaxPages];
    int pageCount;
    LARGE_INTEGER started;
    bool okPressed;
};

Opening* g_opening;

LONG_PTR CALLBACK HostCallback(HANDLE host, UINT function, LPARAM lParam1, LPARAM lParam2);

LONG Deliver(CallbackNode& node, WORD reason, LPARAM param)
{
    node.info.Reason = reason;
    const LONG answer = node.callback(&node.info, param);
    if (g_record.reasonCount < kStandInMaxReasons) {
        g_record.reasons[g_record.reasonCount] = reason;
        g_record.answers[g_record.reasonCount] = answer;
        ++g_record.reasonCount;
    }
    return answer;
}

Opening* OpeningOf(HANDLE host, CallbackNode** node)
{
    Opening* opening = g_opening;
    if (!opening)
        return nullptr;
    for (int i = 0; i < opening->nodeCount; ++i) {
        if (host == &opening->nodes[i]) {
            *node = &opening->nodes[i];
            return opening;
        }
    }
    return nullptr;
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
HANDLE PlacePage(Opening& opening, CallbackNode& owner, const PROPSHEETPAGEW* page, int index,
                 StandInPage* row)
{
    if (!page || !row || opening.pageCount >= kStandInMaxPages ||
        (g_refuseFrom >= 0 && opening.pageCount >= g_refuseFrom))
        return nullptr;
    HPROPSHEETPAGE created = CreatePropertySheetPageW(page);
    if (!created)
        return nullptr;
    if (index < 0 || index > opening.pageCount)
        index = opening.pageCount;
    for (int i = opening.pageCount; i > index; --i) {
        opening.pages[i] = opening.pages[i - 1];
        opening.pageOwners[i] = opening.pageOwners[i - 1];
    }
    opening.pages[index] = created;
    opening.pageOwners[index] = &owner;
    ++opening.pageCount;
    row->handle = created;
    return created;
}

LONG_PTR InsertPage(Opening& opening, CallbackNode& owner, LPARAM position, const INSERTPSUIPAGE_INFO* insert)
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
    return reinterpret_cast<LONG_PTR>(PlacePage(opening, owner, page, static_cast<int>(position), row));
}

CallbackNode* NewNode(Opening& opening, PFNPROPSHEETUI callback, LPARAM init, CallbackNode* parent)
{
    if (opening.nodeCount >= kMaxCallbacks)
        return nullptr;
    CallbackNode& node = opening.nodes[opening.nodeCount++];
    node.callback = callback;
    node.parent = parent;
    node.info = PROPSHEETUI_INFO{};
    node.info.cbSize = sizeof(node.info);
    node.info.Version = PROPSHEETUI_INFO_VERSION;
    node.info.hComPropSheet = &node;
    node.info.pfnComPropSheet = HostCallback;
    node.info.lParamInit = init;
    return &node;
}

// A part of the sheet with a callback of its own: it gets INIT now and
// adds its pages as the caller's callback does.
LONG_PTR AddCallback(Opening& opening, CallbackNode& parent, PFNPROPSHEETUI callback, LPARAM init)
{
    CallbackNode* node = callback ? NewNode(opening, callback, init, &parent) : nullptr;
    if (!node)
        return 0;
    if (Deliver(*node, PROPSHEETUI_REASON_INIT, 0) <= 0) {
        --opening.nodeCount;
        return 0;
    }
    return reinterpret_cast<LONG_PTR>(node);
}

CallbackNode* PageOwner(Opening& opening, HANDLE page)
{
    for (int i = 0; i < opening.pageCount; ++i)
        if (opening.pages[i] == page)
            return opening.pageOwners[i];
    return nullptr;
}

// The result goes to the callback that added the page, and from a part
// to the callback that added the part.
LONG_PTR DeliverResult(Opening& opening, CallbackNode& caller, HANDLE page, LRESULT result)
{
    CallbackNode* node = PageOwner(opening, page);
    if (!node)
        node = &caller;
    HANDLE from = page;
    for (; node; from = node, node = node->parent) {
        SETRESULT_INFO set = {sizeof(set), 0, from, result};
        const LONG answer = Deliver(*node, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&set));
        if (g_record.setResultCount < kStandInMaxPages)
            g_record.setResults[g_record.setResultCount++] = {from, result, answer};
        if (answer <= 0)
            break;
        result = node->info.Result;
    }
    if (result == CPSUI_OK)
        opening.okPressed = true;
    return 1;
}

LONG_PTR CALLBACK HostCallback(HANDLE host, UINT function, LPARAM lParam1, LPARAM lParam2)
{
    CallbackNode* node = nullptr;
    Opening* opening = OpeningOf(host, &node);
    if (!opening)
        return 0;
    switch (function) {
    case CPSFUNC_INSERT_PSUIPAGEW:
        return InsertPage(*opening, *node, lParam1, reinterpret_cast<const INSERTPSUIPAGE_INFO*>(lParam2));
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam1);
        StandInPage* row = RecordPage(function, -1, page);
        return reinterpret_cast<LONG_PTR>(PlacePage(*opening, *node, page, -1, row));
    }
    case CPSFUNC_ADD_PFNPROPSHEETUIW:
        return AddCallback(*opening, *node, reinterpret_cast<PFNPROPSHEETUI>(lParam1), lParam2);
    case CPSFUNC_SET_RESULT:
        return DeliverResult(*opening, *node, reinterpret_cast<HANDLE>(lParam1), lParam2);
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
    CallbackNode& root = *NewNode(opening, callback, param, nullptr);
    g_opening = &opening;
    QueryPerformanceCounter(&opening.started);
    g_record.initAnswer = Deliver(root, PROPSHEETUI_REASON_INIT, 0);
    if (g_record.initAnswer <= 0) {
        for (int i = 0; i < opening.pageCount; ++i)
            DestroyPropertySheetPage(opening.pages[i]);
        g_opening = nullptr;
        return g_record.returned = ERR_CPSUI_GETLASTERROR;
    }
    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof(header);
    header.hWndParent = owner;
    Deliver(root, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));
    RecordHeader(header);
    const bool hasPages = opening.pageCount > 0;
    if (hasPages)
        ShowSheet(opening, owner, header);
    g_record.destroyParam = opening.okPressed ? 1 : 0;
    // Parts first, the caller's callback last.
    for (int i = opening.nodeCount - 1; i >= 0; --i)
        Deliver(opening.nodes[i], PROPSHEETUI_REASON_DESTROY, g_record.destroyParam);
    g_opening = nullptr;
    // A sheet without pages is never shown and reports no result.
    if (!hasPages)
        return g_record.returned = ERR_CPSUI_NO_PROPSHEETPAGE;
    if (result)
        *result = static_cast<DWORD>(root.info.Result);
    return g_record.returned = 1;
}
