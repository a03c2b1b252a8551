#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quaro {

// One mouse row of the macro recorder: the pointer message it answers (0 for movements), the
// button bit it records, the kind byte (bit 7 "down", bits 0-6 the event type) and the caption's
// language id.
struct MacroMouseRow {
    unsigned message = 0;
    std::uint8_t button = 0;
    std::uint8_t kind = 0;
    std::string_view caption;
};

namespace mouse_message {
inline constexpr unsigned kMove = 0x200;
inline constexpr unsigned kLeftDown = 0x201;
inline constexpr unsigned kLeftUp = 0x202;
inline constexpr unsigned kRightDown = 0x204;
inline constexpr unsigned kRightUp = 0x205;
inline constexpr unsigned kMiddleDown = 0x207;
inline constexpr unsigned kMiddleUp = 0x208;
inline constexpr unsigned kWheel = 0x20A;
inline constexpr unsigned kExtraDown = 0x20B;
inline constexpr unsigned kExtraUp = 0x20C;
}  // namespace mouse_message

inline constexpr int kMacroMouseRowCount = 15;
// Rows 0-5 the three main buttons, 6-9 the two extra buttons (forward is the second extra
// button, back the first), 10-13 the movements left, right, up and down, 14 the wheel. The
// kind bytes are what the device plays: type 1 a button, 4 a horizontal and 5 a vertical move.
// clang-format off
inline constexpr std::array<MacroMouseRow, kMacroMouseRowCount> kMacroMouseTable = {{
    {mouse_message::kLeftDown, 0x01, 0x81, "mouse_key_left"},
    {mouse_message::kLeftUp, 0x01, 0x01, "mouse_key_left"},
    {mouse_message::kRightDown, 0x02, 0x81, "mouse_key_right"},
    {mouse_message::kRightUp, 0x02, 0x01, "mouse_key_right"},
    {mouse_message::kMiddleDown, 0x04, 0x81, "mouse_key_middle"},
    {mouse_message::kMiddleUp, 0x04, 0x01, "mouse_key_middle"},
    {mouse_message::kExtraDown, 0x10, 0x81, "mouse_key_forward"},
    {mouse_message::kExtraUp, 0x10, 0x01, "mouse_key_forward"},
    {mouse_message::kExtraDown, 0x08, 0x81, "mouse_key_back"},
    {mouse_message::kExtraUp, 0x08, 0x01, "mouse_key_back"},
    {0, 0, 0x84, "mouse_move_to_left_text"},
    {0, 0, 0x04, "mouse_move_to_right_text"},
    {0, 0, 0x85, "mouse_move_to_up_text"},
    {0, 0, 0x05, "mouse_move_to_down_text"},
    {mouse_message::kWheel, 0, 0x00, "mouse_cursor_text"},
}};
// clang-format on

inline constexpr int kFirstMovementRow = 10;
inline constexpr int kMainButtonRows = 6;
inline constexpr int kButtonRows = 10;

}  // namespace quaro
