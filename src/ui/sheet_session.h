// What the property sheets keep in a settings session between the host's
// calls: the host's handle and callback, what the caller allows, the pages
// added and the modules they draw from. It lives in the session's page
// state, which the session opens zeroed and frees with its heap.
#pragma once

#include "core/ui_session.h"

#include <windows.h>
#include <compstui.h>

// The document sheet's pages, in tab order.
enum SheetSlot { kSlotBasic = 0, kSlotAdvanced, kSlotTraySettings, kSlotSupport, kSheetSlots };

constexpr int kSheetGlobalBlocks = 20;

struct SheetSession {
    HANDLE host;                       // the host's handle for its callback
    PFNCOMPROPSHEET hostCallback;
    DWORD hasPermission;               // 0 when the caller denied changes
    DWORD userDefault;                 // the caller edits the user's defaults
    DWORD statusMonitorAvailable;
    DWORD remoteToolAvailable;
    BYTE watermarkStoreWritable;
    BYTE trayPageEnabled;
    WORD bscWord;                      // printer data "BSC", 1 when unreadable
    WORD wuWord;                       // printer data "WU", 1 when unreadable
    HANDLE pages[kSheetSlots];         // what the host returned per page, 0 when not added
    HMODULE languageModule;
    HMODULE modelResources;            // the model's resource module, or this module
    const DWORD* modelData;            // its data block, null when it has none
    DWORD modelDataReserved;
    HGLOBAL globals[kSheetGlobalBlocks];   // blocks the pages allocate
    HGLOBAL deviceOptions;             // the printer page's option block
    // The pages keep each other consistent through these: a page's window
    // is null until the page has been created, and a refresh mask collects
    // what the page must redraw when it becomes active again.
    HWND basicWindow;
    HWND advancedWindow;
    DWORD basicRefresh;
    DWORD advancedRefresh;
    HWND helpWindow;                   // the page help's HTML Help window
    HWND contextHelpWindow;            // the control help's HTML Help window
};
static_assert(sizeof(SheetSession) <= sizeof(UiSheetState::pageState), "fits the page state");
static_assert(offsetof(UiSession, sheet) % alignof(SheetSession) == 0, "page state alignment");
static_assert(offsetof(UiSheetState, pageState) % alignof(SheetSession) == 0, "");

inline SheetSession* SheetOf(UiSession* session)
{
    return reinterpret_cast<SheetSession*>(session->sheet.pageState);
}
inline const SheetSession* SheetOf(const UiSession* session)
{
    return reinterpret_cast<const SheetSession*>(session->sheet.pageState);
}

// What the Basic page redraws when it becomes active (basicRefresh).
constexpr DWORD kBasicRedrawPreviews = 0x01;
constexpr DWORD kBasicRebuildPaper = 0x10;

// What the Advanced page redraws when it becomes active (advancedRefresh).
constexpr DWORD kAdvancedRefreshDuplex = 0x04;        // the duplex controls
constexpr DWORD kAdvancedRefreshMemory = 0x08;        // the printer memory
constexpr DWORD kAdvancedRefreshOutputSizes = 0x20;   // the output-size list

// Tells the host that the page's settings were applied: the host then
// delivers the sheet's result.
void ReportPageApplied(UiSession* session, SheetSlot slot);

// The model's profile file (ExDefaultInformation), by name, beside this
// module.
const WCHAR* ExDefaultFileOf(const UiSession* session);

// When the model's profile asks for it ("SaveSetting"), the confirmed
// settings become its saved defaults; the request is then cleared.
void SaveRequestedProfile(UiSession* session);
