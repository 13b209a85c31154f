// What the cache image's writer and its relocation share: where the records
// lie in the block and which of their fields point at texts.
#pragma once

#include "core/model_context.h"
#include "core/model_draft.h"

#include <cstddef>
#include <cstdint>

namespace model_image {

// Records start at multiples of this in the block, and the block's size is one.
const size_t kRecordAlignment = 8;

// The block ends in this many zero bytes: whatever a damaged cache points
// at, a text read from the block ends inside it.
const size_t kZeroTailSize = 8;

// imageSize is a 32-bit field.
const uint64_t kImageSizeLimit = 0xFFFFFFFFu;

// The fields of each record that point at texts. The writer lays the texts
// out in this order, so the order is part of the cache format.
constexpr char* ModelContext::* kHeadTexts[] = {
    &ModelContext::nickName,   &ModelContext::password,
    &ModelContext::exitServer, &ModelContext::jclBegin,
    &ModelContext::jclToPSInterpreter, &ModelContext::jclEnd,
    &ModelContext::defaultLanguage,    &ModelContext::sleepModeList,
};

// The keyword comes first: every feature and option has one.
constexpr char* ModelFeature::* kFeatureTexts[] = {
    &ModelFeature::keyword, &ModelFeature::translation, &ModelFeature::defaultKeyword,
};

constexpr char* ModelOption::* kOptionTexts[] = {
    &ModelOption::keyword, &ModelOption::translation, &ModelOption::value,
    &ModelOption::landscapeValue, &ModelOption::media,
};

// Serialises the draft into one zero-filled block from allocate, in cache
// form: pointers hold offsets from the start of the block and the kind
// slots are zero. Null when the block would be too large or memory runs out.
ModelContext* WriteModelImage(const model_parse::ModelDraft& draft, const char16_t* path,
                              void* (*allocate)(size_t size));

} // namespace model_image
