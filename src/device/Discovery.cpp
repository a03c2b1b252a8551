#include "device/Discovery.h"

#include "device/DiscoveryScan.h"
#include "device/DiscoveryWaker.h"
#include "device/SimBusLayout.h"
#include "platform/Trace.h"

#include <algorithm>

namespace quaro {

DiscoveryOptions DefaultDiscoveryOptions() {
    DiscoveryOptions options;
    options.watchHidraw = true;
    options.simBusFolder = DefaultSimBusFolder();
    return options;
}

Discovery::Discovery(std::shared_ptr<HidBackend> backend, DiscoverySink& sink,
                     DiscoveryOptions options)
    : m_backend(std::move(backend)), m_sink(sink), m_options(std::move(options)) {}

Discovery::~Discovery() {
    Stop();
}

void Discovery::Start() {
    Stop();
    std::lock_guard control(m_controlMutex);
    m_stop.Reset();
    // Watches are set before the first pass, so nothing plugged during that pass goes unseen.
    m_waker = std::make_unique<DiscoveryWaker>(m_options.watchHidraw, m_options.simBusFolder);
    m_running = true;
    m_thread = std::thread([this] { Run(); });
}

void Discovery::Stop() {
    // A sink waiting for a window must see the request before anybody waits for it.
    m_stop.Signal();
    if (m_threadId.load() == std::this_thread::get_id()) {
        return;
    }
    std::lock_guard control(m_controlMutex);
    if (m_waker) {
        m_waker->Interrupt();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_waker.reset();
}

bool Discovery::IsRunning() const {
    return m_running.load();
}

void Discovery::Run() {
    m_threadId = std::this_thread::get_id();
    // The scan's first-pass state lives as long as the thread: each start reports its own
    // first scan.
    DiscoveryScan scan(m_backend, m_slots, m_sink);
    const auto stopRequested = [this] { return m_stop.IsSignalled(); };
    while (!stopRequested()) {
        scan.Pass(stopRequested);
        ++m_passes;
        const std::chrono::milliseconds net =
            m_waker->WatchesAll() ? m_options.safetyNet
                                  : std::min(m_options.safetyNet, m_options.unwatchedSafetyNet);
        if (m_waker->Wait(net) == DiscoveryWaker::Reason::kStop) {
            break;
        }
    }
    Trace("抓取设备线程设定退出");
    m_running = false;
    m_threadId = std::thread::id();
}

}  // namespace quaro
