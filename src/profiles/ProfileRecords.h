#pragma once

#include "profiles/KeyCode.h"

#include <array>
#include <cstdint>
#include <string>

namespace quaro {

// The typed copies of a device entry's groups: the profile getters fill them and the device
// codecs and light effects consume them. Assignment codes are stored in files as integers.

// The light state of a device or of one light area. The extras travel with the setting but are
// never sent to a device.
struct LightSetting {
    std::uint8_t effect = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint16_t extraWord = 0;
    std::uint8_t extraByte = 0;

    friend constexpr bool operator==(const LightSetting&, const LightSetting&) = default;
};

// The setting as the lighting panel hands it over in three words: effect, brightness, speed and
// direction from the low byte up; then multicolour, red, green, blue; then the 16-bit extra and
// the 8-bit extra.
constexpr LightSetting LightSettingFromWords(std::uint32_t first, std::uint32_t second,
                                             std::uint32_t third) {
    const auto byteOf = [](std::uint32_t word, int index) {
        return static_cast<std::uint8_t>(word >> (8 * index));
    };
    return {.effect = byteOf(first, 0),
            .brightness = byteOf(first, 1),
            .speed = byteOf(first, 2),
            .direction = byteOf(first, 3),
            .multiColor = byteOf(second, 0),
            .red = byteOf(second, 1),
            .green = byteOf(second, 2),
            .blue = byteOf(second, 3),
            .extraWord = static_cast<std::uint16_t>(third),
            .extraByte = byteOf(third, 2)};
}

// The three words of a setting, as LightSettingFromWords reads them.
struct LightWords {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    std::uint32_t third = 0;
};
constexpr LightWords LightSettingToWords(const LightSetting& setting) {
    const auto word = [](std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
        return std::uint32_t{b0} | (std::uint32_t{b1} << 8) | (std::uint32_t{b2} << 16) |
               (std::uint32_t{b3} << 24);
    };
    return {word(setting.effect, setting.brightness, setting.speed, setting.direction),
            word(setting.multiColor, setting.red, setting.green, setting.blue),
            std::uint32_t{setting.extraWord} | (std::uint32_t{setting.extraByte} << 16)};
}

// One key of a key list; both indexes equal the entry's position.
struct KeyAssignmentEntry {
    std::uint16_t keyIndex = 0;
    KeyCode code;
    std::uint16_t defaultKeyIndex = 0;
    KeyCode defaultCode;

    friend constexpr bool operator==(const KeyAssignmentEntry&,
                                     const KeyAssignmentEntry&) = default;
};

// One step of a custom light effect; time is the step's length in milliseconds.
struct LightEffectStep {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::int32_t time = 0;
    std::int32_t cycle = 0;

    friend constexpr bool operator==(const LightEffectStep&, const LightEffectStep&) = default;
};

struct CustomLightColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    friend constexpr bool operator==(const CustomLightColor&, const CustomLightColor&) = default;
};

// DPI values are in the mouse's slider units.
struct DpiStage {
    std::uint8_t enabled = 0;
    std::uint8_t xyFlag = 0;
    std::uint16_t dpiX = 0;
    std::uint16_t dpiY = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const DpiStage&, const DpiStage&) = default;
};

struct CorrectPreset {
    std::uint8_t pixelThreshold = 0;
    std::uint8_t minimumSquare = 0;
    std::uint8_t select = 0;
    std::string name;

    friend bool operator==(const CorrectPreset&, const CorrectPreset&) = default;
};

// Three 32-bit words of two 16-bit halves, low half first.
using SystemWords = std::array<std::uint32_t, 3>;

}  // namespace quaro
