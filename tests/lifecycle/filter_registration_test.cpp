// The filter pipeline's COM registration: the two permission descriptors
// decoded back through the platform's own security functions, and the
// registry rows as the COM runtime and the filter server read them.
#include "lifecycle/filter_registration.h"

#include <gtest/gtest.h>

#include <sddl.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ExpectedAce {
    const WCHAR* sid;
    DWORD rights;
};

std::wstring SidText(PSID sid)
{
    WCHAR* text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) return L"(none)";
    std::wstring result = text;
    LocalFree(text);
    return result;
}

// Decodes a stored descriptor with the platform's functions and compares
// it with what COM must find: self-relative, DACL present, Administrators
// as owner and group, and the ACEs in order.
void ExpectDescriptor(const BYTE* bytes, DWORD size, const std::vector<ExpectedAce>& aces)
{
    ASSERT_EQ(size, kFilterPermissionBytes);
    auto* descriptor = const_cast<BYTE*>(bytes);
    ASSERT_TRUE(IsValidSecurityDescriptor(descriptor));
    const auto* head = reinterpret_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(bytes);
    EXPECT_EQ(head->Revision, 1);
    EXPECT_EQ(head->Control, 0x8004);
    EXPECT_EQ(head->Owner, 112u);
    EXPECT_EQ(head->Group, 128u);
    EXPECT_EQ(head->Sacl, 0u);
    EXPECT_EQ(head->Dacl, 20u);

    PSID owner = nullptr, group = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorGroup(descriptor, &group, &defaulted));
    EXPECT_EQ(SidText(owner), L"S-1-5-32-544");
    EXPECT_EQ(SidText(group), L"S-1-5-32-544");

    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(dacl, nullptr);
    EXPECT_EQ(dacl->AclRevision, 2);
    EXPECT_EQ(dacl->AclSize, 92);
    ASSERT_EQ(dacl->AceCount, aces.size());
    for (DWORD i = 0; i < aces.size(); ++i) {
        SCOPED_TRACE(i);
        void* raw = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &raw));
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags, 0);
        EXPECT_EQ(ace->Mask, aces[i].rights);
        EXPECT_EQ(SidText(&ace->SidStart), aces[i].sid);
    }
}

const std::vector<ExpectedAce> kLaunch = {
    {L"S-1-5-18", 0x1F}, {L"S-1-5-19", 0x0B}, {L"S-1-5-32-544", 0x1F}, {L"S-1-5-4", 0x1F}};
const std::vector<ExpectedAce> kAccess = {
    {L"S-1-5-19", 0x03}, {L"S-1-5-10", 0x07}, {L"S-1-5-18", 0x03}, {L"S-1-5-32-544", 0x07}};

TEST(FilterPermissions, DecodeToTheirAccountsRightsAndOrder)
{
    const struct {
        FilterPermission which;
        const std::vector<ExpectedAce>* aces;
    } rows[] = {{kFilterLaunchPermission, &kLaunch}, {kFilterAccessPermission, &kAccess}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.which);
        BYTE bytes[kFilterPermissionBytes];
        memset(bytes, 0xCD, sizeof(bytes));
        BuildFilterPermission(row.which, bytes);
        ExpectDescriptor(bytes, sizeof(bytes), *row.aces);
    }
}

// Registry reads of HKEY_LOCAL_MACHINE.
bool ReadValue(const std::wstring& key, const WCHAR* name, DWORD* type, std::vector<BYTE>* data)
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type,
                     nullptr, &size) != ERROR_SUCCESS)
        return false;
    data->assign(size, 0);
    return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type,
                        data->data(), &size) == ERROR_SUCCESS;
}

std::wstring ReadText(const std::wstring& key, const WCHAR* name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(key, name, &type, &data)) return L"(missing)";
    if (type != REG_SZ) return L"(not REG_SZ)";
    return reinterpret_cast<const WCHAR*>(data.data());
}

std::wstring DriverFile(const WCHAR* name)
{
    WCHAR dir[MAX_PATH] = {};
    DWORD needed = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof(dir), &needed);
    return std::wstring(dir) + L"\\3\\" + name;
}

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kProxyStub = L"{155287A0-9061-4268-BE9D-E2F44548DA85}";
const std::wstring kServer = L"{3B51E9AB-9625-427d-8D5F-7FFA354B010F}";

