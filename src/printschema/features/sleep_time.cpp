#include "printschema/features/sleep_time.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/choice_feature.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/model_caps.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// By SleepChoice, with the sleepMode code of each.
const ChoiceOption kSleepOptions[] = {
    {L"Auto", 3760},
    {L"PrinterDefault", 348},
    {L"Manual", 1088},
    {L"Off", 3710},
};
const ChoiceFeature kSleep = MakeChoiceFeature(L"JobSleepTime", true, 14029, kSleepOptions);
const WORD kSleepModes[] = {0, 1, 3, 2};
static_assert(sizeof kSleepModes / sizeof kSleepModes[0] == sizeof kSleepOptions / sizeof kSleepOptions[0],
              "one code per choice");

const wchar_t kManualTime[] = L"JobSleepTimeManualTime";

bool IntelligentSleepSupported(HANDLE printer)
{
    DWORD caps = 0;
    return ReadModelCapsWord(printer, L"PrtCaps", &caps) && !(caps & kPrtCapsNoIntelligentSleep);
}

class SleepTimeHandler : public FeatureHandlerBase<SleepTimeSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(SleepTimeSettings);
};

HRESULT SleepTimeHandler::ReadDevMode(HANDLE printer, const DEVMODEW* devmode, ULONG dmSize,
                                      const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                      SleepTimeSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    for (size_t i = 0; i < sizeof kSleepModes / sizeof kSleepModes[0]; ++i)
        if (kSleepModes[i] == privatePart->sleepMode) settings->sleepChoice = static_cast<DWORD>(i);
    WORD minutes = privatePart->sleepTime;
    settings->manualTime = minutes < kMinSleepMinutes || minutes > kMaxSleepMinutes ? kDefaultSleepMinutes : minutes;
    settings->intelligentSupported = IntelligentSleepSupported(printer) ? 1 : 0;
    return S_OK;
}

HRESULT SleepTimeHandler::WriteDevMode(HANDLE, const SleepTimeSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                       PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    if (settings->sleepChoice < sizeof kSleepModes / sizeof kSleepModes[0])
        privatePart->sleepMode = kSleepModes[settings->sleepChoice];
    privatePart->sleepTime = settings->manualTime;
    return S_OK;
}

HRESULT SleepTimeHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, SleepTimeSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        int index = 0;
        if (ReadChoice(document, kSleep, &index) == S_OK) settings->sleepChoice = static_cast<DWORD>(index);
        FeatureQuery query(document.FrameworkPrefix());
        ThrowOnFailure(query.ForParameterInit(document.PrivatePrefix(), kManualTime));
        INT32 minutes = 0;
        if (ThrowOnFailure(document.ReadIntegerValue(query.Text(), &minutes)) == S_OK)
            settings->manualTime = static_cast<WORD>(minutes < kMinSleepMinutes   ? kMinSleepMinutes
                                                     : minutes > kMaxSleepMinutes ? kMaxSleepMinutes
                                                                                  : minutes);
        return S_OK;
    });
}

HRESULT SleepTimeHandler::WritePrintTicket(const SleepTimeSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        RemoveChoice(document, kSleep);
        ThrowOnFailure(document.RemovePrivateParameterInit(kManualTime));
        AppendChoice(document, root.Get(), kSleep, static_cast<int>(settings->sleepChoice));
        ComPtr<IXMLDOMElement> ref, init;
        ThrowOnFailure(document.CreateParameterInit(document.PrivatePrefix(), kManualTime, kXsdInteger,
                                                    IntegerText(settings->manualTime).Text(), &ref, &init));
        AppendChild(root.Get(), init.Get());
        return S_OK;
    });
}

HRESULT SleepTimeHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    // The intelligent mode stays listed, marked as one the device cannot do.
    const ConstraintLevel autoLevel = IntelligentSleepSupported(printer) ? kConstraintNone : kConstraintDeviceSettings;
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        AppendChoiceCapabilities(document, root.Get(), kSleep, [autoLevel](size_t index, ConstraintLevel* level) {
            *level = index == kSleepAuto ? autoLevel : kConstraintNone;
            return true;
        });
        ComPtr<IXMLDOMElement> definition;
        ThrowOnFailure(document.CreateIntegerParameterDef(kManualTime, true, nullptr, kDefaultSleepMinutes,
                                                          kMinSleepMinutes, kMaxSleepMinutes, 1, L"minutes",
                                                          &definition));
        AppendChild(root.Get(), definition.Get());
        return S_OK;
    });
}

}  // namespace

std::unique_ptr<FeatureHandler> CreateSleepTimeHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<SleepTimeHandler>(privateNamespace);
}
