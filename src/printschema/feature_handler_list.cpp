#include "printschema/feature_handler_list.h"

#include "printschema/features/header_footer.h"
#include "printschema/features/page_media_size.h"
#include "printschema/features/print_setting.h"
#include "printschema/features/toner_save.h"
#include "printschema/features/watermark.h"

const FeatureHandlerRow kFeatureHandlerRows[kFeatureHandlerCount] = {
    {L"page media size", true, CreatePageMediaSizeHandler},
    {L"pages per sheet", true, nullptr},
    {L"poster", false, nullptr},
    {L"collate and copies", true, nullptr},
    {L"media type", true, nullptr},
    {L"duplex", true, nullptr},
    {L"input bin", false, nullptr},
    {L"resolution and quality", true, nullptr},
    {L"print setting", false, CreatePrintSettingHandler},
    {L"watermark", true, CreateWatermarkHandler},
    {L"scaling", false, nullptr},
    {L"mirror image", false, nullptr},
    {L"job spooling", false, nullptr},
    {L"sleep time", false, nullptr},
    {L"header and footer", false, CreateHeaderFooterHandler},
    {L"toner save group", false, CreateTonerSaveHandler},
    {L"error message printout", false, nullptr},
    {L"output colour", true, nullptr},
    {L"colour management", false, nullptr},
    {L"digital signature", false, nullptr},
    {L"special output mode", false, nullptr},
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
