// The guard every COM method and feature step of the provider runs its work
// in: whatever the work throws becomes the HRESULT the caller receives.
#pragma once

#include "printschema/cxd_exception.h"

#include <new>

template <class Work> HRESULT AtComBoundary(Work&& work) noexcept
{
    try {
        return work();
    } catch (const CXDException& e) {
        return e.hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
