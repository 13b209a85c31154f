// The companion programs of the driver package: versions, availability,
// launches.
#include "lifecycle/companion_programs.h"

#include "core/driver_strings.h"
#include "core/module_entry.h"
#include "core/spooler_info.h"
#include "core/file_list.h"
#include "lifecycle/bounded_text.h"
#include "resources/resource_ids.h"

#include <lmcons.h>
#include <shlobj.h>
#include <winspool.h>

#include <cstring>
#include <cwchar>

const WCHAR kQuickSetupMonitorFile[] = L"KVQSMON.EXE";
const WCHAR kRemoteToolFile[] = L"KVRBTOOL.EXE";
const WCHAR kAccessoryMonitorFile[] = L"KVQB7000.EXE";
const WCHAR kEndOfJobProgramFile[] = L"KVMD05A.EXE";
const WCHAR kCompanionKey[] = L"Software\\Zentari\\PrtDrv";

namespace {

const WCHAR kDataSubfolder[] = L"\\Zentari\\PrtDrv";
const char kDataSubfolderAnsi[] = "\\Zentari\\PrtDrv";
const WCHAR kMakerSubfolder[] = L"\\Zentari";
const WCHAR kDataPathValue[] = L"Path";
const WCHAR kQuickSetupVersionValue[] = L"KvQsmon";
const WCHAR kQuickSetupIniFile[] = L"kvqsmon.ini";
const WCHAR kRemoteToolExchangeFile[] = L"kvrbtool.ini";
const WCHAR kQuickSetupWindowClass[] = L"KVQSMON";
const WCHAR kQuickSetupMinimum[] = L"3.1";
const WCHAR kStatusMonitorAppPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tolwick.exe";
const WCHAR kStatusMonitorFile[] = L"kvstsw64.exe";
const DWORD kStatusMonitorPathBytes = 2044;
const int kVersionChars = 16;        // what the per-user record holds: 32 bytes
const int kLanguageIdChars = 16;
const DWORD kInputIdleWait = 2000;   // ms the end-of-job program gets to come up

// Remote-setup tool versions before 0.1.3.3 cannot exchange option results.
const DWORD kRemoteToolMinimumMS = 0x00000001;
const DWORD kRemoteToolMinimumLS = 0x00030003;

enum Folder { kModuleFolder, kSystem32BitFolder };

struct RecordedCompanion {
    Folder folder;
    const WCHAR* file;
    const WCHAR* value;
};

const RecordedCompanion kRecordedCompanions[] = {
    {kSystem32BitFolder, kRemoteToolFile, L"RbTool"},
    {kModuleFolder, kQuickSetupMonitorFile, kQuickSetupVersionValue},
    {kModuleFolder, kAccessoryMonitorFile, L"QB7000"},
};

// The package's own files listed after the model's data files.
const WCHAR* const kPackageFiles[] = {
    L"KVFW.DLL", L"KVFS.DLL", L"KVFL.DLL", L"KVFM.DLL", L"KVFR.DLL", L"KVRW.DLL",
    L"KVRC.DLL", L"KVRP.DLL", L"KVRH.DLL", L"KVRH.EXE", L"KVE.DLL",
};

BOOL System32BitFolder(WCHAR* path, size_t capacity)
{
    WCHAR system[MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    return PrintBounded(path, capacity, L"%ls", system);
}

BOOL CompanionPath(Folder folder, const WCHAR* file, WCHAR* path, size_t capacity)
{
    if (folder == kModuleFolder)
        return ModuleSiblingPath(file, path, capacity);
    WCHAR system[MAX_PATH];
    if (!System32BitFolder(system, MAX_PATH))
        return FALSE;
    return PrintBounded(path, capacity, L"%ls\\%ls", system, file);
}

const WCHAR* FileNamePart(const WCHAR* path)
{
    const WCHAR* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// The version resource of a file, in one GlobalAlloc block.
void* ReadVersionResource(const WCHAR* path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    void* block = size ? GlobalAlloc(GPTR, size) : nullptr;
    if (block && !GetFileVersionInfoW(path, 0, size, block)) {
        GlobalFree(block);
        block = nullptr;
    }
    return block;
}

// ProductVersion under the resource's first language and code page.
BOOL ReadProductVersion(const WCHAR* path, WCHAR* text, size_t capacity)
{
    BOOL ok = FALSE;
    void* block = ReadVersionResource(path);
    WORD* pair = nullptr;
    WCHAR* value = nullptr;
    UINT length = 0;
    WCHAR query[64];
    if (!block)
        goto done;
    if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair),
                        &length) ||
        length < 2 * sizeof(WORD))
        goto done;
    wsprintfW(query, L"\\StringFileInfo\\%08x\\%s", (static_cast<DWORD>(pair[0]) << 16) | pair[1],
              L"ProductVersion");
    if (!VerQueryValueW(block, query, reinterpret_cast<void**>(&value), &length) || length == 0)
        goto done;
    lstrcpynW(text, value, static_cast<int>(capacity));
    ok = TRUE;
done:
    if (block) GlobalFree(block);
    return ok;
}

