// Texts that travel from the DEVMODE into a PrintTicket. The DEVMODE is
// handed in by applications and may hold anything; a document must be
// well-formed XML, so a text that would not encode cleanly is dropped whole
// rather than passed on in part.
#pragma once

#include <cstddef>
#include <string>

// At most capacity - 1 characters of text (up to its terminator); empty when
// those hold an unpaired surrogate or a control character (below 32, or 128
// to 159).
std::wstring CleanTicketText(const wchar_t* text, size_t capacity);
