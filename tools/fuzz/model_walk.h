// Reads every part of a relocated ModelContext the way the driver does:
// each feature, option and text, the constraint and order tables, and
// every read-only query. Used by the fuzzers, where a model that was
// accepted must be safe to read in full.
#pragma once

#include "core/model_context.h"

#include <cstdint>

// Returns a digest of what was read, so that no read can be optimised away.
uint64_t WalkModel(const ModelContext* model);
