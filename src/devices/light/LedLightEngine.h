#pragma once

#include "devices/DeviceRecords.h"
#include "devices/light/CustomEffectPlayer.h"
#include "devices/light/LightPrimitives.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace quaro {

enum class LedDeviceKind { kMouse, kPad, kHeadset };

// Every mode of the mouse, pad and headset steps with the same periods (passes of the light
// thread).
constexpr std::uint8_t LedLightPeriod(std::uint8_t speed) {
    return SpeedPeriod(speed);
}

struct LedLightState {
    BaseLightState base;
    std::uint8_t phase = 0;
    std::uint8_t counter = 0;
    std::array<std::uint8_t, 126> level{};
    LightRing ring{};
};

// The software light effects of the devices with a row of LEDs: the mouse, the mouse pad and the
// headset. Like the keyboard engine it has no thread of its own.
class LedLightEngine {
public:
    LedLightEngine(LedDeviceKind kind, int ledCount, MillisecondClock clock);

    // Clears the chase levels and ring and places the chase's first marks.
    void Start();

    // One step of the device's mode; the setting's speed is the effective speed.
    void Step(std::uint8_t mode, const LightSetting& setting);

    std::span<LedColor> Colors() { return m_colors; }
    std::span<const LedColor> Colors() const { return m_colors; }
    const LedLightState& State() const { return m_state; }
    CustomEffectPlayer& CustomEffect() { return m_custom; }

private:
    void Wave(const LightSetting& setting);
    void Chase(const LightSetting& setting, int groupSize, int groupCount, int ringLength);
    void SeedRing(int ringLength);

    LedDeviceKind m_kind;
    MillisecondClock m_clock;
    LedLightState m_state;
    std::vector<LedColor> m_colors;
    CustomEffectPlayer m_custom;
};

}  // namespace quaro
