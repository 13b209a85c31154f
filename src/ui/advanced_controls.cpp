// The Advanced page's simple controls as rows: which DEVMODE bits each
// radio, check box and combo box edits. Behaviour beyond setting the bits
// lives in the category modules.
#include "ui/advanced_page_internal.h"

#include "settings/devmode_bits.h"
#include "ui/paper_choices.h"

#include <cstring>

namespace {

enum RowKind : BYTE { kRadio, kCheck, kCombo };

// A field of the DriverDevmode: its offset and width (1, 2 or 4 bytes).
struct FieldRef {
    WORD offset;
    BYTE width;
};
#define KV_FIELD(path) FieldRef{static_cast<WORD>(offsetof(DriverDevmode, path)), \
                                static_cast<BYTE>(sizeof(DriverDevmode::path))}

// Radio: selected when (field & mask) == on; choosing it stores on.
// Check: checked when (field & mask) == on; clearing it stores off.
// Combo: selects the entry whose data is field & mask; stores the data.
struct ControlRow {
    WORD id;
    AdvancedCategory category;
    RowKind kind;
    FieldRef field;
    DWORD mask;
    DWORD on;
    DWORD off;
};

#define PRIV(name) KV_FIELD(priv.name)
#define PROC(name) KV_FIELD(priv.processor.name)

