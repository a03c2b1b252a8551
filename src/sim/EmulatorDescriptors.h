#pragma once

#include <cstdint>
#include <vector>

namespace quaro {

// Report ids of the emulated devices' interfaces.
inline constexpr uint8_t kEventReportId = 3;    // consumer control: 16-bit event / key usages
inline constexpr uint8_t kCommandReportId = 4;  // vendor page 0xFF1C: 64-byte command packets
inline constexpr uint8_t kHeadsetLightReportId = 0xFF;

// A boot keyboard (interface 0 of the keyboard): unnumbered, one collection.
const std::vector<uint8_t>& BootKeyboardDescriptor();
// A boot mouse (interface 0 of the mouse): unnumbered, one collection.
const std::vector<uint8_t>& BootMouseDescriptor();
// Interface 1 of keyboard, mouse and pad: 1 keyboard (id 1), 2 system control (id 2),
// 3 consumer control (id 3, one 16-bit array element), 4 vendor 0xFF1C/0x92 (id 4, 64 bytes).
const std::vector<uint8_t>& ControlInterfaceDescriptor();
// The headset's HID interface: one consumer-control collection with the event report (id 3),
// the command packets (id 4) and the 17-byte light output report (id 0xFF).
const std::vector<uint8_t>& HeadsetDescriptor();

}  // namespace quaro
