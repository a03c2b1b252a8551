#pragma once

#include "device/CommandChannel.h"
#include "devices/driver/BracketedCommand.h"

#include <cstdint>
#include <functional>
#include <span>

namespace quaro {

// The frames every kind's flows are built of, over the primary channel: a command that may be
// kept back by a gate (the mouse behind a receiver asks it first whether the mouse is there), the
// Begin ... End bracket, the read on arrival that ends the bracket also after a refusal of our own,
// and the read of the settings record in force.
//
// What the frames do with a failure is the same for every kind: a silent device (a time-out, or a
// gate that stays shut) ends the frame at once, since every further command would cost another
// time-out; a device that refused (status 0xFE or 0xFF) is listening and still gets its End.
//
// Threads: the driver's worker, inside a flow.
class FlowFrame {
public:
    // Asked before every command; false keeps the command back, and the command counts as failed
    // without a reply (the frame then ends as for a silent device).
    using Gate = std::function<bool()>;

    // The channel must outlive the frame; without a gate every command goes straight out.
    explicit FlowFrame(CommandChannel& channel, Gate gate = {})
        : m_channel(channel), m_gate(std::move(gate)) {}

    CommandChannel& Channel() const { return m_channel; }

    // The command's own result, or kResultFailed with nothing sent when the gate is shut.
    template <typename Command>
    std::int32_t Send(Command command) const {
        if (m_gate && !m_gate()) {
            return kResultFailed;
        }
        return command();
    }

    // Begin, body, End, with Begin and End behind the gate. refusedBegin tells whether a device
    // that refused the Begin itself still gets its End.
    template <typename Body>
    std::int32_t Bracket(RefusedBegin refusedBegin, Body body) const {
        const std::int32_t begun = Send([this] { return m_channel.Begin(); });
        if (begun != kResultSuccess) {
            if (refusedBegin == RefusedBegin::kEnd && IsDeviceAnswer(begun)) {
                SendEnd();
            }
            return begun;
        }
        const std::int32_t result = body();
        if (result == kResultSuccess) {
            return SendEnd();
        }
        if (IsDeviceAnswer(result)) {
            SendEnd();
        }
        return result;
    }

    // One command behind the gate between Begin and End.
    template <typename Command>
    std::int32_t SendBracketed(RefusedBegin refusedBegin, Command command) const {
        return Bracket(refusedBegin, [&] { return Send(command); });
    }

    // The settings record write: bytes at address between Begin and End.
    std::int32_t WriteRecord(RefusedBegin refusedBegin, std::span<const std::uint8_t> bytes,
                             std::uint16_t address) const {
        return SendBracketed(refusedBegin, [&] { return m_channel.WriteMemory(bytes, address); });
    }

    // The read when the device arrives: Begin, body, End. The body sets its argument when it
    // refuses of its own accord (a device whose image we will not read): that device is still
    // listening and gets its End like one that refused. The End's result counts only when
    // everything before it succeeded.
    template <typename Body>
    std::int32_t StartRead(Body body) const {
        bool refusedHere = false;
        std::int32_t result = Send([this] { return m_channel.Begin(); });
        if (result == kResultSuccess) {
            result = body(refusedHere);
        }
        if (refusedHere || result == kResultSuccess || IsDeviceAnswer(result)) {
            const std::int32_t ended = SendEnd();
            if (result == kResultSuccess) {
                result = ended;
            }
        }
        return result;
    }

    // The read of the settings record in force, as after the device reported a change of its
    // own: the device has spoken for itself, so the light sync no longer drives it; then the
    // record number r (one byte at 0) and bytes.size() bytes at r x stride. bytes are whole only
    // when the result is kResultSuccess: a caller takes nothing from them otherwise.
    std::int32_t ReadRecordInForce(std::span<std::uint8_t> bytes, std::uint16_t stride) const {
        m_channel.SetLightSync(false);
        std::uint8_t number = 0;
        std::int32_t result =
            Send([&] { return m_channel.ReadMemory(std::span<std::uint8_t>(&number, 1), 0); });
        if (result == kResultSuccess) {
            const auto address = static_cast<std::uint16_t>(number * stride);
            result = Send([&] { return m_channel.ReadMemory(bytes, address); });
        }
        return result;
    }

private:
    std::int32_t SendEnd() const {
        return Send([this] { return m_channel.End(); });
    }

    CommandChannel& m_channel;
    Gate m_gate;
};

}  // namespace quaro
