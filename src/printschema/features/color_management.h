// Colour management of a monochrome printer: fixed behaviour (the driver
// manages what colour there is, with no photo or rendering intent of its
// own), described in tickets and capabilities and kept nowhere in the
// DEVMODE.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

std::unique_ptr<FeatureHandler> CreateColorManagementHandler(const wchar_t* privateNamespace);
