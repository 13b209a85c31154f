// The Advanced page as a user drives it: category buttons, radios, checks
// and typed values through the host stand-in's real sheet, the result read
// from the DEVMODE that OK returns, message boxes found and answered.
#include "platform/driverui.h"

#include "settings/driver_devmode.h"
#include "support/process_usage.h"
#include "support/sheet_script.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

enum Kind { kQuality = 0, kDuplex, kWatermark, kPageSetting, kDeviceOptions };
const int kFirstCategoryButton = 194;
const int kFunctionList = 317;
const WORD kNoFunction = 0xFFFF;

void Click(HWND page, int id)
{
    PostMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

// The sample model has no category resource: button i is kind i.
SheetStep Category(Kind kind)
{
    return [kind](HWND sheet) { Click(CurrentPage(sheet), kFirstCategoryButton + kind); };
}

SheetStep Function(WORD code)
{
    return [code](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND list = GetDlgItem(page, kFunctionList);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(list, LB_GETITEMDATA, i, 0) != code)
                continue;
            SendMessageW(list, LB_SETCURSEL, i, 0);
            PostMessageW(page, WM_COMMAND, MAKEWPARAM(kFunctionList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        }
    };
}

SheetStep ClickStep(int id)
{
    return [id](HWND sheet) { Click(CurrentPage(sheet), id); };
}

// Typing replaces the text; the edit itself announces the change.
SheetStep Type(int id, const WCHAR* text)
{
    return [id, text](HWND sheet) { SetDlgItemTextW(CurrentPage(sheet), id, text); };
}

SheetStep Leave(int id)
{
    return [id](HWND sheet) {
        HWND page = CurrentPage(sheet);
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    };
}

SheetStep PressStep(int button)
{
    return [button](HWND sheet) { Press(sheet, button); };
}

struct MessageSeen {
    std::wstring title;
    std::wstring text;
};

BOOL CALLBACK FindBox(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && GetDlgItem(window, 0xFFFF)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Answers the message box the previous step raised, recording it.
SheetStep Answer(MessageSeen* seen, int button)
{
    return [seen, button](HWND) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box)
            return;
        WCHAR title[256] = {};
        GetWindowTextW(box, title, ARRAYSIZE(title));
        seen->title = title;
        seen->text = ControlText(box, 0xFFFF);
        PostMessageW(box, WM_COMMAND, button, 0);
    };
}

struct FieldRange {
    size_t offset;
    size_t size;
};
#define FIELD(path) FieldRange{offsetof(DriverDevmode, path), sizeof(DriverDevmode::path)}

DWORD ReadBits(const DriverDevmode& record, FieldRange field)
{
    DWORD value = 0;
    memcpy(&value, reinterpret_cast<const BYTE*>(&record) + field.offset, field.size);
    return value;
}

