// The named bits and limits of the DriverDevmode's fields and of the model
// words it carries. Every module tests and sets these by name.
//
// Plain integers only, so that the portable profile-text code and the
// native fuzzing build share them with the driver.
#pragma once

#include <cstddef>
#include <cstdint>

// renderFlags
constexpr uint32_t kRenderLanguageLevel2   = 0x00000040;   // model's "LanguageLevel" above 1
constexpr uint32_t kRenderPrinterFonts     = 0x00000080;   // "UseTTFonts"
constexpr uint32_t kRenderLandscapeMinus90 = 0x00000200;   // landscape rotates by -90 degrees
constexpr uint32_t kRenderAlways           = 0x00002000;
constexpr uint32_t kRenderRasterModeA      = 0x00008000;   // "ttraster" 2
constexpr uint32_t kRenderRasterModeB      = 0x00010000;   // "ttraster" 0
constexpr uint32_t kRenderRasterModes      = kRenderRasterModeA | kRenderRasterModeB;
constexpr uint32_t kRenderBrushPattern     = 0x00040000;   // "BrushPattern"
constexpr uint32_t kRenderImproveGray      = 0x00080000;   // "ImproveGray"
constexpr uint32_t kRenderDitherType1      = 0x00200000;   // "DithType" 1
constexpr uint32_t kRenderDitherType2      = 0x00400000;   // "DithType" 2

// modelCaps, the model's "PrinterCaps" word
constexpr uint32_t kCapsNoStatusMonitor = 0x00000080;   // bit 7
constexpr uint32_t kCapsSourceFlag      = 0x00001000;   // bit 12: sourceFlags bit 0
constexpr uint32_t kCapsLandscape270    = 0x00008000;   // bit 15
constexpr uint32_t kCapsNoPrinterFonts  = 0x00010000;   // bit 16
constexpr uint32_t kCapsFirstHiddenPage = 20;           // bits 20-23: a set bit hides page slot bit - 20
constexpr uint32_t kCapsAboutPage       = 0x00400000;   // bit 22: the printer sheet shows About, not trays
constexpr uint32_t kCapsWideJobNames    = 0x08000000;   // bit 27: job names beyond 8 bits
// Models with both bit 15 and bit 1 make at most 99 copies.
constexpr uint32_t kCapsCopies99        = 0x00008002;

// modelFeatures, the model's "DeviceCaps" word
constexpr uint32_t kFeaturesAutoDuplex   = 0x00000004;   // bit 2: duplex unit built in
constexpr uint32_t kFeaturesSpoolingMode = 0x00F00000;   // bits 20-23
constexpr uint32_t kFeaturesSpoolsJobs   = 0x00200000;   // spooling mode 2: jobs spooled by design

// modelTrays, the model's "TrayCaps" word. Each of trays 1-4 owns two bits,
// the low one saying it is fitted.
constexpr uint32_t kTraysLowerTrayFamily = 0x00000008;   // bit 3: optional lower tray
constexpr uint32_t kTraysFeederFamily    = 0x00000020;   // bit 5: optional feeders
constexpr uint32_t kTraysTray3Field      = 0x00000030;
constexpr uint32_t kTraysTray4Field      = 0x000000C0;
constexpr uint32_t kTraysTowerFeeder     = 0x00000100;   // bit 8
constexpr uint32_t kTraysTowerFeeders    = 0x00000300;   // bits 8-9
constexpr uint32_t kTraysMultiPurpose    = 0x00000400;   // bit 10
constexpr uint32_t kTraysManualSlot      = 0x00000800;   // bit 11
constexpr uint32_t kTraysMultiPurposeAny = 0x00001400;   // bits 10 and 12
constexpr uint32_t kTraysDualCassette    = 0x000048A5;
constexpr uint32_t kTraysWithIds         = 0x00010000;   // bit 16
constexpr uint32_t kTraysSingleFeed      = 0x00020000;   // bit 17

// duplex: bits 0-7 the layout code
constexpr uint16_t kDuplexLayoutMask = 0x00FF;
constexpr uint16_t kDuplexOn         = 0x0100;
constexpr uint16_t kDuplexAutomatic  = 0x0200;
constexpr uint16_t kDuplexLowBits    = 0x03FF;

// mopy (job spooling)
constexpr uint16_t kMopyModeMask      = 0x0007;
constexpr uint16_t kMopyOn            = 0x0100;
constexpr uint16_t kMopyNoSystemUser  = 0x0200;

