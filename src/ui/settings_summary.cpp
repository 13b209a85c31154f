#include "ui/settings_summary.h"

#include "ui/sheet_session.h"

#include <cstdio>
#include <cwchar>

namespace {

enum SummaryValue { kFormName, kOrientation, kCopies, kCollate, kResolution, kWatermark, kScaling };

struct SummaryRow {
    UINT labelId;
    SummaryValue value;
};
const SummaryRow kSummaryRows[] = {
    {3700, kFormName},  {3703, kOrientation}, {3706, kCopies},  {3708, kCollate},
    {3715, kResolution}, {3748, kWatermark},  {3732, kScaling},
};

const UINT kPortraitId = 3704;
const UINT kLandscapeId = 3705;
const UINT kOnId = 3790;
const UINT kOffId = 3791;
const UINT kDpiFormatId = 3792;   // "%d dpi"

const int kLabelChars = 80;

void LoadLabel(HMODULE strings, UINT id, WCHAR* text, int capacity)
{
    if (LoadStringW(strings, id, text, capacity) <= 0)
        text[0] = L'\0';
    RemoveAccelerators(text);
}

void FormatValue(HMODULE strings, const DriverDevmode& dm, SummaryValue value, WCHAR* text,
                 size_t capacity)
{
    const DEVMODEW& pub = dm.pub;
    WCHAR format[kLabelChars];
    switch (value) {
    case kFormName:
        swprintf(text, capacity, L"%.*ls", CCHFORMNAME, pub.dmFormName);
        break;
    case kOrientation:
        LoadLabel(strings, pub.dmOrientation == DMORIENT_LANDSCAPE ? kLandscapeId : kPortraitId, text,
                  static_cast<int>(capacity));
        break;
    case kCopies:
        swprintf(text, capacity, L"%d", pub.dmCopies);
        break;
    case kCollate:
        LoadLabel(strings, pub.dmCollate == DMCOLLATE_TRUE ? kOnId : kOffId, text, static_cast<int>(capacity));
        break;
    case kResolution:
        LoadLabel(strings, kDpiFormatId, format, kLabelChars);
        swprintf(text, capacity, format[0] ? format : L"%d", pub.dmPrintQuality);
        break;
    case kWatermark:
        if (dm.priv.processor.watermark.on & 1)
            swprintf(text, capacity, L"%.*ls", static_cast<int>(ARRAYSIZE(dm.priv.watermarkTitle)),
                     dm.priv.watermarkTitle);
        else
            LoadLabel(strings, kOffId, text, static_cast<int>(capacity));
        break;
    case kScaling:
        swprintf(text, capacity, L"%d%%", pub.dmScale);
        break;
    }
}

INT_PTR CALLBACK SummaryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* session = reinterpret_cast<UiSession*>(lParam);
        WCHAR title[kLabelChars];
        GetWindowTextW(dialog, title, kLabelChars);
        RemoveAccelerators(title);
        SetWindowTextW(dialog, title);
        HWND edit = GetDlgItem(dialog, kIdSummaryText);
        const DWORD tabStop = 120;
        SendMessageW(edit, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
        auto* text = static_cast<WCHAR*>(HeapAlloc(session->heap, 0, kSummaryBytes));
        if (!text) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (BuildSettingsSummary(SheetOf(session)->languageModule, session->devmode, text,
                                 kSummaryBytes / sizeof(WCHAR)))
            SetWindowTextW(edit, text);
        HeapFree(session->heap, 0, text);
        // Focus on OK rather than on the text, which would show it selected.
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

void RemoveAccelerators(WCHAR* text)
{
    WCHAR* out = text;
    for (const WCHAR* in = text; *in; ++in) {
        if (*in == L'&') {
            if (in[1] != L'&')
                continue;
            ++in;
        }
        *out++ = *in;
    }
    *out = L'\0';
}

BOOL BuildSettingsSummary(HMODULE strings, const DriverDevmode& dm, WCHAR* text, size_t capacity)
{
    size_t used = 0;
    text[0] = L'\0';
    for (const SummaryRow& row : kSummaryRows) {
        WCHAR label[kLabelChars], value[kLabelChars];
        LoadLabel(strings, row.labelId, label, kLabelChars);
        FormatValue(strings, dm, row.value, value, kLabelChars);
        const int written = _snwprintf(text + used, capacity - used, L"%ls\t%ls\r\n", label, value);
        if (written < 0 || used + written >= capacity) {
            text[used] = L'\0';
            return FALSE;
        }
        used += written;
    }
    return TRUE;
}

void ShowSettingsSummary(HWND owner, UiSession* session)
{
    DialogBoxParamW(SheetOf(session)->languageModule, MAKEINTRESOURCEW(kSettingsSummaryTemplate),
                    owner, SummaryDialogProc, reinterpret_cast<LPARAM>(session));
}
