// The output colour of a monochrome printer: always Monochrome from the
// DEVMODE (which has nothing to say about it), and enforced in tickets when
// the administrator locks colour.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

enum OutputColorOption {
    kOutputColor = 0,
    kOutputGrayscale = 1,
    kOutputMonochrome = 2,
    kOutputBlackCyan = 3,
    kOutputBlackMagenta = 4,
};

std::unique_ptr<FeatureHandler> CreateOutputColorHandler(const wchar_t* privateNamespace);
