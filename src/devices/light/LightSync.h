#pragma once

#include "devices/light/LedColor.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

namespace quaro {

// Device kinds as the catalogue numbers them, for the mode mapping of the light sync.
enum class SyncDeviceKind { kKeyboard, kMouse, kPad, kHeadset };

// The five effects the main window can play on all devices at once.
enum class SyncEffect : std::uint8_t {
    kBreathing = 0,
    kSteady = 1,
    kFlash = 2,
    kSpectrum = 3,
    kOff = 4,
};

// Step periods of the sync thread by speed index, in counted loop turns.
inline constexpr std::array<std::uint8_t, 15> kSyncPeriods = {28, 23, 18, 13, 7, 0, 0, 0,
                                                              0,  0,  0,  0,  0, 0, 0};

// One light position's colour as the sync sends it: red + green << 8 + blue << 16 +
// brightness << 24, which is also how a page stores a light colour entry.
constexpr std::uint32_t PackSyncColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                      std::uint8_t brightness) {
    return red | (std::uint32_t{green} << 8) | (std::uint32_t{blue} << 16) |
           (std::uint32_t{brightness} << 24);
}
constexpr LedColor UnpackSyncColor(std::uint32_t packed) {
    return {
        static_cast<std::uint8_t>(packed & 0xFF), static_cast<std::uint8_t>((packed >> 8) & 0xFF),
        static_cast<std::uint8_t>((packed >> 16) & 0xFF), static_cast<std::uint8_t>(packed >> 24)};
}

// The sync effect a page's light mode stands for, or none when the mode has no sync equivalent.
std::optional<SyncEffect> SyncEffectForMode(SyncDeviceKind kind, std::uint8_t mode);
// The mode that makes a device of this kind show the sync effect.
std::uint8_t DeviceModeForSyncEffect(SyncDeviceKind kind, SyncEffect effect);

// The light sync's effect state and steps. The main window's sync thread owns one, feeds it the
// millisecond tick on every loop turn and hands each colour it returns to the synchronised pages.
// The UI thread configures it while the sync thread ticks it, so every call takes its lock.
class LightSync {
public:
    // Takes the effect, brightness, speed, direction, multicolour flag and colour of the page the
    // sync started from; the running counters carry on.
    void Configure(SyncEffect effect, const LightSetting& setting);

    SyncEffect Effect() const;
    std::uint8_t Period() const;

    // The sync thread's start: turns are counted from this tick.
    void Reset(std::uint32_t now);

    // One loop turn of the sync thread at tick now: counts the turn when the tick moved forward
    // by 2 ms or more and, once the count reaches the period, runs a step and returns its packed
    // colour. A tick that went backwards counts nothing and becomes the new mark.
    std::optional<std::uint32_t> Tick(std::uint32_t now);

    // One step of the effect at tick now.
    std::uint32_t Step(std::uint32_t now);

private:
    std::uint8_t PeriodLocked() const;
    std::uint32_t StepLocked(std::uint32_t now);

    mutable std::mutex m_mutex;  // everything below
    SyncEffect m_effect = SyncEffect::kBreathing;
    LightSetting m_setting;
    std::uint8_t m_breathStep = 0;
    std::uint8_t m_breathHue = 0;
    std::uint8_t m_spectrumIndex = 0;
    bool m_flashOn = false;
    std::uint8_t m_flashHue = 0;
    std::uint32_t m_lastFlash = 0;
    std::uint32_t m_lastTick = 0;
    std::uint32_t m_turns = 0;
};

}  // namespace quaro
