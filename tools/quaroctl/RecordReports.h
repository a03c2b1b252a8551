#pragma once

#include "Report.h"
#include "device/DeviceInfoRecord.h"

#include <cstdint>
#include <span>

namespace quaro {

// Reports of what a device holds, decoded with the application's own codecs. Each takes the
// bytes exactly as read; the raw bytes are part of the report beside the decoded fields.

// The settings record in force of a device of the given kind (keyboard, mouse, or the light
// record of pad and headset).
Report SettingsReport(uint16_t kind, std::span<const uint8_t> record);

// The key image of a keyboard or the button image of a mouse: one code per physical slot, with
// the logical key or button the application maps there.
Report KeysReport(uint16_t kind, const DeviceInfo& info, std::span<const uint8_t> image);

// The keyboard's key light index table: the light frame position of each physical slot.
Report LightsReport(const DeviceInfo& info, std::span<const uint8_t> image,
                    std::span<const uint8_t> lightTable);

// The power status record, with the link flag as the application sets it.
Report StatusReport(std::span<const uint8_t> record, bool slowLink);

}  // namespace quaro
