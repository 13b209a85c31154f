// Running one of the build's console tools and collecting what it printed.
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

// The exit code of a run whose program could not be started.
constexpr int kToolDidNotStart = -1;

// Runs the program beside the test (exeName in the test's own directory)
// with arguments, its output going through files in scratch.
ToolRun RunTool(const wchar_t* exeName, const std::wstring& scratch,
                const std::vector<std::string>& arguments);
