#pragma once

#include "device/SimBusLayout.h"
#include "platform/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace quaro {

// Serves one HID interface on the simulated bus: listens on <folder>/<name>.sock, publishes the
// description, hands every output report a client writes to the handler and sends input reports
// to every connected client, as a hidraw node delivers each input report to every open file.
// The handler runs on the server's own thread, one report at a time.
class SimInterfaceServer {
public:
    using Clock = std::chrono::steady_clock;
    // `arrived` is when the host's report reached the interface's socket, not when the server
    // thread got round to it, so an emulated reply latency can count from there.
    using OutputHandler =
        std::function<void(std::span<const uint8_t> report, Clock::time_point arrived)>;

    SimInterfaceServer(std::filesystem::path folder, SimInterfaceDescription description,
                       OutputHandler handler);
    ~SimInterfaceServer();
    SimInterfaceServer(const SimInterfaceServer&) = delete;
    SimInterfaceServer& operator=(const SimInterfaceServer&) = delete;

    // Plugs the interface in. False (with a trace line) when the socket cannot be created.
    bool Start();

    // Unplugs: removes both files and hangs up on every client. Safe to call twice. From any
    // thread but the server's own it returns only once the server thread has ended, even when
    // that thread had already stopped itself; from inside the handler, no report after the
    // current one is handled.
    void Stop();

    bool IsRunning() const;

    // Sends one input report to every connected client; false when no client took it.
    bool SendInput(std::span<const uint8_t> report);

    size_t ClientCount() const;
    const SimInterfaceDescription& Description() const { return m_description; }
    std::filesystem::path SocketPath() const;

private:
    void Serve();
    void AcceptPendingLocked();
    // Takes a new client: non-blocking, its reports stamped with their arrival.
    void AddClientLocked(int client);

    std::filesystem::path m_folder;
    SimInterfaceDescription m_description;
    OutputHandler m_handler;
    bool m_running = false;  // guarded by m_clientsMutex
    int m_listenFd = -1;
    int m_wakeFd = -1;
    std::mutex m_joinMutex;  // the thread object: joined by Stop and Start from other threads
    std::thread m_thread;
    std::atomic<std::thread::id> m_serveThread;  // tells Stop it runs inside the handler
    mutable std::mutex m_clientsMutex;
    std::vector<int> m_clients;
};

}  // namespace quaro
