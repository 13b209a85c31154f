#include "settings/devmode_defaults.h"

#include "core/driver_strings.h"
#include "core/file_list.h"
#include "core/ini_section.h"
#include "core/model_queries.h"
#include "resources/resource_ids.h"
#include "settings/printer_data.h"
#include "settings/profile_settings.h"
#include "settings/watermark_store.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr WORD kPaperLetter = DMPAPER_LETTER;   // 1
constexpr WORD kPaperA4 = DMPAPER_A4;           // 9
constexpr WORD kPaperUser = DMPAPER_USER;       // 256

// Public fields every default record declares; colour, duplex and the
// resolution bit are adjusted from the model, the scale bit from scaleFlag.
constexpr DWORD kDefaultFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH |
                                 DM_PAPERWIDTH | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE |
                                 DM_PRINTQUALITY | DM_TTOPTION | DM_COLLATE | DM_FORMNAME;
static_assert(kDefaultFields == 0x0001C71F, "default dmFields");

constexpr DWORD kRenderLanguageLevel2 = 0x00000040;
constexpr DWORD kRenderLandscapeMinus90 = 0x00000200;
constexpr DWORD kRenderAlways = 0x00002000;
constexpr DWORD kRenderRasterModes = kRenderRasterModeA | kRenderRasterModeB;

constexpr WORD kDuplexAutomatic = 0x0200;
constexpr WORD kDuplexLowBits = 0x03FF;
constexpr DWORD kFeaturesAutoDuplex = 0x0004;       // modelFeatures bit 2: duplex unit built in
constexpr WORD kAccessoriesDuplexUnit = 0x1000;     // accessories bit 12: duplex unit fitted
constexpr DWORD kCapsNoStatusMonitor = 0x0080;      // modelCaps bit 7
constexpr DWORD kCapsLandscape270 = 0x8000;         // modelCaps bit 15
constexpr DWORD kCapsNoPrinterFonts = 0x10000;      // modelCaps bit 16
constexpr DWORD kCapsSourceFlag = 0x1000;           // modelCaps bit 12 → sourceFlags bit 0
constexpr BYTE kSourceFlagsDefault = 0x40;
constexpr DWORD kHeaderFooterOn = 0x80;
constexpr BYTE kBindOffsetOn = 0x02;
constexpr BYTE kBindInches = 0x01;
constexpr BYTE kBookletOn = 0x01;
constexpr BYTE kImageProcessBits = 0x03;
constexpr BYTE kScaleFlagKeepsField = 0x02;
constexpr BYTE kScalingFitPaper = 1;
constexpr BYTE kScalingPrintable = 3;
constexpr LONG kSavedCodeDefault = 4233;
constexpr WORD kCustomWidthDefault = 762;
constexpr WORD kCustomLengthDefault = 1160;
constexpr WORD kPageProtectNone = 256;
constexpr WORD kStatusMonitorOn = 3;

// Trays of modelTrays: each of trays 1-4 owns two bits; bit 8 announces
// the tower feeder, bits 10 and 12 the multi-purpose tray, bit 16 tray ids.
constexpr DWORD kTraysTowerFeeder = 0x0100;
constexpr DWORD kTraysMultiPurpose = 0x1400;
constexpr size_t kFirstTowerEntry = 4;
constexpr size_t kTowerEntries = 7;
constexpr LONG kTrayEmpty = -1;

// Tower-feeder stages an accessories bit declares, highest bit first.
struct TowerStages {
    WORD accessoryBit;
    size_t stages;
};
const TowerStages kTowerStages[] = {{0x80, 7}, {0x40, 5}, {0x20, 4}, {0x10, 3}};

// Large papers that the defaults print fit-to-paper on A4 or Letter.
bool IsLargePaper(int paper)
{
    return paper == DMPAPER_A3 || paper == DMPAPER_B4 || paper == DMPAPER_TABLOID;
}

WORD LocalePaper(bool a4) { return a4 ? kPaperA4 : kPaperLetter; }

// A stand-in for a missing model: every query answers "no such feature".
const ModelContext kEmptyModel = {};

bool ModelFlag(const ModelContext* model, uint32_t bit)
{
    return (model->modelOptionFlags & bit) != 0;
}

bool ModelSwitch(const ModelContext* model, uint32_t bit)
{
    return (model->driverSwitches & bit) != 0;
}

SHORT ModelResolution(const ModelContext* model)
{
    return static_cast<SHORT>(FeatureOfKind(model, kKindResolution)
                                  ? DefaultOptionValue(model, kKindResolution)
                                  : 300);
}

WORD ModelPageProtect(const ModelContext* model)
{
    return FeatureOfKind(model, kKindPageProtect)
               ? static_cast<WORD>(DefaultOptionValue(model, kKindPageProtect))
               : kPageProtectNone;
}

// The job-spooling default: models that spool in mode 1 by design say so
// in bits 20-23 of their feature word; the others follow "DefaultUseReprint".
WORD ModelMopy(const ModelContext* model)
{
    WORD mopy = 0;
    if (((model->modelFeatures >> 20) & 0xF) == 2)
        mopy = 1;
    else if (ModelFlag(model, kModelUseReprint))
        mopy = 0x100;
    return static_cast<WORD>(mopy & ~0x200);
}

