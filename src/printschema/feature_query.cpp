#include "printschema/feature_query.h"

#include "printschema/schema_text.h"

// The first %s is the framework prefix with its colon, the second the
// qualified name the element's "name" attribute must carry.
static const wchar_t kFeatureTemplate[] = L"//%sFeature[@name = \"%s\"]";
static const wchar_t kPropertyTemplate[] = L"//%sProperty[@name = \"%s\"]";
static const wchar_t kScoredPropertyTemplate[] = L"//%sScoredProperty[@name = \"%s\"]";
static const wchar_t kParameterInitTemplate[] = L"//%sParameterInit[@name = \"%s\"]";

// Framework, keywords, framework prefix.
static const wchar_t kOptionPath[] = L"/%sOption";
static const wchar_t kOptionNamePath[] = L"/%sScoredProperty[@name = \"%sOptionName\"]/%sValue";

FeatureQuery::FeatureQuery(const wchar_t* frameworkPrefix)
    : query_(BstrOwner::Copy(L"")), frameworkPrefix_(BstrOwner::Copy(frameworkPrefix))
{
}

HRESULT FeatureQuery::ForFeature(const wchar_t* namePrefix, const wchar_t* localName)
{
    return Append(kFeatureTemplate, namePrefix, localName);
}

HRESULT FeatureQuery::ForProperty(const wchar_t* namePrefix, const wchar_t* localName)
{
    return Append(kPropertyTemplate, namePrefix, localName);
}

HRESULT FeatureQuery::ForScoredProperty(const wchar_t* namePrefix, const wchar_t* localName)
{
    return Append(kScoredPropertyTemplate, namePrefix, localName);
}

HRESULT FeatureQuery::ForParameterInit(const wchar_t* namePrefix, const wchar_t* localName)
{
    return Append(kParameterInitTemplate, namePrefix, localName);
}

HRESULT FeatureQuery::Append(const wchar_t* pattern, const wchar_t* namePrefix, const wchar_t* localName)
{
    if (frameworkPrefix_.Empty()) return E_FAIL;
    if (!localName || !*localName) return E_INVALIDARG;
    BstrOwner name = FormatBstr(L"%s%s", {namePrefix, localName});
    BstrOwner step = FormatBstr(pattern, {frameworkPrefix_.Text(), name.Text()});
    query_ = FormatBstr(L"%s%s", {query_.Text(), step.Text()});
    return S_OK;
}

HRESULT FeatureQuery::AddOptionPaths(const wchar_t* keywordsPrefix)
{
    if (frameworkPrefix_.Empty()) return E_FAIL;
    if (query_.Empty()) return E_UNEXPECTED;
    const wchar_t* psf = frameworkPrefix_.Text();
    BstrOwner option = FormatBstr(kOptionPath, {psf});
    BstrOwner optionName = FormatBstr(kOptionNamePath, {psf, keywordsPrefix, psf});
    query_ = FormatBstr(L"%s%s | %s%s", {query_.Text(), option.Text(), query_.Text(), optionName.Text()});
    return S_OK;
}

HRESULT FeatureQuery::Take(BSTR* query) const
{
    if (!query) return E_POINTER;
    *query = SysAllocString(query_.Text());
    return *query ? S_OK : E_OUTOFMEMORY;
}
