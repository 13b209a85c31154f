// Watermark bitmaps: compressed ones compared with their uncompressed twins,
// hostile ones decoded from buffers that end at an inaccessible page so that
// a stray read or write crashes, and files read back through the loader.
#include "settings/dib_decode.h"
#include "settings/watermark_bitmap.h"
#include "support/guarded_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

// Statuses by name in failure messages.
static void PrintTo(DibStatus status, std::ostream* out) { *out << DibStatusName(status); }

namespace {

using Bytes = std::vector<uint8_t>;
using Grid = std::vector<Bytes>;    // colour indices, bottom row first as files store them

// The fields of a BMP file, each of which a test may falsify.
struct BmpFile {
    uint32_t infoSize = 40;         // the space the info header takes, and its size field
    int64_t infoSizeField = -1;     // unless this says otherwise
    int32_t width = 1, height = 1;
    uint16_t planes = 1, bitCount = 8;
    uint32_t compression = kDibCompressionNone, clrUsed = 0;
    Bytes colours, gap, bits;       // the gap lies between the colour table and the bits
    int64_t sizeImage = -1, bitsOffset = -1;    // -1: the length of bits, where they start

    Bytes Serialise() const
    {
        const uint32_t bitsAt = uint32_t(14 + infoSize + colours.size() + gap.size());
        const uint32_t words[] = {
            bitsAt + uint32_t(bits.size()), 0, bitsOffset < 0 ? bitsAt : uint32_t(bitsOffset),
            infoSizeField < 0 ? infoSize : uint32_t(infoSizeField), uint32_t(width),
            uint32_t(height), planes | uint32_t(bitCount) << 16, compression,
            sizeImage < 0 ? uint32_t(bits.size()) : uint32_t(sizeImage), 3780, 3780, clrUsed, 0};
        Bytes out = {'B', 'M'};
        const auto* raw = reinterpret_cast<const uint8_t*>(words);   // x64 is little-endian
        out.insert(out.end(), raw, raw + sizeof(words));
        out.resize(14 + infoSize);  // the rest of a larger header stays 0
        for (const Bytes* part : {&colours, &gap, &bits}) out.insert(out.end(), part->begin(), part->end());
        return out;
    }
};

// Pixels of 1, 4 or 8 bits as files store them, the leftmost in the high bits.
Bytes Pack(const Bytes& pixels, int bitCount)
{
    Bytes out((pixels.size() * bitCount + 7) / 8);
    for (size_t x = 0; x < pixels.size(); ++x)
        out[x * bitCount / 8] |= uint8_t(pixels[x] << (8 - bitCount - x * bitCount % 8));
    return out;
}

BmpFile Plain(const Grid& grid, int bitCount, uint32_t colours)
{
    BmpFile bmp;
    bmp.width = int32_t(grid[0].size()), bmp.height = int32_t(grid.size());
    // A full colour table may go unstated.
    bmp.bitCount = uint16_t(bitCount), bmp.clrUsed = colours == 1u << bitCount ? 0 : colours;
    for (uint32_t i = 0; i < 4 * colours; ++i) bmp.colours.push_back(uint8_t(i * 7 + 3));
    for (const Bytes& row : grid) {
        Bytes packed = Pack(row, bitCount);
        packed.resize((row.size() * bitCount + 31) / 32 * 4);   // whole 32-bit words
        bmp.bits.insert(bmp.bits.end(), packed.begin(), packed.end());
    }
    return bmp;
}

BmpFile Rle(int width, int height, int bitCount, const Bytes& stream)
{
    BmpFile bmp = Plain(Grid(size_t(height), Bytes(size_t(width))), bitCount, 1u << bitCount);
    bmp.compression = bitCount == 8 ? kDibCompressionRle8 : kDibCompressionRle4;
    bmp.bits = stream;
    return bmp;
}

BmpFile SmallPlain() { return Plain({{1, 2, 3}, {3, 2, 1}}, 8, 4); }
BmpFile SmallRle() { return Rle(4, 2, 8, {4, 1, 0, 0, 0, 3, 5, 6, 7, 0, 0, 1}); }

// Decodes a file image without the file layer, from and into guarded buffers.
DibStatus Decode(const Bytes& file, Bytes* packed = nullptr)
{
    const size_t size = file.size() - kBmpFileHeaderSize;
    const auto input = GuardedBytes(size);
    std::copy(file.begin() + kBmpFileHeaderSize, file.end(), input.get());
    const uint32_t offset = uint32_t(file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24);
    DibLayout layout;
    DibStatus status = PlanDib(input.get(), size, offset, &layout);
    if (status != DibStatus::Ok) return status;
    const auto output = GuardedBytes(layout.packedSize);
    // Garbage where the bits go: the decoder must not count on zeroed memory.
    memset(output.get(), 0xA5, layout.packedSize);
    status = WriteDib(input.get(), size, layout, output.get(), layout.packedSize);
    if (packed) packed->assign(output.get(), output.get() + layout.packedSize);
    return status;
}

// A compressed stream decodes to the same DIB as the pixels it should draw.
void ExpectSameAsTwin(int bitCount, const Bytes& stream, const Grid& pixels)
{
    Bytes rle, plain;
    const BmpFile compressed = Rle(int(pixels[0].size()), int(pixels.size()), bitCount, stream);
    ASSERT_EQ(Decode(compressed.Serialise(), &rle), DibStatus::Ok);
    ASSERT_EQ(Decode(Plain(pixels, bitCount, 1u << bitCount).Serialise(), &plain), DibStatus::Ok);
    const auto diff = std::mismatch(rle.begin(), rle.end(), plain.begin(), plain.end());
    EXPECT_TRUE(rle == plain) << "first difference at byte " << diff.first - rle.begin();
}

TEST(WatermarkBitmapRle, RandomStreamsMatchTheirTwins)
{
    // Every kind of code at random: runs (of two alternating pixels in RLE4), literals with
    // and without their pad byte, moves right and up, early line ends. Counts that end a row
    // may reach past it, up to 255; the bitmap ends on its top row with or without a line end.
    std::mt19937 random(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int image = 0; image < 80 && !HasFailure(); ++image) {
        const int bitCount = image % 2 ? 4 : 8, width = pick(1, 300), height = pick(1, 9);
        Grid pixels(height, Bytes(width));
        Bytes stream;
        for (int x = 0, y = 0;;) {
            const int left = width - x, choice = pick(0, 19);
            if ((left == 0 || choice == 0) && y == height - 1)
                break;
            if (left == 0 || choice == 0) {
                stream.insert(stream.end(), {0, 0});
                x = 0, ++y;
            } else if (choice == 1) {
                const int dx = pick(0, std::min(left, 255)), dy = pick(0, std::min(2, height - 1 - y));
                stream.insert(stream.end(), {0, 2, uint8_t(dx), uint8_t(dy)});
                x += dx, y += dy;
            } else {
                // Literal pixels, or a run of one byte: one RLE8 pixel, two alternating RLE4 ones
                const bool literal = choice < 10 && left >= 3;
                const int count = pick(literal ? 3 : 1, std::min(left, 255));
                const int coded =
                    count < left || pick(0, 3) ? count : pick(0, 1) ? 255 : std::min(255, count + pick(1, 3));
                Bytes drawn(size_t(literal ? coded : 8 / bitCount));
                for (uint8_t& pixel : drawn) pixel = uint8_t(pick(0, (1 << bitCount) - 1));
                for (int i = 0; i < count; ++i) pixels[y][x + i] = drawn[i % drawn.size()];
                Bytes data = Pack(drawn, bitCount);
                data.resize((data.size() + 1) / 2 * 2);     // literals end on a 16-bit boundary
                stream.push_back(literal ? 0 : uint8_t(coded)), stream.push_back(literal ? uint8_t(coded) : data[0]);
                if (literal) stream.insert(stream.end(), data.begin(), data.end());
                x += count;
            }
        }
        if (image % 3) stream.insert(stream.end(), {0, 0});   // a line end on the top row is allowed
        stream.insert(stream.end(), {0, 1});
        SCOPED_TRACE(testing::Message() << bitCount << " bits, " << width << " x " << height);
        ExpectSameAsTwin(bitCount, stream, pixels);
    }
}

TEST(WatermarkBitmapDecode, RefusesHostileFilesWithTheirOwnStatus)
{
    using S = DibStatus;
    // Compressed streams, drawn into 4 pixels by the given rows.
    const struct { const char* what; int height, bitCount; Bytes stream; S expected; } streams[] = {
        {"run above the top row", 1, 8, {0, 0, 2, 7, 0, 1}, S::RleOutsideImage},
        {"literal above the top row", 1, 8, {0, 0, 0, 3, 1, 2, 3, 0, 0, 1}, S::RleOutsideImage},
        {"line end above the top row", 1, 8, {0, 0, 0, 0, 0, 1}, S::RleOutsideImage},
        {"move past the right edge", 2, 8, {2, 7, 0, 2, 3, 0, 0, 1}, S::RleOutsideImage},
        {"move onto the right edge", 2, 8, {2, 7, 0, 2, 2, 1, 0, 1}, S::Ok},
        {"move above the top row", 2, 4, {0, 2, 0, 2, 0, 1}, S::RleOutsideImage},
        {"move from above the top row", 1, 8, {0, 0, 0, 2, 0, 0, 0, 1}, S::RleOutsideImage},
        {"no end-of-bitmap", 2, 8, {4, 1, 0, 0}, S::RleTruncated},
        {"count without its pixel", 2, 8, {4, 1, 4}, S::RleTruncated},
        {"move with one offset", 2, 8, {4, 1, 0, 2, 1}, S::RleTruncated},
        {"literal without its pad byte", 2, 8, {0, 3, 1, 2, 3}, S::RleTruncated},
        {"RLE4 literal short of its pixels", 2, 4, {0, 5, 0x12, 0x34}, S::RleTruncated},
    };
    for (const auto& c : streams)
        EXPECT_EQ(Decode(Rle(4, c.height, c.bitCount, c.stream).Serialise()), c.expected) << c.what;

    // Lying headers, each a change to a small good file.
    const struct { const char* what; void (*damage)(BmpFile&); S expected; } headers[] = {
        {"39-byte info header", [](BmpFile& b) { b.infoSizeField = 39; }, S::BadHeaderSize},
        {"header past the end", [](BmpFile& b) { b.infoSizeField = 1u << 31; }, S::ShortHeader},
        {"zero width", [](BmpFile& b) { b.width = 0; }, S::BadDimensions},
        {"negative width", [](BmpFile& b) { b.width = -3; }, S::BadDimensions},
        {"zero height", [](BmpFile& b) { b.height = 0; }, S::BadDimensions},
        {"most negative height", [](BmpFile& b) { b.height = INT32_MIN; }, S::BadDimensions},
        {"too wide", [](BmpFile& b) { b.width = kMaxDibDimension + 1; }, S::BadDimensions},
        {"too many top-down rows", [](BmpFile& b) { b.height = -32769; }, S::BadDimensions},
        {"two planes", [](BmpFile& b) { b.planes = 2; }, S::BadPlanes},
        {"16 bits", [](BmpFile& b) { b.bitCount = 16; }, S::UnsupportedFormat},
        {"8-bit RLE4", [](BmpFile& b) { b.compression = 2; }, S::UnsupportedFormat},
        {"4-bit RLE8", [](BmpFile& b) { b.bitCount = 4, b.compression = 1; }, S::UnsupportedFormat},
        {"257 colours at 8 bits", [](BmpFile& b) { b.clrUsed = 257; }, S::BadColourCount},
        {"17 at 4 bits", [](BmpFile& b) { b.bitCount = 4, b.clrUsed = 17; }, S::BadColourCount},
        {"3 at 1 bit", [](BmpFile& b) { b.bitCount = 1, b.clrUsed = 3; }, S::BadColourCount},
        {"257 at 24 bits", [](BmpFile& b) { b.bitCount = 24, b.clrUsed = 257; }, S::BadColourCount},
        {"over 64 MiB of bits", [](BmpFile& b) { b.width = 8193, b.height = 8192; }, S::TooLarge},
        {"64 MiB, not in the file", [](BmpFile& b) { b.width = b.height = 8192; }, S::ShortBits},
        {"top-down RLE", [](BmpFile& b) { b = SmallRle(), b.height = -2; }, S::TopDownRle},
        {"bits past the end", [](BmpFile& b) { b.bitsOffset = 0x7FFFFFFF; }, S::BadBitsOffset},
        {"bits 4 bytes from the end", [](BmpFile& b) { b.bitsOffset = 74; }, S::ShortBits},
        {"RLE length short", [](BmpFile& b) { b = SmallRle(), b.sizeImage = 4; }, S::RleTruncated},
        {"RLE data after the end", [](BmpFile& b) { b = SmallRle(), b.bits.resize(20); }, S::Ok},
    };
    for (const auto& c : headers) {
        BmpFile bmp = SmallPlain();
        c.damage(bmp);
        EXPECT_EQ(Decode(bmp.Serialise()), c.expected) << c.what;
    }

    // Every truncation of good files; compressed ones keep a length that no longer fits.
    for (const BmpFile& bmp : {SmallPlain(), SmallRle(), Rle(5, 2, 4, {5, 0x12, 0, 0, 0, 1})}) {
        const Bytes whole = bmp.Serialise();
        const size_t bitsAt = whole.size() - bmp.bits.size();
        ASSERT_EQ(Decode(whole), S::Ok);
        for (size_t size = kBmpFileHeaderSize; size < whole.size(); ++size)
            EXPECT_EQ(Decode(Bytes(whole.begin(), whole.begin() + size)),
                      size < bitsAt ? S::ShortHeader : S::ShortBits) << size;
    }
}

// Loads bytes from a temporary file and deletes it, which fails if the
// loader left it open. A failed load must leave no block or colours behind.
bool Load(const Bytes& bytes, Bytes* packed = nullptr)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "kvw", 0, path);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
    DWORD colours = 77;
    const bool loaded = LoadWatermarkBitmap(path, &block, &colours);
    EXPECT_TRUE(DeleteFileA(path)) << "the loader left the file open";
    if (!loaded) {
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(colours, 0u);
    }
    if (loaded && packed) {
        const auto* at = static_cast<const uint8_t*>(GlobalLock(block));
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(at);
        EXPECT_EQ(colours, header->biClrUsed);
        const size_t size = 40 + 4 * colours + header->biSizeImage;
        packed->assign(at, at + std::min<size_t>(size, GlobalSize(block)));
        GlobalUnlock(block);
    }
    FreeWatermarkBitmap(loaded ? block : nullptr);
    return loaded;
}

