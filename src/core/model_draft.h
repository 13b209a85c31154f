// What the parser hands to the image writer: the head's values and the
// features, options, constraints and order dependencies as linked records
// in the parse arena, in their final order, every name a constraint or
// order dependency gave already turned into numbers. The writer turns them
// into the arrays of the cache image.
#pragma once

#include "core/model_context.h"

#include <cstdint>

namespace model_parse {

struct PendingOption {
    PendingOption* next;
    ModelOption option;   // texts point into the arena
    uint32_t position;    // in its feature's list
};

struct PendingFeature {
    PendingFeature* next;
    char* keyword;
    char* translation;
    char* defaultKeyword;
    PendingOption* first;
    PendingOption* last;
    uint32_t optionCount;
    uint16_t uiType;
    uint16_t index;
    uint8_t kind;
    bool installable;
    bool jcl;
    bool typeGiven;
};

// Feature and option names as the statement gave them, and the record they
// become once every feature is known.
struct PendingConstraint {
    PendingConstraint* next;
    char* names[4];   // feature, option or null, feature, option or null
    ModelConstraint record;
};

struct PendingOrder {
    PendingOrder* next;
    char* feature;
    char* option;     // null: any option
    ModelOrderDependency record;   // section and order as declared
};

struct ModelDraft {
    ModelContext head;   // numbers and texts; counts of features and options
    PendingFeature* features;   // ordinary ones first, numbered
    PendingConstraint* constraints;
    PendingOrder* orders;
};

} // namespace model_parse
