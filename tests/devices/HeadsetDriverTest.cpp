// The headset driver against the headset emulator: its light record behind the command channel,
// the re-read it asks for, and the twelve light output reports of each frame.

#include "DriverTestFixture.h"
#include "RecordingPadSink.h"
#include "devices/headset/HeadsetDriver.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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
constexpr uint16_t kInterface = 3;

// Record 1 in force, with bytes that tell every field apart.
std::vector<uint8_t> HeadsetMemory() {
    std::vector<uint8_t> memory(256, 0);
    memory[0] = 1;
    const uint8_t record[] = {1, 6, 3, 0, 1, 1, 40, 50, 60};
    std::copy(std::begin(record), std::end(record), memory.begin() + 25);
    for (int i = 9; i < 25; ++i) {
        memory[25 + i] = static_cast<uint8_t>(0xB0 + i);
    }
    return memory;
}

const LightSetting kLight{.effect = 3,
                          .brightness = 5,
                          .speed = 2,
                          .direction = 0,
                          .multiColor = 0,
                          .red = 255,
                          .green = 128,
                          .blue = 1};

// The one interface, once for the commands and once for the event reader.
class HeadsetDriverTest : public test::DriverFixture<HeadsetDriver, test::RecordingPadSink> {
protected:
    HeadsetDriverTest() : DriverFixture(HeadsetModel(), {kInterface, 0, 0}) {
        SetSettings(HeadsetMemory());
    }

    void Replug() {
        DriverFixture::Replug();
        m_device.Emulator().ClearLightReports();
    }

    PadSettingsRecord ReadRecord() {
        EXPECT_EQ(m_sink.ResultOf(m_driver->RequestRead()), kResultSuccess);
        return m_driver->Record();
    }

    std::vector<std::vector<uint8_t>> WaitForReports(std::size_t count) {
        const auto deadline = SteadyClock::now() + 5s;
        while (m_device.Emulator().LightReports().size() < count && SteadyClock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        return m_device.Emulator().LightReports();
    }
};

TEST_F(HeadsetDriverTest, AFrameGoesOutAsTwelveCappedReportsInTheHeadsetsOrder) {
    const std::array<std::array<uint8_t, 2>, 12> order = {{{0x22, 0xAA},
                                                           {0x22, 0xAD},
                                                           {0x44, 0xAA},
                                                           {0x44, 0xAD},
                                                           {0x22, 0xAB},
                                                           {0x22, 0xAE},
                                                           {0x44, 0xAB},
                                                           {0x44, 0xAE},
                                                           {0x22, 0xAC},
                                                           {0x22, 0xAF},
                                                           {0x44, 0xAC},
                                                           {0x44, 0xAF}}};
    // White at full intensity scales to 254, which the headset must never see.
    m_driver->Light().SetAllColors({255, 255, 255, 255});
    ASSERT_TRUE(m_driver->SubmitLightFrame());
    const auto reports = WaitForReports(12);
    ASSERT_EQ(reports.size(), 12u);
    for (std::size_t r = 0; r < reports.size(); ++r) {
        SCOPED_TRACE(r);
        ASSERT_EQ(reports[r].size(), kHeadsetReportSize);
        EXPECT_EQ(reports[r][0], 0xFF);
        EXPECT_EQ(reports[r][1], order[r][0]);
        EXPECT_EQ(reports[r][2], order[r][1]);
        EXPECT_EQ(reports[r][3], 0);
        const int leds = order[r][1] < 0xAD ? 7 : 6;
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(reports[r][4 + i], i < leds ? kHeadsetMaxChannel : 0);
        }
    }
    // Light goes only as output reports: no command packet at all.
    EXPECT_TRUE(m_device.Received().empty());
    EXPECT_EQ(m_driver->ReportsSent(), 12u);
}

