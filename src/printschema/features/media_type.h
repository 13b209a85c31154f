// The media type: the PageMediaType feature against the DEVMODE. Japanese
// postcards keep a media type of their own (postcardMediaType) beside the
// one of every other paper (mediaType), so the handler also follows the
// paper, from the DEVMODE and from the ticket's PageMediaSize.
#pragma once

#include "printschema/features/page_media_size.h"

#include <cstddef>
#include <memory>

struct MediaTypeEntry {
    bool           offered;         // listed in capabilities and selectable
    const wchar_t* keyword;
    UINT           displayId;       // 0: no display string
    bool           isPrivate;       // option name in our keyword namespace
    const wchar_t* material;        // the Material and Recycled values written with the option
    const wchar_t* recycled;
    short          code;            // the DEVMODE value; -1: none (stored as 1)
};

constexpr size_t kMediaTypeCount = 12;
extern const MediaTypeEntry kMediaTypes[kMediaTypeCount];

constexpr int kPlainMediaType = 0;

// The per-call record: Plain on the initial (Letter) paper.
struct MediaTypeSettings {
    int               mediaTypeIndex = kPlainMediaType;   // into kMediaTypes
    MediaSizeSettings mediaSize;                          // the paper the media type belongs to
};

// The entry a DEVMODE value stands for; -1 for a value that is none of ours.
int MediaTypeIndexOfCode(int code);

std::unique_ptr<FeatureHandler> CreateMediaTypeHandler(const wchar_t* privateNamespace);
