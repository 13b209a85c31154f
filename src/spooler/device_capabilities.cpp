// DrvDeviceCapabilities: the answers to DeviceCapabilities queries, computed
// afresh on every call from the model, the printer's default settings with
// the caller's DEVMODE merged in, and a few printer data values.
#include "platform/driverui.h"

#include "core/driver_strings.h"
#include "core/model_cache.h"
#include "core/model_queries.h"
#include "core/spooler_info.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_merge.h"
#include "settings/driver_devmode.h"
#include "settings/paper_lookup.h"
#include "settings/printer_data.h"
#include "spooler/capability_tables.h"

#include <cstring>

namespace {

const DWORD kFailed = GDI_ERROR;
const int kPaperNameChars = 64;
const int kBinNameChars = 24;
const int kCustomNameChars = 32;

// Smallest and largest page, x in the low word.
const DWORD kMinExtent = MAKELONG(kSmallestPaperWidth, kSmallestPaperLength);
const DWORD kMaxExtent = MAKELONG(kLargestPaperWidth, kLargestPaperLength);

// What a capability is asked of; the answer goes to the caller's output.
struct Query {
    HANDLE printer;
    const ModelContext* model;
    const DriverDevmode* work;
};

// The spooler must know at least one form, or no paper can be selected.
bool SpoolerHasForms(HANDLE printer)
{
    DWORD needed = 0;
    DWORD returned = 0;
    EnumFormsW(printer, 1, nullptr, 0, &needed, &returned);
    if (needed == 0)
        return false;
    BYTE* forms = static_cast<BYTE*>(GlobalAlloc(GPTR, needed));
    if (!forms)
        return false;
    bool ok = EnumFormsW(printer, 1, forms, needed, &needed, &returned) && returned > 0;
    GlobalFree(forms);
    return ok;
}

DWORD EnumeratePapers(const Query& q, WORD index, void* output)
{
    if (!SpoolerHasForms(q.printer))
        return kFailed;
    const ModelFeature* pageSize = FeatureOfKind(q.model, kKindPageSize);
    const ModelFeature* paper = FeatureOfKind(q.model, kKindPaper);
    const ModelFeature* list = paper ? paper : pageSize;
    if (!list || list->optionCount == 0)
        return 0;

    auto* codes = static_cast<WORD*>(output);
    auto* sizes = static_cast<POINT*>(output);
    auto* names = static_cast<WCHAR*>(output);
    DWORD count = 0;
    for (uint32_t i = 0; i < list->optionCount; ++i, ++count) {
        const ModelOption& option = list->options[i];
        const bool hasIdText = paper && option.value && option.value[0];
        if (!output)
            continue;
        switch (index) {
        case DC_PAPERS:
            codes[count] = hasIdText ? static_cast<WORD>(OptionValueNumber(&option))
                                     : PaperCodeOfPageSize(option.keyword);
            break;
        case DC_PAPERSIZE:
            // A user-defined paper measures what the settings say.
            if (hasIdText && OptionValueNumber(&option) == DMPAPER_USER) {
                sizes[count].x = q.work->priv.customPaperWidth;
                sizes[count].y = q.work->priv.customPaperLength;
            } else if (pageSize && i < pageSize->optionCount) {
                sizes[count].x = TenthsMmOfFixedPoints(pageSize->options[i].width);
                sizes[count].y = TenthsMmOfFixedPoints(pageSize->options[i].height);
            } else {
                sizes[count].x = sizes[count].y = 0;
            }
            break;
        default:   // names
            LoadDriverString(PaperNameId(option.keyword), names + count * kPaperNameChars,
                             kPaperNameChars);
            break;
        }
    }

    // The driver's own papers follow the model's.
    ProfileCustomPaperList* custom =
        static_cast<ProfileCustomPaperList*>(GlobalAlloc(GPTR, sizeof(ProfileCustomPaperList)));
    if (!custom)
        return kFailed;
    if (ReadCustomPapers(q.printer, custom)) {
        for (uint32_t c = 0; c < custom->count; ++c, ++count) {
            const ProfileCustomPaper& entry = custom->papers[c];
            if (!output)
                continue;
            if (index == DC_PAPERS) {
                codes[count] = entry.code;
            } else if (index == DC_PAPERSIZE) {
                sizes[count].x = static_cast<LONG>(entry.width);
                sizes[count].y = static_cast<LONG>(entry.length);
            } else {
                std::memcpy(names + count * kPaperNameChars, entry.name,
                            kCustomNameChars * sizeof(WCHAR));
            }
        }
    }
    GlobalFree(custom);
    return count;
}

DWORD EnumerateTrays(const Query& q, WORD index, void* output)
{
    // The trays fitted now, as the printer data says, before the record's.
    const PrivateSettings& priv = q.work->priv;
    WORD accessories = priv.accessories;
    DWORD installed = 0;
    if (ReadPrinterDataDword(q.printer, L"ACC", &installed))
        accessories = LOWORD(installed);
    const ModelFeature* slots = FeatureOfKind(q.model, kKindInputSlot);
    if (!slots)
        return 0;

    auto* codes = static_cast<WORD*>(output);
    auto* names = static_cast<WCHAR*>(output);
    DWORD count = 0;
    for (uint32_t n = 0; n < slots->optionCount; ++n) {
        if (!IsTrayOffered(priv.modelTrays, LOBYTE(accessories), n))
            continue;
        const char* keyword = slots->options[n].keyword;
        if (output) {
            if (index == DC_BINS)
                codes[count] = PaperSourceOfSlot(keyword);
            else
                LoadDriverString(TrayNameId(keyword), names + count * kBinNameChars, kBinNameChars);
        }
        ++count;
    }
    return count;
}

DWORD EnumerateResolutions(const Query& q, void* output)
{
    auto* pairs = static_cast<LONG*>(output);
    const ModelFeature* resolution = FeatureOfKind(q.model, kKindResolution);
    DWORD count = 0;
    for (uint32_t i = 0; resolution && i < resolution->optionCount; ++i) {
        const LONG dpi = static_cast<LONG>(ResolutionDpiOfKeyword(resolution->options[i].keyword));
        if (dpi == 0)
            continue;
        if (pairs) {
            pairs[2 * count] = dpi;
            pairs[2 * count + 1] = dpi;
        }
        ++count;
    }
    if (count > 0)
        return count;
    if (pairs) {
        const LONG dpi = resolution ? DefaultOptionValue(q.model, kKindResolution)
                                    : static_cast<LONG>(kModelFallbackResolution);
        pairs[0] = pairs[1] = dpi;
    }
    return 1;
}

DWORD PrintRate(const ModelContext* model)
{
    return IsA4Locale() ? LOWORD(model->printRate) : HIWORD(model->printRate);
}

DWORD BinAdjustment(const DriverDevmode& work)
{
    const BYTE scale = work.priv.scaleFlag;
    const bool enlarged =
        ((scale & kScaleFlagFollowsDmScale) == kScaleFlagFollowsDmScale && work.pub.dmScale > 100) ||
        ((scale & kScaleFlagFromSize) && work.priv.scalingSize > 100);
    return enlarged ? DCBA_FACEUPLEFT : DCBA_FACEDOWNCENTER;
}

DWORD Answer(const Query& q, WORD index, void* output)
{
    const DEVMODEW& pub = q.work->pub;
    const PrivateSettings& priv = q.work->priv;
    switch (index) {
    case DC_FIELDS: return pub.dmFields;
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_PAPERNAMES:
    case DC_MEDIAREADY: return EnumeratePapers(q, index, output);
    case DC_MINEXTENT: return kMinExtent;
    case DC_MAXEXTENT: return kMaxExtent;
    case DC_BINS:
    case DC_BINNAMES: return EnumerateTrays(q, index, output);
    case DC_DUPLEX: {
        const ModelFeature* duplex = FeatureOfKind(q.model, kKindDuplex);
        return duplex && duplex->optionCount > 0 ? 1 : 0;
    }
    case DC_SIZE: return pub.dmSize;
    case DC_EXTRA: return pub.dmDriverExtra;
    case DC_VERSION: return pub.dmSpecVersion;
    case DC_DRIVER: return pub.dmDriverVersion;
    case DC_ENUMRESOLUTIONS: return EnumerateResolutions(q, output);
    case DC_FILEDEPENDENCIES:
        if (output)
            *static_cast<WCHAR*>(output) = L'\0';
        return 0;
    case DC_TRUETYPE: return (pub.dmFields & DM_TTOPTION) ? DCTT_DOWNLOAD | DCTT_SUBDEV : 0;
    case DC_ORIENTATION: return (priv.renderFlags & kRenderLandscapeMinus90) ? 270 : 90;
    case DC_COPIES: return (priv.modelCaps & kCapsCopies99) == kCapsCopies99 ? kMaxCopiesLimited : kMaxCopies;
    case DC_BINADJUST: return BinAdjustment(*q.work);
    case DC_COLLATE: return 1;
    case DC_PRINTRATE:
    case DC_PRINTRATEPPM: return PrintRate(q.model);
    case DC_PRINTRATEUNIT: return PRINTRATEUNIT_PPM;
    case DC_STAPLE: return LOBYTE(priv.modelCodeWord) == 2 ? 1 : 0;
    case DC_COLORDEVICE: return (pub.dmFields & DM_COLOR) ? 1 : 0;
    default: return kFailed;
    }
}

} // namespace

DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap,
                                   VOID* pvOutput, PDEVMODEW pDevMode)
{
    DWORD result = kFailed;
    HANDLE opened = nullptr;
    ModelContext* model = nullptr;
    DriverDevmode* work = nullptr;
    BOOL a4 = FALSE;

    // Applications' DeviceCapabilities reaches us with only the printer's
    // name; the query then holds a handle of its own for the call.
    HANDLE printer = PrinterForCall(hPrinter, pDeviceName, &opened);
    SpoolerCall call(printer, opened ? pDeviceName : nullptr);
    model = AcquireModelContext(printer, kUseCachedModel);
    if (!model)
        goto done;
    work = static_cast<DriverDevmode*>(GlobalAlloc(GPTR, kDriverDevmodeSize));
    if (!work)
        goto done;
    a4 = IsA4Locale();
    if (!BuildDefaultDevmode(&work->pub, pDeviceName, model, a4, printer) ||
        !MergeDevmode(&work->pub, pDevMode, model, printer))
        goto done;
    result = Answer(Query{printer, model, work}, iDevCap, pvOutput);

done:
    if (work)
        GlobalFree(work);
    if (model)
        ReleaseModelContext(model);
    if (opened)
        ClosePrinter(opened);
    return result;
}
