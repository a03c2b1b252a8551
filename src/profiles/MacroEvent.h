#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <vector>

namespace quaro {

// One input event of a macro, as macro files hold it and the device plays it.
// type: 1 mouse button, 4 horizontal movement, 5 vertical movement, 9 modifier key, 10 key;
// button: the button bit, distance, modifier bit or key usage; down: a press (or a movement
// left or upwards).
struct MacroEvent {
    std::uint16_t delay = 0;  // milliseconds before the event
    std::uint8_t type = 0;    // 7 bits
    bool down = false;
    std::uint8_t button = 0;  // key or button code
};

using MacroEvents = std::vector<MacroEvent>;

inline constexpr int kMaxMacroDelay = 65535;

// An event object of a macro or gun file. "Delay" may be decimal text or an integer; a delay
// outside 0..65535 is clamped (a hand-edited 70000 must not wrap to 4464). Any "Action" other
// than "down" is a release.
MacroEvent ParseMacroEvent(const Json::Value& object);
// The event object as macro files hold it: "Delay" as decimal text.
Json::Value MacroEventToJson(const MacroEvent& event);

// What the device receives: delay low byte, delay high byte, type with bit 7 set for "down",
// button.
using CompactEventRecord = std::array<std::uint8_t, 4>;
CompactEventRecord ToCompactRecord(const MacroEvent& event);
std::vector<std::uint8_t> ToCompactRecords(const std::vector<MacroEvent>& events);

}  // namespace quaro
