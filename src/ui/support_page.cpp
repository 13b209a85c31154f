// The Support page and the About dialog.
#include "ui/support_page.h"

#include "core/spooler_info.h"
#include "lifecycle/companion_programs.h"
#include "lifecycle/web_links.h"
#include "resources/resource_ids.h"
#include "ui/context_help.h"
#include "ui/preview_drawing.h"
#include "ui/settings_summary.h"
#include "ui/settings_page_print.h"
#include "ui/sheet_session.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

const UINT kVersionWordId = 4224;
const UINT kDatePatternId = 4299;
const UINT kMonthNameBase = 14006;   // + month number
const UINT kLanguageCodeId = 4223;
const UINT kModelCodeId = 4226;      // model module
const UINT kSuppliesQueryId = 4235;  // model module
const UINT kModelTextIds[] = {13520, 13521, 13522};
const WORD kModelTextControls[] = {kIdModelName, kIdNoticeLine, kIdRightsLine};
const WORD kTransparentStatics[] = {478, 479, 482, 483, 484, 485, 505};

const ControlHelp kSupportControlHelp[] = {
    {kIdSupportSite, kHelpSupportLinks},   {kIdPrintSettings, kHelpSupportLinks},
    {kIdPrintFonts, kHelpSupportLinks},    {kIdCheckSetting, kHelpSupportSummary},
    {kIdSuppliesSite, kHelpSupportLinks},  {0, 0},
};

const SYSTEMTIME kBuildDate = {2009, 4, 0, 3, 0, 0, 0, 0};

struct DateToken {
    const WCHAR* text;
    enum { kYear, kShortYear, kMonthName, kMonth, kDay } field;
    const WCHAR* format;
};
// Longest first, so that "*yyyy*" is not read as "*y*" and text.
const DateToken kDateTokens[] = {
    {L"*yyyy*", DateToken::kYear, L"%04d"},
    {L"*yy*", DateToken::kShortYear, L"%02d"},
    {L"*y*", DateToken::kShortYear, L"%d"},
    {L"*MMM*", DateToken::kMonthName, L"%ls"},
    {L"*MM*", DateToken::kMonth, L"%02d"},
    {L"*M*", DateToken::kMonth, L"%d"},
    {L"*dd*", DateToken::kDay, L"%02d"},
    {L"*d*", DateToken::kDay, L"%d"},
};

int TokenValue(const DateToken& token, const SYSTEMTIME& date)
{
    switch (token.field) {
    case DateToken::kYear: return date.wYear;
    case DateToken::kShortYear: return date.wYear % 100;
    case DateToken::kMonth: return date.wMonth;
    default: return date.wDay;
    }
}

UiSession* SessionOfPage(HWND page)
{
    auto* session = reinterpret_cast<UiSession*>(GetWindowLongPtrW(page, DWLP_USER));
    return IsUiSession(session) ? session : nullptr;
}

void SetModelTexts(HWND page, const SheetSession* sheet)
{
    for (size_t i = 0; i < ARRAYSIZE(kModelTextIds); ++i) {
        WCHAR text[256];
        if (sheet->modelResources && LoadStringW(sheet->modelResources, kModelTextIds[i], text, 256) > 0)
            SetDlgItemTextW(page, kModelTextControls[i], text);
    }
}

void SetIdentityTexts(HWND window, const UiSession* session)
{
    WCHAR text[128];
    FormatVersionText(SheetOf(session)->languageModule,
                      session->devmode.pub.dmDriverVersion, text, ARRAYSIZE(text));
    SetDlgItemTextW(window, kIdVersionText, text);
    FormatBuildDate(SheetOf(session)->languageModule, text, ARRAYSIZE(text));
    SetDlgItemTextW(window, kIdBuildDate, text);
}

// A bitmap of the model's resource module in a picture static, which owns
// it until ReleasePicture; a missing bitmap leaves the static empty.
void ShowPicture(HWND window, int controlId, HMODULE module, WORD bitmapId)
{
    if (!module)
        return;
    auto* picture = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!picture)
        return;
    auto* previous = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(
        window, controlId, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous)
        DeleteObject(previous);
}

