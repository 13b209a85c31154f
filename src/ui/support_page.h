// The Support page of the document sheet and the About dialog: who made
// the driver, its version and build date, the maker's web sites and the
// versions of the package's files.
#pragma once

#include "core/ui_session.h"

#include <windows.h>

constexpr WORD kSupportTemplate = 148;

// Controls of the Support page and the About dialog.
enum SupportControl : WORD {
    kIdDeviceName = 20,
    kIdVersionText = 362,
    kIdModelName = 480,
    kIdModelPicture = 481,
    kIdNoticeLine = 484,
    kIdRightsLine = 485,
    kIdSupportSite = 491,      // picture buttons 491-494
    kIdPrintSettings = 492,
    kIdPrintFonts = 493,
    kIdCheckSetting = 494,
    kIdSupportSiteKey = 496,   // invisible accelerator buttons 496-499
    kIdCheckSettingKey = 499,
    kIdSupportSiteText = 502,  // hidden statics describing the links
    kIdSuppliesSiteText = 503,
    kIdSuppliesSite = 504,
    kIdBuildDate = 555,
    kIdLogo = 556,
    kIdFileVersions = 634,
};

INT_PTR CALLBACK SupportPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The About dialog; as a page its init parameter is the page structure,
// as a modal dialog (ShowAboutDialog) one built the same way.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ShowAboutDialog(HWND owner, UiSession* session);

// "Version 1.07" for 0x0107: the word from strings (its string 4224,
// "Version" when missing), the high and low bytes.
void FormatVersionText(HMODULE strings, WORD driverVersion, WCHAR* text, size_t capacity);

// The date with each placeholder of pattern replaced: *yyyy* *yy* *y* for
// the year, *MMM* (monthName) *MM* *M* for the month, *dd* *d* for the day.
void ExpandDatePattern(const WCHAR* pattern, const SYSTEMTIME& date, const WCHAR* monthName,
                       WCHAR* text, size_t capacity);

// The driver's build date as the language module shows dates: its pattern
// (string 4299) when it has one, else month, day, month name and year.
void FormatBuildDate(HMODULE strings, WCHAR* text, size_t capacity);
