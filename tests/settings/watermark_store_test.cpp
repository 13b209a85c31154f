// The watermark store through the real profile functions.
#include "settings/watermark_store.h"
#include "support/expect_fields.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const WCHAR kPrinter[] = L"Store Test Printer", kList[] = L":kvwatermark:";
using Keys = std::initializer_list<std::pair<const WCHAR*, const WCHAR*>>;

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
        store_ = (dir_ = CreateScratchDirectory()) + L"\\KVWMARK.INI";
        ZeroMemory(&state_, sizeof(state_));
        lstrcpyW(state_.storePath, store_.c_str()), lstrcpyW(state_.printerName, kPrinter);
        record_.pub.dmSize = 220, record_.pub.dmDriverExtra = 2452;
    }
    void TearDown() override { ReleaseWatermarkState(&state_), RemoveScratchDirectory(dir_); }

    void Write(const std::wstring& file, const WCHAR* section, Keys keys)
    {
        for (const auto& [key, value] : keys)
            ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, file.c_str()));
    }
    void List(const std::wstring& file, std::initializer_list<const WCHAR*> names)
    {
        int i = 0;
        for (const WCHAR* name : names) Write(file, kList, {{std::to_wstring(i++).c_str(), name}});
    }
    std::wstring Read(const std::wstring& file, const WCHAR* section, const WCHAR* key)
    {
        WCHAR value[256] = {};
        GetPrivateProfileStringW(section, key, L"", value, 256, file.c_str());
        return value;
    }
    bool Load(const WatermarkListSink* sink = nullptr) { return LoadCurrentWatermark(&state_, &record_.pub, sink); }
    const ProcessorBlock& Block() const { return record_.priv.processor; }

    std::wstring dir_, store_;
    WatermarkState state_;
    DriverDevmode record_ = {};
};

TEST_F(WatermarkStore, ListEndsAtItsFirstGap)
{
    Write(store_, kList, {{L"0", L"Alpha"}, {L"1", L"Beta"}, {L"3", L"Delta"}});
    Write(store_, L"Beta", {{L"Strings", L"BETA"}}), Write(store_, kPrinter, {{L"Current", L"1"}});
    CollectedList list;
    WatermarkListSink sink = kCollectingSink;
    sink.context = &list;
    ASSERT_TRUE(Load(&sink));
    EXPECT_EQ(list.names, (std::vector<std::wstring>{L"Alpha", L"Beta"}));
    ExpectFields({F(list.selected, 1), F(state_.selectedIndex, 1), F(record_.priv.watermarkIndex, 1)});
    EXPECT_STREQ(Block().watermark.text, "BETA");
}

TEST_F(WatermarkStore, EmptyStoreLoadsNothingAndCurrentPastTheListIsReset)
{
    EXPECT_FALSE(Load());
    Write(store_, kPrinter, {{L"Current", L"2"}});
    EXPECT_FALSE(Load());
    List(store_, {L"Only"}), Write(store_, kPrinter, {{L"Current", L"5"}});
    ASSERT_TRUE(Load());
    EXPECT_EQ(state_.selectedIndex, 0);
    EXPECT_EQ(Read(store_, kPrinter, L"Current"), L"0");
}

TEST_F(WatermarkStore, ValuesOutsideTheirRangesFallBack)
{
    List(store_, {L"Odd"});
    Write(store_, L"Odd", {{L"Size", L"0"}, {L"Color", L"150"}, {L"Scale", L"10"}, {L"x", L"-101"},
                           {L"y", L"100"}, {L"Style", L"7"}, {L"Angle", L"-45"}});
    ASSERT_TRUE(Load());
    const LOGFONTW& font = Block().watermark.font;
    ExpectFields({F(font.lfHeight, 72), F(Block().watermarkGray, 20), F(Block().watermarkScale, 100),
                  F(Block().watermarkOffsetX, 0), F(Block().watermarkOffsetY, 100), F(font.lfItalic, 0),
                  F(font.lfWeight, FW_NORMAL), F(font.lfEscapement, -450), F(font.lfCharSet, DEFAULT_CHARSET)});
    EXPECT_STREQ(font.lfFaceName, L"Arial") << "no face named";
}

