#include "devices/light/CustomEffectPlayer.h"

#include <algorithm>

namespace quaro {
namespace {

constexpr std::array<std::uint8_t, 6> kCycleThresholds = {6, 5, 4, 3, 2, 1};

std::uint8_t CycleThreshold(std::uint8_t speed) {
    return kCycleThresholds[std::min<std::size_t>(speed, kCycleThresholds.size() - 1)];
}

LedColor StepLed(const LightEffectStep& step, std::uint8_t intensity) {
    return {step.red, step.green, step.blue, intensity};
}

}  // namespace

CustomEffectPlayer::CustomEffectPlayer(MillisecondClock clock) : m_clock(std::move(clock)) {}

void CustomEffectPlayer::SetSteps(std::vector<LightEffectStep> steps) {
    std::lock_guard lock(m_lock);
    m_steps = std::move(steps);
    m_index = 0;
    m_started = false;
}

std::size_t CustomEffectPlayer::StepCount() const {
    std::lock_guard lock(m_lock);
    return m_steps.size();
}

void CustomEffectPlayer::Play(std::span<LedColor> leds, std::uint8_t pageSpeed) {
    const std::uint32_t now = m_clock();
    LightEffectStep step;
    {
        std::lock_guard lock(m_lock);
        if (m_index >= m_steps.size()) {
            m_index = 0;
        }
        if (m_steps.empty()) {
            LightStepOff(leds);
            return;
        }
        if (!m_started) {
            m_started = true;
            m_stepStart = now;
        }
        step = m_steps[m_index];
    }
    Draw(leds, step, pageSpeed, now);
    std::lock_guard lock(m_lock);
    if (step.time < 0 || now - m_stepStart > static_cast<std::uint32_t>(step.time)) {
        m_index = m_index + 1 >= m_steps.size() ? 0 : m_index + 1;
        m_stepStart = now;
    }
}

void CustomEffectPlayer::Draw(std::span<LedColor> leds, const LightEffectStep& step,
                              std::uint8_t pageSpeed, std::uint32_t now) {
    ++m_passes;
    const std::uint8_t level = BrightnessLevel(step.brightness);
    const bool multi = step.multiColor != 0;
    switch (step.mode) {
        case 0:  // breathing
            if (m_passes >= SpeedPeriod(step.speed)) {
                m_passes = 0;
                m_phase = (m_phase + 1) % 128;
                if (m_phase == 0) {
                    m_breathHue = m_breathHue + 16 >= 192 ? 0 : m_breathHue + 16;
                }
                const std::uint8_t intensity = Scale(kBreathingCurve[m_phase], level);
                std::fill(leds.begin(), leds.end(),
                          multi ? WheelLed(m_breathHue, intensity) : StepLed(step, intensity));
            }
            break;
        case 1:  // static
            if (m_passes >= SpeedPeriod(step.speed)) {
                m_passes = 0;
                m_phase = (m_phase + 1) % 9;
                std::fill(leds.begin(), leds.end(), StepLed(step, level));
            }
            break;
        case 2: {  // flash
            m_phase = (m_phase + 1) % 128;
            if (m_passes >= SpeedPeriod(step.speed)) {
                m_passes = 0;
            }
            if (now - m_lastFlip >= SpeedPeriod(pageSpeed) * 200u) {
                m_flashOn = !m_flashOn;
                m_lastFlip = now;
                m_flashHue = static_cast<std::uint8_t>(m_phase + 14);
            }
            LedColor color{};
            if (m_flashOn) {
                color = multi ? WheelLed(m_flashHue, level) : StepLed(step, level);
            }
            std::fill(leds.begin(), leds.end(), color);
            break;
        }
        case 4:  // wave
            if (m_passes >= SpeedPeriod(step.speed)) {
                m_passes = 0;
                m_phase = (m_phase + 1) % 192;
                std::uint8_t start = 0;
                if (step.direction == 0) {
                    start = m_phase + 1 >= 192 ? 0 : m_phase + 1;
                } else {
                    start = static_cast<std::uint8_t>(-m_phase - 64);
                    start = start >= 192 ? 191 : start;
                }
                // The curve has 96 places; a start hue beyond them begins at its place on the
                // curve instead of reading past its end.
                std::uint8_t place = start % 96;
                for (std::size_t i = 0; i < leds.size(); ++i) {
                    if (multi) {
                        leds[i] =
                            WheelLed(static_cast<std::uint8_t>((start + 12 * i) % 192), level);
                    } else {
                        place = place + 12 > 95 ? place + 12 - 96 : place + 12;
                        leds[i] = StepLed(step, Scale(kWaveCurve[place], level));
                    }
                }
            }
            break;
        case 5:  // colour cycle
            if (m_passes >= CycleThreshold(step.speed)) {
                m_passes = 0;
                m_phase = (m_phase + 1) % 192;
                std::fill(leds.begin(), leds.end(), WheelLed(m_phase, level));
            }
            break;
        default:
            break;
    }
}

}  // namespace quaro
