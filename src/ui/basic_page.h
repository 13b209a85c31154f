// The Basic page of the document sheet (template 145): paper size, pages
// per sheet with page order and border line, orientation, copies and
// collate, media type and the paper sources, with live previews.
#pragma once

#include "core/model_context.h"
#include "core/ui_session.h"

#include <windows.h>

constexpr WORD kBasicTemplate = 145;

// Controls of the page, by id.
enum BasicControl : WORD {
    kIdAboutButton = 12,
    kIdDefaultButton = 16,
    kIdBasicSummary = 163,
    kIdScalingSummary = 164,
    kIdScalingDetail = 165,
    kIdLayoutPreview = 166,
    kIdCopiesPicture = 167,
    kIdPaperPreview = 168,
    kIdPaperLabel = 169,
    kIdPaperSize = 170,
    kIdMultiPageLabel = 171,
    kIdMultiPage = 172,
    kIdBorderLabel = 173,
    kIdBorderLine = 174,
    kIdPortrait = 176,
    kIdLandscape = 177,
    kIdCopies = 179,
    kIdCopiesSpin = 180,
    kIdCollate = 181,
    kIdMediaType = 183,
    kIdFirstSource = 187,
    kIdOtherLabel = 188,
    kIdOtherSource = 189,
    kIdPreviewHelp = 191,
    kIdPageOrderLabel = 192,
    kIdPageOrder = 193,
};

// The names the page gives its choices, which the settings summary shows
// too: pages per sheet ("Normal", "2 in 1", "%d in 1") and a media type
// (the model's option text).
void PagesPerSheetText(const UiSession* session, SHORT pages, WCHAR* text, int capacity);
void MediaOptionText(const ModelOption& option, WCHAR* text, int capacity);

INT_PTR CALLBACK BasicPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
