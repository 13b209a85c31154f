// The Basic page as a user drives it through the host stand-in: real
// windows, messages in the order input produces them, the settings read
// back from the record OK returns (and the untouched output after Cancel).
#include "platform/driverui.h"

#include "settings/driver_devmode.h"
#include "support/process_usage.h"
#include "support/sheet_script.h"
#include "support/test_paths.h"
#include "support/test_printers.h"
#include "support/tool_run.h"
#include "ui/basic_page.h"
#include "ui/basic_rules.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

HWND BasicPage(HWND sheet)
{
    return PropSheet_IndexToHwnd(sheet, 0);
}

// Selects the entry with the item data as a user's pick does: the
// selection, then the list's notification.
SheetStep Choose(WORD id, LRESULT data)
{
    return [id, data](HWND sheet) {
        HWND combo = GetDlgItem(BasicPage(sheet), id);
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == data) {
                SendMessageW(combo, CB_SETCURSEL, i, 0);
                PostMessageW(BasicPage(sheet), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(combo));
                return;
            }
        }
        ADD_FAILURE() << "list " << id << " has no entry " << data;
    };
}

// Typing replaces the edit's text; the edit reports the change itself.
// The text is set from a timer of its own, so that a message box the
// change opens leaves the script's next step free to answer it.
struct PendingText {
    HWND edit;
    const WCHAR* text;
};
PendingText g_pendingText;

void CALLBACK SetPendingText(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    SendMessageW(g_pendingText.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_pendingText.text));
}

SheetStep Type(WORD id, const WCHAR* text)
{
    return [id, text](HWND sheet) {
        g_pendingText = {GetDlgItem(BasicPage(sheet), id), text};
        SetTimer(nullptr, 0, 1, SetPendingText);
    };
}

SheetStep Click(WORD id)
{
    return [id](HWND sheet) { PostMessageW(GetDlgItem(BasicPage(sheet), id), BM_CLICK, 0, 0); };
}

SheetStep PressButton(int button)
{
    return [button](HWND sheet) { Press(sheet, button); };
}

