// Combinations of features that the printer cannot print together,
// corrected in a ticket after every feature handler has written or checked
// its own feature: an oversized paper is fitted to the page, a booklet
// drops its duplex features and prints two pages per sheet, N-up and
// poster exclude each other, and the transverse flag follows the paper.
#pragma once

#include "printschema/bstr_owner.h"

#include "platform/printticket.h"

class ConstraintResolver {
public:
    // Throws CXDException(E_OUTOFMEMORY).
    explicit ConstraintResolver(const wchar_t* privateNamespace);
    virtual ~ConstraintResolver() = default;
    ConstraintResolver(const ConstraintResolver&) = delete;
    ConstraintResolver& operator=(const ConstraintResolver&) = delete;

    // Applies the rules in their fixed order. S_OK when nothing changed,
    // S_PT_CONFLICT_RESOLVED when a rule corrected the ticket, E_POINTER
    // for a NULL ticket, or the first failure of a feature's reader or
    // writer (the rules after it do not run). The printer is not consulted.
    HRESULT Resolve(HANDLE printer, IXMLDOMDocument2* ticket);

private:
    BstrOwner privateNamespace_;
};
