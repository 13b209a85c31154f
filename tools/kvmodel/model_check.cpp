#include "model_check.h"

#include "core/model_parser.h"

#include <cstdlib>

namespace {

void* ZeroedAllocate(size_t size)
{
    return std::calloc(1, size);
}

void Collect(void* context, uint32_t line, const char* keyword, const char* message, bool fatal)
{
    auto* result = static_cast<ModelCheckResult*>(context);
    result->diagnostics.push_back(
        ModelDiagnostic{line, keyword ? keyword : "", message ? message : "", fatal});
}

std::string Plural(size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace

ModelCheckResult::~ModelCheckResult()
{
    std::free(model);
}

size_t ModelCheckResult::Count(bool fatal) const
{
    size_t count = 0;
    for (const ModelDiagnostic& d : diagnostics)
        count += d.fatal == fatal;
    return count;
}

void CheckModelText(const uint8_t* text, size_t size, const char16_t* path,
                    ModelCheckResult* result)
{
    // An empty file is a valid (if useless) description; the parser only
    // needs a readable pointer.
    static const uint8_t kEmpty[1] = {0};
    ModelParseOptions options = {Collect, result, ZeroedAllocate};
    ModelContext* image = BuildModelImage(text ? text : kEmpty, size, path, options);
    if (!image)
        return;
    result->imageSize = image->imageSize;
    // The driver relocates every image it loads; one the parser has just
    // built must always pass, so a refusal here is the parser's fault.
    if (!RelocateModelImage(image, image->imageSize)) {
        result->relocationRefused = true;
        std::free(image);
        return;
    }
    result->model = image;
}

std::string FormatDiagnostic(const std::string& file, const ModelDiagnostic& diagnostic)
{
    std::string line = file + ":" + std::to_string(diagnostic.line) + ": ";
    line += diagnostic.fatal ? "error: " : "warning: ";
    if (!diagnostic.keyword.empty())
        line += "*" + diagnostic.keyword + ": ";
    line += diagnostic.message;
    return line;
}

std::string FormatSummary(const std::string& file, const ModelCheckResult& result)
{
    std::string counts =
        Plural(result.Count(true), "error") + ", " + Plural(result.Count(false), "warning");
    if (result.relocationRefused)
        return file + ": error: the parser built an image that does not relocate (" + counts +
               ")";
    if (!result.model)
        return file + ": does not load (" + counts + ")";
    const ModelContext* m = result.model;
    size_t options = 0;
    for (uint32_t i = 0; i < m->featureCount; ++i)
        options += m->features[i].optionCount;
    return file + ": loads: " + Plural(m->featureCount, "feature") + " (" +
           std::to_string(m->installableCount) + " installable), " +
           Plural(options, "option") + ", " + Plural(m->constraintCount, "constraint") + ", " +
           std::to_string(result.imageSize) + " bytes of cache image (" + counts + ")";
}
