// What the platform's MSXML keeps until the process ends, whatever the
// program releases, so that a long run can tell the platform's growth from
// the provider's. Wine's MSXML 6 keeps a few heap blocks
//   - for every attribute node made with createNode and a namespace (the
//     provider makes every typed value's xsi:type attribute that way), and
//   - for every processing instruction made or loaded (the capabilities
//     document starts with one and is loaded twice);
// Windows keeps nothing. The run measures both costs on the platform it
// runs on, counts the occasions, and judges only the growth left over.
#pragma once

#include "platform/printticket.h"

struct HeapCost {
    double blocks;
    double bytes;
};

// One namespaced attribute node made and attached, measured on a scratch
// document of the class the provider uses.
HeapCost MeasureAttributeNodeCost(long calls);

// One capabilities skeleton as the provider builds it: a document with a
// processing instruction and a root with six attributes, loaded into a
// second document through a stream and back.
HeapCost MeasureSkeletonCost(long calls);

// Wraps createNode of every MSXML document (they share one class) so that
// attribute nodes are counted; false when the class cannot be patched.
bool CountAttributeNodes(IXMLDOMDocument2* anyDocument);
long AttributeNodesMade();
