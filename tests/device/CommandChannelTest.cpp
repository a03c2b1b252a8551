#include "SimBusTestSupport.h"
#include "TraceCapture.h"
#include "device/CommandChannel.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quaro {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class CommandChannelTest : public ::testing::Test {
protected:
    CommandChannelTest() : m_device(KeyboardModel()), m_channel(m_device.Backend()) {}

    void SetUp() override {
        const std::string path = m_device.PathOf(1, 4);
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(m_channel.Device().Open(path, true, true, true, false));
        m_channel.SetConnected(true);
    }

    FirmwareMemory Memory() { return m_device.Emulator().Firmware().Memory(); }

    test::EmulatedDevice m_device;
    CommandChannel m_channel;
};

TEST_F(CommandChannelTest, BeginPacketAndTraceLines) {
    test::TraceCapture trace;
    EXPECT_EQ(m_channel.Begin(), kResultSuccess);
    const auto received = m_device.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][0], 0x04);
    EXPECT_EQ(received[0][1], 0x01);  // checksum 0x0001
    EXPECT_EQ(received[0][2], 0x00);
    EXPECT_EQ(received[0][3], 0x01);
    const auto lines = trace.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1],
              "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
              "00 00 00 00  00 00 00 00");
    EXPECT_EQ(lines[3], "返回");
    EXPECT_EQ(Memory().lightFrame.size(), 0u);
    EXPECT_EQ(m_device.Emulator().Firmware().Counters().begins, 1u);
}

TEST_F(CommandChannelTest, DeviceInfoIsOnePacketOf34Bytes) {
    DeviceInfoBytes record{};
    ASSERT_EQ(m_channel.ReadDeviceInfo(record), kResultSuccess);
    const auto received = m_device.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][kPacketLength], 34);
    EXPECT_EQ(ParseDeviceInfo(record).keyCount, 126);
    EXPECT_EQ(record, Memory().info);
}

TEST_F(CommandChannelTest, KeyImageOf512BytesTakesTenPackets) {
    FirmwareMemory memory = Memory();
    memory.keyImage.resize(512);
    for (size_t i = 0; i < memory.keyImage.size(); ++i) {
        memory.keyImage[i] = static_cast<uint8_t>(i * 7);
    }
    m_device.Emulator().Firmware().SetMemory(memory);
    std::vector<uint8_t> image(512);
    ASSERT_EQ(m_channel.ReadKeyImage(image), kResultSuccess);
    EXPECT_EQ(image, memory.keyImage);
    const auto received = m_device.Received();
    ASSERT_EQ(received.size(), 10u);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(received[i][kPacketLength], 56);
        EXPECT_EQ(PacketAddress(received[i]), i * 56);
    }
    EXPECT_EQ(received[9][kPacketLength], 8);
    EXPECT_EQ(received[9][5], 0xF8);
    EXPECT_EQ(received[9][6], 0x01);
    for (const Packet& packet : received) {
        EXPECT_TRUE(ChecksumMatches(packet));
    }
}

TEST_F(CommandChannelTest, LightIndexTableOf126KeysInThreePackets) {
    ASSERT_EQ(m_channel.SetImageLength(378), kResultSuccess);
    std::vector<uint8_t> table(126);
    ASSERT_EQ(m_channel.ReadKeyLightIndexTable(table), kResultSuccess);
    EXPECT_EQ(table, Memory().keyLightIndexTable);
    const auto received = m_device.Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0][kPacketLength], 56);
    EXPECT_EQ(received[1][kPacketLength], 56);
    EXPECT_EQ(received[2][kPacketLength], 14);
}

TEST_F(CommandChannelTest, MemoryAddressesAndStaleBytesOfShortChunks) {
    std::vector<uint8_t> record(25);
    ASSERT_EQ(m_channel.ReadMemory(record, 25), kResultSuccess);
    auto received = m_device.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][kPacketLength], 25);
    EXPECT_EQ(received[0][5], 0x19);
    EXPECT_EQ(received[0][6], 0x00);

    // 60 bytes: the second chunk of 4 still carries bytes of the first beyond its data, and
    // its checksum covers them.
    m_device.ClearReceived();
    std::vector<uint8_t> data(60);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(0xA0 + i);
    }
    ASSERT_EQ(m_channel.WriteMemory(data, 100), kResultSuccess);
    received = m_device.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(PacketAddress(received[1]), 156);
    EXPECT_EQ(received[1][kPacketData + 4], data[4]);  // left over from chunk one
    EXPECT_TRUE(ChecksumMatches(received[1]));
    const auto settings = Memory().settings;
    EXPECT_TRUE(std::equal(data.begin(), data.end(), settings.begin() + 100));
}

