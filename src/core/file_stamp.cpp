#include "core/file_stamp.h"

namespace {

// How long after its last write a file counts as settled, in 100 ns units.
const ULONGLONG kSettleTime = 10000000;   // one second

ULONGLONG Join(DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; }

} // namespace

BOOL ReadFileStamp(const WCHAR* path, FileStamp* stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!path || !stamp || !GetFileAttributesExW(path, GetFileExInfoStandard, &attributes))
        return FALSE;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    stamp->written =
        Join(attributes.ftLastWriteTime.dwHighDateTime, attributes.ftLastWriteTime.dwLowDateTime);
    stamp->size = Join(attributes.nFileSizeHigh, attributes.nFileSizeLow);
    stamp->readAt = Join(now.dwHighDateTime, now.dwLowDateTime);
    return TRUE;
}

BOOL IsSameFileVersion(const FileStamp& kept, const FileStamp& now)
{
    return kept.written == now.written && kept.size == now.size &&
           kept.readAt >= kept.written && kept.readAt - kept.written >= kSettleTime;
}
