// A remote-setup tool stand-in for the macro inquiry. Started as the driver
// starts the tool ("MACRO <atom> "<exchange file>" <printer>"), it copies
// the answer the test left beside it ("macro-answer.ini") over the exchange
// file, when there is one, and then deletes the atom to say it is done. An
// answer that starts with "HOLD" leaves the atom: the tool is still busy.
#include <windows.h>

#include <cstring>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    const WCHAR* c = commandLine;
    if (wcsncmp(c, L"MACRO ", 6) != 0)
        return 1;
    c += 6;
    const ATOM atom = static_cast<ATOM>(wcstoul(c, nullptr, 10));
    const WCHAR* open = wcschr(c, L'"');
    const WCHAR* close = open ? wcschr(open + 1, L'"') : nullptr;
    if (!atom || !close)
        return 1;
    WCHAR exchange[MAX_PATH] = {};
    lstrcpynW(exchange, open + 1, static_cast<int>(close - open));

    WCHAR answer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, answer, MAX_PATH);
    WCHAR* slash = length ? wcsrchr(answer, L'\\') : nullptr;
    if (slash && slash + 20 < answer + MAX_PATH) {
        lstrcpyW(slash + 1, L"macro-answer.ini");
        char start[4] = {};
        HANDLE file = CreateFileW(answer, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD read = 0;
        if (file != INVALID_HANDLE_VALUE) {
            ReadFile(file, start, sizeof(start), &read, nullptr);
            CloseHandle(file);
        }
        if (read == sizeof(start) && memcmp(start, "HOLD", 4) == 0)
            return 0;
        CopyFileW(answer, exchange, FALSE);
    }
    GlobalDeleteAtom(atom);
    return 0;
}
