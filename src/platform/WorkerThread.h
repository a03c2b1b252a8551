#pragma once

#include "platform/StopEvent.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace quaro {

// The worker-thread convention of the device pages, the main window and the settings window:
// the body gets a manual-reset stop event and polls it between passes; Stop signals it and
// waits a grace period for the body to return.
//
// A C++ thread cannot be terminated safely, so a body that overstays its grace period is not
// killed: Stop calls the cancel function (which must end whatever blocking I/O the body is in,
// for example by closing or cancelling its device), and then waits for the body to return. The
// thread is never detached, so it can never touch its owner after Stop returns.
class WorkerThread {
public:
    using Body = std::function<void(StopEvent& stop)>;

    // The texts traced by Stop. The device pages use the "线程退出：：" set; the main window and
    // the settings window use the same texts without the prefix.
    struct StopTexts {
        std::string ended;
        std::string timedOut;
        std::string failed;
    };
    static const StopTexts kPageTexts;
    static const StopTexts kWindowTexts;

    enum class StopResult { NotRunning, Ended, TimedOut, Failed };

    static constexpr uint32_t kGraceMs = 1000;

    WorkerThread() = default;
    explicit WorkerThread(StopTexts texts) : m_texts(std::move(texts)) {}
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    ~WorkerThread();

    // Stops a running body first (with the default grace and no cancel function).
    void Start(Body body);

    // Signals the stop event and waits up to graceMs for the body to return. On time-out it
    // calls cancelIo, if given, and then waits for the body without limit. Called from the
    // worker itself it cannot wait: it signals, traces the failure text and returns Failed; the
    // owner must stop it again from another thread before destroying it.
    StopResult Stop(const std::function<void()>& cancelIo = {}, uint32_t graceMs = kGraceMs);

    bool IsRunning() const;

    // Signals without waiting, for owners that stop several threads and then wait for each.
    void Signal() { m_stop.Signal(); }

private:
    StopTexts m_texts = kPageTexts;
    StopEvent m_stop;
    StopEvent m_finished;
    std::mutex m_startMutex;
    std::thread m_thread;
};

}  // namespace quaro
