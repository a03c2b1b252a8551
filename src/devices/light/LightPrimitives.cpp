#include "devices/light/LightPrimitives.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

namespace quaro {

MillisecondClock SteadyMillisecondClock() {
    return [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    };
}

RandomSource SeededRandomSource(std::uint32_t seed) {
    auto engine = std::make_shared<std::minstd_rand>(seed);
    return [engine] { return static_cast<std::uint32_t>((*engine)()); };
}

void LightStepBreathing(std::span<LedColor> leds, BaseLightState& state,
                        const LightSetting& setting) {
    state.animationStep = StepPhase(setting.direction != 0, 128, state.animationStep, 1);
    if (state.animationStep == 0) {
        // The colour step may rest on 192, whose wheel colour is that of 0.
        state.colorStep = state.colorStep + 16 > 192 ? 0 : state.colorStep + 16;
    }
    const std::uint8_t intensity =
        Scale(kBreathingCurve[state.animationStep], BrightnessLevel(setting.brightness));
    const LedColor color = setting.multiColor != 0 ? WheelLed(state.colorStep, intensity)
                                                   : SettingLed(setting, intensity);
    std::fill(leds.begin(), leds.end(), color);
}

void LightStepBreathingFourColours(std::span<LedColor> leds, BaseLightState& state,
                                   const LightSetting& setting) {
    if (state.colorStep > 3) {
        state.colorStep = 0;  // left over from a wheel effect
    }
    state.animationStep = StepPhase(setting.direction != 0, 128, state.animationStep, 1);
    if (state.animationStep == 0) {
        state.colorStep = state.colorStep + 1 > 3 ? 0 : state.colorStep + 1;
    }
    const WheelColor& c = kFourColors[state.colorStep];
    const std::uint8_t intensity =
        Scale(kBreathingCurve[state.animationStep], BrightnessLevel(setting.brightness));
    std::fill(leds.begin(), leds.end(), LedColor{c.red, c.green, c.blue, intensity});
}

void LightStepStatic(std::span<LedColor> leds, const LightSetting& setting) {
    std::fill(leds.begin(), leds.end(), SettingLed(setting, BrightnessLevel(setting.brightness)));
}

void LightStepSpectrum(std::span<LedColor> leds, BaseLightState& state,
                       const LightSetting& setting) {
    state.animationStep = StepPhase(setting.direction != 0, 192, state.animationStep, 1);
    std::fill(leds.begin(), leds.end(),
              WheelLed(state.animationStep, BrightnessLevel(setting.brightness)));
}

namespace {

bool BlinkDue(const BaseLightState& state, const LightSetting& setting, std::uint32_t nowMs) {
    return nowMs - state.lastToggle >= SpeedPeriod(setting.speed) * 200u;
}

}  // namespace

void LightStepBlink(std::span<LedColor> leds, BaseLightState& state, const LightSetting& setting,
                    std::uint32_t nowMs) {
    if (BlinkDue(state, setting, nowMs)) {
        state.blinkOn = !state.blinkOn;
        state.lastToggle = nowMs;
        state.animationStep = state.animationStep + 16 >= 192 ? 0 : state.animationStep + 16;
    }
    LedColor color{};
    if (state.blinkOn) {
        const std::uint8_t intensity = BrightnessLevel(setting.brightness);
        color = setting.multiColor != 0 ? WheelLed(state.animationStep, intensity)
                                        : SettingLed(setting, intensity);
    }
    std::fill(leds.begin(), leds.end(), color);
}

void LightStepBlinkFourColours(std::span<LedColor> leds, BaseLightState& state,
                               const LightSetting& setting, std::uint32_t nowMs) {
    if (state.animationStep > 3) {
        state.animationStep = 0;  // left over from a wheel effect
    }
    if (BlinkDue(state, setting, nowMs)) {
        state.blinkOn = !state.blinkOn;
        state.lastToggle = nowMs;
        state.animationStep = state.animationStep + 1 > 3 ? 0 : state.animationStep + 1;
    }
    LedColor color{};
    if (state.blinkOn) {
        const WheelColor& c = kFourColors[state.animationStep];
        color = {c.red, c.green, c.blue, BrightnessLevel(setting.brightness)};
    }
    std::fill(leds.begin(), leds.end(), color);
}

void LightStepOff(std::span<LedColor> leds) {
    std::fill(leds.begin(), leds.end(), LedColor{});
}

void MarkRingKeys(std::span<std::uint8_t> levels, const LightRing& ring) {
    for (std::size_t i = 0; i <= 8 && i < levels.size(); ++i) {
        if (ring[i] != 0) {
            levels[i] = 255;
        }
    }
}

void MarkRingLeds(std::span<std::uint8_t> levels, const LightRing& ring, int lightCount) {
    for (int i = 0;
         i < lightCount && i + 1 < kRingSize && static_cast<std::size_t>(i + 1) < levels.size();
         ++i) {
        if (ring[i + 1] != 0) {
            levels[i + 1] = 255;
        }
    }
}

void RotateRing(LightRing& ring, bool forward, int length) {
    length = std::clamp(length, 0, kRingSize);
    if (length < 2) {
        return;
    }
    if (forward) {
        std::rotate(ring.begin(), ring.begin() + length - 1, ring.begin() + length);
    } else {
        std::rotate(ring.begin(), ring.begin() + 1, ring.begin() + length);
    }
}

void ClearFades(std::span<std::uint8_t> levels, LightRing& ring) {
    std::fill(levels.begin(), levels.end(), std::uint8_t{0});
    ring.fill(0);
}

}  // namespace quaro
