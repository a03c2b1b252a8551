#pragma once

#include "device/CommandChannel.h"

#include <cstdint>

namespace quaro {

// Whether a failed command was refused by a device that is listening (status 0xFE or 0xFF), as
// opposed to a device that is silent or gone, where every further command costs a time-out.
inline bool IsDeviceAnswer(std::int32_t result) {
    return result == kResultRejected || result == kResultSecondError;
}

// What a device that refused the Begin itself gets: nothing more, or its End all the same
// (FlowFrame::Bracket).
enum class RefusedBegin { kStop, kEnd };

}  // namespace quaro
