#include "core/model_image_internal.h"

#include "core/description_text.h"
#include "core/model_parser.h"

#include <cstring>

namespace model_image {

namespace {

using model_parse::ModelDraft;
using model_parse::PendingConstraint;
using model_parse::PendingFeature;
using model_parse::PendingOption;
using model_parse::PendingOrder;

size_t AlignUp(size_t at)
{
    return (at + kRecordAlignment - 1) & ~(kRecordAlignment - 1);
}

// Lays records and texts out one after the other. The same walk runs twice:
// first without a block, to size it, then to fill it, so the two can never
// disagree.
class ImageWriter {
public:
    explicit ImageWriter(uint8_t* base) : base_(base) {}

    // Room for a record array; returns its offset.
    size_t Reserve(size_t size)
    {
        pos_ = AlignUp(pos_);
        size_t at = pos_;
        pos_ += size;
        return at;
    }

    // A terminated text, unaligned; returns its offset, 0 for null.
    uint64_t String(const char* text)
    {
        if (!text)
            return 0;
        size_t length = std::strlen(text) + 1;
        size_t at = pos_;
        if (base_)
            std::memcpy(base_ + at, text, length);
        pos_ += length;
        return at;
    }

    // A terminated UTF-16 path; returns its offset. Null writes an empty one.
    uint64_t Path(const char16_t* path)
    {
        size_t length = 0;
        while (path && path[length])
            ++length;
        size_t at = Reserve((length + 1) * sizeof(char16_t));
        if (base_ && path)
            std::memcpy(base_ + at, path, length * sizeof(char16_t));
        return at;
    }

    // The records at offset; null while sizing.
    template <typename T>
    T* At(size_t offset) { return base_ ? reinterpret_cast<T*>(base_ + offset) : nullptr; }

    size_t Size() const { return AlignUp(pos_); }

private:
    uint8_t* base_;
    size_t pos_ = 0;
};

template <typename T>
T* AsOffset(uint64_t offset)
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(offset));
}

template <typename Pending>
uint32_t LengthOf(const Pending* list)
{
    uint32_t length = 0;
    for (; list; list = list->next)
        ++length;
    return length;
}

// Writes the texts a record's fields point at, in the table's order, and
// points the written record's fields (when there is one) at them.
template <typename Record, size_t N>
void WriteTexts(ImageWriter& w, const Record& source, Record* written,
                char* Record::* const (&fields)[N])
{
    for (char* Record::* field : fields) {
        uint64_t at = w.String(source.*field);
        if (written)
            written->*field = AsOffset<char>(at);
    }
}

// Where the head's record arrays lie in the block.
struct RecordArrays {
    uint64_t path;
    size_t features;
    size_t constraints;
    uint32_t constraintCount;
    size_t orders;
    uint32_t orderCount;
};

RecordArrays ReserveRecordArrays(ImageWriter& w, const ModelDraft& draft, const char16_t* path)
{
    RecordArrays arrays = {};
    arrays.path = w.Path(path);
    arrays.features = w.Reserve(sizeof(ModelFeature) * draft.head.featureCount);
    arrays.constraintCount = LengthOf(draft.constraints);
    arrays.constraints = w.Reserve(sizeof(ModelConstraint) * arrays.constraintCount);
    arrays.orderCount = LengthOf(draft.orders);
    arrays.orders = w.Reserve(sizeof(ModelOrderDependency) * arrays.orderCount);
    return arrays;
}

// ---------------------------------------------------------------------------
// Features and options.

// A feature's options: their array, then their texts. Returns the array's offset.
size_t WriteOptions(ImageWriter& w, const PendingFeature& f)
{
    const size_t optionsAt = w.Reserve(sizeof(ModelOption) * f.optionCount);
    ModelOption* records = w.At<ModelOption>(optionsAt);
    uint32_t position = 0;
    for (const PendingOption* o = f.first; o; o = o->next, ++position) {
        ModelOption written = o->option;
        WriteTexts(w, o->option, &written, kOptionTexts);
        if (records)
            records[position] = written;
    }
    return optionsAt;
}