TEST_F(HeadsetDriverTest, TheLightThreadsEffectStreamsWholeFramesNeverAbove247) {
    // A full-brightness colour wave: every LED passes through full red, green and blue.
    LightSetting wave = kLight;
    wave.effect = 0;
    wave.multiColor = 1;
    wave.speed = 5;
    m_driver->ApplyLight(wave);
    m_driver->Light().Start();
    std::atomic<bool> done{false};
    std::thread frames([&] {
        while (!done) {
            m_driver->SubmitLightFrame();
            std::this_thread::sleep_for(5ms);
        }
    });
    WaitForReports(12 * 20);
    done = true;
    frames.join();
    m_driver->Light().Stop();
    // Let the frame on the wire finish before counting.
    ASSERT_EQ(m_sink.ResultOf(m_driver->RunFlow([](DeviceDriver&) { return 1; })), kResultSuccess);
    const auto reports = m_device.Emulator().LightReports();
    ASSERT_GE(reports.size(), 12u * 20);
    EXPECT_EQ(reports.size() % 12, 0u);
    bool lit = false;
    for (std::size_t r = 0; r < reports.size(); ++r) {
        EXPECT_EQ(reports[r][2], (std::array<uint8_t, 12>{0xAA, 0xAD, 0xAA, 0xAD, 0xAB, 0xAE, 0xAB,
                                                          0xAE, 0xAC, 0xAF, 0xAC, 0xAF}[r % 12]));
        const auto top = *std::max_element(reports[r].begin() + 4, reports[r].end());
        EXPECT_LE(top, kHeadsetMaxChannel);
        lit |= top > 0;
    }
    EXPECT_TRUE(lit);
}

TEST_F(HeadsetDriverTest, RecordIsReadAndWrittenAsThePadsAtTheRecordInForce) {
    const PadSettingsRecord record = ReadRecord();
    std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][kPacketLength], 1);
    EXPECT_EQ(PacketAddress(sent[0]), 0);
    EXPECT_EQ(sent[1][kPacketLength], 25);
    EXPECT_EQ(PacketAddress(sent[1]), 25);
    EXPECT_EQ(record.Mode(), 6);
    EXPECT_EQ(record.Speed(), 4);
    EXPECT_EQ(record.Bytes()[20], 0xB0 + 20);
    EXPECT_EQ(m_driver->Light().Setting().effect, 6);

    LightSetting light = kLight;
    light.effect = 9;  // no firmware effect: goes to the headset as 0
    m_driver->ApplyLight(light);
    m_device.ClearReceived();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWrite(0)), kResultSuccess);
    sent = m_device.Received();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][kPacketCommand], kCmdBegin);
    EXPECT_EQ(sent[1][kPacketCommand], kCmdWriteMemory);
    EXPECT_EQ(sent[1][kPacketLength], 21);
    EXPECT_EQ(sent[2][kPacketCommand], kCmdEnd);
    const std::vector<uint8_t> memory = SettingsMemory();
    const std::vector<uint8_t> expected = {1, 0, 5, 2, 1, 0, 255, 128, 1};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
    EXPECT_EQ(memory[20], 0xB0 + 20);  // as read
    EXPECT_EQ(memory[21], 0);          // nothing past the kept bytes
}

TEST_F(HeadsetDriverTest, EventsWaitingOnTheInterfaceAreNeverTakenForReplies) {
    // Volume keys pressed while nothing was asked of the headset: their reports reach the
    // command handle too, more of them than a second read of a mismatched reply could ride over.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(m_device.Emulator().SendKeyEvent(static_cast<uint8_t>(0xE9), i % 2 == 0));
    }
    std::this_thread::sleep_for(50ms);
    const PadSettingsRecord record = ReadRecord();
    EXPECT_EQ(record.RecordNumber(), 1);
    EXPECT_EQ(record.Mode(), 6);
    EXPECT_EQ(record.Bytes()[6], 40);
}

TEST_F(HeadsetDriverTest, SettingsChangedReadsTheRecordAgainOnlyWhenWhole) {
    ReadRecord();
    m_driver->ApplyLight(kLight);
    const PadSettingsBytes kept = m_driver->Record().Bytes();
    // A re-read cut short by an unplug at its second packet keeps the user's light.
    m_device.Emulator().ScheduleFault(FaultKind::kUnplug, 2);
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    auto read = m_sink.WaitRead(2);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->cause, PadReadCause::kSettingsChanged);
    EXPECT_FALSE(read->Succeeded());
    EXPECT_EQ(m_driver->Record().Bytes(), kept);
    EXPECT_EQ(m_driver->Light().Setting().effect, kLight.effect);

    Replug();
    std::vector<uint8_t> memory = HeadsetMemory();
    memory[25 + 1] = 7;
    SetSettings(memory);
    m_driver->Primary().SetLightSync(true);
    const auto sentAt = SteadyClock::now();
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    read = m_sink.WaitRead(3);
    ASSERT_TRUE(read);
    EXPECT_GE(SteadyClock::now() - sentAt, PadDriver::kRereadDelay - 20ms);
    EXPECT_TRUE(read->Succeeded());
    EXPECT_EQ(read->record.Mode(), 7);
    EXPECT_EQ(m_driver->Record().Mode(), 7);
    EXPECT_EQ(m_driver->Light().Setting().effect, 7);
    EXPECT_FALSE(m_driver->Primary().LightSync());
}

