// The watermark editor as a user drives it: the real dialog over a window
// standing in for the Advanced page (its watermark list and page combo,
// filled from the store as the page fills them), answered message boxes,
// the system's open dialog typed into, HTML Help's recording stand-in, and
// the store and shared files read back through the profile functions.
#include "ui/watermark_editor.h"
#include "ui/watermark_editor_parts.h"

#include "core/module_state.h"
#include "core/ui_session.h"
#include "support/help_standin.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "ui/sheet_session.h"
#include "ui/test_windows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const WCHAR kEditorCaption[] = L"Watermark Setting";
const WCHAR kList[] = L":kvwatermark:";
const int kTitle = 533, kTextStyle = 535, kBitmapStyle = 536, kText = 539, kFace = 541, kSize = 543,
          kDarkness = 546, kFontStyle = 550, kFile = 553, kScaling = 556, kAutoCentre = 559, kX = 560,
          kY = 562, kAngle = 565, kPreview = 288;
const int kBrowse = 554, kHelpButton = 9;
const int kPageList = 293, kPageCombo = 313;
// The file-name field of the system's open dialog (cmb13): on Wine as on
// Windows an extended combo box, typed into through the edit inside it.
const int kOpenFileName = 0x47c;
const WCHAR kSaveQuestion[] = L"The current settings are not saved yet. Do you want to save them now?";
const WCHAR kBitmapRefusalTitle[] = L"Cannot load Bitmap file";
const WCHAR kBitmapRefusal[] = L"The BMP file for Watermark cannot be found.\n\nPlease specify correct file name.";

using Step = std::function<void()>;

// --- Driving modal windows from a thread timer, one step per tick ---

struct ScriptRun {
    std::vector<Step> steps;
    size_t next = 0;
    int idleTicks = 0;
    bool abandoned = false;
};
ScriptRun* g_run = nullptr;

