// "Watermark Setting": the editor the Advanced page opens to create or
// change a watermark. The dialog's controls hold the watermark being
// edited; OK writes it to the store and loads it as the printer's current
// watermark, Cancel puts back what the session held when the dialog opened.
#include "ui/watermark_editor.h"
#include "ui/watermark_editor_parts.h"

#include "core/module_state.h"
#include "settings/watermark_bitmap.h"
#include "ui/context_help.h"
#include "ui/controls.h"
#include "ui/dialog_placement.h"
#include "ui/sheet_session.h"

#include <commdlg.h>

#include <cwchar>
#include <cwctype>
#include <initializer_list>

namespace {

const WORD kEditorTemplate = 107;

enum EditorControl : int {
    kIdTitleLabel = 532,
    kIdTextStyle = 535,
    kIdBitmapStyle = 536,
    kIdText = 539,
    kIdFace = 541,
    kIdSize = 543,
    kIdSizeSpin = 544,
    kIdDarkness = 546,
    kIdDarknessSpin = 547,
    kIdFontStyle = 550,
    kIdBitmapFile = 553,
    kIdBrowse = 554,
    kIdScaling = 556,
    kIdScalingSpin = 557,
    kIdAutoCentre = 559,
    kIdOffsetX = 560,
    kIdOffsetXSpin = 561,
    kIdOffsetY = 562,
    kIdOffsetYSpin = 563,
    kIdAngle = 565,
    kIdAngleSpin = 566,
    kIdPaperName = 287,
    kIdPreview = 288,
    kIdHelp = 9,
};

const UINT kIdNotSavedQuestion = 3000;
const UINT kIdTitleMissing = 3012;
const UINT kIdSaveTitle = 3014;
const UINT kIdBitmapTitle = 3016;
const UINT kIdBitmapMissing = 3017;
const UINT kIdBitmapFilter = 3018;
const UINT kIdStyleNameFirst = 3008;
const UINT kIdWideBlank = 2140;
const int kTextChars = 31;

// The numbers of the dialog: an edit, the spin beside it, the edit's
// length, and the spin's range where the template's text does not give it.
struct NumberField {
    int edit;
    int spin;
    int maxChars;
    short lower, upper;   // lower == upper: keep the template's range
};
const NumberField kNumberFields[] = {
    {kIdSize, kIdSizeSpin, 3, 0, 0},
    {kIdDarkness, kIdDarknessSpin, 3, 0, 0},
    {kIdScaling, kIdScalingSpin, 3, 25, 999},
    {kIdOffsetX, kIdOffsetXSpin, 4, 0, 0},
    {kIdOffsetY, kIdOffsetYSpin, 4, 0, 0},
    {kIdAngle, kIdAngleSpin, 5, -360, 360},
};
// The offsets are shown moved into the spins' 0..200.
const int kOffsetShift = 100;

const ControlHelp kEditorHelp[] = {
    {kIdWatermarkTitle, kHelpWatermarkEditor}, {kIdTextStyle, kHelpWatermarkEditor},
    {kIdBitmapStyle, kHelpWatermarkEditor},    {kIdText, kHelpWatermarkEditor},
    {kIdFace, kHelpWatermarkEditor},           {kIdSize, kHelpWatermarkEditor},
    {kIdDarkness, kHelpWatermarkEditor},       {kIdFontStyle, kHelpWatermarkEditor},
    {kIdBitmapFile, kHelpWatermarkEditor},     {kIdBrowse, kHelpWatermarkEditor},
    {kIdScaling, kHelpWatermarkEditor},        {kIdAutoCentre, kHelpWatermarkEditor},
    {kIdOffsetX, kHelpWatermarkEditor},        {kIdOffsetY, kHelpWatermarkEditor},
    {kIdAngle, kHelpWatermarkEditor},          {kIdPreview, kHelpWatermarkEditor},
    {0, 0},
};

// What the session held when the editor opened, for Cancel. The blocks of
// the watermark state belong here while the editor runs; the state works
// on copies of them.
struct Snapshot {
    WatermarkRecord record;
    DWORD gray;
    LONG offsetX, offsetY;
    WORD scale;
    WORD watermarkIndex;
    WatermarkState state;
};

struct Editor {
    UiSession* session;
    HWND page;
    BOOL isNew;
    BOOL filling;          // the editor is filling its controls: not the user's change
    BOOL dirty;
    BOOL dragging;
    BOOL finished;         // OK or Cancel has settled the snapshot
    BOOL currentChosen;    // a title chosen here was written as the printer's current one
    HGLOBAL previewBitmap; // the bitmap the preview shows
    Snapshot snapshot;
};

Editor* EditorOf(HWND dialog)
{
    return reinterpret_cast<Editor*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HGLOBAL CopyBlock(HGLOBAL block)
{
    if (!block)
        return nullptr;
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    const void* from = GlobalLock(block);
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (from && to)
        CopyMemory(to, from, size);
    if (to)
        GlobalUnlock(copy);
    if (from)
        GlobalUnlock(block);
    if (copy && !(from && to)) {
        GlobalFree(copy);
        copy = nullptr;
    }
    return copy;
}

void TakeSnapshot(Editor* editor)
{
    UiSession* session = editor->session;
    ProcessorBlock& block = session->devmode.priv.processor;
    WatermarkState* state = session->sheet.watermark;
    Snapshot& saved = editor->snapshot;
    saved.record = block.watermark;
    saved.gray = block.watermarkGray;
    saved.offsetX = block.watermarkOffsetX;
    saved.offsetY = block.watermarkOffsetY;
    saved.scale = block.watermarkScale;
    saved.watermarkIndex = session->devmode.priv.watermarkIndex;
    saved.state = *state;
    state->bitmap = CopyBlock(saved.state.bitmap);
    state->bitmapPath = CopyBlock(saved.state.bitmapPath);
    state->tempPath = CopyBlock(saved.state.tempPath);
}

void RestoreSnapshot(Editor* editor)
{
    UiSession* session = editor->session;
    ProcessorBlock& block = session->devmode.priv.processor;
    WatermarkState* state = session->sheet.watermark;
    const Snapshot& saved = editor->snapshot;
    ReleaseWatermarkState(state);
    *state = saved.state;
    block.watermark = saved.record;
    block.watermarkGray = saved.gray;
    block.watermarkOffsetX = saved.offsetX;
    block.watermarkOffsetY = saved.offsetY;
    block.watermarkScale = saved.scale;
    session->devmode.priv.watermarkIndex = saved.watermarkIndex;
    // A title chosen in the editor made its watermark the printer's current one.
    if (editor->currentChosen && state->selectedIndex != kNoWatermarkSelected)
        WriteCurrentWatermark(state->storePath, state->printerName, state->selectedIndex);
    editor->finished = TRUE;
}

void DropSnapshot(Editor* editor)
{
    ReleaseWatermarkState(&editor->snapshot.state);
    editor->finished = TRUE;
}

// --- The controls ---

bool IsBlankCharacter(WCHAR c, WCHAR wideBlank)
{
    return c == L' ' || c == L'\t' || (wideBlank && c == wideBlank);
}

bool IsBlankTitle(const Editor* editor, const WCHAR* title)
{
    WCHAR wide[4];
    LoadWatermarkText(editor->session, kIdWideBlank, wide, ARRAYSIZE(wide));
    for (; *title; ++title)
        if (!IsBlankCharacter(*title, wide[0]))
            return false;
    return true;
}

// The title as saved: at most the text's length, without the blanks the
// profile functions would drop around a section name anyway.
void ReadTitle(HWND dialog, WCHAR* title, int capacity)
{
    GetDlgItemTextW(dialog, kIdWatermarkTitle, title, capacity);
    const WCHAR* start = title;
    while (*start == L' ' || *start == L'\t')
        ++start;
    int length = lstrlenW(start);
    while (length > 0 && (start[length - 1] == L' ' || start[length - 1] == L'\t'))
        --length;
    wmemmove(title, start, length);
    title[length] = L'\0';
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SpinRange(HWND dialog, const NumberField& field, int* lower, int* upper)
{
    const LRESULT range = SendDlgItemMessageW(dialog, field.spin, kSpinGetRange, 0, 0);
    *lower = static_cast<short>(LOWORD(range));
    *upper = static_cast<short>(HIWORD(range));
}

// The edit's number; false when it holds none.
bool ParseNumber(HWND dialog, int edit, int* value)
{
    WCHAR text[16];
    GetDlgItemTextW(dialog, edit, text, ARRAYSIZE(text));
    const WCHAR* digits = text[0] == L'-' ? text + 1 : text;
    if (!*digits)
        return false;
    for (const WCHAR* c = digits; *c; ++c)
        if (!iswdigit(*c))
            return false;
    *value = _wtoi(text);
    return true;
}

// The field's value within its range: a text that is no number reads as
// the spin's position.
int ReadNumber(HWND dialog, const NumberField& field)
{
    int lower, upper, value;
    SpinRange(dialog, field, &lower, &upper);
    if (!ParseNumber(dialog, field.edit, &value))
        value = static_cast<int>(static_cast<short>(SendDlgItemMessageW(dialog, field.spin, kSpinGetPosition, 0, 0)));
    return value < lower ? lower : value > upper ? upper : value;
}

const NumberField& FieldOf(int edit)
{
    for (const NumberField& field : kNumberFields)
        if (field.edit == edit)
            return field;
    return kNumberFields[0];
}

int ReadField(HWND dialog, int edit)
{
    return ReadNumber(dialog, FieldOf(edit));
}

void SetNumber(HWND dialog, int edit, int value)
{
    SetDlgItemInt(dialog, edit, static_cast<UINT>(value), TRUE);
}

WCHAR* LockedPath(HGLOBAL block)
{
    return block ? static_cast<WCHAR*>(GlobalLock(block)) : nullptr;
}

void SetPathText(HWND dialog, HGLOBAL block)
{
    const WCHAR* path = LockedPath(block);
    SetDlgItemTextW(dialog, kIdBitmapFile, path ? path : L"");
    if (path)
        GlobalUnlock(block);
}

void ReplacePreviewBitmap(Editor* editor, HGLOBAL bitmap)
{
    FreeWatermarkBitmap(editor->previewBitmap);
    editor->previewBitmap = bitmap;
}

// Loads the bitmap file for the preview; FALSE when it is no bitmap this
// driver can print.
BOOL LoadPreviewBitmap(Editor* editor, const WCHAR* path)
{
    char narrow[MAX_PATH * 2];
    HGLOBAL bitmap = nullptr;
    DWORD colours = 0;
    const BOOL loaded = path[0] &&
                        WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof(narrow), nullptr, nullptr) > 0 &&
                        LoadWatermarkBitmap(narrow, &bitmap, &colours);
    ReplacePreviewBitmap(editor, loaded ? bitmap : nullptr);
    return loaded;
}

void ShowBitmapFailure(HWND dialog, const Editor* editor)
{
    WCHAR text[256];
    LoadWatermarkText(editor->session, kIdBitmapMissing, text, ARRAYSIZE(text));
    AskWatermarkQuestion(dialog, editor->session, text, kIdBitmapTitle, MB_ICONHAND);
}

void EnableControls(HWND dialog, const Editor* editor)
{
    const bool bitmap = IsChecked(dialog, kIdBitmapStyle);
    EnableWindow(GetDlgItem(dialog, kIdText), !bitmap);
    for (int id : {kIdFace, kIdFontStyle, kIdSize, kIdSizeSpin})
        EnableWindow(GetDlgItem(dialog, id), !bitmap);
    for (int id : {kIdBitmapFile, kIdBrowse, kIdScaling, kIdScalingSpin})
        EnableWindow(GetDlgItem(dialog, id), bitmap);
    const bool placed = !IsChecked(dialog, kIdAutoCentre);
    for (int id : {kIdOffsetX, kIdOffsetXSpin, kIdOffsetY, kIdOffsetYSpin})
        EnableWindow(GetDlgItem(dialog, id), placed);

    WCHAR title[64];
    GetDlgItemTextW(dialog, kIdWatermarkTitle, title, ARRAYSIZE(title));
    EnableWindow(GetDlgItem(dialog, IDOK),
                 SheetOf(editor->session)->watermarkStoreWritable && !IsBlankTitle(editor, title));
}

void SelectFace(HWND dialog, const WCHAR* face)
{
    HWND combo = GetDlgItem(dialog, kIdFace);
    LRESULT item = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face));
    // A face that is not installed stays the watermark's: the printer may
    // have it, and an unchanged watermark is saved as it came.
    if (item == CB_ERR)
        item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
    SendMessageW(combo, CB_SETCURSEL, item, 0);
}

