#include "platform/StopEvent.h"

#include <chrono>

namespace quaro {

void StopEvent::Signal() {
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_changed.notify_all();
}

void StopEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool StopEvent::IsSignalled() const {
    std::lock_guard lock(m_mutex);
    return m_signalled;
}

bool StopEvent::Wait(uint32_t timeoutMs) const {
    std::unique_lock lock(m_mutex);
    if (timeoutMs == kInfinite) {
        m_changed.wait(lock, [this] { return m_signalled; });
        return true;
    }
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_signalled; });
}

}  // namespace quaro
