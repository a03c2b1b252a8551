#include "osconf/HeadsetMixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quaro {

HeadsetMixer::HeadsetMixer(std::unique_ptr<Mixer> mixer) : m_mixer(std::move(mixer)) {
    const HeadsetMixerMap map = MapHeadsetMixer(m_mixer->Elements());
    m_microphone.volume = map.micVolume;
    m_microphone.toggle = map.micSwitch;
    m_microphone.direction = MixerDirection::kCapture;
    m_monitor.volume = map.monitorVolume;
    m_monitor.toggle = map.monitorSwitch;
    m_monitor.direction = MixerDirection::kPlayback;
}

HeadsetMixer::Binding& HeadsetMixer::Bound(HeadsetLevel level) {
    return level == HeadsetLevel::kMicrophone ? m_microphone : m_monitor;
}

const HeadsetMixer::Binding& HeadsetMixer::Bound(HeadsetLevel level) const {
    return level == HeadsetLevel::kMicrophone ? m_microphone : m_monitor;
}

bool HeadsetMixer::HasVolume(HeadsetLevel level) const {
    return Bound(level).volume.has_value();
}

bool HeadsetMixer::HasSwitch(HeadsetLevel level) const {
    return Bound(level).toggle.has_value();
}

std::optional<LevelScale> HeadsetMixer::Scale(const Binding& binding) {
    if (!binding.volume) {
        return std::nullopt;
    }
    const std::optional<MixerRange> range = m_mixer->Range(*binding.volume, binding.direction);
    if (!range) {
        return std::nullopt;
    }
    Mixer* mixer = m_mixer.get();
    const std::size_t element = *binding.volume;
    const MixerDirection direction = binding.direction;
    return LevelScale(range->min, range->max, [mixer, element, direction](long raw) {
        return mixer->DbOf(element, direction, raw);
    });
}

std::optional<double> HeadsetMixer::Level(HeadsetLevel level) {
    Binding& binding = Bound(level);
    const std::optional<LevelScale> scale = Scale(binding);
    if (!scale) {
        return std::nullopt;
    }
    const std::optional<long> raw = m_mixer->Volume(*binding.volume, binding.direction);
    if (!raw) {
        return std::nullopt;
    }
    if (binding.setLevel && binding.setRaw == *raw) {
        return binding.setLevel;
    }
    binding.setLevel.reset();
    return scale->LevelOf(*raw);
}

bool HeadsetMixer::SetLevel(HeadsetLevel level, double value) {
    Binding& binding = Bound(level);
    const std::optional<LevelScale> scale = Scale(binding);
    if (!scale || std::isnan(value)) {
        return false;
    }
    value = std::clamp(value, 0.0, 1.0);
    const long raw = scale->RawOfLevel(value);
    if (!m_mixer->SetVolume(*binding.volume, binding.direction, raw)) {
        return false;
    }
    binding.setLevel = value;
    binding.setRaw = raw;
    return true;
}

std::optional<long> HeadsetMixer::Unit(HeadsetLevel level) {
    const Binding& binding = Bound(level);
    const std::optional<LevelScale> scale = Scale(binding);
    if (!scale) {
        return std::nullopt;
    }
    const std::optional<long> raw = m_mixer->Volume(*binding.volume, binding.direction);
    if (!raw) {
        return std::nullopt;
    }
    return scale->UnitOf(*raw);
}

bool HeadsetMixer::SetUnit(HeadsetLevel level, double unit) {
    Binding& binding = Bound(level);
    const std::optional<LevelScale> scale = Scale(binding);
    if (!scale || std::isnan(unit)) {
        return false;
    }
    if (!m_mixer->SetVolume(*binding.volume, binding.direction, scale->RawOfUnit(unit))) {
        return false;
    }
    binding.setLevel.reset();
    return true;
}

bool HeadsetMixer::UnitIsDb(HeadsetLevel level) {
    const std::optional<LevelScale> scale = Scale(Bound(level));
    return scale && scale->UsesDb();
}

std::optional<HeadsetMixer::Limits> HeadsetMixer::UnitLimits(HeadsetLevel level) {
    const std::optional<LevelScale> scale = Scale(Bound(level));
    if (!scale) {
        return std::nullopt;
    }
    return Limits{scale->UnitMin(), scale->UnitMax(), scale->UnitStep()};
}

std::optional<bool> HeadsetMixer::Muted(HeadsetLevel level) {
    const Binding& binding = Bound(level);
    if (!binding.toggle) {
        return std::nullopt;
    }
    const std::optional<bool> on = m_mixer->Switch(*binding.toggle, binding.direction);
    if (!on) {
        return std::nullopt;
    }
    return !*on;
}

bool HeadsetMixer::SetMuted(HeadsetLevel level, bool muted) {
    const Binding& binding = Bound(level);
    return binding.toggle && m_mixer->SetSwitch(*binding.toggle, binding.direction, !muted);
}

}  // namespace quaro
