// The IUnknown half both COM objects of the module share: an interlocked
// reference count that starts at 1 for the creator, and QueryInterface that
// answers IUnknown and the one interface the object serves.
#pragma once

#include <windows.h>
#include <objbase.h>

template <class Interface> class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, served_)) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = InterlockedDecrement(&references_);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

protected:
    explicit ComObject(REFIID served) noexcept : served_(served) {}
    virtual ~ComObject() = default;

private:
    volatile LONG references_ = 1;
    const IID     served_;
};

// Hands the new object's interface to the caller and drops the creation
// reference, so that a failed QueryInterface destroys the object.
template <class Object> HRESULT HandOver(Object* object, REFIID riid, void** ppv)
{
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}