// The text as the store keeps it; the settings hold only an 8-bit copy.
void FillText(HWND dialog, const Editor* editor)
{
    const WatermarkState* state = editor->session->sheet.watermark;
    WCHAR title[64], text[kTextChars + 1] = {};
    GetDlgItemTextW(dialog, kIdWatermarkTitle, title, ARRAYSIZE(title));
    if (!title[0] || !GetPrivateProfileStringW(title, L"Strings", L"", text, ARRAYSIZE(text), state->storePath))
        MultiByteToWideChar(CP_ACP, 0, editor->session->devmode.priv.processor.watermark.text, -1, text,
                            ARRAYSIZE(text));
    text[kTextChars] = L'\0';
    SetDlgItemTextW(dialog, kIdText, text);
}

// Shows the session's current watermark in the controls.
void FillFromSettings(HWND dialog, Editor* editor)
{
    const UiSession* session = editor->session;
    const WatermarkState* state = session->sheet.watermark;
    const ProcessorBlock& block = session->devmode.priv.processor;
    const LOGFONTW& font = block.watermark.font;
    editor->filling = TRUE;
    FillText(dialog, editor);
    SelectFace(dialog, font.lfFaceName);
    SetNumber(dialog, kIdSize, font.lfHeight);
    SendDlgItemMessageW(dialog, kIdFontStyle, CB_SETCURSEL, (font.lfItalic ? 1 : 0) | (font.lfWeight >= FW_BOLD ? 2 : 0), 0);
    SetNumber(dialog, kIdDarkness, static_cast<int>(block.watermarkGray));
    SetNumber(dialog, kIdScaling, block.watermarkScale);
    CheckDlgButton(dialog, kIdAutoCentre, state->autoCentre ? BST_CHECKED : BST_UNCHECKED);
    SetNumber(dialog, kIdOffsetX, block.watermarkOffsetX + kOffsetShift);
    SetNumber(dialog, kIdOffsetY, block.watermarkOffsetY + kOffsetShift);
    SetNumber(dialog, kIdAngle, font.lfEscapement / 10);
    CheckRadioButton(dialog, kIdTextStyle, kIdBitmapStyle, state->isBitmap ? kIdBitmapStyle : kIdTextStyle);
    SetPathText(dialog, state->isBitmap ? state->bitmapPath : nullptr);
    ReplacePreviewBitmap(editor, state->isBitmap ? CopyBlock(state->bitmap) : nullptr);
    editor->filling = FALSE;
    editor->dirty = FALSE;
    EnableControls(dialog, editor);
    InvalidateRect(GetDlgItem(dialog, kIdPreview), nullptr, FALSE);
}

