// The Advanced page's rules without windows: the category buttons, the
// function list, the job-spooling checks, typed values and the booklet
// and duplex fields settled on apply.
#include "ui/advanced_rules.h"

#include "settings/devmode_bits.h"
#include "ui/setting_dialog_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Words(std::initializer_list<WORD> words)
{
    std::vector<BYTE> bytes(words.size() * sizeof(WORD));
    memcpy(bytes.data(), words.begin(), bytes.size());
    return bytes;
}

TEST(AdvancedRules, CategoryTableComesFromTheModelOrDefaultsToFive)
{
    const struct {
        const char* name;
        std::vector<BYTE> data;
        std::vector<WORD> kinds;
    } cases[] = {
        {"no resource", {}, {0, 1, 2, 3, 4}},
        {"reordered", Words({3, 4, 0, 2}), {4, 0, 2}},
        {"all six", Words({6, 0, 1, 2, 3, 4, 5}), {0, 1, 2, 3, 4, 5}},
        {"count beyond the buttons", Words({7, 0, 1, 2, 3, 4, 5, 0}), {0, 1, 2, 3, 4, 5}},
        {"count beyond the data", Words({4, 1, 3}), {1, 3}},
        {"unknown kind skipped", Words({3, 0, 9, 2}), {0, 2}},
        {"odd byte only", {0x05}, {0, 1, 2, 3, 4}},
        {"zero count", Words({0, 1, 2}), {}},
    };
    for (const auto& c : cases) {
        CategoryTable table;
        BuildCategoryTable(c.data.empty() ? nullptr : c.data.data(), static_cast<DWORD>(c.data.size()), &table);
        EXPECT_EQ(std::vector<WORD>(table.kinds, table.kinds + table.count), c.kinds) << c.name;
    }
}

TEST(AdvancedRules, FunctionListFollowsTheModelAndServiceItems)
{
    FunctionFacts full = {};
    full.resourceNumber = 1;
    full.sleepModes = full.statusMonitor = full.macros = full.pageProtect = full.hrc = true;
    FunctionFacts bare = {};
    bare.resourceNumber = 12;
    FunctionFacts capsListed = bare;
    capsListed.modelCaps = 0x01000000;
    FunctionFacts services = bare;
    services.serviceItems = 0x21;
    FunctionFacts allServices = full;
    allServices.serviceItems = 0x3F;
    const struct {
        const char* name;
        FunctionFacts facts;
        std::vector<WORD> codes;
    } cases[] = {
        {"everything", full, {0, 1, 2, 3, 4, 7, 8, 9, 10, 14, 15}},
        {"named-spool model without extras", bare, {0, 1, 8, 9, 15}},
        {"error printout by caps", capsListed, {0, 1, 8, 9, 14, 15}},
        {"collate and XPS service items", services, {0, 1, 8, 9, 15, 256, 263}},
        {"every service item", allServices, {0, 1, 2, 3, 4, 7, 8, 9, 10, 14, 15, 256, 257, 258, 261, 262, 263}},
    };
    for (const auto& c : cases) {
        WORD codes[kMaxFunctions];
        const int count = ListPrinterFunctions(c.facts, codes, kMaxFunctions);
        EXPECT_EQ(std::vector<WORD>(codes, codes + count), c.codes) << c.name;
    }
    WORD three[3];
    EXPECT_EQ(ListPrinterFunctions(full, three, 3), 3);
}

