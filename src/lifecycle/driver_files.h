// Places the lifecycle code shares: the files the driver package installs
// in the spooler's driver directory, and opening a file or directory to
// every user.
#pragma once

#include <windows.h>

#include <cstddef>

// <printer-driver directory>\3\<name>; FALSE when the spooler names no
// driver directory or the path does not fit.
BOOL InstalledDriverFilePath(const WCHAR* name, WCHAR* path, size_t capacity);

// Gives path a NULL DACL: everyone has full access. Failures are silent.
void GiveNullDacl(const WCHAR* path);
