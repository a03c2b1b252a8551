#include "devices/keyboard/KeyLightFrame.h"

#include <algorithm>

namespace quaro {

std::size_t ComposeKeyLightFrame(std::span<const LedColor> keyColors, const KeyMaps& maps,
                                 std::span<std::uint8_t> out) {
    const std::size_t length = std::min(KeyLightFrameLength(maps), out.size());
    std::fill_n(out.begin(), length, std::uint8_t{0});
    const std::size_t keys = std::min<std::size_t>(keyColors.size(), kLogicalKeyCount);
    for (std::size_t key = 0; key < keys; ++key) {
        const std::size_t position = maps.light[key];
        if (position == kNoKeyEntry || position * 3 + 2 >= length) {
            continue;
        }
        const LedColor& color = keyColors[key];
        out[position * 3] = ScaleChannel(color.red, color.intensity);
        out[position * 3 + 1] = ScaleChannel(color.green, color.intensity);
        out[position * 3 + 2] = ScaleChannel(color.blue, color.intensity);
    }
    return length;
}

}  // namespace quaro
