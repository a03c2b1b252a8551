#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace quaro {

// What happened to the light frames handed to a driver, for the page's diagnostics and tests.
struct FrameStats {
    std::uint64_t accepted = 0;   // taken in to be sent
    std::uint64_t replaced = 0;   // overwritten by a newer frame before they went out
    std::uint64_t skipped = 0;    // refused: offered within the pause after a failed frame
    std::uint64_t sent = 0;       // every packet accepted by the device
    std::uint64_t failed = 0;     // ended with a result other than 1
    std::uint64_t unchanged = 0;  // not sent again: the device shows it or is being sent it
};

// The light frame waiting to go to the device. The frame timer offers a new frame every few
// milliseconds while a frame may take longer than that on the wire, so only the newest one is
// kept. After a failed frame, frames are refused for a pause instead of sleeping the offering
// thread: a silent device must not cost the window anything. Not locked: its owner is.
class FrameSlot {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr std::chrono::milliseconds kPauseAfterFailure{200};

    // Keeps the frame, replacing one still waiting; false (and nothing kept) during the pause.
    bool Offer(std::span<const std::uint8_t> frame, TimePoint now);

    // Whether the frame is the one last taken, which went out whole or is still going out, with
    // nothing newer waiting: sending it again would show nothing new. Counted as unchanged.
    bool IsUnchanged(std::span<const std::uint8_t> frame);
    // Whether the device shows the last frame taken (it went out whole) and nothing waits.
    bool IsSettled() const { return !m_waiting && m_last == Last::kShown; }

    bool HasFrame() const { return m_waiting; }

    // Moves the waiting frame into `frame` (whose old bytes are recycled); false when none waits.
    bool Take(std::vector<std::uint8_t>& frame);

    // Outcome of the frame last taken. A failure starts the pause and drops a frame that was
    // offered meanwhile, as it would have been refused had the failure been known. A frame that
    // succeeded but lost packets on the way (whole false) must be sent again to be shown.
    void Finished(bool succeeded, TimePoint now, bool whole = true);

    // Forgets the waiting frame and the pause (the device went away or came back).
    void Reset();

    const FrameStats& Stats() const { return m_stats; }

private:
    enum class Last : std::uint8_t { kNone, kGoing, kShown };

    std::vector<std::uint8_t> m_frame;
    std::vector<std::uint8_t> m_lastFrame;  // a copy of the frame last taken
    Last m_last = Last::kNone;
    bool m_waiting = false;
    bool m_pausing = false;
    TimePoint m_pauseEnd{};
    FrameStats m_stats;
};

}  // namespace quaro
