#include "printschema/features/watermark.h"

#include "core/spooler_info.h"
#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/clean_text.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/private_choices.h"
#include "printschema/schema_text.h"
#include "settings/watermark_store.h"

#include <winspool.h>
#include <wrl/client.h>

#include <cstring>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kWatermark[] = L"PageWatermark";
const wchar_t kNone[] = L"None";   // keywords: no watermark
const wchar_t kOn[] = L"On";       // ours: a watermark of the store
const wchar_t kData[] = L"PageWatermarkData";
const wchar_t kTitle[] = L"Title";

const ChoiceOption kOnOff[] = {{L"On", 3709}, {L"Off", 3710}};
const ChoiceOption kPageChoices[] = {
    {L"AllPages", 3073},
    {L"FirstPageOnly", 3074},
    {L"FromSecondPage", 3075},
    {L"Custom", 3076},
};
const PrivateChoice kTransparent = MakeChoice(L"Transparent", 0, kOnOff);
const PrivateChoice kPrintWatermark = MakeChoice(L"PrintWatermark", 0, kPageChoices);
const PrivateChoice kOutline = MakeChoice(L"OutlineTxt", 0, kOnOff);

struct SwitchRow {
    const PrivateChoice* choice;
    DWORD WatermarkSettings::*field;
};
const SwitchRow kSwitches[] = {
    {&kTransparent, &WatermarkSettings::transparent},
    {&kPrintWatermark, &WatermarkSettings::printPages},
    {&kOutline, &WatermarkSettings::outline},
};

// watermarkPages by printPages index.
const DWORD kPageCodes[] = {0, 1, 4, 16};

// The description's items in ticket order; each carries one text or one
// number of the record.
struct DataRow {
    const wchar_t* name;
    BstrOwner WatermarkSettings::*text;
    DWORD WatermarkSettings::*number;
    LONG WatermarkSettings::*offset;
    bool written;   // SkipValid only comes from tickets
};
const DataRow kDataItems[] = {
    {kTitle, &WatermarkSettings::title, nullptr, nullptr, true},
    {L"PostionX", nullptr, nullptr, &WatermarkSettings::positionX, true},
    {L"PostionY", nullptr, nullptr, &WatermarkSettings::positionY, true},
    {L"FontColor", nullptr, &WatermarkSettings::fontColor, nullptr, true},
    {L"FontSize", nullptr, &WatermarkSettings::fontSize, nullptr, true},
    {L"Text", &WatermarkSettings::text, nullptr, nullptr, true},
    {L"Angle", nullptr, &WatermarkSettings::angle, nullptr, true},
    {L"FontName", &WatermarkSettings::fontName, nullptr, nullptr, true},
    {L"FontItalicStyle", nullptr, &WatermarkSettings::italic, nullptr, true},
    {L"FontBoldStyle", nullptr, &WatermarkSettings::bold, nullptr, true},
    {L"Filename", &WatermarkSettings::fileName, nullptr, nullptr, true},
    {L"FilenameBk", &WatermarkSettings::fileNameBk, nullptr, nullptr, true},
    {L"Scaling", nullptr, &WatermarkSettings::scaling, nullptr, true},
    {L"SubData", nullptr, &WatermarkSettings::subData, nullptr, true},
    {L"CustomPrint", &WatermarkSettings::customPrint, nullptr, nullptr, true},
    {L"SkipValid", nullptr, &WatermarkSettings::skipValid, nullptr, false},
};

constexpr size_t kTitleCapacity = 34;      // watermarkTitle
constexpr size_t kFaceCapacity = 32;
constexpr size_t kTextBytes = 31;          // WatermarkRecord text, without its terminator
constexpr DWORD kListNameCapacity = 101;   // list values are compared up to 100 characters
constexpr DWORD kStringsCapacity = 1001;
constexpr DWORD kSectionCapacity = 4096;
constexpr int kHalftoneSteps = 100;        // watermarkGray is a darkness in percent

// The store's definitions as this feature reads them: its own defaults,
// without the range checks of the property sheet's loader.
struct StoreSection {
    std::wstring path;
    const wchar_t* name;