struct FoundWindow {
    const WCHAR* caption;
    HWND window;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<FoundWindow*>(param);
    WCHAR text[128], className[16];
    GetWindowTextW(window, text, ARRAYSIZE(text));
    GetClassNameW(window, className, ARRAYSIZE(className));
    if (lstrcmpW(className, L"#32770") == 0 &&
        (!found->caption || lstrcmpW(text, found->caption) == 0)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// The thread's dialog or message box with that caption (any, when null).
HWND FindModal(const WCHAR* caption)
{
    FoundWindow found = {caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ScriptRun* run = g_run;
    if (!run)
        return;
    if (run->next < run->steps.size()) {
        Step step = run->steps[run->next++];
        step();
        return;
    }
    // A script that leaves a window open must not hang the test program.
    if (++run->idleTicks > 60) {
        if (HWND open = FindModal(nullptr)) {
            run->abandoned = true;
            PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
        }
    }
}

// Runs work (which shows modal windows) while the steps act on them.
template <class Work> auto WithScript(std::vector<Step> steps, Work work)
{
    ScriptRun run;
    run.steps = std::move(steps);
    g_run = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    auto result = work();
    KillTimer(nullptr, timer);
    g_run = nullptr;
    EXPECT_EQ(run.next, run.steps.size()) << "steps left when the window closed";
    EXPECT_FALSE(run.abandoned) << "a window stayed open after the script";
    return result;
}

HWND Editor()
{
    HWND editor = FindModal(kEditorCaption);
    EXPECT_TRUE(editor) << "the editor is not open";
    return editor;
}

// Typing into an edit: the edit reports the change itself.
Step Type(int id, std::wstring text)
{
    return [id, text] { SetDlgItemTextW(Editor(), id, text.c_str()); };
}

// Typing a title into the combo's edit, with the notification the combo
// sends for typing.
Step TypeTitle(std::wstring text)
{
    return [text] {
        HWND editor = Editor(), combo = GetDlgItem(editor, kTitle);
        SetWindowTextW(FindWindowExW(combo, nullptr, L"Edit", nullptr), text.c_str());
        PostMessageW(editor, WM_COMMAND, MAKEWPARAM(kTitle, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}

Step Choose(int id, int index)
{
    return [id, index] {
        HWND editor = Editor(), combo = GetDlgItem(editor, id);
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        PostMessageW(editor, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}

Step Click(int id)
{
    return [id] { PostMessageW(GetDlgItem(Editor(), id), BM_CLICK, 0, 0); };
}

// Enter in an edit: the dialog gets IDOK even while the OK button is disabled.
Step PressEnter()
{
    return [] { PostMessageW(Editor(), WM_COMMAND, IDOK, 0); };
}

Step Check(std::function<void(HWND editor)> check)
{
    return [check] { check(Editor()); };
}

std::wstring MessageText(HWND box)
{
    WCHAR text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, ARRAYSIZE(text));
    return text;
}

// Answers the message box titled title, whose text must be text.
Step Answer(std::wstring title, std::wstring text, int button)
{
    return [title, text, button] {
        HWND box = FindModal(title.c_str());
        ASSERT_TRUE(box) << "no message box titled " << std::string(title.begin(), title.end());
        EXPECT_EQ(MessageText(box), text);
        PostMessageW(box, WM_COMMAND, button, 0);
    };
}

struct OpenDialogSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOpenDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OpenDialogSearch*>(param);
    WCHAR className[16];
    GetClassNameW(window, className, ARRAYSIZE(className));
    if (lstrcmpW(className, L"#32770") == 0 && GetWindow(window, GW_OWNER) == search->owner &&
        GetDlgItem(window, kOpenFileName)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The open-file dialog the editor is showing, or null.
HWND OpenFileDialog()
{
    OpenDialogSearch search = {Editor(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchOpenDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK MatchEdit(HWND window, LPARAM param)
{
    WCHAR className[16];
    GetClassNameW(window, className, ARRAYSIZE(className));
    if (lstrcmpiW(className, L"Edit") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// Types path as the file name into the editor's open dialog and closes the
// dialog with button.
Step ChooseFile(std::wstring path, int button)
{
    return [path, button] {
        HWND dialog = OpenFileDialog(), edit = nullptr;
        ASSERT_TRUE(dialog) << "the open-file dialog is not open";
        EnumChildWindows(GetDlgItem(dialog, kOpenFileName), MatchEdit, reinterpret_cast<LPARAM>(&edit));
        ASSERT_TRUE(edit) << "the open dialog's file name cannot be typed into";
        SetWindowTextW(edit, path.c_str());
        PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    };
}

// Help asked for over a control, as F1 asks for it.
Step AskHelpOn(int id)
{
    return [id] {
        HWND editor = Editor(), control = GetDlgItem(editor, id);
        RECT rect;
        GetWindowRect(control, &rect);
        HELPINFO info = {sizeof(info), HELPINFO_WINDOW, id, control, 0,
                         {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}};
        SendMessageW(editor, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    };
}

// --- The preview ---

struct Ink {
    RECT box;       // where the page is darker than its white
    int darkest;    // the darkest grey level there, 255 when there is no ink
};

// The ink on the page outline, its frame left out.
Ink InkOnPage(const PaintTarget& target, const RECT& page)
{
    Ink ink = {{LONG_MAX, LONG_MAX, -1, -1}, 255};
    for (int y = page.top + 2; y < page.bottom - 2; ++y)
        for (int x = page.left + 2; x < page.right - 2; ++x) {
            const int level = GetRValue(target.Pixel(x, y));
            if (level > 200)
                continue;
            ink.darkest = level < ink.darkest ? level : ink.darkest;
            ink.box = {x < ink.box.left ? x : ink.box.left, y < ink.box.top ? y : ink.box.top,
                       x > ink.box.right ? x : ink.box.right, y > ink.box.bottom ? y : ink.box.bottom};
        }
    return ink;
}

// The ink of the editor's preview as it paints now, on the outline of
// the paper.
Ink PreviewInk(HWND editor, SIZE paper)
{
    HWND preview = GetDlgItem(editor, kPreview);
    RECT client;
    GetClientRect(preview, &client);
    PaintTarget target(client.right, client.bottom);
    SendMessageW(preview, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.dc()), PRF_CLIENT);
    return InkOnPage(target, PreviewPageRect(client, paper));
}

// --- Files ---

std::vector<uint8_t> Bmp(int width, int height, int bitCount, uint32_t compression, size_t keepBytes = SIZE_MAX)
{
    const uint32_t stride = ((width * bitCount + 31) / 32) * 4;
    const uint32_t image = stride * static_cast<uint32_t>(height);
    const uint32_t palette = bitCount <= 8 ? (4u << bitCount) : 0;
    const uint32_t bitsAt = 14 + 40 + palette;
    std::vector<uint8_t> file(bitsAt + (image < (1u << 20) ? image : 16), 0x5A);
    auto put = [&file](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put(0, 0x4D42, 2), put(2, bitsAt + image, 4), put(6, 0, 4), put(10, bitsAt, 4);
    put(14, 40, 4), put(18, width, 4), put(22, height, 4), put(26, 1, 2), put(28, bitCount, 2);
    put(30, compression, 4), put(34, image, 4), put(38, 0, 16);
    if (keepBytes < file.size())
        file.resize(keepBytes);
    return file;
}

struct UnloadableBitmap {
    const char* name;
    std::vector<uint8_t> bytes;
};

// Files the editor cannot draw a watermark from.
std::vector<UnloadableBitmap> UnloadableBitmaps()
{
    return {
        {"truncated", Bmp(16, 8, 24, 0, 14 + 40 + 100)},
        {"run-length coded at 24 bits", Bmp(16, 8, 24, 1)},
        {"bit fields", Bmp(16, 8, 16, 3)},
        {"enormous", Bmp(30000, 30000, 24, 0)},
        {"not a bitmap", {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0}},
    };
}

void WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// --- The fixture ---

class WatermarkEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer_ = OpenTestPrinter(kTestQueueName));
        ASSERT_TRUE(session_ = OpenUiSession(printer_, nullptr));
        SheetSession* sheet = SheetOf(session_);
        sheet->languageModule = g_module.resourceModule;
        sheet->watermarkStoreWritable = 1;
        sheet->userDefault = 1;
        dir_ = CreateScratchDirectory();
        store_ = dir_ + L"\\KVWMARK.INI";
        shared_ = dir_ + L"\\KVW3390N.INI";
        page_.CreateChild(L"ListBox", L"", WS_VSCROLL | LBS_NOTIFY, kPageList, 120, 80);
        page_.CreateChild(L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL, kPageCombo, 120, 120);
    }
    void TearDown() override
    {
        if (session_)
            CloseUiSession(session_);
        if (printer_)
            ClosePrinter(printer_);
        SetFileAttributesW(store_.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveScratchDirectory(dir_);
    }

    // The store's list and sections as the test needs them, then the page
    // filled from it as the Advanced page fills itself.
    void Store(std::initializer_list<const WCHAR*> names)
    {
        int i = 0;
        for (const WCHAR* name : names) {
            Write(store_, kList, std::to_wstring(i++).c_str(), name);
            Write(store_, name, L"Strings", (std::wstring(name) + L" TEXT").c_str());
        }
    }
    void Write(const std::wstring& file, const WCHAR* section, const WCHAR* key, const WCHAR* value)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, file.c_str()));
    }
    std::wstring Read(const std::wstring& file, const WCHAR* section, const WCHAR* key)
    {
        WCHAR value[512] = {};
        GetPrivateProfileStringW(section, key, L"\x01missing", value, ARRAYSIZE(value), file.c_str());
        return value;
    }
    std::vector<std::wstring> ListOf(const std::wstring& file)
    {
        std::vector<std::wstring> names;
        for (int i = 0;; ++i) {
            std::wstring name = Read(file, kList, std::to_wstring(i).c_str());
            if (name == L"\x01missing")
                return names;
            names.push_back(name);
        }
    }
    std::wstring Current() { return Read(store_, kTestQueueName, L"Current"); }
    // A bitmap watermark as the editor leaves one: the file chosen and the
    // private copy it is drawn from.
    void StoreBitmap(const WCHAR* name, const std::wstring& file, const std::wstring& copy)
    {
        Write(store_, kList, std::to_wstring(ListOf(store_).size()).c_str(), name);
        Write(store_, name, L"Strings", L"");
        Write(store_, name, L"File", file.c_str());
        Write(store_, name, L"TmpFile", copy.c_str());
    }
    // The paper the preview shows (the test queue prints upright).
    SIZE Paper() const { return {session_->devmode.pub.dmPaperWidth, session_->devmode.pub.dmPaperLength}; }

    void OpenPage()
    {
        WatermarkState* state = session_->sheet.watermark;
        if (state) {
            ReleaseWatermarkState(state);
        } else {
            state = static_cast<WatermarkState*>(HeapAlloc(session_->heap, HEAP_ZERO_MEMORY, sizeof(WatermarkState)));
            ASSERT_TRUE(state);
            session_->sheet.watermark = state;
        }
        InitialiseWatermarkState(state, printer_, &session_->devmode.pub);
        lstrcpyW(state->storePath, store_.c_str());
        lstrcpyW(state->sharedPath, shared_.c_str());
        state->storeShared = !SheetOf(session_)->userDefault;
        state->selectedIndex = 0;
        WatermarkListSink sink = {this, [](void* c) { static_cast<WatermarkEditor*>(c)->ClearPage(); },
                                  [](void* c, const WCHAR* name) { static_cast<WatermarkEditor*>(c)->AddToPage(name); },
                                  [](void* c, WORD at) { static_cast<WatermarkEditor*>(c)->SelectOnPage(at); }};
        LoadCurrentWatermark(state, &session_->devmode.pub, &sink);
        SendMessageW(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"None"));
    }
    void ClearPage()
    {
        SendMessageW(ListBox(), LB_RESETCONTENT, 0, 0);
        SendMessageW(Combo(), CB_RESETCONTENT, 0, 0);
    }
    void AddToPage(const WCHAR* name)
    {
        SendMessageW(ListBox(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    void SelectOnPage(WORD at) { SendMessageW(ListBox(), LB_SETCURSEL, at, 0); }
    // The user's choice in the page's list: it becomes the printer's
    // current watermark and is loaded.
    void ChooseOnPage(int at)
    {
        WatermarkState* state = session_->sheet.watermark;
        SendMessageW(ListBox(), LB_SETCURSEL, at, 0);
        WriteCurrentWatermark(state->storePath, state->printerName, at);
        state->selectedIndex = static_cast<WORD>(at);
        LoadCurrentWatermark(state, &session_->devmode.pub, nullptr);
    }
    HWND ListBox() const { return GetDlgItem(page_.window(), kPageList); }
    HWND Combo() const { return GetDlgItem(page_.window(), kPageCombo); }
    std::vector<std::wstring> Items(HWND control, UINT countMessage, UINT textMessage) const
    {
        std::vector<std::wstring> items;
        const int count = static_cast<int>(SendMessageW(control, countMessage, 0, 0));
        for (int i = 0; i < count; ++i) {
            WCHAR text[128] = {};
            SendMessageW(control, textMessage, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    std::vector<std::wstring> PageList() const { return Items(ListBox(), LB_GETCOUNT, LB_GETTEXT); }
    std::vector<std::wstring> PageCombo() const { return Items(Combo(), CB_GETCOUNT, CB_GETLBTEXT); }

    int Edit(BOOL isNew, std::vector<Step> steps)
    {
        return WithScript(std::move(steps), [&] { return RunWatermarkEditor(page_.window(), session_, isNew); });
    }
    BOOL Delete(BOOL all, std::vector<Step> steps)
    {
        return WithScript(std::move(steps), [&] { return DeleteWatermarkFromPage(page_.window(), session_, all); });
    }
    // A new text watermark with the given title and text, saved with OK.
    int AddText(const std::wstring& title, const std::wstring& text)
    {
        return Edit(TRUE, {TypeTitle(title), Type(kText, text), Click(IDOK)});
    }
    std::string DevmodeText() const { return session_->devmode.priv.processor.watermark.text; }

    HANDLE printer_ = nullptr;
    UiSession* session_ = nullptr;
    RecordingParent page_;
    std::wstring dir_, store_, shared_;
};

TEST_F(WatermarkEditor, AddChangeAndDeleteKeepStoreSharedFileAndPageInStep)
{
    SheetOf(session_)->userDefault = 0;   // the printer's defaults: mirrored into the shared file
    OpenPage();
    EXPECT_EQ(AddText(L"Alpha", L"ALPHA"), 0);
    EXPECT_EQ(AddText(L"Beta", L"BETA"), 1);
    EXPECT_EQ(AddText(L"Gamma", L"GAMMA"), 2);
    EXPECT_EQ(ListOf(store_), (std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"}));
    EXPECT_EQ(ListOf(shared_), ListOf(store_));
    EXPECT_EQ(Current(), L"2");
    EXPECT_EQ(PageCombo(), (std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma", L"None"}));
    EXPECT_EQ(DevmodeText(), "GAMMA");

    // Edit the second: chosen on the page, changed in the editor.
    ChooseOnPage(1);
    EXPECT_EQ(Edit(FALSE, {Check([](HWND e) {
                                WCHAR title[64];
                                GetDlgItemTextW(e, kTitle, title, 64);
                                EXPECT_STREQ(title, L"Beta");
                            }),
                            Type(kText, L"BETA 2"), Type(kDarkness, L"55"), Click(IDOK)}),
              1);
    EXPECT_EQ(Read(store_, L"Beta", L"Strings"), L"BETA 2");
    EXPECT_EQ(Read(shared_, L"Beta", L"Color"), L"55");
    EXPECT_EQ(ListOf(store_).size(), 3u) << "an edited watermark is not added again";

    EXPECT_TRUE(Delete(FALSE, {Answer(L"Delete Watermark", L"Do you want to delete Watermark  Beta ?", IDYES)}));
    EXPECT_EQ(ListOf(store_), (std::vector<std::wstring>{L"Alpha", L"Gamma"}));
    EXPECT_EQ(ListOf(shared_), (std::vector<std::wstring>{L"Alpha", L"Gamma"}));
    EXPECT_EQ(Current(), L"0");
    EXPECT_EQ(Read(store_, L"Beta", L"Strings"), L"\x01missing");
    EXPECT_EQ(Read(shared_, L"Beta", L"Strings"), L"\x01missing");
    EXPECT_EQ(PageList(), (std::vector<std::wstring>{L"Alpha", L"Gamma"}));
    EXPECT_EQ(PageCombo(), (std::vector<std::wstring>{L"Alpha", L"Gamma", L"None"}));
    EXPECT_EQ(DevmodeText(), "ALPHA") << "the first watermark is loaded";
    EXPECT_EQ(session_->sheet.watermark->selectedIndex, 0);
}

TEST_F(WatermarkEditor, DeleteAnsweredNoChangesNothing)
{
    Store({L"One", L"Two"});
    OpenPage();
    const auto before = ReadFile(store_);
    EXPECT_FALSE(Delete(FALSE, {Answer(L"Delete Watermark", L"Do you want to delete Watermark  One ?", IDNO)}));
    EXPECT_FALSE(Delete(TRUE, {Answer(L"Delete Watermark", L"Do you want to delete All Watermarks ?", IDNO)}));
    EXPECT_EQ(ReadFile(store_), before);
    EXPECT_EQ(PageList().size(), 2u);
}

TEST_F(WatermarkEditor, DeleteAllTruncatesStoreAndSharedFile)
{
    struct Case {
        DWORD userDefault;
        long long sharedSize;   // -1: compared with what it was
    };
    for (const Case& c : {Case{0, 0}, Case{1, -1}}) {
        SCOPED_TRACE(c.userDefault ? "user defaults" : "printer defaults");
        SheetOf(session_)->userDefault = c.userDefault;
        Store({L"One", L"Two"});
        Write(shared_, kList, L"0", L"One");
        Write(shared_, L"One", L"Strings", L"ONE");
        const long long sharedBefore = FileSize(shared_);
        OpenPage();
        EXPECT_TRUE(Delete(TRUE, {Answer(L"Delete Watermark", L"Do you want to delete All Watermarks ?", IDYES)}));
        EXPECT_EQ(FileSize(store_), 0);
        EXPECT_EQ(FileSize(shared_), c.sharedSize < 0 ? sharedBefore : c.sharedSize);
        EXPECT_TRUE(PageList().empty());
        EXPECT_EQ(PageCombo(), (std::vector<std::wstring>{L"None"}));
        EXPECT_EQ(DevmodeText(), "");
    }
}

TEST_F(WatermarkEditor, OkNeedsATitleWithMoreThanBlanks)
{
    struct Case {
        const WCHAR* typed;
        const WCHAR* shown;   // after the tabs are taken out
        bool okEnabled;
    };
    const Case cases[] = {
        {L"", L"", false},
        {L"   ", L"   ", false},
        {L"\t \t", L" ", false},
        {L"\x3000 ", L"\x3000 ", false},
        {L" x", L" x", true},
        {L"a\tb", L"ab", true},
    };
    OpenPage();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "title of " << lstrlenW(c.typed) << " characters");
        std::vector<Step> steps = {TypeTitle(c.typed), Check([&c](HWND e) {
                                       WCHAR shown[64];
                                       GetDlgItemTextW(e, kTitle, shown, 64);
                                       EXPECT_STREQ(shown, c.shown);
                                       EXPECT_EQ(IsWindowEnabled(GetDlgItem(e, IDOK)) != FALSE, c.okEnabled);
                                   }),
                                   Click(IDCANCEL)};
        // Only a title worth saving under makes Cancel ask.
        if (c.okEnabled)
            steps.push_back(Answer(L"Save Watermark", kSaveQuestion, IDNO));
        EXPECT_EQ(Edit(TRUE, steps), -1);
    }
}

TEST_F(WatermarkEditor, EnterWithoutATitleExplainsAndKeepsTheDialogOpen)
{
    OpenPage();
    EXPECT_EQ(Edit(TRUE, {Type(kText, L"NO TITLE"), PressEnter(),
                          Answer(L"Title", L"The Watermark title was not entered.\n\nPlease enter the title.", IDOK),
                          Check([](HWND e) { EXPECT_TRUE(IsWindowVisible(e)); }), Click(IDCANCEL)}),
              -1);
    EXPECT_TRUE(ListOf(store_).empty());
}

TEST_F(WatermarkEditor, CancelAsksToSaveChangesAndRestoresTheSettings)
{
    Store({L"First", L"Second"});
    OpenPage();
    ASSERT_EQ(DevmodeText(), "First TEXT");
    // Choosing the second title loads it; cancelling puts the first back.
    EXPECT_EQ(Edit(FALSE, {Choose(kTitle, 1), Type(kText, L"CHANGED"), Click(IDCANCEL),
                           Answer(L"Save Watermark", kSaveQuestion, IDNO)}),
              -1);
    EXPECT_EQ(DevmodeText(), "First TEXT");
    EXPECT_EQ(Current(), L"0");
    EXPECT_EQ(Read(store_, L"Second", L"Strings"), L"Second TEXT");

    EXPECT_EQ(Edit(FALSE, {Choose(kTitle, 1), Type(kText, L"CHANGED"), Click(IDCANCEL),
                           Answer(L"Save Watermark", kSaveQuestion, IDYES)}),
              1);
    EXPECT_EQ(Read(store_, L"Second", L"Strings"), L"CHANGED");
    EXPECT_EQ(DevmodeText(), "CHANGED");
    EXPECT_EQ(Current(), L"1");

    // Nothing changed: Cancel asks nothing.
    EXPECT_EQ(Edit(FALSE, {Click(IDCANCEL)}), -1);
}

TEST_F(WatermarkEditor, NumbersAreSavedWithinTheirRanges)
{
    struct Case {
        int control;
        const WCHAR* typed;
        const WCHAR* key;
        const WCHAR* stored;
    };
    const Case cases[] = {
        {kSize, L"48", L"Size", L"48"},       {kSize, L"300", L"Size", L"255"},
        {kSize, L"2", L"Size", L"8"},         {kDarkness, L"55", L"Color", L"55"},
        {kDarkness, L"150", L"Color", L"100"}, {kAngle, L"-45", L"Angle", L"-45"},
        {kAngle, L"-400", L"Angle", L"-360"}, {kAngle, L"360", L"Angle", L"360"},
        {kX, L"90", L"x", L"-10"},            {kY, L"130", L"y", L"30"},
        {kX, L"250", L"x", L"100"},           {kScaling, L"150", L"Scale", L"150"},
        {kScaling, L"10", L"Scale", L"25"},
    };
    OpenPage();
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring title = L"Numbers " + std::to_wstring(n++);
        SCOPED_TRACE(testing::Message() << "key " << std::string(c.key, c.key + lstrlenW(c.key)));
        Edit(TRUE, {TypeTitle(title), Type(kText, L"N"), Type(c.control, c.typed), Click(IDOK)});
        EXPECT_EQ(Read(store_, title.c_str(), c.key), c.stored);
    }
    Edit(TRUE, {TypeTitle(L"Styled"), Type(kText, L"S"), Choose(kFontStyle, 3), Click(kAutoCentre), Click(IDOK)});
    EXPECT_EQ(Read(store_, L"Styled", L"Style"), L"3");
    EXPECT_EQ(Read(store_, L"Styled", L"AutoCenter"), L"1");
    EXPECT_EQ(session_->devmode.priv.processor.watermark.font.lfWeight, FW_BOLD);
}

TEST_F(WatermarkEditor, TextsAreCutAtTheirLimit)
{
    const std::wstring limit(31, L'L'), longer = std::wstring(31, L'M') + L"OVERFLOW";
    struct Case {
        std::wstring title, text, savedTitle, savedText;
    };
    const Case cases[] = {
        {limit, limit, limit, limit},
        {longer, longer, longer.substr(0, 31), longer.substr(0, 31)},
    };
    OpenPage();
    for (const Case& c : cases) {
        Edit(TRUE, {TypeTitle(c.title), Type(kText, c.text), Click(IDOK)});
        EXPECT_EQ(ListOf(store_).back(), c.savedTitle);
        EXPECT_EQ(Read(store_, c.savedTitle.c_str(), L"Strings"), c.savedText);
        EXPECT_EQ(DevmodeText(), std::string(c.savedText.begin(), c.savedText.end()));
    }
}

TEST_F(WatermarkEditor, AFaceThatIsNotInstalledIsKeptAndEditingNothingKeepsTheDefinition)
{
    Store({L"Odd"});
    const std::pair<const WCHAR*, const WCHAR*> keys[] = {
        {L"Font", L"No Such Face Kv"}, {L"Size", L"60"}, {L"Style", L"1"}, {L"Color", L"35"},
        {L"Angle", L"-30"},            {L"AutoCenter", L"0"}, {L"x", L"-20"}, {L"y", L"40"},
        {L"Scale", L"120"},
    };
    for (const auto& [key, value] : keys)
        Write(store_, L"Odd", key, value);
    OpenPage();
    EXPECT_EQ(Edit(FALSE, {Check([](HWND e) {
                                WCHAR face[64];
                                GetDlgItemTextW(e, kFace, face, 64);
                                EXPECT_STREQ(face, L"No Such Face Kv");
                                RedrawWindow(GetDlgItem(e, kPreview), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                            }),
                            Click(IDOK)}),
              0);
    for (const auto& [key, value] : keys)
        EXPECT_EQ(Read(store_, L"Odd", key), value) << std::string(key, key + lstrlenW(key));
}

TEST_F(WatermarkEditor, DraggingInThePreviewMovesTheWatermark)
{
    struct Case {
        double across, down;   // where in the preview, as parts of its size
        bool autoCentre;
        const WCHAR* x;
        const WCHAR* y;
    };
    const Case cases[] = {
        {0.5, 0.5, false, L"100", L"100"},
        {0.0, 0.0, false, L"0", L"0"},
        {0.999, 0.999, false, L"200", L"200"},
        {0.0, 0.0, true, L"110", L"90"},
    };
    OpenPage();
    for (const Case& c : cases) {
        Edit(TRUE, {Type(kX, L"110"), Type(kY, L"90"), Check([&c](HWND e) {
                        if (c.autoCentre)
                            CheckDlgButton(e, kAutoCentre, BST_CHECKED);
                        HWND preview = GetDlgItem(e, kPreview);
                        RECT client;
                        GetClientRect(preview, &client);
                        POINT at = {static_cast<LONG>(client.right * c.across), static_cast<LONG>(client.bottom * c.down)};
                        MapWindowPoints(preview, e, &at, 1);
                        SendMessageW(e, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
                        SendMessageW(e, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
                        SendMessageW(e, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
                        WCHAR x[8], y[8];
                        GetDlgItemTextW(e, kX, x, 8), GetDlgItemTextW(e, kY, y, 8);
                        EXPECT_STREQ(x, c.x);
                        EXPECT_STREQ(y, c.y);
                    }),
                    Click(IDCANCEL)});
    }
}

TEST_F(WatermarkEditor, AReadOnlyStoreIsNeitherEditedNorDeletedFrom)
{
    Store({L"Fixed"});
    ASSERT_TRUE(SetFileAttributesW(store_.c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine's profile functions write through the attribute; a reader that
    // shares the file with no writer keeps them out as the attribute would.
    HANDLE reader = CreateFileW(store_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    // What the sheet's probe of the store finds.
    SheetOf(session_)->watermarkStoreWritable =
        WritePrivateProfileStringW(L"SAVE", L"SAVE", L"1", store_.c_str()) ? 1 : 0;
    ASSERT_EQ(SheetOf(session_)->watermarkStoreWritable, 0);
    OpenPage();
    const auto before = ReadFile(store_);
    EXPECT_EQ(Edit(FALSE, {Type(kText, L"CHANGED"),
                           Check([](HWND e) { EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e, IDOK))); }),
                           PressEnter(), Click(IDCANCEL)}),
              -1);
    EXPECT_FALSE(Delete(FALSE, {}));
    EXPECT_FALSE(Delete(TRUE, {}));
    CloseHandle(reader);
    EXPECT_EQ(ReadFile(store_), before);
    EXPECT_EQ(DevmodeText(), "Fixed TEXT");
}

TEST_F(WatermarkEditor, BitmapWatermarkDrawsFromAPrivateCopy)
{
    const std::wstring picture = dir_ + L"\\logo.bmp";
    const auto bytes = Bmp(16, 8, 24, 0);
    WriteFile(picture, bytes);
    OpenPage();
    EXPECT_EQ(Edit(TRUE, {TypeTitle(L"Logo"), Click(kBitmapStyle), Type(kFile, picture), Click(IDOK)}), 0);
    EXPECT_EQ(Read(store_, L"Logo", L"File"), picture);
    EXPECT_EQ(Read(store_, L"Logo", L"Strings"), L"");
    const std::wstring copy = Read(store_, L"Logo", L"TmpFile");
    EXPECT_NE(copy, picture);
    EXPECT_EQ(ReadFile(copy), bytes);
    const WatermarkState* state = session_->sheet.watermark;
    EXPECT_TRUE(state->isBitmap);
    EXPECT_TRUE(state->bitmap);
    EXPECT_EQ(DevmodeText(), "");
    // A new watermark is a text, whatever the current one is.
    EXPECT_EQ(AddText(L"Plain", L"PLAIN"), 1);
    EXPECT_EQ(Read(store_, L"Plain", L"File"), L"");
    EXPECT_EQ(Read(store_, L"Plain", L"Strings"), L"PLAIN");
    ChooseOnPage(0);

    // The copy goes when the watermark becomes a text.
    EXPECT_EQ(Edit(FALSE, {Click(kTextStyle), Type(kText, L"WORDS"), Click(IDOK)}), 0);
    EXPECT_EQ(Read(store_, L"Logo", L"TmpFile"), L"\x01missing");
    EXPECT_EQ(GetFileAttributesW(copy.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(state->isBitmap);
    EXPECT_EQ(DevmodeText(), "WORDS");
}

TEST_F(WatermarkEditor, BitmapsThatCannotBeLoadedKeepTheDialogOpen)
{
    const std::wstring picture = dir_ + L"\\bad.bmp";
    OpenPage();
    for (const UnloadableBitmap& c : UnloadableBitmaps()) {
        SCOPED_TRACE(c.name);
        WriteFile(picture, c.bytes);
        EXPECT_EQ(Edit(TRUE, {TypeTitle(L"Bad"), Click(kBitmapStyle), Type(kFile, picture), Click(IDOK),
                              Answer(kBitmapRefusalTitle, kBitmapRefusal, IDOK),
                              Check([](HWND e) { EXPECT_EQ(GetFocus(), GetDlgItem(e, kFile)); }),
                              Click(IDCANCEL), Answer(L"Save Watermark", kSaveQuestion, IDNO)}),
                  -1);
        EXPECT_TRUE(ListOf(store_).empty());
        EXPECT_EQ(Read(store_, L"Bad", L"File"), L"\x01missing");
    }
}

// The watermark the Browse tests edit: a bitmap wider than tall, drawn
// from its private copy. The files chosen are taller than wide, so the
// preview tells which of the two it draws.
class BrowseForBitmap : public WatermarkEditor {
protected:
    void SetUp() override
    {
        WatermarkEditor::SetUp();
        logo_ = dir_ + L"\\logo.bmp", copy_ = dir_ + L"\\logo copy.bmp", chosen_ = dir_ + L"\\chosen.bmp";
        WriteFile(logo_, logoBytes_), WriteFile(copy_, logoBytes_);
        StoreBitmap(L"Logo", logo_, copy_);
        OpenPage();
        ASSERT_TRUE(session_->sheet.watermark->bitmap);
    }
    // The file field and the preview's drawing: nothing, the wide logo or
    // the tall file chosen.
    enum Shown { kNothing, kLogo, kChosen };
    Step ExpectShown(const std::wstring& file, Shown shown)
    {
        return Check([this, file, shown](HWND e) {
            WCHAR field[MAX_PATH] = {};
            GetDlgItemTextW(e, kFile, field, MAX_PATH);
            EXPECT_EQ(field, file);
            const Ink ink = PreviewInk(e, Paper());
            const bool tall = ink.box.bottom - ink.box.top > ink.box.right - ink.box.left;
            EXPECT_EQ(ink.darkest == 255 ? kNothing : tall ? kChosen : kLogo, shown);
        });
    }

    const std::vector<uint8_t> logoBytes_ = Bmp(600, 300, 24, 0);
    const std::vector<uint8_t> chosenBytes_ = Bmp(300, 600, 24, 0);
    std::wstring logo_, copy_, chosen_;
};

std::wstring CurrentFolder()
{
    WCHAR folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

TEST_F(BrowseForBitmap, TheChosenFileIsShownOrRefusedAndTheStoreKeepsItsWatermark)
{
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        int button;      // that closes the open dialog
        bool refused;    // the editor says that it cannot draw the file
        Shown shown;
    };
    std::vector<Case> cases = {
        {"a bitmap", chosenBytes_, IDOK, false, kChosen},
        {"the open dialog cancelled", chosenBytes_, IDCANCEL, false, kLogo},
    };
    for (UnloadableBitmap& bad : UnloadableBitmaps())
        cases.push_back({bad.name, std::move(bad.bytes), IDOK, true, kNothing});
    const auto storeBefore = ReadFile(store_);
    const std::wstring folderBefore = CurrentFolder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(chosen_, c.bytes);
        std::vector<Step> steps = {Click(kBrowse), ChooseFile(chosen_, c.button)};
        if (c.refused)
            steps.push_back(Answer(kBitmapRefusalTitle, kBitmapRefusal, IDOK));
        steps.push_back(ExpectShown(c.button == IDOK ? chosen_ : logo_, c.shown));
        steps.push_back(Click(IDCANCEL));
        // Saving a file that cannot be drawn is refused as well.
        if (c.refused)
            steps.insert(steps.end(), {Answer(L"Save Watermark", kSaveQuestion, IDYES),
                                       Answer(kBitmapRefusalTitle, kBitmapRefusal, IDOK), Click(IDCANCEL)});
        // A file chosen is a change; a cancelled choice is none.
        if (c.button == IDOK)
            steps.push_back(Answer(L"Save Watermark", kSaveQuestion, IDNO));
        EXPECT_EQ(Edit(FALSE, steps), -1);

        EXPECT_EQ(ReadFile(store_), storeBefore);
        EXPECT_EQ(ReadFile(copy_), logoBytes_);
        EXPECT_TRUE(session_->sheet.watermark->isBitmap);
        EXPECT_TRUE(session_->sheet.watermark->bitmap) << "the logo is drawn again after Cancel";
        EXPECT_EQ(CurrentFolder(), folderBefore) << "the application's current folder is left alone";
    }
}

TEST_F(BrowseForBitmap, TheChosenFileIsSavedIntoTheWatermarksCopy)
{
    WriteFile(chosen_, chosenBytes_);
    EXPECT_EQ(Edit(FALSE, {Click(kBrowse), ChooseFile(chosen_, IDOK), ExpectShown(chosen_, kChosen), Click(IDOK)}), 0);
    EXPECT_EQ(Read(store_, L"Logo", L"File"), chosen_);
    EXPECT_EQ(Read(store_, L"Logo", L"TmpFile"), copy_) << "the copy keeps its name";
    EXPECT_EQ(ReadFile(copy_), chosenBytes_);
    EXPECT_EQ(ReadFile(logo_), logoBytes_) << "the file chosen before is the user's";
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(session_->sheet.watermark->bitmap));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->biWidth, 300);
    EXPECT_EQ(header->biHeight, 600);
    GlobalUnlock(session_->sheet.watermark->bitmap);
}

TEST_F(BrowseForBitmap, BrowsingLeavesNothingBehind)
{
    WriteFile(chosen_, chosenBytes_);
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            Edit(FALSE, {Click(kBrowse), ChooseFile(chosen_, IDOK), Click(IDCANCEL),
                         Answer(L"Save Watermark", kSaveQuestion, IDNO)});
            Edit(FALSE, {Click(kBrowse), ChooseFile(chosen_, IDCANCEL), Click(IDCANCEL)});
        },
        3, 10);
    // Wine's open dialog itself keeps one kernel handle for every file
    // accepted in it (a bare GetOpenFileNameW does the same): one a run.
    EXPECT_LE(growth.handles, 10);
    EXPECT_LT(growth.gdiObjects, 10) << "the preview's bitmaps";
    EXPECT_LT(growth.heapBlocks, 10) << "the loaded bitmaps and comdlg32";
}

TEST_F(WatermarkEditor, HelpOpensTheEditorsTopicUntilTheEditorCloses)
{
    HelpStandIn help;
    ASSERT_TRUE(help.Loaded()) << "the HTML Help stand-in is missing beside the test program";
    ASSERT_NE(GetFileAttributesW(session_->helpFile), INVALID_FILE_ATTRIBUTES) << "the driver's help file";
    const std::wstring topic = std::wstring(session_->helpFile) + L"::/html/as_overlay_wmark.htm>sub";
    struct Case {
        const char* name;
        Step ask;
        int close;     // the editor's button that ends it
        bool opens;
    };
    const Case cases[] = {
        {"Help, then OK", Click(kHelpButton), IDOK, true},
        {"Help, then Cancel", Click(kHelpButton), IDCANCEL, true},
        {"F1 on the bitmap file", AskHelpOn(kFile), IDCANCEL, true},
        {"F1 on the preview", AskHelpOn(kPreview), IDOK, true},
        {"F1 on OK", AskHelpOn(IDOK), IDCANCEL, false},
    };
    Store({L"Words"});
    OpenPage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        help.Reset();
        HWND editor = nullptr;
        int openWhileEditing = -1;
        EXPECT_EQ(Edit(FALSE, {Check([&editor](HWND e) { editor = e; }), c.ask,
                               Check([&](HWND) { openWhileEditing = help.Log().windowsOpen; }), Click(c.close)}),
                  c.close == IDOK ? 0 : -1);
        EXPECT_EQ(help.Log().windowsOpen, 0);
        if (!c.opens) {
            EXPECT_TRUE(help.Commands().empty());
            continue;
        }
        ASSERT_EQ(help.Commands(), (std::vector<UINT>{kHhDisplayTopic, kHhCloseAll}));
        EXPECT_EQ(help.Log().calls[0].path, topic);
        EXPECT_EQ(help.Log().calls[0].caller, editor);
        EXPECT_EQ(openWhileEditing, 1);
    }
}

TEST_F(WatermarkEditor, OpeningAndClosingLeavesNothingBehind)
{
    const std::wstring picture = dir_ + L"\\logo.bmp";
    WriteFile(picture, Bmp(32, 32, 8, 0));
    OpenPage();
    ASSERT_EQ(Edit(TRUE, {TypeTitle(L"Logo"), Click(kBitmapStyle), Type(kFile, picture), Click(IDOK)}), 0);
    ASSERT_EQ(AddText(L"Words", L"WORDS"), 1);
    const auto paintAndCancel = [](int title) {
        return std::vector<Step>{Choose(kTitle, title), Check([](HWND e) {
                                     RedrawWindow(GetDlgItem(e, kPreview), nullptr, nullptr,
                                                  RDW_INVALIDATE | RDW_UPDATENOW);
                                 }),
                                 Click(IDCANCEL)};
    };
    const UsageGrowth growth = MeasureUsageGrowth(
        [&] {
            Edit(FALSE, paintAndCancel(0));
            Edit(FALSE, paintAndCancel(1));
        },
        3, 10);
    EXPECT_LT(growth.handles, 10);
    EXPECT_LT(growth.gdiObjects, 10) << "fonts, brushes or bitmaps of the preview";
    EXPECT_LT(growth.heapBlocks, 10);
}

// --- The preview's drawing ---

HGLOBAL BlackBitmap(int side)
{
    const DWORD stride = ((side * 24 + 31) / 32) * 4;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + stride * side);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    header->biSize = sizeof(*header), header->biWidth = side, header->biHeight = side;
    header->biPlanes = 1, header->biBitCount = 24;
    GlobalUnlock(block);
    return block;
}

TEST(WatermarkPreviewDrawing, PlacesTurnsShadesAndScalesTheWatermarkOnThePage)
{
    struct Case {
        const char* name;
        int offsetX, offsetY, escapement, darkness, scale;
        BOOL autoCentre, bitmap;
        int centreX, centreY;   // where the ink's centre lies, in quarters of the page from its centre
        bool taller;            // the ink is taller than wide
        int darkestLow, darkestHigh;
        int width;              // of a bitmap's ink, 0 when not checked
    };
    const Case cases[] = {
        {"centred", 0, 0, 0, 100, 100, FALSE, FALSE, 0, 0, false, 0, 40, 0},
        {"right and down", 50, 50, 0, 100, 100, FALSE, FALSE, 1, 1, false, 0, 40, 0},
        {"left and up", -50, -50, 0, 100, 100, FALSE, FALSE, -1, -1, false, 0, 40, 0},
        {"centred automatically", 50, 50, 0, 100, 100, TRUE, FALSE, 0, 0, false, 0, 40, 0},
        {"turned upright", 0, 0, 900, 100, 100, FALSE, FALSE, 0, 0, true, 0, 40, 0},
        {"half dark", 0, 0, 0, 50, 100, FALSE, FALSE, 0, 0, false, 120, 136, 0},
        {"bitmap", 0, 0, 0, 100, 100, FALSE, TRUE, 0, 0, false, 0, 40, 22},
        {"bitmap at twice its size", 0, 0, 0, 100, 200, FALSE, TRUE, 0, 0, false, 0, 40, 45},
    };
    const RECT client = {0, 0, 200, 300};
    const SIZE paper = {2100, 2970};
    const RECT page = PreviewPageRect(client, paper);
    const LONG quarterX = (page.right - page.left) / 4, quarterY = (page.bottom - page.top) / 4;
    const POINT centre = {(page.left + page.right) / 2, (page.top + page.bottom) / 2};
    HGLOBAL bitmap = BlackBitmap(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WatermarkDefinition d = {};
        lstrcpyW(d.face, L"Arial"), lstrcpyW(d.text, L"HHHHHH");
        d.size = 72, d.offsetX = c.offsetX, d.offsetY = c.offsetY, d.escapement = c.escapement;
        d.darkness = c.darkness, d.scale = c.scale, d.autoCentre = c.autoCentre;
        if (c.bitmap)
            lstrcpyW(d.file, L"C:\\black.bmp");
        PaintTarget target(client.right, client.bottom);
        DrawWatermarkPreview(target.dc(), client, paper, d, c.bitmap ? bitmap : nullptr);
        const Ink ink = InkOnPage(target, page);
        ASSERT_LT(ink.darkest, 255) << "nothing drawn";
        EXPECT_NEAR((ink.box.left + ink.box.right) / 2, centre.x + c.centreX * quarterX, 4);
        EXPECT_NEAR((ink.box.top + ink.box.bottom) / 2, centre.y + c.centreY * quarterY, 4);
        EXPECT_EQ(ink.box.bottom - ink.box.top > ink.box.right - ink.box.left, c.taller);
        EXPECT_GE(ink.darkest, c.darkestLow);
        EXPECT_LE(ink.darkest, c.darkestHigh);
        if (c.width) {
            EXPECT_NEAR(ink.box.right - ink.box.left + 1, c.width, 2);
        }
    }
    GlobalFree(bitmap);

    WatermarkDefinition blank = {};
    lstrcpyW(blank.face, L"Arial"), lstrcpyW(blank.text, L"HHHHHH");
    blank.size = 72, blank.scale = 100, blank.darkness = 0;
    PaintTarget target(client.right, client.bottom);
    DrawWatermarkPreview(target.dc(), client, paper, blank, nullptr);
    EXPECT_EQ(InkOnPage(target, page).darkest, 255) << "darkness 0 leaves the page white";
}

TEST(WatermarkPreviewDrawing, DraggedPointsBecomeOffsetsWithinTheirRange)
{
    const RECT client = {0, 0, 200, 300};
    const SIZE paper = {2100, 2970};
    const RECT page = PreviewPageRect(client, paper);
    EXPECT_LT(page.right - page.left, page.bottom - page.top) << "portrait paper, upright outline";
    struct Case {
        POINT at;
        POINT offsets;
    };
    const POINT middle = {(page.left + page.right) / 2, (page.top + page.bottom) / 2};
    const Case cases[] = {
        {middle, {0, 0}},
        {{page.right, page.bottom}, {100, 100}},
        {{page.left, page.top}, {-100, -100}},
        {{-50, 400}, {-100, 100}},
        {{middle.x + (page.right - page.left) / 4, middle.y}, {50, 0}},
    };
    for (const Case& c : cases) {
        const POINT offsets = PreviewOffsetsAt(client, paper, c.at);
        EXPECT_NEAR(offsets.x, c.offsets.x, 2) << c.at.x << "," << c.at.y;
        EXPECT_NEAR(offsets.y, c.offsets.y, 2) << c.at.x << "," << c.at.y;
    }
}

} // namespace
