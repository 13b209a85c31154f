#include "support/sheet_script.h"

#include "support/test_paths.h"
#include "support/test_printers.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::vector<SheetStep> g_steps;
size_t g_nextStep;
HWND g_sheet;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (g_nextStep >= g_steps.size())
        return;
    g_steps[g_nextStep++](g_sheet);
    if (g_nextStep < g_steps.size())
        SetTimer(nullptr, 0, 10, RunNextStep);
}

void StartSteps(HWND sheet, void*)
{
    g_sheet = sheet;
    g_nextStep = 0;
    SetTimer(nullptr, 0, 10, RunNextStep);
}

} // namespace

void Press(HWND sheet, int button)
{
    PostMessageW(sheet, PSM_PRESSBUTTON, button, 0);
}

void ShowLastPage(HWND sheet)
{
    PropSheet_SetCurSel(sheet, nullptr, TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)) - 1);
}

HWND CurrentPage(HWND sheet)
{
    return PropSheet_GetCurrentPageHwnd(sheet);
}

std::wstring ControlText(HWND dialog, int id)
{
    WCHAR text[2048] = {};
    GetDlgItemTextW(dialog, id, text, ARRAYSIZE(text));
    return text;
}

std::string SampleModelWithCaps(DWORD caps)
{
    std::ifstream file(KV_MODEL_DIR "\\KV3390N.PPD", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::string model = text.str();
    const std::string word = "*PrinterCaps: \"4096\"";
    const size_t at = model.find(word);
    if (at != std::string::npos)
        model.replace(at, word.size(), "*PrinterCaps: \"" + std::to_string(4096 | caps) + "\"");
    return model;
}

HostStandIn::HostStandIn() : module_(LoadLibraryW((TestBinDirectory() + L"\\compstui.dll").c_str()))
{
    record_ = Get<StandInRecordFn>("StandInLastCall");
    setScript_ = Get<StandInSetScriptFn>("StandInSetScript");
    refuse_ = Get<StandInRefusePagesFn>("StandInRefusePages");
}

HostStandIn::~HostStandIn()
{
    if (setScript_) setScript_(nullptr, nullptr);
    if (refuse_) refuse_(-1);
    if (module_) FreeLibrary(module_);
}

void HostStandIn::Script(std::vector<SheetStep> steps)
{
    g_steps = std::move(steps);
    setScript_(StartSteps, nullptr);
}

SheetStep HostStandIn::ShowPage(WORD templateId) const
{
    return [this, templateId](HWND sheet) {
        const StandInRecord& record = Last();
        for (int i = 0; i < record.pageCount; ++i) {
            if (record.pages[i].templateId == templateId)
                PropSheet_SetCurSel(sheet, nullptr, i);
        }
    };
}

std::vector<int> Reasons(const StandInRecord& record)
{
    return std::vector<int>(record.reasons, record.reasons + record.reasonCount);
}

std::vector<LONG> Answers(const StandInRecord& record)
{
    return std::vector<LONG>(record.answers, record.answers + record.reasonCount);
}

std::vector<WORD> Templates(const StandInRecord& record)
{
    std::vector<WORD> ids;
    for (int i = 0; i < record.pageCount; ++i)
        ids.push_back(record.pages[i].templateId);
    return ids;
}

void PropertySheets::SetUp()
{
    ASSERT_TRUE(host_.Loaded()) << "the host stand-in is missing beside the test program";
    ASSERT_NE(printer_ = OpenTestPrinter(kTestQueueName), nullptr);
    memset(&in_, 0, sizeof(in_));
    ASSERT_EQ(DrvDocumentProperties(nullptr, printer_, Queue(), &in_.pub, nullptr, DM_OUT_BUFFER), IDOK);
    memset(&out_, kFill, sizeof(out_));
}

void PropertySheets::TearDown()
{
    ClosePrinter(printer_);
}

WCHAR* PropertySheets::Queue()
{
    return const_cast<WCHAR*>(kTestQueueName);
}

bool PropertySheets::OutUntouched() const
{
    const auto* bytes = reinterpret_cast<const BYTE*>(&out_);
    for (size_t i = 0; i < sizeof(out_); ++i)
        if (bytes[i] != kFill) return false;
    return true;
}

LONG PropertySheets::Preferences(DWORD mode)
{
    return DrvDocumentProperties(nullptr, printer_, Queue(), &out_.pub, &in_.pub, mode);
}