TEST(AdvancedRules, SecurePinIsExactlyFourDigits)
{
    const struct {
        const WCHAR* pin;
        bool valid;
    } cases[] = {
        {L"1234", true}, {L"0007", true}, {L"123", false}, {L"12345", false},
        {L"12a4", false}, {L"", false}, {L" 123", false}, {L"-123", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSecurePin(c.pin), c.valid) << c.pin;
}

TEST(AdvancedRules, PinAndNamesAreNeededOnlyInTheirModes)
{
    const struct {
        WORD mopy;
        WORD resourceNumber;
        bool pin;
        bool names;
    } cases[] = {
        {0x0101, 1, true, false},          // secure print
        {0x0001, 1, false, false},         // reprint off
        {0x0100, 1, false, false},         // last-job reprint
        {0x0301, 12, true, true},          // own names on a named-spool model
        {0x0302, 11, false, true},
        {0x0302, 14, false, false},        // other models take the system name
        {0x0102, 13, false, false},        // the system name is used
        {0x0300, 12, false, false},        // mode 0 keeps no names
    };
    for (const auto& c : cases) {
        PrivateSettings priv = {};
        priv.mopy = c.mopy;
        priv.resourceNumber = c.resourceNumber;
        EXPECT_EQ(NeedsSecurePin(priv), c.pin) << std::hex << c.mopy;
        EXPECT_EQ(NeedsOwnSpoolNames(priv), c.names) << std::hex << c.mopy << " " << std::dec << c.resourceNumber;
    }
    PrivateSettings priv = {};
    priv.mopy = 0x0301;
    priv.resourceNumber = 12;
    EXPECT_EQ(CheckSpoolNames(priv, L"", L"job"), kSpoolUserMissing);
    EXPECT_EQ(CheckSpoolNames(priv, L"user", L""), kSpoolJobMissing);
    EXPECT_EQ(CheckSpoolNames(priv, L"user", L"job"), kSpoolNamesGiven);
    priv.resourceNumber = 3;
    EXPECT_EQ(CheckSpoolNames(priv, L"", L""), kSpoolNamesGiven);
}

TEST(AdvancedRules, ServiceGestureTogglesByModifierKeys)
{
    const struct {
        BYTE items;
        WPARAM keys;
        BYTE after;
    } cases[] = {
        {0x00, MK_LBUTTON, 0x00},                         // no key: nothing
        {0x00, MK_LBUTTON | MK_CONTROL, 0x01},
        {0x21, MK_CONTROL, 0x20},
        {0x04, MK_SHIFT, 0x24},
        {0x24, MK_SHIFT, 0x04},
        {0x00, MK_CONTROL | MK_SHIFT, 0x21},
        {0x04, MK_CONTROL | MK_SHIFT, 0x00},               // any item set: all go
        {0x3F, MK_CONTROL | MK_SHIFT | MK_LBUTTON, 0x00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToggleServiceItems(c.items, c.keys), c.after) << std::hex << int(c.items) << " " << c.keys;
}

// "SecureAppOnly": applications start secure printing, the page may only
// end it.
TEST(AdvancedRules, SecurePrintChoiceFollowsSecureAppOnly)
{
    const struct {
        WORD mopy;
        DWORD spoolingClass;
        bool appOnly;
        bool radio;
        bool reprint;
    } cases[] = {
        {0x0100, 0, false, true, true},
        {0x0100, 0, true, false, true},     // last-job reprint: secure print not offered
        {0x0101, 0, true, true, true},      // chosen by an application: stays editable
        {0x0001, 0, true, false, true},     // reprint off: mode 1 is not secure print
        {0x0000, 2, true, false, false},    // secure-print class: reprint would start it
        {0x0101, 2, true, true, true},      // ... but may end it
        {0x0000, 2, false, true, true},
    };
    for (const auto& c : cases) {
        PrivateSettings priv = {};
        priv.mopy = c.mopy;
        priv.modelFeatures = c.spoolingClass << 20;
        const SecurePrintChoice choice = SecurePrintChoiceOf(priv, c.appOnly);
        EXPECT_EQ(choice.secureRadio, c.radio) << std::hex << c.mopy << " class " << c.spoolingClass;
        EXPECT_EQ(choice.reprintBox, c.reprint) << std::hex << c.mopy << " class " << c.spoolingClass;
    }
}

TEST(AdvancedRules, ApplySettlesBookletAndDuplex)
{
    const struct {
        const char* name;
        WORD duplex;
        BYTE booklet;
        BYTE bindFlags;
        short orientation;
        BYTE bookletAfter;
        WORD layout;
        DWORD mode;
        DWORD offset;
        DWORD automatic;
        WORD bindingOffset;
    } cases[] = {
        {"long edge portrait", 0x0300, 1, kBindOffsetOn, DMORIENT_PORTRAIT, 1, 1, 1, 50, 1, 50},
        {"long edge landscape manual", 0x0100, 1, kBindOffsetOn, DMORIENT_LANDSCAPE, 1, 1, 3, 50, 0, 50},
        {"short edge portrait", 0x0101, 1, kBindOffsetOn, DMORIENT_PORTRAIT, 1, 2, 2, 50, 0, 50},
        {"short edge landscape", 0x0301, 1, kBindOffsetOn, DMORIENT_LANDSCAPE, 1, 2, 4, 50, 1, 50},
        {"offset off clears it", 0x0100, 1, 0, DMORIENT_PORTRAIT, 1, 1, 1, 0, 0, 0},
        {"booklet needs duplex", 0x0000, 1, kBindOffsetOn, DMORIENT_PORTRAIT, 0, 0, 0, 0, 1, 50},
        {"top edge ends booklet", 0x0102, 1, kBindOffsetOn, DMORIENT_PORTRAIT, 0, 0, 0, 0, 1, 50},
        {"duplex without booklet", 0x0300, 0, kBindOffsetOn, DMORIENT_PORTRAIT, 0, 0, 0, 0, 1, 50},
    };
    for (const auto& c : cases) {
        PrivateSettings priv = {};
        priv.duplex = c.duplex;
        priv.booklet = c.booklet;
        priv.bindFlags = c.bindFlags;
        priv.bindingOffset = 50;
        priv.processor.procDuplexMode = 9;
        SettleBookletAndDuplex(&priv, c.orientation);
        EXPECT_EQ(priv.booklet, c.bookletAfter) << c.name;
        EXPECT_EQ(priv.bookletLayout, c.layout) << c.name;
        EXPECT_EQ(priv.processor.procDuplexMode, c.mode) << c.name;
        EXPECT_EQ(priv.processor.procDuplexOffset, c.offset) << c.name;
        EXPECT_EQ(priv.processor.procDuplexAuto, c.automatic) << c.name;
        EXPECT_EQ(priv.processor.procDuplex, c.duplex) << c.name;
        EXPECT_EQ(priv.bindingOffset, c.bindingOffset) << c.name;
    }
}

TEST(AdvancedRules, TypedNumbersAreCorrectedIntoTheirRanges)
{
    const struct {
        LONGLONG offset;
        LONG stored;
    } offsets[] = {
        {-20000000, -14224000}, {4000000, 3556000}, {-14224000, -14224000}, {3556000, 3556000}, {0, 0}, {-1, -1},
    };
    for (const auto& c : offsets)
        EXPECT_EQ(ClampXpsOffset(c.offset), c.stored) << c.offset;

    const struct {
        const WCHAR* text;
        int typing;
        int leaving;
    } scalings[] = {
        {L"500", 400, 400}, {L"10", 25, 25}, {L"25", 25, 25}, {L"400", 400, 400},
        {L"120", 120, 120}, {L"", -1, 25}, {L"abc", -1, 25}, {L"99999999999999", 400, 400},
    };
    for (const auto& c : scalings) {
        EXPECT_EQ(FreeScalingWhileTyping(c.text), c.typing) << c.text;
        EXPECT_EQ(FreeScalingOnLeave(c.text), c.leaving) << c.text;
    }

    const struct {
        const WCHAR* text;
        bool number;
        LONGLONG value;
    } decimals[] = {
        {L"12", true, 12}, {L" -7 ", true, -7}, {L"+3", true, 3}, {L"1e3", false, 0},
        {L"-", false, 0}, {L"", false, 0}, {L"4 2", false, 0},
    };
    for (const auto& c : decimals) {
        LONGLONG value = 0;
        EXPECT_EQ(ReadDecimalText(c.text, &value), c.number) << c.text;
        if (c.number) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(AdvancedRules, BindingOffsetIsCheckedInTheUnitOfTheEntry)
{
    const struct {
        const WCHAR* text;
        bool inches;
        BindingOffsetOutcome outcome;
        LONG value;
    } cases[] = {
        {L"", false, kBindingValid, 0},
        {L"12.5", false, kBindingValid, 125},
        {L"203.2", false, kBindingValid, 2032},
        {L"203.3", false, kBindingOutOfRange, 2032},
        {L"12.55", false, kBindingRestore, 0},
        {L"x1", false, kBindingClear, 0},
        {L"8", true, kBindingValid, 800},
        {L"8.01", true, kBindingOutOfRange, 800},
        {L"0.5", true, kBindingValid, 50},
        {L"1.234", true, kBindingRestore, 0},
    };
    for (const auto& c : cases) {
        const BindingOffsetCheck check = CheckBindingOffset(c.text, c.inches);
        EXPECT_EQ(check.outcome, c.outcome) << c.text;
        if (c.outcome == kBindingValid || c.outcome == kBindingOutOfRange) {
            EXPECT_EQ(check.value, c.value) << c.text;
        }
    }
    // Units convert through hundredths of an inch and back.
    EXPECT_EQ(BindingOffsetInUnit(2032, true), 800);
    EXPECT_EQ(BindingOffsetFromUnit(800, true), 2032);
    EXPECT_EQ(BindingOffsetFromUnit(50, true), 127);
    EXPECT_EQ(BindingOffsetInUnit(125, false), 125);
}

TEST(AdvancedRules, LabelsAndDensityRead)
{
    const struct {
        const WCHAR* label;
        const WCHAR* text;
    } labels[] = {
        {L"Binding &Offset", L"Binding Offset"}, {L"R&&D", L"R&D"}, {L"&Secure Print", L"Secure Print"}, {L"", L""},
    };
    for (const auto& c : labels) {
        WCHAR text[64];
        StripAccelerators(c.label, text, ARRAYSIZE(text));
        EXPECT_STREQ(text, c.text);
    }
    const struct {
        int value;
        const WCHAR* text;
    } densities[] = {{3, L"+3"}, {0, L"0"}, {-6, L"-6"}};
    for (const auto& c : densities) {
        WCHAR text[8];
        FormatSignedLevel(c.value, text, ARRAYSIZE(text));
        EXPECT_STREQ(text, c.text);
    }
}

} // namespace