std::wstring XpsFile()
{
    WCHAR folder[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Zentari\\PrtDrv\\KVEXT07.INI";
}

std::wstring XpsValue(const WCHAR* key)
{
    WCHAR text[64];
    GetPrivateProfileStringW(L"Rip", key, L"<none>", text, ARRAYSIZE(text), XpsFile().c_str());
    return text;
}

class AdvancedPage : public PropertySheets {
protected:
    // Runs the steps, then OK; the sheet's answer.
    LONG RunThenOk(std::vector<SheetStep> steps, DWORD mode = kPrompt | DM_IN_BUFFER)
    {
        steps.push_back(PressStep(PSBTN_OK));
        return Run(std::move(steps), mode);
    }
    LONG Run(std::vector<SheetStep> steps, DWORD mode = kPrompt | DM_IN_BUFFER)
    {
        memset(&out_, kFill, sizeof(out_));
        steps.insert(steps.begin(), host_.ShowPage(146));
        host_.Script(std::move(steps));
        return Preferences(mode);
    }
    DriverDevmode Baseline()
    {
        EXPECT_EQ(RunThenOk({}), IDOK);
        return out_;
    }
};

// Each control edits its own bits: compared with an untouched OK, the
// record differs only in the control's field and in the fields derived
// from the settings (the job processor's block, the public duplex).
TEST_F(AdvancedPage, EachControlChangesOnlyItsField)
{
    const DriverDevmode baseline = Baseline();
    const struct {
        const char* name;
        Kind kind;
        WORD function;
        int control;
        FieldRange field;
        DWORD mask;
        DWORD value;
        FieldRange alsoChanged;
    } cases[] = {
        {"300 dpi", kQuality, kNoFunction, 242, FIELD(pub.dmPrintQuality), 0xFFFF, 300, FIELD(pub.dmYResolution)},
        {"toner save on", kQuality, kNoFunction, 246, FIELD(priv.economy), 0xFFFF, 1, FIELD(priv.economy)},
        {"graphics setting", kQuality, kNoFunction, 251, FIELD(priv.defaultSet), 0xFF, 2, FIELD(priv.defaultSet)},
        {"duplex on", kDuplex, kNoFunction, 261, FIELD(priv.duplex), 0x100, 0x100, FIELD(priv.duplex)},
        {"flip on top", kDuplex, kNoFunction, 268, FIELD(priv.duplex), 0xFF, 2, FIELD(priv.duplex)},
        {"binding offset on", kDuplex, kNoFunction, 273, FIELD(priv.bindFlags), 0x02, 0x02, FIELD(priv.bindFlags)},
        {"opaque watermark", kWatermark, kNoFunction, 291, FIELD(priv.processor.watermarkRop), 0xFFFFFFFF,
         0x00CC0020, FIELD(priv.processor.watermarkRop)},
        {"mirror", kPageSetting, kNoFunction, 222, FIELD(priv.imageProcess), 0x01, 0x01, FIELD(priv.imageProcess)},
        {"reverse", kPageSetting, kNoFunction, 231, FIELD(priv.imageProcess), 0x02, 0x02, FIELD(priv.imageProcess)},
        {"reprint off", kDeviceOptions, 0, 366, FIELD(priv.mopy), 0x100, 0, FIELD(priv.mopy)},
        {"quick setup on", kDeviceOptions, 1, 349, FIELD(priv.qps), 0xFF, 1, FIELD(priv.qps)},
        {"manual sleep", kDeviceOptions, 2, 328, FIELD(priv.sleepMode), 0xFFFF, 3, FIELD(priv.sleepMode)},
        {"density manual", kDeviceOptions, 9, 408, FIELD(priv.biasOn), 0xFFFF, 0, FIELD(priv.biasOn)},
        {"error printout on", kDeviceOptions, 14, 417, FIELD(priv.errorPrint), 0xFFFF, 1, FIELD(priv.errorPrint)},
        {"reduce curl", kDeviceOptions, 15, 422, FIELD(priv.paperHandling), 0x01, 0x01, FIELD(priv.paperHandling)},
        {"header-footer on", kDeviceOptions, 8, 382, FIELD(priv.processor.headerFooterFlags), 0x80, 0x80,
         FIELD(priv.processor.headerFooterFlags)},
    };
    const FieldRange derived[] = {FIELD(priv.processor), FIELD(pub.dmDuplex)};
    for (const auto& c : cases) {
        ASSERT_NE(ReadBits(baseline, c.field) & c.mask, c.value) << c.name << ": the default already has it";
        std::vector<SheetStep> steps = {Category(c.kind)};
        if (c.function != kNoFunction)
            steps.push_back(Function(c.function));
        steps.push_back(ClickStep(c.control));
        ASSERT_EQ(RunThenOk(steps), IDOK) << c.name;
        EXPECT_EQ(ReadBits(out_, c.field) & c.mask, c.value) << c.name;
        const auto* now = reinterpret_cast<const BYTE*>(&out_);
        const auto* before = reinterpret_cast<const BYTE*>(&baseline);
        for (size_t at = 0; at < sizeof(DriverDevmode); ++at) {
            bool allowed = (at >= c.field.offset && at < c.field.offset + c.field.size) ||
                           (at >= c.alsoChanged.offset && at < c.alsoChanged.offset + c.alsoChanged.size);
            for (const FieldRange& range : derived)
                allowed = allowed || (at >= range.offset && at < range.offset + range.size);
            if (!allowed && now[at] != before[at]) {
                ADD_FAILURE() << c.name << " also changed the byte at " << at;
                break;
            }
        }
    }
}

TEST_F(AdvancedPage, DefaultRestoresOnlyTheCurrentCategory)
{
    const DriverDevmode baseline = Baseline();
    ASSERT_EQ(RunThenOk({Category(kDuplex), ClickStep(261), Category(kPageSetting), ClickStep(222),
                         ClickStep(16)}),
              IDOK);
    EXPECT_EQ(out_.priv.imageProcess, baseline.priv.imageProcess);
    EXPECT_EQ(out_.priv.duplex & 0x100, 0x100);

    ASSERT_EQ(RunThenOk({Category(kPageSetting), ClickStep(222), Category(kDuplex), ClickStep(261),
                         ClickStep(268), ClickStep(16)}),
              IDOK);
    EXPECT_EQ(out_.priv.duplex, baseline.priv.duplex);
    EXPECT_EQ(out_.priv.imageProcess & 1, 1);
}

// The sample model has a duplex unit (bit 2) and no 1200 mode; a caller
// without permission may not change toner save, watermarks or spooling.
TEST_F(AdvancedPage, ModelWordsAndPermissionDecideTheControls)
{
    const struct {
        Kind kind;
        WORD function;
        int control;
        bool visible;
        bool enabledPermitted;
        bool enabledWithout;
    } cases[] = {
        {kQuality, kNoFunction, 239, false, false, false},
        {kQuality, kNoFunction, 241, true, true, true},
        {kQuality, kNoFunction, 245, true, true, false},
        {kDuplex, kNoFunction, 262, true, true, true},
        {kDuplex, kNoFunction, 263, true, true, true},
        {kWatermark, kNoFunction, 290, true, true, false},
        {kWatermark, kNoFunction, 291, true, true, true},
        {kWatermark, kNoFunction, 311, true, false, false},   // only for custom pages
        {kPageSetting, kNoFunction, 222, true, true, true},
        {kDeviceOptions, 0, 366, true, true, false},
        {kDeviceOptions, 0, 384, false, false, false},
        {kDeviceOptions, 14, 417, true, true, false},
        {kDeviceOptions, kNoFunction, 222, false, false, false},   // other categories' controls
    };
    for (DWORD mode : {DWORD(kPrompt), DWORD(kPrompt | DM_NOPERMISSION)}) {
        for (const auto& c : cases) {
            int visible = -1, enabled = -1;
            std::vector<SheetStep> steps = {Category(c.kind)};
            if (c.function != kNoFunction)
                steps.push_back(Function(c.function));
            steps.push_back([&](HWND sheet) {
                HWND control = GetDlgItem(CurrentPage(sheet), c.control);
                visible = IsWindowVisible(control) ? 1 : 0;
                enabled = IsWindowEnabled(control) ? 1 : 0;
            });
            steps.push_back(PressStep(PSBTN_CANCEL));
            Run(steps, mode);
            const bool permitted = !(mode & DM_NOPERMISSION);
            EXPECT_EQ(visible, c.visible ? 1 : 0) << c.control;
            EXPECT_EQ(enabled, (permitted ? c.enabledPermitted : c.enabledWithout) ? 1 : 0)
                << c.control << (permitted ? " permitted" : " without permission");
        }
    }
}

// Secure print needs a four-digit password before the page may be left.
TEST_F(AdvancedPage, SecurePrintPasswordKeepsTheUserOnThePage)
{
    const struct {
        const WCHAR* pin;
        bool accepted;
        SHORT stored;
    } cases[] = {
        {L"123", false, 0}, {L"12a4", false, 0}, {L"", false, 0}, {L"0123", true, 123}, {L"9876", true, 9876},
    };
    in_.priv.mopy = 0x100;   // reprint on, last job
    for (const auto& c : cases) {
        MessageSeen seen;
        std::vector<SheetStep> steps = {Category(kDeviceOptions), Function(0), ClickStep(368),
                                        Type(378, c.pin), PressStep(PSBTN_OK)};
        if (!c.accepted) {
            steps.push_back(Answer(&seen, IDOK));
            steps.push_back(PressStep(PSBTN_CANCEL));
        }
        const LONG result = Run(steps);
        EXPECT_EQ(result, c.accepted ? IDOK : IDCANCEL);
        if (c.accepted) {
            EXPECT_EQ(out_.priv.mopyPin, c.stored);
            EXPECT_EQ(out_.priv.mopy & 0x107, 0x101);
        } else {
            EXPECT_EQ(seen.title, L"Password error");
            EXPECT_NE(seen.text.find(L"must be 4 digits"), std::wstring::npos);
        }
    }

    // Leaving the category is refused the same way.
    MessageSeen seen;
    int listShown = -1;
    Run({Category(kDeviceOptions), Function(0), ClickStep(368), Type(378, L"12"), Category(kQuality),
         Answer(&seen, IDOK),
         [&](HWND sheet) { listShown = IsWindowVisible(GetDlgItem(CurrentPage(sheet), kFunctionList)) ? 1 : 0; },
         PressStep(PSBTN_CANCEL)});
    EXPECT_EQ(seen.title, L"Password error");
    EXPECT_EQ(listShown, 1);
}

// Models that keep jobs under the user's own names need both names.
TEST_F(AdvancedPage, OwnNamesMustBeGiven)
{
    in_.priv.resourceNumber = 12;
    in_.priv.mopy = 0x302;   // reprint on, public, own names
    MessageSeen user, job;
    ASSERT_EQ(Run({Category(kDeviceOptions), Function(0), Type(372, L""), Type(375, L""), PressStep(PSBTN_OK),
                   Answer(&user, IDOK), Type(372, L"alice"), PressStep(PSBTN_OK), Answer(&job, IDOK),
                   PressStep(PSBTN_CANCEL)}),
              IDCANCEL);
    EXPECT_EQ(user.title, L"Error");
    EXPECT_NE(user.text.find(L"User Name"), std::wstring::npos);
    EXPECT_NE(job.text.find(L"Job Name"), std::wstring::npos);

    ASSERT_EQ(RunThenOk({Category(kDeviceOptions), Function(0), Type(372, L"alice"), Type(375, L"report")}), IDOK);
    EXPECT_STREQ(out_.priv.mopyUser, L"alice");
    EXPECT_STREQ(out_.priv.mopyJob, L"report");
}

TEST_F(AdvancedPage, FreeScalingStaysWithinItsRange)
{
    const struct {
        const WCHAR* typed;
        bool leave;
        const WCHAR* shown;
        WORD stored;
    } cases[] = {
        {L"500", false, L"400", 400}, {L"10", true, L"25", 25}, {L"120", false, L"120", 120}, {L"x", true, L"25", 25},
    };
    for (const auto& c : cases) {
        std::wstring shown;
        std::vector<SheetStep> steps = {Category(kPageSetting), ClickStep(213), Type(218, c.typed)};
        if (c.leave)
            steps.push_back(Leave(218));
        steps.push_back([&](HWND sheet) { shown = ControlText(CurrentPage(sheet), 218); });
        ASSERT_EQ(RunThenOk(steps), IDOK);
        EXPECT_EQ(shown, c.shown) << c.typed;
        EXPECT_EQ(out_.priv.scaling, 2);
        EXPECT_EQ(out_.priv.scalingSize, c.stored) << c.typed;
    }
}

TEST_F(AdvancedPage, BindingOffsetIsKeptInItsRange)
{
    const struct {
        const char* name;
        bool inches;
        const WCHAR* typed;
        bool outOfRange;
        WORD stored;
    } cases[] = {
        {"millimetres", false, L"12.5", false, 125},
        {"too far", false, L"300", true, 2032},
        {"inches", true, L"1", false, 254},
        {"too far in inches", true, L"9", true, 2032},
    };
    for (const auto& c : cases) {
        MessageSeen seen;
        std::vector<SheetStep> steps = {Category(kDuplex), ClickStep(273), ClickStep(c.inches ? 277 : 276)};
        steps.push_back(Type(274, c.typed));
        steps.push_back(Leave(274));
        if (c.outOfRange)
            steps.push_back(Answer(&seen, IDOK));
        ASSERT_EQ(RunThenOk(steps), IDOK) << c.name;
        EXPECT_EQ(out_.priv.bindingOffset, c.stored) << c.name;
        EXPECT_EQ(out_.priv.bindFlags & 0x03, c.inches ? 0x03 : 0x02) << c.name;
        EXPECT_EQ(seen.title, c.outOfRange ? L"Binding Offset" : L"") << c.name;
    }
}

TEST_F(AdvancedPage, BookletFollowsDuplex)
{
    const DriverDevmode baseline = Baseline();
    ASSERT_EQ(baseline.priv.duplex & 0x100, 0);
    in_.priv.scaling = 3;
    ASSERT_EQ(RunThenOk({Category(kDuplex), ClickStep(261), ClickStep(284)}), IDOK);
    EXPECT_EQ(out_.priv.booklet & 1, 1);
    EXPECT_EQ(out_.priv.multiPage, 2);
    EXPECT_EQ(out_.priv.anotherTray, DMBIN_AUTO);
    EXPECT_EQ(out_.priv.scaling, 0);
    EXPECT_EQ(out_.priv.bookletLayout, 1);

    ASSERT_EQ(RunThenOk({Category(kDuplex), ClickStep(261), ClickStep(284), ClickStep(261)}), IDOK);
    EXPECT_EQ(out_.priv.booklet & 1, 0);
    EXPECT_EQ(out_.priv.multiPage, baseline.priv.multiPage);
    EXPECT_EQ(out_.priv.bookletLayout, 0);
}

// The XPS values: offsets clamped into the record, memory and halftone
// into the machine-wide file.
TEST_F(AdvancedPage, XpsValuesAreClampedAndWritten)
{
    in_.priv.serviceItems = 0x20;
    const struct {
        const WCHAR* x;
        const WCHAR* y;
        const WCHAR* memory;
        bool halftone;
        LONG storedX;
        LONG storedY;
        const WCHAR* memoryKey;
        const WCHAR* halftoneKey;
    } cases[] = {
        {L"-20000000", L"4000000", L"256", true, -14224000, 3556000, L"256", L"1"},
        {L"-5", L"12", L"lots", false, -5, 12, L"<none>", L"0"},
    };
    for (const auto& c : cases) {
        std::vector<SheetStep> steps = {Category(kDeviceOptions), Function(263), Type(1058, c.x), Type(1060, c.y),
                                        Type(1062, c.memory)};
        steps.push_back([&c](HWND sheet) {
            CheckDlgButton(CurrentPage(sheet), 1064, c.halftone ? BST_CHECKED : BST_UNCHECKED);
        });
        ASSERT_EQ(RunThenOk(steps), IDOK);
        EXPECT_EQ(out_.priv.savedCode1, c.storedX);
        EXPECT_EQ(out_.priv.savedCode2, c.storedY);
        EXPECT_EQ(XpsValue(L"Memory"), c.memoryKey);
        EXPECT_EQ(XpsValue(L"Halftone"), c.halftoneKey);
    }
}

SheetStep SelectStep(int id, int position, WORD notification)
{
    return [id, position, notification](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND combo = GetDlgItem(page, id);
        SendMessageW(combo, CB_SETCURSEL, position, 0);
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(combo));
    };
}

