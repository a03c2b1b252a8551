#include "../device/SimBusTestSupport.h"
#include "devices/driver/DeviceDriver.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// Generous enough for a loaded machine and ThreadSanitizer, yet well below two time-outs.
constexpr auto kOneTimeout = std::chrono::milliseconds(CommandChannel::kTimeoutMs) + 900ms;

class RecordingSink : public DriverEventSink {
public:
    void OnFlowDone(uint32_t flowId, int32_t result) override {
        std::lock_guard lock(m_mutex);
        m_order.push_back(flowId);
        m_results[flowId] = result;
        m_changed.notify_all();
    }
    void OnStatusRead(const StatusBytes& status) override {
        std::lock_guard lock(m_mutex);
        m_statuses.push_back(status);
    }

    // The flow's result, or nullopt when it has not ended within `wait`.
    std::optional<int32_t> ResultOf(uint32_t flowId, SteadyClock::duration wait = 10s) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, wait, [&] { return m_results.count(flowId) > 0; })) {
            return std::nullopt;
        }
        return m_results[flowId];
    }
    std::vector<uint32_t> Order() const {
        std::lock_guard lock(m_mutex);
        return m_order;
    }
    std::vector<StatusBytes> Statuses() const {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<uint32_t> m_order;
    std::map<uint32_t, int32_t> m_results;
    std::vector<StatusBytes> m_statuses;
};

// A clock the test moves by hand, so the pause after a failed frame is checked without racing
// real time.
struct ManualClock {
    std::atomic<int64_t> ms{0};
    DeviceDriver::Clock Function() {
        return [this] { return SteadyClock::time_point(std::chrono::milliseconds(ms.load())); };
    }
};

template <typename Predicate>
bool WaitUntil(Predicate predicate, SteadyClock::duration wait = 10s) {
    const auto end = SteadyClock::now() + wait;
    while (!predicate()) {
        if (SteadyClock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Light packets the device received, by the first data byte of each (one packet per pad frame).
std::vector<uint8_t> LightFrameMarks(const std::vector<Packet>& received) {
    std::vector<uint8_t> marks;
    for (const Packet& packet : received) {
        if (packet[kPacketCommand] == kCmdLightFrame) {
            marks.push_back(packet[kPacketData]);
        }
    }
    return marks;
}

std::vector<uint8_t> PadFrame(uint8_t mark) {
    return std::vector<uint8_t>(45, mark);
}

// Begin, a 120-byte write in three chunks, End: five packets.
int32_t WriteFlow(DeviceDriver& driver) {
    CommandChannel& channel = driver.Primary();
    int32_t result = channel.Begin();
    if (result != kResultSuccess) {
        return result;
    }
    const std::vector<uint8_t> data(120, 0x3C);
    result = channel.WriteMemory(data, 0);
    if (result != kResultSuccess) {
        return result;
    }
    return channel.End();
}
constexpr uint32_t kWriteFlowPackets = 5;

class DeviceDriverTest : public ::testing::Test {
protected:
    DeviceDriverTest()
        : m_device(MousePadModel()), m_driver(m_device.Backend(), &m_sink, m_clock.Function()) {}

    void SetUp() override {
        m_primaryPath = m_device.PathOf(1, 4);
        ASSERT_FALSE(m_primaryPath.empty());
        m_driver.Start();
        ASSERT_TRUE(m_driver.Connect(m_primaryPath));
    }

    void Replug() {
        m_driver.Disconnect();
        m_device.Emulator().Unplug();
        m_device.Emulator().Firmware().ClearFaults();
        ASSERT_TRUE(m_device.Emulator().Plug());
        ASSERT_TRUE(m_driver.Connect(m_device.PathOf(1, 4)));
        m_device.ClearReceived();
    }

    test::EmulatedDevice m_device;
    RecordingSink m_sink;
    ManualClock m_clock;
    DeviceDriver m_driver;
    std::string m_primaryPath;
};

TEST_F(DeviceDriverTest, FlowsRunOneAfterAnotherInTheOrderAsked) {
    std::mutex mutex;
    std::vector<int> ran;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::vector<uint32_t> ids;
    for (int i = 0; i < 12; ++i) {
        ids.push_back(m_driver.RunFlow([&, i](DeviceDriver& driver) {
            if (running.fetch_add(1) != 0) {
                overlapped = true;
            }
            const int32_t result = driver.Primary().Begin();
            {
                std::lock_guard lock(mutex);
                ran.push_back(i);
            }
            running.fetch_sub(1);
            return result == kResultSuccess ? 100 + i : result;
        }));
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(m_sink.ResultOf(ids[static_cast<size_t>(i)]), 100 + i);
    }
    EXPECT_EQ(m_sink.Order(), ids);
    std::lock_guard lock(mutex);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(m_device.Emulator().Firmware().Counters().begins, 12u);
}

TEST_F(DeviceDriverTest, FlowsWhileDisconnectedAnswerZeroWithoutTouchingTheDevice) {
    m_driver.Disconnect();
    m_device.ClearReceived();
    std::atomic<bool> called{false};
    const uint32_t id = m_driver.RunFlow([&](DeviceDriver&) {
        called = true;
        return kResultSuccess;
    });
    const uint32_t status = m_driver.RequestStatus();
    EXPECT_EQ(m_sink.ResultOf(id), kResultFailed);
    EXPECT_EQ(m_sink.ResultOf(status), kResultFailed);
    EXPECT_FALSE(called);
    EXPECT_TRUE(m_sink.Statuses().empty());
    EXPECT_FALSE(m_driver.SubmitFrame(PadFrame(1)));
    EXPECT_TRUE(m_device.Received().empty());

    // Connected again, the same driver works.
    ASSERT_TRUE(m_driver.Connect(m_primaryPath));
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow(&WriteFlow)), kResultSuccess);
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow({})), kResultFailed);
}

