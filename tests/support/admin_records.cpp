#include "support/admin_records.h"

#include "support/test_printers.h"

#include <winspool.h>

namespace {

const WCHAR kLockKey[] = L"Software\\Zentari\\PrinterDriver\\KVADMIN";

} // namespace

WORD AdminCheckOf(const AdminBytes& record)
{
    int sum = 0;
    for (size_t i = 0; i < 48 && i < record.size(); ++i)
        sum += static_cast<signed char>(record[i]);
    return static_cast<WORD>(sum);
}

AdminBytes AdminWithCheck(AdminBytes body, WORD check)
{
    body.resize(48);
    body.push_back(static_cast<BYTE>(check));
    body.push_back(static_cast<BYTE>(check >> 8));
    return body;
}

AdminBytes AdminWithCheck(const AdminBytes& body)
{
    return AdminWithCheck(body, AdminCheckOf(body));
}

// The administration tool's side: the four seed bytes start a 16-bit key
// that runs along the plain bytes; each stored 16-bit word has its bytes
// exchanged. Bytes 8-47 carry filler that the driver must ignore.
AdminBytes ScrambledAdminRecord(DWORD flags, const BYTE (&seed)[4])
{
    BYTE plain[48], scrambled[48];
    for (int i = 0; i < 48; ++i)
        plain[i] = static_cast<BYTE>(0x3D * i + 0x11);
    for (int i = 0; i < 4; ++i)
        plain[4 + i] = static_cast<BYTE>(flags >> (8 * i));
    unsigned key = 0;
    for (int i = 0; i < 4; ++i) {
        scrambled[i] = seed[i];
        key = (key + seed[i]) * 27183 % 65536;
    }
    key = (key + 19427) % 65536;
    for (int i = 4; i < 48; ++i) {
        scrambled[i] = static_cast<BYTE>(plain[i] ^ (key >> 8));
        key = ((scrambled[i] + key) * 27183 + 65536 - 22861) % 65536;
    }
    AdminBytes body(48);
    for (int i = 0; i < 48; ++i)
        body[i] = scrambled[i ^ 1];
    return AdminWithCheck(body);
}

AdminBytes ScrambledAdminRecord(DWORD flags)
{
    static const BYTE seed[4] = {0xC3, 0x19, 0x8E, 0x72};
    return ScrambledAdminRecord(flags, seed);
}

bool PutAdminLock(const WCHAR* queue, DWORD flags)
{
    HANDLE printer = OpenTestPrinter(queue);
    if (!printer) return false;
    static const WCHAR name[] = L"KVADMIN.DAT";
    DWORD stored = SetPrinterDataW(printer, const_cast<WCHAR*>(L"Admin"), REG_SZ,
                                   reinterpret_cast<BYTE*>(const_cast<WCHAR*>(name)), sizeof name);
    ClosePrinter(printer);
    const AdminBytes record = ScrambledAdminRecord(flags);
    return stored == ERROR_SUCCESS &&
           RegSetKeyValueW(HKEY_LOCAL_MACHINE, kLockKey, L"Administrator", REG_BINARY, record.data(),
                           static_cast<DWORD>(record.size())) == ERROR_SUCCESS;
}

void ClearAdminLock(const WCHAR* queue)
{
    RemoveTestPrinterData(queue, L"Admin");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLockKey);
}
