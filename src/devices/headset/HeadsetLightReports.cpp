#include "devices/headset/HeadsetLightReports.h"

#include "devices/light/LedLightFrame.h"

#include <algorithm>

namespace quaro {

HeadsetLightReports ComposeHeadsetLightReports(std::span<const LedColor> leds) {
    std::array<std::uint8_t, kHeadsetFrameSize> frame{};
    const std::size_t count = std::min<std::size_t>(leds.size(), kHeadsetLedCount);
    ComposeLedLightFrame(leds.first(count), frame);
    return ComposeHeadsetLightReportsFromFrame(frame);
}

HeadsetLightReports ComposeHeadsetLightReportsFromFrame(std::span<const std::uint8_t> frame) {
    // Per channel: command for LEDs 0-6, command for LEDs 7-12.
    constexpr std::array<std::array<std::uint8_t, 2>, 3> kCommands = {{
        {0xAA, 0xAD},
        {0xAB, 0xAE},
        {0xAC, 0xAF},
    }};
    constexpr std::array<std::uint8_t, 2> kGroups = {0x22, 0x44};
    const auto value = [&frame](int led, int channel) -> std::uint8_t {
        const auto at = static_cast<std::size_t>(3 * led + channel);
        return at < frame.size() ? std::min(frame[at], kHeadsetMaxChannel) : 0;
    };
    HeadsetLightReports reports{};
    std::size_t next = 0;
    for (int channel = 0; channel < 3; ++channel) {
        for (std::uint8_t group : kGroups) {
            for (int half = 0; half < 2; ++half) {
                HeadsetLightReport& report = reports[next++];
                report[0] = 0xFF;
                report[1] = group;
                report[2] = kCommands[channel][half];
                const int first = half == 0 ? 0 : 7;
                const int last = half == 0 ? 7 : kHeadsetLedCount;
                for (int led = first; led < last; ++led) {
                    report[4 + (led - first)] = value(led, channel);
                }
            }
        }
    }
    return reports;
}

}  // namespace quaro
