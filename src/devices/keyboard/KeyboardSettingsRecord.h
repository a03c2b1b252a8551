#pragma once

#include "devices/LightRecordFields.h"
#include "devices/keyboard/SystemSettings.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>

namespace quaro {

inline constexpr std::size_t kKeyboardSettingsRecordSize = 25;
using KeyboardSettingsBytes = std::array<std::uint8_t, kKeyboardSettingsRecordSize>;

// What a settings record read from the keyboard tells the page. The device does not report
// direction, repeat, repeat delay or polling rate, so they are not taken from it.
struct KeyboardSettingsReadBack : LightReadBack {
    std::uint8_t wFlag = 0;
    std::uint8_t key6Flag = 0;
    std::uint8_t winFlag = 0;
    // The record as read, with byte 16 cleared.
    KeyboardSettingsBytes kept{};
};

// Every field the record holds, as the device keeps it; for showing device memory rather than
// for driving the page (which ignores the direction and polling rate the device reports).
struct KeyboardSettingsFields : LightReadBack {
    std::uint8_t recordNumber = 0;
    std::uint8_t direction = 0;
    std::uint8_t wFlag = 0;
    std::uint8_t key6Flag = 0;
    std::uint8_t winFlag = 0;
    std::uint8_t pollingRate = 0;
};

// The 25-byte light and system record of the keyboard's settings memory. Only modes the firmware
// plays itself (3 and 13) are written as such; every software effect is stored as mode 1. Speed is
// stored inverted (4 - speed, in 8 bits, so speed 5 survives the round trip).
class KeyboardSettingsRecord {
public:
    static KeyboardSettingsBytes Compose(std::uint8_t recordNumber, const LightSetting& light,
                                         const SystemSettings& system);

    // record must hold 25 bytes; a shorter read yields nothing.
    static bool Parse(std::span<const std::uint8_t> record, KeyboardSettingsReadBack& out);

    // record must hold 25 bytes; a shorter read yields nothing.
    static bool Decode(std::span<const std::uint8_t> record, KeyboardSettingsFields& out);
};

}  // namespace quaro
