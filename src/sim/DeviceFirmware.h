#pragma once

#include "device/CommandPacket.h"
#include "device/DeviceInfoRecord.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace quaro {

// What a device holds behind its command channel. Plain values: a test sets up a device's
// memory in a few lines and reads it back after the host has written.
struct FirmwareMemory {
    DeviceInfoBytes info{};                   // command 0x03
    std::vector<uint8_t> keyImage;            // 0x07 / 0x09: one 3-byte code per physical slot
    std::vector<uint8_t> keyLightIndexTable;  // 0x1B: light index per physical slot
    std::vector<uint8_t> settings;            // 0x05 / 0x06; byte 0 = record in force
    std::vector<uint8_t> macros;              // 0x15, sized to the macro capacity
    std::vector<uint8_t> lightFrame;          // 0x12: the last frame, as far as it came
    std::vector<uint8_t> status;              // 0x1A
    // 0xAA answers 0xFF in byte 8 when set; without, no other command is answered.
    bool linkPresent = true;
};

// Faults a test or the simulator asks for, applied to one coming packet.
enum class FaultKind {
    kNoReply,     // the packet is taken but never answered
    kWrongEcho,   // the reply echoes another command byte
    kStatusFE,    // the reply carries status 0xFE
    kStatusFF,    // the reply carries status 0xFF
    kUnplug,      // the device disappears instead of answering
    kStrayReply,  // a reply to a light packet comes first, then the real reply
    kEventFirst,  // a key event report (a 3-byte volume-up report) comes first, then the reply
};

// Counts of what the firmware has been told, for tests and the simulator's log.
struct FirmwareCounters {
    uint32_t packets = 0;
    uint32_t begins = 0;
    uint32_t ends = 0;
    uint32_t shutdownNotices = 0;
    uint32_t badChecksums = 0;
    uint32_t lightPackets = 0;
};

// The command processor of the device firmware: one request packet in, at most one reply out.
// Thread-safe: the bus thread feeds it while a test inspects or changes memory.
class DeviceFirmware {
public:
    explicit DeviceFirmware(FirmwareMemory memory);

    struct Outcome {
        std::vector<std::vector<uint8_t>> before;  // reports sent before the reply, in order
        std::optional<Packet> reply;               // nothing when no reply is to be sent
        bool unplug = false;
    };

    // Answers one output report of the command collection.
    Outcome Handle(std::span<const uint8_t> report);

    // The fault applies to the n-th packet from now (1 = the next one).
    void ScheduleFault(FaultKind kind, uint32_t nthFromNow = 1);
    void ClearFaults();

    FirmwareMemory Memory() const;
    void SetMemory(FirmwareMemory memory);
    FirmwareCounters Counters() const;

private:
    struct PendingFault {
        uint32_t packetNumber;
        FaultKind kind;
    };

    uint8_t Execute(const Packet& request, Packet& reply);
    static uint8_t ReadInto(const std::vector<uint8_t>& area, size_t address, size_t length,
                            Packet& reply);
    static uint8_t WriteFrom(std::vector<uint8_t>& area, size_t address, size_t length,
                             const Packet& request, bool grow);

    mutable std::mutex m_mutex;
    FirmwareMemory m_memory;
    FirmwareCounters m_counters;
    std::deque<PendingFault> m_faults;
};

}  // namespace quaro
