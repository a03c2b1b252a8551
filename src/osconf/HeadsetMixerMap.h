#pragma once

#include "osconf/Mixer.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace quaro {

// Which elements of a headset card carry the microphone's level and mute and its monitoring
// (the microphone heard in the headphones). USB audio cards name their elements after the
// terminal they control, so the microphone is the element called "Mic" where there is one: its
// capture side is the recording level, its playback side the monitoring.
struct HeadsetMixerMap {
    std::optional<std::size_t> micVolume;      // capture volume
    std::optional<std::size_t> micSwitch;      // capture switch
    std::optional<std::size_t> monitorVolume;  // playback volume of the microphone
    std::optional<std::size_t> monitorSwitch;  // playback switch of the microphone
};

HeadsetMixerMap MapHeadsetMixer(const std::vector<MixerElementInfo>& elements);

}  // namespace quaro