std::wstring WatermarkStore()
{
    WCHAR folder[MAX_PATH];
    GetSystemWindowsDirectoryW(folder, ARRAYSIZE(folder));
    return std::wstring(folder) + L"\\KVWMARK.INI";
}

const WCHAR* const kCustomPageKeys[] = {L"0", L"2", L"3", L"5", L"99", L"Other"};

void ForgetCustomPages()
{
    for (const WCHAR* key : kCustomPageKeys)
        WritePrivateProfileStringW(kTestQueueName, key, nullptr, WatermarkStore().c_str());
}

std::wstring StoredPageWatermark(const WCHAR* key)
{
    WCHAR text[64];
    GetPrivateProfileStringW(kTestQueueName, key, L"<none>", text, ARRAYSIZE(text), WatermarkStore().c_str());
    return text;
}

// Custom pages: the typed page is corrected, then its key is written
// with the chosen watermark's position (-1 for none) or removed.
TEST_F(AdvancedPage, CustomPagesAssignWatermarksInTheStore)
{
    const int kCustomChoice = 3, kAdd = 311, kDelete = 308;
    const struct {
        const char* name;
        const WCHAR* typed;
        int watermark;          // position in the combo, 0 = none
        int button;
        const WCHAR* shown;     // the page edit afterwards
        const WCHAR* key;
        const WCHAR* stored;
    } cases[] = {
        {"page without watermark", L"3", 0, kAdd, L"3", L"3", L"-1"},
        {"first watermark, page capped", L"150", 1, kAdd, L"99", L"99", L"0"},
        {"other pages", L"Other pages", 1, kAdd, L"Other pages", L"Other", L"0"},
        {"page zero", L"0", 1, kAdd, L"", L"0", L"<none>"},
        {"not a number", L"2a", 1, kAdd, L"", L"2", L"<none>"},
        {"delete", L"5", 1, kDelete, L"5", L"5", L"<none>"},
    };
    for (const auto& c : cases) {
        ForgetCustomPages();
        WritePrivateProfileStringW(kTestQueueName, L"5", L"0", WatermarkStore().c_str());
        bool enabled = false;
        std::wstring shown;
        ASSERT_EQ(RunThenOk({Category(kWatermark), SelectStep(314, kCustomChoice, CBN_SELCHANGE),
                             [&](HWND sheet) { enabled = IsWindowEnabled(GetDlgItem(CurrentPage(sheet), c.button)); },
                             Type(312, c.typed), SelectStep(313, c.watermark, CBN_SELCHANGE), ClickStep(c.button),
                             [&](HWND sheet) { shown = ControlText(CurrentPage(sheet), 312); }}),
                  IDOK)
            << c.name;
        EXPECT_TRUE(enabled) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_EQ(StoredPageWatermark(c.key), c.stored) << c.name;
        EXPECT_EQ(out_.priv.processor.watermarkPages & ~2u, 16u) << c.name;
    }
    ForgetCustomPages();
}

