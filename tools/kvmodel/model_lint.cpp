#include "model_lint.h"

#include "keyword_tables.h"

#include "core/model_queries.h"

#include <cstdio>
#include <map>

namespace {

const char kDefaultPrefix[] = "Default";
const size_t kDefaultPrefixLength = sizeof(kDefaultPrefix) - 1;
const char kInstallableGroup[] = "InstallableOptions";

// A default statement names a feature after "Default"; the driver's own
// switches of that spelling are settings, not defaults.
bool IsDefaultStatement(const ScannedStatement& s)
{
    return !s.hasOption && s.keyword.size() > kDefaultPrefixLength &&
           s.keyword.compare(0, kDefaultPrefixLength, kDefaultPrefix) == 0 &&
           !IsDriverDefaultSwitch(s.keyword);
}

std::string WithoutStar(const std::string& name)
{
    return !name.empty() && name[0] == '*' ? name.substr(1) : name;
}

// The first word of a value, up to a blank or (for group names) a "/".
std::string FirstWord(const std::string& value, bool stopAtSlash)
{
    size_t end = 0;
    while (end < value.size() && value[end] != ' ' && value[end] != '\t' &&
           !(stopAtSlash && value[end] == '/'))
        ++end;
    return value.substr(0, end);
}

std::vector<std::string> Words(const std::string& value)
{
    std::vector<std::string> words;
    for (size_t p = 0; p < value.size();) {
        while (p < value.size() && (value[p] == ' ' || value[p] == '\t'))
            ++p;
        const size_t start = p;
        while (p < value.size() && value[p] != ' ' && value[p] != '\t')
            ++p;
        if (p > start)
            words.push_back(value.substr(start, p - start));
    }
    return words;
}

// Points in 24.8 fixed point as a model author writes them: "595.28", "12".
std::string Points(int32_t fixed)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", fixed / 256.0);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out;
}

int FindOption(const ModelFeature* feature, const std::string& keyword)
{
    for (uint32_t i = 0; feature && i < feature->optionCount; ++i)
        if (feature->options[i].keyword && keyword == feature->options[i].keyword)
            return static_cast<int>(i);
    return -1;
}

struct OpenBlock {
    bool open = false;
    std::string keyword;
    std::string name;
    uint32_t line = 0;
};

class Linter {
public:
    Linter(const LintInput& input, std::vector<ModelDiagnostic>* out)
        : statements_(input.scan->statements), scan_(*input.scan), model_(input.model),
          skipped_(input.skippedLines), out_(out)
    {
    }

    void Run()
    {
        CheckSwallowedStatements();
        CheckBlocks();
        CheckDuplicates();
        if (!model_)
            return;
        if (model_->featureCount == 0)
            Report(1, DiagnosticLevel::kError, "", "not a model description: it defines no feature");
        CheckDefaults();
        CheckConstraints();
        CheckOrderDependencies();
        CheckPageSizes();
    }

private:
    void Report(uint32_t line, DiagnosticLevel level, const std::string& keyword,
                const std::string& message)
    {
        out_->push_back(ModelDiagnostic{line, level, keyword, message});
    }
    void Error(const ScannedStatement& s, const std::string& message)
    {
        Report(s.line, DiagnosticLevel::kError, s.keyword, message);
    }
    void Warning(const ScannedStatement& s, const std::string& message)
    {
        Report(s.line, DiagnosticLevel::kWarning, s.keyword, message);
    }
    bool Skipped(const ScannedStatement& s) const { return skipped_.count(s.line) != 0; }

    // The feature a statement's name means, found as the parser finds it:
    // by its own name, else the feature of the kind the name feeds.
    const ModelFeature* FeatureNamed(const std::string& name) const
    {
        for (uint32_t i = 0; i < model_->featureCount; ++i)
            if (model_->features[i].keyword && name == model_->features[i].keyword)
                return &model_->features[i];
        const ModelFeatureKind kind = KindNamedBy(name);
        return kind == kKindNone ? nullptr : FeatureOfKind(model_, kind);
    }

    // Why "*feature option" names nothing in the model; empty when it does.
    std::string WhyUnresolved(const std::string& feature, const std::string& option) const
    {
        const ModelFeature* f = FeatureNamed(feature);
        if (!f)
            return "no feature *" + feature + " in the model";
        if (!option.empty() && FindOption(f, option) < 0)
            return "no option " + option + " in *" + std::string(f->keyword);
        return std::string();
    }

    // A quoted value runs to the next quote wherever it is; when its lines
    // look like statements, a closing quote is missing and the driver has
    // silently lost those statements.
    void CheckSwallowedStatements()
    {
        for (const ScannedStatement& s : statements_) {
            const std::vector<uint32_t>& lines = s.swallowedLines;
            if (lines.empty())
                continue;
            const std::string what =
                lines.size() == 1
                    ? "the statement at line " + std::to_string(lines[0]) + " (*" +
                          s.firstSwallowedKeyword + ")"
                    : std::to_string(lines.size()) + " statements (lines " +
                          std::to_string(lines.front()) + "-" + std::to_string(lines.back()) +
                          ", from *" + s.firstSwallowedKeyword + ")";
            Error(s, "quoted value swallows " + what + "; is a closing quote missing?");
        }
    }

