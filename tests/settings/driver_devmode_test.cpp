// Recognising the driver's DEVMODE and finding its parts, including records
// from other drivers and buffers that end early.
#include "settings/driver_devmode.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Public-part offsets of the fields the tests forge.
constexpr size_t kSpecVersionAt = offsetof(DEVMODEW, dmSpecVersion);
constexpr size_t kSizeAt        = offsetof(DEVMODEW, dmSize);
constexpr size_t kExtraAt       = offsetof(DEVMODEW, dmDriverExtra);

void Put16(BYTE* at, WORD value) { memcpy(at, &value, sizeof(value)); }
void Put32(BYTE* at, DWORD value) { memcpy(at, &value, sizeof(value)); }

// size zeroed bytes that end exactly at an inaccessible page, so any read
// past the end crashes the test instead of passing silently.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size) : size_(size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t span = (size + page - 1) / page * page + page;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        guarded_ = base_ && VirtualProtect(base_ + span - page, page, PAGE_NOACCESS, &old);
        data_ = base_ + span - page - size;
    }
    ~GuardedBuffer()
    {
        if (base_)
            VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    bool ok() const { return guarded_; }
    size_t size() const { return size_; }
    BYTE* bytes() { return data_; }
    DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(data_); }

private:
    size_t size_;
    BYTE* base_ = nullptr;
    BYTE* data_ = nullptr;
    bool guarded_ = false;
};

// A zeroed record that passes the full identification, copied to the start
// of bytes (which must hold at least kDriverDevmodeSize bytes).
void WriteWellFormed(BYTE* bytes)
{
    DriverDevmode record = {};
    record.pub.dmSpecVersion = kSpecVersion;
    record.pub.dmDriverVersion = kDriverVersion;
    record.pub.dmSize = kPublicDevmodeSize;
    record.pub.dmDriverExtra = kPrivateSize;
    record.priv.processorBlockOffset = kProcessorBlockOffset;
    record.priv.signature = kPrivateSignature;
    record.priv.tag = kPrivateTag;
    memcpy(bytes, &record, sizeof(record));
}

// A record with a public part of publicSize bytes and the signature at
// private offset 2, declaring driverExtra private bytes.
void WriteSigned(BYTE* bytes, WORD publicSize, WORD driverExtra)
{
    Put16(bytes + kSpecVersionAt, kSpecVersion);
    Put16(bytes + kSizeAt, publicSize);
    Put16(bytes + kExtraAt, driverExtra);
    Put16(bytes + publicSize + 2, kPrivateSignature);
}

TEST(DriverDevmodeIdentification, RecognisesTheIdentificationBytesInFileOrder)
{
    // Written byte by byte as a stored record holds them, not through the
    // structures: catches a wrong offset or a byte-swapped constant.
    GuardedBuffer buffer(kDriverDevmodeSize);
    ASSERT_TRUE(buffer.ok());
    BYTE* bytes = buffer.bytes();
    const BYTE header[] = {0x01, 0x04, 0x07, 0x01, 0xDC, 0x00, 0x94, 0x09};
    memcpy(bytes + kSpecVersionAt, header, sizeof(header));
    const BYTE identification[] = {0xE0, 0x05, 0x01, 0xFF, 'P', 'R', 'I', 'V'};
    memcpy(bytes + 220, identification, sizeof(identification));

    EXPECT_TRUE(IsDriverDevmode(buffer.dm(), buffer.size()));
    EXPECT_TRUE(HasDriverSignature(buffer.dm(), buffer.size()));
    EXPECT_EQ(PrivatePart(buffer.dm())->processorBlockOffset, kProcessorBlockOffset);

    DWORD endTag = kProcessorEndTag;
    EXPECT_EQ(memcmp(&endTag, "EOSC", 4), 0);
}

