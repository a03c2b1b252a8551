#pragma once

#include "devices/driver/DriverEventSink.h"
#include "devices/pad/PadSettingsRecord.h"

#include <cstdint>

namespace quaro {

// Why the pad's light record was read.
enum class PadReadCause : std::uint8_t {
    kRequested,        // the page asked for it
    kSettingsChanged,  // the device reported that its own settings changed
};

// The outcome of one read of the pad's light record.
struct PadRecordRead {
    std::uint32_t flowId = 0;
    PadReadCause cause = PadReadCause::kRequested;
    std::int32_t result = 0;  // the channel's result code; 1 when both reads succeeded
    // The record the driver keeps after the read: the one read when the read succeeded, else the
    // one kept before, untouched. Only a successful read may go into the profile.
    PadSettingsRecord record;
    PadSettingsRecord previous;  // the record kept before the read

    bool Succeeded() const { return result == 1; }
};

// What the pad driver tells its page besides the flows' results. Called on the driver's worker
// thread, like DriverEventSink; the page hands it on to its own thread.
class PadDriverSink : public DriverEventSink {
public:
    // Every read of the record that ran ends here, successful or not, just before its
    // OnFlowDone (a read that never ran, the pad being away, only gets OnFlowDone with 0). The
    // re-reads the device asks for come here too, with flow ids the page never saw.
    virtual void OnPadRecordRead(const PadRecordRead& read) = 0;
};

}  // namespace quaro
