// The rules of the user-defined paper size: the sizes the printer takes in
// either unit, the exact conversion between the units, and the edits of the
// printer's list of named sizes. No windows here, so every rule can be
// checked on its own.
#pragma once

#include "settings/driver_devmode.h"
#include "settings/profile_text.h"

#include <windows.h>

enum PaperDimension { kPaperWidth = 0, kPaperHeight, kPaperDimensions };
enum PaperUnit : WORD { kUnitMillimetre = 0, kUnitInch = 1 };

// Codes of the named sizes; 256 is the unnamed user-defined size.
constexpr WORD kFirstCustomPaperCode = 300;
constexpr WORD kLastCustomPaperCode = 315;

// A value as the dialog shows it: tenths of a millimetre or hundredths of
// an inch.
struct ShownRange {
    LONG lower;
    LONG upper;
};

PaperUnit PaperUnitOf(WORD stored);
int UnitDecimals(PaperUnit unit);
ShownRange CustomSizeRange(PaperDimension dimension, PaperUnit unit);
LONG NearerBound(LONG shown, const ShownRange& range);

// A shown value in tenths of a millimetre. An inch bound becomes the exact
// millimetre bound, so 16.00 in is 406.4 mm and not 406.5.
LONG TenthsMmOfShown(LONG shown, PaperDimension dimension, PaperUnit unit);
LONG ShownOfTenthsMm(LONG tenthsMm, PaperUnit unit);

// A shown value re-expressed in another unit.
LONG ConvertShown(LONG shown, PaperDimension dimension, PaperUnit from, PaperUnit to);

BOOL IsCustomPaperCode(LONG code);

// Paper names compare as the spooler compares form names: without case.
BOOL SamePaperName(const WCHAR* a, const WCHAR* b);

// Removes the characters that separate the stored list's items (',' and
// ';'), which a name cannot hold. TRUE when any was removed.
BOOL RemoveListSeparators(WCHAR* name);

// Position of the named size in the list, -1 when it has none.
int FindCustomPaper(const ProfileCustomPaperList& list, const WCHAR* name);

enum CustomPaperSave { kPaperReplaced, kPaperAdded, kPaperListFull };

// Saves the size under name: an existing name (in any case) takes the new
// spelling and size and keeps its code; a new name gets the lowest free code.
// *index receives the entry's position unless the list is full.
CustomPaperSave SaveCustomPaper(ProfileCustomPaperList* list, const WCHAR* name, PaperUnit unit,
                                LONG widthTenthsMm, LONG lengthTenthsMm, int* index);

// Removes the named size; FALSE when the list has no such name.
BOOL DeleteCustomPaper(ProfileCustomPaperList* list, const WCHAR* name);

// Drops the entries a damaged value may hold that cannot be picked by name
// or would be taken for another: no name, a name already listed, a code
// outside 300..315 or one already used. Returns the number dropped.
int TidyCustomPaperList(ProfileCustomPaperList* list);

// Trays loaded with a named size that the list no longer has become trays
// without paper. Returns the number of trays changed.
int ClearTraysOfDeletedPapers(TrayPaperEntry (&trays)[kTrayPaperEntries],
                              const ProfileCustomPaperList& list);
