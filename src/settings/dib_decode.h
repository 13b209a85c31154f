// Turns the contents of a BMP file into a packed DIB that GDI and the
// watermark drawing code can use directly: a 40-byte BITMAPINFOHEADER, the
// colour table and uncompressed bottom-up bits. RLE8 and RLE4 bitmaps are
// expanded to plain 8-bit and 4-bit DIBs.
//
// Pure code: no Windows calls and only fixed-width types, so that it also
// builds natively for fuzzing. The bytes come from a file the user picked,
// so every size is checked before it is trusted.
//
// What is accepted:
// - an info header of 40 bytes or more (the larger V4/V5 headers too; only
//   their first 40 bytes matter, the colour table follows the whole header);
// - 1, 4, 8 and 24 bits per pixel uncompressed, RLE8 at 8 and RLE4 at
//   4 bits per pixel; one plane;
// - width 1..kMaxDibDimension, height of the same magnitude; a negative
//   height (top-down rows) only uncompressed, and the rows are then turned
//   so that the result is always bottom-up;
// - at most kMaxDibImageBytes of uncompressed bits.
//
// Compressed bits follow the documented bottom-up RLE rules: a count byte
// with a pixel byte is a run; an escape 0 followed by 0 ends the line, by 1
// ends the bitmap, by 2 moves the position right and up by the next two
// bytes, and by 3..255 introduces that many literal pixels padded to an even
// number of bytes. Pixels that the stream never sets keep colour index 0.
// A run or literal that reaches past the right edge is clipped there: RLE4
// writers commonly pad odd widths with one extra pixel. Everything else that
// leaves the image fails the bitmap: pixels, line ends or moves beyond the
// last row or right edge, a code or literal cut off by the end of the
// compressed data, and data that ends without its end-of-bitmap code.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kDibInfoHeaderSize  = 40;
constexpr uint32_t kBmpFileHeaderSize  = 14;
constexpr int32_t  kMaxDibDimension    = 32768;
constexpr uint32_t kMaxDibImageBytes   = 64u << 20;

constexpr uint32_t kDibCompressionNone = 0;
constexpr uint32_t kDibCompressionRle8 = 1;
constexpr uint32_t kDibCompressionRle4 = 2;

#pragma pack(push, 1)
// BITMAPINFOHEADER with fixed-width fields, as stored in files and packed DIBs.
struct DibInfoHeader {
    uint32_t size;
    int32_t  width;
    int32_t  height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t  xPelsPerMeter;
    int32_t  yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
#pragma pack(pop)
static_assert(sizeof(DibInfoHeader) == kDibInfoHeaderSize, "BITMAPINFOHEADER is a file format");

enum class DibStatus : uint8_t {
    Ok,
    ShortHeader,        // the file ends inside the info header or the colour table
    BadHeaderSize,      // an info header below 40 bytes (OS/2 core headers)
    BadDimensions,      // width or height zero, negative width, or too large
    BadPlanes,          // more or fewer than one plane
    UnsupportedFormat,  // bit count and compression not among those accepted
    BadColourCount,     // more colours than the bit count can address
    TooLarge,           // uncompressed bits beyond kMaxDibImageBytes
    TopDownRle,         // compressed bits with a negative height
    BadBitsOffset,      // the file header puts the bits past the end of the file
    ShortBits,          // the file ends before the bits the header declares
    RleTruncated,       // compressed data ends inside a code or before end-of-bitmap
    RleOutsideImage,    // a code moves or draws beyond the image
    BadArgument,        // a null pointer, or an output buffer of the wrong size
};

// Name of a status for diagnostics ("RleTruncated", ...).
const char* DibStatusName(DibStatus status);

// Where the parts of one bitmap lie, worked out from its headers.
struct DibLayout {
    DibInfoHeader header;       // the source info header's first 40 bytes
    uint32_t colourCount;       // colour table entries
    size_t   colourTableAt;     // offset of the colour table in the input
    size_t   bitsAt;            // offset of the bits in the input
    size_t   bitsSize;          // bytes of input the bits occupy
    uint32_t width;
    uint32_t height;            // rows, whatever the row order
    bool     topDown;
    uint32_t stride;            // bytes per uncompressed row, a multiple of 4
    uint32_t imageSize;         // stride × height
    size_t   packedSize;        // 40 + 4 × colourCount + imageSize
};

// Checks the headers of a bitmap and fills layout. data and size are the
// file's bytes after its 14-byte file header; bitsOffset is that header's
// offset of the bits, counted from the start of the file. An offset that
// points into the header or colour table is ignored (the bits then follow
// the colour table), as many writers leave it 0.
DibStatus PlanDib(const uint8_t* data, size_t size, uint32_t bitsOffset, DibLayout* layout);

// Writes the packed DIB of a planned bitmap into out, which must hold
// exactly layout.packedSize bytes; compressed bits are expanded and checked
// here, so this can still fail. out need not be zeroed.
DibStatus WriteDib(const uint8_t* data, size_t size, const DibLayout& layout, uint8_t* out,
                   size_t outSize);
