// An unplug that happens on a bus thread itself (the unplug fault): nothing after it is handled,
// and whoever stops or destroys the device afterwards waits for that thread.
#include "TempDir.h"
#include "device/CommandPacket.h"
#include "device/HidDevice.h"
#include "device/SimHidBackend.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorDescriptors.h"
#include "sim/EmulatorModels.h"
#include "sim/SimInterfaceServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

namespace quaro {
namespace {

using namespace std::chrono_literals;

// Waits (at most 5 s, so a broken build fails instead of hanging) until the flag is set.
bool WaitFor(const std::atomic<bool>& flag) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!flag.load() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    return flag.load();
}

Packet BeginPacket() {
    Packet packet{};
    packet[0] = kPacketReportId;
    packet[kPacketCommand] = kCmdBegin;
    StampChecksum(packet);
    return packet;
}

std::string CommandPath(const std::filesystem::path& bus) {
    std::vector<std::string> paths;
    SimHidBackend(bus).Enumerate(paths);
    for (const std::string& path : paths) {
        if (path.find("&mi_01&col04") != std::string::npos) {
            return path;
        }
    }
    return {};
}

TEST(SimInterfaceServerTest, StopWaitsForAServerThatStoppedItself) {
    test::TempDir bus;
    SimInterfaceDescription description;
    description.name = "self";
    description.interfaceNumber = 1;
    description.reportDescriptor = ControlInterfaceDescriptor();
    std::atomic<bool> stopped{false};
    std::atomic<bool> released{false};
    std::atomic<bool> handlerDone{false};
    SimInterfaceServer* self = nullptr;
    SimInterfaceServer server(bus.Path(), description,
                              [&](std::span<const uint8_t>, SimInterfaceServer::Clock::time_point) {
                                  self->Stop();  // from its own thread: must not wait for itself
                                  stopped = true;
                                  WaitFor(released);
                                  handlerDone = true;
                              });
    self = &server;
    ASSERT_TRUE(server.Start());
    HidDevice host(std::make_shared<SimHidBackend>(bus.Path()));
    ASSERT_TRUE(host.Open(CommandPath(bus.Path()), true, true, true, false));
    uint32_t sent = 0;
    ASSERT_TRUE(host.WriteReport(BeginPacket(), 1000, sent));
    ASSERT_TRUE(WaitFor(stopped));

    std::atomic<bool> stopReturned{false};
    std::thread stopper([&] {
        server.Stop();
        stopReturned = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(stopReturned.load()) << "Stop returned while the server thread still ran";
    released = true;
    stopper.join();
    EXPECT_TRUE(handlerDone.load());
}

TEST(SimInterfaceServerTest, NothingIsHandledAfterTheUnplugFault) {
    test::TempDir bus;
    DeviceEmulator keyboard(KeyboardModel(), bus.Path());
    std::mutex mutex;
    std::condition_variable changed;
    int received = 0;
    bool release = false;
    keyboard.SetPacketObserver(
        [&](DeviceEmulator::Direction direction, uint16_t, std::span<const uint8_t>) {
            if (direction != DeviceEmulator::Direction::kReceived) {
                return;
            }
            std::unique_lock lock(mutex);
            ++received;
            changed.notify_all();
            // Hold the first packet until the next two wait together in one poll batch.
            changed.wait_for(lock, 5s, [&] { return release; });
        });
    ASSERT_TRUE(keyboard.Plug());
    keyboard.ScheduleFault(FaultKind::kUnplug, 2);
    const std::string path = CommandPath(bus.Path());
    HidDevice first(std::make_shared<SimHidBackend>(bus.Path()));
    HidDevice second(std::make_shared<SimHidBackend>(bus.Path()));
    ASSERT_TRUE(first.Open(path, true, true, true, false));
    ASSERT_TRUE(second.Open(path, true, true, true, false));

    uint32_t sent = 0;
    ASSERT_TRUE(first.WriteReport(BeginPacket(), 1000, sent));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return received == 1; }));
    }
    ASSERT_TRUE(first.WriteReport(BeginPacket(), 1000, sent));   // the second packet: unplug
    ASSERT_TRUE(second.WriteReport(BeginPacket(), 1000, sent));  // same batch, after it
    {
        std::lock_guard lock(mutex);
        release = true;
        changed.notify_all();
    }
    // The bus thread hangs up on every host as it ends (the reply to the first packet may be
    // read before that).
    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    for (int reads = 0; reads < 3; ++reads) {
        if (!second.ReadReport(report, 5000, got)) {
            break;
        }
    }
    EXPECT_FALSE(keyboard.IsPlugged());
    EXPECT_EQ(keyboard.Firmware().Counters().packets, 2u);
    std::lock_guard lock(mutex);
    EXPECT_EQ(received, 2);
}

// A host measured against the emulated reply latency must not also pay for the bus thread being
// busy: a request queued behind another one is answered its latency after it arrived, not after
// the thread got round to it.
TEST(SimInterfaceServerTest, ReplyLatencyCountsFromEachRequestsArrival) {
    test::TempDir bus;
    DeviceEmulator keyboard(KeyboardModel(), bus.Path());
    ASSERT_TRUE(keyboard.Plug());
    HidDevice host(std::make_shared<SimHidBackend>(bus.Path()));
    ASSERT_TRUE(host.Open(CommandPath(bus.Path()), true, true, true, false));
    // The kernel stamps only what reaches a connection the emulator has already taken; one
    // exchange first makes sure the two timed requests do.
    uint32_t sent = 0;
    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    ASSERT_TRUE(host.WriteReport(BeginPacket(), 1000, sent));
    ASSERT_TRUE(host.ReadReport(report, 2000, got));
    keyboard.SetReplyLatency(300ms);

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(host.WriteReport(BeginPacket(), 1000, sent));
    ASSERT_TRUE(host.WriteReport(BeginPacket(), 1000, sent));
    ASSERT_TRUE(host.ReadReport(report, 2000, got));
    const auto first = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(host.ReadReport(report, 2000, got));
    const auto second = std::chrono::steady_clock::now() - start;
    EXPECT_GE(first, 300ms);
    EXPECT_GE(second, 300ms);
    // Counted from when the bus thread took it, the second reply would come a whole latency
    // after the first; counted from its arrival, both are due together. The difference, not the
    // absolute times, is what a loaded machine leaves alone.
    EXPECT_LT(second - first, 200ms);
}

}  // namespace
}  // namespace quaro