struct MessageBoxSeen {
    bool shown = false;
    std::wstring title;
    std::wstring text;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    WCHAR name[16] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (IsWindowVisible(window) && wcscmp(name, L"#32770") == 0 && GetDlgItem(window, 0xFFFF)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Answers the message box the page shows, recording what it said; records
// that none is shown when there is none.
SheetStep Answer(int button, MessageBoxSeen* seen)
{
    return [button, seen](HWND) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
        seen->shown = box != nullptr;
        if (!box)
            return;
        WCHAR text[1024] = {};
        GetWindowTextW(box, text, ARRAYSIZE(text));
        seen->title = text;
        GetDlgItemTextW(box, 0xFFFF, text, ARRAYSIZE(text));
        seen->text = text;
        PostMessageW(box, WM_COMMAND, button, 0);
    };
}

// Answers the modal dialog the page opened over the sheet, recording its
// title.
SheetStep AnswerDialog(int button, std::wstring* title)
{
    return [button, title](HWND sheet) {
        HWND dialog = GetLastActivePopup(sheet);
        WCHAR text[128] = {};
        GetWindowTextW(dialog, text, ARRAYSIZE(text));
        *title = text;
        PostMessageW(dialog, WM_COMMAND, button, 0);
    };
}

std::vector<LRESULT> ListData(HWND page, WORD id)
{
    std::vector<LRESULT> data;
    HWND combo = GetDlgItem(page, id);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        data.push_back(SendMessageW(combo, CB_GETITEMDATA, i, 0));
    return data;
}

LRESULT SelectedData(HWND page, WORD id)
{
    HWND combo = GetDlgItem(page, id);
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return selected < 0 ? -1 : SendMessageW(combo, CB_GETITEMDATA, selected, 0);
}

// The settings the page may touch, by name; any other difference is
// reported as "other".
struct NamedField {
    const char* name;
    size_t offset;
    size_t size;
};
#define PUB(f) {#f, offsetof(DriverDevmode, pub) + offsetof(DEVMODEW, f), sizeof(DEVMODEW::f)}
#define PRIV(f) {#f, offsetof(DriverDevmode, priv) + offsetof(PrivateSettings, f), sizeof(PrivateSettings::f)}
#define PROC(f)                                                                                   \
    {#f, offsetof(DriverDevmode, priv) + offsetof(PrivateSettings, processor) + offsetof(ProcessorBlock, f), \
     sizeof(ProcessorBlock::f)}
const NamedField kFields[] = {
    PUB(dmFields),          PUB(dmOrientation),      PUB(dmPaperSize),     PUB(dmPaperLength),
    PUB(dmPaperWidth),      PUB(dmCopies),           PUB(dmDefaultSource), PUB(dmCollate),
    PUB(dmFormName),        PRIV(multiPage),         PRIV(mediaType),      PRIV(postcardMediaType),
    PRIV(customPaperWidth), PRIV(customPaperLength), PRIV(booklet),        PRIV(bookletMultiPage),
    PRIV(paperSizeCopy),    PRIV(tray),              PRIV(anotherTray),    PRIV(traySeparateMode),
    PRIV(scaling),          PRIV(collate),           PRIV(copyFlags),      PROC(pageOrder),
    PROC(multiLine),        PROC(sourceFlags),       PROC(procSource),
};
#undef PUB
#undef PRIV
#undef PROC

std::vector<std::string> ChangedFields(const DriverDevmode& before, const DriverDevmode& after)
{
    const auto* a = reinterpret_cast<const BYTE*>(&before);
    const auto* b = reinterpret_cast<const BYTE*>(&after);
    std::vector<bool> named(sizeof(DriverDevmode), false);
    std::vector<std::string> changed;
    for (const NamedField& field : kFields) {
        for (size_t i = field.offset; i < field.offset + field.size; ++i)
            named[i] = true;
        if (memcmp(a + field.offset, b + field.offset, field.size) != 0)
            changed.push_back(field.name);
    }
    for (size_t i = 0; i < sizeof(DriverDevmode); ++i) {
        if (!named[i] && a[i] != b[i]) {
            changed.push_back("other@" + std::to_string(i));
            break;
        }
    }
    return changed;
}

class BasicPageTest : public PropertySheets {
protected:
    // Runs the steps, then OK; the record OK returned.
    DriverDevmode RunThenOk(std::vector<SheetStep> steps)
    {
        steps.push_back(PressButton(PSBTN_OK));
        host_.Script(std::move(steps));
        memset(&out_, kFill, sizeof(out_));
        EXPECT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDOK);
        return out_;
    }
};

