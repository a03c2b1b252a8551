#pragma once

#include "profiles/MacroEvent.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quaro {

struct MacroImageResult {
    // 0 packed (bytes hold the image, empty when there are no macros), a positive number of
    // 4-byte units over the device's capacity plus one, or -1 when the block could not be
    // allocated.
    int status = 0;
    std::vector<std::uint8_t> bytes;
};

// Packs the macro memory image shared by keyboard and mouse: magic AA 55, total length, macro
// count, ten reserved bytes, one 16-bit start offset per macro, then each macro as its event count,
// two reserved bytes and 4-byte events. capacityBytes is the device's macro memory size.
class MacroImage {
public:
    static std::size_t Length(std::span<const MacroEvents> macros);
    static MacroImageResult Pack(std::span<const MacroEvents> macros, std::size_t capacityBytes);
};

}  // namespace quaro
