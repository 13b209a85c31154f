// The Basic page: showing the settings, activation, apply and help.
#include "ui/basic_page.h"

#include "core/message_format.h"
#include "core/model_queries.h"
#include "settings/devmode_bits.h"
#include "ui/basic_page_internal.h"
#include "ui/basic_rules.h"
#include "ui/context_help.h"
#include "ui/controls.h"
#include "ui/paper_choices.h"
#include "ui/preview_drawing.h"
#include "ui/sheet_session.h"

#include <commctrl.h>
#include <prsht.h>

namespace {

const int kCopiesDigits = 3;
const WORD kAdvancedBooklet = 284;   // the Advanced page's "Booklet Printing"
const SHORT kDefaultPagesPerSheet[] = {1, 2, 4};

const ControlHelp kBasicHelp[] = {
    {kIdPaperLabel, kHelpBasicPaperSize},     {kIdPaperSize, kHelpBasicPaperSize},
    {kIdMultiPageLabel, kHelpBasicMultiplePage}, {kIdMultiPage, kHelpBasicMultiplePage},
    {kIdPageOrderLabel, kHelpBasicPageOrder}, {kIdPageOrder, kHelpBasicPageOrder},
    {kIdBorderLabel, kHelpBasicBorderLine},   {kIdBorderLine, kHelpBasicBorderLine},
    {175, kHelpBasicOrientation},             {kIdPortrait, kHelpBasicOrientation},
    {kIdLandscape, kHelpBasicOrientation},    {178, kHelpBasicCopies},
    {kIdCopies, kHelpBasicCopies},            {kIdCopiesSpin, kHelpBasicCopies},
    {kIdCollate, kHelpBasicCollate},          {kIdCopiesPicture, kHelpBasicCollate},
    {182, kHelpBasicMediaType},               {kIdMediaType, kHelpBasicMediaType},
    {186, kHelpBasicFirstPage},               {kIdFirstSource, kHelpBasicFirstPage},
    {kIdOtherLabel, kHelpBasicOtherPages},    {kIdOtherSource, kHelpBasicOtherPages},
    {kIdLayoutPreview, kHelpBasicPreview},    {kIdPaperPreview, kHelpBasicPreview},
    {kIdPreviewHelp, kHelpBasicPreview},      {kIdDefaultButton, kHelpDefaultButton},
    {kIdAboutButton, kHelpAboutButton},       {0, 0},
};

// The model without trays has its own paper-size topic.
void FillHelpTable(const UiSession* session, ControlHelp (&table)[ARRAYSIZE(kBasicHelp)])
{
    const bool noTrays = session->devmode.priv.modelTrays == 0;
    for (size_t i = 0; i < ARRAYSIZE(kBasicHelp); ++i) {
        table[i] = kBasicHelp[i];
        if (noTrays && table[i].contextId == kHelpBasicPaperSize)
            table[i].contextId = kHelpBasicPaperSizeNoTrays;
    }
}

HWND Item(HWND page, WORD id)
{
    return GetDlgItem(page, id);
}

void AddListEntry(HWND combo, const WCHAR* text, LRESULT data)
{
    const LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0)
        SendMessageW(combo, CB_SETITEMDATA, item, data);
}

// The model's pages-per-sheet choices (posters are the Advanced page's).
void FillMultiPageList(HWND page, UiSession* session)
{
    HWND combo = Item(page, kIdMultiPage);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    WCHAR text[64];
    const ModelFeature* feature = FeatureOfKind(session->model, kKindMultiplePage);
    if (!feature || feature->optionCount == 0) {
        for (SHORT pages : kDefaultPagesPerSheet) {
            PagesPerSheetText(session, pages, text, ARRAYSIZE(text));
            AddListEntry(combo, text, pages);
        }
        return;
    }
    for (uint32_t i = 0; i < feature->optionCount; ++i) {
        const int32_t pages = OptionValueNumber(&feature->options[i]);
        if (pages < 1)
            continue;
        PagesPerSheetText(session, static_cast<SHORT>(pages), text, ARRAYSIZE(text));
        AddListEntry(combo, text, pages);
    }
}

