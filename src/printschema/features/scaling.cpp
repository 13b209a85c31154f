#include "printschema/features/scaling.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/choice_feature.h"
#include "printschema/features/handler_steps.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

const ChoiceOption kModeOptions[] = {
    {L"None", 0},
    {L"FitToPaper", 3733},
    {L"CustomSquare", 0},
    {L"FitApplicationBleedSizeToPageImageableSize", 0},
    {L"FitApplicationContentSizeToPageImageableSize", 0},
    {L"FitApplicationMediaSizeToPageImageableSize", 0},
    {L"FitApplicationMediaSizeToPageMediaSize", 0},
};
const ChoiceFeature kScaling = MakeChoiceFeature(L"PageScaling", false, 0, kModeOptions);

const ChoiceOption kAlignmentOptions[kAlignmentCount] = {
    {L"BottomCenter", 0}, {L"BottomLeft", 0}, {L"BottomRight", 0}, {L"Center", 0},   {L"LeftCenter", 0},
    {L"RightCenter", 0},  {L"TopCenter", 0},  {L"TopLeft", 0},     {L"TopRight", 0},
};
const ChoiceFeature kAlignment = MakeChoiceFeature(L"ScaleOffsetAlignment", false, 0, kAlignmentOptions);

const wchar_t kFitMediaSize[] = L"FitMediaSize";
const wchar_t kCustomMediaSize[] = L"CustomMediaSize";

// How the DEVMODE codes each mode: the fit-application modes share one
// scaling code and tell themselves apart by savedSwitch.
constexpr int kAnySwitch = -1;
struct ModeCode {
    BYTE scaling;
    int  savedSwitch;
};
const ModeCode kModeCodes[] = {
    {0, kAnySwitch}, {1, kAnySwitch}, {2, kAnySwitch}, {3, 0}, {3, 1}, {3, 2}, {3, 3},
};
static_assert(sizeof kModeCodes / sizeof kModeCodes[0] == sizeof kModeOptions / sizeof kModeOptions[0],
              "one code per mode");

// An integer a ScoredProperty of an option refers to through a parameter.
struct ScalingParameter {
    const wchar_t* property;
    const wchar_t* parameter;
    int            defaultValue, minimum, maximum, multiple;
    const wchar_t* unit;
};
// Every mode carries the scale and offsets, so that the DEVMODE's values
// survive a trip through a ticket whatever the mode.
const ScalingParameter kScale = {L"Scale", L"PageScalingScale", 100, kMinScalePercent, kMaxScalePercent, 1,
                                 L"percent"};
const ScalingParameter kOffsetWidth = {L"OffsetWidth", L"PageScalingOffsetWidth", 4233, kMinScaleOffset,
                                       kMaxScaleOffset, 1, L"microns"};
const ScalingParameter kOffsetHeight = {L"OffsetHeight", L"PageScalingOffsetHeight", 4233, kMinScaleOffset,
                                        kMaxScaleOffset, 1, L"microns"};
// A custom paper to fit to, within the sizes the printer can feed.
const ScalingParameter kFitWidth = {L"MediaSizeWidth", L"FitMediaSizeWidth", kCustomMinWidth, kCustomMinWidth,
                                    kCustomMaxWidth, 100, L"microns"};
const ScalingParameter kFitHeight = {L"MediaSizeHeight", L"FitMediaSizeHeight", kCustomMinHeight,
                                     kCustomMinHeight, kCustomMaxHeight, 100, L"microns"};
const ScalingParameter* const kParameters[] = {&kScale, &kOffsetWidth, &kOffsetHeight, &kFitWidth, &kFitHeight};

LONG Clamp(LONG value, LONG low, LONG high)
{
    return value < low ? low : value > high ? high : value;
}

void SetFitPaper(MediaSizeSettings& media, int index)
{
    const PaperEntry& paper = kPapers[index];
    media.paperIndex = index;
    media.keyword = BstrOwner::Copy(paper.keyword);
    media.isPrivate = paper.isPrivate;
    media.mediaWidth = paper.width;
    media.mediaHeight = paper.height;
}