TEST_F(BasicPageTest, EachControlChangesExactlyItsSettings)
{
    const struct {
        const char* name;
        std::function<void(DriverDevmode&)> prepare;
        std::vector<SheetStep> steps;
        std::vector<std::string> changed;
        std::function<void(const DriverDevmode&)> check;
    } cases[] = {
        {"paper", [](DriverDevmode& d) { d.pub.dmPaperSize = DMPAPER_LETTER; }, {Choose(kIdPaperSize, DMPAPER_LEGAL)},
         {"dmPaperSize", "dmPaperLength", "dmFormName", "paperSizeCopy"},
         [](const DriverDevmode& d) {
             EXPECT_EQ(d.pub.dmPaperSize, DMPAPER_LEGAL);
             EXPECT_EQ(d.pub.dmPaperLength, 3556);
             EXPECT_STREQ(d.pub.dmFormName, L"Legal");
         }},
        {"pages per sheet", nullptr, {Choose(kIdMultiPage, 4)}, {"multiPage"},
         [](const DriverDevmode& d) { EXPECT_EQ(d.priv.multiPage, 4); }},
        {"page order", [](DriverDevmode& d) { d.priv.multiPage = 4; }, {Choose(kIdPageOrder, 3)}, {"pageOrder"},
         [](const DriverDevmode& d) { EXPECT_EQ(d.priv.processor.pageOrder, 3); }},
        {"two-up page order", [](DriverDevmode& d) { d.priv.multiPage = 2; }, {Choose(kIdPageOrder, 2)},
         {"pageOrder"}, [](const DriverDevmode& d) { EXPECT_EQ(d.priv.processor.pageOrder, 2); }},
        {"border line", [](DriverDevmode& d) { d.priv.multiPage = 4; }, {Choose(kIdBorderLine, 0)},
         {"multiLine"}, [](const DriverDevmode& d) { EXPECT_EQ(d.priv.processor.multiLine, 0); }},
        {"landscape", nullptr, {Click(kIdLandscape)}, {"dmOrientation"},
         [](const DriverDevmode& d) { EXPECT_EQ(d.pub.dmOrientation, DMORIENT_LANDSCAPE); }},
        {"portrait again", [](DriverDevmode& d) { d.pub.dmOrientation = DMORIENT_LANDSCAPE; },
         {Click(kIdPortrait)}, {"dmOrientation"},
         [](const DriverDevmode& d) { EXPECT_EQ(d.pub.dmOrientation, DMORIENT_PORTRAIT); }},
        {"copies", nullptr, {Type(kIdCopies, L"25")}, {"dmCopies"},
         [](const DriverDevmode& d) { EXPECT_EQ(d.pub.dmCopies, 25); }},
        {"collate off", [](DriverDevmode& d) { d.pub.dmCopies = 3; }, {Click(kIdCollate)},
         {"dmCollate", "collate"},
         [](const DriverDevmode& d) {
             EXPECT_EQ(d.pub.dmCollate, 0);
             EXPECT_EQ(d.priv.collate, 0);
         }},
        {"media type", nullptr, {Choose(kIdMediaType, 2)}, {"mediaType"},
         [](const DriverDevmode& d) { EXPECT_EQ(d.priv.mediaType, 2); }},
        {"first page source", nullptr, {Choose(kIdFirstSource, DMBIN_UPPER)}, {"dmDefaultSource", "tray", "sourceFlags", "procSource"},
         [](const DriverDevmode& d) {
             EXPECT_EQ(d.pub.dmDefaultSource, DMBIN_UPPER);
             EXPECT_EQ(d.priv.tray, DMBIN_UPPER);
         }},
        {"other pages source", nullptr, {Choose(kIdOtherSource, DMBIN_UPPER)}, {"anotherTray", "traySeparateMode"},
         [](const DriverDevmode& d) {
             EXPECT_EQ(d.priv.anotherTray, DMBIN_UPPER);
             EXPECT_EQ(d.priv.traySeparateMode, 1);
         }},
    };
    const DriverDevmode start = in_;
    for (const auto& c : cases) {
        in_ = start;
        in_.priv.processor.procCollate = 1;
        in_.pub.dmCollate = 1;
        if (c.prepare)
            c.prepare(in_);
        const DriverDevmode before = RunThenOk({});
        const DriverDevmode after = RunThenOk(c.steps);
        EXPECT_EQ(ChangedFields(before, after), c.changed) << c.name;
        c.check(after);

        // Cancel after the same change leaves the output alone.
        std::vector<SheetStep> cancelled = c.steps;
        cancelled.push_back(PressButton(PSBTN_CANCEL));
        host_.Script(cancelled);
        memset(&out_, kFill, sizeof(out_));
        EXPECT_EQ(Preferences(kPrompt | DM_IN_BUFFER), IDCANCEL) << c.name;
        EXPECT_TRUE(OutUntouched()) << c.name;
    }
}

TEST_F(BasicPageTest, TypedCopiesAreCorrectedOrRefused)
{
    const struct {
        const WCHAR* typed;
        short copies;
        bool message;
        BOOL collateEnabled;
    } cases[] = {
        {L"0", 1, false, FALSE},
        {L"1", 1, false, FALSE},
        {L"2", 2, false, TRUE},
        {L"999", 999, false, TRUE},
        {L"1000", 3, true, TRUE},
    };
    for (const auto& c : cases) {
        in_.pub.dmCopies = 3;
        MessageBoxSeen seen;
        std::wstring shown;
        BOOL collate = -1;
        RunThenOk({Type(kIdCopies, c.typed), Answer(IDOK, &seen), [&](HWND sheet) {
                       shown = ControlText(BasicPage(sheet), kIdCopies);
                       collate = IsWindowEnabled(GetDlgItem(BasicPage(sheet), kIdCollate));
                   }});
        EXPECT_EQ(out_.pub.dmCopies, c.copies) << c.typed;
        EXPECT_EQ(shown, std::to_wstring(c.copies)) << c.typed;
        EXPECT_EQ(collate, c.collateEnabled) << c.typed;
        EXPECT_EQ(seen.shown, c.message) << c.typed;
        if (c.message) {
            EXPECT_EQ(seen.title, L"Copies");
            EXPECT_EQ(seen.text, L"The number of copies entered is out of range.\n\nPlease set the number of "
                                 L"copies within the range of 1 to 999 pages.");
        }
    }
}

