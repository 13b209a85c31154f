// "Fit to Paper Size Setting": the paper an oversize document is printed
// on, asked for when such a paper is chosen on the Basic page.
#include "ui/setting_dialogs.h"

#include "settings/devmode_bits.h"
#include "ui/context_help.h"
#include "ui/paper_choices.h"
#include "ui/setting_dialog_support.h"

namespace {

const WORD kFitPaperTemplate = 120;
const int kIdOutputPaper = 620;
const UINT kUserPaperClash = 5101;
const UINT kErrorTitle = 3067;

void InitFitPaper(HWND dialog, UiSession* session)
{
    HWND combo = GetDlgItem(dialog, kIdOutputPaper);
    FillPaperCombo(combo, session);
    if (!SelectComboByData(combo, session->devmode.priv.fitPaperSize))
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// Both the document and the output cannot be user-defined: the one
// user-defined size would have to describe two papers.
bool ConfirmFitPaper(HWND dialog, UiSession* session)
{
    HWND combo = GetDlgItem(dialog, kIdOutputPaper);
    const LRESULT output = SelectedComboData(combo, session->devmode.priv.fitPaperSize);
    if (IsUserPaper(session->devmode.pub.dmPaperSize) && IsUserPaper(static_cast<int>(output))) {
        ShowSettingMessage(dialog, session, kUserPaperClash, kErrorTitle, MB_OK | MB_ICONHAND);
        SelectComboByData(combo, session->devmode.priv.fitPaperSize);
        SetFocus(combo);
        return false;
    }
    session->devmode.priv.fitPaperSize = static_cast<WORD>(output);
    return true;
}

const SettingDialogKind kFitPaperDialog = {kFitPaperTemplate, kHelpFitToPaperSize, InitFitPaper,
                                           ConfirmFitPaper, nullptr, nullptr};

} // namespace

INT_PTR RunFitToPaperDialog(HWND owner, UiSession* session)
{
    return RunSettingDialog(owner, session, kFitPaperDialog);
}