void SetFitCustom(MediaSizeSettings& media, int width, int height)
{
    media.paperIndex = kCustomPaperIndex;
    media.keyword = BstrOwner::Copy(kCustomMediaSize);
    media.isPrivate = false;
    media.mediaWidth = width;
    media.mediaHeight = height;
}

// Any paper of the table may be the target, offered or not: the DEVMODE
// can name them all.
int PaperIndexOfName(const wchar_t* keyword, bool isPrivate)
{
    for (size_t i = 0; i < kPaperCount; ++i)
        if (kPapers[i].isPrivate == isPrivate && wcscmp(kPapers[i].keyword, keyword) == 0)
            return static_cast<int>(i);
    return -1;
}

// The parameter's value below feature, within its limits; false when the
// ticket does not give it.
bool ReadParameter(PrintSchemaDocument& document, const wchar_t* feature, const ScalingParameter& parameter,
                   LONG* value)
{
    INT32 read = 0;
    HRESULT hr = document.ReadFeatureInteger(feature, parameter.property, &read);
    if (hr == kNotFound) return false;
    ThrowOnFailure(hr);
    *value = Clamp(read, parameter.minimum, parameter.maximum);
    return true;
}

void ReadFitMedia(PrintSchemaDocument& document, MediaSizeSettings& media)
{
    BstrOwner option;
    bool isPrivate = false;
    HRESULT hr = document.GetSelectedOption(document.KeywordsPrefix(), kFitMediaSize, option.Receive(),
                                            &isPrivate);
    if (hr == kNotFound) return;
    ThrowOnFailure(hr);
    int index = PaperIndexOfName(option.Text(), isPrivate);
    if (index >= 0) {
        SetFitPaper(media, index);
        return;
    }
    LONG width = 0, height = 0;
    if (ReadParameter(document, kFitMediaSize, kFitWidth, &width) &&
        ReadParameter(document, kFitMediaSize, kFitHeight, &height))
        SetFitCustom(media, width, height);
}

// The value as a ParameterInit under the root, and the option's
// ScoredProperty that refers to it.
void AppendParameterValue(PrintSchemaDocument& document, IXMLDOMNode* root, IXMLDOMElement* option,
                          const ScalingParameter& parameter, int value)
{
    ComPtr<IXMLDOMElement> ref, init, scored;
    ThrowOnFailure(document.CreateParameterInit(document.KeywordsPrefix(), parameter.parameter, kXsdInteger,
                                                IntegerText(value).Text(), &ref, &init));
    AppendChild(root, init.Get());
    ThrowOnFailure(document.CreateScoredPropertyWithChild(document.KeywordsPrefix(), parameter.property, ref.Get(),
                                                          &scored));
    AppendChild(option, scored.Get());
}

void AppendParameterRef(PrintSchemaDocument& document, IXMLDOMElement* option, const ScalingParameter& parameter)
{
    ComPtr<IXMLDOMElement> ref, scored;
    ThrowOnFailure(document.CreateParameterRef(false, parameter.parameter, &ref));
    ThrowOnFailure(document.CreateScoredPropertyWithChild(document.KeywordsPrefix(), parameter.property, ref.Get(),
                                                          &scored));
    AppendChild(option, scored.Get());
}

void AppendParameterDef(PrintSchemaDocument& document, IXMLDOMNode* root, const ScalingParameter& parameter)
{
    ComPtr<IXMLDOMElement> definition;
    ThrowOnFailure(document.CreateIntegerParameterDef(parameter.parameter, false, nullptr, parameter.defaultValue,
                                                      parameter.minimum, parameter.maximum, parameter.multiple,
                                                      parameter.unit, &definition));
    AppendChild(root, definition.Get());
}

void AppendScaleRefs(PrintSchemaDocument& document, IXMLDOMElement* option)
{
    for (const ScalingParameter* parameter : {&kScale, &kOffsetWidth, &kOffsetHeight})
        AppendParameterRef(document, option, *parameter);
}

