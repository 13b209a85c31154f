// The bitmap of a bitmap watermark, loaded from the BMP file the user chose
// (in practice the watermark's private copy of it).
#pragma once

#include <windows.h>

// Reads the BMP file at path (8-bit characters, system code page) and
// returns a movable global block holding its packed DIB: BITMAPINFOHEADER
// with biClrUsed set to the colour table's length, the colour table, and
// uncompressed bottom-up bits (RLE files are expanded). colourCount receives
// the colour table's length (0 for a 24-bit file without a palette).
// Returns FALSE, with *dib null and *colourCount 0, when the file cannot be
// read or is not a bitmap this driver can draw; the caller decides whether
// to tell the user. Free the block with FreeWatermarkBitmap.
BOOL LoadWatermarkBitmap(const char* path, HGLOBAL* dib, DWORD* colourCount);

// Frees a block from LoadWatermarkBitmap; null is ignored.
void FreeWatermarkBitmap(HGLOBAL dib);
