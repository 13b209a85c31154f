#include "settings/watermark_bitmap.h"

#include "settings/dib_decode.h"

#include <cstddef>

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DibInfoHeader), "packed DIB header");
static_assert(offsetof(BITMAPINFOHEADER, biCompression) == offsetof(DibInfoHeader, compression), "");
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == offsetof(DibInfoHeader, clrUsed), "");

namespace {

constexpr WORD kBitmapFileType = 0x4D42;    // "BM"

// The largest bitmap accepted uncompressed, with room for headers, a colour
// table and a gap before the bits; RLE data is never larger in practice.
// A bigger file is refused before memory is set aside for it.
constexpr LONGLONG kMaxFileSize = 2 * LONGLONG(kMaxDibImageBytes);

// ReadFile may return less than asked only at the end of the file; a file
// that shrank while being read is as unusable as a short one.
BOOL ReadExactly(HANDLE file, void* buffer, DWORD size)
{
    DWORD got = 0;
    return ReadFile(file, buffer, size, &got, nullptr) && got == size;
}

}  // namespace

BOOL LoadWatermarkBitmap(const char* path, HGLOBAL* dib, DWORD* colourCount)
{
    BOOL ok = FALSE;
    HANDLE file = INVALID_HANDLE_VALUE;
    HGLOBAL input = nullptr;
    HGLOBAL output = nullptr;
    BYTE* bytes = nullptr;
    BYTE* packed = nullptr;
    BYTE fileHeader[kBmpFileHeaderSize];
    LARGE_INTEGER fileSize;
    DWORD restSize = 0;
    DWORD bitsOffset = 0;
    DibLayout layout = {};

    if (dib)
        *dib = nullptr;
    if (colourCount)
        *colourCount = 0;
    if (!path || !dib || !colourCount)
        return FALSE;

    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        goto done;
    // The real size, not the header's bfSize: writers get that one wrong and
    // only what is in the file can be read.
    if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart < LONGLONG(kBmpFileHeaderSize) ||
        fileSize.QuadPart > kMaxFileSize)
        goto done;
    if (!ReadExactly(file, fileHeader, sizeof(fileHeader)))
        goto done;
    if ((fileHeader[0] | (fileHeader[1] << 8)) != kBitmapFileType)
        goto done;
    bitsOffset = DWORD(fileHeader[10]) | (DWORD(fileHeader[11]) << 8) |
                 (DWORD(fileHeader[12]) << 16) | (DWORD(fileHeader[13]) << 24);

    restSize = DWORD(fileSize.QuadPart - kBmpFileHeaderSize);
    if (restSize == 0)
        goto done;
    input = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, restSize);
    if (!input)
        goto done;
    bytes = static_cast<BYTE*>(GlobalLock(input));
    if (!bytes || !ReadExactly(file, bytes, restSize))
        goto done;

    if (PlanDib(bytes, restSize, bitsOffset, &layout) != DibStatus::Ok)
        goto done;
    output = GlobalAlloc(GMEM_MOVEABLE, layout.packedSize);
    if (!output)
        goto done;
    packed = static_cast<BYTE*>(GlobalLock(output));
    if (!packed || WriteDib(bytes, restSize, layout, packed, layout.packedSize) != DibStatus::Ok)
        goto done;

    ok = TRUE;
done:
    if (packed)
        GlobalUnlock(output);
    if (!ok && output)
        GlobalFree(output);
    if (bytes)
        GlobalUnlock(input);
    if (input)
        GlobalFree(input);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (ok) {
        *dib = output;
        *colourCount = layout.colourCount;
    }
    return ok;
}

void FreeWatermarkBitmap(HGLOBAL dib)
{
    if (dib)
        GlobalFree(dib);
}
