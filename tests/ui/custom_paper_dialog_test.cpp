// The user-defined paper size: its rules on their own (ranges in both
// units, the exact conversion, the edits of the list of named sizes), and
// the real dialog on a settings session of the test queue, driven by the
// messages a user's input produces, with the queue's list of named sizes
// read back from the spooler.
#include "ui/custom_paper_dialog.h"

#include "core/driver_strings.h"
#include "core/ui_session.h"
#include "support/process_usage.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "ui/custom_paper_rules.h"
#include "ui/sheet_session.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Rules

TEST(CustomPaperRules, RangesInBothUnits)
{
    struct Case {
        PaperDimension dimension;
        PaperUnit unit;
        LONG lower;
        LONG upper;
    };
    const Case cases[] = {
        {kPaperWidth, kUnitMillimetre, 762, 2159},
        {kPaperHeight, kUnitMillimetre, 1160, 4064},
        {kPaperWidth, kUnitInch, 300, 850},
        {kPaperHeight, kUnitInch, 457, 1600},
    };
    for (const Case& c : cases) {
        const ShownRange range = CustomSizeRange(c.dimension, c.unit);
        EXPECT_EQ(range.lower, c.lower) << c.dimension << "/" << c.unit;
        EXPECT_EQ(range.upper, c.upper) << c.dimension << "/" << c.unit;
    }
}

TEST(CustomPaperRules, ShownValuesBecomeTenthsOfMillimetres)
{
    struct Case {
        LONG shown;
        PaperDimension dimension;
        PaperUnit unit;
        LONG tenthsMm;
    };
    const Case cases[] = {
        {1600, kPaperHeight, kUnitInch, 4064},   // 16 in, exactly the largest height
        {457, kPaperHeight, kUnitInch, 1160},    // rounding alone would give 1161
        {300, kPaperWidth, kUnitInch, 762},
        {850, kPaperWidth, kUnitInch, 2159},
        {458, kPaperHeight, kUnitInch, 1163},    // next to a bound: plain conversion
        {849, kPaperWidth, kUnitInch, 2156},
        {500, kPaperWidth, kUnitInch, 1270},
        {457, kPaperWidth, kUnitInch, 1161},     // a height bound is no width bound
        {2159, kPaperWidth, kUnitMillimetre, 2159},
        {1234, kPaperHeight, kUnitMillimetre, 1234},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TenthsMmOfShown(c.shown, c.dimension, c.unit), c.tenthsMm) << c.shown;
}

TEST(CustomPaperRules, UnitChangesKeepEverySizeInRange)
{
    for (int d = 0; d < kPaperDimensions; ++d) {
        const auto dimension = static_cast<PaperDimension>(d);
        for (PaperUnit from : {kUnitMillimetre, kUnitInch}) {
            const PaperUnit to = from == kUnitInch ? kUnitMillimetre : kUnitInch;
            const ShownRange source = CustomSizeRange(dimension, from);
            const ShownRange target = CustomSizeRange(dimension, to);
            for (LONG shown = source.lower; shown <= source.upper; ++shown) {
                const LONG converted = ConvertShown(shown, dimension, from, to);
                ASSERT_GE(converted, target.lower) << d << " " << from << " " << shown;
                ASSERT_LE(converted, target.upper) << d << " " << from << " " << shown;
            }
            EXPECT_EQ(ConvertShown(source.lower, dimension, from, to), target.lower);
            EXPECT_EQ(ConvertShown(source.upper, dimension, from, to), target.upper);
        }
    }
    EXPECT_EQ(ConvertShown(1234, kPaperWidth, kUnitMillimetre, kUnitMillimetre), 1234);
}

TEST(CustomPaperRules, NearerBound)
{
    const ShownRange range = {762, 2159};
    const LONG cases[][2] = {{0, 762}, {761, 762}, {762, 762}, {1500, 1500}, {2159, 2159}, {2160, 2159}};
    for (const auto& c : cases)
        EXPECT_EQ(NearerBound(c[0], range), c[1]) << c[0];
}

