// The Advanced page's Page Setting category: scaling (off, fit to a paper
// size, free, fit to the printable area) and the mirror and reverse
// switches.
#include "ui/advanced_page_internal.h"

#include "settings/devmode_bits.h"
#include "ui/basic_rules.h"
#include "ui/controls.h"
#include "ui/paper_choices.h"
#include "ui/sheet_session.h"

#include <cwchar>

namespace {

const UINT kScalingConflictText = 3046;
const UINT kScalingConflictTitle = 3045;
const UINT kUserSizeText = 5101;
const UINT kErrorTitle = 3067;

void ShowOutputSizeName(HWND page, const UiSession* session)
{
    WCHAR name[128] = {};
    if (session->devmode.priv.scaling == kScalingFitPaper) {
        HWND combo = GetDlgItem(page, kIdOutputSize);
        const LRESULT entry = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (entry != CB_ERR && SendMessageW(combo, CB_GETLBTEXTLEN, entry, 0) < LRESULT(ARRAYSIZE(name)))
            SendMessageW(combo, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(name));
    }
    SetDlgItemTextW(page, kIdOutputSizeName, name);
}

// The Basic page's summary names the free scaling: "Scaling 120 %".
void ShowScalingSummary(HWND page, UiSession* session)
{
    HWND basic = SheetOf(session)->basicWindow;
    if (!basic)
        return;
    WCHAR label[64], text[96];
    GetDlgItemTextW(page, kIdScalingGroup, label, ARRAYSIZE(label));
    StripAccelerators(label, text, ARRAYSIZE(text));
    const size_t used = wcslen(text);
    swprintf(text + used, ARRAYSIZE(text) - used, L" %d %%", session->devmode.priv.scalingSize);
    SetDlgItemTextW(basic, kBasicSummary, text);
}

void SetScalingSize(UiSession* session, int percent)
{
    PrivateSettings& priv = session->devmode.priv;
    priv.scalingSize = static_cast<WORD>(percent);
    if ((priv.scaleFlag & kScaleFlagFollowsDmScale) > 2)
        session->devmode.pub.dmScale = static_cast<short>(percent);
}

void ShowScalingSize(HWND page, const UiSession* session)
{
    SetDlgItemInt(page, kIdScalingSize, session->devmode.priv.scalingSize, FALSE);
    SendDlgItemMessageW(page, kIdScalingSpin, kSpinSetPosition, session->devmode.priv.scalingSize, 0);
}

// Scaling and pages per sheet exclude each other: the user chooses which
// one stays.
bool ResolvePagesPerSheet(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    if (priv.multiPage == 1)
        return true;
    if (AdvancedMessage(page, session, kScalingConflictText, kScalingConflictTitle, MB_OKCANCEL | MB_ICONQUESTION) !=
        IDOK) {
        priv.scaling = priv.savedScaling;
        return false;
    }
    priv.bookletMultiPage = 1;
    AdvancedTurnBookletOff(page, session);
    priv.multiPage = 1;
    SelectBasicMultiPage(session, 0);
    EnableBasicMultiPage(session);
    return true;
}

void ChooseUnscaled(UiSession* session, BYTE scaling)
{
    PrivateSettings& priv = session->devmode.priv;
    priv.scaling = scaling;
    priv.scalingSize = 100;
    if ((priv.scaleFlag & kScaleFlagFollowsDmScale) == kScaleFlagFollowsDmScale)
        session->devmode.pub.dmScale = 100;
    priv.savedScaling = scaling;
}

void ChooseFitToPaper(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    const LRESULT output = SelectedComboData(GetDlgItem(page, kIdOutputSize), priv.fitPaperSize);
    if (IsUserPaper(static_cast<int>(output)) && IsUserPaper(priv.paperSizeCopy)) {
        AdvancedMessage(page, session, kUserSizeText, kErrorTitle, MB_OK | MB_ICONHAND);
        return;
    }
    priv.fitPaperSize = static_cast<WORD>(output);
    priv.scaling = kScalingFitPaper;
    if (!(priv.scaleFlag & kScaleFlagKeepsField))
        priv.scalingSize = 100;
}

void ChooseFreeScaling(HWND page, UiSession* session)
{
    WCHAR text[16];
    GetDlgItemTextW(page, kIdScalingSize, text, ARRAYSIZE(text));
    session->devmode.priv.scaling = kScalingFree;
    SetScalingSize(session, FreeScalingOnLeave(text));
    ShowScalingSummary(page, session);
}

void ChooseScaling(HWND page, UiSession* session, WORD id)
{
    PrivateSettings& priv = session->devmode.priv;
    switch (id) {
    case kIdScalingOff: ChooseUnscaled(session, 0); break;
    case kIdScalingPrintable: ChooseUnscaled(session, kScalingPrintable); break;
    case kIdScalingFitPaper:
        if (ResolvePagesPerSheet(page, session))
            ChooseFitToPaper(page, session);
        break;
    default:
        if (!ResolvePagesPerSheet(page, session))
            break;
        ChooseFreeScaling(page, session);
        break;
    }
    if (priv.scaling != 0 && IsOversizePaper(session->devmode.pub.dmPaperSize))
        SetDocumentPaper(session, static_cast<short>(priv.fitPaperSize));
}

void OnScalingSizeEdit(HWND page, UiSession* session, WORD code)
{
    WCHAR text[16];
    GetDlgItemTextW(page, kIdScalingSize, text, ARRAYSIZE(text));
    int percent = code == EN_KILLFOCUS ? FreeScalingOnLeave(text) : FreeScalingWhileTyping(text);
    if (percent < 0)
        return;
    // Typing more digits cannot bring a value above the range back into it;
    // a value below it may still grow, so it is corrected on leaving.
    LONGLONG typed = 0;
    const bool rewrite = code == EN_KILLFOCUS || !ReadDecimalText(text, &typed) || typed > kFreeScalingHighest;
    SetScalingSize(session, percent);
    if (rewrite && (!ReadDecimalText(text, &typed) || typed != percent)) {
        AdvancedStateOf(page)->loading = TRUE;
        ShowScalingSize(page, session);
        SendDlgItemMessageW(page, kIdScalingSize, EM_SETSEL, 0, -1);
        AdvancedStateOf(page)->loading = FALSE;
    }
    ShowScalingSummary(page, session);
}

} // namespace

