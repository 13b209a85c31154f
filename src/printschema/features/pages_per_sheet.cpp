#include "printschema/features/pages_per_sheet.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/feature_words.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/multi_page.h"

#include <wrl/client.h>

#include <iterator>

using Microsoft::WRL::ComPtr;

const wchar_t* const kPageOrderNames[4] = {L"RightBottom", L"BottomRight", L"LeftBottom", L"BottomLeft"};
const wchar_t* const kBorderLineNames[3] = {L"None", L"SolidLine", L"BreakLine"};

namespace {

// Only the job-level feature is read, written and described; tickets from
// elsewhere may carry the document-level one, which we remove.
const wchar_t kJobNup[] = L"JobNUpAllDocumentsContiguously";
const wchar_t kDocumentNup[] = L"DocumentNUp";
const wchar_t kPagesPerSheet[] = L"PagesPerSheet";
const wchar_t kPresentationDirection[] = L"PresentationDirection";
const wchar_t kBorderLine[] = L"BorderLine";

// Pages per sheet the printer does, as both documents and multiPage count
// them. Anything else prints one page per sheet.
const int kNupPages[] = {2, 4, 9, 16, 25};

constexpr int kOnePage = 1;
constexpr int kDefaultOrder = 0;
constexpr int kDefaultBorder = 1;

struct NupChoice {
    bool offered;
    UINT displayId;   // "%d" takes the pages
    int  pages;
};
const NupChoice kNupChoices[] = {
    {true, 2001, 1}, {true, 2002, 2}, {true, 2003, 4}, {true, 2009, 9}, {true, 2009, 16}, {true, 2009, 25},
};

bool IsNupPages(int pages)
{
    for (int offered : kNupPages)
        if (offered == pages) return true;
    return false;
}

// A code that indexes a list of count names, or fallback.
int CodeOrDefault(int code, size_t count, int fallback)
{
    return code >= 0 && static_cast<size_t>(code) < count ? code : fallback;
}

// A nested capability feature whose options are the names, in our or the
// keywords namespace, without display names. Under the administrator's lock
// all but the open one are excluded; kAllOpen leaves them all.
constexpr int kAllOpen = -1;

template <size_t N>
ComPtr<IXMLDOMElement> NestedChoices(PrintSchemaDocument& document, bool isPrivate, const wchar_t* feature,
                                     UINT displayId, const wchar_t* const (&names)[N], int open)
{
    ComPtr<IXMLDOMElement> nested;
    ThrowOnFailure(isPrivate ? document.CreatePrivatePickOneFeature(feature, DisplayName(displayId).Get(), &nested)
                             : document.CreatePickOneFeature(feature, DisplayName(displayId).Get(), &nested));
    for (size_t i = 0; i < N; ++i) {
        bool excluded = open != kAllOpen && static_cast<int>(i) != open;
        ComPtr<IXMLDOMElement> option;
        ThrowOnFailure(document.CreateCapabilityOption(isPrivate ? document.PrivatePrefix() : document.KeywordsPrefix(),
                                                       names[i], nullptr,
                                                       excluded ? kConstraintAdminSettings : kConstraintNone, &option));
        AppendChild(nested.Get(), option.Get());
    }
    return nested;
}

class PagesPerSheetHandler : public FeatureHandlerBase<NupSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    KV_FEATURE_STEPS(NupSettings);
};

HRESULT PagesPerSheetHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                          const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                          NupSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    ReadNupLayout(privatePart->multiPage, privatePart->processor.pageOrder, privatePart->processor.multiLine,
                  settings);
    return S_OK;
}

HRESULT PagesPerSheetHandler::WriteDevMode(HANDLE, const NupSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                           PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    // Always written: a ticket without N-up means one page per sheet. The
    // poster handler runs next and overrides this for a poster.
    privatePart->multiPage = static_cast<SHORT>(IsNupPages(settings->pagesPerSheet) ? settings->pagesPerSheet
                                                                                     : kOnePage);
    privatePart->processor.pageOrder =
        static_cast<BYTE>(CodeOrDefault(settings->orderCode, std::size(kPageOrderNames), kDefaultOrder));
    privatePart->processor.multiLine =
        static_cast<BYTE>(CodeOrDefault(settings->borderLine, std::size(kBorderLineNames), kDefaultBorder));
    return S_OK;
}

HRESULT PagesPerSheetHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, NupSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) { return ReadNupFeature(document, settings); });
}

HRESULT PagesPerSheetHandler::WritePrintTicket(const NupSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) { return WriteNupFeature(document, *settings); });
}

// A complete job-level feature and a document-level one would say two
// things; the job-level one is ours, so the other goes.
HRESULT PagesPerSheetHandler::ValidatePrintTicket(HANDLE, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        NupSettings read;
        ThrowOnFailure(ReadNupFeature(document, &read));
        if (read.featureIndex != 0) return S_PT_NO_CONFLICT;
        BstrOwner option;
        bool isPrivate = false;
        HRESULT hr = document.GetSelectedOption(document.KeywordsPrefix(), kDocumentNup, option.Receive(), &isPrivate);
        if (hr == kNotFound) return S_PT_NO_CONFLICT;
        ThrowOnFailure(hr);
        ThrowOnFailure(document.RemoveFeature(kDocumentNup));
        return S_PT_CONFLICT_RESOLVED;
    });
}

