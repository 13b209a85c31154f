#include "printschema/features/choice_value_handler.h"

#include "printschema/cxd_exception.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

HRESULT ChoiceValueHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, SingleValueSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        int index = 0;
        HRESULT hr = ReadChoice(document, feature_, &index);
        if (hr == S_OK) settings->value = index;
        return hr == kNotFound ? hr : S_OK;
    });
}

HRESULT ChoiceValueHandler::WritePrintTicket(const SingleValueSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        RemoveChoice(document, feature_);
        ComPtr<IXMLDOMElement> option;
        ComPtr<IXMLDOMElement> feature =
            AppendChoice(document, root.Get(), feature_, static_cast<int>(settings->value), &option);
        FillOption(document, static_cast<size_t>(settings->value), option.Get());
        AppendSubFeatures(document, feature.Get(), false);
        return S_OK;
    });
}

HRESULT ChoiceValueHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        ChoiceLevel levels = OptionLevels(printer);
        return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
            ComPtr<IXMLDOMNode> root;
            ThrowOnFailure(document.SelectRoot(&root));
            ComPtr<IXMLDOMElement> feature =
                AppendChoiceCapabilities(document, root.Get(), feature_, levels, [&](size_t index, IXMLDOMElement* option) {
                    FillOption(document, index, option);
                });
            AppendSubFeatures(document, feature.Get(), true);
            return S_OK;
        });
    });
}

ChoiceLevel ChoiceValueHandler::OptionLevels(HANDLE)
{
    return EveryChoiceOpen;
}

void ChoiceValueHandler::FillOption(PrintSchemaDocument&, size_t, IXMLDOMElement*) {}

void ChoiceValueHandler::AppendSubFeatures(PrintSchemaDocument&, IXMLDOMElement*, bool) {}

HRESULT FixedChoiceHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                        const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                        SingleValueSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    settings->value = static_cast<LONGLONG>(fixedIndex_);
    return S_OK;
}

HRESULT FixedChoiceHandler::WriteDevMode(HANDLE, const SingleValueSettings*, DEVMODEW* devmode, ULONG dmSize,
                                         PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    return CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
}

ChoiceLevel FixedChoiceHandler::OptionLevels(HANDLE)
{
    const size_t fixed = fixedIndex_;
    return [fixed](size_t index, ConstraintLevel* level) {
        *level = index == fixed ? kConstraintNone : kConstraintDeviceSettings;
        return true;
    };
}
