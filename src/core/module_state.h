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
    ATOM    classAtom1;        // "TX3300UD_1", the spin control; 0 until registered
    ATOM    classAtom3;        // "TX3300UD_3", the hint line; 0 until registered
    WNDPROC classProcs[kControlClassSlots];
    WNDPROC replacementProcs[kControlClassSlots];
};

extern ModuleState g_module;

extern const WCHAR kSpinClassName[];      // "TX3300UD_1"
extern const WCHAR kHintLineClassName[];  // "TX3300UD_3"
extern const WCHAR kLanguageModuleName[]; // "KVUILANG.DLL"
