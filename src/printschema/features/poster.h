// Poster printing, one page spread over several sheets: negative values of
// the private multiPage against the PagePoster feature with its
// SheetsPerPage value. Positive multiPage values are N-up and belong to the
// pages-per-sheet handler, which runs first.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// The handler's record is the low 32 bits of SingleValueSettings: the
// number of sheets, 0 when poster printing is off. The ticket constraint
// resolver reads and rewrites tickets with these functions too.

// The sheets a ticket's PagePoster asks for; 0 without the feature or its
// value, or for a value below 1. Never throws.
HRESULT ReadPosterFeature(PrintSchemaDocument& ticket, INT32* sheets);
// Replaces the ticket's PagePoster; sheets below 1 writes none. Throws
// CXDException.
HRESULT WritePosterFeature(PrintSchemaDocument& ticket, INT32 sheets);

std::unique_ptr<FeatureHandler> CreatePosterHandler(const wchar_t* privateNamespace);