// The watermark as the controls show it.
void ReadDefinition(HWND dialog, WatermarkDefinition* definition)
{
    ZeroMemory(definition, sizeof(*definition));
    ReadTitle(dialog, definition->name, kTextChars + 1);
    const bool bitmap = IsChecked(dialog, kIdBitmapStyle);
    if (!bitmap)
        GetDlgItemTextW(dialog, kIdText, definition->text, kTextChars + 1);
    HWND face = GetDlgItem(dialog, kIdFace);
    const LRESULT item = SendMessageW(face, CB_GETCURSEL, 0, 0);
    if (item != CB_ERR && SendMessageW(face, CB_GETLBTEXTLEN, item, 0) < LF_FACESIZE)
        SendMessageW(face, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(definition->face));
    const LRESULT style = SendDlgItemMessageW(dialog, kIdFontStyle, CB_GETCURSEL, 0, 0);
    definition->style = style == CB_ERR ? 0 : static_cast<int>(style);
    definition->size = ReadField(dialog, kIdSize);
    definition->darkness = ReadField(dialog, kIdDarkness);
    definition->escapement = ReadField(dialog, kIdAngle) * 10;
    definition->autoCentre = IsChecked(dialog, kIdAutoCentre);
    definition->offsetX = ReadField(dialog, kIdOffsetX) - kOffsetShift;
    definition->offsetY = ReadField(dialog, kIdOffsetY) - kOffsetShift;
    definition->scale = ReadField(dialog, kIdScaling);
    if (bitmap)
        GetDlgItemTextW(dialog, kIdBitmapFile, definition->file, MAX_PATH);
}

