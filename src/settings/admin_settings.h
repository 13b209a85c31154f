// Locks an administrator puts on some print settings for every user of a
// printer. The administration tool of the driver package keeps them in a
// small scrambled record; this module finds the record of a printer,
// checks and unscrambles it and hands out its lock flags. It never writes
// the record.
#pragma once

#include <windows.h>

#include <cstddef>

// The reader's context: the caller sets printer; adminFlags holds the lock
// flags after a successful read and is left as it was otherwise.
struct AdminSettings {
    HANDLE printer;
    DWORD  adminFlags;
};

// adminFlags. Without kAdminInForce no other bit counts.
const DWORD kAdminInForce = 0x80;
const DWORD kAdminLockCopies = 0x01;      // copies and collation
const DWORD kAdminLockLayout = 0x02;      // pages per sheet, poster and scaling
const DWORD kAdminLockColor = 0x04;       // output colour
const DWORD kAdminLockWatermark = 0x08;   // the watermark

// The record as the administration tool stores it. Unscrambled, the body
// holds 4 zero bytes (they only seed the scrambling), adminFlags
// (little-endian) and 40 bytes this module does not use.
#pragma pack(push, 1)
struct AdminRecord {
    BYTE body[48];   // scrambled
    WORD check;      // the body bytes as signed values, summed modulo 65536; never 0
};
#pragma pack(pop)
static_assert(sizeof(AdminRecord) == 50, "stored by the administration tool");
static_assert(offsetof(AdminRecord, check) == 48, "");

// Looks for the printer's record, in this order:
//   - on a shared network connection, only the printer data value
//     "Administrator";
//   - otherwise the value "Administrator" of the key
//     HKLM\Software\Zentari\PrinterDriver\<stem>, where the printer data
//     value "Admin" is a file name and <stem> that name without its
//     extension;
//   - then the first 50 bytes of that file, in the directory of the
//     driver's data file.
// "Admin" must be a plain file name: one holding a path, a drive, a device
// name or characters a file name cannot have names no record.
// TRUE when a valid record was found (adminFlags is set); FALSE means that
// nothing is locked. Within one spooler call for the printer (SpoolerCall)
// the record is looked for once.
BOOL ReadAdminSettings(AdminSettings* settings);

// Whether the feature's lock (one of kAdminLock*) is in force: read is what
// ReadAdminSettings returned for settings.
BOOL AdminLockInForce(BOOL read, const AdminSettings* settings, DWORD lock);
