#include "platform/SystemSettings.h"

#include <algorithm>
#include <cstdint>

namespace quaro {

unsigned RepeatDelayMs(unsigned choice) {
    // The page shows a stored choice it does not know as the first one; the session gets the same.
    return ((choice <= kMaxRepeatDelayChoice ? choice : 0) + 1) * 250;
}

unsigned RepeatIntervalMs(unsigned speed) {
    // Speed 0 repeats about 2.5 times a second and 31 about 30 times, evenly in between; in
    // tenths of repeats per second to stay in integers.
    const unsigned tenths = 25 + std::min(speed, kMaxRepeatSpeed) * 275 / kMaxRepeatSpeed;
    return (10000 + tenths / 2) / tenths;
}

unsigned PointerSpeedForPosition(int position) {
    // The byte is kept on purpose: a stored position past 126 wraps as it always did, and the
    // limit below then keeps the session's speed in range whatever the profile held.
    const auto speed = static_cast<std::uint8_t>(2 * position + 2);
    return std::clamp<unsigned>(speed, kMinPointerSpeed, kMaxPointerSpeed);
}

unsigned WheelLinesFor(bool pageScroll, int position) {
    if (pageScroll) {
        return kPageScrollLines;
    }
    return static_cast<unsigned>(std::max(position, 0)) + 1;
}

unsigned DoubleClickMsFor(int sliderMaximum, int position) {
    const int steps = std::max(sliderMaximum - position, 0) + 1;
    return static_cast<unsigned>(steps) * 100;
}

}  // namespace quaro
