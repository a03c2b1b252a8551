#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quaro {

// The typed copies of a device entry's groups.

// The light state of a device. In a "LightList" entry extraByte says whether the area's entry is
// present in the file (the area is enabled).
struct LightSetting {
    std::uint8_t effect = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multicolour = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint16_t extraWord = 0;
    std::uint8_t extraByte = 0;

    friend bool operator==(const LightSetting&, const LightSetting&) = default;
};

// One key of the key list; both indexes are the entry's position. The bytes are an assignment
// code (type, first parameter, second parameter), stored in files as b0 << 16 | b1 << 8 | b2.
struct KeyAssignmentEntry {
    std::uint16_t keyIndex = 0;
    std::array<std::uint8_t, 3> current{};
    std::uint16_t defaultKeyIndex = 0;
    std::array<std::uint8_t, 3> defaults{};

    friend bool operator==(const KeyAssignmentEntry&, const KeyAssignmentEntry&) = default;
};

// The profile integer of an assignment code, and back.
constexpr int AssignmentToInt(const std::array<std::uint8_t, 3>& code) {
    return code[0] << 16 | code[1] << 8 | code[2];
}
constexpr std::array<std::uint8_t, 3> AssignmentFromInt(int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits)};
}

// One step of a custom light effect.
struct LightEffectStep {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multicolour = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::int32_t time = 0;
    std::int32_t cycle = 0;

    friend bool operator==(const LightEffectStep&, const LightEffectStep&) = default;
};

struct CustomLightColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    friend bool operator==(const CustomLightColor&, const CustomLightColor&) = default;
};

struct DpiStage {
    std::uint8_t enabled = 0;
    std::uint8_t xyFlag = 0;
    std::uint16_t dpiX = 0;
    std::uint16_t dpiY = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const DpiStage&, const DpiStage&) = default;
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
