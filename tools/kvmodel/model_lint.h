// The checks KVMODEL makes beyond what the parser reports: statements the
// driver reads without complaint although the description cannot mean
// them (a quoted value that swallows statements, a default naming no
// option, a constraint on a feature the model lacks, unbalanced blocks,
// papers without a size).
#pragma once

#include "description_scan.h"

#include "core/model_context.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

enum class DiagnosticLevel : uint8_t {
    kNote,      // standard content the driver has no use for; shown on request
    kWarning,   // skipped or doubtful; fails a strict check
    kError,     // the driver cannot read it, or reads something the author did not mean
};

struct ModelDiagnostic {
    uint32_t line;
    DiagnosticLevel level;
    std::string keyword;   // without the leading "*"; empty for the file or stray text
    std::string message;
};

struct LintInput {
    const DescriptionScan* scan;
    const ModelContext* model;        // null when the description did not load
    std::set<uint32_t> skippedLines;  // statements the parser reported as skipped
};

// Appends the findings to out, in no particular order.
void LintDescription(const LintInput& input, std::vector<ModelDiagnostic>* out);
