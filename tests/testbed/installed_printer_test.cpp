// The queue the test bed installed, as the spooler reports it.
#include "resources/version.h"
#include "support/test_paths.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

bool EndsWithNoCase(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() &&
           lstrcmpiW(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// The default text of a key of HKEY_LOCAL_MACHINE; "(missing)" when there is none.
std::wstring MachineText(const WCHAR* key)
{
    WCHAR text[MAX_PATH] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"(missing)";
    return text;
}

class InstalledPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kTestQueueName), &printer_, nullptr))
            << "queue not installed, error " << GetLastError();
    }
    void TearDown() override
    {
        if (printer_)
            ClosePrinter(printer_);
    }

    std::vector<BYTE> Printer(DWORD level)
    {
        DWORD needed = 0;
        GetPrinterW(printer_, level, nullptr, 0, &needed);
        std::vector<BYTE> data(needed);
        EXPECT_TRUE(GetPrinterW(printer_, level, data.data(), needed, &needed));
        return data;
    }

    std::vector<BYTE> Driver(DWORD level)
    {
        DWORD needed = 0;
        GetPrinterDriverW(printer_, nullptr, level, nullptr, 0, &needed);
        std::vector<BYTE> data(needed);
        EXPECT_TRUE(GetPrinterDriverW(printer_, nullptr, level, data.data(), needed, &needed));
        return data;
    }

    HANDLE printer_ = nullptr;
};

TEST_F(InstalledPrinter, UsesTheDriverOnPortFile)
{
    auto data = Printer(2);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(data.data());
    EXPECT_STREQ(info->pPrinterName, kTestQueueName);
    EXPECT_STREQ(info->pPortName, L"FILE:");
    EXPECT_STREQ(info->pDriverName, L"Zentari TX-3390N series");
}

TEST_F(InstalledPrinter, DriverFilesAreTheInstalledPackage)
{
    auto data = Driver(3);
    auto* driver = reinterpret_cast<DRIVER_INFO_3W*>(data.data());
    EXPECT_EQ(driver->cVersion, 3u);
    EXPECT_TRUE(EndsWithNoCase(driver->pDataFile, L"\\3\\KV3390N.PPD")) << driver->pDataFile;
    EXPECT_TRUE(EndsWithNoCase(driver->pConfigFile, L"\\3\\KVUIDRV.DLL")) << driver->pConfigFile;
    EXPECT_TRUE(EndsWithNoCase(driver->pDriverPath, L"\\3\\KVUIDRV.DLL"));
    ASSERT_NE(driver->pHelpFile, nullptr);
    EXPECT_TRUE(EndsWithNoCase(driver->pHelpFile, L"\\3\\KVUIDRV.CHM")) << driver->pHelpFile;
    for (const WCHAR* file : {driver->pDataFile, driver->pConfigFile, driver->pHelpFile})
        EXPECT_NE(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES) << testing::PrintToString(std::wstring(file));

    std::vector<std::wstring> dependents;
    for (const WCHAR* f = driver->pDependentFiles; f && *f; f += wcslen(f) + 1)
        dependents.push_back(f);
    for (const WCHAR* expected : {L"KVUILANG.DLL", L"KVUIMODL.DLL", L"KV3390N.DAT",
                                  L"KVE3390N.DAT", L"KVW3390N.INI"}) {
        bool listed = false;
        for (const auto& f : dependents)
            listed = listed || EndsWithNoCase(f, expected);
        EXPECT_TRUE(listed) << "dependent file missing: " << testing::PrintToString(expected);
    }
}

TEST_F(InstalledPrinter, ProviderIsRegisteredAsInProcessServerOfTheModule)
{
    auto data = Driver(2);
    auto* driver = reinterpret_cast<DRIVER_INFO_2W*>(data.data());
    const std::wstring server = MachineText(
        L"Software\\Classes\\CLSID\\{46AC151B-8490-4531-96CC-55BF2BF19E11}\\InprocServer32");
    EXPECT_EQ(lstrcmpiW(server.c_str(), driver->pConfigFile), 0) << testing::PrintToString(server);
}

TEST_F(InstalledPrinter, EveryModuleCarriesAProductVersion)
{
    auto data = Driver(2);
    std::wstring dir = reinterpret_cast<DRIVER_INFO_2W*>(data.data())->pConfigFile;
    dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
    for (const WCHAR* name : {L"KVUIDRV.DLL", L"KVUILANG.DLL", L"KVUIMODL.DLL"}) {
        std::wstring path = dir + name;
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<BYTE> info(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
        WCHAR* version = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                                   reinterpret_cast<void**>(&version), &length));
        EXPECT_STREQ(version, L"" KV_VERSION_TEXT);
    }
}

// The installer sends the queue's initialisation event, as the Windows
// spooler does: the model's words and the module's names are on the queue.
TEST_F(InstalledPrinter, InitialisationLeftTheModelsValues)
{
    const struct {
        const WCHAR* name;
        DWORD type;
        std::vector<BYTE> data;
    } rows[] = {
        {L"PrtCaps", REG_DWORD, {0x00, 0x10, 0, 0}},
        {L"TrayCaps", REG_DWORD, {0x35, 0x04, 0, 0}},
        {L"LangDLL", REG_SZ, {'K', 0, 'V', 0, 'U', 0, 'I', 0, 'L', 0, 'A', 0, 'N', 0, 'G', 0,
                              '.', 0, 'D', 0, 'L', 0, 'L', 0, 0, 0}},
    };
    for (const auto& row : rows) {
        DWORD type = 0, needed = 0;
        std::vector<BYTE> data(64);
        ASSERT_EQ(GetPrinterDataW(printer_, const_cast<WCHAR*>(row.name), &type, data.data(),
                                  static_cast<DWORD>(data.size()), &needed),
                  static_cast<DWORD>(ERROR_SUCCESS))
            << testing::PrintToString(std::wstring(row.name));
        data.resize(needed);
        EXPECT_EQ(type, row.type);
        EXPECT_EQ(data, row.data) << testing::PrintToString(std::wstring(row.name));
    }
    EXPECT_EQ(MachineText(L"Software\\Classes\\Interface\\{E12241B9-65AF-4e4d-8EFD-B76B3EEC70E7}"
                          L"\\NumMethods"),
              L"4");
}

} // namespace
