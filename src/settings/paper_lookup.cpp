// From a DEVMODE's paper code to the paper's size in points and its form
// name: user-defined sizes from the record, standard papers from the model,
// the driver's own papers from printer data "CstPaper".
#include "settings/paper_lookup.h"

#include "core/model_queries.h"
#include "settings/printer_data.h"

#include <cstring>

namespace {

// What a driver paper becomes when the printer has none of its own: a
// user-defined paper of 3 x 4.56 inches.
const LONG kEmptyListWidth = 300;    // hundredths of an inch
const LONG kEmptyListLength = 456;

struct PageSizeCode {
    const char* keyword;
    short code;
};
// Models without a "Paper" feature: page-size keywords and their codes.
const PageSizeCode kPageSizeCodes[] = {
    {"A4", 9},           {"Letter", 1},      {"Legal", 5},       {"Executive", 7},
    {"A5", 11},          {"B5", 34},         {"JISB5", 13},      {"B6", 264},
    {"Com10", 20},       {"Monarch", 37},    {"DL", 27},         {"C5", 28},
    {"C4", 30},          {"User", 256},      {"OrganizerJ", 257}, {"OrganizerK", 258},
    {"OrganizerL", 259}, {"OrganizerM", 260}, {"A6", 70},        {"A4Long", 262},
    {"3x5", 261},        {"Postcard", 43},   {"JE4", 91},        {"JL3", 73},
};

// Hundredths of an inch to points in 24.8 fixed point, truncating.
LONG FixedPointsOfHundredths(LONG hundredths)
{
    return (hundredths * 72 / 100) * 256;
}

LONG FixedPointsOfTenthsMm(LONG tenths)
{
    return FixedPointsOfHundredths(tenths * 100 / 254);
}

// The model keyword of a paper code: the "Paper" option with that value,
// or, without that feature, the page size whose keyword maps to it.
const char* ModelKeywordOfPaper(const ModelContext* model, short code)
{
    if (!model) return nullptr;
    if (const ModelFeature* paper = FeatureOfKind(model, kKindPaper)) {
        for (uint32_t i = 0; i < paper->optionCount; ++i)
            if (OptionValueNumber(&paper->options[i]) == code) return paper->options[i].keyword;
        return nullptr;
    }
    if (const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize))
        for (uint32_t i = 0; i < pageSize->optionCount; ++i)
            if (PaperCodeOfPageSize(pageSize->options[i].keyword) == code)
                return pageSize->options[i].keyword;
    return nullptr;
}

const ModelOption* PageSizeOption(const ModelContext* model, const char* keyword)
{
    const ModelFeature* pageSize = FeatureOfKind(model, kKindPageSize);
    if (!pageSize || !keyword) return nullptr;
    for (uint32_t i = 0; i < pageSize->optionCount; ++i)
        if (pageSize->options[i].keyword && strcmp(pageSize->options[i].keyword, keyword) == 0)
            return &pageSize->options[i];
    return nullptr;
}

void SetFormName(DEVMODEW* record, PaperSize* size, const WCHAR* name)
{
    lstrcpynW(size->formName, name, CCHFORMNAME);
    lstrcpynW(record->dmFormName, name, CCHFORMNAME);
}

void SetFormNameFromKeyword(DEVMODEW* record, PaperSize* size, const char* keyword)
{
    // Converted whole, then cut: a short buffer would fail the conversion.
    WCHAR name[256] = {};
    MultiByteToWideChar(CP_ACP, 0, keyword, -1, name, ARRAYSIZE(name) - 1);
    SetFormName(record, size, name);
}

// The private part, when the record carries this driver's.
const PrivateSettings* PrivatePartOf(const DEVMODEW* record)
{
    if (record->dmDriverExtra < sizeof(PrivateSettings)) return nullptr;
    const PrivateSettings* priv = reinterpret_cast<const PrivateSettings*>(
        reinterpret_cast<const BYTE*>(record) + record->dmSize);
    return priv->signature == kPrivateSignature ? priv : nullptr;
}

}  // namespace

PaperLookUpStatus LookUpPaper(HANDLE printer, DEVMODEW* record, const ModelContext* model,
                              PaperSize* size)
{
    if (!record || !size) return kPaperNotFound;
    ZeroMemory(size, sizeof(*size));
    const short code = record->dmPaperSize;

    if (code == kUserDefinedPaper) {
        const PrivateSettings* priv = PrivatePartOf(record);
        // A foreign record keeps its custom size in the public fields.
        size->width = FixedPointsOfTenthsMm(priv ? priv->customPaperWidth : record->dmPaperWidth);
        size->length =
            FixedPointsOfTenthsMm(priv ? priv->customPaperLength : record->dmPaperLength);
        const char* keyword = ModelKeywordOfPaper(model, kUserDefinedPaper);
        if (keyword)
            SetFormNameFromKeyword(record, size, keyword);
        else
            SetFormName(record, size, L"User");
        return kPaperUserDefined;
    }

    if (code >= kFirstDriverPaper && code <= kLastDriverPaper) {
        ProfileCustomPaperList papers;
        LONG width = FixedPointsOfHundredths(kEmptyListWidth);
        LONG length = FixedPointsOfHundredths(kEmptyListLength);
        if (ReadCustomPapers(printer, &papers)) {
            if (papers.count == 0) {
                // The paper was deleted with the last of the printer's own
                // sizes: the record falls back to a user-defined size.
                record->dmPaperSize = kUserDefinedPaper;
            }
            for (uint32_t i = 0; i < papers.count && i < kMaxCustomPapers; ++i)
                if (papers.papers[i].code == static_cast<uint16_t>(code)) {
                    width = FixedPointsOfTenthsMm(static_cast<LONG>(papers.papers[i].width));
                    length = FixedPointsOfTenthsMm(static_cast<LONG>(papers.papers[i].length));
                    break;
                }
        }
        size->width = width;
        size->length = length;
        SetFormName(record, size, L"User");
        return kPaperUserDefined;
    }

    const char* keyword = ModelKeywordOfPaper(model, code);
    const ModelOption* option = PageSizeOption(model, keyword);
    // A page size without a dimension cannot be laid out.
    if (!option || !option->width || !option->height) return kPaperNotFound;
    size->width = option->width;
    size->length = option->height;
    SetFormNameFromKeyword(record, size, keyword);
    return kPaperFound;
}

WORD PaperCodeOfPageSize(const char* keyword)
{
    for (const PageSizeCode& row : kPageSizeCodes)
        if (keyword && strcmp(row.keyword, keyword) == 0)
            return static_cast<WORD>(row.code);
    return DMPAPER_LETTER;
}