TEST(DriverDevmodeIdentification, RejectsEachSingleViolatedCondition)
{
    struct Case {
        const char* what;
        size_t at;
        DWORD value;
        size_t width;
        bool signatureStays;   // the weak test still passes
    };
    const size_t privateAt = kPublicDevmodeSize;
    const Case cases[] = {
        {"older dmSpecVersion", kSpecVersionAt, 0x0400, 2, true},
        {"public part of 212 bytes", kSizeAt, 212, 2, false},
        {"public part of 221 bytes", kSizeAt, 221, 2, false},
        {"private part one byte short", kExtraAt, kPrivateSize - 1, 2, true},
        {"private part one byte long", kExtraAt, kPrivateSize + 1, 2, true},
        {"another signature", privateAt + 2, 0xFF02, 2, false},
        {"tag not PRIV", privateAt + 4, 0x58495250, 4, true},
        {"tag byte-swapped", privateAt + 4, 0x50524956, 4, true},
    };
    for (const Case& c : cases) {
        // Room for the longest declared record, so only the field decides.
        GuardedBuffer buffer(kDriverDevmodeSize + 16);
        ASSERT_TRUE(buffer.ok());
        WriteWellFormed(buffer.bytes());
        ASSERT_TRUE(IsDriverDevmode(buffer.dm(), buffer.size())) << c.what;
        if (c.width == 2)
            Put16(buffer.bytes() + c.at, static_cast<WORD>(c.value));
        else
            Put32(buffer.bytes() + c.at, c.value);
        EXPECT_FALSE(IsDriverDevmode(buffer.dm(), buffer.size())) << c.what;
        EXPECT_EQ(HasDriverSignature(buffer.dm(), buffer.size()) != FALSE, c.signatureStays) << c.what;
    }
}

TEST(DriverDevmodeIdentification, NeedsTheWholeRecordInsideTheBuffer)
{
    EXPECT_FALSE(IsDriverDevmode(nullptr, kDriverDevmodeSize));
    EXPECT_FALSE(HasDriverSignature(nullptr, kDriverDevmodeSize));

    GuardedBuffer whole(kDriverDevmodeSize);
    ASSERT_TRUE(whole.ok());
    WriteWellFormed(whole.bytes());
    EXPECT_TRUE(IsDriverDevmode(whole.dm(), kDriverDevmodeSize));
    for (size_t size : {size_t(0), size_t(71), size_t(kDriverDevmodeSize - 1)})
        EXPECT_FALSE(IsDriverDevmode(whole.dm(), size)) << size;

    // A record cut short: the size fields promise more than there is.
    GuardedBuffer cut(kDriverDevmodeSize - 1);
    ASSERT_TRUE(cut.ok());
    BYTE full[kDriverDevmodeSize];
    WriteWellFormed(full);
    memcpy(cut.bytes(), full, cut.size());
    EXPECT_FALSE(IsDriverDevmode(cut.dm(), cut.size()));

    // Too short even for the size fields: they must not be read at all.
    GuardedBuffer stub(40);
    ASSERT_TRUE(stub.ok());
    EXPECT_FALSE(IsDriverDevmode(stub.dm(), stub.size()));
    EXPECT_FALSE(HasDriverSignature(stub.dm(), stub.size()));
}

TEST(DriverDevmodeSignature, FindsThePrivatePartThroughDmSize)
{
    // An older 156-byte public part: the signature is at 158, not at 222.
    GuardedBuffer shortRecord(160);
    ASSERT_TRUE(shortRecord.ok());
    WriteSigned(shortRecord.bytes(), 156, 4);
    EXPECT_TRUE(HasDriverSignature(shortRecord.dm(), shortRecord.size()));
    EXPECT_FALSE(IsDriverDevmode(shortRecord.dm(), shortRecord.size()));
    EXPECT_EQ(reinterpret_cast<BYTE*>(PrivatePart(shortRecord.dm())), shortRecord.bytes() + 156);

    // The signature where a 220-byte public part would put it does not count.
    GuardedBuffer misplaced(kDriverDevmodeSize);
    ASSERT_TRUE(misplaced.ok());
    WriteWellFormed(misplaced.bytes());
    Put16(misplaced.bytes() + kSizeAt, 156);
    EXPECT_FALSE(HasDriverSignature(misplaced.dm(), misplaced.size()));
}

