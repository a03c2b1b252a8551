// Which request a report answers: key events on the command collection, replies to light
// packets, stale replies and a device that never stops sending.
#include "SimBusTestSupport.h"
#include "TraceCapture.h"
#include "device/CommandChannel.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <thread>

namespace quaro {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A command channel on the command collection of one emulated device. The channel and the trace
// captures of these tests live on the heap: ThreadSanitizer remembers the lock order of a stack
// mutex of an earlier test and would take a new one at the same address for it.
class ChannelOn {
public:
    ChannelOn(EmulatorModel model, uint16_t interfaceNumber, uint16_t collection)
        : m_device(std::move(model)),
          m_channel(std::make_unique<CommandChannel>(m_device.Backend())) {
        m_path = m_device.PathOf(interfaceNumber, collection);
        m_open = m_channel->Device().Open(m_path, true, true, true, false);
        m_channel->SetConnected(m_open);
    }

    bool Ready() const { return m_open; }
    const std::string& Path() const { return m_path; }
    test::EmulatedDevice& Device() { return m_device; }
    DeviceEmulator& Emulator() { return m_device.Emulator(); }
    CommandChannel& Channel() { return *m_channel; }

    // Fills the settings memory with a pattern and returns it.
    std::vector<uint8_t> PatternSettings() {
        FirmwareMemory memory = Emulator().Firmware().Memory();
        for (size_t i = 0; i < memory.settings.size(); ++i) {
            memory.settings[i] = static_cast<uint8_t>(i * 5 + 1);
        }
        Emulator().Firmware().SetMemory(memory);
        return memory.settings;
    }

private:
    test::EmulatedDevice m_device;
    std::unique_ptr<CommandChannel> m_channel;
    std::string m_path;
    bool m_open = false;
};

Packet Reply(uint8_t command, uint8_t status) {
    Packet reply{};
    reply[0] = kPacketReportId;
    reply[kPacketCommand] = command;
    reply[kPacketStatus] = status;
    StampChecksum(reply);
    return reply;
}

TEST(ReplyRoutingTest, HeadsetKeyEventsNeverFailACommand) {
    ChannelOn headset(HeadsetModel(), 3, 0);
    ASSERT_TRUE(headset.Ready());
    // The event reader has the same collection open; it still sees the event.
    HidDevice events(headset.Device().Backend());
    ASSERT_TRUE(events.Open(headset.Path(), true, true, true, false));

    const std::vector<uint8_t> settings = headset.PatternSettings();
    headset.Emulator().ScheduleFault(FaultKind::kEventFirst);
    std::vector<uint8_t> record(25);
    ASSERT_EQ(headset.Channel().ReadMemory(record, 30), kResultSuccess);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), settings.begin() + 30));
    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    ASSERT_TRUE(events.ReadReport(report, 1000, got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(report[0], 3);

    // The event is not the one mismatched echo: a wrong echo after it still gets its extra
    // wait, and with nothing after that the command fails.
    headset.Emulator().ScheduleFault(FaultKind::kEventFirst);
    headset.Emulator().ScheduleFault(FaultKind::kWrongEcho);
    const auto start = Clock::now();
    EXPECT_EQ(headset.Channel().Begin(), kResultFailed);
    EXPECT_GE(MsSince(start), 900);
}

TEST(ReplyRoutingTest, LightRepliesNeverPassForACommandReply) {
    ChannelOn keyboard(KeyboardModel(), 1, 4);
    ASSERT_TRUE(keyboard.Ready());
    const std::vector<uint8_t> settings = keyboard.PatternSettings();
    // Two replies to light packets come before the real one: neither is the mismatched echo
    // that may be taken in its place.
    keyboard.Emulator().ScheduleFault(FaultKind::kStrayReply);
    keyboard.Emulator().ScheduleFault(FaultKind::kStrayReply);
    std::vector<uint8_t> record(20);
    ASSERT_EQ(keyboard.Channel().ReadMemory(record, 40), kResultSuccess);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), settings.begin() + 40));
}

TEST(ReplyRoutingTest, ACommandReplyNeverAnswersALightPacket) {
    ChannelOn keyboard(KeyboardModel(), 1, 4);
    ASSERT_TRUE(keyboard.Ready());
    // A late reply of a command, refusing it, waits when a frame goes out. The emulator can
    // only send it once its server has the host's connection.
    bool sent = false;
    for (int attempt = 0; attempt < 200 && !sent; ++attempt) {
        sent = keyboard.Emulator().SendCommandReport(Reply(kCmdWriteMemory, kStatusRejected));
        if (!sent) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ASSERT_TRUE(sent);
    std::vector<uint8_t> frame(56, 0x33);
    EXPECT_EQ(keyboard.Channel().SendLightFrame(frame), kResultSuccess);
    EXPECT_EQ(keyboard.Emulator().Firmware().Memory().lightFrame, frame);
}

// A device that always has another report ready, as /dev/zero always has bytes.
class EndlessReportsBackend : public HidBackend {
public:
    static constexpr const char* kPath = "zero:/dev/zero#vid_1234&pid_5678&mi_01";

    bool Enumerate(std::vector<std::string>& paths) override {
        paths.push_back(kPath);
        return true;
    }
    bool Handles(const std::string&) const override { return true; }
    std::optional<HidOpenedInterface> Open(const std::string&, const HidOpenMode&) override {
        HidOpenedInterface opened;
        opened.fd = UniqueFd(::open("/dev/zero", O_RDWR | O_NONBLOCK | O_CLOEXEC));
        if (!opened.fd.Valid()) {
            return std::nullopt;
        }
        // One unnumbered vendor collection, 64 bytes each way.
        opened.reportDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                   0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                   0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};
        opened.attributes = {0x1234, 0x5678, 0x0100};
        opened.interfaceNumber = 1;
        opened.readsOmitUnnumberedId = true;
        return opened;
    }
    std::string Identity(const std::string&) override { return "zero"; }
};

