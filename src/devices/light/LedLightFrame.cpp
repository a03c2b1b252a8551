#include "devices/light/LedLightFrame.h"

#include <algorithm>

namespace quaro {

std::size_t ComposeLedLightFrame(std::span<const LedColor> leds, std::span<std::uint8_t> out) {
    const std::size_t count = std::min(leds.size(), out.size() / 3);
    for (std::size_t i = 0; i < count; ++i) {
        out[3 * i] = ScaleChannel(leds[i].red, leds[i].intensity);
        out[3 * i + 1] = ScaleChannel(leds[i].green, leds[i].intensity);
        out[3 * i + 2] = ScaleChannel(leds[i].blue, leds[i].intensity);
    }
    return 3 * count;
}

}  // namespace quaro
