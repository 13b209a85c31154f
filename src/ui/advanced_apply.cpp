// The Advanced page's apply: the checks that may keep the page open, the
// booklet and duplex fields the job needs, and the machine-wide XPS values
// the rendering side reads.
#include "ui/advanced_page_internal.h"

#include "lifecycle/driver_files.h"
#include "settings/devmode_bits.h"
#include "settings/devmode_merge.h"
#include "ui/sheet_session.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace {

const WCHAR kXpsFolders[][8] = {L"Zentari", L"PrtDrv"};
const WCHAR kXpsFileName[] = L"KVEXT07.INI";
const WCHAR kXpsSection[] = L"Rip";

// A refused apply shows the offending control: the job-spooling function.
void ShowSpooling(HWND page, UiSession* session, AdvancedState* state)
{
    for (int button = 0; button < state->categories.count; ++button) {
        if (state->categories.kinds[button] != kCategoryDeviceOptions)
            continue;
        const int previous = state->button;
        state->button = button;
        state->function = 0;
        InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + previous), nullptr, FALSE);
        InvalidateRect(GetDlgItem(page, kIdFirstCategoryButton + button), nullptr, FALSE);
        ShowCategoryControls(page, state);
        FillFunctionList(page, session, state);
        return;
    }
}

LONG ReadXpsOffset(HWND page, WORD id, LONG current)
{
    WCHAR text[32];
    GetDlgItemTextW(page, id, text, ARRAYSIZE(text));
    LONGLONG value;
    const LONG offset = ReadDecimalText(text, &value) ? ClampXpsOffset(value) : current;
    SetDlgItemInt(page, id, offset, TRUE);
    return offset;
}

void WriteXpsSettings(HWND page)
{
    WCHAR path[MAX_PATH];
    if (!XpsSettingsPath(path, ARRAYSIZE(path), true))
        return;
    WCHAR memory[16];
    GetDlgItemTextW(page, kIdXpsMemory, memory, ARRAYSIZE(memory));
    LONGLONG megabytes;
    WritePrivateProfileStringW(kXpsSection, L"Memory", ReadDecimalText(memory, &megabytes) ? memory : nullptr, path);
    WritePrivateProfileStringW(kXpsSection, L"Halftone",
                               IsDlgButtonChecked(page, kIdXpsHalftone) == BST_CHECKED ? L"1" : L"0", path);
    GiveNullDacl(path);
}

} // namespace

bool XpsSettingsPath(WCHAR* path, size_t capacity, bool createFolders)
{
    if (capacity < MAX_PATH ||
        FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return false;
    for (const WCHAR* folder : kXpsFolders) {
        const size_t used = wcslen(path);
        const int written = swprintf(path + used, capacity - used, L"\\%ls", folder);
        if (written < 0)
            return false;
        if (createFolders)
            CreateDirectoryW(path, nullptr);
    }
    const size_t used = wcslen(path);
    const int written = swprintf(path + used, capacity - used, L"\\%ls", kXpsFileName);
    return written > 0;
}

BOOL ApplyAdvancedPage(HWND page, UiSession* session, AdvancedState* state)
{
    PrivateSettings& priv = session->devmode.priv;
    if (NeedsSecurePin(priv)) {
        ShowSpooling(page, session, state);
        if (!CheckSecurePin(page, session))
            return FALSE;
    }
    StoreSecurePin(page, session);
    if (NeedsOwnSpoolNames(priv)) {
        ShowSpooling(page, session, state);
        if (!CheckOwnNames(page, session))
            return FALSE;
    }
    StoreSpoolNames(page, session);
    StoreBindingOffset(page, session, state);
    SettleBookletAndDuplex(&priv, session->devmode.pub.dmOrientation);
    if (priv.macroFlags & kMacroSave)
        NormalizeMacroFields(&priv);
    // The host delivers the sheet's result while the page reports: the
    // offsets must be in the record before.
    priv.savedCode1 = ReadXpsOffset(page, kIdXpsOffsetX, priv.savedCode1);
    priv.savedCode2 = ReadXpsOffset(page, kIdXpsOffsetY, priv.savedCode2);
    ReportPageApplied(session, kSlotAdvanced);
    WriteXpsSettings(page);
    SaveRequestedProfile(session);
    return TRUE;
}
