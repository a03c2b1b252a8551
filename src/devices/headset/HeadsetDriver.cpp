#include "devices/headset/HeadsetDriver.h"

#include "platform/Trace.h"

#include <mutex>
#include <utility>

namespace quaro {

HeadsetDriver::HeadsetDriver(std::shared_ptr<HidBackend> backend, PadDriverSink* sink, Clock clock,
                             MillisecondClock lightClock)
    : PadDriver(std::move(backend), sink, LedDeviceKind::kHeadset, kHeadsetLedCount,
                std::move(clock), std::move(lightClock)) {}

HeadsetDriver::~HeadsetDriver() {
    // The worker calls TransmitFrame, which is ours: it ends before this part of the driver goes.
    Light().Stop();
    Stop();
    DetachSecondary();
    Disconnect();
}

int32_t HeadsetDriver::TransmitFrame(std::span<const uint8_t> frame) {
    const HeadsetLightReports reports = ComposeHeadsetLightReportsFromFrame(frame);
    CommandChannel& channel = Primary();
    for (const HeadsetLightReport& report : reports) {
        if (!channel.IsConnected()) {
            return kResultFailed;
        }
        bool taken = false;
        {
            std::lock_guard transfer(channel.TransferLock());
            taken = channel.Device().SetOutputReport(report);
        }
        if (!taken) {
            Trace("headset light report not taken; the rest of the frame is dropped");
            return kResultWriteFailed;
        }
        m_reportsSent.fetch_add(1);
    }
    return kResultSuccess;
}

}  // namespace quaro