void ReadMajorMinor(const WCHAR* version, unsigned* major, unsigned* minor)
{
    *major = *minor = 0;
    const WCHAR* c = version;
    for (; *c >= L'0' && *c <= L'9'; ++c)
        *major = *major * 10 + (*c - L'0');
    const WCHAR* dot = wcschr(version, L'.');
    for (c = dot ? dot + 1 : L""; *c >= L'0' && *c <= L'9'; ++c)
        *minor = *minor * 10 + (*c - L'0');
}

// The spooler's own identity for the length of a launch: a program started
// on behalf of a job must not run with the rights of the client the
// spooler impersonates.
struct SpoolerIdentity {
    HMODULE spoolss;
    HANDLE clientToken;
    BOOL(WINAPI* impersonateClient)(HANDLE);
};

void RevertToSpooler(SpoolerIdentity* identity)
{
    identity->clientToken = nullptr;
    identity->impersonateClient = nullptr;
    identity->spoolss = LoadLibraryW(L"spoolss.dll");
    if (!identity->spoolss)
        return;
    auto revert = reinterpret_cast<HANDLE(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(identity->spoolss, "RevertToPrinterSelf")));
    identity->impersonateClient = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(identity->spoolss, "ImpersonatePrinterClient")));
    if (revert && identity->impersonateClient)
        identity->clientToken = revert();
}

void RestoreClient(SpoolerIdentity* identity)
{
    if (identity->clientToken)
        identity->impersonateClient(identity->clientToken);
    if (identity->spoolss)
        FreeLibrary(identity->spoolss);
}

BOOL RunsAsSystemAccount()
{
    WCHAR user[UNLEN + 1];
    DWORD length = ARRAYSIZE(user);
    return GetUserNameW(user, &length) && lstrcmpiW(user, L"SYSTEM") == 0;
}

void CreateUserDataFolder()
{
    WCHAR documents[MAX_PATH], appData[MAX_PATH], folder[MAX_PATH + 32];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents)) ||
        FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)))
        return;
    if (PrintBounded(folder, ARRAYSIZE(folder), L"%ls%ls", appData, kMakerSubfolder))
        CreateDirectoryExW(documents, folder, nullptr);
    if (PrintBounded(folder, ARRAYSIZE(folder), L"%ls%ls", appData, kDataSubfolder))
        CreateDirectoryExW(documents, folder, nullptr);
}

void WriteDataPath(const char* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kCompanionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, kDataPathValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(path),
                   lstrlenA(path) + 1);
    RegCloseKey(key);
}

// TRUE when the record holds exactly path (terminator included).
BOOL RecordHoldsDataPath(HKEY key, const char* path)
{
    char stored[MAX_PATH + 32];
    DWORD size = sizeof(stored), type = 0;
    return RegQueryValueExW(key, kDataPathValue, nullptr, &type, reinterpret_cast<BYTE*>(stored),
                            &size) == ERROR_SUCCESS &&
           size == static_cast<DWORD>(lstrlenA(path) + 1) && memcmp(stored, path, size) == 0;
}

void RecordDataPath()
{
    char path[MAX_PATH + 32];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path))) {
        if (GetWindowsDirectoryA(path, MAX_PATH))
            WriteDataPath(path);
        return;
    }
    lstrcatA(path, kDataSubfolderAnsi);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCompanionKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        const BOOL current = RecordHoldsDataPath(key, path);
        RegCloseKey(key);
        if (current)
            return;
    }
    CreateUserDataFolder();
    WriteDataPath(path);
}

