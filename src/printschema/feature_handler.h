// One converter per Print Schema feature (or small group of related
// features) between the DriverDevmode and PrintTicket / PrintCapabilities
// documents.
//
// The provider sees only FeatureHandler. Every handler derives from
// FeatureHandlerBase<Settings>, which runs the conversions as a fixed
// sequence of four steps around a per-call Settings record:
//   ticket -> DEVMODE:  ReadDevMode, ReadPrintTicket, WriteDevMode
//   DEVMODE -> ticket:  ReadDevMode, WritePrintTicket
// so that a ticket changes only what it mentions: the record starts from the
// DEVMODE's current values and the ticket overrides them. The record lives
// on the stack of one call and is destroyed (its strings freed) on every
// path, exceptions included.
//
// Nothing thrown inside a step leaves the handler: the base runs each step
// behind AtComBoundary, so a CXDException becomes the step's HRESULT.
#pragma once

#include "platform/printticket.h"
#include "printschema/bstr_owner.h"
#include "printschema/com_boundary.h"
#include "printschema/print_schema_document.h"
#include "printschema/print_schema_names.h"
#include "settings/admin_settings.h"
#include "settings/driver_devmode.h"

#include <string>

// The operations the provider calls on every handler, in this slot order.
// privatePart is always the address kPublicDevmodeSize bytes into the
// DEVMODE. Documents belong to the caller.
class FeatureHandler {
public:
    virtual ~FeatureHandler() = default;

    virtual HRESULT PrintTicketToDevMode(HANDLE printer, IXMLDOMDocument2* ticket, ULONG dmSize,
                                         DEVMODEW* devmode, ULONG dmDriverExtra,
                                         PrivateSettings* privatePart) = 0;
    virtual HRESULT DevModeToPrintTicket(HANDLE printer, ULONG dmSize, DEVMODEW* devmode, ULONG dmDriverExtra,
                                         PrivateSettings* privatePart, IXMLDOMDocument2* ticket) = 0;
    // ticket may be NULL: then nothing depends on a current selection.
    virtual HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket,
                                         IXMLDOMDocument2* capabilities) = 0;
    // S_PT_NO_CONFLICT, S_PT_CONFLICT_RESOLVED after correcting the ticket,
    // or a failure.
    virtual HRESULT ValidatePrintTicket(HANDLE printer, IXMLDOMDocument2* ticket) = 0;
};

// Argument checks every step shares; each returns S_OK when the call may go on.
// A DEVMODE to read needs its public part and some private bytes.
HRESULT CheckDevModeToRead(const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                           ULONG dmDriverExtra, const void* settings);
// Writing touches private fields anywhere in the record, so the whole
// private part must be there.
HRESULT CheckDevModeToWrite(const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                            ULONG dmDriverExtra);

// String resource id of the language module, at most 1023 characters;
// empty when the module or the string is missing. With strip, the menu
// marks of user-interface strings go: carriage returns, line feeds and
// every "&" not followed by a blank ("Top && Bottom" keeps one "&").
std::wstring LoadDisplayString(UINT id, bool strip);
std::wstring StripMenuMarks(const std::wstring& text);

// A display name for a capability builder, menu marks stripped: NULL when
// the id is 0 or the language module has no such string.
class DisplayName {
public:
    explicit DisplayName(UINT id) : text_(id ? LoadDisplayString(id, true) : std::wstring()) {}
    const wchar_t* Get() const { return text_.empty() ? nullptr : text_.c_str(); }

private:
    std::wstring text_;
};

// parent->appendChild; throws CXDException with its failure.
void AppendChild(IXMLDOMNode* parent, IXMLDOMNode* child);

// The level a capability option gets when the administrator's lock (one of
// kAdminLock*) excludes it: AdminSettings when the lock is in force, else
// None. read is what ReadAdminSettings returned for settings.
ConstraintLevel LockedOptionLevel(BOOL read, const AdminSettings& settings, DWORD lock);
// As above, reading the printer's administrator settings.
ConstraintLevel LockedOptionLevel(HANDLE printer, DWORD lock);

