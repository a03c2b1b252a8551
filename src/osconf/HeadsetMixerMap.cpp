#include "osconf/HeadsetMixerMap.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace quaro {
namespace {

bool NamesMicrophone(const std::string& name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("mic") != std::string::npos;
}

// The first element that has the capability, a microphone's first; the same element as
// `preferred` when that one has it.
template <typename Has>
std::optional<std::size_t> Pick(const std::vector<MixerElementInfo>& elements, Has has,
                                std::optional<std::size_t> preferred, bool microphoneOnly) {
    if (preferred && has(elements[*preferred]) &&
        (!microphoneOnly || NamesMicrophone(elements[*preferred].name))) {
        return preferred;
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (has(elements[i]) && NamesMicrophone(elements[i].name)) {
            return i;
        }
    }
    if (microphoneOnly) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (has(elements[i])) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

HeadsetMixerMap MapHeadsetMixer(const std::vector<MixerElementInfo>& elements) {
    HeadsetMixerMap map;
    // A headset card records only from its microphone, so any capture element will do; its
    // playback side has the speaker too, so monitoring must be the microphone's own.
    map.micVolume = Pick(
        elements, [](const MixerElementInfo& e) { return e.captureVolume; }, std::nullopt, false);
    map.micSwitch = Pick(
        elements, [](const MixerElementInfo& e) { return e.captureSwitch; }, map.micVolume, false);
    map.monitorVolume = Pick(
        elements, [](const MixerElementInfo& e) { return e.playbackVolume; }, map.micVolume, true);
    map.monitorSwitch = Pick(
        elements, [](const MixerElementInfo& e) { return e.playbackSwitch; },
        map.monitorVolume ? map.monitorVolume : map.micVolume, true);
    return map;
}

}  // namespace quaro
