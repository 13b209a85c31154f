#include "printschema/features/color_management.h"

#include "printschema/features/choice_value_handler.h"

namespace {

// In each list only the first option is what the driver does; the others
// are listed as choices the device cannot make.
const ChoiceOption kManagementOptions[] = {{L"Driver", 0}, {L"None", 0}, {L"Device", 0}, {L"System", 0}};
const ChoiceFeature kManagement = MakeChoiceFeature(L"PageColorManagement", false, 0, kManagementOptions);

const ChoiceOption kPhotoIntentOptions[] = {{L"None", 0}, {L"PhotoBest", 0}, {L"PhotoDraft", 0}, {L"PhotoStandard", 0}};
const ChoiceFeature kPhotoIntent = MakeChoiceFeature(L"PagePhotoPrintingIntent", false, 0, kPhotoIntentOptions);

const ChoiceOption kRenderingIntentOptions[] = {
    {L"Photographs", 0}, {L"AbsoluteColorimetric", 0}, {L"RelativeColorimetric", 0}, {L"BusinessGraphics", 0}};
const ChoiceFeature kRenderingIntent =
    MakeChoiceFeature(L"PageICMRenderingIntent", false, 0, kRenderingIntentOptions);

bool OnlyTheFirstOpen(size_t index, ConstraintLevel* level)
{
    *level = index == 0 ? kConstraintNone : kConstraintDeviceSettings;
    return true;
}

class ColorManagementHandler : public ChoiceValueHandler {
public:
    explicit ColorManagementHandler(const wchar_t* privateNamespace) : ChoiceValueHandler(privateNamespace, kManagement)
    {
    }

protected:
    HRESULT ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                        ULONG dmDriverExtra, SingleValueSettings* settings) override
    {
        HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
        if (FAILED(hr)) return hr;
        settings->value = 0;
        return S_OK;
    }

    HRESULT WriteDevMode(HANDLE, const SingleValueSettings*, DEVMODEW* devmode, ULONG dmSize,
                         PrivateSettings* privatePart, ULONG dmDriverExtra) override
    {
        return CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    }

    ChoiceLevel OptionLevels(HANDLE) override { return OnlyTheFirstOpen; }

    // The intents are fixed whatever the ticket asked for.
    void AppendSubFeatures(PrintSchemaDocument& document, IXMLDOMElement* feature, bool capabilities) override
    {
        for (const ChoiceFeature* intent : {&kPhotoIntent, &kRenderingIntent}) {
            if (capabilities) {
                AppendChoiceCapabilities(document, feature, *intent, OnlyTheFirstOpen);
            } else {
                // A ticket may give the intents on their own, outside the feature.
                RemoveChoice(document, *intent);
                AppendChoice(document, feature, *intent, 0);
            }
        }
    }
};

}  // namespace

std::unique_ptr<FeatureHandler> CreateColorManagementHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<ColorManagementHandler>(privateNamespace);
}
