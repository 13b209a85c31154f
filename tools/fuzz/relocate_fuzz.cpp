// libFuzzer harness: arbitrary bytes as a binary cache image.
//
// The cache file sits beside the description and is trusted only as far
// as RelocateModelImage checks it, so whatever it accepts must be safe to
// read in full. The first input byte steers the harness: bit 0 stamps the
// image size into the header and bit 1 the image version, so that the
// fuzzer spends its time past the first two checks; the rest is the image.
// The image gets a block of exactly its own size, so any read past it is
// caught.
#include "model_walk.h"

#include "core/model_parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t control = data[0];
    ++data;
    --size;
    // malloc's blocks are 16-byte aligned, as GlobalAlloc's are.
    auto* image = static_cast<ModelContext*>(std::malloc(size ? size : 1));
    if (!image)
        return 0;
    if (size)
        std::memcpy(image, data, size);
    if (size >= sizeof(ModelContext)) {
        if (control & 1)
            image->imageSize = static_cast<uint32_t>(size);
        if (control & 2)
            image->imageVersion = kModelImageVersion;
    }
    if (RelocateModelImage(image, size)) {
        volatile uint64_t digest = WalkModel(image);
        (void)digest;
    }
    std::free(image);
    return 0;
}
