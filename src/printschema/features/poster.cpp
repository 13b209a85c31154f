#include "printschema/features/poster.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/feature_words.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/multi_page.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kPagePoster[] = L"PagePoster";
const wchar_t kSheetsPerPage[] = L"SheetsPerPage";

// Posters the printer makes: sheets in documents, multiPage in the DEVMODE.
struct PosterSize {
    INT32 sheets;
    SHORT multiPage;
};
const PosterSize kPosterSizes[] = {{4, -4}, {9, -9}, {16, -16}, {25, -25}};

constexpr SHORT kOnePage = 1;

// Capability choices: n x n sheets; "%d" takes n.
struct PosterChoice {
    bool offered;
    UINT displayId;
    int  n;
};
const PosterChoice kPosterChoices[] = {
    {true, 2001, 1}, {true, 2004, 2}, {true, 2004, 3}, {true, 2004, 4}, {true, 2004, 5},
};

INT32 SheetsOfMultiPage(SHORT multiPage)
{
    for (const PosterSize& size : kPosterSizes)
        if (size.multiPage == multiPage) return size.sheets;
    return 0;
}

INT32 Sheets(const SingleValueSettings& settings)
{
    return static_cast<INT32>(settings.value);
}

class PosterHandler : public FeatureHandlerBase<SingleValueSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(SingleValueSettings);
};

HRESULT PosterHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                                   ULONG dmDriverExtra, SingleValueSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    // N-up values and an unset field leave poster printing off.
    if (privatePart->multiPage < 0) settings->value = SheetsOfMultiPage(privatePart->multiPage);
    return S_OK;
}

HRESULT PosterHandler::WriteDevMode(HANDLE, const SingleValueSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                    PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    // Without a poster, what the N-up handler wrote stands.
    INT32 sheets = Sheets(*settings);
    if (sheets < 2) return S_OK;
    privatePart->multiPage = kOnePage;
    for (const PosterSize& size : kPosterSizes)
        if (size.sheets == sheets) privatePart->multiPage = size.multiPage;
    return S_OK;
}

HRESULT PosterHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, SingleValueSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        INT32 sheets = 0;
        ThrowOnFailure(ReadPosterFeature(document, &sheets));
        settings->value = sheets;
        return S_OK;
    });
}

HRESULT PosterHandler::WritePrintTicket(const SingleValueSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) {
        return WritePosterFeature(document, Sheets(*settings));
    });
}

HRESULT PosterHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    // Under the administrator's lock only the printer's current poster (or
    // none, one sheet) stays open.
    CurrentLayout current;
    bool isLocked = ReadLockedLayout(printer, &current);
    INT32 lockedSheets = current.multiPage < 0 ? SheetsOfMultiPage(current.multiPage) : 0;
    if (lockedSheets == 0) lockedSheets = 1;

    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const wchar_t* keywords = document.KeywordsPrefix();
        ComPtr<IXMLDOMElement> feature;
        ThrowOnFailure(document.CreatePickOneFeature(kPagePoster, DisplayName(3701).Get(), &feature));
        for (const PosterChoice& choice : kPosterChoices) {
            if (!choice.offered) continue;
            int sheets = choice.n * choice.n;
            ConstraintLevel level = isLocked && sheets != lockedSheets ? kConstraintAdminSettings : kConstraintNone;
            ComPtr<IXMLDOMElement> option, value;
            ThrowOnFailure(document.CreateCapabilityOption(
                keywords, L"", CountedName(choice.displayId, {choice.n, choice.n}).Get(), level, &option));
            ThrowOnFailure(document.CreateIntegerScoredPropertyValue(keywords, kSheetsPerPage, sheets, &value));
            AppendChild(option.Get(), value.Get());
            AppendChild(feature.Get(), option.Get());
        }
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

} // namespace

HRESULT ReadPosterFeature(PrintSchemaDocument& ticket, INT32* sheets)
{
    if (!sheets) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        INT32 read = 0;
        if (!Found(ticket.FeatureExists(kPagePoster)) ||
            !Found(ticket.ReadFeatureInteger(kPagePoster, kSheetsPerPage, &read)))
            read = 0;
        *sheets = read < 1 ? 0 : read;
        return S_OK;
    });
}

HRESULT WritePosterFeature(PrintSchemaDocument& ticket, INT32 sheets)
{
    return AtComBoundary([&]() -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(ticket.SelectRoot(&root));
        ThrowOnFailure(ticket.RemoveFeature(kPagePoster));
        if (sheets < 1) return S_OK;
        ComPtr<IXMLDOMElement> feature, option, value;
        ThrowOnFailure(ticket.CreateFeature(false, kPagePoster, &feature, &option));
        ThrowOnFailure(
            ticket.CreateIntegerScoredPropertyValue(ticket.KeywordsPrefix(), kSheetsPerPage, sheets, &value));
        AppendChild(option.Get(), value.Get());
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

std::unique_ptr<FeatureHandler> CreatePosterHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<PosterHandler>(privateNamespace);
}
