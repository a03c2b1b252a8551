#pragma once

#include "devices/keyboard/KeyMaps.h"
#include "devices/light/LedColor.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quaro {

// Bytes of the light frame for these maps: one RGB triple per light position of the device.
constexpr std::size_t KeyLightFrameLength(const KeyMaps& maps) {
    return static_cast<std::size_t>(maps.keyCount) * 3;
}

// Writes the frame into out (at least KeyLightFrameLength bytes) and returns its length: each
// mapped key's scaled colour at its light position, every other byte 0. A light position the
// device reported beyond its own frame is skipped rather than written past the end.
std::size_t ComposeKeyLightFrame(std::span<const LedColor> keyColors, const KeyMaps& maps,
                                 std::span<std::uint8_t> out);

}  // namespace quaro
