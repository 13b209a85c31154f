// The remote-setup tool as the tray page tests see it (the real one talks
// to a printer, which the test bed has none of). Started as
//   KVRBTOOL.EXE OPT <atom> "<exchange file>" <printer>
// it records its command line and the model name the driver wrote into
// the exchange file, puts the answer the test prepared in place of the
// exchange file and removes the atom, as the real tool does when it is
// done. The test steers it through the environment it inherits:
//   KVRBTOOL_RECORD     file that receives the command line and model name
//   KVRBTOOL_ANSWER     the prepared answer (none: the file stays as it is)
//   KVRBTOOL_KEEP_ATOM  set: never answer (the atom stays)
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Environment(const WCHAR* name)
{
    WCHAR value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? value : L"";
}

// The quoted exchange file path of the command line.
std::wstring ExchangePath(const WCHAR* commandLine)
{
    // The program's own path may be quoted too: the exchange file is the
    // quoted text after "OPT".
    const WCHAR* verb = wcsstr(commandLine, L"OPT ");
    const WCHAR* open = verb ? wcschr(verb, L'"') : nullptr;
    const WCHAR* close = open ? wcschr(open + 1, L'"') : nullptr;
    return close ? std::wstring(open + 1, close) : L"";
}

void Record(const std::wstring& path, const WCHAR* commandLine, const std::wstring& exchange)
{
    WCHAR model[128] = {};
    GetPrivateProfileStringW(L"Model", L"Name", L"", model, 128, exchange.c_str());
    const std::wstring text = std::wstring(commandLine) + L"\n" + model + L"\n";
    char bytes[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof(bytes), nullptr, nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes, length > 0 ? length - 1 : 0, &written, nullptr);
    CloseHandle(file);
}

// Written afresh rather than copied: a copy keeps the prepared file's
// time, by which the reader's INI cache would take it for unchanged.
void WriteAnswer(const std::wstring& answer, const std::wstring& exchange)
{
    HANDLE in = CreateFileW(answer.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return;
    char bytes[8192];
    DWORD length = 0;
    ReadFile(in, bytes, sizeof(bytes), &length, nullptr);
    CloseHandle(in);
    HANDLE out = CreateFileW(exchange.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(out, bytes, length, &written, nullptr);
    CloseHandle(out);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const WCHAR* commandLine = GetCommandLineW();
    const WCHAR* verb = wcsstr(commandLine, L"OPT ");
    if (!verb)
        return 1;
    const ATOM atom = static_cast<ATOM>(wcstoul(verb + 4, nullptr, 10));
    const std::wstring exchange = ExchangePath(commandLine);
    const std::wstring record = Environment(L"KVRBTOOL_RECORD");
    if (!record.empty())
        Record(record, commandLine, exchange);
    if (!Environment(L"KVRBTOOL_KEEP_ATOM").empty())
        return 0;
    const std::wstring answer = Environment(L"KVRBTOOL_ANSWER");
    if (!answer.empty())
        WriteAnswer(answer, exchange);
    GlobalDeleteAtom(atom);
    return 0;
}
