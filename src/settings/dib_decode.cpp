#include "settings/dib_decode.h"

#include <cstring>

namespace {

// The input may start at any address and is little-endian whatever the host.
uint16_t Read16(const uint8_t* at)
{
    return uint16_t(at[0] | (at[1] << 8));
}

uint32_t Read32(const uint8_t* at)
{
    return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) |
           (uint32_t(at[3]) << 24);
}

DibInfoHeader ReadInfoHeader(const uint8_t* at)
{
    DibInfoHeader h;
    h.size = Read32(at);
    h.width = int32_t(Read32(at + 4));
    h.height = int32_t(Read32(at + 8));
    h.planes = Read16(at + 12);
    h.bitCount = Read16(at + 14);
    h.compression = Read32(at + 16);
    h.sizeImage = Read32(at + 20);
    h.xPelsPerMeter = int32_t(Read32(at + 24));
    h.yPelsPerMeter = int32_t(Read32(at + 28));
    h.clrUsed = Read32(at + 32);
    h.clrImportant = Read32(at + 36);
    return h;
}

struct FormatRule {
    uint16_t bitCount;
    uint32_t compression;
    uint32_t maxColours;        // colour table entries the pixels can address
    uint32_t impliedColours;    // table entries when biClrUsed is 0
};

// 24-bit pixels address no table, but a file may carry one as a palette hint
// for 256-colour displays; a longer one is no hint but damage.
const FormatRule kFormats[] = {
    {1, kDibCompressionNone, 2, 2},
    {4, kDibCompressionNone, 16, 16},
    {8, kDibCompressionNone, 256, 256},
    {24, kDibCompressionNone, 256, 0},
    {8, kDibCompressionRle8, 256, 256},
    {4, kDibCompressionRle4, 16, 16},
};

const FormatRule* FindFormat(uint16_t bitCount, uint32_t compression)
{
    for (const FormatRule& rule : kFormats) {
        if (rule.bitCount == bitCount && rule.compression == compression)
            return &rule;
    }
    return nullptr;
}

// In the order of DibStatus.
const char* const kStatusNames[] = {
    "Ok",         "ShortHeader",    "BadHeaderSize",  "BadDimensions",
    "BadPlanes",  "UnsupportedFormat", "BadColourCount", "TooLarge",
    "TopDownRle", "BadBitsOffset",  "ShortBits",      "RleTruncated",
    "RleOutsideImage", "BadArgument",
};
static_assert(sizeof(kStatusNames) / sizeof(kStatusNames[0]) ==
                  size_t(DibStatus::BadArgument) + 1,
              "one name per status");

// Writes one pixel of an uncompressed row; 4-bit rows hold the left pixel
// in the high nibble.
void PutPixel(uint8_t* row, uint32_t x, uint8_t index, bool fourBit)
{
    if (!fourBit) {
        row[x] = index;
        return;
    }
    uint8_t& pair = row[x / 2];
    if (x & 1)
        pair = uint8_t((pair & 0xF0) | (index & 0x0F));
    else
        pair = uint8_t((pair & 0x0F) | (index << 4));
}

