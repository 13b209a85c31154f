// Just enough of a JSON reader for the tests to look inside KVMODEL's
// output. Strings come back as bytes: \u0000 to \u00ff become one byte
// each (Latin-1, as the tool writes them); anything beyond is refused, as
// the tool never writes it.
#pragma once

#include <string>
#include <vector>

struct JsonValue {
    enum Type { kNull, kBool, kNumber, kString, kArray, kObject } type = kNull;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;   // in document order

    // Member by name, or null (also when this is not an object).
    const JsonValue* Find(const std::string& name) const;
    bool IsNull() const { return type == kNull; }
};

// Parses a whole document; false (with the byte offset in *error) when it
// is not valid JSON or has trailing text.
bool ParseJson(const std::string& text, JsonValue* value, std::string* error);
