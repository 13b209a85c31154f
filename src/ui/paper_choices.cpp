#include "ui/paper_choices.h"

#include "platform/driverui.h"

namespace {

const int kPaperNameChars = 64;
const int kBinNameChars = 24;

// Asks the driver's own capability answer, with the session's settings.
DWORD Capability(UiSession* session, WORD index, void* output)
{
    return DrvDeviceCapabilities(session->printer, session->devmode.pub.dmDeviceName, index,
                                 output, &session->devmode.pub);
}

// One list of codes and one of names, side by side, into the combo.
int FillCombo(HWND combo, UiSession* session, WORD codesIndex, WORD namesIndex, int nameChars)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const DWORD count = Capability(session, codesIndex, nullptr);
    if (count == 0 || count == static_cast<DWORD>(-1))
        return 0;
    auto* codes = static_cast<WORD*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, count * sizeof(WORD)));
    auto* names = static_cast<WCHAR*>(
        HeapAlloc(session->heap, HEAP_ZERO_MEMORY, count * nameChars * sizeof(WCHAR)));
    int added = 0;
    if (codes && names && Capability(session, codesIndex, codes) == count &&
        Capability(session, namesIndex, names) == count) {
        for (DWORD i = 0; i < count; ++i) {
            WCHAR name[kPaperNameChars + 1] = {};
            lstrcpynW(name, names + i * nameChars, nameChars + 1);
            const LRESULT item =
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            if (item < 0)
                break;
            SendMessageW(combo, CB_SETITEMDATA, item, codes[i]);
            ++added;
        }
    }
    if (names)
        HeapFree(session->heap, 0, names);
    if (codes)
        HeapFree(session->heap, 0, codes);
    return added;
}

} // namespace

int FillPaperCombo(HWND combo, UiSession* session)
{
    return FillCombo(combo, session, DC_PAPERS, DC_PAPERNAMES, kPaperNameChars);
}

int FillSourceCombo(HWND combo, UiSession* session)
{
    return FillCombo(combo, session, DC_BINS, DC_BINNAMES, kBinNameChars);
}

BOOL SelectComboByData(HWND combo, LRESULT value)
{
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == value) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT SelectedComboData(HWND combo, LRESULT fallback)
{
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return selected < 0 ? fallback : SendMessageW(combo, CB_GETITEMDATA, selected, 0);
}
