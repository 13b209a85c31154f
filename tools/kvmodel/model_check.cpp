#include "model_check.h"

#include "description_scan.h"
#include "keyword_tables.h"

#include "core/model_parser.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

const char kUnknownKeyword[] = "unknown keyword skipped";

void* ZeroedAllocate(size_t size)
{
    return std::calloc(1, size);
}

struct ParserReport {
    std::vector<ModelDiagnostic> diagnostics;
    std::set<uint32_t> skippedLines;
    uint32_t fatalLine = 0;   // 0: parsing went to the end
};

// Keywords the driver has no use for but that belong in a description
// become notes; everything else the parser skipped stays a warning.
void Collect(void* context, uint32_t line, const char* keyword, const char* message, bool fatal)
{
    auto* report = static_cast<ParserReport*>(context);
    ModelDiagnostic d{line, fatal ? DiagnosticLevel::kError : DiagnosticLevel::kWarning,
                      keyword ? keyword : "", message ? message : ""};
    if (fatal) {
        report->fatalLine = line;
    } else {
        report->skippedLines.insert(line);
        const char* why = nullptr;
        if (d.message == kUnknownKeyword && (why = WhyKeywordIsUnused(d.keyword))) {
            d.level = DiagnosticLevel::kNote;
            d.message = why;
        }
    }
    report->diagnostics.push_back(std::move(d));
}

bool IsBlankText(const uint8_t* text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
            return false;
    return true;
}

// Random bytes, another format, an empty file: the driver loads any of
// them as a model without features, so check says what it is instead of
// listing every line.
const char* NotADescription(const uint8_t* text, size_t size, const DescriptionScan& scan)
{
    if (IsBlankText(text, size))
        return "not a model description: the file is empty";
    if (scan.statements.empty() || scan.statements[0].line != 1 ||
        scan.statements[0].keyword != "PPD-Adobe")
        return "not a model description: it does not begin with *PPD-Adobe";
    return nullptr;
}

std::string Plural(size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

const char* LevelName(DiagnosticLevel level)
{
    switch (level) {
    case DiagnosticLevel::kError: return "error";
    case DiagnosticLevel::kWarning: return "warning";
    default: return "note";
    }
}

} // namespace

ModelCheckResult::~ModelCheckResult()
{
    std::free(model);
}

size_t ModelCheckResult::Count(DiagnosticLevel level) const
{
    size_t count = 0;
    for (const ModelDiagnostic& d : diagnostics)
        count += d.level == level;
    return count;
}

bool ModelCheckResult::Passes(bool strict) const
{
    return model && !Count(DiagnosticLevel::kError) && !(strict && Count(DiagnosticLevel::kWarning));
}

void CheckModelText(const uint8_t* text, size_t size, const char16_t* path,
                    ModelCheckResult* result)
{
    // The parser only needs a readable pointer for an empty file.
    static const uint8_t kEmpty[1] = {0};
    if (!text)
        text = kEmpty;
    ParserReport parser;
    ModelParseOptions options = {Collect, &parser, ZeroedAllocate};
    ModelContext* image = BuildModelImage(text, size, path, options);
    if (image) {
        // The driver relocates every image it loads; one the parser has just
        // built must always pass, so a refusal here is the parser's fault.
        if (RelocateModelImage(image, image->imageSize)) {
            result->model = image;
        } else {
            result->relocationRefused = true;
            std::free(image);
        }
    }

    const DescriptionScan scan = ScanDescription(text, size);
    if (const char* what = NotADescription(text, size, scan)) {
        result->diagnostics.push_back({1, DiagnosticLevel::kError, "", what});
        return;
    }
    std::vector<ModelDiagnostic>& out = result->diagnostics;
    out = std::move(parser.diagnostics);
    // The parser stops at the first statement it cannot read; the scan
    // reports the lines after it.
    if (parser.fatalLine)
        for (const ScanProblem& p : scan.problems)
            if (p.line > parser.fatalLine)
                out.push_back({p.line, p.error ? DiagnosticLevel::kError : DiagnosticLevel::kWarning,
                               p.keyword, p.message});
    LintInput lint{&scan, result->model, parser.skippedLines};
    LintDescription(lint, &out);
    std::stable_sort(out.begin(), out.end(), [](const ModelDiagnostic& a, const ModelDiagnostic& b) {
        return a.line < b.line;
    });
}

std::string FormatDiagnostic(const std::string& file, const ModelDiagnostic& diagnostic)
{
    std::string line = file + ":" + std::to_string(diagnostic.line) + ": " +
                       LevelName(diagnostic.level) + ": ";
    if (!diagnostic.keyword.empty())
        line += "*" + diagnostic.keyword + ": ";
    line += diagnostic.message;
    return line;
}

std::string FormatSummary(const std::string& file, const ModelCheckResult& result)
{
    const std::string counts = Plural(result.Count(DiagnosticLevel::kError), "error") + ", " +
                               Plural(result.Count(DiagnosticLevel::kWarning), "warning") + ", " +
                               Plural(result.Count(DiagnosticLevel::kNote), "note");
    if (result.relocationRefused)
        return file + ": error: the parser built an image that does not relocate; " + counts;
    if (!result.model)
        return file + ": does not load; " + counts;
    // What the driver holds: papers are the page sizes with a dimension,
    // constraints those that name what the model has.
    const ModelContext* m = result.model;
    size_t options = 0, papers = 0, constraints = 0;
    for (uint32_t i = 0; i < m->featureCount; ++i)
        options += m->features[i].optionCount;
    const ModelFeature* pageSize = m->slots[kKindPageSize];
    for (uint32_t i = 0; pageSize && i < pageSize->optionCount; ++i)
        papers += (pageSize->options[i].flags & kOptionHasDimension) != 0;
    for (uint32_t i = 0; i < m->constraintCount; ++i)
        constraints += m->constraints[i].feature1 != kNoConstraintFeature;
    const size_t ignored = m->constraintCount - constraints;
    return file + ": loads: " + Plural(m->featureCount, "feature") + " (" +
           std::to_string(m->installableCount) + " installable), " + Plural(options, "option") +
           ", " + Plural(papers, "paper size") + ", " + Plural(constraints, "constraint") +
           (ignored ? " (" + std::to_string(ignored) + " ignored)" : std::string()) + "; " + counts;
}