TEST_F(CommandChannelTest, StatusOnThirdChunkStopsAfterTwoAccepted) {
    std::vector<uint8_t> data(150, 0x5A);
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFE, 3);
    EXPECT_EQ(m_channel.WriteMemory(data, 0), kResultSecondError);
    EXPECT_EQ(m_device.Received().size(), 3u);
    const auto settings = Memory().settings;
    EXPECT_EQ(settings[111], 0x5A);  // chunks one and two stay written
    EXPECT_EQ(settings[112], 0x5A);  // the device took the third too; its status said no

    m_device.Emulator().ScheduleFault(FaultKind::kStatusFF);
    EXPECT_EQ(m_channel.Begin(), kResultRejected);
}

TEST_F(CommandChannelTest, MismatchedEchoGetsExactlyOneMoreRead) {
    // A light packet's reply arriving between the request and its reply is the stream's, not a
    // mismatched echo.
    m_device.Emulator().ScheduleFault(FaultKind::kStrayReply);
    EXPECT_EQ(m_channel.Begin(), kResultSuccess);

    // Two replies echoing other commands: the second is taken as it is.
    m_device.Emulator().ScheduleFault(FaultKind::kWrongEcho);
    m_device.Emulator().SetReplyLatency(std::chrono::milliseconds(300));
    m_device.ClearReceived();
    std::thread begin([this] { EXPECT_EQ(m_channel.Begin(), kResultSuccess); });
    while (m_device.Received().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Packet other{};
    other[0] = kPacketReportId;
    other[kPacketCommand] = 0x77;
    ASSERT_TRUE(m_device.Emulator().SendCommandReport(other));
    begin.join();
    m_device.Emulator().SetReplyLatency(std::chrono::milliseconds(0));

    // One mismatched reply and nothing after it: the extra read times out after about 1 s.
    m_device.Emulator().ScheduleFault(FaultKind::kWrongEcho);
    const auto start = Clock::now();
    EXPECT_EQ(m_channel.Begin(), kResultFailed);
    EXPECT_GE(MsSince(start), 900);

    // A reply already waiting before the request is stale and never taken for its reply.
    Packet stale{};
    stale[0] = kPacketReportId;
    stale[kPacketCommand] = kCmdBegin;
    stale[kPacketStatus] = kStatusRejected;
    ASSERT_TRUE(m_device.Emulator().SendCommandReport(stale));
    EXPECT_EQ(m_channel.Begin(), kResultSuccess);
}

TEST_F(CommandChannelTest, NoReplyTimesOutAfterAboutOneSecond) {
    m_device.Emulator().ScheduleFault(FaultKind::kNoReply);
    const auto start = Clock::now();
    EXPECT_EQ(m_channel.End(), kResultFailed);
    const int64_t elapsed = MsSince(start);
    EXPECT_GE(elapsed, 900);
    EXPECT_LT(elapsed, 3000);
}

TEST_F(CommandChannelTest, SlowLinkWaitsFiveSecondsAndSendsNoLight) {
    m_channel.SetSlowLink(true);
    std::vector<uint8_t> frame(378, 0x11);
    EXPECT_EQ(m_channel.SendLightFrame(frame), kResultSuccess);
    EXPECT_TRUE(m_device.Received().empty());

    m_device.Emulator().ScheduleFault(FaultKind::kNoReply);
    const auto start = Clock::now();
    EXPECT_EQ(m_channel.Begin(), kResultFailed);
    EXPECT_GE(MsSince(start), 4500);
}

TEST_F(CommandChannelTest, LightFrameGoesInSevenQuietPackets) {
    test::TraceCapture trace;
    std::vector<uint8_t> frame(378);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(m_channel.SendLightFrame(frame), kResultSuccess);
    EXPECT_EQ(m_device.Received().size(), 7u);
    EXPECT_EQ(Memory().lightFrame, frame);
    EXPECT_TRUE(trace.Lines().empty());
}

TEST_F(CommandChannelTest, LightPacketsAreDroppedWhileACommandRuns) {
    test::TraceCapture trace;
    m_device.Emulator().SetReplyLatency(std::chrono::milliseconds(400));
    std::thread command([this] { EXPECT_EQ(m_channel.Begin(), kResultSuccess); });
    while (!m_channel.IsBusy()) {
        std::this_thread::yield();
    }
    std::vector<uint8_t> frame(378, 0x22);
    EXPECT_EQ(m_channel.SendLightFrame(frame), kResultSuccess);
    command.join();
    EXPECT_EQ(trace.Count("放弃灯光数据"), 7u);
    EXPECT_EQ(m_device.Emulator().Firmware().Counters().lightPackets, 0u);
}

TEST_F(CommandChannelTest, TwoThreadsShareOneChannel) {
    auto worker = [this](uint16_t address, uint8_t fill) {
        std::vector<uint8_t> out(80, fill);
        std::vector<uint8_t> in(80);
        for (int round = 0; round < 20; ++round) {
            ASSERT_EQ(m_channel.WriteMemory(out, address), kResultSuccess);
            ASSERT_EQ(m_channel.ReadMemory(in, address), kResultSuccess);
            ASSERT_EQ(in, out);
        }
    };
    std::thread first(worker, 0, 0x11);
    std::thread second(worker, 128, 0x22);
    first.join();
    second.join();
}

TEST_F(CommandChannelTest, DisconnectedChannelSendsNothing) {
    m_channel.SetConnected(false);
    std::vector<uint8_t> buffer(10);
    EXPECT_EQ(m_channel.Begin(), kResultFailed);
    EXPECT_EQ(m_channel.ReadMemory(buffer, 0), kResultFailed);
    EXPECT_EQ(m_channel.SendLightFrame(buffer), kResultFailed);
    EXPECT_EQ(m_channel.ShutdownNotice(), kResultSuccess);
    EXPECT_FALSE(m_channel.LinkCheck());
    EXPECT_TRUE(m_device.Received().empty());
}

TEST_F(CommandChannelTest, ImageLengthLimitAndImageIndex) {
    EXPECT_EQ(m_channel.SetImageLength(513), kResultFailed);
    EXPECT_EQ(m_channel.ImageLength(), 512);
    EXPECT_EQ(m_channel.SetImageLength(378), kResultSuccess);
    std::vector<uint8_t> image(378);
    EXPECT_EQ(m_channel.WriteKeyImage(image, 1), kResultBadImageIndex);
    EXPECT_TRUE(m_device.Received().empty());
    ASSERT_EQ(m_channel.ReadKeyImage(image), kResultSuccess);
    image[0] = 0x10;
    ASSERT_EQ(m_channel.WriteKeyImage(image, 0), kResultSuccess);
    EXPECT_EQ(Memory().keyImage, image);
}

TEST_F(CommandChannelTest, StatusRecordLinkCheckAndShutdown) {
    FirmwareMemory memory = Memory();
    memory.status = {1, 2, 3, 4, 5, 6};
    m_device.Emulator().Firmware().SetMemory(memory);
    std::vector<uint8_t> status(6);
    ASSERT_EQ(m_channel.ReadStatus(status, 0), kResultSuccess);
    EXPECT_EQ(status, memory.status);
    EXPECT_TRUE(m_channel.LinkCheck());
    memory.linkPresent = false;
    m_device.Emulator().Firmware().SetMemory(memory);
    EXPECT_FALSE(m_channel.LinkCheck());
    // The notice is always taken as sent, even when the receiver has no mouse to tell.
    EXPECT_EQ(m_channel.ShutdownNotice(), kResultSuccess);
    EXPECT_EQ(m_device.Emulator().Firmware().Counters().shutdownNotices, 0u);
    memory.linkPresent = true;
    m_device.Emulator().Firmware().SetMemory(memory);
    EXPECT_EQ(m_channel.ShutdownNotice(), kResultSuccess);
    EXPECT_EQ(m_device.Emulator().Firmware().Counters().shutdownNotices, 1u);
}

TEST_F(CommandChannelTest, UnpluggedDeviceFailsAtOnce) {
    m_device.Emulator().ScheduleFault(FaultKind::kUnplug);
    const auto start = Clock::now();
    EXPECT_NE(m_channel.Begin(), kResultSuccess);
    EXPECT_NE(m_channel.End(), kResultSuccess);
    EXPECT_LT(MsSince(start), 500);
    EXPECT_FALSE(m_device.Emulator().IsPlugged());
}

TEST_F(CommandChannelTest, ReconnectsAfterTheDeviceComesBack) {
    const std::string path = m_device.PathOf(1, 4);
    m_device.Emulator().Unplug();
    EXPECT_NE(m_channel.Begin(), kResultSuccess);
    {
        std::lock_guard lock(m_channel.TransferLock());
        m_channel.SetConnected(false);
        m_channel.Device().Close();
    }
    ASSERT_TRUE(m_device.Emulator().Plug());
    {
        std::lock_guard lock(m_channel.TransferLock());
        ASSERT_TRUE(m_channel.Device().Open(path, true, true, true, false));
    }
    m_channel.SetConnected(true);
    EXPECT_EQ(m_channel.Begin(), kResultSuccess);
    EXPECT_EQ(m_channel.End(), kResultSuccess);
}

TEST_F(CommandChannelTest, LateReplyDoesNotShiftLaterReplies) {
    FirmwareMemory memory = Memory();
    for (size_t i = 0; i < memory.settings.size(); ++i) {
        memory.settings[i] = static_cast<uint8_t>(i);
    }
    m_device.Emulator().Firmware().SetMemory(memory);
    std::vector<uint8_t> chunk(4);
    m_device.Emulator().SetReplyLatency(std::chrono::milliseconds(1300));
    EXPECT_EQ(m_channel.ReadMemory(chunk, 0), kResultFailed);
    m_device.Emulator().SetReplyLatency(std::chrono::milliseconds(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the late reply arrives
    for (uint16_t address : {100, 104}) {
        ASSERT_EQ(m_channel.ReadMemory(chunk, address), kResultSuccess);
        EXPECT_EQ(chunk, std::vector<uint8_t>(memory.settings.begin() + address,
                                              memory.settings.begin() + address + 4));
    }
}

}  // namespace
}  // namespace quaro