// The transfer voltage sits with the density, for models that offer it.
TEST_F(AdvancedPage, TransferVoltageFollowsTheModel)
{
    const int kDensity = 9;
    const struct {
        BYTE offered;
        int control;
        bool visible;
        BYTE stored;
    } cases[] = {
        {0, 359, false, 0},
        {1, 360, true, 1},
        {1, 363, true, 4},
        {1, 359, true, 0},
    };
    for (const auto& c : cases) {
        in_.priv.showBiasVolt = c.offered;
        in_.priv.biasVolt = c.stored == 0 ? 3 : 0;
        bool visible = false;
        std::vector<SheetStep> steps = {Category(kDeviceOptions), Function(kDensity), [&](HWND sheet) {
            visible = IsWindowVisible(GetDlgItem(CurrentPage(sheet), c.control));
        }};
        if (c.visible)
            steps.push_back(ClickStep(c.control));
        ASSERT_EQ(RunThenOk(steps), IDOK) << c.control;
        EXPECT_EQ(visible, c.visible) << c.control;
        EXPECT_EQ(out_.priv.biasVolt, c.visible ? c.stored : 3) << c.control;
    }
}

// Posts a double click to the page at a point of a group box (across,
// down: fractions of its size; negative: outside it), with keys held.
SheetStep DoubleClickGroup(int group, double across, double down, WPARAM keys = 0)
{
    return [=](HWND sheet) {
        HWND page = CurrentPage(sheet);
        RECT area;
        GetWindowRect(GetDlgItem(page, group), &area);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
        const int x = area.left + static_cast<int>((area.right - area.left) * across);
        const int y = area.top + static_cast<int>((area.bottom - area.top) * down);
        PostMessageW(page, WM_LBUTTONDBLCLK, MK_LBUTTON | keys, MAKELPARAM(x, y));
    };
}

