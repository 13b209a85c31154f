// The demonstration tour of a sheet: each page, then each dialog a page
// opens, shown in turn while a screenshot is taken.
//
// For each view the tour writes "<dir>\request" holding one line
// "name x y width height" (the window's name and its screen rectangle) and
// waits until the file is gone, which the screenshot script does after
// taking its picture. At the end the tour cancels the sheet.
#pragma once

#include <windows.h>

void StartSheetTour(HWND sheet, const WCHAR* directory);

// Waits for a started tour to end; nothing when none runs.
void FinishSheetTour();
