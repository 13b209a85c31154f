#include "printschema/features/header_footer.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/clean_text.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/private_choices.h"
#include "printschema/schema_text.h"

#include <wrl/client.h>

#include <cstdlib>
#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

// headerFooterFlags. The date and time codes are those of the fixed formats,
// or numbers of the language module's formats when kNumbered is set.
constexpr DWORD kCentre = 0x0001;
constexpr DWORD kRight = 0x0002;
constexpr DWORD kHorizontal = 0x0003;
constexpr DWORD kBottom = 0x0004;
constexpr DWORD kOpaque = 0x0008;
constexpr DWORD kNumbered = 0x0040;
constexpr DWORD kTimeCode = 0x1F00;
constexpr DWORD kDateCode = 0xE000;
constexpr int kTimeShift = 8;
constexpr int kDateShift = 13;

// The language module's numbered formats: "display\ntemplate\norder".
constexpr UINT kFirstDateFormat = 3990;
constexpr UINT kFirstTimeFormat = 13951;
// Examples of the fixed formats, by index, the last one for "none".
constexpr UINT kFixedDateNames[] = {3940, 3941, 3942, 3943, 3944};
constexpr UINT kFixedTimeNames[] = {3945, 3946, 3947, 3948, 3949};

// The formats every language module knows, by index.
struct FixedFormat {
    DWORD          index;
    DWORD          code;      // the flags' code
    const wchar_t* format;    // template
    const wchar_t* order;
};
const FixedFormat kFixedDates[] = {
    {0, 0x0000, L"%s,%ld %s %ld", L"wdMy"},
    {1, 0x2000, L"%s,%ld/%ld/%ld", L"wmdy"},
    {2, 0x8000, L"%ld %s %ld", L"dMy"},
    {3, 0xA000, L"%ld/%ld/%ld", L"mdy"},
    {kNoDateFormat, 0xE000, L"", L""},
};
const FixedFormat kFixedTimes[] = {
    {0, 0x0000, L"%ld:%02ld:%02ld", L"hms"},
    {1, 0x0100, L"%ld:%02ld", L"hm"},
    {2, 0x1000, L"%ld:%02ld:%02ld %s", L"Hmsa"},
    {3, 0x1100, L"%ld:%02ld %s", L"Hma"},
    {kNoTimeFormat, 0x1F00, L"", L""},
};

const ChoiceOption kOffOn[] = {{L"Off", 3710}, {L"On", 3709}};
const ChoiceOption kDates[] = {{L"Type1", 0}, {L"Type2", 0}, {L"Type3", 0}, {L"Type4", 0},
                               {L"Type5", 0}, {L"Type6", 0}, {L"Type7", 0}, {L"None", 0}};
const ChoiceOption kTimes[] = {{L"Type1", 0}, {L"Type2", 0}, {L"Type3", 0}, {L"Type4", 0}, {L"Type5", 0},
                               {L"Type6", 0}, {L"Type7", 0}, {L"Type8", 0}, {L"None", 0}};
const ChoiceOption kIdPrints[] = {{L"UserName", 3950}, {L"Custom", 3951}, {L"None", 3952}};
const ChoiceOption kPositionsX[] = {{L"Left", 0}, {L"Center", 0}, {L"Right", 0}};
const ChoiceOption kPositionsY[] = {{L"Top", 0}, {L"Bottom", 0}};
const ChoiceOption kBackgrounds[] = {{L"Transparent", 0}, {L"Opaque", 0}};

const PrivateChoice kStamp = MakeChoice(L"PageHeaderFooter", 0, kOffOn);
const PrivateChoice kDate = MakeChoice(L"DateFormat", 0, kDates);
const PrivateChoice kTime = MakeChoice(L"TimeFormat", 0, kTimes);
const PrivateChoice kIdPrint = MakeChoice(L"IDPrint", 0, kIdPrints);
const PrivateChoice kPositionX = MakeChoice(L"PositionX", 0, kPositionsX);
const PrivateChoice kPositionY = MakeChoice(L"PositionY", 0, kPositionsY);
const PrivateChoice kBackground = MakeChoice(L"Background", 0, kBackgrounds);

// The sub-features whose option is all they carry, with their fields.
struct ChoiceRow {
    const PrivateChoice* choice;
    DWORD HeaderFooterSettings::*field;
};
const ChoiceRow kChoices[] = {
    {&kStamp, &HeaderFooterSettings::on},
    {&kDate, &HeaderFooterSettings::dateFormat},
    {&kTime, &HeaderFooterSettings::timeFormat},
    {&kIdPrint, &HeaderFooterSettings::idPrint},
    {&kPositionX, &HeaderFooterSettings::positionX},
    {&kPositionY, &HeaderFooterSettings::positionY},
    {&kBackground, &HeaderFooterSettings::background},
};

