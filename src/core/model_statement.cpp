#include "core/model_statement.h"

#include "core/description_text.h"

#include <cstring>

namespace model_parse {

namespace {

// How much of text[0, length) a C string copy of it holds: up to a NUL byte.
size_t TextLength(const char* text, size_t length)
{
    const void* nul = std::memchr(text, '\0', length);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length;
}

bool IsBlankText(const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (!IsBlank(text[i]))
            return false;
    return true;
}

// Decodes the hex substring whose "<" is at text[open] into out. Returns the
// position of its ">", or 0 when the text there is not a hex substring
// (a character that is no hex digit, no ">", or an odd number of digits).
size_t DecodeHexSubstring(const char* text, size_t open, size_t length, char* out, size_t* n)
{
    const size_t mark = *n;
    int high = -1;
    for (size_t j = open + 1; j < length; ++j) {
        if (text[j] == '>') {
            if (high < 0)
                return j;
            break;
        }
        if (IsSpace(text[j]))
            continue;
        int digit = HexDigit(text[j]);
        if (digit < 0)
            break;
        if (high < 0) {
            high = digit;
        } else {
            out[(*n)++] = static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    *n = mark;
    return 0;
}

} // namespace

char* DecodeHexSubstrings(Arena& arena, const char* text, size_t length)
{
    char* out = static_cast<char*>(arena.Allocate(length + 1));
    if (!out)
        return nullptr;
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        size_t close = text[i] == '<' ? DecodeHexSubstring(text, i, length, out, &n) : 0;
        if (close)
            i = close;
        else
            out[n++] = text[i];   // kept as written
    }
    out[n] = '\0';
    return out;
}

char* StatementValue(Arena& arena, const Statement& s, bool decodeHex)
{
    if (s.shape == kShapeQuoted && decodeHex)
        return DecodeHexSubstrings(arena, s.value, s.valueLength);
    return arena.Copy(s.value, s.valueLength);
}

char* CopyOption(Arena& arena, const Statement& s)
{
    return arena.Copy(s.optionText, s.optionLength);
}

char* DecodeTranslation(Arena& arena, const Statement& s)
{
    return DecodeHexSubstrings(arena, s.translationText, s.translationLength);
}

// One physical line from pos_, without its end-of-line characters.
bool StatementReader::ReadLine(Line* line)
{
    if (pos_ >= size_)
        return false;
    line->text = text_ + pos_;
    line->start = pos_;
    size_t end = pos_;
    while (end < size_ && !IsEol(text_[end]))
        ++end;
    line->length = end - pos_;
    if (end < size_ && text_[end] == '\r')
        ++end;
    if (end < size_ && text_[end] == '\n')
        ++end;
    pos_ = end;
    ++line_;
    return true;
}

// Skips to the next line that starts a statement and reads its keyword.
// False at the end of the text.
bool StatementReader::FindStatement(Statement* s, Line* line, size_t* afterKeyword)
{
    for (;;) {
        *s = Statement();
        s->line = line_;
        if (!ReadLine(line))
            return false;
        if (line->length == 0 || line->text[0] != '*') {
            if (!IsBlankText(line->text, line->length))
                diagnostics_.Report(*s, "text outside a statement ignored");
            continue;
        }
        if (line->length >= 2 && line->text[1] == '%')
            continue;   // comment
        *afterKeyword = ReadKeyword(*line, s);
        if (s->keyword[0])
            return true;
        diagnostics_.Report(*s, "statement without a keyword ignored");
    }
}

// The keyword after the "*", up to a blank or ":". Returns where it ends.
size_t StatementReader::ReadKeyword(const Line& line, Statement* s)
{
    size_t i = 1;
    size_t k = 0;
    while (i < line.length && !IsBlank(line.text[i]) && line.text[i] != ':') {
        if (k + 1 < sizeof(s->keyword))
            s->keyword[k++] = line.text[i];
        ++i;
    }
    s->keyword[k] = '\0';
    s->keywordLength = TextLength(s->keyword, k);
    return i;
}

// The option keyword, then an optional "/" translation, up to the ":".
// *at moves to the ":".
bool StatementReader::ReadOptionPart(const Line& line, size_t* at, Statement* s)
{
    size_t i = *at;
    const size_t optionStart = i;
    while (i < line.length && line.text[i] != '/' && line.text[i] != ':')
        ++i;
    const size_t optionEnd = TrimBlanks(line.text, optionStart, i);
    s->optionText = line.text + optionStart;
    s->optionLength = TextLength(s->optionText, optionEnd - optionStart);
    if (i < line.length && line.text[i] == '/') {
        const size_t translationStart = ++i;
        while (i < line.length && line.text[i] != ':')
            ++i;
        s->translationText = line.text + translationStart;
        s->translationLength = i - translationStart;
    }
    *at = i;
    if (i >= line.length)
        return diagnostics_.Fail(*s, "missing ':' after the option part");
    return true;
}

// A quoted value runs to the next quote, across lines if need be; reading
// goes on after the line it closes on.
bool StatementReader::ReadQuotedValue(const Line& line, size_t valueStart, Statement* s)
{
    const size_t start = line.start + valueStart;
    size_t end = start;
    while (end < size_ && text_[end] != '"')
        ++end;
    if (end >= size_)
        return diagnostics_.Fail(*s, "quoted value not terminated");
    if (end >= pos_) {
        for (size_t c = pos_; c < end; ++c)
            if (text_[c] == '\n' || (text_[c] == '\r' && text_[c + 1] != '\n'))
                ++line_;
        pos_ = end + 1;
        Line rest;
        ReadLine(&rest);
    }
    s->value = text_ + start;
    s->valueLength = end - start;
    s->shape = kShapeQuoted;
    return true;
}

// An unquoted value: the rest of the line without trailing blanks.
void StatementReader::ReadUnquotedValue(const Line& line, size_t valueStart, Statement* s)
{
    const size_t valueEnd = TrimBlanks(line.text, valueStart, line.length);
    s->value = line.text + valueStart;
    s->valueLength = valueEnd - valueStart;
    s->shape = kShapeSymbol;
    for (size_t c = valueStart; c < valueEnd; ++c)
        if (IsBlank(line.text[c]))
            s->shape = kShapeText;
}

bool StatementReader::Next(Statement* s, bool* done)
{
    Line line;
    size_t i = 0;
    if (!FindStatement(s, &line, &i)) {
        *done = true;
        return true;
    }
    i = SkipBlanks(line.text, i, line.length);
    if (i < line.length && line.text[i] != ':' && !ReadOptionPart(line, &i, s))
        return false;
    if (i >= line.length) {
        // A bare keyword ("*End" and the like) carries no value.
        s->value = "";
        s->shape = kShapeSymbol;
        return true;
    }
    i = SkipBlanks(line.text, i + 1, line.length);   // past the ':'
    if (i < line.length && line.text[i] == '"')
        return ReadQuotedValue(line, i + 1, s);
    ReadUnquotedValue(line, i, s);
    return true;
}

} // namespace model_parse
