// Help for the pages and dialogs through HTML Help, loaded when first
// needed: a sheet that is never asked for help never loads it.
#include "ui/context_help.h"

#include "ui/sheet_session.h"

#include <algorithm>
#include <cwchar>

namespace {

struct HelpTopic {
    DWORD contextId;
    const WCHAR* path;
};

// Context 272 (the Basic page of a model without trays) has no topic.
const HelpTopic kHelpTopics[] = {
    {kHelpBasicPaperSizeNoTrays, L"html/bs_paper_size.htm#notray"},
    {kHelpBasicPage, L"html/idx_basic_setup.htm"},
    {kHelpBasicMultiplePage, L"html/bs_multiple_page.htm"},
    {kHelpBasicPageOrder, L"html/bs_multiple_page.htm#order"},
    {kHelpBasicBorderLine, L"html/bs_multiple_page.htm#border"},
    {kHelpBasicOrientation, L"html/bs_orientation.htm"},
    {kHelpBasicCopies, L"html/bs_copies.htm"},
    {kHelpBasicCollate, L"html/bs_copies.htm#collate"},
    {kHelpBasicMediaType, L"html/bs_media_type.htm"},
    {kHelpBasicFirstPage, L"html/bs_paper_source.htm"},
    {kHelpBasicOtherPages, L"html/bs_paper_source.htm#other"},
    {kHelpBasicPreview, L"html/bs_preview.htm"},
    {kHelpUserDefinedSize, L"html/bs_user_defined_size.htm"},
    {kHelpDefaultButton, L"html/cm_default.htm"},
    {kHelpAboutButton, L"html/cm_about.htm"},
    {kHelpPageSetting, L"html/as_page_setting.htm"},
    {kHelpScaling, L"html/as_page_setting.htm#scaling"},
    {kHelpMirrorReverse, L"html/as_page_setting.htm#mirror"},
    {kHelpFitToPaperSize, L"html/as_page_setting.htm#fit"},
    {kHelpPrintQuality, L"html/as_print_quality.htm"},
    {kHelpResolution, L"html/as_print_quality.htm#resolution"},
    {kHelpTonerSave, L"html/as_print_quality.htm#toner"},
    {kHelpPrintSetting, L"html/as_quality_psetting.htm"},
    {kHelpManualSetting, L"html/as_quality_psetting_manual.htm"},
    {kHelpDuplex, L"html/as_duplex.htm"},
    {kHelpBooklet, L"html/as_duplex.htm#booklet"},
    {kHelpDuplexType, L"html/as_duplex.htm#type"},
    {kHelpBindingOffset, L"html/as_duplex.htm#offset"},
    {kHelpWatermark, L"html/as_watermark.htm"},
    {kHelpWatermarkList, L"html/as_watermark.htm#list"},
    {kHelpWatermarkPages, L"html/as_watermark.htm#pages"},
    {kHelpWatermarkEditor, L"html/as_overlay_wmark.htm"},
    {kHelpDeviceOptions, L"html/as_device_options.htm"},
    {kHelpJobSpooling, L"html/as_device_spooling.htm"},
    {kHelpQuickPrintSetup, L"html/as_device_quick_setup.htm"},
    {kHelpSleepTime, L"html/as_device_sleep.htm"},
    {kHelpStatusMonitor, L"html/as_device_status_monitor.htm"},
    {kHelpMacro, L"html/as_device_macro.htm"},
    {kHelpPageProtection, L"html/as_device_page_protect.htm"},
    {kHelpHeaderFooter, L"html/as_device_header_footer.htm"},
    {kHelpDensity, L"html/as_device_density.htm"},
    {kHelpHrc, L"html/as_device_hrc.htm"},
    {kHelpErrorPrintout, L"html/as_device_error_print.htm"},
    {kHelpImproveOutput, L"html/as_device_improve.htm"},
    {kHelpXpsSetting, L"html/as_device_xps.htm"},
    {kHelpMacroSetting, L"html/as_device_macro_setting.htm"},
    {kHelpHeaderFooterSetting, L"html/as_device_header_footer_setting.htm"},
    {kHelpQuickSetupItems, L"html/as_device_quick_setup.htm#items"},
    {kHelpDestination, L"html/as_destination.htm"},
    {kHelpTraySettings, L"html/idx_accessories.htm"},
    {kHelpTrayPaperSource, L"html/ac_paper_source.htm"},
    {kHelpTrayAutoDetect, L"html/ac_paper_source.htm#detect"},
    {kHelpTrayMemory, L"html/ac_memory.htm"},
    {kHelpTraySerialNumber, L"html/ac_memory.htm#serial"},
    {kHelpSupport, L"html/idx_web_support.htm"},
    {kHelpSupportLinks, L"html/ws_links.htm"},
    {kHelpSupportSummary, L"html/ws_settings.htm"},
    {kHelpBasicPaperSize, L"html/bs_paper_size.htm"},
};
static_assert(ARRAYSIZE(kHelpTopics) <= 60, "the topic table's size");

const WCHAR kHelpWindowType[] = L">sub";
const WCHAR kHelpMenu[] = L"MYPOPUP";
const UINT kHelpMenuItem = 5001;
const UINT kHelpMenuLabel = 5000;
const int kHelpWindowMargin = 5;

// HtmlHelpW commands and the one structure they need.
const UINT kHhDisplayTopic = 0x0000;
const UINT kHhCloseAll = 0x0012;
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// HTML Help stays loaded once loaded: its windows outlive the page that
// opened them until they are closed.
HMODULE g_htmlHelp;
HtmlHelpFn g_htmlHelpFn;

HtmlHelpFn HtmlHelp()
{
    if (!g_htmlHelpFn) {
        if (!g_htmlHelp)
            g_htmlHelp = LoadLibraryW(L"hhctrl.ocx");
        if (g_htmlHelp)
            g_htmlHelpFn = reinterpret_cast<HtmlHelpFn>(
                reinterpret_cast<void*>(GetProcAddress(g_htmlHelp, "HtmlHelpW")));
    }
    return g_htmlHelpFn;
}

// One third of the desktop, centred horizontally on the cursor and starting
// at its height, kept inside the desktop.
void PlaceHelpWindow(HWND window)
{
    RECT desktop;
    POINT cursor;
    if (!window || !SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0) || !GetCursorPos(&cursor))
        return;
    const LONG width = (desktop.right - desktop.left) / 3;
    const LONG height = (desktop.bottom - desktop.top) / 3;
    LONG left = cursor.x - width / 2;
    LONG top = cursor.y;
    left = std::max(desktop.left + kHelpWindowMargin,
                    std::min(left, desktop.right - kHelpWindowMargin - width));
    top = std::max(desktop.top + kHelpWindowMargin,
                   std::min(top, desktop.bottom - kHelpWindowMargin - height));
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND OpenTopic(UiSession* session, HWND owner, DWORD contextId)
{
    const WCHAR* topic = HelpTopicOf(contextId);
    if (!topic || !session->helpFile || !FileExists(session->helpFile))
        return nullptr;
    HtmlHelpFn htmlHelp = HtmlHelp();
    if (!htmlHelp)
        return nullptr;
    WCHAR path[MAX_PATH * 2];
    if (swprintf(path, ARRAYSIZE(path), L"%ls::/%ls%ls", session->helpFile, topic, kHelpWindowType) < 0)
        return nullptr;
    HWND window = htmlHelp(owner, path, kHhDisplayTopic, 0);
    PlaceHelpWindow(window);
    return window;
}

DWORD ContextOfControl(const ControlHelp* table, int controlId)
{
    for (; table && table->controlId; ++table) {
        if (table->controlId == static_cast<DWORD>(controlId))
            return table->contextId;
    }
    return 0;
}

BOOL ShowControlHelp(UiSession* session, HWND dialog, int controlId, const ControlHelp* table)
{
    const DWORD context = ContextOfControl(table, controlId);
    if (!context)
        return FALSE;
    HWND window = OpenTopic(session, dialog, context);
    if (window)
        SheetOf(session)->contextHelpWindow = window;
    return window != nullptr;
}

// The menu's label: the language's text of "Help" up to an opening
// parenthesis (where some languages repeat the accelerator).
void LabelHelpItem(HMENU menu, HMODULE strings)
{
    WCHAR label[64];
    if (!strings || LoadStringW(strings, kHelpMenuLabel, label, ARRAYSIZE(label)) <= 0)
        return;
    if (WCHAR* parenthesis = wcschr(label, L'('))
        *parenthesis = L'\0';
    ModifyMenuW(menu, kHelpMenuItem, MF_BYCOMMAND | MF_STRING, kHelpMenuItem, label);
}

// The control of dialog under the screen point, or null.
int ControlUnderPoint(HWND dialog, POINT screen)
{
    POINT client = screen;
    ScreenToClient(dialog, &client);
    HWND child = ChildWindowFromPointEx(dialog, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    return child && child != dialog ? GetDlgCtrlID(child) : 0;
}

BOOL OfferHelpMenu(UiSession* session, HWND dialog, HWND clicked, LPARAM position,
                   const ControlHelp* table)
{
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    // A context menu from the keyboard has no position: use the control's.
    if (position == static_cast<LPARAM>(-1) || (point.x == -1 && point.y == -1)) {
        RECT rect;
        GetWindowRect(clicked, &rect);
        point = {rect.left, rect.top};
    }
    int controlId = clicked && clicked != dialog ? GetDlgCtrlID(clicked) : 0;
    if (!ContextOfControl(table, controlId))
        controlId = ControlUnderPoint(dialog, point);
    if (!ContextOfControl(table, controlId))
        return TRUE;

    HMODULE strings = SheetOf(session)->languageModule;
    HMENU menu = strings ? LoadMenuW(strings, kHelpMenu) : nullptr;
    if (!menu)
        return TRUE;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup) {
        LabelHelpItem(popup, strings);
        const UINT chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                           point.x, point.y, 0, dialog, nullptr);
        if (chosen == kHelpMenuItem)
            ShowControlHelp(session, dialog, controlId, table);
    }
    DestroyMenu(menu);
    return TRUE;
}

} // namespace

