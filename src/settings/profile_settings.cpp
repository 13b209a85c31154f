#include "settings/profile_settings.h"

#include "core/driver_strings.h"
#include "core/spooler_info.h"
#include "settings/watermark_store.h"
#include "ui/quick_setup_sync.h"

#include <winspool.h>

#include <cwchar>
#include <type_traits>

static_assert(std::is_same<ProfileChar, WCHAR>::value, "profile text is the driver's WCHAR");

const WCHAR kProfileSettingsSection[] = L"Default Setting";
const WCHAR kProfilePaperSection[] = L"Default Paper";
const WCHAR kProfileWatermarkSection[] = L"Default WMark";
const WCHAR kProfileQpsSection[] = L"Default QPS";
const WCHAR kProfileAbsent[] = L"__##NOUSE##__";
const WCHAR kSaveSettingKey[] = L"SaveSetting";

namespace {

// Key strings are short; a longer one is cut.
const int kKeyChars = 64;
const WCHAR kWindowsSuffix[] = L"_NT";

// Keys stored with the suffix; the tower-feeder key gets it only when
// written.
const UINT kSuffixedKeys[] = {kKeyPaper, kKeyFitPaperSize, kKeyHeaderFooterFont, kKeyTraysPaper,
                              kKeyDefaultSource};
const UINT kSuffixedOnWriteOnly = kKeyTowersPaper;

// The longest text field a profile carries (the job name), with its terminator.
const size_t kTextFieldChars = 81;

// "CstPaper" holds UTF-16 text and its terminator in at most this many bytes.
const DWORD kCustomPaperBytes = 1300;

// Limits of the text fields, in characters.
const size_t kUserNameChars = 16;
const size_t kMopyJobChars = 80;
const size_t kMopyUserChars = 60;
const size_t kIdWatermarkNameChars = 64;

bool HasSuffix(UINT resourceId, BOOL forWriting)
{
    if (forWriting && resourceId == kSuffixedOnWriteOnly)
        return true;
    for (UINT id : kSuffixedKeys)
        if (id == resourceId)
            return true;
    return false;
}

// A record's text field as a bounded, terminated copy; fields may arrive
// unterminated in records built elsewhere.
template <size_t N>
void CopyField(WCHAR (&dest)[N], const WCHAR* field, size_t fieldChars, size_t maxChars)
{
    CopyProfileText(dest, N, field, fieldChars < maxChars ? fieldChars : maxChars);
}

void WriteBoundedText(UINT resourceId, const WCHAR* field, size_t fieldChars, size_t maxChars,
                      const WCHAR* path)
{
    WCHAR text[kTextFieldChars];
    CopyField(text, field, fieldChars, maxChars);
    WriteProfileText(resourceId, text, path);
}

// Copies the printer's watermarks into the profile, then writes the flag
// word of the current watermark fields.
void SaveWatermarks(const DEVMODEW& pub, const PrivateSettings& priv, HANDLE printer,
                    const WCHAR* path)
{
    WCHAR printerName[MAX_PATH];
    WatermarkPrinterName(printer, &pub, printerName, MAX_PATH);
    WCHAR storePath[MAX_PATH];
    if (WatermarkStorePath(storePath, MAX_PATH))
        ExportWatermarksToProfile(storePath, printerName, path);
    WriteProfileHex(kKeyWatermark, WatermarkFlagsOf(priv.processor), path);
}

// "UserDefinedPaper": the printer's own paper sizes, written only when the
// printer has at least one. A value too long to be valid is not read.
void SaveCustomPapers(HANDLE printer, const WCHAR* path)
{
    if (!printer)
        return;
    WCHAR stored[kCustomPaperBytes / sizeof(WCHAR) + 1] = {};
    DWORD type = 0;
    DWORD size = 0;
    if (QueryPrinterData(printer, L"CstPaper", &type,
                         reinterpret_cast<BYTE*>(stored), kCustomPaperBytes, &size) != ERROR_SUCCESS)
        return;
    if ((type != REG_BINARY && type != REG_SZ) || size > kCustomPaperBytes)
        return;
    stored[size / sizeof(WCHAR)] = L'\0';     // the value need not be terminated

    ProfileCustomPaperList list;
    if (!DecodeCustomPaperList(stored, &list) || list.count == 0)
        return;
    WCHAR text[kProfileLongValueChars];
    EncodeCustomPaperList(list, text, kProfileLongValueChars);
    WriteProfileText(kKeyUserDefinedPaper, text, path);
}

}  // namespace

