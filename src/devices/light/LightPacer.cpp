#include "devices/light/LightPacer.h"

namespace quaro {

LightPacer::LightPacer(Clock::duration passPeriod) : m_period(passPeriod) {}

void LightPacer::Run(const Hooks& hooks) {
    m_anchor = Clock::now();
    bool still = false;
    for (;;) {
        const LightPlan plan = hooks.plan(still);
        std::uint32_t gone = 0;
        const Wake wake = Sleep(plan, gone);
        if (wake == Wake::kStopped) {
            return;
        }
        if (wake == Wake::kChanged) {
            // The passes that went by before the change had nothing due: they only count.
            still = false;
            if (gone > 0) {
                hooks.skip(gone);
            }
            continue;
        }
        if (plan.kind != LightPlan::Kind::kPasses) {
            continue;  // the away wait ran out: look at the device again
        }
        if (plan.passes > 1) {
            hooks.skip(plan.passes - 1);
        }
        still = hooks.pass();
        ++m_passes;
    }
}

LightPacer::Wake LightPacer::Sleep(const LightPlan& plan, std::uint32_t& gone) {
    std::unique_lock lock(m_mutex);
    const auto woken = [this] { return m_notified || m_interrupted; };
    Clock::time_point deadline{};
    switch (plan.kind) {
        case LightPlan::Kind::kUntilChanged:
            m_changed.wait(lock, woken);
            break;
        case LightPlan::Kind::kAway:
            m_changed.wait_for(lock, kAwayWait, woken);
            break;
        case LightPlan::Kind::kPasses:
            deadline = m_anchor + m_period * plan.passes;
            m_changed.wait_until(lock, deadline, woken);
            break;
    }
    ++m_wakes;
    if (m_interrupted) {
        return Wake::kStopped;
    }
    const Clock::time_point now = Clock::now();
    if (plan.kind != LightPlan::Kind::kPasses) {
        // After a sleep without a grid the passes start afresh from here.
        m_anchor = now;
        const bool changed = m_notified;
        m_notified = false;
        return changed ? Wake::kChanged : Wake::kDue;
    }
    if (m_notified && now < deadline) {
        m_notified = false;
        gone = static_cast<std::uint32_t>((now - m_anchor) / m_period);
        m_anchor += m_period * gone;
        return Wake::kChanged;
    }
    // A change that came with the deadline stays pending: the next sleep returns at once.
    m_anchor = now - deadline > m_period * kMaxLatePasses ? now : deadline;
    return Wake::kDue;
}

void LightPacer::Notify() {
    {
        std::lock_guard lock(m_mutex);
        m_notified = true;
    }
    m_changed.notify_all();
}

void LightPacer::Interrupt() {
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_changed.notify_all();
}

void LightPacer::Rearm() {
    std::lock_guard lock(m_mutex);
    m_interrupted = false;
    m_notified = false;
}

}  // namespace quaro