TEST_F(DeviceDriverTest, StatusFlowSetsTheLinkByteFromTheHost) {
    FirmwareMemory memory = m_device.Emulator().Firmware().Memory();
    memory.status = {57, kChargeCharging, 1, 1, 0x21, kPhoneSamsung};
    m_device.Emulator().Firmware().SetMemory(memory);

    EXPECT_EQ(m_sink.ResultOf(m_driver.RequestStatus()), kResultSuccess);
    const auto received = m_device.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][kPacketCommand], kCmdReadStatus);
    EXPECT_EQ(received[0][kPacketLength], kStatusRecordSize);
    EXPECT_EQ(PacketAddress(received[0]), 0);
    m_driver.Primary().SetSlowLink(true);
    EXPECT_EQ(m_sink.ResultOf(m_driver.RequestStatus()), kResultSuccess);

    const auto statuses = m_sink.Statuses();
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[0], (StatusBytes{57, kChargeCharging, 1, 0, 0x21, kPhoneSamsung}));
    EXPECT_EQ(statuses[1], (StatusBytes{57, kChargeCharging, 1, 1, 0x21, kPhoneSamsung}));

    // A refused read hands nothing on.
    m_driver.Primary().SetSlowLink(false);
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFF);
    EXPECT_EQ(m_sink.ResultOf(m_driver.RequestStatus()), kResultRejected);
    EXPECT_EQ(m_sink.Statuses().size(), 2u);
}

TEST_F(DeviceDriverTest, InformationRecordIsKeptOnlyWhenReadWhole) {
    const DeviceInfoBytes expected = m_device.Emulator().Firmware().Memory().info;
    const auto read = [](DeviceDriver& driver) { return driver.ReadInfoRecord(); };
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow(read)), kResultSuccess);
    EXPECT_EQ(m_driver.InfoRecord(), expected);

    FirmwareMemory memory = m_device.Emulator().Firmware().Memory();
    memory.info.fill(0x77);
    m_device.Emulator().Firmware().SetMemory(memory);
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFE);
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow(read)), kResultSecondError);
    EXPECT_EQ(m_driver.InfoRecord(), expected);
}