// Booklet printing through the duplex unit, on Letter with 2 in 1.
void WithBooklet(DriverDevmode& record)
{
    record.pub.dmPaperSize = DMPAPER_LETTER;
    record.priv.multiPage = 2;
    record.priv.bookletMultiPage = 1;
    record.priv.booklet |= kBookletOn;
    record.priv.duplex |= kDuplexOn | kDuplexAutomatic;
}

TEST_F(BasicPageTest, BookletQuestionsAndTheirAnswers)
{
    const struct {
        const char* name;
        SheetStep action;
        int answer;
        const WCHAR* text;
        bool bookletAfter;
        SHORT pagesAfter;
        short paperAfter;
    } cases[] = {
        {"4 in 1, cancel", Choose(kIdMultiPage, 4), IDCANCEL,
         L"Booklet Printing can only be turned ON\nwhen `2 in 1' is selected.", true, 2, DMPAPER_LETTER},
        {"4 in 1, OK", Choose(kIdMultiPage, 4), IDOK,
         L"Booklet Printing can only be turned ON\nwhen `2 in 1' is selected.", false, 4, DMPAPER_LETTER},
        {"A5, cancel", Choose(kIdPaperSize, DMPAPER_A5), IDCANCEL,
         L"Booklet Printing can only be turned ON\nwhen`A4' or `Letter' size paper is selected.", true, 2,
         DMPAPER_LETTER},
        {"A5, OK", Choose(kIdPaperSize, DMPAPER_A5), IDOK,
         L"Booklet Printing can only be turned ON\nwhen`A4' or `Letter' size paper is selected.", false, 1,
         DMPAPER_A5},
        {"Default, cancel", Click(kIdDefaultButton), IDCANCEL,
         L"Booklet Printing will be turned OFF when you select the Default setting.", true, 2, DMPAPER_LETTER},
        {"Default, OK", Click(kIdDefaultButton), IDOK,
         L"Booklet Printing will be turned OFF when you select the Default setting.", false, 1, DMPAPER_LETTER},
    };
    for (const auto& c : cases) {
        WithBooklet(in_);
        MessageBoxSeen seen;
        LRESULT shownPages = -1;
        BOOL multiPageEnabled = -1;
        RunThenOk({c.action, Answer(c.answer, &seen), [&](HWND sheet) {
                       shownPages = SelectedData(BasicPage(sheet), kIdMultiPage);
                       multiPageEnabled = IsWindowEnabled(GetDlgItem(BasicPage(sheet), kIdMultiPage));
                   }});
        EXPECT_TRUE(seen.shown) << c.name;
        EXPECT_EQ(seen.title, L"Booklet Printing") << c.name;
        EXPECT_EQ(seen.text, c.text) << c.name;
        EXPECT_EQ((out_.priv.booklet & kBookletOn) != 0, c.bookletAfter) << c.name;
        EXPECT_EQ(out_.priv.multiPage, c.pagesAfter) << c.name;
        EXPECT_EQ(shownPages, c.pagesAfter) << c.name;
        EXPECT_EQ(multiPageEnabled, !c.bookletAfter) << c.name;
        EXPECT_EQ(out_.pub.dmPaperSize, c.paperAfter) << c.name;
    }
}

