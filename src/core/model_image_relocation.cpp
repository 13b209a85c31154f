#include "core/model_image_internal.h"

#include "core/model_parser.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace model_image {

namespace {

// Part of the block, as offsets [start, end).
struct Region {
    uint64_t start;
    uint64_t end;
};

// Where an array of count records of the given size and alignment lies;
// false when it does not lie wholly inside the block. An empty array lies
// nowhere.
bool ArrayRegion(const void* stored, uint64_t count, size_t recordSize, size_t alignment,
                 size_t blockSize, Region* region)
{
    uint64_t offset = reinterpret_cast<uintptr_t>(stored);
    if (count == 0) {
        *region = {0, 0};
        return true;
    }
    if (offset == 0 || offset % alignment || offset > blockSize ||
        count > (blockSize - offset) / recordSize)
        return false;
    *region = {offset, offset + count * recordSize};
    return true;
}

template <typename T>
bool ArrayRegionOf(const T* stored, uint64_t count, size_t blockSize, Region* region)
{
    return ArrayRegion(stored, count, sizeof(T), alignof(T), blockSize, region);
}

int CompareRegions(const void* a, const void* b)
{
    uint64_t x = static_cast<const Region*>(a)->start, y = static_cast<const Region*>(b)->start;
    return x < y ? -1 : x > y ? 1 : 0;
}

// Whether no two of the n regions overlap. Sorts them.
bool Disjoint(Region* regions, uint64_t n)
{
    std::qsort(regions, n, sizeof(Region), CompareRegions);
    for (uint64_t i = 1; i < n; ++i)
        if (regions[i].start < regions[i - 1].end)
            return false;
    return true;
}

// Checks, before anything is rewritten, that every record array lies inside
// the block and that the records relocation writes pointers into (the head,
// the features and each option array) overlap neither each other nor the
// other arrays: rewriting one record must never corrupt another. Only a
// damaged cache can fail this; the writer never lays records out so.
bool CheckRecordLayout(const ModelContext* image, size_t size)
{
    Region features, constraints, orders;
    if (!ArrayRegionOf(image->features, image->featureCount, size, &features) ||
        !ArrayRegionOf(image->constraints, image->constraintCount, size, &constraints) ||
        !ArrayRegionOf(image->orderDependencies, image->orderDependencyCount, size, &orders))
        return false;

    // The head, the three arrays it points at and one option array per feature.
    const uint64_t most = 4 + uint64_t(image->featureCount);
    auto* regions = static_cast<Region*>(std::malloc(most * sizeof(Region)));
    if (!regions)
        return false;
    uint64_t n = 0;
    regions[n++] = {0, sizeof(ModelContext)};
    for (const Region& r : {features, constraints, orders})
        if (r.end > r.start)
            regions[n++] = r;
    bool valid = true;
    const auto* records =
        reinterpret_cast<const ModelFeature*>(reinterpret_cast<const uint8_t*>(image) + features.start);
    for (uint32_t i = 0; i < image->featureCount && valid; ++i) {
        Region options;
        valid = ArrayRegionOf(records[i].options, records[i].optionCount, size, &options);
        if (valid && options.end > options.start)
            regions[n++] = options;
    }
    valid = valid && Disjoint(regions, n);
    std::free(regions);
    return valid;
}

// The head's own claims about the block: its size, version, zero tail and counts.
bool HeadFitsBlock(const ModelContext* image, size_t size)
{
    return image && size > sizeof(ModelContext) && image->imageSize == size &&
           image->imageVersion == kModelImageVersion &&
           reinterpret_cast<const uint8_t*>(image)[size - 1] == 0 &&
           image->featureCount <= kModelFeatureLimit &&
           image->optionCount <= image->featureCount;
}

// Turns offsets in the block into pointers, refusing what does not lie in it.
class Relocator {
public:
    Relocator(uint8_t* base, size_t size) : base_(base), size_(size) {}

    // Records must lie wholly inside the block.
    template <typename T>
    bool Array(T*& stored, uint64_t count)
    {
        Region region;
        if (!ArrayRegionOf(stored, count, size_, &region))
            return false;
        stored = count ? reinterpret_cast<T*>(base_ + region.start) : nullptr;
        return true;
    }

    // Texts must end inside the block; an offset beyond it becomes null.
    bool Text(char*& stored)
    {
        uint64_t offset = reinterpret_cast<uintptr_t>(stored);
        if (offset == 0 || offset > size_) {
            stored = nullptr;
            return true;
        }
        stored = reinterpret_cast<char*>(base_ + offset);
        return std::memchr(stored, 0, size_ - offset) != nullptr;
    }

    // Every text field of a record, as the table names them.
    template <typename Record, size_t N>
    bool Texts(Record& record, char* Record::* const (&fields)[N])
    {
        for (char* Record::* field : fields)
            if (!Text(record.*field))
                return false;
        return true;
    }

    // The path is required, and must end inside the block.
    bool Path(char16_t*& stored)
    {
        uint64_t offset = reinterpret_cast<uintptr_t>(stored);
        if (offset == 0 || offset % sizeof(char16_t) || offset >= size_)
            return false;
        stored = reinterpret_cast<char16_t*>(base_ + offset);
        for (uint64_t at = offset; at + 1 < size_; at += sizeof(char16_t))
            if (stored[(at - offset) / sizeof(char16_t)] == 0)
                return true;
        return false;
    }

private:
    uint8_t* base_;
    size_t size_;
};

// A feature and its options; each must have a keyword.
bool RelocateFeature(Relocator& r, ModelFeature& f)
{
    if (!r.Array(f.options, f.optionCount) || !r.Texts(f, kFeatureTexts) || !f.keyword)
        return false;
    for (uint32_t n = 0; n < f.optionCount; ++n) {
        ModelOption& o = f.options[n];
        if (!r.Texts(o, kOptionTexts) || !o.keyword)
            return false;
    }
    return true;
}

} // namespace

} // namespace model_image

bool RelocateModelImage(ModelContext* image, size_t size)
{
    using namespace model_image;
    if (!HeadFitsBlock(image, size) || !CheckRecordLayout(image, size))
        return false;

    Relocator r(reinterpret_cast<uint8_t*>(image), size);
    if (!r.Path(image->modelPath) || !r.Array(image->features, image->featureCount) ||
        !r.Array(image->constraints, image->constraintCount) ||
        !r.Array(image->orderDependencies, image->orderDependencyCount) ||
        !r.Texts(*image, kHeadTexts))
        return false;
    std::memset(image->slots, 0, sizeof(image->slots));
    for (uint32_t i = 0; i < image->featureCount; ++i) {
        ModelFeature& f = image->features[i];
        if (!RelocateFeature(r, f))
            return false;
        if (f.kind < kModelKindCount && !image->slots[f.kind])
            image->slots[f.kind] = &f;
    }
    return true;
}
