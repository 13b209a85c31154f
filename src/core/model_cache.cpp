#include "core/model_cache.h"

#include "core/file_stamp.h"
#include "core/model_loader.h"
#include "core/spooler_info.h"

#include <winspool.h>

namespace {

CRITICAL_SECTION cacheLock;
ModelContext* cachedContext = nullptr;
FileStamp cachedStamp;        // the description's version the cached context holds
LONG cacheUseCount = 0;

bool SamePathIgnoringCase(const char16_t* recorded, const WCHAR* path)
{
    for (;; ++recorded, ++path) {
        WCHAR a = static_cast<WCHAR>(*recorded), b = *path;
        if (a >= L'a' && a <= L'z') a = static_cast<WCHAR>(a - 32);
        if (b >= L'a' && b <= L'z') b = static_cast<WCHAR>(b - 32);
        if (a != b)
            return false;
        if (!a)
            return true;
    }
}

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

ModelContext* AcquireModelContext(HANDLE printer, BOOL useCache)
{
    auto* driver = reinterpret_cast<DRIVER_INFO_2W*>(ReadDriverInfo(printer, 2));
    if (!driver || !driver->pDataFile) {
        if (driver)
            GlobalFree(driver);
        return nullptr;
    }

    // A description changed since it was cached is read again.
    FileStamp stamp = {};
    const BOOL stamped = ReadFileStamp(driver->pDataFile, &stamp);
    ModelContext* context = nullptr;
    EnterCriticalSection(&cacheLock);
    if (useCache && cachedContext && stamped && IsSameFileVersion(cachedStamp, stamp) &&
        SamePathIgnoringCase(cachedContext->modelPath, driver->pDataFile)) {
        ++cacheUseCount;
        context = cachedContext;
    } else {
        // Parsing runs inside the lock: two threads needing a context parse
        // one after the other rather than both at once.
        context = LoadModelContext(driver->pDataFile);
        if (context && cacheUseCount == 0) {
            if (cachedContext)
                GlobalFree(cachedContext);
            cachedContext = context;
            cachedStamp = stamped ? stamp : FileStamp{};
            cacheUseCount = 1;
        }
        // Otherwise others still hold the cached one: this context stays private.
    }
    LeaveCriticalSection(&cacheLock);
    GlobalFree(driver);
    return context;
}

void ReleaseModelContext(ModelContext* context)
{
    if (!context)
        return;
    EnterCriticalSection(&cacheLock);
    if (context == cachedContext) {
        // Kept for the next acquire; freed when replaced or at detach.
        if (cacheUseCount > 0)
            --cacheUseCount;
    } else {
        GlobalFree(context);
    }
    LeaveCriticalSection(&cacheLock);
}

void EnterModelCacheLock()
{
    EnterCriticalSection(&cacheLock);
}

void LeaveModelCacheLock()
{
    LeaveCriticalSection(&cacheLock);
}