// macroFlags
constexpr uint8_t kMacroSave      = 0x02;   // the job is saved as a macro
constexpr uint8_t kMacroToStorage = 0x04;   // ... on the storage device, not in memory
constexpr uint8_t kMacroAtEnd     = 0x08;   // an inserted macro goes at the end of the page
constexpr uint8_t kMacroOnePage   = 0x10;   // ... on one page rather than all
constexpr uint8_t kMacroInsert    = 0x20;   // the job inserts a macro

// modelCodeWord: the model's "InternalInformation" with these bits added
constexpr uint16_t kModelCodeWordBase = 0x0700;

// accessories
constexpr uint16_t kAccessoriesFeeder     = 0x0008;   // bit 3
constexpr uint16_t kAccessoriesCollators  = 0x0700;   // bits 8-10
constexpr uint16_t kAccessoriesDuplexUnit = 0x1000;   // bit 12

// Single-byte switches
constexpr uint8_t kBindInches          = 0x01;   // bindFlags: offset unit is inches
constexpr uint8_t kBindOffsetOn        = 0x02;   // bindFlags
constexpr uint8_t kBookletOn           = 0x01;   // booklet
// ramDiskSize while no size was chosen
constexpr uint16_t kRamDiskSizeNotSet = 0xFFFF;

constexpr uint8_t kImageProcessBits    = 0x03;   // imageProcess
constexpr uint8_t kImageRotate180      = 0x02;   // imageProcess
constexpr uint8_t kScaleFlagFromSize   = 0x01;   // scaleFlag: scaling from scalingSize
constexpr uint8_t kScaleFlagKeepsField = 0x02;   // scaleFlag: DM_SCALE stays in dmFields
constexpr uint8_t kScaleFlagFollowsDmScale = 0x03;   // scaleFlag: scalingSize is dmScale
constexpr uint8_t kPosterBandingMask   = 0x3F;   // modeSelector2
constexpr uint8_t kCopyFlagsCollator   = 0x01;   // copyFlags: the printer's collator is fitted
constexpr uint8_t kCopyFlagsPrinterCopies = 0x80;

// scaling
constexpr uint8_t kScalingFitPaper = 1;
constexpr uint8_t kScalingFree = 2;
constexpr uint8_t kScalingPrintable = 3;

// paperHandling
constexpr uint32_t kPaperReduceCurl    = 0x0001;   // "ReducePaperCurl"
constexpr uint32_t kPaperImproveFixing = 0x0002;   // "ImproveTonerFixing"

// Paper codes of the platform's user-defined size and of the driver's own
// named sizes.
constexpr int kUserDefinedPaper = 256;
constexpr int kFirstDriverPaper = 300;
constexpr int kLastDriverPaper = 315;
constexpr bool IsUserPaper(int paper)
{
    return paper == kUserDefinedPaper || (paper >= kFirstDriverPaper && paper <= kLastDriverPaper);
}

// The pages the printers take, tenths of a millimetre: the smallest (also
// the default user-defined size) and the largest, upright.
constexpr int16_t kSmallestPaperWidth = 762;
constexpr int16_t kSmallestPaperLength = 1160;
constexpr int16_t kLargestPaperWidth = 2159;
constexpr int16_t kLargestPaperLength = 4064;

// The true 1200 dpi mode, whose second axis resExt is 600 dpi.
constexpr int16_t kTrue1200Dpi = 1200;
// resolutionFlags: 1200 dpi is the true mode, not the enhanced one (the
// DEVMODE's dmPrintQuality alone cannot tell them apart).
constexpr uint8_t kResolutionTrue1200 = 0x01;
constexpr uint16_t ResExtOfPrintQuality(int printQuality)
{
    return printQuality == kTrue1200Dpi ? 600 : 0;
}

// dmCopies limits
constexpr int16_t kMaxCopies = 999;
constexpr int16_t kMaxCopiesLimited = 99;

// The tray paper table: entries 0-3 trays 1-4, 4-10 the tower-feeder
// trays, 11 the multi-purpose tray.
constexpr size_t kTrayPaperEntries = 12;
constexpr size_t kFirstTowerEntry = 4;
constexpr size_t kTowerEntries = 7;
constexpr size_t kMultiPurposeEntry = 11;
constexpr int32_t kTrayEmpty = -1;    // tray present without paper
constexpr int32_t kTrayUnused = -2;   // tray absent

// ProcessorBlock
constexpr uint16_t kProcessorDuplexOn = 0x0100;   // procDuplex
constexpr uint32_t kHeaderFooterOn = 0x80;          // headerFooterFlags
constexpr uint8_t kSourceFlagsTray = 0x40;          // sourceFlags
constexpr uint32_t kRopOpaque      = 0x00CC0020;    // watermarkRop: SRCCOPY
constexpr uint32_t kRopTransparent = 0x008800C6;    // watermarkRop: SRCAND
