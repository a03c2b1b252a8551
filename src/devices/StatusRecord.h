#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quaro {

// The power status record every kind answers to command 0x1A: battery level, charge state, the
// link flag, a value the page passes on to its window, and the phone on the pad's charger.
inline constexpr std::size_t kStatusRecordSize = 6;

// Charge states, as the power widget tells them apart.
inline constexpr std::uint8_t kChargePowered = 0;
inline constexpr std::uint8_t kChargeCharging = 1;
inline constexpr std::uint8_t kChargeOnBattery = 2;

// Phone types of the pad's charger; any other value means no phone.
inline constexpr std::uint8_t kPhoneIphone = 1;
inline constexpr std::uint8_t kPhoneSamsung = 2;
inline constexpr std::uint8_t kPhoneOther = 3;

struct StatusRecord {
    std::uint8_t batteryLevel = 0;  // percent
    std::uint8_t chargeState = 0;
    std::uint8_t wireless = 0;
    std::uint8_t notice = 0;  // byte 4, handed on to the window as it is
    std::uint8_t phoneType = 0;

    // A record shorter than six bytes reads as if padded with zeros. The device's own byte 3 is
    // not trusted: whether the device sits behind a slow link is the host's knowledge.
    static StatusRecord Parse(std::span<const std::uint8_t> record, bool slowLink);
};

}  // namespace quaro