// Expands RLE8 or RLE4 data into zeroed bottom-up rows. The first row of
// the stream is the bottom row, which is also the first row in memory.
DibStatus ExpandRle(const uint8_t* in, size_t inSize, const DibLayout& layout, uint8_t* bits)
{
    const bool fourBit = layout.header.compression == kDibCompressionRle4;
    const uint32_t width = layout.width;
    const uint32_t height = layout.height;
    size_t at = 0;
    uint32_t x = 0;
    uint32_t y = 0;

    for (;;) {
        if (inSize - at < 2)
            return DibStatus::RleTruncated;
        const uint8_t first = in[at];
        const uint8_t second = in[at + 1];
        at += 2;

        if (first != 0) {
            // A run of `first` pixels; RLE4 alternates the byte's two nibbles.
            if (y >= height)
                return DibStatus::RleOutsideImage;
            uint8_t* row = bits + size_t(y) * layout.stride;
            const uint32_t count = uint32_t(first) < width - x ? uint32_t(first) : width - x;
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t index = fourBit ? ((i & 1) ? second & 0x0F : second >> 4) : second;
                PutPixel(row, x + i, index, fourBit);
            }
            x += count;
            continue;
        }

        switch (second) {
        case 0:     // end of line
            if (y >= height)
                return DibStatus::RleOutsideImage;
            x = 0;
            ++y;
            break;
        case 1:     // end of bitmap
            return DibStatus::Ok;
        case 2: {   // move right and up
            if (inSize - at < 2)
                return DibStatus::RleTruncated;
            const uint32_t toX = x + in[at];
            const uint32_t toY = y + in[at + 1];
            at += 2;
            // A move may end just past the last pixel of a row, as a run
            // may; further right, or above the top row, the data is corrupt.
            if (toX > width || toY >= height)
                return DibStatus::RleOutsideImage;
            x = toX;
            y = toY;
            break;
        }
        default: {  // `second` literal pixels, padded to a 16-bit boundary
            const uint32_t count = second;
            size_t bytes = fourBit ? (count + 1) / 2 : count;
            bytes += bytes & 1;
            if (inSize - at < bytes)
                return DibStatus::RleTruncated;
            if (y >= height)
                return DibStatus::RleOutsideImage;
            const uint8_t* literal = in + at;
            at += bytes;
            uint8_t* row = bits + size_t(y) * layout.stride;
            const uint32_t shown = count < width - x ? count : width - x;
            for (uint32_t i = 0; i < shown; ++i) {
                const uint8_t index =
                    fourBit ? ((i & 1) ? literal[i / 2] & 0x0F : literal[i / 2] >> 4) : literal[i];
                PutPixel(row, x + i, index, fourBit);
            }
            x += shown;
            break;
        }
        }
    }
}

}  // namespace

const char* DibStatusName(DibStatus status)
{
    const size_t index = size_t(status);
    return index < sizeof(kStatusNames) / sizeof(kStatusNames[0]) ? kStatusNames[index] : "?";
}

DibStatus PlanDib(const uint8_t* data, size_t size, uint32_t bitsOffset, DibLayout* layout)
{
    if (!data || !layout)
        return DibStatus::BadArgument;
    if (size < kDibInfoHeaderSize)
        return DibStatus::ShortHeader;

    DibLayout plan = {};
    DibInfoHeader& h = plan.header;
    h = ReadInfoHeader(data);
    if (h.size < kDibInfoHeaderSize)
        return DibStatus::BadHeaderSize;
    if (h.size > size)
        return DibStatus::ShortHeader;

    // The magnitude is taken in 64 bits: the negation of INT32_MIN does not
    // fit in 32.
    const int64_t rows = h.height < 0 ? -int64_t(h.height) : int64_t(h.height);
    if (h.width <= 0 || h.width > kMaxDibDimension || rows == 0 || rows > kMaxDibDimension)
        return DibStatus::BadDimensions;
    if (h.planes != 1)
        return DibStatus::BadPlanes;
    const FormatRule* format = FindFormat(h.bitCount, h.compression);
    if (!format)
        return DibStatus::UnsupportedFormat;
    if (h.clrUsed > format->maxColours)
        return DibStatus::BadColourCount;
    // RLE codes walk the rows bottom-up; a top-down stream has no defined
    // meaning.
    if (h.height < 0 && h.compression != kDibCompressionNone)
        return DibStatus::TopDownRle;

    plan.width = uint32_t(h.width);
    plan.height = uint32_t(rows);
    plan.topDown = h.height < 0;
    // Rows hold whole 32-bit words, the partial byte at the end of a 1- or
    // 4-bit row included.
    const uint64_t stride = (uint64_t(plan.width) * h.bitCount + 31) / 32 * 4;
    const uint64_t imageSize = stride * plan.height;
    if (imageSize > kMaxDibImageBytes)
        return DibStatus::TooLarge;
    plan.stride = uint32_t(stride);
    plan.imageSize = uint32_t(imageSize);

    plan.colourCount = h.clrUsed ? h.clrUsed : format->impliedColours;
    plan.colourTableAt = h.size;
    const uint64_t tableEnd = uint64_t(h.size) + uint64_t(plan.colourCount) * 4;
    if (tableEnd > size)
        return DibStatus::ShortHeader;

    // The offset only counts when it skips a gap after the colour table;
    // writers that leave it 0 or point it inside the headers are common.
    uint64_t bitsAt = tableEnd;
    if (bitsOffset >= kBmpFileHeaderSize && bitsOffset - kBmpFileHeaderSize > tableEnd) {
        bitsAt = bitsOffset - kBmpFileHeaderSize;
        if (bitsAt > size)
            return DibStatus::BadBitsOffset;
    }
    plan.bitsAt = size_t(bitsAt);
    // Compressed bits declare their length; uncompressed ones have no
    // trustworthy biSizeImage (writers often leave it 0), so the rows count.
    plan.bitsSize = h.compression == kDibCompressionNone ? plan.imageSize : h.sizeImage;
    if (plan.bitsSize > size - plan.bitsAt)
        return DibStatus::ShortBits;

    plan.packedSize = kDibInfoHeaderSize + size_t(plan.colourCount) * 4 + plan.imageSize;
    *layout = plan;
    return DibStatus::Ok;
}