// TrueType handling: the model's "TTMODE" default picks raster mode A (0)
// or B (2); models without the list decide by their capability word.
DWORD ModelRasterMode(const ModelContext* model)
{
    const ModelFeature* ttMode = FeatureOfKind(model, kKindTTMODE);
    if (ttMode && ttMode->optionCount) {
        switch (DefaultOptionValue(model, kKindTTMODE)) {
        case 0: return kRenderRasterModeA;
        case 2: return kRenderRasterModeB;
        default: return 0;
        }
    }
    if (model->modelCaps & 6)
        return 0;
    return (model->modelCaps & kCapsLandscape270) ? kRenderRasterModeA : 0;
}

// The media type the model wants for postcards: the value of the
// media-type option that the "Postcard" page size names.
WORD ModelPostcardMediaType(const ModelContext* model)
{
    const ModelOption* postcard = PostcardOption(model);
    const ModelFeature* mediaType = FeatureOfKind(model, kKindMediaType);
    if (postcard && postcard->media && mediaType) {
        for (uint32_t i = 0; i < mediaType->optionCount; ++i)
            if (mediaType->options[i].keyword &&
                strcmp(mediaType->options[i].keyword, postcard->media) == 0)
                return static_cast<WORD>(OptionValueNumber(&mediaType->options[i]));
    }
    return static_cast<WORD>(DefaultOptionValue(model, kKindMediaType));
}

bool AutomaticDuplexPossible(const PrivateSettings& priv)
{
    if (priv.modelFeatures & kFeaturesAutoDuplex)
        return true;
    return (priv.accessories & kAccessoriesDuplexUnit) != 0;
}

// The status monitor is a companion program; until its installation can
// be queried it counts as absent.
bool StatusMonitorInstalled() { return false; }

template <size_t N>
void CopyText(WCHAR (&field)[N], const WCHAR* text, size_t maxChars)
{
    CopyProfileText(field, N, text, maxChars < N - 1 ? maxChars : N - 1);
}

// ---------------------------------------------------------------------------
// What the model alone decides

void WritePublicDefaults(DEVMODEW& pub, const WCHAR* driverName, const ModelContext* model,
                         bool a4)
{
    if (driverName)
        CopyText(pub.dmDeviceName, driverName, CCHDEVICENAME - 1);
    pub.dmSpecVersion = kSpecVersion;
    pub.dmDriverVersion = kDriverVersion;
    pub.dmSize = kPublicDevmodeSize;
    pub.dmDriverExtra = kPrivateSize;
    pub.dmFields = kDefaultFields;
    pub.dmOrientation = DMORIENT_PORTRAIT;
    pub.dmPaperSize = static_cast<SHORT>(LocalePaper(a4));
    pub.dmPaperLength = a4 ? 2970 : 2794;
    pub.dmPaperWidth = a4 ? 2100 : 2159;
    pub.dmScale = 100;
    pub.dmCopies = 1;
    pub.dmDefaultSource = static_cast<SHORT>(DefaultPaperSource(model));
    pub.dmPrintQuality = ModelResolution(model);
    pub.dmColor = DMCOLOR_MONOCHROME;
    if (model->colorDevice) {
        pub.dmFields |= DM_COLOR;
        pub.dmColor = DMCOLOR_COLOR;
    }
    const ModelFeature* duplex = FeatureOfKind(model, kKindDuplex);
    if (duplex && duplex->optionCount)
        pub.dmFields |= DM_DUPLEX;
    pub.dmDuplex = DMDUP_SIMPLEX;
    pub.dmYResolution = pub.dmPrintQuality;
    pub.dmTTOption = DMTT_BITMAP;
    pub.dmCollate = DMCOLLATE_FALSE;
    CopyText(pub.dmFormName, a4 ? L"A4" : L"Letter", CCHFORMNAME - 1);
}

DWORD ModelRenderFlags(const ModelContext* model)
{
    DWORD flags = kRenderAlways | ModelRasterMode(model);
    if (model->languageLevel > 1)
        flags |= kRenderLanguageLevel2;
    if (model->landscapeOrientation == kLandscapeMinus90)
        flags |= kRenderLandscapeMinus90;
    if (!(model->modelCaps & kCapsNoPrinterFonts) && ModelFlag(model, kModelUsePrinterFonts))
        flags |= kRenderPrinterFonts;
    if (ModelFlag(model, kModelGrayText))
        flags |= kRenderImproveGray;
    return flags;
}

