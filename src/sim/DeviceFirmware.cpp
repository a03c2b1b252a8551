#include "sim/DeviceFirmware.h"

#include "sim/EmulatorDescriptors.h"

#include <algorithm>

namespace quaro {

namespace {

constexpr uint8_t kStatusAccepted = 0x00;
constexpr uint16_t kVolumeUpUsage = 0x00E9;

}  // namespace

DeviceFirmware::DeviceFirmware(FirmwareMemory memory) : m_memory(std::move(memory)) {}

void DeviceFirmware::ScheduleFault(FaultKind kind, uint32_t nthFromNow) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back({m_counters.packets + std::max<uint32_t>(nthFromNow, 1), kind});
}

void DeviceFirmware::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

FirmwareMemory DeviceFirmware::Memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

void DeviceFirmware::SetMemory(FirmwareMemory memory) {
    std::lock_guard lock(m_mutex);
    m_memory = std::move(memory);
}

FirmwareCounters DeviceFirmware::Counters() const {
    std::lock_guard lock(m_mutex);
    return m_counters;
}

DeviceFirmware::Outcome DeviceFirmware::Handle(std::span<const uint8_t> report) {
    std::lock_guard lock(m_mutex);
    Outcome outcome;
    if (report.size() != kPacketSize || report[0] != kPacketReportId) {
        return outcome;  // not a command packet: the firmware ignores it
    }
    const uint32_t number = ++m_counters.packets;
    Packet request{};
    std::copy(report.begin(), report.end(), request.begin());
    // A receiver whose mouse is switched off or out of reach answers the link check and nothing
    // else: the request is taken and no reply ever comes.
    if (!m_memory.linkPresent && request[kPacketCommand] != kCmdLinkCheck) {
        return outcome;
    }

    Packet reply{};
    reply[0] = kPacketReportId;
    reply[kPacketCommand] = request[kPacketCommand];
    reply[kPacketLength] = request[kPacketLength];
    reply[kPacketAddressLow] = request[kPacketAddressLow];
    reply[kPacketAddressHigh] = request[kPacketAddressHigh];
    if (ChecksumMatches(request)) {
        reply[kPacketStatus] = Execute(request, reply);
    } else {
        ++m_counters.badChecksums;
        reply[kPacketStatus] = kStatusRejected;
    }

    for (auto it = m_faults.begin(); it != m_faults.end();) {
        if (it->packetNumber != number) {
            ++it;
            continue;
        }
        switch (it->kind) {
            case FaultKind::kNoReply:
                it = m_faults.erase(it);
                return outcome;
            case FaultKind::kUnplug:
                outcome.unplug = true;
                it = m_faults.erase(it);
                return outcome;
            case FaultKind::kWrongEcho:
                reply[kPacketCommand] = static_cast<uint8_t>(reply[kPacketCommand] ^ 0x80);
                break;
            case FaultKind::kStatusFE:
                reply[kPacketStatus] = kStatusSecondError;
                break;
            case FaultKind::kStatusFF:
                reply[kPacketStatus] = kStatusRejected;
                break;
            case FaultKind::kStrayReply: {
                Packet stray{};
                stray[0] = kPacketReportId;
                stray[kPacketCommand] = kCmdLightFrame;
                StampChecksum(stray);
                outcome.before.emplace_back(stray.begin(), stray.end());
                break;
            }
            case FaultKind::kEventFirst:
                outcome.before.push_back(
                    {kEventReportId, kVolumeUpUsage & 0xFF, kVolumeUpUsage >> 8});
                break;
        }
        it = m_faults.erase(it);
    }
    StampChecksum(reply);
    outcome.reply = reply;
    return outcome;
}

uint8_t DeviceFirmware::ReadInto(const std::vector<uint8_t>& area, size_t address, size_t length,
                                 Packet& reply) {
    if (length > kChunkSize || address + length > area.size()) {
        return kStatusRejected;
    }
    std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(address), length,
                reply.begin() + kPacketData);
    return kStatusAccepted;
}

uint8_t DeviceFirmware::WriteFrom(std::vector<uint8_t>& area, size_t address, size_t length,
                                  const Packet& request, bool grow) {
    if (length > kChunkSize) {
        return kStatusRejected;
    }
    if (address + length > area.size()) {
        if (!grow) {
            return kStatusRejected;
        }
        area.resize(address + length, 0);
    }
    std::copy_n(request.begin() + kPacketData, length,
                area.begin() + static_cast<std::ptrdiff_t>(address));
    return kStatusAccepted;
}

uint8_t DeviceFirmware::Execute(const Packet& request, Packet& reply) {
    const size_t length = request[kPacketLength];
    const size_t address = PacketAddress(request);
    switch (request[kPacketCommand]) {
        case kCmdBegin:
            ++m_counters.begins;
            return kStatusAccepted;
        case kCmdEnd:
            ++m_counters.ends;
            return kStatusAccepted;
        case kCmdShutdownNotice:
            ++m_counters.shutdownNotices;
            return kStatusAccepted;
        case kCmdReadDeviceInfo: {
            const std::vector<uint8_t> info(m_memory.info.begin(), m_memory.info.end());
            return ReadInto(info, address, length, reply);
        }
        case kCmdReadMemory:
            return ReadInto(m_memory.settings, address, length, reply);
        case kCmdWriteMemory:
            return WriteFrom(m_memory.settings, address, length, request, false);
        case kCmdReadKeyImage:
            return ReadInto(m_memory.keyImage, address, length, reply);
        case kCmdWriteKeyImage:
            return WriteFrom(m_memory.keyImage, address, length, request, false);
        case kCmdReadKeyLightIndexTable:
            return ReadInto(m_memory.keyLightIndexTable, address, length, reply);
        case kCmdWriteMacroImage:
            return WriteFrom(m_memory.macros, address, length, request, false);
        case kCmdLightFrame:
            ++m_counters.lightPackets;
            if (address == 0) {
                m_memory.lightFrame.clear();  // a new frame starts
            }
            return WriteFrom(m_memory.lightFrame, address, length, request, true);
        case kCmdReadStatus:
            return ReadInto(m_memory.status, address, length, reply);
        case kCmdLinkCheck:
            reply[kPacketData] = m_memory.linkPresent ? 0xFF : 0x00;
            return kStatusAccepted;
        default:
            return kStatusRejected;
    }
}

}  // namespace quaro
