#pragma once

#include "devices/LightRecordFields.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>

namespace quaro {

// The light record of the mouse pad, also used by the headset. A read takes 25 bytes at record
// number x 25; a write sends the 21 kept bytes at record number x 64.
inline constexpr std::size_t kPadSettingsReadSize = 25;
inline constexpr std::size_t kPadSettingsKeptSize = 21;
inline constexpr std::size_t kPadSettingsReadStride = 25;
inline constexpr std::size_t kPadSettingsWriteStride = 64;
inline constexpr std::uint8_t kPadLightModeCount = 9;

using PadSettingsBytes = std::array<std::uint8_t, kPadSettingsKeptSize>;

// Every field of a read, as the device keeps it; for showing device memory. Bytes 9-20 have no
// meaning the host knows and are kept as they are.
struct PadSettingsFields : LightReadBack {
    std::uint8_t recordNumber = 0;
    std::uint8_t direction = 0;
    std::array<std::uint8_t, kPadSettingsKeptSize - 9> opaque{};
};

// The page's copy of the record. Byte 3 is held as the speed itself and inverted only on the way
// to and from the device; the direction and bytes 9-20 are whatever the device last gave.
class PadSettingsRecord {
public:
    const PadSettingsBytes& Bytes() const { return m_bytes; }

    std::uint8_t RecordNumber() const { return m_bytes[0]; }
    std::uint8_t Mode() const { return m_bytes[1]; }
    std::uint8_t Speed() const { return m_bytes[3]; }

    // Keeps bytes 0-20 of a 25-byte read; a short read leaves the record as it was.
    bool TakeFromDevice(std::span<const std::uint8_t> read);

    // Mode, brightness, speed, multicolour and colour from the profile; never the direction.
    void ApplyLight(const LightSetting& light);

    // The setting with the record's mode, brightness, speed, multicolour and colour in place of
    // its own; the direction and the per-LED extras stay the setting's.
    LightSetting OverLight(LightSetting light) const;

    // The bytes to write: speed inverted, and a mode the pad does not know written as 0.
    PadSettingsBytes ComposeForDevice() const;

    // A 25-byte read; a short read yields nothing.
    static bool Decode(std::span<const std::uint8_t> read, PadSettingsFields& out);

private:
    PadSettingsBytes m_bytes{};
};

}  // namespace quaro