void RecordProductVersions()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCompanionKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (const RecordedCompanion& companion : kRecordedCompanions) {
        WCHAR path[MAX_PATH], version[MAX_PATH];
        if (CompanionPath(companion.folder, companion.file, path, MAX_PATH) &&
            ReadProductVersion(path, version, MAX_PATH))
            RegSetValueExW(key, companion.value, 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           (lstrlenW(version) + 1) * sizeof(WCHAR));
    }
    RegCloseKey(key);
}

// The language id and the file the rendering side published, or null.
WCHAR* EndOfJobCommandLine(const BYTE* view)
{
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(view, &region, sizeof(region)) || region.RegionSize <= sizeof(HANDLE))
        return nullptr;
    const WCHAR* file = reinterpret_cast<const WCHAR*>(view + sizeof(HANDLE));
    const size_t fileChars = wcsnlen(file, (region.RegionSize - sizeof(HANDLE)) / sizeof(WCHAR));
    WCHAR language[kLanguageIdChars + 1];
    LoadDriverString(IDS_LANGUAGE_ID, language, ARRAYSIZE(language));
    const size_t chars = lstrlenW(language) + 1 + fileChars + 1;
    auto* line = static_cast<WCHAR*>(GlobalAlloc(GPTR, chars * sizeof(WCHAR)));
    if (line && !PrintBounded(line, chars, L"%ls %.*ls", language, static_cast<int>(fileChars), file)) {
        GlobalFree(line);
        line = nullptr;
    }
    return line;
}

// One "name<TAB>version" line for a file that exists.
void AppendVersionLine(const WCHAR* name, const WCHAR* path, WCHAR* text, size_t capacity)
{
    WCHAR version[MAX_PATH];
    if (!path || !DescribeFileVersion(path, version, MAX_PATH))
        return;
    const size_t used = wcslen(text);
    PrintBounded(text + used, capacity - used, L"%ls\t%ls\r\n", name, version);
}

void AppendSiblingLine(const WCHAR* name, WCHAR* text, size_t capacity)
{
    WCHAR path[MAX_PATH];
    if (name[0] && ModuleSiblingPath(name, path, MAX_PATH))
        AppendVersionLine(name, path, text, capacity);
}

} // namespace

BOOL UserDataFolder(WCHAR* path, size_t capacity)
{
    WCHAR appData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)))
        return FALSE;
    return PrintBounded(path, capacity, L"%ls%ls", appData, kDataSubfolder);
}

void RecordCompanionVersions()
{
    RecordDataPath();
    RecordProductVersions();
}

BOOL IsVersionAtLeast(const WCHAR* version, const WCHAR* reference)
{
    unsigned major, minor, referenceMajor, referenceMinor;
    ReadMajorMinor(version, &major, &minor);
    ReadMajorMinor(reference, &referenceMajor, &referenceMinor);
    return major > referenceMajor || (major == referenceMajor && minor >= referenceMinor);
}

BOOL IsQuickSetupMonitorRecent()
{
    WCHAR version[kVersionChars + 1] = {};
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCompanionKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = kVersionChars * sizeof(WCHAR), type = 0;
        if (RegQueryValueExW(key, kQuickSetupVersionValue, nullptr, &type,
                             reinterpret_cast<BYTE*>(version), &size) != ERROR_SUCCESS)
            version[0] = L'\0';
        RegCloseKey(key);
    } else {
        WCHAR path[MAX_PATH];
        if (!ModuleSiblingPath(kQuickSetupMonitorFile, path, MAX_PATH) ||
            !ReadProductVersion(path, version, ARRAYSIZE(version)))
            version[0] = L'\0';
    }
    return IsVersionAtLeast(version, kQuickSetupMinimum);
}

BOOL QuickSetupIniPath(WCHAR* path, size_t capacity, BOOL quoted)
{
    WCHAR folder[MAX_PATH];
    if (!path || !UserDataFolder(folder, MAX_PATH))
        return FALSE;
    const WCHAR* quote = quoted ? L"\"" : L"";
    return PrintBounded(path, capacity, L"%ls%ls\\%ls%ls", quote, folder, kQuickSetupIniFile, quote);
}