    std::wstring Text(const wchar_t* key, const wchar_t* fallback, DWORD capacity) const
    {
        std::vector<WCHAR> buffer(capacity);
        GetPrivateProfileStringW(name, key, fallback, buffer.data(), capacity, path.c_str());
        return buffer.data();
    }
    int Int(const wchar_t* key, int fallback) const
    {
        return static_cast<int>(GetPrivateProfileIntW(name, key, fallback, path.c_str()));
    }
    bool Exists() const
    {
        WCHAR probe[4];
        return GetPrivateProfileSectionW(name, probe, ARRAYSIZE(probe), path.c_str()) > 0;
    }
};

std::wstring StorePath()
{
    WCHAR path[MAX_PATH];
    return WatermarkStorePath(path, MAX_PATH) ? path : L"";
}

// The queue's name from its description; empty without a printer.
std::wstring PrinterName(HANDLE printer)
{
    if (!printer) return std::wstring();
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    std::wstring name = info && info->pPrinterName ? info->pPrinterName : L"";
    if (info) GlobalFree(info);
    return name;
}

std::wstring WithoutAtSign(const std::wstring& face)
{
    // A leading "@" only asks for vertical writing of the same face.
    return !face.empty() && face[0] == L'@' ? face.substr(1) : face;
}

DWORD GrayColour(int darkness)
{
    BYTE c = static_cast<BYTE>(255 - darkness * 255 / kHalftoneSteps);
    return RGB(c, c, c);
}

// Stores value into the record's field when it differs; true when it did.
bool Update(BstrOwner& field, const std::wstring& value)
{
    if (value == field.Text()) return false;
    field = BstrOwner::Copy(value.c_str());
    return true;
}

template <class Number> bool Update(Number& field, Number value)
{
    if (field == value) return false;
    field = value;
    return true;
}

// Brings the description in s into line with the store's section title;
// true when anything changed.
bool CompareWithDefinition(const std::wstring& store, const std::wstring& title, WatermarkSettings& s)
{
    StoreSection section{store, title.c_str()};
    if (title.empty() || !section.Exists()) return false;
    bool changed = Update(s.title, title);
    changed |= Update(s.text, section.Text(L"Strings", L"", kStringsCapacity));
    changed |= Update(s.fontName, WithoutAtSign(section.Text(L"Font", L"Arial", kFaceCapacity)));
    changed |= Update(s.fontSize, static_cast<DWORD>(section.Int(L"Size", 72)));
    int style = section.Int(L"Style", 0);
    changed |= Update(s.italic, static_cast<DWORD>(style & 1));
    changed |= Update(s.bold, static_cast<DWORD>((style >> 1) & 1));
    changed |= Update(s.fontColor, GrayColour(section.Int(L"Color", 32)));
    changed |= Update(s.angle, static_cast<DWORD>(section.Int(L"Angle", 45)));
    bool centred = section.Int(L"AutoCenter", 0) != 0;
    changed |= Update(s.positionX, static_cast<LONG>(centred ? 0 : section.Int(L"x", 0)));
    changed |= Update(s.positionY, static_cast<LONG>(centred ? 0 : section.Int(L"y", 0)));
    changed |= Update(s.scaling, static_cast<DWORD>(section.Int(L"Scale", 100)));
    changed |= Update(s.subData, static_cast<DWORD>(section.Int(L"SubData", 100)));
    changed |= Update(s.fileName, section.Text(L"File", L"", MAX_PATH));
    changed |= Update(s.fileNameBk, section.Text(L"TmpFile", L"", MAX_PATH));
    return changed;
}

// Which watermark each page of the printer's custom page setting prints:
// "[key,title]" for every key of the printer's section that names one.
void ReadCustomPages(const std::wstring& store, const std::wstring& printer, WatermarkSettings& s)
{
    if (printer.empty()) return;
    std::vector<WCHAR> keys(kSectionCapacity);
    DWORD length = GetPrivateProfileStringW(printer.c_str(), nullptr, L"", keys.data(), kSectionCapacity,
                                            store.c_str());
    if (length == 0) return;
    StoreSection section{store, printer.c_str()};
    std::wstring pages;
    for (const WCHAR* key = keys.data(); *key; key += wcslen(key) + 1) {
        std::wstring position = section.Text(key, L"", kListNameCapacity);
        if (position.empty()) continue;
        WCHAR title[kListNameCapacity] = L"";
        ReadWatermarkListName(store.c_str(), position.c_str(), title, kListNameCapacity);
        pages += L"[" + std::wstring(key) + L"," + title + L"]";
    }
    s.customPrint = BstrOwner::Copy(pages.c_str());
}

