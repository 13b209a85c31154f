// "Manual Setting" of the print-quality category: brightness, contrast,
// graphics quality and, on models whose template has them, the halftone and
// TrueType choices.
#include "ui/setting_dialogs.h"

#include "settings/devmode_bits.h"
#include "ui/context_help.h"
#include "ui/setting_dialog_support.h"
#include "ui/settings_summary.h"

#include <algorithm>

namespace {

const WORD kManualSettingTemplate = 142;

const int kIdPrinterHalftone = 506;
const int kIdSystemHalftone = 507;
const int kIdHalftoneSetup = 508;
const int kIdImprovePattern = 509;
const int kIdImproveGray = 510;
const int kIdBrightness = 521;
const int kIdBrightnessValue = 522;
const int kIdContrast = 524;
const int kIdContrastValue = 525;
const int kIdQuality = 531;
const int kIdTrueTypeMode = 513;
const int kIdPrinterFonts = 514;
const int kIdDefault = 16;

const int kLevelMin = -64;
const int kLevelMax = 64;
const int kLevelPage = 8;

const DWORD kRenderSystemHalftone = 0x00100000;   // bit 20
const DWORD kCapsTrueTypeFromOne = 0x00004000;     // modelCaps bit 14
const DWORD kManualRenderBits = kRenderSystemHalftone | kRenderImproveGray | kRenderBrushPattern |
                                kRenderRasterModes | kRenderPrinterFonts | kRenderDitherType1 |
                                kRenderDitherType2;

// Graphics quality: the dither bits of each entry.
struct QualityEntry {
    UINT nameId;
    DWORD bits;
};
const QualityEntry kQualities[] = {
    {3738, 0}, {3739, kRenderDitherType1}, {3771, kRenderDitherType2},
};

// TrueType modes in list order; models whose list starts at the second
// entry leave out the first.
struct TrueTypeEntry {
    UINT nameId;
    DWORD bits;
};
const TrueTypeEntry kTrueTypeModes[] = {
    {13730, kRenderRasterModeB}, {13731, 0}, {13732, kRenderRasterModeA},
};

// Controls a choice switches off: the graphics settings follow the system
// halftone, and the TrueType choices do not apply while gray is improved.
const int kPrinterHalftoneControls[] = {520, kIdBrightness, kIdBrightnessValue, 523, kIdContrast,
                                        kIdContrastValue, 530, kIdQuality};
const int kTrueTypeControls[] = {512, kIdTrueTypeMode, kIdPrinterFonts};

using HalftoneAdjustment = LONG(APIENTRY*)(LPSTR deviceName, COLORADJUSTMENT* adjustment);

PrivateSettings& Settings(UiSession* session)
{
    return session->devmode.priv;
}

SHORT* LevelOf(UiSession* session, int scrollId)
{
    WORD& level = scrollId == kIdBrightness ? Settings(session).grayLevelLow : Settings(session).grayLevelHigh;
    return reinterpret_cast<SHORT*>(&level);
}

void ShowLevel(HWND dialog, UiSession* session, int scrollId)
{
    const int level = *LevelOf(session, scrollId);
    SetScrollPos(GetDlgItem(dialog, scrollId), SB_CTL, level, TRUE);
    WCHAR text[16];
    FormatSignedLevel(level, text, ARRAYSIZE(text));
    SetDlgItemTextW(dialog, scrollId == kIdBrightness ? kIdBrightnessValue : kIdContrastValue, text);
}

void EnableGroup(HWND dialog, const int* ids, size_t count, BOOL enable)
{
    for (size_t i = 0; i < count; ++i)
        EnableWindow(GetDlgItem(dialog, ids[i]), enable);
}

void RefreshEnabling(HWND dialog, UiSession* session)
{
    const DWORD flags = Settings(session).renderFlags;
    const BOOL system = (flags & kRenderSystemHalftone) != 0;
    EnableGroup(dialog, kPrinterHalftoneControls, ARRAYSIZE(kPrinterHalftoneControls), !system);
    EnableWindow(GetDlgItem(dialog, kIdHalftoneSetup), system);
    EnableGroup(dialog, kTrueTypeControls, ARRAYSIZE(kTrueTypeControls), !(flags & kRenderImproveGray));
}

int FirstTrueTypeMode(const UiSession* session)
{
    return (session->devmode.priv.modelCaps & kCapsTrueTypeFromOne) ? 1 : 0;
}

void FillChoices(HWND dialog, UiSession* session)
{
    WCHAR name[64];
    HWND quality = GetDlgItem(dialog, kIdQuality);
    for (const QualityEntry& entry : kQualities) {
        LoadSettingString(session, entry.nameId, name, ARRAYSIZE(name));
        RemoveAccelerators(name);
        SendMessageW(quality, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    HWND modes = GetDlgItem(dialog, kIdTrueTypeMode);
    for (size_t i = FirstTrueTypeMode(session); modes && i < ARRAYSIZE(kTrueTypeModes); ++i) {
        LoadSettingString(session, kTrueTypeModes[i].nameId, name, ARRAYSIZE(name));
        SendMessageW(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

int QualityIndex(DWORD flags)
{
    if (flags & kRenderDitherType1) return 1;
    if (flags & kRenderDitherType2) return 2;
    return 0;
}

int TrueTypeIndex(const UiSession* session)
{
    const DWORD bits = session->devmode.priv.renderFlags & kRenderRasterModes;
    for (size_t i = 0; i < ARRAYSIZE(kTrueTypeModes); ++i)
        if (kTrueTypeModes[i].bits == bits)
            return static_cast<int>(i) - FirstTrueTypeMode(session);
    return -1;
}

// Shows the record's settings in every control the template has.
void ShowManualSettings(HWND dialog, UiSession* session)
{
    const DWORD flags = Settings(session).renderFlags;
    for (int id : {kIdBrightness, kIdContrast})
        ShowLevel(dialog, session, id);
    SendDlgItemMessageW(dialog, kIdQuality, CB_SETCURSEL, QualityIndex(flags), 0);
    CheckRadioButton(dialog, kIdPrinterHalftone, kIdSystemHalftone,
                     (flags & kRenderSystemHalftone) ? kIdSystemHalftone : kIdPrinterHalftone);
    CheckDlgButton(dialog, kIdImprovePattern, (flags & kRenderBrushPattern) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kIdImproveGray, (flags & kRenderImproveGray) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kIdPrinterFonts, (flags & kRenderPrinterFonts) ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, kIdTrueTypeMode, CB_SETCURSEL, TrueTypeIndex(session), 0);
    RefreshEnabling(dialog, session);
}

void InitManualSetting(HWND dialog, UiSession* session)
{
    for (int id : {kIdBrightness, kIdContrast})
        SetScrollRange(GetDlgItem(dialog, id), SB_CTL, kLevelMin, kLevelMax, FALSE);
    FillChoices(dialog, session);
    ShowManualSettings(dialog, session);
}

void OnLevelScroll(HWND dialog, UiSession* session, HWND scroll, WPARAM wParam)
{
    const int id = GetDlgCtrlID(scroll);
    if (id != kIdBrightness && id != kIdContrast)
        return;
    SHORT* level = LevelOf(session, id);
    int next = *level;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: --next; break;
    case SB_LINERIGHT: ++next; break;
    case SB_PAGELEFT: next -= kLevelPage; break;
    case SB_PAGERIGHT: next += kLevelPage; break;
    case SB_LEFT: next = kLevelMin; break;
    case SB_RIGHT: next = kLevelMax; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = static_cast<SHORT>(HIWORD(wParam)); break;
    default: return;
    }
    *level = static_cast<SHORT>(std::clamp(next, kLevelMin, kLevelMax));
    ShowLevel(dialog, session, id);
}

void SetRenderBits(UiSession* session, DWORD mask, DWORD bits)
{
    Settings(session).renderFlags = (Settings(session).renderFlags & ~mask) | bits;
}

void SetRenderFlag(UiSession* session, DWORD flag, bool on)
{
    SetRenderBits(session, flag, on ? flag : 0);
}

// The system's halftone dialog, when the system has one; without the
// library or its entry point the button does nothing.
void AdjustHalftone(UiSession* session)
{
    WCHAR path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 10 >= MAX_PATH)
        return;
    lstrcatW(path, L"\\htui.dll");
    HMODULE library = LoadLibraryW(path);
    if (!library)
        return;
    auto adjust = reinterpret_cast<HalftoneAdjustment>(
        reinterpret_cast<void*>(GetProcAddress(library, "HTUI_DeviceColorAdjustment")));
    if (adjust) {
        CHAR device[CCHDEVICENAME];
        WideCharToMultiByte(CP_ACP, 0, session->devmode.pub.dmDeviceName, -1, device, CCHDEVICENAME,
                            nullptr, nullptr);
        device[CCHDEVICENAME - 1] = '\0';
        adjust(device, &Settings(session).colorAdjustment);
    }
    FreeLibrary(library);
}

void ReloadManualDefaults(HWND dialog, UiSession* session)
{
    DriverDevmode* defaults = BuildSessionDefaults(session);
    if (!defaults)
        return;
    SetRenderBits(session, kManualRenderBits, defaults->priv.renderFlags & kManualRenderBits);
    Settings(session).grayLevelLow = defaults->priv.grayLevelLow;
    Settings(session).grayLevelHigh = defaults->priv.grayLevelHigh;
    HeapFree(session->heap, 0, defaults);
    ShowManualSettings(dialog, session);
}

void OnSelection(HWND dialog, UiSession* session, int id)
{
    const int index = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
    if (id == kIdQuality && index >= 0 && index < static_cast<int>(ARRAYSIZE(kQualities)))
        SetRenderBits(session, kRenderDitherType1 | kRenderDitherType2, kQualities[index].bits);
    const int mode = index + FirstTrueTypeMode(session);
    if (id == kIdTrueTypeMode && index >= 0 && mode < static_cast<int>(ARRAYSIZE(kTrueTypeModes)))
        SetRenderBits(session, kRenderRasterModes, kTrueTypeModes[mode].bits);
}

void OnClick(HWND dialog, UiSession* session, int id)
{
    const bool checked = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    switch (id) {
    case kIdPrinterHalftone: SetRenderFlag(session, kRenderSystemHalftone, false); break;
    case kIdSystemHalftone: SetRenderFlag(session, kRenderSystemHalftone, true); break;
    case kIdImprovePattern: SetRenderFlag(session, kRenderBrushPattern, checked); break;
    case kIdImproveGray: SetRenderFlag(session, kRenderImproveGray, checked); break;
    case kIdPrinterFonts: SetRenderFlag(session, kRenderPrinterFonts, checked); break;
    case kIdHalftoneSetup: AdjustHalftone(session); break;
    case kIdDefault: ReloadManualDefaults(dialog, session); break;
    default: return;
    }
    RefreshEnabling(dialog, session);
}

INT_PTR HandleManual(HWND dialog, UiSession* session, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HSCROLL) {
        OnLevelScroll(dialog, session, reinterpret_cast<HWND>(lParam), wParam);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (HIWORD(wParam) == CBN_SELCHANGE)
        OnSelection(dialog, session, LOWORD(wParam));
    else if (HIWORD(wParam) == BN_CLICKED)
        OnClick(dialog, session, LOWORD(wParam));
    return TRUE;
}

const SettingDialogKind kManualSettingDialog = {kManualSettingTemplate, kHelpManualSetting, InitManualSetting,
                                                nullptr, HandleManual, nullptr};

} // namespace

INT_PTR RunManualSettingDialog(HWND owner, UiSession* session)
{
    return RunSettingDialog(owner, session, kManualSettingDialog);
}
