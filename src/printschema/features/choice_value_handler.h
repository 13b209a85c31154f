// The shape shared by the handlers whose setting is one option of a fixed
// list kept as a single value (an index into the list): reading the option
// from a ticket, writing it, and listing the options in capabilities. A
// handler supplies its DEVMODE steps and, where its feature carries more,
// the hooks below.
#pragma once

#include "printschema/feature_handler.h"
#include "printschema/features/choice_feature.h"

class ChoiceValueHandler : public FeatureHandlerBase<SingleValueSettings> {
public:
    // feature must outlive the handler (a table of the handler's file).
    ChoiceValueHandler(const wchar_t* privateNamespace, const ChoiceFeature& feature)
        : FeatureHandlerBase(privateNamespace), feature_(feature)
    {
    }

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) override;

protected:
    // An option the ticket names replaces the record's; any other keeps it.
    HRESULT ReadPrintTicket(IXMLDOMDocument2* ticket, SingleValueSettings* settings) override;
    // Replaces the feature by the record's option.
    HRESULT WritePrintTicket(const SingleValueSettings* settings, IXMLDOMDocument2* ticket) override;

    // How the printer constrains each option in capabilities; every option
    // open unless replaced.
    virtual ChoiceLevel OptionLevels(HANDLE printer);
    // What an option carries besides its name, in tickets and capabilities.
    virtual void FillOption(PrintSchemaDocument& document, size_t index, IXMLDOMElement* option);
    // Sub-features nested in the feature, in tickets (capabilities false)
    // and capabilities.
    virtual void AppendSubFeatures(PrintSchemaDocument& document, IXMLDOMElement* feature, bool capabilities);

    const ChoiceFeature& Feature() const noexcept { return feature_; }

private:
    const ChoiceFeature& feature_;
};

// A feature the printer handles one fixed way: the DEVMODE keeps nothing of
// it, every ticket written says that way, and capabilities list the other
// options as ones the device cannot make.
class FixedChoiceHandler : public ChoiceValueHandler {
public:
    FixedChoiceHandler(const wchar_t* privateNamespace, const ChoiceFeature& feature, size_t fixedIndex)
        : ChoiceValueHandler(privateNamespace, feature), fixedIndex_(fixedIndex)
    {
    }

protected:
    HRESULT ReadDevMode(HANDLE printer, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                        ULONG dmDriverExtra, SingleValueSettings* settings) override;
    HRESULT WriteDevMode(HANDLE printer, const SingleValueSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                         PrivateSettings* privatePart, ULONG dmDriverExtra) override;
    ChoiceLevel OptionLevels(HANDLE printer) override;

private:
    size_t fixedIndex_;
};
