// The Tray Settings page: which paper each tray holds, the installed
// options and memory, the printer's serial number, and the automatic
// detection of all of these through the remote-setup tool. It is the
// driver's page of the printer's own sheet and, when the model's profile
// enables it, a page of the document sheet.
#pragma once

#include <windows.h>

// Controls of the page.
enum TraySettingsControl : WORD {
    kIdTrayDefault = 16,
    kIdTrayFrame = 447,
    kIdTrayPicture = 448,
    kIdAvailableOptions = 454,
    kIdInstalledOptions = 455,
    kIdAutoDetect = 456,
    kIdAddOption = 457,
    kIdRemoveOption = 458,
    kIdTrayList = 463,
    kIdTrayPaper = 466,
    kIdDefaultSource = 467,
    kIdUpdateTray = 468,
    kIdSerialGroup = 469,
    kIdMemoryLabel = 470,
    kIdMemory = 471,
    kIdMemorySpin = 472,
    kIdRamDisk = 473,
    kIdRamDiskSize = 474,
    kIdRamDiskSpin = 475,
    kIdRamDiskUnit = 476,
    kIdSerialNumber = 477,
};

// What the serial number shows after a detection that got no answer.
extern const WCHAR kUnknownSerialNumber[];   // "---------"

INT_PTR CALLBACK TraySettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