void WritePrivateDefaults(DEVMODEW& pub, PrivateSettings& priv, const ModelContext* model, bool a4)
{
    priv.processorBlockOffset = kProcessorBlockOffset;
    priv.signature = kPrivateSignature;
    priv.tag = kPrivateTag;
    priv.renderFlags = ModelRenderFlags(model);
    priv.modelCaps = model->modelCaps;
    priv.modelFeatures = model->modelFeatures;
    priv.modelTrays = model->modelTrays;

    COLORADJUSTMENT& ca = priv.colorAdjustment;
    ca.caSize = sizeof(COLORADJUSTMENT);
    ca.caRedGamma = ca.caGreenGamma = ca.caBlueGamma = 10000;
    ca.caReferenceWhite = 10000;
    ResetOptionSelections(&priv, model);

    priv.sleepTime = static_cast<WORD>(SleepModeItem(model, 2));
    priv.sleepMode = 1;
    priv.defaultSleepTime = priv.sleepTime;
    priv.multiPage = static_cast<SHORT>(DefaultOptionValue(model, kKindMultiplePage));
    priv.economy = static_cast<WORD>(DefaultOptionValue(model, kKindTonerSaveMode));
    priv.mediaType = static_cast<WORD>(DefaultOptionValue(model, kKindMediaType));
    priv.postcardMediaType = ModelPostcardMediaType(model);
    priv.ret = static_cast<WORD>(DefaultOptionValue(model, kKindHRC));
    priv.pageProtect = ModelPageProtect(model);
    priv.errorPrint = 2;
    priv.duplex = (priv.modelFeatures & kFeaturesAutoDuplex) ? kDuplexAutomatic : 0;
    priv.scalingSize = static_cast<WORD>(pub.dmScale);
    priv.useDevmodeCollate = 1;
    priv.macroCount = 1;
    priv.showBiasVolt = ModelSwitch(model, kSwitchShowBiasVolt) ? 1 : 0;
    priv.biasVolt =
        priv.showBiasVolt ? static_cast<BYTE>(DefaultOptionValue(model, kKindBiasVolt)) : 0;
    priv.defaultBiasVolt = priv.biasVolt;
    priv.customPaperUnit = a4 ? 0 : 1;
    priv.customPaperWidth = kCustomWidthDefault;
    priv.customPaperLength = kCustomLengthDefault;
    priv.graphicsMode = static_cast<WORD>(DefaultOptionValue(model, kKindGraphicsMode));
    priv.bandingMode = ModelFlag(model, kModelNoBanding) ? 0 : 1;
    priv.bookletMultiPage = priv.multiPage;
    priv.bindFlags = a4 ? 0 : kBindInches;
    priv.binSwitch = 1;
    priv.modelCodeWord = static_cast<WORD>(model->internalInformation | 0x0700);
    priv.biasOn = 1;
    priv.paperSizeCopy = static_cast<WORD>(pub.dmPaperSize);
    priv.fitPaperSize = LocalePaper(a4);
    priv.ramDiskSize = 0xFFFF;
    priv.printerMemory = model->standardMemory ? static_cast<WORD>(model->standardMemory) : 2;
    priv.tray = static_cast<WORD>(pub.dmDefaultSource);
    priv.anotherTray = static_cast<WORD>(pub.dmDefaultSource);
    priv.defaultSet = 1;
    priv.scaling = kScalingPrintable;
    priv.modeSelector2 = 0x81;
    priv.compMode1028 = ModelSwitch(model, kSwitchCompMode1028) ? 1 : 0;
    priv.savedScaling = kScalingPrintable;
    priv.savedSwitch = 1;
    priv.savedMode = 3;
    priv.savedCode1 = priv.savedCode2 = pub.dmPrintQuality > 0 ? kSavedCodeDefault : 0;
    priv.lastCustomWidth = kCustomWidthDefault;
    priv.lastCustomLength = kCustomLengthDefault;
    priv.mopy = ModelMopy(model);
    priv.mopyPin = -1;
    priv.textCodePage = 1252;
    RebuildTrayPaperFromModel(&priv);
}

void WriteProcessorDefaults(ProcessorBlock& block, const PrivateSettings& priv)
{
    block.blockVersion = 9;
    block.blockSize = kProcessorBlockSize;
    block.procPagesPerSheet = 1;
    block.procSwitch1 = 1;
    block.procMark1 = 0xFF;
    block.procMark2 = 0xFF;
    block.landscapeAngle = (priv.modelCaps & kCapsLandscape270) ? 270 : 90;
    block.watermarkRop = kRopTransparent;
    block.watermarkScale = 100;
    block.multiLine = 1;
    block.sourceFlags = kSourceFlagsDefault | ((priv.modelCaps & kCapsSourceFlag) ? 1 : 0);
    block.headerFooterFlags = 6;
    block.headerFooterFont.lfHeight = -11;
    block.headerFooterFont.lfCharSet = DEFAULT_CHARSET;
    CopyText(block.headerFooterFont.lfFaceName, L"Arial", LF_FACESIZE - 1);
    block.headerFooterBackColor = 0x00FFFFFF;
    block.procSwitch2 = 1;
    block.procRelayedSwitch = priv.relayedSwitch;
    block.procFitPaper = -1;
    block.procFitTarget = 0xFFFF;
    block.procScale = 100;
    block.procAccessories = priv.accessories;
    block.procDuplexAuto = 1;
    strcpy(block.legacyResourceFile, "KVLRES07.DLL");
    block.procPaperFlags = 1;
    block.endTag = kProcessorEndTag;
}

