#pragma once

#include "devices/light/LedColor.h"

#include <array>
#include <cstdint>
#include <span>

namespace quaro {

inline constexpr int kHeadsetLedCount = 13;
inline constexpr int kHeadsetReportCount = 12;
inline constexpr std::size_t kHeadsetReportSize = 17;
// The headset's LED controller misreads values above 0xF7.
inline constexpr std::uint8_t kHeadsetMaxChannel = 0xF7;
// The light frame the headset's page hands its driver: one scaled RGB triple per LED.
inline constexpr std::size_t kHeadsetFrameSize = 3 * kHeadsetLedCount;

using HeadsetLightReport = std::array<std::uint8_t, kHeadsetReportSize>;
using HeadsetLightReports = std::array<HeadsetLightReport, kHeadsetReportCount>;

// The twelve output reports of one headset light frame: for red, then green, then blue, LEDs 0-6
// and 7-12 to group 0x22, then the same to group 0x44. Missing LEDs send 0.
HeadsetLightReports ComposeHeadsetLightReports(std::span<const LedColor> leds);

// The same from a frame already scaled by intensity (RGB per LED, as ComposeLedLightFrame makes
// it); every value is still capped. A short frame leaves the missing LEDs dark.
HeadsetLightReports ComposeHeadsetLightReportsFromFrame(std::span<const std::uint8_t> frame);

}  // namespace quaro