// The integer parameters and the fields they carry.
struct ParameterRow {
    IntegerParameter parameter;
    DWORD HeaderFooterSettings::*field;
};
const ParameterRow kParameters[] = {
    {{L"PageHeaderFooterFontItalicStyle", 0, 0, 1, L"boolean"}, &HeaderFooterSettings::italic},
    {{L"PageHeaderFooterFontBoldStyle", 0, 0, 1, L"boolean"}, &HeaderFooterSettings::bold},
    {{L"PageHeaderFooterFontUnderLine", 0, 0, 1, L"boolean"}, &HeaderFooterSettings::underline},
    {{L"PageHeaderFooterFontStruckOut", 0, 0, 1, L"boolean"}, &HeaderFooterSettings::strikeOut},
    {{L"PageHeaderFooterFontSize", 11, 4, 12, L"Points"}, &HeaderFooterSettings::fontSize},
    {{L"PageHeaderFooterFontColor", 0, 0, 0xFFFFFF, L"sRGB"}, &HeaderFooterSettings::fontColor},
    {{L"PageHeaderFooterBackgroundColor", 0xFFFFFF, 0, 0xFFFFFF, L"sRGB"}, &HeaderFooterSettings::backColor},
};
const wchar_t kCustomName[] = L"PageHeaderFooterCustomName";
constexpr int kCustomNameMaxLength = 31;
const wchar_t kFontName[] = L"PageHeaderFooterFontName";
const wchar_t kFontCharSet[] = L"PageHeaderFooterFontCharSet";
const wchar_t kStringFormat[] = L"StringFormat";
const wchar_t kDataFormat[] = L"DataFormat";

// idWatermark codes by idPrint index; anything else prints no name.
constexpr BYTE kIdUserName = 1;
constexpr BYTE kIdCustom = 2;

constexpr HRESULT kTooLong = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);   // 0x8007007A

// One numbered format of the language module, split into its fields;
// false when the module lacks it or its template is empty (no stamp).
bool LoadNumberedFormat(UINT id, std::wstring* display, std::wstring* format, std::wstring* order)
{
    std::wstring fields[3];
    std::wstring text = LoadDisplayString(id, false);
    size_t field = 0;
    for (wchar_t c : text) {
        if (c == L'\n') {
            if (++field == 3) break;
        } else {
            fields[field].push_back(c);
        }
    }
    if (display) *display = fields[0];
    if (format) *format = fields[1];
    if (order) *order = fields[2];
    return !fields[1].empty();
}

bool NumberedFormatsAvailable()
{
    return !LoadDisplayString(kFirstDateFormat, false).empty();
}

// The format of a numbered code into the record; none when the module
// does not have it.
void ReadNumbered(UINT firstId, DWORD none, DWORD* index, BstrOwner* format, BstrOwner* order)
{
    std::wstring text, sequence;
    if (*index != none && LoadNumberedFormat(firstId + *index, nullptr, &text, &sequence)) {
        *format = BstrOwner::Copy(text.c_str());
        *order = BstrOwner::Copy(sequence.c_str());
        return;
    }
    *index = none;
    *format = BstrOwner::Copy(L"");
    *order = BstrOwner::Copy(L"");
}

template <size_t N> void ReadFixed(const FixedFormat (&table)[N], DWORD code, DWORD* index, BstrOwner* format,
                                   BstrOwner* order)
{
    const FixedFormat* found = &table[0];   // unknown codes read as the first format
    for (const FixedFormat& row : table)
        if (row.code == code) found = &row;
    *index = found->index;
    *format = BstrOwner::Copy(found->format);
    *order = BstrOwner::Copy(found->order);
}

template <size_t N> DWORD FixedCode(const FixedFormat (&table)[N], DWORD index)
{
    for (const FixedFormat& row : table)
        if (row.index == index) return row.code;
    return 0;
}

