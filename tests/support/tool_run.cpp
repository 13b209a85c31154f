#include "support/tool_run.h"

#include "support/test_paths.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>

std::string ReadBytes(const std::string& path)
{
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

std::string WriteScratchFile(const std::wstring& directory, const std::string& name,
                             const std::string& bytes)
{
    const std::string path = std::string(directory.begin(), directory.end()) + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

namespace {

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

ToolRun RunTool(const wchar_t* exeName, const std::wstring& scratch,
                const std::vector<std::string>& arguments)
{
    const std::wstring exe = TestBinDirectory() + L"\\" + exeName;
    const std::string out = WriteScratchFile(scratch, "out.txt", "");
    const std::string err = WriteScratchFile(scratch, "err.txt", "");
    std::wstring commandLine = L"\"" + exe + L"\"";
    for (const std::string& argument : arguments)
        commandLine += L" \"" + std::wstring(argument.begin(), argument.end()) + L"\"";

    // Started directly, not through the command shell: one process fewer,
    // and a failure to start is told apart from the tool's own exit code.
    HANDLE input = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE output = InheritableFile(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE errors = InheritableFile(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process = {};
    ToolRun run{kToolDidNotStart, "", ""};
    if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {input, output, errors})
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    run.out = ReadBytes(out);
    run.err = ReadBytes(err);
    for (std::string* text : {&run.out, &run.err})
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return run;
}