TEST_F(DeviceDriverTest, OneFrameInFlightAndTheNewestWaitingFrameWins) {
    m_device.Emulator().SetReplyLatency(150ms);
    ASSERT_TRUE(m_driver.SubmitFrame(PadFrame(1)));
    ASSERT_TRUE(WaitUntil([&] { return !LightFrameMarks(m_device.Received()).empty(); }));
    // Frame 1 is on the wire; 2 and 3 wait in turn and are replaced by 4.
    for (uint8_t mark = 2; mark <= 4; ++mark) {
        EXPECT_TRUE(m_driver.SubmitFrame(PadFrame(mark)));
    }
    ASSERT_TRUE(WaitUntil([&] { return m_driver.Frames().sent == 2; }));
    m_device.Emulator().SetReplyLatency(0ms);
    EXPECT_EQ(LightFrameMarks(m_device.Received()), (std::vector<uint8_t>{1, 4}));
    const FrameStats stats = m_driver.Frames();
    EXPECT_EQ(stats.accepted, 4u);
    EXPECT_EQ(stats.replaced, 2u);
    EXPECT_EQ(stats.failed, 0u);
    EXPECT_EQ(m_device.Emulator().Firmware().Memory().lightFrame, PadFrame(4));
}

TEST_F(DeviceDriverTest, AFrameTheDeviceShowsIsNotSentAgainButOneThatLostPacketsIs) {
    ASSERT_TRUE(m_driver.SubmitFrame(PadFrame(1)));
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsFrameSettled(); }));
    EXPECT_TRUE(m_driver.SubmitFrame(PadFrame(1)));
    EXPECT_TRUE(m_driver.IsFrameSettled());
    EXPECT_EQ(m_driver.Frames().unchanged, 1u);
    EXPECT_EQ(LightFrameMarks(m_device.Received()), (std::vector<uint8_t>{1}));

    // Three packets; the link turns slow after the first went out, so the rest are dropped.
    const std::vector<uint8_t> wide(150, 2);
    m_device.Emulator().SetReplyLatency(150ms);
    ASSERT_TRUE(m_driver.SubmitFrame(wide));
    ASSERT_TRUE(WaitUntil([&] { return LightFrameMarks(m_device.Received()).size() == 2; }));
    m_driver.Primary().SetSlowLink(true);
    ASSERT_TRUE(WaitUntil([&] { return m_driver.Frames().sent == 2; }));
    m_device.Emulator().SetReplyLatency(0ms);
    m_driver.Primary().SetSlowLink(false);
    EXPECT_FALSE(m_driver.IsFrameSettled());

    ASSERT_TRUE(m_driver.SubmitFrame(wide));
    ASSERT_TRUE(WaitUntil([&] { return m_driver.IsFrameSettled(); }));
    EXPECT_EQ(LightFrameMarks(m_device.Received()), (std::vector<uint8_t>{1, 2, 2, 2, 2}));
    EXPECT_EQ(m_device.Emulator().Firmware().Memory().lightFrame, wide);
}

TEST_F(DeviceDriverTest, FramesAreSkippedForTwoHundredMillisecondsAfterAFailure) {
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFF);
    ASSERT_TRUE(m_driver.SubmitFrame(PadFrame(1)));
    ASSERT_TRUE(WaitUntil([&] { return m_driver.Frames().failed == 1; }));

    m_clock.ms = 199;
    EXPECT_FALSE(m_driver.SubmitFrame(PadFrame(2)));
    EXPECT_EQ(m_driver.Frames().skipped, 1u);

    m_clock.ms = 200;
    EXPECT_TRUE(m_driver.SubmitFrame(PadFrame(3)));
    ASSERT_TRUE(WaitUntil([&] { return m_driver.Frames().sent == 1; }));
    EXPECT_EQ(LightFrameMarks(m_device.Received()), (std::vector<uint8_t>{1, 3}));

    // Flows are not held back by the pause.
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFE);
    ASSERT_TRUE(m_driver.SubmitFrame(PadFrame(4)));
    ASSERT_TRUE(WaitUntil([&] { return m_driver.Frames().failed == 2; }));
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow(&WriteFlow)), kResultSuccess);
}

