// The version of a file as its directory entry tells it, without opening
// the file: what lets the driver keep what it read from a package file and
// still see any change to it on the next look.
#pragma once

#include <windows.h>

struct FileStamp {
    ULONGLONG written;   // last-write time
    ULONGLONG size;
    ULONGLONG readAt;    // when the stamp was taken
};

// The file's stamp now; FALSE when the file cannot be found.
BOOL ReadFileStamp(const WCHAR* path, FileStamp* stamp);

// TRUE when what was read under kept is still the file's content at now.
// A file written just before it was read may have been written again
// within the same tick of its timestamp; such a kept version never counts
// as current, so it is read again until the file has settled.
BOOL IsSameFileVersion(const FileStamp& kept, const FileStamp& now);