TEST(CustomPaperRules, NamesLoseListSeparators)
{
    struct Case {
        const WCHAR* typed;
        const WCHAR* kept;
        BOOL removed;
    };
    const Case cases[] = {
        {L"Card", L"Card", FALSE}, {L"Ca,rd", L"Card", TRUE}, {L";,;", L"", TRUE},
        {L"A;B", L"AB", TRUE},     {L"", L"", FALSE},
    };
    for (const Case& c : cases) {
        WCHAR name[32];
        lstrcpyW(name, c.typed);
        EXPECT_EQ(RemoveListSeparators(name), c.removed) << c.typed;
        EXPECT_STREQ(name, c.kept);
    }
}

ProfileCustomPaperList Decoded(const WCHAR* text)
{
    ProfileCustomPaperList list = {};
    DecodeCustomPaperList(text, &list);
    return list;
}

std::wstring Encoded(const ProfileCustomPaperList& list)
{
    WCHAR text[kCustomPaperListChars];
    EncodeCustomPaperList(list, text, kCustomPaperListChars);
    return text;
}

TEST(CustomPaperRules, SavingAndDeletingNamedSizes)
{
    ProfileCustomPaperList list = Decoded(L"2;Card,300,0,1000,1500;Slip,302,1,800,1200;");
    int index = -1;
    // A new name takes the lowest free code, an existing one (in any case)
    // keeps its code and takes the new spelling.
    EXPECT_EQ(SaveCustomPaper(&list, L"Tag", kUnitInch, 900, 1300, &index), kPaperAdded);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(SaveCustomPaper(&list, L"SLIP", kUnitMillimetre, 850, 1250, &index), kPaperReplaced);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Encoded(list), L"3;Card,300,0,1000,1500;SLIP,302,0,850,1250;Tag,301,1,900,1300;");

    EXPECT_TRUE(DeleteCustomPaper(&list, L"card"));
    EXPECT_FALSE(DeleteCustomPaper(&list, L"Card"));
    EXPECT_EQ(SaveCustomPaper(&list, L"Fresh", kUnitMillimetre, 762, 1160, nullptr), kPaperAdded);
    EXPECT_EQ(Encoded(list), L"3;SLIP,302,0,850,1250;Tag,301,1,900,1300;Fresh,300,0,762,1160;");

    // Sixteen is the most: a new name is refused, an existing one replaced.
    for (int i = 0; list.count < kMaxCustomPapers; ++i) {
        const std::wstring name = L"N" + std::to_wstring(i);
        ASSERT_EQ(SaveCustomPaper(&list, name.c_str(), kUnitMillimetre, 1000, 2000, nullptr), kPaperAdded);
    }
    std::vector<WORD> codes;
    for (const ProfileCustomPaper& paper : list.papers)
        codes.push_back(paper.code);
    std::sort(codes.begin(), codes.end());
    for (size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(codes[i], kFirstCustomPaperCode + i);
    const std::wstring full = Encoded(list);
    EXPECT_EQ(SaveCustomPaper(&list, L"Seventeen", kUnitMillimetre, 1000, 2000, &index), kPaperListFull);
    EXPECT_EQ(Encoded(list), full);
    EXPECT_EQ(SaveCustomPaper(&list, L"tag", kUnitMillimetre, 1111, 2222, &index), kPaperReplaced);
    EXPECT_EQ(list.papers[index].code, 301);
    EXPECT_EQ(list.count, kMaxCustomPapers);
}

