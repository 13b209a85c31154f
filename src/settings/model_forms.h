// The model's page sizes as spooler forms.
#pragma once

#include "core/model_context.h"

#include <windows.h>

// The spooler's form calls, replaceable so tests can record them (the
// platforms the tests run on do not keep added forms).
struct SpoolerFormCalls {
    BOOL (WINAPI* addForm)(HANDLE, DWORD, LPBYTE);
    BOOL (WINAPI* deleteForm)(HANDLE, LPWSTR);
    BOOL (WINAPI* enumForms)(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
};
// Installs calls (null restores the spooler's own); returns the previous ones.
SpoolerFormCalls SetSpoolerFormCalls(const SpoolerFormCalls* calls);

BOOL RegisterModelForms(HANDLE printer, const ModelContext* model);
BOOL RefreshModelForms(HANDLE printer, const ModelContext* model);

// After a queue moved to this driver: user forms named like the model's
// page sizes are removed and the page sizes registered again, also when
// they never were. FALSE (nothing done) without page sizes or a form list.
BOOL ResynchroniseModelForms(HANDLE printer, const ModelContext* model);
