#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// The simulated headset's sound card: the mixer a USB headset's audio function shows the
// system, kept as one JSON document in the simulated bus folder so the audio library can use it
// where no real card is present, and a person can read or edit it.

// ALSA's marker for a step that silences rather than having a level; the same unit (hundredths
// of a decibel) is used throughout.
inline constexpr long kSimMixerMuteCentiDb = -9999999;

// One direction (capture or playback) of an element: a volume when hasVolume, a switch when
// hasSwitch (on = sound passes).
struct SimMixerDirection {
    bool hasVolume = false;
    long min = 0;
    long max = 0;
    long value = 0;
    bool hasDb = false;  // decibels linear in the raw value, like a sound card's dB scale
    long dbMin = 0;      // hundredths of a decibel at min
    long dbMax = 0;      // ... and at max
    bool muteAtMin = false;
    bool hasSwitch = false;
    bool on = true;

    // Hundredths of a decibel at raw, kSimMixerMuteCentiDb at a silencing minimum; empty
    // without decibel information or outside the range.
    std::optional<long> DbOf(long raw) const;
};

struct SimMixerElement {
    std::string name;
    SimMixerDirection capture;
    SimMixerDirection playback;
};

struct SimMixer {
    std::string card;
    std::vector<SimMixerElement> elements;
};

// "headset-mixer.json".
inline constexpr const char* kSimMixerFileName = "headset-mixer.json";

// The mixer a headset of the supported kind brings: "Speaker" playback volume and switch, "Mic"
// capture volume and switch, and "Mic" playback volume and switch (the microphone heard in the
// headphones), at the levels such a headset starts with.
SimMixer DefaultHeadsetMixer();

// JSON: {"card": text, "elements": [{"name": text, "capture": {...}, "playback": {...}}]};
// a direction holds "min", "max", "value" for a volume, "dBMin", "dBMax" (hundredths of a
// decibel) and "muteAtMin" for its decibel scale, "switch" (true = on) for a switch.
std::string FormatSimMixer(const SimMixer& mixer);

// Empty when the text is not a well-formed mixer: not JSON, no elements or more than 64, an
// element without a plain ASCII name of 1-64 characters, a volume whose minimum is not below its
// maximum, numbers out of bounds. Values outside their range are brought inside it.
std::optional<SimMixer> ParseSimMixer(const std::string& text);

std::filesystem::path SimMixerPath(const std::filesystem::path& busFolder);

// Written whole through a temporary file and a rename, so a reader never sees half a mixer.
bool PublishSimMixer(const std::filesystem::path& busFolder, const SimMixer& mixer);

// The mixer in the bus folder; empty when there is none or it cannot be read.
std::optional<SimMixer> ReadSimMixer(const std::filesystem::path& busFolder);

// Removes the mixer: the headset was unplugged.
void RemoveSimMixer(const std::filesystem::path& busFolder);

}  // namespace quaro
