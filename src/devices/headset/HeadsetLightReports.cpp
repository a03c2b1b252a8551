#include "devices/headset/HeadsetLightReports.h"

#include <algorithm>

namespace quaro {

std::array<HeadsetLightReport, kHeadsetReportCount> ComposeHeadsetLightReports(
    std::span<const LedColor> leds) {
    std::array<std::array<std::uint8_t, kHeadsetLedCount>, 3> channels{};
    const std::size_t count = std::min<std::size_t>(leds.size(), kHeadsetLedCount);
    for (std::size_t i = 0; i < count; ++i) {
        const LedColor& led = leds[i];
        channels[0][i] = std::min(ScaleChannel(led.red, led.intensity), kHeadsetMaxChannel);
        channels[1][i] = std::min(ScaleChannel(led.green, led.intensity), kHeadsetMaxChannel);
        channels[2][i] = std::min(ScaleChannel(led.blue, led.intensity), kHeadsetMaxChannel);
    }
    // Per channel: command for LEDs 0-6, command for LEDs 7-12.
    constexpr std::array<std::array<std::uint8_t, 2>, 3> kCommands = {{
        {0xAA, 0xAD},
        {0xAB, 0xAE},
        {0xAC, 0xAF},
    }};
    constexpr std::array<std::uint8_t, 2> kGroups = {0x22, 0x44};
    std::array<HeadsetLightReport, kHeadsetReportCount> reports{};
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
                    report[4 + (led - first)] = channels[channel][led];
                }
            }
        }
    }
    return reports;
}

}  // namespace quaro
