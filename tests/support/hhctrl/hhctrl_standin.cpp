#include "hhctrl_standin.h"

#include <cwchar>

namespace {

const UINT kDisplayTopic = 0x0000;
const UINT kCloseAll = 0x0012;
const WCHAR kTopicClass[] = L"KvHelpStandInTopic";

HelpStandInLog g_log;
HINSTANCE g_instance;

LRESULT CALLBACK TopicWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY)
        --g_log.windowsOpen;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND OpenTopicWindow(const WCHAR* path)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = TopicWindowProc;
    windowClass.hInstance = g_instance;
    windowClass.lpszClassName = kTopicClass;
    RegisterClassW(&windowClass);   // fails harmlessly once registered
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kTopicClass, path, WS_POPUP | WS_CAPTION, 0, 0,
                                  200, 100, nullptr, nullptr, g_instance, nullptr);
    if (window)
        ++g_log.windowsOpen;
    return window;
}

BOOL CALLBACK CloseTopicWindow(HWND window, LPARAM)
{
    WCHAR name[64];
    if (GetClassNameW(window, name, ARRAYSIZE(name)) && !wcscmp(name, kTopicClass))
        DestroyWindow(window);
    return TRUE;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_instance = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpW(HWND caller, LPCWSTR file, UINT command,
                                                     DWORD_PTR)
{
    if (g_log.count < kHelpStandInMaxCalls) {
        HelpStandInCall& call = g_log.calls[g_log.count];
        call.command = command;
        call.caller = caller;
        lstrcpynW(call.path, file ? file : L"", ARRAYSIZE(call.path));
    }
    ++g_log.count;
    if (command == kCloseAll) {
        EnumThreadWindows(GetCurrentThreadId(), CloseTopicWindow, 0);
        return nullptr;
    }
    return command == kDisplayTopic ? OpenTopicWindow(file) : nullptr;
}

extern "C" __declspec(dllexport) const HelpStandInLog* WINAPI StandInHelpLog()
{
    return &g_log;
}

extern "C" __declspec(dllexport) void WINAPI StandInHelpReset()
{
    EnumThreadWindows(GetCurrentThreadId(), CloseTopicWindow, 0);
    const int open = g_log.windowsOpen;
    g_log = HelpStandInLog{};
    g_log.windowsOpen = open;
}
