#include "devices/driver/FrameSlot.h"

#include <algorithm>
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

bool FrameSlot::IsUnchanged(std::span<const std::uint8_t> frame) {
    if (m_waiting || m_last == Last::kNone ||
        !std::equal(frame.begin(), frame.end(), m_lastFrame.begin(), m_lastFrame.end())) {
        return false;
    }
    ++m_stats.unchanged;
    return true;
}

bool FrameSlot::Take(std::vector<std::uint8_t>& frame) {
    if (!m_waiting) {
        return false;
    }
    std::swap(frame, m_frame);
    m_waiting = false;
    m_lastFrame.assign(frame.begin(), frame.end());
    m_last = Last::kGoing;
    return true;
}

void FrameSlot::Finished(bool succeeded, TimePoint now, bool whole) {
    if (succeeded) {
        ++m_stats.sent;
        m_last = whole ? Last::kShown : Last::kNone;
        return;
    }
    m_last = Last::kNone;
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
    m_last = Last::kNone;
}

}  // namespace quaro
