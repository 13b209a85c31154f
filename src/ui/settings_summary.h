// The settings summary of the Support page: the main settings of the
// session's record as "label<TAB>value" lines in a read-only edit.
#pragma once

#include "core/ui_session.h"
#include "settings/driver_devmode.h"

#include <windows.h>

constexpr WORD kSettingsSummaryTemplate = 123;
constexpr WORD kIdSummaryText = 3968;
constexpr size_t kSummaryBytes = 4096;

// Removes the accelerator marks of a control label in place: "&Copies"
// becomes "Copies" and "&&" a single "&".
void RemoveAccelerators(WCHAR* text);

// The summary of the session's settings, each value named as the pages
// name it. FALSE when it does not fit in capacity characters.
BOOL BuildSettingsSummary(UiSession* session, WCHAR* text, size_t capacity);

// The modal summary dialog over owner.
void ShowSettingsSummary(HWND owner, UiSession* session);