HRESULT PagesPerSheetHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    // Under the administrator's lock only the printer's current layout stays open.
    CurrentLayout current;
    NupSettings locked;
    bool isLocked = ReadLockedLayout(printer, &current);
    if (isLocked) ReadNupLayout(current.multiPage, current.pageOrder, current.multiLine, &locked);

    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const wchar_t* keywords = document.KeywordsPrefix();

        ComPtr<IXMLDOMElement> feature;
        ThrowOnFailure(document.CreatePickOneFeature(kJobNup, DisplayName(3701).Get(), &feature));
        for (const NupChoice& choice : kNupChoices) {
            if (!choice.offered) continue;
            bool excluded = isLocked && choice.pages != locked.pagesPerSheet;
            ComPtr<IXMLDOMElement> option, pages;
            ThrowOnFailure(
                document.CreateCapabilityOption(keywords, L"", CountedName(choice.displayId, {choice.pages}).Get(),
                                                excluded ? kConstraintAdminSettings : kConstraintNone, &option));
            ThrowOnFailure(document.CreateIntegerScoredPropertyValue(keywords, kPagesPerSheet, choice.pages, &pages));
            AppendChild(option.Get(), pages.Get());
            AppendChild(feature.Get(), option.Get());
        }

        AppendChild(feature.Get(), NestedChoices(document, false, kPresentationDirection, 3736, kPageOrderNames,
                                                 isLocked ? locked.orderCode : kAllOpen).Get());
        AppendChild(feature.Get(), NestedChoices(document, true, kBorderLine, 3741, kBorderLineNames,
                                                 isLocked ? locked.borderLine : kAllOpen).Get());
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

} // namespace

void ReadNupLayout(SHORT multiPage, BYTE pageOrder, BYTE multiLine, NupSettings* settings)
{
    // Posters and an unset field leave nothing for N-up to write.
    if (multiPage < kOnePage) return;
    settings->pagesPerSheet = IsNupPages(multiPage) ? multiPage : kOnePage;
    settings->orderCode = CodeOrDefault(pageOrder, std::size(kPageOrderNames), kDefaultOrder);
    settings->borderLine = CodeOrDefault(multiLine, std::size(kBorderLineNames), kDefaultBorder);
    settings->featureIndex = 0;
}

HRESULT ReadNupFeature(PrintSchemaDocument& ticket, NupSettings* settings)
{
    if (!settings) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        NupSettings read;
        INT32 pages = 0;
        if (Found(ticket.FeatureExists(kJobNup)) && Found(ticket.ReadFeatureInteger(kJobNup, kPagesPerSheet, &pages))) {
            if (pages < kOnePage) {
                read.pagesPerSheet = kOnePage;
            } else {
                read.pagesPerSheet = pages;
                read.featureIndex = 0;
                int order = -1;
                const wchar_t* keywords = ticket.KeywordsPrefix();
                if (Found(SelectedOptionIndex(ticket, keywords, kPresentationDirection, kPageOrderNames, &order)) &&
                    order >= 0)
                    read.orderCode = order;
            }
            // Without our namespace the ticket cannot name a border.
            int border = -1;
            HRESULT hr = kNotFound;
            if (ticket.PrivateNamespaceDeclared())
                hr = SelectedOptionIndex(ticket, ticket.PrivatePrefix(), kBorderLine, kBorderLineNames, &border);
            if (hr == kNotFound)
                read.featureIndex = -1;
            else if (border >= 0)
                read.borderLine = border;
        }
        *settings = read;
        return S_OK;
    });
}

HRESULT WriteNupFeature(PrintSchemaDocument& ticket, const NupSettings& settings)
{
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(ticket.SelectRoot(&root));
        ThrowOnFailure(ticket.RemoveFeature(kJobNup));
        ThrowOnFailure(ticket.RemoveFeature(kDocumentNup));
        if (settings.pagesPerSheet <= 0) return S_OK;

        ComPtr<IXMLDOMElement> feature, option, pages, order, orderOption, border, borderOption;
        ThrowOnFailure(ticket.CreateFeature(false, kJobNup, &feature, &option));
        ThrowOnFailure(ticket.CreateIntegerScoredPropertyValue(ticket.KeywordsPrefix(), kPagesPerSheet,
                                                               settings.pagesPerSheet, &pages));
        AppendChild(option.Get(), pages.Get());
        int orderCode = CodeOrDefault(settings.orderCode, std::size(kPageOrderNames), kDefaultOrder);
        ThrowOnFailure(ticket.CreateFeatureWithOption(false, kPresentationDirection, false, kPageOrderNames[orderCode],
                                                      &order, &orderOption));
        AppendChild(feature.Get(), order.Get());
        int borderCode = CodeOrDefault(settings.borderLine, std::size(kBorderLineNames), kDefaultBorder);
        ThrowOnFailure(ticket.CreateFeatureWithOption(true, kBorderLine, true, kBorderLineNames[borderCode], &border,
                                                      &borderOption));
        AppendChild(feature.Get(), border.Get());
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

std::unique_ptr<FeatureHandler> CreatePagesPerSheetHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<PagesPerSheetHandler>(privateNamespace);
}