const ControlRow kRows[] = {
    {kIdResolution1200, kCategoryQuality, kRadio, KV_FIELD(pub.dmPrintQuality), 0xFFFF, 1200, 0},
    {kIdResolution600, kCategoryQuality, kRadio, KV_FIELD(pub.dmPrintQuality), 0xFFFF, 600, 0},
    {kIdResolution300, kCategoryQuality, kRadio, KV_FIELD(pub.dmPrintQuality), 0xFFFF, 300, 0},
    {kIdTonerSaveOff, kCategoryQuality, kRadio, PRIV(economy), 0xFFFF, 0, 0},
    {kIdTonerSaveOn, kCategoryQuality, kRadio, PRIV(economy), 0xFFFF, 1, 0},
    {249, kCategoryQuality, kRadio, PRIV(defaultSet), 0xFF, 0, 0},
    {250, kCategoryQuality, kRadio, PRIV(defaultSet), 0xFF, 1, 0},
    {251, kCategoryQuality, kRadio, PRIV(defaultSet), 0xFF, 2, 0},
    {252, kCategoryQuality, kRadio, PRIV(defaultSet), 0xFF, 3, 0},

    {kIdDuplex, kCategoryDuplex, kCheck, PRIV(duplex), kDuplexOn, kDuplexOn, 0},
    {kIdDuplexUnit, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexAutomatic, kDuplexAutomatic, 0},
    {kIdManualDuplex, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexAutomatic, 0, 0},
    {266, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexLayoutMask, 0, 0},
    {267, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexLayoutMask, 1, 0},
    {268, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexLayoutMask, 2, 0},
    {269, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexLayoutMask, 3, 0},
    {270, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexLayoutMask, 4, 0},
    {271, kCategoryDuplex, kRadio, PRIV(duplex), kDuplexLayoutMask, 5, 0},
    {kIdBindingOffset, kCategoryDuplex, kCheck, PRIV(bindFlags), kBindOffsetOn, kBindOffsetOn, 0},

    {kIdUseWatermark, kCategoryWatermark, kCheck, PROC(watermark.on), 1, 1, 0},
    {kIdTransparent, kCategoryWatermark, kCheck, PROC(watermarkRop), 0xFFFFFFFF, 0x8800C6, 0x00CC0020},
    {kIdOutlineText, kCategoryWatermark, kCheck, PROC(watermarkOutline), 0xFF, 1, 0},

    {kIdMirror, kCategoryPageSetting, kCheck, PRIV(imageProcess), 0x01, 0x01, 0},
    {kIdReverse, kCategoryPageSetting, kCheck, PRIV(imageProcess), 0x02, 0x02, 0},

    {kIdReprint, kCategoryDeviceOptions, kCheck, PRIV(mopy), kMopyOn, kMopyOn, 0},
    {kIdLastJobReprint, kCategoryDeviceOptions, kRadio, PRIV(mopy), kMopyModeMask, 0, 0},
    {kIdSecurePrint, kCategoryDeviceOptions, kRadio, PRIV(mopy), kMopyModeMask, 1, 0},
    {kIdPublic, kCategoryDeviceOptions, kRadio, PRIV(mopy), kMopyModeMask, 2, 0},
    {kIdProof, kCategoryDeviceOptions, kRadio, PRIV(mopy), kMopyModeMask, 3, 0},
    {kIdSystemName, kCategoryDeviceOptions, kCheck, PRIV(mopy), kMopyNoSystemUser, 0, kMopyNoSystemUser},
    {349, kCategoryDeviceOptions, kRadio, PRIV(qps), 0xFF, 1, 0},
    {350, kCategoryDeviceOptions, kRadio, PRIV(qps), 0xFF, 0, 0},
    {kIdSleepAuto, kCategoryDeviceOptions, kRadio, PRIV(sleepMode), 0xFFFF, 0, 0},
    {326, kCategoryDeviceOptions, kRadio, PRIV(sleepMode), 0xFFFF, 1, 0},
    {kIdSleepOff, kCategoryDeviceOptions, kRadio, PRIV(sleepMode), 0xFFFF, 2, 0},
    {kIdSleepManual, kCategoryDeviceOptions, kRadio, PRIV(sleepMode), 0xFFFF, 3, 0},
    {333, kCategoryDeviceOptions, kRadio, PRIV(statusMonitor), 0xFF, 3, 0},
    {334, kCategoryDeviceOptions, kRadio, PRIV(statusMonitor), 0xFF, 0, 0},
    {kIdPageProtect, kCategoryDeviceOptions, kCombo, PRIV(pageProtect), 0xFFFF, 0, 0},
    {382, kCategoryDeviceOptions, kCheck, PROC(headerFooterFlags), kHeaderFooterOn, kHeaderFooterOn, 0},
    {kIdDensityDefault, kCategoryDeviceOptions, kCheck, PRIV(biasOn), 0xFFFF, 1, 0},
    {kIdTransferDefault, kCategoryDeviceOptions, kRadio, PRIV(biasVolt), 0xFF, 0, 0},
    {360, kCategoryDeviceOptions, kRadio, PRIV(biasVolt), 0xFF, 1, 0},
    {361, kCategoryDeviceOptions, kRadio, PRIV(biasVolt), 0xFF, 2, 0},
    {362, kCategoryDeviceOptions, kRadio, PRIV(biasVolt), 0xFF, 3, 0},
    {kIdTransferMode4, kCategoryDeviceOptions, kRadio, PRIV(biasVolt), 0xFF, 4, 0},
    {kIdHrc, kCategoryDeviceOptions, kCombo, PRIV(ret), 0xFFFF, 0, 0},
    {416, kCategoryDeviceOptions, kRadio, PRIV(errorPrint), 0xFFFF, 0, 0},
    {417, kCategoryDeviceOptions, kRadio, PRIV(errorPrint), 0xFFFF, 1, 0},
    {418, kCategoryDeviceOptions, kRadio, PRIV(errorPrint), 0xFFFF, 2, 0},
    {422, kCategoryDeviceOptions, kCheck, PRIV(paperHandling), kPaperReduceCurl, kPaperReduceCurl, 0},
    {423, kCategoryDeviceOptions, kCheck, PRIV(paperHandling), kPaperImproveFixing, kPaperImproveFixing, 0},
    {388, kCategoryDeviceOptions, kCheck, PRIV(useDevmodeCollate), 0xFF, 1, 0},
    {kIdBanding, kCategoryDeviceOptions, kCombo, PRIV(bandingMode), 0xFFFF, 0, 0},
    {kIdPosterBanding, kCategoryDeviceOptions, kCombo, PRIV(modeSelector2), kPosterBandingMask, 0, 0},
    {399, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x01, 0x01, 0},
    {400, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x02, 0x02, 0},
    {401, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x04, 0x04, 0},
    {402, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x08, 0x08, 0},
    {403, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x10, 0x10, 0},
    {404, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x20, 0x20, 0},
    {405, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x40, 0x40, 0},
    {406, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x80, 0x80, 0},
    {1021, kCategoryDeviceOptions, kCheck, PRIV(specialFlags), 0x200, 0x200, 0},
    {420, kCategoryDeviceOptions, kCheck, PRIV(modeSelector2), 0x80, 0x80, 0},
    {kIdXpsAdjust, kCategoryDeviceOptions, kCombo, PRIV(savedSwitch), 0xFF, 0, 0},
    {kIdXpsAlignment, kCategoryDeviceOptions, kCombo, PRIV(savedMode), 0xFF, 0, 0},
};

