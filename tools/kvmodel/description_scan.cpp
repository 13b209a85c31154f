#include "description_scan.h"

#include "core/description_text.h"

using model_parse::IsBlank;
using model_parse::IsEol;
using model_parse::IsSpace;
using model_parse::SkipBlanks;
using model_parse::TrimBlanks;

namespace {

struct Line {
    size_t start;
    size_t length;   // without the end-of-line characters
    size_t next;     // where the following line starts
};

// Physical lines: a line ends at "\r\n", "\r" or "\n", as the parser counts
// them, so that line numbers agree with its diagnostics.
std::vector<Line> SplitLines(const char* text, size_t size)
{
    std::vector<Line> lines;
    for (size_t pos = 0; pos < size;) {
        size_t end = pos;
        while (end < size && !IsEol(text[end]))
            ++end;
        size_t next = end;
        if (next < size && text[next] == '\r')
            ++next;
        if (next < size && text[next] == '\n')
            ++next;
        lines.push_back(Line{pos, end - pos, next});
        pos = next;
    }
    return lines;
}

bool IsBlankText(const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (!IsBlank(text[i]))
            return false;
    return true;
}

// "*" and a keyword's first character: what a statement line looks like.
// Comments ("*%") do not count; PostScript code inside a value rarely
// starts a line with "*" at all.
bool BeginsLikeStatement(const char* text, size_t length)
{
    if (length < 2 || text[0] != '*')
        return false;
    const char c = text[1];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '?';
}

std::string KeywordOf(const char* text, size_t length)
{
    size_t i = 1;
    while (i < length && !IsBlank(text[i]) && text[i] != ':')
        ++i;
    return std::string(text + 1, i - 1);
}

} // namespace

DescriptionScan ScanDescription(const uint8_t* bytes, size_t size)
{
    DescriptionScan scan;
    const char* text = reinterpret_cast<const char*>(bytes);
    const std::vector<Line> lines = bytes ? SplitLines(text, size) : std::vector<Line>();
    for (size_t n = 0; n < lines.size(); ++n) {
        const Line& line = lines[n];
        const char* t = text + line.start;
        const size_t length = line.length;
        const uint32_t number = static_cast<uint32_t>(n + 1);
        if (length == 0 || t[0] != '*') {
            if (!IsBlankText(t, length))
                scan.problems.push_back({number, "", "text outside a statement ignored", false});
            continue;
        }
        if (length >= 2 && t[1] == '%')
            continue;   // comment
        ScannedStatement s;
        s.line = number;
        s.keyword = KeywordOf(t, length);
        if (s.keyword.empty()) {
            scan.problems.push_back({number, "", "statement without a keyword ignored", false});
            continue;
        }
        size_t i = SkipBlanks(t, 1 + s.keyword.size(), length);
        if (i < length && t[i] != ':') {
            const size_t optionStart = i;
            while (i < length && t[i] != '/' && t[i] != ':')
                ++i;
            s.hasOption = true;
            s.option.assign(t + optionStart, TrimBlanks(t, optionStart, i) - optionStart);
            while (i < length && t[i] != ':')
                ++i;   // the translation
            if (i >= length) {
                // The parser stops here; the scan goes on with the next line.
                scan.problems.push_back({number, s.keyword, "missing ':' after the option part", true});
                continue;
            }
        }
        if (i >= length) {   // a bare keyword such as "*End"
            scan.statements.push_back(std::move(s));
            continue;
        }
        i = SkipBlanks(t, i + 1, length);
        if (i < length && t[i] == '"') {
            const size_t start = line.start + i + 1;
            size_t end = start;
            while (end < size && text[end] != '"')
                ++end;
            if (end >= size) {
                scan.problems.push_back({number, s.keyword, "quoted value not terminated", true});
                scan.endsInsideValue = true;
                break;   // the rest of the file is inside the value
            }
            s.quoted = true;
            s.value.assign(text + start, end - start);
            // Reading goes on after the line the value closes on.
            while (end >= lines[n].next) {
                ++n;
                const Line& inside = lines[n];
                if (BeginsLikeStatement(text + inside.start, inside.length)) {
                    if (s.swallowedLines.empty())
                        s.firstSwallowedKeyword = KeywordOf(text + inside.start, inside.length);
                    s.swallowedLines.push_back(static_cast<uint32_t>(n + 1));
                }
            }
        } else {
            s.value.assign(t + i, TrimBlanks(t, i, length) - i);
        }
        scan.statements.push_back(std::move(s));
    }
    return scan;
}

bool SplitConstraintWords(const std::string& value, std::string names[4])
{
    int slot = -1;
    bool given[4] = {};
    for (size_t p = 0; p < value.size();) {
        while (p < value.size() && IsSpace(value[p]))
            ++p;
        if (p >= value.size())
            break;
        const size_t start = p;
        while (p < value.size() && !IsSpace(value[p]))
            ++p;
        const std::string word = value.substr(start, p - start);
        if (word[0] == '*') {
            slot = slot < 0 ? 0 : 2;
            if (given[slot])
                return false;   // a third feature: not a constraint
            names[slot] = word.substr(1);
            given[slot] = true;
        } else if ((slot == 0 || slot == 2) && !given[slot + 1]) {
            names[slot + 1] = word;
            given[slot + 1] = true;
        }
    }
    return given[0] && given[2];
}
