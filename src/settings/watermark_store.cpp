#include "settings/watermark_store.h"

#include "core/driver_strings.h"
#include "core/file_list.h"
#include "core/module_state.h"
#include "core/spooler_info.h"
#include "resources/resource_ids.h"
#include "settings/watermark_bitmap.h"

#include <winspool.h>

#include <cstdio>
#include <cwchar>

namespace {

const WCHAR kListSection[] = L":kvwatermark:";
const WCHAR kDefaultSection[] = L"Default WMark";
const WCHAR kCurrentKey[] = L"Current";
const WCHAR kStoreFileName[] = L"KVWMARK.INI";
const WCHAR kDefaultSharedFile[] = L"KVW3390N.INI";
const DWORD kSectionCapacity = 1024;   // sections are copied up to 1023 characters
const DWORD kPathBlockSize = 520;

// Face used when a watermark names none: the language module may name one;
// Japanese resources without it get a face that has the Japanese glyphs.
void DefaultWatermarkFace(WCHAR* face, int capacity)
{
    if (LoadDriverString(IDS_DEFAULT_FACE, face, capacity) > 0)
        return;
    WCHAR language[16];
    LANGID id = LoadDriverString(IDS_LANGUAGE_ID, language, 16) > 0
                    ? static_cast<LANGID>(_wtoi(language))
                    : 0;
    lstrcpynW(face, PRIMARYLANGID(id) == LANG_JAPANESE ? L"MS Gothic" : L"Arial", capacity);
}

bool ReadListEntry(const WCHAR* file, int index, WCHAR* name, DWORD capacity)
{
    WCHAR key[16];
    swprintf(key, 16, L"%d", index);
    return ReadWatermarkListName(file, key, name, capacity);
}

int CountListEntries(const WCHAR* file)
{
    WCHAR name[64];
    int count = 0;
    while (ReadListEntry(file, count, name, ARRAYSIZE(name)))
        ++count;
    return count;
}

bool HasSection(const WCHAR* file, const WCHAR* section)
{
    WCHAR probe[4];
    return GetPrivateProfileSectionW(section, probe, ARRAYSIZE(probe), file) > 0;
}

// Copies one section, replacing whatever the target held under `to`.
void CopySection(const WCHAR* fromFile, const WCHAR* from, const WCHAR* toFile, const WCHAR* to)
{
    WCHAR content[kSectionCapacity];
    DWORD length = GetPrivateProfileSectionW(from, content, kSectionCapacity, fromFile);
    if (length == 0)
        return;
    WritePrivateProfileSectionW(to, content, toFile);
}

int ReadInt(const WCHAR* section, const WCHAR* key, int fallback, const WCHAR* file)
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, file));
}

int InRangeOr(int value, int low, int high, int fallback)
{
    return value < low || value > high ? fallback : value;
}

HGLOBAL NewPathBlock(const WCHAR* path)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kPathBlockSize);
    if (!block)
        return nullptr;
    auto* text = static_cast<WCHAR*>(GlobalLock(block));
    lstrcpynW(text, path, kPathBlockSize / sizeof(WCHAR));
    GlobalUnlock(block);
    return block;
}

void FreeBlock(HGLOBAL* block)
{
    if (*block)
        GlobalFree(*block);
    *block = nullptr;
}

void ForgetBitmap(WatermarkState* state)
{
    state->isBitmap = FALSE;
    state->bitmapColours = 0;
    FreeBlock(&state->bitmap);
    FreeBlock(&state->bitmapPath);
    FreeBlock(&state->tempPath);
}

void ReportBitmapFailure(const WatermarkState* state)
{
    if (!state->showLoadErrors || !state->advancedPage)
        return;
    WCHAR title[128], text[256];
    LoadDriverString(IDS_WATERMARK_BMP_TITLE, title, ARRAYSIZE(title));
    LoadDriverString(IDS_WATERMARK_BMP_MISSING, text, ARRAYSIZE(text));
    MessageBoxW(state->advancedPage, text, title, MB_ICONHAND);
}