// COLORREF 0x00BBGGRR <-> 0xRRGGBB: the same exchange of red and blue.
DWORD SwapRedBlue(DWORD colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// Copies text, which the caller made sure fits, into a terminated field of
// capacity characters.
void CopyField(const BstrOwner& text, WCHAR* field, size_t capacity)
{
    wmemset(field, 0, capacity);
    wmemcpy(field, text.Text(), text.Length());
}

void ReadStampFormats(const ProcessorBlock& block, HeaderFooterSettings& s)
{
    DWORD flags = block.headerFooterFlags;
    if (flags & kNumbered) {
        s.dateFormat = (flags & kDateCode) >> kDateShift;
        DWORD time = (flags & kTimeCode) >> kTimeShift;
        s.timeFormat = time < kNoTimeFormat ? time : kNoTimeFormat;
        ReadNumbered(kFirstDateFormat, kNoDateFormat, &s.dateFormat, &s.dateTemplate, &s.dateOrder);
        ReadNumbered(kFirstTimeFormat, kNoTimeFormat, &s.timeFormat, &s.timeTemplate, &s.timeOrder);
    } else {
        ReadFixed(kFixedDates, flags & kDateCode, &s.dateFormat, &s.dateTemplate, &s.dateOrder);
        ReadFixed(kFixedTimes, flags & kTimeCode, &s.timeFormat, &s.timeTemplate, &s.timeOrder);
    }
}

DWORD StampFlags(const HeaderFooterSettings& s)
{
    DWORD flags = s.on == 1 ? kHeaderFooterOn : 0;
    if (NumberedFormatsAvailable()) {
        flags |= kNumbered;
        if (s.dateFormat <= kNoDateFormat) flags |= s.dateFormat << kDateShift;
        if (s.timeFormat <= kNoTimeFormat) flags |= s.timeFormat << kTimeShift;
    } else {
        flags |= FixedCode(kFixedDates, s.dateFormat) | FixedCode(kFixedTimes, s.timeFormat);
    }
    if (s.positionX == 1) {
        flags |= kCentre;
    } else if (s.positionX != 0) {
        flags |= kRight;
    }
    if (s.positionY != 0) flags |= kBottom;
    if (s.background == 1) flags |= kOpaque;
    return flags;
}

// The template and order code a DateFormat or TimeFormat carries with its option.
void ReadFormatText(PrintSchemaDocument& document, const PrivateChoice& choice, const wchar_t* property,
                    BstrOwner* text)
{
    FeatureQuery query(document.FrameworkPrefix());
    ThrowOnFailure(query.ForFeature(document.PrivatePrefix(), choice.feature));
    ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), property));
    ReadValueText(document, query.Text(), text);
}

// The date or time sub-feature with its template and order code in its option.
void AppendFormat(PrintSchemaDocument& document, IXMLDOMNode* parent, const PrivateChoice& choice, DWORD index,
                  const BstrOwner& format, const BstrOwner& order)
{
    ComPtr<IXMLDOMElement> feature, option, formatProperty, orderProperty;
    ThrowOnFailure(document.CreateFeatureWithOption(true, choice.feature, true, choice.options[index].name, &feature,
                                                    &option));
    ThrowOnFailure(
        document.CreatePropertyValue(document.PrivatePrefix(), kStringFormat, kXsdString, format.Text(), &formatProperty));
    ThrowOnFailure(
        document.CreatePropertyValue(document.PrivatePrefix(), kDataFormat, kXsdString, order.Text(), &orderProperty));
    AppendChild(option.Get(), formatProperty.Get());
    AppendChild(option.Get(), orderProperty.Get());
    AppendChild(parent, feature.Get());
}

// The capabilities' date or time choice: the language module's formats when
// it has them, else the fixed ones with their examples.
template <size_t N> void AppendFormatCapability(PrintSchemaDocument& document, IXMLDOMNode* parent,
                                                const PrivateChoice& choice, UINT firstNumbered,
                                                const FixedFormat (&fixed)[N], const UINT (&fixedNames)[N],
                                                bool numbered)
{
    ComPtr<IXMLDOMElement> feature;
    ThrowOnFailure(document.CreatePrivatePickOneFeature(choice.feature, nullptr, &feature));
    const size_t none = choice.count - 1;
    for (size_t i = 0; i < choice.count; ++i) {
        std::wstring display;
        if (numbered && i < none) {
            if (!LoadNumberedFormat(firstNumbered + static_cast<UINT>(i), &display, nullptr, nullptr)) continue;
        } else {
            size_t row = 0;
            while (row < N && fixed[row].index != i) ++row;
            if (row == N) continue;
            display = LoadDisplayString(fixedNames[row], true);
        }
        ComPtr<IXMLDOMElement> option;
        ThrowOnFailure(document.CreateCapabilityOption(document.PrivatePrefix(), choice.options[i].name,
                                                       display.empty() ? nullptr : display.c_str(), kConstraintNone,
                                                       &option));
        AppendChild(feature.Get(), option.Get());
    }
    AppendChild(parent, feature.Get());
}

