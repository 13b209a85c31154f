// The printer's sleep timer: the DEVMODE's sleepMode and sleepTime against
// our private JobSleepTime feature and its manual-time parameter. Whether
// the printer has the intelligent mode comes from its "PrtCaps" printer
// data.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// Choices in ticket order; the DEVMODE codes them differently.
enum SleepChoice { kSleepAuto = 0, kSleepPrinterDefault = 1, kSleepManual = 2, kSleepOff = 3 };

constexpr WORD kDefaultSleepMinutes = 5;
constexpr WORD kMinSleepMinutes = 1;
constexpr WORD kMaxSleepMinutes = 99;

struct SleepTimeSettings {
    DWORD sleepChoice = kSleepAuto;
    WORD  manualTime = kDefaultSleepMinutes;   // minutes
    DWORD intelligentSupported = 0;
};

std::unique_ptr<FeatureHandler> CreateSleepTimeHandler(const wchar_t* privateNamespace);
