// The paper size and orientation: dmPaperSize, dmPaperWidth/Length,
// dmOrientation and the private custom size against the PageMediaSize and
// PageOrientation features, the private PageMediaSizeData property (unit of
// the custom size, transverse feed) and, in capabilities, the papers we offer
// and the imageable area of the selected one. Lengths in documents are
// microns; the DEVMODE keeps tenths of a millimetre.
#pragma once

#include "printschema/feature_handler.h"

#include <cstddef>
#include <memory>

struct PaperEntry {
    UINT           displayId;       // 0: no display string
    bool           isPrivate;       // option name in our keyword namespace
    const wchar_t* keyword;
    short          dmPaperSize;     // the DEVMODE code written for this paper
    int            width, height;   // microns, portrait
    int            imageableWidth, imageableHeight;
    int            originX, originY;
    bool           offered;         // listed in capabilities and selectable
    bool           fullSize;        // printed without reduction
    bool           flag3;
};

constexpr size_t kPaperCount = 29;
extern const PaperEntry kPapers[kPaperCount];

constexpr int kCustomPaperIndex = 30;
constexpr int kLetterIndex = 1;
constexpr int kA5LongEdgeIndex = 5;
constexpr int kHagakiPostcardIndex = 22;

// Custom sizes the printer can feed, microns.
constexpr int kCustomMinWidth = 76200;
constexpr int kCustomMaxWidth = 215900;
constexpr int kCustomMinHeight = 116000;
constexpr int kCustomMaxHeight = 406400;

// Orientation codes, as the record keeps them.
enum PaperOrientation { kLandscape = 0, kPortrait = 1, kReverseLandscape = 2, kReversePortrait = 3 };

// The per-call record. Starts as portrait Letter in millimetres.
struct MediaSizeSettings {
    MediaSizeSettings();

    int       paperIndex;           // into kPapers, or kCustomPaperIndex
    BstrOwner keyword;              // option name
    bool      isPrivate = false;
    int       mediaWidth = 0, mediaHeight = 0;                 // as defined, portrait
    int       imageableSizeWidth = 0, imageableSizeHeight = 0; // in the current orientation
    int       originWidth = 0, originHeight = 0, extentWidth = 0, extentHeight = 0;
    int       orientation = kPortrait;
    bool      unitIsInch = false;
    bool      transverse = false;
};

// Index into kPapers of a DEVMODE paper code; -1 when it is none of ours.
int PaperIndexOfCode(int dmPaperSize);

// The two readers of the paper and orientation, for the features that depend
// on them as well as for this one. The DEVMODE reader throws CXDException
// (E_OUTOFMEMORY); the ticket reader returns S_PT_CONFLICT_RESOLVED when
// something had to be supplied or corrected, else S_OK, and throws
// CXDException with a failure of the document.
void ReadMediaSizeDevMode(const DEVMODEW& devmode, const PrivateSettings& privatePart, MediaSizeSettings& settings);
HRESULT ReadMediaSizeTicket(PrintSchemaDocument& document, MediaSizeSettings& settings);
// Replaces the ticket's paper, orientation and private size data with the
// record's. Throws CXDException.
void WriteMediaSizeTicket(PrintSchemaDocument& document, const MediaSizeSettings& settings);

std::unique_ptr<FeatureHandler> CreatePageMediaSizeHandler(const wchar_t* privateNamespace);
