// Taking DEVMODEs in from outside and handing them back. Incoming records
// come from applications and the spooler: of any size and version, from
// other drivers, truncated or corrupt. Nothing is read outside the extent a
// record declares (dmSize + dmDriverExtra) and nothing is written beyond
// what the caller's record declares.
#include "settings/devmode_merge.h"

#include "core/model_queries.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_sync.h"
#include "settings/model_defaults.h"

#include <cstring>

namespace {

// No DEVMODE shorter than this can say how long it is.
constexpr size_t kSizeFieldsEnd = offsetof(DEVMODEW, dmFields);
constexpr size_t kFieldsEnd = offsetof(DEVMODEW, dmOrientation);

// The public sizes of the DEVMODE versions the platform has defined.
struct KnownSize {
    WORD size;
    WORD version;
};
const KnownSize kKnownSizes[] = {{188, 0x0320}, {212, 0x0400}, {220, 0x0401}};

constexpr WORD kBandingMax = 4;


bool IsKnownSize(WORD size)
{
    for (const KnownSize& k : kKnownSizes)
        if (k.size == size)
            return true;
    return false;
}

bool IsUsable(const DEVMODEW* dm)
{
    return dm && (IsKnownSize(dm->dmSize) || dm->dmSpecVersion != 0);
}

WORD VersionForSize(WORD size, WORD own)
{
    for (const KnownSize& k : kKnownSizes)
        if (k.size == size)
            return k.version;
    return own;
}

bool ModelHasDuplex(const ModelContext* model)
{
    const ModelFeature* duplex = FeatureOfKind(model, kKindDuplex);
    return duplex && duplex->optionCount > 0;
}

template <typename Char, size_t N>
void Terminate(Char (&text)[N], size_t at = N - 1)
{
    text[at] = 0;
}

// The public fields an incoming record may set, each only with its bit in
// the incoming dmFields and each checked against what the model can do.
// in holds the incoming values over the current ones.
void TakePublicFields(DEVMODEW& out, const DriverDevmode& in, DWORD fields,
                      const ModelContext* model, HANDLE printer)
{
    const DEVMODEW& pub = in.pub;
    const PrivateSettings& priv = in.priv;

    if (fields & DM_DEFAULTSOURCE)
        out.dmDefaultSource = pub.dmDefaultSource;
    if (fields & DM_ORIENTATION)
        out.dmOrientation = pub.dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE
                                                                    : DMORIENT_PORTRAIT;

    // Only a user-defined paper is described by its length and width.
    bool lengthTaken = false;
    bool widthTaken = false;
    if (pub.dmPaperSize == DMPAPER_USER) {
        if ((fields & DM_PAPERLENGTH) && pub.dmPaperLength > 0) {
            out.dmPaperLength = pub.dmPaperLength;
            out.dmFields |= DM_PAPERLENGTH;
            lengthTaken = true;
        }
        if ((fields & DM_PAPERWIDTH) && pub.dmPaperWidth > 0) {
            out.dmPaperWidth = pub.dmPaperWidth;
            out.dmFields |= DM_PAPERWIDTH;
            widthTaken = true;
        }
    }
    if (fields & DM_PAPERSIZE) {
        out.dmPaperSize = pub.dmPaperSize;
        if (pub.dmPaperSize == DMPAPER_USER) {
            if (!lengthTaken && !widthTaken) {
                out.dmPaperLength = static_cast<SHORT>(priv.customPaperLength);
                out.dmPaperWidth = static_cast<SHORT>(priv.customPaperWidth);
            }
        } else {
            SetPaperDimensions(&out, model, printer);
        }
    }
    if (fields & DM_FORMNAME) {
        memcpy(out.dmFormName, pub.dmFormName, sizeof(out.dmFormName));
        Terminate(out.dmFormName);
    }
    if ((fields & DM_SCALE) && (priv.scaleFlag & kScaleFlagKeepsField)) {
        out.dmScale = pub.dmScale >= 1 && pub.dmScale <= 1000 ? pub.dmScale : 100;
        out.dmFields |= DM_SCALE;
    }
    if (fields & DM_COPIES) {
        const SHORT max = (model->modelCaps & kCapsCopies99) == kCapsCopies99 ? kMaxCopiesLimited
                                                                               : kMaxCopies;
        out.dmFields |= DM_COPIES;
        out.dmCopies = pub.dmCopies >= 1 && pub.dmCopies <= max ? pub.dmCopies : 1;
    } else {
        out.dmCopies = 1;
    }
    if (fields & DM_PRINTQUALITY) {
        out.dmFields |= DM_PRINTQUALITY;
        out.dmPrintQuality = static_cast<SHORT>(FeatureOfKind(model, kKindResolution)
                                                    ? DefaultOptionValue(model, kKindResolution)
                                                    : 300);
        const SHORT dpi = pub.dmPrintQuality;
        if (dpi > 0 && OffersResolution(model, static_cast<uint32_t>(dpi)))
            out.dmPrintQuality = pub.dmPrintQuality;
    }
    if (fields & DM_YRESOLUTION)
        out.dmFields |= DM_YRESOLUTION;
    if (fields & DM_COLOR) {
        out.dmFields |= DM_COLOR;
        out.dmColor = model->colorDevice && pub.dmColor == DMCOLOR_COLOR ? DMCOLOR_COLOR
                                                                        : DMCOLOR_MONOCHROME;
    }
    if (fields & DM_DUPLEX) {
        const SHORT duplex = pub.dmDuplex;
        if (ModelHasDuplex(model) && duplex >= DMDUP_SIMPLEX && duplex <= DMDUP_HORIZONTAL) {
            out.dmDuplex = pub.dmDuplex;
            out.dmFields |= DM_DUPLEX;
        } else {
            out.dmDuplex = DMDUP_SIMPLEX;
        }
    }
    // Collation follows dmCollate only while the record says so; otherwise
    // the private switch decides and the public field is not offered.
    if (priv.useDevmodeCollate) {
        if (fields & DM_COLLATE) {
            out.dmCollate = pub.dmCollate == DMCOLLATE_TRUE ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
            out.dmFields |= DM_COLLATE;
        }
    } else {
        out.dmFields &= ~DM_COLLATE;
    }
}

// Takes over a private part and puts back what belongs to the current
// model and installation rather than to the record's origin.
void TakePrivatePart(PrivateSettings& out, const PrivateSettings& in, const ModelContext* model,
                     const DEVMODEW& pub)
{
    const PrivateSettings before = out;
    memcpy(&out, &in, sizeof(out));

    // The block is where the record's own sizes put it.
    out.processorBlockOffset = kProcessorBlockOffset;
    memcpy(out.printProcessorFile, before.printProcessorFile, sizeof(out.printProcessorFile));
    memcpy(out.languageResourceFile, before.languageResourceFile, sizeof(out.languageResourceFile));
    memcpy(out.modelResourceFile, before.modelResourceFile, sizeof(out.modelResourceFile));
    memcpy(out.optionInformationFile, before.optionInformationFile,
           sizeof(out.optionInformationFile));
    out.compMode1028 = before.compMode1028;
    out.modelCaps = before.modelCaps;
    out.modelFeatures = before.modelFeatures;
    out.modelTrays = before.modelTrays;
    if (out.bandingMode > kBandingMax)
        out.bandingMode = before.bandingMode;
    if ((out.modeSelector2 & kPosterBandingMask) > kBandingMax)
        out.modeSelector2 = before.modeSelector2;
    NormalizeMacroFields(&out);

    Terminate(out.customPaperName);
    Terminate(out.languageName);
    Terminate(out.mopyUser);
    Terminate(out.mopyJob, 123);
    Terminate(out.reservedText);
    Terminate(out.processor.idWatermarkName);
    // Texts that other code shows or passes on as strings.
    Terminate(out.watermarkTitle);
    Terminate(out.spoolComputerName);
    Terminate(out.processor.spoolDefaultUserName);
    Terminate(out.processor.watermark.text);
    Terminate(out.processor.watermark.font.lfFaceName);
    Terminate(out.processor.headerFooterFont.lfFaceName);

    // Selections saved for another model description mean nothing here.
    if (out.modelChecksum != model->modelChecksum)
        ResetOptionSelections(&out, model);
    if ((out.scaleFlag & kScaleFlagFollowsDmScale) == kScaleFlagFollowsDmScale)
        out.scalingSize = static_cast<WORD>(pub.dmScale);
}

// A user-defined page too long to print upright but short enough to lie
// sideways is printed sideways; its size becomes the remembered custom size.
void SettleUserSize(DEVMODEW& pub, PrivateSettings& priv)
{
    const bool hasLength = (pub.dmFields & DM_PAPERLENGTH) != 0;
    const bool hasWidth = (pub.dmFields & DM_PAPERWIDTH) != 0;
    if (!IsUserPaper(pub.dmPaperSize) || (!hasLength && !hasWidth))
        return;
    if (hasLength && hasWidth) {
        const int length = pub.dmPaperLength;
        const int width = pub.dmPaperWidth;
        const bool fitsUpright = length <= kLargestPaperLength && width <= kLargestPaperWidth;
        const bool fitsSideways = width <= kLargestPaperLength && length <= kLargestPaperWidth;
        if (length < width && !fitsUpright && fitsSideways) {
            pub.dmPaperLength = static_cast<SHORT>(width);
            pub.dmPaperWidth = static_cast<SHORT>(length);
            pub.dmOrientation = DMORIENT_LANDSCAPE;
        }
    }
    if (hasLength)
        priv.customPaperLength = static_cast<WORD>(pub.dmPaperLength);
    if (hasWidth)
        priv.customPaperWidth = static_cast<WORD>(pub.dmPaperWidth);
}

// The private duplex word follows a public duplex request; layouts that
// bind along the other edge are brought back to one that matches it.
void SettleDuplex(const DEVMODEW& pub, PrivateSettings& priv)
{
    if (!(pub.dmFields & DM_DUPLEX))
        return;
    const bool landscape = pub.dmOrientation == DMORIENT_LANDSCAPE;
    const bool twoUp = priv.multiPage == 2;
    const WORD code = priv.duplex & kDuplexLayoutMask;
    const WORD high = priv.duplex & ~kDuplexLayoutMask;
    if (pub.dmDuplex == DMDUP_VERTICAL || pub.dmDuplex == DMDUP_HORIZONTAL) {
        WORD newCode = code;
        if (pub.dmDuplex == DMDUP_VERTICAL) {
            if (code == 2 || code == 3)
                newCode = 0;
            else if ((code == 4 || code == 5) && ((landscape && !twoUp) || (!landscape && twoUp)))
                newCode = 0;
        } else {
            if (code == 0 || code == 1)
                newCode = 2;
            else if ((code == 4 || code == 5) && ((!landscape && !twoUp) || (landscape && twoUp)))
                newCode = 2;
        }
        priv.duplex = static_cast<WORD>(high | kDuplexOn | newCode);
    } else if (pub.dmDuplex == DMDUP_SIMPLEX && (priv.duplex & kDuplexAutomatic)) {
        priv.duplex &= ~kDuplexOn;
    }
}

}  // namespace

