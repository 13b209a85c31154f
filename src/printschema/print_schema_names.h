// The fixed names of Print Schema documents: namespaces, root elements,
// the XML Schema types of values and the words of constraint levels.
#pragma once

#include <windows.h>

extern const wchar_t kFrameworkNamespace[];        // element names: Feature, Option, Value...
extern const wchar_t kKeywordsNamespace[];         // standard feature and option names
extern const wchar_t kSchemaInstanceNamespace[];   // xsi:type
extern const wchar_t kSchemaNamespace[];           // the types that xsi:type names

extern const wchar_t kPrintTicketRoot[];         // "PrintTicket"
extern const wchar_t kPrintCapabilitiesRoot[];   // "PrintCapabilities"

// Value types, written after the document's XML Schema prefix.
extern const wchar_t kXsdInteger[];
extern const wchar_t kXsdString[];
extern const wchar_t kXsdQName[];

// How strongly a capability option is excluded, written in its
// "constrained" attribute after the keywords prefix.
enum ConstraintLevel {
    kConstraintNone = 0,
    kConstraintPrintTicketSettings = 1,
    kConstraintAdminSettings = 2,
    kConstraintDeviceSettings = 3,
};

// The word of a level; NULL for a value outside the enumeration.
const wchar_t* ConstraintWord(int level);
