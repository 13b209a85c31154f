#include "lifecycle/filter_registration.h"

#include "lifecycle/driver_files.h"

#include <cstring>
#include <cwchar>

namespace {

// The proxy/stub class shares its GUID with IRemoteFilter, and the server
// class and its AppID share theirs with IRemoteFilterManagerClassObject.
// The mixed case is what the filter components look up.
const WCHAR kProxyStubClsid[] = L"{155287A0-9061-4268-BE9D-E2F44548DA85}";
const WCHAR kServerClsid[] = L"{3B51E9AB-9625-427d-8D5F-7FFA354B010F}";
const WCHAR kProxyStubName[] = L"PSFactoryBuffer";
const WCHAR kProxyStubModule[] = L"KVRH.DLL";
const WCHAR kServerModule[] = L"KVRH.EXE";

struct InterfaceRow {
    const WCHAR* iid;
    const WCHAR* name;
    int methodCount;
};

const InterfaceRow kInterfaces[] = {
    {L"{3B51E9AB-9625-427d-8D5F-7FFA354B010F}", L"IRemoteFilterManagerClassObject", 5},
    {L"{155287A0-9061-4268-BE9D-E2F44548DA85}", L"IRemoteFilter", 6},
    {L"{4721FF9A-3580-43a7-8D77-4EBD1D09B0D4}", L"IPackageStreamManager", 5},
    {L"{BF4A10B5-2E07-4d44-A936-0B1C6E237D53}", L"IRemoteProperties", 6},
    {L"{E12241B9-65AF-4e4d-8EFD-B76B3EEC70E7}", L"IRIPEventCallbacks", 4},
};

// Well-known accounts, all under the NT authority.
struct Account {
    BYTE subAuthorityCount;
    DWORD subAuthorities[2];
};
constexpr Account kSystem = {1, {SECURITY_LOCAL_SYSTEM_RID}};
constexpr Account kLocalService = {1, {SECURITY_LOCAL_SERVICE_RID}};
constexpr Account kInteractive = {1, {SECURITY_INTERACTIVE_RID}};
constexpr Account kSelf = {1, {SECURITY_PRINCIPAL_SELF_RID}};
constexpr Account kAdministrators = {2, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};

// COM rights of an ACE.
constexpr DWORD kExecute = 0x01, kExecuteLocal = 0x02, kExecuteRemote = 0x04,
                kActivateLocal = 0x08, kActivateRemote = 0x10;
constexpr DWORD kAllComRights =
    kExecute | kExecuteLocal | kExecuteRemote | kActivateLocal | kActivateRemote;

struct AceRow {
    const Account* account;
    DWORD rights;
};
constexpr int kAceCount = 4;
constexpr AceRow kLaunchAces[kAceCount] = {
    {&kSystem, kAllComRights},
    {&kLocalService, kExecute | kExecuteLocal | kActivateLocal},
    {&kAdministrators, kAllComRights},
    {&kInteractive, kAllComRights},
};
constexpr AceRow kAccessAces[kAceCount] = {
    {&kLocalService, kExecute | kExecuteLocal},
    {&kSelf, kExecute | kExecuteLocal | kExecuteRemote},
    {&kSystem, kExecute | kExecuteLocal},
    {&kAdministrators, kExecute | kExecuteLocal | kExecuteRemote},
};

constexpr DWORD kSidHeadBytes = 8;   // revision, count, 6-byte authority
constexpr DWORD kAceHeadBytes = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);

constexpr DWORD SidBytes(const Account& account)
{
    return kSidHeadBytes + account.subAuthorityCount * sizeof(DWORD);
}

constexpr DWORD AclBytes(const AceRow (&aces)[kAceCount])
{
    DWORD bytes = sizeof(ACL);
    for (const AceRow& ace : aces) bytes += kAceHeadBytes + SidBytes(*ace.account);
    return bytes;
}

// Header, DACL, then owner and group (both Administrators).
constexpr DWORD DescriptorBytes(const AceRow (&aces)[kAceCount])
{
    return sizeof(SECURITY_DESCRIPTOR_RELATIVE) + AclBytes(aces) + 2 * SidBytes(kAdministrators);
}
static_assert(sizeof(SECURITY_DESCRIPTOR_RELATIVE) == 20, "self-relative header");
static_assert(AclBytes(kLaunchAces) == 92 && AclBytes(kAccessAces) == 92, "stored DACL size");
static_assert(DescriptorBytes(kLaunchAces) == kFilterPermissionBytes, "stored launch value");
static_assert(DescriptorBytes(kAccessAces) == kFilterPermissionBytes, "stored access value");

BYTE* Put(BYTE* at, const void* data, size_t bytes)
{
    memcpy(at, data, bytes);
    return at + bytes;
}

BYTE* PutSid(BYTE* at, const Account& account)
{
    const BYTE head[2] = {SID_REVISION, account.subAuthorityCount};
    const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    at = Put(at, head, sizeof(head));
    at = Put(at, nt.Value, sizeof(nt.Value));
    return Put(at, account.subAuthorities, account.subAuthorityCount * sizeof(DWORD));
}

