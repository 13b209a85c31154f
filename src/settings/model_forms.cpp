// The model's page sizes as spooler forms, so that applications find them by
// name in the printer's form list.
#include "settings/model_forms.h"

#include "core/model_queries.h"
#include "core/spooler_info.h"
#include "settings/printer_data.h"

namespace {

const SpoolerFormCalls kSpoolerFormCalls = {AddFormW, DeleteFormW, EnumFormsW};
SpoolerFormCalls g_formCalls = kSpoolerFormCalls;

const WCHAR kFormsValue[] = L"Forms?";
const DWORD kFormsRegistered = 2;

// The form name of a page size: its translation, or its keyword when the
// translation is empty.
void FormNameOf(const ModelOption& option, WCHAR (&name)[CCHFORMNAME])
{
    const char* text = option.translation && *option.translation ? option.translation
                                                                  : option.keyword;
    // Converted whole, then cut: a short buffer would fail the conversion.
    WCHAR wide[256] = {};
    if (text) MultiByteToWideChar(CP_ACP, 0, text, -1, wide, ARRAYSIZE(wide) - 1);
    lstrcpynW(name, wide, CCHFORMNAME);
}

// Points in 24.8 fixed point (1/18432 inch) to thousandths of a
// millimetre, in single precision and truncated: the same paper must give
// the same form size on every registration.
LONG MicronsOfFixedPoints(int32_t fixed)
{
    const float product = static_cast<float>(fixed) * 25400.0f;
    return static_cast<LONG>(product / 18432.0f);
}

void SetFormsValue(HANDLE printer, DWORD value)
{
    // Sessions may hold a handle that cannot write printer data.
    if (WritePrinterData(printer, kFormsValue, REG_DWORD,
                         reinterpret_cast<BYTE*>(&value), sizeof(value)) != ERROR_SUCCESS)
        SetPrinterDataReopened(printer, kFormsValue, REG_DWORD, &value, sizeof(value));
}

BOOL IsModelFormName(const ModelFeature* pageSize, const WCHAR* formName)
{
    for (uint32_t i = 0; formName && i < pageSize->optionCount; ++i) {
        WCHAR name[CCHFORMNAME];
        FormNameOf(pageSize->options[i], name);
        if (name[0] && lstrcmpiW(name, formName) == 0) return TRUE;
    }
    return FALSE;
}

}  // namespace

SpoolerFormCalls SetSpoolerFormCalls(const SpoolerFormCalls* calls)
{
    SpoolerFormCalls previous = g_formCalls;
    g_formCalls = calls ? *calls : kSpoolerFormCalls;
    return previous;
}

BOOL RegisterModelForms(HANDLE printer, const ModelContext* model)
{
    DWORD registered = 0;
    if (!printer || !model) return FALSE;
    if (ReadPrinterDataDword(printer, kFormsValue, &registered) && registered) return TRUE;
    if (const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize)) {
        for (uint32_t i = 0; i < pageSize->optionCount; ++i) {
            const ModelOption& option = pageSize->options[i];
            if (!option.width || !option.height) continue;
            WCHAR name[CCHFORMNAME];
            FormNameOf(option, name);
            FORM_INFO_1W form = {};
            form.Flags = FORM_PRINTER;
            form.pName = name;
            form.Size.cx = MicronsOfFixedPoints(option.width);
            form.Size.cy = MicronsOfFixedPoints(option.height);
            form.ImageableArea.right = form.Size.cx;
            form.ImageableArea.bottom = form.Size.cy;
            // A form of that name may exist already; it stays as it is.
            g_formCalls.addForm(printer, 1, reinterpret_cast<BYTE*>(&form));
        }
    }
    SetFormsValue(printer, kFormsRegistered);
    return TRUE;
}

namespace {

// The spooler's form list in one GlobalAlloc block, or null when it cannot
// be enumerated.
FORM_INFO_1W* ListSpoolerForms(HANDLE printer, DWORD* count)
{
    DWORD needed = 0;
    *count = 0;
    g_formCalls.enumForms(printer, 1, nullptr, 0, &needed, count);
    BYTE* forms = needed ? static_cast<BYTE*>(GlobalAlloc(GPTR, needed)) : nullptr;
    if (forms && !g_formCalls.enumForms(printer, 1, forms, needed, &needed, count)) {
        GlobalFree(forms);
        forms = nullptr;
    }
    return reinterpret_cast<FORM_INFO_1W*>(forms);
}

// A user form with a page size's name hides the printer form of that name:
// removing it lets registration put the printer's back. TRUE when one went.
BOOL DeleteUserFormsOfModel(HANDLE printer, const ModelFeature* pageSize,
                            const FORM_INFO_1W* forms, DWORD count)
{
    BOOL deleted = FALSE;
    for (DWORD i = 0; i < count; ++i)
        if (forms[i].Flags == FORM_USER && IsModelFormName(pageSize, forms[i].pName) &&
            g_formCalls.deleteForm(printer, forms[i].pName))
            deleted = TRUE;
    return deleted;
}

BOOL HasUserForms(const FORM_INFO_1W* forms, DWORD count)
{
    for (DWORD i = 0; i < count; ++i)
        if (forms[i].Flags == FORM_USER) return TRUE;
    return FALSE;
}

}  // namespace

BOOL RefreshModelForms(HANDLE printer, const ModelContext* model)
{
    DWORD registered = 0, count = 0;
    BOOL deleted = FALSE;
    const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize);
    if (!printer || !pageSize) return FALSE;
    if (!ReadPrinterDataDword(printer, kFormsValue, &registered) || !registered) return TRUE;
    if (FORM_INFO_1W* forms = ListSpoolerForms(printer, &count)) {
        deleted = DeleteUserFormsOfModel(printer, pageSize, forms, count);
        GlobalFree(forms);
    }
    if (deleted) {
        SetFormsValue(printer, 0);
        RegisterModelForms(printer, model);
    }
    return TRUE;
}

BOOL ResynchroniseModelForms(HANDLE printer, const ModelContext* model)
{
    DWORD registered = 0, count = 0;
    const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize);
    if (!printer || !pageSize) return FALSE;
    FORM_INFO_1W* forms = ListSpoolerForms(printer, &count);
    if (!forms) return FALSE;
    ReadPrinterDataDword(printer, kFormsValue, &registered);
    // The previous driver may have left user forms where the model's
    // printer forms belong; any user form at all means the list is not the
    // one this driver registered, so it is registered again.
    if (registered && HasUserForms(forms, count)) {
        DeleteUserFormsOfModel(printer, pageSize, forms, count);
        registered = 0;
    }
    GlobalFree(forms);
    if (!registered) {
        SetFormsValue(printer, 0);
        RegisterModelForms(printer, model);
    }
    return TRUE;
}
