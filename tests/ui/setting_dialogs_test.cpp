// The setting dialogs as a user drives them: real modal dialogs over a
// settings session of the test queue, fed with the messages that clicks,
// selections and typing produce, one step per timer tick. Message boxes
// are found on the thread, their text checked and answered like a user.
#include "ui/setting_dialogs.h"

#include "core/ui_session.h"
#include "lifecycle/companion_programs.h"
#include "settings/devmode_defaults.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "ui/printer_macros.h"
#include "ui/sheet_session.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const WCHAR kItemMaskValue[] = L"QPSBits";

// ---------------------------------------------------------------------------
// Driving a modal dialog

using Step = std::function<void()>;

std::vector<Step> g_steps;
size_t g_next;
UINT_PTR g_timer;
int g_idleTicks;
bool g_timedOut;
const int kGiveUpTicks = 300;

BOOL CALLBACK CollectDialog(HWND window, LPARAM found)
{
    WCHAR name[16];
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (IsWindowVisible(window) && IsWindowEnabled(window) && lstrcmpW(name, L"#32770") == 0)
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

// The window the user faces: the enabled dialog of this thread (a message
// box disables the dialog it belongs to).
HWND Facing()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Steps run while a dialog faces the user: the first waits for the dialog
// to show, and the chain ends once the dialog is gone after the last step.
void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_timer = 0;
    HWND facing = Facing();
    if (!facing && g_next > 0 && g_next >= g_steps.size())
        return;
    if (facing && g_next < g_steps.size()) {
        g_steps[g_next++]();
    } else if (++g_idleTicks > kGiveUpTicks) {
        // Still open when the script is over, or never shown: a test fault.
        g_timedOut = true;
        if (!facing)
            return;
        PostMessageW(facing, WM_COMMAND, IDCANCEL, 0);
    }
    g_timer = SetTimer(nullptr, 0, 10, RunStep);
}

// One script at a time: a new one replaces what is left of the last.
void Script(std::vector<Step> steps)
{
    if (g_timer)
        KillTimer(nullptr, g_timer);
    g_steps = std::move(steps);
    g_next = 0;
    g_idleTicks = 0;
    g_timedOut = false;
    g_timer = SetTimer(nullptr, 0, 10, RunStep);
}

HWND Item(int id)
{
    return GetDlgItem(Facing(), id);
}

Step Click(int id)
{
    return [id] { PostMessageW(Item(id), BM_CLICK, 0, 0); };
}

Step Press(int id)
{
    return [id] { PostMessageW(Facing(), WM_COMMAND, id, 0); };
}