TEST(ReplyRoutingTest, ADeviceThatNeverStopsSendingCostsOneTimeOut) {
    const auto trace = std::make_unique<test::TraceCapture>();
    const auto owned = std::make_unique<CommandChannel>(std::make_shared<EndlessReportsBackend>());
    CommandChannel& channel = *owned;
    ASSERT_TRUE(channel.Device().Open(EndlessReportsBackend::kPath, true, true, true, false));
    channel.SetConnected(true);
    std::future<int32_t> begin = std::async(std::launch::async, [&] { return channel.Begin(); });
    const bool returned = begin.wait_for(5s) == std::future_status::ready;
    if (!returned) {
        channel.Device().Close();  // ends the stuck transfer (the lock is held by it)
    }
    ASSERT_TRUE(returned) << "the command never returned";
    // Reports that are not replies are skipped until the reply time-out.
    EXPECT_EQ(begin.get(), kResultFailed);
    EXPECT_EQ(trace->Count("stale reply drain stopped after 32 reports"), 1u);
}

// Light frames every 5 ms while two threads send commands every 10 ms: no command fails or reads
// wrong data, and every packet of every frame is either answered or dropped for a running
// command, never lost waiting for a reply another request took.
TEST(ReplyRoutingTest, LightStreamAndCommandsShareTheChannel) {
    ChannelOn keyboard(KeyboardModel(), 1, 4);
    ASSERT_TRUE(keyboard.Ready());
    const std::vector<uint8_t> settings = keyboard.PatternSettings();
    const DeviceInfoBytes info = keyboard.Emulator().Firmware().Memory().info;
    const auto trace = std::make_unique<test::TraceCapture>();
    CommandChannel& channel = keyboard.Channel();
    const auto end = Clock::now() + 3s;

    std::atomic<int> failedFrames{0};
    int frames = 0;
    std::thread stream([&] {
        std::vector<uint8_t> frame(378);
        for (auto next = Clock::now(); next < end; next += 5ms) {
            std::fill(frame.begin(), frame.end(), static_cast<uint8_t>(frames));
            if (channel.SendLightFrame(frame) != kResultSuccess) {
                ++failedFrames;
            }
            ++frames;
            std::this_thread::sleep_until(next + 5ms);
        }
    });
    std::atomic<int> failedCommands{0};
    std::atomic<int> wrongData{0};
    std::atomic<int> commands{0};
    auto memoryWorker = [&](uint16_t address) {
        std::vector<uint8_t> out(12);
        std::vector<uint8_t> in(12);
        for (auto next = Clock::now(); next < end; next += 10ms) {
            std::fill(out.begin(), out.end(), static_cast<uint8_t>(commands.load()));
            if (channel.WriteMemory(out, address) != kResultSuccess ||
                channel.ReadMemory(in, address) != kResultSuccess) {
                ++failedCommands;
            } else if (in != out) {
                ++wrongData;
            }
            commands += 2;
            std::this_thread::sleep_until(next + 10ms);
        }
    };
    auto infoWorker = [&] {
        DeviceInfoBytes read{};
        std::vector<uint8_t> record(25);
        for (auto next = Clock::now(); next < end; next += 10ms) {
            if (channel.ReadDeviceInfo(read) != kResultSuccess ||
                channel.ReadMemory(record, 100) != kResultSuccess) {
                ++failedCommands;
            } else if (read != info ||
                       !std::equal(record.begin(), record.end(), settings.begin() + 100)) {
                ++wrongData;
            }
            commands += 2;
            std::this_thread::sleep_until(next + 10ms);
        }
    };
    std::thread memory(memoryWorker, 200);
    std::thread information(infoWorker);
    stream.join();
    memory.join();
    information.join();

    EXPECT_GT(commands.load(), 100);
    EXPECT_EQ(failedCommands.load(), 0);
    EXPECT_EQ(wrongData.load(), 0);
    EXPECT_EQ(failedFrames.load(), 0);
    const size_t sent = keyboard.Emulator().Firmware().Counters().lightPackets;
    EXPECT_EQ(sent + trace->Count("放弃灯光数据"), static_cast<size_t>(frames) * 7);
    EXPECT_EQ(trace->Count("stale reply dropped"), 0u);
}

}  // namespace
}  // namespace quaro
