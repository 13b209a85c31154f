#include "printschema/features/resolution_quality.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/handler_steps.h"
#include "settings/devmode_bits.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

// Both 1200 dpi modes print 1200 x 1200; only the enhanced one is offered,
// so a ticket's 1200 x 1200 always means it.
const ResolutionEntry kResolutions[kResolutionCount] = {
    {false, 3740, 1200, 1200},
    {true, 3716, 1200, 1200},
    {true, 3717, 600, 600},
    {true, 3718, 300, 300},
};

namespace {

const wchar_t kResolution[] = L"PageResolution";
const wchar_t kOutputQuality[] = L"PageOutputQuality";

struct QualityEntry {
    bool           offered;
    const wchar_t* keyword;
};
const QualityEntry kQualities[] = {
    {true, L"Normal"}, {false, L"High"}, {false, L"Automatic"}, {false, L"Draft"},
    {false, L"Fax"},   {false, L"Photographic"}, {false, L"Text"},
};

void SelectResolution(ResolutionSettings& s, int index)
{
    s.resolutionIndex = index;
    s.resolutionX = kResolutions[index].x;
    s.resolutionY = kResolutions[index].y;
}

// ResolutionX and ResolutionY, for tickets and capabilities alike.
void AppendResolution(PrintSchemaDocument& document, IXMLDOMElement* option, int x, int y)
{
    ComPtr<IXMLDOMElement> scoredX, scoredY;
    ThrowOnFailure(document.CreateIntegerScoredPropertyValue(document.KeywordsPrefix(), L"ResolutionX", x, &scoredX));
    ThrowOnFailure(document.CreateIntegerScoredPropertyValue(document.KeywordsPrefix(), L"ResolutionY", y, &scoredY));
    AppendChild(option, scoredX.Get());
    AppendChild(option, scoredY.Get());
}

class ResolutionQualityHandler : public FeatureHandlerBase<ResolutionSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    KV_FEATURE_STEPS(ResolutionSettings);
};

HRESULT ResolutionQualityHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                              const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                              ResolutionSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    // The true 1200 dpi mode is not offered, so its flag is not consulted:
    // either 1200 dpi reads as the enhanced mode. Anything unknown is 600.
    switch (devmode->dmPrintQuality) {
    case 1200: SelectResolution(*settings, kEnhanced1200Index); break;
    case 300: SelectResolution(*settings, k300DpiIndex); break;
    default: SelectResolution(*settings, k600DpiIndex); break;
    }
    return S_OK;
}

HRESULT ResolutionQualityHandler::WriteDevMode(HANDLE, const ResolutionSettings* settings, DEVMODEW* devmode,
                                               ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    privatePart->resolutionFlags &= static_cast<BYTE>(~kResolutionTrue1200);
    switch (settings->resolutionIndex) {
    case kTrue1200Index:
        devmode->dmPrintQuality = 1200;
        privatePart->resolutionFlags |= kResolutionTrue1200;
        break;
    case kEnhanced1200Index: devmode->dmPrintQuality = 1200; break;
    case k300DpiIndex: devmode->dmPrintQuality = 300; break;
    default: devmode->dmPrintQuality = 600; break;
    }
    return S_OK;
}

HRESULT ResolutionQualityHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, ResolutionSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        INT32 x = 0, y = 0;
        HRESULT hrX = document.ReadFeatureInteger(kResolution, L"ResolutionX", &x);
        HRESULT hrY = document.ReadFeatureInteger(kResolution, L"ResolutionY", &y);
        if (hrX != kNotFound) ThrowOnFailure(hrX);
        if (hrY != kNotFound) ThrowOnFailure(hrY);
        // Half a resolution is not one: the ticket needs completing.
        if (hrX != S_OK || hrY != S_OK) return S_PT_CONFLICT_RESOLVED;
        for (size_t i = 0; i < kResolutionCount; ++i) {
            const ResolutionEntry& entry = kResolutions[i];
            if (entry.offered && entry.x == x && entry.y == y) {
                SelectResolution(*settings, static_cast<int>(i));
                break;
            }
        }
        return S_OK;
    });
}

HRESULT ResolutionQualityHandler::WritePrintTicket(const ResolutionSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ThrowOnFailure(document.RemoveFeature(kResolution));
        ComPtr<IXMLDOMElement> feature, option;
        ThrowOnFailure(document.CreateFeature(false, kResolution, &feature, &option));
        AppendResolution(document, option.Get(), settings->resolutionX, settings->resolutionY);
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

HRESULT ResolutionQualityHandler::ValidatePrintTicket(HANDLE, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    ResolutionSettings s;
    HRESULT hr = ReadPrintTicket(ticket, &s);
    if (hr == S_PT_CONFLICT_RESOLVED || hr == kNotFound) {
        hr = WritePrintTicket(&s, ticket);
        return FAILED(hr) ? hr : S_PT_CONFLICT_RESOLVED;
    }
    return FAILED(hr) ? hr : S_PT_NO_CONFLICT;
}

HRESULT ResolutionQualityHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const wchar_t* keywords = document.KeywordsPrefix();

        ComPtr<IXMLDOMElement> resolution;
        ThrowOnFailure(document.CreatePickOneFeature(kResolution, DisplayName(3715).Get(), &resolution));
        for (const ResolutionEntry& entry : kResolutions) {
            if (!entry.offered) continue;
            ComPtr<IXMLDOMElement> option;
            ThrowOnFailure(document.CreateCapabilityOption(keywords, L"", DisplayName(entry.displayId).Get(),
                                                           kConstraintNone, &option));
            AppendResolution(document, option.Get(), entry.x, entry.y);
            AppendChild(resolution.Get(), option.Get());
        }
        AppendChild(root.Get(), resolution.Get());

        ComPtr<IXMLDOMElement> quality;
        ThrowOnFailure(document.CreatePickOneFeature(kOutputQuality, nullptr, &quality));
        for (const QualityEntry& entry : kQualities) {
            if (!entry.offered) continue;
            ComPtr<IXMLDOMElement> option;
            ThrowOnFailure(document.CreateCapabilityOption(keywords, entry.keyword, nullptr, kConstraintNone, &option));
            AppendChild(quality.Get(), option.Get());
        }
        AppendChild(root.Get(), quality.Get());
        return S_OK;
    });
}

} // namespace

std::unique_ptr<FeatureHandler> CreateResolutionQualityHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<ResolutionQualityHandler>(privateNamespace);
}
