// DrvDriverEvent through the installed module's export: a deleted driver
// takes its installation defaults and its compiled model cache with it,
// and nothing else.
#include "lifecycle/lifecycle_support.h"

#include "platform/driverui.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Touch(const std::wstring& path, const char* text = "x")
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(file);
    return true;
}

std::wstring SystemWow64File(const WCHAR* name)
{
    WCHAR dir[MAX_PATH] = {};
    GetSystemWow64DirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + name;
}

class DriverEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(exports_.Loaded());
        dir_ = CreateScratchDirectory();
        dataFile_ = dir_ + L"\\KVDEL.PPD";
        defaults_ = SystemWow64File(L"KVDELD.DAT");
        otherDefaults_ = SystemWow64File(L"KVD3390N.DAT");
        ASSERT_TRUE(Exists(otherDefaults_)) << "the test bed installs the package's defaults";
    }
    void TearDown() override
    {
        DeleteFileW(defaults_.c_str());
        RemoveScratchDirectory(dir_);
    }
    // The driver's files as an installation leaves them.
    void Install()
    {
        ASSERT_TRUE(Touch(dataFile_, "*PPD-Adobe: \"4.3\"\n"));
        ASSERT_TRUE(Touch(dir_ + L"\\KVDEL.DAT", "[FileList]\r\nDefaultInformation=KVDELD.DAT\r\n"));
        ASSERT_TRUE(Touch(dir_ + L"\\KVDEL.BDD"));
        ASSERT_TRUE(Touch(defaults_));
    }

    InstalledExports exports_;
    std::wstring dir_, dataFile_, defaults_, otherDefaults_;
};

TEST_F(DriverEvents, DeleteRemovesExactlyTheDerivedFiles)
{
    DRIVER_INFO_3W info3 = {};
    info3.cVersion = 3;
    info3.pName = const_cast<WCHAR*>(L"KV Deleted Model");
    info3.pDataFile = &dataFile_[0];
    DRIVER_INFO_2W info2 = {};
    info2.pDataFile = &dataFile_[0];
    const struct {
        const char* what;
        DWORD event, level;
        BYTE* info;
        bool removes;
    } rows[] = {
        {"delete, level 3", DRIVER_EVENT_DELETE, 3, reinterpret_cast<BYTE*>(&info3), true},
        {"delete, level 2", DRIVER_EVENT_DELETE, 2, reinterpret_cast<BYTE*>(&info2), true},
        {"initialise", DRIVER_EVENT_INITIALIZE, 3, reinterpret_cast<BYTE*>(&info3), false},
        {"unknown event", 7, 3, reinterpret_cast<BYTE*>(&info3), false},
        {"delete, level 1", DRIVER_EVENT_DELETE, 1, reinterpret_cast<BYTE*>(&info3), false},
        {"delete, level 4", DRIVER_EVENT_DELETE, 4, reinterpret_cast<BYTE*>(&info3), false},
        {"delete, no information", DRIVER_EVENT_DELETE, 3, nullptr, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Install();
        EXPECT_TRUE(exports_.driverEvent(row.event, row.level, row.info, 0));
        EXPECT_EQ(Exists(defaults_), !row.removes);
        EXPECT_EQ(Exists(dir_ + L"\\KVDEL.BDD"), !row.removes);
        EXPECT_TRUE(Exists(dataFile_));
        EXPECT_TRUE(Exists(dir_ + L"\\KVDEL.DAT"));
        EXPECT_TRUE(Exists(otherDefaults_));
    }
}

TEST_F(DriverEvents, DeleteWithFilesAlreadyGoneSucceeds)
{
    DRIVER_INFO_2W info = {};
    info.pDataFile = &dataFile_[0];
    ASSERT_TRUE(Touch(dir_ + L"\\KVDEL.DAT", "[FileList]\r\nDefaultInformation=KVDELD.DAT\r\n"));
    EXPECT_TRUE(exports_.driverEvent(DRIVER_EVENT_DELETE, 2, reinterpret_cast<BYTE*>(&info), 0));
    EXPECT_TRUE(Exists(otherDefaults_));
}

}  // namespace
