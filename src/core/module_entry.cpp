#include "core/module_entry.h"

#include "core/ini_section.h"
#include "core/model_cache.h"
#include "core/module_state.h"
#include "core/spooler_info.h"
#include "ui/controls.h"

#include <cwchar>

ModuleState g_module;

const WCHAR kSpinClassName[] = L"TX3300UD_1";
const WCHAR kHintLineClassName[] = L"TX3300UD_3";
const WCHAR kLanguageModuleName[] = L"KVUILANG.DLL";

namespace {

const WCHAR* const kStandardClassNames[kControlClassSlots] = {
    L"Button", L"ComboBox", L"Edit", L"ListBox", L"ScrollBar", kSpinClassName,
};

// CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW: global, so that
// dialog templates of the language module can name the classes.
const UINT kControlClassStyle = 0x400B;

ATOM RegisterControlClass(const WCHAR* name, WNDPROC proc)
{
    WNDCLASSW wc = {};
    wc.style = kControlClassStyle;
    wc.lpfnWndProc = proc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = sizeof(LONG_PTR);   // one pointer-sized slot per window
    wc.hInstance = g_module.moduleHandle;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassW(&wc);
}

void CaptureClassProcedures()
{
    for (int i = 0; i < kControlClassSlots; ++i) {
        WNDCLASSW wc = {};
        g_module.classProcs[i] =
            GetClassInfoW(nullptr, kStandardClassNames[i], &wc) ? wc.lpfnWndProc : nullptr;
        g_module.replacementProcs[i] = ControlReplacementProc(static_cast<ControlClassSlot>(i));
    }
}

} // namespace

HMODULE LoadLanguageModuleBeside(const WCHAR* moduleFileName)
{
    WCHAR path[MAX_PATH + 16];
    const WCHAR* slash = moduleFileName ? wcsrchr(moduleFileName, L'\\') : nullptr;
    if (!slash) {
        wcscpy(path, kLanguageModuleName);
    } else {
        size_t dirLength = static_cast<size_t>(slash - moduleFileName) + 1;
        if (dirLength + wcslen(kLanguageModuleName) >= ARRAYSIZE(path))
            return nullptr;
        wmemcpy(path, moduleFileName, dirLength);
        wcscpy(path + dirLength, kLanguageModuleName);
    }
    return LoadLibraryW(path);
}

BOOL ModuleProcessAttach(HMODULE self)
{
    g_module.moduleHandle = self;

    WCHAR fileName[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(self, fileName, MAX_PATH);
    HMODULE language = (length > 0 && length < MAX_PATH) ? LoadLanguageModuleBeside(fileName)
                                                         : nullptr;
    g_module.resourceModule = language ? language : self;

    InitialiseModelCache();

    if (!g_module.classAtom1)
        g_module.classAtom1 = RegisterControlClass(kSpinClassName, SpinControlWndProc);
    if (!g_module.classAtom3)
        g_module.classAtom3 = RegisterControlClass(kHintLineClassName, HintLineWndProc);

    CaptureClassProcedures();
    return TRUE;
}

BOOL ModuleProcessDetach()
{
    UnregisterClassW(kSpinClassName, g_module.moduleHandle);
    UnregisterClassW(kHintLineClassName, g_module.moduleHandle);
    g_module.classAtom1 = 0;
    g_module.classAtom3 = 0;

    if (g_module.resourceModule && g_module.resourceModule != g_module.moduleHandle)
        FreeLibrary(g_module.resourceModule);
    g_module.resourceModule = nullptr;

    DestroyModelCache();
    ForgetDriverInfo();
    ForgetIniSections();
    return TRUE;
}

BOOL ModuleSiblingPath(const WCHAR* name, WCHAR* path, size_t capacity)
{
    WCHAR own[MAX_PATH + 1] = {};
    if (!name || !path || capacity == 0)
        return FALSE;
    DWORD length = GetModuleFileNameW(g_module.moduleHandle, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    WCHAR* slash = wcsrchr(own, L'\\');
    const size_t directory = slash ? static_cast<size_t>(slash + 1 - own) : 0;
    if (directory + wcslen(name) >= capacity)
        return FALSE;
    wmemcpy(path, own, directory);
    wcscpy(path + directory, name);
    return TRUE;
}
