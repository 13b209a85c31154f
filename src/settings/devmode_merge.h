// Taking settings over from other DEVMODEs: the merge into the working
// record, and the copies handed to and from callers of any DEVMODE size.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"

#include <windows.h>

// Merges an incoming DEVMODE (any size, any origin; its extent is taken from
// its own dmSize and dmDriverExtra) into the current 2672-byte record.
// TRUE on success, also for a null incoming record; FALSE when it cannot
// be copied.
BOOL MergeDevmode(DEVMODEW* current, const DEVMODEW* incoming, const ModelContext* model,
                 HANDLE printer);

// The macro fields as a job sends them: the id within the printer's macro
// range (bit 15 and the high word cleared) and the name terminated. Every
// merged record gets this; the Advanced page again before a job that saves
// a macro.
void NormalizeMacroFields(PrivateSettings* priv);

// Copies a DEVMODE of any known size into a target of fixed size, keeping
// the target's own size fields. Bytes copied, or -1 for an unusable record.
LONG CopyDevmodeSized(const DEVMODEW* source, DEVMODEW* target);

// Hands the working record back to a caller without exceeding the caller's
// input DEVMODE (or whole when there is no input).
BOOL ConvertDevmodeOut(const DEVMODEW* source, const DEVMODEW* callerIn, DEVMODEW* callerOut);
