// The Advanced page's Duplex category: duplex on/off, the duplex unit,
// the duplex type, booklet printing and the binding offset.
#include "ui/advanced_page_internal.h"

#include "settings/devmode_bits.h"
#include "settings/devmode_sync.h"
#include "ui/decimal_entry.h"
#include "ui/paper_choices.h"
#include "ui/sheet_session.h"

namespace {

const DWORD kFeaturesDuplexChoice = 0x0000000C;   // modelFeatures bits 2, 3: unit or manual
const UINT kBindingRangeMessage = 425;
const WORD kBookletOtherPages = DMBIN_AUTO;
const UINT kMillimetreRangeText = 13700;
const UINT kInchRangeText = 13701;

bool InInches(const UiSession* session)
{
    return (session->devmode.priv.bindFlags & kBindInches) != 0;
}

void ShowBindingOffset(HWND page, const UiSession* session, LONG tenths, bool select)
{
    const bool inches = InInches(session);
    WCHAR text[32];
    FormatDecimalEntry(BindingOffsetInUnit(tenths, inches), inches ? kInchDecimals : kMillimetreDecimals, text,
                       ARRAYSIZE(text));
    SetDlgItemTextW(page, kIdBindingOffsetEdit, text);
    if (select)
        SendDlgItemMessageW(page, kIdBindingOffsetEdit, EM_SETSEL, 0, -1);
    WCHAR range[64];
    LoadPageString(session, inches ? kInchRangeText : kMillimetreRangeText, range, ARRAYSIZE(range));
    SetDlgItemTextW(page, kIdBindingRange, range);
}

void TurnBookletOn(HWND page, UiSession* session)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    priv.booklet |= kBookletOn;
    if (priv.scaling != 0)
        priv.scaling = 0;
    if ((priv.duplex & kDuplexLayoutMask) != 1)
        priv.duplex &= ~kDuplexLayoutMask;
    priv.bookletMultiPage = priv.multiPage;
    priv.anotherTray = kBookletOtherPages;
    priv.multiPage = 2;
    priv.traySeparateMode = 0;
    SelectBasicMultiPage(session, 1);
    if (HWND basic = SheetOf(session)->basicWindow)
        SelectComboByData(GetDlgItem(basic, kBasicOtherPages), kBookletOtherPages);
    if ((priv.duplex & kDuplexAutomatic) && !DuplexUnitTakes(pub.dmPaperSize))
        SetDocumentPaper(session, DMPAPER_A4);
    LoadCategoryRows(page, session, kCategoryDuplex);
    RefreshPageSetting(page, session);
}

void TurnDuplexOff(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    if (priv.booklet & kBookletOn) {
        AdvancedTurnBookletOff(page, session);
        priv.processor.procPagesPerSheet = priv.multiPage < 0 ? priv.multiPage : 1;
    }
}

// A unit change first takes the entry in the unit it was typed in.
void ChangeBindingUnit(HWND page, UiSession* session, AdvancedState* state, bool inches)
{
    if (InInches(session) == inches)
        return;
    StoreBindingOffset(page, session, state);
    PrivateSettings& priv = session->devmode.priv;
    priv.bindFlags = static_cast<BYTE>(inches ? (priv.bindFlags | kBindInches) : (priv.bindFlags & ~kBindInches));
    state->loading = TRUE;
    ShowBindingOffset(page, session, priv.bindingOffset, false);
    state->loading = FALSE;
}

} // namespace

void InitDuplex(HWND page, UiSession* session, AdvancedState* state)
{
    SendDlgItemMessageW(page, kIdBindingOffsetEdit, EM_LIMITTEXT, 6, 0);
    state->bindingTenths = session->devmode.priv.bindingOffset;
    RefreshDuplex(page, session, state);
}

void RefreshDuplex(HWND page, UiSession* session, AdvancedState* state)
{
    const PrivateSettings& priv = session->devmode.priv;
    LoadCategoryRows(page, session, kCategoryDuplex);
    CheckDlgButton(page, kIdBooklet, (priv.booklet & kBookletOn) ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(page, kIdBindingMillimetres, kIdBindingInches,
                     InInches(session) ? kIdBindingInches : kIdBindingMillimetres);
    ShowBindingOffset(page, session, priv.bindingOffset, false);
    state->bindingTenths = priv.bindingOffset;
    if (!(priv.modelFeatures & kFeaturesDuplexChoice)) {
        ShowWindow(GetDlgItem(page, kIdDuplexUnit), SW_HIDE);
        ShowWindow(GetDlgItem(page, kIdManualDuplex), SW_HIDE);
        EnableControl(page, kIdDuplexUnit, false);
        EnableControl(page, kIdManualDuplex, false);
    }
    InvalidateRect(GetDlgItem(page, kIdDuplexPicture), nullptr, TRUE);
}

void StoreBindingOffset(HWND page, UiSession* session, AdvancedState* state)
{
    WCHAR text[32];
    GetDlgItemTextW(page, kIdBindingOffsetEdit, text, ARRAYSIZE(text));
    const bool inches = InInches(session);
    const BindingOffsetCheck check = CheckBindingOffset(text, inches);
    state->loading = TRUE;
    switch (check.outcome) {
    case kBindingRestore:
        ShowBindingOffset(page, session, state->bindingTenths, true);
        break;
    case kBindingClear:
        SetDlgItemTextW(page, kIdBindingOffsetEdit, L"");
        break;
    case kBindingOutOfRange:
        AdvancedMessageTitledBy(page, session, kBindingRangeMessage, kIdBindingOffset, MB_OK | MB_ICONHAND);
        state->bindingTenths = BindingOffsetFromUnit(check.value, inches);
        ShowBindingOffset(page, session, state->bindingTenths, true);
        break;
    default:
        state->bindingTenths = BindingOffsetFromUnit(check.value, inches);
        break;
    }
    state->loading = FALSE;
    session->devmode.priv.bindingOffset = static_cast<WORD>(state->bindingTenths);
}

void OnDuplexCommand(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    if (id == kIdBindingOffsetEdit) {
        if (code == EN_KILLFOCUS)
            StoreBindingOffset(page, session, state);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kIdDuplex:
        if (!(priv.duplex & kDuplexOn))
            TurnDuplexOff(page, session);
        break;
    case kIdDuplexUnit:
        if (!DuplexUnitTakes(pub.dmPaperSize))
            SetDocumentPaper(session, DMPAPER_A4);
        break;
    case kIdBooklet:
        if (IsDlgButtonChecked(page, kIdBooklet) == BST_CHECKED)
            TurnBookletOn(page, session);
        else
            AdvancedTurnBookletOff(page, session);
        EnableBasicMultiPage(session);
        break;
    case kIdBindingMillimetres:
    case kIdBindingInches:
        ChangeBindingUnit(page, session, state, id == kIdBindingInches);
        break;
    default:
        break;
    }
    DeriveDevmodeDuplex(&pub);
    InvalidateRect(GetDlgItem(page, kIdDuplexPicture), nullptr, TRUE);
}

void ResetDuplexDefaults(HWND page, UiSession* session, const DriverDevmode& defaults)
{
    PrivateSettings& priv = session->devmode.priv;
    CopyCategoryRowFields(&session->devmode, defaults, kCategoryDuplex);
    priv.bindFlags = static_cast<BYTE>((priv.bindFlags & ~kBindInches) | (defaults.priv.bindFlags & kBindInches));
    priv.bindingOffset = defaults.priv.bindingOffset;
    if (!(defaults.priv.booklet & kBookletOn))
        AdvancedTurnBookletOff(page, session);
    DeriveDevmodeDuplex(&session->devmode.pub);
}