template <class Settings> class FeatureHandlerBase : public FeatureHandler {
public:
    // Throws CXDException(E_OUTOFMEMORY).
    explicit FeatureHandlerBase(const wchar_t* privateNamespace)
        : privateNamespace_(BstrOwner::Copy(privateNamespace))
    {
    }

    HRESULT PrintTicketToDevMode(HANDLE printer, IXMLDOMDocument2* ticket, ULONG dmSize, DEVMODEW* devmode,
                                 ULONG dmDriverExtra, PrivateSettings* privatePart) override
    {
        HRESULT hr = CheckConversion(devmode, privatePart, ticket, dmSize, dmDriverExtra);
        if (FAILED(hr)) return hr;
        return AtComBoundary([&]() -> HRESULT {
            Settings settings;
            HRESULT step = Step([&] {
                return ReadDevMode(printer, devmode, dmSize, privatePart, dmDriverExtra, &settings);
            });
            if (FAILED(step)) return step;
            step = Step([&] { return ReadPrintTicket(ticket, &settings); });
            if (FAILED(step)) return step;
            return Step([&] {
                return WriteDevMode(printer, &settings, devmode, dmSize, privatePart, dmDriverExtra);
            });
        });
    }

    HRESULT DevModeToPrintTicket(HANDLE printer, ULONG dmSize, DEVMODEW* devmode, ULONG dmDriverExtra,
                                 PrivateSettings* privatePart, IXMLDOMDocument2* ticket) override
    {
        HRESULT hr = CheckConversion(devmode, privatePart, ticket, dmSize, dmDriverExtra);
        if (FAILED(hr)) return hr;
        return AtComBoundary([&]() -> HRESULT {
            Settings settings;
            HRESULT step = Step([&] {
                return ReadDevMode(printer, devmode, dmSize, privatePart, dmDriverExtra, &settings);
            });
            if (FAILED(step)) return step;
            return Step([&] { return WritePrintTicket(&settings, ticket); });
        });
    }

    // Handlers that check their feature replace this.
    HRESULT ValidatePrintTicket(HANDLE, IXMLDOMDocument2* ticket) override
    {
        return ticket ? S_PT_NO_CONFLICT : E_POINTER;
    }

protected:
    // The four steps. Out-of-range DEVMODE values read as the feature's
    // default; WriteDevMode writes only the feature's fields.
    virtual HRESULT ReadDevMode(HANDLE printer, const DEVMODEW* devmode, ULONG dmSize,
                                const PrivateSettings* privatePart, ULONG dmDriverExtra, Settings* settings) = 0;
    virtual HRESULT ReadPrintTicket(IXMLDOMDocument2* ticket, Settings* settings) = 0;
    virtual HRESULT WriteDevMode(HANDLE printer, const Settings* settings, DEVMODEW* devmode, ULONG dmSize,
                                 PrivateSettings* privatePart, ULONG dmDriverExtra) = 0;
    virtual HRESULT WritePrintTicket(const Settings* settings, IXMLDOMDocument2* ticket) = 0;

    const wchar_t* PrivateNamespace() const noexcept { return privateNamespace_.Text(); }

    // Runs read over a ticket wrapper. A ticket that does not mention the
    // feature (kNotFound) is not an error: the record keeps what it had.
    template <class Read> HRESULT ReadTicket(IXMLDOMDocument2* ticket, Read&& read)
    {
        if (!ticket) return E_POINTER;
        HRESULT hr = AtComBoundary([&]() -> HRESULT {
            PrintSchemaDocument document(kPrintTicketRoot, PrivateNamespace(), false, ticket);
            return read(document);
        });
        return hr == kNotFound ? S_OK : hr;
    }

    template <class Write> HRESULT WriteTicket(IXMLDOMDocument2* ticket, Write&& write)
    {
        if (!ticket) return E_POINTER;
        return AtComBoundary([&]() -> HRESULT {
            PrintSchemaDocument document(kPrintTicketRoot, PrivateNamespace(), false, ticket);
            return write(document);
        });
    }

    template <class Write> HRESULT WriteCapabilities(IXMLDOMDocument2* capabilities, Write&& write)
    {
        if (!capabilities) return E_POINTER;
        return AtComBoundary([&]() -> HRESULT {
            PrintSchemaDocument document(kPrintCapabilitiesRoot, PrivateNamespace(), false, capabilities);
            return write(document);
        });
    }

private:
    static HRESULT CheckConversion(const DEVMODEW* devmode, const PrivateSettings* privatePart,
                                   const IXMLDOMDocument2* ticket, ULONG dmSize, ULONG dmDriverExtra)
    {
        if (!devmode || !privatePart || !ticket) return E_POINTER;
        if (dmSize < kPublicDevmodeSize || dmDriverExtra == 0) return E_INVALIDARG;
        return S_OK;
    }

    template <class Work> static HRESULT Step(Work&& work) { return AtComBoundary(work); }

    BstrOwner privateNamespace_;
};

// The record of the handlers whose feature is one number (poster,
// error-message printout, digital signature, special output mode).
struct SingleValueSettings {
    LONGLONG value = 0;
};
