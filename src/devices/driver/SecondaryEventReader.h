#pragma once

#include "platform/StopEvent.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace quaro {

class HidDevice;

// The reader of a device's secondary interface: a thread that takes the event reports (the
// usage of the pressed button of each report) and hands them to its owner, and that runs the
// owner's re-read once a scheduled delay has passed without a further schedule. Reports and the
// re-read both happen on the reader thread, so only the reader schedules the re-read: between
// reports it waits in the kernel without a time-out unless a re-read is due, and Stop closes the
// interface to end that wait.
class SecondaryEventReader {
public:
    using EventHandler = std::function<void(std::uint16_t code)>;
    using RereadHandler = std::function<void()>;

    // How long the reader waits before reading again from an interface whose reads fail.
    static constexpr std::uint32_t kRetryMs = 50;
    // The report of a device whose settings changed on the device itself: its owner schedules
    // the re-read of the record in force.
    static constexpr std::uint16_t kSettingsChangedEvent = 0x0401;

    SecondaryEventReader(HidDevice& device, std::chrono::milliseconds rereadDelay,
                         EventHandler onEvent, RereadHandler onReread);
    ~SecondaryEventReader();
    SecondaryEventReader(const SecondaryEventReader&) = delete;
    SecondaryEventReader& operator=(const SecondaryEventReader&) = delete;

    void Start();
    // Ends the thread, closing the interface if the thread was running, and forgets a re-read
    // that was still due.
    void Stop();

    // The re-read runs the delay from now; a schedule while one is due puts it off again. Only
    // from the reader's own handlers: a reader waiting for a report would not see it.
    void ScheduleReread();
    bool IsRereadPending() const;

private:
    void Run();
    // Milliseconds to wait for the next report, or 0 when the re-read is due now.
    std::uint32_t NextWait();

    HidDevice& m_device;
    std::chrono::milliseconds m_rereadDelay;
    EventHandler m_onEvent;
    RereadHandler m_onReread;
    StopEvent m_stop;
    std::thread m_thread;
    std::mutex m_decodeMutex;  // held while a report is decoded from the interface's data
    mutable std::mutex m_mutex;
    bool m_rereadDue = false;
    std::chrono::steady_clock::time_point m_rereadAt{};
};

}  // namespace quaro