// The position of the option the default statement named; 0 when it named
// none or one the feature lacks.
uint32_t DefaultPosition(const PendingFeature& f)
{
    uint32_t position = 0, found = 0;
    for (const PendingOption* o = f.first; o; o = o->next, ++position)
        if (f.defaultKeyword && model_parse::Equals(o->option.keyword, f.defaultKeyword))
            found = position;
    return found;
}

// The feature's record, its texts still in the arena.
ModelFeature FeatureRecord(const PendingFeature& f, uint32_t defaultResolution)
{
    ModelFeature feature = {};
    feature.keyword = f.keyword;
    feature.translation = f.translation;
    feature.defaultKeyword = f.defaultKeyword;
    feature.optionCount = f.optionCount;
    feature.defaultOption = f.kind == kKindResolution ? defaultResolution : DefaultPosition(f);
    feature.uiType = f.uiType;
    feature.index = f.index;
    feature.installable = f.installable;
    feature.kind = f.kind;
    feature.jcl = f.jcl;
    return feature;
}

// Each feature's options and texts, behind the feature array.
void WriteFeatures(ImageWriter& w, const ModelDraft& draft, size_t featuresAt)
{
    ModelFeature* records = w.At<ModelFeature>(featuresAt);
    uint32_t i = 0;
    for (const PendingFeature* f = draft.features; f; f = f->next, ++i) {
        const size_t optionsAt = WriteOptions(w, *f);
        ModelFeature feature = FeatureRecord(*f, draft.head.defaultResolution);
        WriteTexts(w, feature, &feature, kFeatureTexts);
        feature.options = f->optionCount ? AsOffset<ModelOption>(optionsAt) : nullptr;
        if (records)
            records[i] = feature;
    }
}

// ---------------------------------------------------------------------------
// Constraints and order dependencies, numbered by the parser.

// Copies the records of a pending list, in list order, into the array at.
template <class Record, class Pending>
void WriteRecords(ImageWriter& w, const Pending* first, size_t at)
{
    Record* records = w.At<Record>(at);
    uint32_t i = 0;
    for (const Pending* p = first; p; p = p->next, ++i)
        if (records)
            records[i] = p->record;
}

// ---------------------------------------------------------------------------
// The head.

// The head record first: the draft's values, kind slots zero.
ModelContext* WriteHeadRecord(ImageWriter& w, const ModelContext& head)
{
    ModelContext* out = w.At<ModelContext>(w.Reserve(sizeof(ModelContext)));
    if (out) {
        *out = head;
        std::memset(out->slots, 0, sizeof(out->slots));
    }
    return out;
}

// Once the block is laid out: its size, version and the record arrays.
void CompleteHead(ModelContext* out, size_t imageSize, const RecordArrays& arrays)
{
    out->imageSize = static_cast<uint32_t>(imageSize);
    out->headSize = kModelHeadSize;
    out->imageVersion = kModelImageVersion;
    out->modelPath = AsOffset<char16_t>(arrays.path);
    out->features = out->featureCount ? AsOffset<ModelFeature>(arrays.features) : nullptr;
    out->constraintCount = arrays.constraintCount;
    out->constraints =
        arrays.constraintCount ? AsOffset<ModelConstraint>(arrays.constraints) : nullptr;
    out->orderDependencyCount = arrays.orderCount;
    out->orderDependencies =
        arrays.orderCount ? AsOffset<ModelOrderDependency>(arrays.orders) : nullptr;
}

