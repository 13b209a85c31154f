// The printer-settings page: a fixed one-page document the printer answers
// with a print of its own settings.
#pragma once

#include <windows.h>

constexpr DWORD kSettingsPageSize = 4783;

// Sends the page to printer as a raw job named "Maintenance_ink_pr". TRUE
// when every byte was written.
BOOL PrintSettingsPage(HANDLE printer);
