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

    // One step of the device's mode; the setting's speed is the effective speed.
    void Step(std::uint8_t mode, const LightSetting& setting);

    // Lays the per-LED settings over the LED colours. The light thread calls it after every
    // pass, stepped or not: the settings' own cycles count passes.
    void Compose(LightListComposer& list);

    // The page flags of the mouse's group chase (mode 5), one per direction: while the flag of
    // the current direction is set, a group keeps the colour of its first LED instead of taking
    // its place on the wheel.
    void SetGroupColorFlags(bool forward, bool backward);

    // Consistent copies of the LED colours and the effect state, for any thread.
    void SnapshotColors(std::span<LedColor> out) const;
    std::vector<LedColor> SnapshotColors() const;
    LedLightState SnapshotState() const;

    // Sets the LED colours from another thread (the light sync drives them so): as many LEDs as
    // colours are given.
    void SetColors(std::span<const LedColor> colors);
    void SetAllColors(const LedColor& color);

    int LedCount() const { return static_cast<int>(m_colors.size()); }

    // The player has its own lock.
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
    bool m_groupFlagForward = false;
    bool m_groupFlagBackward = false;
    std::vector<LedColor> m_colors;
    CustomEffectPlayer m_custom;
};

}  // namespace quaro
