// Duplex and binding. Through PrintTickets this driver prints one-sided
// only: the duplex handler strips duplex features from tickets (so a ticket
// never changes the DEVMODE's duplex settings) and describes the single
// one-sided choice. Binding has no handler of its own; its ticket items are
// read and written only by the ticket constraint resolver, through
// ReadBinding and WriteBinding.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

// Where the binding feature sits; the document level is only ever removed.
enum BindFeature { kBindNone = -1, kBindJob = 0, kBindDocument = 1 };

// Binding options, in this order; the last is in our namespace.
enum BindOption { kBindBottom, kBindLeft, kBindRight, kBindTop, kBooklet, kBookletReverseFlip, kBindOptionCount };

// The binding items of a ticket. The defaults are those of a ticket that
// has none.
struct BindingSettings {
    int bindFeature = kBindNone;
    int bindOption = kBindLeft;
    int gutter = 0;           // BindingGutter, as the ticket gives it
    int gutterControl = 0;    // 0 Off, 1 On
    int bindUnit = 0;         // 0 microns, 1 inches
    int optionControl = 0;    // 0 Off, 1 On
    int dependOnDuplex = 1;   // 1 True, 0 False
};

// Reads the job-level binding of a ticket over the record: bindFeature
// becomes kBindJob or kBindNone, and every item the ticket leaves out keeps
// the record's value. An option name not in the list leaves bindOption,
// gutter and dependOnDuplex alone. Never throws.
HRESULT ReadBinding(PrintSchemaDocument& ticket, BindingSettings* settings);
// Replaces the ticket's binding features (job and document level) with the
// record's; kBindNone writes none. E_INVALIDARG for a bindFeature,
// bindOption or bindUnit out of range. Never throws.
HRESULT WriteBinding(PrintSchemaDocument& ticket, const BindingSettings& settings);

// Removes the job- and document-level duplex features and our duplex
// property, whichever the ticket has. Never throws.
HRESULT RemoveDuplexFeatures(PrintSchemaDocument& ticket);

std::unique_ptr<FeatureHandler> CreateDuplexHandler(const wchar_t* privateNamespace);
