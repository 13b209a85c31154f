#include "printschema/feature_handler.h"

#include "core/driver_strings.h"

HRESULT CheckDevModeToRead(const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                           ULONG dmDriverExtra, const void* settings)
{
    if (!devmode || !privatePart || !settings) return E_POINTER;
    if (dmSize < kPublicDevmodeSize || dmDriverExtra == 0) return E_INVALIDARG;
    return S_OK;
}

HRESULT CheckDevModeToWrite(const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                            ULONG dmDriverExtra)
{
    if (!devmode || !privatePart) return E_POINTER;
    if (dmSize < kPublicDevmodeSize || dmDriverExtra < kPrivateSize) return E_INVALIDARG;
    return S_OK;
}

std::wstring StripMenuMarks(const std::wstring& text)
{
    std::wstring stripped;
    stripped.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') continue;
        if (c == L'&' && (i + 1 >= text.size() || text[i + 1] != L' ')) continue;
        stripped.push_back(c);
    }
    return stripped;
}

std::wstring LoadDisplayString(UINT id, bool strip)
{
    WCHAR buffer[1024];
    int length = LoadDriverString(id, buffer, static_cast<int>(sizeof buffer / sizeof buffer[0]));
    std::wstring text(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    return strip ? StripMenuMarks(text) : text;
}

ConstraintLevel LockedOptionLevel(BOOL read, const AdminSettings& settings, DWORD lock)
{
    return AdminLockInForce(read, &settings, lock) ? kConstraintAdminSettings : kConstraintNone;
}

ConstraintLevel LockedOptionLevel(HANDLE printer, DWORD lock)
{
    AdminSettings settings = {printer, 0};
    BOOL read = ReadAdminSettings(&settings);
    return LockedOptionLevel(read, settings, lock);
}

void AppendChild(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    IXMLDOMNode* appended = nullptr;
    ThrowOnFailure(parent->appendChild(child, &appended));
    if (appended) appended->Release();
}