// Pages per sheet and scaling exclude each other: choosing 2 in 1 while
// fitting to the paper asks, and OK turns scaling off.
TEST_F(BasicPageTest, PagesPerSheetTurnScalingOffWhenConfirmed)
{
    const struct {
        int answer;
        SHORT pages;
        BYTE scaling;
    } cases[] = {{IDCANCEL, 1, 2}, {IDOK, 2, 3}};
    for (const auto& c : cases) {
        in_.priv.multiPage = 1;
        in_.priv.scaling = 2;
        in_.priv.savedScaling = 3;
        in_.priv.scalingSize = 150;
        MessageBoxSeen seen;
        RunThenOk({Choose(kIdMultiPage, 2), Answer(c.answer, &seen)});
        EXPECT_EQ(seen.title, L"Multiple Page Setting");
        EXPECT_EQ(seen.text, L"Multiple Page and Scaling settings cannot be selected at the same time.\nScaling "
                             L"setting will be set to OFF.\n\nDo you want to continue?");
        EXPECT_EQ(out_.priv.multiPage, c.pages);
        EXPECT_EQ(out_.priv.scaling, c.scaling);
        EXPECT_EQ(out_.priv.scalingSize, c.answer == IDOK ? 100 : 150);
    }
}

// The sample model with A3 added beside A4 in every paper statement.
std::string SampleModelWithA3()
{
    std::string model = SampleModelWithCaps(0);
    const struct {
        const char* a4;
        const char* a3;
    } values[] = {
        {"[595 842]", "[842 1191]"}, {"\"12 12 583 830\"", "\"12 12 830 1179\""},
        {"\"12 12 830 583\"", "\"12 12 1179 830\""}, {"\"595 842\"", "\"842 1191\""}, {"\"9\"", "\"8\""},
    };
    std::string out;
    size_t start = 0;
    while (start < model.size()) {
        size_t end = model.find('\n', start);
        end = end == std::string::npos ? model.size() : end + 1;
        const std::string line = model.substr(start, end - start);
        out += line;
        if (line.rfind("*", 0) == 0 && line.find(" A4/A4:") != std::string::npos) {
            std::string a3 = line;
            a3.replace(a3.find("A4/A4"), 5, "A3/A3");
            for (const auto& v : values) {
                const size_t at = a3.find(v.a4);
                if (at != std::string::npos)
                    a3.replace(at, strlen(v.a4), v.a3);
            }
            out += a3;
        }
        start = end;
    }
    return out;
}

// Choosing a paper larger than the printer prints asks for the paper to
// fit it to; OK prints one page per sheet, fitted.
TEST_F(BasicPageTest, OversizePaperAsksForTheFitToPaperSize)
{
    const WCHAR* queue = L"KV Basic Oversize";
    static const bool installed = InstallTestPrinter(queue, L"KV Basic Model A3", L"KVBA3.PPD", SampleModelWithA3());
    ASSERT_TRUE(installed);
    HANDLE printer = OpenTestPrinter(queue);
    ASSERT_NE(printer, nullptr);
    const struct {
        int answer;
        short paper;
        SHORT pages;
        BYTE scaling;
    } cases[] = {{IDCANCEL, DMPAPER_LETTER, 4, 0}, {IDOK, DMPAPER_A3, 1, 1}};
    for (const auto& c : cases) {
        DriverDevmode in = {};
        ASSERT_EQ(DrvDocumentProperties(nullptr, printer, const_cast<WCHAR*>(queue), &in.pub, nullptr, DM_OUT_BUFFER),
                  IDOK);
        in.pub.dmPaperSize = DMPAPER_LETTER;
        in.priv.multiPage = 4;
        in.priv.scaling = 0;
        std::wstring title;
        host_.Script({Choose(kIdPaperSize, DMPAPER_A3), AnswerDialog(c.answer, &title), [](HWND) {},
                      PressButton(PSBTN_OK)});
        DriverDevmode out;
        memset(&out, kFill, sizeof(out));
        ASSERT_EQ(DrvDocumentProperties(nullptr, printer, const_cast<WCHAR*>(queue), &out.pub, &in.pub,
                                        kPrompt | DM_IN_BUFFER),
                  IDOK);
        EXPECT_EQ(title, L"Fit to Paper Size Setting") << c.answer;
        EXPECT_EQ(out.pub.dmPaperSize, c.paper) << c.answer;
        EXPECT_EQ(out.priv.multiPage, c.pages) << c.answer;
        EXPECT_EQ(out.priv.scaling, c.scaling) << c.answer;
    }
    ClosePrinter(printer);
}