void ReleasePicture(HWND window, int controlId)
{
    auto* picture = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(window, controlId, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (picture)
        DeleteObject(picture);
}

void InitSupportPage(HWND page, const PROPSHEETPAGEW* sheetPage)
{
    auto* session = reinterpret_cast<UiSession*>(sheetPage->lParam);
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    if (!IsUiSession(session))
        return;
    for (WORD id = kIdSupportSite; id <= kIdCheckSetting; ++id) {
        HWND button = GetDlgItem(page, id);
        SetWindowLongPtrW(button, GWL_STYLE,
                          (GetWindowLongPtrW(button, GWL_STYLE) & ~BS_TYPEMASK) | BS_OWNERDRAW);
    }
    SetIdentityTexts(page, session);
    SetModelTexts(page, SheetOf(session));
    ShowPicture(page, kIdLogo, SheetOf(session)->modelResources, IDB_MAKER_LOGO);
    ShowPicture(page, kIdModelPicture, SheetOf(session)->modelResources, IDB_MODEL_PICTURE);
    EnableWindow(GetDlgItem(page, kIdSuppliesSite), SheetOf(session)->hasPermission != 0);
}

void OpenAddress(const WCHAR* address)
{
    ShellExecuteW(nullptr, L"open", address, nullptr, L"C:\\", SW_SHOW);
}

void OpenSupportSite(const SheetSession* sheet)
{
    WCHAR model[64], language[16], address[512];
    if (LoadStringW(sheet->modelResources, kModelCodeId, model, ARRAYSIZE(model)) <= 0 ||
        LoadStringW(sheet->languageModule, kLanguageCodeId, language, ARRAYSIZE(language)) <= 0)
        return;
    if (BuildSupportSiteAddress(model, language, address, ARRAYSIZE(address)))
        OpenAddress(address);
}

void OpenSuppliesSite(const SheetSession* sheet)
{
    WCHAR query[256], country[16], language[16], address[512];
    if (LoadStringW(sheet->modelResources, kSuppliesQueryId, query, ARRAYSIZE(query)) <= 0)
        return;
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVCTRYNAME, country, ARRAYSIZE(country));
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, language, ARRAYSIZE(language));
    if (BuildSuppliesSiteAddress(query, country, language, address, ARRAYSIZE(address)))
        OpenAddress(address);
}

// The accelerator buttons stand for the picture buttons, which cannot
// carry a mnemonic of their own.
void ClickPictureButton(HWND page, WORD pictureId)
{
    HWND button = GetDlgItem(page, pictureId);
    if (!button || !IsWindowEnabled(button))
        return;
    SetFocus(button);
    SendMessageW(button, BM_CLICK, 0, 0);
}

void OnSupportCommand(HWND page, UiSession* session, WORD id)
{
    const SheetSession* sheet = SheetOf(session);
    switch (id) {
    case kIdSupportSite: OpenSupportSite(sheet); break;
    case kIdPrintSettings: PrintSettingsPage(session->printer); break;
    case kIdCheckSetting: ShowSettingsSummary(page, session); break;
    case kIdSuppliesSite: OpenSuppliesSite(sheet); break;
    default:
        if (id >= kIdSupportSiteKey && id <= kIdCheckSettingKey)
            ClickPictureButton(page, static_cast<WORD>(kIdSupportSite + id - kIdSupportSiteKey));
        break;
    }
}

