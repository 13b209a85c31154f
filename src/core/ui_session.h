// The UiSession: the working record of one property-sheet invocation or one
// DEVMODE conversion. It lives in a private heap of its own, so closing the
// session frees every string it holds in one step.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"
#include "settings/printer_data.h"
#include "settings/profile_text.h"
#include "settings/watermark_store.h"

#include <windows.h>
#include <compstui.h>

#include <cstddef>

constexpr size_t kUiSessionSize = 5880;
constexpr size_t kUiSessionPageStateSize = 1440;
constexpr int kAtomNameChars = 64;

// What the property-sheet pages keep in the session. The watermark state
// sits on the session heap (it carries three paths); the pages lay out the
// rest of their state in pageState, which starts zeroed.
struct UiSheetState {
    WatermarkState* watermark;
    BYTE pageState[kUiSessionPageStateSize - sizeof(WatermarkState*)];
};
static_assert(sizeof(UiSheetState) == kUiSessionPageStateSize, "room the pages may use");

struct UiSession {
    UiSession* selfStart;          // == this, with selfEnd: recognises a session handle
    HANDLE printer;                // the caller's, not owned
    ModelContext* model;           // acquired through the cache
    HANDLE heap;                   // private heap holding the session and its strings
    WCHAR* helpFile;               // in the heap
    DWORD usesDriverProcessor;     // the driver's job processor is in the print path
    WCHAR* driverName;             // in the heap
    PrinterDataBlock printerData;
    DriverDevmode devmode;         // the working settings
    UiSheetState sheet;
    DWORD multiPageOptionCount;
    DWORD hrcOptionCount;
    WCHAR* portName;               // in the heap
    WCHAR watermarkFile[16];       // the file list's names
    WCHAR commonOptionFile[16];
    WCHAR defaultFile[16];
    WCHAR exDefaultFile[16];
    WCHAR printerInfoFile[16];
    WCHAR atomName[kAtomNameChars];    // global atom of the document events
    ProfileCustomPaperList customPapers;
    DWORD reserved;
    UiSession* selfEnd;
};
static_assert(sizeof(UiSession) == kUiSessionSize, "one 5880-byte block");
static_assert(offsetof(UiSession, selfStart) == 0, "guard opens the record");
static_assert(offsetof(UiSession, selfEnd) == kUiSessionSize - sizeof(void*), "guard closes it");

// Opens a session on the printer, with the caller's DEVMODE (or null)
// merged over the printer's settings. Null when the heap, the model, the
// printer's information or its PrinterData block cannot be had.
UiSession* OpenUiSession(HANDLE printer, const DEVMODEW* callerDevmode);

// Releases the model and the watermark buffers and destroys the heap.
void CloseUiSession(UiSession* session);

// TRUE when session points at an open session (both guards intact).
BOOL IsUiSession(const UiSession* session);

// The common property-sheet host, loaded for the call. Returns the host's
// result, or -1 when the library or its entry point is missing.
LONG CallCommonPropertySheetUI(HWND owner, PFNPROPSHEETUI callback, LPARAM param,
                               DWORD* result);

// 1 when the file can be opened for reading, else 0.
BOOL FileExists(const WCHAR* path);

// "SaveSetting" of "Default Setting" in the named file beside this module
// (0 when absent).
BOOL IsSaveSettingEnabled(const WCHAR* fileName);

// The session's atom name for a model description path: "KVRBATOM_" and
// the file's name up to its first dot (a leading dot is kept).
void MakeAtomName(const WCHAR* modelPath, WCHAR* atomName, size_t capacity);