// The user-defined entry asks for the size; Cancel keeps the paper.
TEST_F(BasicPageTest, UserDefinedEntryAsksForTheSize)
{
    const struct {
        int answer;
        short paper;
    } cases[] = {{IDCANCEL, DMPAPER_LETTER}, {IDOK, DMPAPER_USER}};
    for (const auto& c : cases) {
        in_.pub.dmPaperSize = DMPAPER_LETTER;
        std::wstring title;
        LRESULT shown = -1;
        RunThenOk({Choose(kIdPaperSize, DMPAPER_USER), AnswerDialog(c.answer, &title),
                   [&shown](HWND sheet) { shown = SelectedData(BasicPage(sheet), kIdPaperSize); }});
        EXPECT_EQ(title, L"User Defined Size") << c.answer;
        EXPECT_EQ(shown, c.paper) << c.answer;
        EXPECT_EQ(out_.pub.dmPaperSize, c.paper) << c.answer;
    }
}

TEST_F(BasicPageTest, PaperListHoldsTheModelsAndTheSavedSizes)
{
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    ASSERT_NE(printer, nullptr);
    BYTE kept[1400];
    DWORD keptType = 0, keptSize = 0;
    const bool hadValue =
        GetPrinterDataW(printer, const_cast<WCHAR*>(L"CstPaper"), &keptType, kept, sizeof(kept), &keptSize) ==
        ERROR_SUCCESS;
    const WCHAR saved[] = L"2;Photo 4x6,300,0,1016,1524;Label,301,1,1000,1500;";
    ASSERT_EQ(SetPrinterDataW(printer, const_cast<WCHAR*>(L"CstPaper"), REG_BINARY,
                              reinterpret_cast<BYTE*>(const_cast<WCHAR*>(saved)), sizeof(saved)),
              DWORD(ERROR_SUCCESS));

    std::vector<LRESULT> papers;
    std::wstring photoName;
    RunThenOk({[&](HWND sheet) {
                   HWND page = BasicPage(sheet);
                   papers = ListData(page, kIdPaperSize);
                   HWND combo = GetDlgItem(page, kIdPaperSize);
                   for (size_t i = 0; i < papers.size(); ++i) {
                       if (papers[i] != 300)
                           continue;
                       WCHAR name[64] = {};
                       SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
                       photoName = name;
                   }
               },
               Choose(kIdPaperSize, 300)});
    const DriverDevmode chosen = out_;

    if (hadValue)
        SetPrinterDataW(printer, const_cast<WCHAR*>(L"CstPaper"), keptType, kept, keptSize);
    else
        RemoveTestPrinterData(kTestQueueName, L"CstPaper");
    ClosePrinter(printer);

    const LRESULT modelPapers[] = {DMPAPER_LETTER, DMPAPER_LEGAL, DMPAPER_A4, DMPAPER_A5, DMPAPER_USER};
    for (LRESULT paper : modelPapers)
        EXPECT_NE(std::find(papers.begin(), papers.end(), paper), papers.end()) << paper;
    ASSERT_GE(papers.size(), 2u);
    EXPECT_EQ(std::vector<LRESULT>(papers.end() - 2, papers.end()), (std::vector<LRESULT>{300, 301}));
    EXPECT_EQ(photoName, L"Photo 4x6");
    EXPECT_EQ(chosen.pub.dmPaperSize, 300);
    EXPECT_EQ(chosen.priv.customPaperWidth, 1016);
    EXPECT_EQ(chosen.priv.customPaperLength, 1524);
}