// ---------------------------------------------------------------------------
// INI access

BOOL ProfileKeyName(UINT resourceId, BOOL forWriting, WCHAR* key, int capacity)
{
    if (!key || capacity <= 0)
        return FALSE;
    key[0] = L'\0';
    int length = LoadDriverString(resourceId, key, capacity);
    if (length <= 0) {
        key[0] = L'\0';
        return FALSE;
    }
    if (HasSuffix(resourceId, forWriting) &&
        static_cast<size_t>(length) + wcslen(kWindowsSuffix) < static_cast<size_t>(capacity))
        wcscat(key, kWindowsSuffix);
    return TRUE;
}

BOOL ReadProfileValue(const WCHAR* section, UINT resourceId, WCHAR* buffer, const WCHAR* path)
{
    if (!buffer)
        return FALSE;
    buffer[0] = L'\0';
    WCHAR key[kKeyChars];
    if (!section || !path || !ProfileKeyName(resourceId, FALSE, key, kKeyChars))
        return FALSE;
    GetPrivateProfileStringW(section, key, kProfileAbsent, buffer, kProfileValueChars, path);
    if (wcscmp(buffer, kProfileAbsent) == 0) {
        buffer[0] = L'\0';
        return FALSE;
    }
    return TRUE;
}

void WriteProfileDec(UINT resourceId, LONG value, const WCHAR* path)
{
    WCHAR text[16];
    FormatProfileDecimal(value, text, ARRAYSIZE(text));
    WriteProfileText(resourceId, text, path);
}

void WriteProfileHex(UINT resourceId, DWORD value, const WCHAR* path)
{
    WCHAR text[16];
    FormatProfileHex(value, text, ARRAYSIZE(text));
    WriteProfileText(resourceId, text, path);
}

void WriteProfileText(UINT resourceId, const WCHAR* text, const WCHAR* path)
{
    WCHAR key[kKeyChars];
    if (!text || !path || !ProfileKeyName(resourceId, TRUE, key, kKeyChars))
        return;
    WritePrivateProfileStringW(kProfileSettingsSection, key, text, path);
}

void WriteProfileSection(const WCHAR* section, const WCHAR* key, const WCHAR* text,
                         const WCHAR* path)
{
    if (!section || !key || !text || !path)
        return;
    WritePrivateProfileStringW(section, key, text, path);
}

// ---------------------------------------------------------------------------
// Compound values on the record

void FormatGrayLevelValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    EncodeGrayLevel({priv.grayLevelLow, priv.grayLevelHigh}, text, capacity);
}

void ApplyGrayLevelValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileWordPair levels = DecodeGrayLevel(value);
    priv->grayLevelLow = levels.first;
    priv->grayLevelHigh = levels.second;
}

void FormatAccessoriesValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    EncodeAccessories({priv.accessories, priv.accessories2}, text, capacity);
}

void ApplyAccessoriesValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileWordPair words = DecodeAccessories(value);
    priv->accessories = words.first;
    priv->accessories2 = words.second;
}

void FormatCustomSizeValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    EncodeCustomSize({priv.customPaperWidth, priv.customPaperLength, priv.customPaperUnit}, text,
                     capacity);
}

void ApplyCustomSizeValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileCustomSize size = DecodeCustomSize(value);
    priv->customPaperWidth = size.width;
    priv->customPaperLength = size.length;
    priv->customPaperUnit = size.unit;
}

void FormatBiasValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    EncodeBias({priv.biasOn, priv.biasValue}, text, capacity);
}

void ApplyBiasValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileBias bias = DecodeBias(value);
    priv->biasOn = bias.on;
    priv->biasValue = bias.value;
}

void FormatMopyValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    EncodeMopy({priv.mopy, priv.mopyPin}, text, capacity);
}

void ApplyMopyValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileMopy mopy = DecodeMopy(value);
    priv->mopy = mopy.mode;
    priv->mopyPin = mopy.pin;
}

void FormatSleepValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    EncodeSleep({priv.sleepTime, priv.sleepMode}, text, capacity);
}

void ApplySleepValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileSleep sleep = DecodeSleep(value);
    priv->sleepTime = sleep.minutes;
    priv->sleepMode = sleep.mode;
}

static_assert(sizeof(PrivateSettings::macroName) / sizeof(WCHAR) == kMacroNameChars,
              "macro name field");

void FormatMacroValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    ProfileMacro macro = {};
    macro.flags = priv.macroFlags;
    macro.id = priv.macroId;
    macro.count = priv.macroCount;
    wmemcpy(macro.name, priv.macroName, kMacroNameChars);
    EncodeMacro(macro, text, capacity);
}

void ApplyMacroValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileMacro macro = {};
    DecodeMacro(value, &macro);
    priv->macroFlags = macro.flags;
    priv->macroId = macro.id;
    priv->macroCount = macro.count;
    wmemcpy(priv->macroName, macro.name, kMacroNameChars);
}

static_assert(LF_FACESIZE == kFaceNameChars, "face name field");

void FormatHeaderFooterFontValue(const ProcessorBlock& block, WCHAR* text, size_t capacity)
{
    const LOGFONTW& lf = block.headerFooterFont;
    ProfileFont font = {};
    font.height = lf.lfHeight;
    font.width = lf.lfWidth;
    font.escapement = lf.lfEscapement;
    font.orientation = lf.lfOrientation;
    font.weight = lf.lfWeight;
    font.italic = lf.lfItalic;
    font.underline = lf.lfUnderline;
    font.strikeOut = lf.lfStrikeOut;
    font.charSet = lf.lfCharSet;
    font.outPrecision = lf.lfOutPrecision;
    font.clipPrecision = lf.lfClipPrecision;
    font.quality = lf.lfQuality;
    font.pitchAndFamily = lf.lfPitchAndFamily;
    wmemcpy(font.faceName, lf.lfFaceName, kFaceNameChars);
    font.color = block.headerFooterColor;
    font.backColor = block.headerFooterBackColor;
    EncodeFont(font, text, capacity);
}

void ApplyHeaderFooterFontValue(const WCHAR* value, ProcessorBlock* block)
{
    ProfileFont font = {};
    DecodeFont(value, &font);
    LOGFONTW& lf = block->headerFooterFont;
    lf.lfHeight = font.height;
    lf.lfWidth = font.width;
    lf.lfEscapement = font.escapement;
    lf.lfOrientation = font.orientation;
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeOut;
    lf.lfCharSet = font.charSet;
    lf.lfOutPrecision = font.outPrecision;
    lf.lfClipPrecision = font.clipPrecision;
    lf.lfQuality = font.quality;
    lf.lfPitchAndFamily = font.pitchAndFamily;
    wmemcpy(lf.lfFaceName, font.faceName, kFaceNameChars);
    block->headerFooterColor = font.color;
    block->headerFooterBackColor = font.backColor;
}

static_assert(sizeof(PrivateSettings::trayPaper) / sizeof(TrayPaperEntry) == kTrayPaperEntries,
              "tray paper table");

void FormatTraysPaperValue(const PrivateSettings& priv, WCHAR* text, size_t capacity)
{
    ProfileTrayPaper table[kTrayPaperEntries];
    for (size_t i = 0; i < kTrayPaperEntries; ++i)
        table[i] = {priv.trayPaper[i].paper, priv.trayPaper[i].trayId};
    EncodeTraysPaper(table, text, capacity);
}

