#pragma once

#include "osconf/Mixer.h"

#include <filesystem>

namespace quaro {

// The simulated headset's mixer file in the bus folder. Every call reads the file afresh and
// every change rewrites it whole, so the library, quaroctl and a person editing it by hand all
// see one mixer; a missing or damaged file fails every call, as an unplugged card would.
class SimulatedMixer : public Mixer {
public:
    explicit SimulatedMixer(std::filesystem::path busFolder);

    std::vector<MixerElementInfo> Elements() override;
    std::optional<MixerRange> Range(std::size_t element, MixerDirection direction) override;
    std::optional<long> DbOf(std::size_t element, MixerDirection direction, long raw) override;
    std::optional<long> Volume(std::size_t element, MixerDirection direction) override;
    bool SetVolume(std::size_t element, MixerDirection direction, long raw) override;
    std::optional<bool> Switch(std::size_t element, MixerDirection direction) override;
    bool SetSwitch(std::size_t element, MixerDirection direction, bool on) override;

private:
    std::filesystem::path m_bus;
};

}  // namespace quaro
