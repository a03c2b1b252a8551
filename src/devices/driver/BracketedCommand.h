#pragma once

#include "device/CommandChannel.h"

#include <cstdint>

namespace quaro {

// Whether a failed command was refused by a device that is listening (status 0xFE or 0xFF), as
// opposed to a device that is silent or gone, where every further command costs a time-out.
inline bool IsDeviceAnswer(std::int32_t result) {
    return result == kResultRejected || result == kResultSecondError;
}

// What a device that refused the Begin itself gets: nothing more, or its End all the same.
enum class RefusedBegin { kStop, kEnd };

// Runs body between Begin and End. A silent device stops the bracket at once; one that refused
// the body is listening and still gets its End.
template <typename Body>
std::int32_t Bracketed(CommandChannel& channel, RefusedBegin refusedBegin, Body body) {
    const std::int32_t begun = channel.Begin();
    if (begun != kResultSuccess) {
        if (refusedBegin == RefusedBegin::kEnd && IsDeviceAnswer(begun)) {
            channel.End();
        }
        return begun;
    }
    const std::int32_t result = body();
    if (result == kResultSuccess) {
        return channel.End();
    }
    if (IsDeviceAnswer(result)) {
        channel.End();
    }
    return result;
}

}  // namespace quaro
