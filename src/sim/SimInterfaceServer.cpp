#include "sim/SimInterfaceServer.h"

#include "device/ReportDescriptor.h"
#include "platform/Trace.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quaro {

namespace {

// The kernel stamps a report on the wall clock as it is queued; the handler wants the steady
// clock. The age of the report carries over, clamped so that a wall clock set back or forth
// meanwhile cannot make it a report from the future or from long ago.
SimInterfaceServer::Clock::time_point ArrivalOf(const msghdr& message) {
    const auto now = SimInterfaceServer::Clock::now();
    for (const cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr;
         c = CMSG_NXTHDR(const_cast<msghdr*>(&message), const_cast<cmsghdr*>(c))) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) {
            continue;
        }
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        timespec wall{};
        ::clock_gettime(CLOCK_REALTIME, &wall);
        const auto age = std::chrono::seconds(wall.tv_sec - stamp.tv_sec) +
                         std::chrono::nanoseconds(wall.tv_nsec - stamp.tv_nsec);
        return now - std::clamp<std::chrono::nanoseconds>(age, std::chrono::nanoseconds(0),
                                                          std::chrono::seconds(1));
    }
    return now;
}

}  // namespace

SimInterfaceServer::SimInterfaceServer(std::filesystem::path folder,
                                       SimInterfaceDescription description, OutputHandler handler)
    : m_folder(std::move(folder)),
      m_description(std::move(description)),
      m_handler(std::move(handler)) {}

SimInterfaceServer::~SimInterfaceServer() {
    Stop();
}

std::filesystem::path SimInterfaceServer::SocketPath() const {
    return m_folder / (m_description.name + kSimSocketSuffix);
}

bool SimInterfaceServer::Start() {
    if (IsRunning()) {
        return true;
    }
    std::lock_guard join(m_joinMutex);
    if (m_thread.joinable()) {
        m_thread.join();  // left over from an unplug made on the server's own thread
    }
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    const std::string node = SocketPath().string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (node.size() >= sizeof address.sun_path) {
        TraceFormat("simulated HID interface: socket path too long: %s", node.c_str());
        return false;
    }
    std::memcpy(address.sun_path, node.c_str(), node.size() + 1);
    ::unlink(node.c_str());  // a socket file left by an emulator that was killed
    UniqueFd listenFd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listenFd.Valid() ||
        ::bind(listenFd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd.Get(), 16) != 0) {
        TraceFormat("simulated HID interface: cannot listen on %s: %s", node.c_str(),
                    std::strerror(errno));
        return false;
    }
    UniqueFd wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wakeFd.Valid() || !PublishSimDescription(m_folder, m_description)) {
        ::unlink(node.c_str());
        TraceFormat("simulated HID interface: cannot publish %s", m_description.name.c_str());
        return false;
    }
    {
        std::lock_guard lock(m_clientsMutex);
        m_listenFd = listenFd.Release();
        m_wakeFd = wakeFd.Release();
        m_running = true;
    }
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void SimInterfaceServer::Stop() {
    std::unique_lock lock(m_clientsMutex);
    if (m_running) {
        m_running = false;
        // The description goes first so that no enumeration finds an interface that cannot
        // answer.
        std::error_code error;
        std::filesystem::remove(m_folder / (m_description.name + kSimDescriptionSuffix), error);
        ::unlink(SocketPath().c_str());
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
    lock.unlock();
    // Unplugged from inside the handler, the thread cannot join itself: Serve returns right
    // after the handler, and the next Stop or Start from another thread joins it. That includes
    // a stop of a server that has already stopped itself, so that nothing the handler reaches
    // is destroyed while Serve still runs.
    if (m_serveThread.load() == std::this_thread::get_id()) {
        return;
    }
    std::lock_guard join(m_joinMutex);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool SimInterfaceServer::IsRunning() const {
    std::lock_guard lock(m_clientsMutex);
    return m_running;
}

size_t SimInterfaceServer::ClientCount() const {
    std::lock_guard lock(m_clientsMutex);
    return m_clients.size();
}

void SimInterfaceServer::AddClientLocked(int client) {
    const int on = 1;
    ::setsockopt(client, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    m_clients.push_back(client);
}

void SimInterfaceServer::AcceptPendingLocked() {
    for (;;) {
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            return;
        }
        AddClientLocked(client);
    }
}

bool SimInterfaceServer::SendInput(std::span<const uint8_t> report) {
    std::lock_guard lock(m_clientsMutex);
    if (!m_running) {
        return false;
    }
    // A host whose connect has returned is a host that has the interface open, even if the
    // server thread has not got round to accepting it yet. Taking the connection here empties
    // the listening socket, so the server thread, still polling its old set, is woken to add
    // the new client; otherwise the client's requests would never be read.
    const size_t known = m_clients.size();
    AcceptPendingLocked();
    if (m_clients.size() != known) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
    bool taken = false;
    for (int fd : m_clients) {
        if (::send(fd, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
            static_cast<ssize_t>(report.size())) {
            taken = true;
        }
    }
    return taken;
}

void SimInterfaceServer::Serve() {
    m_serveThread = std::this_thread::get_id();
    // An emulated reply latency of 1 ms is what a host is measured against; the default 50 us
    // by which the kernel may stretch this thread's sleeps would be 5 % of it.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::vector<uint8_t> buffer(kMaxReportBytes + 1);
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(timespec))> control{};
    std::vector<pollfd> fds;
    for (;;) {
        {
            std::lock_guard lock(m_clientsMutex);
            if (!m_running) {
                break;
            }
            fds.clear();
            fds.push_back({m_wakeFd, POLLIN, 0});
            fds.push_back({m_listenFd, POLLIN, 0});
            for (int fd : m_clients) {
                fds.push_back({fd, POLLIN, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            // A stop, or new clients taken by SendInput: the top of the loop tells them apart.
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t read = ::read(m_wakeFd, &count, sizeof count);
            continue;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            const int client =
                ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                std::lock_guard lock(m_clientsMutex);
                AddClientLocked(client);
            }
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            bool gone = (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
            if ((fds[i].revents & POLLIN) != 0) {
                iovec part{buffer.data(), buffer.size()};
                msghdr message{};
                message.msg_iov = &part;
                message.msg_iovlen = 1;
                message.msg_control = control.data();
                message.msg_controllen = control.size();
                const ssize_t got = ::recvmsg(fds[i].fd, &message, 0);
                if (got > 0) {
                    m_handler(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(got)),
                              ArrivalOf(message));
                    if (!IsRunning()) {
                        break;  // the handler unplugged us: the rest of the batch goes unread
                    }
                    gone = false;
                } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    gone = true;
                }
            }
            if (gone) {
                std::lock_guard lock(m_clientsMutex);
                auto it = std::find(m_clients.begin(), m_clients.end(), fds[i].fd);
                if (it != m_clients.end()) {
                    ::close(*it);
                    m_clients.erase(it);
                }
            }
        }
    }
    // Hang up on every client: their next poll sees POLLHUP, as when a device is pulled out.
    std::lock_guard lock(m_clientsMutex);
    for (int fd : m_clients) {
        ::close(fd);
    }
    m_clients.clear();
    ::close(m_listenFd);
    ::close(m_wakeFd);
    m_listenFd = -1;
    m_wakeFd = -1;
}

}  // namespace quaro
