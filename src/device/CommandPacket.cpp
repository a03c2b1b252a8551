#include "device/CommandPacket.h"

namespace quaro {

uint16_t PacketChecksum(std::span<const uint8_t, kPacketSize> packet) {
    uint32_t sum = 0;
    for (size_t i = kPacketCommand; i < kPacketSize; ++i) {
        sum += packet[i];
    }
    return static_cast<uint16_t>(sum & 0xFFFFu);
}

void StampChecksum(std::span<uint8_t, kPacketSize> packet) {
    const uint16_t sum = PacketChecksum(packet);
    packet[kPacketChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    packet[kPacketChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

bool ChecksumMatches(std::span<const uint8_t, kPacketSize> packet) {
    const uint16_t stored =
        static_cast<uint16_t>(packet[kPacketChecksumLow] | (packet[kPacketChecksumHigh] << 8));
    return stored == PacketChecksum(packet);
}

uint16_t PacketAddress(std::span<const uint8_t, kPacketSize> packet) {
    return static_cast<uint16_t>(packet[kPacketAddressLow] | (packet[kPacketAddressHigh] << 8));
}

void SetPacketAddress(std::span<uint8_t, kPacketSize> packet, uint16_t address) {
    packet[kPacketAddressLow] = static_cast<uint8_t>(address & 0xFF);
    packet[kPacketAddressHigh] = static_cast<uint8_t>(address >> 8);
}

}  // namespace quaro
