// COM registration of the XPS filter pipeline's remote interfaces: the five
// interfaces the filter server (KVRH.EXE) exposes, their proxy/stub class
// (KVRH.DLL) and the out-of-process server with its launch and access
// permissions. Rewritten unchanged whenever a queue is set up or refreshed.
#pragma once

#include <windows.h>

// Both permission values are self-relative security descriptors of this size.
const DWORD kFilterPermissionBytes = 144;

enum FilterPermission {
    kFilterLaunchPermission,   // who may start the server
    kFilterAccessPermission,   // who may call into it
};

// Fills out with the descriptor stored for which.
void BuildFilterPermission(FilterPermission which, BYTE (&out)[kFilterPermissionBytes]);

// Writes the three Interface keys of one interface. Silent on failure.
void RegisterFilterInterface(const WCHAR* iid, const WCHAR* name, const WCHAR* proxyStubClsid,
                             int methodCount);

// Writes every key and value of the registration. Silent on failure: a
// caller without write access leaves the previous registration in place.
void RegisterFilterInterfaces();
