#include "devices/light/KeyboardLightEngine.h"

#include <algorithm>

namespace quaro {
namespace {

constexpr int kRows = 6;

struct KeyPlace {
    std::int8_t column = -1;
    std::int8_t row = -1;
};

// Where each logical key sits in the key matrix (first occurrence); keys outside it have none.
constexpr std::array<KeyPlace, kLogicalKeyCount> BuildKeyPlaces() {
    std::array<KeyPlace, kLogicalKeyCount> places{};
    for (int c = 0; c < kPlaneColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            const std::uint8_t key = kKeyMatrix[c][r];
            if (key < kLogicalKeyCount && places[key].column < 0) {
                places[key] = {static_cast<std::int8_t>(c), static_cast<std::int8_t>(r)};
            }
        }
    }
    return places;
}
constexpr std::array<KeyPlace, kLogicalKeyCount> kKeyPlaces = BuildKeyPlaces();

constexpr std::array<bool, kLogicalKeyCount> BuildInKeyOrder() {
    std::array<bool, kLogicalKeyCount> in{};
    for (std::uint8_t key : kKeyOrder) {
        if (key < kLogicalKeyCount) {
            in[key] = true;
        }
    }
    return in;
}
constexpr std::array<bool, kLogicalKeyCount> kInKeyOrder = BuildInKeyOrder();

std::uint8_t KeyAt(int column, int row) {
    if (column < 0 || column >= kPlaneColumns || row < 0 || row >= kRows) {
        return kNoKey;
    }
    return kKeyMatrix[column][row];
}

struct Offset {
    int column;
    int row;
};
// The neighbours a press in the spreading reactive mode raises, nearest ring first.
constexpr std::array<Offset, 4> kNearRing = {{{0, -1}, {0, 1}, {-1, 0}, {1, 0}}};
constexpr std::array<Offset, 6> kMiddleRing = {
    {{0, -2}, {0, 2}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}}};
constexpr std::array<Offset, 2> kFarRing = {{{-2, 0}, {2, 0}}};

std::uint8_t RaiseBy(std::uint8_t level, int amount) {
    return static_cast<std::uint8_t>(std::min(255, level + amount));
}

}  // namespace

std::uint8_t KeyboardLightPeriod(std::uint8_t mode, std::uint8_t speed) {
    const std::size_t s = std::min<std::size_t>(speed, 5);
    switch (mode) {
        case 0:
        case 1:
        case 2:
        case 4:
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 24:
            return kKeyboardPeriodsFast[s];
        case 3:
        case 5:
        case 7:
        case 9:
        case 15:
        case 16:
            return kKeyboardPeriodsMedium[s];
        case 6:
        case 8:
            return kKeyboardPeriodsReactive[s];
        case 17:
        case 18:
        case 20:
        case 21:
        case 22:
        case 23:
        case 25:
            return kKeyboardPeriodsSlow[s];
        case 26:
        case 27:
            return kKeyboardPeriodsStill[s];
        default:
            return 0;
    }
}

bool IsKeyboardCustomEffectMode(std::uint8_t mode) {
    return mode == 19 || mode > 27;
}

KeyboardLightEngine::KeyboardLightEngine(MillisecondClock clock, RandomSource random)
    : m_clock(clock), m_random(std::move(random)), m_custom(std::move(clock)) {}

void KeyboardLightEngine::Start(std::uint8_t mode, std::span<const CustomLightColor> customColors) {
    std::lock_guard lock(m_lock);
    m_state.phase = 0;
    m_state.counter = 0;
    m_state.showPhase = 0;
    m_state.level.fill(0);
    m_state.hue.fill(0);
    m_state.planes = {};
    // Keys the new effect never draws must not keep the last effect's colours.
    m_colors.fill(LedColor{});
    switch (mode) {
        case 12:
            SetPlaneBit(9, 6);
            break;
        case 14:
            PhasedStart();
            break;
        case 15:
            SetPlaneBit(1, 0);
            break;
        case 17:
            m_customColors.fill(LedColor{});
            for (std::size_t k = 0; k < customColors.size() && k < m_customColors.size(); ++k) {
                const CustomLightColor& c = customColors[k];
                m_customColors[k] = {c.red, c.green, c.blue, 0};
            }
            HueSpread();
            break;
        case 20:
            PulseStart();
            break;
        default:
            HueSpread();
            break;
    }
}

