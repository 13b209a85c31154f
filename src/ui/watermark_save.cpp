// What the watermark editor's OK and the Advanced page's "Delete" do to the
// store, the shared model file and the page's watermark lists.
#include "ui/watermark_editor.h"
#include "ui/watermark_editor_parts.h"

#include "core/message_format.h"
#include "core/module_state.h"
#include "ui/sheet_session.h"

#include <cwchar>
#include <functional>

namespace {

const UINT kIdDeleteQuestion = 3013;
const UINT kIdDeleteTitle = 3015;
const UINT kIdDeleteAllQuestion = 4701;
const int kNameChars = 64;

using NameAt = std::function<bool(int index, WCHAR* name)>;

// Writes the list of path anew from count names; the names are gathered
// first because rewriting drops the old list before it writes.
void RewriteListFrom(const WCHAR* path, HANDLE heap, int count, const NameAt& nameAt)
{
    const SIZE_T bytes = static_cast<SIZE_T>(count) * (kNameChars * sizeof(WCHAR) + sizeof(WCHAR*));
    void* block = count > 0 ? HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes) : nullptr;
    if (count > 0 && !block)
        return;
    auto* pointers = static_cast<const WCHAR**>(block);
    auto* names = reinterpret_cast<WCHAR*>(pointers + count);
    int gathered = 0;
    for (int i = 0; i < count; ++i) {
        WCHAR* name = names + static_cast<size_t>(gathered) * kNameChars;
        if (nameAt(i, name))
            pointers[gathered++] = name;
    }
    RewriteWatermarkList(path, pointers, gathered);
    if (block)
        HeapFree(heap, 0, block);
}

bool ListBoxName(HWND list, int index, WCHAR* name)
{
    if (SendMessageW(list, LB_GETTEXTLEN, index, 0) >= kNameChars)
        return false;
    return SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name)) > 0;
}