// A double click inside the sleep group offers "Off" or takes it away.
TEST_F(AdvancedPage, DoubleClickInSleepGroupTogglesOff)
{
    const WORD kSleep = 2, kStatusMonitor = 3;
    const struct {
        const char* name;
        WORD flags;
        WORD sleepMode;
        WORD function;
        double across, down;
        WORD flagsAfter;
        WORD sleepModeAfter;
        bool offShown;
    } cases[] = {
        {"offered", 0x10, 0, kSleep, 0.98, 0.97, 0x11, 0, true},
        {"withdrawn while chosen", 0x11, 2, kSleep, 0.98, 0.97, 0x10, 1, false},
        {"outside the group", 0x10, 0, kSleep, -0.1, 0.5, 0x10, 0, false},
        {"other function", 0x10, 0, kStatusMonitor, 0.98, 0.97, 0x10, 0, false},
    };
    for (const auto& c : cases) {
        in_.priv.specialFlags = c.flags;
        in_.priv.sleepMode = c.sleepMode;
        bool offShown = true;
        ASSERT_EQ(RunThenOk({Category(kDeviceOptions), Function(c.function), DoubleClickGroup(324, c.across, c.down),
                             Function(kSleep),
                             [&](HWND sheet) { offShown = IsWindowVisible(GetDlgItem(CurrentPage(sheet), 327)); }}),
                  IDOK)
            << c.name;
        EXPECT_EQ(out_.priv.specialFlags, c.flagsAfter) << c.name;
        EXPECT_EQ(out_.priv.sleepMode, c.sleepModeAfter) << c.name;
        EXPECT_EQ(offShown, c.offShown) << c.name;
    }
}

