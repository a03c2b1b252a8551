#pragma once

#include <cstdint>

namespace quaro {

// The colour of one LED (one logical key on the keyboard) as the effects draw it. What reaches
// the device is each channel scaled by the intensity.
struct LedColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t intensity = 0;

    friend constexpr bool operator==(const LedColor&, const LedColor&) = default;
};

constexpr std::uint8_t ScaleChannel(std::uint8_t channel, std::uint8_t intensity) {
    return static_cast<std::uint8_t>((channel * intensity) / 256);
}

}  // namespace quaro
