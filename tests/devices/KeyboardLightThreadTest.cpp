#include "Eventually.h"
#include "TempDir.h"
#include "device/SimHidBackend.h"
#include "devices/keyboard/KeyboardLightThread.h"

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

LightSetting KeyboardLight(std::uint8_t mode, std::uint8_t speed) {
    return {.effect = mode, .brightness = 5, .speed = speed, .red = 40, .green = 50, .blue = 60};
}

// The light thread only looks at the channel's flags; no device is opened.
class KeyboardLightThreadTest : public ::testing::Test {
protected:
    KeyboardLightThreadTest()
        : m_channel(std::make_shared<SimHidBackend>(m_bus.Path())),
          m_light(
              m_channel, [this] { return m_now.load(); }, SeededRandomSource(7)) {
        m_channel.SetConnected(true);
    }

    int StepsIn(int passes, std::uint32_t msPerPass = 2) {
        int steps = 0;
        for (int i = 0; i < passes; ++i) {
            m_now += msPerPass;
            steps += m_light.RunPass() == KeyboardLightThread::Pass::kStepped ? 1 : 0;
        }
        return steps;
    }

    test::TempDir m_bus;
    std::atomic<std::uint32_t> m_now{1000};
    CommandChannel m_channel;
    KeyboardLightThread m_light;
};

TEST_F(KeyboardLightThreadTest, TheCounterGainsThreeEachTimeTheTickMovedOnByMoreThanAMillisecond) {
    // Mode 0 at speed 0 has period 6: two passes whose tick moved.
    m_light.SetSetting(KeyboardLight(0, 0));
    StepsIn(1);  // sets the mark
    EXPECT_EQ(StepsIn(20), 10);
    // A tick that moved by only a millisecond does not count, but the mark stays: the next one
    // finds two milliseconds gone.
    EXPECT_EQ(StepsIn(20, 1), 5);
    // Mode 17 at speed 0 has period 28: ten passes.
    m_light.SetSetting(KeyboardLight(17, 0));
    StepsIn(10);
    EXPECT_EQ(StepsIn(100), 10);
}

TEST_F(KeyboardLightThreadTest, CustomEffectModesPlayOnEveryPass) {
    m_light.SetSetting(KeyboardLight(19, 0));
    EXPECT_EQ(StepsIn(10, 1), 10);
    m_light.SetSetting(KeyboardLight(30, 0));
    EXPECT_EQ(StepsIn(10, 1), 10);
}

TEST_F(KeyboardLightThreadTest, AwayOrSynchronisedItDrawsNothing) {
    m_light.SetSetting(KeyboardLight(5, 5));
    m_light.SetColors(std::vector<LedColor>(kLogicalKeyCount, LedColor{1, 2, 3, 4}));
    m_channel.SetLightSync(true);
    EXPECT_EQ(m_light.RunPass(), KeyboardLightThread::Pass::kSynchronised);
    m_channel.SetLightSync(false);
    m_channel.SetConnected(false);
    EXPECT_EQ(m_light.RunPass(), KeyboardLightThread::Pass::kDisconnected);
    EXPECT_EQ(m_light.SnapshotColors()[0], (LedColor{1, 2, 3, 4}));
}

TEST_F(KeyboardLightThreadTest, PerLedSettingsAreLaidOverEveryPassNotOnlyStepped) {
    m_light.SetSetting(KeyboardLight(26, 1));  // all dark, period 28
    for (int i = 0; i < 20 && StepsIn(1) == 0; ++i) {
    }
    std::vector<LightSetting> list(3);
    list[2] = LightSetting{.effect = 1, .brightness = 5, .red = 90, .green = 80, .blue = 70};
    m_light.SetLightList(list);
    m_light.SetColors(std::vector<LedColor>(kLogicalKeyCount, LedColor{}));
    // One pass without a step still shows key 2 in its own colour.
    ASSERT_EQ(StepsIn(1), 0);
    const auto colors = m_light.SnapshotColors();
    EXPECT_EQ(colors[2].red, 90);
    EXPECT_EQ(colors[1], LedColor{});
}

TEST_F(KeyboardLightThreadTest, ModeSeventeenShowsThePaintedKeysAndRestartsForNewColours) {
    std::vector<CustomLightColor> custom(kLogicalKeyCount);
    custom[5] = {200, 0, 0, 255};
    EXPECT_TRUE(m_light.SetSetting(KeyboardLight(17, 5), custom));
    StepsIn(3);
    EXPECT_EQ(m_light.SnapshotColors()[5].red, 200);
    EXPECT_EQ(m_light.SnapshotColors()[6].red, 0);
    custom[6] = {0, 0, 120, 255};
    EXPECT_FALSE(m_light.SetSetting(KeyboardLight(17, 5), custom));  // same mode: no restart
    m_light.RestartEffect(custom);
    StepsIn(3);
    EXPECT_EQ(m_light.SnapshotColors()[6].blue, 120);
}

TEST_F(KeyboardLightThreadTest, AStaticEffectIsDrawnThenTheThreadSleepsUntilAChange) {
    // The counter follows the clock, so this thread runs on the real one.
    KeyboardLightThread light(m_channel, SteadyMillisecondClock(), SeededRandomSource(7));
    light.SetSetting(KeyboardLight(5, 0));
    light.Start();
    const LedColor drawn{40, 50, 60, 255};
    ASSERT_TRUE(Eventually([&] { return light.SnapshotColors()[0] == drawn; }));
    ASSERT_TRUE(Eventually([&] { return light.Pacer().PassCount() >= 2; }));
    // The first pass only marks the tick; the step's pass comes after a sleep over the rest.
    EXPECT_LT(light.Pacer().PassCount(), 10u);
    const std::uint64_t passes = light.Pacer().PassCount();
    const std::uint64_t wakes = light.Pacer().WakeCount();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(light.Pacer().PassCount(), passes);
    EXPECT_EQ(light.Pacer().WakeCount(), wakes);

    // A new list wakes it; a static list lets it sleep again after its pass.
    std::vector<LightSetting> list(3);
    list[2] = LightSetting{.effect = 1, .brightness = 5, .red = 90, .green = 80, .blue = 70};
    light.SetLightList(list);
    ASSERT_TRUE(Eventually([&] { return light.SnapshotColors()[2].red == 90; }));
    EXPECT_EQ(light.SnapshotColors()[1], drawn);

    // A moving effect runs again at once.
    light.SetSetting(KeyboardLight(19, 0));  // the custom effect plays on every pass
    const std::uint64_t before = light.Pacer().PassCount();
    ASSERT_TRUE(Eventually([&] { return light.Pacer().PassCount() >= before + 20; }));
    light.Stop();
    EXPECT_FALSE(light.IsRunning());
}

}  // namespace
}  // namespace quaro
