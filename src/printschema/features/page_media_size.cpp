#include "printschema/features/page_media_size.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/handler_steps.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

#include <cwchar>
#include <string>

using Microsoft::WRL::ComPtr;

// Every imageable area is the paper less a 4233-micron margin on each side.
const PaperEntry kPapers[kPaperCount] = {
    {553, false, L"ISOA4", 9, 210000, 297000, 201533, 288533, 4233, 4233, true, true, true},
    {550, false, L"NorthAmericaLetter", 1, 215900, 279400, 207433, 270933, 4233, 4233, true, true, true},
    {551, false, L"NorthAmericaLegal", 5, 215900, 355600, 207433, 347133, 4233, 4233, true, true, true},
    {552, false, L"NorthAmericaExecutive", 7, 184150, 266700, 175683, 258233, 4233, 4233, true, true, false},
    {554, false, L"ISOA5", 11, 148000, 210000, 139533, 201533, 4233, 4233, true, true, false},
    {4209, true, L"ISOA5LongEdge", 61, 148000, 210000, 139533, 201533, 4233, 4233, true, true, false},
    {2012, false, L"ISOA6", 70, 105000, 148000, 96533, 139533, 4233, 4233, true, true, false},
    {555, false, L"ISOB5Envelope", 34, 176000, 250000, 167533, 241533, 4233, 4233, true, true, false},
    {573, true, L"ISOB6", 264, 125000, 176000, 116533, 167533, 4233, 4233, true, true, false},
    {4204, false, L"JISB5", 13, 182000, 257000, 173533, 248533, 4233, 4233, true, true, false},
    {556, false, L"NorthAmericaNumber10Envelope", 20, 104775, 241300, 96308, 232833, 4233, 4233, true, true,
     false},
    {557, false, L"ISODLEnvelope", 27, 110000, 220000, 101533, 211533, 4233, 4233, true, true, false},
    {558, false, L"ISOC5Envelope", 28, 162000, 229000, 153533, 220533, 4233, 4233, true, true, false},
    {559, false, L"NorthAmericaMonarchEnvelope", 37, 98425, 190500, 89958, 182033, 4233, 4233, true, true,
     false},
    {560, true, L"OrganizerJ", 257, 69850, 127000, 61383, 118533, 4233, 4233, false, false, false},
    {561, true, L"OrganizerK", 258, 95250, 171450, 86783, 162983, 4233, 4233, false, false, false},
    {562, true, L"OrganizerL", 259, 139700, 215900, 131233, 207433, 4233, 4233, false, false, false},
    {563, true, L"OrganizerM", 260, 215900, 279400, 207433, 270933, 4233, 4233, false, false, false},
    {564, true, L"3x5", 261, 76200, 127000, 67733, 118533, 4233, 4233, true, true, false},
    {565, true, L"A4Long", 262, 210000, 405000, 201533, 396533, 4233, 4233, true, true, true},
    {4221, false, L"OtherMetricFolio", 14, 215900, 330200, 207433, 321733, 4233, 4233, true, true, true},
    {4233, true, L"DLLongEdge", 263, 220000, 110000, 211533, 101533, 4233, 4233, true, true, false},
    {4205, false, L"JapanHagakiPostcard", 43, 100000, 148000, 91533, 139533, 4233, 4233, true, true, false},
    {574, false, L"ISOA3", 8, 297000, 420000, 288533, 411533, 4233, 4233, true, false, false},
    {578, false, L"JISB4", 12, 257000, 364000, 248533, 355533, 4233, 4233, true, false, false},
    {575, false, L"NorthAmericaTabloid", 3, 279400, 431800, 270933, 423333, 4233, 4233, true, false, false},
    {4207, false, L"JapanChou3Envelope", 73, 120000, 235000, 111533, 226533, 4233, 4233, true, true, false},
    {0, false, L"JISB6", 88, 128000, 182000, 119533, 173533, 4233, 4233, false, false, false},
    {4206, false, L"JapanYou4Envelope", 91, 105000, 235000, 96533, 226533, 4233, 4233, true, true, false},
};

