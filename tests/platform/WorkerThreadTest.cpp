#include "TraceCapture.h"
#include "platform/StopEvent.h"
#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace quaro {
namespace {

using namespace std::chrono_literals;

TEST(StopEvent, StaysSignalledUntilResetAndWakesWaiters) {
    StopEvent event;
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(5));

    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke = event.Wait(StopEvent::kInfinite); });
    event.Signal();
    waiter.join();
    EXPECT_TRUE(woke);
    // Manual reset: every later wait succeeds until Reset.
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(WorkerThread, PollingBodyEndsWithinGraceAndTracesEnded) {
    test::TraceCapture traces;
    std::atomic<int> passes{0};
    WorkerThread worker;
    worker.Start([&](StopEvent& stop) {
        while (!stop.Wait(1)) {
            ++passes;
        }
        Trace("KB灯光线程设定退出");
    });
    while (passes < 3) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(worker.Stop(), WorkerThread::StopResult::Ended);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(traces.Contains("KB灯光线程设定退出"));
    EXPECT_TRUE(traces.Contains("线程退出：：对象处于激发状态\n"));
    EXPECT_EQ(worker.Stop(), WorkerThread::StopResult::NotRunning);
}

TEST(WorkerThread, BlockedBodyIsCancelledAfterGraceAndStillJoined) {
    test::TraceCapture traces;
    // The body ignores its stop event and waits on "I/O" that only the cancel function ends.
    StopEvent io;
    std::atomic<bool> bodyReturned{false};
    WorkerThread worker(WorkerThread::kWindowTexts);
    worker.Start([&](StopEvent&) {
        io.Wait(StopEvent::kInfinite);
        bodyReturned = true;
    });
    bool cancelled = false;
    const auto result = worker.Stop(
        [&] {
            cancelled = true;
            io.Signal();
        },
        20);
    EXPECT_EQ(result, WorkerThread::StopResult::TimedOut);
    EXPECT_TRUE(cancelled);
    // Stop returned only after the body did: nothing of it can outlive its owner.
    EXPECT_TRUE(bodyReturned);
    EXPECT_TRUE(traces.Contains("所有对象处于非激发状态，超时\n"));
    EXPECT_FALSE(traces.Contains("所有对象处于激发状态\n"));
}

TEST(WorkerThread, StopFromTheWorkerItselfFailsWithoutDeadlock) {
    test::TraceCapture traces;
    WorkerThread worker;
    std::atomic<int> selfStop{-1};
    StopEvent tried;
    worker.Start([&](StopEvent& stop) {
        selfStop = static_cast<int>(worker.Stop());
        tried.Signal();
        stop.Wait(StopEvent::kInfinite);
    });
    ASSERT_TRUE(tried.Wait(5000));
    EXPECT_EQ(selfStop, static_cast<int>(WorkerThread::StopResult::Failed));
    EXPECT_TRUE(traces.Contains("线程退出：：错误\n"));
    EXPECT_EQ(worker.Stop(), WorkerThread::StopResult::Ended);
}

TEST(WorkerThread, RestartStopsThePreviousBodyFirst) {
    std::atomic<int> running{0};
    std::atomic<int> maxRunning{0};
    WorkerThread worker;
    auto body = [&](StopEvent& stop) {
        maxRunning = std::max(maxRunning.load(), ++running);
        stop.Wait(StopEvent::kInfinite);
        --running;
    };
    worker.Start(body);
    worker.Start(body);
    worker.Stop();
    EXPECT_EQ(maxRunning, 1);
    EXPECT_EQ(running, 0);
}

}  // namespace
}  // namespace quaro
