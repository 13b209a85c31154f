// The ModelContext: the parsed model description as one contiguous block.
//
// The block is what the binary cache stores, byte for byte, except that in
// the cache every pointer holds its offset from the start of the block and
// the feature-kind slots are zero. Records use only fixed-width types so
// that the parser also builds natively (for fuzzing) with the same layout.
#pragma once

#include <cstddef>
#include <cstdint>

// Feature kinds with a direct slot in the context.
enum ModelFeatureKind : uint8_t {
    kKindPageSize = 0,
    kKindInputSlot,
    kKindManualFeed,
    kKindDuplex,
    kKindCollate,
    kKindResolution,
    kKindVMOption,
    kKindMediaType,
    kKindMultiplePage,
    kKindTonerSaveMode,
    kKindPageProtect,
    kKindHRC,
    kKindGraphicsMode,
    kKindPaper,
    kKindTTMODE,
    kKindSaveMacro,
    kKindBiasVolt,
    kModelKindCount,
    kKindNone = 0xFF
};

enum ModelUiType : uint16_t {
    kUiPickOne = 1,
    kUiPickMany = 2,
    kUiBoolean = 3,
};

// Which statements defined an option (ModelOption::flags).
enum ModelOptionFlag : uint32_t {
    kOptionFromResolution = 0x0001,
    kOptionFromJCLResolution = 0x0002,
    kOptionFromSetResolution = 0x0004,
    kOptionHasDimension = 0x0010,
    kOptionHasImageableArea = 0x0020,
    kOptionHasImageableAreaL = 0x0040,
    kOptionSlotTypeBit = 0x0100,   // input slot of a non-pick InputSlot feature
};

// modelOptionFlags: one bit per boolean keyword of the driver.
enum ModelOptionFlagBit : uint32_t {
    kModelQuickPrintSetup = 0x01,
    kModelMXMonitor = 0x02,
    kModelStatusMonitor = 0x04,
    kModelGrayText = 0x08,
    kModelUseReprint = 0x10,
    kModelUsePrinterFonts = 0x20,
    kModelNoBanding = 0x40,
};

// Booleans kept on their own (ModelContext::driverSwitches).
enum ModelDriverSwitch : uint32_t {
    kSwitchMacroSetting = 0x01,
    kSwitchDefaultFontSetting = 0x02,
    kSwitchCompMode1028 = 0x04,
    kSwitchShowBiasVolt = 0x08,
    kSwitchAddUMPD = 0x10,
    kSwitchOriginalPrintProcessor = 0x20,
};

enum ModelLandscape : uint32_t { kLandscapeAny = 0, kLandscapePlus90 = 1, kLandscapeMinus90 = 2 };

// ModelContext::protocols: one bit per protocol the "Protocols" keyword names.
enum ModelProtocol : uint32_t {
    kProtocolBCP = 0x01,
    kProtocolPJL = 0x02,
    kProtocolTBCP = 0x04,
    kProtocolSIC = 0x08,
};

const uint16_t kModelImageVersion = 3;
const uint32_t kModelHeadSize = 536;
const uint16_t kNoConstraintFeature = 0xFFFF;
const uint16_t kAnyOption = 255;

// Features are numbered in 16 bits, and kNoConstraintFeature is no number.
const uint32_t kModelFeatureLimit = 0xFFFF;

// Values of the head that no keyword sets.
const uint32_t kModelPageSizeReference[2] = {11520, 15360};
const uint32_t kModelResolutionFlag = 1;
const uint32_t kModelResolutionValue = 240;
const uint32_t kModelListGranularity = 16;

// "FreeVM" is raised to this many bytes when a description gives less.
const uint32_t kModelMinimumFreeVM = 102400;

// Dots per inch of the resolution feature's default: the fallback when the
// model has no resolution feature or its option keyword does not start with
// a number from 1 to kModelHighestResolution.
const uint32_t kModelFallbackResolution = 300;
const uint32_t kModelHighestResolution = 0xFFFF;

// ModelContext::printRate: the A4 rate in the low 16 bits, Letter in the high.
const uint32_t kPrintRateA4Mask = 0x0000FFFF;
const unsigned kPrintRateLetterShift = 16;

struct ModelOption {
    char* keyword;
    char* translation;
    char* value;            // the invocation or value text
    char* landscapeValue;   // "PageSizeL"
    char* media;            // "PaperMedia"
    int32_t width;          // "PaperDimension", points in 24.8 fixed point
    int32_t height;
    int32_t imageable[4];   // "ImageableArea": left, bottom, right, top (24.8)
    int32_t imageableL[4];  // "ImageableAreaL"
    uint32_t flags;         // ModelOptionFlag
    uint32_t memoryKB;      // "InstalledMemory": the entry's own size
};
static_assert(sizeof(ModelOption) == 88, "cache image record");