namespace {

const wchar_t kCustomKeyword[] = L"CustomMediaSize";
const wchar_t kWidthParameter[] = L"PageMediaSizeMediaSizeWidth";
const wchar_t kHeightParameter[] = L"PageMediaSizeMediaSizeHeight";
const wchar_t kMediaSize[] = L"PageMediaSize";
const wchar_t kOrientation[] = L"PageOrientation";
const wchar_t kMediaSizeData[] = L"PageMediaSizeData";

constexpr int kCustomMargin = 4233;
constexpr short kUserPaper = 256;   // dmPaperSize of a custom size

struct OrientationEntry {
    const wchar_t* keyword;
    bool           offered;
    UINT           displayId;
};
const OrientationEntry kOrientations[] = {
    {L"Landscape", true, 3705},
    {L"Portrait", true, 3704},
    {L"ReverseLandscape", false, 0},
    {L"ReversePortrait", false, 0},
};

bool PortraitLike(int orientation)
{
    return orientation == kPortrait || orientation == kReversePortrait;
}

// The oriented values follow from the paper and the orientation; recompute
// them after every change of either.
void Recompute(MediaSizeSettings& s)
{
    bool portrait = PortraitLike(s.orientation);
    s.imageableSizeWidth = portrait ? s.mediaWidth : s.mediaHeight;
    s.imageableSizeHeight = portrait ? s.mediaHeight : s.mediaWidth;
    if (s.paperIndex == kCustomPaperIndex) {
        s.originWidth = s.originHeight = kCustomMargin;
        s.extentWidth = s.imageableSizeWidth - 2 * kCustomMargin;
        s.extentHeight = s.imageableSizeHeight - 2 * kCustomMargin;
        return;
    }
    const PaperEntry& paper = kPapers[s.paperIndex];
    s.originWidth = portrait ? paper.originX : paper.originY;
    s.originHeight = portrait ? paper.originY : paper.originX;
    s.extentWidth = portrait ? paper.imageableWidth : paper.imageableHeight;
    s.extentHeight = portrait ? paper.imageableHeight : paper.imageableWidth;
}

// E_FAIL (record unchanged) for a paper we do not have or do not offer.
HRESULT SelectPaper(MediaSizeSettings& s, const wchar_t* keyword)
{
    for (size_t i = 0; i < kPaperCount; ++i) {
        const PaperEntry& paper = kPapers[i];
        if (wcscmp(paper.keyword, keyword) != 0) continue;
        if (!paper.offered) return E_FAIL;
        s.keyword = BstrOwner::Copy(paper.keyword);
        s.paperIndex = static_cast<int>(i);
        s.isPrivate = paper.isPrivate;
        s.mediaWidth = paper.width;
        s.mediaHeight = paper.height;
        Recompute(s);
        return S_OK;
    }
    return E_FAIL;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

// S_PT_CONFLICT_RESOLVED when the size had to be brought within limits.
HRESULT SetCustomSize(MediaSizeSettings& s, int width, int height)
{
    int w = width < 0 ? kCustomMinWidth : width;
    int h = height < 0 ? kCustomMinHeight : height;
    w = Clamp(w, kCustomMinWidth, kCustomMaxWidth);
    h = Clamp(h, kCustomMinHeight, kCustomMaxHeight);
    s.keyword = BstrOwner::Copy(kCustomKeyword);
    s.paperIndex = kCustomPaperIndex;
    s.isPrivate = false;
    s.mediaWidth = w;
    s.mediaHeight = h;
    Recompute(s);
    return w != width || h != height ? S_PT_CONFLICT_RESOLVED : S_OK;
}

// The text of a private sub-property of PageMediaSizeData; S_FALSE when absent.
HRESULT ReadDataText(PrintSchemaDocument& document, const wchar_t* name, std::wstring* text)
{
    FeatureQuery query(document.FrameworkPrefix());
    ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), kMediaSizeData));
    ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), name));
    VARIANT value;
    HRESULT hr = ThrowOnFailure(document.ReadValue(query.Text(), &value));
    if (hr == S_OK && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)) && value.bstrVal)
        *text = value.bstrVal;
    VariantClear(&value);
    return hr;
}

class PageMediaSizeHandler : public FeatureHandlerBase<MediaSizeSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    KV_FEATURE_STEPS(MediaSizeSettings);
};

HRESULT PageMediaSizeHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                          const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                          MediaSizeSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    return AtComBoundary([&]() -> HRESULT {
        ReadMediaSizeDevMode(*devmode, *privatePart, *settings);
        return S_OK;
    });
}

HRESULT PageMediaSizeHandler::WriteDevMode(HANDLE, const MediaSizeSettings* settings, DEVMODEW* devmode,
                                           ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const MediaSizeSettings& s = *settings;
    if (s.paperIndex == kCustomPaperIndex) {
        devmode->dmPaperSize = kUserPaper;
        privatePart->customPaperWidth = static_cast<WORD>(s.mediaWidth / 100);
        privatePart->customPaperLength = static_cast<WORD>(s.mediaHeight / 100);
    } else {
        devmode->dmPaperSize = kPapers[s.paperIndex].dmPaperSize;
    }
    devmode->dmPaperWidth = static_cast<short>(s.mediaWidth / 100);
    devmode->dmPaperLength = static_cast<short>(s.mediaHeight / 100);
    devmode->dmOrientation = PortraitLike(s.orientation) ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    privatePart->customPaperUnit = s.unitIsInch ? 1 : 0;
    return S_OK;
}

