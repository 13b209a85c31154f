// The exception that carries an HRESULT inside the PrintTicket provider.
//
// Deep helpers throw it instead of threading HRESULTs through every frame;
// every COM method and every feature step catches it (see com_boundary.h),
// so it never leaves the provider.
#pragma once

#include <windows.h>

class CXDException {
public:
    explicit CXDException(HRESULT failure) noexcept : hr(failure) {}

    HRESULT hr;
};

// Throws the failure; success codes (S_OK, S_FALSE, ...) pass through, so
// that a caller can still tell "nothing matched" from "matched".
inline HRESULT ThrowOnFailure(HRESULT hr)
{
    if (FAILED(hr)) throw CXDException(hr);
    return hr;
}
