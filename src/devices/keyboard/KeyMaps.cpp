#include "devices/keyboard/KeyMaps.h"

namespace quaro {

int KeyMaps::LogicalKeyAtSlot(int physicalSlot) const {
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        if (slot[key] != kNoKeyEntry && slot[key] == physicalSlot) {
            return key;
        }
    }
    return -1;
}

KeyMaps BuildKeyMaps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> lightTable,
                     int keyCount) {
    KeyMaps maps;
    if (keyCount <= 0 || keyCount > kMaxKeySlots ||
        image.size() < static_cast<std::size_t>(keyCount) * 3 ||
        lightTable.size() < static_cast<std::size_t>(keyCount)) {
        return maps;
    }
    maps.keyCount = keyCount;
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        const KeyCode wanted = kDefaultKeyTable[key];
        for (int physical = 0; physical < keyCount; ++physical) {
            const std::uint8_t* code = &image[static_cast<std::size_t>(physical) * 3];
            if (code[0] == wanted.type && code[1] == wanted.first && code[2] == wanted.second) {
                maps.slot[key] = static_cast<std::uint8_t>(physical);
                // Every mapped key gets its light position, also on keyboards with fewer than 126
                // slots, where a key numbered above the slot count can still have a slot.
                maps.light[key] = lightTable[physical];
                break;
            }
        }
    }
    return maps;
}

std::vector<std::uint8_t> ComposeKeyImage(std::span<const std::uint8_t> storedImage,
                                          const KeyMaps& maps,
                                          std::span<const KeyAssignmentEntry> keys) {
    const std::size_t length = static_cast<std::size_t>(maps.keyCount) * 3;
    std::vector<std::uint8_t> image(length, 0);
    for (std::size_t i = 0; i < length && i < storedImage.size(); ++i) {
        image[i] = storedImage[i];
    }
    for (std::size_t key = 0; key < keys.size() && key < maps.slot.size(); ++key) {
        const std::uint8_t physical = maps.slot[key];
        if (physical == kNoKeyEntry || physical >= maps.keyCount) {
            continue;
        }
        image[physical * 3u] = keys[key].code.type;
        image[physical * 3u + 1] = keys[key].code.first;
        image[physical * 3u + 2] = keys[key].code.second;
    }
    return image;
}

bool ResetMissingMacros(std::span<KeyAssignmentEntry> keys, std::size_t macroCount) {
    bool changed = false;
    for (KeyAssignmentEntry& key : keys) {
        if (IsMacroCode(key.code) && key.code.first >= macroCount) {
            key.code = key.defaultCode;
            changed = true;
        }
    }
    return changed;
}

}  // namespace quaro
