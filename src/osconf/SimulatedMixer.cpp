#include "osconf/SimulatedMixer.h"

#include "sim/SimMixer.h"

#include <algorithm>
#include <utility>

namespace quaro {
namespace {

const SimMixerDirection* Side(const SimMixer& mixer, std::size_t element,
                              MixerDirection direction) {
    if (element >= mixer.elements.size()) {
        return nullptr;
    }
    const SimMixerElement& entry = mixer.elements[element];
    return direction == MixerDirection::kCapture ? &entry.capture : &entry.playback;
}

SimMixerDirection* Side(SimMixer& mixer, std::size_t element, MixerDirection direction) {
    return const_cast<SimMixerDirection*>(
        Side(static_cast<const SimMixer&>(mixer), element, direction));
}

}  // namespace

SimulatedMixer::SimulatedMixer(std::filesystem::path busFolder) : m_bus(std::move(busFolder)) {}

std::vector<MixerElementInfo> SimulatedMixer::Elements() {
    std::vector<MixerElementInfo> elements;
    if (const std::optional<SimMixer> mixer = ReadSimMixer(m_bus)) {
        for (const SimMixerElement& element : mixer->elements) {
            elements.push_back({element.name, element.capture.hasVolume, element.capture.hasSwitch,
                                element.playback.hasVolume, element.playback.hasSwitch});
        }
    }
    return elements;
}

std::optional<MixerRange> SimulatedMixer::Range(std::size_t element, MixerDirection direction) {
    const std::optional<SimMixer> mixer = ReadSimMixer(m_bus);
    const SimMixerDirection* side = mixer ? Side(*mixer, element, direction) : nullptr;
    if (side == nullptr || !side->hasVolume) {
        return std::nullopt;
    }
    return MixerRange{side->min, side->max};
}

std::optional<long> SimulatedMixer::DbOf(std::size_t element, MixerDirection direction, long raw) {
    const std::optional<SimMixer> mixer = ReadSimMixer(m_bus);
    const SimMixerDirection* side = mixer ? Side(*mixer, element, direction) : nullptr;
    return side == nullptr ? std::nullopt : side->DbOf(raw);
}

std::optional<long> SimulatedMixer::Volume(std::size_t element, MixerDirection direction) {
    const std::optional<SimMixer> mixer = ReadSimMixer(m_bus);
    const SimMixerDirection* side = mixer ? Side(*mixer, element, direction) : nullptr;
    if (side == nullptr || !side->hasVolume) {
        return std::nullopt;
    }
    return side->value;
}

bool SimulatedMixer::SetVolume(std::size_t element, MixerDirection direction, long raw) {
    std::optional<SimMixer> mixer = ReadSimMixer(m_bus);
    SimMixerDirection* side = mixer ? Side(*mixer, element, direction) : nullptr;
    if (side == nullptr || !side->hasVolume) {
        return false;
    }
    side->value = std::clamp(raw, side->min, side->max);
    return PublishSimMixer(m_bus, *mixer);
}

std::optional<bool> SimulatedMixer::Switch(std::size_t element, MixerDirection direction) {
    const std::optional<SimMixer> mixer = ReadSimMixer(m_bus);
    const SimMixerDirection* side = mixer ? Side(*mixer, element, direction) : nullptr;
    if (side == nullptr || !side->hasSwitch) {
        return std::nullopt;
    }
    return side->on;
}

bool SimulatedMixer::SetSwitch(std::size_t element, MixerDirection direction, bool on) {
    std::optional<SimMixer> mixer = ReadSimMixer(m_bus);
    SimMixerDirection* side = mixer ? Side(*mixer, element, direction) : nullptr;
    if (side == nullptr || !side->hasSwitch) {
        return false;
    }
    side->on = on;
    return PublishSimMixer(m_bus, *mixer);
}

}  // namespace quaro