void KeyboardLightEngine::Step(std::uint8_t mode, const LightSetting& setting) {
    std::lock_guard lock(m_lock);
    RunStep(mode, setting);
}

void KeyboardLightEngine::Compose(LightListComposer& list) {
    std::lock_guard lock(m_lock);
    list.Compose(m_colors);
}

void KeyboardLightEngine::SnapshotColors(std::span<LedColor> out) const {
    std::lock_guard lock(m_lock);
    std::copy_n(m_colors.begin(), std::min(out.size(), m_colors.size()), out.begin());
}

std::array<LedColor, kLogicalKeyCount> KeyboardLightEngine::SnapshotColors() const {
    std::lock_guard lock(m_lock);
    return m_colors;
}

KeyboardLightState KeyboardLightEngine::SnapshotState() const {
    std::lock_guard lock(m_lock);
    return m_state;
}

void KeyboardLightEngine::SetColors(std::span<const LedColor> colors) {
    std::lock_guard lock(m_lock);
    std::copy_n(colors.begin(), std::min(colors.size(), m_colors.size()), m_colors.begin());
}

void KeyboardLightEngine::RunStep(std::uint8_t mode, const LightSetting& setting) {
    switch (mode) {
        case 0:
            return ColumnWave(setting, false);
        case 1:
            return FineColumnWave(setting);
        case 2:
            return Snake(setting);
        case 3:
            return LightStepSpectrum(m_colors, m_state.base, setting);
        case 4:
            return LightStepBreathing(m_colors, m_state.base, setting);
        case 5:
        case 18:
            return LightStepStatic(m_colors, setting);
        case 6:
        case 23:
            return ReactiveLevels(setting);
        case 7:
            return Ripple(setting);
        case 8:
            return RowRipple(setting);
        case 9:
            return Sparkle(setting);
        case 10:
            return HueCycle(setting);
        case 11:
            return ColumnWave(setting, true);
        case 12:
            return CentrePulse(setting);
        case 13:
            return Show(setting);
        case 14:
            return KeyPulse(setting, true);
        case 15:
            return SweepingPlanes(setting);
        case 16:
            return Rings(setting);
        case 17:
            return CustomKeyColors(setting);
        case 20:
            return KeyPulse(setting, false);
        case 21:
            return LightStepBlink(m_colors, m_state.base, setting, m_clock());
        case 22:
            return Frames(setting);
        case 24:
            return LightStepBreathingFourColours(m_colors, m_state.base, setting);
        case 25:
            return LightStepBlinkFourColours(m_colors, m_state.base, setting, m_clock());
        case 26:
            return LightStepOff(m_colors);
        case 27:
            return PathFill(setting);
        default:
            return m_custom.Play(m_colors, setting.speed);
    }
}

LedColor KeyboardLightEngine::KeyColor(int key, const LightSetting& setting,
                                       std::uint8_t intensity) const {
    return setting.multiColor != 0 ? WheelLed(m_state.hue[key], intensity)
                                   : SettingLed(setting, intensity);
}

void KeyboardLightEngine::HueSpread() {
    std::uint8_t sum = 0;
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        sum = static_cast<std::uint8_t>(sum + ((sum >= 160 && sum <= 222) ? 97 : 33));
        m_state.hue[key] = sum;
    }
}