TEST_F(WatermarkStore, DefinitionsRoundTripThroughTheEditorsWrites)
{
    WatermarkDefinition d = {};
    lstrcpyW(d.name, L"Secret"), lstrcpyW(d.text, L"SECRET"), lstrcpyW(d.face, L"Times New Roman");
    d.size = 96, d.style = 3, d.darkness = 35, d.escapement = -455, d.autoCentre = TRUE;
    d.offsetX = -10, d.offsetY = 12, d.scale = 150;
    WriteWatermarkSection(store_.c_str(), d);
    WriteWatermarkListEntry(store_.c_str(), 0, d.name);
    WriteCurrentWatermark(store_.c_str(), kPrinter, 0);
    EXPECT_EQ(Read(store_, L"Secret", L"Angle"), L"-45") << "degrees, truncated toward zero";

    ASSERT_TRUE(Load());
    const LOGFONTW& font = Block().watermark.font;
    EXPECT_STREQ(Block().watermark.text, "SECRET");
    EXPECT_STREQ(font.lfFaceName, L"Times New Roman");
    ExpectFields({F(font.lfHeight, 96), F(font.lfItalic, 1), F(font.lfWeight, FW_BOLD), F(font.lfEscapement, -450),
                  F(Block().watermarkGray, 35), F(Block().watermarkOffsetX, -10), F(Block().watermarkScale, 150),
                  F(state_.autoCentre, TRUE), F(state_.isBitmap, FALSE)});

    RemoveWatermarkSection(store_.c_str(), L"Secret");
    EXPECT_EQ(Read(store_, L"Secret", L"Strings"), L"");
}

TEST_F(WatermarkStore, MergeAddsOnlyMissingSharedDefinitions)
{
    const std::wstring shared = dir_ + L"\\KVW3390N.INI";
    List(store_, {L"Mine"}), Write(store_, L"Mine", {{L"Strings", L"MINE"}});
    List(shared, {L"Mine", L"Shared"});
    Write(shared, L"Mine", {{L"Strings", L"THEIRS"}}), Write(shared, L"Shared", {{L"Strings", L"SHARED"}});
    for (const std::wstring& from : {shared, shared, dir_ + L"\\MISSING.INI"}) {
        MergeSharedWatermarks(store_.c_str(), from.c_str());   // merging again adds nothing
        EXPECT_EQ(Read(store_, kList, L"1"), L"Shared");
        EXPECT_EQ(Read(store_, kList, L"2"), L"");
        EXPECT_EQ(Read(store_, L"Mine", L"Strings"), L"MINE") << "existing definitions stay";
        EXPECT_EQ(Read(store_, L"Shared", L"Strings"), L"SHARED");
    }
}

TEST_F(WatermarkStore, ProfileExportAndImportCarryTheList)
{
    List(store_, {L"First", L"Second"});
    Write(store_, L"First", {{L"Strings", L"ONE"}}), Write(store_, L"Second", {{L"Strings", L"TWO"}});
    Write(store_, kPrinter, {{L"Current", L"1"}});
    const std::wstring profile = dir_ + L"\\KVE3390N.DAT", other = dir_ + L"\\OTHER.INI";
    ExportWatermarksToProfile(store_.c_str(), kPrinter, profile.c_str());
    EXPECT_EQ(Read(profile, kList, L"1"), L"Second");
    EXPECT_EQ(Read(profile, L"Second", L"Strings"), L"TWO");
    EXPECT_EQ(Read(profile, L"Default WMark", L"Current"), L"1");

    // Another machine's store already knows "Second" under another position.
    List(other, {L"Second"}), Write(other, L"Second", {{L"Strings", L"OLD"}});
    EXPECT_EQ(ImportWatermarksFromProfile(other.c_str(), L"Elsewhere", profile.c_str()), 2);
    EXPECT_EQ(Read(other, kList, L"0"), L"Second");
    EXPECT_EQ(Read(other, kList, L"1"), L"First");
    EXPECT_EQ(Read(other, L"Second", L"Strings"), L"TWO") << "imported section replaces";
    EXPECT_EQ(Read(other, L"Elsewhere", L"Current"), L"1");
    EXPECT_EQ(ImportWatermarksFromProfile(other.c_str(), L"Elsewhere", (dir_ + L"\\EMPTY.DAT").c_str()), 0);
}

TEST_F(WatermarkStore, BitmapWatermarkKeepsItsPathsEvenWhenTheCopyIsGone)
{
    List(store_, {L"Logo"});
    Write(store_, L"Logo", {{L"File", L"C:\\pictures\\logo.bmp"}, {L"TmpFile", (dir_ + L"\\missing.bmp").c_str()}});
    ASSERT_TRUE(Load());
    EXPECT_TRUE(state_.isBitmap);
    EXPECT_EQ(state_.bitmap, nullptr);
    ASSERT_NE(state_.bitmapPath, nullptr);
    EXPECT_STREQ(static_cast<WCHAR*>(GlobalLock(state_.bitmapPath)), L"C:\\pictures\\logo.bmp");
    GlobalUnlock(state_.bitmapPath);

    // Switching to a text watermark frees the bitmap blocks.
    Write(store_, L"Logo", {{L"File", L""}});
    ASSERT_TRUE(Load());
    EXPECT_FALSE(state_.isBitmap);
    EXPECT_EQ(state_.bitmapPath, nullptr);
}

TEST_F(WatermarkStore, StorePathIsInTheWindowsDirectory)
{
    WCHAR path[MAX_PATH], windows[MAX_PATH];
    ASSERT_TRUE(WatermarkStorePath(path, MAX_PATH));
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(std::wstring(path), std::wstring(windows) + L"\\KVWMARK.INI");
}

} // namespace