// --- Opening ---

int CALLBACK AddFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM combo)
{
    // Vertical variants ("@face") are not faces a user picks.
    const WCHAR* face = font->lfFaceName;
    HWND list = reinterpret_cast<HWND>(combo);
    if (face[0] != L'@' &&
        SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face)) == CB_ERR)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
    return 1;
}

void FillFaces(HWND dialog)
{
    HDC dc = GetDC(dialog);
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &all, AddFace, reinterpret_cast<LPARAM>(GetDlgItem(dialog, kIdFace)), 0);
    ReleaseDC(dialog, dc);
}

void FillChoiceLists(HWND dialog, const Editor* editor)
{
    HWND titles = GetDlgItem(dialog, kIdWatermarkTitle);
    HWND list = GetDlgItem(editor->page, kIdWatermarkList);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR name[64];
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(ARRAYSIZE(name)) &&
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name)) >= 0)
            SendMessageW(titles, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageW(titles, CB_LIMITTEXT, kTextChars, 0);
    FillFaces(dialog);
    for (UINT i = 0; i < 4; ++i) {
        WCHAR style[64];
        LoadWatermarkText(editor->session, kIdStyleNameFirst + i, style, ARRAYSIZE(style));
        SendDlgItemMessageW(dialog, kIdFontStyle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(style));
    }
}