// The store's view of the description: true when the definition of the
// title changed anything in it.
bool CompareWithStore(const std::wstring& printer, const std::wstring& title, WatermarkSettings& s)
{
    std::wstring store = StorePath();
    if (store.empty()) return false;
    bool changed = CompareWithDefinition(store, title, s);
    ReadCustomPages(store, printer, s);
    return changed;
}

// The section of the store's watermark with this title; empty when the
// list has none.
std::wstring FindDefinition(const std::wstring& store, const wchar_t* title)
{
    WCHAR name[kListNameCapacity];
    for (int i = 0; ReadWatermarkListEntry(store.c_str(), i, name, kListNameCapacity); ++i)
        if (wcscmp(name, title) == 0) return name;
    return std::wstring();
}

// The drawing data of a store definition into the DEVMODE.
void LoadDefinition(const StoreSection& section, PrivateSettings& p)
{
    ProcessorBlock& block = p.processor;
    WatermarkRecord& record = block.watermark;
    std::wstring text = section.Text(L"Strings", L"", kStringsCapacity);
    ZeroMemory(record.text, sizeof record.text);
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, record.text, kTextBytes, nullptr, nullptr);
    record.text[kTextBytes] = '\0';
    lstrcpynW(record.font.lfFaceName, section.Text(L"Font", L"Arial", LF_FACESIZE).c_str(), LF_FACESIZE);
    record.font.lfHeight = section.Int(L"Size", 72);
    int style = section.Int(L"Style", 0);
    record.font.lfItalic = (style & 1) ? 1 : 0;
    record.font.lfWeight = (style & 2) ? FW_BOLD : FW_NORMAL;
    block.watermarkGray = static_cast<DWORD>(section.Int(L"Color", 0));
    record.font.lfEscapement = record.font.lfOrientation = section.Int(L"Angle", 45) * 10;
    bool centred = section.Int(L"AutoCenter", 0) != 0;
    block.watermarkOffsetX = centred ? 0 : section.Int(L"x", 0);
    block.watermarkOffsetY = centred ? 0 : section.Int(L"y", 0);
    block.watermarkScale = static_cast<WORD>(section.Int(L"Scale", 100));
    record.font.lfPitchAndFamily = static_cast<BYTE>(section.Int(L"SubData", 100));
    lstrcpynW(p.watermarkTitle, section.name, kTitleCapacity);
}

// The record's ANSI text; empty when it holds control characters.
std::wstring RecordText(const WatermarkRecord& record)
{
    size_t length = strnlen(record.text, kTextBytes);
    for (size_t i = 0; i < length; ++i)
        if (IsControlCharacter(static_cast<BYTE>(record.text[i]))) return std::wstring();
    WCHAR wide[kTextBytes + 1] = L"";
    MultiByteToWideChar(CP_ACP, 0, record.text, static_cast<int>(length), wide, kTextBytes);
    return wide;
}

class WatermarkHandler : public FeatureHandlerBase<WatermarkSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;
    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    KV_FEATURE_STEPS(WatermarkSettings);

private:
    std::wstring EnforcedTitle(HANDLE printer);
};

