#include "platform/SystemSettings.h"

#include <algorithm>

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

}  // namespace quaro
