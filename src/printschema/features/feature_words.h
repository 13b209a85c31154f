// Many of our features carry their choices as words: option names from a
// fixed list, and Property values such as "On" or "True". These helpers read
// such a word from a ticket and find it in its list.
#pragma once

#include "printschema/print_schema_document.h"

#include <cstddef>
#include <string>

// Whether a lookup found what it looked for: true for S_OK, false for
// "not there" (kNotFound or S_FALSE); other failures are thrown as
// CXDException.
bool Found(HRESULT hr);

// The Value text of the Property or ScoredProperty the query selects (inline
// or through a ParameterRef). S_FALSE, with *text untouched, when there is
// none. Throws CXDException with the document's failure.
HRESULT ReadValueText(PrintSchemaDocument& document, const wchar_t* query, std::wstring* text);

// Position of word in names; -1 when it is not there (a NULL word included).
int IndexOfWord(const wchar_t* const* names, size_t count, const wchar_t* word);

template <size_t N> int IndexOfWord(const wchar_t* const (&names)[N], const wchar_t* word)
{
    return IndexOfWord(names, N, word);
}

// The selected option of a feature, as an index into its option names; -1
// when the ticket names an option that is not in the list. kNotFound when
// the feature or its option is absent; throws CXDException on other
// failures. namePrefix is the document's keywords or private prefix.
HRESULT SelectedOptionIndex(PrintSchemaDocument& document, const wchar_t* namePrefix, const wchar_t* feature,
                            const wchar_t* const* names, size_t count, int* index);

template <size_t N>
HRESULT SelectedOptionIndex(PrintSchemaDocument& document, const wchar_t* namePrefix, const wchar_t* feature,
                            const wchar_t* const (&names)[N], int* index)
{
    return SelectedOptionIndex(document, namePrefix, feature, names, N, index);
}
