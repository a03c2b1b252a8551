#pragma once

#include "devices/keyboard/KeyboardDriver.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/MacroLibrary.h"

#include <vector>

namespace quaro {

// Keys that run a macro the library no longer holds go back to their default code, so the
// keyboard never runs a macro slot that the next download leaves empty. True when any changed.
bool RevertOrphanedMacroKeys(std::vector<KeyAssignmentEntry>& keys, int macroCount);

// What a loaded keyboard profile puts into the keyboard: its light setting, its system words,
// every macro of the library in list order and its key list with orphaned macro keys reverted.
// The page and the command line compose the same image, so a profile applied either way leaves
// the keyboard in the same state.
KeyboardProfileImage ComposeKeyboardProfileImage(CKeyboardProfiledata& profile,
                                                 const MacroLibrary& macros);

}  // namespace quaro
