// The pages' previews: owner-drawn buttons showing a picture of the model
// resource module (paper and tray pictures, layout thumbnails and the like).
#pragma once

#include <windows.h>

// The size the model module wants its large pictures drawn at, from its
// picture metrics (two 32-bit numbers, width then height). FALSE when the
// module has no metrics or they are not two positive numbers.
BOOL ReadPreviewMetrics(HMODULE modelModule, SIZE* size);

// A picture of the model module, or of this module's resources when the
// model module lacks it. Null when neither has it; the caller deletes it.
HBITMAP LoadPreviewPicture(HMODULE modelModule, UINT pictureId);

// Stretches a picture of the model module (or of this module) over target,
// mirrored left to right or top to bottom when asked. FALSE when neither
// module has the picture.
BOOL DrawModelPicture(HDC dc, HMODULE modelModule, UINT pictureId, const RECT& target,
                      bool mirrorAcross = false, bool mirrorDown = false);

// The plain drawing of a sheet of paper when a picture is missing.
void DrawPlainSheet(HDC dc, const RECT& sheet);

// Paints an owner-drawn preview from its WM_DRAWITEM: the item is cleared to
// the button face and the picture drawn centred in it, stretched to size
// when given (else at its own size) and never beyond the item.
void DrawPreviewItem(const DRAWITEMSTRUCT* item, HBITMAP picture, const SIZE* size);

// Paints an owner-drawn push button from its WM_DRAWITEM: the button frame
// (sunk while selected, inactive while disabled, with extraFrame's DFCS_
// states added), the window text in the system colour textColor, centred
// with textFormat's DT_ flags added, and the focus rectangle.
void DrawFramedCaption(const DRAWITEMSTRUCT* item, UINT extraFrame, int textColor, UINT textFormat);
