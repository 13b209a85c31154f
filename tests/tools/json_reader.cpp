#include "json_reader.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Document(JsonValue* value)
    {
        return Value(value, 0) && (Blank(), pos_ == text_.size());
    }

    size_t Position() const { return pos_; }

private:
    void Blank()
    {
        while (pos_ < text_.size() && std::strchr(" \t\r\n", text_[pos_]))
            ++pos_;
    }

    bool Literal(const char* word)
    {
        size_t n = std::strlen(word);
        if (text_.compare(pos_, n, word) != 0)
            return false;
        pos_ += n;
        return true;
    }

    bool Value(JsonValue* v, int depth)
    {
        if (depth > 64)
            return false;
        Blank();
        if (pos_ >= text_.size())
            return false;
        char c = text_[pos_];
        if (c == '{')
            return Object(v, depth);
        if (c == '[')
            return Array(v, depth);
        if (c == '"') {
            v->type = JsonValue::kString;
            return String(&v->text);
        }
        if (Literal("null")) {
            v->type = JsonValue::kNull;
            return true;
        }
        if (Literal("true") || Literal("false")) {
            v->type = JsonValue::kBool;
            v->boolean = text_[pos_ - 2] == 'u';   // tr(u)e, fal(s)e
            return true;
        }
        return Number(v);
    }

    bool Number(JsonValue* v)
    {
        // JSON's grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
        size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        size_t digits = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        if (pos_ == digits || (text_[digits] == '0' && pos_ - digits > 1))
            return false;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            size_t fraction = ++pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (pos_ == fraction)
                return false;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
                ++pos_;
            size_t exponent = pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (pos_ == exponent)
                return false;
        }
        v->type = JsonValue::kNumber;
        v->number = std::strtod(text_.substr(start, pos_ - start).c_str(), nullptr);
        return true;
    }

    bool String(std::string* out)
    {
        ++pos_;   // the opening quote
        while (pos_ < text_.size()) {
            unsigned char c = static_cast<unsigned char>(text_[pos_++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;   // control characters must be escaped
            if (c != '\\') {
                *out += static_cast<char>(c);
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            char e = text_[pos_++];
            switch (e) {
            case '"': *out += '"'; break;
            case '\\': *out += '\\'; break;
            case '/': *out += '/'; break;
            case 'b': *out += '\b'; break;
            case 'f': *out += '\f'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            case 't': *out += '\t'; break;
            case 'u': {
                if (pos_ + 4 > text_.size())
                    return false;
                std::string hex = text_.substr(pos_, 4);
                char* end = nullptr;
                unsigned long code = std::strtoul(hex.c_str(), &end, 16);
                if (end != hex.c_str() + 4 || code > 0xFF)
                    return false;
                *out += static_cast<char>(code);
                pos_ += 4;
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    bool Array(JsonValue* v, int depth)
    {
        v->type = JsonValue::kArray;
        ++pos_;
        Blank();
        if (pos_ < text_.size() && text_[pos_] == ']')
            return ++pos_, true;
        for (;;) {
            v->items.emplace_back();
            if (!Value(&v->items.back(), depth + 1))
                return false;
            Blank();
            if (pos_ >= text_.size())
                return false;
            char c = text_[pos_++];
            if (c == ']')
                return true;
            if (c != ',')
                return false;
        }
    }

    bool Object(JsonValue* v, int depth)
    {
        v->type = JsonValue::kObject;
        ++pos_;
        Blank();
        if (pos_ < text_.size() && text_[pos_] == '}')
            return ++pos_, true;
        for (;;) {
            Blank();
            std::string name;
            if (pos_ >= text_.size() || text_[pos_] != '"' || !String(&name))
                return false;
            Blank();
            if (pos_ >= text_.size() || text_[pos_++] != ':')
                return false;
            v->members.emplace_back(name, JsonValue());
            if (!Value(&v->members.back().second, depth + 1))
                return false;
            Blank();
            if (pos_ >= text_.size())
                return false;
            char c = text_[pos_++];
            if (c == '}')
                return true;
            if (c != ',')
                return false;
        }
    }

    const std::string& text_;
    size_t pos_ = 0;
};

} // namespace

const JsonValue* JsonValue::Find(const std::string& name) const
{
    for (const auto& member : members)
        if (member.first == name)
            return &member.second;
    return nullptr;
}

bool ParseJson(const std::string& text, JsonValue* value, std::string* error)
{
    Reader reader(text);
    *value = JsonValue();
    if (reader.Document(value))
        return true;
    if (error)
        *error = "invalid JSON near byte " + std::to_string(reader.Position());
    return false;
}
