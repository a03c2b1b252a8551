#include "Eventually.h"
#include "TempDir.h"
#include "device/SimHidBackend.h"
#include "devices/light/LightPrimitives.h"
#include "devices/pad/PadLightThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;

using test::Eventually;

LightSetting PadLight(std::uint8_t mode, std::uint8_t speed, std::uint8_t multi = 0) {
    return {.effect = mode,
            .brightness = 5,
            .speed = speed,
            .direction = 1,
            .multiColor = multi,
            .red = 40,
            .green = 50,
            .blue = 60};
}

// The light thread only looks at the channel's flags; no device is opened.
class PadLightThreadTest : public ::testing::Test {
protected:
    PadLightThreadTest()
        : m_channel(std::make_shared<SimHidBackend>(m_bus.Path())),
          m_light(m_channel, [this] { return m_now.load(); }) {
        m_channel.SetConnected(true);
    }

    int StepsIn(int passes) {
        int steps = 0;
        for (int i = 0; i < passes; ++i) {
            m_now += 2;
            steps += m_light.RunPass() == PadLightThread::Pass::kStepped ? 1 : 0;
        }
        return steps;
    }

    test::TempDir m_bus;
    std::atomic<std::uint32_t> m_now{1000};
    CommandChannel m_channel;
    PadLightThread m_light;
};

TEST_F(PadLightThreadTest, StepsRunWhenTheCountReachesThePeriodOfTheSpeed) {
    const int periods[] = {28, 23, 18, 13, 7, 0};
    for (std::uint8_t speed = 0; speed < 6; ++speed) {
        SCOPED_TRACE(::testing::Message() << "speed " << int{speed});
        m_light.SetSetting(PadLight(1, speed));
        StepsIn(30);  // whatever count is left from the last speed
        const int period = std::max(periods[speed], 1);
        EXPECT_EQ(StepsIn(period * 10), 10);
    }
    // Mode 5 and modes past 8 play the custom effect on every pass.
    m_light.SetSetting(PadLight(5, 0));
    EXPECT_EQ(StepsIn(10), 10);
    m_light.SetSetting(PadLight(12, 0));
    EXPECT_EQ(StepsIn(10), 10);
}

TEST_F(PadLightThreadTest, PerLedSettingsMoveOnEveryPassNotOnlyOnSteps) {
    // The effect steps every 28 passes; LED 0's colour cycle moves on every 7 passes.
    m_light.SetSetting(PadLight(3, 0));
    m_light.SetLightList({LightSetting{.effect = 3, .brightness = 5, .speed = 4, .extraByte = 1}});
    EXPECT_EQ(StepsIn(7), 0);
    EXPECT_EQ(m_light.SnapshotColors()[0], WheelLed(1, 255));
    EXPECT_EQ(StepsIn(14), 0);
    EXPECT_EQ(m_light.SnapshotColors()[0], WheelLed(3, 255));
    // The step repaints the LEDs, and the same pass lays the list over them again.
    EXPECT_EQ(StepsIn(7), 1);
    EXPECT_EQ(m_light.SnapshotColors()[0], WheelLed(4, 255));
    EXPECT_EQ(m_light.SnapshotColors()[1], (LedColor{40, 50, 60, 255}));
}

TEST_F(PadLightThreadTest, StandsStillWhileAwayOrSynchronised) {
    m_light.SetSetting(PadLight(1, 5, 1));
    m_light.SetLightList({LightSetting{.effect = 3, .brightness = 5, .speed = 5, .extraByte = 1}});
    const LedColor synced{1, 2, 3, 4};
    m_light.SetAllColors(synced);
    m_channel.SetLightSync(true);
    EXPECT_EQ(m_light.RunPass(), PadLightThread::Pass::kSynchronised);
    m_channel.SetLightSync(false);
    m_channel.SetConnected(false);
    EXPECT_EQ(m_light.RunPass(), PadLightThread::Pass::kDisconnected);
    EXPECT_EQ(m_light.SnapshotColors(), std::vector<LedColor>(kPadLedCount, synced));
    std::array<std::uint8_t, kPadFrameSize> frame{};
    ASSERT_EQ(m_light.ComposeFrame(frame), kPadFrameSize);
    EXPECT_EQ(frame[0], 0);  // 1 x 4 / 256
    m_channel.SetConnected(true);
    EXPECT_EQ(m_light.RunPass(), PadLightThread::Pass::kStepped);
    EXPECT_NE(m_light.SnapshotColors()[5], synced);
}