TEST(WatermarkBitmapFile, LoadsUncompressedFilesBottomUpWithTheirColourTables)
{
    // Widths that leave partial bytes and padding at the ends of rows (a 1-bit row of 33
    // pixels takes 8 bytes); 24-bit files with and without a palette for 256-colour
    // displays; top-down files; and the quirks of other writers, which change nothing.
    const struct { int bitCount, width; uint32_t colours; bool topDown; void (*quirk)(BmpFile&); }
    cases[] = {
        {1, 33, 2, false, [](BmpFile& b) { b.gap = Bytes(10, 0xEE); }},   // skipped by the offset
        {4, 5, 16, false, [](BmpFile& b) { b.bitsOffset = 0; }},
        {4, 7, 3, true, [](BmpFile& b) { b.bitsOffset = 54; }},           // inside the colour table
        {8, 3, 256, false, [](BmpFile& b) { b.infoSize = 124; }},         // a V5 header
        {8, 6, 5, true, [](BmpFile&) {}},
        {24, 3, 0, false, [](BmpFile&) {}},
        {24, 3, 2, true, [](BmpFile& b) { b.infoSize = 108; }},           // a V4 header
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bitCount << " bits, width " << c.width);
        // A 24-bit pixel packs as three 8-bit ones.
        const int perPixel = c.bitCount == 24 ? 3 : 1, packedBits = c.bitCount / perPixel;
        Grid grid(3, Bytes(size_t(c.width * perPixel)));
        for (size_t y = 0; y < grid.size(); ++y)
            for (size_t x = 0; x < grid[y].size(); ++x)
                grid[y][x] = uint8_t((5 * x + 3 * y + 1) % (1u << packedBits));
        BmpFile file = Plain(grid, packedBits, c.colours);
        file.width = c.width, file.bitCount = uint16_t(c.bitCount);
        BmpFile dib = file;     // what the loader makes of it, stating the table's length
        dib.clrUsed = c.colours;
        if (c.topDown)
            file.height = -3, file.bits = Plain({grid.rbegin(), grid.rend()}, packedBits, 0).bits;
        c.quirk(file);
        Bytes packed;
        ASSERT_TRUE(Load(file.Serialise(), &packed));
        const Bytes expected = dib.Serialise();
        EXPECT_EQ(packed, Bytes(expected.begin() + kBmpFileHeaderSize, expected.end()));
    }
}

TEST(WatermarkBitmapFile, RefusesFilesItCannotUse)
{
    const Bytes good = SmallPlain().Serialise();
    Bytes swapped = good;
    std::swap(swapped[0], swapped[1]);
    BmpFile negative = SmallPlain(), unended = SmallRle();
    negative.width = -3;
    unended.bits.resize(unended.bits.size() - 2);
    const Bytes broken[] = {{}, Bytes(10, 'B'), Bytes(good.begin(), good.begin() + 14), swapped,
                            negative.Serialise(), unended.Serialise()};
    for (const Bytes& file : broken)
        EXPECT_FALSE(Load(file)) << &file - broken;
    EXPECT_TRUE(Load(SmallRle().Serialise()));

    HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
    DWORD colours = 5;
    EXPECT_FALSE(LoadWatermarkBitmap("C:\\no such folder\\image.bmp", &block, &colours));
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(colours, 0u);
}

}  // namespace
