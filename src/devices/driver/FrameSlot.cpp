#include "devices/driver/FrameSlot.h"

#include <utility>

namespace quaro {

bool FrameSlot::Offer(std::span<const std::uint8_t> frame, TimePoint now) {
    if (m_pausing) {
        if (now < m_pauseEnd) {
            ++m_stats.skipped;
            return false;
        }
        m_pausing = false;
    }
    if (m_waiting) {
        ++m_stats.replaced;
    }
    m_frame.assign(frame.begin(), frame.end());
    m_waiting = true;
    ++m_stats.accepted;
    return true;
}

bool FrameSlot::Take(std::vector<std::uint8_t>& frame) {
    if (!m_waiting) {
        return false;
    }
    std::swap(frame, m_frame);
    m_waiting = false;
    return true;
}

void FrameSlot::Finished(bool succeeded, TimePoint now) {
    if (succeeded) {
        ++m_stats.sent;
        return;
    }
    ++m_stats.failed;
    m_pausing = true;
    m_pauseEnd = now + kPauseAfterFailure;
    if (m_waiting) {
        m_waiting = false;
        ++m_stats.skipped;
    }
}

void FrameSlot::Reset() {
    m_waiting = false;
    m_pausing = false;
}

}  // namespace quaro
