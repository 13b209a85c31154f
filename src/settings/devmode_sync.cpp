// The derived fields: dmDuplex and the ProcessorBlock, recomputed from the
// upper part of the record whenever a setting changes, so that the
// spooler-side job processor never sees a stale block.
#include "settings/devmode_sync.h"

#include "settings/driver_devmode.h"

#include <cwchar>

namespace {

// Bits of the job-processor word: what the job needs from the processor.
constexpr DWORD kJobCollate = 0x00000002;
constexpr DWORD kJobMultiBin = 0x00800000;
constexpr DWORD kJobForced = 0x80000000;

constexpr WORD kOutputMultiBin = 0xFFFE;
constexpr BYTE kBinFlagsMultiBin = 0x01;
constexpr BYTE kHostFlagsFlwApp = 0x01;
constexpr BYTE kPaperFlagsPaper61 = 0x02;
constexpr int kPaperIsoB5 = 34;
constexpr int kPaper61 = 61;

// Tray words that select how the paper source reaches the job processor.
constexpr WORD kSourceMultiPurpose = 258;
constexpr WORD kSourceCassette2 = 2;

bool IsLandscape(const DEVMODEW& pub) { return pub.dmOrientation == DMORIENT_LANDSCAPE; }

// Whether the physical sheet stands upright: two pages per sheet turn it.
bool SheetUpright(const DEVMODEW& pub, const PrivateSettings& priv)
{
    const bool twoUp = priv.multiPage == 2;
    return IsLandscape(pub) ? twoUp : !twoUp;
}

// Papers whose binding the job processor places without looking at the
// sheet's direction.
bool BindsAlongLongEdge(int paper)
{
    static const int kPapers[] = {DMPAPER_LETTER, DMPAPER_EXECUTIVE, DMPAPER_A4, kPaperIsoB5};
    for (int p : kPapers)
        if (p == paper)
            return true;
    return false;
}

bool IsHandFed(WORD source) { return source == kSourceMultiPurpose || source == DMBIN_MANUAL; }

bool IsFullRecord(const DEVMODEW* record)
{
    return record && record->dmSize == kPublicDevmodeSize && record->dmDriverExtra == kPrivateSize;
}

DWORD JobProcessorWord(const DEVMODEW& pub, const PrivateSettings& priv)
{
    DWORD word = 0;
    const bool collate = priv.useDevmodeCollate ? pub.dmCollate == DMCOLLATE_TRUE
                                                : priv.processor.procCollate != 0;
    // A spooled job that the printer keeps is collated by the printer.
    const WORD mopyMode = priv.mopy & kMopyModeMask;
    const bool keptJob = (priv.mopy & kMopyOn) && (mopyMode == 1 || mopyMode == 2);
    if (collate && !keptJob)
        word |= kJobCollate;
    if (priv.binMode && priv.outputBin == kOutputMultiBin && priv.binNumber != 1 &&
        (word & kJobCollate) && !(priv.copyFlags & kCopyFlagsCollator))
        word |= kJobMultiBin;
    if (priv.processor.forceProcessor)
        word |= kJobForced;
    return word;
}

// Which source the job processor selects, and whether it must select one
// at all (sourceFlags bit 6), by the model's tray layout.
void SyncPaperSource(const DEVMODEW& pub, PrivateSettings& priv)
{
    ProcessorBlock& block = priv.processor;
    const DWORD trays = priv.modelTrays;
    const WORD source = static_cast<WORD>(pub.dmDefaultSource);
    const bool feeder = (priv.accessories & kAccessoriesFeeder) != 0;
    bool flag = false;
    WORD procSource = source;

    if (trays == kTraysDualCassette) {
        if (IsUserPaper(pub.dmPaperSize)) {
            flag = !feeder;
            procSource = feeder ? kSourceMultiPurpose : kSourceCassette2;
        } else if (source == DMBIN_AUTO) {
            const bool fromFeeder = feeder && priv.outputBin == 0;
            flag = !fromFeeder;
            procSource = fromFeeder ? kSourceMultiPurpose : kSourceCassette2;
        } else {
            flag = !IsHandFed(source);
        }
    } else if (trays == 0) {
        flag = false;
    } else if (!(trays & (kTraysMultiPurpose | kTraysManualSlot)) && (trays & kTraysSingleFeed)) {
        flag = true;
        if (source == DMBIN_AUTO)
            procSource = DMBIN_UPPER;
    } else if (trays & (kTraysMultiPurpose | kTraysManualSlot)) {
        flag = source == DMBIN_AUTO || IsHandFed(source);
        if (source == DMBIN_AUTO)
            procSource = (trays & kTraysMultiPurpose) ? kSourceMultiPurpose : DMBIN_UPPER;
    } else {
        flag = source != DMBIN_AUTO && IsHandFed(source);
        if (source == DMBIN_AUTO)
            procSource = DMBIN_UPPER;
    }
    block.sourceFlags = static_cast<BYTE>(flag ? block.sourceFlags | kSourceFlagsTray
                                               : block.sourceFlags & ~kSourceFlagsTray);
    block.procSource = procSource;
}

bool TopLevelClassIs(const char* wanted)
{
    HWND window = GetActiveWindow();
    if (!window)
        return false;
    for (HWND parent = GetParent(window); parent; parent = GetParent(parent))
        window = parent;
    char name[64];
    if (!GetClassNameA(window, name, sizeof(name)))
        return false;
    // ASCII comparison: the class name is not language text.
    const char* a = name;
    const char* b = wanted;
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'A' && *a <= 'Z') ? char(*a - 'A' + 'a') : *a;
        char y = (*b >= 'A' && *b <= 'Z') ? char(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

}  // namespace

void DeriveDevmodeDuplex(DEVMODEW* record)
{
    if (!IsFullRecord(record))
        return;
    PrivateSettings& priv = *PrivatePart(record);
    if (!(priv.duplex & kDuplexOn)) {
        record->dmDuplex = DMDUP_SIMPLEX;
        return;
    }
    switch (priv.duplex & kDuplexLayoutMask) {
    case 0:
    case 1: record->dmDuplex = DMDUP_VERTICAL; break;
    case 2:
    case 3: record->dmDuplex = DMDUP_HORIZONTAL; break;
    case 4:
    case 5:
        record->dmDuplex = SheetUpright(*record, priv) ? DMDUP_VERTICAL : DMDUP_HORIZONTAL;
        break;
    default: record->dmDuplex = DMDUP_SIMPLEX; break;
    }
}

void SyncDerivedSettings(DEVMODEW* record)
{
    if (!IsFullRecord(record))
        return;
    DEVMODEW& pub = *record;
    PrivateSettings& priv = *PrivatePart(record);
    ProcessorBlock& block = priv.processor;

    const DWORD job = JobProcessorWord(pub, priv);
    SyncPaperSource(pub, priv);

    DWORD accessories = priv.accessories;
    if ((priv.modelCodeWord & 0xFF) <= 1)
        accessories |= 0x0008;
    if (priv.outputBin == 0)
        accessories |= 0x80000000;
    block.procAccessories = accessories;
    const bool fitPaper = priv.scaling == kScalingFitPaper;
    block.procFitPaper = fitPaper ? static_cast<SHORT>(priv.paperSizeCopy) : -1;
    block.procFitTarget = fitPaper ? priv.fitPaperSize : 0xFFFF;
    block.procScale = priv.scalingSize;
    block.procRotate = (priv.imageProcess & kImageRotate180) ? 1 : 0;
    block.procRotateAngle = block.procRotate ? 180 : 0;

    if (!priv.bindModeSwitch) {
        block.procBindMode = 0;
    } else {
        block.procBindMode = BindsAlongLongEdge(pub.dmPaperSize) ? 1
                             : SheetUpright(pub, priv)           ? 2
                                                                 : 3;
    }
    block.procRelayedSwitch = priv.relayedSwitch;

    // The multi-bin path is the printer's own when its collator is fitted.
    if (!(priv.copyFlags & kCopyFlagsCollator)) {
        if (priv.binMode && priv.outputBin == kOutputMultiBin && priv.binNumber != 1 &&
            priv.collate) {
            block.procBinSelect = -1;
            block.procBinFlags |= kBinFlagsMultiBin;
            block.procBinOn = 1;
            block.procBin = static_cast<BYTE>(priv.binNumber ? priv.binNumber - 1 : priv.binMode);
        } else {
            block.procBinSelect = 0;
            block.procBinFlags &= ~kBinFlagsMultiBin;
            block.procBinOn = 0;
            block.procBin = 0;
        }
    }

    // Duplex, copies and pages per sheet are the printer's business.
    block.procDuplex = 0;
    block.procDuplexMode = 0;
    block.procDuplexOffset = 0;
    block.procDuplexAuto = 1;
    block.procPagesPerSheet = 1;
    block.procCollate = 0;
    block.procCopies = 0;
    if (!(priv.duplex & kDuplexOn))
        pub.dmDuplex = DMDUP_SIMPLEX;
    block.procBindingOffset = (priv.bindFlags & kBindOffsetOn) ? priv.bindingOffset : 0;

    if ((priv.copyFlags & kCopyFlagsCollator) && (job & kJobCollate)) {
        priv.copyFlags |= kCopyFlagsPrinterCopies;
        priv.printerCopies = static_cast<WORD>(pub.dmCopies);
    } else {
        priv.copyFlags &= ~kCopyFlagsPrinterCopies;
    }

    // One host application needs the job processor's help with its pages.
    if (TopLevelClassIs("FLWApp"))
        block.hostFlags |= kHostFlagsFlwApp;
    else
        block.hostFlags &= ~kHostFlagsFlwApp;

    ZeroMemory(block.procFile, sizeof(block.procFile));
    if (job & (kJobMultiBin | kJobForced)) {
        const size_t chars = ARRAYSIZE(priv.printProcessorFile);
        for (size_t i = 0; i < chars && priv.printProcessorFile[i]; ++i)
            block.procFile[i] = priv.printProcessorFile[i];
    }

    const int effectivePaper =
        priv.scaling == kScalingFitPaper ? priv.fitPaperSize : pub.dmPaperSize;
    if (effectivePaper == kPaper61)
        block.procPaperFlags |= kPaperFlagsPaper61;
    else
        block.procPaperFlags &= ~kPaperFlagsPaper61;
}
