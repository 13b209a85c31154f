#include "settings/driver_devmode.h"

#include <cstring>

namespace {

// dmSize and dmDriverExtra end here; no DEVMODE shorter than this can say
// where its private part is.
constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmFields);
static_assert(kSizeFieldsEnd == 72, "DEVMODEW size fields");

// The caller's record may sit at any address and the private part follows a
// public part of any length, so private fields are read bytewise.
WORD ReadWord(const BYTE* at)
{
    WORD value;
    memcpy(&value, at, sizeof(value));
    return value;
}

DWORD ReadDword(const BYTE* at)
{
    DWORD value;
    memcpy(&value, at, sizeof(value));
    return value;
}

const BYTE* PrivateBytes(const DEVMODEW* dm)
{
    return reinterpret_cast<const BYTE*>(dm) + dm->dmSize;
}

}  // namespace

BOOL IsDriverDevmode(const DEVMODEW* dm, size_t bufferSize)
{
    if (!dm || bufferSize < kSizeFieldsEnd)
        return FALSE;
    if (dm->dmSpecVersion != kSpecVersion || dm->dmSize != kPublicDevmodeSize ||
        dm->dmDriverExtra != kPrivateSize)
        return FALSE;
    if (bufferSize < size_t(dm->dmSize) + dm->dmDriverExtra)
        return FALSE;
    const BYTE* priv = PrivateBytes(dm);
    return ReadWord(priv + offsetof(PrivateSettings, signature)) == kPrivateSignature &&
           ReadDword(priv + offsetof(PrivateSettings, tag)) == kPrivateTag;
}

BOOL HasDriverSignature(const DEVMODEW* dm, size_t bufferSize)
{
    const size_t signatureEnd = offsetof(PrivateSettings, signature) + sizeof(WORD);
    if (!dm || bufferSize < kSizeFieldsEnd)
        return FALSE;
    if (dm->dmSize < kSizeFieldsEnd || dm->dmDriverExtra < signatureEnd)
        return FALSE;
    // A record may declare more than the caller holds; only what is in the
    // buffer is read.
    if (bufferSize < size_t(dm->dmSize) + signatureEnd)
        return FALSE;
    return ReadWord(PrivateBytes(dm) + offsetof(PrivateSettings, signature)) == kPrivateSignature;
}

PrivateSettings* PrivatePart(DEVMODEW* dm)
{
    return const_cast<PrivateSettings*>(PrivatePart(static_cast<const DEVMODEW*>(dm)));
}

const PrivateSettings* PrivatePart(const DEVMODEW* dm)
{
    if (!dm)
        return nullptr;
    return reinterpret_cast<const PrivateSettings*>(PrivateBytes(dm));
}

ProcessorBlock* ProcessorBlockOf(DEVMODEW* dm)
{
    return const_cast<ProcessorBlock*>(ProcessorBlockOf(static_cast<const DEVMODEW*>(dm)));
}

const ProcessorBlock* ProcessorBlockOf(const DEVMODEW* dm)
{
    if (!dm || dm->dmDriverExtra < sizeof(WORD))
        return nullptr;
    // The offset travels inside merged records, so it is only trusted when
    // the whole block lies within the private part the record declares.
    const size_t offset = ReadWord(PrivateBytes(dm) + offsetof(PrivateSettings, processorBlockOffset));
    if (offset < dm->dmSize || offset + kProcessorBlockSize > size_t(dm->dmSize) + dm->dmDriverExtra)
        return nullptr;
    return reinterpret_cast<const ProcessorBlock*>(reinterpret_cast<const BYTE*>(dm) + offset);
}