Step SelectData(int id, LRESULT data)
{
    return [id, data] {
        HWND combo = Item(id);
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == data)
                SendMessageW(combo, CB_SETCURSEL, i, 0);
        PostMessageW(Facing(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}

Step SelectIndex(int id, int index)
{
    return [id, index] {
        HWND combo = Item(id);
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        PostMessageW(Facing(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}

// An edit announces its new text itself; an editable combo box does not
// for WM_SETTEXT, so its notification is sent as typing sends it.
Step Type(int id, const WCHAR* text)
{
    return [id, text] {
        HWND control = Item(id);
        SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        WCHAR name[16];
        GetClassNameW(control, name, ARRAYSIZE(name));
        if (lstrcmpiW(name, L"ComboBox") == 0)
            PostMessageW(Facing(), WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(control));
    };
}

Step Scroll(int id, WORD code, SHORT position = 0)
{
    return [id, code, position] {
        PostMessageW(Facing(), WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)),
                     reinterpret_cast<LPARAM>(Item(id)));
    };
}

// A step of the driver's spin as the user's click announces it.
Step SpinTo(int id, SHORT position)
{
    return [id, position] {
        PostMessageW(Facing(), WM_VSCROLL, MAKEWPARAM(1, static_cast<WORD>(position)),
                     reinterpret_cast<LPARAM>(Item(id)));
    };
}

Step Check(std::function<void(HWND)> check)
{
    return [check] { check(Facing()); };
}

// Waits, tick by tick, until the dialog shows what the test waits for.
Step Until(std::function<bool(HWND)> shown)
{
    return [shown] {
        if (!shown(Facing()))
            --g_next;
    };
}

std::wstring Text(HWND window, int id)
{
    WCHAR text[512] = {};
    GetDlgItemTextW(window, id, text, ARRAYSIZE(text));
    return text;
}

std::wstring Title(HWND window)
{
    WCHAR text[128] = {};
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

std::wstring Narrowless(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

// The message box the user faces: its text (the longest static in it)
// and title are recorded and it is answered with the button.
struct SeenMessage {
    std::wstring text, title;
};
std::vector<SeenMessage> g_messages;

BOOL CALLBACK LongestStatic(HWND child, LPARAM longest)
{
    WCHAR name[16], text[512] = {};
    GetClassNameW(child, name, ARRAYSIZE(name));
    GetWindowTextW(child, text, ARRAYSIZE(text));
    auto* found = reinterpret_cast<std::wstring*>(longest);
    if (lstrcmpiW(name, L"Static") == 0 && wcslen(text) > found->size())
        *found = text;
    return TRUE;
}

Step Answer(int button)
{
    return [button] {
        HWND box = Facing();
        std::wstring text;
        EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
        g_messages.push_back({text, Title(box)});
        PostMessageW(box, WM_COMMAND, button, 0);
    };
}

// ---------------------------------------------------------------------------
// A session of the test queue

class SettingDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(printer_ = OpenTestPrinter(kTestQueueName), nullptr);
        ASSERT_NE(session_ = OpenUiSession(printer_, nullptr), nullptr);
        g_messages.clear();
    }
    void TearDown() override
    {
        if (session_) CloseUiSession(session_);
        if (printer_) ClosePrinter(printer_);
    }

    // Runs the dialog with the script; the record before it is kept.
    INT_PTR Run(INT_PTR (*dialog)(HWND, UiSession*), std::vector<Step> steps)
    {
        before_ = session_->devmode;
        Script(std::move(steps));
        const INT_PTR result = dialog(nullptr, session_);
        EXPECT_FALSE(g_timedOut) << "the dialog was still open when the script ended";
        return result;
    }

    // The record equals the one before the dialog except where edit has
    // changed the copy.
    void ExpectOnly(const std::function<void(DriverDevmode&)>& edit)
    {
        DriverDevmode expected = before_;
        edit(expected);
        EXPECT_EQ(memcmp(&expected, &session_->devmode, sizeof(expected)), 0) << "other fields changed";
    }

    PrivateSettings& Priv() { return session_->devmode.priv; }
    ProcessorBlock& Block() { return session_->devmode.priv.processor; }

    HANDLE printer_ = nullptr;
    UiSession* session_ = nullptr;
    DriverDevmode before_;
};

// ---------------------------------------------------------------------------
// Fit to paper

TEST_F(SettingDialogs, FitToPaperStoresTheOutputSizeAndRefusesTwoUserSizes)
{
    struct Case {
        SHORT document;
        WORD output;
        bool clash;
    } const cases[] = {
        {DMPAPER_A3, DMPAPER_LETTER, false},
        {DMPAPER_A3, DMPAPER_A4, false},
        {DMPAPER_USER, DMPAPER_A4, false},
        {DMPAPER_A3, DMPAPER_USER, false},
        {DMPAPER_USER, DMPAPER_USER, true},
    };
    for (const Case& c : cases) {
        session_->devmode.pub.dmPaperSize = c.document;
        Priv().fitPaperSize = DMPAPER_LEGAL;
        std::vector<Step> steps = {SelectData(620, c.output), Press(IDOK)};
        if (c.clash) {
            steps.push_back(Answer(IDOK));
            steps.push_back(Check([](HWND dialog) {
                EXPECT_EQ(SendDlgItemMessageW(dialog, 620, CB_GETITEMDATA,
                                              SendDlgItemMessageW(dialog, 620, CB_GETCURSEL, 0, 0), 0),
                          DMPAPER_LEGAL) << "the stored size is selected again";
            }));
            steps.push_back(Press(IDCANCEL));
        }
        g_messages.clear();
        const INT_PTR result = Run(RunFitToPaperDialog, steps);
        SCOPED_TRACE(testing::Message() << "document " << c.document << ", output " << c.output);
        if (c.clash) {
            EXPECT_EQ(result, IDCANCEL);
            ASSERT_EQ(g_messages.size(), 1u);
            EXPECT_EQ(g_messages[0].title, L"Error");
            EXPECT_EQ(g_messages[0].text.substr(0, 36), L"You can set a User defined paper siz");
            ExpectOnly([](DriverDevmode&) {});
        } else {
            EXPECT_EQ(result, IDOK);
            EXPECT_TRUE(g_messages.empty());
            ExpectOnly([&](DriverDevmode& dm) { dm.priv.fitPaperSize = c.output; });
        }
    }
}

// ---------------------------------------------------------------------------
// Macro (no remote-setup tool in the test bed: the printer's list is unknown)

const int kMacroId = 562, kSave = 563, kToStorage = 565, kInsert = 566, kOnePage = 568, kPage = 569,
          kEndOfPage = 574;

struct MacroCase {
    const char* what;
    const WCHAR* id;
    std::vector<int> clicks;
    const WCHAR* page;                    // null: the page edit is not typed in
    std::vector<const char*> messages;    // the texts' beginnings, in order
    std::vector<int> answers;
    bool accepted;
};

TEST_F(SettingDialogs, MacroChecksIdAndPageAndAsksBeforeReplacing)
{
    const MacroCase cases[] = {
        {"id above the range", L"40000", {kSave}, nullptr, {"Specify a value within"}, {IDOK}, false},
        {"id not a number", L"12a", {kSave}, nullptr, {"Specify a value within"}, {IDOK}, false},
        {"id empty", L"", {kInsert}, nullptr, {"Specify a value within"}, {IDOK}, false},
        {"id negative", L"-1", {kInsert}, nullptr, {"Specify a value within"}, {IDOK}, false},
        {"replace refused", L"123", {kSave}, nullptr, {"If the same Macro ID"}, {IDCANCEL}, false},
        {"replace accepted", L"123", {kSave, kToStorage}, nullptr, {"If the same Macro ID"}, {IDOK}, true},
        {"top of range", L"32767", {kSave}, nullptr, {"If the same Macro ID"}, {IDOK}, true},
        {"page 0", L"5", {kInsert}, L"0", {"Printer does not have any", "Specify a page number"}, {IDOK, IDOK}, false},
        {"page 256", L"5", {kInsert}, L"256", {"Printer does not have any", "Specify a page number"}, {IDOK, IDOK}, false},
        {"page not a number", L"5", {kInsert}, L"x1", {"Printer does not have any", "Specify a page number"}, {IDOK, IDOK}, false},
        {"page 255", L"5", {kInsert, kEndOfPage}, L"255", {"Printer does not have any"}, {IDOK}, true},
        {"all pages", L"5", {kInsert}, nullptr, {"Printer does not have any"}, {IDOK}, true},
        {"neither", L"99999", {}, nullptr, {}, {}, true},
    };
    for (const MacroCase& c : cases) {
        SCOPED_TRACE(c.what);
        Priv().macroFlags = 0;
        Priv().macroId = 7;
        Priv().macroCount = 3;
        std::vector<Step> steps = {Type(kMacroId, c.id)};
        for (int id : c.clicks)
            steps.push_back(Click(id));
        if (c.page)
            steps.push_back(Type(kPage, c.page));
        steps.push_back(Press(IDOK));
        for (int answer : c.answers)
            steps.push_back(Answer(answer));
        if (!c.accepted)
            steps.push_back(Press(IDCANCEL));
        g_messages.clear();
        const INT_PTR result = Run(RunMacroDialog, steps);

        ASSERT_EQ(g_messages.size(), c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i)
            EXPECT_EQ(g_messages[i].text.substr(0, strlen(c.messages[i])), Narrowless(c.messages[i]));
        if (!c.accepted) {
            EXPECT_EQ(result, IDCANCEL);
            ExpectOnly([](DriverDevmode&) {});
            continue;
        }
        EXPECT_EQ(result, IDOK);
        BYTE flags = 0;
        for (int id : c.clicks)
            flags |= id == kSave ? 0x02 : id == kToStorage ? 0x04 : id == kEndOfPage ? 0x08 : id == kInsert ? 0x20 : 0;
        if (c.page)
            flags |= 0x10;   // typing a page chooses that page
        ExpectOnly([&](DriverDevmode& dm) {
            dm.priv.macroFlags = flags;
            if (flags & 0x22) {
                dm.priv.macroId = static_cast<DWORD>(_wtoi(c.id));
                if (c.page)
                    dm.priv.macroCount = static_cast<BYTE>(_wtoi(c.page));
            }
        });
    }
}

TEST_F(SettingDialogs, MacroMessagesCarryTheirTitles)
{
    Run(RunMacroDialog, {Type(kMacroId, L"40000"), Click(kSave), Press(IDOK), Answer(IDOK),
                         Type(kMacroId, L"10"), Press(IDOK), Answer(IDCANCEL), Press(IDCANCEL)});
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[0].title, L"");
    EXPECT_EQ(g_messages[1].title, L"Warning");
}

// With the remote-setup tool: the stand-in answers with the list the test
// leaves beside it.
class MacroTool : public SettingDialogs {
protected:
    void SetUp() override
    {
        SettingDialogs::SetUp();
        RecordCompanionVersions();   // as a sheet does when it opens: the data folder
        ASSERT_TRUE(CopyFileW((TestBinDirectory() + L"\\kvrbtool-macros.exe").c_str(), Tool(L"KVRBTOOL.EXE").c_str(),
                              FALSE));
        SheetOf(session_)->remoteToolAvailable = 1;
    }
    void TearDown() override
    {
        DeleteFileW(Tool(L"KVRBTOOL.EXE").c_str());
        DeleteFileW(Tool(L"macro-answer.ini").c_str());
        SettingDialogs::TearDown();
    }
    static std::wstring Tool(const WCHAR* name)
    {
        WCHAR folder[MAX_PATH];
        GetSystemWow64DirectoryW(folder, MAX_PATH);
        return std::wstring(folder) + L"\\" + name;
    }
    static void LeaveAnswer(const char* text)
    {
        const std::wstring path = Tool(L"macro-answer.ini");
        DeleteFileW(path.c_str());
        if (text)
            std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << text;
    }
};

const char kTwoMacros[] = "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=12,300\r\n"
                          "[MACROCONFIG]\r\n12=Letterhead\r\n300=Form B\r\n";

// The names can be chosen once the printer's answer is in.
Step UntilAnswered()
{
    return Until([](HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, 570)) != FALSE; });
}

