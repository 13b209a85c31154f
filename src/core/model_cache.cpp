#include "core/model_cache.h"

namespace {

CRITICAL_SECTION cacheLock;
ModelContext* cachedContext = nullptr;
LONG cacheUseCount = 0;

} // namespace

void InitialiseModelCache()
{
    InitializeCriticalSection(&cacheLock);
    cachedContext = nullptr;
    cacheUseCount = 0;
}

void DestroyModelCache()
{
    EnterCriticalSection(&cacheLock);
    if (cachedContext) {
        cacheUseCount = 0;
        GlobalFree(cachedContext);
        cachedContext = nullptr;
    }
    LeaveCriticalSection(&cacheLock);
    DeleteCriticalSection(&cacheLock);
}