void PrepareNumbers(HWND dialog)
{
    for (const NumberField& field : kNumberFields) {
        SendDlgItemMessageW(dialog, field.edit, EM_LIMITTEXT, field.maxChars, 0);
        if (field.lower != field.upper)
            SendDlgItemMessageW(dialog, field.spin, kSpinSetRange, 0,
                                MAKELONG(static_cast<WORD>(field.lower), static_cast<WORD>(field.upper)));
    }
    SendDlgItemMessageW(dialog, kIdText, EM_LIMITTEXT, kTextChars, 0);
}

void InitEditor(HWND dialog, Editor* editor)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(editor));
    PlaceDialog(dialog);
    FillChoiceLists(dialog, editor);
    PrepareNumbers(dialog);
    SetDlgItemTextW(dialog, kIdPaperName, editor->session->devmode.pub.dmFormName);
    const WatermarkState* state = editor->session->sheet.watermark;
    if (!editor->isNew && state->selectedIndex != kNoWatermarkSelected)
        SendDlgItemMessageW(dialog, kIdWatermarkTitle, CB_SETCURSEL, state->selectedIndex, 0);
    FillFromSettings(dialog, editor);
    if (editor->isNew) {
        SetDlgItemTextW(dialog, kIdWatermarkTitle, L"");
        editor->filling = TRUE;
        // A new watermark starts as a text; the rest of the current one's
        // values are its starting point.
        SetDlgItemTextW(dialog, kIdText, L"");
        SelectFace(dialog, L"Arial");
        CheckRadioButton(dialog, kIdTextStyle, kIdBitmapStyle, kIdTextStyle);
        SetDlgItemTextW(dialog, kIdBitmapFile, L"");
        ReplacePreviewBitmap(editor, nullptr);
        editor->filling = FALSE;
        EnableControls(dialog, editor);
    }
}

// --- The user's actions ---

void Changed(HWND dialog, Editor* editor)
{
    if (editor->filling)
        return;
    editor->dirty = TRUE;
    EnableControls(dialog, editor);
    InvalidateRect(GetDlgItem(dialog, kIdPreview), nullptr, FALSE);
}

