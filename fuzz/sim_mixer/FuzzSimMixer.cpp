// The simulated headset's mixer file is one any local process can write, and the audio library
// reads it on every call: whatever it holds must be refused cleanly, or give a mixer whose
// levels scale inside their ranges.
#include "osconf/LevelScale.h"
#include "sim/SimMixer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void CheckScale(const quaro::SimMixerDirection& side) {
    if (!side.hasVolume) {
        return;
    }
    const quaro::LevelScale scale(side.min, side.max, [&side](long raw) { return side.DbOf(raw); });
    for (const double level : {0.0, 0.25, 0.5, 0.999, 1.0}) {
        const long raw = scale.RawOfLevel(level);
        const double back = scale.LevelOf(raw);
        if (raw < side.min || raw > side.max || back < 0.0 || back > 1.0) {
            __builtin_trap();
        }
    }
    if (scale.RawOfLevel(scale.LevelOf(side.value)) != side.value && !scale.UsesDb()) {
        __builtin_trap();  // over raw steps every step is its own level
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto mixer = quaro::ParseSimMixer(text);
    if (!mixer) {
        return 0;
    }
    for (const quaro::SimMixerElement& element : mixer->elements) {
        CheckScale(element.capture);
        CheckScale(element.playback);
    }
    const auto again = quaro::ParseSimMixer(quaro::FormatSimMixer(*mixer));
    if (!again || again->elements.size() != mixer->elements.size() ||
        again->elements[0].capture.value != mixer->elements[0].capture.value) {
        __builtin_trap();  // what we write must read back the same
    }
    return 0;
}