class FilterRegistration : public ::testing::Test {
protected:
    // What an earlier run left is removed, so every value read is one this
    // run wrote.
    void SetUp() override
    {
        for (const std::wstring& key : {kClasses + L"CLSID\\" + kProxyStub, kClasses + L"CLSID\\" + kServer,
                                        kClasses + L"AppID\\" + kServer})
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        for (const auto& row : kInterfaces)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + L"Interface\\" + row.iid).c_str());
    }
    struct InterfaceRow {
        const WCHAR* iid;
        const WCHAR* name;
        const WCHAR* methods;
    };
    static constexpr InterfaceRow kInterfaces[] = {
        {L"{3B51E9AB-9625-427d-8D5F-7FFA354B010F}", L"IRemoteFilterManagerClassObject", L"5"},
        {L"{155287A0-9061-4268-BE9D-E2F44548DA85}", L"IRemoteFilter", L"6"},
        {L"{4721FF9A-3580-43a7-8D77-4EBD1D09B0D4}", L"IPackageStreamManager", L"5"},
        {L"{BF4A10B5-2E07-4d44-A936-0B1C6E237D53}", L"IRemoteProperties", L"6"},
        {L"{E12241B9-65AF-4e4d-8EFD-B76B3EEC70E7}", L"IRIPEventCallbacks", L"4"},
    };
};
constexpr FilterRegistration::InterfaceRow FilterRegistration::kInterfaces[];

TEST_F(FilterRegistration, WritesEveryInterfaceRow)
{
    RegisterFilterInterfaces();
    for (const auto& row : kInterfaces) {
        SCOPED_TRACE(row.name);
        const std::wstring key = kClasses + L"Interface\\" + row.iid;
        EXPECT_EQ(ReadText(key, nullptr), row.name);
        EXPECT_EQ(ReadText(key + L"\\ProxyStubClsid32", nullptr), kProxyStub);
        EXPECT_EQ(ReadText(key + L"\\NumMethods", nullptr), row.methods);
    }
}

TEST_F(FilterRegistration, WritesTheProxyStubServerAndAppId)
{
    RegisterFilterInterfaces();
    const std::wstring proxy = kClasses + L"CLSID\\" + kProxyStub;
    const std::wstring server = kClasses + L"CLSID\\" + kServer;
    const std::wstring appId = kClasses + L"AppID\\" + kServer;
    const struct {
        std::wstring key;
        const WCHAR* name;
        std::wstring text;
    } rows[] = {
        {proxy, nullptr, L"PSFactoryBuffer"},
        {proxy + L"\\InProcServer32", L"ThreadingModel", L"Both"},
        {proxy + L"\\InProcServer32", nullptr, DriverFile(L"KVRH.DLL")},
        {server, L"AppID", kServer},
        {server + L"\\LocalServer32", nullptr, DriverFile(L"KVRH.EXE")},
        {appId, nullptr, kServer},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::string(row.key.begin(), row.key.end()));
        EXPECT_EQ(ReadText(row.key, row.name), row.text);
    }
    const struct {
        const WCHAR* name;
        const std::vector<ExpectedAce>* aces;
    } permissions[] = {{L"LaunchPermission", &kLaunch}, {L"AccessPermission", &kAccess}};
    for (const auto& permission : permissions) {
        SCOPED_TRACE(testing::Message() << permission.name);
        DWORD type = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(ReadValue(appId, permission.name, &type, &data));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        ExpectDescriptor(data.data(), static_cast<DWORD>(data.size()), *permission.aces);
    }
}

TEST_F(FilterRegistration, SecondRunLeavesTheSameEntries)
{
    RegisterFilterInterfaces();
    DWORD type = 0;
    std::vector<BYTE> first, second;
    const std::wstring appId = kClasses + L"AppID\\" + kServer;
    ASSERT_TRUE(ReadValue(appId, L"LaunchPermission", &type, &first));
    RegisterFilterInterfaces();
    ASSERT_TRUE(ReadValue(appId, L"LaunchPermission", &type, &second));
    EXPECT_EQ(first, second);
}

}  // namespace
