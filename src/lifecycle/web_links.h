// The addresses of the maker's web services that the support page opens.
#pragma once

#include <windows.h>

// The support site's page for a model (model code) in a language
// (language code). FALSE when either code is missing or the address does
// not fit.
BOOL BuildSupportSiteAddress(const WCHAR* modelCode, const WCHAR* languageCode, WCHAR* address,
                             size_t capacity);

// The supplies site's redirect page; queryFormat (the model's query text)
// takes the user's abbreviated country and language names, in that order,
// for its two "%s". FALSE when the query is missing or the address does
// not fit.
BOOL BuildSuppliesSiteAddress(const WCHAR* queryFormat, const WCHAR* country,
                              const WCHAR* language, WCHAR* address, size_t capacity);
