#include "printschema/print_schema_names.h"

const wchar_t kFrameworkNamespace[] =
    L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
const wchar_t kKeywordsNamespace[] =
    L"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
const wchar_t kSchemaInstanceNamespace[] = L"http://www.w3.org/2001/XMLSchema-instance";
const wchar_t kSchemaNamespace[] = L"http://www.w3.org/2001/XMLSchema";

const wchar_t kPrintTicketRoot[] = L"PrintTicket";
const wchar_t kPrintCapabilitiesRoot[] = L"PrintCapabilities";

const wchar_t kXsdInteger[] = L"integer";
const wchar_t kXsdString[] = L"string";
const wchar_t kXsdQName[] = L"QName";

// Indexed by ConstraintLevel.
static const wchar_t* const kConstraintWords[] = {
    L"None",
    L"PrintTicketSettings",
    L"AdminSettings",
    L"DeviceSettings",
};

const wchar_t* ConstraintWord(int level)
{
    if (level < 0 || level >= static_cast<int>(sizeof kConstraintWords / sizeof kConstraintWords[0]))
        return nullptr;
    return kConstraintWords[level];
}
