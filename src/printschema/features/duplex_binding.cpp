#include "printschema/features/duplex_binding.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/feature_words.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

#include <cwchar>
#include <iterator>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kJobDuplex[] = L"JobDuplexAllDocumentsContiguously";
const wchar_t kDocumentDuplex[] = L"DocumentDuplex";
const wchar_t kDuplexProperty[] = L"DuplexProperty";

// Duplex choices we describe: without a duplex unit enabled, one-sided only.
const wchar_t* const kDuplexOptions[] = {L"OneSided"};

// By BindFeature, from 0.
const wchar_t* const kBindFeatures[] = {L"JobBindAllDocuments", L"DocumentBinding"};
// Each binding feature's gutter lives in a ParameterInit of its own name.
const wchar_t* const kGutterParameters[] = {L"JobBindAllDocumentsGutter", L"DocumentBindingGutter"};

struct BindOptionName {
    const wchar_t* name;
    bool           isPrivate;
};
const BindOptionName kBindOptions[kBindOptionCount] = {
    {L"BindBottom", false}, {L"BindLeft", false}, {L"BindRight", false},
    {L"BindTop", false},    {L"Booklet", false},  {L"BookletReverseFlip", true},
};

const wchar_t kBindingGutter[] = L"BindingGutter";
const wchar_t kDependOnDuplex[] = L"DependOnDuplex";
const wchar_t kOptionControl[] = L"BindingOptionControl";
const wchar_t kGutterControl[] = L"BindingGutterControl";
const wchar_t kBindingUnit[] = L"BindingUnit";

// Words by their record values.
const wchar_t* const kOffOn[] = {L"Off", L"On"};
const wchar_t* const kFalseTrue[] = {L"False", L"True"};
const wchar_t* const kUnits[] = {L"microns", L"inches"};

int BindOptionIndex(const wchar_t* name)
{
    for (int i = 0; i < kBindOptionCount; ++i)
        if (wcscmp(kBindOptions[i].name, name) == 0) return i;
    return -1;
}

// A private word below the job-level binding feature (a ScoredProperty or a
// Property), as its index in words; the record keeps its value otherwise.
void ReadBindingWord(PrintSchemaDocument& ticket, bool scored, const wchar_t* name, const wchar_t* const (&words)[2],
                     int* value)
{
    FeatureQuery query(ticket.FrameworkPrefix());
    ThrowOnFailure(query.ForFeature(ticket.KeywordsPrefix(), kBindFeatures[kBindJob]));
    ThrowOnFailure(scored ? query.ForScoredProperty(ticket.PrivatePrefix(), name)
                          : query.ForProperty(ticket.PrivatePrefix(), name));
    std::wstring word;
    if (!Found(ReadValueText(ticket, query.Text(), &word))) return;
    int index = IndexOfWord(words, word.c_str());
    if (index >= 0) *value = index;
}

// The selected option of one of our nested features, as its index in words.
void ReadNestedChoice(PrintSchemaDocument& ticket, const wchar_t* feature, const wchar_t* const (&words)[2],
                      int* value)
{
    int index = -1;
    if (Found(SelectedOptionIndex(ticket, ticket.PrivatePrefix(), feature, words, &index)) && index >= 0)
        *value = index;
}

// Nothing to keep per call: the handler only removes and describes.
struct DuplexSettings {};

class DuplexHandler : public FeatureHandlerBase<DuplexSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    HRESULT ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                        ULONG dmDriverExtra, DuplexSettings* settings) override
    {
        return CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    }
    HRESULT ReadPrintTicket(IXMLDOMDocument2* ticket, DuplexSettings* settings) override
    {
        return ticket && settings ? S_OK : E_POINTER;
    }
    // A ticket never changes the DEVMODE's duplex settings.
    HRESULT WriteDevMode(HANDLE, const DuplexSettings*, DEVMODEW* devmode, ULONG dmSize, PrivateSettings* privatePart,
                         ULONG dmDriverExtra) override
    {
        return CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    }
    HRESULT WritePrintTicket(const DuplexSettings*, IXMLDOMDocument2* ticket) override
    {
        return WriteTicket(ticket, RemoveDuplexFeatures);
    }
};

// Duplex in a ticket is never a conflict: it is simply not ours to keep.
HRESULT DuplexHandler::ValidatePrintTicket(HANDLE, IXMLDOMDocument2* ticket)
{
    HRESULT hr = WriteTicket(ticket, RemoveDuplexFeatures);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT DuplexHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ComPtr<IXMLDOMElement> feature;
        ThrowOnFailure(document.CreatePickOneFeature(kJobDuplex, nullptr, &feature));
        for (const wchar_t* name : kDuplexOptions) {
            ComPtr<IXMLDOMElement> option;
            ThrowOnFailure(
                document.CreateCapabilityOption(document.KeywordsPrefix(), name, nullptr, kConstraintNone, &option));
            AppendChild(feature.Get(), option.Get());
        }
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

} // namespace

