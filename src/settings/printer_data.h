// Per-printer values kept in the spooler's printer data, the PrinterData
// block, the driver's own paper sizes and the paper look-up.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"
#include "settings/profile_text.h"

#include <windows.h>

#pragma pack(push, 1)
struct PrinterDataBlock {
    WORD  version;          // 0x0107
    WORD  size;             // 108
    DWORD flags;            // kPrinterDataA4 | kPrinterDataHalftone | kPrinterDataNot1252
    DWORD freeMemory;       // bytes
    DWORD jobTimeout;
    DWORD waitTimeout;
    BYTE  reserved[20];
    WORD  checksum;         // modelChecksum of the model the options belong to
    WORD  optionCount;
    BYTE  options[64];      // one selection per installable feature
};
#pragma pack(pop)
static_assert(sizeof(PrinterDataBlock) == 108, "stored by the spooler as \"PrinterData\"");
static_assert(offsetof(PrinterDataBlock, flags) == 4, "");
static_assert(offsetof(PrinterDataBlock, freeMemory) == 8, "");
static_assert(offsetof(PrinterDataBlock, jobTimeout) == 12, "");
static_assert(offsetof(PrinterDataBlock, waitTimeout) == 16, "");
static_assert(offsetof(PrinterDataBlock, checksum) == 40, "");
static_assert(offsetof(PrinterDataBlock, optionCount) == 42, "");
static_assert(offsetof(PrinterDataBlock, options) == 44, "");

const WORD kPrinterDataVersion = 0x0107;
const DWORD kPrinterDataA4 = 0x1;
const DWORD kPrinterDataHalftone = 0x2;
const DWORD kPrinterDataNot1252 = 0x4;

// Blobs stored as a size value followed by a data value.
enum PrinterDataBlob {
    kBlobFontSubstitution = 0,   // "TTFontSubTableSize" / "TTFontSubTable"
    kBlobTrayForms = 1,          // "TrayFormSize" / "TrayFormTable"
    kBlobPrinterData = 2,        // "PrinterDataSize" / "PrinterData"
};

// The blob as one GlobalAlloc block (free with GlobalFree), or null when the
// size value is missing or 0 or the data cannot be read.
BYTE* ReadPrinterDataBlob(HANDLE printer, PrinterDataBlob which, DWORD* size);
BOOL WritePrinterDataBlob(HANDLE printer, PrinterDataBlob which, const void* data, DWORD size);

// The printer's description at a GetPrinterW level, in one GlobalAlloc
// block (free with GlobalFree); null when the spooler gives none.
BYTE* ReadPrinterInfo(HANDLE printer, DWORD level);

// A DWORD printer data value; FALSE (and *value untouched) when missing.
BOOL ReadPrinterDataDword(HANDLE printer, const WCHAR* name, DWORD* value);

// Writes one value through a handle of its own with full access, for
// callers whose handle may not allow writing.
BOOL SetPrinterDataReopened(HANDLE printer, const WCHAR* name, DWORD type, const void* data,
                            DWORD size);

void BuildPrinterDataBlock(HANDLE printer, const ModelContext* model, BOOL a4Locale,
                           PrinterDataBlock* block);
BOOL GetPrinterDataBlock(HANDLE printer, const ModelContext* model, BOOL a4Locale,
                         PrinterDataBlock* block);

// "CstPaper": FALSE when the value is missing or unreadable; an empty list
// (count 0) is a success.
BOOL ReadCustomPapers(HANDLE printer, ProfileCustomPaperList* papers);

enum PaperLookUpStatus { kPaperFound = 0, kPaperUserDefined = 1, kPaperNotFound = 2 };

struct PaperSize {
    LONG width;             // points, 24.8 fixed point
    LONG length;
    WCHAR formName[CCHFORMNAME];
};

// Windows paper code of a page-size keyword (Letter when unknown), for
// models that list no paper codes of their own.
WORD PaperCodeOfPageSize(const char* keyword);

// Size and form name of the record's dmPaperSize; writes dmFormName too.
// 256 and the driver's papers 300..315 always succeed: a driver paper the
// printer's list lacks measures 3 x 4.56 inches, and one looked up while
// the list is empty turns the record's dmPaperSize into 256. A model paper
// whose page size has no dimension counts as not found.
PaperLookUpStatus LookUpPaper(HANDLE printer, DEVMODEW* record, const ModelContext* model,
                              PaperSize* size);

// The spooler's form calls, replaceable so tests can record them (the
// platforms the tests run on do not keep added forms).
struct SpoolerFormCalls {
    BOOL (WINAPI* addForm)(HANDLE, DWORD, LPBYTE);
    BOOL (WINAPI* deleteForm)(HANDLE, LPWSTR);
    BOOL (WINAPI* enumForms)(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
};
// Installs calls (null restores the spooler's own); returns the previous ones.
SpoolerFormCalls SetSpoolerFormCalls(const SpoolerFormCalls* calls);

BOOL RegisterModelForms(HANDLE printer, const ModelContext* model);
BOOL RefreshModelForms(HANDLE printer, const ModelContext* model);

// Writes "ACC", "RAMDISK", "RAM" and the tray values from a private part.
void WriteTrayAndAccessoryData(HANDLE printer, const PrivateSettings* priv);
// Reads them back into a private part (a missing value leaves its field as
// it was) and derives the printer-collation bit of copyFlags.
void ReadTrayAndAccessoryData(HANDLE printer, PrivateSettings* priv);

// The installation step run when a queue is set up: "FreeMem" and
// "PrinterHT" from the block, the installation defaults (the profile beside
// this module copied into the defaults file of the 32-bit system
// directory, then carried into printer data) and the block as
// "PrinterData". The result is that of the last write.
BOOL InitialisePrinterData(HANDLE printer, const PrinterDataBlock* block);
