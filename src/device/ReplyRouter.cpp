#include "device/ReplyRouter.h"

#include "platform/Trace.h"

#include <algorithm>
#include <chrono>
#include <climits>

namespace quaro {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(uint32_t timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

uint32_t MsLeft(Clock::time_point end) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return static_cast<uint32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
}

}  // namespace

ReplyRouter::ReplyRouter(HidDevice& device, std::mutex& transferLock)
    : m_device(device), m_transferLock(transferLock) {}

bool ReplyRouter::Send(Slot slot, const Packet& request, uint32_t timeoutMs,
                       uint32_t& transferred) {
    std::unique_lock lock(m_mutex);
    bool drain = false;
    if (slot == Slot::kCommand) {
        // Whoever reads now routes what is queued; once it has its reply the drain reads the
        // rest. A reader that keeps the device longer than our time-out is not waited for.
        m_routed.wait_until(lock, DeadlineAfter(timeoutMs), [this] { return !m_reading; });
        drain = !m_reading;
        m_reading = m_reading || drain;
    }
    lock.unlock();
    bool written = false;
    {
        std::lock_guard transfer(m_transferLock);
        if (drain) {
            DrainStale();
        }
        {
            std::lock_guard expect(m_mutex);
            Pending& pending = SlotOf(slot);
            pending = Pending{};
            pending.outstanding = true;
            pending.command = request[kPacketCommand];
        }
        written = m_device.WriteReport(request, timeoutMs, transferred);
    }
    lock.lock();
    if (drain) {
        m_reading = false;
    }
    if (!written) {
        SlotOf(slot) = Pending{};
    }
    m_routed.notify_all();
    return written;
}

void ReplyRouter::DrainStale() {
    Report report{};
    uint32_t got = 0;
    size_t read = 0;
    while (read < kMaxDrainedReports && m_device.ReadReport(report, 0, got)) {
        ++read;
        std::lock_guard lock(m_mutex);
        RouteLocked(report, got);
    }
    if (read == kMaxDrainedReports) {
        TraceFormat("stale reply drain stopped after %zu reports", read);
    }
}

bool ReplyRouter::Await(Slot slot, uint32_t timeoutMs, Packet& reply) {
    Clock::time_point end = DeadlineAfter(timeoutMs);
    std::unique_lock lock(m_mutex);
    Pending& pending = SlotOf(slot);
    uint32_t mismatches = pending.mismatches;
    bool ok = false;
    for (;;) {
        if (pending.reply) {
            reply = *pending.reply;
            ok = true;
            break;
        }
        if (pending.mismatches != mismatches) {
            // A reply echoing another command: one more wait, with a time-out of its own.
            mismatches = pending.mismatches;
            end = DeadlineAfter(timeoutMs);
        }
        if (Clock::now() >= end) {
            break;
        }
        if (m_reading) {
            m_routed.wait_until(lock, end);
            continue;
        }
        m_reading = true;
        lock.unlock();
        Report report{};
        uint32_t got = 0;
        bool read = false;
        {
            std::lock_guard transfer(m_transferLock);
            read = m_device.ReadReport(report, MsLeft(end), got);
        }
        lock.lock();
        m_reading = false;
        if (read) {
            RouteLocked(report, got);
        }
        m_routed.notify_all();
        if (!read && !pending.reply) {
            break;  // our time-out, a cancel by Close, or a device that has gone
        }
    }
    pending = Pending{};
    return ok;
}

void ReplyRouter::RouteLocked(const Report& report, uint32_t length) {
    if (length == 0 || report[0] != kPacketReportId) {
        return;  // an event or another report of the collection: the event reader's business
    }
    // A reply too short to carry its status cannot be judged: refuse it rather than act on zeros.
    if (length < kPacketData) {
        TraceFormat("reply of %u bytes refused", length);
        return;
    }
    Packet packet{};
    std::copy_n(report.begin(), length, packet.begin());
    if (packet[kPacketCommand] == kCmdLightFrame) {
        Pending& stream = SlotOf(Slot::kStream);
        if (stream.outstanding && !stream.reply) {
            stream.reply = packet;
        }
        return;  // a light reply nobody waits for goes as quietly as the stream itself
    }
    Pending& command = SlotOf(Slot::kCommand);
    if (!command.outstanding || command.reply) {
        // It answers a command that timed out; taken for the next reply it would shift every
        // later chunk of a read by one.
        Trace("stale reply dropped");
        return;
    }
    if (packet[kPacketCommand] == command.command || command.mismatches > 0) {
        command.reply = packet;
        return;
    }
    ++command.mismatches;
}

}  // namespace quaro