UINT LaunchQuickSetupMonitor(const PrivateSettings* settings)
{
    const bool running = FindWindowW(kQuickSetupWindowClass, nullptr) != nullptr;
    const bool quickSetupOn = settings && settings->qps != 0;
    if (!running && !quickSetupOn)
        return 0;
    WCHAR driverDirectory[MAX_PATH], ini[MAX_PATH + 2], command[3 * MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDirectory),
                                    sizeof(driverDirectory), &needed))
        return 0;
    // " 0" tells a running monitor that quick setup was switched off.
    if (!PrintBounded(command, ARRAYSIZE(command), L"%ls\\3\\%ls %ls", driverDirectory,
                      kQuickSetupMonitorFile, running && !quickSetupOn ? L"0" : L"1"))
        return 0;
    const size_t used = wcslen(command);
    if (IsQuickSetupMonitorRecent() && QuickSetupIniPath(ini, ARRAYSIZE(ini), TRUE))
        PrintBounded(command + used, ARRAYSIZE(command) - used, L" %ls", ini);
    char ansi[3 * MAX_PATH];
    if (!WideCharToMultiByte(CP_ACP, 0, command, -1, ansi, sizeof(ansi), nullptr, nullptr))
        return 0;

    UINT result = 0;
    SpoolerIdentity identity;
    RevertToSpooler(&identity);
    // Inside the spooler the monitor belongs on the user's desktop, never
    // in the service account's.
    if (!identity.clientToken || !RunsAsSystemAccount())
        result = WinExec(ansi, SW_SHOW);
    RestoreClient(&identity);
    return result;
}

BOOL IsRemoteToolVersionUsable(DWORD versionMS, DWORD versionLS)
{
    return versionMS > kRemoteToolMinimumMS ||
           (versionMS == kRemoteToolMinimumMS && versionLS >= kRemoteToolMinimumLS);
}

BOOL RemoteToolPath(WCHAR* path, size_t capacity)
{
    return CompanionPath(kSystem32BitFolder, kRemoteToolFile, path, capacity);
}

BOOL RemoteToolFolder(WCHAR* path, size_t capacity)
{
    return System32BitFolder(path, capacity);
}

BOOL RemoteToolExchangePath(WCHAR* path, size_t capacity)
{
    WCHAR folder[MAX_PATH];
    return UserDataFolder(folder, MAX_PATH) &&
           PrintBounded(path, capacity, L"%ls\\%ls", folder, kRemoteToolExchangeFile);
}

BOOL IsRemoteToolAvailable()
{
    WCHAR path[MAX_PATH];
    if (!CompanionPath(kSystem32BitFolder, kRemoteToolFile, path, MAX_PATH))
        return FALSE;
    void* block = ReadVersionResource(path);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    const BOOL usable = block &&
                        VerQueryValueW(block, L"\\", reinterpret_cast<void**>(&fixed), &length) &&
                        length >= sizeof(*fixed) &&
                        IsRemoteToolVersionUsable(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    if (block) GlobalFree(block);
    return usable;
}

BOOL IsStatusMonitorAvailable()
{
    WCHAR folder[kStatusMonitorPathBytes / sizeof(WCHAR) + 1] = {};
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStatusMonitorAppPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return FALSE;
    DWORD size = kStatusMonitorPathBytes, type = 0;
    const LSTATUS read = RegQueryValueExW(key, kDataPathValue, nullptr, &type,
                                          reinterpret_cast<BYTE*>(folder), &size);
    RegCloseKey(key);
    WCHAR path[ARRAYSIZE(folder) + ARRAYSIZE(kStatusMonitorFile) + 1];
    return read == ERROR_SUCCESS && folder[0] &&
           PrintBounded(path, ARRAYSIZE(path), L"%ls\\%ls", folder, kStatusMonitorFile) &&
           FileExists(path);
}

HANDLE ActiveConsoleUserToken()
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session) || session != 0)
        return nullptr;
    HANDLE token = nullptr;
    HMODULE kernel = LoadLibraryW(L"Kernel32.dll");
    HMODULE terminal = LoadLibraryW(L"Wtsapi32.dll");
    auto consoleSession = kernel ? reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(
                                       GetProcAddress(kernel, "WTSGetActiveConsoleSessionId")))
                                 : nullptr;
    auto queryToken = terminal ? reinterpret_cast<BOOL(WINAPI*)(ULONG, HANDLE*)>(
                                     reinterpret_cast<void*>(GetProcAddress(terminal, "WTSQueryUserToken")))
                               : nullptr;
    if (consoleSession && queryToken && !queryToken(consoleSession(), &token))
        token = nullptr;
    if (terminal) FreeLibrary(terminal);
    if (kernel) FreeLibrary(kernel);
    return token;
}

