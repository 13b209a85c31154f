// The two image-processing switches of the DEVMODE (imageProcess: mirror
// the page horizontally, print it reversed) against PageMirrorImage and
// PageReverseImage.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// Options of PageMirrorImage; the printer mirrors only across the width.
enum MirrorOption { kMirrorWidth = 0, kMirrorHeight = 1, kMirrorNone = 2 };

struct MirrorSettings {
    DWORD mirror = kMirrorNone;
    DWORD reverse = 0;   // 0 Off, 1 On
};

std::unique_ptr<FeatureHandler> CreateMirrorImageHandler(const wchar_t* privateNamespace);