TEST(CustomPaperRules, DamagedListsKeepOnlyEntriesThatCanBePicked)
{
    struct Case {
        const WCHAR* stored;
        const WCHAR* kept;
        int dropped;
    };
    const Case cases[] = {
        {L"__##NOUSE##__", L"0;", 0},
        {L"3;A,300,0,1000,2000;", L"1;A,300,0,1000,2000;", 0},
        {L"2;A,300,0,1000,2000;a,301,0,900,1900;", L"1;A,300,0,1000,2000;", 1},
        {L"2;,300,0,1000,2000;B,300,1,900,1900;", L"1;B,300,1,900,1900;", 1},
        {L"2;C,299,0,1000,2000;D,316,0,1000,2000;", L"0;", 2},
        {L"2;E,305,0,1000,2000;F,305,0,1000,2000;", L"1;E,305,0,1000,2000;", 1},
        {L"x;garbage", L"0;", 0},
    };
    for (const Case& c : cases) {
        ProfileCustomPaperList list = Decoded(c.stored);
        EXPECT_EQ(TidyCustomPaperList(&list), c.dropped) << c.stored;
        EXPECT_EQ(Encoded(list), c.kept) << c.stored;
    }
}

TEST(CustomPaperRules, TraysOfDeletedSizesLoseTheirPaper)
{
    const ProfileCustomPaperList list = Decoded(L"2;A,300,0,1000,2000;B,303,0,1000,2000;");
    TrayPaperEntry trays[kTrayPaperEntries];
    const LONG before[kTrayPaperEntries] = {300, 301, 303, 9, -1, -2, 315, 299, 316, 256, 1, 302};
    const LONG after[kTrayPaperEntries] = {300, -1, 303, 9, -1, -2, -1, 299, 316, 256, 1, -1};
    for (size_t i = 0; i < kTrayPaperEntries; ++i)
        trays[i] = {before[i], -2};
    EXPECT_EQ(ClearTraysOfDeletedPapers(trays, list), 3);
    for (size_t i = 0; i < kTrayPaperEntries; ++i) {
        EXPECT_EQ(trays[i].paper, after[i]) << "tray entry " << i;
        EXPECT_EQ(trays[i].trayId, -2);
    }
}

// ---------------------------------------------------------------------------
// The dialog

const WCHAR kDialogTitle[] = L"User Defined Size";
const int kName = 570, kMillimetres = 572, kInches = 573, kWidth = 581, kHeight = 583;
const int kSave = 584, kDelete = 585, kHint = 515;
const int kMessageText = 0xFFFF;   // the message box's text

using Step = std::function<void(HWND dialog)>;

// Runs the script on the dialog of the calling thread, one step per timer
// tick. A tick that finds a message box records its text and answers it
// instead, so a step may leave one behind for the next tick.
class DialogScript {
public:
    static DialogScript* current;

    explicit DialogScript(std::vector<Step> steps) : steps_(std::move(steps)) { current = this; }
    ~DialogScript() { current = nullptr; }

