// KVMODEL dump: a loaded ModelContext as a JSON document, so that a model
// author can see what the driver made of a description.
#pragma once

#include "core/model_context.h"

#include <string>

// The option a feature starts with: the one its default statement names,
// or for the resolution feature the first whose keyword reads as the
// model's default resolution. Null when there is none.
const ModelOption* DefaultOptionOf(const ModelContext* model, const ModelFeature* feature);

// The whole document, ending in a newline.
std::string DumpModelJson(const ModelContext* model);