void KeyboardLightEngine::PulseStart() {
    for (int c = 0; c < kPlaneColumns; ++c) {
        std::uint8_t a = static_cast<std::uint8_t>(192 - 8 * c);
        for (int r = 0; r < 7; ++r) {
            const std::uint8_t next = static_cast<std::uint8_t>(a - 35);
            a = next > 191 ? static_cast<std::uint8_t>(a - 98) : next;
            const std::uint8_t key = kKeyMatrix7[c][r];
            if (key < kLogicalKeyCount) {
                m_state.pulse[key] = a;
                m_state.hue[key] = static_cast<std::uint8_t>(7 * c);
            }
        }
    }
}

void KeyboardLightEngine::PhasedStart() {
    for (int c = 0; c < kPlaneColumns; ++c) {
        for (int r = 0; r < 7; ++r) {
            const std::uint8_t key = kKeyMatrix7[c][r];
            if (key < kLogicalKeyCount) {
                m_state.level[key] = kPhaseStarts[6 * c + r];
                m_state.hue[key] = static_cast<std::uint8_t>(7 * c);
            }
        }
    }
}

void KeyboardLightEngine::SetPlaneBit(int column, int row) {
    for (LightPlane& plane : m_state.planes) {
        plane[column] |= static_cast<std::uint8_t>(1u << row);
    }
}

std::uint8_t KeyboardLightEngine::ColumnUnion(int column) const {
    std::uint8_t bits = 0;
    for (const LightPlane& plane : m_state.planes) {
        bits |= plane[column];
    }
    return bits;
}

void KeyboardLightEngine::ColumnWave(const LightSetting& setting, bool rows) {
    const bool forward = setting.direction != 0;
    const bool multi = setting.multiColor != 0;
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    m_state.phase = StepPhase(forward, multi ? 192 : 96, m_state.phase, 1);
    for (int c = 0; c < kPlaneColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            const std::uint8_t key = kKeyMatrix[c][r];
            if (key >= kLogicalKeyCount) {
                continue;
            }
            const int place = m_state.phase + 1 + 7 * (rows ? r : c);
            m_colors[key] = multi ? WheelLed(static_cast<std::uint8_t>(place % 192), level)
                                  : SettingLed(setting, Scale(level, kWaveCurve[place % 96]));
        }
    }
}

void KeyboardLightEngine::FineColumnWave(const LightSetting& setting) {
    const bool multi = setting.multiColor != 0;
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    m_state.phase = StepPhase(setting.direction != 0, multi ? 192 : 96, m_state.phase, 1);
    for (int c = 0; c < kPlaneColumns; ++c) {
        const LedColor color =
            multi ? WheelLed(static_cast<std::uint8_t>((m_state.phase + 2 * c) % 192), level)
                  : SettingLed(setting, Scale(level, kPulseCurve[(m_state.phase + c) % 96]));
        for (int r = 0; r < kRows; ++r) {
            const std::uint8_t key = kKeyMatrix[c][r];
            if (key < kLogicalKeyCount) {
                m_colors[key] = color;
            }
        }
    }
}

void KeyboardLightEngine::Snake(const LightSetting& setting) {
    const bool multi = setting.multiColor != 0;
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    m_state.phase = StepPhase(setting.direction != 0, multi ? 192 : 96, m_state.phase, 1);
    for (std::size_t i = 0; i < kKeyOrder.size(); ++i) {
        const std::uint8_t key = kKeyOrder[i];
        if (key >= kLogicalKeyCount) {
            continue;
        }
        const std::size_t place = m_state.phase + 5 * i;
        m_colors[key] = multi ? WheelLed(static_cast<std::uint8_t>(place % 192), level)
                              : SettingLed(setting, Scale(level, kWaveCurve[place % 96]));
    }
}

void KeyboardLightEngine::HueCycle(const LightSetting& setting) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        std::uint8_t& hue = m_state.hue[key];
        hue = hue + 1 >= 192 ? 0 : hue + 1;
        m_colors[key] = WheelLed(hue, level);
    }
}

