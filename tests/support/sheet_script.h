// Driving real property sheets through the host stand-in: a script of
// user actions run one per timer tick once the sheet has painted, the host
// stand-in as the driver loads it, and a fixture with the test queue's
// settings in and a filled output record.
#pragma once

#include "platform/driverui.h"

#include "settings/driver_devmode.h"
#include "support/compstui/compstui_standin.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

const BYTE kFill = 0xA5;
const DWORD kPrompt = DM_IN_PROMPT | DM_OUT_BUFFER;

// What a user does with a shown sheet, one step per timer tick: thread
// timers arrive only after the sheet has painted, as input would.
using SheetStep = std::function<void(HWND sheet)>;

void Press(HWND sheet, int button);
// Brings the last tab (the Support page) to the front.
void ShowLastPage(HWND sheet);
HWND CurrentPage(HWND sheet);
std::wstring ControlText(HWND dialog, int id);

// The sample model's description with caps added to its capability word.
std::string SampleModelWithCaps(DWORD caps);

// The host stand-in, as the driver loads it.
class HostStandIn {
public:
    HostStandIn();
    ~HostStandIn();
    bool Loaded() const { return record_ && setScript_ && refuse_; }
    const StandInRecord& Last() const { return *record_(); }
    void Script(std::vector<SheetStep> steps);
    void RefusePagesFrom(int page) { refuse_(page); }
    // A step bringing the page made from the dialog template to the front.
    SheetStep ShowPage(WORD templateId) const;

private:
    template <class Fn> Fn Get(const char* name)
    {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }
    HMODULE module_;
    StandInRecordFn record_ = nullptr;
    StandInSetScriptFn setScript_ = nullptr;
    StandInRefusePagesFn refuse_ = nullptr;
};

std::vector<int> Reasons(const StandInRecord& record);
std::vector<LONG> Answers(const StandInRecord& record);
std::vector<WORD> Templates(const StandInRecord& record);

// The test queue's settings in, an output record filled with kFill.
class PropertySheets : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static WCHAR* Queue();
    bool OutUntouched() const;
    LONG Preferences(DWORD mode);

    HostStandIn host_;
    HANDLE printer_ = nullptr;
    DriverDevmode in_;
    DriverDevmode out_;
};
