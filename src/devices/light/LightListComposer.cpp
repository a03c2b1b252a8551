#include "devices/light/LightListComposer.h"

#include <algorithm>

namespace quaro {

LightListComposer::LightListComposer(MillisecondClock clock) : m_clock(std::move(clock)) {}

void LightListComposer::Load(std::vector<LightSetting> entries) {
    std::lock_guard lock(m_lock);
    m_entries = std::move(entries);
    m_states.assign(m_entries.size(), LedState{});
}

bool LightListComposer::IsStill() const {
    std::lock_guard lock(m_lock);
    return std::all_of(m_entries.begin(), m_entries.end(), [](const LightSetting& entry) {
        switch (entry.effect) {
            case 0:  // breathing and colour cycle move only for areas present in the profile
            case 3:
                return entry.extraByte == 0;
            case 2:  // blink
                return false;
            default:
                return true;
        }
    });
}

void LightListComposer::Compose(std::span<LedColor> leds) {
    std::lock_guard lock(m_lock);
    if (m_entries.empty()) {
        return;
    }
    const std::uint32_t now = m_clock();
    const std::size_t count = std::min(m_entries.size(), leds.size());
    for (std::size_t i = 0; i < count; ++i) {
        const LightSetting& entry = m_entries[i];
        LedState& state = m_states[i];
        const std::uint8_t level = BrightnessLevel(entry.brightness);
        const bool multi = entry.multiColor != 0;
        switch (entry.effect) {
            case 0:  // breathing, only for areas present in the profile
                if (entry.extraByte == 0) {
                    break;
                }
                if (state.counter + entry.speed + 4 >= 128) {
                    state.counter = 0;
                    state.hue = state.hue + 1 > 192 ? 191 : state.hue + 1;
                } else {
                    state.counter = static_cast<std::uint8_t>(state.counter + entry.speed + 4);
                }
                leds[i] = multi ? WheelLed(state.hue, Scale(kBreathingCurve[state.counter], level))
                                : SettingLed(entry, Scale(kBreathingCurve[state.counter], level));
                break;
            case 1:  // static
                leds[i] = SettingLed(entry, level);
                break;
            case 3:  // colour cycle, only for areas present in the profile
                if (entry.extraByte == 0) {
                    break;
                }
                if (++state.counter >= SpeedPeriod(entry.speed)) {
                    state.counter = 0;
                    state.hue = state.hue + 1 > 191 ? 0 : state.hue + 1;
                }
                leds[i] = WheelLed(state.hue, level);
                break;
            case 2:  // blink
                if (now - state.lastFlip >= SpeedPeriod(entry.speed) * 200u) {
                    state.blinkOn = !state.blinkOn;
                    state.lastFlip = now;
                    state.hue = state.hue + 14 > 191 ? 0 : state.hue + 14;
                }
                leds[i] = !state.blinkOn ? LedColor{}
                          : multi        ? WheelLed(state.hue, level)
                                         : SettingLed(entry, level);
                break;
            case 4:
                leds[i] = LedColor{};
                break;
            default:
                break;
        }
    }
}

}  // namespace quaro
