#pragma once

#include <cstdint>

namespace quaro {

// The three-byte assignment unit shared by the key image, the button image and the profiles.
struct KeyCode {
    std::uint8_t type = 0;
    std::uint8_t first = 0;
    std::uint8_t second = 0;

    friend constexpr bool operator==(const KeyCode&, const KeyCode&) = default;
};

// Code families (the type byte).
namespace key_type {
inline constexpr std::uint8_t kMouseButton = 0x10;
inline constexpr std::uint8_t kMouseSwing = 0x11;
inline constexpr std::uint8_t kMouseWheel = 0x12;
inline constexpr std::uint8_t kDpiFunction = 0x13;
inline constexpr std::uint8_t kFireKey = 0x14;
inline constexpr std::uint8_t kDpiShift = 0x16;
inline constexpr std::uint8_t kKeyboard = 0x20;
inline constexpr std::uint8_t kCustomShortcut = 0x22;
inline constexpr std::uint8_t kShowWindow = 0x23;
inline constexpr std::uint8_t kConsumer = 0x30;
inline constexpr std::uint8_t kSystem = 0x40;
inline constexpr std::uint8_t kMacro = 0x70;
inline constexpr std::uint8_t kMacroRepeat = 0x71;
inline constexpr std::uint8_t kGunKey = 0x72;
inline constexpr std::uint8_t kKeyboardFunction = 0xA0;
inline constexpr std::uint8_t kNoFunction = 0xB0;
inline constexpr std::uint8_t kMKey = 0xD0;
}  // namespace key_type

// Modifier bits of a keyboard code's first parameter.
namespace key_modifier {
inline constexpr std::uint8_t kLCtrl = 0x01;
inline constexpr std::uint8_t kLShift = 0x02;
inline constexpr std::uint8_t kLAlt = 0x04;
inline constexpr std::uint8_t kLWin = 0x08;
inline constexpr std::uint8_t kRCtrl = 0x10;
inline constexpr std::uint8_t kRShift = 0x20;
inline constexpr std::uint8_t kRAlt = 0x40;
inline constexpr std::uint8_t kRWin = 0x80;
}  // namespace key_modifier

// Profiles store a code as type * 65536 + first * 256 + second.
constexpr std::int64_t ToProfileInteger(KeyCode code) {
    return (std::int64_t{code.type} << 16) | (std::int64_t{code.first} << 8) | code.second;
}

// Only the low 24 bits carry the code; anything above them in a hand-edited file is ignored.
constexpr KeyCode FromProfileInteger(std::int64_t value) {
    return KeyCode{static_cast<std::uint8_t>((value >> 16) & 0xFF),
                   static_cast<std::uint8_t>((value >> 8) & 0xFF),
                   static_cast<std::uint8_t>(value & 0xFF)};
}

constexpr bool IsMacroCode(KeyCode code) {
    return code.type == key_type::kMacro || code.type == key_type::kMacroRepeat;
}

// The page of the key assignment panel's tab layout that edits a code family; 0 for none.
int KeyCodePanelTab(KeyCode code);

}  // namespace quaro