TEST_F(DeviceDriverTest, FramesBehindASlowLinkAreNotTaken) {
    m_driver.Primary().SetSlowLink(true);
    EXPECT_FALSE(m_driver.SubmitFrame(PadFrame(1)));
    m_driver.Primary().SetSlowLink(false);
    EXPECT_FALSE(m_driver.SubmitFrame({}));
    EXPECT_TRUE(m_device.Received().empty());
}

struct FaultCase {
    FaultKind kind;
    int32_t result;
    const char* name;
};

TEST_F(DeviceDriverTest, EveryFaultAtEveryPacketOfAFlowEndsItWithinOneTimeout) {
    const FaultCase cases[] = {
        {FaultKind::kNoReply, kResultFailed, "no reply"},
        {FaultKind::kWrongEcho, kResultFailed, "wrong echo"},
        {FaultKind::kStatusFE, kResultSecondError, "status FE"},
        {FaultKind::kStatusFF, kResultRejected, "status FF"},
        {FaultKind::kUnplug, kResultFailed, "unplug"},
    };
    for (const FaultCase& fault : cases) {
        for (uint32_t packet = 1; packet <= kWriteFlowPackets; ++packet) {
            SCOPED_TRACE(::testing::Message() << fault.name << " at packet " << packet);
            Replug();
            m_device.Emulator().ScheduleFault(fault.kind, packet);
            const auto start = SteadyClock::now();
            const uint32_t id = m_driver.RunFlow(&WriteFlow);
            const auto result = m_sink.ResultOf(id, kOneTimeout);
            EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
            EXPECT_EQ(result, fault.result);
            // The flow stopped at the faulty packet.
            EXPECT_EQ(m_device.Received().size(), packet);
        }
    }
    // After the last unplug the emulator is back and a fresh flow goes through.
    Replug();
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow(&WriteFlow)), kResultSuccess);
}

TEST_F(DeviceDriverTest, DisconnectWhileAFlowWaitsReturnsAtOnceAndEndsTheFlow) {
    m_device.Emulator().ScheduleFault(FaultKind::kNoReply, 2);
    std::atomic<bool> laterFlowRan{false};
    const uint32_t id = m_driver.RunFlow(&WriteFlow);
    const uint32_t later = m_driver.RunFlow([&](DeviceDriver&) {
        laterFlowRan = true;
        return kResultSuccess;
    });
    ASSERT_TRUE(WaitUntil([&] { return m_device.Received().size() == 2; }));
    std::this_thread::sleep_for(20ms);  // let the flow settle into its wait for the reply
    const auto start = SteadyClock::now();
    m_driver.Disconnect();
    EXPECT_LT(SteadyClock::now() - start, 500ms);
    const auto result = m_sink.ResultOf(id, kOneTimeout);
    ASSERT_TRUE(result.has_value());
    EXPECT_LE(*result, kResultFailed);
    EXPECT_EQ(m_sink.ResultOf(later), kResultFailed);
    EXPECT_FALSE(laterFlowRan);
    EXPECT_EQ(m_device.Received().size(), 2u);
}