TEST_F(BasicPageTest, LayoutPreviewShowsPagesOrderAndBorder)
{
    const struct {
        const char* name;
        SheetStep action;
        LayoutPreviewState expected;
    } steps[] = {
        {"opened", [](HWND) {}, {1, 0, 1, false}},
        {"4 in 1", Choose(kIdMultiPage, 4), {4, 0, 1, false}},
        {"down then right", Choose(kIdPageOrder, 1), {4, 1, 1, false}},
        {"no border", Choose(kIdBorderLine, 0), {4, 1, 0, false}},
        {"landscape", Click(kIdLandscape), {4, 1, 0, true}},
        {"2 in 1", Choose(kIdMultiPage, 2), {2, 1, 0, true}},
        {"bottom to top", Choose(kIdPageOrder, 4), {2, 4, 0, true}},
    };
    in_.priv.multiPage = 1;
    in_.priv.processor.pageOrder = 0;
    in_.priv.processor.multiLine = 1;
    in_.pub.dmOrientation = DMORIENT_PORTRAIT;
    std::vector<SheetStep> script;
    std::vector<LayoutPreviewState> drawn(ARRAYSIZE(steps));
    for (size_t i = 0; i < ARRAYSIZE(steps); ++i) {
        script.push_back(steps[i].action);
        script.push_back([&drawn, i](HWND sheet) {
            HWND preview = GetDlgItem(BasicPage(sheet), kIdLayoutPreview);
            UpdateWindow(preview);
            drawn[i] = UnpackLayoutState(GetWindowLongPtrW(preview, GWLP_USERDATA));
        });
    }
    RunThenOk(script);
    for (size_t i = 0; i < ARRAYSIZE(steps); ++i) {
        const LayoutPreviewState& e = steps[i].expected;
        EXPECT_EQ(drawn[i].pagesPerSheet, e.pagesPerSheet) << steps[i].name;
        EXPECT_EQ(drawn[i].pageOrder, e.pageOrder) << steps[i].name;
        EXPECT_EQ(drawn[i].borderLine, e.borderLine) << steps[i].name;
        EXPECT_EQ(drawn[i].landscape, e.landscape) << steps[i].name;
    }
    EXPECT_EQ(out_.priv.multiPage, 2);
    EXPECT_EQ(out_.priv.processor.pageOrder, 4);
}

// A click on the layout preview's sheet switches between one and two
// pages per sheet.
TEST_F(BasicPageTest, LayoutPreviewClickTogglesTwoPagesPerSheet)
{
    in_.priv.multiPage = 1;
    in_.priv.scaling = 0;
    const SheetStep clickSheet = [](HWND sheet) {
        HWND preview = GetDlgItem(BasicPage(sheet), kIdLayoutPreview);
        RECT box;
        GetWindowRect(preview, &box);
        SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        PostMessageW(preview, BM_CLICK, 0, 0);
    };
    LRESULT afterFirst = -1;
    RunThenOk({clickSheet, [&](HWND sheet) { afterFirst = SelectedData(BasicPage(sheet), kIdMultiPage); },
               clickSheet});
    EXPECT_EQ(afterFirst, 2);
    EXPECT_EQ(out_.priv.multiPage, 1);
}

// The source lists are the trays the printer has fitted now, as the
// driver tells applications.
TEST_F(BasicPageTest, SourcesFollowTheInstalledTrays)
{
    HANDLE printer = OpenTestPrinter(kTestQueueName);
    ASSERT_NE(printer, nullptr);
    DWORD kept = 0, type = 0, size = 0;
    const bool hadValue = GetPrinterDataW(printer, const_cast<WCHAR*>(L"ACC"), &type, reinterpret_cast<BYTE*>(&kept),
                                          sizeof(kept), &size) == ERROR_SUCCESS;
    std::vector<std::vector<LRESULT>> lists;
    for (DWORD fitted : {DWORD(0), DWORD(0xFF)}) {
        SetPrinterDataW(printer, const_cast<WCHAR*>(L"ACC"), REG_DWORD, reinterpret_cast<BYTE*>(&fitted),
                        sizeof(fitted));
        std::vector<LRESULT> first, other;
        RunThenOk({[&](HWND sheet) {
            first = ListData(BasicPage(sheet), kIdFirstSource);
            other = ListData(BasicPage(sheet), kIdOtherSource);
        }});
        WORD bins[64] = {};
        const int count = DeviceCapabilitiesW(kTestQueueName, L"FILE:", DC_BINS, reinterpret_cast<WCHAR*>(bins),
                                              nullptr);
        ASSERT_GT(count, 0);
        ASSERT_LE(count, 64);
        const std::vector<LRESULT> reported(bins, bins + count);
        EXPECT_EQ(first, reported) << fitted;
        EXPECT_EQ(other, reported) << fitted;
        lists.push_back(first);
    }
    if (hadValue)
        SetPrinterDataW(printer, const_cast<WCHAR*>(L"ACC"), type, reinterpret_cast<BYTE*>(&kept), size);
    else
        RemoveTestPrinterData(kTestQueueName, L"ACC");
    ClosePrinter(printer);
    EXPECT_LT(lists[0].size(), lists[1].size());
}

