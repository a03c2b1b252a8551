#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quaro {

// The headset page's audio thread: the audio library's calls reach the sound system, so they
// run here in the order the page asked for them, never on the UI thread. Tasks still queued when
// the worker stops are dropped; the one running is finished first.
class AudioWorker {
public:
    using Task = std::function<void()>;

    AudioWorker();
    AudioWorker(const AudioWorker&) = delete;
    AudioWorker& operator=(const AudioWorker&) = delete;
    ~AudioWorker();

    void Post(Task task);
    // Blocks until every task posted before this call has run (tests and shutdown order).
    void Drain();
    // From a task of its own it cannot wait: the running task ends, then the thread; the owner's
    // destructor joins it.
    void Stop();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    bool m_busy = false;
    std::thread m_thread;
};

}  // namespace quaro
