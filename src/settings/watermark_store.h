// The watermark store: named watermark definitions in the machine-wide INI
// file "KVWMARK.INI", which printer each uses, and their copies in the
// model's shared file and in settings profiles.
#pragma once

#include "settings/driver_devmode.h"

#include <windows.h>

const WORD kNoWatermarkSelected = 65535;

// Receives the store's list when a page shows it.
struct WatermarkListSink {
    void* context;
    void (*clear)(void* context);
    void (*add)(void* context, const WCHAR* name);
    void (*select)(void* context, WORD position);
};

// Per-session watermark state, held in the settings session.
struct WatermarkState {
    WORD selectedIndex;          // position in the store's list, kNoWatermarkSelected = none
    BOOL autoCentre;
    BOOL isBitmap;
    HGLOBAL bitmap;              // packed DIB of a bitmap watermark
    DWORD bitmapColours;
    HGLOBAL bitmapPath;          // 520-byte block: the "File" path
    HGLOBAL tempPath;            // 520-byte block: the "TmpFile" path
    BOOL showLoadErrors;
    HWND advancedPage;           // owner of load-error messages; null while the page is closed
    BOOL storeShared;            // edits of the printer's defaults: mirror into the shared file
    WCHAR sharedFile[16];        // file-list "WatermarkInformation" name
    WCHAR storePath[MAX_PATH];   // the store file
    WCHAR sharedPath[MAX_PATH];  // the model's shared file, empty when unknown
    WCHAR printerName[MAX_PATH]; // the printer's section in the store
};

// Path of "KVWMARK.INI" in the system Windows directory.
BOOL WatermarkStorePath(WCHAR* path, size_t capacity);

// The name the store's list gives under key ("0", "1", ...: a position in
// the list as text); FALSE when the list has no such key.
BOOL ReadWatermarkListName(const WCHAR* file, const WCHAR* key, WCHAR* name, DWORD capacity);
// The same by position; the list ends at the first position it lacks.
BOOL ReadWatermarkListEntry(const WCHAR* file, int index, WCHAR* name, DWORD capacity);

// The printer's section name in the store: the queue's name, or
// dmDeviceName when the printer cannot be queried.
void WatermarkPrinterName(HANDLE printer, const DEVMODEW* dm, WCHAR* name, size_t capacity);

// Fills state with the store path, the printer's section name (the queue's
// name, or dmDeviceName when the printer cannot be queried) and the shared
// file of the driver. Frees nothing; pair with ReleaseWatermarkState.
void InitialiseWatermarkState(WatermarkState* state, HANDLE printer, const DEVMODEW* dm);
void ReleaseWatermarkState(WatermarkState* state);

// Loads the printer's current watermark into the DEVMODE and the state.
// Returns FALSE when the store lists no watermark.
BOOL LoadCurrentWatermark(WatermarkState* state, DEVMODEW* dm, const WatermarkListSink* sink);

// One watermark definition as the store writes it.
struct WatermarkDefinition {
    WCHAR name[64];              // the title, also the section name
    WCHAR text[32];              // empty for a bitmap watermark
    WCHAR face[LF_FACESIZE];
    int size;                    // points
    int style;                   // bit 0 italic, bit 1 bold
    int darkness;                // percent
    int escapement;              // tenths of a degree
    BOOL autoCentre;
    int offsetX, offsetY;        // -100..100
    int scale;                   // percent
    WCHAR file[MAX_PATH];        // bitmap file, empty for text
    WCHAR tempFile[MAX_PATH];    // private copy of the bitmap
};

// Adds the shared file's definitions the store lacks.
void MergeSharedWatermarks(const WCHAR* storePath, const WCHAR* sharedPath);

// Copies the store's list, every listed section and the printer's section
// (as "Default WMark") into a settings profile.
void ExportWatermarksToProfile(const WCHAR* storePath, const WCHAR* printerName,
                               const WCHAR* profilePath);

// Brings a profile's watermarks into the store and makes its "Default WMark"
// the printer's section. Returns 0 when the profile held nothing to import.
int ImportWatermarksFromProfile(const WCHAR* storePath, const WCHAR* printerName,
                                const WCHAR* profilePath);

// Store primitives of the watermark editor. path is the store or the
// shared file (which mirrors the store when the printer's defaults are edited).
void WriteCurrentWatermark(const WCHAR* storePath, const WCHAR* printerName, int index);
void WriteWatermarkListEntry(const WCHAR* path, int index, const WCHAR* name);
void RewriteWatermarkList(const WCHAR* path, const WCHAR* const* names, int count);
void WriteWatermarkSection(const WCHAR* path, const WatermarkDefinition& definition);
void CopyWatermarkSection(const WCHAR* fromPath, const WCHAR* toPath, const WCHAR* name);
void RemoveWatermarkSection(const WCHAR* path, const WCHAR* name);
BOOL TruncateWatermarkStore(const WCHAR* storePath);
// How many names the list of the store (or shared file) at path holds.
int CountWatermarkListEntries(const WCHAR* path);
// TRUE when path holds a section of that name.
BOOL HasWatermarkSection(const WCHAR* path, const WCHAR* name);
// Opens the private copy of a bitmap to every user (null DACL).
void ShareWatermarkCopy(const WCHAR* path);