struct ModelFeature {
    char* keyword;
    char* translation;
    char* defaultKeyword;   // the option named by the default statement, or null
    ModelOption* options;
    uint32_t optionCount;
    uint32_t defaultOption; // position of the default; the resolution feature: dpi
    uint16_t uiType;        // ModelUiType
    uint16_t index;         // position in the feature list
    uint8_t installable;
    uint8_t kind;           // ModelFeatureKind or kKindNone
    uint8_t jcl;            // opened by "JCLOpenUI"
    uint8_t reserved;
};
static_assert(sizeof(ModelFeature) == 48, "cache image record");

struct ModelConstraint {
    uint16_t feature1;      // kNoConstraintFeature: names something the model lacks
    uint16_t option1;       // kAnyOption: any option
    uint16_t feature2;
    uint16_t option2;
};

enum ModelOrderSection : uint32_t {
    kSectionAny = 0,
    kSectionExit,
    kSectionProlog,
    kSectionDocument,
    kSectionPage,
    kSectionJcl,
};

struct ModelOrderDependency {
    uint16_t feature;
    uint16_t option;        // kAnyOption when the statement names no option
    uint32_t section;       // ModelOrderSection
    double order;
};
static_assert(sizeof(ModelOrderDependency) == 16, "cache image record");

struct ModelContext {
    uint32_t imageSize;                 // 0: bytes in the block (= cache file size)
    uint32_t headSize;                  // 4
    char16_t* modelPath;                // 8: model description it was built from
    uint32_t featureCount;              // 16: ordinary + installable
    uint32_t optionCount;               // 20: ordinary features only
    uint16_t imageVersion;              // 24
    uint16_t modelChecksum;             // 26: CRC-16/XMODEM of the description
    uint32_t constraintCount;           // 28
    ModelFeature* features;             // 32: ordinary first, then installable
    ModelConstraint* constraints;       // 40
    ModelOrderDependency* orderDependencies; // 48
    uint32_t orderDependencyCount;      // 56
    uint32_t languageLevel;             // 60
    char* nickName;                     // 64
    char* password;                     // 72
    char* exitServer;                   // 80
    char* jclBegin;                     // 88
    char* jclToPSInterpreter;           // 96
    char* jclEnd;                       // 104
    char* defaultLanguage;              // 112
    char* sleepModeList;                // 120
    uint32_t languageEncoding;          // 128
    uint32_t languageVersion;
    uint32_t ttRasterizer;
    uint32_t landscapeOrientation;      // ModelLandscape
    uint32_t protocols;                 // ModelProtocol
    uint32_t freeVM;
    uint32_t colorDevice;
    uint32_t printPSError;
    uint32_t suggestedJobTimeout;
    uint32_t suggestedWaitTimeout;
    uint32_t screenAngle;
    uint32_t screenFreq;
    uint32_t maxMediaWidth;
    uint32_t maxMediaHeight;
    uint32_t customPageSize;
    int32_t hwMargins[4];
    uint32_t modelCaps;                 // "PrinterCaps"
    uint32_t modelFeatures;             // "DeviceCaps"
    uint32_t modelTrays;                // "TrayCaps"
    uint32_t printRate;                 // A4 rate low 16 bits, Letter rate high
    uint32_t internalInformation;
    uint32_t modelOptionFlags;          // ModelOptionFlagBit
    uint32_t driverSwitches;            // ModelDriverSwitch
    uint32_t memoryItem0;               // from the "InstalledMemory" list
    uint32_t memoryItem1;
    uint32_t standardMemory;
    uint32_t installableCount;          // installable features, after the ordinary ones
    uint32_t fileVersion;               // 248: "FileVersion", 24.8 fixed point
    uint32_t defaultResolution;         // dpi of the resolution feature's default
    ModelFeature* slots[kModelKindCount]; // 256: rebuilt on load, zero in the cache
    uint32_t pageSizeReference[2];      // 392
    uint32_t resolutionFlag;
    uint32_t resolutionValue;
    uint32_t listGranularity;
    uint8_t reserved[124];
};

static_assert(offsetof(ModelContext, modelPath) == 8, "validated cache header");
static_assert(offsetof(ModelContext, imageVersion) == 24, "validated cache header");
static_assert(offsetof(ModelContext, modelChecksum) == 26, "validated cache header");
static_assert(offsetof(ModelContext, fileVersion) == 248, "validated cache header");
static_assert(offsetof(ModelContext, slots) == 256, "");
static_assert(sizeof(ModelContext) == kModelHeadSize, "fixed head of the cache image");