HRESULT PageMediaSizeHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, MediaSizeSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket,
                      [&](PrintSchemaDocument& document) { return ReadMediaSizeTicket(document, *settings); });
}

HRESULT PageMediaSizeHandler::WritePrintTicket(const MediaSizeSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    if (!settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        WriteMediaSizeTicket(document, *settings);
        return S_OK;
    });
}

HRESULT PageMediaSizeHandler::ValidatePrintTicket(HANDLE, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        MediaSizeSettings s;
        HRESULT hr = ReadPrintTicket(ticket, &s);
        if (hr == S_PT_CONFLICT_RESOLVED || hr == kNotFound) {
            // Rewrite all three items complete, with what could be read.
            ThrowOnFailure(WritePrintTicket(&s, ticket));
            return S_PT_CONFLICT_RESOLVED;
        }
        return FAILED(hr) ? hr : S_PT_NO_CONFLICT;
    });
}

HRESULT PageMediaSizeHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2* ticket,
                                                   IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    // The imageable area belongs to the paper the ticket selects.
    MediaSizeSettings selected;
    if (ticket) {
        HRESULT hr = ReadPrintTicket(ticket, &selected);
        if (FAILED(hr)) return hr;
    }
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const wchar_t* keywords = document.KeywordsPrefix();

        ComPtr<IXMLDOMElement> feature;
        ThrowOnFailure(document.CreatePickOneFeature(kMediaSize, DisplayName(3700).Get(), &feature));
        for (const PaperEntry& paper : kPapers) {
            if (!paper.offered) continue;
            ComPtr<IXMLDOMElement> option, width, height;
            ThrowOnFailure(document.CreateCapabilityOption(paper.isPrivate ? document.PrivatePrefix() : keywords,
                                                           paper.keyword, DisplayName(paper.displayId).Get(),
                                                           kConstraintNone, &option));
            ThrowOnFailure(document.CreateIntegerScoredPropertyValue(keywords, L"MediaSizeWidth", paper.width, &width));
            ThrowOnFailure(
                document.CreateIntegerScoredPropertyValue(keywords, L"MediaSizeHeight", paper.height, &height));
            AppendChild(option.Get(), width.Get());
            AppendChild(option.Get(), height.Get());
            AppendChild(feature.Get(), option.Get());
        }
        ComPtr<IXMLDOMElement> custom;
        ThrowOnFailure(document.CreateCapabilityOption(keywords, kCustomKeyword, DisplayName(566).Get(),
                                                       kConstraintNone, &custom));
        const struct {
            const wchar_t* property;
            const wchar_t* parameter;
        } refs[] = {{L"MediaSizeWidth", kWidthParameter}, {L"MediaSizeHeight", kHeightParameter}};
        for (const auto& r : refs) {
            ComPtr<IXMLDOMElement> ref, scored;
            ThrowOnFailure(document.CreateParameterRef(false, r.parameter, &ref));
            ThrowOnFailure(document.CreateScoredPropertyWithChild(keywords, r.property, ref.Get(), &scored));
            AppendChild(custom.Get(), scored.Get());
        }
        AppendChild(feature.Get(), custom.Get());
        AppendChild(root.Get(), feature.Get());

        ComPtr<IXMLDOMElement> widthDef, heightDef;
        ThrowOnFailure(document.CreateIntegerParameterDef(kWidthParameter, false, nullptr, kCustomMinWidth,
                                                          kCustomMinWidth, kCustomMaxWidth, 100, L"microns",
                                                          &widthDef));
        ThrowOnFailure(document.CreateIntegerParameterDef(kHeightParameter, false, nullptr, kCustomMinHeight,
                                                          kCustomMinHeight, kCustomMaxHeight, 100, L"microns",
                                                          &heightDef));
        AppendChild(root.Get(), widthDef.Get());
        AppendChild(root.Get(), heightDef.Get());

        if (ticket) {
            ComPtr<IXMLDOMElement> imageable, area;
            ThrowOnFailure(document.CreateProperty(keywords, L"PageImageableSize", &imageable));
            ThrowOnFailure(document.CreateProperty(keywords, L"ImageableArea", &area));
            const struct {
                IXMLDOMElement* parent;
                const wchar_t* name;
                int value;
            } values[] = {
                {area.Get(), L"OriginWidth", selected.originWidth},
                {area.Get(), L"OriginHeight", selected.originHeight},
                {area.Get(), L"ExtentWidth", selected.extentWidth},
                {area.Get(), L"ExtentHeight", selected.extentHeight},
                {imageable.Get(), L"ImageableSizeWidth", selected.imageableSizeWidth},
                {imageable.Get(), L"ImageableSizeHeight", selected.imageableSizeHeight},
            };
            AppendChild(imageable.Get(), area.Get());
            for (const auto& v : values) {
                ComPtr<IXMLDOMElement> property;
                ThrowOnFailure(document.CreateIntegerPropertyValue(keywords, v.name, v.value, &property));
                AppendChild(v.parent, property.Get());
            }
            AppendChild(root.Get(), imageable.Get());
        }

        ComPtr<IXMLDOMElement> orientation;
        ThrowOnFailure(document.CreatePickOneFeature(kOrientation, DisplayName(3703).Get(), &orientation));
        for (const OrientationEntry& entry : kOrientations) {
            if (!entry.offered) continue;
            ComPtr<IXMLDOMElement> option;
            ThrowOnFailure(document.CreateCapabilityOption(keywords, entry.keyword, DisplayName(entry.displayId).Get(),
                                                           kConstraintNone, &option));
            AppendChild(orientation.Get(), option.Get());
        }
        AppendChild(root.Get(), orientation.Get());
        return S_OK;
    });
}

} // namespace

