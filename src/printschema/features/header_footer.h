// The date, time and user-name stamp printed in the page header or footer:
// headerFooterFlags, headerFooterFont, the two colours and the ID name
// against our PageHeaderFooter feature, its six sub-features and its
// parameters. Dates and times are numbered formats, each a printf-style
// template with an order code that tells the renderer which date parts fill
// it; the handler only carries them.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

constexpr DWORD kNoDateFormat = 7;
constexpr DWORD kNoTimeFormat = 8;

struct HeaderFooterSettings {
    DWORD     on = 0;
    DWORD     dateFormat = 0;   // 0..6, kNoDateFormat
    DWORD     timeFormat = 0;   // 0..7, kNoTimeFormat
    DWORD     idPrint = 0;      // 0 the user's name, 1 a custom name, 2 none
    DWORD     positionX = 0;    // 0 left, 1 centre, 2 right
    DWORD     positionY = 0;    // 0 top, 1 bottom
    DWORD     background = 0;   // 0 transparent, 1 opaque
    BstrOwner dateTemplate, dateOrder, timeTemplate, timeOrder;
    DWORD     italic = 0, bold = 0, underline = 0, strikeOut = 0;
    DWORD     fontSize = 0;     // points
    DWORD     fontColor = 0;    // 0xRRGGBB
    DWORD     backColor = 0;    // 0xRRGGBB
    BstrOwner customName, fontName;
    BYTE      charSet = 0;
};

std::unique_ptr<FeatureHandler> CreateHeaderFooterHandler(const wchar_t* privateNamespace);
