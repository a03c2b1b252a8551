#pragma once

#include <filesystem>
#include <ostream>

namespace quaro {

// `read headset audio`: the headset's microphone and monitoring levels and mutes, read through
// the audio library's own code from the headset's sound card, or from the simulated headset's
// mixer in busFolder when no real one is plugged in. Returns a quaroctl exit status.
int ReadHeadsetAudio(const std::filesystem::path& busFolder, bool json, std::ostream& out,
                     std::ostream& err);

}  // namespace quaro
