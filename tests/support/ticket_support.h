// Helpers of the tests that drive feature handlers: tickets and
// capabilities documents with the usual declarations, XPath reading with
// fixed query prefixes, and a handler's two conversions on a whole
// DriverDevmode.
#pragma once

#include "printschema/feature_handler.h"
#include "settings/driver_devmode.h"

#include "support/com_support.h"

#include <gtest/gtest.h>

#include <string>

// The private keyword namespace the handler tests construct handlers with;
// documents bind it to "kvpsk".
extern const wchar_t kTestPrivateUri[];

// xmlns declarations of psf, psk, xsi, xsd and kvpsk.
std::wstring TicketDeclarations();

// <psf:PrintTicket version="1" ...>body</psf:PrintTicket>, loaded.
Microsoft::WRL::ComPtr<IXMLDOMDocument2> NewTicket(const std::wstring& body = L"");
// An empty <psf:PrintCapabilities version="1" .../>, loaded.
Microsoft::WRL::ComPtr<IXMLDOMDocument2> NewCapabilities();

// Queries use their own prefixes, whatever the document binds:
// f framework, k keywords, p private (kTestPrivateUri).
// The text of the first node the query selects; "<none>" when there is none.
std::string SelectText(IXMLDOMDocument2* document, const std::wstring& query);
// How many nodes the query selects; -1 when the query fails.
long SelectCount(IXMLDOMDocument2* document, const std::wstring& query);

// A <psf:Feature name="NAME"><psf:Option name="OPTION"/></psf:Feature>
// (prefixed names as written).
std::wstring FeatureXml(const std::wstring& feature, const std::wstring& option);
// <psf:ParameterInit name="NAME"><psf:Value xsi:type="xsd:TYPE">VALUE...
std::wstring ParameterInitXml(const std::wstring& name, const std::wstring& value,
                              const std::wstring& type = L"integer");

// A complete DriverDevmode (sizes set, everything else zero) and the
// handler's conversions on it, with no printer.
DriverDevmode BlankDevmode();
HRESULT HandlerToTicket(FeatureHandler& handler, DriverDevmode& record, IXMLDOMDocument2* ticket);
HRESULT HandlerToDevMode(FeatureHandler& handler, IXMLDOMDocument2* ticket, DriverDevmode& record);
// A new empty ticket the handler wrote the record into, and the handler's
// capabilities with no printer; a failing handler fails the test.
Microsoft::WRL::ComPtr<IXMLDOMDocument2> TicketFrom(FeatureHandler& handler, DriverDevmode& record);
Microsoft::WRL::ComPtr<IXMLDOMDocument2> CapabilitiesOf(FeatureHandler& handler);

// The checks every handler makes before converting anything: missing
// documents or buffers and DEVMODEs too short for the private part are
// refused, and the record is left as it was although the ticket would
// change it.
void ExpectArgumentsChecked(FeatureHandler& handler, IXMLDOMDocument2* ticket, const DriverDevmode& record);

// A fixture whose tests each run on a fresh handler made by Create.
template <std::unique_ptr<FeatureHandler> (*Create)(const wchar_t*)>
class HandlerTest : public ::testing::Test {
protected:
    std::unique_ptr<FeatureHandler> handler_ = Create(kTestPrivateUri);
};
