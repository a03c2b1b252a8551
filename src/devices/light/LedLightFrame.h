#pragma once

#include "devices/light/LedColor.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quaro {

// The light frame of a page whose light positions are its LEDs in order (mouse, pad): one scaled
// RGB triple per LED. Writes at most out.size() / 3 LEDs and returns the frame's length.
std::size_t ComposeLedLightFrame(std::span<const LedColor> leds, std::span<std::uint8_t> out);

// The colour value a key button of the device picture is painted with: red, blue and green from
// the low byte up, the order the picture's buttons take it in.
constexpr std::uint32_t PreviewColorValue(const LedColor& color) {
    return color.red | (std::uint32_t{color.blue} << 8) | (std::uint32_t{color.green} << 16);
}

}  // namespace quaro
