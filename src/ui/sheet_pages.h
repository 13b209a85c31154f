// The steps both property sheets share: adding pages through the host,
// the header the host shows, and the model's resource module.
#pragma once

#include "ui/sheet_session.h"

#include <windows.h>
#include <prsht.h>

// A page structure as the host expects it: the current version, whose
// last field (the header bitmap) this SDK level leaves out.
struct SheetPage {
    PROPSHEETPAGEW page;
    HBITMAP headerBitmap;
};
constexpr UINT kSheetPageSize = 104;
static_assert(sizeof(SheetPage) == kSheetPageSize, "the size the host is told");

// Dialog templates and tab titles of the pages.
constexpr WORD kAboutTemplate = 143;
constexpr WORD kTraySettingsTemplate = 147;
constexpr UINT kTraySettingsTitle = 601;

// A cleared page structure for the session: size, language module,
// session as lParam.
SheetPage NewSheetPage(UiSession* session);

// The tab title string id on the session heap, at most maxChars
// characters; null when it cannot be loaded or copied.
WCHAR* LoadPageTitle(UiSession* session, UINT id, int maxChars);

// A string of the language module (this module's when the language module
// lacks it); the number of characters, 0 with an empty text when missing.
int LoadPageString(const UiSession* session, UINT id, WCHAR* text, int capacity);

// Inserts page at index; the host's handle, 0 when it refused.
HANDLE InsertSheetPage(UiSession* session, const SheetPage& page, int index);

// Appends page; the host's handle, 0 when it refused.
HANDLE AddSheetPage(UiSession* session, const SheetPage& page);

// The session behind a non-INIT call, null when the record is missing or
// its guards are damaged.
UiSession* SheetSessionOf(const PROPSHEETUI_INFO* info);

// The end of a successful INIT: the session in UserData, the language
// module recorded and the model's resource module loaded.
void CompleteSheetInit(PROPSHEETUI_INFO* info, UiSession* session);

// Frees the model's resource module unless it is this module.
void FreeModelResources(UiSession* session);

// The header the host puts on the sheet: the printer's name as title.
LONG FillSheetHeader(LPARAM param, const WCHAR* printerName);

// The copy of the model's resource module path: the directory of the
// driver data file and the module's file name. FALSE when it does not fit.
BOOL ModelResourcePath(const WCHAR* dataFile, const WCHAR* fileName, WCHAR* path, size_t capacity);
