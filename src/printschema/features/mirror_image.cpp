#include "printschema/features/mirror_image.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/choice_feature.h"
#include "printschema/features/handler_steps.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

const ChoiceOption kMirrorOptions[] = {
    {L"MirrorImageWidth", 3752},
    {L"MirrorImageHeight", 3752},
    {L"None", 3036},
};
const ChoiceFeature kMirror = MakeChoiceFeature(L"PageMirrorImage", false, 0, kMirrorOptions);

const ChoiceOption kReverseOptions[] = {
    {L"Off", 1109},
    {L"On", 1127},
};
const ChoiceFeature kReverse = MakeChoiceFeature(L"PageReverseImage", false, 0, kReverseOptions);

constexpr BYTE kImageMirror = 0x01;   // imageProcess

class MirrorImageHandler : public FeatureHandlerBase<MirrorSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(MirrorSettings);
};

HRESULT MirrorImageHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                        const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                        MirrorSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    settings->mirror = (privatePart->imageProcess & kImageMirror) ? kMirrorWidth : kMirrorNone;
    settings->reverse = (privatePart->imageProcess & kImageRotate180) ? 1 : 0;
    return S_OK;
}

HRESULT MirrorImageHandler::WriteDevMode(HANDLE, const MirrorSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                         PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    BYTE& bits = privatePart->imageProcess;
    // The printer cannot mirror across the height: that choice keeps the bit.
    if (settings->mirror == kMirrorWidth) bits |= kImageMirror;
    if (settings->mirror == kMirrorNone) bits &= static_cast<BYTE>(~kImageMirror);
    if (settings->reverse == 1) bits |= kImageRotate180;
    if (settings->reverse == 0) bits &= static_cast<BYTE>(~kImageRotate180);
    return S_OK;
}

HRESULT MirrorImageHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, MirrorSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        int index = 0;
        if (ReadChoice(document, kMirror, &index) == S_OK) settings->mirror = static_cast<DWORD>(index);
        if (ReadChoice(document, kReverse, &index) == S_OK) settings->reverse = static_cast<DWORD>(index);
        return S_OK;
    });
}

HRESULT MirrorImageHandler::WritePrintTicket(const MirrorSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        RemoveChoice(document, kMirror);
        RemoveChoice(document, kReverse);
        AppendChoice(document, root.Get(), kMirror, static_cast<int>(settings->mirror));
        AppendChoice(document, root.Get(), kReverse, static_cast<int>(settings->reverse));
        return S_OK;
    });
}

HRESULT MirrorImageHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        AppendChoiceCapabilities(document, root.Get(), kMirror, EveryChoiceOpen);
        AppendChoiceCapabilities(document, root.Get(), kReverse, EveryChoiceOpen);
        return S_OK;
    });
}

}  // namespace

std::unique_ptr<FeatureHandler> CreateMirrorImageHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<MirrorImageHandler>(privateNamespace);
}