    std::vector<std::wstring> messages;
    bool ranOut = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { current->Next(); }

private:
    struct Windows {
        HWND dialog;
        HWND box;
    };
    static BOOL CALLBACK Collect(HWND window, LPARAM param)
    {
        auto* found = reinterpret_cast<Windows*>(param);
        WCHAR className[16] = {};
        GetClassNameW(window, className, 16);
        if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window))
            return TRUE;
        (GetDlgItem(window, kName) ? found->dialog : found->box) = window;
        return TRUE;
    }

    void Next()
    {
        Windows found = {};
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&found));
        if (found.box) {
            WCHAR text[512] = {}, title[64] = {};
            GetDlgItemTextW(found.box, kMessageText, text, 512);
            GetWindowTextW(found.box, title, 64);
            messages.push_back(std::wstring(title) + L": " + text);
            PostMessageW(found.box, WM_COMMAND, IDOK, 0);
            return;
        }
        if (!found.dialog || running_)
            return;
        if (next_ < steps_.size()) {
            running_ = true;
            steps_[next_++](found.dialog);
            running_ = false;
        } else if (++idle_ > 25) {
            ranOut = true;
            PostMessageW(found.dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    int idle_ = 0;
    bool running_ = false;
};
DialogScript* DialogScript::current = nullptr;

std::wstring Text(HWND dialog, int id)
{
    WCHAR text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

std::wstring Message(UINT id)
{
    WCHAR title[64], text[512];
    LoadDriverString(386, title, 64);
    LoadDriverString(id, text, 512);
    return std::wstring(title) + L": " + text;
}

// What a user does, as the controls report it.
Step Type(int id, const WCHAR* text)
{
    std::wstring copy = text;
    return [id, copy](HWND dialog) {
        HWND edit = GetDlgItem(dialog, id);
        SetFocus(edit);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    };
}
Step TypeName(const WCHAR* text)
{
    std::wstring copy = text;
    return [copy](HWND dialog) {
        HWND combo = GetDlgItem(dialog, kName);
        SetFocus(combo);
        SetWindowTextW(combo, copy.c_str());
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kName, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}
Step SelectName(int index)
{
    return [index](HWND dialog) {
        HWND combo = GetDlgItem(dialog, kName);
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kName, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    };
}
Step Focus(int id)
{
    return [id](HWND dialog) { SetFocus(GetDlgItem(dialog, id)); };
}
Step Click(int id)
{
    return [id](HWND dialog) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
}
// Escape: the dialog is told directly, the focus stays where it is.
Step Escape()
{
    return [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); };
}

std::vector<std::wstring> ComboNames(HWND dialog)
{
    std::vector<std::wstring> names;
    HWND combo = GetDlgItem(dialog, kName);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR name[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        names.push_back(name);
    }
    return names;
}

const WCHAR kAbsent[] = L"<absent>";

class CustomPaperDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kTestQueueName), &printer_, &access));
        original_ = StoredPapers();
    }

    void TearDown() override
    {
        if (original_ == kAbsent)
            RemoveTestPrinterData(kTestQueueName, L"CstPaper");
        else
            StorePapers(original_.c_str());
        if (printer_)
            ClosePrinter(printer_);
    }

    void StorePapers(const WCHAR* text)
    {
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(L"CstPaper"), REG_BINARY,
                                  reinterpret_cast<BYTE*>(const_cast<WCHAR*>(text)),
                                  static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(WCHAR))),
                  DWORD(ERROR_SUCCESS));
    }

    std::wstring StoredPapers()
    {
        WCHAR text[1024] = {};
        DWORD type = 0, needed = 0;
        if (GetPrinterDataW(printer_, const_cast<LPWSTR>(L"CstPaper"), &type,
                            reinterpret_cast<BYTE*>(text), sizeof(text) - sizeof(WCHAR),
                            &needed) != ERROR_SUCCESS)
            return kAbsent;
        return text;
    }

    // Opens a session as the document sheet does for a user allowed to
    // change the defaults, sets the size the dialog opens with, runs the
    // dialog under the script and keeps the session's settings afterwards.
    INT_PTR Run(std::vector<Step> steps)
    {
        UiSession* session = OpenUiSession(printer_, nullptr);
        EXPECT_NE(session, nullptr);
        if (!session)
            return -2;
        SheetOf(session)->hasPermission = permission_;
        SheetOf(session)->userDefault = userDefault_;
        PrivateSettings& priv = session->devmode.priv;
        priv.customPaperUnit = unit_;
        priv.customPaperWidth = width_;
        priv.customPaperLength = length_;
        lstrcpyW(priv.customPaperName, L"Opened");
        for (size_t i = 0; i < kTrayPaperEntries; ++i)
            priv.trayPaper[i] = {trays_[i], -2};

        DialogScript script(std::move(steps));
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, DialogScript::Tick);
        code_ = -7;
        const INT_PTR result = RunCustomPaperDialog(nullptr, session, &code_);
        KillTimer(nullptr, timer);
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        }
        messages_ = script.messages;
        EXPECT_FALSE(script.ranOut) << "the script left the dialog open";
        priv_ = session->devmode.priv;
        papers_ = session->customPapers;
        CloseUiSession(session);
        return result;
    }

    HANDLE printer_ = nullptr;
    std::wstring original_;
    DWORD permission_ = 1;
    DWORD userDefault_ = 1;
    WORD unit_ = kUnitMillimetre;
    WORD width_ = 2000;
    WORD length_ = 2500;
    LONG trays_[kTrayPaperEntries] = {9, 1, -1, -2, -2, -2, -2, -2, -2, -2, -2, -1};
    short code_ = 0;
    std::vector<std::wstring> messages_;
    PrivateSettings priv_ = {};
    ProfileCustomPaperList papers_ = {};
};

