// The page watermark: the DEVMODE carries a copy of the chosen watermark's
// drawing data and its title, the ticket the on/off choice, three printing
// switches and the full description. Watermarks are chosen by title from
// the machine's watermark store, which also decides what a title draws:
// validation brings a ticket's description back into line with it.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

enum WatermarkPages { kWatermarkAllPages = 0, kWatermarkFirstPage = 1, kWatermarkFromSecond = 2, kWatermarkCustom = 3 };

struct WatermarkSettings {
    BstrOwner title, text, fontName, fileName, fileNameBk, customPrint;
    DWORD     on = 0;
    LONG      positionX = 0, positionY = 0;
    DWORD     fontColor = 0;   // COLORREF
    DWORD     fontSize = 0, angle = 0, bold = 0, italic = 0, scaling = 0, subData = 0;
    DWORD     transparent = 0;   // 0 "On", 1 "Off"
    DWORD     printPages = kWatermarkAllPages;
    DWORD     outline = 0;       // 0 "On", 1 "Off"
    DWORD     skipValid = 0;     // 1: the ticket's description is to be taken as it is
};

std::unique_ptr<FeatureHandler> CreateWatermarkHandler(const wchar_t* privateNamespace);
