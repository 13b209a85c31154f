// The Advanced page's Print Quality category: resolution, toner save and
// the print setting with its manual quality settings.
#include "ui/advanced_page_internal.h"

#include "settings/devmode_bits.h"
#include "ui/setting_dialogs.h"
#include "ui/sheet_session.h"

namespace {

const DWORD kFeaturesHighQuality = 0x00070000;   // modelFeatures: the 1200 mode exists

WORD ResolutionRadio(short printQuality)
{
    switch (printQuality) {
    case kTrue1200Dpi: return kIdResolution1200;
    case 300: return kIdResolution300;
    default: return kIdResolution600;
    }
}

// Static 236 names the chosen resolution as its radio does, without the
// mnemonic.
void ShowResolutionName(HWND page, const UiSession* session)
{
    WCHAR label[64], name[64];
    GetDlgItemTextW(page, ResolutionRadio(session->devmode.pub.dmPrintQuality), label, ARRAYSIZE(label));
    StripAccelerators(label, name, ARRAYSIZE(name));
    SetDlgItemTextW(page, kIdQualityLabel, name);
    InvalidateRect(GetDlgItem(page, kIdQualityPicture), nullptr, TRUE);
}

// The manual settings dialog edits the record in place; Cancel puts back
// what it may have changed.
void RunManualSetting(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    const DWORD renderFlags = priv.renderFlags;
    const WORD low = priv.grayLevelLow, high = priv.grayLevelHigh;
    if (RunManualSettingDialog(page, session) == IDOK)
        return;
    priv.renderFlags = renderFlags;
    priv.grayLevelLow = low;
    priv.grayLevelHigh = high;
}

} // namespace

void InitQuality(HWND page, UiSession* session)
{
    LoadCategoryRows(page, session, kCategoryQuality);
    ShowResolutionName(page, session);
}

void RefreshQuality(HWND page, UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    const bool permitted = HasPermission(session);
    if (!(priv.modelFeatures & kFeaturesHighQuality)) {
        ShowWindow(GetDlgItem(page, kIdResolution1200), SW_HIDE);
        EnableControl(page, kIdResolution1200, false);
    }
    const bool tonerSave = permitted && session->devmode.pub.dmPrintQuality != kTrue1200Dpi;
    for (WORD id = kIdTonerSaveGroup; id <= kIdTonerSaveOn; ++id)
        EnableControl(page, id, tonerSave);
    EnableControl(page, kIdManualSetting, permitted && priv.defaultSet == 0);
    ShowResolutionName(page, session);
}

void OnQualityCommand(HWND page, UiSession* session, WORD id)
{
    if (id == kIdManualSetting) {
        RunManualSetting(page, session);
        return;
    }
    if (id == kIdResolution1200 || id == kIdResolution600 || id == kIdResolution300) {
        DEVMODEW& pub = session->devmode.pub;
        session->devmode.priv.resExt = ResExtOfPrintQuality(pub.dmPrintQuality);
        pub.dmYResolution = pub.dmPrintQuality;
    }
    RefreshQuality(page, session);
}

void ResetQualityDefaults(UiSession* session, const DriverDevmode& defaults)
{
    DEVMODEW& pub = session->devmode.pub;
    PrivateSettings& priv = session->devmode.priv;
    CopyCategoryRowFields(&session->devmode, defaults, kCategoryQuality);
    pub.dmYResolution = defaults.pub.dmYResolution;
    priv.resExt = defaults.priv.resExt;
    priv.resolutionFlags = defaults.priv.resolutionFlags;
    priv.renderFlags = defaults.priv.renderFlags;
    priv.grayLevelLow = defaults.priv.grayLevelLow;
    priv.grayLevelHigh = defaults.priv.grayLevelHigh;
}
