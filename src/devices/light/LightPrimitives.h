#pragma once

#include "devices/light/LedColor.h"
#include "devices/light/LightTables.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace quaro {

// Millisecond tick and random source of the light effects, injected so that a run can be
// replayed exactly.
using MillisecondClock = std::function<std::uint32_t()>;
using RandomSource = std::function<std::uint32_t()>;

MillisecondClock SteadyMillisecondClock();
// A standard minimal-standard generator: the same seed gives the same effect on every machine.
RandomSource SeededRandomSource(std::uint32_t seed);

inline constexpr int kRingSize = 23;
using LightRing = std::array<std::uint8_t, kRingSize>;

// Levels and speeds outside the tables take the last entry rather than reading past it.
constexpr std::uint8_t BrightnessLevel(std::uint8_t level) {
    return kBrightnessLevels[level < kBrightnessLevels.size() ? level
                                                              : kBrightnessLevels.size() - 1];
}
constexpr std::uint8_t SpeedPeriod(std::uint8_t speed) {
    return kSpeedPeriods[speed < kSpeedPeriods.size() ? speed : kSpeedPeriods.size() - 1];
}
constexpr std::uint8_t Scale(std::uint8_t value, std::uint8_t level) {
    return static_cast<std::uint8_t>(value * level / 256);
}
constexpr LedColor WheelLed(std::uint8_t hue, std::uint8_t intensity) {
    const WheelColor& c = kColorWheel[hue];
    return {c.red, c.green, c.blue, intensity};
}
constexpr LedColor SettingLed(const LightSetting& setting, std::uint8_t intensity) {
    return {setting.red, setting.green, setting.blue, intensity};
}

// Phase stepping of the animations: forward wraps to 0 on reaching limit, backward to
// limit - step when it would leave 0 ... limit - 1.
constexpr std::uint8_t StepPhase(bool forward, std::uint8_t limit, std::uint8_t current,
                                 std::uint8_t step) {
    if (forward) {
        const int next = current + step;
        return static_cast<std::uint8_t>(next >= limit ? 0 : next);
    }
    const int next = current - step;
    return static_cast<std::uint8_t>(next < 0 || next >= limit ? limit - step : next);
}

// Animation state of the base steps shared by every device.
struct BaseLightState {
    std::uint8_t animationStep = 0;
    std::uint8_t colorStep = 0;
    bool blinkOn = false;
    std::uint32_t lastToggle = 0;
};

void LightStepBreathing(std::span<LedColor> leds, BaseLightState& state,
                        const LightSetting& setting);
void LightStepBreathingFourColours(std::span<LedColor> leds, BaseLightState& state,
                                   const LightSetting& setting);
void LightStepStatic(std::span<LedColor> leds, const LightSetting& setting);
void LightStepSpectrum(std::span<LedColor> leds, BaseLightState& state,
                       const LightSetting& setting);
void LightStepBlink(std::span<LedColor> leds, BaseLightState& state, const LightSetting& setting,
                    std::uint32_t nowMs);
void LightStepBlinkFourColours(std::span<LedColor> leds, BaseLightState& state,
                               const LightSetting& setting, std::uint32_t nowMs);
void LightStepOff(std::span<LedColor> leds);

// One decay step of a reactive level. Every caller of the effects uses the fast variant.
constexpr std::uint8_t FadeStep(std::uint8_t level, bool fast = true) {
    if (level >= 128) {
        return level - 40;
    }
    if (level >= 64) {
        return level - 30;
    }
    if (level >= 32) {
        return level - 10;
    }
    if (level >= 17) {
        return level - 8;
    }
    if (level == 0) {
        return 0;
    }
    if (fast) {
        return level - 1;
    }
    return level > 4 ? level - 4 : 0;
}

// Base marking: levels 0-8 light where ring bytes 0-8 are set.
void MarkRingKeys(std::span<std::uint8_t> levels, const LightRing& ring);
// Pad and headset marking: level i + 1 lights where ring byte i + 1 is set, for i < lightCount.
void MarkRingLeds(std::span<std::uint8_t> levels, const LightRing& ring, int lightCount);
// Rotates the first length bytes of the ring one place: up when forward, down otherwise.
void RotateRing(LightRing& ring, bool forward, int length = kRingSize);
void ClearFades(std::span<std::uint8_t> levels, LightRing& ring);

}  // namespace quaro
