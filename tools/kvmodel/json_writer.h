// A small streaming JSON writer for KVMODEL's reports.
//
// Model descriptions are 8-bit text in the printer's encoding (Latin-1 for
// every model we ship), so strings are written byte by byte: control
// characters and every byte from 0x7F up become \u00XX, which keeps the
// output plain ASCII and reads back as the same Latin-1 characters.
#pragma once

#include <cstdint>
#include <string>

class JsonWriter {
public:
    JsonWriter() = default;

    // Containers. An inline container and everything inside it is written
    // on one line ("[12, 12, 583, 830]"); others put one member per line.
    void BeginObject(bool inlined = false);
    void EndObject();
    void BeginArray(bool inlined = false);
    void EndArray();

    // The name of the next member of the enclosing object.
    void Key(const char* name);

    // Values. A null text pointer is written as null.
    void String(const char* text);
    void String(const char* text, size_t length);
    void Number(int64_t value);
    // Points held as 24.8 fixed point, written exactly ("595.28125").
    void Fixed24_8(int32_t value);
    void Bool(bool value);
    void Null();

    // The document so far; complete once every container is closed.
    const std::string& Text() const { return out_; }

private:
    struct Level {
        bool inlined;
        bool empty;
    };

    void BeforeValue();
    void Open(char bracket, bool inlined);
    void Close(char bracket);
    void NewLine();

    std::string out_;
    Level levels_[32] = {};
    int depth_ = 0;
    bool afterKey_ = false;
};

// A 24.8 fixed-point number as exact decimal text without trailing zeros.
std::string FormatFixed24_8(int32_t value);