class HeaderFooterHandler : public FeatureHandlerBase<HeaderFooterSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(HeaderFooterSettings);
};

HRESULT HeaderFooterHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                         const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                         HeaderFooterSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    return AtComBoundary([&]() -> HRESULT {
        HeaderFooterSettings& s = *settings;
        const ProcessorBlock& block = privatePart->processor;
        DWORD flags = block.headerFooterFlags;
        s.on = (flags & kHeaderFooterOn) ? 1 : 0;
        ReadStampFormats(block, s);
        s.positionX = (flags & kHorizontal) == kHorizontal ? 2 : flags & kHorizontal;
        s.positionY = (flags & kBottom) ? 1 : 0;
        s.background = (flags & kOpaque) ? 1 : 0;

        const LOGFONTW& font = block.headerFooterFont;
        s.fontName = BstrOwner::Copy(CleanText(font.lfFaceName, LF_FACESIZE).c_str());
        s.fontSize = static_cast<DWORD>(std::labs(font.lfHeight));
        s.bold = font.lfWeight >= FW_BOLD;
        s.italic = font.lfItalic != 0;
        s.underline = font.lfUnderline != 0;
        s.strikeOut = font.lfStrikeOut != 0;
        s.charSet = font.lfCharSet;
        s.fontColor = SwapRedBlue(block.headerFooterColor);
        s.backColor = SwapRedBlue(block.headerFooterBackColor);

        s.idPrint = block.idWatermark == kIdUserName ? 0 : block.idWatermark == kIdCustom ? 1 : 2;
        s.customName = BstrOwner::Copy(CleanText(block.idWatermarkName, ARRAYSIZE(block.idWatermarkName)).c_str());
        return S_OK;
    });
}

HRESULT HeaderFooterHandler::WriteDevMode(HANDLE, const HeaderFooterSettings* settings, DEVMODEW* devmode,
                                          ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const HeaderFooterSettings& s = *settings;
    ProcessorBlock& block = privatePart->processor;
    // Refuse before touching anything, so that a failed call leaves the
    // stamp as it was.
    if (s.fontName.Length() >= LF_FACESIZE || s.customName.Length() >= ARRAYSIZE(block.idWatermarkName))
        return kTooLong;

    block.headerFooterFlags = StampFlags(s);
    LOGFONTW& font = block.headerFooterFont;
    font.lfHeight = -static_cast<LONG>(s.fontSize);
    font.lfWeight = s.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = s.italic ? 1 : 0;
    font.lfUnderline = s.underline ? 1 : 0;
    font.lfStrikeOut = s.strikeOut ? 1 : 0;
    font.lfCharSet = s.charSet;
    block.headerFooterColor = SwapRedBlue(s.fontColor);
    block.headerFooterBackColor = SwapRedBlue(s.backColor);
    block.idWatermark = s.idPrint == 0 ? kIdUserName : s.idPrint == 1 ? kIdCustom : 0;
    CopyField(s.fontName, font.lfFaceName, LF_FACESIZE);
    CopyField(s.customName, block.idWatermarkName, ARRAYSIZE(block.idWatermarkName));
    return S_OK;
}

HRESULT HeaderFooterHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, HeaderFooterSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    HeaderFooterSettings& s = *settings;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        if (!document.PrivateNamespaceDeclared()) return S_OK;
        for (const ChoiceRow& row : kChoices) s.*row.field = ReadPrivateChoice(document, *row.choice, s.*row.field);
        ReadFormatText(document, kDate, kStringFormat, &s.dateTemplate);
        ReadFormatText(document, kDate, kDataFormat, &s.dateOrder);
        ReadFormatText(document, kTime, kStringFormat, &s.timeTemplate);
        ReadFormatText(document, kTime, kDataFormat, &s.timeOrder);
        for (const ParameterRow& row : kParameters) {
            int value = static_cast<int>(s.*row.field);
            ReadPrivateParameter(document, row.parameter, &value);
            s.*row.field = static_cast<DWORD>(value);
        }

        FeatureQuery name(document.FrameworkPrefix());
        ThrowOnFailure(name.ForParameterInit(document.PrivatePrefix(), kCustomName));
        ReadValueText(document, name.Text(), &s.customName);
        FeatureQuery face(document.FrameworkPrefix());
        ThrowOnFailure(face.ForProperty(document.PrivatePrefix(), kFontName));
        ReadValueText(document, face.Text(), &s.fontName);
        FeatureQuery charSet(document.FrameworkPrefix());
        ThrowOnFailure(charSet.ForProperty(document.PrivatePrefix(), kFontCharSet));
        INT32 set = 0;
        if (ThrowOnFailure(document.ReadIntegerValue(charSet.Text(), &set)) == S_OK && set >= 0 && set <= 255)
            s.charSet = static_cast<BYTE>(set);
        return S_OK;
    });
}

