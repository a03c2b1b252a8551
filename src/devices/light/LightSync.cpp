#include "devices/light/LightSync.h"

#include "devices/light/LightPrimitives.h"

#include <algorithm>

namespace quaro {

std::optional<SyncEffect> SyncEffectForMode(SyncDeviceKind kind, std::uint8_t mode) {
    if (kind == SyncDeviceKind::kKeyboard) {
        switch (mode) {
            case 3:
                return SyncEffect::kSpectrum;
            case 4:
                return SyncEffect::kBreathing;
            case 5:
                return SyncEffect::kSteady;
            case 21:
                return SyncEffect::kFlash;
            case 26:
                return SyncEffect::kOff;
            default:
                return std::nullopt;
        }
    }
    switch (mode) {
        case 1:
            return SyncEffect::kSpectrum;
        case 2:
            return SyncEffect::kBreathing;
        case 3:
            return SyncEffect::kSteady;
        case 4:
            return SyncEffect::kFlash;
        case 8:
            return SyncEffect::kOff;
        default:
            return std::nullopt;
    }
}

std::uint8_t DeviceModeForSyncEffect(SyncDeviceKind kind, SyncEffect effect) {
    constexpr std::array<std::uint8_t, 5> kKeyboardModes = {4, 5, 21, 3, 26};
    constexpr std::array<std::uint8_t, 5> kOtherModes = {2, 3, 4, 1, 8};
    const auto index = static_cast<std::size_t>(effect);
    return kind == SyncDeviceKind::kKeyboard ? kKeyboardModes[index] : kOtherModes[index];
}

void LightSync::Configure(SyncEffect effect, const LightSetting& setting) {
    std::lock_guard lock(m_mutex);
    m_effect = effect;
    m_setting = setting;
}

SyncEffect LightSync::Effect() const {
    std::lock_guard lock(m_mutex);
    return m_effect;
}

std::uint8_t LightSync::Period() const {
    std::lock_guard lock(m_mutex);
    return PeriodLocked();
}

std::uint8_t LightSync::PeriodLocked() const {
    return kSyncPeriods[std::min<std::size_t>(m_setting.speed, kSyncPeriods.size() - 1)];
}

void LightSync::Reset(std::uint32_t now) {
    std::lock_guard lock(m_mutex);
    m_lastTick = now;
    m_turns = 0;
}

std::optional<std::uint32_t> LightSync::Tick(std::uint32_t now) {
    std::lock_guard lock(m_mutex);
    // The distance is read as signed so that a tick behind the mark (a clock set back, or the
    // 49-day wrap seen from the wrong side) is not taken for a huge step forward.
    const auto moved = static_cast<std::int32_t>(now - m_lastTick);
    if (moved < 0) {
        m_lastTick = now;
        return std::nullopt;
    }
    // Only a turn that counted can step, so that period 0 steps on every counted turn rather
    // than on every wake of the thread.
    if (moved < 2) {
        return std::nullopt;
    }
    ++m_turns;
    m_lastTick = now;
    if (m_turns < PeriodLocked()) {
        return std::nullopt;
    }
    m_turns = 0;
    return StepLocked(now);
}

std::uint32_t LightSync::Step(std::uint32_t now) {
    std::lock_guard lock(m_mutex);
    return StepLocked(now);
}

std::uint32_t LightSync::StepLocked(std::uint32_t now) {
    const std::uint8_t level = BrightnessLevel(m_setting.brightness);
    const bool multi = m_setting.multiColor != 0;
    const std::uint32_t own = PackSyncColor(m_setting.red, m_setting.green, m_setting.blue, 0);
    auto wheel = [](std::uint8_t hue, std::uint8_t brightness) {
        const WheelColor& c = kColorWheel[hue];
        return PackSyncColor(c.red, c.green, c.blue, brightness);
    };
    switch (m_effect) {
        case SyncEffect::kBreathing: {
            m_breathStep = StepPhase(m_setting.direction != 0, 128, m_breathStep, 1);
            const std::uint8_t brightness = Scale(level, kBreathingCurve[m_breathStep]);
            if (!multi) {
                return own | (std::uint32_t{brightness} << 24);
            }
            if (m_breathStep < 2) {
                m_breathHue = m_breathHue + 16 >= 192 ? 0 : m_breathHue + 16;
            }
            return wheel(m_breathHue, brightness);
        }
        case SyncEffect::kSteady:
            return own | (std::uint32_t{level} << 24);
        case SyncEffect::kFlash:
            if (now - m_lastFlash >= SpeedPeriod(m_setting.speed) * 200u) {
                m_flashOn = !m_flashOn;
                m_lastFlash = now;
                m_flashHue = m_flashHue + 14 >= 192 ? 0 : m_flashHue + 14;
            }
            if (!m_flashOn) {
                return 0;
            }
            return multi ? wheel(m_flashHue, level) : own | (std::uint32_t{level} << 24);
        case SyncEffect::kSpectrum:
            m_spectrumIndex = m_spectrumIndex + 1 >= 192 ? 0 : m_spectrumIndex + 1;
            return wheel(m_spectrumIndex, level);
        case SyncEffect::kOff:
        default:
            return 0;
    }
}

}  // namespace quaro