void FillMediaList(HWND page, UiSession* session)
{
    HWND combo = Item(page, kIdMediaType);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const ModelFeature* feature = FeatureOfKind(session->model, kKindMediaType);
    if (!feature)
        return;
    for (uint32_t i = 0; i < feature->optionCount; ++i) {
        WCHAR text[64];
        MediaOptionText(feature->options[i], text, ARRAYSIZE(text));
        AddListEntry(combo, text, OptionValueNumber(&feature->options[i]));
    }
}

void FillBorderList(HWND page, UiSession* session)
{
    HWND combo = Item(page, kIdBorderLine);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int code = 0; code < 3; ++code) {
        WCHAR text[64];
        LoadPageString(session, kStrBorderFirst + code, text, ARRAYSIZE(text));
        AddListEntry(combo, text, code);
    }
}

bool IsLandscape(const UiSession* session)
{
    return session->devmode.pub.dmOrientation == DMORIENT_LANDSCAPE;
}

WORD& MediaFieldOf(UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    return session->devmode.pub.dmPaperSize == DMPAPER_JAPANESE_POSTCARD ? priv.postcardMediaType
                                                                           : priv.mediaType;
}

void SelectOrFirst(HWND combo, LRESULT value)
{
    if (!SelectComboByData(combo, value))
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// The paper list's selection for dmPaperSize; a size the list lacks falls
// back to the user-defined entry (for saved sizes) or the first entry.
void SelectPaper(HWND page, UiSession* session)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    HWND combo = Item(page, kIdPaperSize);
    if (!SelectComboByData(combo, pub.dmPaperSize)) {
        // An empty list (the papers could not be read) keeps the size.
        const short kept = pub.dmPaperSize;
        if (!IsUserPaper(kept) || !SelectComboByData(combo, kUserDefinedPaper))
            SendMessageW(combo, CB_SETCURSEL, 0, 0);
        pub.dmPaperSize = static_cast<short>(SelectedComboData(combo, kept));
    }
    priv.paperSizeCopy = static_cast<WORD>(pub.dmPaperSize);
    if (IsOversizePaper(pub.dmPaperSize))
        priv.scaling = kScalingFitPaper;
}

void CorrectOpeningSettings(UiSession* session)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    if (pub.dmCopies < 1)
        pub.dmCopies = 1;
    // The record says which of its two collate fields the application set.
    if (priv.useDevmodeCollate)
        priv.processor.procCollate = static_cast<BYTE>(pub.dmCollate);
    else
        pub.dmCollate = priv.processor.procCollate;
    priv.collate = priv.processor.procCollate;
    if ((priv.scalingSize < 25 || priv.scalingSize > 400) &&
        (priv.scaleFlag & kScaleFlagFollowsDmScale) == kScaleFlagFollowsDmScale)
        priv.scalingSize = 100;
}

// A page opened after the Advanced page tells it that booklet printing is
// off, so its duplex controls show the same.
void TellAdvancedBookletState(UiSession* session)
{
    HWND advanced = SheetOf(session)->advancedWindow;
    if (!advanced || (session->devmode.priv.booklet & kBookletOn))
        return;
    CheckDlgButton(advanced, kAdvancedBooklet, BST_UNCHECKED);
    InvalidateRect(advanced, nullptr, FALSE);
}

void InitBasicPage(HWND page, const PROPSHEETPAGEW* sheetPage)
{
    auto* session = reinterpret_cast<UiSession*>(sheetPage->lParam);
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    if (!IsUiSession(session))
        return;
    SheetOf(session)->basicWindow = page;
    TellAdvancedBookletState(session);
    SendDlgItemMessageW(page, kIdCopies, EM_LIMITTEXT, kCopiesDigits, 0);
    CorrectOpeningSettings(session);
    FillBasicLists(page, session);
    ShowBasicSettings(page, session);
    PlacePaperPreview(page, session);
    if (!SheetOf(session)->hasPermission)
        EnableWindow(Item(page, kIdDefaultButton), FALSE);
}

