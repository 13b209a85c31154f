// Running one of the build's console tools the way a user does, through the
// command shell, and collecting what it printed.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
    int exitCode;
    std::string out, err;   // without carriage returns
};

// The whole content of a file, as bytes.
std::string ReadBytes(const std::string& path);

// Writes bytes to name in directory and returns the file's path.
std::string WriteScratchFile(const std::wstring& directory, const std::string& name,
                             const std::string& bytes);

// Runs the program beside the test (exeName in the test's own directory)
// with arguments, its output going through files in scratch.
ToolRun RunTool(const wchar_t* exeName, const std::wstring& scratch,
                const std::vector<std::string>& arguments);
