#include "devices/mouse/MouseButtonMap.h"

#include "devices/keyboard/KeyMaps.h"

namespace quaro {

MouseButtonMap BuildMouseButtonMap(std::span<const std::uint8_t> image, int buttonCount) {
    MouseButtonMap map;
    map.fill(kNoMouseButtonSlot);
    if (buttonCount <= 0 || buttonCount > kMaxKeySlots ||
        image.size() < static_cast<std::size_t>(buttonCount) * 3) {
        return map;
    }
    for (std::size_t button = 0; button < map.size(); ++button) {
        const KeyCode wanted = kMouseDefaultButtonTable[button];
        for (int physical = 0; physical < buttonCount; ++physical) {
            const std::size_t at = static_cast<std::size_t>(physical) * 3;
            if (KeyCode{image[at], image[at + 1], image[at + 2]} == wanted) {
                map[button] = static_cast<std::uint8_t>(physical);
                break;
            }
        }
    }
    return map;
}

int LogicalButtonAtSlot(const MouseButtonMap& map, int physicalSlot) {
    for (std::size_t button = 0; button < map.size(); ++button) {
        if (map[button] != kNoMouseButtonSlot && map[button] == physicalSlot) {
            return static_cast<int>(button);
        }
    }
    return -1;
}

}  // namespace quaro
