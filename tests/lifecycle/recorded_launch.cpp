#include "recorded_launch.h"

#include <vector>

namespace {

std::wstring RecordOf(const std::wstring& program)
{
    return program + L".args";
}

} // namespace

std::string RecordedCommandLine(const std::wstring& program, DWORD waitMs)
{
    const std::wstring record = RecordOf(program);
    for (DWORD waited = 0;; waited += 50) {
        HANDLE file = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::vector<char> text(GetFileSize(file, nullptr));
            DWORD read = 0;
            const BOOL ok = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
            CloseHandle(file);
            if (ok && read > 0)
                return std::string(text.data(), read);
        }
        if (waited >= waitMs)
            return "";
        Sleep(50);
    }
}

void ForgetRecordedLaunch(const std::wstring& program)
{
    DeleteFileW(RecordOf(program).c_str());
}
