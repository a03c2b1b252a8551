#pragma once

#include "devices/headset/HeadsetLightReports.h"
#include "devices/pad/PadDriver.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

namespace quaro {

// The headset's side of its page. Its light record lives behind the command channel with the
// pad's layout and handling (read, whole-read rule, write between Begin and End, the re-read the
// headset asks for when its own settings change), and its effects are the pad's steps over the
// headset's 13 LEDs. What differs is the way light reaches it: not command 0x12, but twelve
// 17-byte output reports per frame, every value capped at 0xF7. The headset has no start
// exchange: its page sends no command when it starts.
//
// The headset has one HID interface, which carries the command replies and the event reports
// alike. The page attaches that same interface a second time as the secondary one, so the event
// reader has a handle of its own; the command channel leaves reports that are not replies alone.
//
// Threads: as PadDriver; the reports go out on the worker, between flows.
class HeadsetDriver : public PadDriver {
public:
    HeadsetDriver(std::shared_ptr<HidBackend> backend, PadDriverSink* sink,
                  Clock clock = &std::chrono::steady_clock::now,
                  MillisecondClock lightClock = SteadyMillisecondClock());
    ~HeadsetDriver() override;

    // Reports sent since the driver was made, for diagnostics and tests.
    std::uint64_t ReportsSent() const { return m_reportsSent.load(); }

protected:
    // The frame is one scaled RGB triple per LED; it goes out as the twelve reports, in order.
    // A report the device does not take ends the frame with -1 (0 when the headset is away).
    int32_t TransmitFrame(std::span<const uint8_t> frame) override;

private:
    std::atomic<std::uint64_t> m_reportsSent{0};
};

}  // namespace quaro
