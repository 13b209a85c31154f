// Help for the pages and dialogs: HTML Help topics of the driver's help
// file, by context id. Every page and dialog keeps a zero-terminated table
// of (control id, context id) pairs for its controls; the context ids and
// the topics they open are defined here, once for all pages.
#pragma once

#include "core/ui_session.h"

#include <windows.h>

struct ControlHelp {
    DWORD controlId;
    DWORD contextId;
};

// Context ids. Page and category contexts first, then the controls'.
enum HelpContext : DWORD {
    kHelpBasicPage = 4096,
    kHelpBasicPageNoTrays = 272,       // has no topic: the page without trays
    kHelpBasicPaperSize = 37120,
    kHelpBasicPaperSizeNoTrays = 304,
    kHelpBasicMultiplePage = 4097,
    kHelpBasicPageOrder = 4098,
    kHelpBasicBorderLine = 4099,
    kHelpBasicOrientation = 4100,
    kHelpBasicCopies = 4101,
    kHelpBasicCollate = 4102,
    kHelpBasicMediaType = 4103,
    kHelpBasicFirstPage = 4104,
    kHelpBasicOtherPages = 4105,
    kHelpBasicPreview = 4106,
    kHelpUserDefinedSize = 4107,
    kHelpDefaultButton = 4108,
    kHelpAboutButton = 4109,

    kHelpPageSetting = 8448,
    kHelpScaling = 8449,
    kHelpMirrorReverse = 8450,
    kHelpFitToPaperSize = 8451,
    kHelpPrintQuality = 8704,
    kHelpResolution = 8705,
    kHelpTonerSave = 8706,
    kHelpPrintSetting = 8707,
    kHelpManualSetting = 8768,
    kHelpDuplex = 8960,
    kHelpBooklet = 8961,
    kHelpDuplexType = 8962,
    kHelpBindingOffset = 8963,
    kHelpWatermark = 9216,
    kHelpWatermarkList = 9217,
    kHelpWatermarkPages = 9218,
    kHelpWatermarkEditor = 9232,
    kHelpDeviceOptions = 9472,
    kHelpJobSpooling = 9473,
    kHelpQuickPrintSetup = 9474,
    kHelpSleepTime = 9475,
    kHelpStatusMonitor = 9476,
    kHelpMacro = 9477,
    kHelpPageProtection = 9478,
    kHelpHeaderFooter = 9479,
    kHelpDensity = 9480,
    kHelpHrc = 9481,
    kHelpErrorPrintout = 9482,
    kHelpImproveOutput = 9483,
    kHelpXpsSetting = 9484,
    kHelpMacroSetting = 9553,
    kHelpHeaderFooterSetting = 9554,
    kHelpQuickSetupItems = 9555,
    kHelpDestination = 9728,

    kHelpTraySettings = 12288,
    kHelpTrayPaperSource = 12289,
    kHelpTrayAutoDetect = 12290,
    kHelpTrayMemory = 12291,
    kHelpTraySerialNumber = 12292,
    kHelpSupport = 16384,
    kHelpSupportLinks = 16385,
    kHelpSupportSummary = 16386,
};

// The topic path of a context id ("html/...", with an optional anchor),
// null for a context without a topic.
const WCHAR* HelpTopicOf(DWORD contextId);

// Opens the topic of contextId in the help window of the page or dialog
// (PSN_HELP and Help buttons). FALSE when there is no topic, no help file
// or HTML Help cannot be loaded.
BOOL ShowHelpTopic(UiSession* session, HWND owner, DWORD contextId);

// WM_HELP and WM_CONTEXTMENU for a page or dialog with the control table
// table: TRUE when the message was one of them (it is then answered), FALSE
// for every other message.
BOOL HandleContextHelp(UiSession* session, HWND dialog, UINT message, WPARAM wParam,
                       LPARAM lParam, const ControlHelp* table);

// Closes every help window of the process (PSN_RESET, WM_DESTROY) when the
// session opened one.
void CloseHelpWindows(UiSession* session);