// What Printing Preferences returns is what the driver then reports to
// applications: the record through DocumentProperties, its paper through
// DeviceCapabilities.
TEST_F(BasicPageTest, PreferencesResultAgreesWithTheDriversAnswers)
{
    host_.Script({Choose(kIdPaperSize, DMPAPER_LEGAL), Choose(kIdMultiPage, 4), Click(kIdLandscape),
                  Type(kIdCopies, L"3"), Choose(kIdFirstSource, DMBIN_UPPER), PressButton(PSBTN_OK)});
    memset(&out_, kFill, sizeof(out_));
    ASSERT_EQ(DocumentPropertiesW(nullptr, printer_, Queue(), &out_.pub, &in_.pub,
                                  DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER),
              IDOK);
    EXPECT_EQ(host_.Last().pages[0].templateId, kBasicTemplate);

    DriverDevmode again;
    memset(&again, kFill, sizeof(again));
    ASSERT_EQ(DocumentPropertiesW(nullptr, printer_, Queue(), &again.pub, &out_.pub, DM_IN_BUFFER | DM_OUT_BUFFER),
              IDOK);
    EXPECT_EQ(again.pub.dmPaperSize, DMPAPER_LEGAL);
    EXPECT_EQ(again.pub.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(again.pub.dmCopies, 3);
    EXPECT_EQ(again.pub.dmDefaultSource, DMBIN_UPPER);
    EXPECT_EQ(again.priv.multiPage, 4);

    WORD papers[128] = {};
    POINT sizes[128] = {};
    const int count = DeviceCapabilitiesW(kTestQueueName, L"FILE:", DC_PAPERS, reinterpret_cast<WCHAR*>(papers),
                                          nullptr);
    ASSERT_GT(count, 0);
    ASSERT_LE(count, 128);
    ASSERT_EQ(DeviceCapabilitiesW(kTestQueueName, L"FILE:", DC_PAPERSIZE, reinterpret_cast<WCHAR*>(sizes), nullptr),
              count);
    const WORD* legal = std::find(papers, papers + count, WORD(DMPAPER_LEGAL));
    ASSERT_NE(legal, papers + count);
    const POINT& size = sizes[legal - papers];
    EXPECT_EQ(size.x, out_.pub.dmPaperWidth);
    EXPECT_EQ(size.y, out_.pub.dmPaperLength);

    // As a queue's default settings, the print-ticket tool reads the same. A
    // queue of its own: the user's defaults cannot be removed again.
    const WCHAR* ticketQueue = L"Zentari TX-3390N (Ticket)";
    ASSERT_TRUE(AddTestQueue(ticketQueue, L"Zentari TX-3390N series"));
    HANDLE ticketPrinter = OpenTestPrinter(ticketQueue);
    ASSERT_NE(ticketPrinter, nullptr);
    PRINTER_INFO_9W userDefault = {&out_.pub};
    EXPECT_TRUE(SetPrinterW(ticketPrinter, 9, reinterpret_cast<BYTE*>(&userDefault), 0));
    const std::wstring scratch = CreateScratchDirectory();
    const ToolRun run = RunTool(L"KVTICKET.EXE", scratch, {"ticket", "Zentari TX-3390N (Ticket)"});
    RemoveScratchDirectory(scratch);
    DeletePrinter(ticketPrinter);
    ClosePrinter(ticketPrinter);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* word : {"psk:NorthAmericaLegal", "psk:Landscape"})
        EXPECT_NE(run.out.find(word), std::string::npos) << word << "\n" << run.out;
}

// Opening the sheet and working the page many times holds nothing more.
TEST_F(BasicPageTest, RepeatedUseLeaksNothing)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [this] {
            RunThenOk({Choose(kIdPaperSize, DMPAPER_LEGAL), Choose(kIdMultiPage, 4), Type(kIdCopies, L"2"),
                       Click(kIdCollate), Click(kIdLandscape)});
        },
        3, 20);
    EXPECT_LT(growth.handles, 20);
    EXPECT_LT(growth.gdiObjects, 20);
    EXPECT_LT(growth.heapBlocks, 20);
}

} // namespace
