// KVMODEL check: builds a description exactly as the driver's parser does
// and reports what it skipped or refused, one compiler-style line each.
#pragma once

#include "core/model_context.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ModelDiagnostic {
    uint32_t line;
    std::string keyword;   // without the leading "*"; empty for stray text
    std::string message;
    bool fatal;
};

struct ModelCheckResult {
    std::vector<ModelDiagnostic> diagnostics;
    ModelContext* model = nullptr;   // relocated and usable; null when it failed
    bool relocationRefused = false;  // built, but the image did not relocate
    size_t imageSize = 0;

    ModelCheckResult() = default;
    ModelCheckResult(const ModelCheckResult&) = delete;
    ModelCheckResult& operator=(const ModelCheckResult&) = delete;
    ~ModelCheckResult();

    size_t Count(bool fatal) const;
};

// Parses the description text (the cache is never consulted) into result.
// path is recorded in the model as the driver records its data file.
void CheckModelText(const uint8_t* text, size_t size, const char16_t* path,
                    ModelCheckResult* result);

// "FILE:LINE: warning: *Keyword: message" (or "error:" for the statement
// that ended parsing).
std::string FormatDiagnostic(const std::string& file, const ModelDiagnostic& diagnostic);

// The closing line of a check: what loaded, or why nothing did.
std::string FormatSummary(const std::string& file, const ModelCheckResult& result);
