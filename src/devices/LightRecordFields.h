#pragma once

#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <span>

namespace quaro {

// Bytes 1-8 of every device settings record: mode, brightness, speed stored as 4 - speed (in 8
// bits, so speed 5 survives the round trip), direction, multicolour flag and colour.
struct LightReadBack {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// record must hold at least 9 bytes. The direction is not taken from a device.
inline void ReadLightFields(std::span<const std::uint8_t> record, LightReadBack& out) {
    out.mode = record[1];
    out.brightness = record[2];
    out.speed = static_cast<std::uint8_t>(4 - record[3]);
    out.multiColor = record[5];
    out.red = record[6];
    out.green = record[7];
    out.blue = record[8];
}

// The light a record read back puts in force over the profile's: everything but the direction,
// which the device never reports.
inline LightSetting WithLightFields(LightSetting light, const LightReadBack& fields) {
    light.effect = fields.mode;
    light.brightness = fields.brightness;
    light.speed = fields.speed;
    light.multiColor = fields.multiColor;
    light.red = fields.red;
    light.green = fields.green;
    light.blue = fields.blue;
    return light;
}

// record must hold at least 9 bytes; mode is the device's own reading of the setting's effect.
inline void WriteLightFields(std::span<std::uint8_t> record, const LightSetting& light,
                             std::uint8_t mode) {
    record[1] = mode;
    record[2] = light.brightness;
    record[3] = static_cast<std::uint8_t>(4 - light.speed);
    record[4] = light.direction;
    record[5] = light.multiColor;
    record[6] = light.red;
    record[7] = light.green;
    record[8] = light.blue;
}

}  // namespace quaro
