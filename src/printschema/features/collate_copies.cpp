#include "printschema/features/collate_copies.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/feature_words.h"
#include "printschema/features/handler_steps.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

#include <cwchar>
#include <iterator>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kDocumentCollate[] = L"DocumentCollate";
// The job-level form other producers write; we describe the document level.
const wchar_t kJobCollate[] = L"JobCollateAllDocuments";
const wchar_t kCopies[] = L"JobCopiesAllDocuments";
const wchar_t kCollateData[] = L"CollateData";
const wchar_t kCollateField[] = L"CollateField";

constexpr SHORT kOneCopy = 1;

// By collation code.
struct CollateChoice {
    bool           offered;
    const wchar_t* name;   // keywords namespace
    UINT           displayId;
};
const CollateChoice kCollateChoices[] = {
    {true, L"Uncollated", 1109},
    {true, L"Collated", 1127},
};

// CollateField words, by CollateMode.
const wchar_t* const kCollateModeWords[] = {L"Unsupported", L"Supported", L"Indeterminate"};

bool CopiesLocked(HANDLE printer)
{
    return LockedOptionLevel(printer, kAdminLockCopies) == kConstraintAdminSettings;
}

// What the ticket says overrides the record; what it leaves out stays.
HRESULT ReadCollation(PrintSchemaDocument& document, CollateSettings* settings)
{
    BstrOwner option;
    bool isPrivate = false;
    HRESULT hr = document.GetSelectedOption(document.KeywordsPrefix(), kDocumentCollate, option.Receive(), &isPrivate);
    if (Found(hr)) {
        for (size_t i = 0; i < std::size(kCollateChoices); ++i) {
            if (kCollateChoices[i].offered && wcscmp(kCollateChoices[i].name, option.Text()) == 0) {
                settings->collateCode = static_cast<int>(i);
                break;
            }
        }
    }

    FeatureQuery copies(document.FrameworkPrefix());
    ThrowOnFailure(copies.ForParameterInit(document.KeywordsPrefix(), kCopies));
    INT32 count = 0;
    if (Found(document.ReadIntegerValue(copies.Text(), &count))) settings->copies = static_cast<SHORT>(count);

    if (!document.PrivateNamespaceDeclared()) return S_OK;
    FeatureQuery field(document.FrameworkPrefix());
    ThrowOnFailure(field.ForProperty(document.PrivatePrefix(), kCollateData));
    if (!Found(document.NodeExists(field.Text()))) return S_OK;
    ThrowOnFailure(field.ForProperty(document.PrivatePrefix(), kCollateField));
    std::wstring word;
    if (Found(ReadValueText(document, field.Text(), &word))) {
        int mode = IndexOfWord(kCollateModeWords, word.c_str());
        if (mode >= 0) settings->collateMode = mode;
    }
    return S_OK;
}

class CollateCopiesHandler : public FeatureHandlerBase<CollateSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    KV_FEATURE_STEPS(CollateSettings);
};

HRESULT CollateCopiesHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                          const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                          CollateSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    if (devmode->dmCollate == DMCOLLATE_FALSE || devmode->dmCollate == DMCOLLATE_TRUE)
        settings->collateCode = devmode->dmCollate;
    settings->copies = devmode->dmCopies >= kOneCopy && devmode->dmCopies <= kMaxCopies ? devmode->dmCopies
                                                                                          : kOneCopy;
    settings->collateMode = privatePart->useDevmodeCollate;
    return S_OK;
}

HRESULT CollateCopiesHandler::WriteDevMode(HANDLE, const CollateSettings* settings, DEVMODEW* devmode,
                                           ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    // The job processor takes its collation request from its own copy.
    if (settings->collateCode == 0 || settings->collateCode == 1) {
        devmode->dmCollate = static_cast<short>(settings->collateCode);
        privatePart->processor.procCollate = static_cast<BYTE>(settings->collateCode);
    }
    devmode->dmCopies = settings->copies;
    privatePart->useDevmodeCollate = settings->collateMode != kCollateUnsupported ? 1 : 0;
    return S_OK;
}

