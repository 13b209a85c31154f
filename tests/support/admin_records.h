// Administrator lock records as the administration tool writes them, for
// tests that lock settings on a real queue.
#pragma once

#include <windows.h>

#include <vector>

using AdminBytes = std::vector<BYTE>;

// The body bytes as signed values, summed: the check word.
WORD AdminCheckOf(const AdminBytes& record);
// The first 48 bytes of body followed by check, little-endian.
AdminBytes AdminWithCheck(AdminBytes body, WORD check);
AdminBytes AdminWithCheck(const AdminBytes& body);

// A scrambled, summed record holding flags (kAdmin* bits), started from
// the four seed bytes.
AdminBytes ScrambledAdminRecord(DWORD flags, const BYTE (&seed)[4]);
AdminBytes ScrambledAdminRecord(DWORD flags);

// Locks the queue's settings with flags through the registry source
// ("Admin" = KVADMIN.DAT, the record under
// HKLM\Software\Zentari\PrinterDriver\KVADMIN); false when it cannot.
bool PutAdminLock(const WCHAR* queue, DWORD flags);
// Removes what PutAdminLock wrote.
void ClearAdminLock(const WCHAR* queue);
