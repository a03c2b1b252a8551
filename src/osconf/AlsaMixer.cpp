#include "osconf/AlsaMixer.h"

#include "platform/Trace.h"

#include <alsa/asoundlib.h>
#include <string>

namespace quaro {

std::unique_ptr<AlsaMixer> AlsaMixer::Open(int cardNumber) {
    snd_mixer_t* handle = nullptr;
    if (snd_mixer_open(&handle, 0) < 0) {
        return nullptr;
    }
    const std::string name = "hw:" + std::to_string(cardNumber);
    if (snd_mixer_attach(handle, name.c_str()) < 0 ||
        snd_mixer_selem_register(handle, nullptr, nullptr) < 0 || snd_mixer_load(handle) < 0) {
        TraceFormat("osConfLib: the mixer of %s cannot be opened\n", name.c_str());
        snd_mixer_close(handle);
        return nullptr;
    }
    return std::unique_ptr<AlsaMixer>(new AlsaMixer(handle));
}

AlsaMixer::AlsaMixer(snd_mixer_t* handle) : m_handle(handle) {
    for (snd_mixer_elem_t* element = snd_mixer_first_elem(m_handle); element != nullptr;
         element = snd_mixer_elem_next(element)) {
        if (snd_mixer_selem_is_active(element) != 0) {
            m_elements.push_back(element);
        }
    }
}

AlsaMixer::~AlsaMixer() {
    snd_mixer_close(m_handle);
}

snd_mixer_elem_t* AlsaMixer::Element(std::size_t element) {
    // A removed card reports its end here; its elements are then no longer touched.
    if (snd_mixer_handle_events(m_handle) < 0 || element >= m_elements.size()) {
        return nullptr;
    }
    return m_elements[element];
}

std::vector<MixerElementInfo> AlsaMixer::Elements() {
    std::vector<MixerElementInfo> elements;
    for (snd_mixer_elem_t* element : m_elements) {
        elements.push_back({snd_mixer_selem_get_name(element),
                            snd_mixer_selem_has_capture_volume(element) != 0,
                            snd_mixer_selem_has_capture_switch(element) != 0,
                            snd_mixer_selem_has_playback_volume(element) != 0,
                            snd_mixer_selem_has_playback_switch(element) != 0});
    }
    return elements;
}

std::optional<MixerRange> AlsaMixer::Range(std::size_t element, MixerDirection direction) {
    snd_mixer_elem_t* handle = Element(element);
    long min = 0;
    long max = 0;
    if (handle == nullptr) {
        return std::nullopt;
    }
    const int result = direction == MixerDirection::kCapture
                           ? snd_mixer_selem_get_capture_volume_range(handle, &min, &max)
                           : snd_mixer_selem_get_playback_volume_range(handle, &min, &max);
    if (result < 0) {
        return std::nullopt;
    }
    return MixerRange{min, max};
}

std::optional<long> AlsaMixer::DbOf(std::size_t element, MixerDirection direction, long raw) {
    snd_mixer_elem_t* handle = Element(element);
    long db = 0;
    if (handle == nullptr) {
        return std::nullopt;
    }
    const int result = direction == MixerDirection::kCapture
                           ? snd_mixer_selem_ask_capture_vol_dB(handle, raw, &db)
                           : snd_mixer_selem_ask_playback_vol_dB(handle, raw, &db);
    if (result < 0) {
        return std::nullopt;
    }
    return db;
}

std::optional<long> AlsaMixer::Volume(std::size_t element, MixerDirection direction) {
    snd_mixer_elem_t* handle = Element(element);
    long value = 0;
    if (handle == nullptr) {
        return std::nullopt;
    }
    const int result =
        direction == MixerDirection::kCapture
            ? snd_mixer_selem_get_capture_volume(handle, SND_MIXER_SCHN_FRONT_LEFT, &value)
            : snd_mixer_selem_get_playback_volume(handle, SND_MIXER_SCHN_FRONT_LEFT, &value);
    if (result < 0) {
        return std::nullopt;
    }
    return value;
}

bool AlsaMixer::SetVolume(std::size_t element, MixerDirection direction, long raw) {
    snd_mixer_elem_t* handle = Element(element);
    if (handle == nullptr) {
        return false;
    }
    return (direction == MixerDirection::kCapture
                ? snd_mixer_selem_set_capture_volume_all(handle, raw)
                : snd_mixer_selem_set_playback_volume_all(handle, raw)) >= 0;
}

std::optional<bool> AlsaMixer::Switch(std::size_t element, MixerDirection direction) {
    snd_mixer_elem_t* handle = Element(element);
    int value = 0;
    if (handle == nullptr) {
        return std::nullopt;
    }
    const int result =
        direction == MixerDirection::kCapture
            ? snd_mixer_selem_get_capture_switch(handle, SND_MIXER_SCHN_FRONT_LEFT, &value)
            : snd_mixer_selem_get_playback_switch(handle, SND_MIXER_SCHN_FRONT_LEFT, &value);
    if (result < 0) {
        return std::nullopt;
    }
    return value != 0;
}

bool AlsaMixer::SetSwitch(std::size_t element, MixerDirection direction, bool on) {
    snd_mixer_elem_t* handle = Element(element);
    if (handle == nullptr) {
        return false;
    }
    return (direction == MixerDirection::kCapture
                ? snd_mixer_selem_set_capture_switch_all(handle, on ? 1 : 0)
                : snd_mixer_selem_set_playback_switch_all(handle, on ? 1 : 0)) >= 0;
}

}  // namespace quaro
