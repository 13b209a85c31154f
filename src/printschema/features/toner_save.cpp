#include "printschema/features/toner_save.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/private_choices.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

const ChoiceOption kOffOn[] = {{L"Off", 1109}, {L"On", 1127}};
const ChoiceOption kDensityModes[] = {{L"PrinterDefault", 348}, {L"Manual", 1088}};

const PrivateChoice kTonerSave = MakeChoice(L"JobTonerSaveMode", 3719, kOffOn);
const PrivateChoice kDensity = MakeChoice(L"JobDensityAdjustment", 14037, kDensityModes);
const PrivateChoice kReduceCurl = MakeChoice(L"JobReducePaperCurl", 3776, kOffOn);
const PrivateChoice kImproveFixing = MakeChoice(L"JobImproveTonerFixing", 3777, kOffOn);

const IntegerParameter kDensitySetting = {L"JobDensityManualSetting", 0, -kDensityLimit, kDensityLimit, nullptr};

// The record's switches and the choices that carry them, in ticket order.
struct SwitchRow {
    const PrivateChoice* choice;
    DWORD TonerSaveSettings::*field;
};
const SwitchRow kSwitches[] = {
    {&kTonerSave, &TonerSaveSettings::tonerSave},
    {&kDensity, &TonerSaveSettings::densityManual},
    {&kReduceCurl, &TonerSaveSettings::reduceCurl},
    {&kImproveFixing, &TonerSaveSettings::improveFixing},
};

constexpr WORD kBiasFromPrinter = 1;   // biasOn: the printer's own density

void SetBit(WORD& word, WORD bit, bool on)
{
    word = static_cast<WORD>(on ? word | bit : word & ~bit);
}

class TonerSaveHandler : public FeatureHandlerBase<TonerSaveSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(TonerSaveSettings);
};

HRESULT TonerSaveHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                      const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                      TonerSaveSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    TonerSaveSettings& s = *settings;
    // Only the two known economy codes say anything; others leave the record.
    if (privatePart->economy <= 1) s.tonerSave = privatePart->economy;
    s.reduceCurl = (privatePart->paperHandling & kPaperReduceCurl) != 0;
    s.improveFixing = (privatePart->paperHandling & kPaperImproveFixing) != 0;
    s.densityManual = privatePart->biasOn == kBiasFromPrinter ? 0 : 1;
    SHORT density = privatePart->biasValue;
    s.density = density >= -kDensityLimit && density <= kDensityLimit ? density : 0;
    return S_OK;
}

HRESULT TonerSaveHandler::WriteDevMode(HANDLE, const TonerSaveSettings* settings, DEVMODEW* devmode,
                                       ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const TonerSaveSettings& s = *settings;
    privatePart->economy = s.tonerSave == 1 ? 1 : 0;
    SetBit(privatePart->paperHandling, kPaperReduceCurl, s.reduceCurl != 0);
    SetBit(privatePart->paperHandling, kPaperImproveFixing, s.improveFixing != 0);
    privatePart->biasOn = s.densityManual == 1 ? 0 : kBiasFromPrinter;
    privatePart->biasValue = s.density;
    return S_OK;
}

HRESULT TonerSaveHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, TonerSaveSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    TonerSaveSettings& s = *settings;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        for (const SwitchRow& row : kSwitches) s.*row.field = ReadPrivateChoice(document, *row.choice, s.*row.field);
        int density = s.density;
        ReadPrivateParameter(document, kDensitySetting, &density);
        s.density = static_cast<SHORT>(density);
        return S_OK;
    });
}

HRESULT TonerSaveHandler::WritePrintTicket(const TonerSaveSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    const TonerSaveSettings& s = *settings;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const PrivateChoice* choices[] = {&kTonerSave, &kDensity, &kReduceCurl, &kImproveFixing};
        const wchar_t* parameters[] = {kDensitySetting.name};
        RemovePrivateItems(document, choices, ARRAYSIZE(choices), parameters, ARRAYSIZE(parameters));
        for (const SwitchRow& row : kSwitches)
            AppendPrivateChoice(document, root.Get(), *row.choice, s.*row.field == 1 ? 1 : 0);
        AppendPrivateInteger(document, root.Get(), kDensitySetting.name, s.density);
        return S_OK;
    });
}

HRESULT TonerSaveHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        for (const SwitchRow& row : kSwitches) AppendPrivatePickOne(document, root.Get(), *row.choice);
        AppendIntegerParameterDef(document, root.Get(), kDensitySetting);
        return S_OK;
    });
}

} // namespace

std::unique_ptr<FeatureHandler> CreateTonerSaveHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<TonerSaveHandler>(privateNamespace);
}
