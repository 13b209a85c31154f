// The feature handlers of the PrintTicket provider, in the one order the
// provider calls them: page media size first, so that every later handler
// sees the paper already written into the DEVMODE when a ticket is
// converted.
//
// A row whose handler is not written yet has no factory (or one that
// returns null) and is skipped, so the provider works with the handlers
// that exist.
#pragma once

#include "printschema/feature_handler.h"

#include <cstddef>
#include <memory>
#include <vector>

using FeatureHandlerFactory = std::unique_ptr<FeatureHandler> (*)(const wchar_t* privateNamespace);

struct FeatureHandlerRow {
    const wchar_t*        name;                 // for diagnostics
    bool                  replacesValidation;   // checks its feature in ValidatePrintTicket
    FeatureHandlerFactory create;               // null, or returns null: not available
};

constexpr size_t kFeatureHandlerCount = 21;
extern const FeatureHandlerRow kFeatureHandlerRows[kFeatureHandlerCount];

// The handlers made from a table, in its order; destroyed in reverse order.
class FeatureHandlerList {
public:
    FeatureHandlerList() = default;
    ~FeatureHandlerList() { Clear(); }
    FeatureHandlerList(const FeatureHandlerList&) = delete;
    FeatureHandlerList& operator=(const FeatureHandlerList&) = delete;

    // Creates every available handler of rows, each with its copy of the
    // private namespace; a handler that cannot be made is left out. Fails
    // only when the list itself cannot be made, leaving it empty.
    HRESULT Create(const wchar_t* privateNamespace, const FeatureHandlerRow* rows = kFeatureHandlerRows,
                   size_t count = kFeatureHandlerCount);
    void Clear() noexcept;

    size_t Size() const noexcept { return handlers_.size(); }
    FeatureHandler& operator[](size_t index) const { return *handlers_[index]; }

    // Calls operation on each handler in order, stopping at the first
    // failure, which is returned; otherwise the last handler's result.
    template <class Operation> HRESULT ForEach(Operation&& operation) const
    {
        HRESULT hr = S_OK;
        for (const auto& handler : handlers_) {
            hr = operation(*handler);
            if (FAILED(hr)) break;
        }
        return hr;
    }

private:
    std::vector<std::unique_ptr<FeatureHandler>> handlers_;
};