// Texts that a translated language module may change.
void WriteLanguageTexts(PrivateSettings& priv)
{
    WCHAR text[64];
    if (LoadDriverString(IDS_LANGUAGE_NAME, text, ARRAYSIZE(text)) > 0)
        WideCharToMultiByte(CP_ACP, 0, text, -1, priv.languageName,
                            sizeof(priv.languageName) - 1, nullptr, nullptr);
    priv.languageName[sizeof(priv.languageName) - 1] = '\0';
    if (LoadDriverString(IDS_DEFAULT_FACE, text, ARRAYSIZE(text)) > 0)
        CopyText(priv.processor.headerFooterFont.lfFaceName, text, LF_FACESIZE - 1);
    if (LoadDriverString(IDS_RESOURCE_NUMBER, text, ARRAYSIZE(text)) > 0)
        priv.resourceNumber = static_cast<WORD>(ProfileDecimal(text));
}

// ---------------------------------------------------------------------------
// The settings profile and the installation values behind it

// The profile's "Default Setting" section, read once per build: the
// defaults consult some sixty keys on every device-capabilities call.
class Profile {
public:
    explicit Profile(const WCHAR* path) : path_(path), section_(path, kProfileSettingsSection) {}

    // TRUE when the key is present; its text is then in value().
    bool Has(UINT key)
    {
        WCHAR name[64];
        value_[0] = L'\0';
        return ProfileKeyName(key, FALSE, name, ARRAYSIZE(name)) &&
               section_.Find(name, value_, kProfileValueChars);
    }
    const WCHAR* value() const { return value_; }
    const WCHAR* path() const { return path_; }

    LONG DecOr(UINT key, LONG absent) { return Has(key) ? ProfileDecimal(value_) : absent; }
    DWORD HexOr(UINT key, DWORD absent) { return Has(key) ? ProfileHex(value_) : absent; }

private:
    const WCHAR* path_;
    IniSection section_;
    WCHAR value_[kProfileValueChars];
};

// Everything the profile groups consult besides the record.
struct BuildContext {
    DEVMODEW& pub;
    PrivateSettings& priv;
    const ModelContext* model;
    bool a4;
    HANDLE printer;
    const FileList& files;
    Profile& profile;
};

// An installation default from the "DefaultInformation" file in the 32-bit
// system directory.
int InstallationDefault(const FileList& files, const WCHAR* key, int absent)
{
    WCHAR dir[MAX_PATH];
    WCHAR path[MAX_PATH];
    UINT length = GetSystemWow64DirectoryW(dir, MAX_PATH);
    if (!length || length >= MAX_PATH ||
        swprintf(path, MAX_PATH, L"%ls\\%ls", dir, files.defaultFile) <= 0)
        return absent;
    return static_cast<int>(GetPrivateProfileIntW(kProfileSettingsSection, key, absent, path));
}

