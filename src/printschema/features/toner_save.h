// Toner save, the print-density adjustment and the two paper-handling
// switches (reduce paper curl, improve toner fixing): economy, biasOn,
// biasValue and paperHandling against four private job features.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

constexpr int kDensityLimit = 6;   // the manual density runs -6..6

struct TonerSaveSettings {
    DWORD tonerSave = 0;       // 1: on
    DWORD reduceCurl = 0;      // 1: on
    DWORD improveFixing = 0;   // 1: on
    DWORD densityManual = 0;   // 0 the printer's default, 1 manual
    SHORT density = 0;
};

std::unique_ptr<FeatureHandler> CreateTonerSaveHandler(const wchar_t* privateNamespace);