HRESULT WatermarkHandler::ReadDevMode(HANDLE printer, const DEVMODEW* devmode, ULONG dmSize,
                                      const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                      WatermarkSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    return AtComBoundary([&]() -> HRESULT {
        WatermarkSettings& s = *settings;
        const ProcessorBlock& block = privatePart->processor;
        const WatermarkRecord& record = block.watermark;
        s.on = record.on != 0;
        s.transparent = block.watermarkRop != kRopTransparent;
        s.outline = block.watermarkOutline != 1;
        s.printPages = kWatermarkAllPages;
        for (DWORD i = 0; i < ARRAYSIZE(kPageCodes); ++i)
            if (kPageCodes[i] == block.watermarkPages) s.printPages = i;

        std::wstring title = CleanText(privatePart->watermarkTitle, kTitleCapacity);
        s.title = BstrOwner::Copy(title.c_str());
        std::wstring printerName = PrinterName(printer);
        if (!printerName.empty()) CompareWithStore(printerName, title, s);

        s.text = BstrOwner::Copy(RecordText(record).c_str());
        s.fontName = BstrOwner::Copy(WithoutAtSign(CleanText(record.font.lfFaceName, kFaceCapacity)).c_str());
        s.fontSize = static_cast<DWORD>(record.font.lfHeight);
        s.italic = record.font.lfItalic != 0;
        s.bold = record.font.lfWeight >= FW_BOLD;
        s.fontColor = GrayColour(static_cast<int>(block.watermarkGray));
        s.angle = static_cast<DWORD>(record.font.lfEscapement / 10);
        s.positionX = block.watermarkOffsetX;
        s.positionY = block.watermarkOffsetY;
        s.scaling = block.watermarkScale;
        s.subData = record.font.lfPitchAndFamily * 256u + record.font.lfCharSet;
        return S_OK;
    });
}

HRESULT WatermarkHandler::WriteDevMode(HANDLE printer, const WatermarkSettings* settings, DEVMODEW* devmode,
                                       ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const WatermarkSettings& s = *settings;
    return AtComBoundary([&]() -> HRESULT {
        ProcessorBlock& block = privatePart->processor;
        block.watermark.on = s.on == 1 ? 1 : 0;
        block.watermarkRop = s.transparent > 0 ? kRopOpaque : kRopTransparent;
        block.watermarkOutline = s.outline == 0 ? 1 : 0;
        block.watermarkPages = s.printPages < ARRAYSIZE(kPageCodes) ? kPageCodes[s.printPages] : 0;

        // What a title draws is the store's business: the ticket's own
        // description is not taken over.
        if (PrinterName(printer).empty()) return S_OK;
        std::wstring store = StorePath();
        std::wstring name = store.empty() ? std::wstring() : FindDefinition(store, s.title.Text());
        if (!name.empty()) LoadDefinition(StoreSection{store, name.c_str()}, *privatePart);
        return S_OK;
    });
}

HRESULT WatermarkHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, WatermarkSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    WatermarkSettings& s = *settings;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        BstrOwner option;
        bool isPrivate = false;
        HRESULT hr = document.GetSelectedOption(document.KeywordsPrefix(), kWatermark, option.Receive(), &isPrivate);
        if (hr != kNotFound) {
            ThrowOnFailure(hr);
            if (!isPrivate && wcscmp(option.Text(), kNone) == 0) s.on = 0;
            if (isPrivate && wcscmp(option.Text(), kOn) == 0) s.on = 1;
        }
        for (const SwitchRow& row : kSwitches) s.*row.field = ReadPrivateChoice(document, *row.choice, s.*row.field);
        if (!document.PrivateNamespaceDeclared()) return S_OK;

        for (const DataRow& row : kDataItems) {
            FeatureQuery query(document.FrameworkPrefix());
            ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), kData));
            ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), row.name));
            BstrOwner value;
            if (!ReadValueText(document, query.Text(), &value)) continue;
            if (row.text) {
                s.*row.text = std::move(value);
            } else if (row.number) {
                s.*row.number = static_cast<DWORD>(LeadingInteger(value.Text()));
            } else {
                s.*row.offset = LeadingInteger(value.Text());
            }
        }
        return S_OK;
    });
}

