// The test side of the HTML Help stand-in (support/hhctrl): the calls it
// recorded, read from the copy the program under test loaded.
#pragma once

#include "support/hhctrl/hhctrl_standin.h"

#include <windows.h>

#include <vector>

// HtmlHelpW commands the product sends.
constexpr UINT kHhDisplayTopic = 0x0000;
constexpr UINT kHhCloseAll = 0x0012;

// Loads the stand-in beside the test program (the module the product finds
// first as "hhctrl.ocx") and starts from an empty record.
class HelpStandIn {
public:
    HelpStandIn();
    ~HelpStandIn();
    HelpStandIn(const HelpStandIn&) = delete;
    HelpStandIn& operator=(const HelpStandIn&) = delete;

    bool Loaded() const { return log_ && reset_; }
    // Forgets the calls so far and closes the topic windows they opened.
    void Reset() const { reset_(); }
    const HelpStandInLog& Log() const { return *log_(); }
    // The commands recorded, in order.
    std::vector<UINT> Commands() const;

private:
    HMODULE module_;
    HelpStandInLogFn log_ = nullptr;
    HelpStandInResetFn reset_ = nullptr;
};
