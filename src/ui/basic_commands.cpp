// The Basic page's answers to its controls: each edits the session's
// settings in place, asking first where a change undoes another setting.
#include "core/message_format.h"
#include "core/model_queries.h"
#include "settings/devmode_bits.h"
#include "settings/devmode_defaults.h"
#include "ui/basic_page_internal.h"
#include "ui/basic_rules.h"
#include "ui/context_help.h"
#include "ui/controls.h"
#include "ui/custom_paper_dialog.h"
#include "ui/paper_choices.h"
#include "ui/setting_dialogs.h"
#include "ui/sheet_session.h"
#include "ui/support_page.h"

#include <cstddef>
#include <cstring>

namespace {

const WCHAR kQuietProperty[] = L"KvBasicQuiet";
const int kMessageChars = 512;

// The Advanced page's controls this page keeps in step.
const WORD kAdvancedDuplex = 261;
const WORD kAdvancedManualDuplex = 263;
const DWORD kFeaturesUserSizeDuplex = 1u << 24;   // the duplex unit takes user sizes

// The settings the Default button resets, as byte ranges of the record:
// the Basic page's own and the booklet and scaling state they depend on.
struct FieldRange {
    size_t offset;
    size_t size;
};
#define KV_PUBLIC_FIELD(name) {offsetof(DriverDevmode, pub) + offsetof(DEVMODEW, name), sizeof(DEVMODEW::name)}
#define KV_PRIVATE_FIELD(name) \
    {offsetof(DriverDevmode, priv) + offsetof(PrivateSettings, name), sizeof(PrivateSettings::name)}
#define KV_PROCESSOR_FIELD(name)                                                            \
    {offsetof(DriverDevmode, priv) + offsetof(PrivateSettings, processor) + offsetof(ProcessorBlock, name), \
     sizeof(ProcessorBlock::name)}
const FieldRange kDefaultFields[] = {
    KV_PUBLIC_FIELD(dmFields),          KV_PUBLIC_FIELD(dmOrientation),
    KV_PUBLIC_FIELD(dmPaperSize),       KV_PUBLIC_FIELD(dmPaperLength),
    KV_PUBLIC_FIELD(dmPaperWidth),      KV_PUBLIC_FIELD(dmCopies),
    KV_PUBLIC_FIELD(dmDefaultSource),   KV_PUBLIC_FIELD(dmCollate),
    KV_PUBLIC_FIELD(dmFormName),        KV_PRIVATE_FIELD(multiPage),
    KV_PRIVATE_FIELD(mediaType),        KV_PRIVATE_FIELD(postcardMediaType),
    KV_PRIVATE_FIELD(customPaperWidth), KV_PRIVATE_FIELD(customPaperLength),
    KV_PRIVATE_FIELD(bookletMultiPage), KV_PRIVATE_FIELD(booklet),
    KV_PRIVATE_FIELD(paperSizeCopy),    KV_PRIVATE_FIELD(fitPaperSize),
    KV_PRIVATE_FIELD(tray),             KV_PRIVATE_FIELD(anotherTray),
    KV_PRIVATE_FIELD(traySeparateMode), KV_PRIVATE_FIELD(scaling),
    KV_PRIVATE_FIELD(collate),          KV_PRIVATE_FIELD(scalingSize),
    KV_PRIVATE_FIELD(savedScaling),     KV_PROCESSOR_FIELD(pageOrder),
    KV_PROCESSOR_FIELD(procCollate),    KV_PROCESSOR_FIELD(multiLine),
};
#undef KV_PUBLIC_FIELD
#undef KV_PRIVATE_FIELD
#undef KV_PROCESSOR_FIELD

HWND Item(HWND page, WORD id)
{
    return GetDlgItem(page, id);
}

bool IsQuiet(HWND page)
{
    return GetPropW(page, kQuietProperty) != nullptr;
}

// Shows the copies without reading the edit's own change back.
void ShowCopiesQuietly(HWND page, UiSession* session)
{
    SetPropW(page, kQuietProperty, reinterpret_cast<HANDLE>(1));
    ShowCopies(page, session);
    RemovePropW(page, kQuietProperty);
}

void ReselectByData(HWND page, WORD id, LRESULT value)
{
    if (!SelectComboByData(Item(page, id), value))
        SendMessageW(Item(page, id), CB_SETCURSEL, 0, 0);
}

BOOL AskWithString(HWND page, const UiSession* session, UINT titleId, UINT textId, UINT style)
{
    WCHAR text[kMessageChars];
    LoadPageString(session, textId, text, ARRAYSIZE(text));
    return AskPage(page, session, titleId, text, style);
}

WORD& MediaField(UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    return session->devmode.pub.dmPaperSize == DMPAPER_JAPANESE_POSTCARD ? priv.postcardMediaType
                                                                           : priv.mediaType;
}

void OnCopiesChange(HWND page, UiSession* session)
{
    if (IsQuiet(page))
        return;
    WCHAR text[16] = {};
    GetDlgItemTextW(page, kIdCopies, text, ARRAYSIZE(text));
    int copies = 0;
    switch (ReadCopiesEntry(text, kMaxCopies, &copies)) {
    case kCopiesEmpty:
        return;
    case kCopiesRefused:
        ShowCopiesQuietly(page, session);
        AskWithString(page, session, kStrCopiesTitle, kStrCopiesRange, MB_OK | MB_ICONHAND);
        SetFocus(Item(page, kIdCopies));
        return;
    case kCopiesTaken:
        break;
    }
    const bool changed = session->devmode.pub.dmCopies != copies;
    session->devmode.pub.dmCopies = static_cast<short>(copies);
    if (GetDlgItemInt(page, kIdCopies, nullptr, FALSE) != UINT(copies))
        ShowCopiesQuietly(page, session);
    SendDlgItemMessageW(page, kIdCopiesSpin, kSpinSetPosition, copies, 0);
    EnableWindow(Item(page, kIdCollate), copies >= 2 && SheetOf(session)->hasPermission);
    if (changed)
        NoteChange(page);
}

void OnCollate(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    const BYTE on = IsDlgButtonChecked(page, kIdCollate) == BST_CHECKED ? 1 : 0;
    priv.processor.procCollate = on;
    priv.collate = on;
    session->devmode.pub.dmCollate = on;
    if (!on)
        priv.copyFlags &= ~kCopyFlagsPrinterCopies;
    NoteChange(page);
}

// Copies the saved size of a named custom paper into the record's
// user-defined size.
void TakeSavedPaperSize(UiSession* session, int paper)
{
    const ProfileCustomPaperList& saved = session->customPapers;
    for (uint32_t i = 0; i < saved.count && i < kMaxCustomPapers; ++i) {
        if (saved.papers[i].code != paper)
            continue;
        session->devmode.priv.customPaperWidth = static_cast<WORD>(saved.papers[i].width);
        session->devmode.priv.customPaperLength = static_cast<WORD>(saved.papers[i].length);
        return;
    }
}

// The duplex unit that cannot feed user sizes leaves duplex to the user.
void FallBackToManualDuplex(UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    if (priv.modelFeatures & kFeaturesUserSizeDuplex)
        return;
    priv.duplex &= ~kDuplexAutomatic;
    if (HWND advanced = SheetOf(session)->advancedWindow) {
        CheckDlgButton(advanced, kAdvancedManualDuplex, BST_CHECKED);
        CheckDlgButton(advanced, kAdvancedDuplex, (priv.duplex & kDuplexOn) ? BST_CHECKED : BST_UNCHECKED);
    }
}

void StorePaper(HWND page, UiSession* session, int paper)
{
    DEVMODEW& pub = session->devmode.pub;
    const bool wasPostcard = pub.dmPaperSize == DMPAPER_JAPANESE_POSTCARD;
    pub.dmPaperSize = static_cast<short>(paper);
    pub.dmFields |= DM_PAPERSIZE;
    session->devmode.priv.paperSizeCopy = static_cast<WORD>(paper);
    if (IsUserPaper(paper))
        TakeSavedPaperSize(session, paper);
    else
        SetPaperDimensions(&pub, session->model, session->printer);
    if (paper == kUserDefinedPaper)
        FallBackToManualDuplex(session);
    if (wasPostcard != (paper == DMPAPER_JAPANESE_POSTCARD))
        ReselectByData(page, kIdMediaType, MediaField(session));
}

// An oversize paper prints reduced to the paper the user picks; with the
// pick made, one page goes on each sheet. The dialog sees the new paper,
// so that its own checks judge the paper being chosen.
bool ConfirmFitToPaper(HWND page, UiSession* session, int paper)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    const short previous = pub.dmPaperSize;
    const WORD keptFitPaper = priv.fitPaperSize;
    pub.dmPaperSize = static_cast<short>(paper);
    const INT_PTR answer = RunFitToPaperDialog(page, session);
    pub.dmPaperSize = previous;
    if (answer != IDOK) {
        priv.fitPaperSize = keptFitPaper;
        return false;
    }
    HWND multiPage = Item(page, kIdMultiPage);
    SendMessageW(multiPage, CB_SETCURSEL, 0, 0);
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(kIdMultiPage, CBN_SELCHANGE), reinterpret_cast<LPARAM>(multiPage));
    priv.scaling = kScalingFitPaper;
    return true;
}