DibStatus WriteDib(const uint8_t* data, size_t size, const DibLayout& layout, uint8_t* out,
                   size_t outSize)
{
    const size_t tableBytes = size_t(layout.colourCount) * 4;
    // A layout planned for other bytes must not lead outside these.
    if (!data || !out || outSize != layout.packedSize ||
        layout.packedSize != kDibInfoHeaderSize + tableBytes + layout.imageSize ||
        uint64_t(layout.stride) * layout.height != layout.imageSize ||
        layout.colourTableAt > size || tableBytes > size - layout.colourTableAt ||
        layout.bitsAt > size || layout.bitsSize > size - layout.bitsAt)
        return DibStatus::BadArgument;
    const FormatRule* format = FindFormat(layout.header.bitCount, layout.header.compression);
    if (!format || layout.colourCount > format->maxColours ||
        layout.stride != (uint64_t(layout.width) * layout.header.bitCount + 31) / 32 * 4)
        return DibStatus::BadArgument;
    const bool compressed = layout.header.compression != kDibCompressionNone;
    if (!compressed && layout.bitsSize != layout.imageSize)
        return DibStatus::BadArgument;

    DibInfoHeader header = layout.header;
    header.size = kDibInfoHeaderSize;
    header.width = int32_t(layout.width);
    header.height = int32_t(layout.height);
    header.compression = kDibCompressionNone;
    header.sizeImage = layout.imageSize;
    // The table length is stated outright, so that users of the DIB need not
    // know the implied-length rules.
    header.clrUsed = layout.colourCount;
    if (header.clrImportant > layout.colourCount)
        header.clrImportant = 0;
    memcpy(out, &header, sizeof(header));
    uint8_t* table = out + kDibInfoHeaderSize;
    if (tableBytes)
        memcpy(table, data + layout.colourTableAt, tableBytes);
    uint8_t* bits = table + tableBytes;
    const uint8_t* source = data + layout.bitsAt;

    if (compressed) {
        memset(bits, 0, layout.imageSize);
        return ExpandRle(source, layout.bitsSize, layout, bits);
    }
    if (!layout.topDown) {
        memcpy(bits, source, layout.imageSize);
        return DibStatus::Ok;
    }
    // Top-down rows are stored bottom row first, like every other DIB here.
    for (uint32_t row = 0; row < layout.height; ++row)
        memcpy(bits + size_t(row) * layout.stride,
               source + size_t(layout.height - 1 - row) * layout.stride, layout.stride);
    return DibStatus::Ok;
}