void AppendFitMedia(PrintSchemaDocument& document, IXMLDOMNode* root, IXMLDOMElement* scaling,
                    const MediaSizeSettings& media)
{
    ComPtr<IXMLDOMElement> feature, option;
    ThrowOnFailure(document.CreateFeatureWithOption(false, kFitMediaSize, media.isPrivate, media.keyword.Text(),
                                                    &feature, &option));
    AppendChild(scaling, feature.Get());
    if (media.paperIndex != kCustomPaperIndex) return;
    AppendParameterValue(document, root, option.Get(), kFitWidth, media.mediaWidth);
    AppendParameterValue(document, root, option.Get(), kFitHeight, media.mediaHeight);
}

void AppendFitMediaCapabilities(PrintSchemaDocument& document, IXMLDOMElement* scaling)
{
    ComPtr<IXMLDOMElement> feature;
    ThrowOnFailure(document.CreatePickOneFeature(kFitMediaSize, nullptr, &feature));
    for (const PaperEntry& paper : kPapers) {
        if (!paper.offered) continue;
        ComPtr<IXMLDOMElement> option;
        ThrowOnFailure(document.CreateCapabilityOption(
            paper.isPrivate ? document.PrivatePrefix() : document.KeywordsPrefix(), paper.keyword,
            DisplayName(paper.displayId).Get(), kConstraintNone, &option));
        AppendChild(feature.Get(), option.Get());
    }
    ComPtr<IXMLDOMElement> custom;
    ThrowOnFailure(document.CreateCapabilityOption(document.KeywordsPrefix(), kCustomMediaSize,
                                                   DisplayName(566).Get(), kConstraintNone, &custom));
    AppendParameterRef(document, custom.Get(), kFitWidth);
    AppendParameterRef(document, custom.Get(), kFitHeight);
    AppendChild(feature.Get(), custom.Get());
    AppendChild(scaling, feature.Get());
}

class ScalingHandler : public FeatureHandlerBase<ScalingSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(ScalingSettings);
};

HRESULT ScalingHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                                    ULONG dmDriverExtra, ScalingSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    return AtComBoundary([&]() -> HRESULT {
        const PrivateSettings& p = *privatePart;
        ScalingSettings& s = *settings;
        s.scalingMode = kScalingNone;
        for (size_t i = 0; i < sizeof kModeCodes / sizeof kModeCodes[0]; ++i) {
            const ModeCode& code = kModeCodes[i];
            if (code.scaling == p.scaling && (code.savedSwitch == kAnySwitch || code.savedSwitch == p.savedSwitch)) {
                s.scalingMode = static_cast<DWORD>(i);
                break;
            }
        }
        s.scalePercent = static_cast<DWORD>(Clamp(p.scalingSize, kMinScalePercent, kMaxScalePercent));
        int index = PaperIndexOfCode(p.fitPaperSize);
        if (index >= 0)
            SetFitPaper(s.fitMedia, index);
        else
            SetFitCustom(s.fitMedia, p.lastCustomWidth * 100, p.lastCustomLength * 100);
        if (p.savedMode < kAlignmentCount) s.alignment = p.savedMode;
        s.offsetWidth = Clamp(p.savedCode1, kMinScaleOffset, kMaxScaleOffset);
        s.offsetHeight = Clamp(p.savedCode2, kMinScaleOffset, kMaxScaleOffset);
        return S_OK;
    });
}

HRESULT ScalingHandler::WriteDevMode(HANDLE, const ScalingSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                     PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const ScalingSettings& s = *settings;
    PrivateSettings& p = *privatePart;
    if (s.scalingMode < sizeof kModeCodes / sizeof kModeCodes[0]) {
        const ModeCode& code = kModeCodes[s.scalingMode];
        p.scaling = code.scaling;
        if (code.savedSwitch != kAnySwitch) p.savedSwitch = static_cast<BYTE>(code.savedSwitch);
    }
    p.scalingSize = static_cast<WORD>(s.scalePercent);
    if (s.fitMedia.paperIndex == kCustomPaperIndex) {
        p.fitPaperSize = kUserDefinedPaper;
        p.lastCustomWidth = static_cast<WORD>(s.fitMedia.mediaWidth / 100);
        p.lastCustomLength = static_cast<WORD>(s.fitMedia.mediaHeight / 100);
    } else if (s.fitMedia.paperIndex >= 0 && static_cast<size_t>(s.fitMedia.paperIndex) < kPaperCount) {
        p.fitPaperSize = static_cast<WORD>(kPapers[s.fitMedia.paperIndex].dmPaperSize);
    }
    if (s.alignment < kAlignmentCount) p.savedMode = static_cast<BYTE>(s.alignment);
    p.savedCode1 = s.offsetWidth;
    p.savedCode2 = s.offsetHeight;
    return S_OK;
}

