#include "printschema/features/media_type.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/handler_steps.h"

#include <wrl/client.h>

#include <cwchar>

using Microsoft::WRL::ComPtr;

const MediaTypeEntry kMediaTypes[kMediaTypeCount] = {
    {true, L"Plain", 4290, false, L"Paper", L"None", 0},
    {true, L"Bond", 2020, false, L"Paper", L"None", 5},
    {false, L"CardStock", 4205, false, L"Paper", L"None", -1},
    {true, L"EnvelopePlain", 3984, false, L"Paper", L"None", 6},
    {true, L"EnvelopeThick", 3986, true, L"Paper", L"None", 7},
    {true, L"EnvelopeThin", 3987, true, L"Paper", L"None", 8},
    {false, L"Label", 0, false, L"Paper", L"None", -1},
    {true, L"Thin", 2010, true, L"Paper", L"None", 4},
    {true, L"Thick", 393, true, L"Paper", L"None", 1},
    {true, L"Thicker", 2000, true, L"Paper", L"None", 2},
    {true, L"Transparency", 394, false, L"Transparency", L"None", 3},
    {true, L"RecyclePaper", 2021, true, L"Paper", L"Standard", 9},
};

namespace {

const wchar_t kMediaType[] = L"PageMediaType";

// What the DEVMODE stores for a type it has no value of its own for.
constexpr WORD kUncodedMediaType = 1;

bool IsPostcard(const MediaSizeSettings& paper)
{
    return paper.paperIndex == kHagakiPostcardIndex;
}

// The selected PageMediaType: S_OK when it is one of ours (or a name we do
// not know, which changes nothing); kNotFound when the ticket has none, or
// names one of ours in the wrong namespace, which resets the record to Plain.
// Throws CXDException with a failure of the document.
HRESULT ReadMediaTypeFeature(PrintSchemaDocument& document, MediaTypeSettings& s)
{
    BstrOwner option;
    bool isPrivate = false;
    HRESULT hr = document.GetSelectedOption(document.KeywordsPrefix(), kMediaType, option.Receive(), &isPrivate);
    if (hr == kNotFound) return hr;
    ThrowOnFailure(hr);
    for (size_t i = 0; i < kMediaTypeCount; ++i) {
        const MediaTypeEntry& entry = kMediaTypes[i];
        if (!entry.offered || wcscmp(entry.keyword, option.Text()) != 0) continue;
        if (entry.isPrivate != isPrivate) {
            s.mediaTypeIndex = kPlainMediaType;
            return kNotFound;
        }
        s.mediaTypeIndex = static_cast<int>(i);
        return S_OK;
    }
    return S_OK;
}

// The Material and Recycled values that describe an option, in tickets and
// capabilities alike.
void AppendMediaProperties(PrintSchemaDocument& document, IXMLDOMElement* option, const MediaTypeEntry& entry)
{
    ComPtr<IXMLDOMElement> material, recycled;
    ThrowOnFailure(
        document.CreateStringScoredPropertyValue(document.KeywordsPrefix(), L"Material", entry.material, &material));
    ThrowOnFailure(
        document.CreateStringScoredPropertyValue(document.KeywordsPrefix(), L"Recycled", entry.recycled, &recycled));
    AppendChild(option, material.Get());
    AppendChild(option, recycled.Get());
}

// Replaces the ticket's PageMediaType with the record's.
void WriteMediaTypeFeature(PrintSchemaDocument& document, const MediaTypeSettings& s)
{
    ComPtr<IXMLDOMNode> root;
    ThrowOnFailure(document.SelectRoot(&root));
    ThrowOnFailure(document.RemoveFeature(kMediaType));
    const MediaTypeEntry& entry = kMediaTypes[s.mediaTypeIndex];
    ComPtr<IXMLDOMElement> feature, option;
    ThrowOnFailure(document.CreateFeatureWithOption(false, kMediaType, entry.isPrivate, entry.keyword, &feature,
                                                    &option));
    AppendMediaProperties(document, option.Get(), entry);
    AppendChild(root.Get(), feature.Get());
}

class MediaTypeHandler : public FeatureHandlerBase<MediaTypeSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    KV_FEATURE_STEPS(MediaTypeSettings);
};

HRESULT MediaTypeHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                      const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                      MediaTypeSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    return AtComBoundary([&]() -> HRESULT {
        MediaTypeSettings& s = *settings;
        // The paper decides which of the two stored types is the current one;
        // a ticket that names no paper keeps the DEVMODE's.
        ReadMediaSizeDevMode(*devmode, *privatePart, s.mediaSize);
        int index = MediaTypeIndexOfCode(IsPostcard(s.mediaSize) ? privatePart->postcardMediaType
                                                                  : privatePart->mediaType);
        if (index >= 0) s.mediaTypeIndex = index;
        return S_OK;
    });
}

HRESULT MediaTypeHandler::WriteDevMode(HANDLE, const MediaTypeSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                       PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    short code = kMediaTypes[settings->mediaTypeIndex].code;
    WORD value = code < 0 ? kUncodedMediaType : static_cast<WORD>(code);
    devmode->dmMediaType = value;
    if (IsPostcard(settings->mediaSize))
        privatePart->postcardMediaType = value;
    else
        privatePart->mediaType = value;
    return S_OK;
}

HRESULT MediaTypeHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, MediaTypeSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        // A missing or misnamed media type is not an error here: the record
        // holds what the DEVMODE had, or Plain.
        ReadMediaTypeFeature(document, *settings);
        ReadMediaSizeTicket(document, settings->mediaSize);
        return S_OK;
    });
}

HRESULT MediaTypeHandler::WritePrintTicket(const MediaTypeSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        WriteMediaTypeFeature(document, *settings);
        return S_OK;
    });
}

HRESULT MediaTypeHandler::ValidatePrintTicket(HANDLE, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        PrintSchemaDocument document(kPrintTicketRoot, PrivateNamespace(), false, ticket);
        MediaTypeSettings s;
        if (ReadMediaTypeFeature(document, s) == S_OK) return S_PT_NO_CONFLICT;
        WriteMediaTypeFeature(document, s);
        return S_PT_CONFLICT_RESOLVED;
    });
}

HRESULT MediaTypeHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ComPtr<IXMLDOMElement> feature;
        ThrowOnFailure(document.CreatePickOneFeature(kMediaType, DisplayName(3711).Get(), &feature));
        for (const MediaTypeEntry& entry : kMediaTypes) {
            if (!entry.offered) continue;
            ComPtr<IXMLDOMElement> option;
            ThrowOnFailure(document.CreateCapabilityOption(
                entry.isPrivate ? document.PrivatePrefix() : document.KeywordsPrefix(), entry.keyword,
                DisplayName(entry.displayId).Get(), kConstraintNone, &option));
            AppendMediaProperties(document, option.Get(), entry);
            AppendChild(feature.Get(), option.Get());
        }
        AppendChild(root.Get(), feature.Get());
        return S_OK;
    });
}

} // namespace

int MediaTypeIndexOfCode(int code)
{
    for (size_t i = 0; i < kMediaTypeCount; ++i)
        if (kMediaTypes[i].code >= 0 && kMediaTypes[i].code == code) return static_cast<int>(i);
    return -1;
}

std::unique_ptr<FeatureHandler> CreateMediaTypeHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<MediaTypeHandler>(privateNamespace);
}
