// Per-printer values kept in the spooler's printer data: the paired blobs,
// single values, the PrinterData block and the driver's own paper sizes.
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
    WORD  modelVariant;     // which model of the package family the queue drives
    BYTE  reserved[18];
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
static_assert(offsetof(PrinterDataBlock, modelVariant) == 20, "");
static_assert(offsetof(PrinterDataBlock, checksum) == 40, "");
static_assert(offsetof(PrinterDataBlock, optionCount) == 42, "");
static_assert(offsetof(PrinterDataBlock, options) == 44, "");

const WORD kPrinterDataVersion = 0x0107;   // 263
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