// A title chosen from the list becomes the printer's current watermark
// and is shown for editing.
void OnTitleChosen(HWND dialog, Editor* editor)
{
    const LRESULT chosen = SendDlgItemMessageW(dialog, kIdWatermarkTitle, CB_GETCURSEL, 0, 0);
    if (chosen == CB_ERR)
        return;
    UiSession* session = editor->session;
    WatermarkState* state = session->sheet.watermark;
    WCHAR title[64] = {};
    if (SendDlgItemMessageW(dialog, kIdWatermarkTitle, CB_GETLBTEXTLEN, chosen, 0) < static_cast<LRESULT>(ARRAYSIZE(title)))
        SendDlgItemMessageW(dialog, kIdWatermarkTitle, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(title));
    // The edit part shows the choice only after this notification.
    SetDlgItemTextW(dialog, kIdWatermarkTitle, title);
    WriteCurrentWatermark(state->storePath, state->printerName, static_cast<int>(chosen));
    editor->currentChosen = TRUE;
    state->selectedIndex = static_cast<WORD>(chosen);
    LoadCurrentWatermark(state, &session->devmode.pub, nullptr);
    FillFromSettings(dialog, editor);
}

void OnTitleTyped(HWND dialog, Editor* editor)
{
    WCHAR title[64];
    HWND combo = GetDlgItem(dialog, kIdWatermarkTitle);
    GetWindowTextW(combo, title, ARRAYSIZE(title));
    if (wcschr(title, L'\t')) {
        WCHAR* to = title;
        for (const WCHAR* from = title; *from; ++from)
            if (*from != L'\t')
                *to++ = *from;
        *to = L'\0';
        SetWindowTextW(combo, title);
        const int end = lstrlenW(title);
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    }
    Changed(dialog, editor);
}

// A spin stepped by the user: its position, kept in range, goes to its edit.
void OnSpin(HWND dialog, WPARAM wParam, HWND spin)
{
    for (const NumberField& field : kNumberFields) {
        if (GetDlgItem(dialog, field.spin) != spin)
            continue;
        int lower, upper;
        SpinRange(dialog, field, &lower, &upper);
        int position = static_cast<short>(HIWORD(wParam));
        position = position < lower ? lower : position > upper ? upper : position;
        SetNumber(dialog, field.edit, position);
        return;
    }
}

// A typed number moves its spin when it is in range; leaving the edit puts
// a number out of range back into it.
void OnNumberEdited(HWND dialog, Editor* editor, int edit, WORD code)
{
    const NumberField& field = FieldOf(edit);
    int lower, upper, value;
    SpinRange(dialog, field, &lower, &upper);
    const bool valid = ParseNumber(dialog, edit, &value) && value >= lower && value <= upper;
    if (code == EN_CHANGE) {
        if (valid)
            SendDlgItemMessageW(dialog, field.spin, kSpinSetPosition, static_cast<WPARAM>(value), 0);
        Changed(dialog, editor);
    } else if (code == EN_KILLFOCUS && !valid) {
        SetNumber(dialog, edit, ReadNumber(dialog, field));
    }
}

BOOL BrowseForBitmap(HWND dialog, WCHAR* path)
{
    HMODULE library = LoadLibraryW(L"comdlg32.dll");
    auto open = library ? reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEW*)>(
                              reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameW")))
                        : nullptr;
    const Editor* editor = EditorOf(dialog);
    WCHAR filter[256];
    LoadWatermarkText(editor->session, kIdBitmapFilter, filter, ARRAYSIZE(filter) - 1);
    // The resource separates the filter's strings with '|'.
    for (WCHAR* c = filter; *c; ++c)
        if (*c == L'|')
            *c = L'\0';
    filter[ARRAYSIZE(filter) - 1] = L'\0';
    OPENFILENAMEW choice = {};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = dialog;
    choice.lpstrFilter = filter;
    choice.lpstrFile = path;
    choice.nMaxFile = MAX_PATH;
    // The dialog runs in the application's process: browsing must not move
    // the application's current folder, which the open dialog otherwise does.
    choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const BOOL chosen = open && open(&choice);
    if (library)
        FreeLibrary(library);
    return chosen;
}

void OnBrowse(HWND dialog, Editor* editor)
{
    WCHAR path[MAX_PATH];
    GetDlgItemTextW(dialog, kIdBitmapFile, path, MAX_PATH);
    if (!BrowseForBitmap(dialog, path))
        return;
    SetDlgItemTextW(dialog, kIdBitmapFile, path);
    if (!LoadPreviewBitmap(editor, path))
        ShowBitmapFailure(dialog, editor);
    Changed(dialog, editor);
}