const WCHAR* HelpTopicOf(DWORD contextId)
{
    for (const HelpTopic& topic : kHelpTopics) {
        if (topic.contextId == contextId)
            return topic.path;
    }
    return nullptr;
}

BOOL ShowHelpTopic(UiSession* session, HWND owner, DWORD contextId)
{
    if (!IsUiSession(session))
        return FALSE;
    HWND window = OpenTopic(session, owner, contextId);
    if (window)
        SheetOf(session)->helpWindow = window;
    return window != nullptr;
}

BOOL HandleContextHelp(UiSession* session, HWND dialog, UINT message, WPARAM wParam,
                       LPARAM lParam, const ControlHelp* table)
{
    if (message != WM_HELP && message != WM_CONTEXTMENU)
        return FALSE;
    if (!IsUiSession(session))
        return TRUE;
    if (message == WM_HELP) {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (info && info->iContextType == HELPINFO_WINDOW)
            ShowControlHelp(session, dialog, info->iCtrlId, table);
        return TRUE;
    }
    return OfferHelpMenu(session, dialog, reinterpret_cast<HWND>(wParam), lParam, table);
}

void CloseHelpWindows(UiSession* session)
{
    if (!IsUiSession(session))
        return;
    SheetSession* sheet = SheetOf(session);
    if (!sheet->helpWindow && !sheet->contextHelpWindow)
        return;
    if (HtmlHelpFn htmlHelp = HtmlHelp())
        htmlHelp(nullptr, nullptr, kHhCloseAll, 0);
    sheet->helpWindow = nullptr;
    sheet->contextHelpWindow = nullptr;
}
