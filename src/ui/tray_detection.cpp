// The remote-setup tool's round trip for the Tray Settings page.
#include "ui/tray_detection.h"

#include "core/file_list.h"
#include "core/spooler_info.h"
#include "lifecycle/bounded_text.h"
#include "lifecycle/companion_programs.h"
#include "settings/devmode_bits.h"
#include "settings/paper_lookup.h"
#include "settings/profile_settings.h"
#include "spooler/capability_tables.h"
#include "ui/decimal_entry.h"
#include "ui/sheet_session.h"

#include <cwchar>

namespace {

const WCHAR kModelSection[] = L"Model";
const WCHAR kStorageSection[] = L"STORAGECONFIG";
const WCHAR kTraySection[] = L"INTRAYCONFIG";
const WCHAR kOptionSection[] = L"OPTIONCONFIG";
const WCHAR kDefaultModelName[] = L"Zentari TX-3390N series";
const UINT kModelNameId = 13523;      // model module
const int kModelNameChars = 128;
const int kAnswerChars = 128;
const int kPaperKeywordChars = 32;
const WCHAR* const kUnreachablePorts[] = {L"FILE", L"COM", L"LPT", L"KVPXM"};
const WCHAR kUsbPort[] = L"USB";
const WCHAR kUsbHelperFile[] = L"kvlm03a.dll";

// The tray keys of the answer and the tray table entry each fills.
struct TrayKey {
    const WCHAR* format;
    int first;       // number of the first key
    int count;
    size_t entry;    // table entry of the first key
};
const TrayKey kTrayKeys[] = {
    {L"Tray%d", 1, 4, 0},
    {L"TfTray%d", 1, static_cast<int>(kTowerEntries), kFirstTowerEntry},
    {L"MPTray", 0, 1, kMultiPurposeEntry},
};

// The text of field index (0-based) of a comma-separated answer.
BOOL AnswerField(const WCHAR* value, int index, WCHAR* field, size_t capacity)
{
    for (int i = 0; i < index; ++i) {
        value = wcschr(value, L',');
        if (!value)
            return FALSE;
        ++value;
    }
    while (*value == L' ')
        ++value;
    size_t length = 0;
    while (value[length] && value[length] != L',')
        ++length;
    while (length > 0 && value[length - 1] == L' ')
        --length;
    if (length + 1 > capacity)
        return FALSE;
    wmemcpy(field, value, length);
    field[length] = L'\0';
    return TRUE;
}

LONG PaperCodeOfAnswer(const WCHAR* name)
{
    char keyword[kPaperKeywordChars + 1] = {};
    for (int i = 0; name[i]; ++i) {
        if (i == kPaperKeywordChars || name[i] > 0x7F)
            return kTrayEmpty;
        keyword[i] = static_cast<char>(name[i]);
    }
    return PaperNameId(keyword) ? PaperCodeOfPageSize(keyword) : kTrayEmpty;
}

// The model the tool is to find at the other end, and no result yet.
BOOL PrepareDetection(const WCHAR* path, const UiSession* session)
{
    const SheetSession* sheet = SheetOf(session);
    WCHAR name[kModelNameChars] = L"Unknown";
    if (GetPrivateProfileIntW(kPrinterInfoSection, L"RbCheckModelName", 1, path) != 0 &&
        (!sheet->modelResources ||
         LoadStringW(sheet->modelResources, kModelNameId, name, kModelNameChars) <= 0))
        lstrcpynW(name, kDefaultModelName, kModelNameChars);
    WritePrivateProfileStringW(L"Setting", L"Default", L"1", path);
    WritePrivateProfileStringW(kModelSection, L"Name", name, path);
    return WritePrivateProfileStringW(kModelSection, L"OptResult", L"0", path);
}

} // namespace

bool PortAllowsDetection(const WCHAR* port, bool usbHelperInstalled)
{
    if (!port)
        return false;
    for (const WCHAR* prefix : kUnreachablePorts)
        if (_wcsnicmp(port, prefix, wcslen(prefix)) == 0)
            return false;
    return _wcsnicmp(port, kUsbPort, wcslen(kUsbPort)) != 0 || usbHelperInstalled;
}