void ReadPaperGroup(BuildContext& b)
{
    DEVMODEW& pub = b.pub;
    PrivateSettings& priv = b.priv;
    Profile& p = b.profile;
    const WORD localePaper = LocalePaper(b.a4);

    if (p.Has(kKeyPaper)) {
        pub.dmPaperSize = static_cast<SHORT>(ProfileDecimal(p.value()));
        WCHAR name[kProfileValueChars];
        WCHAR size[kProfileValueChars];
        if (pub.dmPaperSize == kPaperUser &&
            ReadProfileValue(kProfileSettingsSection, kKeyUserName, name, p.path()) && name[0]) {
            GetPrivateProfileStringW(kProfilePaperSection, name, kProfileAbsent, size,
                                     kProfileValueChars, p.path());
            if (wcscmp(size, kProfileAbsent) != 0) {
                ApplyCustomSizeValue(size, &priv);
                CopyText(priv.customPaperName, name, 16);
            }
        }
    } else {
        pub.dmPaperSize = static_cast<SHORT>(localePaper);
    }
    if (!SetPaperDimensions(&pub, b.model, b.printer)) {
        pub.dmPaperSize = static_cast<SHORT>(localePaper);
        SetPaperDimensions(&pub, b.model, b.printer);
    }
    priv.paperSizeCopy = static_cast<WORD>(pub.dmPaperSize);

    pub.dmOrientation = static_cast<SHORT>(p.HexOr(kKeyOrientation, DMORIENT_PORTRAIT));
    const BYTE collate = p.DecOr(kKeyCollate, 0) ? 1 : 0;
    priv.processor.procCollate = collate;
    priv.collate = collate;
    pub.dmCollate = collate;
    pub.dmCopies = static_cast<SHORT>(p.DecOr(kKeyCopies, 1));
    priv.mediaType = static_cast<WORD>(
        p.HexOr(kKeyMediaType, static_cast<DWORD>(DefaultOptionValue(b.model, kKindMediaType))));
    priv.postcardMediaType = ModelPostcardMediaType(b.model);
    priv.multiPage = static_cast<SHORT>(p.DecOr(kKeyMultiPage, 1));
    // Poster printing keeps its (non-positive) value for the job processor.
    priv.processor.procPagesPerSheet = priv.multiPage < 1 ? priv.multiPage : 1;
    priv.processor.pageOrder = static_cast<BYTE>(p.DecOr(kKeyPageOrder, 0));
    priv.processor.multiLine = static_cast<BYTE>(p.DecOr(kKeyMultiLine, 1));

    const LONG modelSource = DefaultPaperSource(b.model);
    priv.tray = static_cast<WORD>(p.DecOr(kKeyTray, modelSource));
    pub.dmDefaultSource = static_cast<SHORT>(priv.tray);
    priv.anotherTray = static_cast<WORD>(p.DecOr(kKeyAnotherTray, modelSource));
    priv.traySeparateMode = static_cast<BYTE>(p.DecOr(kKeyTraySeparateMode, 0));

    if (p.Has(kKeyBooklet))
        priv.booklet = static_cast<BYTE>(ProfileDecimal(p.value()));
    else
        priv.booklet &= ~kBookletOn;
    priv.bookletMultiPage = static_cast<SHORT>(p.DecOr(kKeyBookletMultiPage, priv.multiPage));

    // Booklets on the duplex unit are made only from two pages per sheet
    // of the papers the unit folds.
    if ((priv.duplex & kDuplexAutomatic) && (priv.booklet & kBookletOn)) {
        const int paper = pub.dmPaperSize;
        const bool foldable = paper == kPaperA4 || paper == kPaperLetter || paper == DMPAPER_LEGAL;
        if (!foldable || priv.multiPage != 2) {
            priv.bookletMultiPage = priv.multiPage;
            priv.booklet &= ~kBookletOn;
        }
    }
    // A3, B4 and Tabloid are printed scaled down onto the locale's paper.
    if (priv.scaling != kScalingFitPaper && IsLargePaper(pub.dmPaperSize)) {
        priv.multiPage = 1;
        priv.scaling = kScalingFitPaper;
        priv.paperSizeCopy = localePaper;
    }
    if (priv.multiPage != 1)
        priv.scaling = priv.savedScaling;
}

void ReadResolutionGroup(BuildContext& b)
{
    Profile& p = b.profile;
    b.pub.dmPrintQuality = static_cast<SHORT>(p.DecOr(kKeyResolution, ModelResolution(b.model)));
    b.pub.dmYResolution = b.pub.dmPrintQuality;
    b.priv.resExt = static_cast<WORD>(p.DecOr(kKeyResExt, b.pub.dmPrintQuality == 1200 ? 600 : 0));
    if (p.Has(kKeyEconomy))
        b.priv.economy = ProfileDecimal(p.value()) ? 1 : 0;
    else
        b.priv.economy = static_cast<WORD>(DefaultOptionValue(b.model, kKindTonerSaveMode));
    b.priv.defaultSet = p.Has(kKeyDefaultSet) ? static_cast<BYTE>(ProfileItemHex(p.value(), 1)) : 1;
}

void ReadRenderingGroup(BuildContext& b)
{
    Profile& p = b.profile;
    DWORD& flags = b.priv.renderFlags;
    if (p.Has(kKeyImproveGray))
        flags = FlagFromProfile(flags, kRenderImproveGray, ProfileDecimal(p.value()));
    if (p.Has(kKeyBrushPattern))
        flags = FlagFromProfile(flags, kRenderBrushPattern, ProfileDecimal(p.value()));
    else
        flags &= ~kRenderBrushPattern;
    if (p.Has(kKeyGrayLevel)) {
        ApplyGrayLevelValue(p.value(), &b.priv);
    } else {
        b.priv.grayLevelLow = 0;
        b.priv.grayLevelHigh = 0;
    }
    flags = DitherTypeFromProfile(flags, p.DecOr(kKeyDitherType, 0));
    if (p.Has(kKeyPrinterFonts))
        flags = FlagFromProfile(flags, kRenderPrinterFonts, ProfileDecimal(p.value()));
    if (p.Has(kKeyRasterMode))
        flags = RasterModeFromProfile(flags, ProfileDecimal(p.value()));
    else
        flags = (flags & ~kRenderRasterModes) | ModelRasterMode(b.model);
}

void ReadDuplexGroup(BuildContext& b)
{
    Profile& p = b.profile;
    PrivateSettings& priv = b.priv;
    const bool automatic = AutomaticDuplexPossible(priv);
    if (p.Has(kKeyDuplex)) {
        priv.duplex = DuplexFromProfile(ProfileHex(p.value()));
        if (!automatic)
            priv.duplex &= ~kDuplexAutomatic;
    } else {
        priv.duplex &= ~kDuplexLowBits;
        if (automatic)
            priv.duplex |= kDuplexAutomatic;
    }
    DeriveDevmodeDuplex(&b.pub);
    const BYTE bindAbsent =
        (priv.bindFlags & ~(kBindOffsetOn | kBindInches)) | (b.a4 ? 0 : kBindInches);
    priv.bindFlags = static_cast<BYTE>(p.HexOr(kKeyBind, bindAbsent));
    priv.bindingOffset = static_cast<WORD>(p.DecOr(kKeyBindingOffset, 0));
}