HRESULT CollateCopiesHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, CollateSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) { return ReadCollation(document, settings); });
}

HRESULT CollateCopiesHandler::WritePrintTicket(const CollateSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    const CollateSettings& s = *settings;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ThrowOnFailure(document.RemoveFeature(kDocumentCollate));
        ThrowOnFailure(document.RemoveParameterInit(kCopies));
        ThrowOnFailure(document.RemovePrivateProperty(kCollateData));

        const wchar_t* keywords = document.KeywordsPrefix();
        ComPtr<IXMLDOMElement> feature, option;
        const wchar_t* choice = kCollateChoices[s.collateCode == 1 ? 1 : 0].name;
        ThrowOnFailure(document.CreateFeatureWithOption(false, kDocumentCollate, false, choice, &feature, &option));
        AppendChild(root.Get(), feature.Get());

        ComPtr<IXMLDOMElement> ref, init;
        ThrowOnFailure(document.CreateParameterInit(keywords, kCopies, kXsdInteger, IntegerText(s.copies).Text(),
                                                    &ref, &init));
        AppendChild(root.Get(), init.Get());

        // Any nonzero mode but the indeterminate one means dmCollate governs.
        int mode = s.collateMode == kCollateIndeterminate ? kCollateIndeterminate
                   : s.collateMode != 0                   ? kCollateSupported
                                                          : kCollateUnsupported;
        ComPtr<IXMLDOMElement> data, field;
        ThrowOnFailure(document.CreateProperty(document.PrivatePrefix(), kCollateData, &data));
        ThrowOnFailure(document.CreatePropertyValue(document.PrivatePrefix(), kCollateField, kXsdString,
                                                    kCollateModeWords[mode], &field));
        AppendChild(data.Get(), field.Get());
        AppendChild(root.Get(), data.Get());
        return S_OK;
    });
}

HRESULT CollateCopiesHandler::ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    HRESULT result = WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        BstrOwner option;
        bool isPrivate = false;
        if (!Found(document.GetSelectedOption(document.KeywordsPrefix(), kJobCollate, option.Receive(), &isPrivate)))
            return S_PT_NO_CONFLICT;
        ThrowOnFailure(document.RemoveFeature(kJobCollate));
        return S_PT_CONFLICT_RESOLVED;
    });
    if (FAILED(result) || !CopiesLocked(printer)) return result;

    // Under the administrator's lock a job prints one copy.
    CollateSettings locked;
    HRESULT hr = ReadPrintTicket(ticket, &locked);
    if (FAILED(hr)) return hr;
    if (locked.copies == kOneCopy) return result;
    locked.copies = kOneCopy;
    hr = WritePrintTicket(&locked, ticket);
    return FAILED(hr) ? hr : S_PT_CONFLICT_RESOLVED;
}

HRESULT CollateCopiesHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    int maxCopies = CopiesLocked(printer) ? kOneCopy : kMaxCopies;
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ComPtr<IXMLDOMElement> feature;
        ThrowOnFailure(document.CreatePickOneFeature(kDocumentCollate, DisplayName(3708).Get(), &feature));
        for (const CollateChoice& choice : kCollateChoices) {
            if (!choice.offered) continue;
            ComPtr<IXMLDOMElement> option;
            ThrowOnFailure(document.CreateCapabilityOption(document.KeywordsPrefix(), choice.name,
                                                           DisplayName(choice.displayId).Get(), kConstraintNone,
                                                           &option));
            AppendChild(feature.Get(), option.Get());
        }
        AppendChild(root.Get(), feature.Get());

        ComPtr<IXMLDOMElement> definition;
        ThrowOnFailure(document.CreateIntegerParameterDef(kCopies, false, nullptr, kOneCopy, kOneCopy, maxCopies,
                                                          1, L"copies", &definition));
        AppendChild(root.Get(), definition.Get());
        return S_OK;
    });
}

} // namespace

std::unique_ptr<FeatureHandler> CreateCollateCopiesHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<CollateCopiesHandler>(privateNamespace);
}
