// The frames the drivers' flows share, straight over an emulated device's channel: which
// packets go out around a refusal, a silent device and a shut gate.

#include "DriverTestFixture.h"
#include "devices/driver/DeviceDriver.h"
#include "devices/driver/FlowFrame.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace quaro {
namespace {

using test::Commands;

class FlowFrameTest : public ::testing::Test {
protected:
    FlowFrameTest() : m_device(MousePadModel()), m_driver(m_device.Backend(), nullptr) {}

    // The channel is used from the test's thread: the driver's worker is never started.
    void SetUp() override { ASSERT_TRUE(m_driver.Connect(m_device.PathOf(1, 4))); }

    CommandChannel& Channel() { return m_driver.Primary(); }
    void FaultAt(FaultKind kind, uint32_t packet) {
        m_device.Emulator().ScheduleFault(kind, packet);
    }

    test::EmulatedDevice m_device;
    DeviceDriver m_driver;
};

const std::array<uint8_t, 4> kBytes{1, 2, 3, 4};

TEST_F(FlowFrameTest, ARefusedBeginGetsItsEndOnlyWhenAskedFor) {
    const FlowFrame frame(Channel());
    FaultAt(FaultKind::kStatusFF, 1);
    EXPECT_EQ(frame.WriteRecord(RefusedBegin::kStop, kBytes, 0), kResultRejected);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdBegin});

    m_device.ClearReceived();
    FaultAt(FaultKind::kStatusFE, 1);
    EXPECT_EQ(frame.WriteRecord(RefusedBegin::kEnd, kBytes, 0), kResultSecondError);
    EXPECT_EQ(Commands(m_device.Received()), (std::vector<uint8_t>{kCmdBegin, kCmdEnd}));
}

TEST_F(FlowFrameTest, ARefusedBodyGetsItsEndASilentOneDoesNot) {
    const FlowFrame frame(Channel());
    FaultAt(FaultKind::kStatusFF, 2);
    EXPECT_EQ(frame.WriteRecord(RefusedBegin::kStop, kBytes, 0), kResultRejected);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdBegin, kCmdWriteMemory, kCmdEnd}));

    m_device.ClearReceived();
    FaultAt(FaultKind::kNoReply, 2);
    EXPECT_EQ(frame.WriteRecord(RefusedBegin::kEnd, kBytes, 0), kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), (std::vector<uint8_t>{kCmdBegin, kCmdWriteMemory}));
}

TEST_F(FlowFrameTest, TheStartReadEndsAfterARefusalOfOurOwnAndKeepsTheBodysResult) {
    const FlowFrame frame(Channel());
    const int32_t refused = frame.StartRead([](bool& refusedHere) {
        refusedHere = true;
        return kResultFailed;
    });
    EXPECT_EQ(refused, kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), (std::vector<uint8_t>{kCmdBegin, kCmdEnd}));

    // A failed End spoils a read that succeeded up to there.
    m_device.ClearReceived();
    FaultAt(FaultKind::kStatusFF, 2);
    EXPECT_EQ(frame.StartRead([](bool&) { return kResultSuccess; }), kResultRejected);
    EXPECT_EQ(Commands(m_device.Received()), (std::vector<uint8_t>{kCmdBegin, kCmdEnd}));

    // A device that fell silent in the body gets nothing more.
    m_device.ClearReceived();
    FaultAt(FaultKind::kNoReply, 2);
    EXPECT_EQ(frame.StartRead([&](bool&) { return m_driver.ReadInfoRecord(); }), kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo}));
}

TEST_F(FlowFrameTest, AShutGateSendsNothingAndEndsTheFrameAsSilence) {
    int asked = 0;
    bool open = true;
    const FlowFrame frame(Channel(), [&] {
        ++asked;
        return open;
    });
    // The gate closes after the Begin: neither the body's command nor the End goes out.
    int32_t result = frame.Bracket(RefusedBegin::kEnd, [&] {
        open = false;
        return frame.Send([&] { return Channel().WriteMemory(kBytes, 0); });
    });
    EXPECT_EQ(result, kResultFailed);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdBegin});

    m_device.ClearReceived();
    std::array<uint8_t, 25> record{};
    result = frame.ReadRecordInForce(record, 25);
    EXPECT_EQ(result, kResultFailed);
    EXPECT_TRUE(m_device.Received().empty());
}

TEST_F(FlowFrameTest, TheRecordInForceIsReadAtItsNumberTimesTheStrideAndEndsTheLightSync) {
    FirmwareMemory memory = m_device.Emulator().Firmware().Memory();
    memory.settings.assign(256, 0);
    memory.settings[0] = 3;
    memory.settings[3 * 40] = 0x5A;
    m_device.Emulator().Firmware().SetMemory(memory);
    Channel().SetLightSync(true);

    const FlowFrame frame(Channel());
    std::array<uint8_t, 8> record{};
    ASSERT_EQ(frame.ReadRecordInForce(record, 40), kResultSuccess);
    EXPECT_EQ(record[0], 0x5A);
    EXPECT_FALSE(Channel().LightSync());
    const std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(PacketAddress(sent[0]), 0);
    EXPECT_EQ(PacketAddress(sent[1]), 120);

    // A number that cannot be read leaves the record unread.
    m_device.ClearReceived();
    FaultAt(FaultKind::kStatusFF, 1);
    EXPECT_EQ(frame.ReadRecordInForce(record, 40), kResultRejected);
    EXPECT_EQ(m_device.Received().size(), 1u);
}

}  // namespace
}  // namespace quaro
