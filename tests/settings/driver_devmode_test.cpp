// Recognising the driver's DEVMODE and finding its parts, including records
// from other drivers and buffers that end early.
#include "settings/driver_devmode.h"

#include "support/guarded_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr size_t kSizeAt = offsetof(DEVMODEW, dmSize);
constexpr size_t kExtraAt = offsetof(DEVMODEW, dmDriverExtra);

void Put16(BYTE* at, WORD value) { memcpy(at, &value, sizeof(value)); }

// size zeroed bytes ending at an inaccessible page, so any read past the
// end crashes the test instead of passing silently.
std::shared_ptr<BYTE> ZeroedGuarded(size_t size)
{
    std::shared_ptr<BYTE> bytes = GuardedBytes(size);
    memset(bytes.get(), 0, size);
    return bytes;
}

DEVMODEW* AsDevmode(const std::shared_ptr<BYTE>& bytes) { return reinterpret_cast<DEVMODEW*>(bytes.get()); }

// A record that passes the full identification, written byte by byte as a
// stored record holds them (catches a wrong offset or a byte-swapped
// constant), cut off where the buffer ends.
void WriteWellFormed(BYTE* buffer, size_t size)
{
    BYTE record[kDriverDevmodeSize] = {};
    const BYTE header[] = {0x01, 0x04, 0x07, 0x01, 0xDC, 0x00, 0x94, 0x09};
    memcpy(record + offsetof(DEVMODEW, dmSpecVersion), header, sizeof(header));
    const BYTE identification[] = {0xE0, 0x05, 0x01, 0xFF, 'P', 'R', 'I', 'V'};
    memcpy(record + 220, identification, sizeof(identification));
    memcpy(buffer, record, size < sizeof(record) ? size : sizeof(record));
}

TEST(DriverDevmodeIdentification, AcceptsOnlyTheWellFormedRecord)
{
    // One field changed per row (none in the first); size 0 leaves room for
    // the longest declared record, other sizes cut the record at a guard page.
    const struct { const char* what; size_t at; DWORD value; size_t size; bool weak, full; } cases[] = {
        {"well-formed", 0, 0, 0, true, true},
        {"older dmSpecVersion", offsetof(DEVMODEW, dmSpecVersion), 0x0400, 0, true, false},
        {"public part of 212 bytes", kSizeAt, 212, 0, false, false},
        {"public part of 221 bytes", kSizeAt, 221, 0, false, false},
        {"signature only where 220 bytes would put it", kSizeAt, 156, 0, false, false},
        {"private part one byte short", kExtraAt, kPrivateSize - 1, 0, true, false},
        {"private part one byte long", kExtraAt, kPrivateSize + 1, 0, true, false},
        {"another signature", 222, 0xFF02, 0, false, false},
        {"tag not PRIV, dmDriverExtra 2452", 224, 0x58495250, 0, true, false},
        {"tag byte-swapped", 224, 0x50524956, 0, true, false},
        {"buffer without the size fields", 0, 0, 40, false, false},
        {"buffer ends inside the size fields", 0, 0, 71, false, false},
        {"buffer one byte short", 0, 0, kDriverDevmodeSize - 1, true, false},
    };
    for (const auto& c : cases) {
        const size_t size = c.size ? c.size : kDriverDevmodeSize + 16;
        const auto buffer = ZeroedGuarded(size);
        WriteWellFormed(buffer.get(), size);
        if (c.at)
            memcpy(buffer.get() + c.at, &c.value, c.at == 224 ? 4 : 2);
        EXPECT_EQ(IsDriverDevmode(AsDevmode(buffer), size) != FALSE, c.full) << c.what;
        EXPECT_EQ(HasDriverSignature(AsDevmode(buffer), size) != FALSE, c.weak) << c.what;
    }
    EXPECT_FALSE(IsDriverDevmode(nullptr, kDriverDevmodeSize));
    EXPECT_FALSE(HasDriverSignature(nullptr, kDriverDevmodeSize));
}

TEST(DriverDevmodeSignature, FindsThePrivatePartThroughDmSizeWithinTheBuffer)
{
    // Foreign records: a public part of publicSize bytes, the signature at
    // private offset 2 when it fits the buffer.
    const struct { size_t size; WORD publicSize, driverExtra; bool passes; } cases[] = {
        {160, 156, 4, true},    // an older public part: signature at 158, not 222
        {76, 72, 4, true}, {75, 71, 4, false},   // the size fields must fit the public part
        {76, 72, 3, false},     // private part too short for the signature
        {188 + kPrivateSize, 188, kPrivateSize, true},
        {159, 156, 4, false},   // signature straddles the end of the buffer
        {100, 4000, kPrivateSize, false},   // public part far longer than the buffer
    };
    for (const auto& c : cases) {
        const auto buffer = ZeroedGuarded(c.size);
        BYTE* const bytes = buffer.get();
        Put16(bytes + kSizeAt, c.publicSize);
        Put16(bytes + kExtraAt, c.driverExtra);
        if (c.publicSize + 4u <= c.size)
            Put16(bytes + c.publicSize + 2, kPrivateSignature);
        bytes[c.size - 1] |= 0x01;   // the straddling signature's first byte
        EXPECT_EQ(HasDriverSignature(AsDevmode(buffer), c.size) != FALSE, c.passes) << c.size;
        EXPECT_FALSE(IsDriverDevmode(AsDevmode(buffer), c.size)) << c.size;
        EXPECT_EQ(reinterpret_cast<BYTE*>(PrivatePart(AsDevmode(buffer))), bytes + c.publicSize);
    }
}

TEST(DriverDevmodeLocation, FindsTheProcessorBlockOnlyInsideThePrivatePart)
{
    const struct { const char* what; WORD publicSize, blockOffset, driverExtra; size_t expected; } cases[] = {
        {"well-formed", kPublicDevmodeSize, kProcessorBlockOffset, kPrivateSize, kProcessorBlockOffset},
        {"shorter public part", 156, 156 + kPrivateSize - kProcessorBlockSize, kPrivateSize, 1440},
        {"block runs past the record", kPublicDevmodeSize, kProcessorBlockOffset + 1, kPrivateSize, 0},
        {"block inside the public part", kPublicDevmodeSize, 0, kPrivateSize, 0},
        {"private part too short", kPublicDevmodeSize, kProcessorBlockOffset, kProcessorBlockSize, 0},
    };
    for (const auto& c : cases) {
        const auto buffer = ZeroedGuarded(kDriverDevmodeSize);
        BYTE* const bytes = buffer.get();
        WriteWellFormed(bytes, kDriverDevmodeSize);
        Put16(bytes + kSizeAt, c.publicSize);
        Put16(bytes + kExtraAt, c.driverExtra);
        Put16(bytes + c.publicSize, c.blockOffset);
        DEVMODEW* const dm = AsDevmode(buffer);
        const BYTE* found = reinterpret_cast<BYTE*>(ProcessorBlockOf(dm));
        EXPECT_EQ(found, c.expected ? bytes + c.expected : nullptr) << c.what;
        EXPECT_EQ(ProcessorBlockOf(static_cast<const DEVMODEW*>(dm)), ProcessorBlockOf(dm));
    }
    EXPECT_EQ(ProcessorBlockOf(static_cast<DEVMODEW*>(nullptr)), nullptr);
    EXPECT_EQ(PrivatePart(static_cast<DEVMODEW*>(nullptr)), nullptr);
}

}  // namespace
