// The programs the driver package ships besides this module: the version
// record kept per user, the tests whether they are installed and recent
// enough, their launches, and the file versions of the package.
#pragma once

#include "core/ui_session.h"
#include "settings/driver_devmode.h"

#include <windows.h>

extern const WCHAR kQuickSetupMonitorFile[];   // "KVQSMON.EXE"
extern const WCHAR kRemoteToolFile[];          // "KVRBTOOL.EXE"
extern const WCHAR kAccessoryMonitorFile[];    // "KVQB7000.EXE"
extern const WCHAR kEndOfJobProgramFile[];     // "KVMD05A.EXE"
extern const WCHAR kCompanionKey[];            // HKCU "Software\Zentari\PrtDrv"

// The per-user data folder: the user's application data folder joined with
// "\Zentari\PrtDrv". FALSE when that folder is unknown or the path does
// not fit.
BOOL UserDataFolder(WCHAR* path, size_t capacity);

// Brings the per-user record up to date: the data folder in "Path" and the
// installed companions' product versions. Run when a property sheet opens.
void RecordCompanionVersions();

// TRUE when version ("major.minor", a missing minor counting as 0) is at
// least reference.
BOOL IsVersionAtLeast(const WCHAR* version, const WCHAR* reference);

// TRUE when the quick-setup monitor (as recorded for the user, or as
// installed beside this module when there is no record) is recent enough
// to be given its INI file.
BOOL IsQuickSetupMonitorRecent();

// The quick-setup monitor's INI file in the per-user data folder, in
// double quotes when asked.
BOOL QuickSetupIniPath(WCHAR* path, size_t capacity, BOOL quoted);

// Starts the quick-setup monitor, telling a running one whether quick
// setup is on. Returns the WinExec result, 0 when nothing was started.
UINT LaunchQuickSetupMonitor(const PrivateSettings* settings);

// TRUE when the fixed file version (most and least significant DWORDs) of
// the remote-setup tool is one the driver can work with.
BOOL IsRemoteToolVersionUsable(DWORD versionMS, DWORD versionLS);
BOOL IsRemoteToolAvailable();

// The remote-setup tool in the 32-bit system directory, and that
// directory, which the tool is started in. FALSE when a path does not fit.
BOOL RemoteToolPath(WCHAR* path, size_t capacity);
BOOL RemoteToolFolder(WCHAR* path, size_t capacity);

// The INI file through which the remote-setup tool hands back what it
// read from the printer: "kvrbtool.ini" in the per-user data folder.
BOOL RemoteToolExchangePath(WCHAR* path, size_t capacity);
BOOL IsStatusMonitorAvailable();

// Starts the end-of-job program for the job the rendering side published
// for printer, in the interactive user's session.
void LaunchEndOfJobProgram(HANDLE printer);

// The file's product version, or, for a file without one, its last-write
// time ("MM/DD/YYYY hh:mm:ss", local time). FALSE for a missing file.
BOOL DescribeFileVersion(const WCHAR* path, WCHAR* text, size_t capacity);

// The lines "name<TAB>version" of the package's files that exist, without
// a line break after the last. FALSE when nothing could be listed.
BOOL BuildPackageVersionList(HANDLE printer, const UiSession* session, WCHAR* text,
                             size_t capacity);

// Steps of the end-of-job launch. ActiveConsoleUserToken: the token of the
// user at the console, for a caller running in the services' session 0
// (null elsewhere or when there is none). StartEndOfJobProgram runs the
// program as that user when a token is given, as the caller otherwise.
HANDLE ActiveConsoleUserToken();
BOOL StartEndOfJobProgram(HANDLE userToken, const WCHAR* application, WCHAR* commandLine);
