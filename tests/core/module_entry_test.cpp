// Process attach and detach of the real KVUIDRV.DLL, and the language
// module look-up behind it.
#include "core/driver_strings.h"
#include "core/module_entry.h"
#include "core/module_state.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

namespace {

std::wstring BinFile(const WCHAR* name)
{
    return TestBinDirectory() + L"\\" + name;
}

bool ClassRegistered(const WCHAR* name, WNDCLASSW* info = nullptr)
{
    WNDCLASSW scratch;
    return GetClassInfoW(nullptr, name, info ? info : &scratch) != FALSE;
}

TEST(ModuleEntry, RegistersGlobalControlClassesWhileLoaded)
{
    HMODULE module = LoadLibraryW(BinFile(L"KVUIDRV.DLL").c_str());
    ASSERT_NE(module, nullptr);
    for (const WCHAR* name : {L"TX3300UD_1", L"TX3300UD_3"}) {
        WNDCLASSW info = {};
        ASSERT_TRUE(ClassRegistered(name, &info)) << "class missing while loaded";
        EXPECT_EQ(info.style, 0x400Bu);
        EXPECT_EQ(info.cbClsExtra, 0);
        EXPECT_EQ(info.cbWndExtra, 8);
        EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    }
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(ClassRegistered(L"TX3300UD_1"));
    EXPECT_FALSE(ClassRegistered(L"TX3300UD_3"));
}

TEST(ModuleEntry, LoadsAndUnloadsRepeatedly)
{
    const std::wstring path = BinFile(L"KVUIDRV.DLL");
    for (int round = 0; round < 40; ++round) {
        HMODULE module = LoadLibraryW(path.c_str());
        ASSERT_NE(module, nullptr) << "round " << round;
        ASSERT_TRUE(ClassRegistered(L"TX3300UD_1")) << "round " << round;
        ASSERT_TRUE(FreeLibrary(module));
        ASSERT_FALSE(ClassRegistered(L"TX3300UD_1")) << "round " << round;
        ASSERT_EQ(GetModuleHandleW(BinFile(L"KVUILANG.DLL").c_str()), nullptr)
            << "language module leaked in round " << round;
    }
}

TEST(ModuleEntry, HoldsLanguageModuleFromItsOwnDirectory)
{
    HMODULE module = LoadLibraryW(BinFile(L"KVUIDRV.DLL").c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetModuleHandleW(BinFile(L"KVUILANG.DLL").c_str()), nullptr);
    FreeLibrary(module);
    EXPECT_EQ(GetModuleHandleW(BinFile(L"KVUILANG.DLL").c_str()), nullptr);
}

TEST(ModuleEntry, WorksWithoutLanguageModuleFromOwnResources)
{
    std::wstring dir = CreateScratchDirectory();
    std::wstring copy = dir + L"\\KVUIDRV.DLL";
    ASSERT_TRUE(CopyFileW(BinFile(L"KVUIDRV.DLL").c_str(), copy.c_str(), FALSE));

    HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"KVUILANG.DLL"), nullptr);
    EXPECT_TRUE(ClassRegistered(L"TX3300UD_1"));
    WCHAR text[32] = {};
    EXPECT_GT(LoadStringW(module, 4227, text, 32), 0) << "fallback strings missing";
    EXPECT_STREQ(text, L"ENGLISH");
    FreeLibrary(module);
    RemoveScratchDirectory(dir);
}

TEST(LanguageModule, FoundBesideTheModuleFileName)
{
    HMODULE language = LoadLanguageModuleBeside(BinFile(L"KVUIDRV.DLL").c_str());
    ASSERT_NE(language, nullptr);
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(language, path, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(path, BinFile(L"KVUILANG.DLL").c_str()), 0);
    FreeLibrary(language);
}

TEST(LanguageModule, MissingBesideTheModuleGivesNull)
{
    std::wstring dir = CreateScratchDirectory();
    EXPECT_EQ(LoadLanguageModuleBeside((dir + L"\\KVUIDRV.DLL").c_str()), nullptr);
    RemoveScratchDirectory(dir);
}

TEST(LanguageModule, BareFileNameLoadsByName)
{
    // No directory part: the loader's search order applies, which finds the
    // copy beside this program.
    HMODULE language = LoadLanguageModuleBeside(L"KVUIDRV.DLL");
    ASSERT_NE(language, nullptr);
    FreeLibrary(language);
}

TEST(DriverStrings, ComeFromTheLanguageModuleAfterAttach)
{
    // This program has no string resources of its own, so every string read
    // after attach must come from the language module beside it.
    HMODULE self = GetModuleHandleW(nullptr);
    ASSERT_TRUE(ModuleProcessAttach(self));
    EXPECT_NE(g_module.resourceModule, self);

    WCHAR text[32];
    EXPECT_GT(LoadDriverString(4227, text, 32), 0);
    EXPECT_STREQ(text, L"ENGLISH");
    EXPECT_GT(LoadDriverString(4037, text, 32), 0);
    EXPECT_STREQ(text, L"TraysPaper");
    EXPECT_EQ(LoadDriverString(4051, text, 32), 0) << "unassigned key must stay missing";
    EXPECT_STREQ(text, L"");

    for (int i = 0; i < kControlClassSlots; ++i) {
        EXPECT_NE(g_module.classProcs[i], nullptr) << "slot " << i;
        EXPECT_NE(g_module.replacementProcs[i], nullptr) << "slot " << i;
    }
    ASSERT_TRUE(ModuleProcessDetach());
    EXPECT_FALSE(ClassRegistered(L"TX3300UD_1"));
}

} // namespace
