// The maker's web services: their hosts live here and nowhere else.
#include "lifecycle/web_links.h"

#include "core/message_format.h"

namespace {

const WCHAR kSupportHost[] = L"https://support.zentari.example";
const WCHAR kSuppliesHost[] = L"https://supplies.zentari.example";
const WCHAR kSupportPage[] = L"/cgi-bin/solutions.cgi?MDL=%s&LNG=%s&SRC=DRIVER";
const WCHAR kSuppliesPage[] = L"/genuine/redirect/index.aspx?";

bool HasText(const WCHAR* text)
{
    return text && text[0];
}

// Formats format after the host; FALSE when the whole does not fit.
BOOL FormatAddress(WCHAR* address, size_t capacity, const WCHAR* host, const WCHAR* format,
                   const WCHAR* first, const WCHAR* second)
{
    const size_t hostChars = lstrlenW(host);
    if (!address || capacity <= hostChars)
        return FALSE;
    lstrcpyW(address, host);
    const DWORD capacityLeft = static_cast<DWORD>(capacity - hostChars);
    return FormatDriverMessage(address + hostChars, capacityLeft, format, first, second) <= capacityLeft;
}

} // namespace

BOOL BuildSupportSiteAddress(const WCHAR* modelCode, const WCHAR* languageCode, WCHAR* address,
                             size_t capacity)
{
    if (!HasText(modelCode) || !HasText(languageCode))
        return FALSE;
    return FormatAddress(address, capacity, kSupportHost, kSupportPage, modelCode, languageCode);
}

BOOL BuildSuppliesSiteAddress(const WCHAR* queryFormat, const WCHAR* country,
                              const WCHAR* language, WCHAR* address, size_t capacity)
{
    if (!HasText(queryFormat))
        return FALSE;
    WCHAR query[512];
    if (FormatDriverMessage(query, ARRAYSIZE(query), queryFormat, country, language) > ARRAYSIZE(query))
        return FALSE;
    return FormatAddress(address, capacity, kSuppliesHost, L"%s%s", kSuppliesPage, query);
}