TEST_F(DeviceDriverTest, StopWhileAFlowWaitsAnswersTheQueuedFlowsWithZero) {
    m_device.Emulator().ScheduleFault(FaultKind::kNoReply, 1);
    std::atomic<bool> queuedRan{false};
    const uint32_t first = m_driver.RunFlow(&WriteFlow);
    std::vector<uint32_t> queued;
    for (int i = 0; i < 3; ++i) {
        queued.push_back(m_driver.RunFlow([&](DeviceDriver&) {
            queuedRan = true;
            return kResultSuccess;
        }));
    }
    ASSERT_TRUE(WaitUntil([&] { return !m_device.Received().empty(); }));
    const auto start = SteadyClock::now();
    m_driver.Stop();
    EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
    EXPECT_EQ(m_sink.ResultOf(first, 0s), kResultFailed);
    for (uint32_t id : queued) {
        EXPECT_EQ(m_sink.ResultOf(id, 0s), kResultFailed);
    }
    EXPECT_FALSE(queuedRan);

    // Started again, it works on. (A flow still waiting after the grace period was cut short by
    // closing the device, so it is connected anew.)
    m_driver.Start();
    ASSERT_TRUE(m_driver.Connect(m_primaryPath));
    EXPECT_EQ(m_sink.ResultOf(m_driver.RunFlow(&WriteFlow)), kResultSuccess);
}

TEST_F(DeviceDriverTest, DestroyedWhileStreamingAndRunningFlows) {
    auto driver = std::make_unique<DeviceDriver>(m_device.Backend(), &m_sink);
    driver->Start();
    ASSERT_TRUE(driver->Connect(m_primaryPath));
    m_device.Emulator().SetReplyLatency(5ms);
    std::atomic<bool> done{false};
    std::thread frames([&] {
        for (uint8_t mark = 0; !done; ++mark) {
            driver->SubmitFrame(PadFrame(mark));
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 5; ++i) {
        driver->RunFlow(&WriteFlow);
        driver->RequestStatus();
    }
    std::this_thread::sleep_for(50ms);
    done = true;
    frames.join();
    driver.reset();
    m_device.Emulator().SetReplyLatency(0ms);
    SUCCEED();  // the point is a clean end under the sanitizers
}

// A reader of the secondary interface that records when it runs relative to the device.
class ReaderDriver : public DeviceDriver {
public:
    using DeviceDriver::DeviceDriver;
    ~ReaderDriver() override { DetachSecondary(); }

    std::vector<std::string> events;
    std::atomic<int> reports{0};

protected:
    void StartEventReader() override {
        events.push_back(Secondary().Device().IsOpen() ? "start:open" : "start:closed");
        m_stop = false;
        m_thread = std::thread([this] {
            std::array<uint8_t, 64> report{};
            uint32_t got = 0;
            while (!m_stop) {
                if (Secondary().Device().ReadReport(report, 10, got)) {
                    ++reports;
                }
            }
        });
    }
    void StopEventReader() override {
        events.push_back(Secondary().Device().IsOpen() ? "stop:open" : "stop:closed");
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(DeviceDriverSecondaryTest, ReaderStartsAfterOpenAndStopsBeforeClose) {
    test::EmulatedDevice device(KeyboardModel());
    ReaderDriver driver(device.Backend(), nullptr);
    const std::string path = device.PathOf(1, 3);
    ASSERT_FALSE(path.empty());
    const std::string gone =
        "sim:" + (device.Bus() / "gone").string() + path.substr(path.find('#'));
    EXPECT_FALSE(driver.AttachSecondary(gone));
    EXPECT_TRUE(driver.events.empty());

    ASSERT_TRUE(driver.AttachSecondary(path));
    EXPECT_TRUE(driver.IsSecondaryAttached());
    ASSERT_TRUE(WaitUntil([&] {
        device.Emulator().SendSettingsChanged();
        return driver.reports > 0;
    }));
    driver.DetachSecondary();
    EXPECT_FALSE(driver.IsSecondaryAttached());
    EXPECT_FALSE(driver.Secondary().Device().IsOpen());
    driver.DetachSecondary();  // a second detach is harmless
    EXPECT_EQ(driver.events, (std::vector<std::string>{"start:open", "stop:open"}));
}

}  // namespace
}  // namespace quaro
