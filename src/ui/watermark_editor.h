// The watermark editor the Advanced page opens, and the page's deletions.
// Both work on the session's watermark state and store, and on the
// Advanced page's watermark list (293) and page combo (313).
#pragma once

#include "core/ui_session.h"

#include <windows.h>

// "Watermark Setting" (template 107) over the Advanced page, for a new
// watermark or the selected one. The watermark's list index after OK, -1
// after Cancel or when the dialog cannot be created.
int RunWatermarkEditor(HWND advancedPage, UiSession* session, BOOL newWatermark);

// The Advanced page's "Delete": the selected watermark, or every watermark
// when all is set (Shift held). Asks first; TRUE when something was deleted.
BOOL DeleteWatermarkFromPage(HWND advancedPage, UiSession* session, BOOL all);

// The Advanced page's watermark preview (288): the current watermark on
// the page as it would print, or the empty page while watermarks are off.
void DrawPageWatermarkPreview(const UiSession* session, const DRAWITEMSTRUCT* item);
