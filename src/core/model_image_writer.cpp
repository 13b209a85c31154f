#include "core/model_image_internal.h"

#include "core/description_text.h"
#include "core/model_keywords.h"
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
// Constraints and order dependencies: names become feature and option numbers.

// The feature of that name, else the one of the kind the name feeds; -1
// when there is neither.
int FindFeatureIndex(const PendingFeature* features, const char* name, const PendingFeature** found)
{
    for (const PendingFeature* f = features; f; f = f->next)
        if (model_parse::Equals(f->keyword, name)) {
            *found = f;
            return f->index;
        }
    uint8_t kind = model_parse::KindOfName(name);
    for (const PendingFeature* f = features; f && kind != kKindNone; f = f->next)
        if (f->kind == kind) {
            *found = f;
            return f->index;
        }
    return -1;
}

int FindOptionIndex(const PendingFeature* feature, const char* name)
{
    int index = 0;
    for (const PendingOption* o = feature->first; o; o = o->next, ++index)
        if (model_parse::Equals(o->option.keyword, name))
            return index;
    return -1;
}

// Feature and option numbers of one constraint or order dependency side;
// false, leaving them untouched, when the model lacks the feature or the
// named option.
bool ResolveReference(const PendingFeature* features, const char* featureName,
                      const char* optionName, uint16_t* feature, uint16_t* option)
{
    const PendingFeature* f = nullptr;
    int fi = FindFeatureIndex(features, featureName, &f);
    if (fi < 0)
        return false;
    int oi = optionName ? FindOptionIndex(f, optionName) : kAnyOption;
    if (oi < 0)
        return false;
    *feature = static_cast<uint16_t>(fi);
    *option = static_cast<uint16_t>(oi);
    return true;
}

void WriteConstraints(ImageWriter& w, const ModelDraft& draft, size_t constraintsAt)
{
    ModelConstraint* records = w.At<ModelConstraint>(constraintsAt);
    uint32_t i = 0;
    for (const PendingConstraint* c = draft.constraints; c; c = c->next, ++i) {
        ModelConstraint constraint = {kNoConstraintFeature, kAnyOption, kNoConstraintFeature,
                                      kAnyOption};
        if (!ResolveReference(draft.features, c->names[0], c->names[1], &constraint.feature1,
                              &constraint.option1) ||
            !ResolveReference(draft.features, c->names[2], c->names[3], &constraint.feature2,
                              &constraint.option2))
            constraint.feature1 = kNoConstraintFeature;   // never matches
        if (records)
            records[i] = constraint;
    }
}

void WriteOrders(ImageWriter& w, const ModelDraft& draft, size_t ordersAt)
{
    ModelOrderDependency* records = w.At<ModelOrderDependency>(ordersAt);
    uint32_t i = 0;
    for (const PendingOrder* o = draft.orders; o; o = o->next, ++i) {
        ModelOrderDependency order = {kNoConstraintFeature, kAnyOption, o->section, o->order};
        if (!ResolveReference(draft.features, o->feature, o->option, &order.feature,
                              &order.option))
            order.feature = kNoConstraintFeature;
        if (records)
            records[i] = order;
    }
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
    WriteConstraints(w, draft, arrays.constraints);
    WriteOrders(w, draft, arrays.orders);
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

// The head records the description's checksum, so that settings saved for
// another description can be recognised. CRC-16/XMODEM: most significant
// bit first, initial value 0, no final XOR.
uint16_t ModelChecksum(const uint8_t* data, size_t size)
{
    const uint16_t kPolynomial = 0x1021;
    const uint16_t kTopBit = 0x8000;
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & kTopBit) ? static_cast<uint16_t>((crc << 1) ^ kPolynomial)
                                  : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}
