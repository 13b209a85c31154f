// What the Basic page's files share: showing the settings in the
// controls, the command and preview handlers, and the questions it asks.
#pragma once

#include "core/ui_session.h"
#include "ui/basic_page.h"
#include "ui/sheet_pages.h"

#include <windows.h>

// Strings of the page (language module, this module as the fallback).
enum BasicString : UINT {
    kStrCopiesRange = 424,
    kStrMultiPageTitle = 3043,
    kStrMultiPageScaling = 3044,
    kStrCopiesTitle = 3706,
    kStrBookletTitleMultiPage = 3077,
    kStrBookletMultiPage = 3078,
    kStrBookletTitlePaper = 3079,
    kStrBookletPaper = 3080,
    kStrBookletTitleDefault = 3081,
    kStrBookletDefault = 3082,
    kStrScalingOff = 3084,
    kStrErrorTitle = 3067,
    kStrUserSizeScaling = 5101,
    kStrNormal = 2001,
    kStrTwoInOne = 2002,
    kStrFourInOne = 2003,
    kStrNInOne = 2009,
    kStrFitToPaper = 3733,
    kStrPageOrderFirst = 13740,   // 13740-13743 the four orders, 13744-13747 two per sheet
    kStrBorderFirst = 13748,      // 13748-13750
    kStrScalingPercent = 13751,
};

UiSession* BasicSessionOf(HWND page);

// The page's help topic: the model without trays has its own.
DWORD BasicPageHelpContext(const UiSession* session);


// Asks with OK and Cancel (or tells, with OK only) in a message box titled
// from a string label; TRUE for OK.
BOOL AskPage(HWND page, const UiSession* session, UINT titleId, const WCHAR* text, UINT style);

// Filling the lists and showing the settings in every control.
void FillBasicLists(HWND page, UiSession* session);
void FillPageOrderList(HWND page, UiSession* session);
void ShowBasicSettings(HWND page, UiSession* session);
void EnableLayoutControls(HWND page, const UiSession* session);
void EnableOtherSource(HWND page, const UiSession* session);
void ShowCopies(HWND page, UiSession* session);
void ShowScalingSummary(HWND page, const UiSession* session);

// The settings changed: the sheet enables its buttons, the previews redraw.
void NoteChange(HWND page);
void RedrawPreviews(HWND page);

// Booklet printing off, from this page: the Advanced page is told when it
// exists; pages per sheet go back to what booklet printing replaced.
void BasicTurnBookletOff(HWND page, UiSession* session);

// WM_COMMAND and the previews.
void OnBasicCommand(HWND page, UiSession* session, WORD id, WORD code);
void OnCopiesSpin(HWND page, UiSession* session, HWND spin, WPARAM wParam);
BOOL DrawBasicPreview(HWND page, UiSession* session, const DRAWITEMSTRUCT* item);
BOOL SetPreviewCursor(HWND page, const UiSession* session, HWND control);
void OnLayoutPreviewClick(HWND page, UiSession* session);
void PlacePaperPreview(HWND page, const UiSession* session);
bool LayoutHotSpotsActive(const UiSession* session);
