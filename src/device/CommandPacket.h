#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quaro {

// The 64-byte request/reply packet of the command channel. Host and firmware share this layout,
// so the emulators in sim/ build their replies with the same helpers the channel uses.
inline constexpr size_t kPacketSize = 64;
inline constexpr uint8_t kPacketReportId = 0x04;
inline constexpr size_t kChunkSize = 56;  // data bytes one packet carries

// Byte positions inside a packet.
inline constexpr size_t kPacketChecksumLow = 1;
inline constexpr size_t kPacketChecksumHigh = 2;
inline constexpr size_t kPacketCommand = 3;
inline constexpr size_t kPacketLength = 4;
inline constexpr size_t kPacketAddressLow = 5;
inline constexpr size_t kPacketAddressHigh = 6;
inline constexpr size_t kPacketStatus = 7;
inline constexpr size_t kPacketData = 8;

// Command codes.
enum CommandCode : uint8_t {
    kCmdBegin = 0x01,
    kCmdEnd = 0x02,
    kCmdReadDeviceInfo = 0x03,
    kCmdReadMemory = 0x05,
    kCmdWriteMemory = 0x06,
    kCmdReadKeyImage = 0x07,
    kCmdWriteKeyImage = 0x09,
    kCmdLightFrame = 0x12,
    kCmdShutdownNotice = 0x13,
    kCmdWriteMacroImage = 0x15,
    kCmdReadStatus = 0x1A,
    kCmdReadKeyLightIndexTable = 0x1B,
    kCmdLinkCheck = 0xAA,
};

// Reply status bytes the host tells apart; any other value means accepted.
inline constexpr uint8_t kStatusRejected = 0xFF;     // result -102
inline constexpr uint8_t kStatusSecondError = 0xFE;  // result -103

using Packet = std::array<uint8_t, kPacketSize>;

// Low 16 bits of the sum of bytes 3 to 63 taken as unsigned bytes.
uint16_t PacketChecksum(std::span<const uint8_t, kPacketSize> packet);

// Writes the checksum of bytes 3 to 63 into bytes 1 (low) and 2 (high).
void StampChecksum(std::span<uint8_t, kPacketSize> packet);

// Whether bytes 1-2 hold the checksum of bytes 3 to 63.
bool ChecksumMatches(std::span<const uint8_t, kPacketSize> packet);

// 16-bit little-endian address of bytes 5-6.
uint16_t PacketAddress(std::span<const uint8_t, kPacketSize> packet);
void SetPacketAddress(std::span<uint8_t, kPacketSize> packet, uint16_t address);

}  // namespace quaro