void ReadWatermarkGroup(BuildContext& b)
{
    Profile& p = b.profile;
    ApplyWatermarkValue(p.Has(kKeyWatermark) ? p.value() : nullptr, &b.priv.processor);
    // The record remembers which of the store's watermarks is the printer's.
    WCHAR printerName[MAX_PATH];
    WCHAR storePath[MAX_PATH];
    WatermarkPrinterName(b.printer, &b.pub, printerName, MAX_PATH);
    if (printerName[0] && WatermarkStorePath(storePath, MAX_PATH))
        b.priv.watermarkIndex =
            static_cast<WORD>(GetPrivateProfileIntW(printerName, L"Current", 0, storePath));
}

void ReadScalingGroup(BuildContext& b)
{
    Profile& p = b.profile;
    DEVMODEW& pub = b.pub;
    PrivateSettings& priv = b.priv;
    const BYTE scalingBefore = priv.scaling;
    const WORD fitPaperBefore = priv.fitPaperSize;
    const BYTE scaleFlagBefore = priv.scaleFlag;

    priv.fitPaperSize = static_cast<WORD>(p.DecOr(kKeyFitPaperSize, LocalePaper(b.a4)));
    priv.scaling = static_cast<BYTE>(p.HexOr(kKeyScaling, kScalingPrintable));
    if (p.Has(kKeyScalingSize)) {
        priv.scalingSize = static_cast<WORD>(ProfileDecimal(p.value()));
        if ((scaleFlagBefore & 3) == 3)
            pub.dmScale = static_cast<SHORT>(priv.scalingSize);
    } else {
        priv.scalingSize = 100;
        pub.dmScale = 100;
    }
    priv.scaleFlag = static_cast<BYTE>(p.DecOr(kKeyScaleFlag, 0));
    if (p.Has(kKeyImageProcess))
        priv.imageProcess = static_cast<BYTE>(ProfileHex(p.value()));
    else
        priv.imageProcess &= ~kImageProcessBits;

    // A large paper that is no longer scaled down gives way to the target
    // paper it was scaled to.
    if (scalingBefore == kScalingFitPaper && priv.scaling != kScalingFitPaper &&
        IsLargePaper(pub.dmPaperSize)) {
        pub.dmPaperSize = static_cast<SHORT>(fitPaperBefore);
        SetPaperDimensions(&pub, b.model, b.printer);
    }
}

void ReadJobGroup(BuildContext& b)
{
    Profile& p = b.profile;
    PrivateSettings& priv = b.priv;
    ProcessorBlock& block = priv.processor;
    const ModelContext* model = b.model;

    if (p.Has(kKeyMopy)) {
        ApplyMopyValue(p.value(), &priv);
    } else {
        priv.mopy = ModelMopy(model);
        priv.mopyPin = -1;
    }
    CopyText(priv.mopyUser, p.Has(kKeyMopyUser) ? p.value() : L"", 60);
    CopyText(priv.mopyJob, p.Has(kKeyMopyJob) ? p.value() : L"", 80);

    const BYTE modelQps = ModelFlag(model, kModelQuickPrintSetup) ? 1 : 0;
    DWORD stored = 0;
    if (p.Has(kKeyQuickPrintSetup)) {
        priv.qps = static_cast<BYTE>(ProfileDecimal(p.value()));
    } else if (ReadPrinterDataDword(b.printer, L"DEFQPS", &stored)) {
        priv.qps = static_cast<BYTE>(stored);
    } else {
        const int installed = InstallationDefault(b.files, L"QPS", 2);
        priv.qps = installed == 2 ? modelQps : static_cast<BYTE>(installed);
    }

    if (p.Has(kKeySleep)) {
        ApplySleepValue(p.value(), &priv);
    } else {
        priv.sleepTime = static_cast<WORD>(SleepModeItem(model, 2));
        priv.sleepMode = 1;
    }

    if (p.Has(kKeyStatusMonitor)) {
        priv.statusMonitor = static_cast<BYTE>(ProfileDecimal(p.value()));
    } else if (ReadPrinterDataDword(b.printer, L"DEFSTSMON", &stored)) {
        priv.statusMonitor = static_cast<BYTE>(stored);
    } else {
        const int installed = InstallationDefault(b.files, L"VxDPrinterStatus", 1);
        if (installed == 1)
            priv.statusMonitor = ModelFlag(model, kModelStatusMonitor) && StatusMonitorInstalled()
                                     ? kStatusMonitorOn
                                     : 0;
        else
            priv.statusMonitor = static_cast<BYTE>(installed);
    }

    if (p.Has(kKeyMacro)) {
        ApplyMacroValue(p.value(), &priv);
    } else {
        priv.macroFlags = 0;
        priv.macroId = 0;
        priv.macroCount = 1;
        ZeroMemory(priv.macroName, sizeof(priv.macroName));
    }
    priv.pageProtect = p.Has(kKeyPageProtect) ? PageProtectFromProfile(ProfileDecimal(p.value()))
                                               : ModelPageProtect(model);
    const DWORD headerFooter = p.HexOr(kKeyHeaderFooterFlag, 0);
    block.headerFooterFlags =
        (block.headerFooterFlags & ~kHeaderFooterOn) | (headerFooter & kHeaderFooterOn);
    if (p.Has(kKeyBias)) {
        ApplyBiasValue(p.value(), &priv);
    } else {
        priv.biasOn = 1;
        priv.biasValue = 0;
    }
    priv.ret = static_cast<WORD>(p.DecOr(kKeyRet, DefaultOptionValue(model, kKindHRC)));
    priv.errorPrint = static_cast<WORD>(p.DecOr(kKeyErrorPrint, 2));
    priv.paperHandling = static_cast<WORD>(
        FlagFromProfile(priv.paperHandling, kPaperReduceCurl, p.DecOr(kKeyReducePaperCurl, 0)));
    priv.paperHandling = static_cast<WORD>(
        FlagFromProfile(priv.paperHandling, kPaperImproveFixing, p.DecOr(kKeyImproveFixing, 0)));
}

