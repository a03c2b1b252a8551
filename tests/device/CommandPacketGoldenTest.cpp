// Request packets worked out by hand from the packet rule, so that a checksum fault shared by
// host and emulator cannot hide: report id 4, checksum of bytes 3 to 63 in bytes 1-2 (low byte
// first), command, length, address, status 0, data; a short last chunk keeps the bytes the
// previous chunk left behind it, and the checksum covers them.
#include "SimBusTestSupport.h"
#include "device/CommandChannel.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

// WriteMemory of the 60 bytes A0, A1, ... DB at address 100: a full chunk of 56 bytes whose last
// byte (byte 63) is D7, then 4 bytes at address 156 followed by A4 ... D7 from the first chunk.
// Checksums: 0x29A6 and 0x2A8A (0x28CF and 0x29B3 without byte 63).
constexpr Packet kWriteChunk1 = {
    0x04, 0xa6, 0x29, 0x06, 0x38, 0x64, 0x00, 0x00, 0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,
    0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf, 0xb0, 0xb1, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7,
    0xb8, 0xb9, 0xba, 0xbb, 0xbc, 0xbd, 0xbe, 0xbf, 0xc0, 0xc1, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7,
    0xc8, 0xc9, 0xca, 0xcb, 0xcc, 0xcd, 0xce, 0xcf, 0xd0, 0xd1, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7};
constexpr Packet kWriteChunk2 = {
    0x04, 0x8a, 0x2a, 0x06, 0x04, 0x9c, 0x00, 0x00, 0xd8, 0xd9, 0xda, 0xdb, 0xa4, 0xa5, 0xa6, 0xa7,
    0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf, 0xb0, 0xb1, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7,
    0xb8, 0xb9, 0xba, 0xbb, 0xbc, 0xbd, 0xbe, 0xbf, 0xc0, 0xc1, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7,
    0xc8, 0xc9, 0xca, 0xcb, 0xcc, 0xcd, 0xce, 0xcf, 0xd0, 0xd1, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7};
// ReadMemory of 25 bytes at address 25: checksum 0x05 + 0x19 + 0x19.
constexpr Packet kReadRecord = {0x04, 0x37, 0x00, 0x05, 0x19, 0x19};

std::vector<uint8_t> WrittenData() {
    std::vector<uint8_t> data(60);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(0xA0 + i);
    }
    return data;
}

TEST(CommandPacketGoldenTest, ChannelSendsTheWorkedOutPackets) {
    test::EmulatedDevice keyboard(KeyboardModel());
    // On the heap: ThreadSanitizer keeps the lock order of stack mutexes of earlier tests.
    auto owned = std::make_unique<CommandChannel>(keyboard.Backend());
    CommandChannel& channel = *owned;
    ASSERT_TRUE(channel.Device().Open(keyboard.PathOf(1, 4), true, true, true, false));
    channel.SetConnected(true);

    ASSERT_EQ(channel.WriteMemory(WrittenData(), 100), kResultSuccess);
    std::vector<uint8_t> record(25);
    ASSERT_EQ(channel.ReadMemory(record, 25), kResultSuccess);
    const std::vector<Packet> received = keyboard.Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], kWriteChunk1);
    EXPECT_EQ(received[1], kWriteChunk2);
    EXPECT_EQ(received[2], kReadRecord);
}

TEST(CommandPacketGoldenTest, EmulatorJudgesTheChecksumByTheRule) {
    DeviceFirmware firmware(KeyboardModel().memory);
    for (const Packet& packet : {kWriteChunk1, kWriteChunk2}) {
        const auto outcome = firmware.Handle(packet);
        ASSERT_TRUE(outcome.reply.has_value());
        EXPECT_EQ(outcome.reply->at(kPacketStatus), 0x00);
    }
    const std::vector<uint8_t> data = WrittenData();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), firmware.Memory().settings.begin() + 100));
    EXPECT_EQ(firmware.Counters().badChecksums, 0u);

    // The sum without byte 63, a flipped bit of the high byte, the two bytes swapped: each is
    // refused with status 0xFF and writes nothing.
    DeviceFirmware fresh(KeyboardModel().memory);
    const std::vector<uint8_t> factory = fresh.Memory().settings;
    Packet withoutLastByte = kWriteChunk1;
    withoutLastByte[1] = 0xcf;
    withoutLastByte[2] = 0x28;
    Packet flippedHigh = kWriteChunk1;
    flippedHigh[2] ^= 0x01;
    Packet swapped = kWriteChunk2;
    std::swap(swapped[1], swapped[2]);
    for (const Packet& corrupt : {withoutLastByte, flippedHigh, swapped}) {
        const auto outcome = fresh.Handle(corrupt);
        ASSERT_TRUE(outcome.reply.has_value());
        EXPECT_EQ(outcome.reply->at(kPacketStatus), kStatusRejected);
    }
    EXPECT_EQ(fresh.Counters().badChecksums, 3u);
    EXPECT_EQ(fresh.Memory().settings, factory);
}

}  // namespace
}  // namespace quaro