HRESULT WatermarkHandler::WritePrintTicket(const WatermarkSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    const WatermarkSettings& s = *settings;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ThrowOnFailure(document.RemoveFeature(kWatermark));
        const PrivateChoice* switches[] = {&kTransparent, &kPrintWatermark, &kOutline};
        RemovePrivateItems(document, switches, ARRAYSIZE(switches), nullptr, 0);
        ThrowOnFailure(document.RemovePrivateProperty(kData));

        const bool on = s.on == 1;
        ComPtr<IXMLDOMElement> feature, option;
        ThrowOnFailure(document.CreateFeatureWithOption(false, kWatermark, on, on ? kOn : kNone, &feature, &option));
        AppendChild(root.Get(), feature.Get());
        for (const SwitchRow& row : kSwitches) {
            DWORD index = s.*row.field;
            AppendPrivateChoice(document, feature.Get(), *row.choice, index < row.choice->count ? index : 0);
        }
        if (!on) return S_OK;

        const wchar_t* ours = document.PrivatePrefix();
        ComPtr<IXMLDOMElement> data;
        ThrowOnFailure(document.CreateProperty(ours, kData, &data));
        for (const DataRow& row : kDataItems) {
            if (!row.written) continue;
            ComPtr<IXMLDOMElement> item;
            if (row.text) {
                ThrowOnFailure(document.CreatePropertyValue(ours, row.name, kXsdString, (s.*row.text).Text(), &item));
            } else {
                int value = row.number ? static_cast<int>(s.*row.number) : s.*row.offset;
                ThrowOnFailure(document.CreateIntegerPropertyValue(ours, row.name, value, &item));
            }
            AppendChild(data.Get(), item.Get());
        }
        AppendChild(root.Get(), data.Get());
        return S_OK;
    });
}

// The title an administrator's lock holds every job to: the one the
// queue's own settings use.
std::wstring WatermarkHandler::EnforcedTitle(HANDLE printer)
{
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    std::wstring title;
    DEVMODEW* devmode = info ? info->pDevMode : nullptr;
    if (devmode && IsDriverDevmode(devmode, devmode->dmSize + static_cast<size_t>(devmode->dmDriverExtra))) {
        WatermarkSettings current;
        if (SUCCEEDED(ReadDevMode(printer, devmode, devmode->dmSize, PrivatePart(devmode), devmode->dmDriverExtra,
                                  &current)))
            title = current.title.Text();
    }
    if (info) GlobalFree(info);
    return title;
}

HRESULT WatermarkHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        const bool locked = LockedOptionLevel(printer, kAdminLockWatermark) == kConstraintAdminSettings;
        const std::wstring enforced = locked ? EnforcedTitle(printer) : std::wstring();
        const std::wstring store = StorePath();
        return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
            ComPtr<IXMLDOMNode> root;
            ThrowOnFailure(document.SelectRoot(&root));
            ComPtr<IXMLDOMElement> feature, none;
            ThrowOnFailure(document.CreatePickOneFeature(kWatermark, nullptr, &feature));
            ThrowOnFailure(document.CreateCapabilityOption(document.KeywordsPrefix(), kNone, DisplayName(3710).Get(),
                                                           kConstraintNone, &none));
            AppendChild(feature.Get(), none.Get());
            WCHAR title[kListNameCapacity];
            for (int i = 0; !store.empty() && ReadWatermarkListEntry(store.c_str(), i, title, kListNameCapacity); ++i) {
                ConstraintLevel level = locked && enforced != title ? kConstraintAdminSettings : kConstraintNone;
                ComPtr<IXMLDOMElement> option, value;
                ThrowOnFailure(document.CreateCapabilityOption(document.PrivatePrefix(), kOn, title, level, &option));
                ThrowOnFailure(document.CreateStringScoredPropertyValue(document.PrivatePrefix(), kTitle, title, &value));
                AppendChild(option.Get(), value.Get());
                AppendChild(feature.Get(), option.Get());
            }
            for (const SwitchRow& row : kSwitches) AppendPrivatePickOne(document, feature.Get(), *row.choice);
            AppendChild(root.Get(), feature.Get());
            return S_OK;
        });
    });
}

HRESULT WatermarkHandler::ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        WatermarkSettings s;
        HRESULT hr = ReadPrintTicket(ticket, &s);
        if (FAILED(hr)) return hr;
        if (s.skipValid != 0 || s.on != 1) return S_PT_NO_CONFLICT;
        if (!CompareWithStore(PrinterName(printer), s.title.Text(), s)) return S_PT_NO_CONFLICT;
        ThrowOnFailure(WritePrintTicket(&s, ticket));
        return S_PT_CONFLICT_RESOLVED;
    });
}

} // namespace

std::unique_ptr<FeatureHandler> CreateWatermarkHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<WatermarkHandler>(privateNamespace);
}
