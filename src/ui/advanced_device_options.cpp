// The Advanced page's Device Options category: the list of printer
// functions and each function's controls, the job-spooling checks, sleep
// time, density and the machine-wide XPS values.
#include "ui/advanced_page_internal.h"

#include "core/file_list.h"
#include "core/model_queries.h"
#include "settings/devmode_bits.h"
#include "ui/controls.h"
#include "ui/paper_choices.h"
#include "ui/setting_dialog_support.h"
#include "ui/setting_dialogs.h"
#include "ui/sheet_session.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

struct FunctionGroup {
    WORD code;
    UINT nameId;
    WORD first;
    WORD last;
};
// Each listed function's name and controls.
const FunctionGroup kFunctionGroups[] = {
    {0, 14027, 365, 378},   {1, 14028, 348, 351},   {2, 14029, 324, 331},   {3, 14030, 332, 334},
    {4, 14031, 338, 347},   {7, 14034, 318, 322},   {8, 14041, 381, 383},   {9, 14037, 407, 414},
    {10, 14036, 385, 386},  {14, 14039, 415, 418},  {15, 14040, 421, 423},  {256, 13720, 387, 388},
    {257, 13721, 389, 393}, {258, 13722, 398, 406}, {261, 4055, 1020, 1021}, {262, 13723, 419, 420},
    {263, 13724, 1050, 1064},
};
const WORD kFunctionSpooling = 0;
const WORD kFunctionSleep = 2;
const WORD kFunctionDensity = 9;
const WORD kSleepOffAllowed = 0x01;   // specialFlags: "Off" is offered
const WORD kSleepOff = 2, kSleepPrinterDefault = 1;
const UINT kSecurePrintName = 3757;

const UINT kPinText = 3971, kPinTitle = 3970;
const UINT kUserNameText = 65313, kJobNameText = 65314;
const UINT kRangeText = 389, kErrorTitle = 3067;
const int kUserNameChars = 60, kJobNameChars = 80;
const int kDensityLowest = -6, kDensityHighest = 6;
const WORD kSpoolSecureOnMask = kMopyOn | kMopyModeMask;

// Choices whose codes the printer reads as numbers: the banding modes
// 0 to 4, the four fit types of the XPS scaling and its nine alignments.
const WORD kNumberedCombos[][2] = {
    {kIdBanding, 5}, {kIdPosterBanding, 5}, {kIdXpsAdjust, 4}, {kIdXpsAlignment, 9},
};

const FunctionGroup* GroupOf(WORD code)
{
    for (const FunctionGroup& group : kFunctionGroups)
        if (group.code == code)
            return &group;
    return nullptr;
}

void FillFeatureCombo(HWND combo, const ModelContext* model, ModelFeatureKind kind)
{
    const ModelFeature* feature = FeatureOfKind(model, kind);
    for (uint32_t i = 0; feature && i < feature->optionCount; ++i) {
        const ModelOption& option = feature->options[i];
        const char* name = option.translation && option.translation[0] ? option.translation : option.keyword;
        WCHAR text[64];
        MultiByteToWideChar(CP_ACP, 0, name ? name : "", -1, text, ARRAYSIZE(text));
        text[ARRAYSIZE(text) - 1] = L'\0';
        const LRESULT entry = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(combo, CB_SETITEMDATA, entry, OptionValueNumber(&option));
    }
}

void FillNumberedCombo(HWND combo, WORD count)
{
    for (WORD code = 0; code < count; ++code) {
        WCHAR text[8];
        swprintf(text, ARRAYSIZE(text), L"%u", code);
        const LRESULT entry = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(combo, CB_SETITEMDATA, entry, code);
    }
}

// The model's sleep delays, in minutes: its first listed value up to the
// largest the printer accepts.
void SleepRange(const UiSession* session, int* lowest, int* highest)
{
    *lowest = static_cast<int>(SleepModeItem(session->model, 0));
    *highest = static_cast<int>(SleepModeItem(session->model, 99));
    if (*highest > 99)
        *highest = 99;
    if (*lowest >= *highest)
        *lowest = 1;
}

void ShowDensity(HWND page, const UiSession* session)
{
    WCHAR text[8];
    FormatSignedLevel(session->devmode.priv.biasValue, text, ARRAYSIZE(text));
    SetDlgItemTextW(page, kIdDensityValue, text);
    SetScrollPos(GetDlgItem(page, kIdDensityBar), SB_CTL, session->devmode.priv.biasValue, TRUE);
}