BYTE* PutAce(BYTE* at, const AceRow& row)
{
    const ACE_HEADER head = {ACCESS_ALLOWED_ACE_TYPE, 0,
                             static_cast<WORD>(kAceHeadBytes + SidBytes(*row.account))};
    at = Put(at, &head, sizeof(head));
    at = Put(at, &row.rights, sizeof(row.rights));
    return PutSid(at, *row.account);
}

HKEY CreateMachineKey(const WCHAR* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// Creates Software\Classes\<kind>\<guid>; path receives the key's path.
HKEY CreateClassKey(const WCHAR* kind, const WCHAR* guid, WCHAR (&path)[MAX_PATH])
{
    swprintf(path, MAX_PATH, L"Software\\Classes\\%ls\\%ls", kind, guid);
    return CreateMachineKey(path);
}

void SetText(HKEY key, const WCHAR* name, const WCHAR* text)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR)));
}

// Creates parent\sub, gives it a default text when one is given, and closes it.
void SetSubKeyText(const WCHAR* parent, const WCHAR* sub, const WCHAR* text)
{
    WCHAR path[MAX_PATH];
    swprintf(path, MAX_PATH, L"%ls\\%ls", parent, sub);
    if (HKEY key = CreateMachineKey(path)) {
        SetText(key, nullptr, text);
        RegCloseKey(key);
    }
}

void RegisterProxyStubClass()
{
    WCHAR keyPath[MAX_PATH], module[MAX_PATH];
    HKEY key = CreateClassKey(L"CLSID", kProxyStubClsid, keyPath);
    if (!key) return;
    SetText(key, nullptr, kProxyStubName);
    HKEY server = nullptr;
    if (RegCreateKeyExW(key, L"InProcServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &server,
                        nullptr) == ERROR_SUCCESS) {
        SetText(server, L"ThreadingModel", L"Both");
        if (InstalledDriverFilePath(kProxyStubModule, module, MAX_PATH)) SetText(server, nullptr, module);
        RegCloseKey(server);
    }
    RegCloseKey(key);
}

void RegisterServerClass()
{
    WCHAR keyPath[MAX_PATH], module[MAX_PATH];
    HKEY key = CreateClassKey(L"CLSID", kServerClsid, keyPath);
    if (!key) return;
    SetText(key, L"AppID", kServerClsid);
    RegCloseKey(key);
    if (InstalledDriverFilePath(kServerModule, module, MAX_PATH))
        SetSubKeyText(keyPath, L"LocalServer32", module);
}

void RegisterServerAppId(const BYTE (&launch)[kFilterPermissionBytes],
                         const BYTE (&access)[kFilterPermissionBytes])
{
    WCHAR keyPath[MAX_PATH];
    HKEY key = CreateClassKey(L"AppID", kServerClsid, keyPath);
    if (!key) return;
    SetText(key, nullptr, kServerClsid);
    RegSetValueExW(key, L"LaunchPermission", 0, REG_BINARY, launch, sizeof(launch));
    RegSetValueExW(key, L"AccessPermission", 0, REG_BINARY, access, sizeof(access));
    RegCloseKey(key);
}

}  // namespace

void BuildFilterPermission(FilterPermission which, BYTE (&out)[kFilterPermissionBytes])
{
    const AceRow (&aces)[kAceCount] = which == kFilterLaunchPermission ? kLaunchAces : kAccessAces;
    const DWORD aclBytes = AclBytes(aces);
    SECURITY_DESCRIPTOR_RELATIVE head = {};
    head.Revision = SECURITY_DESCRIPTOR_REVISION;
    head.Control = SE_SELF_RELATIVE | SE_DACL_PRESENT;
    head.Dacl = sizeof(head);
    head.Owner = head.Dacl + aclBytes;
    head.Group = head.Owner + SidBytes(kAdministrators);
    const ACL acl = {ACL_REVISION, 0, static_cast<WORD>(aclBytes), kAceCount, 0};

    BYTE* at = Put(out, &head, sizeof(head));
    at = Put(at, &acl, sizeof(acl));
    for (const AceRow& ace : aces) at = PutAce(at, ace);
    at = PutSid(at, kAdministrators);
    PutSid(at, kAdministrators);
}

void RegisterFilterInterface(const WCHAR* iid, const WCHAR* name, const WCHAR* proxyStubClsid,
                             int methodCount)
{
    WCHAR keyPath[MAX_PATH], count[16];
    HKEY key = CreateClassKey(L"Interface", iid, keyPath);
    if (!key) return;
    SetText(key, nullptr, name);
    RegCloseKey(key);
    swprintf(count, ARRAYSIZE(count), L"%d", methodCount);
    SetSubKeyText(keyPath, L"ProxyStubClsid32", proxyStubClsid);
    SetSubKeyText(keyPath, L"NumMethods", count);
}

void RegisterFilterInterfaces()
{
    BYTE launch[kFilterPermissionBytes], access[kFilterPermissionBytes];
    BuildFilterPermission(kFilterLaunchPermission, launch);
    BuildFilterPermission(kFilterAccessPermission, access);
    for (const InterfaceRow& row : kInterfaces)
        RegisterFilterInterface(row.iid, row.name, kProxyStubClsid, row.methodCount);
    RegisterProxyStubClass();
    RegisterServerClass();
    RegisterServerAppId(launch, access);
}
