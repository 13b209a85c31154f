// What the Advanced page's files share: control ids, the page's state and
// the category modules' entry points. Each category module loads its
// controls from the session's DEVMODE, reacts to its commands and restores
// its defaults; advanced_page.cpp dispatches to them.
#pragma once

#include "core/ui_session.h"
#include "ui/advanced_rules.h"
#include "ui/sheet_pages.h"

#include <windows.h>

#include <cstddef>

enum AdvancedControl : WORD {
    kIdDefault = 16,
    kIdFirstCategoryButton = 194,   // buttons 1..6: 194..199
    // Print quality
    kIdQualityLabel = 236, kIdQualityPicture = 237,
    kIdResolution1200 = 239, kIdResolution600 = 241, kIdResolution300 = 242,
    kIdTonerSaveGroup = 244, kIdTonerSaveOff = 245, kIdTonerSaveOn = 246,
    kIdPrintSettingManual = 249, kIdPrintSettingOffice = 252, kIdManualSetting = 253,
    // Duplex
    kIdDuplexPicture = 260, kIdDuplex = 261, kIdDuplexUnit = 262, kIdManualDuplex = 263,
    kIdDuplexTypeFirst = 266, kIdDuplexTypeLast = 271,
    kIdBindingOffset = 273, kIdBindingOffsetEdit = 274, kIdBindingMillimetres = 276,
    kIdBindingInches = 277, kIdBindingRange = 278, kIdBooklet = 284,
    // Watermark
    kIdWatermarkPreview = 288, kIdUseWatermark = 290, kIdTransparent = 291, kIdWatermarkList = 293,
    kIdWatermarkEdit = 294, kIdWatermarkDelete = 295, kIdWatermarkNew = 296, kIdOutlineText = 302,
    kIdCustomPageGroup = 304, kIdCustomPageLabel = 306, kIdCustomPageDelete = 308, kIdCustomPageAdd = 311,
    kIdCustomPage = 312, kIdCustomPageWatermark = 313, kIdWatermarkPages = 314,
    // Page setting
    kIdScalingPicture = 205, kIdOutputSizeName = 207, kIdScalingGroup = 210, kIdScalingOff = 211,
    kIdScalingFitPaper = 212, kIdScalingFree = 213, kIdScalingPrintable = 214, kIdOutputSize = 216,
    kIdScalingSize = 218, kIdScalingSpin = 219, kIdMirror = 222, kIdReverse = 231,
    // Device options
    kIdFunctionLabel = 316, kIdFunctionList = 317,
    kIdPageProtect = 320, kIdPrinterMemory = 322,
    kIdSleepAuto = 325, kIdSleepOff = 327, kIdSleepManual = 328, kIdSleepTime = 329,
    kIdSleepSpin = 330, kIdSleepGroup = 324,
    kIdQuickSetupItems = 351, kIdMacroSetting = 347,
    kIdSpoolGroup = 365, kIdReprint = 366, kIdLastJobReprint = 367, kIdSecurePrint = 368,
    kIdPublic = 369, kIdProof = 370, kIdUserName = 372, kIdSystemName = 373, kIdJobName = 375,
    kIdPasswordLabel = 377, kIdPassword = 378, kIdSpoolHelp = 384,
    kIdHeaderFooterSetting = 383, kIdHrc = 386, kIdBanding = 391, kIdPosterBanding = 393,
    kIdTransferGroup = 358, kIdTransferDefault = 359, kIdTransferMode4 = 363,
    kIdDensityDefault = 408, kIdDensityValue = 413, kIdDensityBar = 414,
    kIdXpsAdjust = 1053, kIdXpsAlignment = 1055, kIdXpsOffsetX = 1058, kIdXpsOffsetY = 1060,
    kIdXpsMemory = 1062, kIdXpsHalftone = 1064,
};

// The page's own state, on the session heap from WM_INITDIALOG to
// WM_DESTROY.
struct AdvancedState {
    CategoryTable categories;
    int button;                    // index of the current category's button
    WORD function;                 // current printer function code
    WORD functions[kMaxFunctions];
    int functionCount;
    HBRUSH brush;
    int hoveredButton;             // -1 when none
    BOOL loading;                  // controls are being filled: their notifications are ours
    LONG bindingTenths;            // the last valid binding offset
    BOOL secureAppOnly;            // secure printing is started by applications only
};

AdvancedState* AdvancedStateOf(HWND page);
UiSession* AdvancedSessionOf(HWND page);
inline AdvancedCategory CurrentCategory(const AdvancedState* state)
{
    return static_cast<AdvancedCategory>(state->categories.kinds[state->button]);
}
bool HasPermission(const UiSession* session);

// Message box over the page, text and title from the language module
// (title from a control's label when titleControl is non-zero).
int AdvancedMessage(HWND page, UiSession* session, UINT textId, UINT titleId, UINT type);
int AdvancedMessageTitledBy(HWND page, UiSession* session, UINT textId, WORD titleControl, UINT type);