void WriteMediaSizeTicket(PrintSchemaDocument& document, const MediaSizeSettings& s)
{
    ComPtr<IXMLDOMNode> root;
    ThrowOnFailure(document.SelectRoot(&root));
    ThrowOnFailure(document.RemoveFeature(kMediaSize));
    ThrowOnFailure(document.RemoveFeature(kOrientation));
    ThrowOnFailure(document.RemovePrivateProperty(kMediaSizeData));
    ThrowOnFailure(document.RemoveParameterInit(kWidthParameter));
    ThrowOnFailure(document.RemoveParameterInit(kHeightParameter));

    const wchar_t* keywords = document.KeywordsPrefix();
    ComPtr<IXMLDOMElement> feature, option;
    ThrowOnFailure(document.CreateFeatureWithOption(false, kMediaSize, s.isPrivate, s.keyword.Text(), &feature,
                                                    &option));
    AppendChild(root.Get(), feature.Get());
    if (s.paperIndex != kCustomPaperIndex) {
        ComPtr<IXMLDOMElement> width, height;
        ThrowOnFailure(document.CreateIntegerScoredPropertyValue(keywords, L"MediaSizeWidth", s.mediaWidth, &width));
        ThrowOnFailure(
            document.CreateIntegerScoredPropertyValue(keywords, L"MediaSizeHeight", s.mediaHeight, &height));
        AppendChild(option.Get(), width.Get());
        AppendChild(option.Get(), height.Get());
    } else {
        const struct {
            const wchar_t* parameter;
            const wchar_t* property;
            int value;
        } sizes[] = {{kWidthParameter, L"MediaSizeWidth", s.mediaWidth},
                     {kHeightParameter, L"MediaSizeHeight", s.mediaHeight}};
        for (const auto& size : sizes) {
            ComPtr<IXMLDOMElement> ref, init, scored;
            ThrowOnFailure(document.CreateParameterInit(keywords, size.parameter, kXsdInteger,
                                                        IntegerText(size.value).Text(), &ref, &init));
            AppendChild(root.Get(), init.Get());
            ThrowOnFailure(document.CreateScoredPropertyWithChild(keywords, size.property, ref.Get(), &scored));
            AppendChild(option.Get(), scored.Get());
        }
    }

    ComPtr<IXMLDOMElement> orientationFeature, orientationOption;
    ThrowOnFailure(document.CreateFeatureWithOption(false, kOrientation, false,
                                                    kOrientations[s.orientation].keyword,
                                                    &orientationFeature, &orientationOption));
    AppendChild(root.Get(), orientationFeature.Get());

    const wchar_t* ours = document.PrivatePrefix();
    ComPtr<IXMLDOMElement> data, unit, transverse;
    ThrowOnFailure(document.CreateProperty(ours, kMediaSizeData, &data));
    ThrowOnFailure(document.CreatePropertyValue(ours, L"CustomUnitType", kXsdString,
                                                s.unitIsInch ? L"inch" : L"mm", &unit));
    ThrowOnFailure(document.CreatePropertyValue(ours, L"TransverseMode", kXsdString,
                                                s.transverse ? L"On" : L"Off", &transverse));
    AppendChild(data.Get(), unit.Get());
    AppendChild(data.Get(), transverse.Get());
    AppendChild(root.Get(), data.Get());
}

