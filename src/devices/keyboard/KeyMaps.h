#pragma once

#include "devices/keyboard/KeyTables.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace quaro {

inline constexpr std::uint8_t kNoKeyEntry = 255;
// The channel refuses images above 512 bytes, so a keyboard has at most 170 key slots.
inline constexpr int kMaxKeySlots = 170;

// Where each logical key lives in the device: its physical slot in the key image and its position
// in the light frame; kNoKeyEntry when it has none. keyCount is the device's physical key count.
struct KeyMaps {
    int keyCount = 0;
    std::array<std::uint8_t, kLogicalKeyCount> slot{};
    std::array<std::uint8_t, kLogicalKeyCount> light{};

    KeyMaps() {
        slot.fill(kNoKeyEntry);
        light.fill(kNoKeyEntry);
    }

    // The first logical key at physical slot, or -1 (how key events find their key).
    int LogicalKeyAtSlot(int physicalSlot) const;
};

// Finds each logical key's factory code among the image's slots (first match wins, so the spare
// keys all share the first 20 00 00 slot) and takes its light position from the light table.
// image holds keyCount codes, lightTable keyCount bytes; a key count above kMaxKeySlots or
// tables shorter than it give empty maps.
KeyMaps BuildKeyMaps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> lightTable,
                     int keyCount);

// The image to write: the image read from the device with every mapped key's current code put at
// its slot. Slots no logical key maps to keep the bytes the device gave.
std::vector<std::uint8_t> ComposeKeyImage(std::span<const std::uint8_t> storedImage,
                                          const KeyMaps& maps,
                                          std::span<const KeyAssignmentEntry> keys);

// Keys whose macro code names a macro beyond the library (numbers from macroCount on) go back to
// their default code. Returns whether any key changed.
bool ResetMissingMacros(std::span<KeyAssignmentEntry> keys, std::size_t macroCount);

}  // namespace quaro