void ReadHeaderFooterGroup(BuildContext& b)
{
    Profile& p = b.profile;
    ProcessorBlock& block = b.priv.processor;
    if (p.Has(kKeyHeaderFooterFlag))
        block.headerFooterFlags = (ProfileHex(p.value()) & ~kHeaderFooterOn) |
                                  (block.headerFooterFlags & kHeaderFooterOn);
    if (p.Has(kKeyIdWatermark))
        block.idWatermark = static_cast<BYTE>(ProfileHex(p.value()));
    if (p.Has(kKeyIdWatermarkName))
        CopyText(block.idWatermarkName, p.value(), 64);
    if (p.Has(kKeyHeaderFooterFont))
        ApplyHeaderFooterFontValue(p.value(), &block);
}

void ReadAccessoriesGroup(BuildContext& b)
{
    Profile& p = b.profile;
    PrivateSettings& priv = b.priv;
    DWORD installed = 0;
    if (p.Has(kKeyAccessories)) {
        ApplyAccessoriesValue(p.value(), &priv);
    } else if (ReadPrinterDataDword(b.printer, L"DEFACC", &installed)) {
        priv.accessories = LOWORD(installed);
        priv.accessories2 = HIWORD(installed);
    } else {
        priv.accessories = 0;
        priv.accessories2 = 0;
    }
    // The tower-feeder stages follow the accessories just read; the value
    // names only trays 1-4 and the multi-purpose tray.
    RebuildTrayPaperFromModel(&priv);
    if (p.Has(kKeyTraysPaper))
        ApplyTraysPaperValue(p.value(), &priv);
    priv.undefinedSourceTray = static_cast<WORD>(p.DecOr(kKeyDefaultSource, DMBIN_AUTO));
    priv.ramDisk = static_cast<WORD>(p.DecOr(kKeyRamDisk, 0));
    priv.ramDiskSize = static_cast<WORD>(p.DecOr(kKeyRamDiskSize, 0xFFFF));
}

void ReadPrinterFiles(DEVMODEW& pub, PrivateSettings& priv, const ModelContext* model, bool a4,
                      HANDLE printer)
{
    // The model normally comes from the printer's driver data file, so its
    // path names the file list without another question to the spooler.
    FileList files;
    bool found = model && model->modelPath &&
                 ReadFileList(reinterpret_cast<const WCHAR*>(model->modelPath), &files) &&
                 GetFileAttributesW(files.listPath) != INVALID_FILE_ATTRIBUTES;
    if (!found && !ReadPrinterFileList(printer, &files))
        return;
    CopyText(priv.printProcessorFile, files.printProcessorFile, 15);
    CopyText(priv.languageResourceFile, files.languageResourceFile, 15);
    CopyText(priv.modelResourceFile, files.modelResourceFile, 15);
    CopyText(priv.optionInformationFile, files.optionFile, 15);

    WCHAR path[MAX_PATH];
    if (!FileListPath(files, files.exDefaultFile, path, MAX_PATH))
        return;
    Profile profile(path);
    BuildContext b = {pub, priv, model, a4, printer, files, profile};
    ReadPaperGroup(b);
    ReadResolutionGroup(b);
    ReadRenderingGroup(b);
    ReadDuplexGroup(b);
    ReadWatermarkGroup(b);
    ReadScalingGroup(b);
    ReadJobGroup(b);
    ReadHeaderFooterGroup(b);
    ReadAccessoriesGroup(b);
}

}  // namespace

BOOL IsA4Country(LONG countryCode)
{
    const LONG c = countryCode;
    const bool letter =
        c == 1 || c == 2 || (c >= 50 && c <= 59 && c != 55) || (c >= 500 && c <= 599);
    return letter ? FALSE : TRUE;
}

BOOL IsA4Locale()
{
    WCHAR country[16];
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, ARRAYSIZE(country)))
        return FALSE;
    return IsA4Country(ProfileDecimal(country));
}