void ShowSleepTime(HWND page, const UiSession* session)
{
    SetDlgItemInt(page, kIdSleepTime, session->devmode.priv.sleepTime, FALSE);
    SendDlgItemMessageW(page, kIdSleepSpin, kSpinSetPosition, session->devmode.priv.sleepTime, 0);
}

void LoadSpoolingTexts(HWND page, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    SendDlgItemMessageW(page, kIdUserName, EM_LIMITTEXT, kUserNameChars, 0);
    SendDlgItemMessageW(page, kIdJobName, EM_LIMITTEXT, kJobNameChars, 0);
    SendDlgItemMessageW(page, kIdPassword, EM_LIMITTEXT, 4, 0);
    SetDlgItemTextW(page, kIdUserName, priv.mopyUser);
    SetDlgItemTextW(page, kIdJobName, priv.mopyJob);
    WCHAR pin[8] = {};
    if (priv.mopyPin >= 0)
        swprintf(pin, ARRAYSIZE(pin), L"%04d", priv.mopyPin);
    SetDlgItemTextW(page, kIdPassword, pin);
}

void LoadXpsValues(HWND page, const UiSession* session)
{
    SetDlgItemInt(page, kIdXpsOffsetX, session->devmode.priv.savedCode1, TRUE);
    SetDlgItemInt(page, kIdXpsOffsetY, session->devmode.priv.savedCode2, TRUE);
    WCHAR path[MAX_PATH], memory[16] = {};
    if (!XpsSettingsPath(path, ARRAYSIZE(path), false))
        return;
    GetPrivateProfileStringW(L"Rip", L"Memory", L"", memory, ARRAYSIZE(memory), path);
    SetDlgItemTextW(page, kIdXpsMemory, memory);
    CheckDlgButton(page, kIdXpsHalftone,
                   GetPrivateProfileIntW(L"Rip", L"Halftone", 0, path) == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void LoadDeviceOptionTexts(HWND page, UiSession* session)
{
    LoadCategoryRows(page, session, kCategoryDeviceOptions);
    LoadSpoolingTexts(page, session);
    ShowSleepTime(page, session);
    ShowDensity(page, session);
    LoadXpsValues(page, session);
}

// Which job-spooling controls the model's spooling class shows.
void ShowSpoolingClass(HWND page, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    switch (SpoolingClass(priv)) {
    case 1: ShowControls(page, kIdLastJobReprint, kIdPassword, false); break;
    case 2: ShowControls(page, kIdLastJobReprint, kIdProof, false); break;
    case 3: ShowControls(page, kIdPublic, kIdProof, false); break;
    default: break;
    }
    ShowControls(page, kIdSpoolHelp, kIdSpoolHelp, false);
}

void EnableSpooling(HWND page, const UiSession* session)
{
    const PrivateSettings& priv = session->devmode.priv;
    const bool permitted = HasPermission(session);
    const bool reprint = permitted && (priv.mopy & kMopyOn);
    const SecurePrintChoice choice = SecurePrintChoiceOf(priv, AdvancedStateOf(page)->secureAppOnly != FALSE);
    EnableControl(page, kIdReprint, permitted && choice.reprintBox);
    for (WORD id = kIdLastJobReprint; id <= kIdJobName; ++id)
        if (IsWindowVisible(GetDlgItem(page, id)))
            EnableControl(page, id, reprint && (id != kIdSecurePrint || choice.secureRadio));
    const bool ownNames = reprint && (priv.mopy & kMopyNoSystemUser);
    EnableControl(page, kIdUserName, ownNames);
    EnableControl(page, kIdJobName, ownNames);
    const bool secure = permitted && (priv.mopy & kSpoolSecureOnMask) == (kMopyOn | 1);
    if (IsWindowVisible(GetDlgItem(page, kIdPassword))) {
        EnableControl(page, kIdPasswordLabel, secure);
        EnableControl(page, kIdPassword, secure);
    }
}

void EnableFunction(HWND page, const UiSession* session, const FunctionGroup& group)
{
    const PrivateSettings& priv = session->devmode.priv;
    const bool permitted = HasPermission(session);
    for (WORD id = group.first; id <= group.last; ++id)
        EnableControl(page, id, permitted);
    switch (group.code) {
    case kFunctionSpooling:
        ShowSpoolingClass(page, session);
        EnableSpooling(page, session);
        break;
    case kFunctionSleep:
        if (!(priv.specialFlags & kSleepOffAllowed))
            ShowControls(page, kIdSleepOff, kIdSleepOff, false);
        EnableControl(page, kIdSleepTime, permitted && priv.sleepMode == 3);
        EnableControl(page, kIdSleepSpin, permitted && priv.sleepMode == 3);
        break;
    case kFunctionDensity:
        EnableControl(page, kIdDensityBar, permitted && !priv.biasOn);
        EnableControl(page, kIdDensityValue, permitted && !priv.biasOn);
        // The transfer voltage goes with the density, for models that offer it.
        ShowControls(page, kIdTransferGroup, kIdTransferMode4, priv.showBiasVolt != 0);
        for (WORD id = kIdTransferGroup; id <= kIdTransferMode4; ++id)
            EnableControl(page, id, permitted && priv.showBiasVolt);
        break;
    default:
        break;
    }
}

void StoreSleepTime(HWND page, UiSession* session)
{
    WCHAR text[16];
    GetDlgItemTextW(page, kIdSleepTime, text, ARRAYSIZE(text));
    LONGLONG minutes;
    AdvancedStateOf(page)->loading = TRUE;
    if (!ReadDecimalText(text, &minutes)) {
        ShowSleepTime(page, session);
        AdvancedMessage(page, session, kRangeText, kErrorTitle, MB_OK | MB_ICONHAND);
    } else {
        int lowest, highest;
        SleepRange(session, &lowest, &highest);
        session->devmode.priv.sleepTime =
            static_cast<WORD>(minutes < lowest ? lowest : minutes > highest ? highest : minutes);
        ShowSleepTime(page, session);
    }
    AdvancedStateOf(page)->loading = FALSE;
}

void CopyEditText(HWND page, WORD id, WCHAR* field, int capacity)
{
    GetDlgItemTextW(page, id, field, capacity);
}

void OnSpoolingCommand(HWND page, UiSession* session, WORD id, WORD code)
{
    PrivateSettings& priv = session->devmode.priv;
    if (id == kIdUserName && code == EN_CHANGE)
        CopyEditText(page, id, priv.mopyUser, kUserNameChars + 1);
    else if (id == kIdJobName && code == EN_CHANGE)
        CopyEditText(page, id, priv.mopyJob, kJobNameChars + 1);
    else if (id == kIdReprint && code == BN_CLICKED && (priv.mopy & kMopyOn) &&
             SpoolingClass(priv) == kSecurePrintClass)
        priv.mopy = static_cast<WORD>((priv.mopy & ~kMopyModeMask) | 1);
    if (code == BN_CLICKED) {
        AdvancedStateOf(page)->loading = TRUE;
        LoadCategoryRows(page, session, kCategoryDeviceOptions);
        AdvancedStateOf(page)->loading = FALSE;
        EnableSpooling(page, session);
    }
}

// The macro and header-footer dialogs edit the record in place; Cancel
// puts back what they may have changed.
void RunMacroSetting(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    const BYTE flags = priv.macroFlags, count = priv.macroCount;
    const DWORD id = priv.macroId;
    WCHAR name[ARRAYSIZE(priv.macroName)];
    memcpy(name, priv.macroName, sizeof(name));
    if (RunMacroDialog(page, session) == IDOK)
        return;
    priv.macroFlags = flags;
    priv.macroCount = count;
    priv.macroId = id;
    memcpy(priv.macroName, name, sizeof(name));
}

void RunHeaderFooterSetting(HWND page, UiSession* session)
{
    ProcessorBlock& block = session->devmode.priv.processor;
    const DWORD flags = block.headerFooterFlags, colour = block.headerFooterColor;
    const DWORD backColour = block.headerFooterBackColor;
    const LOGFONTW font = block.headerFooterFont;
    const BYTE idWatermark = block.idWatermark;
    WCHAR idName[ARRAYSIZE(block.idWatermarkName)];
    memcpy(idName, block.idWatermarkName, sizeof(idName));
    if (RunHeaderFooterDialog(page, session) != IDOK) {
        block.headerFooterFlags = flags;
        block.headerFooterColor = colour;
        block.headerFooterBackColor = backColour;
        block.headerFooterFont = font;
        block.idWatermark = idWatermark;
        memcpy(block.idWatermarkName, idName, sizeof(idName));
    }
    AdvancedStateOf(page)->loading = TRUE;
    LoadCategoryRows(page, session, kCategoryDeviceOptions);
    AdvancedStateOf(page)->loading = FALSE;
}

bool SpoolingShown(HWND page, const AdvancedState* state)
{
    return CurrentCategory(state) == kCategoryDeviceOptions && state->function == kFunctionSpooling &&
           IsWindowVisible(GetDlgItem(page, kIdReprint));
}

} // namespace

void InitDeviceOptions(HWND page, UiSession* session, AdvancedState* state)
{
    state->secureAppOnly =
        GetPrivateProfileIntW(kPrinterInfoSection, L"SecureAppOnly", 1, session->printerInfoFile) != 0;
    FillFeatureCombo(GetDlgItem(page, kIdPageProtect), session->model, kKindPageProtect);
    FillFeatureCombo(GetDlgItem(page, kIdHrc), session->model, kKindHRC);
    for (const auto& combo : kNumberedCombos)
        FillNumberedCombo(GetDlgItem(page, combo[0]), combo[1]);
    int lowest, highest;
    SleepRange(session, &lowest, &highest);
    SendDlgItemMessageW(page, kIdSleepSpin, kSpinSetRange, 0, MAKELONG(lowest, highest));
    SetScrollRange(GetDlgItem(page, kIdDensityBar), SB_CTL, kDensityLowest, kDensityHighest, FALSE);
    SendDlgItemMessageW(page, kIdXpsOffsetX, EM_LIMITTEXT, 12, 0);
    SendDlgItemMessageW(page, kIdXpsOffsetY, EM_LIMITTEXT, 12, 0);
    SetDlgItemInt(page, kIdPrinterMemory, session->devmode.priv.printerMemory, FALSE);
    LoadDeviceOptionTexts(page, session);
    FillFunctionList(page, session, state);
}

void FillFunctionList(HWND page, UiSession* session, AdvancedState* state)
{
    const PrivateSettings& priv = session->devmode.priv;
    const ModelContext* model = session->model;
    FunctionFacts facts = {};
    facts.modelCaps = priv.modelCaps;
    facts.modelFeatures = priv.modelFeatures;
    facts.resourceNumber = priv.resourceNumber;
    facts.serviceItems = priv.serviceItems;
    facts.sleepModes = model && model->sleepModeList;
    facts.statusMonitor = SheetOf(session)->statusMonitorAvailable != 0;
    facts.macros = model && (model->driverSwitches & kSwitchMacroSetting);
    facts.pageProtect = FeatureOfKind(model, kKindPageProtect) != nullptr;
    facts.hrc = FeatureOfKind(model, kKindHRC) != nullptr;
    state->functionCount = ListPrinterFunctions(facts, state->functions, kMaxFunctions);

    HWND list = GetDlgItem(page, kIdFunctionList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    bool kept = false;
    for (int i = 0; i < state->functionCount; ++i) {
        const FunctionGroup* group = GroupOf(state->functions[i]);
        WCHAR name[64], label[64];
        const bool secure = group->code == kFunctionSpooling && SpoolingClass(priv) == kSecurePrintClass;
        LoadPageString(session, secure ? kSecurePrintName : group->nameId, label, ARRAYSIZE(label));
        StripAccelerators(label, name, ARRAYSIZE(name));
        const LRESULT entry = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(list, LB_SETITEMDATA, entry, group->code);
        if (group->code == state->function) {
            SendMessageW(list, LB_SETCURSEL, entry, 0);
            kept = true;
        }
    }
    if (!kept && state->functionCount > 0) {
        state->function = state->functions[0];
        SendMessageW(list, LB_SETCURSEL, 0, 0);
    }
}

void ShowCurrentFunction(HWND page, UiSession* session, AdvancedState* state)
{
    for (const FunctionGroup& group : kFunctionGroups)
        ShowControls(page, group.first, group.last, false);
    ShowControls(page, kIdTransferGroup, kIdTransferMode4, false);
    if (CurrentCategory(state) != kCategoryDeviceOptions)
        return;
    const FunctionGroup* group = GroupOf(state->function);
    if (!group || state->functionCount == 0)
        return;
    ShowControls(page, group->first, group->last, true);
    EnableFunction(page, session, *group);
}

void SelectFunction(HWND page, UiSession* session, AdvancedState* state, WORD code)
{
    if (code == state->function)
        return;
    if (state->function == kFunctionSpooling && !(CheckSecurePin(page, session) && CheckOwnNames(page, session))) {
        HWND list = GetDlgItem(page, kIdFunctionList);
        for (int i = 0; i < state->functionCount; ++i)
            if (static_cast<WORD>(SendMessageW(list, LB_GETITEMDATA, i, 0)) == kFunctionSpooling)
                SendMessageW(list, LB_SETCURSEL, i, 0);
        return;
    }
    state->function = code;
    ShowCurrentFunction(page, session, state);
}

void OnDeviceOptionCommand(HWND page, UiSession* session, AdvancedState* state, WORD id, WORD code)
{
    if (id == kIdFunctionList) {
        if (code == LBN_SELCHANGE) {
            HWND list = GetDlgItem(page, kIdFunctionList);
            const LRESULT entry = SendMessageW(list, LB_GETCURSEL, 0, 0);
            if (entry != LB_ERR)
                SelectFunction(page, session, state, static_cast<WORD>(SendMessageW(list, LB_GETITEMDATA, entry, 0)));
        }
        return;
    }
    if (id >= kIdSpoolGroup && id <= kIdPassword) {
        OnSpoolingCommand(page, session, id, code);
        return;
    }
    if (id == kIdSleepTime && code == EN_KILLFOCUS) {
        StoreSleepTime(page, session);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kIdQuickSetupItems: RunQuickSetupItemsDialog(page, session); break;
    case kIdMacroSetting: RunMacroSetting(page, session); break;
    case kIdHeaderFooterSetting: RunHeaderFooterSetting(page, session); break;
    default: break;
    }
    if (const FunctionGroup* group = GroupOf(state->function))
        EnableFunction(page, session, *group);
}

bool IsInsideControl(HWND page, WORD id, POINT point)
{
    HWND control = GetDlgItem(page, id);
    RECT area;
    if (!IsWindowVisible(control) || !GetWindowRect(control, &area))
        return false;
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);
    return PtInRect(&area, point) != FALSE;
}

// Two double clicks change what the page offers: inside the sleep group
// "Off" is offered or withdrawn (a withdrawn "Off" that was chosen falls
// back to the printer's default); inside the job-spooling group, with
// modifier keys, the service functions are listed or taken away.
void OnDeviceOptionDoubleClick(HWND page, UiSession* session, AdvancedState* state, POINT point, WPARAM keys)
{
    if (CurrentCategory(state) != kCategoryDeviceOptions || !HasPermission(session))
        return;
    PrivateSettings& priv = session->devmode.priv;
    if (state->function == kFunctionSleep && IsInsideControl(page, kIdSleepGroup, point)) {
        priv.specialFlags ^= kSleepOffAllowed;
        if (!(priv.specialFlags & kSleepOffAllowed) && priv.sleepMode == kSleepOff)
            priv.sleepMode = kSleepPrinterDefault;
        state->loading = TRUE;
        LoadCategoryRows(page, session, kCategoryDeviceOptions);
        state->loading = FALSE;
    } else if (state->function == kFunctionSpooling && IsInsideControl(page, kIdSpoolGroup, point)) {
        const BYTE items = ToggleServiceItems(priv.serviceItems, keys);
        if (items == priv.serviceItems)
            return;
        priv.serviceItems = items;
        FillFunctionList(page, session, state);
    } else {
        return;
    }
    ShowCurrentFunction(page, session, state);
}

void OnSleepSpin(HWND page, UiSession* session, short position)
{
    int lowest, highest;
    SleepRange(session, &lowest, &highest);
    if (position < lowest || position > highest)
        return;
    session->devmode.priv.sleepTime = static_cast<WORD>(position);
    AdvancedStateOf(page)->loading = TRUE;
    SetDlgItemInt(page, kIdSleepTime, position, FALSE);
    AdvancedStateOf(page)->loading = FALSE;
}

void OnDensityScroll(HWND page, UiSession* session, WORD code, short position)
{
    int value = session->devmode.priv.biasValue;
    switch (code) {
    case SB_LINELEFT: value -= 1; break;
    case SB_LINERIGHT: value += 1; break;
    case SB_PAGELEFT: value -= 3; break;
    case SB_PAGERIGHT: value += 3; break;
    case SB_LEFT: value = kDensityLowest; break;
    case SB_RIGHT: value = kDensityHighest; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: value = position; break;
    default: return;
    }
    value = value < kDensityLowest ? kDensityLowest : value > kDensityHighest ? kDensityHighest : value;
    session->devmode.priv.biasValue = static_cast<SHORT>(value);
    ShowDensity(page, session);
}

bool CheckSecurePin(HWND page, UiSession* session)
{
    const AdvancedState* state = AdvancedStateOf(page);
    if (!NeedsSecurePin(session->devmode.priv) || (state && !SpoolingShown(page, state)))
        return true;
    WCHAR pin[16];
    GetDlgItemTextW(page, kIdPassword, pin, ARRAYSIZE(pin));
    if (IsSecurePin(pin))
        return true;
    AdvancedMessage(page, session, kPinText, kPinTitle, MB_OK | MB_ICONHAND);
    SetFocus(GetDlgItem(page, kIdPassword));
    return false;
}

bool CheckOwnNames(HWND page, UiSession* session)
{
    const AdvancedState* state = AdvancedStateOf(page);
    if (state && !SpoolingShown(page, state))
        return true;
    WCHAR user[kUserNameChars + 1], job[kJobNameChars + 1];
    GetDlgItemTextW(page, kIdUserName, user, ARRAYSIZE(user));
    GetDlgItemTextW(page, kIdJobName, job, ARRAYSIZE(job));
    const SpoolNamesCheck check = CheckSpoolNames(session->devmode.priv, user, job);
    if (check == kSpoolNamesGiven)
        return true;
    const bool userMissing = check == kSpoolUserMissing;
    AdvancedMessage(page, session, userMissing ? kUserNameText : kJobNameText, kErrorTitle, MB_OK | MB_ICONHAND);
    SetFocus(GetDlgItem(page, userMissing ? kIdUserName : kIdJobName));
    return false;
}

void StoreSecurePin(HWND page, UiSession* session)
{
    WCHAR pin[16];
    GetDlgItemTextW(page, kIdPassword, pin, ARRAYSIZE(pin));
    PrivateSettings& priv = session->devmode.priv;
    priv.mopyPin = NeedsSecurePin(priv) && IsSecurePin(pin) ? static_cast<SHORT>(_wtoi(pin)) : -1;
}

void StoreSpoolNames(HWND page, UiSession* session)
{
    PrivateSettings& priv = session->devmode.priv;
    CopyEditText(page, kIdUserName, priv.mopyUser, kUserNameChars + 1);
    CopyEditText(page, kIdJobName, priv.mopyJob, kJobNameChars + 1);
}

void ResetDeviceOptionDefaults(HWND page, UiSession* session, AdvancedState* state, const DriverDevmode& defaults)
{
    PrivateSettings& priv = session->devmode.priv;
    const PrivateSettings& from = defaults.priv;
    CopyCategoryRowFields(&session->devmode, defaults, kCategoryDeviceOptions);
    priv.mopyPin = from.mopyPin;
    memcpy(priv.mopyUser, from.mopyUser, sizeof(priv.mopyUser));
    memcpy(priv.mopyJob, from.mopyJob, sizeof(priv.mopyJob));
    priv.sleepTime = from.sleepTime;
    priv.biasValue = from.biasValue;
    priv.savedCode1 = from.savedCode1;
    priv.savedCode2 = from.savedCode2;
    priv.specialFlags &= 0x01;
    priv.modeSelector2 = 0x81;
    priv.useDevmodeCollate = 1;
    const ModelContext* model = session->model;
    priv.bandingMode = model && (model->modelOptionFlags & kModelNoBanding) ? 0 : 1;
    priv.showBiasVolt = model && (model->driverSwitches & kSwitchShowBiasVolt) ? 1 : 0;
    priv.biasVolt = priv.defaultBiasVolt = static_cast<BYTE>(DefaultOptionValue(model, kKindBiasVolt));
    LoadDeviceOptionTexts(page, session);
    FillFunctionList(page, session, state);
}
