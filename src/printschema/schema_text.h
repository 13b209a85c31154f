// String building for Print Schema names and XPath queries.
#pragma once

#include "printschema/bstr_owner.h"

#include <initializer_list>

// Fills every "%s" of pattern with the next argument (NULL counts as
// empty), so that the query templates can be written exactly as they read.
// Throws CXDException: E_OUTOFMEMORY, or E_UNEXPECTED when the arguments do
// not match the pattern.
BstrOwner FormatBstr(const wchar_t* pattern, std::initializer_list<const wchar_t*> args);

// The number as Print Schema values write it: "%i".
BstrOwner IntegerText(int value);

// The leading decimal integer of text: blanks, an optional sign and the
// digits that follow; 0 when there are none, clamped to the 32-bit range.
int LeadingInteger(const wchar_t* text);

// True when text begins with a non-empty prefix (an unset prefix matches
// nothing, it is not the empty prefix that begins every text).
bool BeginsWith(const wchar_t* text, const wchar_t* prefix);