// The picture buttons show their caption in a button frame; the pressed
// state sinks the frame.
void DrawPictureButton(const DRAWITEMSTRUCT* item)
{
    DrawFramedCaption(item, 0, (item->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT,
                      DT_SINGLELINE);
}

bool IsTransparentStatic(HWND control)
{
    const int id = GetDlgCtrlID(control);
    for (WORD transparent : kTransparentStatics)
        if (id == transparent)
            return true;
    return false;
}

INT_PTR OnSupportNotify(HWND page, UiSession* session, const NMHDR* header)
{
    switch (header->code) {
    case PSN_APPLY:
        ReportPageApplied(session, kSlotSupport);
        SaveRequestedProfile(session);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_HELP:
        ShowHelpTopic(session, page, kHelpSupport);
        return TRUE;
    case PSN_RESET:
        CloseHelpWindows(session);
        return FALSE;
    default:
        return FALSE;
    }
}

void FillFileVersions(HWND dialog, UiSession* session)
{
    const size_t capacity = 4096;
    auto* list = static_cast<WCHAR*>(HeapAlloc(session->heap, 0, capacity * sizeof(WCHAR)));
    if (!list)
        return;
    if (BuildPackageVersionList(session->printer, session, list, capacity))
        SetDlgItemTextW(dialog, kIdFileVersions, list);
    HeapFree(session->heap, 0, list);
}

void InitAboutDialog(HWND dialog, const PROPSHEETPAGEW* sheetPage)
{
    auto* session = reinterpret_cast<UiSession*>(sheetPage->lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    if (!IsUiSession(session))
        return;
    const WCHAR* device = session->devmode.pub.dmDeviceName;
    const bool isPage = (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    if (!isPage)
        SetWindowTextW(dialog, device);
    else
        ShowWindow(GetDlgItem(dialog, IDOK), SW_HIDE);   // the sheet has its own buttons
    SetDlgItemTextW(dialog, kIdDeviceName, device);
    SetIdentityTexts(dialog, session);
    ShowPicture(dialog, kIdLogo, SheetOf(session)->modelResources, IDB_MAKER_LOGO);
    // File names are at most 12 characters: the versions line up after them.
    const DWORD tabStop = 70;
    SendDlgItemMessageW(dialog, kIdFileVersions, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    FillFileVersions(dialog, session);
}

} // namespace

void FormatVersionText(HMODULE strings, WORD driverVersion, WCHAR* text, size_t capacity)
{
    WCHAR word[64];
    if (!strings || LoadStringW(strings, kVersionWordId, word, ARRAYSIZE(word)) <= 0)
        lstrcpyW(word, L"Version");
    swprintf(text, capacity, L"%ls %u.%02u", word, HIBYTE(driverVersion), LOBYTE(driverVersion));
}

void ExpandDatePattern(const WCHAR* pattern, const SYSTEMTIME& date, const WCHAR* monthName,
                       WCHAR* text, size_t capacity)
{
    size_t used = 0;
    text[0] = L'\0';
    while (*pattern && used + 1 < capacity) {
        const DateToken* token = nullptr;
        for (const DateToken& candidate : kDateTokens) {
            if (wcsncmp(pattern, candidate.text, wcslen(candidate.text)) == 0) {
                token = &candidate;
                break;
            }
        }
        if (!token) {
            text[used++] = *pattern++;
            text[used] = L'\0';
            continue;
        }
        int written = token->field == DateToken::kMonthName
            ? swprintf(text + used, capacity - used, token->format, monthName ? monthName : L"")
            : swprintf(text + used, capacity - used, token->format, TokenValue(*token, date));
        if (written < 0)
            break;
        used += written;
        pattern += wcslen(token->text);
    }
}

void FormatBuildDate(HMODULE strings, WCHAR* text, size_t capacity)
{
    WCHAR pattern[128], monthName[32];
    const bool haveMonth =
        strings && LoadStringW(strings, kMonthNameBase + kBuildDate.wMonth, monthName, ARRAYSIZE(monthName)) > 0;
    if (strings && LoadStringW(strings, kDatePatternId, pattern, ARRAYSIZE(pattern)) > 0) {
        ExpandDatePattern(pattern, kBuildDate, haveMonth ? monthName : nullptr, text, capacity);
        return;
    }
    if (haveMonth)
        swprintf(text, capacity, L"%02d / %02d %ls %d", kBuildDate.wMonth, kBuildDate.wDay, monthName,
                 kBuildDate.wYear);
    else
        swprintf(text, capacity, L"%02d / %02d %d %d", kBuildDate.wMonth, kBuildDate.wDay,
                 kBuildDate.wMonth, kBuildDate.wYear);
}

INT_PTR CALLBACK SupportPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        InitSupportPage(page, reinterpret_cast<const PROPSHEETPAGEW*>(lParam));
        return TRUE;
    }
    UiSession* session = SessionOfPage(page);
    if (!session)
        return FALSE;
    if (HandleContextHelp(session, page, message, wParam, lParam, kSupportControlHelp))
        return TRUE;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnSupportCommand(page, session, LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        ReleasePicture(page, kIdLogo);
        ReleasePicture(page, kIdModelPicture);
        CloseHelpWindows(session);
        return FALSE;
    case WM_DRAWITEM:
        DrawPictureButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (!IsTransparentStatic(reinterpret_cast<HWND>(lParam)))
            return FALSE;
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_NOTIFY:
        return OnSupportNotify(page, session, reinterpret_cast<const NMHDR*>(lParam));
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitAboutDialog(dialog, reinterpret_cast<const PROPSHEETPAGEW*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (!(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        ReleasePicture(dialog, kIdLogo);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR ShowAboutDialog(HWND owner, UiSession* session)
{
    PROPSHEETPAGEW page = {};
    page.lParam = reinterpret_cast<LPARAM>(session);
    return DialogBoxParamW(SheetOf(session)->languageModule, MAKEINTRESOURCEW(143), owner,
                           AboutDialogProc, reinterpret_cast<LPARAM>(&page));
}
