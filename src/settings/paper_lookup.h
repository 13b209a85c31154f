// The paper look-up: the size and form name of a record's paper, from the
// model's page sizes, the driver's own papers or the user-defined size.
#pragma once

#include "core/model_context.h"

#include <windows.h>

enum PaperLookUpStatus { kPaperFound = 0, kPaperUserDefined = 1, kPaperNotFound = 2 };

struct PaperSize {
    LONG width;             // points, 24.8 fixed point
    LONG length;
    WCHAR formName[CCHFORMNAME];
};

// Windows paper code of a page-size keyword (Letter when unknown), for
// models that list no paper codes of their own.
WORD PaperCodeOfPageSize(const char* keyword);

// Size and form name of the record's dmPaperSize; writes dmFormName too.
// 256 and the driver's papers 300..315 always succeed: a driver paper the
// printer's list lacks measures 3 x 4.56 inches, and one looked up while
// the list is empty turns the record's dmPaperSize into 256. A model paper
// whose page size has no dimension counts as not found.
PaperLookUpStatus LookUpPaper(HANDLE printer, DEVMODEW* record, const ModelContext* model,
                              PaperSize* size);
