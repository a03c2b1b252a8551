#pragma once

#include "platform/UniqueFd.h"

#include <chrono>
#include <filesystem>

struct udev;
struct udev_monitor;

namespace quaro {

// What wakes the discovery thread: hidraw nodes coming and going (a udev monitor), entries of
// the simulated bus folder coming and going (inotify), and a stop request (an eventfd). The
// bus folder may not exist yet (the simulator creates it when it starts), so until it does its
// parent is watched for its creation.
class DiscoveryWaker {
public:
    enum class Reason { kStop, kChange, kTimeout };

    DiscoveryWaker(bool watchHidraw, std::filesystem::path simBusFolder);
    ~DiscoveryWaker();
    DiscoveryWaker(const DiscoveryWaker&) = delete;
    DiscoveryWaker& operator=(const DiscoveryWaker&) = delete;

    // Blocks until something changed, Interrupt was called or the time-out passed. Events that
    // arrived together are consumed together, so one burst costs one wake.
    Reason Wait(std::chrono::milliseconds timeout);

    // Makes the running or the next Wait return kStop; callable from any thread.
    void Interrupt();

    // Whether every watch asked for is in place (the bus folder's, or its parent's until the
    // folder exists); only then can passes be rare. Discovery thread only.
    bool WatchesAll() const;

private:
    void OpenUdevMonitor();
    void ArmFolderWatch();
    // True when a consumed event concerns the bus.
    bool DrainInotify();
    void DrainUdev();

    std::filesystem::path m_folder;
    bool m_watchHidraw = false;
    UniqueFd m_stopFd;
    UniqueFd m_inotifyFd;
    int m_folderWatch = -1;
    int m_parentWatch = -1;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
};

}  // namespace quaro
