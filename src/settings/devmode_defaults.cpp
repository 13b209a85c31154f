#include "settings/devmode_defaults.h"

#include "core/driver_strings.h"
#include "core/model_queries.h"
#include "resources/resource_ids.h"
#include "settings/devmode_bits.h"
#include "settings/model_defaults.h"
#include "settings/paper_lookup.h"
#include "settings/profile_text.h"
#include "settings/saved_defaults.h"

#include <cstring>
#include <cwchar>

namespace {

// Public fields every default record declares; colour, duplex and the
// resolution bit are adjusted from the model, the scale bit from scaleFlag.
constexpr DWORD kDefaultFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH |
                                 DM_PAPERWIDTH | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE |
                                 DM_PRINTQUALITY | DM_TTOPTION | DM_COLLATE | DM_FORMNAME;
static_assert(kDefaultFields == 0x0001C71F, "default dmFields");

constexpr BYTE kSourceFlagsDefault = 0x40;
constexpr LONG kSavedCodeDefault = 4233;

// Tower-feeder stages an accessories bit declares, highest bit first.
struct TowerStages {
    WORD accessoryBit;
    size_t stages;
};
const TowerStages kTowerStages[] = {{0x80, 7}, {0x40, 5}, {0x20, 4}, {0x10, 3}};

// ---------------------------------------------------------------------------
// What the model alone decides

void WritePublicDefaults(DEVMODEW& pub, const WCHAR* driverName, const ModelContext* model,
                         bool a4)
{
    if (driverName)
        CopyProfileField(pub.dmDeviceName, driverName, CCHDEVICENAME - 1);
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
    CopyProfileField(pub.dmFormName, a4 ? L"A4" : L"Letter", CCHFORMNAME - 1);
}

DWORD ModelRenderFlags(const ModelContext* model)
{
    DWORD flags = kRenderAlways | ModelRasterMode(model);
    if (model->languageLevel > 1)
        flags |= kRenderLanguageLevel2;
    if (model->landscapeOrientation == kLandscapeMinus90)
        flags |= kRenderLandscapeMinus90;
    if (!(model->modelCaps & kCapsNoPrinterFonts) && ModelOptionOn(model, kModelUsePrinterFonts))
        flags |= kRenderPrinterFonts;
    if (ModelOptionOn(model, kModelGrayText))
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
    priv.showBiasVolt = ModelSwitchOn(model, kSwitchShowBiasVolt) ? 1 : 0;
    priv.biasVolt =
        priv.showBiasVolt ? static_cast<BYTE>(DefaultOptionValue(model, kKindBiasVolt)) : 0;
    priv.defaultBiasVolt = priv.biasVolt;
    priv.customPaperUnit = a4 ? 0 : 1;
    priv.customPaperWidth = kSmallestPaperWidth;
    priv.customPaperLength = kSmallestPaperLength;
    priv.graphicsMode = static_cast<WORD>(DefaultOptionValue(model, kKindGraphicsMode));
    priv.bandingMode = ModelOptionOn(model, kModelNoBanding) ? 0 : 1;
    priv.bookletMultiPage = priv.multiPage;
    priv.bindFlags = a4 ? 0 : kBindInches;
    priv.binSwitch = 1;
    priv.modelCodeWord = static_cast<WORD>(model->internalInformation | kModelCodeWordBase);
    priv.biasOn = 1;
    priv.paperSizeCopy = static_cast<WORD>(pub.dmPaperSize);
    priv.fitPaperSize = LocalePaper(a4);
    priv.ramDiskSize = kRamDiskSizeNotSet;
    priv.printerMemory = model->standardMemory ? static_cast<WORD>(model->standardMemory) : 2;
    priv.tray = static_cast<WORD>(pub.dmDefaultSource);
    priv.anotherTray = static_cast<WORD>(pub.dmDefaultSource);
    priv.defaultSet = 1;
    priv.scaling = kScalingPrintable;
    priv.modeSelector2 = 0x81;
    priv.compMode1028 = ModelSwitchOn(model, kSwitchCompMode1028) ? 1 : 0;
    priv.savedScaling = kScalingPrintable;
    priv.savedSwitch = 1;
    priv.savedMode = 3;
    priv.savedCode1 = priv.savedCode2 = pub.dmPrintQuality > 0 ? kSavedCodeDefault : 0;
    priv.lastCustomWidth = kSmallestPaperWidth;
    priv.lastCustomLength = kSmallestPaperLength;
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
    CopyProfileField(block.headerFooterFont.lfFaceName, L"Arial", LF_FACESIZE - 1);
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
        CopyProfileField(priv.processor.headerFooterFont.lfFaceName, text, LF_FACESIZE - 1);
    if (LoadDriverString(IDS_RESOURCE_NUMBER, text, ARRAYSIZE(text)) > 0)
        priv.resourceNumber = static_cast<WORD>(ProfileDecimal(text));
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
        (trays & kTraysMultiPurposeAny) ? kTrayEmpty : kTrayUnused;
    priv->undefinedSourceTray = DMBIN_AUTO;
}

void ResetOptionSelections(PrivateSettings* priv, const ModelContext* model)
{
    if (!priv)
        return;
    model = ModelOrEmpty(model);
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
    model = ModelOrEmpty(model);
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
    if (OffersResolution(model, kTrue1200Dpi))
        pub.dmFields &= ~DM_PRINTQUALITY;
    priv.resExt = ResExtOfPrintQuality(pub.dmPrintQuality);
    priv.qps = ModelOptionOn(model, kModelQuickPrintSetup) ? 1 : 0;
    priv.statusMonitor = ModelOptionOn(model, kModelStatusMonitor) ? kStatusMonitorOn : 0;

    if (printer)
        ApplySavedDefaults(pub, priv, model, a4, printer);

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
    priv.lastCustomWidth = kSmallestPaperWidth;
    priv.lastCustomLength = kSmallestPaperLength;
    return TRUE;
}
