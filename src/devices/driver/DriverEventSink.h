#pragma once

#include "devices/StatusRecord.h"

#include <array>
#include <cstdint>

namespace quaro {

// The 0x1A power status record as the device sent it, with byte 3 replaced by the host's own
// knowledge of the link (1 behind a slow link, else 0).
using StatusBytes = std::array<std::uint8_t, kStatusRecordSize>;

// How a driver tells its page what happened on the device. Both calls come on the driver's
// worker thread: the page must not touch its controls from them, only hand the news on to its
// own thread (the Qt page posts a message to itself).
class DriverEventSink {
public:
    virtual ~DriverEventSink() = default;

    // A flow asked for with DeviceDriver::RunFlow has ended with the given result code (0 when it
    // never ran: disconnected, or the driver stopped first). Every flow is answered exactly once.
    virtual void OnFlowDone(std::uint32_t flowId, std::int32_t result) = 0;

    // A status read succeeded; comes just before its OnFlowDone.
    virtual void OnStatusRead(const StatusBytes& status) = 0;
};

}  // namespace quaro
