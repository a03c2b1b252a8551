#pragma once

#include "device/CommandPacket.h"
#include "device/HidDevice.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

namespace quaro {

// Hands each reply read on a command channel's interface to the request it answers.
//
// A channel has at most two requests out at once: one command packet (the command lock allows
// no second) and one light packet (likewise the stream lock). Whichever of their threads reads
// the interface reads for both: a reply echoing 0x12 belongs to the light packet, any other
// reply to the command. A report with another report id is not a reply at all (the headset's key
// and volume reports share the command collection) and is left to the event reader. Only one
// thread reads at a time; the others wait until their reply has been put aside for them or their
// time-out has passed, so a reply is never taken by the wrong request nor thrown away while its
// request is out.
class ReplyRouter {
public:
    enum class Slot { kCommand, kStream };

    // At most this many reports are read to clear out stale replies before a command goes out,
    // so a device that never stops sending cannot keep the transfer lock.
    static constexpr size_t kMaxDrainedReports = 32;

    ReplyRouter(HidDevice& device, std::mutex& transferLock);

    // Writes the request under the transfer lock, expecting its reply in the slot from then on.
    // A command first drops replies already waiting (bounded): they answer requests that have
    // timed out, and with the same command code would pass for this request's reply.
    bool Send(Slot slot, const Packet& request, uint32_t timeoutMs, uint32_t& transferred);

    // Waits at most timeoutMs for the slot's reply. For a command, a reply echoing another
    // command (not 0x12) is followed by one more wait of timeoutMs, and a second such reply is
    // taken as it is. False on time-out or when the device has gone; either way the slot is free
    // again afterwards, and a reply coming later is dropped as stale.
    bool Await(Slot slot, uint32_t timeoutMs, Packet& reply);

private:
    struct Pending {
        bool outstanding = false;
        uint8_t command = 0;
        uint32_t mismatches = 0;
        std::optional<Packet> reply;
    };
    using Report = std::array<uint8_t, kPacketSize>;

    Pending& SlotOf(Slot slot) { return m_pending[slot == Slot::kCommand ? 0 : 1]; }
    // Takes one report read from the device; m_mutex held.
    void RouteLocked(const Report& report, uint32_t length);
    // Reads and routes what is already waiting; transfer lock and the reader's turn held.
    void DrainStale();

    HidDevice& m_device;
    std::mutex& m_transferLock;
    std::mutex m_mutex;  // everything below; taken after the transfer lock, never before it
    std::condition_variable m_routed;
    bool m_reading = false;  // one thread reads the device for all
    std::array<Pending, 2> m_pending;
};

}  // namespace quaro
