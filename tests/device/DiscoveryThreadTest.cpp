#include "DiscoveryTestSupport.h"
#include "Eventually.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "device/Discovery.h"
#include "device/SimHidBackend.h"
#include "sim/DeviceEmulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using Notices = std::vector<std::string>;

// Only the bus folder wakes the thread; the safety net is so far away that whatever arrives
// in a test arrived through a wake.
DiscoveryOptions WakeOnlyOptions(const std::filesystem::path& bus) {
    DiscoveryOptions options;
    options.watchHidraw = false;
    options.simBusFolder = bus;
    options.safetyNet = std::chrono::hours(1);
    return options;
}

TEST(DiscoveryThreadTest, ArrivalsAndRemovalsComeOnTheBusWake) {
    const test::TempDir root;
    // The bus folder does not exist yet when discovery starts, as before the simulator runs.
    const std::filesystem::path bus = root.Path() / "bus";
    test::RecordingSink sink;
    Discovery discovery(std::make_shared<SimHidBackend>(bus), sink, WakeOnlyOptions(bus));
    discovery.Start();
    ASSERT_TRUE(sink.WaitForCount(1));
    EXPECT_EQ(sink.Take(), Notices{"first"});

    std::filesystem::create_directory(bus);
    DeviceEmulator keyboard(KeyboardModel(), bus, "kb");
    ASSERT_TRUE(keyboard.Plug());
    ASSERT_TRUE(sink.WaitForCount(2));
    EXPECT_EQ(sink.Take(), (Notices{"+0", "+1"}));
    EXPECT_EQ(discovery.Slot(0)->connected, 1);

    keyboard.Unplug();
    ASSERT_TRUE(sink.WaitForCount(2));
    EXPECT_EQ(sink.Take(), (Notices{"-0", "-1"}));
    EXPECT_EQ(discovery.Slot(0)->connected, 0);

    ASSERT_TRUE(keyboard.Plug());
    ASSERT_TRUE(sink.WaitForCount(2));
    EXPECT_EQ(sink.Take(), (Notices{"+0", "+1"}));

    const test::TraceCapture trace;
    discovery.Stop();
    EXPECT_FALSE(discovery.IsRunning());
    EXPECT_EQ(trace.Count("抓取设备线程设定退出"), 1u);
    EXPECT_EQ(sink.Notices(), Notices{});
    // The table outlives the thread: the keyboard is still bound for whoever reads it.
    EXPECT_EQ(discovery.Snapshot()[1].connected, 1);
}

TEST(DiscoveryThreadTest, TheSafetyNetFindsWhatNoWatchReported) {
    const test::TempDir bus;
    test::RecordingSink sink;
    DiscoveryOptions options;
    options.watchHidraw = false;  // and no folder watch: only the safety net passes
    options.safetyNet = std::chrono::milliseconds(20);
    Discovery discovery(std::make_shared<SimHidBackend>(bus.Path()), sink, options);
    discovery.Start();
    ASSERT_TRUE(sink.WaitForCount(1));
    DeviceEmulator pad(MousePadModel(), bus.Path(), "pad");
    ASSERT_TRUE(pad.Plug());
    ASSERT_TRUE(sink.WaitForCount(3));
    EXPECT_EQ(sink.Notices(), (Notices{"first", "+4", "+5"}));
    discovery.Stop();
}

// Passes are rare only while every watch asked for is set: a bus folder whose parent does not
// exist cannot be watched, so the short net applies whatever the long one says.
TEST(DiscoveryThreadTest, AWatchThatCannotBeSetBringsTheShortSafetyNet) {
    const test::TempDir root;
    const std::filesystem::path bus = root.Path() / "missing" / "bus";
    test::RecordingSink sink;
    DiscoveryOptions options = WakeOnlyOptions(bus);
    options.unwatchedSafetyNet = std::chrono::milliseconds(20);
    Discovery discovery(std::make_shared<SimHidBackend>(bus), sink, options);
    discovery.Start();
    ASSERT_TRUE(sink.WaitForCount(1));
    std::filesystem::create_directories(bus);
    DeviceEmulator pad(MousePadModel(), bus, "pad");
    ASSERT_TRUE(pad.Plug());
    ASSERT_TRUE(sink.WaitForCount(3));
    EXPECT_EQ(sink.Notices(), (Notices{"first", "+4", "+5"}));
    // The pass that found the pad is counted once it has handed out its notices.
    EXPECT_TRUE(test::Eventually([&] { return discovery.PassCount() > 1; }));
    discovery.Stop();
}

TEST(DiscoveryThreadTest, StopReturnsWhileTheSinkWaitsForAWindowThatIsGone) {
    const test::TempDir bus;
    DeviceEmulator keyboard(KeyboardModel(), bus.Path(), "kb");
    ASSERT_TRUE(keyboard.Plug());
    test::RecordingSink sink;
    Discovery discovery(std::make_shared<SimHidBackend>(bus.Path()), sink,
                        WakeOnlyOptions(bus.Path()));
    // A window that never handles the notice: the sink waits for it, or for the stop request.
    std::promise<void> blocked;
    std::atomic<int> calls{0};
    sink.onArrival = [&](int) {
        if (calls++ == 0) {
            blocked.set_value();
        }
        discovery.StopRequest().Wait(StopEvent::kInfinite);
    };
    discovery.Start();
    blocked.get_future().wait();

    std::future<void> stopped = std::async(std::launch::async, [&] { discovery.Stop(); });
    ASSERT_EQ(stopped.wait_for(20s), std::future_status::ready) << "Stop deadlocked on the sink";
    // Nothing is reported once the stop was asked for: the secondary interface stays bound
    // in the table, but its notice and the first-scan notice are not delivered.
    EXPECT_EQ(sink.Notices(), Notices{"+0"});
    EXPECT_EQ(calls.load(), 1);

    // A stopped discovery starts again and reports its first scan anew.
    sink.onArrival = nullptr;
    sink.Take();
    discovery.Start();
    ASSERT_TRUE(sink.WaitForCount(1));
    EXPECT_EQ(sink.Notices().back(), "first");
}

}  // namespace
}  // namespace quaro
