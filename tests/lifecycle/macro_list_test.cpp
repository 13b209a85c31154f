// The user's macro list file as job preparation edits it: ids in ascending
// lists of ten per key, names by id.
#include "lifecycle/companion_programs.h"
#include "lifecycle/macro_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WCHAR kListFile[] = L"KVMACTST.INI";

TEST(MacroIds, ListTextsAreReadUpToTheFirstStrangeCharacter)
{
    struct Case {
        const WCHAR* text;
        std::vector<WORD> ids;
    } const cases[] = {
        {L"12,7,300", {12, 7, 300}},
        {L"", {}},
        {L"5,,6", {5, 6}},
        {L"1,2;3", {1, 2}},
        {L"4 ,5", {4}},
        {L",9", {9}},
    };
    for (const Case& c : cases) {
        WORD ids[8] = {};
        int count = 0;
        EXPECT_TRUE(ParseMacroIds(c.text, ids, &count, 8));
        EXPECT_EQ(std::vector<WORD>(ids, ids + count), c.ids);
    }
}

TEST(MacroIds, AFullBufferStopsTheReading)
{
    WORD ids[2] = {};
    int count = 0;
    EXPECT_FALSE(ParseMacroIds(L"1,2,3", ids, &count, 2));
    EXPECT_EQ(count, 2);
}

std::wstring Numbers(int first, int last, int step)
{
    std::wstring text;
    for (int i = first; i <= last; i += step)
        text += (text.empty() ? L"" : L",") + std::to_wstring(i);
    return text;
}

class MacroList : public ::testing::Test {
protected:
    void SetUp() override
    {
        WCHAR folder[MAX_PATH];
        ASSERT_TRUE(UserDataFolder(folder, MAX_PATH));
        const std::wstring dir(folder);
        CreateDirectoryW(dir.substr(0, dir.find_last_of(L'\\')).c_str(), nullptr);
        CreateDirectoryW(dir.c_str(), nullptr);
        file_ = dir + L"\\" + kListFile;
        DeleteFileW(file_.c_str());
        lstrcpyW(settings_.optionInformationFile, kListFile);
        lstrcpyW(settings_.macroName, L"Letterhead");
    }
    void TearDown() override { DeleteFileW(file_.c_str()); }

    void Write(const WCHAR* section, const WCHAR* key, const std::wstring& value)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), file_.c_str()));
    }
    std::wstring Read(const WCHAR* section, const std::wstring& key)
    {
        WCHAR text[1100];
        GetPrivateProfileStringW(section, key.c_str(), L"<none>", text, ARRAYSIZE(text), file_.c_str());
        return text;
    }
    std::vector<std::wstring> IdLists()
    {
        std::vector<std::wstring> lists;
        for (int i = 0;; ++i) {
            const std::wstring text = Read(L"MACROS", L"IDLIST" + std::to_wstring(i));
            if (text == L"<none>")
                return lists;
            lists.push_back(text);
        }
    }

    std::wstring file_;
    PrivateSettings settings_ = {};
};

TEST_F(MacroList, NewIdsAreListedInOrderTenPerKey)
{
    struct Case {
        const char* what;
        std::vector<std::wstring> before;
        DWORD macroId;
        std::vector<std::wstring> after;
    } const cases[] = {
        {"first macro", {}, 7, {L"7"}},
        {"sorted in", {L"3,9"}, 5, {L"3,5,9"}},
        {"23 ids", {Numbers(2, 20, 2), Numbers(22, 40, 2), L"42,44"}, 23,
         {Numbers(2, 20, 2), L"22,23,24,26,28,30,32,34,36,38", L"40,42,44"}},
        {"already listed", {Numbers(1, 10, 1), L"11,12"}, 12, {Numbers(1, 10, 1), L"11,12"}},
        {"listed by its low word", {L"4"}, 0x00010004, {L"4"}},
        {"unsorted lists are kept as they are", {L"9,3"}, 3, {L"9,3"}},
    };
    for (const Case& c : cases) {
        DeleteFileW(file_.c_str());
        for (size_t i = 0; i < c.before.size(); ++i)
            Write(L"MACROS", (L"IDLIST" + std::to_wstring(i)).c_str(), c.before[i]);
        settings_.macroId = c.macroId;
        RegisterMacro(&settings_);
        EXPECT_EQ(IdLists(), c.after) << c.what;
        EXPECT_EQ(Read(L"MACROCONFIG", std::to_wstring(c.macroId)), L"Letterhead") << c.what;
    }
}

TEST_F(MacroList, TheNameIsRewrittenAndTheOverlayEntryDroppedOnRequest)
{
    struct Case {
        WORD specialFlags;
        const WCHAR* overlayAfter;
    } const cases[] = {
        {0x0000, L"kept"},
        {0x0001, L"kept"},
        {0x0002, L"<none>"},
        {0xFFFF, L"<none>"},
    };
    for (const Case& c : cases) {
        DeleteFileW(file_.c_str());
        Write(L"MACROS", L"IDLIST0", L"31");
        Write(L"MACROCONFIG", L"31", L"Old name");
        Write(L"MACROCONFIG", L"B31", L"kept");
        Write(L"MACROCONFIG", L"B32", L"other");
        settings_.macroId = 31;
        settings_.specialFlags = c.specialFlags;
        RegisterMacro(&settings_);
        EXPECT_EQ(Read(L"MACROCONFIG", L"31"), L"Letterhead") << c.specialFlags;
        EXPECT_EQ(Read(L"MACROCONFIG", L"B31"), c.overlayAfter) << c.specialFlags;
        EXPECT_EQ(Read(L"MACROCONFIG", L"B32"), L"other") << c.specialFlags;
        EXPECT_EQ(IdLists(), std::vector<std::wstring>{L"31"}) << c.specialFlags;
    }
}

TEST_F(MacroList, UnterminatedNamesAreCut)
{
    for (WCHAR& c : settings_.macroName)
        c = L'M';
    for (WCHAR& c : settings_.optionInformationFile)
        c = L'O';
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(MacroListPath(&settings_, path, MAX_PATH));
    const std::wstring name(path);
    EXPECT_EQ(name.substr(name.find_last_of(L'\\') + 1), std::wstring(16, L'O'));
}

} // namespace