std::vector<WORD> ListedFunctions(HWND page)
{
    HWND list = GetDlgItem(page, kFunctionList);
    std::vector<WORD> codes;
    for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i)
        codes.push_back(static_cast<WORD>(SendMessageW(list, LB_GETITEMDATA, i, 0)));
    return codes;
}

// With modifier keys, a double click in the job-spooling group lists the
// service functions or takes them away; the current function stays.
TEST_F(AdvancedPage, ServiceGestureListsTheServiceFunctions)
{
    const struct {
        const char* name;
        BYTE items;
        double across;
        WPARAM keys;
        BYTE itemsAfter;
    } cases[] = {
        {"collate field", 0x00, 0.97, MK_CONTROL, 0x01},
        {"all", 0x00, 0.97, MK_CONTROL | MK_SHIFT, 0x21},
        {"none again", 0x04, 0.97, MK_CONTROL | MK_SHIFT, 0x00},
        {"no key", 0x00, 0.97, 0, 0x00},
        {"outside the group", 0x00, -0.1, MK_SHIFT, 0x00},
    };
    for (const auto& c : cases) {
        in_.priv.serviceItems = c.items;
        std::vector<WORD> listed;
        LRESULT current = -1;
        ASSERT_EQ(RunThenOk({Category(kDeviceOptions), Function(0), DoubleClickGroup(365, c.across, 0.97, c.keys),
                             [&](HWND sheet) {
                                 HWND page = CurrentPage(sheet);
                                 listed = ListedFunctions(page);
                                 HWND list = GetDlgItem(page, kFunctionList);
                                 current = SendMessageW(list, LB_GETITEMDATA, SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
                             }}),
                  IDOK)
            << c.name;
        EXPECT_EQ(out_.priv.serviceItems, c.itemsAfter) << c.name;
        EXPECT_EQ(current, 0) << c.name;
        const bool collate = std::find(listed.begin(), listed.end(), 256) != listed.end();
        const bool xps = std::find(listed.begin(), listed.end(), 263) != listed.end();
        EXPECT_EQ(collate, (c.itemsAfter & 0x01) != 0) << c.name;
        EXPECT_EQ(xps, (c.itemsAfter & 0x20) != 0) << c.name;
    }
    in_.priv.serviceItems = 0;
    ASSERT_EQ(RunThenOk({Category(kDeviceOptions), Function(0), DoubleClickGroup(365, 0.97, 0.97, MK_CONTROL)},
                        kPrompt | DM_NOPERMISSION),
              IDOK);
    EXPECT_EQ(out_.priv.serviceItems, 0) << "without permission";
}

// The printer's "SecureAppOnly" leaves starting secure printing to the
// applications: the page offers it only when it is already chosen.
TEST_F(AdvancedPage, SecureAppOnlyKeepsSecurePrintToApplications)
{
    const WCHAR kSection[] = L"KVOPT07 config", kFile[] = L"KVI3390N.DAT";
    ASSERT_TRUE(WritePrivateProfileStringW(kSection, L"SecureAppOnly", L"1", kFile));
    const struct {
        WORD mopy;
        bool offered;
    } cases[] = {{0x100, false}, {0x101, true}};
    for (const auto& c : cases) {
        in_.priv.mopy = c.mopy;
        int offered = -1;
        Run({Category(kDeviceOptions), Function(0),
             [&](HWND sheet) { offered = IsWindowEnabled(GetDlgItem(CurrentPage(sheet), 368)) ? 1 : 0; },
             PressStep(PSBTN_CANCEL)});
        EXPECT_EQ(offered, c.offered ? 1 : 0) << std::hex << c.mopy;
    }
    WritePrivateProfileStringW(kSection, L"SecureAppOnly", L"0", kFile);
    in_.priv.mopy = 0x100;
    int offered = -1;
    Run({Category(kDeviceOptions), Function(0),
         [&](HWND sheet) { offered = IsWindowEnabled(GetDlgItem(CurrentPage(sheet), 368)) ? 1 : 0; },
         PressStep(PSBTN_CANCEL)});
    EXPECT_EQ(offered, 1) << "without SecureAppOnly";
}

// The pixels of an owner-drawn picture as the screen shows it.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

SheetStep CapturePicture(int id, Picture* picture)
{
    return [id, picture](HWND sheet) {
        HWND control = GetDlgItem(CurrentPage(sheet), id);
        UpdateWindow(control);
        RECT area;
        GetClientRect(control, &area);
        picture->width = area.right;
        picture->height = area.bottom;
        picture->pixels.clear();
        HDC dc = GetDC(control);
        for (int y = 0; y < area.bottom; ++y)
            for (int x = 0; x < area.right; ++x)
                picture->pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(control, dc);
    };
}

bool MirroredAcross(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.width == 0)
        return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y) != b.At(a.width - 1 - x, y))
                return false;
    return true;
}