TEST(DriverDevmodeSignature, HoldsAtTheSizeLimits)
{
    struct Case {
        WORD publicSize;
        WORD driverExtra;
        bool passes;
    };
    const Case cases[] = {
        {72, 4, true},
        {71, 4, false},   // cannot even hold its own size fields
        {72, 3, false},   // private part too short for the signature
        {188, kPrivateSize, true},
        {kPublicDevmodeSize, kPrivateSize, true},
    };
    for (const Case& c : cases) {
        GuardedBuffer buffer(c.publicSize + (c.driverExtra < 4 ? 4 : c.driverExtra));
        ASSERT_TRUE(buffer.ok());
        WriteSigned(buffer.bytes(), c.publicSize, c.driverExtra);
        EXPECT_EQ(HasDriverSignature(buffer.dm(), buffer.size()) != FALSE, c.passes)
            << c.publicSize << "/" << c.driverExtra;
    }
}

TEST(DriverDevmodeSignature, ReadsNothingBeyondTheBuffer)
{
    // The signature straddles the end of the buffer.
    GuardedBuffer straddling(159);
    ASSERT_TRUE(straddling.ok());
    Put16(straddling.bytes() + kSizeAt, 156);
    Put16(straddling.bytes() + kExtraAt, 4);
    straddling.bytes()[158] = 0x01;
    EXPECT_FALSE(HasDriverSignature(straddling.dm(), straddling.size()));

    // A public part declared far longer than the buffer.
    GuardedBuffer overlong(100);
    ASSERT_TRUE(overlong.ok());
    Put16(overlong.bytes() + kSizeAt, 4000);
    Put16(overlong.bytes() + kExtraAt, kPrivateSize);
    EXPECT_FALSE(HasDriverSignature(overlong.dm(), overlong.size()));
    EXPECT_FALSE(IsDriverDevmode(overlong.dm(), overlong.size()));
}

TEST(DriverDevmodeLocation, FindsTheProcessorBlockThroughItsOffsetField)
{
    GuardedBuffer buffer(kDriverDevmodeSize);
    ASSERT_TRUE(buffer.ok());
    WriteWellFormed(buffer.bytes());
    DEVMODEW* dm = buffer.dm();
    const DEVMODEW* constDm = dm;
    EXPECT_EQ(reinterpret_cast<BYTE*>(ProcessorBlockOf(dm)), buffer.bytes() + kProcessorBlockOffset);
    EXPECT_EQ(ProcessorBlockOf(constDm), ProcessorBlockOf(dm));
    EXPECT_EQ(PrivatePart(constDm), PrivatePart(dm));

    // A shorter public part moves the whole private part, block included.
    Put16(buffer.bytes() + kSizeAt, 156);
    Put16(buffer.bytes() + 156, 156 + kPrivateSize - kProcessorBlockSize);
    EXPECT_EQ(reinterpret_cast<BYTE*>(ProcessorBlockOf(dm)), buffer.bytes() + 1440);
}

TEST(DriverDevmodeLocation, RefusesAProcessorBlockOutsideThePrivatePart)
{
    struct Case {
        const char* what;
        WORD blockOffset;
        WORD driverExtra;
    };
    const Case cases[] = {
        {"block runs past the record", kProcessorBlockOffset + 1, kPrivateSize},
        {"block inside the public part", 0, kPrivateSize},
        {"private part too short for the block", kProcessorBlockOffset, kProcessorBlockSize},
    };
    for (const Case& c : cases) {
        GuardedBuffer buffer(kDriverDevmodeSize);
        ASSERT_TRUE(buffer.ok());
        WriteWellFormed(buffer.bytes());
        Put16(buffer.bytes() + kPublicDevmodeSize, c.blockOffset);
        Put16(buffer.bytes() + kExtraAt, c.driverExtra);
        EXPECT_EQ(ProcessorBlockOf(buffer.dm()), nullptr) << c.what;
    }
    EXPECT_EQ(ProcessorBlockOf(static_cast<DEVMODEW*>(nullptr)), nullptr);
    EXPECT_EQ(PrivatePart(static_cast<DEVMODEW*>(nullptr)), nullptr);
}

}  // namespace