void ApplyTraysPaperValue(const WCHAR* value, PrivateSettings* priv)
{
    ProfileTrayPaper table[kTrayPaperEntries];
    for (size_t i = 0; i < kTrayPaperEntries; ++i)
        table[i] = {priv->trayPaper[i].paper, priv->trayPaper[i].trayId};
    DecodeTraysPaper(value, priv->modelTrays, table);
    for (size_t i = 0; i < kTrayPaperEntries; ++i) {
        priv->trayPaper[i].paper = table[i].paper;
        priv->trayPaper[i].trayId = table[i].trayId;
    }
}

DWORD WatermarkFlagsOf(const ProcessorBlock& block)
{
    ProfileWatermarkSwitches switches = {};
    switches.on = block.watermark.on ? 1 : 0;
    switches.rop = block.watermarkRop;
    switches.outline = block.watermarkOutline ? 1 : 0;
    switches.pages = block.watermarkPages;
    return WatermarkFlagsToProfile(switches);
}

void ApplyWatermarkValue(const WCHAR* value, ProcessorBlock* block)
{
    ProfileWatermarkSwitches switches =
        value ? WatermarkFlagsFromProfile(ProfileHex(value)) : kWatermarkSwitchesAbsent;
    block->watermark.on = switches.on;
    block->watermarkRop = switches.rop;
    block->watermarkOutline = switches.outline;
    block->watermarkPages = switches.pages;
}

// ---------------------------------------------------------------------------
// The save

BOOL IsSaveSettingRequested(const WCHAR* profilePath)
{
    if (!profilePath)
        return FALSE;
    WCHAR value[kProfileValueChars];
    GetPrivateProfileStringW(kProfileSettingsSection, kSaveSettingKey, kProfileAbsent, value,
                             kProfileValueChars, profilePath);
    return wcscmp(value, kProfileAbsent) != 0 && ProfileDecimal(value) != 0;
}

