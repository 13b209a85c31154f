#include "ui/dialog_placement.h"

namespace {

const int kAncestorLevels = 31;

LONGLONG AreaOf(HWND window)
{
    RECT box;
    if (!GetWindowRect(window, &box))
        return -1;
    return static_cast<LONGLONG>(box.right - box.left) * (box.bottom - box.top);
}

LONG Clamp(LONG value, LONG low, LONG high)
{
    if (value > high)
        value = high;
    return value < low ? low : value;
}

} // namespace

POINT PlaceDialogRect(const RECT& anchor, SIZE dialog, const RECT& screen)
{
    POINT corner;
    corner.x = anchor.left + (anchor.right - anchor.left - dialog.cx) / 2;
    corner.y = anchor.top + (anchor.bottom - anchor.top - dialog.cy) * 2 / 5;
    corner.x = Clamp(corner.x, screen.left, screen.right - dialog.cx);
    corner.y = Clamp(corner.y, screen.top, screen.bottom - dialog.cy);
    return corner;
}

HWND PlacementAnchor(HWND dialog)
{
    HWND parent = GetParent(dialog);
    HWND best = nullptr;
    LONGLONG bestArea = -1;
    HWND ancestor = parent;
    for (int level = 0; ancestor && level < kAncestorLevels; ++level) {
        const LONGLONG area = AreaOf(ancestor);
        if (area > bestArea) {
            best = ancestor;
            bestArea = area;
        }
        ancestor = GetParent(ancestor);
    }
    // A chain deeper than the search is not one the dialogs come from.
    return ancestor ? parent : best;
}

void PlaceDialog(HWND dialog)
{
    RECT own;
    if (!GetWindowRect(dialog, &own))
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    HWND anchor = PlacementAnchor(dialog);
    if (!GetMonitorInfoW(MonitorFromWindow(anchor ? anchor : dialog, MONITOR_DEFAULTTONEAREST),
                         &monitor))
        return;
    RECT over = monitor.rcWork;
    if (anchor)
        GetWindowRect(anchor, &over);
    const SIZE size = {own.right - own.left, own.bottom - own.top};
    const POINT corner = PlaceDialogRect(over, size, monitor.rcWork);
    SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
