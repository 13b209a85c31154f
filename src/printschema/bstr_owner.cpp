#include "printschema/bstr_owner.h"

#include "printschema/cxd_exception.h"

BstrOwner BstrOwner::Copy(const wchar_t* text)
{
    BSTR copy = SysAllocString(text ? text : L"");
    if (!copy) throw CXDException(E_OUTOFMEMORY);
    return BstrOwner(copy);
}
