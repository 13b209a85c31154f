// Parsing description texts in memory, as the tests need them.
#pragma once

#include "core/model_parser.h"

#include <string>
#include <vector>

struct ParsedModel {
    ModelContext* model = nullptr;   // relocated, or null when parsing failed
    std::vector<std::string> diagnostics;   // "LINE: keyword: message"
    ParsedModel() = default;
    ParsedModel(const ParsedModel&) = delete;
    ParsedModel& operator=(const ParsedModel&) = delete;
    ~ParsedModel();
};

// Parses text as a model description; the context lives as long as result.
void ParseModelText(const std::string& text, ParsedModel* result);

// The whole content of a file of the sample model directory.
std::string ReadSampleModelFile(const char* name);

// The feature with the given keyword, or null.
const ModelFeature* FindModelFeature(const ModelContext* model, const char* keyword);
