#include "Eventually.h"
#include "devices/light/LightPacer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace quaro {
namespace {

using namespace std::chrono_literals;

using test::Eventually;

// A light thread reduced to what the pacer sees: a fixed plan, counters of what it was asked.
class PacedLoop {
public:
    explicit PacedLoop(std::chrono::milliseconds period) : m_pacer(period) {}
    ~PacedLoop() { Stop(); }

    void Start() {
        m_thread = std::thread([this] {
            m_pacer.Run({.plan =
                             [this](bool still) {
                                 m_plans.fetch_add(1);
                                 if (still) {
                                     return LightPlan::UntilChanged();
                                 }
                                 return LightPlan::Passes(m_passes.load());
                             },
                         .skip = [this](std::uint32_t passes) { m_skipped.fetch_add(passes); },
                         .pass =
                             [this] {
                                 m_ran.fetch_add(1);
                                 return m_still.load();
                             }});
            m_ended = true;
        });
    }

    void Stop() {
        m_pacer.Interrupt();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    LightPacer m_pacer;
    std::atomic<std::uint32_t> m_passes{1};
    std::atomic<bool> m_still{false};
    std::atomic<std::uint64_t> m_plans{0};
    std::atomic<std::uint64_t> m_skipped{0};
    std::atomic<std::uint64_t> m_ran{0};
    std::atomic<bool> m_ended{false};
    std::thread m_thread;
};

TEST(LightPacer, SleepsOverThePassesThatOnlyCountAndAccountsForThem) {
    PacedLoop loop(1ms);
    loop.m_passes = 8;
    loop.Start();
    ASSERT_TRUE(Eventually([&] { return loop.m_ran.load() >= 5; }));
    loop.Stop();
    // Every pass run stands for eight: seven slept over, one run.
    EXPECT_EQ(loop.m_skipped.load(), 7 * loop.m_ran.load());
    // One wake-up per pass, not one per period (a change-free loop has nothing else to wake it).
    EXPECT_LE(loop.m_pacer.WakeCount(), loop.m_ran.load() + 1);
    EXPECT_EQ(loop.m_pacer.PassCount(), loop.m_ran.load());
}

TEST(LightPacer, AStillPictureSleepsUntilAChangeAndTheChangeWakesItAtOnce) {
    PacedLoop loop(1ms);
    loop.m_still = true;
    loop.Start();
    ASSERT_TRUE(Eventually([&] { return loop.m_ran.load() == 1; }));
    const std::uint64_t wakes = loop.m_pacer.WakeCount();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(loop.m_ran.load(), 1u);
    EXPECT_EQ(loop.m_pacer.WakeCount(), wakes);
    // The change makes the next plan a fresh one: the pass after it runs, then sleep again.
    loop.m_pacer.Notify();
    ASSERT_TRUE(Eventually([&] { return loop.m_ran.load() == 2; }));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(loop.m_ran.load(), 2u);
    loop.Stop();
    EXPECT_TRUE(loop.m_ended.load());
}

TEST(LightPacer, AChangeBeforeTheDueTimeReplansWithoutRunningAPass) {
    PacedLoop loop(1ms);
    loop.m_passes = 100000;  // far away: only a change can end this sleep
    loop.Start();
    ASSERT_TRUE(Eventually([&] { return loop.m_plans.load() == 1; }));
    std::this_thread::sleep_for(20ms);
    loop.m_passes = 1;
    loop.m_pacer.Notify();
    ASSERT_TRUE(Eventually([&] { return loop.m_ran.load() >= 1; }));
    loop.Stop();
    // The milliseconds that went by before the change are counted as passes slept over, no
    // more than there were and no pass run for them.
    EXPECT_GE(loop.m_skipped.load(), 1u);
    EXPECT_LT(loop.m_skipped.load(), 100000u);
    EXPECT_GE(loop.m_plans.load(), 2u);
}

TEST(LightPacer, InterruptEndsEverySleepAndRearmAllowsAnotherRun) {
    for (const bool still : {true, false}) {
        SCOPED_TRACE(still ? "still" : "far pass");
        PacedLoop loop(1ms);
        loop.m_still = still;
        loop.m_passes = 100000;
        loop.Start();
        ASSERT_TRUE(Eventually([&] { return loop.m_plans.load() >= 1; }));
        loop.Stop();
        EXPECT_TRUE(loop.m_ended.load());

        // Interrupted stays interrupted until rearmed: a run started meanwhile ends at once.
        loop.m_ended = false;
        loop.Start();
        loop.m_thread.join();
        EXPECT_TRUE(loop.m_ended.load());
        loop.m_pacer.Rearm();
        loop.m_ended = false;
        loop.Start();
        std::this_thread::sleep_for(10ms);
        EXPECT_FALSE(loop.m_ended.load());
        loop.Stop();
        EXPECT_TRUE(loop.m_ended.load());
    }
}

}  // namespace
}  // namespace quaro
