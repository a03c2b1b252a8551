#include "devices/light/LedLightEngine.h"

#include <algorithm>

namespace quaro {
namespace {

// The chases light groups of LEDs: the mouse's nine groups of three, the pad's and headset's seven
// pairs (the pad's fifteenth LED joins the last pair) and their single-LED chase.
constexpr int kMouseGroups = 9;
constexpr int kMouseGroupSize = 3;
constexpr int kPairGroups = 7;
constexpr int kPairRingLength = 8;

}  // namespace

LedLightEngine::LedLightEngine(LedDeviceKind kind, int ledCount, MillisecondClock clock)
    : m_kind(kind),
      m_clock(clock),
      m_colors(static_cast<std::size_t>(std::clamp(ledCount, 0, kMaxLedCount))),
      m_custom(std::move(clock)) {
    Start();
}

void LedLightEngine::Start() {
    std::lock_guard lock(m_lock);
    m_state.phase = 0;
    m_state.counter = 0;
    ClearFades(m_state.level, m_state.ring);
}

void LedLightEngine::Step(std::uint8_t mode, const LightSetting& setting) {
    std::lock_guard lock(m_lock);
    RunStep(mode, setting);
}

void LedLightEngine::Compose(LightListComposer& list) {
    std::lock_guard lock(m_lock);
    list.Compose(m_colors);
}

void LedLightEngine::SetGroupColorFlags(bool forward, bool backward) {
    std::lock_guard lock(m_lock);
    m_groupFlagForward = forward;
    m_groupFlagBackward = backward;
}

void LedLightEngine::SnapshotColors(std::span<LedColor> out) const {
    std::lock_guard lock(m_lock);
    std::copy_n(m_colors.begin(), std::min(out.size(), m_colors.size()), out.begin());
}

std::vector<LedColor> LedLightEngine::SnapshotColors() const {
    std::lock_guard lock(m_lock);
    return m_colors;
}

LedLightState LedLightEngine::SnapshotState() const {
    std::lock_guard lock(m_lock);
    return m_state;
}

void LedLightEngine::SetColors(std::span<const LedColor> colors) {
    std::lock_guard lock(m_lock);
    std::copy_n(colors.begin(), std::min(colors.size(), m_colors.size()), m_colors.begin());
}

void LedLightEngine::SetAllColors(const LedColor& color) {
    std::lock_guard lock(m_lock);
    std::fill(m_colors.begin(), m_colors.end(), color);
}

void LedLightEngine::RunStep(std::uint8_t mode, const LightSetting& setting) {
    const std::span<LedColor> leds = m_colors;
    const std::uint32_t now = m_clock();
    const bool mouse = m_kind == LedDeviceKind::kMouse;
    switch (mode) {
        case 0:
            return Wave(setting);
        case 1:
            return LightStepSpectrum(leds, m_state.base, setting);
        case 2:
            return LightStepBreathing(leds, m_state.base, setting);
        case 3:
            return LightStepStatic(leds, setting);
        case 4:
            return LightStepBlink(leds, m_state.base, setting, now);
        case 5:
            if (mouse) {
                return Chase(setting, kMouseGroupSize, kMouseGroups, kMouseGroups);
            }
            break;
        case 6:
            if (mouse) {
                return LightStepBreathingFourColours(leds, m_state.base, setting);
            }
            // A comet per LED around a ring longer than the device, so it pauses at the end.
            return Chase(setting, 1, static_cast<int>(m_colors.size()), kRingSize);
        case 7:
            if (mouse) {
                return LightStepBlinkFourColours(leds, m_state.base, setting, now);
            }
            // Pairs of LEDs lit in turn, one pair leading around a ring of eight.
            return Chase(setting, 2, kPairGroups, kPairRingLength);
        case 8:
            return LightStepOff(leds);
        default:
            break;
    }
    m_custom.Play(leds, setting.speed);
}

void LedLightEngine::Wave(const LightSetting& setting) {
    const bool forward = setting.direction != 0;
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    const bool headset = m_kind == LedDeviceKind::kHeadset;
    if (setting.multiColor != 0) {
        m_state.phase = StepPhase(forward, 192, m_state.phase, 1);
        const int spacing = headset ? 16 : 7;
        for (std::size_t i = 0; i < m_colors.size(); ++i) {
            const std::size_t hue = (m_state.phase + 1 + spacing * i) % 192;
            m_colors[i] = WheelLed(static_cast<std::uint8_t>(hue), level);
        }
        return;
    }
    m_state.phase = StepPhase(forward, 96, m_state.phase, headset ? 3 : 1);
    for (std::size_t i = 0; i < m_colors.size(); ++i) {
        const std::size_t place =
            headset ? (m_state.phase + 10 * i) % 96 : (m_state.phase + 1 + 7 * i) % 96;
        m_colors[i] = SettingLed(setting, Scale(level, kWaveCurve[place]));
    }
}

void LedLightEngine::SeedRing(int ringLength) {
    const auto first = m_state.ring.begin();
    if (std::all_of(first, first + ringLength, [](std::uint8_t b) { return b == 0; })) {
        m_state.ring[1 % ringLength] = 1;
        if (ringLength == kRingSize) {
            m_state.ring[12] = 1;  // a second comet half way round the long ring
        }
    }
}

// Marks travel round the ring; where a mark sits, its LED or group flares to full and then fades.
// Group g reads level g + 1 (level g on the mouse), so ring byte 0 of the pad's rings is the gap
// between the last group and the first.
void LedLightEngine::Chase(const LightSetting& setting, int groupSize, int groupCount,
                           int ringLength) {
    const bool forward = setting.direction != 0;
    const bool mouse = m_kind == LedDeviceKind::kMouse;
    m_state.phase = StepPhase(forward, 192, m_state.phase, 1);
    SeedRing(ringLength);
    if (m_state.counter > 1) {
        m_state.counter = 0;
        if (mouse) {
            MarkRingKeys(m_state.level, m_state.ring);
        } else {
            MarkRingLeds(m_state.level, m_state.ring, groupCount);
        }
        RotateRing(m_state.ring, forward, ringLength);
    }
    ++m_state.counter;
    const std::uint8_t brightness = BrightnessLevel(setting.brightness);
    const bool keepFirst = mouse && (forward ? m_groupFlagForward : m_groupFlagBackward);
    for (int g = 0; g < groupCount; ++g) {
        std::uint8_t& level = m_state.level[mouse ? g : g + 1];
        level = FadeStep(level);
        const std::uint8_t hue = static_cast<std::uint8_t>((m_state.phase + 12 * g) % 192);
        const std::uint8_t intensity = Scale(brightness, level);
        const std::size_t first = static_cast<std::size_t>(g) * groupSize;
        LedColor color{};
        if (setting.multiColor == 0) {
            color = SettingLed(setting, intensity);
        } else if (keepFirst && first < m_colors.size()) {
            const LedColor& held = m_colors[first];
            color = {held.red, held.green, held.blue, intensity};
        } else {
            color = WheelLed(hue, intensity);
        }
        std::size_t last = first + groupSize;
        if (g == groupCount - 1 && groupSize > 1) {
            last = std::max(last, m_colors.size());
        }
        for (std::size_t i = first; i < last && i < m_colors.size(); ++i) {
            m_colors[i] = color;
        }
    }
}

}  // namespace quaro