// Each illustration follows the setting it shows.
TEST_F(AdvancedPage, PicturesFollowTheirSettings)
{
    auto capture = [this](Kind kind, int id, auto&& set) {
        Picture picture;
        const DriverDevmode saved = in_;
        set(in_);
        Run({Category(kind), CapturePicture(id, &picture), PressStep(PSBTN_CANCEL)});
        in_ = saved;
        EXPECT_GT(picture.width, 0) << id;
        return picture;
    };
    Picture q300, q600;
    Run({Category(kQuality), ClickStep(241), CapturePicture(237, &q600), ClickStep(242), CapturePicture(237, &q300),
         PressStep(PSBTN_CANCEL)});
    EXPECT_NE(q300.pixels, q600.pixels) << "resolution";

    const Picture left = capture(kDuplex, 260, [](DriverDevmode& d) { d.priv.duplex = 0x100; });
    const Picture right = capture(kDuplex, 260, [](DriverDevmode& d) { d.priv.duplex = 0x101; });
    const Picture off = capture(kDuplex, 260, [](DriverDevmode& d) { d.priv.duplex = 0x000; });
    EXPECT_NE(left.pixels, right.pixels) << "binding edge";
    EXPECT_TRUE(MirroredAcross(left, right)) << "the right edge mirrors the left";
    EXPECT_NE(left.pixels, off.pixels) << "duplex off";

    const Picture half = capture(kPageSetting, 205, [](DriverDevmode& d) { d.priv.scaling = 2, d.priv.scalingSize = 50; });
    const Picture twice = capture(kPageSetting, 205, [](DriverDevmode& d) { d.priv.scaling = 2, d.priv.scalingSize = 200; });
    EXPECT_NE(half.pixels, twice.pixels) << "free scaling";

    const Picture plain = capture(kWatermark, 288, [](DriverDevmode& d) { d.priv.processor.watermark.on = 0; });
    const Picture marked = capture(kWatermark, 288, [](DriverDevmode& d) { d.priv.processor.watermark.on = 1; });
    EXPECT_NE(plain.pixels, marked.pixels) << "watermark on";
}

