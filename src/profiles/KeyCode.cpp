#include "profiles/KeyCode.h"

namespace quaro {

int KeyCodePanelTab(KeyCode code) {
    switch (code.type) {
        case key_type::kMouseButton:
            return 1;
        case key_type::kMouseSwing:
            return 2;
        case key_type::kMouseWheel:
            return 3;
        case key_type::kDpiFunction:
            return 4;
        case key_type::kFireKey:
            return 5;
        case key_type::kKeyboard:
            // Modifier sets from RWin upwards are offered as combinations, not as a single key.
            return code.first >= 129 ? 11 : 6;
        case key_type::kConsumer:
            return 7;
        case key_type::kSystem:
            return 8;
        case key_type::kMacro:
        case key_type::kMacroRepeat:
            return 9;
        case key_type::kGunKey:
            return 10;
        case key_type::kNoFunction:
            return 11;
        default:
            return 0;
    }
}

}  // namespace quaro
