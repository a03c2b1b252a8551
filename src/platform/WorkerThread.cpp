#include "platform/WorkerThread.h"

#include "platform/Trace.h"

namespace quaro {

const WorkerThread::StopTexts WorkerThread::kPageTexts = {
    "线程退出：：对象处于激发状态\n",
    "线程退出：：对象处于非激发状态，超时\n",
    "线程退出：：错误\n",
};

const WorkerThread::StopTexts WorkerThread::kWindowTexts = {
    "所有对象处于激发状态\n",
    "所有对象处于非激发状态，超时\n",
    "错误\n",
};

WorkerThread::~WorkerThread() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        Stop();
    }
}

void WorkerThread::Start(Body body) {
    if (m_thread.joinable()) {
        Stop();
    }
    // The event is created non-signalled and reset before the body's first pass.
    m_stop.Reset();
    m_finished.Reset();
    // The body may call Stop on itself, which needs m_thread set: hold it back until it is.
    std::unique_lock starting(m_startMutex);
    m_thread = std::thread([this, body = std::move(body)] {
        { std::lock_guard started(m_startMutex); }
        body(m_stop);
        m_finished.Signal();
    });
}

WorkerThread::StopResult WorkerThread::Stop(const std::function<void()>& cancelIo,
                                            uint32_t graceMs) {
    if (!m_thread.joinable()) {
        return StopResult::NotRunning;
    }
    m_stop.Signal();
    if (m_thread.get_id() == std::this_thread::get_id()) {
        Trace(m_texts.failed);
        return StopResult::Failed;
    }
    StopResult result = StopResult::Ended;
    if (m_finished.Wait(graceMs)) {
        Trace(m_texts.ended);
    } else {
        Trace(m_texts.timedOut);
        result = StopResult::TimedOut;
        if (cancelIo) {
            cancelIo();
        }
    }
    m_thread.join();
    return result;
}

bool WorkerThread::IsRunning() const {
    return m_thread.joinable() && !m_finished.IsSignalled();
}

}  // namespace quaro
