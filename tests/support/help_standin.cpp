#include "support/help_standin.h"

#include "support/test_paths.h"

HelpStandIn::HelpStandIn() : module_(LoadLibraryW((TestBinDirectory() + L"\\hhctrl.ocx").c_str()))
{
    if (!module_)
        return;
    log_ = reinterpret_cast<HelpStandInLogFn>(reinterpret_cast<void*>(GetProcAddress(module_, "StandInHelpLog")));
    reset_ = reinterpret_cast<HelpStandInResetFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "StandInHelpReset")));
    if (reset_)
        reset_();
}

HelpStandIn::~HelpStandIn()
{
    if (module_)
        FreeLibrary(module_);
}

std::vector<UINT> HelpStandIn::Commands() const
{
    std::vector<UINT> commands;
    for (int i = 0; i < Log().count && i < kHelpStandInMaxCalls; ++i)
        commands.push_back(Log().calls[i].command);
    return commands;
}