TEST_F(CustomPaperDialog, SizesAreCheckedWhenTheirEditIsLeft)
{
    struct Case {
        WORD unit;
        int edit;
        const WCHAR* typed;
        UINT message;         // 0: none
        const WCHAR* shown;   // the edit's text afterwards
        bool refused;         // the edit keeps the focus
    };
    // The dialog opens with 200.0 x 250.0 mm (7.87 x 9.84 in).
    const Case cases[] = {
        {kUnitMillimetre, kWidth, L"215.9", 0, L"215.9", false},
        {kUnitMillimetre, kWidth, L"216.0", 387, L"215.9", true},
        {kUnitMillimetre, kWidth, L"76.1", 387, L"76.2", true},
        {kUnitMillimetre, kWidth, L"76.2", 0, L"76.2", false},
        {kUnitMillimetre, kWidth, L"76.25", 0, L"200.0", true},   // two decimals: malformed
        {kUnitMillimetre, kWidth, L"1.2.3", 0, L"200.0", true},
        {kUnitMillimetre, kWidth, L"x12", 0, L"", true},
        {kUnitMillimetre, kWidth, L"", 387, L"76.2", true},
        {kUnitMillimetre, kHeight, L"406.5", 388, L"406.4", true},
        {kUnitMillimetre, kHeight, L"116", 0, L"116.0", false},
        {kUnitMillimetre, kHeight, L"115.9", 388, L"116.0", true},
        {kUnitInch, kWidth, L"8.51", 387, L"8.50", true},
        {kUnitInch, kWidth, L"3.005", 0, L"7.87", true},
        {kUnitInch, kHeight, L"16", 0, L"16.00", false},
        {kUnitInch, kHeight, L"4.56", 388, L"4.57", true},
    };
    for (const Case& c : cases) {
        unit_ = c.unit;
        const int other = c.edit == kWidth ? kHeight : kWidth;
        std::wstring shown = L"<unread>";
        int focused = 0;
        EXPECT_EQ(Run({Type(c.edit, c.typed), Focus(other),
                       [&](HWND dialog) {
                           shown = Text(dialog, c.edit);
                           focused = GetDlgCtrlID(GetFocus());
                       },
                       Escape()}),
                  IDCANCEL);
        EXPECT_EQ(shown, c.shown) << c.typed;
        EXPECT_EQ(focused, c.refused ? c.edit : other) << c.typed;
        const std::vector<std::wstring> expected =
            c.message ? std::vector<std::wstring>{Message(c.message)} : std::vector<std::wstring>{};
        EXPECT_EQ(messages_, expected) << c.typed;
    }
}

TEST_F(CustomPaperDialog, ConfirmedSizesAreStoredInTenthsOfMillimetres)
{
    struct Case {
        int unitRadio;
        const WCHAR* width;
        const WCHAR* height;
        WORD unit;
        WORD storedWidth;
        WORD storedLength;
    };
    const Case cases[] = {
        {kInches, L"8.5", L"16", kUnitInch, 2159, 4064},
        {kInches, L"3", L"4.57", kUnitInch, 762, 1160},
        {kInches, L"5.00", L"10", kUnitInch, 1270, 2540},
        {kMillimetres, L"100.5", L"200", kUnitMillimetre, 1005, 2000},
        {kMillimetres, L"215.9", L"406.4", kUnitMillimetre, 2159, 4064},
    };
    StorePapers(L"0;");
    for (const Case& c : cases) {
        EXPECT_EQ(Run({Click(c.unitRadio), Type(kWidth, c.width), Type(kHeight, c.height),
                       Click(IDOK)}),
                  IDOK)
            << c.width;
        EXPECT_TRUE(messages_.empty()) << c.width;
        EXPECT_EQ(priv_.customPaperUnit, c.unit) << c.width;
        EXPECT_EQ(priv_.customPaperWidth, c.storedWidth) << c.width;
        EXPECT_EQ(priv_.customPaperLength, c.storedLength) << c.height;
        // An unsaved name: the unnamed size, without a name.
        EXPECT_EQ(code_, DMPAPER_USER);
        EXPECT_STREQ(priv_.customPaperName, L"");
    }
}

