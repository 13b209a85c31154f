// The watermark store through the real profile functions.
#include "settings/watermark_store.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WCHAR kPrinter[] = L"Store Test Printer";

struct CollectedList {
    std::vector<std::wstring> names;
    int selected = -1;
};

const WatermarkListSink kCollectingSink = {
    nullptr,
    [](void* c) { static_cast<CollectedList*>(c)->names.clear(); },
    [](void* c, const WCHAR* name) { static_cast<CollectedList*>(c)->names.push_back(name); },
    [](void* c, WORD position) { static_cast<CollectedList*>(c)->selected = position; },
};

class WatermarkStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = CreateScratchDirectory();
        store_ = dir_ + L"\\KVWMARK.INI";
        ZeroMemory(&state_, sizeof(state_));
        lstrcpyW(state_.storePath, store_.c_str());
        lstrcpyW(state_.printerName, kPrinter);
        record_.resize(2672);
        dm_ = reinterpret_cast<DEVMODEW*>(record_.data());
        dm_->dmSize = 220;
        dm_->dmDriverExtra = 2452;
    }
    void TearDown() override
    {
        ReleaseWatermarkState(&state_);
        RemoveScratchDirectory(dir_);
    }

    void Write(const WCHAR* section, const WCHAR* key, const WCHAR* value, const std::wstring& file)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, file.c_str()));
    }
    void List(const std::wstring& file, std::initializer_list<const WCHAR*> names)
    {
        int i = 0;
        for (const WCHAR* name : names)
            Write(L":kvwatermark:", std::to_wstring(i++).c_str(), name, file);
    }
    std::wstring Read(const WCHAR* section, const WCHAR* key, const std::wstring& file)
    {
        WCHAR value[256] = {};
        GetPrivateProfileStringW(section, key, L"", value, 256, file.c_str());
        return value;
    }
    ProcessorBlock& Block() { return PrivatePart(dm_)->processor; }

    std::wstring dir_, store_;
    WatermarkState state_;
    std::vector<BYTE> record_;
    DEVMODEW* dm_ = nullptr;
};

TEST_F(WatermarkStore, ListEndsAtItsFirstGap)
{
    Write(L":kvwatermark:", L"0", L"Alpha", store_);
    Write(L":kvwatermark:", L"1", L"Beta", store_);
    Write(L":kvwatermark:", L"3", L"Delta", store_);
    Write(L"Beta", L"Strings", L"BETA", store_);
    Write(kPrinter, L"Current", L"1", store_);
    CollectedList list;
    WatermarkListSink sink = kCollectingSink;
    sink.context = &list;
    ASSERT_TRUE(LoadCurrentWatermark(&state_, dm_, &sink));
    EXPECT_EQ(list.names, (std::vector<std::wstring>{L"Alpha", L"Beta"}));
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(state_.selectedIndex, 1);
    EXPECT_EQ(PrivatePart(dm_)->watermarkIndex, 1);
    EXPECT_STREQ(Block().watermark.text, "BETA");
}

TEST_F(WatermarkStore, CurrentPastTheListIsReset)
{
    List(store_, {L"Only"});
    Write(kPrinter, L"Current", L"5", store_);
    ASSERT_TRUE(LoadCurrentWatermark(&state_, dm_, nullptr));
    EXPECT_EQ(state_.selectedIndex, 0);
    EXPECT_EQ(Read(kPrinter, L"Current", store_), L"0");
}

TEST_F(WatermarkStore, EmptyStoreLoadsNothing)
{
    EXPECT_FALSE(LoadCurrentWatermark(&state_, dm_, nullptr));
    Write(kPrinter, L"Current", L"2", store_);
    EXPECT_FALSE(LoadCurrentWatermark(&state_, dm_, nullptr));
}

