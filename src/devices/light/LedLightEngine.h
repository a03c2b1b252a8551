#pragma once

#include "devices/light/CustomEffectPlayer.h"
#include "devices/light/LightListComposer.h"
#include "devices/light/LightPrimitives.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace quaro {

enum class LedDeviceKind { kMouse, kPad, kHeadset };

// Every mode of the mouse, pad and headset steps with the same periods (passes of the light
// thread).
constexpr std::uint8_t LedLightPeriod(std::uint8_t speed) {
    return SpeedPeriod(speed);
}

// The most LEDs an engine drives: as many as the keyboard has keys.
inline constexpr int kMaxLedCount = 126;

struct LedLightState {
    BaseLightState base;
    std::uint8_t phase = 0;
    std::uint8_t counter = 0;
    // The pad and headset chases read group g's level at g + 1, so a chase over every LED needs
    // one level past the last LED.
    std::array<std::uint8_t, kMaxLedCount + 1> level{};
    LightRing ring{};
};

// The software light effects of the devices with a row of LEDs: the mouse, the mouse pad and the
// headset. Like the keyboard engine it has no thread of its own and keeps its steps and the
// snapshots other threads take apart with its lock.
class LedLightEngine {
public:
    LedLightEngine(LedDeviceKind kind, int ledCount, MillisecondClock clock);

    // Clears the chase levels and ring and places the chase's first marks.
    void Start();

    // One step of the device's mode; the setting's speed is the effective speed. The per-LED
    // settings of overlay, when given, are laid over the result.
    void Step(std::uint8_t mode, const LightSetting& setting, LightListComposer* overlay = nullptr);

    // A consistent copy of the LED colours, for another thread than the light thread.
    void SnapshotColors(std::span<LedColor> out) const;

    // Direct views for the thread that steps the engine (and for tests).
    std::span<LedColor> Colors() { return m_colors; }
    std::span<const LedColor> Colors() const { return m_colors; }
    const LedLightState& State() const { return m_state; }
    CustomEffectPlayer& CustomEffect() { return m_custom; }

private:
    void RunStep(std::uint8_t mode, const LightSetting& setting);
    void Wave(const LightSetting& setting);
    void Chase(const LightSetting& setting, int groupSize, int groupCount, int ringLength);
    void SeedRing(int ringLength);

    LedDeviceKind m_kind;
    MillisecondClock m_clock;
    mutable std::mutex m_lock;
    LedLightState m_state;
    std::vector<LedColor> m_colors;
    CustomEffectPlayer m_custom;
};

}  // namespace quaro