TEST_F(CustomPaperDialog, ChangingTheUnitConvertsWhatIsShown)
{
    width_ = 2159;
    length_ = 1160;
    std::vector<std::wstring> seen;
    auto record = [&](HWND dialog) {
        std::wstring line;
        for (int id : {kWidth, kHeight, 575, 576, 578, 579})
            line += Text(dialog, id) + L" ";
        seen.push_back(line);
    };
    EXPECT_EQ(Run({record, Click(kInches), record, Click(kInches), record, Click(kMillimetres), record,
                   Escape()}),
              IDCANCEL);
    EXPECT_EQ(seen, (std::vector<std::wstring>{
                        L"215.9 116.0 76.2 215.9 116.0 406.4 ",
                        L"8.50 4.57 3.00 8.50 4.57 16.00 ",
                        L"8.50 4.57 3.00 8.50 4.57 16.00 ",
                        L"215.9 116.0 76.2 215.9 116.0 406.4 ",
                    }));
    EXPECT_TRUE(messages_.empty());
}

std::wstring FullList()
{
    std::wstring text = L"16;";
    for (int i = 0; i < 16; ++i)
        text += L"P" + std::to_wstring(i) + L"," + std::to_wstring(300 + i) + L",0,1000,2000;";
    return text;
}

TEST_F(CustomPaperDialog, SavingFollowsTheListRules)
{
    const std::wstring full = FullList();
    std::wstring fullWithP5 = full;
    fullWithP5.replace(fullWithP5.find(L"P5,305,0,1000,2000;"), 19, L"P5,305,0,1500,2500;");
    struct Case {
        std::wstring stored;
        const WCHAR* name;
        UINT message;
        std::wstring written;   // by OK
    };
    const Case cases[] = {
        {L"0;", L"Card", 0, L"1;Card,300,0,1500,2500;"},
        {L"1;Card,300,0,1000,2000;", L"card", 0, L"1;card,300,0,1500,2500;"},
        {L"1;Card,301,0,1000,2000;", L"Tag", 0, L"2;Card,301,0,1000,2000;Tag,300,0,1500,2500;"},
        {L"1;Card,300,0,1000,2000;", L"", 0, L"1;Card,300,0,1000,2000;"},
        {L"0;", L"A4", 5102, L"0;"},              // a model paper and form
        {L"0;", L"letter", 5102, L"0;"},
        {L"0;", L"Envelope #10", 5102, L"0;"},    // the model's name for Com10
        {L"0;", L"Tabloid", 5102, L"0;"},         // a spooler form only
        {full, L"Extra", 5100, full},
        {full, L"P5", 0, fullWithP5},
    };
    for (const Case& c : cases) {
        StorePapers(c.stored.c_str());
        EXPECT_EQ(Run({TypeName(c.name), Type(kWidth, L"150"), Type(kHeight, L"250"), Click(kSave),
                       Click(IDOK)}),
                  IDOK)
            << c.name;
        const std::vector<std::wstring> expected =
            c.message ? std::vector<std::wstring>{Message(c.message)} : std::vector<std::wstring>{};
        EXPECT_EQ(messages_, expected) << c.name;
        EXPECT_EQ(StoredPapers(), c.written) << c.name;
    }
}