void OnBitmapFileLeft(HWND dialog, Editor* editor)
{
    WCHAR path[MAX_PATH];
    GetDlgItemTextW(dialog, kIdBitmapFile, path, MAX_PATH);
    LoadPreviewBitmap(editor, path);
    InvalidateRect(GetDlgItem(dialog, kIdPreview), nullptr, FALSE);
}

// The label of a control without its accelerator mark and colon, as the
// title of a message about that control.
void LabelTitle(HWND dialog, int label, WCHAR* title, int capacity)
{
    GetDlgItemTextW(dialog, label, title, capacity);
    WCHAR* to = title;
    for (const WCHAR* from = title; *from; ++from)
        if (*from != L'&' && *from != L':')
            *to++ = *from;
    *to = L'\0';
}

// OK: the watermark is saved and becomes the printer's current one.
void OnOk(HWND dialog, Editor* editor)
{
    UiSession* session = editor->session;
    WatermarkDefinition definition;
    ReadDefinition(dialog, &definition);
    if (IsBlankTitle(editor, definition.name)) {
        WCHAR text[256], title[64];
        LoadWatermarkText(session, kIdTitleMissing, text, ARRAYSIZE(text));
        LabelTitle(dialog, kIdTitleLabel, title, ARRAYSIZE(title));
        MessageBoxW(dialog, text, title, MB_ICONHAND);
        SetFocus(GetDlgItem(dialog, kIdWatermarkTitle));
        return;
    }
    if (!SheetOf(session)->watermarkStoreWritable)
        return;
    if (IsChecked(dialog, kIdBitmapStyle) && !LoadPreviewBitmap(editor, definition.file)) {
        ShowBitmapFailure(dialog, editor);
        SetFocus(GetDlgItem(dialog, kIdBitmapFile));
        return;
    }
    WatermarkState* state = session->sheet.watermark;
    const int index = SaveWatermarkDefinition(editor->page, dialog, session, definition);
    state->selectedIndex = static_cast<WORD>(index);
    session->devmode.priv.watermarkIndex = static_cast<WORD>(index);
    LoadCurrentWatermark(state, &session->devmode.pub, nullptr);
    DropSnapshot(editor);
    CloseHelpWindows(session);
    EndDialog(dialog, index);
}

