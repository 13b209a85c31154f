#include "support/model_text.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

void* ZeroedAllocate(size_t size)
{
    return std::calloc(1, size);
}

void CollectDiagnostic(void* context, uint32_t line, const char* keyword, const char* message,
                       bool fatal)
{
    auto* list = static_cast<std::vector<std::string>*>(context);
    list->push_back(std::to_string(line) + ": " + keyword + ": " + (fatal ? "error: " : "") +
                    message);
}

} // namespace

ParsedModel::~ParsedModel()
{
    std::free(model);
}

void ParseModelText(const std::string& text, ParsedModel* result)
{
    ModelParseOptions options = {CollectDiagnostic, &result->diagnostics, ZeroedAllocate};
    ModelContext* image = BuildModelImage(reinterpret_cast<const uint8_t*>(text.data()),
                                          text.size(), u"C:\\drivers\\TEST.PPD", options);
    if (image && !RelocateModelImage(image, image->imageSize)) {
        std::free(image);
        image = nullptr;
    }
    result->model = image;
}

std::string ReadSampleModelFile(const char* name)
{
    std::ifstream file(std::string(KV_MODEL_DIR) + "/" + name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

const ModelFeature* FindModelFeature(const ModelContext* model, const char* keyword)
{
    for (uint32_t i = 0; model && i < model->featureCount; ++i)
        if (std::strcmp(model->features[i].keyword, keyword) == 0)
            return &model->features[i];
    return nullptr;
}
