// KVMODEL check: builds a description exactly as the driver's parser does,
// then reports, compiler style, what the parser skipped or refused and
// what the driver reads without complaint although the text cannot mean it.
#pragma once

#include "model_lint.h"

#include "core/model_context.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ModelCheckResult {
    std::vector<ModelDiagnostic> diagnostics;   // in line order
    ModelContext* model = nullptr;   // relocated and usable; null when it failed
    bool relocationRefused = false;  // built, but the image did not relocate

    ModelCheckResult() = default;
    ModelCheckResult(const ModelCheckResult&) = delete;
    ModelCheckResult& operator=(const ModelCheckResult&) = delete;
    ~ModelCheckResult();

    size_t Count(DiagnosticLevel level) const;

    // Whether check passes the file: it loads and has no error, nor a
    // warning when strict.
    bool Passes(bool strict) const;
};

// Parses the description text (the cache is never consulted) into result.
// path is recorded in the model as the driver records its data file.
void CheckModelText(const uint8_t* text, size_t size, const char16_t* path,
                    ModelCheckResult* result);

// "FILE:LINE: error: *Keyword: message" (or "warning:", "note:").
std::string FormatDiagnostic(const std::string& file, const ModelDiagnostic& diagnostic);

// The closing line of a check: what the loaded model holds, or that
// nothing loaded, and the count of each level.
std::string FormatSummary(const std::string& file, const ModelCheckResult& result);