void KeyboardLightEngine::KeyPulse(const LightSetting& setting, bool phased) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    auto& pulses = phased ? m_state.level : m_state.pulse;
    const int step = phased ? 2 : 1;
    for (std::uint8_t key : kKeyOrder) {
        if (key >= kLogicalKeyCount) {
            continue;
        }
        std::uint8_t& pulse = pulses[key];
        if (pulse + step >= 192) {
            pulse = 0;
            m_state.hue[key] = RandomHue();
        } else {
            pulse = static_cast<std::uint8_t>(pulse + step);
        }
        m_colors[key] = KeyColor(key, setting, Scale(level, kPulseCurve[pulse]));
    }
}

void KeyboardLightEngine::Sparkle(const LightSetting& setting) {
    for (int i = 0; i < 6; ++i) {
        const std::uint8_t key =
            kKeyOrder[kSparklePositions[m_random() % kSparklePositions.size()]];
        if (key < kLogicalKeyCount) {
            m_state.hue[key] = RandomHue();
            m_state.level[key] = 255;
        }
    }
    DecayAndDraw(setting, false);
}

void KeyboardLightEngine::CustomKeyColors(const LightSetting& setting) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        m_colors[key] = m_customColors[key];
        m_colors[key].intensity = level;
    }
}

void KeyboardLightEngine::Rings(const LightSetting& setting) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    m_state.phase = StepPhase(setting.direction != 0, 192, m_state.phase, 1);
    for (int i = 0; i < static_cast<int>(kKeyRings.size()); ++i) {
        const LedColor color =
            WheelLed(static_cast<std::uint8_t>((m_state.phase + 7 * (i + 1)) % 192), level);
        for (std::uint8_t key : kKeyRings[i]) {
            if (key < kLogicalKeyCount && kInKeyOrder[key]) {
                m_colors[key] = color;
            }
        }
    }
}

void KeyboardLightEngine::Frames(const LightSetting& setting) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    m_state.phase = StepPhase(setting.direction != 0, 52, m_state.phase, 1);
    for (std::uint8_t key : kKeyFrames[m_state.phase]) {
        if (key < kLogicalKeyCount) {
            m_state.level[key] = 255;
            m_state.hue[key] = 0;
        }
    }
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        std::uint8_t& lv = m_state.level[key];
        lv = lv > 5 ? lv - 5 : 0;
        std::uint8_t& hue = m_state.hue[key];
        hue = static_cast<std::uint8_t>(std::min(255, hue + 3));
        m_colors[key] =
            setting.multiColor != 0 ? WheelLed(hue, level) : SettingLed(setting, Scale(level, lv));
    }
}

void KeyboardLightEngine::PathFill(const LightSetting& setting) {
    std::uint8_t& p = m_state.phase;
    if (setting.direction != 0) {
        if (p > 125) {
            p = 0;
        } else {
            if (kKeyPath[p] < kLogicalKeyCount) {
                m_state.level[kKeyPath[p]] = 254;
            }
            ++p;
        }
    } else if (p > 0) {
        if (p < kKeyPath.size() && kKeyPath[p] < kLogicalKeyCount) {
            m_state.level[kKeyPath[p]] = 254;
        }
        --p;
    } else {
        p = 126;
    }
    DecayAndDraw(setting, true);
}

void KeyboardLightEngine::Ripple(const LightSetting& setting) {
    Render(setting.multiColor != 0);
    Spread();
    DecayAndDraw(setting, false);
}

void KeyboardLightEngine::RowRipple(const LightSetting& setting) {
    Render(setting.multiColor != 0);
    auto& q = m_state.planes;
    q[0].fill(0);
    q[2].fill(0);
    std::rotate(q[1].rbegin(), q[1].rbegin() + 1, q[1].rend());
    q[1][0] = 0;
    std::rotate(q[3].begin(), q[3].begin() + 1, q[3].end());
    q[3][kPlaneColumns - 1] = 0;
    DecayAndDraw(setting, false);
}

void KeyboardLightEngine::SweepingPlanes(const LightSetting& setting) {
    if (ColumnUnion(1) == 0x01) {
        SetPlaneBit(1, 0);
    }
    if (ColumnUnion(22) == 0x40) {
        SetPlaneBit(22, 6);
    }
    Render(setting.multiColor != 0);
    Spread();
    DecayAndDraw(setting, true);
}

