// The four per-feature steps a handler over FeatureHandlerBase<Settings>
// implements, declared in one line inside the handler's class: every
// handler's list is the same but for its record.
#pragma once

#include "printschema/feature_handler.h"

#define KV_FEATURE_STEPS(Settings)                                                                               \
    HRESULT ReadDevMode(HANDLE printer, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart, \
                        ULONG dmDriverExtra, Settings* settings) override;                                        \
    HRESULT ReadPrintTicket(IXMLDOMDocument2* ticket, Settings* settings) override;                              \
    HRESULT WriteDevMode(HANDLE printer, const Settings* settings, DEVMODEW* devmode, ULONG dmSize,                \
                         PrivateSettings* privatePart, ULONG dmDriverExtra) override;                             \
    HRESULT WritePrintTicket(const Settings* settings, IXMLDOMDocument2* ticket) override
