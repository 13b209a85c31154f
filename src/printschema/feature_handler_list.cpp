#include "printschema/feature_handler_list.h"

#include "printschema/features/collate_copies.h"
#include "printschema/features/color_management.h"
#include "printschema/features/duplex_binding.h"
#include "printschema/features/header_footer.h"
#include "printschema/features/input_bin.h"
#include "printschema/features/job_spooling.h"
#include "printschema/features/job_switches.h"
#include "printschema/features/media_type.h"
#include "printschema/features/mirror_image.h"
#include "printschema/features/output_color.h"
#include "printschema/features/page_media_size.h"
#include "printschema/features/pages_per_sheet.h"
#include "printschema/features/poster.h"
#include "printschema/features/print_setting.h"
#include "printschema/features/resolution_quality.h"
#include "printschema/features/scaling.h"
#include "printschema/features/sleep_time.h"
#include "printschema/features/toner_save.h"
#include "printschema/features/watermark.h"

const FeatureHandlerRow kFeatureHandlerRows[kFeatureHandlerCount] = {
    {L"page media size", true, CreatePageMediaSizeHandler},
    {L"pages per sheet", true, CreatePagesPerSheetHandler},
    {L"poster", false, CreatePosterHandler},
    {L"collate and copies", true, CreateCollateCopiesHandler},
    {L"media type", true, CreateMediaTypeHandler},
    {L"duplex", true, CreateDuplexHandler},
    {L"input bin", false, CreateInputBinHandler},
    {L"resolution and quality", true, CreateResolutionQualityHandler},
    {L"print setting", false, CreatePrintSettingHandler},
    {L"watermark", true, CreateWatermarkHandler},
    {L"scaling", false, CreateScalingHandler},
    {L"mirror image", false, CreateMirrorImageHandler},
    {L"job spooling", false, CreateJobSpoolingHandler},
    {L"sleep time", false, CreateSleepTimeHandler},
    {L"header and footer", false, CreateHeaderFooterHandler},
    {L"toner save group", false, CreateTonerSaveHandler},
    {L"error message printout", false, CreateErrorMessagePrintoutHandler},
    {L"output colour", true, CreateOutputColorHandler},
    {L"colour management", false, CreateColorManagementHandler},
    {L"digital signature", false, CreateDigitalSignatureHandler},
    {L"special output mode", false, CreateSpecialOutputModeHandler},
};

HRESULT FeatureHandlerList::Create(const wchar_t* privateNamespace, const FeatureHandlerRow* rows, size_t count)
{
    Clear();
    if (!rows) return E_POINTER;
    HRESULT hr = AtComBoundary([&]() -> HRESULT {
        handlers_.reserve(count);
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    for (size_t i = 0; i < count; ++i) {
        // A handler that cannot be made is left out: the others still
        // convert and describe their features.
        std::unique_ptr<FeatureHandler> handler;
        AtComBoundary([&]() -> HRESULT {
            if (rows[i].create) handler = rows[i].create(privateNamespace);
            return S_OK;
        });
        if (handler) handlers_.push_back(std::move(handler));
    }
    return S_OK;
}

void FeatureHandlerList::Clear() noexcept
{
    // Later handlers are made after earlier ones; take them down the other way.
    while (!handlers_.empty()) handlers_.pop_back();
}