void KeyboardLightEngine::CentrePulse(const LightSetting& setting) {
    const std::uint8_t bits = ColumnUnion(9);
    if (bits == 0x01) {
        SetPlaneBit(9, 0);
    } else if (bits == 0x40) {
        SetPlaneBit(9, 6);
    }
    if (m_state.counter > 1) {
        m_state.counter = 0;
        Render(setting.multiColor != 0);
        Spread();
    }
    ++m_state.counter;
    DecayAndDraw(setting, false);
}

void KeyboardLightEngine::ReactiveLevels(const LightSetting& setting) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        std::uint8_t& lv = m_state.level[key];
        if (m_state.reaction[key] == KeyReaction::kRising) {
            lv = lv >= 240 ? 255 : lv + 15;
        } else if (m_state.reaction[key] == KeyReaction::kFalling) {
            lv = lv <= 5 ? 0 : lv - 5;
        }
        m_colors[key] = KeyColor(key, setting, Scale(level, lv));
    }
}

void KeyboardLightEngine::LightKey(int key, bool multiColor) {
    if (key < 0 || key >= kLogicalKeyCount) {
        return;
    }
    m_state.level[key] = 255;
    if (multiColor) {
        m_state.hue[key] = RandomHue();
    }
}

void KeyboardLightEngine::Show(const LightSetting& setting) {
    const bool multi = setting.multiColor != 0;
    std::uint8_t& p = m_state.phase;
    switch (m_state.showPhase) {
        case 0:
            for (std::uint8_t key : kShowScriptA[p % kShowScriptA.size()]) {
                LightKey(key, multi);
            }
            if (++p >= 20) {
                p = 0;
                m_state.showPhase = 1;
            }
            break;
        case 1:
            if (p < 31) {
                for (std::uint8_t key : kShowScriptB[p % 16]) {
                    LightKey(key, multi);
                }
                ++p;
            } else if (m_state.level[72] == 0) {
                m_state.showPhase = 2;
                p = 0;
            }
            break;
        case 2:
            ReactRipple(52);
            m_state.showPhase = 3;
            break;
        case 3:
            Render(multi);
            Spread();
            if (m_state.level[124] != 0) {
                m_state.showPhase = 4;
            }
            break;
        default:
            if (m_state.level[124] == 0) {
                m_state.showPhase = 0;
                p = 0;
            }
            break;
    }
    DecayAndDraw(setting, false);
}

void KeyboardLightEngine::Render(bool multiColor) {
    for (int c = 0; c < kPlaneColumns; ++c) {
        const std::uint8_t bits = ColumnUnion(c);
        if (bits == 0) {
            continue;
        }
        for (int r = 0; r < kRows; ++r) {
            if ((bits & (1u << r)) != 0) {
                LightKey(kKeyMatrix[c][r], multiColor);
            }
        }
    }
}

void KeyboardLightEngine::Spread() {
    // Each plane copies every bit one row up or down and one column left or right.
    constexpr std::array<int, 4> kRowMove = {-1, -1, 1, 1};
    constexpr std::array<int, 4> kColumnMove = {-1, 1, 1, -1};
    for (int q = 0; q < 4; ++q) {
        const LightPlane old = m_state.planes[q];
        LightPlane moved{};
        for (int c = 0; c < kPlaneColumns; ++c) {
            const unsigned bits = old[c];
            if (bits == 0) {
                continue;
            }
            moved[c] |= static_cast<std::uint8_t>(kRowMove[q] < 0 ? bits >> 1 : bits << 1);
            const int to = c + kColumnMove[q];
            if (to >= 0 && to < kPlaneColumns) {
                moved[to] |= static_cast<std::uint8_t>(bits);
            }
        }
        m_state.planes[q] = moved;
    }
}

