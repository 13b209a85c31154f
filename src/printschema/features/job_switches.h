// Three small job switches kept as single values: the printer's page of
// error messages (the DEVMODE's errorPrint), the handling of digital
// signatures (fixed: the printer prints every document) and our private
// special output mode (specialOutputMode).
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// Options of JobErrorMessagePrintout.
enum ErrorPrintOption { kErrorPrintPrinterDefault = 0, kErrorPrintOn = 1, kErrorPrintOff = 2 };

constexpr BYTE kMaxSpecialOutputMode = 4;

std::unique_ptr<FeatureHandler> CreateErrorMessagePrintoutHandler(const wchar_t* privateNamespace);
std::unique_ptr<FeatureHandler> CreateDigitalSignatureHandler(const wchar_t* privateNamespace);
std::unique_ptr<FeatureHandler> CreateSpecialOutputModeHandler(const wchar_t* privateNamespace);
