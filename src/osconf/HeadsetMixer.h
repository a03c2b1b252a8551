#pragma once

#include "osconf/HeadsetMixerMap.h"
#include "osconf/LevelScale.h"
#include "osconf/Mixer.h"

#include <memory>
#include <optional>

namespace quaro {

enum class HeadsetLevel { kMicrophone, kMonitor };

// The headset's two levels and their mutes on its card's mixer, in the forms the audio library
// answers: 0.0-1.0 levels, the element's own unit (hundredths of a decibel, or raw steps), mute
// flags.
class HeadsetMixer {
public:
    explicit HeadsetMixer(std::unique_ptr<Mixer> mixer);

    bool HasVolume(HeadsetLevel level) const;
    bool HasSwitch(HeadsetLevel level) const;

    // A level set here reads back exactly as long as the card still holds the step it became,
    // although the card has fewer steps than there are levels; one changed elsewhere reads as
    // its step's level.
    std::optional<double> Level(HeadsetLevel level);
    bool SetLevel(HeadsetLevel level, double value);

    // The element's own unit; true when it is hundredths of a decibel.
    std::optional<long> Unit(HeadsetLevel level);
    bool SetUnit(HeadsetLevel level, double unit);
    bool UnitIsDb(HeadsetLevel level);
    // Lowest, highest and average step, in that unit.
    struct Limits {
        long min = 0;
        long max = 0;
        long step = 1;
    };
    std::optional<Limits> UnitLimits(HeadsetLevel level);

    std::optional<bool> Muted(HeadsetLevel level);
    bool SetMuted(HeadsetLevel level, bool muted);

private:
    struct Binding {
        std::optional<std::size_t> volume;
        std::optional<std::size_t> toggle;
        MixerDirection direction = MixerDirection::kCapture;
        // The last level set and the step it became.
        std::optional<double> setLevel;
        long setRaw = 0;
    };

    Binding& Bound(HeadsetLevel level);
    const Binding& Bound(HeadsetLevel level) const;
    std::optional<LevelScale> Scale(const Binding& binding);

    std::unique_ptr<Mixer> m_mixer;
    Binding m_microphone;
    Binding m_monitor;
};

}  // namespace quaro