Step UntilNames(LRESULT count)
{
    return Until([count](HWND dialog) { return SendDlgItemMessageW(dialog, 570, CB_GETCOUNT, 0, 0) == count; });
}

std::wstring SelectedName(HWND dialog)
{
    WCHAR name[64] = {};
    const LRESULT at = SendDlgItemMessageW(dialog, 570, CB_GETCURSEL, 0, 0);
    if (at >= 0)
        SendDlgItemMessageW(dialog, 570, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(name));
    return name;
}

TEST_F(MacroTool, IdAndNameFollowEachOther)
{
    LeaveAnswer(kTwoMacros);
    std::vector<std::wstring> names;
    std::wstring idOfName;
    auto name = [&names] { return Check([&names](HWND dialog) { names.push_back(SelectedName(dialog)); }); };
    Run(RunMacroDialog, {UntilAnswered(), UntilNames(2), Type(kMacroId, L"300"), name(), Type(kMacroId, L"12"), name(),
                         Type(kMacroId, L"999"), name(), SelectIndex(570, 0),
                         Check([&](HWND dialog) { idOfName = Text(dialog, kMacroId); }), Press(IDCANCEL)});
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Form B", L"Letterhead", L"Form B"}))
        << "an unknown id shows the last name";
    EXPECT_EQ(idOfName, L"12");
}

