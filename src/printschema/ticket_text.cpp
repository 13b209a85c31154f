#include "printschema/ticket_text.h"

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsControl(wchar_t c) { return c < 32 || (c >= 128 && c <= 159); }

}  // namespace

std::wstring CleanTicketText(const wchar_t* text, size_t capacity)
{
    std::wstring cleaned;
    if (!text || capacity == 0) return cleaned;
    for (size_t i = 0; i + 1 < capacity && text[i]; ++i) cleaned.push_back(text[i]);

    // Well-paired UTF-16 always converts to well-formed UTF-8, so checking
    // the pairs is checking the encoding.
    for (size_t i = 0; i < cleaned.size(); ++i) {
        wchar_t c = cleaned[i];
        if (IsControl(c) || IsLowSurrogate(c)) return std::wstring();
        if (IsHighSurrogate(c)) {
            if (i + 1 >= cleaned.size() || !IsLowSurrogate(cleaned[i + 1])) return std::wstring();
            ++i;
        }
    }
    return cleaned;
}
