// What the N-up and poster handlers share. Both choices live in the one
// DEVMODE field multiPage (positive: pages per sheet, negative: poster
// sheets), and one administrator lock pins both to the printer's current
// setting.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// The page layout fields of a DriverDevmode; the defaults stand for "no
// DEVMODE of ours".
struct CurrentLayout {
    SHORT multiPage = 0;
    BYTE  pageOrder = 0;
    BYTE  multiLine = 1;
};

// Whether the administrator locks the page layout (N-up, poster and
// scaling) of the printer. When so, *current holds the layout of the
// printer's current DEVMODE, or stays as it was when the printer has none of
// ours. A NULL printer is never locked.
bool ReadLockedLayout(HANDLE printer, CurrentLayout* current);

// The display string id with its "%d" marks replaced, in turn, by counts
// (menu marks stripped); NULL-able through CountedName::Get.
class CountedName {
public:
    CountedName(UINT id, std::initializer_list<int> counts);
    const wchar_t* Get() const { return text_.empty() ? nullptr : text_.c_str(); }

private:
    std::wstring text_;
};
