// The process-wide cache of the most recently used ModelContext.
#pragma once

#include <windows.h>

struct ModelContext;

// Called at process attach and detach.
void InitialiseModelCache();
void DestroyModelCache();
