// The model description read statement by statement the way the driver's
// parser reads it, keeping what the parser has no use for: the line of
// every statement, the words as written, and the statement-like lines a
// quoted value ran over. Unlike the parser, the scan goes on after a
// statement it cannot read, so that check can report every such line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ScannedStatement {
    uint32_t line;
    std::string keyword;   // without the "*"
    bool hasOption = false;
    std::string option;    // as written, trailing blanks dropped
    std::string value;     // unquoted: the rest of the line; quoted: between the quotes
    bool quoted = false;
    // Lines inside a quoted value that begin like a statement ("*Keyword"):
    // the parser reads them as part of the value, never as statements.
    std::vector<uint32_t> swallowedLines;
    std::string firstSwallowedKeyword;
};

// A line the parser cannot read (error: parsing would end there) or skips
// (warning). keyword is empty for text outside a statement.
struct ScanProblem {
    uint32_t line;
    std::string keyword;
    std::string message;
    bool error;
};

struct DescriptionScan {
    std::vector<ScannedStatement> statements;
    std::vector<ScanProblem> problems;
    bool endsInsideValue = false;   // a quoted value is still open at the end
};

DescriptionScan ScanDescription(const uint8_t* text, size_t size);

// The words of a "UIConstraints" value ("*Feature1 [Option1] *Feature2
// [Option2]"), features without their "*"; false unless it names exactly
// two features, as the parser requires.
bool SplitConstraintWords(const std::string& value, std::string names[4]);