void InitPageSetting(HWND page, UiSession* session)
{
    HWND combo = GetDlgItem(page, kIdOutputSize);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    FillPaperCombo(combo, session);
    if (!SelectComboByData(combo, session->devmode.priv.fitPaperSize))
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(page, kIdScalingSize, EM_LIMITTEXT, 3, 0);
}

void RefreshPageSetting(HWND page, UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    static const WORD kScalingRadios[] = {kIdScalingOff, kIdScalingFitPaper, kIdScalingFree, kIdScalingPrintable};
    CheckRadioButton(page, kIdScalingOff, kIdScalingPrintable,
                     kScalingRadios[priv.scaling < ARRAYSIZE(kScalingRadios) ? priv.scaling : 0]);
    LoadCategoryRows(page, session, kCategoryPageSetting);
    ShowScalingSize(page, session);
    ShowOutputSizeName(page, session);
    if (!IsWindowVisible(GetDlgItem(page, kIdScalingGroup)))
        return;
    EnableControl(page, kIdOutputSize, priv.scaling == kScalingFitPaper);
    EnableControl(page, kIdScalingSize, priv.scaling == kScalingFree);
    EnableControl(page, kIdScalingSpin, priv.scaling == kScalingFree);
    InvalidateRect(GetDlgItem(page, kIdScalingPicture), nullptr, TRUE);
}

void OnPageSettingCommand(HWND page, UiSession* session, WORD id, WORD code)
{
    switch (id) {
    case kIdScalingOff:
    case kIdScalingFitPaper:
    case kIdScalingFree:
    case kIdScalingPrintable:
        if (code == BN_CLICKED && IsDlgButtonChecked(page, id) == BST_CHECKED)
            ChooseScaling(page, session, id);
        break;
    case kIdOutputSize:
        if (code == CBN_SELCHANGE && session->devmode.priv.scaling == kScalingFitPaper)
            ChooseFitToPaper(page, session);
        break;
    case kIdScalingSize:
        if (code == EN_CHANGE || code == EN_KILLFOCUS)
            OnScalingSizeEdit(page, session, code);
        return;
    default:
        return;
    }
    AdvancedStateOf(page)->loading = TRUE;
    RefreshPageSetting(page, session);
    AdvancedStateOf(page)->loading = FALSE;
}

void OnScalingSpin(HWND page, UiSession* session, short position)
{
    if (session->devmode.priv.scaling != kScalingFree)
        return;
    SetScalingSize(session, ClampFreeScaling(position));
    AdvancedStateOf(page)->loading = TRUE;
    ShowScalingSize(page, session);
    AdvancedStateOf(page)->loading = FALSE;
    ShowScalingSummary(page, session);
}

void ResetPageSettingDefaults(UiSession* session, const DriverDevmode& defaults)
{
    PrivateSettings& priv = session->devmode.priv;
    CopyCategoryRowFields(&session->devmode, defaults, kCategoryPageSetting);
    priv.scaling = defaults.priv.scaling;
    priv.savedScaling = defaults.priv.savedScaling;
    priv.scalingSize = defaults.priv.scalingSize;
    priv.fitPaperSize = defaults.priv.fitPaperSize;
    session->devmode.pub.dmScale = defaults.pub.dmScale;
    if (priv.scaling != 0 && IsOversizePaper(session->devmode.pub.dmPaperSize))
        SetDocumentPaper(session, static_cast<short>(priv.fitPaperSize));
}
