// What check knows about keywords beyond the loaded model: which skipped
// keywords are ordinary parts of a description that this driver has no use
// for, and which statement keywords add options to a feature of a known kind.
#pragma once

#include "core/model_context.h"

#include <string>

// Why the driver may skip a keyword without the description being wrong:
// a note, not a warning. Null when a skipped keyword deserves a warning
// (a misspelt driver keyword, an option statement outside its feature).
const char* WhyKeywordIsUnused(const std::string& keyword);

// Driver settings whose keyword begins with "Default" (DefaultStatusMonitor
// and the like): they name no feature's default.
bool IsDriverDefaultSwitch(const std::string& keyword);

// The feature kind a name stands for: a kind's own feature name, or an
// option keyword that adds options to that kind ("PageRegion",
// "PaperDimension", "JCLResolution", ...); kKindNone otherwise.
ModelFeatureKind KindNamedBy(const std::string& name);
