#include "printschema/features/job_switches.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/choice_value_handler.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

const ChoiceOption kErrorPrintOptions[] = {
    {L"PrinterDefault", 348},
    {L"On", 1127},
    {L"Off", 1109},
};
const ChoiceFeature kErrorPrint = MakeChoiceFeature(L"JobErrorMessagePrintout", true, 0, kErrorPrintOptions);

// errorPrint codes: 0 off, 1 on, 2 (and anything else) the printer's default.
constexpr WORD kErrorPrintCodeOff = 0;
constexpr WORD kErrorPrintCodeOn = 1;
constexpr WORD kErrorPrintCodeDefault = 2;

// Only the first is what the printer does; the others are listed as
// choices the device cannot make.
const ChoiceOption kSignatureOptions[] = {
    {L"PrintInvalidSignatures", 0},
    {L"PrintInvalidSignaturesWithErrorReport", 0},
    {L"PrintOnlyValidSignatures", 0},
};
const ChoiceFeature kSignatures = MakeChoiceFeature(L"JobDigitalSignatureProcessing", false, 0, kSignatureOptions);

const wchar_t kSpecialOutputMode[] = L"SpecialOutputModeData";

class ErrorMessagePrintoutHandler : public ChoiceValueHandler {
public:
    explicit ErrorMessagePrintoutHandler(const wchar_t* privateNamespace)
        : ChoiceValueHandler(privateNamespace, kErrorPrint)
    {
    }

protected:
    HRESULT ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                        ULONG dmDriverExtra, SingleValueSettings* settings) override
    {
        HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
        if (FAILED(hr)) return hr;
        WORD code = privatePart->errorPrint;
        settings->value = code == kErrorPrintCodeOff  ? kErrorPrintOff
                          : code == kErrorPrintCodeOn ? kErrorPrintOn
                                                      : kErrorPrintPrinterDefault;
        return S_OK;
    }

    HRESULT WriteDevMode(HANDLE, const SingleValueSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                         PrivateSettings* privatePart, ULONG dmDriverExtra) override
    {
        HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
        if (FAILED(hr)) return hr;
        if (!settings) return E_POINTER;
        privatePart->errorPrint = settings->value == kErrorPrintOn    ? kErrorPrintCodeOn
                                  : settings->value == kErrorPrintOff ? kErrorPrintCodeOff
                                                                      : kErrorPrintCodeDefault;
        return S_OK;
    }
};

// The mode travels as a private integer parameter, 0 to 4.
class SpecialOutputModeHandler : public FeatureHandlerBase<SingleValueSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities) override
    {
        if (!capabilities) return E_POINTER;
        return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
            ComPtr<IXMLDOMNode> root;
            ThrowOnFailure(document.SelectRoot(&root));
            ComPtr<IXMLDOMElement> definition;
            ThrowOnFailure(document.CreateIntegerParameterDef(kSpecialOutputMode, true, nullptr, 0, 0,
                                                              kMaxSpecialOutputMode, 1, L"", &definition));
            AppendChild(root.Get(), definition.Get());
            return S_OK;
        });
    }

protected:
    HRESULT ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                        ULONG dmDriverExtra, SingleValueSettings* settings) override
    {
        HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
        if (FAILED(hr)) return hr;
        BYTE mode = privatePart->specialOutputMode;
        settings->value = mode <= kMaxSpecialOutputMode ? mode : 0;
        return S_OK;
    }

    HRESULT WriteDevMode(HANDLE, const SingleValueSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                         PrivateSettings* privatePart, ULONG dmDriverExtra) override
    {
        HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
        if (FAILED(hr)) return hr;
        if (!settings) return E_POINTER;
        if (settings->value >= 0 && settings->value <= kMaxSpecialOutputMode)
            privatePart->specialOutputMode = static_cast<BYTE>(settings->value);
        return S_OK;
    }

    // A mode outside 0 to 4 is not one the printer knows: the record keeps
    // what it had.
    HRESULT ReadPrintTicket(IXMLDOMDocument2* ticket, SingleValueSettings* settings) override
    {
        if (!ticket || !settings) return E_POINTER;
        return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
            FeatureQuery query(document.FrameworkPrefix());
            ThrowOnFailure(query.ForParameterInit(document.PrivatePrefix(), kSpecialOutputMode));
            INT32 mode = 0;
            if (ThrowOnFailure(document.ReadIntegerValue(query.Text(), &mode)) == S_OK && mode >= 0 &&
                mode <= kMaxSpecialOutputMode)
                settings->value = mode;
            return S_OK;
        });
    }

    HRESULT WritePrintTicket(const SingleValueSettings* settings, IXMLDOMDocument2* ticket) override
    {
        if (!ticket || !settings) return E_POINTER;
        return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
            ComPtr<IXMLDOMNode> root;
            ThrowOnFailure(document.SelectRoot(&root));
            ThrowOnFailure(document.RemovePrivateParameterInit(kSpecialOutputMode));
            ComPtr<IXMLDOMElement> ref, init;
            ThrowOnFailure(document.CreateParameterInit(document.PrivatePrefix(), kSpecialOutputMode, kXsdInteger,
                                                        IntegerText(static_cast<int>(settings->value)).Text(), &ref,
                                                        &init));
            AppendChild(root.Get(), init.Get());
            return S_OK;
        });
    }
};

}  // namespace

std::unique_ptr<FeatureHandler> CreateErrorMessagePrintoutHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<ErrorMessagePrintoutHandler>(privateNamespace);
}

std::unique_ptr<FeatureHandler> CreateDigitalSignatureHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<FixedChoiceHandler>(privateNamespace, kSignatures, 0);
}

std::unique_ptr<FeatureHandler> CreateSpecialOutputModeHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<SpecialOutputModeHandler>(privateNamespace);
}
