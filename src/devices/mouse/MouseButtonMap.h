#pragma once

#include "devices/mouse/MouseTables.h"

#include <array>
#include <cstdint>
#include <span>

namespace quaro {

// The mouse marks a logical button without a physical slot with 126 (the keyboard uses 255).
inline constexpr std::uint8_t kNoMouseButtonSlot = 126;

using MouseButtonMap = std::array<std::uint8_t, kMouseButtonCount>;

// Finds each logical button's factory code among the button image's slots; the first matching
// slot wins. image holds buttonCount codes; a shorter image or a count beyond what one image can
// carry leaves every button without a slot.
MouseButtonMap BuildMouseButtonMap(std::span<const std::uint8_t> image, int buttonCount);

// The logical button at a physical slot, or -1.
int LogicalButtonAtSlot(const MouseButtonMap& map, int physicalSlot);

}  // namespace quaro
