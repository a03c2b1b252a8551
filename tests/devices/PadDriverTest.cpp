#include "DriverTestFixture.h"
#include "RecordingPadSink.h"
#include "devices/pad/PadDriver.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

using test::Commands;
using test::FaultCase;
using test::kFaults;
using test::kOneTimeout;

// Record 2 in force: a record 0 of zeros would let a read of the wrong place pass unnoticed.
std::vector<uint8_t> PadMemory() {
    std::vector<uint8_t> memory(256, 0);
    memory[0] = 2;
    const uint8_t record[] = {2, 3, 4, 1, 1, 0, 10, 20, 30};
    std::copy(std::begin(record), std::end(record), memory.begin() + 50);
    for (int i = 9; i < 25; ++i) {
        memory[50 + i] = static_cast<uint8_t>(0xA0 + i);
    }
    return memory;
}

const LightSetting kLight{.effect = 2,
                          .brightness = 5,
                          .speed = 4,
                          .direction = 0,
                          .multiColor = 1,
                          .red = 7,
                          .green = 8,
                          .blue = 9};

class PadDriverTest : public test::DriverFixture<PadDriver, test::RecordingPadSink> {
protected:
    PadDriverTest() : DriverFixture(MousePadModel()) { SetSettings(PadMemory()); }

    PadSettingsRecord ReadRecord() {
        const uint32_t id = m_driver->RequestRead();
        EXPECT_EQ(m_sink.ResultOf(id), kResultSuccess);
        return m_driver->Record();
    }
};

TEST_F(PadDriverTest, ReadTakesTheRecordInForceWithTheSpeedTurnedBack) {
    const PadSettingsRecord record = ReadRecord();
    const std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][kPacketCommand], kCmdReadMemory);
    EXPECT_EQ(sent[0][kPacketLength], 1);
    EXPECT_EQ(PacketAddress(sent[0]), 0);
    EXPECT_EQ(sent[1][kPacketLength], 25);
    EXPECT_EQ(PacketAddress(sent[1]), 50);  // record 2 x 25
    const PadSettingsBytes& bytes = record.Bytes();
    EXPECT_EQ(record.RecordNumber(), 2);
    EXPECT_EQ(record.Mode(), 3);
    EXPECT_EQ(bytes[2], 4);
    EXPECT_EQ(record.Speed(), 3);  // 4 - 1
    EXPECT_EQ(bytes[4], 1);        // direction as read
    EXPECT_EQ(bytes[20], 0xA0 + 20);
    // The light thread plays what was read.
    const LightSetting playing = m_driver->Light().Setting();
    EXPECT_EQ(playing.effect, 3);
    EXPECT_EQ(playing.speed, 3);
    EXPECT_EQ(playing.red, 10);
    const auto read = m_sink.WaitRead(1);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->Succeeded());
    EXPECT_EQ(read->cause, PadReadCause::kRequested);
    EXPECT_EQ(read->record.Bytes(), bytes);
}

TEST_F(PadDriverTest, WriteSendsTheKeptBytesAtTheRecordPlaceBetweenBeginAndEnd) {
    ReadRecord();
    LightSetting light = kLight;
    light.effect = 9;  // a mode the pad does not know
    m_driver->ApplyLight(light);
    m_device.ClearReceived();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWrite(0)), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdBegin, kCmdWriteMemory, kCmdEnd}));
    const std::vector<uint8_t> memory = SettingsMemory();
    const std::vector<uint8_t> expected = {2, 0, 5, 0, 1, 1, 7, 8, 9};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
    // Direction and bytes 9-20 are those read, and nothing past the 21 bytes is written.
    EXPECT_EQ(memory[20], 0xA0 + 20);
    EXPECT_EQ(memory[21], 0);
    // The kept record holds the mode as the profile has it.
    EXPECT_EQ(m_driver->Record().Mode(), 9);

    m_device.ClearReceived();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWrite(1)), kResultSuccess);
    EXPECT_EQ(SettingsMemory()[64 + 2], 5);
    const std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(PacketAddress(sent[1]), 64);
    EXPECT_EQ(sent[1][kPacketLength], 21);
}

TEST_F(PadDriverTest, StartSendsBeginInformationEnd) {
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo, kCmdEnd}));
    EXPECT_EQ(m_driver->InfoRecord(), m_device.Emulator().Firmware().Memory().info);
}

TEST_F(PadDriverTest, SettingsChangedReadsTheRecordAgainHalfASecondLater) {
    ReadRecord();
    m_driver->Primary().SetLightSync(true);
    std::vector<uint8_t> memory = PadMemory();
    memory[50 + 1] = 7;
    SetSettings(memory);
    const auto sentAt = SteadyClock::now();
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    const auto read = m_sink.WaitRead(2);
    ASSERT_TRUE(read);
    EXPECT_GE(SteadyClock::now() - sentAt, PadDriver::kRereadDelay - 20ms);
    EXPECT_EQ(read->cause, PadReadCause::kSettingsChanged);
    EXPECT_TRUE(read->Succeeded());
    EXPECT_EQ(read->record.Mode(), 7);
    EXPECT_EQ(read->previous.Mode(), 3);
    EXPECT_EQ(m_driver->Record().Mode(), 7);
    EXPECT_EQ(m_driver->PreviousRecord().Mode(), 3);
    EXPECT_FALSE(m_driver->Primary().LightSync());
    EXPECT_FALSE(m_driver->IsRereadPending());
    // Other reports on the interface are not a change of settings.
    ASSERT_TRUE(m_device.Emulator().SendKeyEvent(3, true));
    std::this_thread::sleep_for(PadDriver::kRereadDelay + 200ms);
    EXPECT_EQ(m_sink.ReadCount(), 2u);
}