TEST_F(MacroTool, ClosingWhileThePrinterIsAskedEndsTheWait)
{
    LeaveAnswer("HOLD");   // the tool keeps its atom: it is still working
    const WCHAR* atom = session_->atomName;
    bool waiting = false;
    Run(RunMacroDialog, {Check([&](HWND dialog) {
                             waiting = GlobalFindAtomW(atom) != 0 && !IsWindowEnabled(GetDlgItem(dialog, 570));
                         }),
                         Press(IDCANCEL)});
    EXPECT_TRUE(waiting);
    EXPECT_EQ(GlobalFindAtomW(atom), 0) << "the atom goes with the dialog";
}

TEST_F(MacroTool, TheListDecidesTheQuestions)
{
    struct Case {
        const char* what;
        const char* answer;
        const WCHAR* id;
        int box;
        std::vector<const char*> messages;
        bool accepted;
        const WCHAR* name;
    } const cases[] = {
        {"saving over a listed macro", kTwoMacros, L"12", kSave, {"Specified Macro ID already exists"}, true, L"Letterhead"},
        {"saving a new macro", kTwoMacros, L"13", kSave, {}, true, L"Form B"},
        {"inserting a listed macro", kTwoMacros, L"300", kInsert, {}, true, L"Form B"},
        {"inserting an unknown macro", kTwoMacros, L"13", kInsert, {"Printer does not have the specified"}, false, nullptr},
        {"damaged list: nothing is in it", "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=zz\r\n", L"12", kInsert,
         {"Printer does not have the specified"}, false, nullptr},
        {"tool reported failure", "[Model]\r\nMacResult=0\r\n", L"12", kSave, {"If the same Macro ID"}, true, L"Old"},
        {"tool left no answer", nullptr, L"12", kSave, {"If the same Macro ID"}, true, L"Old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LeaveAnswer(c.answer);
        Priv().macroFlags = 0;
        lstrcpyW(Priv().macroName, L"Old");
        g_messages.clear();
        const LRESULT listed = c.answer == kTwoMacros ? 2 : 0;
        std::vector<Step> steps = {UntilAnswered(), UntilNames(listed),
            Type(kMacroId, c.id), Click(c.box), Press(IDOK)};
        for (size_t i = 0; i < c.messages.size(); ++i)
            steps.push_back(Answer(IDOK));
        if (!c.accepted)
            steps.push_back(Press(IDCANCEL));
        const INT_PTR result = Run(RunMacroDialog, steps);
        ASSERT_EQ(g_messages.size(), c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i)
            EXPECT_EQ(g_messages[i].text.substr(0, strlen(c.messages[i])), Narrowless(c.messages[i]));
        EXPECT_EQ(result, c.accepted ? IDOK : IDCANCEL);
        if (c.accepted) {
            EXPECT_EQ(Priv().macroId, static_cast<DWORD>(_wtoi(c.id)));
            EXPECT_STREQ(Priv().macroName, c.name);
        }
    }
}

TEST(PrinterMacroExchange, ReadsTheToolsAnswer)
{
    struct Case {
        const char* what;
        const char* file;          // null: no file
        BOOL answered;
        std::vector<WORD> ids;
        std::vector<std::wstring> names;
    } const cases[] = {
        {"two macros", "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=12,300\r\n[MACROCONFIG]\r\n12=Letterhead\r\n300=Form B\r\n",
         TRUE, {12, 300}, {L"Letterhead", L"Form B"}},
        {"second id list", "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=1\r\nIDLIST1=2\r\n", TRUE, {1, 2}, {L"", L""}},
        {"tool failed", "[Model]\r\nMacResult=0\r\n[MACROS]\r\nIDLIST0=12\r\n", FALSE, {}, {}},
        {"no result", "[MACROS]\r\nIDLIST0=12\r\n", FALSE, {}, {}},
        {"result not a number", "[Model]\r\nMacResult=yes\r\n[MACROS]\r\nIDLIST0=12\r\n", FALSE, {}, {}},
        {"ids out of range dropped", "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=40000,5,32767,70000\r\n",
         TRUE, {5, 32767}, {L"", L""}},
        {"damaged list ends at garbage", "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=8,x9,10\r\n", TRUE, {8}, {L""}},
        {"long name cut", "[Model]\r\nMacResult=1\r\n[MACROS]\r\nIDLIST0=4\r\n[MACROCONFIG]\r\n4=ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n",
         TRUE, {4}, {L"ABCDEFGHIJKLMNOPQRST"}},
        {"binary junk", "\x01\x02\xff[Model\r\n=\r\n", FALSE, {}, {}},
        {"missing file", nullptr, FALSE, {}, {}},
    };
    const std::wstring scratch = CreateScratchDirectory();
    const std::wstring path = scratch + L"\\kvrbtool.ini";
    auto* list = new PrinterMacroList;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(path.c_str());
        if (c.file) {
            std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << c.file;
        }
        list->count = -1;
        EXPECT_EQ(ReadMacroExchange(path.c_str(), list), c.answered);
        ASSERT_EQ(list->count, static_cast<int>(c.ids.size()));
        for (int i = 0; i < list->count; ++i) {
            EXPECT_EQ(list->macros[i].id, c.ids[i]);
            EXPECT_EQ(std::wstring(list->macros[i].name), c.names[i]);
        }
    }
    delete list;
    RemoveScratchDirectory(scratch);
}