// The user-defined entry asks for the size; the dialog may save it under a
// name, which then is the paper chosen and a new entry of the list. 0 when
// the user cancels.
int AskUserDefinedSize(HWND page, UiSession* session)
{
    short produced = kUserDefinedPaper;
    if (RunCustomPaperDialog(page, session, &produced) != IDOK)
        return 0;
    FillPaperCombo(Item(page, kIdPaperSize), session);
    ReselectByData(page, kIdPaperSize, produced);
    return produced;
}

void OnPaperChange(HWND page, UiSession* session)
{
    const int previous = session->devmode.pub.dmPaperSize;
    int paper = static_cast<int>(SelectedComboData(Item(page, kIdPaperSize), previous));
    if (paper == previous && paper != kUserDefinedPaper)
        return;
    const unsigned checks = PaperChangeChecks(session->devmode, paper);
    if (checks & kPaperAsksBooklet) {
        if (!AskWithString(page, session, kStrBookletTitlePaper, kStrBookletPaper, MB_OKCANCEL | MB_ICONEXCLAMATION)) {
            ReselectByData(page, kIdPaperSize, previous);
            return;
        }
        BasicTurnBookletOff(page, session);
    }
    if (checks & kPaperRefusedByScaling) {
        AskWithString(page, session, kStrErrorTitle, kStrUserSizeScaling, MB_OK | MB_ICONHAND);
        ReselectByData(page, kIdPaperSize, previous);
        return;
    }
    if ((checks & kPaperAsksFitToPaper) && !ConfirmFitToPaper(page, session, paper)) {
        ReselectByData(page, kIdPaperSize, previous);
        return;
    }
    if (paper == kUserDefinedPaper && IsWindowVisible(page) && (paper = AskUserDefinedSize(page, session)) == 0) {
        ReselectByData(page, kIdPaperSize, previous);
        return;
    }
    StorePaper(page, session, paper);
    EnableOtherSource(page, session);
    ShowScalingSummary(page, session);
    NoteChange(page);
}

