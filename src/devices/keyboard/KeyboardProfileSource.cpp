#include "devices/keyboard/KeyboardProfileSource.h"

namespace quaro {

bool RevertOrphanedMacroKeys(std::vector<KeyAssignmentEntry>& keys, int macroCount) {
    bool changed = false;
    for (KeyAssignmentEntry& key : keys) {
        if (IsMacroCode(key.code) && key.code.first >= macroCount) {
            key.code = key.defaultCode;
            changed = true;
        }
    }
    return changed;
}

KeyboardProfileImage ComposeKeyboardProfileImage(CKeyboardProfiledata& profile,
                                                 const MacroLibrary& macros) {
    KeyboardProfileImage image;
    image.light = profile.GetLightInfo();
    image.system = SystemSettings::FromWords(profile.GetSystemStages());
    const int macroCount = macros.Count();
    image.macros.reserve(static_cast<std::size_t>(macroCount));
    for (int number = 0; number < macroCount; ++number) {
        image.macros.push_back(macros.Load(number));
    }
    image.keys = profile.GetKeyList();
    RevertOrphanedMacroKeys(image.keys, macroCount);
    return image;
}

}  // namespace quaro
