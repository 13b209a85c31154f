// Owner of one BSTR: frees it when it goes out of scope, so that early
// returns and exceptions cannot leak the strings the provider builds.
#pragma once

#include <windows.h>
#include <oleauto.h>

class BstrOwner {
public:
    BstrOwner() noexcept = default;
    explicit BstrOwner(BSTR owned) noexcept : text_(owned) {}
    ~BstrOwner() { SysFreeString(text_); }

    BstrOwner(BstrOwner&& other) noexcept : text_(other.Detach()) {}
    BstrOwner& operator=(BstrOwner&& other) noexcept
    {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    BstrOwner(const BstrOwner&) = delete;
    BstrOwner& operator=(const BstrOwner&) = delete;

    // A copy of text (NULL copies as empty); throws CXDException(E_OUTOFMEMORY).
    static BstrOwner Copy(const wchar_t* text);

    BSTR Get() const noexcept { return text_; }
    // Never NULL: an unset string reads as empty.
    const wchar_t* Text() const noexcept { return text_ ? text_ : L""; }
    UINT Length() const noexcept { return SysStringLen(text_); }
    bool Empty() const noexcept { return Length() == 0; }

    // For out-parameters: frees what is held and lends the slot.
    BSTR* Receive() noexcept
    {
        Reset();
        return &text_;
    }
    BSTR Detach() noexcept
    {
        BSTR text = text_;
        text_ = nullptr;
        return text;
    }
    void Reset(BSTR owned = nullptr) noexcept
    {
        if (text_ != owned) SysFreeString(text_);
        text_ = owned;
    }

private:
    BSTR text_ = nullptr;
};
