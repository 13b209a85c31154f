#include "ui/settings_summary.h"

#include "core/model_queries.h"
#include "settings/devmode_bits.h"
#include "ui/basic_page.h"
#include "ui/paper_choices.h"
#include "ui/sheet_session.h"

#include <cstdio>
#include <cwchar>

namespace {

// What a line shows; each row names the field it reads.
enum SummaryValue {
    kPaperName, kPagesPerSheet, kPageOrder, kBorderLine, kOrientation, kCopies, kCollate,
    kMediaType, kFirstSource, kOtherSource, kResolution, kTonerSave, kHrc, kPrintSetting,
    kBrightness, kContrast, kGraphicsQuality, kWatermark, kScaling, kMirror, kReverse,
    kJobSpooling, kQuickSetup, kStatusMonitor, kMacro, kHeaderFooter, kImproveOutput,
    kReduceCurl, kTonerFixing, kErrorPrintout, kDensity, kSleepTime, kSleepTimer,
};

// When a line is shown.
enum SummaryWhen { kAlways, kWhenMultiPage, kWhenManualSetting, kWhenSleepTimer };

struct SummaryRow {
    UINT labelId;
    SummaryValue value;
    SummaryWhen when;
    int indent;     // 1 for a line that details the one before
};
const SummaryRow kSummaryRows[] = {
    {3700, kPaperName, kAlways, 0},        {3701, kPagesPerSheet, kAlways, 0},
    {3736, kPageOrder, kWhenMultiPage, 1}, {3741, kBorderLine, kWhenMultiPage, 1},
    {3703, kOrientation, kAlways, 0},      {3706, kCopies, kAlways, 0},
    {3708, kCollate, kAlways, 0},          {3711, kMediaType, kAlways, 0},
    {3712, kFirstSource, kAlways, 0},      {3713, kFirstSource, kAlways, 1},
    {3714, kOtherSource, kAlways, 1},      {3715, kResolution, kAlways, 0},
    {3719, kTonerSave, kAlways, 0},        {3728, kHrc, kAlways, 0},
    {3722, kPrintSetting, kAlways, 0},     {3769, kBrightness, kWhenManualSetting, 1},
    {3770, kContrast, kWhenManualSetting, 1}, {3726, kGraphicsQuality, kWhenManualSetting, 1},
    {3748, kWatermark, kAlways, 0},        {3732, kScaling, kAlways, 0},
    {3752, kMirror, kAlways, 0},           {3753, kReverse, kAlways, 0},
    {3754, kJobSpooling, kAlways, 0},      {14028, kQuickSetup, kAlways, 0},
    {14030, kStatusMonitor, kAlways, 0},   {3762, kMacro, kAlways, 0},
    {14041, kHeaderFooter, kAlways, 0},    {14040, kImproveOutput, kAlways, 0},
    {3776, kReduceCurl, kAlways, 1},       {3777, kTonerFixing, kAlways, 1},
    {14039, kErrorPrintout, kAlways, 0},   {14037, kDensity, kAlways, 0},
    {3758, kSleepTime, kAlways, 0},        {3759, kSleepTimer, kWhenSleepTimer, 1},
};

const UINT kPortraitId = 3704;
const UINT kLandscapeId = 3705;
const UINT kOnId = 3790;
const UINT kOffId = 3791;
const UINT kDpiFormatId = 3792;          // "%d dpi"
const UINT kPrinterDefaultId = 348;
const UINT kSecurePrintId = 3757;
const UINT kPageOrderFirst = 13740;      // the Basic page's order names
const UINT kBorderFirst = 13748;         // and border names
const UINT kPrintSettingIds[] = {3724, 3772, 3773, 3774};
const UINT kGraphicsQualityIds[] = {3738, 3739, 3771};
const UINT kSleepModeIds[] = {3760, 348, 3791, 3063};
const DWORD kRenderPhoto = 0x00200000;   // graphics quality bits of renderFlags
const DWORD kRenderChart = 0x00400000;
const WORD kSecurePrintClass = 2;        // bits 20-23 of modelFeatures
const WORD kManualSleep = 3;
const BYTE kStatusMonitorOn = 3;

const int kLabelChars = 80;
const int kValueChars = 96;
const WCHAR kDetailIndent[] = L"     ";

void LoadLabel(HMODULE strings, UINT id, WCHAR* text, int capacity)
{
    if (!strings || LoadStringW(strings, id, text, capacity) <= 0)
        text[0] = L'\0';
    RemoveAccelerators(text);
}

void OnOff(HMODULE strings, bool on, WCHAR* text)
{
    LoadLabel(strings, on ? kOnId : kOffId, text, kValueChars);
}

void Signed(int value, WCHAR* text)
{
    swprintf(text, kValueChars, value > 0 ? L"+%d" : L"%d", value);
}

// The printer's name of a paper or source; the code when it lists none.
void ListedName(UiSession* session, bool paper, WORD code, WCHAR* text)
{
    const BOOL named = paper ? PaperNameOf(session, code, text, kValueChars)
                             : SourceNameOf(session, code, text, kValueChars);
    if (!named)
        swprintf(text, kValueChars, L"%u", code);
}

void MediaTypeName(UiSession* session, WORD code, WCHAR* text)
{
    swprintf(text, kValueChars, L"%u", code);
    const ModelFeature* feature = FeatureOfKind(session->model, kKindMediaType);
    for (uint32_t i = 0; feature && i < feature->optionCount; ++i) {
        if (OptionValueNumber(&feature->options[i]) == code)
            MediaOptionText(feature->options[i], text, kValueChars);
    }
}

bool IsShown(const DriverDevmode& dm, SummaryWhen when)
{
    const PrivateSettings& priv = dm.priv;
    switch (when) {
    case kWhenMultiPage: return priv.multiPage >= 2 && !(priv.booklet & kBookletOn);
    case kWhenManualSetting: return priv.defaultSet == 0;
    case kWhenSleepTimer: return priv.sleepMode == kManualSleep;
    default: return true;
    }
}

void FormatValue(UiSession* session, SummaryValue value, WCHAR* text)
{
    HMODULE strings = SheetOf(session)->languageModule;
    const DEVMODEW& pub = session->devmode.pub;
    const PrivateSettings& priv = session->devmode.priv;
    WCHAR format[kLabelChars];
    text[0] = L'\0';
    switch (value) {
    case kPaperName: ListedName(session, true, pub.dmPaperSize, text); break;
    case kPagesPerSheet:
        if (priv.multiPage >= 1) {
            PagesPerSheetText(session, priv.multiPage, text, kValueChars);
        } else {
            // Posters: one page over n x n sheets.
            int n = 1;
            while (n * n < -priv.multiPage)
                ++n;
            LoadLabel(strings, 2004, format, kLabelChars);
            swprintf(text, kValueChars, format[0] ? format : L"%dx%d", n, n);
        }
        break;
    case kPageOrder: LoadLabel(strings, kPageOrderFirst + (priv.processor.pageOrder & 3), text, kValueChars); break;
    case kBorderLine: LoadLabel(strings, kBorderFirst + (priv.processor.multiLine % 3), text, kValueChars); break;
    case kOrientation:
        LoadLabel(strings, pub.dmOrientation == DMORIENT_LANDSCAPE ? kLandscapeId : kPortraitId, text, kValueChars);
        break;
    case kCopies: swprintf(text, kValueChars, L"%d", pub.dmCopies); break;
    case kCollate: OnOff(strings, pub.dmCollate == DMCOLLATE_TRUE, text); break;
    case kMediaType:
        MediaTypeName(session, pub.dmPaperSize == DMPAPER_JAPANESE_POSTCARD ? priv.postcardMediaType : priv.mediaType,
                      text);
        break;
    case kFirstSource: ListedName(session, false, priv.tray, text); break;
    case kOtherSource: ListedName(session, false, priv.anotherTray, text); break;
    case kResolution:
        LoadLabel(strings, kDpiFormatId, format, kLabelChars);
        swprintf(text, kValueChars, format[0] ? format : L"%d", pub.dmPrintQuality);
        break;
    case kTonerSave: OnOff(strings, priv.economy != 0, text); break;
    case kHrc: OnOff(strings, priv.ret != 0, text); break;
    case kPrintSetting:
        LoadLabel(strings, kPrintSettingIds[priv.defaultSet % ARRAYSIZE(kPrintSettingIds)], text, kValueChars);
        break;
    case kBrightness: Signed(static_cast<SHORT>(priv.grayLevelLow), text); break;
    case kContrast: Signed(static_cast<SHORT>(priv.grayLevelHigh), text); break;
    case kGraphicsQuality:
        LoadLabel(strings,
                  kGraphicsQualityIds[(priv.renderFlags & kRenderPhoto) ? 1 : (priv.renderFlags & kRenderChart) ? 2 : 0],
                  text, kValueChars);
        break;
    case kWatermark:
        if (priv.processor.watermark.on & 1)
            swprintf(text, kValueChars, L"%.*ls", static_cast<int>(ARRAYSIZE(priv.watermarkTitle)),
                     priv.watermarkTitle);
        else
            OnOff(strings, false, text);
        break;
    case kScaling: swprintf(text, kValueChars, L"%d%%", pub.dmScale); break;
    case kMirror: OnOff(strings, (priv.imageProcess & 0x01) != 0, text); break;
    case kReverse: OnOff(strings, (priv.imageProcess & 0x02) != 0, text); break;
    case kJobSpooling: OnOff(strings, (priv.mopy & kMopyOn) != 0, text); break;
    case kQuickSetup: OnOff(strings, priv.qps != 0, text); break;
    case kStatusMonitor: OnOff(strings, priv.statusMonitor == kStatusMonitorOn, text); break;
    case kMacro: OnOff(strings, (priv.macroFlags & (kMacroSave | kMacroInsert)) != 0, text); break;
    case kHeaderFooter: OnOff(strings, (priv.processor.headerFooterFlags & kHeaderFooterOn) != 0, text); break;
    case kImproveOutput: OnOff(strings, priv.paperHandling != 0, text); break;
    case kReduceCurl: OnOff(strings, (priv.paperHandling & 0x01) != 0, text); break;
    case kTonerFixing: OnOff(strings, (priv.paperHandling & 0x02) != 0, text); break;
    case kErrorPrintout:
        LoadLabel(strings, priv.errorPrint == 2 ? kPrinterDefaultId : priv.errorPrint ? kOnId : kOffId, text,
                  kValueChars);
        break;
    case kDensity:
        if (priv.biasOn)
            LoadLabel(strings, kPrinterDefaultId, text, kValueChars);
        else
            Signed(priv.biasValue, text);
        break;
    case kSleepTime: LoadLabel(strings, kSleepModeIds[priv.sleepMode % ARRAYSIZE(kSleepModeIds)], text, kValueChars); break;
    case kSleepTimer: swprintf(text, kValueChars, L"%u", priv.sleepTime); break;
    }
}

// The label of a row: Job Spooling is Secure Print on the models that
// only offer that.
UINT LabelOf(const UiSession* session, const SummaryRow& row)
{
    if (row.value == kJobSpooling && ((session->devmode.priv.modelFeatures >> 20) & 0xF) == kSecurePrintClass)
        return kSecurePrintId;
    return row.labelId;
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
        if (BuildSettingsSummary(session, text, kSummaryBytes / sizeof(WCHAR)))
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

BOOL BuildSettingsSummary(UiSession* session, WCHAR* text, size_t capacity)
{
    size_t used = 0;
    text[0] = L'\0';
    for (const SummaryRow& row : kSummaryRows) {
        if (!IsShown(session->devmode, row.when))
            continue;
        WCHAR label[kLabelChars], value[kValueChars];
        LoadLabel(SheetOf(session)->languageModule, LabelOf(session, row), label, kLabelChars);
        FormatValue(session, row.value, value);
        const int written = _snwprintf(text + used, capacity - used, L"%ls%ls\t%ls\r\n",
                                       row.indent ? kDetailIndent : L"", label, value);
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
