// The process-wide cache of the most recently used ModelContext.
#pragma once

#include "core/model_context.h"

#include <windows.h>

// Called at process attach and detach.
void InitialiseModelCache();
void DestroyModelCache();

// How AcquireModelContext may obtain the context: the entry points share
// the cached one; queue set-up and upgrade read the description afresh.
const BOOL kUseCachedModel = TRUE;
const BOOL kParseModelAfresh = FALSE;

// The ModelContext of the printer's driver data file. With useCache set a
// cached context for the same file is shared; without it the file is parsed
// afresh. Null when the driver cannot be described or the file not loaded.
// Every successful acquire is paired with one ReleaseModelContext.
ModelContext* AcquireModelContext(HANDLE printer, BOOL useCache);
void ReleaseModelContext(ModelContext* context);

// The cache's lock, for work that must not interleave with context
// creation (a queue's upgrade). It is re-entrant on the holding thread.
void EnterModelCacheLock();
void LeaveModelCacheLock();