TEST_F(CustomPaperDialog, CancelAfterSaveLeavesEverythingAsItWas)
{
    const WCHAR stored[] = L"1;Card,300,1,1000,2000;";
    StorePapers(stored);
    EXPECT_EQ(Run({TypeName(L"Tag"), Type(kWidth, L"150"), Click(kSave), SelectName(0), Click(kDelete),
                   Click(IDCANCEL)}),
              IDCANCEL);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(StoredPapers(), stored);
    EXPECT_EQ(Encoded(papers_), stored);
    EXPECT_EQ(priv_.customPaperUnit, kUnitMillimetre);
    EXPECT_EQ(priv_.customPaperWidth, 2000);
    EXPECT_EQ(priv_.customPaperLength, 2500);
    EXPECT_STREQ(priv_.customPaperName, L"Opened");
}

TEST_F(CustomPaperDialog, OkWritesTheListAndEmptiesTraysOfDeletedSizes)
{
    StorePapers(L"2;One,300,0,1000,2000;Two,301,1,1270,2540;");
    const LONG trays[kTrayPaperEntries] = {301, 300, 9, -2, -2, -2, -2, -2, -2, -2, 301, -1};
    std::copy(std::begin(trays), std::end(trays), trays_);
    std::wstring picked;
    EXPECT_EQ(Run({SelectName(1),
                   [&](HWND dialog) {
                       picked = Text(dialog, kWidth) + L"x" + Text(dialog, kHeight) +
                                (IsDlgButtonChecked(dialog, kInches) ? L" in" : L" mm");
                   },
                   Click(kDelete), Click(IDOK)}),
              IDOK);
    EXPECT_EQ(picked, L"5.00x10.00 in");
    EXPECT_EQ(StoredPapers(), L"1;One,300,0,1000,2000;");
    const LONG expected[kTrayPaperEntries] = {-1, 300, 9, -2, -2, -2, -2, -2, -2, -2, -1, -1};
    for (size_t i = 0; i < kTrayPaperEntries; ++i)
        EXPECT_EQ(priv_.trayPaper[i].paper, expected[i]) << "tray entry " << i;
    EXPECT_EQ(code_, DMPAPER_USER);
}

TEST_F(CustomPaperDialog, OkOnASavedNameChoosesThatSize)
{
    StorePapers(L"2;One,300,0,1000,2000;Two,301,1,1270,2540;");
    EXPECT_EQ(Run({SelectName(1), Click(IDOK)}), IDOK);
    EXPECT_EQ(code_, 301);
    EXPECT_STREQ(priv_.customPaperName, L"Two");
    EXPECT_EQ(priv_.customPaperUnit, kUnitInch);
    EXPECT_EQ(priv_.customPaperWidth, 1270);
    EXPECT_EQ(priv_.customPaperLength, 2540);
}

TEST_F(CustomPaperDialog, DamagedListsOpenWithWhatCanBePicked)
{
    std::wstring twenty = L"20;";
    for (int i = 0; i < 20; ++i)
        twenty += L"S" + std::to_wstring(i) + L"," + std::to_wstring(300 + i % 16) + L",0,1000,2000;";
    std::vector<std::wstring> sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen.push_back(L"S" + std::to_wstring(i));
    struct Case {
        std::wstring stored;
        std::vector<std::wstring> names;
    };
    const Case cases[] = {
        {L"__##NOUSE##__", {}},
        {L"x;garbage", {}},
        {L"3;A,300,0,1000,2000;", {L"A"}},
        {L"2;A,300,0,1000,2000;a,301,0,1000,2000;", {L"A"}},
        {L"2;C,299,0,1000,2000;D,305,0,1000,2000;", {L"D"}},
        {twenty, sixteen},
    };
    for (const Case& c : cases) {
        StorePapers(c.stored.c_str());
        std::vector<std::wstring> names;
        EXPECT_EQ(Run({[&](HWND dialog) { names = ComboNames(dialog); }, Escape()}), IDCANCEL);
        EXPECT_EQ(names, c.names) << c.stored;
        EXPECT_EQ(StoredPapers(), c.stored) << "Cancel writes nothing";
    }
}

