#include "printschema/features/output_color.h"

#include "printschema/cxd_exception.h"
#include "printschema/features/choice_value_handler.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// By OutputColorOption.
const ChoiceOption kColorOptions[] = {
    {L"Color", 0}, {L"Grayscale", 0}, {L"Monochrome", 0}, {L"BlackCyan", 0}, {L"BlackMagenta", 0},
};
const ChoiceFeature kOutputColorFeature = MakeChoiceFeature(L"PageOutputColor", false, 0, kColorOptions);

struct BitDepths {
    int device, driver;
};
const BitDepths kBitDepths[] = {{24, 24}, {8, 8}, {1, 24}, {24, 24}, {24, 24}};
static_assert(sizeof kBitDepths / sizeof kBitDepths[0] == sizeof kColorOptions / sizeof kColorOptions[0],
              "bit depths per option");

bool ColorLocked(HANDLE printer)
{
    return LockedOptionLevel(printer, kAdminLockColor) == kConstraintAdminSettings;
}

// The other colours stay listed: the printer takes colour documents and
// prints them in black; only the administrator's lock excludes them.
class OutputColorHandler : public FixedChoiceHandler {
public:
    explicit OutputColorHandler(const wchar_t* privateNamespace)
        : FixedChoiceHandler(privateNamespace, kOutputColorFeature, kOutputMonochrome)
    {
    }

    HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) override;

protected:
    ChoiceLevel OptionLevels(HANDLE printer) override
    {
        const ConstraintLevel locked = ColorLocked(printer) ? kConstraintAdminSettings : kConstraintNone;
        return [locked](size_t index, ConstraintLevel* level) {
            *level = index == kOutputMonochrome ? kConstraintNone : locked;
            return true;
        };
    }

    void FillOption(PrintSchemaDocument& document, size_t index, IXMLDOMElement* option) override
    {
        ComPtr<IXMLDOMElement> device, driver;
        ThrowOnFailure(document.CreateIntegerScoredPropertyValue(document.KeywordsPrefix(), L"DeviceBitsPerPixel",
                                                                 kBitDepths[index].device, &device));
        ThrowOnFailure(document.CreateIntegerScoredPropertyValue(document.KeywordsPrefix(), L"DriverBitsPerPixel",
                                                                 kBitDepths[index].driver, &driver));
        AppendChild(option, device.Get());
        AppendChild(option, driver.Get());
    }
};

HRESULT OutputColorHandler::ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    return AtComBoundary([&]() -> HRESULT {
        SingleValueSettings asked;
        asked.value = kOutputMonochrome;
        bool mentioned = false;
        HRESULT hr = ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
            int index = kOutputMonochrome;
            HRESULT read = ReadChoice(document, kOutputColorFeature, &index);
            mentioned = read != kNotFound;
            asked.value = index;
            return S_OK;
        });
        if (FAILED(hr)) return hr;
        if (mentioned && (asked.value == kOutputMonochrome || !ColorLocked(printer))) return S_PT_NO_CONFLICT;
        SingleValueSettings monochrome;
        monochrome.value = kOutputMonochrome;
        ThrowOnFailure(WritePrintTicket(&monochrome, ticket));
        return S_PT_CONFLICT_RESOLVED;
    });
}

}  // namespace

std::unique_ptr<FeatureHandler> CreateOutputColorHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<OutputColorHandler>(privateNamespace);
}