LONG CopyDevmodeSized(const DEVMODEW* source, DEVMODEW* target)
{
    if (!IsUsable(source) || !IsUsable(target))
        return -1;
    const WORD sourceSize = source->dmSize;
    const WORD sourceExtra = source->dmDriverExtra;
    const WORD targetVersion = VersionForSize(target->dmSize, target->dmSpecVersion);
    const WORD targetDriverVersion = target->dmDriverVersion;
    const WORD targetSize = target->dmSize;
    const WORD targetExtra = target->dmDriverExtra;

    const size_t publicBytes = sourceSize < targetSize ? sourceSize : targetSize;
    const size_t privateBytes = sourceExtra < targetExtra ? sourceExtra : targetExtra;
    memmove(target, source, publicBytes);
    target->dmSpecVersion = targetVersion;
    target->dmDriverVersion = targetDriverVersion;
    target->dmSize = targetSize;
    target->dmDriverExtra = targetExtra;
    memmove(reinterpret_cast<BYTE*>(target) + targetSize,
            reinterpret_cast<const BYTE*>(source) + sourceSize, privateBytes);
    return static_cast<LONG>(publicBytes + privateBytes);
}

BOOL ConvertDevmodeOut(const DEVMODEW* source, const DEVMODEW* callerIn, DEVMODEW* callerOut)
{
    if (!source || !callerOut)
        return FALSE;
    if (!callerIn) {
        memmove(callerOut, source, size_t(source->dmSize) + source->dmDriverExtra);
        return TRUE;
    }
    // The output gets the caller's header before anything else; a caller's
    // record too short to hold one has no room for it.
    if (callerIn->dmSize < kSizeFieldsEnd)
        return FALSE;
    const bool wholePublic = callerIn->dmSize >= source->dmSize;
    const bool wholePrivate = callerIn->dmDriverExtra >= source->dmDriverExtra;
    const WORD specVersion = wholePublic ? source->dmSpecVersion : callerIn->dmSpecVersion;
    const WORD size = wholePublic ? source->dmSize : callerIn->dmSize;
    const WORD driverVersion = wholePrivate ? source->dmDriverVersion : callerIn->dmDriverVersion;
    const WORD extra = wholePrivate ? source->dmDriverExtra : callerIn->dmDriverExtra;
    callerOut->dmSpecVersion = specVersion;
    callerOut->dmSize = size;
    callerOut->dmDriverVersion = driverVersion;
    callerOut->dmDriverExtra = extra;
    return CopyDevmodeSized(source, callerOut) > 0;
}

