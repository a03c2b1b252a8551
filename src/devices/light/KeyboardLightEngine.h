#pragma once

#include "devices/keyboard/KeyTables.h"
#include "devices/light/CustomEffectPlayer.h"
#include "devices/light/LightListComposer.h"
#include "devices/light/LightPrimitives.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

namespace quaro {

inline constexpr int kPlaneColumns = 23;
using LightPlane = std::array<std::uint8_t, kPlaneColumns>;

// Reactive state of a key in the reactive effects.
enum class KeyReaction : std::uint8_t { kIdle = 0, kRising = 1, kFalling = 2 };

// Everything the keyboard's software effects remember between steps. The four planes hold moving
// bits over the key matrix (bit r of column c is row r); rows 6 and 7 light nothing.
struct KeyboardLightState {
    BaseLightState base;
    std::uint8_t phase = 0;
    std::uint8_t counter = 0;
    std::uint8_t showPhase = 0;
    std::array<std::uint8_t, kLogicalKeyCount> level{};
    std::array<std::uint8_t, kLogicalKeyCount> hue{};
    std::array<std::uint8_t, kLogicalKeyCount> pulse{};
    std::array<KeyReaction, kLogicalKeyCount> reaction{};
    std::array<std::uint8_t, kLogicalKeyCount> pressed{};
    std::array<LightPlane, 4> planes{};
    LightRing ring{};
};

// Step period of a keyboard mode at a speed level, in passes of the light thread; custom effect
// modes (19 and above 27) run on every pass.
std::uint8_t KeyboardLightPeriod(std::uint8_t mode, std::uint8_t speed);
bool IsKeyboardCustomEffectMode(std::uint8_t mode);

// The keyboard's software light effects over its 126 logical keys. The page's light thread calls
// Start and Step, its key event thread React and its frame timer SnapshotColors; the engine's lock
// keeps them apart, so a frame never mixes two steps.
class KeyboardLightEngine {
public:
    KeyboardLightEngine(MillisecondClock clock, RandomSource random);

    // Resets the effect state and runs the mode's start step. Mode 17 shows customColors (one per
    // key, missing keys dark).
    void Start(std::uint8_t mode, std::span<const CustomLightColor> customColors = {});

    // One step of the mode: the setting's effect is ignored in favour of mode, its speed is the
    // effective speed.
    void Step(std::uint8_t mode, const LightSetting& setting);

    // Lays the per-LED settings over the key colours. The light thread calls it after every
    // pass, stepped or not: the settings' own cycles count passes.
    void Compose(LightListComposer& list);

    // A key event from the keyboard: event 1 pressed, 2 released.
    void React(std::uint8_t mode, int key, int event);

    // Consistent copies of the key colours and the effect state, for any thread.
    void SnapshotColors(std::span<LedColor> out) const;
    std::array<LedColor, kLogicalKeyCount> SnapshotColors() const;
    KeyboardLightState SnapshotState() const;

    // Sets the key colours from another thread (the light sync drives them so): as many keys
    // as colours are given.
    void SetColors(std::span<const LedColor> colors);

    // The player has its own lock.
    CustomEffectPlayer& CustomEffect() { return m_custom; }

private:
    void RunStep(std::uint8_t mode, const LightSetting& setting);
    std::uint8_t RandomHue() { return static_cast<std::uint8_t>(m_random() % 192); }
    LedColor KeyColor(int key, const LightSetting& setting, std::uint8_t intensity) const;

    void HueSpread();
    void PulseStart();
    void PhasedStart();
    void SetPlaneBit(int column, int row);
    std::uint8_t ColumnUnion(int column) const;

    void ColumnWave(const LightSetting& setting, bool rows);
    void FineColumnWave(const LightSetting& setting);
    void Snake(const LightSetting& setting);
    void HueCycle(const LightSetting& setting);
    void KeyPulse(const LightSetting& setting, bool phased);
    void Sparkle(const LightSetting& setting);
    void CustomKeyColors(const LightSetting& setting);
    void Rings(const LightSetting& setting);
    void Frames(const LightSetting& setting);
    void PathFill(const LightSetting& setting);
    void Ripple(const LightSetting& setting);
    void RowRipple(const LightSetting& setting);
    void SweepingPlanes(const LightSetting& setting);
    void CentrePulse(const LightSetting& setting);
    void ReactiveLevels(const LightSetting& setting);
    void Show(const LightSetting& setting);

    void Render(bool multiColor);
    void Spread();
    void DecayAndDraw(const LightSetting& setting, bool alongOrder);
    void LightKey(int key, bool multiColor);

    void ReactRipple(int key);
    void ReactNeighbours(int key, int event);

    MillisecondClock m_clock;
    RandomSource m_random;
    mutable std::mutex m_lock;
    KeyboardLightState m_state;
    std::array<LedColor, kLogicalKeyCount> m_colors{};
    std::array<LedColor, kLogicalKeyCount> m_customColors{};
    CustomEffectPlayer m_custom;
};

}  // namespace quaro
