// The pieces the watermark editor is built from: the store writes behind
// its OK, and the drawing of its preview. Only the editor and the Advanced
// page's deletions use them.
#pragma once

#include "core/ui_session.h"
#include "settings/watermark_store.h"

#include <windows.h>

// Controls of the Advanced page that list the watermarks.
constexpr int kIdWatermarkList = 293;      // list box of the store's names
constexpr int kIdWatermarkPageCombo = 313; // per-page choice: names, then "None"

// The editor's title combo, which lists the same names.
constexpr int kIdWatermarkTitle = 533;

// Message boxes of the editor and the deletions, from the language module.
int AskWatermarkQuestion(HWND owner, const UiSession* session, const WCHAR* text, UINT titleId,
                         UINT style);
void LoadWatermarkText(const UiSession* session, UINT id, WCHAR* text, int capacity);

// TRUE when the sheet edits the printer's defaults: every change to the
// store is then made in the model's shared file as well.
BOOL IsStoreMirrored(const UiSession* session);

// Writes the edited definition (its name is the title) as the printer's
// current watermark: a new title joins the page's list, the page combo and
// the editor's title combo. For a bitmap, definition.tempFile receives the
// private copy made of definition.file. The definition's list index.
int SaveWatermarkDefinition(HWND page, HWND editor, UiSession* session,
                            WatermarkDefinition& definition);

// The paper the session prints on as the preview shows it (tenths of a
// millimetre, turned for landscape).
SIZE PreviewPaperOf(const UiSession* session);

// The page outline of the preview in client: the paper (tenths of a
// millimetre) scaled into it, centred, with a margin.
RECT PreviewPageRect(const RECT& client, SIZE paper);

// The watermark offsets (-100..100 each) that put its centre at point.
POINT PreviewOffsetsAt(const RECT& client, SIZE paper, POINT point);

// Paints the preview: the page outline and the watermark on it as it would
// print, the text in its face, size, style, darkness and angle, or the
// bitmap (dib, packed, may be null) at its scale; moved by the offsets
// unless centred automatically.
void DrawWatermarkPreview(HDC dc, const RECT& client, SIZE paper,
                          const WatermarkDefinition& definition, HGLOBAL dib);
