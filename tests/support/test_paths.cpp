#include "support/test_paths.h"

const WCHAR kTestQueueName[] = L"Zentari TX-3390N";

std::wstring TestBinDirectory()
{
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring CreateScratchDirectory()
{
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (unsigned attempt = 0;; ++attempt) {
        std::wstring dir = std::wstring(temp) + L"kvtest-" +
                           std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(attempt);
        if (CreateDirectoryW(dir.c_str(), nullptr))
            return dir;
    }
}

void RemoveScratchDirectory(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((dir + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}
