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

class ColorManagementHandler : public FixedChoiceHandler {
public:
    explicit ColorManagementHandler(const wchar_t* privateNamespace)
        : FixedChoiceHandler(privateNamespace, kManagement, 0)
    {
    }

protected:

    // The intents are fixed whatever the ticket asked for: their first
    // options, as the feature's.
    void AppendSubFeatures(PrintSchemaDocument& document, IXMLDOMElement* feature, bool capabilities) override
    {
        for (const ChoiceFeature* intent : {&kPhotoIntent, &kRenderingIntent}) {
            if (capabilities) {
                AppendChoiceCapabilities(document, feature, *intent, OptionLevels(nullptr));
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