HRESULT RemoveDuplexFeatures(PrintSchemaDocument& ticket)
{
    return AtComBoundary([&]() -> HRESULT {
        ThrowOnFailure(ticket.RemoveFeature(kJobDuplex));
        ThrowOnFailure(ticket.RemoveFeature(kDocumentDuplex));
        ThrowOnFailure(ticket.RemovePrivateProperty(kDuplexProperty));
        return S_OK;
    });
}

HRESULT ReadBinding(PrintSchemaDocument& ticket, BindingSettings* settings)
{
    if (!settings) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        settings->bindFeature = kBindNone;
        BstrOwner option;
        bool isPrivate = false;
        // The option's namespace is not checked: the name alone tells the binding.
        if (Found(ticket.GetSelectedOption(ticket.KeywordsPrefix(), kBindFeatures[kBindJob], option.Receive(),
                                           &isPrivate))) {
            settings->bindFeature = kBindJob;
            int index = BindOptionIndex(option.Text());
            if (index >= 0) {
                settings->bindOption = index;
                INT32 gutter = 0;
                if (Found(ticket.ReadFeatureInteger(kBindFeatures[kBindJob], kBindingGutter, &gutter)))
                    settings->gutter = gutter;
                if (ticket.PrivateNamespaceDeclared())
                    ReadBindingWord(ticket, true, kDependOnDuplex, kFalseTrue, &settings->dependOnDuplex);
            }
        }
        // Without our namespace the ticket cannot carry the private items.
        if (!ticket.PrivateNamespaceDeclared()) return S_OK;
        ReadNestedChoice(ticket, kGutterControl, kOffOn, &settings->gutterControl);
        ReadNestedChoice(ticket, kBindingUnit, kUnits, &settings->bindUnit);
        ReadBindingWord(ticket, false, kOptionControl, kOffOn, &settings->optionControl);
        return S_OK;
    });
}

HRESULT WriteBinding(PrintSchemaDocument& ticket, const BindingSettings& settings)
{
    const BindingSettings& s = settings;
    if (s.bindFeature < kBindNone || s.bindFeature > kBindDocument || s.bindOption < 0 ||
        s.bindOption >= kBindOptionCount || (s.bindUnit != 0 && s.bindUnit != 1))
        return E_INVALIDARG;
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(ticket.SelectRoot(&root));
        for (size_t i = 0; i < std::size(kBindFeatures); ++i) {
            ThrowOnFailure(ticket.RemoveFeature(kBindFeatures[i]));
            // A gutter no feature refers to any more would be written twice.
            ThrowOnFailure(ticket.RemoveParameterInit(kGutterParameters[i]));
        }
        if (s.bindFeature == kBindNone) return S_OK;

        const wchar_t* keywords = ticket.KeywordsPrefix();
        const wchar_t* ours = ticket.PrivatePrefix();
        const BindOptionName& choice = kBindOptions[s.bindOption];
        ComPtr<IXMLDOMElement> feature, option, ref, init, gutter, depend, control;
        ThrowOnFailure(ticket.CreateFeatureWithOption(false, kBindFeatures[s.bindFeature], choice.isPrivate,
                                                      choice.name, &feature, &option));
        ThrowOnFailure(ticket.CreateParameterInit(keywords, kGutterParameters[s.bindFeature], kXsdInteger,
                                                  IntegerText(s.gutter).Text(), &ref, &init));
        ThrowOnFailure(ticket.CreateScoredPropertyWithChild(keywords, kBindingGutter, ref.Get(), &gutter));
        AppendChild(option.Get(), gutter.Get());
        ThrowOnFailure(
            ticket.CreateStringScoredPropertyValue(ours, kDependOnDuplex, kFalseTrue[s.dependOnDuplex == 1], &depend));
        AppendChild(option.Get(), depend.Get());
        ThrowOnFailure(
            ticket.CreatePropertyValue(ours, kOptionControl, kXsdString, kOffOn[s.optionControl == 1], &control));
        AppendChild(feature.Get(), control.Get());

        const struct {
            const wchar_t* feature;
            const wchar_t* option;
        } nested[] = {{kGutterControl, kOffOn[s.gutterControl == 1]}, {kBindingUnit, kUnits[s.bindUnit]}};
        for (const auto& n : nested) {
            ComPtr<IXMLDOMElement> child, childOption;
            ThrowOnFailure(ticket.CreateFeatureWithOption(true, n.feature, true, n.option, &child, &childOption));
            AppendChild(feature.Get(), child.Get());
        }
        AppendChild(root.Get(), feature.Get());
        AppendChild(root.Get(), init.Get());
        return S_OK;
    });
}

std::unique_ptr<FeatureHandler> CreateDuplexHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<DuplexHandler>(privateNamespace);
}
