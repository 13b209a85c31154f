// Loading a ModelContext from the model description or its binary cache.
#pragma once

#include "core/model_parser.h"

#include <windows.h>

// The context of the model description at path: from the cache beside it
// when that is current, else parsed (and the cache rewritten). One
// GlobalAlloc block, freed with GlobalFree; null when the description is
// missing or cannot be read. sink receives the parser's diagnostics.
ModelContext* LoadModelContext(const WCHAR* path, ModelDiagnosticSink sink = nullptr,
                               void* sinkContext = nullptr);

// The cache path: the description path with its extension replaced by "BDD".
BOOL ModelCachePath(const WCHAR* path, WCHAR* cachePath, size_t capacity);
