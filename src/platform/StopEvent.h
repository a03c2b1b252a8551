#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace quaro {

// A manual-reset event: once signalled it stays signalled, waking every waiter, until Reset.
// The worker threads of the system poll one of these with short waits between passes.
class StopEvent {
public:
    // Waits without limit.
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    StopEvent() = default;
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    void Signal();
    void Reset();
    bool IsSignalled() const;

    // True when the event is (or becomes) signalled within timeoutMs; false on time-out.
    bool Wait(uint32_t timeoutMs) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_signalled = false;
};

}  // namespace quaro
