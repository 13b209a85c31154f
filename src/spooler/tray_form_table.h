// The tray-form table of printer data: which form each tray holds. Pure
// code, so that it also builds natively for fuzzing.
//
// Layout (16-bit units): optionally a first unit holding the table's byte
// size, then per tray three NUL-terminated texts (the tray's name, its
// form's name and the printer form's name) and one 0 unit; a tray name
// that is empty ends the table.
#pragma once

#include "settings/profile_text.h"

#include <cstddef>

enum TrayFormAnswer {
    kTrayTableEmpty,      // no complete entry: the table assigns nothing
    kTrayHoldsForm,       // an entry's form name equals the one asked for
    kNoTrayHoldsForm,
};

// Walks at most byteSize bytes of table; an entry running past the end
// ends the walk.
TrayFormAnswer FindTrayForForm(const ProfileChar* table, size_t byteSize, const ProfileChar* formName);