TEST_F(PadLightThreadTest, ThreadRunsWhileOthersSetReadAndReconfigure) {
    m_light.SetSetting(PadLight(0, 5, 1));
    m_light.Start();
    std::array<std::uint8_t, kPadFrameSize> frame{};
    const auto until = std::chrono::steady_clock::now() + 300ms;
    int round = 0;
    while (std::chrono::steady_clock::now() < until) {
        ++round;
        m_now += 5;
        m_light.SetSetting(PadLight(static_cast<std::uint8_t>(round % 10), 5, round % 2));
        m_light.SetLightList(
            {LightSetting{.effect = static_cast<std::uint8_t>(round % 5), .extraByte = 1}});
        m_light.SetCustomSteps({LightEffectStep{}});
        m_light.SetAllColors({9, 9, 9, 9});
        m_channel.SetLightSync(round % 3 == 0);
        EXPECT_EQ(m_light.ComposeFrame(frame), kPadFrameSize);
        std::this_thread::sleep_for(1ms);
    }
    m_light.Stop();
    EXPECT_FALSE(m_light.IsRunning());
    EXPECT_GT(round, 10);
}

TEST_F(PadLightThreadTest, AStaticEffectIsDrawnOnceThenTheThreadSleepsUntilAChange) {
    // Speed 0: a step every 28 passes, all of which the thread sleeps over.
    m_light.SetSetting(PadLight(3, 0));
    m_light.Start();
    const LedColor drawn{40, 50, 60, 255};
    ASSERT_TRUE(Eventually(
        [&] { return m_light.SnapshotColors()[0] == drawn && m_light.Pacer().PassCount() >= 1; }));
    EXPECT_EQ(m_light.Pacer().PassCount(), 1u);
    const std::uint64_t wakes = m_light.Pacer().WakeCount();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(m_light.Pacer().PassCount(), 1u);
    EXPECT_EQ(m_light.Pacer().WakeCount(), wakes);

    // A new colour in the same mode is drawn at the next step.
    LightSetting red = PadLight(3, 0);
    red.red = 200;
    m_light.SetSetting(red);
    ASSERT_TRUE(Eventually([&] { return m_light.SnapshotColors()[0].red == 200; }));

    // A moving effect runs again at once and keeps running.
    const std::uint64_t passes = m_light.Pacer().PassCount();
    m_light.SetSetting(PadLight(1, 5, 1));
    ASSERT_TRUE(Eventually([&] { return m_light.Pacer().PassCount() >= passes + 20; }));
    m_light.Stop();
    EXPECT_FALSE(m_light.IsRunning());
}

TEST_F(PadLightThreadTest, AfterTheLightSyncLetsGoASleepingStaticEffectDrawsItsOwnColoursAgain) {
    std::atomic<int> drawnPasses{0};
    m_light.SetSetting(PadLight(3, 5));
    m_light.Start([&] { ++drawnPasses; });
    const LedColor drawn{40, 50, 60, 255};
    ASSERT_TRUE(Eventually([&] { return m_light.SnapshotColors()[0] == drawn; }));
    ASSERT_TRUE(Eventually([&] { return drawnPasses.load() >= 1; }));
    m_channel.SetLightSync(true);
    const LedColor synced{1, 2, 3, 4};
    m_light.SetAllColors(synced);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(m_light.SnapshotColors(), std::vector<LedColor>(kPadLedCount, synced));

    // While the sync drives the colours the thread sleeps: it has nothing to draw.
    const std::uint64_t wakes = m_light.Pacer().WakeCount();
    const int drawnBefore = drawnPasses.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(m_light.Pacer().WakeCount(), wakes);
    EXPECT_EQ(drawnPasses.load(), drawnBefore);

    // The sync's runner wakes it when it lets go; the pass tells the page to send a frame.
    m_channel.SetLightSync(false);
    m_light.Wake();
    EXPECT_TRUE(Eventually([&] { return m_light.SnapshotColors()[0] == drawn; }));
    EXPECT_TRUE(Eventually([&] { return drawnPasses.load() > drawnBefore; }));
    m_light.Stop();
}

}  // namespace
}  // namespace quaro
