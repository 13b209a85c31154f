// Helpers of the tests that drive COM objects and MSXML documents.
#pragma once

#include "platform/printticket.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

// An HRESULT as "0x8007000E", so that a failed comparison names the code.
std::string Hex(HRESULT hr);

// UTF-16 text of ASCII characters as a narrow string for messages.
std::string Narrow(const std::wstring& text);

// The object's current reference count.
ULONG References(IUnknown* object);

// A new, empty MSXML 6 document (null, with a failed expectation, when MSXML
// is missing).
Microsoft::WRL::ComPtr<IXMLDOMDocument2> NewDocument();

// A document loaded from xml; a text that does not load fails the test.
Microsoft::WRL::ComPtr<IXMLDOMDocument2> Load(const std::wstring& xml);

// A test environment that keeps a single-threaded apartment open for the
// whole run; register it with AddGlobalTestEnvironment.
::testing::Environment* NewComApartment();
