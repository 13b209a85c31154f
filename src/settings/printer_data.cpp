// Printer data values: the paired blobs, single DWORDs, the PrinterData
// block and the driver's own paper sizes ("CstPaper").
#include "settings/printer_data.h"

#include "core/model_queries.h"
#include "core/spooler_info.h"

#include <cstring>

namespace {

struct BlobNames {
    const WCHAR* size;
    const WCHAR* data;
};
const BlobNames kBlobNames[] = {
    {L"TTFontSubTableSize", L"TTFontSubTable"},
    {L"TrayFormSize", L"TrayFormTable"},
    {L"PrinterDataSize", L"PrinterData"},
};

// Longer "CstPaper" values are not the driver's and are not read.
const DWORD kCustomPaperBytes = 1300;

const BlobNames* NamesOf(PrinterDataBlob which)
{
    if (which < kBlobFontSubstitution || which > kBlobPrinterData) return nullptr;
    return &kBlobNames[which];
}

}  // namespace

BOOL ReadPrinterDataDword(HANDLE printer, const WCHAR* name, DWORD* value)
{
    DWORD type = 0, needed = 0, read = 0;
    if (!printer || !name || !value) return FALSE;
    if (QueryPrinterData(printer, name, &type, reinterpret_cast<BYTE*>(&read),
                         sizeof(read), &needed) != ERROR_SUCCESS ||
        needed != sizeof(read))
        return FALSE;
    *value = read;
    return TRUE;
}

BYTE* ReadPrinterDataBlob(HANDLE printer, PrinterDataBlob which, DWORD* size)
{
    const BlobNames* names = NamesOf(which);
    DWORD blobSize = 0, type = 0, needed = 0;
    BYTE* blob = nullptr;
    if (size) *size = 0;
    if (!names || !ReadPrinterDataDword(printer, names->size, &blobSize) || blobSize == 0)
        return nullptr;
    blob = static_cast<BYTE*>(GlobalAlloc(GPTR, blobSize));
    if (!blob) return nullptr;
    if (QueryPrinterData(printer, names->data, &type, blob, blobSize,
                         &needed) != ERROR_SUCCESS) {
        GlobalFree(blob);
        return nullptr;
    }
    if (size) *size = blobSize;
    return blob;
}

BOOL WritePrinterDataBlob(HANDLE printer, PrinterDataBlob which, const void* data, DWORD size)
{
    const BlobNames* names = NamesOf(which);
    if (!printer || !names || (!data && size)) return FALSE;
    if (WritePrinterData(printer, names->size, REG_DWORD,
                         reinterpret_cast<BYTE*>(&size), sizeof(size)) != ERROR_SUCCESS)
        return FALSE;
    return WritePrinterData(printer, names->data, REG_BINARY, data, size) == ERROR_SUCCESS;
}

BOOL SetPrinterDataReopened(HANDLE printer, const WCHAR* name, DWORD type, const void* data,
                            DWORD size)
{
    BOOL ok = FALSE;
    HANDLE writer = nullptr;
    if (!printer || !name) return FALSE;
    // The caller's handle may have been opened for reading only; a handle of
    // our own, opened by the queue's name, carries the rights to write.
    auto* info = reinterpret_cast<PRINTER_INFO_1W*>(ReadPrinterInfo(printer, 1));
    if (info && (writer = OpenPrinterForWriting(info->pName)) != nullptr) {
        ok = WritePrinterData(writer, name, type, data, size) == ERROR_SUCCESS;
        ClosePrinter(writer);
    }
    if (info) GlobalFree(info);
    return ok;
}

void BuildPrinterDataBlock(HANDLE printer, const ModelContext* model, BOOL a4Locale,
                           PrinterDataBlock* block)
{
    DWORD kilobytes = 0, halftone = 0, type = 0, needed = 0;
    if (!block) return;
    ZeroMemory(block, sizeof(*block));
    block->version = kPrinterDataVersion;
    block->size = sizeof(PrinterDataBlock);
    if (model) {
        const ModelFeature* memory = FeatureOfKind(model, kKindVMOption);
        if (memory && memory->optionCount) block->freeMemory = memory->options[0].memoryKB;
        block->jobTimeout = model->suggestedJobTimeout;
        block->waitTimeout = model->suggestedWaitTimeout;
        block->checksum = model->modelChecksum;
        // One selection per installable feature: the features after the
        // ordinary ones, each at its default option.
        DWORD count = model->installableCount;
        if (count > sizeof(block->options)) count = sizeof(block->options);
        const ModelFeature* installable = model->features + model->optionCount;
        for (DWORD i = 0; i < count && model->optionCount + i < model->featureCount; ++i) {
            block->options[i] = static_cast<BYTE>(installable[i].defaultOption);
            block->optionCount = static_cast<WORD>(i + 1);
        }
    }
    if (ReadPrinterDataDword(printer, L"FreeMem", &kilobytes)) {
        DWORD bytes = kilobytes * 1024;
        block->freeMemory = bytes < kModelMinimumFreeVM ? kModelMinimumFreeVM : bytes;
    }
    if (printer &&
        QueryPrinterData(printer, L"PrinterHT", &type,
                         reinterpret_cast<BYTE*>(&halftone), sizeof(halftone),
                         &needed) == ERROR_SUCCESS &&
        halftone)
        block->flags |= kPrinterDataHalftone;
    if (a4Locale) block->flags |= kPrinterDataA4;
    if (GetACP() != 1252) block->flags |= kPrinterDataNot1252;
}

BOOL GetPrinterDataBlock(HANDLE printer, const ModelContext* model, BOOL a4Locale,
                         PrinterDataBlock* block)
{
    DWORD size = 0;
    BYTE* stored = nullptr;
    if (!block) return FALSE;
    stored = ReadPrinterDataBlob(printer, kBlobPrinterData, &size);
    if (stored) {
        // A record of an older layout may be shorter; the upgrade of the
        // queue completes it.
        ZeroMemory(block, sizeof(*block));
        memcpy(block, stored, size < sizeof(*block) ? size : sizeof(*block));
        GlobalFree(stored);
        // Options stored for another model description no longer name the
        // same features; everything else about the printer still holds.
        if (model && block->checksum != model->modelChecksum) {
            PrinterDataBlock fresh;
            BuildPrinterDataBlock(nullptr, model, a4Locale, &fresh);
            block->checksum = fresh.checksum;
            block->optionCount = fresh.optionCount;
            memcpy(block->options, fresh.options, sizeof(block->options));
        }
        return TRUE;
    }
    BuildPrinterDataBlock(printer, model, a4Locale, block);
    return TRUE;
}

BOOL ReadCustomPapers(HANDLE printer, ProfileCustomPaperList* papers)
{
    WCHAR text[kCustomPaperBytes / sizeof(WCHAR) + 1];
    DWORD type = 0, needed = 0;
    if (!papers) return FALSE;
    ZeroMemory(papers, sizeof(*papers));
    if (!printer ||
        QueryPrinterData(printer, L"CstPaper", &type,
                         reinterpret_cast<BYTE*>(text), kCustomPaperBytes,
                         &needed) != ERROR_SUCCESS)
        return FALSE;
    // The value should carry its terminator; do not rely on it.
    text[needed / sizeof(WCHAR)] = 0;
    // A text without a count (the "no papers" marker) is an empty list.
    DecodeCustomPaperList(text, papers);
    return TRUE;
}
