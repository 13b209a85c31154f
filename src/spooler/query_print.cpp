// DevQueryPrintEx: whether a held job's settings can print on this queue
// as it is set up (papers in the trays, installed options, resolutions).
#include "platform/driverui.h"

#include "core/driver_strings.h"
#include "core/message_format.h"
#include "core/model_cache.h"
#include "core/model_queries.h"
#include "core/spooler_info.h"
#include "settings/devmode_defaults.h"
#include "settings/devmode_merge.h"
#include "settings/driver_devmode.h"
#include "settings/paper_lookup.h"
#include "settings/printer_data.h"
#include "spooler/tray_form_table.h"

#include <cstring>
#include <cwchar>

namespace {

enum QueryMessage : UINT {
    kNoMessage = 0,
    kResolutionNotOffered = 40043,
    kUnusableDevmode = 40047,
    kManualFeedPaperUnknown = 40048,
    kPaperUnknown = 40049,
    kSettingsConflict = 40054,
    kModelUnavailable = 40055,
    kOutOfMemory = 40056,
    kFormNotInTray = 40057,
    kUserPaperUnavailable = 40058,
};

const int kFormatChars = 64;
const size_t kPaperSizeEnd = offsetof(DEVMODEW, dmPaperSize) + sizeof(short);

struct Query {
    DEVQUERYPRINT_INFO* info;
    const ModelContext* model;
    const DEVMODEW* job;
    const DriverDevmode* work;
};

void Report(DEVQUERYPRINT_INFO* info, UINT message)
{
    info->cchNeeded = FormatDriverMessage(info->pszErrorStr, info->cchErrorStr, L"%!", message);
}

// Names the form and, for a fixed tray, the tray's paper (not known here).
void ReportFormNotInTray(DEVQUERYPRINT_INFO* info, const WCHAR* formName)
{
    WCHAR format[kFormatChars + 1];
    LoadDriverString(kFormNotInTray, format, ARRAYSIZE(format));
    info->cchNeeded = FormatDriverMessage(info->pszErrorStr, info->cchErrorStr, format, formName, L"");
}

enum FormOutcome { kFormUnknown, kFormOfModel, kFormUserDefined };

FormOutcome ResolveJobForm(const Query& q, WCHAR* formName)
{
    const DEVMODEW* job = q.job;
    if (job->dmSize < kPaperSizeEnd || !(job->dmFields & DM_PAPERSIZE))
        return kFormUnknown;
    const short code = job->dmPaperSize;
    if (IsUserPaper(code)) {
        lstrcpyW(formName, L"User");
        return kFormUserDefined;
    }
    // The look-up writes the form name into the record it is given.
    DEVMODEW probe = {};
    probe.dmSize = sizeof(probe);
    probe.dmPaperSize = code;
    PaperSize size;
    if (LookUpPaper(q.info->hPrinter, &probe, q.model, &size) != kPaperFound)
        return kFormUnknown;
    lstrcpynW(formName, size.formName, CCHFORMNAME);
    return kFormOfModel;
}

bool ModelListsForm(const ModelContext* model, const WCHAR* formName)
{
    const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize);
    for (uint32_t i = 0; pageSize && i < pageSize->optionCount; ++i) {
        WCHAR keyword[CCHFORMNAME] = {};
        const char* text = pageSize->options[i].keyword;
        if (text && MultiByteToWideChar(CP_ACP, 0, text, -1, keyword, CCHFORMNAME) &&
            wcscmp(keyword, formName) == 0)
            return true;
    }
    return false;
}

// A table holding no entries assigns nothing, so every form passes.
bool TrayTableHoldsForm(HANDLE printer, const WCHAR* formName)
{
    DWORD size = 0;
    BYTE* table = ReadPrinterDataBlob(printer, kBlobTrayForms, &size);
    if (!table)
        return true;
    const TrayFormAnswer answer =
        FindTrayForForm(reinterpret_cast<const WCHAR*>(table), size, formName);
    GlobalFree(table);
    return answer != kNoTrayHoldsForm;
}

// A fixed tray holds the paper of the queue's own settings.
bool QueuePaperMatches(HANDLE printer, short jobPaper, bool* known)
{
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(ReadPrinterInfo(printer, 2));
    *known = info != nullptr;
    if (!info)
        return false;
    const DEVMODEW* queue = info->pDevMode;
    const bool matches = queue && queue->dmSize >= kPaperSizeEnd && queue->dmPaperSize == jobPaper;
    GlobalFree(info);
    return matches;
}

