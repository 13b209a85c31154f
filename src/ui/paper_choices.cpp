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

// One list of codes and one of names, side by side, on the session heap.
struct ChoiceList {
    DWORD count;
    WORD* codes;
    WCHAR* names;
    int nameChars;
};

void FreeChoices(UiSession* session, ChoiceList* list)
{
    if (list->names)
        HeapFree(session->heap, 0, list->names);
    if (list->codes)
        HeapFree(session->heap, 0, list->codes);
    *list = ChoiceList{};
}

BOOL ReadChoices(UiSession* session, WORD codesIndex, WORD namesIndex, int nameChars, ChoiceList* list)
{
    *list = ChoiceList{};
    list->nameChars = nameChars;
    const DWORD count = Capability(session, codesIndex, nullptr);
    if (count == 0 || count == static_cast<DWORD>(-1))
        return FALSE;
    list->codes = static_cast<WORD*>(HeapAlloc(session->heap, HEAP_ZERO_MEMORY, count * sizeof(WORD)));
    list->names = static_cast<WCHAR*>(
        HeapAlloc(session->heap, HEAP_ZERO_MEMORY, count * nameChars * sizeof(WCHAR)));
    if (list->codes && list->names && Capability(session, codesIndex, list->codes) == count &&
        Capability(session, namesIndex, list->names) == count) {
        list->count = count;
        return TRUE;
    }
    FreeChoices(session, list);
    return FALSE;
}

// The i-th name, terminated even when it fills its slot.
void CopyName(const ChoiceList& list, DWORD i, WCHAR* name, int capacity)
{
    const int limit = capacity < list.nameChars + 1 ? capacity : list.nameChars + 1;
    lstrcpynW(name, list.names + i * list.nameChars, limit);
}

int FillCombo(HWND combo, UiSession* session, WORD codesIndex, WORD namesIndex, int nameChars)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ChoiceList list;
    if (!ReadChoices(session, codesIndex, namesIndex, nameChars, &list))
        return 0;
    int added = 0;
    for (DWORD i = 0; i < list.count; ++i) {
        WCHAR name[kPaperNameChars + 1];
        CopyName(list, i, name, ARRAYSIZE(name));
        const LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (item < 0)
            break;
        SendMessageW(combo, CB_SETITEMDATA, item, list.codes[i]);
        ++added;
    }
    FreeChoices(session, &list);
    return added;
}

BOOL NameOf(UiSession* session, WORD codesIndex, WORD namesIndex, int nameChars, WORD code,
            WCHAR* name, int capacity)
{
    ChoiceList list;
    if (!ReadChoices(session, codesIndex, namesIndex, nameChars, &list))
        return FALSE;
    BOOL found = FALSE;
    for (DWORD i = 0; i < list.count && !found; ++i) {
        if (list.codes[i] == code) {
            CopyName(list, i, name, capacity);
            found = TRUE;
        }
    }
    FreeChoices(session, &list);
    return found;
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

BOOL PaperNameOf(UiSession* session, WORD code, WCHAR* name, int capacity)
{
    return NameOf(session, DC_PAPERS, DC_PAPERNAMES, kPaperNameChars, code, name, capacity);
}

BOOL SourceNameOf(UiSession* session, WORD code, WCHAR* name, int capacity)
{
    return NameOf(session, DC_BINS, DC_BINNAMES, kBinNameChars, code, name, capacity);
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