void LoadBitmapFiles(WatermarkState* state, const WCHAR* section, const WCHAR* file)
{
    ForgetBitmap(state);
    state->isBitmap = TRUE;
    state->bitmapPath = NewPathBlock(file);
    WCHAR temp[MAX_PATH] = {};
    GetPrivateProfileStringW(section, L"TmpFile", L"", temp, MAX_PATH, state->storePath);
    char path8[MAX_PATH * 2];
    bool loaded = temp[0] &&
                  WideCharToMultiByte(CP_ACP, 0, temp, -1, path8, sizeof(path8), nullptr,
                                      nullptr) > 0 &&
                  LoadWatermarkBitmap(path8, &state->bitmap, &state->bitmapColours);
    if (!loaded) {
        ReportBitmapFailure(state);
        return;
    }
    ShareWatermarkCopy(temp);
    state->tempPath = NewPathBlock(temp);
}

// Reads one watermark definition into the DEVMODE and the state.
void ReadDefinition(WatermarkState* state, const WCHAR* name, DEVMODEW* dm)
{
    const WCHAR* file = state->storePath;
    PrivateSettings* priv = PrivatePart(dm);
    ProcessorBlock& block = priv->processor;
    WatermarkRecord& record = block.watermark;

    WCHAR text[32] = {};
    GetPrivateProfileStringW(name, L"Strings", L"", text, ARRAYSIZE(text), file);
    WideCharToMultiByte(CP_ACP, 0, text, -1, record.text, sizeof(record.text), nullptr, nullptr);
    record.text[sizeof(record.text) - 1] = '\0';

    WCHAR face[LF_FACESIZE] = {};
    GetPrivateProfileStringW(name, L"Font", L"", face, ARRAYSIZE(face), file);
    if (!face[0])
        DefaultWatermarkFace(face, LF_FACESIZE);
    lstrcpynW(record.font.lfFaceName, face, LF_FACESIZE);

    record.font.lfHeight = InRangeOr(ReadInt(name, L"Size", 24, file), 1, 400, 72);
    int style = InRangeOr(ReadInt(name, L"Style", 0, file), 0, 3, 0);
    record.font.lfItalic = static_cast<BYTE>(style & 1);
    record.font.lfWeight = (style & 2) ? FW_BOLD : FW_NORMAL;
    block.watermarkGray = static_cast<DWORD>(InRangeOr(ReadInt(name, L"Color", -1, file), 0, 100, 20));
    record.font.lfEscapement = ReadInt(name, L"Angle", 0, file) * 10;
    state->autoCentre = ReadInt(name, L"AutoCenter", 0, file) != 0;
    block.watermarkOffsetX = InRangeOr(ReadInt(name, L"x", 0, file), -100, 100, 0);
    block.watermarkOffsetY = InRangeOr(ReadInt(name, L"y", 0, file), -100, 100, 0);
    block.watermarkScale = static_cast<WORD>(InRangeOr(ReadInt(name, L"Scale", 100, file), 25, 999, 100));

    WCHAR bitmap[MAX_PATH] = {};
    GetPrivateProfileStringW(name, L"File", L"", bitmap, MAX_PATH, file);
    if (bitmap[0])
        LoadBitmapFiles(state, name, bitmap);
    else
        ForgetBitmap(state);
}

void WriteInt(const WCHAR* section, const WCHAR* key, int value, const WCHAR* file)
{
    WCHAR text[16];
    swprintf(text, 16, L"%d", value);
    WritePrivateProfileStringW(section, key, text, file);
}

} // namespace

BOOL ReadWatermarkListName(const WCHAR* file, const WCHAR* key, WCHAR* name, DWORD capacity)
{
    return GetPrivateProfileStringW(kListSection, key, L"", name, capacity, file) > 0;
}

BOOL ReadWatermarkListEntry(const WCHAR* file, int index, WCHAR* name, DWORD capacity)
{
    return ReadListEntry(file, index, name, capacity);
}

