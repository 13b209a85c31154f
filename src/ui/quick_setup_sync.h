// The quick-setup monitor keeps a few settings of each printer (paper
// source, media type, pages per sheet, duplex, toner save) in its own INI
// file, so that the user can change them outside the applications. The
// driver keeps that file and its own settings in step both ways: applied
// settings are written into the file, and a new settings session takes the
// choices the user made in the monitor.
#pragma once

#include "core/model_context.h"
#include "settings/driver_devmode.h"

#include <windows.h>

// Quick-setup items and their bits in the item mask.
constexpr DWORD kQuickSetupPaperSource = 0x001;   // item 1
constexpr DWORD kQuickSetupMediaType   = 0x002;   // item 2
constexpr DWORD kQuickSetupMultiPage   = 0x100;   // item 10
constexpr DWORD kQuickSetupDuplex      = 0x200;   // item 11
constexpr DWORD kQuickSetupTonerSave   = 0x400;   // item 12
constexpr DWORD kQuickSetupEveryItem   = 0xFFFFFFFF;

extern const WCHAR kQuickSetupSection[];   // "KVQSMON"

// The item mask of an item list such as "1,10,12"; items the driver does
// not know are left out.
DWORD QuickSetupItemMask(const WCHAR* items);

// The monitor as the driver finds it.
struct QuickSetupMonitor {
    WCHAR iniPath[MAX_PATH];    // its file, by full path
    BOOL installed;
    // Starts the monitor or tells the running one of the settings; null
    // when there is nothing to start.
    UINT (*launch)(const PrivateSettings* settings);
};

// Where the monitor and its file are. A monitor whose version is not known
// to read the per-user file keeps "kvqsmon.ini" in the Windows directory.
void LocateQuickSetupMonitor(QuickSetupMonitor* monitor);

// What the file says about the printer besides its settings.
struct QuickSetupPrinter {
    const WCHAR* iniPath;        // the monitor's file
    const WCHAR* printerName;    // its section
    const WCHAR* modelName;      // the driver data file's name, extension "INI"
    const WCHAR* modelDataPath;  // the model's quick-setup data, or null
    const WCHAR* language;       // the language module's short name
};

// Brings the file up to date with applied settings: this printer as the
// last one applied, with its model and language; the printer's items
// (taken from the model's quick-setup data when its section has none); the
// value of each item. Each entry is written only when it differs. Leaves
// the file alone when quick setup is off.
void WriteQuickSetupSettings(const QuickSetupPrinter& printer, const DEVMODEW* pub,
                             const PrivateSettings* priv);

// Takes the values of the printer's items from the file into a record:
// pages per sheet, toner save, media type, the duplex bits and, when the
// monitor chose one, the paper source (the automatic source when the model
// lacks it). Then recomputes the derived fields. The file's record of the
// last printer, model and language is brought up to date first. Quick
// setup off, a missing file or one that names no last printer leave the
// record and the file alone.
void ReadQuickSetupSettings(const QuickSetupPrinter& printer, const ModelContext* model,
                            DriverDevmode* dm);

// After settings were applied for printer: the file is brought up to date
// and the monitor started or notified.
void SyncQuickSetupAfterApply(HANDLE printer, const DEVMODEW* pub, const PrivateSettings* priv);

// When a settings session opens: the monitor's choices for printer are
// taken into the session's record and the monitor started or notified.
void ApplyStoredQuickSetup(HANDLE printer, const ModelContext* model, DriverDevmode* dm);