// The block: head, path, the feature, constraint and order arrays, each
// feature's options and texts, the head's texts, the zero tail.
void WriteImage(ImageWriter& w, const ModelDraft& draft, const char16_t* path)
{
    ModelContext* out = WriteHeadRecord(w, draft.head);
    const RecordArrays arrays = ReserveRecordArrays(w, draft, path);
    WriteFeatures(w, draft, arrays.features);
    WriteRecords<ModelConstraint>(w, draft.constraints, arrays.constraints);
    WriteRecords<ModelOrderDependency>(w, draft.orders, arrays.orders);
    WriteTexts(w, draft.head, out, kHeadTexts);
    w.Reserve(kZeroTailSize);
    if (out)
        CompleteHead(out, w.Size(), arrays);
}

} // namespace

ModelContext* WriteModelImage(const ModelDraft& draft, const char16_t* path,
                              void* (*allocate)(size_t size))
{
    ImageWriter sizing(nullptr);
    WriteImage(sizing, draft, path);
    if (sizing.Size() > kImageSizeLimit)
        return nullptr;
    auto* block = static_cast<uint8_t*>(allocate(sizing.Size()));
    if (!block)
        return nullptr;
    ImageWriter filling(block);
    WriteImage(filling, draft, path);
    return reinterpret_cast<ModelContext*>(block);
}

} // namespace model_image

namespace {

// The checksum covers every byte of the description, so it is computed a
// word at a time: kCrcTables[k][b] is the remainder of byte b followed by k
// zero bytes, and the remainders of the eight bytes of a word, each at its
// distance from the end, add up (exclusive or) to the word's.
const size_t kCrcSlices = 8;

struct CrcTables {
    uint16_t remainder[kCrcSlices][256];
};

constexpr CrcTables BuildCrcTables()
{
    const uint16_t kPolynomial = 0x1021;
    const uint16_t kTopBit = 0x8000;
    CrcTables t = {};
    for (unsigned b = 0; b < 256; ++b) {
        uint16_t crc = static_cast<uint16_t>(b << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & kTopBit) ? static_cast<uint16_t>((crc << 1) ^ kPolynomial)
                                  : static_cast<uint16_t>(crc << 1);
        t.remainder[0][b] = crc;
    }
    for (size_t k = 1; k < kCrcSlices; ++k)
        for (unsigned b = 0; b < 256; ++b) {
            const uint16_t previous = t.remainder[k - 1][b];
            t.remainder[k][b] =
                static_cast<uint16_t>((previous << 8) ^ t.remainder[0][previous >> 8]);
        }
    return t;
}

constexpr CrcTables kCrcTables = BuildCrcTables();

// Eight bytes at a time through the tables, then the rest one by one.
template <typename Byte>
constexpr uint16_t SlicedChecksum(const Byte* data, size_t size)
{
    const auto& t = kCrcTables.remainder;
    uint16_t crc = 0;
    size_t i = 0;
    for (; i + kCrcSlices <= size; i += kCrcSlices) {
        const Byte* p = data + i;
        crc = static_cast<uint16_t>(
            t[7][static_cast<uint8_t>(p[0]) ^ (crc >> 8)] ^
            t[6][static_cast<uint8_t>(p[1]) ^ (crc & 0xFF)] ^ t[5][static_cast<uint8_t>(p[2])] ^
            t[4][static_cast<uint8_t>(p[3])] ^ t[3][static_cast<uint8_t>(p[4])] ^
            t[2][static_cast<uint8_t>(p[5])] ^ t[1][static_cast<uint8_t>(p[6])] ^
            t[0][static_cast<uint8_t>(p[7])]);
    }
    for (; i < size; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ t[0][(crc >> 8) ^ static_cast<uint8_t>(data[i])]);
    return crc;
}

// The standard check of CRC-16/XMODEM.
static_assert(SlicedChecksum("123456789", 9) == 0x31C3, "CRC tables");

} // namespace

// The head records the description's checksum, so that settings saved for
// another description can be recognised. CRC-16/XMODEM: polynomial 0x1021,
// most significant bit first, initial value 0, no final XOR.
uint16_t ModelChecksum(const uint8_t* data, size_t size)
{
    return SlicedChecksum(data, size);
}