bool CheckPaperAndTray(const Query& q)
{
    WCHAR formName[CCHFORMNAME] = {};
    switch (ResolveJobForm(q, formName)) {
    case kFormUnknown: Report(q.info, kPaperUnknown); return false;
    case kFormUserDefined: Report(q.info, kUserPaperUnavailable); return false;
    case kFormOfModel: break;
    }
    const DEVMODEW& work = q.work->pub;
    const short source = (work.dmFields & DM_DEFAULTSOURCE) ? work.dmDefaultSource : DMBIN_FORMSOURCE;
    if (source == DMBIN_FORMSOURCE) {
        if (TrayTableHoldsForm(q.info->hPrinter, formName))
            return true;
        ReportFormNotInTray(q.info, formName);
        return false;
    }
    if (source == DMBIN_MANUAL || source == DMBIN_ENVMANUAL) {
        if (ModelListsForm(q.model, formName))
            return true;
        Report(q.info, kManualFeedPaperUnknown);
        return false;
    }
    bool known = false;
    if (QueuePaperMatches(q.info->hPrinter, q.job->dmPaperSize, &known) || !known)
        return true;
    ReportFormNotInTray(q.info, formName);
    return false;
}

// Every ordinary feature's selection against the others and the printer's
// installed options. Selections past what the records hold count as none.
bool SettingsConflict(const Query& q)
{
    PrinterDataBlock block;
    if (!q.model || !GetPrinterDataBlock(q.info->hPrinter, q.model, IsA4Locale(), &block))
        return false;
    uint8_t installable[256];
    uint8_t document[256];
    memset(installable, kAnyOption, sizeof(installable));
    memset(document, kAnyOption, sizeof(document));
    memcpy(installable, block.options, block.optionCount < 64 ? block.optionCount : 64);
    const PrivateSettings& priv = q.work->priv;
    memcpy(document, priv.optionSelections, priv.optionCount < 64 ? priv.optionCount : 64);
    const uint32_t ordinary = q.model->optionCount < 256 ? q.model->optionCount : 256;
    for (uint32_t feature = 0; feature < ordinary; ++feature)
        if (document[feature] < kAnyOption &&
            FindConflict(q.model, installable, document, feature, document[feature]))
            return true;
    return false;
}

bool ResolutionOffered(const Query& q)
{
    const LONG dpi = q.work->pub.dmPrintQuality;
    const bool listed = FeatureOfKind(q.model, kKindResolution) != nullptr;
    const LONG fallback = listed && q.model->defaultResolution
                              ? static_cast<LONG>(q.model->defaultResolution)
                              : static_cast<LONG>(kModelFallbackResolution);
    return dpi == fallback || (dpi > 0 && OffersResolution(q.model, static_cast<uint32_t>(dpi)));
}

} // namespace

BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo)
{
    if (!pDQPInfo)
        return FALSE;
    if (!pDQPInfo->pDevMode)
        return TRUE;
    SpoolerCall call(pDQPInfo->hPrinter);
    BOOL ok = FALSE;
    UINT pending = kNoMessage;
    ModelContext* model = AcquireModelContext(pDQPInfo->hPrinter, kUseCachedModel);
    if (!model)
        pending = kModelUnavailable;
    auto* work = static_cast<DriverDevmode*>(GlobalAlloc(GPTR, sizeof(DriverDevmode)));
    const DEVMODEW* job = pDQPInfo->pDevMode;
    const Query q = {pDQPInfo, model, job, work};
    if (!work) {
        Report(pDQPInfo, kOutOfMemory);
        goto done;
    }
    {
        WCHAR deviceName[CCHDEVICENAME + 1] = {};
        lstrcpynW(deviceName, job->dmDeviceName, CCHDEVICENAME);
        if (!BuildDefaultDevmode(&work->pub, deviceName, model, IsA4Locale(), pDQPInfo->hPrinter) ||
            !MergeDevmode(&work->pub, job, model, pDQPInfo->hPrinter)) {
            Report(pDQPInfo, kUnusableDevmode);
            goto done;
        }
    }
    if (!CheckPaperAndTray(q))
        goto done;
    if (SettingsConflict(q)) {
        Report(pDQPInfo, kSettingsConflict);
        goto done;
    }
    if (!ResolutionOffered(q)) {
        Report(pDQPInfo, kResolutionNotOffered);
        goto done;
    }
    if (pending != kNoMessage)
        Report(pDQPInfo, pending);
    else
        ok = TRUE;
done:
    if (work)
        GlobalFree(work);
    if (model)
        ReleaseModelContext(model);
    return ok;
}
