// libFuzzer entry over the BMP decoder behind watermark bitmaps. The input
// is a whole BMP file; the "BM" type is not required, so that mutations
// spend their time on the headers and the bits. Besides the sanitizers'
// findings, a decoded bitmap must describe itself consistently, or the
// drawing code that trusts its header would go wrong.
#include "settings/dib_decode.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        fprintf(stderr, "broken invariant: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kBmpFileHeaderSize)
        return 0;
    const uint32_t bitsOffset = uint32_t(data[10]) | (uint32_t(data[11]) << 8) |
                                (uint32_t(data[12]) << 16) | (uint32_t(data[13]) << 24);
    // The rest ends where libFuzzer's buffer ends, so any read past it is seen.
    const uint8_t* rest = data + kBmpFileHeaderSize;
    const size_t restSize = size - kBmpFileHeaderSize;

    DibLayout layout;
    if (PlanDib(rest, restSize, bitsOffset, &layout) != DibStatus::Ok)
        return 0;
    Check(layout.imageSize <= kMaxDibImageBytes, "image within the size limit");
    Check(layout.imageSize == uint64_t(layout.stride) * layout.height, "image = stride x rows");
    Check(layout.stride % 4 == 0, "rows of whole words");
    Check(layout.packedSize == kDibInfoHeaderSize + layout.colourCount * 4ull + layout.imageSize,
          "packed size");
    Check(layout.colourCount <= 256, "colour table length");
    Check(layout.bitsAt <= restSize && layout.bitsSize <= restSize - layout.bitsAt, "bits inside");

    // Exactly the planned size, and not zeroed: the decoder must fill it all.
    std::unique_ptr<uint8_t[]> packed(new uint8_t[layout.packedSize]);
    memset(packed.get(), 0xA5, layout.packedSize);
    if (WriteDib(rest, restSize, layout, packed.get(), layout.packedSize) != DibStatus::Ok)
        return 0;

    DibInfoHeader header;
    memcpy(&header, packed.get(), sizeof(header));
    Check(header.size == kDibInfoHeaderSize, "plain info header");
    Check(header.width > 0 && header.width <= kMaxDibDimension, "width");
    Check(header.height > 0 && header.height <= kMaxDibDimension, "bottom-up height");
    Check(header.planes == 1, "one plane");
    Check(header.compression == kDibCompressionNone, "uncompressed");
    Check(header.sizeImage == layout.imageSize, "biSizeImage");
    Check(header.clrUsed == layout.colourCount, "biClrUsed");
    Check(header.clrImportant <= header.clrUsed, "biClrImportant");
    const uint64_t rowBits = uint64_t(header.width) * header.bitCount;
    Check(uint64_t(layout.stride) * 8 >= rowBits && uint64_t(layout.stride) * 8 < rowBits + 32,
          "stride fits the row");

    // Uncompressed bottom-up bits pass through untouched.
    if (layout.header.compression == kDibCompressionNone && !layout.topDown)
        Check(memcmp(packed.get() + kDibInfoHeaderSize + layout.colourCount * 4,
                     rest + layout.bitsAt, layout.imageSize) == 0,
              "bits copied");
    return 0;
}
