// Page scaling: the DEVMODE's scaling mode (none, fit to a chosen paper, a
// percentage, or one of the four fit-application modes with their alignment
// and offsets) against the PageScaling feature. The administrator's layout
// lock constrains the scaling options in capabilities.
//
// The feature is also read and rewritten outside the handler, by the code
// that corrects combinations of features a ticket asks for, so its record,
// reader and writer are public here.
#pragma once

#include "printschema/feature_handler.h"
#include "printschema/features/page_media_size.h"

#include <memory>

enum ScalingMode {
    kScalingNone = 0,
    kScalingFitToPaper = 1,
    kScalingCustomSquare = 2,
    kScalingFitBleedToImageable = 3,
    kScalingFitContentToImageable = 4,
    kScalingFitMediaToImageable = 5,
    kScalingFitMediaToMedia = 6,
};

// Limits of the scale (percent) and of the offsets (microns).
constexpr DWORD kMinScalePercent = 25;
constexpr DWORD kMaxScalePercent = 400;
constexpr LONG kMinScaleOffset = -14224000;
constexpr LONG kMaxScaleOffset = 3556000;
constexpr DWORD kAlignmentCount = 9;

struct ScalingSettings {
    DWORD scalingMode = kScalingNone;
    DWORD scalePercent = 100;
    LONG  offsetWidth = 4233;    // microns
    LONG  offsetHeight = 4233;
    DWORD alignment = 3;         // Center
    // The paper scaled to: a named paper or a custom size. Only the paper
    // fields are kept (index, keyword, namespace, media width and height).
    MediaSizeSettings fitMedia;
};

// PageScaling of the ticket (a PrintTicket wrapper) into settings: what the
// ticket gives overrides the record, values out of range are brought within
// limits. kNotFound when the ticket has no PageScaling. Throws CXDException.
HRESULT ReadScalingFeature(PrintSchemaDocument& document, ScalingSettings* settings);

// Replaces the ticket's PageScaling (and its parameters) by one describing
// settings. Throws CXDException.
HRESULT WriteScalingFeature(PrintSchemaDocument& document, const ScalingSettings& settings);

std::unique_ptr<FeatureHandler> CreateScalingHandler(const wchar_t* privateNamespace);