BOOL WatermarkStorePath(WCHAR* path, size_t capacity)
{
    WCHAR windows[MAX_PATH];
    UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (!length || length >= MAX_PATH || !path)
        return FALSE;
    return swprintf(path, capacity, L"%ls\\%ls", windows, kStoreFileName) > 0;
}

void WatermarkPrinterName(HANDLE printer, const DEVMODEW* dm, WCHAR* name, size_t capacity)
{
    if (!name || capacity == 0)
        return;
    name[0] = L'\0';
    if (printer && ReadQueueName(printer, name, capacity))
        return;
    if (dm) {
        // A full-length device name carries no terminator.
        const size_t length = wcsnlen(dm->dmDeviceName, CCHDEVICENAME);
        const size_t copied = length < capacity ? length : capacity - 1;
        wmemcpy(name, dm->dmDeviceName, copied);
        name[copied] = L'\0';
    }
}

void InitialiseWatermarkState(WatermarkState* state, HANDLE printer, const DEVMODEW* dm)
{
    ZeroMemory(state, sizeof(*state));
    state->selectedIndex = kNoWatermarkSelected;
    WatermarkStorePath(state->storePath, MAX_PATH);

    WatermarkPrinterName(printer, dm, state->printerName, MAX_PATH);

    DWORD needed = 0;
    FileList files;
    lstrcpyW(state->sharedFile, kDefaultSharedFile);
    if (printer && ReadPrinterFileList(printer, &files))
        lstrcpynW(state->sharedFile, files.watermarkFile, ARRAYSIZE(state->sharedFile));
    if (printer) {
        WCHAR dir[MAX_PATH];
        if (GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir),
                                       sizeof(dir), &needed))
            swprintf(state->sharedPath, MAX_PATH, L"%ls\\3\\%ls", dir, state->sharedFile);
    }
}

void ReleaseWatermarkState(WatermarkState* state)
{
    ForgetBitmap(state);
}

BOOL LoadCurrentWatermark(WatermarkState* state, DEVMODEW* dm, const WatermarkListSink* sink)
{
    if (!state || !dm)
        return FALSE;
    PrivateSettings* priv = PrivatePart(dm);
    WatermarkRecord& record = priv->processor.watermark;
    record.font.lfCharSet = DEFAULT_CHARSET;
    ZeroMemory(record.text, sizeof(record.text));

    const WCHAR* store = state->storePath;
    if (sink && state->storeShared && state->sharedPath[0])
        MergeSharedWatermarks(store, state->sharedPath);

    int index = ReadInt(state->printerName, kCurrentKey, 0, store);
    WCHAR name[64];
    if (index < 0 || !ReadListEntry(store, index, name, ARRAYSIZE(name))) {
        if (index == 0)
            return FALSE;
        // The current watermark was deleted from under this printer.
        WritePrivateProfileStringW(state->printerName, kCurrentKey, L"0", store);
        index = 0;
        if (!ReadListEntry(store, 0, name, ARRAYSIZE(name)))
            return FALSE;
    }
    state->selectedIndex = static_cast<WORD>(index);

    if (sink) {
        sink->clear(sink->context);
        WCHAR entry[64];
        for (int i = 0; ReadListEntry(store, i, entry, ARRAYSIZE(entry)); ++i) {
            sink->add(sink->context, entry);
            if (lstrcmpiW(entry, name) == 0) {
                state->selectedIndex = static_cast<WORD>(i);
                sink->select(sink->context, static_cast<WORD>(i));
            }
        }
    }

    priv->watermarkIndex = state->selectedIndex;
    ReadDefinition(state, name, dm);
    return TRUE;
}

void MergeSharedWatermarks(const WCHAR* storePath, const WCHAR* sharedPath)
{
    if (GetFileAttributesW(sharedPath) == INVALID_FILE_ATTRIBUTES)
        return;
    int next = CountListEntries(storePath);
    WCHAR name[64];
    for (int i = 0; ReadListEntry(sharedPath, i, name, ARRAYSIZE(name)); ++i) {
        if (HasSection(storePath, name))
            continue;
        WriteWatermarkListEntry(storePath, next++, name);
        CopySection(sharedPath, name, storePath, name);
    }
}

