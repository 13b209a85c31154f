// What the Advanced page changes on the Basic page: pages per sheet, the
// paper and the other-pages source follow booklet, duplex and scaling
// choices made here.
#include "ui/advanced_page_internal.h"

#include "settings/devmode_bits.h"
#include "settings/devmode_defaults.h"
#include "ui/paper_choices.h"
#include "ui/sheet_session.h"

void EnableBasicMultiPage(UiSession* session)
{
    HWND basic = SheetOf(session)->basicWindow;
    if (!basic)
        return;
    const PrivateSettings& priv = session->devmode.priv;
    const bool booklet = (priv.booklet & kBookletOn) != 0;
    EnableWindow(GetDlgItem(basic, kBasicMultiPage), !booklet);
    EnableWindow(GetDlgItem(basic, kBasicPageOrder), !booklet && priv.multiPage > 1);
    EnableWindow(GetDlgItem(basic, kBasicBorderLine), !booklet && priv.multiPage > 1);
    SheetOf(session)->basicRefresh |= kBasicRedrawPreviews;
}

void SelectBasicMultiPage(UiSession* session, int entry)
{
    if (HWND basic = SheetOf(session)->basicWindow)
        SendDlgItemMessageW(basic, kBasicMultiPage, CB_SETCURSEL, entry, 0);
}

void SetDocumentPaper(UiSession* session, short paper)
{
    DEVMODEW& pub = session->devmode.pub;
    if (pub.dmPaperSize == paper)
        return;
    pub.dmPaperSize = paper;
    session->devmode.priv.paperSizeCopy = paper;
    SetPaperDimensions(&pub, session->model, session->printer);
    SheetOf(session)->basicRefresh |= kBasicRebuildPaper;
    if (HWND basic = SheetOf(session)->basicWindow)
        SelectComboByData(GetDlgItem(basic, kBasicPaper), paper);
}

void AdvancedTurnBookletOff(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    CheckDlgButton(page, kIdBooklet, BST_UNCHECKED);
    if (!(priv.booklet & kBookletOn))
        return;
    priv.booklet &= ~kBookletOn;
    priv.multiPage = priv.bookletMultiPage;
    if (HWND basic = SheetOf(session)->basicWindow)
        SelectComboByData(GetDlgItem(basic, kBasicMultiPage), priv.multiPage);
    EnableBasicMultiPage(session);
}

bool DuplexUnitTakes(short paper)
{
    return paper == DMPAPER_A4 || paper == DMPAPER_LETTER || paper == DMPAPER_LEGAL;
}