TEST_F(CustomPaperDialog, WithoutAStoredListTheDialogDoesNotOpen)
{
    RemoveTestPrinterData(kTestQueueName, L"CstPaper");
    bool shown = false;
    EXPECT_EQ(Run({[&](HWND) { shown = true; }}), IDCANCEL);
    EXPECT_FALSE(shown);
    EXPECT_EQ(StoredPapers(), kAbsent);
}

TEST_F(CustomPaperDialog, ListButtonsNeedTheRightToChangeTheDefaults)
{
    struct Case {
        DWORD permission;
        DWORD userDefault;
        const WCHAR* stored;
        bool opened;        // Save and Delete enabled when the dialog opens
        bool afterEdit;     // after typing a name
    };
    const Case cases[] = {
        {1, 1, L"1;Card,300,0,1000,2000;", true, true},
        {1, 1, L"0;", false, true},
        {0, 1, L"1;Card,300,0,1000,2000;", false, false},
        {1, 0, L"1;Card,300,0,1000,2000;", false, false},
    };
    for (const Case& c : cases) {
        permission_ = c.permission;
        userDefault_ = c.userDefault;
        StorePapers(c.stored);
        std::vector<bool> states;
        auto record = [&](HWND dialog) {
            states.push_back(IsWindowEnabled(GetDlgItem(dialog, kSave)) != FALSE);
            states.push_back(IsWindowEnabled(GetDlgItem(dialog, kDelete)) != FALSE);
        };
        EXPECT_EQ(Run({record, TypeName(L"New"), record, Escape()}), IDCANCEL);
        EXPECT_EQ(states, (std::vector<bool>{c.opened, c.opened, c.afterEdit, c.afterEdit}))
            << c.permission << c.userDefault << c.stored;
    }
}

TEST_F(CustomPaperDialog, HintLineNamesTheControlUnderTheMouse)
{
    struct Case {
        int control;
        UINT hint;   // 0: the line is empty
    };
    const Case cases[] = {
        {kName, 380}, {kWidth, 381}, {kHeight, 382}, {kSave, 383}, {kDelete, 384},
        {kInches, 385}, {IDOK, 0}, {kWidth, 381},
    };
    StorePapers(L"1;Card,300,0,1000,2000;");
    std::vector<std::wstring> hints;
    std::vector<Step> steps = {[&](HWND dialog) { hints.push_back(Text(dialog, kHint)); }};
    for (const Case& c : cases) {
        steps.push_back([&, c](HWND dialog) {
            HWND under = GetDlgItem(dialog, c.control);
            // Over the name, the mouse is over the combo box's own edit.
            if (c.control == kName)
                under = GetWindow(under, GW_CHILD);
            SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            hints.push_back(Text(dialog, kHint));
        });
    }
    steps.push_back(Escape());
    EXPECT_EQ(Run(steps), IDCANCEL);
    std::vector<std::wstring> expected = {L""};
    for (const Case& c : cases) {
        WCHAR hint[256] = {};
        if (c.hint)
            LoadDriverString(c.hint, hint, 256);
        expected.push_back(hint);
    }
    EXPECT_EQ(hints, expected);
}

TEST_F(CustomPaperDialog, OpeningAndClosingLeaksNothing)
{
    StorePapers(L"2;One,300,0,1000,2000;Two,301,1,1270,2540;");
    const UsageGrowth growth = MeasureUsageGrowth(
        [this] {
            Run({SelectName(1), Type(kWidth, L"999"), Focus(kHeight), TypeName(L"Three"), Click(kSave),
                 Click(IDCANCEL)});
        },
        3, 20);
    RecordProperty("handles", static_cast<int>(growth.handles));
    RecordProperty("gdiObjects", static_cast<int>(growth.gdiObjects));
    RecordProperty("heapBlocks", static_cast<int>(growth.heapBlocks));
    EXPECT_LT(growth.handles, 20);
    EXPECT_LT(growth.gdiObjects, 20);
    EXPECT_LT(growth.heapBlocks, 20);
}

} // namespace