HRESULT ScalingHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, ScalingSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) { return ReadScalingFeature(document, settings); });
}

HRESULT ScalingHandler::WritePrintTicket(const ScalingSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) { return WriteScalingFeature(document, *settings); });
}

HRESULT ScalingHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ConstraintLevel locked = LockedOptionLevel(printer, kAdminLockLayout);
        ComPtr<IXMLDOMElement> scaling = AppendChoiceCapabilities(
            document, root.Get(), kScaling,
            [locked](size_t, ConstraintLevel* level) {
                *level = locked;
                return true;
            },
            [&](size_t, IXMLDOMElement* option) { AppendScaleRefs(document, option); });
        AppendChoiceCapabilities(document, scaling.Get(), kAlignment, EveryChoiceOpen);
        AppendFitMediaCapabilities(document, scaling.Get());
        for (const ScalingParameter* parameter : kParameters) AppendParameterDef(document, root.Get(), *parameter);
        return S_OK;
    });
}

}  // namespace

HRESULT ReadScalingFeature(PrintSchemaDocument& document, ScalingSettings* settings)
{
    if (!settings) return E_POINTER;
    ScalingSettings& s = *settings;
    int mode = static_cast<int>(s.scalingMode);
    HRESULT hr = ReadChoice(document, kScaling, &mode);
    if (hr == kNotFound) return hr;
    s.scalingMode = static_cast<DWORD>(mode);

    LONG value = 0;
    if (ReadParameter(document, kScaling.name, kScale, &value)) s.scalePercent = static_cast<DWORD>(value);
    if (ReadParameter(document, kScaling.name, kOffsetWidth, &value)) s.offsetWidth = value;
    if (ReadParameter(document, kScaling.name, kOffsetHeight, &value)) s.offsetHeight = value;
    int alignment = 0;
    if (ReadChoice(document, kAlignment, &alignment) == S_OK) s.alignment = static_cast<DWORD>(alignment);
    ReadFitMedia(document, s.fitMedia);
    return S_OK;
}

HRESULT WriteScalingFeature(PrintSchemaDocument& document, const ScalingSettings& settings)
{
    ComPtr<IXMLDOMNode> root;
    ThrowOnFailure(document.SelectRoot(&root));
    RemoveChoice(document, kScaling);
    // Parameters a foreign writer left without a reference to them.
    for (const ScalingParameter* parameter : kParameters)
        ThrowOnFailure(document.RemoveParameterInit(parameter->parameter));

    ComPtr<IXMLDOMElement> option;
    ComPtr<IXMLDOMElement> scaling =
        AppendChoice(document, root.Get(), kScaling, static_cast<int>(settings.scalingMode), &option);
    AppendParameterValue(document, root.Get(), option.Get(), kScale, static_cast<int>(settings.scalePercent));
    AppendParameterValue(document, root.Get(), option.Get(), kOffsetWidth, settings.offsetWidth);
    AppendParameterValue(document, root.Get(), option.Get(), kOffsetHeight, settings.offsetHeight);
    AppendChoice(document, scaling.Get(), kAlignment, static_cast<int>(settings.alignment));
    AppendFitMedia(document, root.Get(), scaling.Get(), settings.fitMedia);
    return S_OK;
}

std::unique_ptr<FeatureHandler> CreateScalingHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<ScalingHandler>(privateNamespace);
}