// ---------------------------------------------------------------------------
// Header-footer

const int kDarkness = 546, kDarknessSpin = 547, kColour = 595, kDate = 590, kTime = 592, kFont = 594, kRight = 599, kCenter = 598,
          kBottom = 603, kTop = 602, kOpaque = 605, kTransparent = 606, kDefault = 607, kIdPrint = 609,
          kCustom = 611, kPreview = 587;

TEST_F(SettingDialogs, HeaderFooterControlsChangeTheirFieldsOnly)
{
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::function<void(DriverDevmode&)> expect;
    };
    const DWORD numbered = 0x40;
    const Case cases[] = {
        {"right", {Click(kRight)}, [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 2; }},
        {"centre", {Click(kCenter)}, [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 1; }},
        {"bottom", {Click(kBottom)}, [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 4; }},
        {"bottom then top", {Click(kBottom), Click(kTop)}, [](DriverDevmode&) {}},
        {"opaque", {Click(kOpaque)}, [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 8; }},
        {"third date", {SelectIndex(kDate, 2)},
         [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 2 << 13; }},
        {"no date", {SelectData(kDate, 7 << 13)},
         [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 7 << 13; }},
        {"no time", {SelectData(kTime, 8 << 8)},
         [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 8 << 8; }},
        {"user name", {SelectData(kIdPrint, 1)}, [](DriverDevmode& dm) { dm.priv.processor.idWatermark = 1; }},
        {"custom name", {SelectData(kIdPrint, 2), Type(kCustom, L"Accounts")},
         [](DriverDevmode& dm) {
             dm.priv.processor.idWatermark = 2;
             lstrcpyW(dm.priv.processor.idWatermarkName, L"Accounts");
         }},
        {"darkness 50", {Click(kOpaque), Type(kDarkness, L"50")},
         [](DriverDevmode& dm) {
             dm.priv.processor.headerFooterFlags |= 8;
             dm.priv.processor.headerFooterBackColor = RGB(127, 127, 127);
         }},
        {"darkness above 100", {Click(kOpaque), Type(kDarkness, L"250")},
         [](DriverDevmode& dm) {
             dm.priv.processor.headerFooterFlags |= 8;
             dm.priv.processor.headerFooterBackColor = RGB(0, 0, 0);
         }},
        {"darkness not a number", {Click(kOpaque), Type(kDarkness, L"4x")},
         [](DriverDevmode& dm) { dm.priv.processor.headerFooterFlags |= 8; }},
        {"darkness by the spin", {Click(kOpaque), SpinTo(kDarknessSpin, 80)},
         [](DriverDevmode& dm) {
             dm.priv.processor.headerFooterFlags |= 8;
             dm.priv.processor.headerFooterBackColor = RGB(51, 51, 51);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Block().headerFooterFlags = numbered;
        Block().headerFooterBackColor = RGB(255, 255, 255);
        Block().idWatermark = 0;
        ZeroMemory(Block().idWatermarkName, sizeof(Block().idWatermarkName));
        std::vector<Step> steps = c.steps;
        steps.push_back(Press(IDOK));
        EXPECT_EQ(Run(RunHeaderFooterDialog, steps), IDOK);
        ExpectOnly(c.expect);
    }
}

TEST_F(SettingDialogs, HeaderFooterCustomTextOnlyWithCustomIdPrint)
{
    struct Case {
        LRESULT item;
        BOOL enabled;
    } const cases[] = {{1, FALSE}, {2, TRUE}, {0, FALSE}};
    for (const Case& c : cases) {
        BOOL enabled = -1;
        Run(RunHeaderFooterDialog, {SelectData(kIdPrint, c.item), Check([&](HWND dialog) {
                                        enabled = IsWindowEnabled(GetDlgItem(dialog, kCustom));
                                    }),
                                    Press(IDCANCEL)});
        EXPECT_EQ(enabled, c.enabled) << "ID Print item data " << c.item;
    }
}

TEST_F(SettingDialogs, HeaderFooterCancelKeepsTheNameAndLeavesTheRestToTheCaller)
{
    Block().headerFooterFlags = 0x40;
    lstrcpyW(Block().idWatermarkName, L"Before");
    EXPECT_EQ(Run(RunHeaderFooterDialog, {SelectData(kIdPrint, 2), Type(kCustom, L"After"), Click(kRight),
                                          Press(IDCANCEL)}),
              IDCANCEL);
    EXPECT_STREQ(Block().idWatermarkName, L"Before");
    EXPECT_EQ(Block().headerFooterFlags, 0x42u) << "edits stay until the caller restores them";
}

TEST_F(SettingDialogs, HeaderFooterDefaultTurnsPrintingOnWithNumberedFormats)
{
    Block().headerFooterFlags = 0x2 | 0x8 | (0x1000);   // fixed formats, right, opaque
    Run(RunHeaderFooterDialog, {Click(kDefault), Press(IDOK)});
    DriverDevmode defaults;
    ASSERT_TRUE(BuildDefaultDevmode(&defaults.pub, session_->driverName, session_->model, IsA4Locale(), printer_));
    const DWORD flags = Block().headerFooterFlags;
    EXPECT_EQ(flags & 0xC0, 0xC0u) << "printing on, numbered formats";
    EXPECT_EQ(flags & 0x0F, defaults.priv.processor.headerFooterFlags & 0x0F) << "position and background";
    EXPECT_EQ(Block().idWatermark, defaults.priv.processor.idWatermark);
}

TEST_F(SettingDialogs, HeaderFooterTakesAFontThatDoesNotExist)
{
    lstrcpyW(Block().headerFooterFont.lfFaceName, L"No Such Face Zq");
    Block().headerFooterFont.lfHeight = -10;
    std::wstring fontTitle, colourTitle;
    EXPECT_EQ(Run(RunHeaderFooterDialog,
                  {Check([](HWND dialog) { UpdateWindow(GetDlgItem(dialog, kPreview)); }), Click(kFont),
                   Check([&](HWND chooser) { fontTitle = Title(chooser); }), Press(IDCANCEL), Click(kColour),
                   Check([&](HWND chooser) { colourTitle = Title(chooser); }), Press(IDCANCEL), Press(IDOK)}),
              IDOK);
    EXPECT_EQ(fontTitle, L"Font") << "the system font dialog opened";
    EXPECT_EQ(colourTitle, L"Color") << "the system colour dialog opened";
    ExpectOnly([](DriverDevmode&) {});
    EXPECT_STREQ(Block().headerFooterFont.lfFaceName, L"No Such Face Zq");
    EXPECT_EQ(Block().headerFooterFont.lfHeight, -10);
}

// ---------------------------------------------------------------------------
// Manual setting

const int kBrightness = 521, kBrightnessText = 522, kContrast = 524, kContrastText = 525, kQuality = 531,
          kSystemHalftone = 507, kHalftoneSetup = 508, kImproveGray = 510, kTrueTypeMode = 513;

TEST_F(SettingDialogs, BrightnessAndContrastStayWithinTheirRange)
{
    struct Case {
        int scroll;
        SHORT start;
        WORD code;
        SHORT position;
        int repeat;
        SHORT expected;
        const WCHAR* shown;
    } const cases[] = {
        {kBrightness, 62, SB_LINERIGHT, 0, 4, 64, L"+64"},
        {kBrightness, -62, SB_LINELEFT, 0, 4, -64, L"-64"},
        {kBrightness, 0, SB_PAGERIGHT, 0, 9, 64, L"+64"},
        {kBrightness, 1, SB_LINELEFT, 0, 1, 0, L"0"},
        {kContrast, 60, SB_THUMBPOSITION, 100, 1, 64, L"+64"},
        {kContrast, 0, SB_THUMBTRACK, -70, 1, -64, L"-64"},
        {kContrast, 5, SB_LEFT, 0, 1, -64, L"-64"},
        {kContrast, -5, SB_RIGHT, 0, 1, 64, L"+64"},
        {kContrast, 3, SB_PAGELEFT, 0, 1, -5, L"-5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scroll " << c.scroll << " code " << c.code << " from " << c.start);
        WORD& level = c.scroll == kBrightness ? Priv().grayLevelLow : Priv().grayLevelHigh;
        level = static_cast<WORD>(c.start);
        std::wstring shown;
        std::vector<Step> steps;
        for (int i = 0; i < c.repeat; ++i)
            steps.push_back(Scroll(c.scroll, c.code, c.position));
        steps.push_back(Check([&](HWND dialog) {
            shown = Text(dialog, c.scroll == kBrightness ? kBrightnessText : kContrastText);
        }));
        steps.push_back(Press(IDOK));
        EXPECT_EQ(Run(RunManualSettingDialog, steps), IDOK);
        EXPECT_EQ(shown, c.shown);
        ExpectOnly([&](DriverDevmode& dm) {
            (c.scroll == kBrightness ? dm.priv.grayLevelLow : dm.priv.grayLevelHigh) = static_cast<WORD>(c.expected);
        });
    }
}

TEST_F(SettingDialogs, ManualChoicesSetTheirRenderBitsOnly)
{
    const DWORD dither1 = 0x200000, dither2 = 0x400000;
    struct Case {
        const char* what;
        DWORD start;
        std::vector<Step> steps;
        DWORD expected;
    } const cases[] = {
        {"photo", dither1, {SelectIndex(kQuality, 0)}, 0},
        {"graphics", dither2, {SelectIndex(kQuality, 1)}, dither1},
        {"chart", 0, {SelectIndex(kQuality, 2)}, dither2},
        {"system halftone", 0, {Click(kSystemHalftone)}, 0x100000},
        {"improve gray", 0, {Click(kImproveGray)}, 0x80000},
        {"improve pattern", 0x80000, {Click(509)}, 0xC0000},
        {"printer fonts", 0, {Click(514)}, 0x80},
        {"first TrueType mode", 0, {SelectIndex(kTrueTypeMode, 0)}, 0x10000},
        {"last TrueType mode", 0x10000, {SelectIndex(kTrueTypeMode, 2)}, 0x8000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Priv().renderFlags = (Priv().renderFlags & ~0x7D8080u) | c.start;
        std::vector<Step> steps = c.steps;
        steps.push_back(Press(IDOK));
        EXPECT_EQ(Run(RunManualSettingDialog, steps), IDOK);
        ExpectOnly([&](DriverDevmode& dm) { dm.priv.renderFlags = (dm.priv.renderFlags & ~0x7D8080u) | c.expected; });
    }
}

TEST_F(SettingDialogs, ManualDefaultReloadsTheProfileSettings)
{
    const DWORD manualBits = 0x7D8080;
    DriverDevmode defaults;
    ASSERT_TRUE(BuildDefaultDevmode(&defaults.pub, session_->driverName, session_->model, IsA4Locale(), printer_));
    Priv().grayLevelLow = static_cast<WORD>(defaults.priv.grayLevelLow + 9);
    Priv().grayLevelHigh = static_cast<WORD>(defaults.priv.grayLevelHigh - 9);
    Priv().renderFlags = (Priv().renderFlags & ~manualBits) | (~defaults.priv.renderFlags & manualBits);
    EXPECT_EQ(Run(RunManualSettingDialog, {Click(16), Press(IDOK)}), IDOK);
    ExpectOnly([&](DriverDevmode& dm) {
        dm.priv.grayLevelLow = defaults.priv.grayLevelLow;
        dm.priv.grayLevelHigh = defaults.priv.grayLevelHigh;
        dm.priv.renderFlags = (dm.priv.renderFlags & ~manualBits) | (defaults.priv.renderFlags & manualBits);
    });
}

TEST_F(SettingDialogs, SystemHalftoneTakesOverTheGraphicsControls)
{
    Priv().renderFlags &= ~0x180000u;
    std::vector<BOOL> before, after, gray;
    auto read = [](std::vector<BOOL>& into) {
        return Check([&into](HWND dialog) {
            for (int id : {kBrightness, kContrast, kQuality, kHalftoneSetup})
                into.push_back(IsWindowEnabled(GetDlgItem(dialog, id)));
        });
    };
    Run(RunManualSettingDialog,
        {read(before), Click(kSystemHalftone), read(after), Click(kImproveGray), Check([&](HWND dialog) {
             for (int id : {512, kTrueTypeMode, 514})
                 gray.push_back(IsWindowEnabled(GetDlgItem(dialog, id)));
         }),
         // Without the system's halftone library the button does nothing.
         Click(kHalftoneSetup), Press(IDCANCEL)});
    EXPECT_EQ(before, (std::vector<BOOL>{TRUE, TRUE, TRUE, FALSE}));
    EXPECT_EQ(after, (std::vector<BOOL>{FALSE, FALSE, FALSE, TRUE}));
    EXPECT_EQ(gray, (std::vector<BOOL>{FALSE, FALSE, FALSE}));
    EXPECT_EQ(memcmp(&before_.priv.colorAdjustment, &Priv().colorAdjustment, sizeof(COLORADJUSTMENT)), 0);
}

// ---------------------------------------------------------------------------
// Quick print setup items

const int kMultiPage = 557, kDuplexItem = 558, kTonerSave = 559, kPaperSource = 560, kMediaType = 561;

DWORD StoredMask(HANDLE printer, bool* present)
{
    DWORD value = 0, type = 0, size = 0;
    *present = GetPrinterDataW(printer, const_cast<WCHAR*>(kItemMaskValue), &type,
                               reinterpret_cast<BYTE*>(&value), sizeof(value), &size) == ERROR_SUCCESS;
    return value;
}

TEST_F(SettingDialogs, QuickSetupItemsKeepOneItemAndWriteOnlyAChange)
{
    struct Case {
        const char* what;
        LONG stored;              // -1: no value
        DWORD trays;
        std::vector<int> clicks;
        int end;
        LONG written;             // -1: the value is left as it was
    } const cases[] = {
        {"nothing changed", -1, 1, {}, IDOK, -1},
        {"one item off", -1, 1, {kTonerSave}, IDOK, 0x303},
        {"paper source off with trays", 0x703, 1, {kPaperSource}, IDOK, 0x702},
        {"without trays no paper source", 0x703, 0, {}, IDOK, 0x702},
        {"last item stays", 0x100, 1, {kMultiPage}, IDOK, -1},
        {"last item stays after others", 0x300, 1, {kDuplexItem, kMultiPage}, IDOK, 0x100},
        {"cancel writes nothing", 0x100, 1, {kDuplexItem}, IDCANCEL, -1},
        {"limited to the items", 0x7FFFF, 1, {kMediaType}, IDOK, 0x701},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTestPrinterData(kTestQueueName, kItemMaskValue);
        if (c.stored >= 0) {
            ASSERT_EQ(SetPrinterDataW(printer_, const_cast<WCHAR*>(kItemMaskValue), REG_DWORD,
                                      reinterpret_cast<BYTE*>(const_cast<LONG*>(&c.stored)), 4),
                      DWORD(ERROR_SUCCESS));
        }
        Priv().modelTrays = c.trays;
        std::vector<Step> steps;
        for (int id : c.clicks)
            steps.push_back(Click(id));
        steps.push_back(Press(c.end));
        EXPECT_EQ(Run(RunQuickSetupItemsDialog, steps), c.end);
        bool present = false;
        const DWORD value = StoredMask(printer_, &present);
        if (c.written < 0) {
            EXPECT_EQ(present, c.stored >= 0);
            EXPECT_EQ(value, present ? static_cast<DWORD>(c.stored) : 0u);
        } else {
            EXPECT_TRUE(present);
            EXPECT_EQ(value, static_cast<DWORD>(c.written));
        }
        ExpectOnly([](DriverDevmode&) {});
    }
    RemoveTestPrinterData(kTestQueueName, kItemMaskValue);
}

TEST_F(SettingDialogs, QuickSetupItemsShowWhatThePrinterOffers)
{
    struct Case {
        DWORD trays, features;
        BOOL sourceShown;
        bool mediaInSourcePlace;
        const WCHAR* duplexLabel;
    } const cases[] = {
        {1, 0x4, TRUE, false, L"Duple&x"},
        {0, 0x8, FALSE, true, L"Duple&x"},
        {1, 0x0, TRUE, false, L"Manual Duple&x"},
        {0, 0x0, FALSE, true, L"Manual Duple&x"},
    };
    RemoveTestPrinterData(kTestQueueName, kItemMaskValue);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "trays " << c.trays << " features " << c.features);
        Priv().modelTrays = c.trays;
        Priv().modelFeatures = c.features;
        BOOL shown = -1;
        bool moved = false;
        std::wstring label;
        Run(RunQuickSetupItemsDialog, {Check([&](HWND dialog) {
                                           shown = IsWindowVisible(GetDlgItem(dialog, kPaperSource));
                                           RECT source, media;
                                           GetWindowRect(GetDlgItem(dialog, kPaperSource), &source);
                                           GetWindowRect(GetDlgItem(dialog, kMediaType), &media);
                                           moved = source.top == media.top;
                                           label = Text(dialog, kDuplexItem);
                                       }),
                                       Press(IDCANCEL)});
        EXPECT_EQ(shown, c.sourceShown);
        EXPECT_EQ(moved, c.mediaInSourcePlace);
        EXPECT_EQ(label, c.duplexLabel);
    }
}

// ---------------------------------------------------------------------------
// Leaks

TEST_F(SettingDialogs, OpeningAndClosingLeavesNothingBehind)
{
    Block().headerFooterFlags = 0x48;   // opaque: the preview paints its background
    lstrcpyW(Block().headerFooterFont.lfFaceName, L"Arial");
    RemoveTestPrinterData(kTestQueueName, kItemMaskValue);
    INT_PTR (*const dialogs[])(HWND, UiSession*) = {RunFitToPaperDialog, RunMacroDialog, RunHeaderFooterDialog,
                                                    RunManualSettingDialog, RunQuickSetupItemsDialog};
    auto openAll = [&] {
        for (auto dialog : dialogs) {
            Script({Check([](HWND window) {
                        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                    }),
                    Press(IDCANCEL)});
            dialog(nullptr, session_);
        }
    };
    const UsageGrowth growth = MeasureUsageGrowth(openAll, 3, 15);
    EXPECT_EQ(growth.handles, 0);
    EXPECT_EQ(growth.gdiObjects, 0);
    EXPECT_EQ(growth.heapBlocks, 0);
}

} // namespace
