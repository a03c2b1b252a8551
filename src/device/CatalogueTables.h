#pragma once

#include "device/CatalogueEntries.h"

#include <array>

namespace quaro {

inline constexpr int kCatalogueRowCount = 7;
inline constexpr int kDeviceTypeCount = 4;

// The HID interfaces the application drives. Keyboard and pad expose their command channel on
// interface 1, collection 4 (vendor page 0xFF1C, usage 0x92) and consumer control on collection
// 3; the headset's HID interface 3 has a single collection. The mouse rows carry vendor and
// product 0 and so never match a real device.
extern const std::array<DeviceInterfaceEntry, kCatalogueRowCount> kInterfaceCatalogue;

// Layout paths are relative to the skin folder, with '/' separators on this platform.
// clang-format off
inline constexpr std::array<DeviceTypeEntry, kDeviceTypeCount> kDeviceTypes = {{
    {"XML/CustomControlXML/DeviceOption.xml", "tab_header_device", "device_power_switch",
     "mouse",    {0, 0, 0},  1, 0x0000, 0x0000, kKindMouse,    kRolePrimary},
    {"XML/CustomControlXML/DeviceOption.xml", "tab_header_device", "device_power_switch",
     "keyboard", {1, 1, -1}, 0, 0x0C45, 0x7666, kKindKeyboard, kRolePrimary},
    {"XML/CustomControlXML/DeviceOption.xml", "tab_header_device", "device_power_switch",
     "MousePad", {2, 2, 1},  2, 0x0C45, 0x6627, kKindMousePad, kRolePrimary},
    {"XML/CustomControlXML/DeviceOption.xml", "tab_header_device", "device_power_switch",
     "HD",       {3, 3, -1}, 3, 0x0D8C, 0x01DA, kKindHeadset,  kRolePrimary},
}};

// light count, key count, power mode, special light index, page layout, light name
inline constexpr std::array<DevicePageEntry, kDeviceTypeCount> kDevicePages = {{
    {6,   7,   0, -1, "XML/DeviceXml/mousedevice.xml",    "quaro_light"},
    {126, 126, 0, -1, "XML/DeviceXml/keyboarddevice.xml", "quaro_light"},
    {15,  0,   0, -1, "XML/DeviceXml/mousepaddevice.xml", "quaro_light"},
    {13,  0,   0, -1, "XML/DeviceXml/hs6533device.xml",   "quaro_light"},
}};
// clang-format on

}  // namespace quaro
