#pragma once

#include "devices/light/LightPrimitives.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace quaro {

// The per-LED light settings of a profile ("LightList": entry i governs LED i, logical key i on
// the keyboard), laid over what the effect drew after every pass of the light thread. The profile
// side replaces the list while the light thread composes, so both take the composer's lock.
class LightListComposer {
public:
    explicit LightListComposer(MillisecondClock clock);

    // New entries start with fresh counters, hues and blink states.
    void Load(std::vector<LightSetting> entries);

    void Compose(std::span<LedColor> leds);

    // Whether composing again would give the same colours over the same effect colours: no entry
    // breathes, cycles or blinks. The light thread may then sleep between the effect's steps.
    bool IsStill() const;

private:
    struct LedState {
        std::uint8_t counter = 0;
        std::uint8_t hue = 0;
        bool blinkOn = false;
        std::uint32_t lastFlip = 0;
    };

    MillisecondClock m_clock;
    mutable std::mutex m_lock;
    std::vector<LightSetting> m_entries;
    std::vector<LedState> m_states;
};

}  // namespace quaro
