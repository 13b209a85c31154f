// Identifiers of the driver's resources, shared by the code and the .rc files.
#pragma once

#define IDS_RESOURCE_NUMBER   391
#define IDS_PROFILE_KEY_FIRST 4000
#define IDS_PROFILE_KEY_LAST  4075
#define IDS_LANGUAGE_NAME     4227
#define IDS_LANGUAGE_SHORT    4228
#define IDS_LANGUAGE_ID       4300

// Watermarks
#define IDS_WATERMARK_STYLE_FIRST 3008   // "Regular" .. "Bold Italic"
#define IDS_WATERMARK_BMP_TITLE   3016
#define IDS_WATERMARK_BMP_MISSING 3017
#define IDS_DEFAULT_FACE          65280  // optional: face of watermarks and headers

// Model resource module: the model's own data block.
#define IDR_MODEL_DATA        13500

// This module: the printer-settings page sent from the Support page.
#define IDR_SETTINGS_PAGE     4783

// Model resource module: the maker's logo and the picture of the printer
// on the Support page and the About dialog.
#define IDB_MAKER_LOGO        13600
#define IDB_MODEL_PICTURE     13601

// Model resource module: the Basic page's illustrations.
#define IDB_SHEET_TALL        13610   // a blank sheet, upright
#define IDB_SHEET_WIDE        13611   // a blank sheet, turned
#define IDB_COPIES_COLLATED   13612   // 48 x 32: sets 1-2-3, 1-2-3
#define IDB_COPIES_UNCOLLATED 13613   // 48 x 32: 1-1, 2-2, 3-3
#define IDB_PRINTER_TRAYS     13614   // the printer with its trays
#define IDB_BOOKLET           13615   // a folded booklet

// Model resource module: the Advanced page's illustrations.
#define IDB_QUALITY_300       13620   // a round edge on the 300 dpi dot grid
#define IDB_QUALITY_600       13621
#define IDB_QUALITY_1200      13622
#define IDB_DUPLEX_OFF        13623   // one printed side
#define IDB_DUPLEX_SIDE       13624   // bound on the left edge (mirrored: right)
#define IDB_DUPLEX_TOP        13625   // bound on the top edge (mirrored: bottom)