HRESULT HeaderFooterHandler::WritePrintTicket(const HeaderFooterSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    const HeaderFooterSettings& s = *settings;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const PrivateChoice* choices[ARRAYSIZE(kChoices)];
        for (size_t i = 0; i < ARRAYSIZE(kChoices); ++i) choices[i] = kChoices[i].choice;
        const wchar_t* parameters[ARRAYSIZE(kParameters) + 1];
        for (size_t i = 0; i < ARRAYSIZE(kParameters); ++i) parameters[i] = kParameters[i].parameter.name;
        parameters[ARRAYSIZE(kParameters)] = kCustomName;
        RemovePrivateItems(document, choices, ARRAYSIZE(choices), parameters, ARRAYSIZE(parameters));
        ThrowOnFailure(document.RemovePrivateProperty(kFontName));
        ThrowOnFailure(document.RemovePrivateProperty(kFontCharSet));

        ComPtr<IXMLDOMElement> stamp = AppendPrivateChoice(document, root.Get(), kStamp, s.on == 1 ? 1 : 0);
        AppendFormat(document, stamp.Get(), kDate, s.dateFormat <= kNoDateFormat ? s.dateFormat : kNoDateFormat,
                     s.dateTemplate, s.dateOrder);
        AppendFormat(document, stamp.Get(), kTime, s.timeFormat <= kNoTimeFormat ? s.timeFormat : kNoTimeFormat,
                     s.timeTemplate, s.timeOrder);
        AppendPrivateChoice(document, stamp.Get(), kIdPrint, s.idPrint < kIdPrint.count ? s.idPrint : 2);
        AppendPrivateChoice(document, stamp.Get(), kPositionX, s.positionX < kPositionX.count ? s.positionX : 2);
        AppendPrivateChoice(document, stamp.Get(), kPositionY, s.positionY ? 1 : 0);
        AppendPrivateChoice(document, stamp.Get(), kBackground, s.background == 1 ? 1 : 0);

        for (const ParameterRow& row : kParameters)
            AppendPrivateInteger(document, root.Get(), row.parameter.name, static_cast<int>(s.*row.field));
        ComPtr<IXMLDOMElement> ref, init, face, charSet;
        ThrowOnFailure(document.CreateParameterInit(document.PrivatePrefix(), kCustomName, kXsdString,
                                                    s.customName.Text(), &ref, &init));
        AppendChild(root.Get(), init.Get());
        ThrowOnFailure(
            document.CreatePropertyValue(document.PrivatePrefix(), kFontName, kXsdString, s.fontName.Text(), &face));
        AppendChild(root.Get(), face.Get());
        ThrowOnFailure(document.CreateIntegerPropertyValue(document.PrivatePrefix(), kFontCharSet, s.charSet, &charSet));
        AppendChild(root.Get(), charSet.Get());
        return S_OK;
    });
}

HRESULT HeaderFooterHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        const bool numbered = NumberedFormatsAvailable();
        ComPtr<IXMLDOMElement> stamp = AppendPrivatePickOne(document, root.Get(), kStamp);
        AppendFormatCapability(document, stamp.Get(), kDate, kFirstDateFormat, kFixedDates, kFixedDateNames,
                               numbered);
        AppendFormatCapability(document, stamp.Get(), kTime, kFirstTimeFormat, kFixedTimes, kFixedTimeNames,
                               numbered);
        for (const PrivateChoice* choice : {&kIdPrint, &kPositionX, &kPositionY, &kBackground})
            AppendPrivatePickOne(document, stamp.Get(), *choice);

        for (const ParameterRow& row : kParameters) AppendIntegerParameterDef(document, root.Get(), row.parameter);
        ComPtr<IXMLDOMElement> name;
        ThrowOnFailure(
            document.CreateStringParameterDef(kCustomName, true, nullptr, L"", 0, kCustomNameMaxLength, L"Characters", &name));
        AppendChild(root.Get(), name.Get());
        return S_OK;
    });
}

} // namespace

std::unique_ptr<FeatureHandler> CreateHeaderFooterHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<HeaderFooterHandler>(privateNamespace);
}