    void CheckBlocks()
    {
        OpenBlock ui, group;
        for (const ScannedStatement& s : statements_) {
            const std::string& k = s.keyword;
            if ((k == "OpenUI" || k == "JCLOpenUI") && s.hasOption) {
                const std::string name = WithoutStar(s.option);
                if (ui.open)
                    Error(s, "*" + name + " opened while *" + ui.name + " (line " +
                                 std::to_string(ui.line) + ") is still open; *CloseUI: *" +
                                 ui.name + " missing?");
                ui = OpenBlock{true, k, name, s.line};
            } else if (k == "CloseUI" || k == "JCLCloseUI") {
                const std::string name = WithoutStar(FirstWord(s.value, false));
                if (ui.open && name != ui.name)
                    Error(s, "closes *" + name + ", but the open feature is *" + ui.name +
                                 " (line " + std::to_string(ui.line) + ")");
                ui.open = false;   // without an open feature the parser says so itself
            } else if (k == "OpenGroup") {
                const std::string name = FirstWord(s.value, true);
                if (group.open)
                    Error(s, "group " + name + " opened while group " + group.name + " (line " +
                                 std::to_string(group.line) + ") is still open");
                group = OpenBlock{true, k, name, s.line};
            } else if (k == "CloseGroup") {
                const std::string name = FirstWord(s.value, true);
                if (!group.open)
                    Error(s, "no group is open");
                else if (name != group.name)
                    Error(s, "closes group " + name + ", but the open group is " + group.name +
                                 " (line " + std::to_string(group.line) + ")");
                if (ui.open)
                    Error(s, "group closed while *" + ui.name + " (line " +
                                 std::to_string(ui.line) + ") is still open");
                group.open = false;
            }
        }
        // A value left open to the end has swallowed the closing statements;
        // its own error says so.
        if (scan_.endsInsideValue)
            return;
        if (ui.open)
            Report(ui.line, DiagnosticLevel::kError, ui.keyword,
                   "*" + ui.name + " is never closed (no *CloseUI: *" + ui.name + ")");
        if (group.open)
            Report(group.line, DiagnosticLevel::kError, group.keyword,
                   "group " + group.name + " is never closed" +
                       (group.name == kInstallableGroup
                            ? "; every feature after it counts as installable"
                            : ""));
    }

    // An option or default given twice: one of the two statements is lost.
    void CheckDuplicates()
    {
        std::map<std::string, uint32_t> first;
        for (const ScannedStatement& s : statements_) {
            const bool isDefault = IsDefaultStatement(s);
            if ((!s.hasOption && !isDefault) || s.keyword[0] == '?' || Skipped(s))
                continue;
            const auto found = first.emplace(s.keyword + '\n' + s.option, s.line);
            if (found.second)
                continue;
            const std::string where = " (first at line " + std::to_string(found.first->second) + ")";
            if (isDefault)
                Warning(s, "default named again" + where);
            else if (s.keyword == "OpenUI" || s.keyword == "JCLOpenUI")
                Warning(s, s.option + " opened again" + where);
            else
                Warning(s, "option " + s.option + " defined again" + where);
        }
    }

    void CheckDefaults()
    {
        for (const ScannedStatement& s : statements_) {
            if (!IsDefaultStatement(s) || Skipped(s))
                continue;
            const std::string name = s.keyword.substr(kDefaultPrefixLength);
            const ModelFeature* feature = FeatureNamed(name);
            if (!feature) {
                if (const char* why = WhyKeywordIsUnused(s.keyword))
                    Report(s.line, DiagnosticLevel::kNote, s.keyword, why);
                else
                    Warning(s, "no feature *" + name + " in the model; default ignored");
                continue;
            }
            if (FindOption(feature, s.value) >= 0)
                continue;
            std::string message = "no option " + s.value + " in *" + feature->keyword;
            if (feature->kind == kKindResolution) {
                // The driver keeps the dots per inch the name reads as.
                uint32_t dpi = ResolutionDpiOfKeyword(s.value.c_str());
                if (!dpi)
                    dpi = kModelFallbackResolution;
                message += "; the driver reads it as " + std::to_string(dpi) + " dpi";
                if (OffersResolution(model_, dpi))
                    Warning(s, message + ", which the model offers");
                else
                    Error(s, message + ", which the model does not offer");
                continue;
            }
            if (feature->defaultKeyword && s.value == feature->defaultKeyword &&
                feature->optionCount)
                message += std::string("; the driver starts with the first option, ") +
                           feature->options[0].keyword;
            Error(s, message);
        }
    }

    // A statement that names features (and options), as the parser kept it.
    struct Reference {
        const ScannedStatement* statement;
        std::vector<std::string> names;   // feature, option (empty: any), ...
    };

