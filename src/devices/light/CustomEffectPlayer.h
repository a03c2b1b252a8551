#pragma once

#include "devices/light/LightPrimitives.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace quaro {

// Plays a user's custom light effect: a list of steps, each an effect with its own brightness,
// speed and colour shown for its time in milliseconds. The steps are replaced from the profile
// thread while the light thread plays, so both sides take the player's lock.
class CustomEffectPlayer {
public:
    explicit CustomEffectPlayer(MillisecondClock clock);

    // New steps start over from the first one.
    void SetSteps(std::vector<LightEffectStep> steps);
    std::size_t StepCount() const;

    // One pass of the light thread; pageSpeed paces the flash step's on/off toggles.
    void Play(std::span<LedColor> leds, std::uint8_t pageSpeed);

private:
    void Draw(std::span<LedColor> leds, const LightEffectStep& step, std::uint8_t pageSpeed,
              std::uint32_t now);

    MillisecondClock m_clock;
    mutable std::mutex m_lock;
    std::vector<LightEffectStep> m_steps;
    std::size_t m_index = 0;
    std::uint32_t m_stepStart = 0;
    bool m_started = false;
    std::uint8_t m_passes = 0;
    std::uint8_t m_phase = 0;
    // Wheel colour of a multicolour breathing step: it moves on at the end of each breath.
    std::uint8_t m_breathHue = 0;
    std::uint8_t m_flashHue = 0;
    bool m_flashOn = false;
    std::uint32_t m_lastFlip = 0;
};

}  // namespace quaro
