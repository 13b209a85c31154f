// The document sheet's "Advanced" page (template 146): the less common
// settings, grouped in categories chosen by a row of picture buttons.
#pragma once

#include <windows.h>

constexpr WORD kAdvancedTemplate = 146;

INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