void DestroyBasicPage(HWND page)
{
    UiSession* session = BasicSessionOf(page);
    if (!session)
        return;
    if (SheetOf(session)->basicWindow == page)
        SheetOf(session)->basicWindow = nullptr;
    CloseHelpWindows(session);
}

void OnSetActive(HWND page, UiSession* session)
{
    SheetSession* sheet = SheetOf(session);
    const DWORD refresh = sheet->basicRefresh;
    if (refresh & kBasicRebuildPaper) {
        FillPaperCombo(Item(page, kIdPaperSize), session);
        SelectPaper(page, session);
    }
    if (refresh & kBasicRedrawPreviews)
        RedrawPreviews(page);
    sheet->basicRefresh = refresh & ~(kBasicRedrawPreviews | kBasicRebuildPaper);
    EnableLayoutControls(page, session);
    EnableOtherSource(page, session);
}

INT_PTR OnBasicNotify(HWND page, UiSession* session, const NMHDR* header)
{
    switch (header->code) {
    case PSN_SETACTIVE:
        OnSetActive(page, session);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_APPLY:
        ReportPageApplied(session, kSlotBasic);
        SaveRequestedProfile(session);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_RESET:
        CloseHelpWindows(session);
        return FALSE;
    case PSN_HELP:
        ShowHelpTopic(session, page, BasicPageHelpContext(session));
        return TRUE;
    default:
        return FALSE;
    }
}