// A damaged or unwritable file does not stop the page.
TEST_F(AdvancedPage, HostileXpsFileDoesNotBreakThePage)
{
    in_.priv.serviceItems = 0x20;
    const std::wstring path = XpsFile();
    {
        std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
        file << "[Rip]\r\nMemory=" << std::string(5000, '9') << "\r\nHalftone=\x01\xff\r\n";
    }
    std::wstring memory;
    ASSERT_EQ(RunThenOk({Category(kDeviceOptions), Function(263),
                         [&](HWND sheet) { memory = ControlText(CurrentPage(sheet), 1062); }, Type(1058, L"7")}),
              IDOK);
    EXPECT_LE(memory.size(), 15u);
    EXPECT_EQ(out_.priv.savedCode1, 7);

    DeleteFileW(path.c_str());
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    ASSERT_EQ(RunThenOk({Category(kDeviceOptions), Function(263), Type(1058, L"8")}), IDOK);
    EXPECT_EQ(out_.priv.savedCode1, 8);
    RemoveDirectoryW(path.c_str());
}

// The setting dialogs open over the page; their Cancel leaves the record
// as it was, their OK keeps what was changed in them.
TEST_F(AdvancedPage, SettingDialogsKeepOnlyConfirmedChanges)
{
    const DriverDevmode baseline = Baseline();
    const struct {
        const char* name;
        Kind kind;
        WORD function;
        int button;
        int dialogControl;
        const WCHAR* title;
        int answer;
        FieldRange field;
        DWORD mask;
    } cases[] = {
        {"macro kept", kDeviceOptions, 4, 347, 563, L"Macro Setting", IDOK, FIELD(priv.macroFlags), 0x02},
        {"macro cancelled", kDeviceOptions, 4, 347, 563, L"Macro Setting", IDCANCEL, FIELD(priv.macroFlags), 0x02},
        {"manual setting cancelled", kQuality, kNoFunction, 253, 507, L"Manual Setting", IDCANCEL,
         FIELD(priv.renderFlags), 0xFFFFFFFF},
        {"new watermark cancelled", kWatermark, kNoFunction, 296, 535, L"Watermark Setting", IDCANCEL,
         FIELD(priv.processor.watermark.on), 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        std::wstring title;
        std::vector<SheetStep> steps = {Category(c.kind)};
        if (c.function != kNoFunction)
            steps.push_back(Function(c.function));
        if (c.button == 253)
            steps.push_back(ClickStep(249));   // Manual print setting enables the button
        steps.push_back(ClickStep(c.button));
        steps.push_back([&](HWND sheet) {
            HWND dialog = GetLastActivePopup(sheet);
            WCHAR text[128] = {};
            GetWindowTextW(dialog, text, ARRAYSIZE(text));
            title = text;
            PostMessageW(GetDlgItem(dialog, c.dialogControl), BM_CLICK, 0, 0);
        });
        steps.push_back([&](HWND sheet) { PostMessageW(GetLastActivePopup(sheet), WM_COMMAND, c.answer, 0); });
        // Saving a macro asks before it may replace one in the printer.
        MessageSeen replace;
        if (c.answer == IDOK)
            steps.push_back(Answer(&replace, IDOK));
        ASSERT_EQ(RunThenOk(steps), IDOK) << c.name;
        EXPECT_EQ(title, c.title) << c.name;
        const DWORD before = ReadBits(baseline, c.field) & c.mask;
        const DWORD after = ReadBits(out_, c.field) & c.mask;
        if (c.answer == IDOK)
            EXPECT_NE(after, before) << c.name;
        else
            EXPECT_EQ(after, before) << c.name;
    }
}

// Opening the sheet with this page and walking its categories holds
// nothing more.
TEST_F(AdvancedPage, RepeatedOpeningsLeakNothing)
{
    const UsageGrowth growth = MeasureUsageGrowth(
        [this] {
            RunThenOk({Category(kDuplex), Category(kWatermark), Category(kPageSetting), Category(kDeviceOptions),
                       Function(9), Category(kQuality)});
        },
        3, 20);
    EXPECT_LT(growth.handles, 20);
    EXPECT_LT(growth.gdiObjects, 20);
    EXPECT_LT(growth.heapBlocks, 20);
}

} // namespace