// Pages per sheet and scaling exclude each other: scaling goes back to
// what it was before fit-to-paper or free scaling was chosen.
void TurnScalingOff(HWND page, UiSession* session)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    if (priv.scaling == kScalingFitPaper && IsOversizePaper(priv.paperSizeCopy)) {
        pub.dmPaperSize = static_cast<short>(priv.fitPaperSize);
        priv.paperSizeCopy = priv.fitPaperSize;
        ReselectByData(page, kIdPaperSize, priv.fitPaperSize);
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(kIdPaperSize, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(page, kIdPaperSize)));
    }
    priv.scalingSize = 100;
    priv.scaling = priv.savedScaling;
    if ((priv.scaleFlag & kScaleFlagFollowsDmScale) > 2)
        pub.dmScale = 100;
    SetDlgItemTextW(page, kIdScalingSummary, L"");
    SetDlgItemTextW(page, kIdScalingDetail, L"");
}

void OnMultiPageChange(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    HWND combo = Item(page, kIdMultiPage);
    const int entry = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    const unsigned checks = MultiPageChecks(session->devmode, entry);
    if (checks & kMultiPageAsksBooklet) {
        if (!AskWithString(page, session, kStrBookletTitleMultiPage, kStrBookletMultiPage,
                           MB_OKCANCEL | MB_ICONEXCLAMATION)) {
            SendMessageW(combo, CB_SETCURSEL, 1, 0);
            return;
        }
        priv.bookletMultiPage = static_cast<SHORT>(SelectedComboData(combo, priv.multiPage));
        BasicTurnBookletOff(page, session);
        SendMessageW(combo, CB_SETCURSEL, entry, 0);
    }
    if (checks & kMultiPageAsksScaling) {
        WCHAR first[kMessageChars], second[kMessageChars], text[2 * kMessageChars];
        LoadPageString(session, kStrMultiPageScaling, first, ARRAYSIZE(first));
        LoadPageString(session, kStrScalingOff, second, ARRAYSIZE(second));
        FormatDriverMessage(text, ARRAYSIZE(text), L"%s%s", first, second);
        if (!AskPage(page, session, kStrMultiPageTitle, text, MB_OKCANCEL | MB_ICONEXCLAMATION)) {
            SendMessageW(combo, CB_SETCURSEL, 0, 0);
            return;
        }
        TurnScalingOff(page, session);
    }
    priv.multiPage = static_cast<SHORT>(SelectedComboData(combo, priv.multiPage));
    FillPageOrderList(page, session);
    EnableLayoutControls(page, session);
    NoteChange(page);
}

