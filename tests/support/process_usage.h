// Leak checks: the process's handles and private bytes around repeated calls.
#pragma once

#include <functional>

// Runs work warmUp times (the platform's own caches fill), then repeat
// times, and reports how much the handle count and the private bytes grew
// during the measured runs.
struct UsageGrowth {
    long handles;
    long long privateBytes;
};
UsageGrowth MeasureUsageGrowth(const std::function<void()>& work, int warmUp, int repeat);
