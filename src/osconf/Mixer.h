#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

enum class MixerDirection { kCapture, kPlayback };

// What one simple mixer element offers, in the card's own order.
struct MixerElementInfo {
    std::string name;
    bool captureVolume = false;
    bool captureSwitch = false;
    bool playbackVolume = false;
    bool playbackSwitch = false;
};

struct MixerRange {
    long min = 0;
    long max = 0;
};

// A sound card's mixer: ALSA for a real headset, the simulated bus's mixer file otherwise.
// Elements are addressed by their position in Elements(). Every call may fail (the card was
// unplugged); a failed call changes nothing.
class Mixer {
public:
    virtual ~Mixer() = default;

    virtual std::vector<MixerElementInfo> Elements() = 0;
    virtual std::optional<MixerRange> Range(std::size_t element, MixerDirection direction) = 0;
    // Hundredths of a decibel at a raw value (-9999999 for silence); empty without decibel
    // information.
    virtual std::optional<long> DbOf(std::size_t element, MixerDirection direction, long raw) = 0;
    // Channels of one element move together; the first channel is read.
    virtual std::optional<long> Volume(std::size_t element, MixerDirection direction) = 0;
    virtual bool SetVolume(std::size_t element, MixerDirection direction, long raw) = 0;
    // true = sound passes.
    virtual std::optional<bool> Switch(std::size_t element, MixerDirection direction) = 0;
    virtual bool SetSwitch(std::size_t element, MixerDirection direction, bool on) = 0;
};

}  // namespace quaro