void RebuildTrayPaperFromModel(PrivateSettings* priv)
{
    if (!priv)
        return;
    const DWORD trays = priv->modelTrays;
    for (TrayPaperEntry& entry : priv->trayPaper)
        entry = {kTrayUnused, kTrayUnused};
    // Only the low bit of each tray's two-bit field says it is fitted.
    for (size_t i = 0; i < 4; ++i) {
        TrayPaperEntry& entry = priv->trayPaper[i];
        entry.paper = (trays & (1u << (2 * i))) ? kTrayEmpty : kTrayUnused;
        entry.trayId = (trays & kTraysWithIds) ? entry.paper : kTrayUnused;
    }
    size_t stages = 0;
    if (trays & kTraysTowerFeeder) {
        for (const TowerStages& t : kTowerStages)
            if (priv->accessories & t.accessoryBit) {
                stages = t.stages;
                break;
            }
    }
    for (size_t i = 0; i < stages && i < kTowerEntries; ++i)
        priv->trayPaper[kFirstTowerEntry + i].paper = kTrayEmpty;
    priv->trayPaper[kMultiPurposeEntry].paper =
        (trays & kTraysMultiPurpose) ? kTrayEmpty : kTrayUnused;
    priv->undefinedSourceTray = DMBIN_AUTO;
}

void ResetOptionSelections(PrivateSettings* priv, const ModelContext* model)
{
    if (!priv)
        return;
    if (!model)
        model = &kEmptyModel;
    ZeroMemory(priv->optionSelections, sizeof(priv->optionSelections));
    const uint32_t count = model->optionCount < sizeof(priv->optionSelections)
                               ? model->optionCount
                               : static_cast<uint32_t>(sizeof(priv->optionSelections));
    for (uint32_t i = 0; i < count && model->features; ++i) {
        const ModelFeature& feature = model->features[i];
        priv->optionSelections[i] =
            feature.kind == kKindResolution ? 0xFF : static_cast<BYTE>(feature.defaultOption);
    }
    priv->optionCount = static_cast<WORD>(count);
    priv->modelChecksum = model->modelChecksum;
}

BOOL SetPaperDimensions(DEVMODEW* record, const ModelContext* model, HANDLE printer)
{
    PaperSize size = {};
    if (!record || LookUpPaper(printer, record, model, &size) == kPaperNotFound)
        return FALSE;
    // Points in 24.8 fixed point to hundredths of tenths of a millimetre,
    // then truncated to tenths.
    auto tenths = [](LONG points) {
        LONGLONG value = static_cast<LONGLONG>(points) * 25400 / 18432 / 100;
        return static_cast<SHORT>(value < 0 ? 0 : value > 0x7FFF ? 0x7FFF : value);
    };
    record->dmPaperLength = tenths(size.length);
    record->dmPaperWidth = tenths(size.width);
    return TRUE;
}

BOOL BuildDefaultDevmode(DEVMODEW* target, const WCHAR* driverName, const ModelContext* model,
                         BOOL a4Locale, HANDLE printer)
{
    if (!target)
        return FALSE;
    if (!model)
        model = &kEmptyModel;
    const bool a4 = a4Locale != FALSE;
    auto* record = reinterpret_cast<DriverDevmode*>(target);
    ZeroMemory(record, sizeof(*record));
    DEVMODEW& pub = record->pub;
    PrivateSettings& priv = record->priv;

    WritePublicDefaults(pub, driverName, model, a4);
    WritePrivateDefaults(pub, priv, model, a4);
    WriteProcessorDefaults(priv.processor, priv);
    WriteLanguageTexts(priv);

    // Models with a true 1200 dpi mode leave the resolution to the private
    // fields, so applications do not offer a half-supported value.
    if (OffersResolution(model, 1200))
        pub.dmFields &= ~DM_PRINTQUALITY;
    priv.resExt = pub.dmPrintQuality == 1200 ? 600 : 0;
    priv.qps = ModelFlag(model, kModelQuickPrintSetup) ? 1 : 0;
    priv.statusMonitor = ModelFlag(model, kModelStatusMonitor) ? kStatusMonitorOn : 0;

    if (printer)
        ReadPrinterFiles(pub, priv, model, a4, printer);

    if (priv.scaleFlag & kScaleFlagKeepsField)
        pub.dmFields |= DM_SCALE;
    else
        pub.dmFields &= ~DM_SCALE;
    if (priv.modelCaps & kCapsNoStatusMonitor)
        priv.statusMonitor = 0;

    // Modes that a profile may not preset: they are chosen per document.
    priv.specialOutputMode = 0;
    priv.scaling = kScalingPrintable;
    priv.savedScaling = kScalingPrintable;
    priv.savedSwitch = 1;
    priv.savedMode = 3;
    priv.savedCode1 = priv.savedCode2 = pub.dmPrintQuality > 0 ? kSavedCodeDefault : 0;
    priv.lastCustomWidth = kCustomWidthDefault;
    priv.lastCustomLength = kCustomLengthDefault;
    return TRUE;
}