BOOL StartEndOfJobProgram(HANDLE userToken, const WCHAR* application, WCHAR* commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        userToken ? CreateProcessAsUserW(userToken, application, commandLine, nullptr, nullptr,
                                         FALSE, 0, nullptr, nullptr, &startup, &process)
                  : CreateProcessW(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process);
    if (!started)
        return FALSE;
    WaitForInputIdle(process.hProcess, kInputIdleWait);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return TRUE;
}

void LaunchEndOfJobProgram(HANDLE printer)
{
    WCHAR name[32];
    wsprintfW(name, L"%xFILE_NAME", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(printer)));
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!mapping)
        return;
    HANDLE creator = nullptr;
    auto* view = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view) {
        memcpy(&creator, view, sizeof(creator));
        WCHAR application[MAX_PATH];
        WCHAR* commandLine = EndOfJobCommandLine(view);
        if (commandLine && ModuleSiblingPath(kEndOfJobProgramFile, application, MAX_PATH)) {
            SpoolerIdentity identity;
            RevertToSpooler(&identity);
            HANDLE user = identity.clientToken ? ActiveConsoleUserToken() : nullptr;
            StartEndOfJobProgram(user, application, commandLine);
            if (user) CloseHandle(user);
            RestoreClient(&identity);
        }
        if (commandLine) GlobalFree(commandLine);
        UnmapViewOfFile(view);
    }
    // The rendering side hands both handles over with the mapping.
    CloseHandle(mapping);
    if (creator) CloseHandle(creator);
}

BOOL DescribeFileVersion(const WCHAR* path, WCHAR* text, size_t capacity)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!path || !text || !GetFileAttributesExW(path, GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    if (ReadProductVersion(path, text, capacity))
        return TRUE;
    FILETIME local;
    SYSTEMTIME written;
    if (!FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &written))
        return FALSE;
    return PrintBounded(text, capacity, L"%02d/%02d/%4d %02d:%02d:%02d", written.wMonth,
                        written.wDay, written.wYear, written.wHour, written.wMinute, written.wSecond);
}

BOOL BuildPackageVersionList(HANDLE printer, const UiSession* session, WCHAR* text,
                             size_t capacity)
{
    if (!text || capacity == 0 || !session)
        return FALSE;
    text[0] = L'\0';
    WCHAR dataName[MAX_PATH] = {}, listName[MAX_PATH] = {}, path[MAX_PATH];
    if (auto* driver = reinterpret_cast<DRIVER_INFO_2W*>(ReadDriverInfo(printer, 2))) {
        if (driver->pDataFile)
            lstrcpynW(dataName, FileNamePart(driver->pDataFile), MAX_PATH);
        GlobalFree(driver);
    }
    const size_t dataChars = wcslen(dataName);
    if (dataChars > 3)
        PrintBounded(listName, MAX_PATH, L"%.*lsDAT", static_cast<int>(dataChars - 3), dataName);
    FileList list = {};
    const BOOL haveList = ReadPrinterFileList(printer, &list);

    AppendSiblingLine(dataName, text, capacity);
    AppendSiblingLine(L"MXDWDRV.DLL", text, capacity);
    AppendSiblingLine(L"KVUIDRV.DLL", text, capacity);
    // The record's name fields need not be terminated.
    const PrivateSettings& settings = session->devmode.priv;
    WCHAR languageModule[ARRAYSIZE(settings.languageResourceFile) + 1] = {};
    WCHAR modelModule[ARRAYSIZE(settings.modelResourceFile) + 1] = {};
    lstrcpynW(languageModule, settings.languageResourceFile, ARRAYSIZE(languageModule));
    lstrcpynW(modelModule, settings.modelResourceFile, ARRAYSIZE(modelModule));
    AppendSiblingLine(languageModule, text, capacity);
    AppendSiblingLine(modelModule, text, capacity);
    if (session->helpFile)
        AppendVersionLine(FileNamePart(session->helpFile), session->helpFile, text, capacity);
    AppendSiblingLine(listName, text, capacity);
    if (haveList)
        AppendSiblingLine(list.watermarkFile, text, capacity);
    if (CompanionPath(kSystem32BitFolder, kRemoteToolFile, path, MAX_PATH))
        AppendVersionLine(kRemoteToolFile, path, text, capacity);
    for (const WCHAR* file : kPackageFiles)
        AppendSiblingLine(file, text, capacity);

    const size_t length = wcslen(text);
    if (length >= 2)
        text[length - 2] = L'\0';
    return TRUE;
}
