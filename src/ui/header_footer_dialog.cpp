// "Header-Footer Print": where the date, time and user stamp is printed on
// each page, in which formats, font and colours.
#include "ui/setting_dialogs.h"

#include "resources/resource_ids.h"
#include "ui/context_help.h"
#include "ui/controls.h"
#include "ui/decimal_entry.h"
#include "ui/paper_choices.h"
#include "ui/setting_dialog_support.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

namespace {

const WORD kHeaderFooterTemplate = 119;

const int kIdDarkness = 546;
const int kIdDarknessSpin = 547;
const int kIdPreview = 587;
const int kIdDate = 590;
const int kIdTime = 592;
const int kIdFont = 594;
const int kIdColour = 595;
const int kIdLeft = 597;
const int kIdRight = 599;
const int kIdTop = 602;
const int kIdBottom = 603;
const int kIdOpaque = 605;
const int kIdTransparent = 606;
const int kIdDefault = 607;
const int kIdIdPrint = 609;
const int kIdCustomLabel = 610;
const int kIdCustomName = 611;
const int kDarknessControls[] = {545, kIdDarkness, kIdDarknessSpin};

// headerFooterFlags
const DWORD kPositionMask = 0x0003;
const DWORD kAtBottom = 0x0004;
const DWORD kOpaque = 0x0008;
const DWORD kNumberedFormats = 0x0040;
const DWORD kTimeMask = 0x1F00;
const DWORD kDateMask = 0xE000;
const int kTimeShift = 8;
const int kDateShift = 13;

// idWatermark: what the stamp names.
const BYTE kIdPrintUser = 1;
const BYTE kIdPrintCustom = 2;

const UINT kFirstNumberedDate = 3990;
const UINT kFirstNumberedTime = 13951;
const DWORD kNumberedDates = 7;   // codes 0-6; 7 is none
const DWORD kNumberedTimes = 8;   // codes 0-7; 8 is none
const UINT kNoDateName = 3944;
const UINT kNoTimeName = 3949;
const int kDarknessMax = 100;

// The formats of the language modules without numbered ones: the example
// shown and the code stored, in list order, none last.
struct FixedFormat {
    UINT nameId;
    DWORD code;
};
const FixedFormat kFixedDates[] = {
    {3940, 0x0000}, {3941, 0x2000}, {3942, 0x8000}, {3943, 0xA000}, {kNoDateName, 0xE000},
};
const FixedFormat kFixedTimes[] = {
    {3945, 0x0000}, {3946, 0x0100}, {3947, 0x1000}, {3948, 0x1100}, {kNoTimeName, 0x1F00},
};

struct IdPrintEntry {
    UINT nameId;
    BYTE value;
};
const IdPrintEntry kIdPrintEntries[] = {{3950, kIdPrintUser}, {3951, kIdPrintCustom}, {3952, 0}};

// One list of formats: the numbered resources or the fixed table.
struct FormatList {
    int comboId;
    DWORD mask;
    int shift;
    UINT firstNumbered;
    DWORD numberedCount;
    UINT noneName;
    const FixedFormat* fixed;
    size_t fixedCount;
};
const FormatList kDateList = {kIdDate, kDateMask, kDateShift, kFirstNumberedDate, kNumberedDates,
                              kNoDateName, kFixedDates, ARRAYSIZE(kFixedDates)};
const FormatList kTimeList = {kIdTime, kTimeMask, kTimeShift, kFirstNumberedTime, kNumberedTimes,
                              kNoTimeName, kFixedTimes, ARRAYSIZE(kFixedTimes)};

ProcessorBlock& Block(UiSession* session)
{
    return session->devmode.priv.processor;
}

BOOL HasNumberedFormats(const UiSession* session)
{
    WCHAR text[8];
    return LoadSettingString(session, kFirstNumberedDate, text, ARRAYSIZE(text));
}

void AddFormat(HWND combo, const WCHAR* name, DWORD code)
{
    const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageW(combo, CB_SETITEMDATA, at, code);
}

// A numbered format resource holds "example\ntemplate\norder"; one without
// a template is not offered.
void AddNumberedFormats(HWND combo, const UiSession* session, const FormatList& list)
{
    for (DWORD code = 0; code < list.numberedCount; ++code) {
        WCHAR text[256];
        if (!LoadSettingString(session, list.firstNumbered + code, text, ARRAYSIZE(text)))
            continue;
        WCHAR* exampleEnd = wcschr(text, L'\n');
        if (!exampleEnd || exampleEnd[1] == L'\n' || exampleEnd[1] == L'\0')
            continue;
        *exampleEnd = L'\0';
        AddFormat(combo, text, code << list.shift);
    }
    WCHAR none[64];
    LoadSettingString(session, list.noneName, none, ARRAYSIZE(none));
    AddFormat(combo, none, list.numberedCount << list.shift);
}

void FillFormats(HWND dialog, UiSession* session, const FormatList& list, bool numbered)
{
    HWND combo = GetDlgItem(dialog, list.comboId);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    if (numbered) {
        AddNumberedFormats(combo, session, list);
    } else {
        for (size_t i = 0; i < list.fixedCount; ++i) {
            WCHAR name[64];
            LoadSettingString(session, list.fixed[i].nameId, name, ARRAYSIZE(name));
            AddFormat(combo, name, list.fixed[i].code);
        }
    }
    // A code the list does not know reads as its first format.
    if (!SelectComboByData(combo, Block(session).headerFooterFlags & list.mask))
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// The numbered code of a fixed one: the lists share their first entries
// and end with none.
DWORD NumberedCodeOf(DWORD flags, const FormatList& list)
{
    size_t index = 0;
    while (index < list.fixedCount && list.fixed[index].code != (flags & list.mask))
        ++index;
    if (index >= list.fixedCount)
        index = 0;
    const DWORD code = index + 1 == list.fixedCount ? list.numberedCount : static_cast<DWORD>(index);
    return code << list.shift;
}

int DarknessOf(COLORREF back)
{
    return ((255 - GetRValue(back)) * kDarknessMax + 127) / 255;
}

COLORREF BackgroundOf(int darkness)
{
    const BYTE level = static_cast<BYTE>(255 - (darkness * 255 + kDarknessMax / 2) / kDarknessMax);
    return RGB(level, level, level);
}

void RedrawPreview(HWND dialog)
{
    InvalidateRect(GetDlgItem(dialog, kIdPreview), nullptr, TRUE);
}

void RefreshEnabling(HWND dialog, UiSession* session)
{
    const BOOL custom = SelectedComboData(GetDlgItem(dialog, kIdIdPrint), 0) == kIdPrintCustom;
    EnableWindow(GetDlgItem(dialog, kIdCustomLabel), custom);
    EnableWindow(GetDlgItem(dialog, kIdCustomName), custom);
    const BOOL opaque = (Block(session).headerFooterFlags & kOpaque) != 0;
    for (int id : kDarknessControls)
        EnableWindow(GetDlgItem(dialog, id), opaque);
}

// Shows the record in every control.
void ShowHeaderFooter(HWND dialog, UiSession* session)
{
    const ProcessorBlock& block = Block(session);
    const DWORD flags = block.headerFooterFlags;
    const bool numbered = (flags & kNumberedFormats) && HasNumberedFormats(session);
    FillFormats(dialog, session, kDateList, numbered);
    FillFormats(dialog, session, kTimeList, numbered);
    CheckRadioButton(dialog, kIdLeft, kIdRight, kIdLeft + std::min<DWORD>(flags & kPositionMask, 2));
    CheckRadioButton(dialog, kIdTop, kIdBottom, (flags & kAtBottom) ? kIdBottom : kIdTop);
    CheckRadioButton(dialog, kIdOpaque, kIdTransparent, (flags & kOpaque) ? kIdOpaque : kIdTransparent);
    HWND idPrint = GetDlgItem(dialog, kIdIdPrint);
    const BYTE shown = block.idWatermark == kIdPrintUser || block.idWatermark == kIdPrintCustom ? block.idWatermark : 0;
    SelectComboByData(idPrint, shown);
    WCHAR name[ARRAYSIZE(block.idWatermarkName) + 1] = {};
    lstrcpynW(name, block.idWatermarkName, ARRAYSIZE(block.idWatermarkName));
    SetDlgItemTextW(dialog, kIdCustomName, name);
    const int darkness = DarknessOf(block.headerFooterBackColor);
    SetDlgItemInt(dialog, kIdDarkness, darkness, FALSE);
    SendDlgItemMessageW(dialog, kIdDarknessSpin, kSpinSetPosition, darkness, 0);
    RefreshEnabling(dialog, session);
    RedrawPreview(dialog);
}

void InitHeaderFooter(HWND dialog, UiSession* session)
{
    HWND idPrint = GetDlgItem(dialog, kIdIdPrint);
    for (const IdPrintEntry& entry : kIdPrintEntries) {
        WCHAR name[64];
        LoadSettingString(session, entry.nameId, name, ARRAYSIZE(name));
        AddFormat(idPrint, name, entry.value);
    }
    SendDlgItemMessageW(dialog, kIdCustomName, EM_LIMITTEXT, ARRAYSIZE(Block(session).idWatermarkName) - 1, 0);
    SendDlgItemMessageW(dialog, kIdDarkness, EM_LIMITTEXT, 3, 0);
    ShowHeaderFooter(dialog, session);
}

void SetFlagBits(UiSession* session, DWORD mask, DWORD bits)
{
    DWORD& flags = Block(session).headerFooterFlags;
    flags = (flags & ~mask) | (bits & mask);
}

void OnFormatChosen(HWND dialog, UiSession* session, const FormatList& list)
{
    SetFlagBits(session, list.mask,
                static_cast<DWORD>(SelectedComboData(GetDlgItem(dialog, list.comboId), 0)));
}

void OnDarknessTyped(HWND dialog, UiSession* session)
{
    WCHAR text[8];
    GetDlgItemTextW(dialog, kIdDarkness, text, ARRAYSIZE(text));
    unsigned long typed = 0;
    if (!ReadWholeNumber(text, kAnyNineDigitNumber, &typed))
        return;   // the colour stays as it was until the text is a number
    if (typed > kDarknessMax) {
        SetDlgItemInt(dialog, kIdDarkness, kDarknessMax, FALSE);
        return;
    }
    const int darkness = static_cast<int>(typed);
    // Showing the colour as a darkness rounds it: only a new darkness
    // replaces it.
    if (darkness == DarknessOf(Block(session).headerFooterBackColor))
        return;
    Block(session).headerFooterBackColor = BackgroundOf(darkness);
    SendDlgItemMessageW(dialog, kIdDarknessSpin, kSpinSetPosition, darkness, 0);
}

void OnDarknessSpin(HWND dialog, HWND spin, WPARAM wParam)
{
    if (spin != GetDlgItem(dialog, kIdDarknessSpin))
        return;
    const int position = std::clamp<int>(static_cast<SHORT>(HIWORD(wParam)), 0, kDarknessMax);
    SetDlgItemInt(dialog, kIdDarkness, position, FALSE);
}

template <class Fn> Fn CommonDialogEntry(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The font chooser works in screen pixels; the record keeps the size in
// points, as the printer's stamp is set.
void ChooseStampFont(HWND dialog, UiSession* session)
{
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    auto choose = library ? CommonDialogEntry<BOOL(WINAPI*)(CHOOSEFONTW*)>(library, "ChooseFontW") : nullptr;
    ProcessorBlock& block = Block(session);
    if (choose) {
        LOGFONTW font = block.headerFooterFont;
        HDC screen = GetDC(dialog);
        font.lfHeight = -MulDiv(std::abs(font.lfHeight), GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(dialog, screen);
        CHOOSEFONTW chooser = {};
        chooser.lStructSize = sizeof(chooser);
        chooser.hwndOwner = dialog;
        chooser.lpLogFont = &font;
        chooser.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS;
        chooser.rgbColors = block.headerFooterColor;
        if (choose(&chooser)) {
            font.lfHeight = -std::max(1, chooser.iPointSize / 10);
            block.headerFooterFont = font;
            block.headerFooterColor = chooser.rgbColors;
        }
    }
    if (library)
        FreeLibrary(library);
}

void ChooseStampColour(HWND dialog, UiSession* session)
{
    static COLORREF customColours[16];
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    auto choose = library ? CommonDialogEntry<BOOL(WINAPI*)(CHOOSECOLORW*)>(library, "ChooseColorW") : nullptr;
    if (choose) {
        CHOOSECOLORW chooser = {};
        chooser.lStructSize = sizeof(chooser);
        chooser.hwndOwner = dialog;
        chooser.rgbResult = Block(session).headerFooterColor;
        chooser.lpCustColors = customColours;
        chooser.Flags = CC_RGBINIT;
        if (choose(&chooser))
            Block(session).headerFooterColor = chooser.rgbResult;
    }
    if (library)
        FreeLibrary(library);
}

// Default: the profile's stamp settings, printing on, with the numbered
// formats when this language module has them.
void ReloadHeaderFooterDefaults(HWND dialog, UiSession* session)
{
    DriverDevmode* defaults = BuildSessionDefaults(session);
    if (!defaults)
        return;
    ProcessorBlock& block = Block(session);
    const ProcessorBlock& from = defaults->priv.processor;
    block.headerFooterFlags = from.headerFooterFlags;
    block.headerFooterFont = from.headerFooterFont;
    block.headerFooterColor = from.headerFooterColor;
    block.headerFooterBackColor = from.headerFooterBackColor;
    block.idWatermark = from.idWatermark;
    memcpy(block.idWatermarkName, from.idWatermarkName, sizeof(block.idWatermarkName));
    HeapFree(session->heap, 0, defaults);

    WCHAR face[LF_FACESIZE];
    if (LoadSettingString(session, IDS_DEFAULT_FACE, face, ARRAYSIZE(face)))
        lstrcpynW(block.headerFooterFont.lfFaceName, face, LF_FACESIZE);
    DWORD flags = (block.headerFooterFlags & ~kNumberedFormats) | kHeaderFooterOn;
    if (HasNumberedFormats(session))
        flags = (flags & ~(kDateMask | kTimeMask)) | kNumberedFormats | NumberedCodeOf(flags, kDateList) |
                NumberedCodeOf(flags, kTimeList);
    block.headerFooterFlags = flags;
    ShowHeaderFooter(dialog, session);
}

bool ConfirmHeaderFooter(HWND dialog, UiSession* session)
{
    ProcessorBlock& block = Block(session);
    WCHAR name[ARRAYSIZE(block.idWatermarkName)] = {};
    GetDlgItemTextW(dialog, kIdCustomName, name, ARRAYSIZE(name));
    memcpy(block.idWatermarkName, name, sizeof(block.idWatermarkName));
    return true;
}

// Radios: the flag bits each one sets within its group's mask.
struct FlagRadio {
    int id;
    DWORD mask;
    DWORD bits;
};
const FlagRadio kFlagRadios[] = {
    {kIdLeft, kPositionMask, 0}, {kIdLeft + 1, kPositionMask, 1}, {kIdRight, kPositionMask, 2},
    {kIdTop, kAtBottom, 0},      {kIdBottom, kAtBottom, kAtBottom},
    {kIdOpaque, kOpaque, kOpaque}, {kIdTransparent, kOpaque, 0},
};

void OnHeaderFooterChange(HWND dialog, UiSession* session, WORD id, WORD code)
{
    if (code == BN_CLICKED) {
        for (const FlagRadio& radio : kFlagRadios)
            if (radio.id == id)
                SetFlagBits(session, radio.mask, radio.bits);
        switch (id) {
        case kIdFont: ChooseStampFont(dialog, session); break;
        case kIdColour: ChooseStampColour(dialog, session); break;
        case kIdDefault: ReloadHeaderFooterDefaults(dialog, session); return;
        default: break;
        }
    } else if (code == CBN_SELCHANGE) {
        if (id == kIdDate) OnFormatChosen(dialog, session, kDateList);
        if (id == kIdTime) OnFormatChosen(dialog, session, kTimeList);
        if (id == kIdIdPrint)
            Block(session).idWatermark = static_cast<BYTE>(SelectedComboData(GetDlgItem(dialog, kIdIdPrint), 0));
    } else if (code == EN_CHANGE && id == kIdDarkness) {
        OnDarknessTyped(dialog, session);
    } else if (code != EN_CHANGE || id != kIdCustomName) {
        return;
    }
    RefreshEnabling(dialog, session);
    RedrawPreview(dialog);
}

// The sample stamp: the chosen examples and the name, as the page shows it.
void SampleText(HWND dialog, WCHAR* text, size_t capacity)
{
    text[0] = L'\0';
    for (int id : {kIdDate, kIdTime}) {
        HWND combo = GetDlgItem(dialog, id);
        // Both lists end with "None", which prints nothing.
        const LRESULT at = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        const bool none = at < 0 || at + 1 == SendMessageW(combo, CB_GETCOUNT, 0, 0);
        WCHAR part[64] = {};
        if (none || SendMessageW(combo, CB_GETLBTEXTLEN, at, 0) >= static_cast<LRESULT>(ARRAYSIZE(part)))
            continue;
        SendMessageW(combo, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(part));
        wcsncat(text, part, capacity - wcslen(text) - 1);
        wcsncat(text, L"  ", capacity - wcslen(text) - 1);
    }
    WCHAR name[80] = {};
    DWORD length = ARRAYSIZE(name);
    switch (SelectedComboData(GetDlgItem(dialog, kIdIdPrint), 0)) {
    case kIdPrintUser: GetUserNameW(name, &length); break;
    case kIdPrintCustom: GetDlgItemTextW(dialog, kIdCustomName, name, ARRAYSIZE(name)); break;
    default: break;
    }
    wcsncat(text, name, capacity - wcslen(text) - 1);
}

void DrawPreview(HWND dialog, UiSession* session, const DRAWITEMSTRUCT* item)
{
    const ProcessorBlock& block = Block(session);
    RECT page = item->rcItem;
    FillRect(item->hDC, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(item->hDC, &page, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    InflateRect(&page, -4, -4);
    // The stamp's points drawn as pixels keep it legible in a small page.
    LOGFONTW shape = block.headerFooterFont;
    shape.lfHeight = -std::clamp<LONG>(std::abs(shape.lfHeight), 8, 14);
    shape.lfWidth = 0;
    HFONT font = CreateFontIndirectW(&shape);
    HGDIOBJ previous = SelectObject(item->hDC, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(item->hDC, block.headerFooterColor);
    SetBkColor(item->hDC, block.headerFooterBackColor);
    SetBkMode(item->hDC, (block.headerFooterFlags & kOpaque) ? OPAQUE : TRANSPARENT);
    const UINT across[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS |
                        across[std::min<DWORD>(block.headerFooterFlags & kPositionMask, 2)] |
                        ((block.headerFooterFlags & kAtBottom) ? DT_BOTTOM : DT_TOP);
    WCHAR text[256];
    SampleText(dialog, text, ARRAYSIZE(text));
    DrawTextW(item->hDC, text, -1, &page, format);
    SelectObject(item->hDC, previous);
    if (font)
        DeleteObject(font);
}

INT_PTR HandleHeaderFooter(HWND dialog, UiSession* session, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        OnHeaderFooterChange(dialog, session, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_VSCROLL:
        OnDarknessSpin(dialog, reinterpret_cast<HWND>(lParam), wParam);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != kIdPreview)
            return FALSE;
        DrawPreview(dialog, session, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

const SettingDialogKind kHeaderFooterDialog = {kHeaderFooterTemplate, kHelpHeaderFooterSetting, InitHeaderFooter,
                                               ConfirmHeaderFooter, HandleHeaderFooter, nullptr};

} // namespace

INT_PTR RunHeaderFooterDialog(HWND owner, UiSession* session)
{
    return RunSettingDialog(owner, session, kHeaderFooterDialog);
}