// The summary is blue on whatever the page is painted with (a theme may
// paint pages differently from the dialog colour), so it draws no
// background of its own; a new text erases the old through the page.
INT_PTR OnColourStatic(HDC dc, HWND control)
{
    if (GetDlgCtrlID(control) != kIdBasicSummary)
        return FALSE;
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void SetSummaryText(HWND page, const WCHAR* text)
{
    HWND summary = Item(page, kIdBasicSummary);
    SetWindowTextW(summary, text);
    RECT area;
    GetWindowRect(summary, &area);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(page, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace

void PagesPerSheetText(const UiSession* session, SHORT pages, WCHAR* text, int capacity)
{
    switch (pages) {
    case 1: LoadPageString(session, kStrNormal, text, capacity); break;
    case 2: LoadPageString(session, kStrTwoInOne, text, capacity); break;
    case 4: LoadPageString(session, kStrFourInOne, text, capacity); break;
    default: {
        WCHAR format[64];
        LoadPageString(session, kStrNInOne, format, ARRAYSIZE(format));
        FormatDriverMessage(text, capacity, format, static_cast<int>(pages));
        break;
    }
    }
}

void MediaOptionText(const ModelOption& option, WCHAR* text, int capacity)
{
    const char* name = option.translation ? option.translation : option.keyword;
    text[0] = L'\0';
    if (name && MultiByteToWideChar(CP_ACP, 0, name, -1, text, capacity - 1) <= 0)
        text[0] = L'\0';
    text[capacity - 1] = L'\0';
}

DWORD BasicPageHelpContext(const UiSession* session)
{
    return session->devmode.priv.modelTrays == 0 ? kHelpBasicPageNoTrays : kHelpBasicPage;
}

UiSession* BasicSessionOf(HWND page)
{
    auto* session = reinterpret_cast<UiSession*>(GetWindowLongPtrW(page, DWLP_USER));
    return IsUiSession(session) ? session : nullptr;
}

BOOL AskPage(HWND page, const UiSession* session, UINT titleId, const WCHAR* text, UINT style)
{
    WCHAR label[128], title[128];
    LoadPageString(session, titleId, label, ARRAYSIZE(label));
    TitleFromLabel(label, title, ARRAYSIZE(title));
    return MessageBoxW(page, text, title, style) == IDOK;
}

void FillBasicLists(HWND page, UiSession* session)
{
    FillPaperCombo(Item(page, kIdPaperSize), session);
    FillMultiPageList(page, session);
    FillBorderList(page, session);
    FillMediaList(page, session);
    FillSourceCombo(Item(page, kIdFirstSource), session);
    FillSourceCombo(Item(page, kIdOtherSource), session);
}

// Two pages per sheet offer the two orders of the orientation; every other
// layout the four reading orders.
void FillPageOrderList(HWND page, UiSession* session)
{
    const SHORT pages = session->devmode.priv.multiPage;
    const bool landscape = IsLandscape(session);
    HWND combo = Item(page, kIdPageOrder);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    struct Entry { UINT text; BYTE code; };
    const Entry reading[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
    const Entry portraitTwoUp[] = {{4, 0}, {5, 2}};
    const Entry landscapeTwoUp[] = {{6, 0}, {7, 4}};
    const Entry* entries = reading;
    size_t count = ARRAYSIZE(reading);
    if (pages == 2) {
        entries = landscape ? landscapeTwoUp : portraitTwoUp;
        count = 2;
    }
    for (size_t i = 0; i < count; ++i) {
        WCHAR text[64];
        LoadPageString(session, kStrPageOrderFirst + entries[i].text, text, ARRAYSIZE(text));
        AddListEntry(combo, text, entries[i].code);
    }
    SelectOrFirst(combo, ShownPageOrder(pages, session->devmode.priv.processor.pageOrder, landscape));
}

void ShowCopies(HWND page, UiSession* session)
{
    const short copies = session->devmode.pub.dmCopies;
    SetDlgItemInt(page, kIdCopies, copies, FALSE);
    SendDlgItemMessageW(page, kIdCopiesSpin, kSpinSetPosition, copies, 0);
    EnableWindow(Item(page, kIdCollate), copies >= 2 && SheetOf(session)->hasPermission);
}

void ShowBasicSettings(HWND page, UiSession* session)
{
    const DEVMODEW& pub = session->devmode.pub;
    const PrivateSettings& priv = session->devmode.priv;
    SelectPaper(page, session);
    SelectOrFirst(Item(page, kIdMultiPage), priv.multiPage);
    FillPageOrderList(page, session);
    SelectOrFirst(Item(page, kIdBorderLine), priv.processor.multiLine);
    CheckRadioButton(page, kIdPortrait, kIdLandscape, IsLandscape(session) ? kIdLandscape : kIdPortrait);
    ShowCopies(page, session);
    CheckDlgButton(page, kIdCollate, priv.collate ? BST_CHECKED : BST_UNCHECKED);
    SelectOrFirst(Item(page, kIdMediaType), MediaFieldOf(session));
    SelectOrFirst(Item(page, kIdFirstSource), pub.dmDefaultSource);
    SelectOrFirst(Item(page, kIdOtherSource), priv.anotherTray);
    EnableLayoutControls(page, session);
    EnableOtherSource(page, session);
    ShowScalingSummary(page, session);
    RedrawPreviews(page);
}

void EnableLayoutControls(HWND page, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    const BOOL allowed = SheetOf(session)->hasPermission != 0;
    const BOOL multiPage = allowed && !(priv.booklet & kBookletOn);
    const BOOL layout = multiPage && priv.multiPage >= 2;
    const WORD multiPageIds[] = {kIdMultiPageLabel, kIdMultiPage};
    const WORD layoutIds[] = {kIdPageOrderLabel, kIdPageOrder, kIdBorderLabel, kIdBorderLine};
    for (WORD id : multiPageIds)
        EnableWindow(Item(page, id), multiPage);
    for (WORD id : layoutIds)
        EnableWindow(Item(page, id), layout);
}

void EnableOtherSource(HWND page, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    const bool bookletOff = !(priv.booklet & kBookletOn);
    const bool paperAllows = session->devmode.pub.dmPaperSize != kUserDefinedPaper ||
                             (priv.modelFeatures & (1u << 24)) != 0;
    const bool allowed = SheetOf(session)->hasPermission != 0;
    EnableWindow(Item(page, kIdOtherSource), bookletOff && allowed);
    EnableWindow(Item(page, kIdOtherLabel), bookletOff && paperAllows && allowed);
}

void ShowScalingSummary(HWND page, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    WCHAR label[64] = {}, detail[64] = {};
    if (priv.scaling == kScalingFitPaper) {
        WCHAR raw[64];
        LoadPageString(session, kStrFitToPaper, raw, ARRAYSIZE(raw));
        TitleFromLabel(raw, label, ARRAYSIZE(label));
    } else if (priv.scaling == kScalingFree) {
        WCHAR format[64];
        LoadPageString(session, kStrScalingPercent, format, ARRAYSIZE(format));
        FormatDriverMessage(detail, ARRAYSIZE(detail), format, static_cast<int>(priv.scalingSize));
    }
    SetDlgItemTextW(page, kIdScalingSummary, label);
    SetDlgItemTextW(page, kIdScalingDetail, detail);
    WCHAR paper[64] = {};
    HWND combo = Item(page, kIdPaperSize);
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && SendMessageW(combo, CB_GETLBTEXTLEN, selected, 0) < LRESULT(ARRAYSIZE(paper)))
        SendMessageW(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(paper));
    SetSummaryText(page, paper);
}

void NoteChange(HWND page)
{
    PropSheet_Changed(GetParent(page), page);
    RedrawPreviews(page);
}

void RedrawPreviews(HWND page)
{
    const WORD previews[] = {kIdLayoutPreview, kIdCopiesPicture, kIdPaperPreview};
    for (WORD id : previews)
        InvalidateRect(Item(page, id), nullptr, FALSE);
}

void BasicTurnBookletOff(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    priv.booklet &= ~kBookletOn;
    priv.multiPage = priv.bookletMultiPage;
    priv.processor.procPagesPerSheet = priv.multiPage < 1 ? priv.multiPage : 1;
    if (HWND advanced = SheetOf(session)->advancedWindow) {
        CheckDlgButton(advanced, kAdvancedBooklet, BST_UNCHECKED);
        PostMessageW(advanced, WM_COMMAND, MAKEWPARAM(kAdvancedBooklet, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(advanced, kAdvancedBooklet)));
    }
    SelectOrFirst(Item(page, kIdMultiPage), priv.multiPage);
    FillPageOrderList(page, session);
    EnableLayoutControls(page, session);
    EnableOtherSource(page, session);
}

INT_PTR CALLBACK BasicPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        InitBasicPage(page, reinterpret_cast<const PROPSHEETPAGEW*>(lParam));
        return TRUE;
    }
    if (message == WM_DESTROY) {
        DestroyBasicPage(page);
        return FALSE;
    }
    UiSession* session = BasicSessionOf(page);
    if (!session)
        return FALSE;
    ControlHelp help[ARRAYSIZE(kBasicHelp)];
    FillHelpTable(session, help);
    if (HandleContextHelp(session, page, message, wParam, lParam, help))
        return TRUE;
    switch (message) {
    case WM_COMMAND:
        OnBasicCommand(page, session, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_VSCROLL:
        OnCopiesSpin(page, session, reinterpret_cast<HWND>(lParam), wParam);
        return TRUE;
    case WM_DRAWITEM:
        return DrawBasicPreview(page, session, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_SETCURSOR:
        if (!SetPreviewCursor(page, session, reinterpret_cast<HWND>(wParam)))
            return FALSE;
        SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnBasicNotify(page, session, reinterpret_cast<const NMHDR*>(lParam));
    default:
        return FALSE;
    }
}
