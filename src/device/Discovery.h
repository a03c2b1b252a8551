#pragma once

#include "device/DiscoverySink.h"
#include "device/DiscoverySlotTable.h"
#include "device/HidBackend.h"
#include "platform/StopEvent.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quaro {

class DiscoveryWaker;

struct DiscoveryOptions {
    // Wake on hidraw nodes coming and going (udev monitor).
    bool watchHidraw = true;
    // Wake on entries of this simulated bus folder coming and going; empty: not watched.
    std::filesystem::path simBusFolder;
    // A pass runs at least this often, for changes no notification reported.
    std::chrono::milliseconds safetyNet{10000};
    // The same while a watch asked for could not be set (no udev monitor, no inotify): then the
    // passes are what finds devices, and they must come soon.
    std::chrono::milliseconds unwatchedSafetyNet{2000};
};

// The options of the application: hidraw and the default simulated bus.
DiscoveryOptions DefaultDiscoveryOptions();

// Keeps the slot table in step with what is plugged in, on its own thread: a pass (see
// DiscoveryScan) at start, on every wake of a DiscoveryWaker and at least once per safety-net
// period. Arrivals and removals go to the sink from that thread (see DiscoverySink for the
// contract). The slot table belongs to discovery; other threads get copies.
class Discovery {
public:
    Discovery(std::shared_ptr<HidBackend> backend, DiscoverySink& sink,
              DiscoveryOptions options = DefaultDiscoveryOptions());
    ~Discovery();
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    // Starts the thread; a running thread is stopped first. The slot table is kept.
    void Start();

    // Signals StopRequest, wakes the thread and waits for it to end. Safe to call twice, and
    // while the sink is blocked, provided the sink honours StopRequest. Called from the
    // discovery thread it only signals.
    void Stop();

    bool IsRunning() const;

    // Signalled from the moment Stop is asked for until the next Start.
    const StopEvent& StopRequest() const { return m_stop; }

    std::vector<DeviceInterfaceEntry> Snapshot() const { return m_slots.Snapshot(); }
    std::optional<DeviceInterfaceEntry> Slot(int slot) const { return m_slots.Slot(slot); }

    // Passes run since construction; for measurements.
    uint64_t PassCount() const { return m_passes.load(); }

private:
    void Run();

    std::shared_ptr<HidBackend> m_backend;
    DiscoverySink& m_sink;
    DiscoveryOptions m_options;
    DiscoverySlotTable m_slots;
    StopEvent m_stop;
    std::atomic<uint64_t> m_passes{0};
    std::atomic<bool> m_running{false};
    std::mutex m_controlMutex;  // Start and Stop from different threads
    std::unique_ptr<DiscoveryWaker> m_waker;
    std::thread m_thread;
    // Set by the thread itself, so Stop can tell it is called from there without reading
    // m_thread while Start may still be assigning it.
    std::atomic<std::thread::id> m_threadId;
};

}  // namespace quaro