TEST_F(WatermarkStore, ValuesOutsideTheirRangesFallBack)
{
    List(store_, {L"Odd"});
    Write(L"Odd", L"Size", L"0", store_);
    Write(L"Odd", L"Color", L"150", store_);
    Write(L"Odd", L"Scale", L"10", store_);
    Write(L"Odd", L"x", L"-101", store_);
    Write(L"Odd", L"y", L"100", store_);
    Write(L"Odd", L"Style", L"7", store_);
    Write(L"Odd", L"Angle", L"-45", store_);
    ASSERT_TRUE(LoadCurrentWatermark(&state_, dm_, nullptr));
    const WatermarkRecord& w = Block().watermark;
    EXPECT_EQ(w.font.lfHeight, 72);
    EXPECT_EQ(Block().watermarkGray, 20u);
    EXPECT_EQ(Block().watermarkScale, 100);
    EXPECT_EQ(Block().watermarkOffsetX, 0);
    EXPECT_EQ(Block().watermarkOffsetY, 100);
    EXPECT_EQ(w.font.lfItalic, 0);
    EXPECT_EQ(w.font.lfWeight, FW_NORMAL);
    EXPECT_EQ(w.font.lfEscapement, -450);
    EXPECT_EQ(w.font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(w.font.lfFaceName, L"Arial") << "no face named";
}

TEST_F(WatermarkStore, DefinitionsRoundTripThroughTheEditorsWrites)
{
    WatermarkDefinition d = {};
    lstrcpyW(d.name, L"Secret");
    lstrcpyW(d.text, L"SECRET");
    lstrcpyW(d.face, L"Times New Roman");
    d.size = 96;
    d.style = 3;
    d.darkness = 35;
    d.escapement = -455;
    d.autoCentre = TRUE;
    d.offsetX = -10;
    d.offsetY = 12;
    d.scale = 150;
    WriteWatermarkSection(store_.c_str(), d);
    WriteWatermarkListEntry(store_.c_str(), 0, d.name);
    WriteCurrentWatermark(store_.c_str(), kPrinter, 0);
    EXPECT_EQ(Read(L"Secret", L"Angle", store_), L"-45") << "degrees, truncated toward zero";

    ASSERT_TRUE(LoadCurrentWatermark(&state_, dm_, nullptr));
    const WatermarkRecord& w = Block().watermark;
    EXPECT_STREQ(w.text, "SECRET");
    EXPECT_STREQ(w.font.lfFaceName, L"Times New Roman");
    EXPECT_EQ(w.font.lfHeight, 96);
    EXPECT_EQ(w.font.lfItalic, 1);
    EXPECT_EQ(w.font.lfWeight, FW_BOLD);
    EXPECT_EQ(w.font.lfEscapement, -450);
    EXPECT_EQ(Block().watermarkGray, 35u);
    EXPECT_EQ(Block().watermarkOffsetX, -10);
    EXPECT_EQ(Block().watermarkScale, 150);
    EXPECT_TRUE(state_.autoCentre);
    EXPECT_FALSE(state_.isBitmap);

    RemoveWatermarkSection(store_.c_str(), L"Secret");
    EXPECT_EQ(Read(L"Secret", L"Strings", store_), L"");
}

TEST_F(WatermarkStore, MergeAddsOnlyMissingSharedDefinitions)
{
    std::wstring shared = dir_ + L"\\KVW3390N.INI";
    List(store_, {L"Mine"});
    Write(L"Mine", L"Strings", L"MINE", store_);
    List(shared, {L"Mine", L"Shared"});
    Write(L"Mine", L"Strings", L"THEIRS", shared);
    Write(L"Shared", L"Strings", L"SHARED", shared);
    MergeSharedWatermarks(store_.c_str(), shared.c_str());
    EXPECT_EQ(Read(L":kvwatermark:", L"1", store_), L"Shared");
    EXPECT_EQ(Read(L":kvwatermark:", L"2", store_), L"");
    EXPECT_EQ(Read(L"Mine", L"Strings", store_), L"MINE") << "existing definitions stay";
    EXPECT_EQ(Read(L"Shared", L"Strings", store_), L"SHARED");

    MergeSharedWatermarks(store_.c_str(), (dir_ + L"\\MISSING.INI").c_str());
    EXPECT_EQ(Read(L":kvwatermark:", L"2", store_), L"");
}

TEST_F(WatermarkStore, ProfileExportAndImportCarryTheList)
{
    List(store_, {L"First", L"Second"});
    Write(L"First", L"Strings", L"ONE", store_);
    Write(L"Second", L"Strings", L"TWO", store_);
    Write(kPrinter, L"Current", L"1", store_);
    std::wstring profile = dir_ + L"\\KVE3390N.DAT";
    ExportWatermarksToProfile(store_.c_str(), kPrinter, profile.c_str());
    EXPECT_EQ(Read(L":kvwatermark:", L"1", profile), L"Second");
    EXPECT_EQ(Read(L"Second", L"Strings", profile), L"TWO");
    EXPECT_EQ(Read(L"Default WMark", L"Current", profile), L"1");

    // Another machine's store already knows "Second" under another position.
    std::wstring other = dir_ + L"\\OTHER.INI";
    List(other, {L"Second"});
    Write(L"Second", L"Strings", L"OLD", other);
    EXPECT_EQ(ImportWatermarksFromProfile(other.c_str(), L"Elsewhere", profile.c_str()), 2);
    EXPECT_EQ(Read(L":kvwatermark:", L"0", other), L"Second");
    EXPECT_EQ(Read(L":kvwatermark:", L"1", other), L"First");
    EXPECT_EQ(Read(L"Second", L"Strings", other), L"TWO") << "imported section replaces";
    EXPECT_EQ(Read(L"Elsewhere", L"Current", other), L"1");

    std::wstring empty = dir_ + L"\\EMPTY.DAT";
    EXPECT_EQ(ImportWatermarksFromProfile(other.c_str(), L"Elsewhere", empty.c_str()), 0);
}

TEST_F(WatermarkStore, BitmapWatermarkKeepsItsPathsEvenWhenTheCopyIsGone)
{
    List(store_, {L"Logo"});
    Write(L"Logo", L"File", L"C:\\pictures\\logo.bmp", store_);
    Write(L"Logo", L"TmpFile", (dir_ + L"\\missing.bmp").c_str(), store_);
    ASSERT_TRUE(LoadCurrentWatermark(&state_, dm_, nullptr));
    EXPECT_TRUE(state_.isBitmap);
    EXPECT_EQ(state_.bitmap, nullptr);
    ASSERT_NE(state_.bitmapPath, nullptr);
    auto* path = static_cast<WCHAR*>(GlobalLock(state_.bitmapPath));
    EXPECT_STREQ(path, L"C:\\pictures\\logo.bmp");
    GlobalUnlock(state_.bitmapPath);

    // Switching to a text watermark frees the bitmap blocks.
    Write(L"Logo", L"File", L"", store_);
    ASSERT_TRUE(LoadCurrentWatermark(&state_, dm_, nullptr));
    EXPECT_FALSE(state_.isBitmap);
    EXPECT_EQ(state_.bitmapPath, nullptr);
}

TEST_F(WatermarkStore, StorePathIsInTheWindowsDirectory)
{
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(WatermarkStorePath(path, MAX_PATH));
    WCHAR windows[MAX_PATH];
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(std::wstring(path), std::wstring(windows) + L"\\KVWMARK.INI");
}

} // namespace
