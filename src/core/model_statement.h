// The model description one statement at a time:
//   *Keyword Option/Translation: Value
// with comments, blank lines and stray text skipped and quoted values that
// run across lines.
#pragma once

#include "core/model_parser.h"
#include "core/parse_arena.h"

#include <cstddef>
#include <cstdint>

namespace model_parse {

// Room for a keyword and its terminator; longer keywords are cut.
const size_t kKeywordCapacity = 64;

// The shapes a value can have, as bits so that a keyword can accept several.
enum ValueShape : uint8_t {
    kShapeQuoted = 1,   // "..."
    kShapeSymbol = 2,   // one word
    kShapeText = 4,     // unquoted text of several words
};

// Texts that the parser keeps are terminated copies, so a NUL byte in the
// description ends a name there; lengths below count up to it.
struct Statement {
    uint32_t line;
    char keyword[kKeywordCapacity];
    size_t keywordLength;
    // The option part, in the text: most statements with one are skipped,
    // so the handlers that keep it copy it (CopyOption, DecodeTranslation).
    const char* optionText;        // null when there is no option part
    size_t optionLength;
    const char* translationText;   // as written; null when there is no "/"
    size_t translationLength;
    const char* value;        // in the text; quoted values as written (see StatementValue)
    size_t valueLength;
    uint8_t shape;            // ValueShape
};

// Hands what the parser skipped or refused to the caller's sink, and
// remembers whether a statement ended parsing.
class Diagnostics {
public:
    Diagnostics(ModelDiagnosticSink sink, void* context) : sink_(sink), context_(context) {}

    // The statement, or part of it, was skipped.
    void Report(const Statement& s, const char* message) { Send(s, message, false); }

    // The statement cannot be read: parsing ends. Returns false, for the
    // caller to pass on.
    bool Fail(const Statement& s, const char* message)
    {
        Send(s, message, true);
        failed_ = true;
        return false;
    }

    bool Failed() const { return failed_; }

private:
    void Send(const Statement& s, const char* message, bool fatal)
    {
        if (sink_)
            sink_(context_, s.line, s.keyword, message, fatal);
    }

    ModelDiagnosticSink sink_;
    void* context_;
    bool failed_ = false;
};

class StatementReader {
public:
    StatementReader(const uint8_t* text, size_t size, Diagnostics& diagnostics)
        : text_(reinterpret_cast<const char*>(text)), size_(size), diagnostics_(diagnostics)
    {
    }

    // Reads the next statement; its parts point into the text. Returns false
    // when a statement cannot be read; *done is set at the end of the text.
    bool Next(Statement* s, bool* done);

private:
    struct Line {
        const char* text;
        size_t length;   // without the end-of-line characters
        size_t start;    // offset in the description
    };

    bool ReadLine(Line* line);
    bool FindStatement(Statement* s, Line* line, size_t* afterKeyword);
    size_t ReadKeyword(const Line& line, Statement* s);
    bool ReadOptionPart(const Line& line, size_t* at, Statement* s);
    bool ReadQuotedValue(const Line& line, size_t valueStart, Statement* s);
    void ReadUnquotedValue(const Line& line, size_t valueStart, Statement* s);

    const char* text_;
    size_t size_;
    size_t pos_ = 0;
    uint32_t line_ = 1;
    Diagnostics& diagnostics_;
};

// Translation strings and quoted texts may carry bytes as <hex> substrings:
// the text with them decoded, in the arena; null when memory runs out.
char* DecodeHexSubstrings(Arena& arena, const char* text, size_t length);

// The statement's value as a terminated arena string, with the hex
// substrings of a quoted value decoded when asked; null when memory runs out.
char* StatementValue(Arena& arena, const Statement& s, bool decodeHex);

// The option keyword as a terminated arena string; null when memory runs out.
char* CopyOption(Arena& arena, const Statement& s);

// The translation with its hex substrings decoded, in the arena; null when
// memory runs out. Only for a statement that has one.
char* DecodeTranslation(Arena& arena, const Statement& s);

} // namespace model_parse
