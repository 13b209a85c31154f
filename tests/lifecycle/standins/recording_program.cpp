// A companion program of the package as the tests see it: it writes its
// command line (UTF-8) to a file beside itself named after its own file
// with ".args" added, so that a test observes the launch and its
// arguments, then ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Launchers wait until the program takes input; a message queue ends
    // that wait at once.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);

    WCHAR self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    const std::wstring record = std::wstring(self) + L".args";
    const WCHAR* commandLine = GetCommandLineW();
    char text[4096];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, text, sizeof(text), nullptr, nullptr);
    HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, text, bytes > 0 ? bytes - 1 : 0, &written, nullptr);
    CloseHandle(file);
    return 0;
}
