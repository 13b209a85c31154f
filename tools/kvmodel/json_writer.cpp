#include "json_writer.h"

#include <cstring>

namespace {

const char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, const char* text, size_t length)
{
    out += '"';
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                // Latin-1: the byte value is the code point.
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
            break;
        }
    }
    out += '"';
}

} // namespace

std::string FormatFixed24_8(int32_t value)
{
    int64_t magnitude = value < 0 ? -int64_t(value) : int64_t(value);
    std::string text = value < 0 ? "-" : "";
    text += std::to_string(magnitude / 256);
    // 1/256 has eight decimal places, so eight digits are always exact.
    int64_t fraction = magnitude % 256 * 390625;   // units of 1e-8
    if (fraction) {
        char digits[9];
        for (int i = 7; i >= 0; --i, fraction /= 10)
            digits[i] = static_cast<char>('0' + fraction % 10);
        int end = 8;
        while (digits[end - 1] == '0')
            --end;
        text += '.';
        text.append(digits, end);
    }
    return text;
}

void JsonWriter::NewLine()
{
    out_ += '\n';
    out_.append(static_cast<size_t>(depth_) * 2, ' ');
}

void JsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (depth_ == 0)
        return;
    Level& level = levels_[depth_ - 1];
    if (!level.empty)
        out_ += level.inlined ? ", " : ",";
    if (!level.inlined)
        NewLine();
    level.empty = false;
}

void JsonWriter::Open(char bracket, bool inlined)
{
    BeforeValue();
    out_ += bracket;
    // Inside an inline container everything stays on the line.
    bool parentInline = depth_ > 0 && levels_[depth_ - 1].inlined;
    if (depth_ < int(sizeof(levels_) / sizeof(levels_[0])))
        levels_[depth_++] = Level{inlined || parentInline, true};
}

void JsonWriter::Close(char bracket)
{
    if (depth_ == 0)
        return;
    Level level = levels_[--depth_];
    if (!level.empty && !level.inlined)
        NewLine();
    out_ += bracket;
    if (depth_ == 0)
        out_ += '\n';
}

void JsonWriter::BeginObject(bool inlined) { Open('{', inlined); }
void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::BeginArray(bool inlined) { Open('[', inlined); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(const char* name)
{
    BeforeValue();
    AppendEscaped(out_, name, std::strlen(name));
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::String(const char* text)
{
    if (!text)
        return Null();
    String(text, std::strlen(text));
}

void JsonWriter::String(const char* text, size_t length)
{
    BeforeValue();
    AppendEscaped(out_, text, length);
}

void JsonWriter::Number(int64_t value)
{
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::Fixed24_8(int32_t value)
{
    BeforeValue();
    out_ += FormatFixed24_8(value);
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null()
{
    BeforeValue();
    out_ += "null";
}
