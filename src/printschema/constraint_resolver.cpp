#include "printschema/constraint_resolver.h"

#include "printschema/com_boundary.h"
#include "printschema/features/duplex_binding.h"
#include "printschema/features/page_media_size.h"
#include "printschema/features/pages_per_sheet.h"
#include "printschema/features/poster.h"
#include "printschema/features/scaling.h"
#include "printschema/print_schema_document.h"
#include "printschema/print_schema_names.h"

namespace {

// What the rules read and correct, each record starting as a ticket
// without the feature reads.
struct Working {
    MediaSizeSettings media;
    ScalingSettings scaling;
    BindingSettings binding;
    NupSettings nup;
    INT32 posterSheets = 0;
    bool conflict = false;
};

// A feature that is not in the ticket reads as its record's initial state.
HRESULT Found(HRESULT hr)
{
    return hr == kNotFound ? S_OK : hr;
}

} // namespace

ConstraintResolver::ConstraintResolver(const wchar_t* privateNamespace)
    : privateNamespace_(BstrOwner::Copy(privateNamespace))
{
}

HRESULT ConstraintResolver::Resolve(HANDLE, IXMLDOMDocument2* ticket)
{
    if (!ticket) return E_POINTER;
    Working w;
    // Every step reads or writes its feature through a wrapper of its own.
    auto step = [&](auto&& work) -> HRESULT {
        return AtComBoundary([&]() -> HRESULT {
            PrintSchemaDocument document(kPrintTicketRoot, privateNamespace_.Text(), false, ticket);
            return work(document);
        });
    };

    // 1. A paper the printer cannot print at full size is fitted to it.
    HRESULT hr = step([&](PrintSchemaDocument& d) { return Found(ReadMediaSizeTicket(d, w.media)); });
    if (SUCCEEDED(hr)) hr = step([&](PrintSchemaDocument& d) { return Found(ReadScalingFeature(d, &w.scaling)); });
    if (FAILED(hr)) return hr;
    const bool tablePaper = w.media.paperIndex != kCustomPaperIndex;
    if (tablePaper && !kPapers[w.media.paperIndex].fullSize && w.scaling.scalingMode != kScalingFitToPaper) {
        w.scaling.scalingMode = kScalingFitToPaper;
        hr = step([&](PrintSchemaDocument& d) { return WriteScalingFeature(d, w.scaling); });
        if (FAILED(hr)) return hr;
        w.conflict = true;
    }

    // 2. A binding that depends on duplex carries no duplex features of its
    //    own; the binding is written back in full either way.
    hr = step([&](PrintSchemaDocument& d) { return Found(ReadBinding(d, &w.binding)); });
    if (FAILED(hr)) return hr;
    // A duplex feature that cannot be removed does not stop the resolution.
    if (w.binding.dependOnDuplex == 1) step([&](PrintSchemaDocument& d) { return RemoveDuplexFeatures(d); });
    hr = step([&](PrintSchemaDocument& d) { return WriteBinding(d, w.binding); });
    if (FAILED(hr)) return hr;

    // 3. A booklet prints two pages per sheet, without a border.
    hr = step([&](PrintSchemaDocument& d) { return Found(ReadNupFeature(d, &w.nup)); });
    if (FAILED(hr)) return hr;
    const bool booklet = w.binding.bindOption == kBooklet || w.binding.bindOption == kBookletReverseFlip;
    if (booklet && w.nup.pagesPerSheet != 2) {
        w.nup.pagesPerSheet = 2;
        w.nup.borderLine = 0;
        w.nup.featureIndex = w.binding.bindFeature == kBindJob ? 0 : 1;
        hr = step([&](PrintSchemaDocument& d) { return WriteNupFeature(d, w.nup); });
        if (FAILED(hr)) return hr;
        w.conflict = true;
    }

    // 4. Several pages per sheet and one page over several sheets exclude
    //    each other: the poster goes.
    hr = step([&](PrintSchemaDocument& d) { return Found(ReadPosterFeature(d, &w.posterSheets)); });
    if (FAILED(hr)) return hr;
    if (w.nup.pagesPerSheet > 1 && w.posterSheets > 1) {
        w.posterSheets = 0;
        hr = step([&](PrintSchemaDocument& d) { return WritePosterFeature(d, w.posterSheets); });
        if (FAILED(hr)) return hr;
        w.conflict = true;
    }

    // 5. Only the long-edge A5 feeds transversely.
    const bool transverse = w.media.paperIndex == kA5LongEdgeIndex;
    if (w.media.transverse != transverse) {
        w.media.transverse = transverse;
        hr = step([&](PrintSchemaDocument& d) {
            WriteMediaSizeTicket(d, w.media);
            return S_OK;
        });
        if (FAILED(hr)) return hr;
        w.conflict = true;
    }
    return w.conflict ? S_PT_CONFLICT_RESOLVED : S_OK;
}