BOOL IsDetectionOffered(const UiSession* session)
{
    if (!SheetOf(session)->remoteToolAvailable)
        return FALSE;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(session->printer, 2));
    if (!info)
        return FALSE;
    WCHAR folder[MAX_PATH], helper[MAX_PATH];
    const bool usbHelper = RemoteToolFolder(folder, MAX_PATH) &&
                           PrintBounded(helper, MAX_PATH, L"%ls\\%ls", folder, kUsbHelperFile) &&
                           FileExists(helper);
    const BOOL offered = !info->pServerName && PortAllowsDetection(info->pPortName, usbHelper);
    GlobalFree(info);
    return offered;
}

BOOL ParseDimmMegabytes(const WCHAR* value, WORD* megabytes)
{
    WCHAR field[kAnswerChars];
    unsigned long kilobytes = 0;
    if (!AnswerField(value, 1, field, ARRAYSIZE(field)) || !ReadWholeNumber(field, 0xFFFFul * 1024, &kilobytes))
        return FALSE;
    *megabytes = static_cast<WORD>((kilobytes + 1023) / 1024);
    return TRUE;
}

BOOL ParseTrayAnswer(const WCHAR* value, BOOL withIds, TrayPaperEntry* entry)
{
    WCHAR paper[kAnswerChars], id[kAnswerChars];
    if (!AnswerField(value, 0, paper, ARRAYSIZE(paper)) || !paper[0])
        return FALSE;
    entry->paper = PaperCodeOfAnswer(paper);
    if (!withIds || !AnswerField(value, 1, id, ARRAYSIZE(id)))
        return TRUE;
    if (lstrcmpiW(id, L"UNKNOWN") == 0)
        entry->trayId = kTrayEmpty;
    else if (id[0] >= L'1' && id[0] <= L'4' && !id[1])
        entry->trayId = id[0] - L'0';
    return TRUE;
}

void ReadDetectedSettings(const WCHAR* exchangePath, PrivateSettings* priv, WCHAR* serial)
{
    WCHAR value[kAnswerChars];
    priv->modelCodeWord |= kModelCodeWordBase;
    if (GetPrivateProfileStringW(kOptionSection, L"Accessories", L"", value, kAnswerChars, exchangePath))
        ApplyAccessoriesValue(value, priv);
    WORD megabytes = 0;
    GetPrivateProfileStringW(kStorageSection, L"DIMM", L"", value, kAnswerChars, exchangePath);
    if (ParseDimmMegabytes(value, &megabytes))
        priv->printerMemory = megabytes;
    const BOOL withIds = (priv->modelTrays & kTraysWithIds) != 0;
    for (const TrayKey& key : kTrayKeys) {
        for (int i = 0; i < key.count; ++i) {
            WCHAR name[16];
            swprintf(name, ARRAYSIZE(name), key.format, key.first + i);
            GetPrivateProfileStringW(kTraySection, name, L"", value, kAnswerChars, exchangePath);
            ParseTrayAnswer(value, withIds, &priv->trayPaper[key.entry + i]);
        }
    }
    GetPrivateProfileStringW(kModelSection, L"SerialNo", L"", serial, kSerialNumberChars + 1,
                             exchangePath);
}

BOOL StartTrayDetection(HWND page, const UiSession* session, RemoteToolInquiry* detection)
{
    return StartRemoteToolInquiry(page, session, L"OPT", PrepareDetection, detection);
}

DetectionOutcome ContinueTrayDetection(HWND page, UiSession* session, RemoteToolInquiry* detection,
                                       WCHAR* serial)
{
    if (!RemoteToolInquiryEnded(page, detection))
        return kDetectionWaiting;
    if (GetPrivateProfileIntW(kModelSection, L"OptResult", 0, detection->exchangePath) == 0)
        return kDetectionFailed;
    ReadDetectedSettings(detection->exchangePath, &session->devmode.priv, serial);
    return kDetectionSucceeded;
}