void KeyboardLightEngine::DecayAndDraw(const LightSetting& setting, bool alongOrder) {
    const std::uint8_t level = BrightnessLevel(setting.brightness);
    auto draw = [&](int key) {
        m_state.level[key] = FadeStep(m_state.level[key]);
        m_colors[key] = KeyColor(key, setting, Scale(level, m_state.level[key]));
    };
    if (alongOrder) {
        for (std::uint8_t key : kKeyOrder) {
            if (key < kLogicalKeyCount) {
                draw(key);
            }
        }
    } else {
        for (int key = 0; key < kLogicalKeyCount; ++key) {
            draw(key);
        }
    }
}

void KeyboardLightEngine::React(std::uint8_t mode, int key, int event) {
    if (key < 0 || key >= kLogicalKeyCount || kKeyPlaces[key].column < 0 ||
        (event != 1 && event != 2)) {
        return;
    }
    std::lock_guard lock(m_lock);
    switch (mode) {
        case 6:
            m_state.reaction[key] = static_cast<KeyReaction>(event);
            m_state.level[key] = 255;
            break;
        case 7:
        case 8:
            if (event == 1) {
                ReactRipple(key);
            }
            break;
        case 23:
            ReactNeighbours(key, event);
            break;
        default:
            break;
    }
}

void KeyboardLightEngine::ReactRipple(int key) {
    const KeyPlace place = kKeyPlaces[key];
    if (place.column >= 0) {
        SetPlaneBit(place.column, place.row);
    }
}

void KeyboardLightEngine::ReactNeighbours(int key, int event) {
    const KeyPlace place = kKeyPlaces[key];
    auto forRing = [&](const auto& ring, auto action) {
        for (const Offset& o : ring) {
            const std::uint8_t neighbour = KeyAt(place.column + o.column, place.row + o.row);
            if (neighbour < kLogicalKeyCount) {
                action(neighbour);
            }
        }
    };
    if (event == 1) {
        m_state.reaction[key] = KeyReaction::kRising;
        m_state.pressed[key] = 1;
        m_state.level[key] = 255;
        auto raise = [&](int amount) {
            return [this, amount](std::uint8_t n) {
                m_state.level[n] = RaiseBy(m_state.level[n], amount);
                m_state.reaction[n] = KeyReaction::kRising;
            };
        };
        forRing(kNearRing, raise(150));
        forRing(kMiddleRing, raise(90));
        forRing(kFarRing, raise(60));
        return;
    }
    // A key stays up while any other held key is close enough to have raised it.
    auto heldNearby = [&](std::uint8_t of) {
        const KeyPlace at = kKeyPlaces[of];
        constexpr std::array<Offset, 13> kNeighbourhood = {{{0, 0},
                                                            {0, -1},
                                                            {0, 1},
                                                            {0, -2},
                                                            {0, 2},
                                                            {-1, -1},
                                                            {-1, 0},
                                                            {-1, 1},
                                                            {1, -1},
                                                            {1, 0},
                                                            {1, 1},
                                                            {-2, 0},
                                                            {2, 0}}};
        for (const Offset& o : kNeighbourhood) {
            const std::uint8_t other = KeyAt(at.column + o.column, at.row + o.row);
            if (other < kLogicalKeyCount && other != key && m_state.pressed[other] != 0) {
                return true;
            }
        }
        return false;
    };
    auto lower = [&](int amount) {
        return [&, amount](std::uint8_t n) {
            if (heldNearby(n)) {
                return;
            }
            std::uint8_t& lv = m_state.level[n];
            lv = lv < amount ? 0 : lv - amount;
            m_state.reaction[n] = KeyReaction::kFalling;
        };
    };
    forRing(kNearRing, lower(15));
    forRing(kMiddleRing, lower(90));
    forRing(kFarRing, lower(90));
    if (!heldNearby(static_cast<std::uint8_t>(key))) {
        m_state.reaction[key] = KeyReaction::kFalling;
    }
    m_state.pressed[key] = 0;
}

}  // namespace quaro