void OnPageOrder(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    const BYTE chosen = static_cast<BYTE>(SelectedComboData(Item(page, kIdPageOrder), priv.processor.pageOrder));
    const bool landscape = session->devmode.pub.dmOrientation == DMORIENT_LANDSCAPE;
    priv.processor.pageOrder = PageOrderAfterChoice(priv.multiPage, priv.processor.pageOrder, chosen, landscape);
    NoteChange(page);
}

void OnBorderLine(HWND page, UiSession* session)
{
    HWND combo = Item(page, kIdBorderLine);
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected < 0)
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
    session->devmode.priv.processor.multiLine = static_cast<BYTE>(SelectedComboData(combo, 0));
    NoteChange(page);
}

void OnOrientation(HWND page, UiSession* session, WORD id)
{
    const short orientation = id == kIdLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (session->devmode.pub.dmOrientation == orientation)
        return;
    session->devmode.pub.dmOrientation = orientation;
    FillPageOrderList(page, session);
    NoteChange(page);
}

void OnMediaType(HWND page, UiSession* session)
{
    WORD& field = MediaField(session);
    field = static_cast<WORD>(SelectedComboData(Item(page, kIdMediaType), field));
    NoteChange(page);
}

void OnSource(HWND page, UiSession* session, WORD id)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    const WORD source = static_cast<WORD>(SelectedComboData(Item(page, id), 0));
    if (id == kIdFirstSource) {
        priv.tray = source;
        pub.dmDefaultSource = static_cast<short>(source);
    } else {
        priv.anotherTray = source;
    }
    priv.traySeparateMode = TraySeparateModeOf(priv.tray, priv.anotherTray);
    // Sheets fed by hand cannot be turned into a booklet.
    if (IsManualSource(source) && FeatureOfKind(session->model, kKindManualFeed) && (priv.booklet & kBookletOn))
        BasicTurnBookletOff(page, session);
    NoteChange(page);
}