void NormalizeMacroFields(PrivateSettings* priv)
{
    priv->macroId &= 0x7FFF;
    Terminate(priv->macroName);
}

BOOL MergeDevmode(DEVMODEW* current, const DEVMODEW* incoming, const ModelContext* model,
                 HANDLE printer)
{
    if (!incoming)
        return TRUE;
    if (!current || current->dmSize != kPublicDevmodeSize || current->dmDriverExtra != kPrivateSize)
        return FALSE;
    model = ModelOrEmpty(model);

    auto* work = static_cast<DriverDevmode*>(GlobalAlloc(GPTR, sizeof(DriverDevmode)));
    if (!work)
        return FALSE;
    memcpy(work, current, sizeof(DriverDevmode));

    // Only this driver's own private part, whole, is worth taking; of any
    // other record the public part alone is copied.
    const size_t extent = size_t(incoming->dmSize) + incoming->dmDriverExtra;
    if (!IsDriverDevmode(incoming, extent))
        work->pub.dmDriverExtra = 0;
    const LONG copied = CopyDevmodeSized(incoming, &work->pub);
    work->pub.dmDriverExtra = kPrivateSize;
    if (copied < 1) {
        GlobalFree(work);
        return FALSE;
    }
    // A public part too short to hold dmFields sets no field.
    const DWORD fields = incoming->dmSize >= kFieldsEnd ? work->pub.dmFields : 0;

    DEVMODEW& pub = *current;
    PrivateSettings& priv = *PrivatePart(current);
    TakePublicFields(pub, *work, fields, model, printer);
    const bool tagged = work->priv.tag == kPrivateTag;
    if (tagged)
        TakePrivatePart(priv, work->priv, model, pub);
    GlobalFree(work);
    if (!tagged)
        return TRUE;

    SettleUserSize(pub, priv);
    SettleDuplex(pub, priv);
    SyncDerivedSettings(current);
    return TRUE;
}
