#pragma once

#include "devices/LightRecordFields.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>

namespace quaro {

// The mouse keeps one 128-byte slot per settings record; the page writes 66 bytes of it and reads
// back 71.
inline constexpr std::size_t kMouseSettingsRecordStride = 128;
inline constexpr std::size_t kMouseSettingsWriteSize = 66;
inline constexpr std::size_t kMouseSettingsReadSize = 71;
inline constexpr int kMouseDpiStageCount = 5;
inline constexpr std::uint8_t kMouseLightModeCount = 9;

using MouseSettingsBytes = std::array<std::uint8_t, kMouseSettingsWriteSize>;

struct MouseSettingsInput {
    std::uint8_t recordNumber = 0;
    LightSetting light;
    std::uint8_t reportRate = 0;
    std::uint8_t activeStage = 0;
    std::span<const DpiStage> stages;
    std::uint16_t screenWidth = 0;
    std::uint16_t screenHeight = 0;
    std::span<const CorrectPreset> corrections;
};

// What the page takes from a record read back: the light fields (not the direction) and the
// active DPI stage.
struct MouseSettingsReadBack : LightReadBack {
    std::uint8_t activeStage = 0;
};

// Every field of a 71-byte read, as the device keeps it; for showing device memory. Stage DPI is in
// slider units; bytes 66-70 have no meaning the host knows.
struct MouseSettingsFields : LightReadBack {
    std::uint8_t recordNumber = 0;
    std::uint8_t direction = 0;
    std::uint8_t reportRate = 0;
    std::uint8_t activeStage = 0;
    std::array<DpiStage, kMouseDpiStageCount> stages{};
    std::uint16_t screenWidth = 0;
    std::uint16_t screenHeight = 0;
    std::uint8_t minimumSquare = 0;
    std::uint8_t pixelThreshold = 0;
    std::array<std::uint8_t, kMouseSettingsReadSize - kMouseSettingsWriteSize> trailing{};
};

class MouseSettingsRecord {
public:
    // Light modes the mouse does not know (9 and above) are written as mode 0; stages beyond the
    // profile's list are zero.
    static MouseSettingsBytes Compose(const MouseSettingsInput& input);

    // record must hold at least the 71 bytes of a read.
    static bool Parse(std::span<const std::uint8_t> record, MouseSettingsReadBack& out);

    // The inverse of Compose over a read of at least 71 bytes.
    static bool Decode(std::span<const std::uint8_t> record, MouseSettingsFields& out);
};

}  // namespace quaro
