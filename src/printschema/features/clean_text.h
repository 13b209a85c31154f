// Texts taken from a DEVMODE into a document: a stored record may hold
// anything, and a document must hold well-formed text, so a doubtful text
// is dropped whole rather than repaired.
#pragma once

#include <cstddef>
#include <string>

// At most capacity - 1 characters of text (which need not be terminated
// within capacity); empty when they hold a lone or reversed surrogate
// (no well-formed UTF-8 exists for it) or a control character (below 32,
// or 128 to 159).
std::wstring CleanText(const wchar_t* text, size_t capacity);

// A control character as the cleaning above sees it.
bool IsControlCharacter(unsigned int c);
