#include "printschema/features/print_setting.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/private_choices.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

const ChoiceOption kPresets[] = {
    {L"General", 3772},
    {L"Graphics", 3773},
    {L"OfficeDocument", 3774},
    {L"Manual", 3724},
};
const ChoiceOption kQualities[] = {
    {L"Photo", 3738},
    {L"Graphics", 3739},
    {L"Chart", 3771},
};
const PrivateChoice kPresetChoice = MakeChoice(L"PagePrintSetting", 3722, kPresets);
const PrivateChoice kQualityChoice = MakeChoice(L"PageGraphicsQuality", 3726, kQualities);

const IntegerParameter kBrightness = {L"PagePrintSettingBrightness", 0, -kGrayAdjustLimit, kGrayAdjustLimit,
                                      nullptr};
const IntegerParameter kContrast = {L"PagePrintSettingContrast", 0, -kGrayAdjustLimit, kGrayAdjustLimit, nullptr};

// defaultSet codes by preset index: the DEVMODE counts manual as 0.
const BYTE kPresetCodes[] = {1, 2, 3, 0};
// renderFlags dither bits by graphics-quality index.
const DWORD kQualityBits[] = {0, kRenderDitherType1, kRenderDitherType2};
constexpr DWORD kQualityMask = kRenderDitherType1 | kRenderDitherType2;

DWORD PresetOfCode(BYTE code)
{
    for (DWORD i = 0; i < ARRAYSIZE(kPresetCodes); ++i)
        if (kPresetCodes[i] == code) return i;
    return kPresetGeneral;
}

DWORD QualityOfFlags(DWORD flags)
{
    DWORD bits = flags & kQualityMask;
    for (DWORD i = 1; i < ARRAYSIZE(kQualityBits); ++i)
        if (kQualityBits[i] == bits) return i;
    return kQualityPhoto;
}

// The gray levels are stored unsigned; anything outside the adjustment range
// reads as no adjustment.
SHORT GrayAdjustment(WORD stored)
{
    SHORT value = static_cast<SHORT>(stored);
    return value >= -kGrayAdjustLimit && value <= kGrayAdjustLimit ? value : 0;
}

class PrintSettingHandler : public FeatureHandlerBase<PrintSettingSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(PrintSettingSettings);
};

HRESULT PrintSettingHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                         const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                         PrintSettingSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    settings->preset = PresetOfCode(privatePart->defaultSet);
    settings->graphicsQuality = QualityOfFlags(privatePart->renderFlags);
    settings->brightness = GrayAdjustment(privatePart->grayLevelLow);
    settings->contrast = GrayAdjustment(privatePart->grayLevelHigh);
    return S_OK;
}

HRESULT PrintSettingHandler::WriteDevMode(HANDLE, const PrintSettingSettings* settings, DEVMODEW* devmode,
                                          ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const PrintSettingSettings& s = *settings;
    // An index we do not know writes the general preset.
    privatePart->defaultSet = s.preset < ARRAYSIZE(kPresetCodes) ? kPresetCodes[s.preset] : 1;
    privatePart->renderFlags &= ~kQualityMask;
    if (s.graphicsQuality < ARRAYSIZE(kQualityBits)) privatePart->renderFlags |= kQualityBits[s.graphicsQuality];
    privatePart->grayLevelLow = static_cast<WORD>(s.brightness);
    privatePart->grayLevelHigh = static_cast<WORD>(s.contrast);
    return S_OK;
}

HRESULT PrintSettingHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, PrintSettingSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    PrintSettingSettings& s = *settings;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        s.preset = ReadPrivateChoice(document, kPresetChoice, s.preset);
        s.graphicsQuality = ReadPrivateChoice(document, kQualityChoice, s.graphicsQuality);
        int brightness = s.brightness, contrast = s.contrast;
        ReadPrivateParameter(document, kBrightness, &brightness);
        ReadPrivateParameter(document, kContrast, &contrast);
        s.brightness = static_cast<SHORT>(brightness);
        s.contrast = static_cast<SHORT>(contrast);
        return S_OK;
    });
}

HRESULT PrintSettingHandler::WritePrintTicket(const PrintSettingSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    const PrintSettingSettings& s = *settings;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const PrivateChoice* choices[] = {&kPresetChoice, &kQualityChoice};
        const wchar_t* parameters[] = {kBrightness.name, kContrast.name};
        RemovePrivateItems(document, choices, ARRAYSIZE(choices), parameters, ARRAYSIZE(parameters));

        ComPtr<IXMLDOMElement> preset = AppendPrivateChoice(document, root.Get(), kPresetChoice,
                                                            s.preset < kPresetChoice.count ? s.preset : 0);
        AppendPrivateChoice(document, preset.Get(), kQualityChoice,
                            s.graphicsQuality < kQualityChoice.count ? s.graphicsQuality : 0);
        AppendPrivateInteger(document, root.Get(), kBrightness.name, s.brightness);
        AppendPrivateInteger(document, root.Get(), kContrast.name, s.contrast);
        return S_OK;
    });
}

HRESULT PrintSettingHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ComPtr<IXMLDOMElement> preset = AppendPrivatePickOne(document, root.Get(), kPresetChoice);
        AppendPrivatePickOne(document, preset.Get(), kQualityChoice);
        AppendIntegerParameterDef(document, root.Get(), kBrightness);
        AppendIntegerParameterDef(document, root.Get(), kContrast);
        return S_OK;
    });
}

} // namespace

std::unique_ptr<FeatureHandler> CreatePrintSettingHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<PrintSettingHandler>(privateNamespace);
}
