// The launch of the remote-setup tool and the wait for its answer.
#include "ui/remote_tool_inquiry.h"

#include "core/spooler_info.h"
#include "lifecycle/bounded_text.h"
#include "lifecycle/companion_programs.h"

#include <shellapi.h>

namespace {

// A queue can hold the atom more than once; more than this many
// references are not ours to clear.
const int kAtomReferenceLimit = 256;

void DeleteAtomByName(const WCHAR* name)
{
    for (int i = 0; i < kAtomReferenceLimit; ++i) {
        const ATOM atom = GlobalFindAtomW(name);
        if (!atom)
            return;
        GlobalDeleteAtom(atom);
    }
}

// The queue's own name as the tool looks the printer up, else the name the
// settings carry.
void PrinterNameOf(const UiSession* session, WCHAR* name, size_t capacity)
{
    lstrcpynW(name, session->devmode.pub.dmDeviceName, static_cast<int>(capacity));
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(session->printer, 2));
    if (!info)
        return;
    if (info->pPrinterName)
        lstrcpynW(name, info->pPrinterName, static_cast<int>(capacity));
    GlobalFree(info);
}

BOOL LaunchRemoteTool(const UiSession* session, const WCHAR* verb, ATOM atom, const WCHAR* exchangePath)
{
    WCHAR tool[MAX_PATH], folder[MAX_PATH], printer[MAX_PATH], parameters[3 * MAX_PATH];
    if (!RemoteToolPath(tool, MAX_PATH) || !RemoteToolFolder(folder, MAX_PATH))
        return FALSE;
    PrinterNameOf(session, printer, MAX_PATH);
    if (!PrintBounded(parameters, ARRAYSIZE(parameters), L"%ls %ld \"%ls\" %ls", verb,
                      static_cast<long>(atom), exchangePath, printer))
        return FALSE;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", tool, parameters, folder, SW_SHOW));
    return result > 32;
}

} // namespace

BOOL StartRemoteToolInquiry(HWND window, const UiSession* session, const WCHAR* verb,
                            PrepareExchangeFile prepare, RemoteToolInquiry* inquiry)
{
    if (!RemoteToolExchangePath(inquiry->exchangePath, MAX_PATH))
        return FALSE;
    DeleteAtomByName(session->atomName);
    const ATOM atom = GlobalAddAtomW(session->atomName);
    if (!atom)
        return FALSE;
    if (!prepare(inquiry->exchangePath, session) ||
        !LaunchRemoteTool(session, verb, atom, inquiry->exchangePath)) {
        GlobalDeleteAtom(atom);
        return FALSE;
    }
    inquiry->atomName = session->atomName;
    inquiry->ticks = 0;
    SetTimer(window, kRemoteToolTimer, kRemoteToolTickMs, nullptr);
    return TRUE;
}

bool RemoteToolKeepsWaiting(bool atomPresent, UINT ticks)
{
    return atomPresent && ticks < kRemoteToolTickLimit;
}

BOOL RemoteToolInquiryEnded(HWND window, RemoteToolInquiry* inquiry)
{
    if (!inquiry->atomName)
        return FALSE;
    ++inquiry->ticks;
    if (RemoteToolKeepsWaiting(GlobalFindAtomW(inquiry->atomName) != 0, inquiry->ticks))
        return FALSE;
    StopRemoteToolInquiry(window, inquiry);
    return TRUE;
}

void StopRemoteToolInquiry(HWND window, RemoteToolInquiry* inquiry)
{
    if (!inquiry->atomName)
        return;
    KillTimer(window, kRemoteToolTimer);
    DeleteAtomByName(inquiry->atomName);
    inquiry->atomName = nullptr;
}