MediaSizeSettings::MediaSizeSettings()
    : paperIndex(kLetterIndex), keyword(BstrOwner::Copy(kPapers[kLetterIndex].keyword)),
      isPrivate(kPapers[kLetterIndex].isPrivate), mediaWidth(kPapers[kLetterIndex].width),
      mediaHeight(kPapers[kLetterIndex].height)
{
    Recompute(*this);
}

int PaperIndexOfCode(int dmPaperSize)
{
    for (size_t i = 0; i < kPaperCount; ++i)
        if (kPapers[i].dmPaperSize == dmPaperSize) return static_cast<int>(i);
    return -1;
}

void ReadMediaSizeDevMode(const DEVMODEW& devmode, const PrivateSettings& privatePart, MediaSizeSettings& s)
{
    int index = PaperIndexOfCode(devmode.dmPaperSize);
    if (index >= 0) {
        // A paper we no longer offer reads as the initial Letter.
        SelectPaper(s, kPapers[index].keyword);
    } else {
        SetCustomSize(s, privatePart.customPaperWidth * 100, privatePart.customPaperLength * 100);
    }
    s.transverse = s.paperIndex == kA5LongEdgeIndex;
    s.orientation = devmode.dmOrientation == DMORIENT_LANDSCAPE ? kLandscape : kPortrait;
    Recompute(s);
    if (privatePart.customPaperUnit <= 1) s.unitIsInch = privatePart.customPaperUnit == 1;
}

HRESULT ReadMediaSizeTicket(PrintSchemaDocument& document, MediaSizeSettings& s)
{
    bool conflict = false;

    BstrOwner option;
    bool optionIsPrivate = false;
    HRESULT hr = document.GetSelectedOption(document.KeywordsPrefix(), kMediaSize, option.Receive(),
                                            &optionIsPrivate);
    if (hr == kNotFound) {
        conflict = true;
    } else {
        ThrowOnFailure(hr);
        bool named = SUCCEEDED(SelectPaper(s, option.Text()));
        if (!named || kPapers[s.paperIndex].isPrivate != optionIsPrivate) {
            // A custom size, or a paper named in the other namespace: the
            // dimensions decide when the ticket gives them.
            INT32 width = 0, height = 0;
            HRESULT w = document.ReadFeatureInteger(kMediaSize, L"MediaSizeWidth", &width);
            HRESULT h = document.ReadFeatureInteger(kMediaSize, L"MediaSizeHeight", &height);
            if (w != kNotFound) ThrowOnFailure(w);
            if (h != kNotFound) ThrowOnFailure(h);
            if (w == S_OK && h == S_OK && SetCustomSize(s, width, height) == S_PT_CONFLICT_RESOLVED)
                conflict = true;
        }
    }

    BstrOwner orientation;
    bool orientationIsPrivate = false;
    hr = document.GetSelectedOption(document.KeywordsPrefix(), kOrientation, orientation.Receive(),
                                    &orientationIsPrivate);
    if (hr == kNotFound) {
        conflict = true;
    } else {
        ThrowOnFailure(hr);
        for (size_t i = 0; i < sizeof kOrientations / sizeof kOrientations[0]; ++i) {
            if (wcscmp(kOrientations[i].keyword, orientation.Text()) == 0) {
                s.orientation = static_cast<int>(i);
                Recompute(s);
                break;
            }
        }
    }

    FeatureQuery data(document.FrameworkPrefix());
    ThrowOnFailure(data.ForProperty(document.PrivatePrefix(), kMediaSizeData));
    if (!document.PrivateNamespaceDeclared() || document.NodeExists(data.Text()) != S_OK) return S_PT_CONFLICT_RESOLVED;

    std::wstring text;
    if (ThrowOnFailure(ReadDataText(document, L"CustomUnitType", &text)) != S_OK) {
        conflict = true;
    } else if (text == L"inch") {
        s.unitIsInch = true;
    } else if (text == L"mm") {
        s.unitIsInch = false;
    }
    text.clear();
    if (ThrowOnFailure(ReadDataText(document, L"TransverseMode", &text)) != S_OK) {
        conflict = true;
    } else if (text == L"On") {
        s.transverse = true;
    } else if (text == L"Off") {
        s.transverse = false;
    }
    return conflict ? S_PT_CONFLICT_RESOLVED : S_OK;
}

std::unique_ptr<FeatureHandler> CreatePageMediaSizeHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<PageMediaSizeHandler>(privateNamespace);
}