struct HeadsetFlow {
    const char* name;
    uint32_t packets;
    bool bracketed;
    uint32_t (*request)(HeadsetDriver& driver);
};

const HeadsetFlow kFlows[] = {
    {"read", 2, false, [](HeadsetDriver& d) { return d.RequestRead(); }},
    {"write", 3, true, [](HeadsetDriver& d) { return d.RequestWrite(0); }},
};

TEST_F(HeadsetDriverTest, EveryFaultAtEveryPacketEndsWithinOneTimeoutAndKeepsTheRecord) {
    ReadRecord();
    m_driver->ApplyLight(kLight);
    const PadSettingsBytes kept = m_driver->Record().Bytes();
    for (const HeadsetFlow& flow : kFlows) {
        for (const FaultCase& fault : kFaults) {
            for (uint32_t packet = 1; packet <= flow.packets; ++packet) {
                SCOPED_TRACE(::testing::Message()
                             << flow.name << ": " << fault.name << " at packet " << packet);
                Replug();
                std::vector<uint8_t> changed = HeadsetMemory();
                changed[25 + 1] = 8;
                SetSettings(changed);
                const std::vector<uint8_t> before = SettingsMemory();
                m_device.Emulator().ScheduleFault(fault.kind, packet);
                const auto start = SteadyClock::now();
                const auto result = m_sink.ResultOf(flow.request(*m_driver), kOneTimeout);
                EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
                EXPECT_EQ(result, fault.result);
                const bool answered =
                    fault.kind == FaultKind::kStatusFE || fault.kind == FaultKind::kStatusFF;
                const bool endsAnyway =
                    flow.bracketed && answered && packet > 1 && packet < flow.packets;
                EXPECT_EQ(m_device.Received().size(), packet + (endsAnyway ? 1 : 0));
                EXPECT_EQ(m_driver->Record().Bytes(), kept);
                EXPECT_EQ(m_driver->Light().Setting().effect, kLight.effect);
                // A write refused before its data arrived leaves the headset's memory alone.
                if (packet < 2) {
                    EXPECT_EQ(SettingsMemory(), before);
                }
            }
        }
    }
    Replug();
    for (const HeadsetFlow& flow : kFlows) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultSuccess) << flow.name;
    }
}

TEST_F(HeadsetDriverTest, UnpluggedMidStreamFramesStopAndResumeAfterReplug) {
    m_driver->Light().SetAllColors({10, 20, 30, 255});
    ASSERT_TRUE(m_driver->SubmitLightFrame());
    ASSERT_EQ(WaitForReports(12).size(), 12u);
    m_device.Emulator().Unplug();
    // Frames offered to a vanished headset fail on the worker; nothing waits on the caller. The
    // colours move: a frame the headset already shows would not be sent again.
    const auto start = SteadyClock::now();
    for (int i = 0; i < 20; ++i) {
        m_driver->Light().SetAllColors({static_cast<std::uint8_t>(40 + i), 20, 30, 255});
        m_driver->SubmitLightFrame();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
    ASSERT_EQ(m_sink.ResultOf(m_driver->RunFlow([](DeviceDriver&) { return 1; }), kOneTimeout),
              kResultSuccess);
    EXPECT_GE(m_driver->Frames().failed, 1u);
    m_driver->Disconnect();
    EXPECT_FALSE(m_driver->SubmitLightFrame());

    // Coming back forgets the pause the failure started, and what the headset showed.
    Replug();
    m_driver->Light().SetAllColors({10, 20, 30, 255});
    ASSERT_TRUE(m_driver->SubmitLightFrame());
    const auto reports = WaitForReports(12);
    ASSERT_EQ(reports.size(), 12u);
    EXPECT_EQ(reports[0][4], 10 * 255 / 256);
}

TEST_F(HeadsetDriverTest, StoppedWhileTheLightThreadReaderAndFramesRun) {
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
