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

BOOL RefreshModelForms(HANDLE printer, const ModelContext* model)
{
    DWORD registered = 0, needed = 0, count = 0;
    BOOL deleted = FALSE;
    BYTE* forms = nullptr;
    const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize);
    if (!printer || !pageSize) return FALSE;
    if (!ReadPrinterDataDword(printer, kFormsValue, &registered) || !registered) return TRUE;
    g_formCalls.enumForms(printer, 1, nullptr, 0, &needed, &count);
    if (needed) forms = static_cast<BYTE*>(GlobalAlloc(GPTR, needed));
    if (forms && g_formCalls.enumForms(printer, 1, forms, needed, &needed, &count)) {
        // A user form with a page size's name hides the printer form of that
        // name: remove it so that registration can put the printer's back.
        const FORM_INFO_1W* list = reinterpret_cast<const FORM_INFO_1W*>(forms);
        for (DWORD i = 0; i < count; ++i)
            if (list[i].Flags == FORM_USER && IsModelFormName(pageSize, list[i].pName) &&
                g_formCalls.deleteForm(printer, list[i].pName))
                deleted = TRUE;
    }
    if (forms) GlobalFree(forms);
    if (deleted) {
        SetFormsValue(printer, 0);
        RegisterModelForms(printer, model);
    }
    return TRUE;
}