void OnDefault(HWND page, UiSession* session)
{
    auto* saved = static_cast<DriverDevmode*>(HeapAlloc(session->heap, 0, sizeof(DriverDevmode)));
    auto* defaults = static_cast<DriverDevmode*>(HeapAlloc(session->heap, 0, sizeof(DriverDevmode)));
    if (saved && defaults &&
        BuildDefaultDevmode(&defaults->pub, session->driverName, session->model, IsA4Locale(), session->printer)) {
        std::memcpy(saved, &session->devmode, sizeof(DriverDevmode));
        auto* target = reinterpret_cast<BYTE*>(&session->devmode);
        const auto* source = reinterpret_cast<const BYTE*>(defaults);
        for (const FieldRange& field : kDefaultFields)
            std::memcpy(target + field.offset, source + field.offset, field.size);
        const bool bookletLost = (saved->priv.booklet & kBookletOn) && !(session->devmode.priv.booklet & kBookletOn);
        if (bookletLost && !AskWithString(page, session, kStrBookletTitleDefault, kStrBookletDefault,
                                          MB_OKCANCEL | MB_ICONEXCLAMATION)) {
            std::memcpy(&session->devmode, saved, sizeof(DriverDevmode));
        } else {
            ShowCopiesQuietly(page, session);
            ShowBasicSettings(page, session);
            if (bookletLost)
                BasicTurnBookletOff(page, session);
            NoteChange(page);
            SetFocus(Item(page, kIdDefaultButton));
        }
    }
    if (defaults)
        HeapFree(session->heap, 0, defaults);
    if (saved)
        HeapFree(session->heap, 0, saved);
}

void OnPaperPreviewClick(HWND page, UiSession* session)
{
    if (session->devmode.priv.booklet & kBookletOn)
        ShowHelpTopic(session, page, kHelpBasicPreview);
}

} // namespace

void OnCopiesSpin(HWND page, UiSession* session, HWND spin, WPARAM wParam)
{
    if (!spin || spin != Item(page, kIdCopiesSpin))
        return;
    const LRESULT range = SendMessageW(spin, kSpinGetRange, 0, 0);
    int position = static_cast<short>(HIWORD(wParam));
    const int lower = static_cast<short>(LOWORD(range));
    const int upper = static_cast<short>(HIWORD(range));
    position = position < lower ? lower : (position > upper ? upper : position);
    session->devmode.pub.dmCopies = static_cast<short>(position);
    ShowCopiesQuietly(page, session);
    SetFocus(Item(page, kIdCopies));
    NoteChange(page);
}

void OnBasicCommand(HWND page, UiSession* session, WORD id, WORD code)
{
    if (code == CBN_SELCHANGE) {
        switch (id) {
        case kIdPaperSize: OnPaperChange(page, session); break;
        case kIdMultiPage: OnMultiPageChange(page, session); break;
        case kIdPageOrder: OnPageOrder(page, session); break;
        case kIdBorderLine: OnBorderLine(page, session); break;
        case kIdMediaType: OnMediaType(page, session); break;
        case kIdFirstSource:
        case kIdOtherSource: OnSource(page, session, id); break;
        default: break;
        }
        return;
    }
    if (id == kIdCopies) {
        if (code == EN_CHANGE)
            OnCopiesChange(page, session);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kIdCollate: OnCollate(page, session); break;
    case kIdPortrait:
    case kIdLandscape: OnOrientation(page, session, id); break;
    case kIdDefaultButton: OnDefault(page, session); break;
    case kIdAboutButton: ShowAboutDialog(page, session); break;
    case IDHELP: ShowHelpTopic(session, page, BasicPageHelpContext(session)); break;
    case kIdPreviewHelp: ShowHelpTopic(session, page, kHelpBasicPreview); break;
    case kIdLayoutPreview: OnLayoutPreviewClick(page, session); break;
    case kIdPaperPreview: OnPaperPreviewClick(page, session); break;
    default: break;
    }
}
