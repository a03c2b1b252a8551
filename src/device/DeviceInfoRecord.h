#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quaro {

// The 34-byte device information record that command 0x03 returns. Keyboard and pad use the key
// count and the macro capacity; the mouse also its DPI geometry. Bytes 1-2 carry the firmware
// version (BCD, major in the high byte) that the tools show.
inline constexpr size_t kDeviceInfoSize = 34;
inline constexpr size_t kInfoFirmwareLow = 1;
inline constexpr size_t kInfoFirmwareHigh = 2;
inline constexpr size_t kInfoKeyCount = 5;
inline constexpr size_t kInfoMacroUnits = 6;  // macro memory in units of kMacroUnitBytes
inline constexpr size_t kInfoDpiStep = 11;
inline constexpr size_t kInfoSliderMax = 12;  // 16-bit
inline constexpr size_t kInfoMinDpi = 14;     // 16-bit
inline constexpr size_t kMacroUnitBytes = 128;

using DeviceInfoBytes = std::array<uint8_t, kDeviceInfoSize>;

struct DeviceInfo {
    uint16_t firmwareVersion = 0;
    uint8_t keyCount = 0;
    uint32_t macroCapacity = 0;  // bytes
    uint8_t dpiStep = 0;
    uint16_t sliderMax = 0;
    uint16_t minDpi = 0;
};

DeviceInfo ParseDeviceInfo(std::span<const uint8_t, kDeviceInfoSize> record);
DeviceInfoBytes ComposeDeviceInfo(const DeviceInfo& info);

}  // namespace quaro
