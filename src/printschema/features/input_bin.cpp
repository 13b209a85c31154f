#include "printschema/features/input_bin.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/handler_steps.h"

#include <wrl/client.h>

#include <cwchar>

using Microsoft::WRL::ComPtr;

const InputBinEntry kInputBins[kInputBinCount] = {
    {{true, false}, L"AutoSelect", 3062, false},
    {{false, true}, L"SameTray", 3061, true},
    {{true, true}, L"Tray1", 3048, true},
    {{false, false}, L"Tray2", 3049, true},
    {{false, false}, L"Tray3", 3050, true},
    {{false, false}, L"Tray4", 3051, true},
    {{true, true}, L"Manual", 3063, false},
    {{false, false}, L"MPTray", 3052, true},
};

namespace {

const wchar_t kFirstPageFeature[] = L"PageInputBin";
const wchar_t kOtherPagesFeature[] = L"JobInput2ndBin";

// The driver's own source code of the multi-purpose tray.
constexpr WORD kMultiPurposeSource = DMBIN_USER + 2;

// DEVMODE source codes and the entry each stands for in either slot. The
// automatic source means "any tray" for the first page and "the first
// page's tray" for the others.
struct BinCode {
    WORD code;
    int  bins[2];
};
const BinCode kBinCodes[] = {
    {DMBIN_AUTO, {kAutoSelectBin, kSameTrayBin}},
    {DMBIN_UPPER, {2, 2}},
    {DMBIN_LOWER, {3, 3}},
    {DMBIN_MANUAL, {6, 6}},
    {kMultiPurposeSource, {7, 7}},
};

int& SlotBin(InputBinSettings& s, BinSlot slot)
{
    return slot == kFirstPageSlot ? s.firstBin : s.otherBin;
}

// E_FAIL, the slot unchanged, for an entry the slot does not offer.
HRESULT SetBin(InputBinSettings& s, BinSlot slot, int index)
{
    if (slot != kFirstPageSlot && slot != kOtherPagesSlot) return E_FAIL;
    if (index < 0 || index >= static_cast<int>(kInputBinCount) || !kInputBins[index].offered[slot]) return E_FAIL;
    SlotBin(s, slot) = index;
    return S_OK;
}

// Sets the slot from its feature in the ticket. A bin of ours named in the
// wrong namespace falls back to the slot's default; a name we do not know,
// a bin the slot does not offer or an absent feature leave the slot.
void ReadBinFeature(PrintSchemaDocument& document, BinSlot slot, InputBinSettings& s)
{
    bool ours = slot == kOtherPagesSlot;
    if (ours && !document.PrivateNamespaceDeclared()) return;
    BstrOwner option;
    bool isPrivate = false;
    HRESULT hr = document.GetSelectedOption(ours ? document.PrivatePrefix() : document.KeywordsPrefix(),
                                            ours ? kOtherPagesFeature : kFirstPageFeature, option.Receive(),
                                            &isPrivate);
    if (hr == kNotFound) return;
    ThrowOnFailure(hr);
    for (size_t i = 0; i < kInputBinCount; ++i) {
        if (wcscmp(kInputBins[i].keyword, option.Text()) != 0) continue;
        if (SUCCEEDED(SetBin(s, slot, static_cast<int>(i))) && kInputBins[i].isPrivate != isPrivate)
            SetBin(s, slot, ours ? kSameTrayBin : kAutoSelectBin);
        return;
    }
}

class InputBinHandler : public FeatureHandlerBase<InputBinSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                 IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(InputBinSettings);
};

HRESULT InputBinHandler::ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize,
                                     const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                     InputBinSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    // Codes we do not know, or bins a slot does not offer, leave the slot's
    // default.
    SetBin(*settings, kFirstPageSlot, InputBinIndexOfCode(kFirstPageSlot, devmode->dmDefaultSource));
    // anotherTray means something only while the other pages are fed apart.
    if (privatePart->traySeparateMode != 1)
        SetBin(*settings, kOtherPagesSlot, kSameTrayBin);
    else
        SetBin(*settings, kOtherPagesSlot, InputBinIndexOfCode(kOtherPagesSlot, privatePart->anotherTray));
    return S_OK;
}

HRESULT InputBinHandler::WriteDevMode(HANDLE, const InputBinSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                                      PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    int first = InputBinCode(kFirstPageSlot, settings->firstBin);
    if (first >= 0) {
        devmode->dmDefaultSource = static_cast<short>(first);
        privatePart->tray = static_cast<WORD>(first);
    }
    int other = InputBinCode(kOtherPagesSlot, settings->otherBin);
    if (other >= 0) privatePart->anotherTray = static_cast<WORD>(other);
    // The other pages are fed apart only from a tray of their own.
    privatePart->traySeparateMode =
        privatePart->anotherTray != privatePart->tray && privatePart->anotherTray != DMBIN_AUTO ? 1 : 0;
    return S_OK;
}

HRESULT InputBinHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, InputBinSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ReadBinFeature(document, kFirstPageSlot, *settings);
        ReadBinFeature(document, kOtherPagesSlot, *settings);
        return S_OK;
    });
}

HRESULT InputBinHandler::WritePrintTicket(const InputBinSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!settings) return E_POINTER;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ThrowOnFailure(document.RemovePrivateFeature(kOtherPagesFeature));
        ThrowOnFailure(document.RemoveFeature(kFirstPageFeature));
        const struct {
            bool           featureIsPrivate;
            const wchar_t* feature;
            int            bin;
        } features[] = {{true, kOtherPagesFeature, settings->otherBin}, {false, kFirstPageFeature, settings->firstBin}};
        for (const auto& f : features) {
            const InputBinEntry& entry = kInputBins[f.bin];
            ComPtr<IXMLDOMElement> feature, option;
            ThrowOnFailure(document.CreateFeatureWithOption(f.featureIsPrivate, f.feature, entry.isPrivate,
                                                            entry.keyword, &feature, &option));
            AppendChild(root.Get(), feature.Get());
        }
        return S_OK;
    });
}

HRESULT InputBinHandler::GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ComPtr<IXMLDOMElement> features[2];
        ThrowOnFailure(document.CreatePickOneFeature(kFirstPageFeature, DisplayName(3712).Get(), &features[0]));
        ThrowOnFailure(
            document.CreatePrivatePickOneFeature(kOtherPagesFeature, DisplayName(3714).Get(), &features[1]));
        for (BinSlot slot : {kFirstPageSlot, kOtherPagesSlot}) {
            for (const InputBinEntry& entry : kInputBins) {
                if (!entry.offered[slot]) continue;
                ComPtr<IXMLDOMElement> option;
                ThrowOnFailure(document.CreateCapabilityOption(
                    entry.isPrivate ? document.PrivatePrefix() : document.KeywordsPrefix(), entry.keyword,
                    DisplayName(entry.displayId).Get(), kConstraintNone, &option));
                AppendChild(features[slot].Get(), option.Get());
            }
            AppendChild(root.Get(), features[slot].Get());
        }
        return S_OK;
    });
}

} // namespace

int InputBinIndexOfCode(BinSlot slot, int code)
{
    for (const BinCode& row : kBinCodes)
        if (row.code == code) return row.bins[slot];
    return -1;
}

int InputBinCode(BinSlot slot, int index)
{
    for (const BinCode& row : kBinCodes)
        if (row.bins[slot] == index) return row.code;
    return -1;
}

std::unique_ptr<FeatureHandler> CreateInputBinHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<InputBinHandler>(privateNamespace);
}
