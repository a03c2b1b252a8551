#pragma once

#include "osconf/Mixer.h"

#include <memory>

struct _snd_mixer;
struct _snd_mixer_elem;

namespace quaro {

// A real card's simple mixer elements through alsa-lib. The mixer stays open; pending events
// are taken in before every read, so a change made by another program is seen.
class AlsaMixer : public Mixer {
public:
    // Empty when the card has no mixer or it cannot be opened.
    static std::unique_ptr<AlsaMixer> Open(int cardNumber);
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    std::vector<MixerElementInfo> Elements() override;
    std::optional<MixerRange> Range(std::size_t element, MixerDirection direction) override;
    std::optional<long> DbOf(std::size_t element, MixerDirection direction, long raw) override;
    std::optional<long> Volume(std::size_t element, MixerDirection direction) override;
    bool SetVolume(std::size_t element, MixerDirection direction, long raw) override;
    std::optional<bool> Switch(std::size_t element, MixerDirection direction) override;
    bool SetSwitch(std::size_t element, MixerDirection direction, bool on) override;

private:
    explicit AlsaMixer(_snd_mixer* handle);
    _snd_mixer_elem* Element(std::size_t element);

    _snd_mixer* m_handle;
    std::vector<_snd_mixer_elem*> m_elements;
};

}  // namespace quaro