TEST_F(PadDriverTest, AFailedReReadKeepsTheRecordAndTheUsersLight) {
    ReadRecord();
    m_driver->ApplyLight(kLight);
    const PadSettingsBytes before = m_driver->Record().Bytes();
    // The pad goes away while it answers the second read.
    m_device.Emulator().ScheduleFault(FaultKind::kUnplug, 2);
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    const auto read = m_sink.WaitRead(2);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->Succeeded());
    EXPECT_EQ(read->record.Bytes(), before);
    EXPECT_EQ(m_driver->Record().Bytes(), before);
    EXPECT_EQ(m_driver->Light().Setting().effect, kLight.effect);
}

struct PadFlow {
    const char* name;
    uint32_t packets;
    bool bracketed;  // between Begin and End
    uint32_t (*request)(PadDriver& driver);
};

const PadFlow kFlows[] = {
    {"start", 3, true, [](PadDriver& d) { return d.RequestStart(); }},
    {"read", 2, false, [](PadDriver& d) { return d.RequestRead(); }},
    {"write", 3, true, [](PadDriver& d) { return d.RequestWrite(0); }},
};

TEST_F(PadDriverTest, EveryFaultAtEveryPacketOfEveryFlowEndsWithinOneTimeoutAndKeepsTheRecord) {
    ReadRecord();
    m_driver->ApplyLight(kLight);
    const PadSettingsBytes kept = m_driver->Record().Bytes();
    for (const PadFlow& flow : kFlows) {
        for (const FaultCase& fault : kFaults) {
            for (uint32_t packet = 1; packet <= flow.packets; ++packet) {
                SCOPED_TRACE(::testing::Message()
                             << flow.name << ": " << fault.name << " at packet " << packet);
                Replug();
                std::vector<uint8_t> changed = PadMemory();
                changed[50 + 1] = 8;
                SetSettings(changed);
                m_device.Emulator().ScheduleFault(fault.kind, packet);
                const auto start = SteadyClock::now();
                const uint32_t id = flow.request(*m_driver);
                const auto result = m_sink.ResultOf(id, kOneTimeout);
                EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
                EXPECT_EQ(result, fault.result);
                // The flow stopped at the faulty packet, but a pad that answered a refusal
                // inside Begin ... End still gets its End.
                const bool answered =
                    fault.kind == FaultKind::kStatusFE || fault.kind == FaultKind::kStatusFF;
                const bool endsAnyway =
                    flow.bracketed && answered && packet > 1 && packet < flow.packets;
                EXPECT_EQ(m_device.Received().size(), packet + (endsAnyway ? 1 : 0));
                EXPECT_EQ(m_driver->Record().Bytes(), kept);
                EXPECT_EQ(m_driver->Light().Setting().effect, kLight.effect);
            }
        }
    }
    // After the last unplug the pad is back and every flow goes through.
    Replug();
    for (const PadFlow& flow : kFlows) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultSuccess) << flow.name;
    }
}

TEST_F(PadDriverTest, FlowsWhileDisconnectedTouchNothing) {
    ReadRecord();
    const PadSettingsBytes kept = m_driver->Record().Bytes();
    m_driver->Disconnect();
    m_device.ClearReceived();
    for (const PadFlow& flow : kFlows) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultFailed) << flow.name;
    }
    EXPECT_TRUE(m_device.Received().empty());
    EXPECT_EQ(m_driver->Record().Bytes(), kept);
}

TEST_F(PadDriverTest, LightThreadStreamsFramesOfItsColours) {
    ReadRecord();  // mode 3: steady colour
    m_driver->Light().Start();
    const PadSettingsRecord record = m_driver->Record();
    std::array<uint8_t, kPadFrameSize> frame{};
    const auto deadline = SteadyClock::now() + 5s;
    // Brightness level 4 is 195: 10 x 195 / 256 = 7.
    while (frame[0] != 7 && SteadyClock::now() < deadline) {
        m_driver->Light().ComposeFrame(frame);
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(frame[0], 7);
    EXPECT_EQ(frame[44], 30 * 195 / 256);
    m_device.ClearReceived();
    ASSERT_TRUE(m_driver->SubmitLightFrame());
    const auto sent = [&] {
        for (const Packet& packet : m_device.Received()) {
            if (packet[kPacketCommand] == kCmdLightFrame) {
                return true;
            }
        }
        return false;
    };
    const auto until = SteadyClock::now() + 5s;
    while (!sent() && SteadyClock::now() < until) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(sent());
    EXPECT_EQ(record.Mode(), 3);
}

TEST_F(PadDriverTest, StoppedWhileTheLightThreadAndReaderRunAndAFlowWaits) {
    ReadRecord();
    m_driver->Light().Start();
    m_device.Emulator().ScheduleFault(FaultKind::kNoReply, 1);
    m_driver->RequestRead();
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    std::atomic<bool> done{false};
    std::thread frames([&] {
        while (!done) {
            m_driver->SubmitLightFrame();
            m_driver->Light().SetAllColors({1, 2, 3, 255});
            std::this_thread::sleep_for(1ms);
        }
    });
    std::this_thread::sleep_for(50ms);
    const auto start = SteadyClock::now();
    done = true;
    frames.join();
    m_driver.reset();
    EXPECT_LT(SteadyClock::now() - start, kOneTimeout + 1s);
}

}  // namespace
}  // namespace quaro
