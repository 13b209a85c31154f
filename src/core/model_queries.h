// Read-only questions the rest of the driver asks of a ModelContext.
// Pure code; safe on any context, including one without the feature asked for.
#pragma once

#include "core/model_context.h"

// The feature of a kind, or null when the model has none.
const ModelFeature* FeatureOfKind(const ModelContext* model, ModelFeatureKind kind);

// The number at the start of an option's value text; 0 when there is none.
int32_t OptionValueNumber(const ModelOption* option);

// The numeric value of a feature's default option (the resolution feature:
// the model's default resolution); 0 when the model lacks the feature.
int32_t DefaultOptionValue(const ModelContext* model, ModelFeatureKind kind);

// The numeric value of the n-th option of a feature; 0 when there is none.
int32_t NthOptionValue(const ModelContext* model, ModelFeatureKind kind, uint32_t n);

// Windows paper-source code of an input-slot keyword (1 when unknown).
uint16_t PaperSourceOfSlot(const char* keyword);

// Code of the input-slot feature's default option; 7 without the feature.
uint16_t DefaultPaperSource(const ModelContext* model);

// Whether an option of the input-slot feature has the paper-source code.
bool OffersPaperSource(const ModelContext* model, uint16_t source);

// Item n of the "SleepMode" list (items separated by "," or blanks): 1 when
// the list is missing, longer than 30 characters or has no separator; the
// last item when the list is shorter.
uint32_t SleepModeItem(const ModelContext* model, uint32_t n);

// The dots per inch a resolution keyword names: its leading number ("600dpi"
// and "600x600dpi" name 600); 0 when it names none from 1 to
// kModelHighestResolution.
uint32_t ResolutionDpiOfKeyword(const char* keyword);

// Whether the resolution feature offers the given dots per inch.
bool OffersResolution(const ModelContext* model, uint32_t dpi);

// The page-size option "Postcard", or null; and its "PaperMedia" name.
const ModelOption* PostcardOption(const ModelContext* model);

// 1 when the option exists and its keyword is "None" or "False".
int IsOffOption(const ModelContext* model, uint32_t feature, uint32_t option);

// 1 when a "UIConstraints" entry forbids option1 of feature1 together with
// option2 of feature2 (an entry without options covers every option that
// is not an off option).
int IsConstrained(const ModelContext* model, uint32_t feature1, uint32_t option1,
                  uint32_t feature2, uint32_t option2);

// 0, or the first conflict of the requested option of a feature with the
// current selections: (index | 0x200) * 256 + option for an ordinary
// feature, (index | 0x100) * 256 + option for an installable one.
// installable: one selection per installable feature; document: one per
// ordinary feature, or null to test installable features only.
uint32_t FindConflict(const ModelContext* model, const uint8_t* installable,
                      const uint8_t* document, uint32_t feature, uint32_t option);
