// Pages per sheet (N-up): the private multiPage, pageOrder and multiLine
// against the job-level feature JobNUpAllDocumentsContiguously with its
// PagesPerSheet value and two nested features, PresentationDirection (page
// order) and our BorderLine. Negative multiPage values are posters and
// belong to the poster handler.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// The per-call record; the ticket constraint resolver reads and rewrites
// tickets with it too.
struct NupSettings {
    // 0 when a DEVMODE or a complete job-level feature gave the values, -1
    // when nothing did.
    int featureIndex = -1;
    int pagesPerSheet = 0;   // 0: nothing to write
    int orderCode = 0;       // index of kPageOrderNames
    int borderLine = 1;      // index of kBorderLineNames
};

extern const wchar_t* const kPageOrderNames[4];    // keywords namespace
extern const wchar_t* const kBorderLineNames[3];   // our namespace

// The record as a DEVMODE with this layout gives it; a poster or unset
// multiPage leaves it alone.
void ReadNupLayout(SHORT multiPage, BYTE pageOrder, BYTE multiLine, NupSettings* settings);

// Reads the N-up feature of a ticket into a fresh record, which replaces
// *settings on success. A ticket without the feature, or without its
// PagesPerSheet, reads as the initial record; one without BorderLine keeps
// what it gave but with featureIndex -1. Never throws.
HRESULT ReadNupFeature(PrintSchemaDocument& ticket, NupSettings* settings);
// Replaces the job- and document-level N-up features of a ticket with the
// job-level feature of the record; pagesPerSheet 0 or less writes none.
// Never throws.
HRESULT WriteNupFeature(PrintSchemaDocument& ticket, const NupSettings& settings);

std::unique_ptr<FeatureHandler> CreatePagesPerSheetHandler(const wchar_t* privateNamespace);