    // The n-th reference the parser kept is the n-th record of the model,
    // which says whether it resolved; when the counts disagree the names
    // are resolved here alone.
    template <typename RecordUnresolved>
    void ReportUnresolved(const std::vector<Reference>& kept, uint32_t records,
                          RecordUnresolved recordUnresolved, DiagnosticLevel level,
                          const char* consequence)
    {
        const bool mapped = kept.size() == records;
        for (size_t i = 0; i < kept.size(); ++i) {
            const std::vector<std::string>& n = kept[i].names;
            std::string why;
            for (size_t side = 0; side + 1 < n.size() && why.empty(); side += 2)
                why = WhyUnresolved(n[side], n[side + 1]);
            if (mapped ? !recordUnresolved(i) : why.empty())
                continue;
            if (why.empty())
                why = "names a feature or option the model does not have";
            Report(kept[i].statement->line, level, kept[i].statement->keyword, why + consequence);
        }
    }

    void CheckConstraints()
    {
        std::vector<Reference> kept;
        for (const ScannedStatement& s : statements_) {
            std::vector<std::string> names(4);
            if (s.keyword == "UIConstraints" && !Skipped(s) && SplitConstraintWords(s.value, names.data()))
                kept.push_back(Reference{&s, names});
        }
        ReportUnresolved(
            kept, model_->constraintCount,
            [this](size_t i) { return model_->constraints[i].feature1 == kNoConstraintFeature; },
            DiagnosticLevel::kError, "; the constraint never applies");
    }

    // "order section *Feature [Option]"; the parser reports the malformed ones.
    void CheckOrderDependencies()
    {
        std::vector<Reference> kept;
        for (const ScannedStatement& s : statements_) {
            if (s.keyword != "OrderDependency" || Skipped(s))
                continue;
            const std::vector<std::string> words = Words(s.value);
            if (words.size() >= 3 && words[2][0] == '*')
                kept.push_back(Reference{&s, {words[2].substr(1), words.size() > 3 ? words[3] : ""}});
        }
        ReportUnresolved(
            kept, model_->orderDependencyCount,
            [this](size_t i) { return model_->orderDependencies[i].feature == kNoConstraintFeature; },
            DiagnosticLevel::kWarning, "; the order dependency is ignored");
    }

    // The first statement, or the last of one keyword, about a page size.
    const ScannedStatement* PageSizeStatement(const std::string& option, const char* keyword) const
    {
        const ScannedStatement* found = nullptr;
        for (const ScannedStatement& s : statements_) {
            if (!s.hasOption || s.option != option)
                continue;
            if (keyword ? s.keyword == keyword : KindNamedBy(s.keyword) == kKindPageSize) {
                found = &s;
                if (!keyword)
                    break;
            }
        }
        return found;
    }

    void CheckImageableArea(const ModelOption& o, const char* keyword, const int32_t area[4],
                            int32_t width, int32_t height, const char* what, const char* paper)
    {
        const ScannedStatement* s = PageSizeStatement(o.keyword, keyword);
        if (!s)
            return;
        const std::string text = std::string(what) + " " + Points(area[0]) + " " +
                                 Points(area[1]) + " " + Points(area[2]) + " " + Points(area[3]) +
                                 " of " + o.keyword;
        if (area[0] >= area[2] || area[1] >= area[3])
            Error(*s, text + " is empty");
        else if (area[0] < 0 || area[1] < 0 || area[2] > width || area[3] > height)
            Error(*s, text + " lies outside its " + paper + ", " + Points(width) + " x " +
                          Points(height));
    }

    void CheckPageSizes()
    {
        const ModelFeature* pageSize = FeatureOfKind(model_, kKindPageSize);
        for (uint32_t i = 0; pageSize && i < pageSize->optionCount; ++i) {
            const ModelOption& o = pageSize->options[i];
            const ScannedStatement* first = PageSizeStatement(o.keyword, nullptr);
            if (!first)
                continue;
            if (!o.value)
                Warning(*first, std::string("no *PageSize ") + o.keyword +
                                    "; is the option keyword misspelt?");
            if (!(o.flags & kOptionHasDimension)) {
                Error(*first, std::string("page size ") + o.keyword +
                                  " has no *PaperDimension; the driver knows no size for it");
                continue;
            }
            if (o.flags & kOptionHasImageableArea)
                CheckImageableArea(o, "ImageableArea", o.imageable, o.width, o.height,
                                   "imageable area", "paper");
            // Landscape areas are measured on the turned sheet.
            if (o.flags & kOptionHasImageableAreaL)
                CheckImageableArea(o, "ImageableAreaL", o.imageableL, o.height, o.width,
                                   "landscape imageable area", "turned paper");
        }
    }

    const std::vector<ScannedStatement>& statements_;
    const DescriptionScan& scan_;
    const ModelContext* model_;
    const std::set<uint32_t>& skipped_;
    std::vector<ModelDiagnostic>* out_;
};

} // namespace

void LintDescription(const LintInput& input, std::vector<ModelDiagnostic>* out)
{
    Linter(input, out).Run();
}