DWORD ReadField(const DriverDevmode& record, FieldRef field)
{
    const BYTE* at = reinterpret_cast<const BYTE*>(&record) + field.offset;
    switch (field.width) {
    case 1: return *at;
    case 2: { WORD value; memcpy(&value, at, 2); return value; }
    default: { DWORD value; memcpy(&value, at, 4); return value; }
    }
}

void WriteField(DriverDevmode* record, FieldRef field, DWORD value)
{
    BYTE* at = reinterpret_cast<BYTE*>(record) + field.offset;
    switch (field.width) {
    case 1: *at = static_cast<BYTE>(value); break;
    case 2: { WORD word = static_cast<WORD>(value); memcpy(at, &word, 2); break; }
    default: memcpy(at, &value, 4); break;
    }
}

void WriteBits(DriverDevmode* record, const ControlRow& row, DWORD bits)
{
    const DWORD value = ReadField(*record, row.field);
    WriteField(record, row.field, (value & ~row.mask) | (bits & row.mask));
}

const ControlRow* RowOf(WORD id)
{
    for (const ControlRow& row : kRows)
        if (row.id == id)
            return &row;
    return nullptr;
}

} // namespace

void LoadCategoryRows(HWND page, UiSession* session, AdvancedCategory category)
{
    for (const ControlRow& row : kRows) {
        if (row.category != category)
            continue;
        const DWORD bits = ReadField(session->devmode, row.field) & row.mask;
        if (row.kind == kCombo)
            SelectComboByData(GetDlgItem(page, row.id), bits);
        else
            CheckDlgButton(page, row.id, bits == row.on ? BST_CHECKED : BST_UNCHECKED);
    }
}

bool StoreRowControl(HWND page, UiSession* session, WORD id)
{
    const ControlRow* row = RowOf(id);
    if (!row || row->kind == kCombo)
        return false;
    const bool checked = IsDlgButtonChecked(page, id) == BST_CHECKED;
    if (row->kind == kRadio && !checked)
        return true;
    WriteBits(&session->devmode, *row, checked ? row->on : row->off);
    return true;
}

bool StoreComboRow(HWND page, UiSession* session, WORD id)
{
    const ControlRow* row = RowOf(id);
    if (!row || row->kind != kCombo)
        return false;
    const LRESULT data = SelectedComboData(GetDlgItem(page, id), -1);
    if (data != -1)
        WriteBits(&session->devmode, *row, static_cast<DWORD>(data));
    return true;
}

void CopyCategoryRowFields(DriverDevmode* target, const DriverDevmode& defaults, AdvancedCategory category)
{
    for (const ControlRow& row : kRows)
        if (row.category == category)
            WriteBits(target, row, ReadField(defaults, row.field));
}
