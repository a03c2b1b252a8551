#include "device/DiscoveryWaker.h"

#include "platform/Trace.h"

#include <libudev.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>

namespace quaro {
namespace {

constexpr uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kParentEvents = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

}  // namespace

DiscoveryWaker::DiscoveryWaker(bool watchHidraw, std::filesystem::path simBusFolder)
    : m_folder(std::move(simBusFolder)),
      m_watchHidraw(watchHidraw),
      m_stopFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (watchHidraw) {
        OpenUdevMonitor();
    }
    if (!m_folder.empty()) {
        m_inotifyFd = UniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        if (!m_inotifyFd.Valid()) {
            TraceFormat("discovery: no inotify (%s); the simulated bus is only polled\n",
                        std::strerror(errno));
        }
        ArmFolderWatch();
    }
}

DiscoveryWaker::~DiscoveryWaker() {
    if (m_monitor != nullptr) {
        udev_monitor_unref(m_monitor);
    }
    if (m_udev != nullptr) {
        udev_unref(m_udev);
    }
}

void DiscoveryWaker::OpenUdevMonitor() {
    m_udev = udev_new();
    if (m_udev != nullptr) {
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    }
    if (m_monitor != nullptr &&
        (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
         udev_monitor_enable_receiving(m_monitor) < 0)) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (m_monitor != nullptr) {
        // Draining reads until the socket is empty; it must say so instead of blocking.
        const int fd = udev_monitor_get_fd(m_monitor);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    } else {
        Trace("discovery: no udev monitor; hidraw devices are only polled\n");
    }
}

void DiscoveryWaker::ArmFolderWatch() {
    if (!m_inotifyFd.Valid() || m_folderWatch >= 0) {
        return;
    }
    m_folderWatch = ::inotify_add_watch(m_inotifyFd.Get(), m_folder.c_str(), kFolderEvents);
    if (m_folderWatch >= 0) {
        if (m_parentWatch >= 0) {
            ::inotify_rm_watch(m_inotifyFd.Get(), m_parentWatch);
            m_parentWatch = -1;
        }
        return;
    }
    if (m_parentWatch < 0) {
        m_parentWatch =
            ::inotify_add_watch(m_inotifyFd.Get(), m_folder.parent_path().c_str(), kParentEvents);
    }
}

bool DiscoveryWaker::DrainInotify() {
    bool relevant = false;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(m_inotifyFd.Get(), buffer.data(), buffer.size());
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                relevant = true;  // events were lost: whatever they said, look again
            } else if (event->wd == m_folderWatch) {
                relevant = true;
                if ((event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
                    if ((event->mask & IN_IGNORED) == 0) {
                        ::inotify_rm_watch(m_inotifyFd.Get(), m_folderWatch);
                    }
                    m_folderWatch = -1;
                }
            } else if (event->wd == m_parentWatch && event->len > 0 &&
                       m_folder.filename() == event->name) {
                relevant = true;
            }
        }
    }
    ArmFolderWatch();
    return relevant;
}

void DiscoveryWaker::DrainUdev() {
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        udev_device_unref(device);
    }
}

DiscoveryWaker::Reason DiscoveryWaker::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::array<pollfd, 3> fds{};
        nfds_t count = 0;
        fds[count++] = {m_stopFd.Get(), POLLIN, 0};
        const nfds_t inotifyIndex = count;
        if (m_inotifyFd.Valid()) {
            fds[count++] = {m_inotifyFd.Get(), POLLIN, 0};
        }
        const nfds_t udevIndex = count;
        if (m_monitor != nullptr) {
            fds[count++] = {udev_monitor_get_fd(m_monitor), POLLIN, 0};
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return Reason::kTimeout;
        }
        const int ready = ::poll(fds.data(), count, static_cast<int>(left.count()));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            TraceFormat("discovery: poll failed (%s)\n", std::strerror(errno));
            return Reason::kTimeout;
        }
        if (ready == 0) {
            return Reason::kTimeout;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return Reason::kStop;
        }
        bool changed = false;
        if (m_monitor != nullptr && fds[udevIndex].revents != 0) {
            DrainUdev();
            changed = true;
        }
        if (m_inotifyFd.Valid() && fds[inotifyIndex].revents != 0) {
            changed = DrainInotify() || changed;
        }
        if (changed) {
            return Reason::kChange;
        }
    }
}

bool DiscoveryWaker::WatchesAll() const {
    if (m_watchHidraw && m_monitor == nullptr) {
        return false;
    }
    return m_folder.empty() || m_folderWatch >= 0 || m_parentWatch >= 0;
}

void DiscoveryWaker::Interrupt() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopFd.Get(), &one, sizeof one);
}

}  // namespace quaro
