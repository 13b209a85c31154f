// Process-wide state of the module, created at process attach and destroyed
// at process detach.
#pragma once

#include <windows.h>

// The standard control classes whose procedures the driver's dialogs
// subclass, in slot order; the last is the driver's own spin class.
enum ControlClassSlot {
    kSlotButton = 0,
    kSlotComboBox,
    kSlotEdit,
    kSlotListBox,
    kSlotScrollBar,
    kSlotSpin,
    kControlClassSlots
};

struct ModuleState {
    HMODULE moduleHandle;
    HMODULE resourceModule;    // language module, or moduleHandle as fallback
    ATOM    spinClassAtom;     // "TX3300UD_1"
    ATOM    hintLineClassAtom; // "TX3300UD_3"
    WNDPROC classProcs[kControlClassSlots];
    WNDPROC replacementProcs[kControlClassSlots];
};

extern ModuleState g_module;

extern const WCHAR kSpinClassName[];      // "TX3300UD_1"
extern const WCHAR kHintLineClassName[];  // "TX3300UD_3"
extern const WCHAR kLanguageModuleName[]; // "KVUILANG.DLL"
