#include "platform/EndpointClient.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace quaro {
namespace {

// Writes all of data before the deadline; false on an error or when time runs out.
bool WriteAll(int fd, const std::string& data, std::chrono::steady_clock::time_point deadline) {
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::send(fd, data.data() + written, data.size() - written, MSG_NOSIGNAL);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd waiting{fd, POLLOUT, 0};
        ::poll(&waiting, 1, static_cast<int>(left.count()));
    }
    return true;
}

}  // namespace

std::filesystem::path MessageEndpointPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime != nullptr && runtime[0] != '\0' && std::filesystem::is_directory(runtime, error)) {
        return std::filesystem::path(runtime) / kEndpointName;
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::filesystem::path folder =
        temporary != nullptr && temporary[0] != '\0' ? temporary : "/tmp";
    return folder / (std::string(kEndpointName) + "-" + std::to_string(::getuid()));
}

std::optional<sockaddr_un> EndpointAddress(const std::filesystem::path& socketPath) {
    const std::string path = socketPath.string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return address;
}

int ConnectToRunningApplication(const std::filesystem::path& socketPath) {
    const std::optional<sockaddr_un> address = EndpointAddress(socketPath);
    if (!address) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool PostToRunningApplication(const std::filesystem::path& socketPath, std::string_view name,
                              unsigned long long wParam, long long lParam, int timeoutMs,
                              bool waitForListener) {
    const std::optional<sockaddr_un> address = EndpointAddress(socketPath);
    if (!address || name.empty() || name.find_first_of(" \t\r\n") != std::string_view::npos) {
        return false;
    }
    const std::string line = "POST " + std::string(name) + ' ' + std::to_string(wParam) + ' ' +
                             std::to_string(lParam) + '\n';

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            return false;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0) {
            const bool written = WriteAll(fd, line, deadline);
            ::close(fd);
            return written;
        }
        const int error = errno;
        ::close(fd);
        // No socket yet, or no one accepting on it: the running copy may still be starting.
        const bool notListening = error == ENOENT || error == ECONNREFUSED || error == EAGAIN;
        if (!waitForListener || !notListening || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace quaro
