// Assembles the XPath queries that find features and their parts in a
// Print Schema document.
//
// Element names are qualified with the framework prefix the query was made
// with (the one the document itself uses, which the document wrapper also
// binds for XPath); "name" attributes are compared as the document writes
// them, prefix included. Steps append to the query, so ForFeature followed
// by ForScoredProperty selects that ScoredProperty anywhere below the
// feature.
//
// The steps return E_FAIL when the query has no framework prefix to work
// with and E_INVALIDARG for an empty local name; running out of memory while
// building throws CXDException(E_OUTOFMEMORY), like the constructor.
#pragma once

#include "printschema/bstr_owner.h"

class FeatureQuery {
public:
    explicit FeatureQuery(const wchar_t* frameworkPrefix);
    virtual ~FeatureQuery() = default;

    FeatureQuery(const FeatureQuery&) = delete;
    FeatureQuery& operator=(const FeatureQuery&) = delete;

    // Append "//Feature[@name = ...]" (and so on) for namePrefix + localName.
    HRESULT ForFeature(const wchar_t* namePrefix, const wchar_t* localName);
    HRESULT ForProperty(const wchar_t* namePrefix, const wchar_t* localName);
    HRESULT ForScoredProperty(const wchar_t* namePrefix, const wchar_t* localName);
    HRESULT ForParameterInit(const wchar_t* namePrefix, const wchar_t* localName);

    // Turns a feature query Q into the union of its Option children and the
    // Value of its keywords-prefixed OptionName ScoredProperty: a ticket may
    // give the selected option either way. E_UNEXPECTED on an empty query.
    HRESULT AddOptionPaths(const wchar_t* keywordsPrefix);

    // A copy of the query for the caller to free.
    HRESULT Take(BSTR* query) const;

    // The query as built so far (empty, never NULL).
    const wchar_t* Text() const noexcept { return query_.Text(); }

private:
    HRESULT Append(const wchar_t* pattern, const wchar_t* namePrefix, const wchar_t* localName);

    BstrOwner query_;
    BstrOwner frameworkPrefix_;
};