// Simple controls: one row per control, the DEVMODE bits it edits.
// Loads every row's control of the category from the DEVMODE.
void LoadCategoryRows(HWND page, UiSession* session, AdvancedCategory category);
// Stores a clicked row control; false when id is no row.
bool StoreRowControl(HWND page, UiSession* session, WORD id);
// Copies the bits the rows of category edit from defaults.
void CopyCategoryRowFields(DriverDevmode* target, const DriverDevmode& defaults, AdvancedCategory category);
// Selects the combo entry whose data is the field's value; stores the
// selection on CBN_SELCHANGE. false when id is no combo row.
bool StoreComboRow(HWND page, UiSession* session, WORD id);

// Category modules.
void InitQuality(HWND page, UiSession* session);
void RefreshQuality(HWND page, UiSession* session);
void OnQualityCommand(HWND page, UiSession* session, WORD id);
void ResetQualityDefaults(UiSession* session, const DriverDevmode& defaults);

void InitDuplex(HWND page, UiSession* session, AdvancedState* state);
void RefreshDuplex(HWND page, UiSession* session, AdvancedState* state);
void OnDuplexCommand(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code);
void ResetDuplexDefaults(HWND page, UiSession* session, const DriverDevmode& defaults);
void StoreBindingOffset(HWND page, UiSession* session, AdvancedState* state);

void InitPageSetting(HWND page, UiSession* session);
void RefreshPageSetting(HWND page, UiSession* session);
void OnPageSettingCommand(HWND page, UiSession* session, WORD id, WORD code);
void ResetPageSettingDefaults(UiSession* session, const DriverDevmode& defaults);
void OnScalingSpin(HWND page, UiSession* session, short position);

void InitWatermark(HWND page, UiSession* session);
void RefreshWatermark(HWND page, UiSession* session);
void OnWatermarkCommand(HWND page, UiSession* session, WORD id, WORD code);
void ResetWatermarkDefaults(HWND page, UiSession* session, const DriverDevmode& defaults);

void InitDeviceOptions(HWND page, UiSession* session, AdvancedState* state);
void FillFunctionList(HWND page, UiSession* session, AdvancedState* state);
void ShowCurrentFunction(HWND page, UiSession* session, AdvancedState* state);
void OnDeviceOptionCommand(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code);
void OnSleepSpin(HWND page, UiSession* session, short position);
void OnDensityScroll(HWND page, UiSession* session, WORD code, short position);
// A double click on the page itself (not on a control), in page client
// coordinates.
void OnDeviceOptionDoubleClick(HWND page, UiSession* session, AdvancedState* state, POINT point, WPARAM keys);
void ResetDeviceOptionDefaults(HWND page, UiSession* session, AdvancedState* state,
                               const DriverDevmode& defaults);
// The secure-print password and the own names; false (after telling the
// user and focusing the control) when the page must not be left.
bool CheckSecurePin(HWND page, UiSession* session);
bool CheckOwnNames(HWND page, UiSession* session);
void StoreSecurePin(HWND page, UiSession* session);
void StoreSpoolNames(HWND page, UiSession* session);

// Paints the page's illustrations (quality, duplex, scaling, watermark);
// FALSE for any other owner-drawn control.
BOOL DrawAdvancedPicture(const UiSession* session, const DRAWITEMSTRUCT* item);

// Showing and hiding the categories' controls.
void ShowCategoryControls(HWND page, AdvancedState* state);
void ShowControls(HWND page, WORD first, WORD last, bool show);
void EnableControl(HWND page, WORD id, bool enable);
void SelectFunction(HWND page, UiSession* session, AdvancedState* state, WORD code);
bool SwitchCategory(HWND page, UiSession* session, AdvancedState* state, int button);

// PSN_APPLY; FALSE when the page refuses.
BOOL ApplyAdvancedPage(HWND page, UiSession* session, AdvancedState* state);
// The machine-wide XPS settings file (capacity at least MAX_PATH), its
// folders created when asked; false when no folder is known.
bool XpsSettingsPath(WCHAR* path, size_t capacity, bool createFolders);

// The Basic page, reached through its window when it exists.
enum BasicControl : WORD {
    kBasicSummary = 164, kBasicPaper = 170, kBasicMultiPage = 172, kBasicBorderLine = 174,
    kBasicOtherPages = 189, kBasicPageOrder = 193,
};
// Multiple Page only without booklet; Page Order and Border Line only
// with more than one page per sheet as well.
void EnableBasicMultiPage(UiSession* session);
// Selects the Basic page's Multiple Page entry by position.
void SelectBasicMultiPage(UiSession* session, int entry);
// A paper change made here: the DEVMODE and the Basic page's combo.
void SetDocumentPaper(UiSession* session, short paper);
// Booklet off: pages per sheet as before booklet, the Basic page to match.
void AdvancedTurnBookletOff(HWND page, UiSession* session);
// Papers the duplex unit takes.
bool DuplexUnitTakes(short paper);
