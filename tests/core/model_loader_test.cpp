// Loading a model through its binary cache, with real files.
#include "core/model_loader.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool WriteText(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}

LONGLONG FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The nickname a fresh load sees (empty when the load fails).
std::string LoadedNickName(const std::wstring& path)
{
    ModelContext* model = LoadModelContext(path.c_str());
    std::string nick = model && model->nickName ? model->nickName : "";
    if (model)
        GlobalFree(model);
    return nick;
}

class ModelLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = CreateScratchDirectory();
        model_ = dir_ + L"\\MODEL.PPD";
        cache_ = dir_ + L"\\MODEL.BDD";
    }
    void TearDown() override
    {
        RemoveDirectoryW(cache_.c_str());
        RemoveScratchDirectory(dir_);
    }
    std::wstring dir_, model_, cache_;
};

TEST_F(ModelLoader, WritesTheCacheAndKeepsItWhileFileVersionStays)
{
    ASSERT_TRUE(WriteText(model_, MakeModelText("First", "1.0")));
    ModelContext* model = LoadModelContext(model_.c_str());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(FileSize(cache_), LONGLONG(model->imageSize));
    GlobalFree(model);

    // Edited without a new FileVersion: the stale cache still answers.
    ASSERT_TRUE(WriteText(model_, MakeModelText("Second", "1.0")));
    EXPECT_EQ(LoadedNickName(model_), "First");

    ASSERT_TRUE(WriteText(model_, MakeModelText("Third", "1.5")));
    EXPECT_EQ(LoadedNickName(model_), "Third");
    ASSERT_TRUE(WriteText(model_, MakeModelText("Fourth", "1.5")));
    EXPECT_EQ(LoadedNickName(model_), "Third") << "the rebuilt cache is used again";
}

TEST_F(ModelLoader, NeverTrustsTheCacheWithoutAPositiveFileVersion)
{
    for (const char* version : {static_cast<const char*>(nullptr), "-1.0"}) {
        ASSERT_TRUE(WriteText(model_, MakeModelText("One", version)));
        EXPECT_EQ(LoadedNickName(model_), "One");
        ASSERT_TRUE(WriteText(model_, MakeModelText("Two", version)));
        EXPECT_EQ(LoadedNickName(model_), "Two") << (version ? version : "no FileVersion");
    }
}

TEST_F(ModelLoader, RebuildsADamagedCache)
{
    ASSERT_TRUE(WriteText(model_, MakeModelText("Good", "2.0")));
    EXPECT_EQ(LoadedNickName(model_), "Good");
    LONGLONG size = FileSize(cache_);
    ASSERT_GT(size, 536);

    ASSERT_TRUE(WriteText(cache_, std::string(300, 'x')));   // truncated
    EXPECT_EQ(LoadedNickName(model_), "Good");
    EXPECT_EQ(FileSize(cache_), size);

    // Right size, right header, garbage behind it.
    std::string garbage(static_cast<size_t>(size), '\xEE');
    uint32_t header[2] = {static_cast<uint32_t>(size), 536};
    garbage.replace(0, sizeof(header), reinterpret_cast<char*>(header), sizeof(header));
    uint32_t version = 512;
    garbage.replace(248, 4, reinterpret_cast<char*>(&version), 4);
    garbage[24] = 3;
    garbage[25] = 0;
    ASSERT_TRUE(WriteText(cache_, garbage));
    EXPECT_EQ(LoadedNickName(model_), "Good");
}

TEST_F(ModelLoader, IgnoresACacheBuiltForAnotherDescription)
{
    ASSERT_TRUE(WriteText(model_, MakeModelText("Model", "1.0")));
    EXPECT_EQ(LoadedNickName(model_), "Model");
    std::wstring other = dir_ + L"\\OTHER.PPD";
    ASSERT_TRUE(WriteText(other, MakeModelText("Other", "1.0")));
    ASSERT_TRUE(CopyFileW(cache_.c_str(), (dir_ + L"\\OTHER.BDD").c_str(), FALSE));
    EXPECT_EQ(LoadedNickName(other), "Other");
}

TEST_F(ModelLoader, WorksWhenTheCacheCannotBeWritten)
{
    ASSERT_TRUE(WriteText(model_, MakeModelText("Readonly", "1.0")));
    ASSERT_TRUE(CreateDirectoryW(cache_.c_str(), nullptr));   // blocks the cache file
    EXPECT_EQ(LoadedNickName(model_), "Readonly");
    EXPECT_EQ(LoadedNickName(model_), "Readonly");
}

TEST_F(ModelLoader, MissingOrBrokenDescriptionGivesNull)
{
    EXPECT_EQ(LoadModelContext((dir_ + L"\\NONE.PPD").c_str()), nullptr);
    ASSERT_TRUE(WriteText(model_, "*NickName: \"open\n"));
    EXPECT_EQ(LoadModelContext(model_.c_str()), nullptr);
    EXPECT_EQ(FileSize(cache_), -1) << "no cache for a description that fails";
}

TEST(ModelCachePath, ReplacesTheExtension)
{
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(ModelCachePath(L"C:\\drv\\KV3390N.PPD", path, MAX_PATH));
    EXPECT_STREQ(path, L"C:\\drv\\KV3390N.BDD");
    ASSERT_TRUE(ModelCachePath(L"C:\\drv.d\\MODEL", path, MAX_PATH));
    EXPECT_STREQ(path, L"C:\\drv.d\\MODEL.BDD");
    EXPECT_FALSE(ModelCachePath(L"C:\\drv\\KV3390N.PPD", path, 10));
}

} // namespace