void OnCancel(HWND dialog, Editor* editor)
{
    WCHAR title[64];
    GetDlgItemTextW(dialog, kIdWatermarkTitle, title, ARRAYSIZE(title));
    if (editor->dirty && !IsBlankTitle(editor, title) && SheetOf(editor->session)->watermarkStoreWritable) {
        WCHAR question[256];
        LoadWatermarkText(editor->session, kIdNotSavedQuestion, question, ARRAYSIZE(question));
        if (AskWatermarkQuestion(dialog, editor->session, question, kIdSaveTitle, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            OnOk(dialog, editor);
            return;
        }
    }
    RestoreSnapshot(editor);
    CloseHelpWindows(editor->session);
    EndDialog(dialog, -1);
}

void OnCommand(HWND dialog, Editor* editor, int id, WORD code)
{
    switch (id) {
    case IDOK: OnOk(dialog, editor); return;
    case IDCANCEL: OnCancel(dialog, editor); return;
    case kIdHelp: ShowHelpTopic(editor->session, dialog, kHelpWatermarkEditor); return;
    case kIdBrowse: OnBrowse(dialog, editor); return;
    case kIdWatermarkTitle:
        if (code == CBN_SELCHANGE)
            OnTitleChosen(dialog, editor);
        else if (code == CBN_EDITCHANGE)
            OnTitleTyped(dialog, editor);
        return;
    case kIdBitmapFile:
        if (code == EN_KILLFOCUS)
            OnBitmapFileLeft(dialog, editor);
        else if (code == EN_CHANGE)
            Changed(dialog, editor);
        return;
    case kIdText:
        if (code == EN_CHANGE)
            Changed(dialog, editor);
        return;
    case kIdFace:
    case kIdFontStyle:
        if (code == CBN_SELCHANGE)
            Changed(dialog, editor);
        return;
    case kIdTextStyle:
    case kIdBitmapStyle:
    case kIdAutoCentre:
        if (code == BN_CLICKED)
            Changed(dialog, editor);
        return;
    default:
        for (const NumberField& field : kNumberFields)
            if (field.edit == id)
                OnNumberEdited(dialog, editor, id, code);
        return;
    }
}

// --- The preview ---

RECT PreviewClient(HWND dialog)
{
    RECT client = {};
    GetClientRect(GetDlgItem(dialog, kIdPreview), &client);
    return client;
}

void DrawPreview(HWND dialog, const Editor* editor, const DRAWITEMSTRUCT* item)
{
    WatermarkDefinition definition;
    ReadDefinition(dialog, &definition);
    DrawWatermarkPreview(item->hDC, item->rcItem, PreviewPaperOf(editor->session), definition,
                         IsChecked(dialog, kIdBitmapStyle) ? editor->previewBitmap : nullptr);
}

// The preview is a static that lets the mouse through to the dialog.
bool PointInPreview(HWND dialog, LPARAM lParam, POINT* point)
{
    *point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    MapWindowPoints(dialog, GetDlgItem(dialog, kIdPreview), point, 1);
    const RECT client = PreviewClient(dialog);
    return PtInRect(&client, *point) != FALSE;
}

void DragTo(HWND dialog, const Editor* editor, POINT point)
{
    const POINT offsets = PreviewOffsetsAt(PreviewClient(dialog), PreviewPaperOf(editor->session), point);
    SetNumber(dialog, kIdOffsetX, offsets.x + kOffsetShift);
    SetNumber(dialog, kIdOffsetY, offsets.y + kOffsetShift);
}

BOOL OnMouse(HWND dialog, Editor* editor, UINT message, LPARAM lParam)
{
    POINT point;
    const bool inside = PointInPreview(dialog, lParam, &point);
    switch (message) {
    case WM_LBUTTONDOWN:
        if (!inside || IsChecked(dialog, kIdAutoCentre))
            return FALSE;
        editor->dragging = TRUE;
        SetCapture(dialog);
        DragTo(dialog, editor, point);
        return TRUE;
    case WM_MOUSEMOVE:
        if (editor->dragging)
            DragTo(dialog, editor, point);
        return editor->dragging;
    default:   // WM_LBUTTONUP
        if (editor->dragging)
            ReleaseCapture();
        editor->dragging = FALSE;
        return TRUE;
    }
}

INT_PTR CALLBACK EditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        InitEditor(dialog, reinterpret_cast<Editor*>(lParam));
        return TRUE;
    }
    Editor* editor = EditorOf(dialog);
    if (!editor)
        return FALSE;
    if (HandleContextHelp(editor->session, dialog, message, wParam, lParam, kEditorHelp))
        return TRUE;
    switch (message) {
    case WM_COMMAND:
        OnCommand(dialog, editor, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_VSCROLL:
        OnSpin(dialog, wParam, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != kIdPreview)
            return FALSE;
        DrawPreview(dialog, editor, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        return OnMouse(dialog, editor, message, lParam);
    case WM_CAPTURECHANGED:
        editor->dragging = FALSE;
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int RunWatermarkEditor(HWND advancedPage, UiSession* session, BOOL newWatermark)
{
    if (!IsUiSession(session) || !session->sheet.watermark)
        return -1;
    auto* editor = static_cast<Editor*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, sizeof(Editor)));
    if (!editor)
        return -1;
    editor->session = session;
    editor->page = advancedPage;
    editor->isNew = newWatermark;
    TakeSnapshot(editor);
    HMODULE resources = SheetOf(session)->languageModule ? SheetOf(session)->languageModule : g_module.resourceModule;
    const INT_PTR result = DialogBoxParamW(resources, MAKEINTRESOURCEW(kEditorTemplate), advancedPage,
                                           EditorProc, reinterpret_cast<LPARAM>(editor));
    if (!editor->finished)
        RestoreSnapshot(editor);
    FreeWatermarkBitmap(editor->previewBitmap);
    HeapFree(session->heap, 0, editor);
    return result >= 0 ? static_cast<int>(result) : -1;
}
