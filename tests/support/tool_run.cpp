#include "support/tool_run.h"

#include "support/test_paths.h"

#include <algorithm>
#include <cstdlib>
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

ToolRun RunTool(const wchar_t* exeName, const std::wstring& scratch,
                const std::vector<std::string>& arguments)
{
    const std::wstring exe = TestBinDirectory() + L"\\" + exeName;
    const std::string out = WriteScratchFile(scratch, "out.txt", "");
    const std::string err = WriteScratchFile(scratch, "err.txt", "");
    // The command shell strips the outer pair of quotes.
    std::string command = "\"\"" + std::string(exe.begin(), exe.end()) + "\"";
    for (const std::string& argument : arguments) command += " \"" + argument + "\"";
    command += " >\"" + out + "\" 2>\"" + err + "\"\"";
    ToolRun run{std::system(command.c_str()), ReadBytes(out), ReadBytes(err)};
    for (std::string* text : {&run.out, &run.err})
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return run;
}
