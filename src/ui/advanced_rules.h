// The Advanced page's rules that need no window: the category buttons,
// the printer functions it lists, the checks that keep a user on the page,
// the corrections it makes to typed values and the booklet and duplex
// fields it settles on apply.
#pragma once

#include "settings/driver_devmode.h"

#include <windows.h>

// Category kinds, in the order of their strings and help contexts.
enum AdvancedCategory : WORD {
    kCategoryQuality = 0,
    kCategoryDuplex,
    kCategoryWatermark,
    kCategoryPageSetting,
    kCategoryDeviceOptions,
    kCategoryDestination,
    kCategoryKinds = 7,
};
constexpr int kCategoryButtons = 6;

struct CategoryTable {
    WORD kinds[kCategoryKinds];
    int count;
};

// The table from the model's category resource (a count, then the kind of
// each button), or the first five kinds in order when there is none. A
// count beyond the buttons or the resource, and kinds no page has, are
// not taken.
void BuildCategoryTable(const BYTE* data, DWORD bytes, CategoryTable* table);

// What decides which printer functions a model lists.
struct FunctionFacts {
    DWORD modelCaps;
    DWORD modelFeatures;
    WORD resourceNumber;
    BYTE serviceItems;
    bool sleepModes;         // the model lists sleep times
    bool statusMonitor;      // the status monitor is installed
    bool macros;             // the model offers macro settings
    bool pageProtect;        // the model has the page-protection feature
    bool hrc;                // the model has the edge-smoothing feature
};
constexpr int kMaxFunctions = 24;

// Function codes of the list, in list order; returns how many.
int ListPrinterFunctions(const FunctionFacts& facts, WORD* codes, int capacity);

// The service functions a double click in the job-spooling group offers
// or withdraws, by the keys held (MK_CONTROL, MK_SHIFT): Ctrl the collate
// field, Shift the XPS settings, both together all of them at once, or
// none again. Without either key nothing changes.
BYTE ToggleServiceItems(BYTE items, WPARAM keys);

// The model's job-spooling class (which controls the page shows); class 2
// keeps jobs as secure prints only.
constexpr DWORD kSecurePrintClass = 2;
DWORD SpoolingClass(const PrivateSettings& priv);

// How the page may change secure printing. With "SecureAppOnly" only the
// applications that support it start secure printing: the page can then
// end it and edit its password, but not choose it.
struct SecurePrintChoice {
    bool secureRadio;      // "&Secure Print" may be chosen
    bool reprintBox;       // "Use &Reprint" may be clicked
};
SecurePrintChoice SecurePrintChoiceOf(const PrivateSettings& priv, bool secureAppOnly);

// Whether leaving the page needs a secure-print password: reprint on and
// the secure-print mode chosen.
bool NeedsSecurePin(const PrivateSettings& priv);

// Exactly four decimal digits.
bool IsSecurePin(const WCHAR* text);

// Whether jobs are kept under the user's own names on a model that needs
// them given: reprint on in a named mode, the system name not used.
bool NeedsOwnSpoolNames(const PrivateSettings& priv);

enum SpoolNamesCheck { kSpoolNamesGiven, kSpoolUserMissing, kSpoolJobMissing };

// The own user and job names that models of the named resource numbers
// need when jobs are kept under names other than the system's.
SpoolNamesCheck CheckSpoolNames(const PrivateSettings& priv, const WCHAR* user, const WCHAR* job);

// The booklet and duplex fields as the job needs them: booklet only with
// duplex and a long- or short-edge layout, the job processor's duplex
// fields to match. orientation is the public DEVMODE's.
void SettleBookletAndDuplex(PrivateSettings* priv, short orientation);

// XPS offsets the rendering side accepts.
constexpr LONG kXpsOffsetLowest = -14224000;
constexpr LONG kXpsOffsetHighest = 3556000;
LONG ClampXpsOffset(LONGLONG value);

// Free scaling, percent.
constexpr int kFreeScalingLowest = 25;
constexpr int kFreeScalingHighest = 400;
int ClampFreeScaling(LONGLONG percent);
// While typing: a number outside the range becomes its bound; -1 when the
// text is no number (left alone until the edit loses the focus).
int FreeScalingWhileTyping(const WCHAR* text);
// On leaving the edit: a non-number or too small a value becomes 25.
int FreeScalingOnLeave(const WCHAR* text);

// Binding offset: kept in tenths of a millimetre, shown in the unit of the
// radios (tenths of a millimetre or hundredths of an inch).
constexpr LONG kBindingOffsetMax = 2032;
LONG BindingOffsetInUnit(LONG tenths, bool inches);
LONG BindingOffsetFromUnit(LONG value, bool inches);

enum BindingOffsetOutcome {
    kBindingValid,       // value holds the entry
    kBindingRestore,     // malformed: show the last valid value again
    kBindingClear,       // malformed and not starting with a digit: empty the edit
    kBindingOutOfRange,  // value holds the nearer bound
};
struct BindingOffsetCheck {
    BindingOffsetOutcome outcome;
    LONG value;          // in the unit of the entry
};
BindingOffsetCheck CheckBindingOffset(const WCHAR* text, bool inches);

// The text of a numeric entry as a plain decimal number ("-12", "+7" and
// surrounding blanks read; anything else is no number).
bool ReadDecimalText(const WCHAR* text, LONGLONG* value);


// Label text without accelerator marks ("Binding &Offset" -> "Binding Offset").
void StripAccelerators(const WCHAR* label, WCHAR* text, size_t capacity);