BOOL SaveSettingsToProfile(const DEVMODEW* pub, const PrivateSettings* priv, HANDLE printer,
                          const WCHAR* profilePath, const WCHAR* requestText)
{
    if (!pub || !priv || !profilePath)
        return FALSE;
    if (ProfileDecimal(requestText) == 0)
        return TRUE;

    const WCHAR* path = profilePath;
    const ProcessorBlock& block = priv->processor;
    const DWORD render = priv->renderFlags;
    WCHAR text[kProfileValueChars];

    // Paper and layout. The user-defined size is kept in its own section
    // under the paper's name, so that several named sizes can live side by
    // side; without a name there is nothing to key it by.
    WriteProfileDec(kKeyPaper, pub->dmPaperSize, path);
    WCHAR paperName[kUserNameChars + 1];
    CopyField(paperName, priv->customPaperName, ARRAYSIZE(priv->customPaperName), kUserNameChars);
    WriteProfileText(kKeyUserName, paperName, path);
    if (paperName[0]) {
        FormatCustomSizeValue(*priv, text, ARRAYSIZE(text));
        WriteProfileSection(kProfilePaperSection, paperName, text, path);
    }
    WriteProfileHex(kKeyOrientation, static_cast<WORD>(pub->dmOrientation), path);
    WriteProfileDec(kKeyCollate, priv->collate, path);
    WriteProfileDec(kKeyCopies, pub->dmCopies, path);
    WriteProfileHex(kKeyMediaType, priv->mediaType, path);
    WriteProfileDec(kKeyMultiPage, priv->multiPage, path);
    WriteProfileDec(kKeyPageOrder, block.pageOrder, path);
    WriteProfileDec(kKeyMultiLine, block.multiLine, path);
    WriteProfileDec(kKeyTray, priv->tray, path);
    WriteProfileDec(kKeyAnotherTray, priv->anotherTray, path);
    WriteProfileDec(kKeyTraySeparateMode, priv->traySeparateMode, path);

    // Resolution and rendering.
    WriteProfileDec(kKeyResolution, pub->dmPrintQuality, path);
    WriteProfileDec(kKeyResExt, priv->resExt, path);
    WriteProfileDec(kKeyEconomy, priv->economy, path);
    WriteProfileHex(kKeyDefaultSet, priv->defaultSet, path);
    WriteProfileDec(kKeyImproveGray, FlagToProfile(render, kRenderImproveGray), path);
    WriteProfileDec(kKeyBrushPattern, FlagToProfile(render, kRenderBrushPattern), path);
    WriteProfileDec(kKeyPrinterFonts, FlagToProfile(render, kRenderPrinterFonts), path);
    WriteProfileDec(kKeyRasterMode, RasterModeToProfile(render), path);
    FormatGrayLevelValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeyGrayLevel, text, path);
    WriteProfileDec(kKeyDitherType, DitherTypeToProfile(render), path);

    // Duplex and binding.
    WriteProfileHex(kKeyDuplex, DuplexToProfile(priv->duplex), path);
    WriteProfileHex(kKeyBind, priv->bindFlags, path);
    WriteProfileDec(kKeyBindingOffset, priv->bindingOffset, path);
    WriteProfileDec(kKeyBooklet, priv->booklet, path);
    WriteProfileDec(kKeyBookletMultiPage, priv->bookletMultiPage, path);

    SaveWatermarks(*pub, *priv, printer, path);

    // Scaling.
    WriteProfileDec(kKeyFitPaperSize, static_cast<SHORT>(priv->fitPaperSize), path);
    WriteProfileHex(kKeyScaling, priv->scaling, path);
    WriteProfileDec(kKeyScalingSize, priv->scalingSize, path);
    WriteProfileDec(kKeyScaleFlag, priv->scaleFlag, path);
    WriteProfileHex(kKeyImageProcess, priv->imageProcess, path);

    // Job options.
    FormatMopyValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeyMopy, text, path);
    WriteBoundedText(kKeyMopyUser, priv->mopyUser, ARRAYSIZE(priv->mopyUser), kMopyUserChars, path);
    WriteBoundedText(kKeyMopyJob, priv->mopyJob, ARRAYSIZE(priv->mopyJob), kMopyJobChars, path);
    if (printer)
        SyncQuickSetupAfterApply(printer, pub, priv);
    WriteProfileDec(kKeyQuickPrintSetup, priv->qps, path);
    FormatSleepValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeySleep, text, path);
    WriteProfileDec(kKeyStatusMonitor, priv->statusMonitor, path);
    FormatMacroValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeyMacro, text, path);
    WriteProfileDec(kKeyPageProtect, PageProtectToProfile(priv->pageProtect), path);
    WriteProfileHex(kKeyHeaderFooterFlag, block.headerFooterFlags, path);
    WriteProfileHex(kKeyIdWatermark, block.idWatermark, path);
    WriteBoundedText(kKeyIdWatermarkName, block.idWatermarkName, ARRAYSIZE(block.idWatermarkName),
                     kIdWatermarkNameChars, path);
    FormatHeaderFooterFontValue(block, text, ARRAYSIZE(text));
    WriteProfileText(kKeyHeaderFooterFont, text, path);
    FormatBiasValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeyBias, text, path);
    WriteProfileDec(kKeyRet, priv->ret, path);
    WriteProfileDec(kKeyErrorPrint, priv->errorPrint, path);
    WriteProfileDec(kKeyReducePaperCurl, FlagToProfile(priv->paperHandling, kPaperReduceCurl), path);
    WriteProfileDec(kKeyImproveFixing, FlagToProfile(priv->paperHandling, kPaperImproveFixing),
                    path);

    // Accessories and trays.
    FormatAccessoriesValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeyAccessories, text, path);
    FormatTraysPaperValue(*priv, text, ARRAYSIZE(text));
    WriteProfileText(kKeyTraysPaper, text, path);
    WriteProfileDec(kKeyDefaultSource, priv->undefinedSourceTray, path);
    WriteProfileDec(kKeyRamDisk, priv->ramDisk, path);
    WriteProfileDec(kKeyRamDiskSize, priv->ramDiskSize, path);

    SaveCustomPapers(printer, path);

    // The request is served: the next confirmed sheet does not save again.
    WriteProfileSection(kProfileSettingsSection, kSaveSettingKey, L"0", path);
    return TRUE;
}
