// libFuzzer harness: arbitrary bytes as a model description.
//
// Beyond not crashing, a description the parser accepts must give an image
// that is exactly the block it asked for, that is the same on every build
// (the cache on disk must not depend on stray memory), that relocation
// accepts, and whose numbers all point inside the model. Diagnostics must
// name a line of the input, and parsing fails exactly when one is fatal.
#include "model_walk.h"

#include "core/model_parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char16_t kPath[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\FUZZ.PPD";

struct Build {
    size_t requested = 0;   // bytes the parser asked for
    uint32_t lines = 1;     // lines of the input
    uint32_t fatal = 0;
};

Build* current = nullptr;

void* Allocate(size_t size)
{
    current->requested = size;
    return std::calloc(1, size);
}

void Sink(void* context, uint32_t line, const char* keyword, const char* message, bool fatal)
{
    auto* build = static_cast<Build*>(context);
    if (!keyword || !message || !*message || std::strlen(keyword) > 63) {
        std::fprintf(stderr, "diagnostic without keyword or message at line %u\n", line);
        std::abort();
    }
    if (line < 1 || line > build->lines) {
        std::fprintf(stderr, "diagnostic names line %u of a %u-line input: %s: %s\n", line,
                     build->lines, keyword, message);
        std::abort();
    }
    build->fatal += fatal;
}

uint32_t CountLines(const uint8_t* data, size_t size)
{
    uint32_t lines = 1;
    for (size_t i = 0; i < size; ++i)
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 >= size || data[i + 1] != '\n')))
            ++lines;
    return lines;
}

void Fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// What every consumer of a relocated model relies on.
void CheckModel(const ModelContext* m)
{
    if (m->installableCount > m->featureCount ||
        m->optionCount != m->featureCount - m->installableCount)
        Fail("ordinary and installable counts disagree");
    for (uint32_t i = 0; i < m->featureCount; ++i) {
        const ModelFeature& f = m->features[i];
        if (f.index != i)
            Fail("feature index is not its position");
        if ((i >= m->optionCount) != (f.installable != 0))
            Fail("installable features are not all after the ordinary ones");
        if (f.kind < kModelKindCount && m->slots[f.kind] != &f)
            Fail("feature of a kind is not in that kind's slot");
        if (f.kind >= kModelKindCount && f.kind != kKindNone)
            Fail("feature kind out of range");
        if (f.uiType < kUiPickOne || f.uiType > kUiBoolean)
            Fail("feature without a user-interface type");
        if (f.kind != kKindResolution && f.optionCount && f.defaultOption >= f.optionCount)
            Fail("default option outside the feature");
        if (!f.keyword || (f.optionCount && !f.options))
            Fail("feature without keyword or options");
    }
    for (int kind = 0; kind < kModelKindCount; ++kind)
        if (m->slots[kind] && m->slots[kind]->kind != kind)
            Fail("slot holds a feature of another kind");
    auto sideValid = [m](uint16_t feature, uint16_t option) {
        return feature < m->featureCount &&
               (option == kAnyOption || option < m->features[feature].optionCount);
    };
    for (uint32_t i = 0; i < m->constraintCount; ++i) {
        const ModelConstraint& c = m->constraints[i];
        if (c.feature1 != kNoConstraintFeature &&
            (!sideValid(c.feature1, c.option1) || !sideValid(c.feature2, c.option2)))
            Fail("constraint points outside the model");
    }
    for (uint32_t i = 0; i < m->orderDependencyCount; ++i) {
        const ModelOrderDependency& d = m->orderDependencies[i];
        if (d.feature != kNoConstraintFeature && !sideValid(d.feature, d.option))
            Fail("order dependency points outside the model");
    }
    if (m->freeVM < 102400)
        Fail("FreeVM below its floor");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Build first;
    first.lines = CountLines(data, size);
    current = &first;
    ModelParseOptions options = {Sink, &first, Allocate};
    ModelContext* image = BuildModelImage(data, size, kPath, options);
    if (!image) {
        if (!first.fatal)
            Fail("parsing failed without a fatal diagnostic");
        return 0;
    }
    if (first.fatal)
        Fail("a fatal diagnostic, yet an image was built");
    if (image->imageSize != first.requested || image->headSize != kModelHeadSize ||
        image->imageVersion != kModelImageVersion)
        Fail("image header does not describe the block");
    if (image->modelChecksum != ModelChecksum(data, size))
        Fail("checksum is not that of the input");

    // A second build of the same text must give the same bytes.
    Build second;
    second.lines = first.lines;
    current = &second;
    options.sinkContext = &second;
    ModelContext* again = BuildModelImage(data, size, kPath, options);
    if (!again || second.requested != first.requested ||
        std::memcmp(again, image, first.requested) != 0)
        Fail("two builds of one description differ");
    std::free(again);

    if (!RelocateModelImage(image, image->imageSize))
        Fail("relocation refused a freshly built image");
    CheckModel(image);
    volatile uint64_t digest = WalkModel(image);
    (void)digest;
    std::free(image);
    current = nullptr;
    return 0;
}
