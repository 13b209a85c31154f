// The settings profile and the installation values behind it, applied over
// the model's defaults of a new record.
#include "settings/saved_defaults.h"

#include "core/file_list.h"
#include "core/ini_section.h"
#include "core/model_queries.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_sync.h"
#include "settings/model_defaults.h"
#include "settings/printer_data.h"
#include "settings/profile_settings.h"
#include "settings/watermark_store.h"

#include <cwchar>

namespace {

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
    return IniSection(path, kProfileSettingsSection).FindInt(key, absent);
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
        if (pub.dmPaperSize == kUserDefinedPaper &&
            ReadProfileValue(kProfileSettingsSection, kKeyUserName, name, p.path()) && name[0]) {
            GetPrivateProfileStringW(kProfilePaperSection, name, kProfileAbsent, size,
                                     kProfileValueChars, p.path());
            if (wcscmp(size, kProfileAbsent) != 0) {
                ApplyCustomSizeValue(size, &priv);
                CopyProfileField(priv.customPaperName, name, 16);
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
        const bool foldable = paper == DMPAPER_A4 || paper == DMPAPER_LETTER || paper == DMPAPER_LEGAL;
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
    b.priv.resExt = static_cast<WORD>(p.DecOr(kKeyResExt, ResExtOfPrintQuality(b.pub.dmPrintQuality)));
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
            static_cast<WORD>(IniSection(storePath, printerName).FindInt(L"Current", 0));
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
        if ((scaleFlagBefore & kScaleFlagFollowsDmScale) == kScaleFlagFollowsDmScale)
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
    CopyProfileField(priv.mopyUser, p.Has(kKeyMopyUser) ? p.value() : L"", 60);
    CopyProfileField(priv.mopyJob, p.Has(kKeyMopyJob) ? p.value() : L"", 80);

    const BYTE modelQps = ModelOptionOn(model, kModelQuickPrintSetup) ? 1 : 0;
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
            priv.statusMonitor = ModelOptionOn(model, kModelStatusMonitor) && StatusMonitorInstalled()
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
        CopyProfileField(block.idWatermarkName, p.value(), 64);
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

} // namespace

void ApplySavedDefaults(DEVMODEW& pub, PrivateSettings& priv, const ModelContext* model, bool a4,
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
    CopyProfileField(priv.printProcessorFile, files.printProcessorFile, 15);
    CopyProfileField(priv.languageResourceFile, files.languageResourceFile, 15);
    CopyProfileField(priv.modelResourceFile, files.modelResourceFile, 15);
    CopyProfileField(priv.optionInformationFile, files.optionFile, 15);

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
