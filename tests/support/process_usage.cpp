#include "support/process_usage.h"

#include <windows.h>
#include <psapi.h>

namespace {

long long PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX c = {};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof(c));
    return static_cast<long long>(c.PrivateUsage);
}

long Handles()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<long>(count);
}

} // namespace

UsageGrowth MeasureUsageGrowth(const std::function<void()>& work, int warmUp, int repeat)
{
    for (int i = 0; i < warmUp; ++i)
        work();
    const long handles = Handles();
    const long long bytes = PrivateBytes();
    for (int i = 0; i < repeat; ++i)
        work();
    return UsageGrowth{Handles() - handles, PrivateBytes() - bytes};
}