void ExportWatermarksToProfile(const WCHAR* storePath, const WCHAR* printerName,
                               const WCHAR* profilePath)
{
    CopySection(storePath, kListSection, profilePath, kListSection);
    WCHAR name[64];
    for (int i = 0; ReadListEntry(storePath, i, name, ARRAYSIZE(name)); ++i)
        CopySection(storePath, name, profilePath, name);
    CopySection(storePath, printerName, profilePath, kDefaultSection);
}

int ImportWatermarksFromProfile(const WCHAR* storePath, const WCHAR* printerName,
                                const WCHAR* profilePath)
{
    int next = CountListEntries(storePath);
    int imported = 0;
    WCHAR name[64];
    for (int i = 0; ReadListEntry(profilePath, i, name, ARRAYSIZE(name)); ++i, ++imported) {
        if (!HasSection(storePath, name))
            WriteWatermarkListEntry(storePath, next++, name);
        CopySection(profilePath, name, storePath, name);
    }
    CopySection(profilePath, kDefaultSection, storePath, printerName);
    return imported;
}

void WriteCurrentWatermark(const WCHAR* storePath, const WCHAR* printerName, int index)
{
    WriteInt(printerName, kCurrentKey, index, storePath);
}

void WriteWatermarkListEntry(const WCHAR* storePath, int index, const WCHAR* name)
{
    WCHAR key[16];
    swprintf(key, 16, L"%d", index);
    WritePrivateProfileStringW(kListSection, key, name, storePath);
}

void RewriteWatermarkList(const WCHAR* storePath, const WCHAR* const* names, int count)
{
    WritePrivateProfileStringW(kListSection, nullptr, nullptr, storePath);
    for (int i = 0; i < count; ++i)
        WriteWatermarkListEntry(storePath, i, names[i]);
}

void WriteWatermarkSection(const WCHAR* path, const WatermarkDefinition& w)
{
    const WCHAR* name = w.name;
    WritePrivateProfileStringW(name, L"Strings", w.text, path);
    WritePrivateProfileStringW(name, L"Font", w.face, path);
    WriteInt(name, L"Size", w.size, path);
    WriteInt(name, L"Style", w.style, path);
    WriteInt(name, L"Color", w.darkness, path);
    // Stored in degrees; C++ division truncates toward zero as intended.
    WriteInt(name, L"Angle", w.escapement / 10, path);
    WriteInt(name, L"AutoCenter", w.autoCentre ? 1 : 0, path);
    WriteInt(name, L"x", w.offsetX, path);
    WriteInt(name, L"y", w.offsetY, path);
    WriteInt(name, L"Scale", w.scale, path);
    WritePrivateProfileStringW(name, L"File", w.file, path);
    if (w.file[0])
        WritePrivateProfileStringW(name, L"TmpFile", w.tempFile, path);
}

void CopyWatermarkSection(const WCHAR* fromPath, const WCHAR* toPath, const WCHAR* name)
{
    CopySection(fromPath, name, toPath, name);
}

void RemoveWatermarkSection(const WCHAR* path, const WCHAR* name)
{
    WritePrivateProfileStringW(name, nullptr, nullptr, path);
}

BOOL TruncateWatermarkStore(const WCHAR* storePath)
{
    HANDLE file = CreateFileW(storePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

int CountWatermarkListEntries(const WCHAR* path)
{
    return CountListEntries(path);
}

BOOL HasWatermarkSection(const WCHAR* path, const WCHAR* name)
{
    return HasSection(path, name);
}

// Every user's sessions read the private copy of a bitmap watermark.
void ShareWatermarkCopy(const WCHAR* path)
{
    SECURITY_DESCRIPTOR descriptor;
    if (InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
        SetFileSecurityW(path, DACL_SECURITY_INFORMATION, &descriptor);
}
