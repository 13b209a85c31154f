// The settings profile: an INI file beside the driver that holds default
// settings in text form, read when defaults are built and rewritten, on
// request, with the settings the user confirmed.
//
// Key names are string resources of the language module, so a translated
// module may rename them. The value formats are in profile_text.h; this
// module adds the INI access, the mapping of the compound values onto the
// DriverDevmode fields and the save.
#pragma once

#include "settings/driver_devmode.h"
#include "settings/profile_text.h"

#include <windows.h>

// String resources naming the keys of section "Default Setting".
enum ProfileKey : UINT {
    kKeyPaper            = 4000,    // stored as "<key>_NT"
    kKeyUserName         = 4001,
    kKeyTray             = 4002,
    kKeyAnotherTray      = 4003,
    kKeyCopies           = 4004,
    kKeyOrientation      = 4005,
    kKeyMediaType        = 4006,
    kKeyMultiPage        = 4007,
    kKeyMultiLine        = 4008,
    kKeyCollate          = 4009,
    kKeyDefaultSet       = 4010,
    kKeyResolution       = 4012,
    kKeyResExt           = 4013,
    kKeyEconomy          = 4014,
    kKeyBind             = 4015,
    kKeyBindingOffset    = 4016,
    kKeyDuplex           = 4017,
    kKeyWatermark        = 4018,
    kKeyScaling          = 4019,
    kKeyImageProcess     = 4020,
    kKeyScalingSize      = 4021,
    kKeyFitPaperSize     = 4022,    // stored as "<key>_NT"
    kKeyMopy             = 4023,
    kKeyMopyJob          = 4024,
    kKeyMopyUser         = 4025,
    kKeyQuickPrintSetup  = 4026,
    kKeySleep            = 4027,
    kKeyStatusMonitor    = 4028,
    kKeyMacro            = 4029,
    kKeyPageProtect      = 4031,
    kKeyHeaderFooterFlag = 4032,
    kKeyHeaderFooterFont = 4033,    // stored as "<key>_NT"
    kKeyAccessories      = 4036,
    kKeyTraysPaper       = 4037,    // stored as "<key>_NT"
    kKeyTowersPaper      = 4038,    // written as "<key>_NT", read without
    kKeyGrayLevel        = 4039,
    kKeyDitherType       = 4041,
    kKeyRet              = 4043,
    kKeyRasterMode       = 4045,
    kKeyPrinterFonts     = 4046,
    kKeyBias             = 4049,
    kKeyBooklet          = 4052,
    kKeyBookletMultiPage = 4054,
    kKeyTraySeparateMode = 4055,
    kKeyRamDisk          = 4059,
    kKeyErrorPrint       = 4061,
    kKeyImproveGray      = 4062,
    kKeyBrushPattern     = 4064,
    kKeyDefaultSource    = 4065,    // stored as "<key>_NT"
    kKeyPageOrder        = 4066,
    kKeyRamDiskSize      = 4068,
    kKeyReducePaperCurl  = 4070,
    kKeyImproveFixing    = 4071,
    kKeyScaleFlag        = 4072,
    kKeyIdWatermark      = 4073,
    kKeyIdWatermarkName  = 4074,
    kKeyUserDefinedPaper = 4075,
};

extern const WCHAR kProfileSettingsSection[];   // "Default Setting"
extern const WCHAR kProfilePaperSection[];      // "Default Paper"
extern const WCHAR kProfileWatermarkSection[];  // "Default WMark"
extern const WCHAR kProfileQpsSection[];        // "Default QPS"
extern const WCHAR kProfileAbsent[];            // read default that marks a missing key
extern const WCHAR kSaveSettingKey[];           // "SaveSetting", not translated

// Longest value the save writes ("UserDefinedPaper"), terminator included.
constexpr size_t kProfileLongValueChars = kCustomPaperListChars;

// ---------------------------------------------------------------------------
// INI access

// The key of a resource: its string, with "_NT" for the keys stored that
// way (on writing, one more key has it). FALSE when the string is missing.
BOOL ProfileKeyName(UINT resourceId, BOOL forWriting, WCHAR* key, int capacity);

// Reads the key of resourceId in section into buffer, which holds
// kProfileValueChars characters. Returns TRUE when the key is present (an
// empty value counts as present); otherwise buffer is empty.
BOOL ReadProfileValue(const WCHAR* section, UINT resourceId, WCHAR* buffer, const WCHAR* path);

// Write under the key of resourceId in "Default Setting": "%d", "x%04x" or
// the text as it is. A key whose string is missing is not written; failed
// writes are ignored.
void WriteProfileDec(UINT resourceId, LONG value, const WCHAR* path);
void WriteProfileHex(UINT resourceId, DWORD value, const WCHAR* path);
void WriteProfileText(UINT resourceId, const WCHAR* text, const WCHAR* path);

// Writes a key of any section.
void WriteProfileSection(const WCHAR* section, const WCHAR* key, const WCHAR* text,
                         const WCHAR* path);

// ---------------------------------------------------------------------------
// Compound values on the record. Format writes the value text of the key
// (kProfileValueChars is enough for each); Apply stores a value read from
// the profile into the fields the key carries.

void FormatGrayLevelValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyGrayLevelValue(const WCHAR* value, PrivateSettings* priv);

void FormatAccessoriesValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyAccessoriesValue(const WCHAR* value, PrivateSettings* priv);

// The "Default Paper" entry kept under the user-defined paper's name.
void FormatCustomSizeValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyCustomSizeValue(const WCHAR* value, PrivateSettings* priv);

void FormatBiasValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyBiasValue(const WCHAR* value, PrivateSettings* priv);

void FormatMopyValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyMopyValue(const WCHAR* value, PrivateSettings* priv);

void FormatSleepValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplySleepValue(const WCHAR* value, PrivateSettings* priv);

void FormatMacroValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyMacroValue(const WCHAR* value, PrivateSettings* priv);

void FormatHeaderFooterFontValue(const ProcessorBlock& block, WCHAR* text, size_t capacity);
void ApplyHeaderFooterFontValue(const WCHAR* value, ProcessorBlock* block);

// Tray ids are taken according to the record's modelTrays.
void FormatTraysPaperValue(const PrivateSettings& priv, WCHAR* text, size_t capacity);
void ApplyTraysPaperValue(const WCHAR* value, PrivateSettings* priv);

// "WMark" as the flag word of the watermark fields. Apply with a null value
// sets what a profile without the key means.
DWORD WatermarkFlagsOf(const ProcessorBlock& block);
void ApplyWatermarkValue(const WCHAR* value, ProcessorBlock* block);

// ---------------------------------------------------------------------------
// The save

// TRUE when "SaveSetting" of "Default Setting" is present and not 0.
BOOL IsSaveSettingRequested(const WCHAR* profilePath);

// Writes the settings of pub and priv into the profile as its new defaults,
// key by key, together with the printer's watermarks and its own paper
// sizes, and finally clears "SaveSetting". Does nothing when requestText reads as
// 0 (or is null). printer may be null: the watermark sections are then
// found by dmDeviceName and no paper sizes are written. With a printer the
// quick-setup monitor's file follows the settings too. Returns TRUE, or FALSE for
// missing arguments; INI writes that fail are not reported.
BOOL SaveSettingsToProfile(const DEVMODEW* pub, const PrivateSettings* priv, HANDLE printer,
                          const WCHAR* profilePath, const WCHAR* requestText);