bool FileIsThere(const WCHAR* path)
{
    return path[0] && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// The private copy of a bitmap watermark goes with its definition.
void RemoveBitmapCopy(const WCHAR* store, const WCHAR* name)
{
    WCHAR copy[MAX_PATH] = {};
    GetPrivateProfileStringW(name, L"TmpFile", L"", copy, MAX_PATH, store);
    if (copy[0])
        DeleteFileW(copy);
}

// A bitmap is drawn from a private copy, so that the watermark survives the
// user moving or editing the file chosen. The copy keeps its name across
// edits; a new one is made in the user's temporary folder.
void MakeBitmapCopy(const WCHAR* store, WatermarkDefinition& definition)
{
    WCHAR copy[MAX_PATH] = {};
    GetPrivateProfileStringW(definition.name, L"TmpFile", L"", copy, MAX_PATH, store);
    if (!FileIsThere(copy)) {
        WCHAR folder[MAX_PATH];
        const DWORD length = GetTempPathW(80, folder);
        copy[0] = L'\0';
        if (length == 0 || length > 80 || !GetTempFileNameW(folder, L"kv", 0, copy))
            copy[0] = L'\0';
    }
    if (copy[0] && CopyFileW(definition.file, copy, FALSE)) {
        SetFileAttributesW(copy, FILE_ATTRIBUTE_NORMAL);
        ShareWatermarkCopy(copy);
    }
    lstrcpynW(definition.tempFile, copy, MAX_PATH);
}

// A watermark that turns from bitmap to text leaves no copy behind.
void DropBitmapCopy(const WCHAR* store, const WCHAR* name)
{
    RemoveBitmapCopy(store, name);
    WritePrivateProfileStringW(name, L"TmpFile", nullptr, store);
}

void MirrorDefinition(const WatermarkState* state, const WCHAR* name)
{
    const WCHAR* shared = state->sharedPath;
    if (!HasWatermarkSection(shared, name))
        WriteWatermarkListEntry(shared, CountWatermarkListEntries(shared), name);
    CopyWatermarkSection(state->storePath, shared, name);
}

void RemoveFromSharedFile(const UiSession* session, const WCHAR* name)
{
    const WCHAR* shared = session->sheet.watermark->sharedPath;
    if (!FileIsThere(shared))
        return;
    const int count = CountWatermarkListEntries(shared);
    int position = -1;
    WCHAR entry[kNameChars];
    for (int i = 0; i < count && position < 0; ++i)
        if (ReadWatermarkListEntry(shared, i, entry, kNameChars) && lstrcmpiW(entry, name) == 0)
            position = i;
    if (position >= 0)
        RewriteListFrom(shared, session->heap, count - 1, [&](int i, WCHAR* out) {
            return ReadWatermarkListEntry(shared, i < position ? i : i + 1, out, kNameChars) != FALSE;
        });
    RemoveWatermarkSection(shared, name);
}

// The deleted watermark's drawing leaves the settings; what the printer
// uses next is loaded by the caller.
void ForgetDeletedWatermark(UiSession* session)
{
    ZeroMemory(session->devmode.priv.processor.watermark.text,
               sizeof(session->devmode.priv.processor.watermark.text));
    ReleaseWatermarkState(session->sheet.watermark);
}

BOOL DeleteSelected(HWND page, UiSession* session)
{
    WatermarkState* state = session->sheet.watermark;
    HWND list = GetDlgItem(page, kIdWatermarkList);
    const int selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    WCHAR name[kNameChars], format[256], question[512];
    if (selected < 0 || !ListBoxName(list, selected, name))
        return FALSE;
    LoadWatermarkText(session, kIdDeleteQuestion, format, ARRAYSIZE(format));
    FormatDriverMessage(question, ARRAYSIZE(question), format, name);
    if (AskWatermarkQuestion(page, session, question, kIdDeleteTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;

    RemoveBitmapCopy(state->storePath, name);
    RemoveWatermarkSection(state->storePath, name);
    if (IsStoreMirrored(session))
        RemoveFromSharedFile(session, name);
    SendMessageW(list, LB_DELETESTRING, selected, 0);
    SendDlgItemMessageW(page, kIdWatermarkPageCombo, CB_DELETESTRING, selected, 0);
    const int remaining = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    RewriteListFrom(state->storePath, session->heap, remaining,
                    [list](int i, WCHAR* out) { return ListBoxName(list, i, out); });
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    WriteCurrentWatermark(state->storePath, state->printerName, 0);

    ForgetDeletedWatermark(session);
    state->selectedIndex = 0;
    session->devmode.priv.watermarkIndex = 0;
    LoadCurrentWatermark(state, &session->devmode.pub, nullptr);
    return TRUE;
}

BOOL DeleteAll(HWND page, UiSession* session)
{
    WatermarkState* state = session->sheet.watermark;
    WCHAR question[256];
    LoadWatermarkText(session, kIdDeleteAllQuestion, question, ARRAYSIZE(question));
    if (!question[0])
        lstrcpyW(question, L"Delete All ?");
    if (AskWatermarkQuestion(page, session, question, kIdDeleteTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;

    HWND list = GetDlgItem(page, kIdWatermarkList);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    WCHAR name[kNameChars];
    for (int i = 0; ReadWatermarkListEntry(state->storePath, i, name, kNameChars); ++i)
        RemoveBitmapCopy(state->storePath, name);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    // The page combo keeps its closing "None".
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageW(page, kIdWatermarkPageCombo, CB_DELETESTRING, 0, 0);
    if (IsStoreMirrored(session) && FileIsThere(state->sharedPath))
        TruncateWatermarkStore(state->sharedPath);
    TruncateWatermarkStore(state->storePath);

    ForgetDeletedWatermark(session);
    state->selectedIndex = 0;
    session->devmode.priv.watermarkIndex = 0;
    return TRUE;
}

} // namespace

void LoadWatermarkText(const UiSession* session, UINT id, WCHAR* text, int capacity)
{
    HMODULE strings = SheetOf(session)->languageModule;
    text[0] = L'\0';
    if (LoadStringW(strings ? strings : g_module.resourceModule, id, text, capacity) <= 0)
        text[0] = L'\0';
}

int AskWatermarkQuestion(HWND owner, const UiSession* session, const WCHAR* text, UINT titleId,
                         UINT style)
{
    WCHAR title[128];
    LoadWatermarkText(session, titleId, title, ARRAYSIZE(title));
    return MessageBoxW(owner, text, title, style);
}

BOOL IsStoreMirrored(const UiSession* session)
{
    const WatermarkState* state = session->sheet.watermark;
    return !SheetOf(session)->userDefault && state && state->sharedPath[0];
}

int SaveWatermarkDefinition(HWND page, HWND editor, UiSession* session,
                            WatermarkDefinition& definition)
{
    WatermarkState* state = session->sheet.watermark;
    const WCHAR* store = state->storePath;
    HWND list = GetDlgItem(page, kIdWatermarkList);
    int index = static_cast<int>(
        SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(definition.name)));
    if (index < 0) {
        const LPARAM title = reinterpret_cast<LPARAM>(definition.name);
        index = static_cast<int>(SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), title));
        SendDlgItemMessageW(page, kIdWatermarkPageCombo, CB_INSERTSTRING, index, title);
        SendDlgItemMessageW(editor, kIdWatermarkTitle, CB_ADDSTRING, 0, title);
    }
    WriteCurrentWatermark(store, state->printerName, index);
    if (index == SendMessageW(list, LB_GETCOUNT, 0, 0) - 1)
        WriteWatermarkListEntry(store, index, definition.name);
    if (definition.file[0])
        MakeBitmapCopy(store, definition);
    else
        DropBitmapCopy(store, definition.name);
    WriteWatermarkSection(store, definition);
    if (IsStoreMirrored(session))
        MirrorDefinition(state, definition.name);
    SendMessageW(list, LB_SETCURSEL, index, 0);
    return index;
}

BOOL DeleteWatermarkFromPage(HWND advancedPage, UiSession* session, BOOL all)
{
    if (!IsUiSession(session) || !session->sheet.watermark || !SheetOf(session)->watermarkStoreWritable)
        return FALSE;
    return all ? DeleteAll(advancedPage, session) : DeleteSelected(advancedPage, session);
}
