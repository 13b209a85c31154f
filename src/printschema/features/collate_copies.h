// Collation and copies: dmCollate, dmCopies and the private collation
// fields against the DocumentCollate feature, the JobCopiesAllDocuments
// parameter and our CollateData property, which says whether dmCollate or
// the private collate field governs collation.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// Who decides collation; the values of useDevmodeCollate, with one the
// DEVMODE cannot hold.
enum CollateMode { kCollateUnsupported = 0, kCollateSupported = 1, kCollateIndeterminate = 2 };

// The per-call record; starts uncollated, one copy, dmCollate governing.
struct CollateSettings {
    int   collateCode = 0;   // 0 uncollated, 1 collated
    SHORT copies = 1;
    int   collateMode = kCollateSupported;
};

std::unique_ptr<FeatureHandler> CreateCollateCopiesHandler(const wchar_t* privateNamespace);
