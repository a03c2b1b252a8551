#pragma once

#include "sim/DeviceFirmware.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

struct EmulatorInterface {
    uint16_t number = 0;
    std::vector<uint8_t> reportDescriptor;
};

// Everything that makes one emulated device: its USB identity, its HID interfaces, which of
// them carries the command packets and the event reports, and its memory at power-on.
struct EmulatorModel {
    std::string name;  // "keyboard", "mouse", "mousepad", "headset"
    std::string product;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    std::vector<EmulatorInterface> interfaces;
    uint16_t commandInterface = 0;  // interface number
    uint16_t eventInterface = 0;    // interface number
    FirmwareMemory memory;
};

EmulatorModel KeyboardModel();
EmulatorModel MouseModel();
EmulatorModel MousePadModel();
EmulatorModel HeadsetModel();

// "keyboard", "mouse", "mousepad", "headset".
const std::vector<std::string_view>& EmulatorNames();
std::optional<EmulatorModel> EmulatorModelByName(std::string_view name);

}  // namespace quaro
